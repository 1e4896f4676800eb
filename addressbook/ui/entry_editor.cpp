#include "addressbook/ui/entry_editor.h"

#include "addressbook/ui/entry_form.h"
#include "addressbook/ui/resource.h"
#include "framework/application.h"
#include "framework/file_dialog.h"

namespace ctlite {
namespace {

struct Row {
    int edit;
    Field field;
    bool nameField;  // shown without its doubled "&"
};

// The sixteen edits of the Information page, with the fifteen captions
// IDC_LABEL_FIRST + n in FieldLabels order.
constexpr Row kRows[] = {
    {IDC_EDIT_COMPANY, Field::CompanyName, true},   {IDC_EDIT_FIRST, Field::FirstName, true},
    {IDC_EDIT_LAST, Field::LastName, true},         {IDC_EDIT_WORK, Field::WorkPhone, false},
    {IDC_EDIT_HOME, Field::HomePhone, false},       {IDC_EDIT_FAX, Field::FaxNumber, false},
    {IDC_EDIT_PAGER, Field::PagerNumber, false},    {IDC_EDIT_MOBILE, Field::MobilePhone, false},
    {IDC_EDIT_STREET, Field::StreetAddress, false}, {IDC_EDIT_CITY, Field::City, false},
    {IDC_EDIT_STATE, Field::State, false},          {IDC_EDIT_ZIP, Field::ZipCode, false},
    {IDC_EDIT_COUNTRY, Field::Country, false},      {IDC_EDIT_EMAIL, Field::EmailAddress, false},
    {IDC_EDIT_HOMEPAGE, Field::Homepage, false},    {IDC_EDIT_PICTURE, Field::Picture, false},
};

}  // namespace

// ---- Information

const fw::CommandEntry<CAddPP1> CAddPP1::kCommands[] = {
    {IDC_EDIT_FIRST, EN_CHANGE, &CAddPP1::onNameChanged},
    {IDC_EDIT_COMPANY, EN_CHANGE, &CAddPP1::onNameChanged},
    {IDC_BROWSE, BN_CLICKED, &CAddPP1::onBrowse},
    {0, 0, nullptr},
};

BOOL CAddPP1::onInit() {
    for (const Row& row : kRows) {
        std::string_view value = values_.get(row.field);
        std::string shown = row.nameField ? typedFromStored(value) : std::string(value);
        setItemText(row.edit, shown);
    }
    for (int i = 0; i < kLabelCount; ++i) {
        const std::string& label = labels_.get(static_cast<Label>(i));
        std::string_view caption =
            label.empty() ? FieldLabels::defaultText(static_cast<Label>(i)) : label;
        setItemText(IDC_LABEL_FIRST + i, caption);
    }
    updateOk();
    return TRUE;
}

void CAddPP1::updateOk() {
    EnableWindow(GetDlgItem(sheet(), IDOK),
                 entryMayBeStored(itemText(IDC_EDIT_FIRST), itemText(IDC_EDIT_COMPANY)));
}

void CAddPP1::onNameChanged() {
    updateOk();
}

void CAddPP1::onBrowse() {
    fw::FileDialogOptions options;
    options.title = "Open";
    static constexpr char kPictures[] = "Bitmap Files (*.bmp)\0*.bmp\0JPEG Files (*.jpg)\0*.jpg\0";
    options.filter = std::string(kPictures, sizeof kPictures - 1);
    options.flags |= OFN_FILEMUSTEXIST;
    if (std::optional<std::string> path = fw::askFileToOpen(handle(), options)) {
        setItemText(IDC_EDIT_PICTURE, *path);
        InvalidateRect(handle(), nullptr, TRUE);
    }
}

bool CAddPP1::onApply() {
    if (!acceptableEmail(itemText(IDC_EDIT_EMAIL))) {
        fw::messageBox(handle(), "You entered invalid Email address", "Oops...",
                       MB_OK | MB_ICONEXCLAMATION);
        SetFocus(item(IDC_EDIT_EMAIL));
        return false;
    }
    for (const Row& row : kRows) {
        std::string value = itemText(row.edit);
        values_.set(row.field, row.nameField ? storedFromTyped(value) : value);
    }
    return true;
}

// ---- Note

BOOL CAddPP2::onInit() {
    setItemText(IDC_EDIT_NOTE, values_.get(Field::Note));
    return TRUE;
}

bool CAddPP2::onApply() {
    // Only a page that was opened has anything to say about the note.
    if (visited())
        values_.set(Field::Note, itemText(IDC_EDIT_NOTE));
    return true;
}

// ---- the sheet

CAddPS::CAddPS(Entry& entry, const FieldLabels& labels)
    : entry_(entry), edited_(entry), information_(edited_, labels), note_(edited_) {}

bool CAddPS::run(HWND owner) {
    fw::Sheet sheet("Edit Dialog");
    sheet.addPage(information_, IDD_ADD_PP1);
    sheet.addPage(note_, IDD_ADD_PP2);
    if (!sheet.runModal(owner))
        return false;
    entry_ = edited_;
    return true;
}

}  // namespace ctlite
