#include "addressbook/ui/entry_editor.h"

#include <commdlg.h>

#include <vector>

#include "addressbook/ui/entry_form.h"
#include "addressbook/ui/resource.h"
#include "framework/application.h"

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

std::string controlText(HWND control) {
    int length = GetWindowTextLengthA(control);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

}  // namespace

// ---- Information

const fw::CommandEntry<CAddPP1> CAddPP1::kCommands[] = {
    {IDC_EDIT_FIRST, EN_CHANGE, &CAddPP1::onNameChanged},
    {IDC_EDIT_COMPANY, EN_CHANGE, &CAddPP1::onNameChanged},
    {IDC_BROWSE, BN_CLICKED, &CAddPP1::onBrowse},
    {0, 0, nullptr},
};
const fw::MessageEntry<CAddPP1> CAddPP1::kMessages[] = {{0, nullptr}};

std::string CAddPP1::text(int id) const {
    return controlText(item(id));
}

BOOL CAddPP1::onInit() {
    for (const Row& row : kRows) {
        std::string_view value = values_.get(row.field);
        std::string shown = row.nameField ? typedFromStored(value) : std::string(value);
        SetDlgItemTextA(handle(), row.edit, shown.c_str());
    }
    for (int i = 0; i < kLabelCount; ++i) {
        const std::string& label = labels_.get(static_cast<Label>(i));
        std::string_view caption =
            label.empty() ? FieldLabels::defaultText(static_cast<Label>(i)) : label;
        SetDlgItemTextA(handle(), IDC_LABEL_FIRST + i, std::string(caption).c_str());
    }
    updateOk();
    return TRUE;
}

void CAddPP1::updateOk() {
    EnableWindow(GetDlgItem(sheet(), IDOK),
                 entryMayBeStored(text(IDC_EDIT_FIRST), text(IDC_EDIT_COMPANY)));
}

void CAddPP1::onNameChanged() {
    updateOk();
}

void CAddPP1::onBrowse() {
    char path[MAX_PATH] = "";
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = handle();
    dialog.lpstrFilter = "Bitmap Files (*.bmp)\0*.bmp\0JPEG Files (*.jpg)\0*.jpg\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.lpstrTitle = "Open";
    dialog.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (GetOpenFileNameA(&dialog)) {
        SetDlgItemTextA(handle(), IDC_EDIT_PICTURE, path);
        InvalidateRect(handle(), nullptr, TRUE);
    }
}

bool CAddPP1::onApply() {
    if (!acceptableEmail(text(IDC_EDIT_EMAIL))) {
        fw::messageBox(handle(), "You entered invalid Email address", "Oops...",
                       MB_OK | MB_ICONEXCLAMATION);
        SetFocus(item(IDC_EDIT_EMAIL));
        return false;
    }
    for (const Row& row : kRows) {
        std::string value = text(row.edit);
        values_.set(row.field, row.nameField ? storedFromTyped(value) : value);
    }
    return true;
}

// ---- Note

const fw::CommandEntry<CAddPP2> CAddPP2::kCommands[] = {{0, 0, nullptr}};
const fw::MessageEntry<CAddPP2> CAddPP2::kMessages[] = {{0, nullptr}};

BOOL CAddPP2::onInit() {
    SetDlgItemTextA(handle(), IDC_EDIT_NOTE, values_.c_str(Field::Note));
    return TRUE;
}

bool CAddPP2::onApply() {
    // Only a page that was opened has anything to say about the note.
    if (visited())
        values_.set(Field::Note, controlText(item(IDC_EDIT_NOTE)));
    return true;
}

// ---- the sheet

CAddPS::CAddPS(Entry& entry, const FieldLabels& labels)
    : entry_(entry), edited_(entry), information_(edited_, labels), note_(edited_) {}

bool CAddPS::run(HWND owner) {
    fw::Sheet sheet("Edit Dialog");
    sheet.addPage(information_, IDD_ADD_PP1);
    sheet.addPage(note_, IDD_ADD_PP2);
    if (!sheet.runModal(fw::Application::current().instance(), owner))
        return false;
    entry_ = edited_;
    return true;
}

}  // namespace ctlite
