#include "addressbook/ui/import_dialogs.h"

#include <commctrl.h>

#include "addressbook/transfer/column_names.h"
#include "addressbook/transfer/incoming_text.h"
#include "addressbook/ui/resource.h"
#include "framework/application.h"

namespace ctlite {

// ---- Import to

const fw::CommandEntry<ImportToDialog> ImportToDialog::kCommands[] = {
    {IDC_IMPORT_EXISTING, BN_CLICKED, &ImportToDialog::onChoice},
    {IDC_IMPORT_NEW, BN_CLICKED, &ImportToDialog::onChoice},
    {IDOK, BN_CLICKED, &ImportToDialog::onOk},
    {IDCANCEL, BN_CLICKED, &ImportToDialog::onCancel},
    {0, 0, nullptr},
};

bool ImportToDialog::run(HWND owner) {
    return runModal(IDD_IMPORT_TO, owner) == IDOK;
}

BOOL ImportToDialog::onInit() {
    for (const std::string& name : groupNames_)
        sendItem(IDC_IMPORT_GROUPS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    sendItem(IDC_IMPORT_GROUPS, CB_SETCURSEL, 0);
    setChecked(IDC_IMPORT_EXISTING, true);
    onChoice();
    return TRUE;
}

void ImportToDialog::onChoice() {
    bool fresh = isChecked(IDC_IMPORT_NEW);
    enableItem(IDC_IMPORT_NEW_NAME, fresh);
    enableItem(IDC_IMPORT_GROUPS, !fresh);
    if (fresh)
        SetFocus(item(IDC_IMPORT_NEW_NAME));
}

void ImportToDialog::onOk() {
    newGroup_ = isChecked(IDC_IMPORT_NEW);
    LRESULT chosen = sendItem(IDC_IMPORT_GROUPS, CB_GETCURSEL);
    groupIndex_ = chosen == CB_ERR ? 0 : static_cast<int>(chosen);
    newGroupName_ = itemText(IDC_IMPORT_NEW_NAME);
    end(IDOK);
}

// ---- Import

namespace {
constexpr LPARAM kNoField = -1;
// Posted when the field choice ends, so that it is judged after the combo box's
// own notifications of that step (the selection may change after the close-up).
constexpr UINT kFieldChoiceMade = WM_APP + 1;
}  // namespace

const fw::CommandEntry<ImportDialog> ImportDialog::kCommands[] = {
    {IDC_IMPORT_VALUES, LBN_SELCHANGE, &ImportDialog::onValueSelected},
    {IDC_IMPORT_MAP, LBN_SELCHANGE, &ImportDialog::onTargetSelected},
    {IDC_IMPORT_FIELDS, CBN_SELCHANGE, &ImportDialog::onFieldChosen},
    {IDC_IMPORT_FIELDS, CBN_CLOSEUP, &ImportDialog::onFieldChoiceEnds},
    {IDC_IMPORT_FIELDS, CBN_KILLFOCUS, &ImportDialog::onFieldChoiceEnds},
    {IDC_IMPORT_HEADER, BN_CLICKED, &ImportDialog::onHeaderClicked},
    {IDOK, BN_CLICKED, &ImportDialog::onOk},
    {IDCANCEL, BN_CLICKED, &ImportDialog::onCancel},
    {0, 0, nullptr},
};

const fw::NotifyEntry<ImportDialog> ImportDialog::kNotifies[] = {
    {IDC_IMPORT_SPIN, UDN_DELTAPOS, &ImportDialog::onSpin},
    {0, 0, nullptr},
};

const fw::MessageEntry<ImportDialog> ImportDialog::kMessages[] = {
    {kFieldChoiceMade, &ImportDialog::onFieldChoiceMade},
    {0, nullptr},
};

bool ImportDialog::run(HWND owner) {
    return runModal(IDD_IMPORT, owner) == IDOK;
}

std::string ImportDialog::targetText(std::optional<Field> field) const {
    return field ? transfer::mappingText(*field, labels_) : std::string(transfer::kNoTarget);
}

BOOL ImportDialog::onInit() {
    auto addField = [&](const std::string& text, LPARAM data) {
        LRESULT at =
            sendItem(IDC_IMPORT_FIELDS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        sendItem(IDC_IMPORT_FIELDS, CB_SETITEMDATA, static_cast<WPARAM>(at), data);
        return at;
    };
    for (std::size_t i = 0; i < transfer::kMappingFields.size(); ++i)
        addField(targetText(transfer::kMappingFields[i]), static_cast<LPARAM>(i));
    LRESULT none = addField(std::string(transfer::kNoTarget), kNoField);
    sendItem(IDC_IMPORT_FIELDS, CB_SETCURSEL, static_cast<WPARAM>(none));

    reader_.record(0, first_);
    std::optional<transfer::HeaderLine> header = transfer::readHeaderLine(first_, encoding_);
    setChecked(IDC_IMPORT_HEADER, header.has_value());
    mapping_ = header ? header->mapping : transfer::ImportMapping(static_cast<int>(first_.size()));
    showMapping();
    int last = reader_.recordCount() > 0 ? reader_.recordCount() - 1 : 0;
    sendItem(IDC_IMPORT_SPIN, UDM_SETRANGE32, 0, last);
    sendItem(IDC_IMPORT_SPIN, UDM_SETPOS32, 0, 0);
    showRecord(0);
    return TRUE;
}

void ImportDialog::showRecord(int index) {
    record_ = index;
    setItemText(IDC_IMPORT_RECORD, "List# " + std::to_string(index + 1));
    std::vector<std::string> values;
    reader_.record(index, values);
    LRESULT selected = sendItem(IDC_IMPORT_VALUES, LB_GETCURSEL);
    sendItem(IDC_IMPORT_VALUES, LB_RESETCONTENT);
    // The rows stand for the value positions of the first record.
    for (int i = 0; i < mapping_.valueCount(); ++i) {
        std::string shown;
        if (static_cast<std::size_t>(i) < values.size()) {
            transfer::ValueCounts ignored;
            shown = transfer::storedValue(values[static_cast<std::size_t>(i)], encoding_,
                                          Field::Note, ignored);
        }
        if (shown.empty())
            shown = transfer::kNoTarget;
        sendItem(IDC_IMPORT_VALUES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    }
    if (selected != LB_ERR)
        sendItem(IDC_IMPORT_VALUES, LB_SETCURSEL, static_cast<WPARAM>(selected));
}

void ImportDialog::showMapping() {
    LRESULT selected = sendItem(IDC_IMPORT_MAP, LB_GETCURSEL);
    sendItem(IDC_IMPORT_MAP, LB_RESETCONTENT);
    for (int i = 0; i < mapping_.valueCount(); ++i)
        sendItem(IDC_IMPORT_MAP, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(targetText(mapping_.target(i)).c_str()));
    if (selected != LB_ERR)
        sendItem(IDC_IMPORT_MAP, LB_SETCURSEL, static_cast<WPARAM>(selected));
}

void ImportDialog::onHeaderClicked() {
    refused_.reset();
    mapping_ = isChecked(IDC_IMPORT_HEADER)
                   ? transfer::mapColumnNames(first_, encoding_).mapping
                   : transfer::ImportMapping(static_cast<int>(first_.size()));
    showMapping();
}

void ImportDialog::onValueSelected() {
    sendItem(IDC_IMPORT_MAP, LB_SETCURSEL,
             static_cast<WPARAM>(sendItem(IDC_IMPORT_VALUES, LB_GETCURSEL)));
}

void ImportDialog::onTargetSelected() {
    sendItem(IDC_IMPORT_VALUES, LB_SETCURSEL,
             static_cast<WPARAM>(sendItem(IDC_IMPORT_MAP, LB_GETCURSEL)));
}

void ImportDialog::onFieldChosen() {
    if (sendItem(IDC_IMPORT_FIELDS, CB_GETDROPPEDSTATE)) {
        choiceInList_ = true;  // browsing the open list: judged when it closes
        return;
    }
    chooseField(false);
}

void ImportDialog::onFieldChoiceEnds() {
    PostMessageA(handle(), kFieldChoiceMade, 0, 0);
}

INT_PTR ImportDialog::onFieldChoiceMade(WPARAM, LPARAM) {
    if (choiceInList_) {
        choiceInList_ = false;
        chooseField(true);
    } else if (refused_) {
        Waiting waiting = *refused_;
        refused_.reset();
        refuse(waiting.row, waiting.field);
    }
    return TRUE;
}

// Sends the selected value to the field chosen in the box. A used field is refused
// at once when the choice is final; one the selection only passes over is refused
// when the choice ends there.
void ImportDialog::chooseField(bool final) {
    LRESULT row = sendItem(IDC_IMPORT_VALUES, LB_GETCURSEL);
    LRESULT choice = sendItem(IDC_IMPORT_FIELDS, CB_GETCURSEL);
    if (row == LB_ERR || choice == CB_ERR)
        return;
    LRESULT data = sendItem(IDC_IMPORT_FIELDS, CB_GETITEMDATA, static_cast<WPARAM>(choice));
    std::optional<Field> field;
    if (data != kNoField)
        field = transfer::kMappingFields.at(static_cast<std::size_t>(data));
    refused_.reset();
    if (!mapping_.assign(static_cast<int>(row), field)) {
        if (final)
            refuse(static_cast<int>(row), field);
        else
            refused_ = Waiting{static_cast<int>(row), field};
        return;
    }
    std::string text = targetText(field);
    sendItem(IDC_IMPORT_MAP, LB_DELETESTRING, static_cast<WPARAM>(row));
    sendItem(IDC_IMPORT_MAP, LB_INSERTSTRING, static_cast<WPARAM>(row),
             reinterpret_cast<LPARAM>(text.c_str()));
    sendItem(IDC_IMPORT_MAP, LB_SETCURSEL, static_cast<WPARAM>(row));
}

void ImportDialog::refuse(int row, std::optional<Field> field) {
    fw::messageBox(handle(), "This field <" + targetText(field) + "> has been used", "Opps...",
                   MB_OK);
    sendItem(IDC_IMPORT_MAP, LB_SETCURSEL, static_cast<WPARAM>(row));
}

LRESULT ImportDialog::onSpin(const NMHDR& header) {
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    int wanted = record_ + change.iDelta;
    if (wanted < 0 || wanted >= reader_.recordCount()) {
        fw::messageBox(handle(), "You have reached the end of the list", "Opps",
                       MB_OK | MB_ICONINFORMATION);
        return TRUE;  // the position stays
    }
    showRecord(wanted);
    return FALSE;
}

void ImportDialog::onOk() {
    if (refused_) {  // OK pressed while the box shows a used field
        Waiting waiting = *refused_;
        refused_.reset();
        refuse(waiting.row, waiting.field);
        return;
    }
    summary_ =
        transfer::importTable(reader_, mapping_, encoding_, target_, isChecked(IDC_IMPORT_HEADER));
    end(IDOK);
}

}  // namespace ctlite
