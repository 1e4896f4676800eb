#include "addressbook/model/group_swap.h"

namespace ctlite {

SortMode groupEditorSortMode(int method) {
    switch (method) {
        case 1: return SortMode::LastName;
        case 2: return SortMode::Company;
        default: return SortMode::FirstName;
    }
}

NameList groupEditorLines(const Group& group, SortMode mode) {
    return NameList(group.entries(), mode);
}

SwapOutcome transferEntry(AddressBook& book, int from, int index, int to, bool keepSource) {
    if (from == to)
        return SwapOutcome::SameGroup;
    if (index == kNoEntry)
        return SwapOutcome::EmptyLine;
    if (from < 0 || to < 0 || from >= book.groupCount() || to >= book.groupCount())
        return SwapOutcome::Failed;
    GroupList& source = book.group(from).entries();
    GroupList& target = book.group(to).entries();
    Entry moving;
    if (!source.get(index + 1, moving))
        return SwapOutcome::Failed;
    // Judged on the group itself, whatever the target list shows in its sort mode: a
    // placeholder left beside a real entry would show as one of the group's people.
    const Entry* first = target.find(1);
    bool replacesPlaceholder = target.count() == 1 && first && first->isPlaceholder();
    if (replacesPlaceholder)
        moving.set(Field::GroupName, book.groupName(to));
    if (!target.insert(1, std::move(moving)))
        return SwapOutcome::Failed;
    if (replacesPlaceholder)
        target.remove(2);
    if (!keepSource)
        source.remove(index + 1);
    return SwapOutcome::Done;
}

int keepEmptyGroups(AddressBook& book) {
    int given = 0;
    for (int g = 0; g < book.groupCount(); ++g) {
        GroupList& list = book.group(g).entries();
        if (list.count() != 0)
            continue;
        Entry blank;
        blank.set(Field::GroupName, book.groupName(g));
        if (list.insert(1, std::move(blank)))
            ++given;
    }
    return given;
}

}  // namespace ctlite
