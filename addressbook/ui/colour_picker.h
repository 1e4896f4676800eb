// The colour button and its popup: the button shows its colour beside a small
// arrow; a click opens a popup of the twenty palette colours and "Other...", and a
// choice there becomes the button's colour. All buttons share one palette, whose
// ages say which colour "Other..." replaces next.
#pragma once

#include <windows.h>

#include <optional>

#include "addressbook/ui/colour_palette.h"
#include "framework/dialog.h"

namespace ctlite {

// The palette every colour button shares for the life of the program.
ColourPalette& sharedColourPalette();

// Makes a push button of a dialog a colour button (white until set).
void attachColourPicker(HWND button, COLORREF colour = RGB(255, 255, 255));
COLORREF pickerColour(HWND button);
void setPickerColour(HWND button, COLORREF colour);

class ColorPickerPopup : public fw::DialogImpl<ColorPickerPopup> {
public:
    static const fw::CommandEntry<ColorPickerPopup> kCommands[];
    static const fw::MessageEntry<ColorPickerPopup> kMessages[];

    explicit ColorPickerPopup(HWND button) : button_(button) {}
    // The colour chosen, or nothing when the popup was left without a choice.
    std::optional<COLORREF> run();

private:
    BOOL onInit() override;
    INT_PTR onColourCommand(WPARAM, LPARAM);
    void onOther();
    void onCancel() { end(IDCANCEL); }
    void choose(int index);
    INT_PTR onDrawItem(WPARAM, LPARAM);
    INT_PTR onButtonDown(WPARAM, LPARAM);
    INT_PTR onButtonUp(WPARAM, LPARAM);
    HWND childAt(LPARAM lParam) const;

    HWND button_;
    HWND pressed_ = nullptr;
    std::optional<COLORREF> chosen_;
};

}  // namespace ctlite
