// The two dialogs of File Import: "Import to" (which group receives the entries)
// and "Import" (which field each value of a line goes to, with paging through the
// file's records to check the choice).
#pragma once

#include <string>
#include <vector>

#include "addressbook/model/field_labels.h"
#include "addressbook/model/group_list.h"
#include "addressbook/transfer/table_import.h"
#include "framework/dialog.h"

namespace ctlite {

class ImportToDialog : public fw::DialogImpl<ImportToDialog> {
public:
    static const fw::CommandEntry<ImportToDialog> kCommands[];

    explicit ImportToDialog(std::vector<std::string> groupNames)
        : groupNames_(std::move(groupNames)) {}
    bool run(HWND owner);

    bool newGroup() const { return newGroup_; }
    int groupIndex() const { return groupIndex_; }
    const std::string& newGroupName() const { return newGroupName_; }

private:
    BOOL onInit() override;
    void onChoice();
    void onOk();
    void onCancel() { end(IDCANCEL); }

    std::vector<std::string> groupNames_;
    bool newGroup_ = false;
    int groupIndex_ = 0;
    std::string newGroupName_;
};

class ImportDialog : public fw::DialogImpl<ImportDialog> {
public:
    static const fw::CommandEntry<ImportDialog> kCommands[];
    static const fw::NotifyEntry<ImportDialog> kNotifies[];
    static const fw::MessageEntry<ImportDialog> kMessages[];

    ImportDialog(const transfer::TableReader& reader, transfer::Encoding encoding,
                 const FieldLabels& labels, GroupList& target)
        : reader_(reader), encoding_(encoding), labels_(labels), target_(target) {}
    // Opens with the box "The first line holds column names" ticked and the columns
    // mapped when the first record is a line of known column names; unticked, every
    // value goes to "<none>" again and the line is imported as a record.
    // True when the file was imported into the target group.
    bool run(HWND owner);
    const transfer::ImportSummary& summary() const { return summary_; }

private:
    BOOL onInit() override;
    void showRecord(int index);
    void showMapping();
    void onHeaderClicked();
    void onValueSelected();
    void onTargetSelected();
    void onFieldChosen();
    void onFieldChoiceEnds();
    INT_PTR onFieldChoiceMade(WPARAM, LPARAM);
    void chooseField(bool final);
    void refuse(int row, std::optional<Field> field);
    LRESULT onSpin(const NMHDR& header);
    void onOk();
    void onCancel() { end(IDCANCEL); }
    std::string targetText(std::optional<Field> field) const;

    const transfer::TableReader& reader_;
    transfer::Encoding encoding_;
    const FieldLabels& labels_;
    GroupList& target_;
    transfer::ImportMapping mapping_;
    std::vector<std::string> first_;  // the first record's values
    transfer::ImportSummary summary_;
    int record_ = 0;
    // The field choice is final when the drop-down closes or the focus leaves the
    // box: a field chosen in the open list, or a used field the arrow keys stopped
    // on, waits until then.
    bool choiceInList_ = false;
    struct Waiting {
        int row;
        std::optional<Field> field;
    };
    std::optional<Waiting> refused_;
};

}  // namespace ctlite
