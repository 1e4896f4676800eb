// "Field Label Editor": the fifteen captions the user may rename, one edit each,
// with "&Default" to fill in the usual captions. OK stores them as typed.
#pragma once

#include "addressbook/model/field_labels.h"
#include "framework/dialog.h"

namespace ctlite {

class FieldLabelEditor : public fw::DialogImpl<FieldLabelEditor> {
public:
    static const fw::CommandEntry<FieldLabelEditor> kCommands[];

    explicit FieldLabelEditor(FieldLabels& labels) : labels_(labels) {}
    // True on OK, with the captions changed.
    bool run(HWND owner);

private:
    BOOL onInit() override;
    void onDefault();
    void onOk();
    void onCancel() { end(IDCANCEL); }

    FieldLabels& labels_;
};

}  // namespace ctlite
