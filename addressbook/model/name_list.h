// The lines of the name list: which entries a sort mode lists, under which text,
// in which order, and how the quick-search box picks one.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "addressbook/model/group_list.h"

namespace ctlite {

// Stored as the registry value "Sort".
enum class SortMode : int { LastName = 0, FirstName = 1, Company = 2 };
inline constexpr SortMode kDefaultSortMode = SortMode::FirstName;

// Last and first name modes list entries with a first or last name; company mode
// lists entries with a company name.
bool isListed(const Entry& entry, SortMode mode);
// "Smith, Ann", "Ann Smith" or the company name.
std::string lineText(const Entry& entry, SortMode mode);

// "Name List [3 entries]", "Company [1 entry]", "Name List [empty]": every entry of
// the group counts, listed or not; a group whose only entry is the placeholder is empty.
std::string listCaption(const GroupList& list, SortMode mode);

// The alphabetical order of a sorted list box, byte by byte: case ignored, accented
// letters among the plain ones (É with E, Æ as AE), hyphens and apostrophes left
// out and every other sign and blank ahead of digits and letters; texts alike in
// all that go by their text folded to upper case, hyphens and apostrophes last.
void appendListOrderKey(std::string& key, std::string_view text);

struct NameLine {
    std::string text;
    // The entry's 0-based index in its group (position - 1); kNoEntry for the
    // "{ EMPTY }" line of a group without entries.
    int index;
};
inline constexpr int kNoEntry = -1;

struct QuickSearch {
    enum class Action { ClearSelection, Select, KeepSelection } action;
    std::size_t line = 0;  // for Select
};

class NameList {
public:
    // The lines of `list` in `mode`, in the order of listOrderKey(); lines of the
    // same key keep the group's order.
    NameList(const GroupList& list, SortMode mode);

    const std::vector<NameLine>& lines() const { return lines_; }
    std::size_t size() const { return lines_.size(); }

    // The first line from the top that begins with `text`, without regard to case.
    std::optional<std::size_t> firstLineStartingWith(std::string_view text) const;
    // What typing `text` into the quick-search box does to the selection.
    QuickSearch quickSearch(std::string_view text) const;
    // The line that shows the entry with this 0-based index, if it is listed.
    std::optional<std::size_t> lineOfEntry(int index) const;

private:
    std::vector<NameLine> lines_;
};

}  // namespace ctlite
