// "Group Editor": two groups side by side, entries moved or copied between them one
// click at a time. Every move and copy changes the book at once.
#pragma once

#include <string>

#include "addressbook/model/address_book.h"
#include "addressbook/model/name_list.h"
#include "framework/dialog.h"

namespace ctlite {

class GroupEditor : public fw::DialogImpl<GroupEditor> {
public:
    static const fw::CommandEntry<GroupEditor> kCommands[];
    static const fw::DataEntry<GroupEditor> kData[];

    explicit GroupEditor(AddressBook& book) : book_(book) {}
    // True when closed with OK (empty groups were then given a blank entry).
    bool run(HWND owner);

private:
    struct Side {
        int groupBox, list, count;
        int group;  // shown group, 0-based
    };

    BOOL onInit() override;
    std::string listLineText(int list, int line) const;
    void fillList(const Side& side);
    void fillBoth();
    void chooseGroup(Side& side, const Side& other);
    void transfer(const Side& from, const Side& to, bool keepSource);

    void onLeftGroup() { chooseGroup(left_, right_); }
    void onRightGroup() { chooseGroup(right_, left_); }
    void onMoveRight() { transfer(left_, right_, false); }
    void onMoveLeft() { transfer(right_, left_, false); }
    void onCopyRight() { transfer(left_, right_, true); }
    void onCopyLeft() { transfer(right_, left_, true); }
    void onSortMethod();
    void onOk();
    // Escape and the close box keep the moves but give no group a blank entry.
    void onCancel() { end(IDCANCEL); }

    AddressBook& book_;
    Side left_{0, 0, 0, 0}, right_{0, 0, 0, 1};
    // The "Sort Method" buttons: first name, last name, company name.
    int sortMethod_ = 0;
    SortMode sort_ = SortMode::FirstName;
};

}  // namespace ctlite
