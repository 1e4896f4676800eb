// The entry editor: a property sheet (CAddPS) with the "Information" (CAddPP1) and
// "Note" (CAddPP2) pages. It works on the caller's entry and writes into it only
// when OK is pressed and the e-mail address passes.
#pragma once

#include <array>
#include <string>

#include "addressbook/model/entry.h"
#include "addressbook/model/field_labels.h"
#include "framework/property_sheet.h"

namespace ctlite {

class CAddPS;

class CAddPP1 : public fw::PropertyPageImpl<CAddPP1> {
public:
    static const fw::CommandEntry<CAddPP1> kCommands[];

    CAddPP1(Entry& values, const FieldLabels& labels) : values_(values), labels_(labels) {}

private:
    BOOL onInit() override;
    bool onApply() override;
    void onNameChanged();
    void onBrowse();
    void updateOk();

    Entry& values_;  // the sheet's copy
    const FieldLabels& labels_;
};

class CAddPP2 : public fw::PropertyPageImpl<CAddPP2> {
public:
    explicit CAddPP2(Entry& values) : values_(values) {}

private:
    BOOL onInit() override;
    bool onApply() override;

    Entry& values_;
};

class CAddPS {
public:
    CAddPS(Entry& entry, const FieldLabels& labels);

    // True on OK: the entry then holds the edited values.
    bool run(HWND owner);

private:
    Entry& entry_;
    Entry edited_;
    CAddPP1 information_;
    CAddPP2 note_;
};

}  // namespace ctlite
