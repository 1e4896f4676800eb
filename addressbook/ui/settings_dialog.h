// "Settings": the e-mail identity and server (with its port, security and sign-in,
// the password shown masked), the signature, starting in the tray,
// the display card's three colours and font with a preview, and the start-up
// shortcut. OK checks the address, stores everything under the program's key and
// hands the colours and the font face to the main window; Cancel changes nothing.
#pragma once

#include <string>

#include "addressbook/ui/display_colours.h"
#include "addressbook/ui/settings_values.h"
#include "framework/dialog.h"

namespace ctlite {

class SettingsDialog : public fw::DialogImpl<SettingsDialog>, private SettingsValues {
public:
    static const fw::CommandEntry<SettingsDialog> kCommands[];
    static const fw::MessageEntry<SettingsDialog> kMessages[];
    static const fw::DataEntry<SettingsDialog> kData[];

    // The main window's font face and card colours, changed only by OK.
    SettingsDialog(std::string& mainFace, DisplayColours& mainColours)
        : mainFace_(mainFace), mainColours_(mainColours) {}
    // True on OK.
    bool run(HWND owner);

private:
    BOOL onInit() override;
    void fillFontBox();
    std::string chosenFace() const;
    RECT previewArea() const;
    INT_PTR onPaint(WPARAM, LPARAM);
    void onFontChanged();
    void onSecurityChanged();
    void onDefault();
    void onMakeShortcut();
    void onRemoveShortcut();
    void onOk();
    void onCancel() { end(IDCANCEL); }

    std::string& mainFace_;
    DisplayColours& mainColours_;
};

}  // namespace ctlite
