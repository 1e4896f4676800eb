// What the Group Editor does to the book: entries moved or copied between two
// groups one at a time, and a record kept for every group it leaves empty.
#pragma once

#include <string>

#include "addressbook/model/address_book.h"
#include "addressbook/model/name_list.h"

namespace ctlite {

// The editor's "Sort Method" buttons, in their order.
SortMode groupEditorSortMode(int method);

// The lines one side of the editor lists for `group`: those of the name list in
// that mode ("{ EMPTY }" alone for a group without entries).
NameList groupEditorLines(const Group& group, SortMode mode);

enum class SwapOutcome { Done, NothingSelected, EmptyLine, SameGroup, Failed };

// Puts entry `index` (0-based) of group `from` at the top of group `to`, and with
// `keepSource` false removes it from `from`. A target whose only entry is the
// "{ EMPTY }" placeholder loses the placeholder, and the newcomer takes the target's
// name. kNoEntry (the "{ EMPTY }" line of an empty group) is refused.
SwapOutcome transferEntry(AddressBook& book, int from, int index, int to, bool keepSource);

// Every group without entries gets one blank entry carrying its name, so that it keeps
// a record of its own in the data file. The number of groups given one.
int keepEmptyGroups(AddressBook& book);

}  // namespace ctlite
