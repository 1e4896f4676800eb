// How the owner-drawn name list and group selector paint their lines: a small
// icon (pure green is its transparent colour) and the line's text beside it.
#pragma once

#include <windows.h>

#include <string>

namespace ctlite {

inline constexpr int kNameLineHeight = 16;
inline constexpr int kGroupLineHeight = 17;

// A name-list line showing `text`: the entry icon, the text 16 pixels to the right
// and 2 down; a selected line on the highlight colour with white text.
void drawNameLine(const DRAWITEMSTRUCT& item, HBITMAP entryIcon, const std::string& text);

// A group: the group icon, the text 20 pixels to the right and 2 down; the
// selected group on pure green.
void drawGroupLine(const DRAWITEMSTRUCT& item, HBITMAP groupIcon);

}  // namespace ctlite
