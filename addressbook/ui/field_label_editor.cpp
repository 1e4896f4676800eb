#include "addressbook/ui/field_label_editor.h"

#include "addressbook/ui/resource.h"

namespace ctlite {

const fw::CommandEntry<FieldLabelEditor> FieldLabelEditor::kCommands[] = {
    {IDC_LABELS_DEFAULT, BN_CLICKED, &FieldLabelEditor::onDefault},
    {IDOK, BN_CLICKED, &FieldLabelEditor::onOk},
    {IDCANCEL, BN_CLICKED, &FieldLabelEditor::onCancel},
    {0, 0, nullptr},
};

bool FieldLabelEditor::run(HWND owner) {
    return runModal(IDD_FIELD_LABELS, owner) == IDOK;
}

BOOL FieldLabelEditor::onInit() {
    for (int i = 0; i < kLabelCount; ++i)
        setItemText(IDC_LABEL_EDIT_FIRST + i, labels_.get(static_cast<Label>(i)));
    return TRUE;
}

void FieldLabelEditor::onDefault() {
    // Only the edits: nothing is stored until OK.
    for (int i = 0; i < kLabelCount; ++i)
        setItemText(IDC_LABEL_EDIT_FIRST + i, FieldLabels::defaultText(static_cast<Label>(i)));
}

void FieldLabelEditor::onOk() {
    for (int i = 0; i < kLabelCount; ++i)
        labels_.set(static_cast<Label>(i), itemText(IDC_LABEL_EDIT_FIRST + i));
    end(IDOK);
}

}  // namespace ctlite
