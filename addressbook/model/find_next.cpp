#include "addressbook/model/find_next.h"

#include "addressbook/model/search_pattern.h"

namespace ctlite {
namespace {

SortMode sortModeToShow(SearchMode mode, SortMode current, const Entry& result) {
    switch (mode) {
        case SearchMode::Names: return current == SortMode::Company ? SortMode::FirstName : current;
        case SearchMode::Company: return SortMode::Company;
        case SearchMode::AllFields:
            if (current == SortMode::Company && result.get(Field::CompanyName).empty())
                return SortMode::FirstName;
            return current;
    }
    return current;
}

}  // namespace

FindResult FindNext::next(const AddressBook& book, int currentGroup, SortMode currentSort,
                          const FindRequest& request) {
    int firstGroup, lastGroup;
    if (request.allGroups) {
        // Go on where the last press stopped: after a match on a group's last entry
        // the search moves to the next group rather than starting that group again.
        if (group_ < 0 || group_ >= book.groupCount())
            restart();
        firstGroup = group_;
        lastGroup = book.groupCount() - 1;
    } else {
        if (position_ >= book.group(currentGroup).entries().count())
            position_ = 0;
        group_ = currentGroup;
        firstGroup = lastGroup = currentGroup;
    }

    SearchPattern pattern(request.text);
    for (int g = firstGroup; g <= lastGroup; ++g) {
        const GroupList& list = book.group(g).entries();
        int start = g == firstGroup ? position_ : 0;
        for (int index = start; index < list.count(); ++index) {
            const Entry& entry = *list.find(index + 1);
            if (!entry.matches(request.mode, pattern))
                continue;
            group_ = g;
            position_ = index + 1;
            FindResult result;
            result.found = true;
            result.group = g;
            result.index = index;
            result.sortMode = sortModeToShow(request.mode, currentSort, entry);
            result.lineText = lineText(entry, result.sortMode);
            result.resultText = "Result : Match found";
            return result;
        }
    }
    restart();
    FindResult result;
    result.sortMode = currentSort;
    result.resultText = "Result : Cannot find " + std::string(request.text);
    return result;
}

}  // namespace ctlite
