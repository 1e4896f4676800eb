#include "addressbook/ui/main_window.h"

#include "addressbook/ui/field_label_editor.h"
#include "addressbook/ui/name_list_controls.h"
#include "addressbook/ui/resource.h"
#include "addressbook/ui/settings_dialog.h"
#include "addressbook/ui/small_controls.h"
#include "framework/application.h"

namespace ctlite {
namespace {

// A stored DWORD as a colour; nothing when it is not stored.
std::optional<std::uint32_t> colourValue(const fw::UserRegistryKey& key, const char* name) {
    std::optional<DWORD> value = key.getDword(name);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

}  // namespace

bool MainWindow::createDisplay() {
    if (display_.create(handle(), book_.workingEntry(), book_.labels()))
        return true;
    fw::messageBox(handle(), "ctlitedisplay.dll file is missing.\n\nThe program will terminate now",
                   "Error", MB_OK | MB_ICONSTOP);
    endProgram();
    return false;
}

void MainWindow::readDisplaySettings() {
    displayColours_ =
        displayColours(colourValue(registry_, "Color_Background"),
                       colourValue(registry_, "Color_Text"), colourValue(registry_, "Color_Link"));
    displayFont_ = registry_.getString("Font Face");
}

RECT MainWindow::controlRect(int id) const {
    RECT r{};
    GetWindowRect(item(id), &r);
    MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void MainWindow::placeDisplay() {
    RECT list = controlRect(IDC_NAME_LIST), group = controlRect(IDC_GROUP);
    display_.moveTo(list.right + 5, group.bottom + 2, list.right + 7, 101);
    display_.setAppearance(displayColours_, displayFont_);
}

void MainWindow::hideDisplay() {
    if (!display_.handle())
        return;
    display_.setGroupName(book_.groupName(book_.currentGroupIndex()));
    ShowWindow(display_.handle(), SW_HIDE);
}

void MainWindow::onNameSelected() {
    int index = selectedEntryIndex();
    Entry entry;
    if (index == kNoEntry || !book_.currentGroup().entries().get(index + 1, entry))
        return;
    display_.setAppearance(displayColours_, displayFont_);
    display_.setEntry(entry, book_.groupName(book_.currentGroupIndex()));
    display_.clearPicture();
    // The stored placement is where the card starts; after that it stays where the
    // user puts it for the rest of the session.
    if (!displayPlacedFromProfile_) {
        displayPlacedFromProfile_ = true;
        RECT list = controlRect(IDC_NAME_LIST), group = controlRect(IDC_GROUP);
        if (profile_.getInt("DisplayMaximized", 1) == 1) {
            display_.setMaximized(true);
        } else {
            RECT r{};
            GetWindowRect(display_.handle(), &r);
            display_.moveTo(profile_.getInt("Displayx", list.right + 5),
                            profile_.getInt("Displayy", group.bottom + 2), r.right - r.left,
                            r.bottom - r.top);
        }
    }
    ShowWindow(display_.handle(), SW_SHOW);
    InvalidateRect(display_.handle(), nullptr, FALSE);
}

void MainWindow::storeDisplayPlacement() {
    // The card takes its stored placement at the first selection; before that
    // nothing has moved it, and what is stored stays as it is.
    if (!display_.handle() || !displayPlacedFromProfile_)
        return;
    POINT at = display_.restoredTopLeft();
    profile_.setInt("displayx", at.x);
    profile_.setInt("displayy", at.y);
    profile_.setInt("DisplayMaximized", display_.maximized() ? 1 : 0);
}

void MainWindow::setUpCustomControls() {
    for (int caption : {IDC_GROUP_LABEL, IDC_QUICK_SEARCH_LABEL, IDC_LIST_CAPTION})
        attachCaptionLabel(item(caption), GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNFACE));
    attachNameList(item(IDC_NAME_LIST), names_);
    attachRepeatButton(item(IDC_NEXT), item(IDC_NAME_LIST), kStepNext);
    attachRepeatButton(item(IDC_BACK), item(IDC_NAME_LIST), kStepPrevious);
}

void MainWindow::onFieldLabels() {
    if (FieldLabelEditor(book_.labels()).run(handle()))
        InvalidateRect(display_.handle(), nullptr, FALSE);
}

void MainWindow::onSettings() {
    if (!SettingsDialog(displayFont_, displayColours_).run(handle()))
        return;
    display_.setAppearance(displayColours_, displayFont_);
    InvalidateRect(display_.handle(), nullptr, FALSE);
}

void MainWindow::onTraySettings() {
    // The card takes the new look at the next selection.
    SettingsDialog(displayFont_, displayColours_).run(handle());
}

}  // namespace ctlite
