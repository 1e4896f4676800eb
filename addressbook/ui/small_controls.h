// The main window's small custom controls, each put on a standard control of the
// dialog template by subclassing it, and owning itself from then on (it goes with
// its window):
// - HoverButton: a flat bitmap button that rises under the mouse and sinks when
//   pressed, its caption under the bitmap;
// - CaptionLabel: a static text in its own colours and the system's GUI font;
// - LinkLabel: a static text that opens a web address when clicked.
#pragma once

#include <windows.h>

#include <string>

namespace ctlite {

// The button shows `bitmap` (pure green is see-through) above its caption. The
// button takes ownership of the bitmap.
void attachHoverButton(HWND button, HBITMAP bitmap);

void attachCaptionLabel(HWND label, COLORREF text, COLORREF background);

struct LinkColours {
    COLORREF normal = RGB(0, 0, 238);
    COLORREF visited = RGB(85, 26, 139);
    COLORREF hover = CLR_INVALID;  // the system's highlight colour
};
struct LinkOptions {
    LinkColours colours;
    bool underline = false;
    bool handCursor = true;
    bool fitToText = false;  // the label shrinks or grows to its text
};
// An empty target is taken from the label's text; an empty text shows the target.
void attachLinkLabel(HWND label, std::string target, const LinkOptions& options);

}  // namespace ctlite
