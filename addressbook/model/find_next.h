// The Search dialog's "Find next": where the search stands between presses, and
// what the main window must do to show each result.
#pragma once

#include <string>
#include <string_view>

#include "addressbook/model/address_book.h"
#include "addressbook/model/name_list.h"

namespace ctlite {

struct FindRequest {
    std::string_view text;
    SearchMode mode = SearchMode::Names;
    bool allGroups = true;
};

struct FindResult {
    bool found = false;
    int group = 0;  // the result's group (0-based); the main window switches to it
    int index = 0;  // the result's 0-based index in that group
    // The sort mode the list must be in to show the result. A change here checks
    // the matching Sort menu item but is not stored as the user's choice.
    SortMode sortMode = kDefaultSortMode;
    std::string lineText;    // select the first line beginning with this text
    std::string resultText;  // "Result : Match found" or "Result : Cannot find ..."
};

class FindNext {
public:
    // Opening the dialog and changing the text start again from the top.
    void restart() {
        group_ = 0;
        position_ = 0;
    }

    FindResult next(const AddressBook& book, int currentGroup, SortMode currentSort,
                    const FindRequest& request);

    int group() const { return group_; }
    int position() const { return position_; }

private:
    int group_ = 0;     // the group being searched
    int position_ = 0;  // entries of that group already looked at
};

}  // namespace ctlite
