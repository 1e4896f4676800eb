#include "addressbook/model/name_list.h"

#include <algorithm>
#include <numeric>

#include "addressbook/model/text.h"

namespace ctlite {

bool isListed(const Entry& entry, SortMode mode) {
    if (mode == SortMode::Company)
        return !entry.get(Field::CompanyName).empty();
    return !entry.get(Field::FirstName).empty() || !entry.get(Field::LastName).empty();
}

std::string lineText(const Entry& entry, SortMode mode) {
    switch (mode) {
        case SortMode::LastName: return entry.lastNameDisplay();
        case SortMode::FirstName: return entry.firstNameDisplay();
        case SortMode::Company: return std::string(entry.get(Field::CompanyName));
    }
    return {};
}

std::string listCaption(const GroupList& list, SortMode mode) {
    std::string caption = mode == SortMode::Company ? "Company [" : "Name List [";
    const Entry* first = list.find(1);
    if (list.count() == 1 && first->isPlaceholder())
        caption += "empty]";
    else if (list.count() == 1)
        caption += "1 entry]";
    else
        caption += std::to_string(list.count()) + " entries]";
    return caption;
}

NameList::NameList(const GroupList& list, SortMode mode) {
    if (list.count() == 0) {
        lines_.push_back({std::string(kPlaceholderText), kNoEntry});
        keys_.push_back(foldedUpper(kPlaceholderText));
        return;
    }
    std::vector<NameLine> unsorted;
    std::vector<std::string> keys;
    unsorted.reserve(static_cast<std::size_t>(list.count()));
    keys.reserve(static_cast<std::size_t>(list.count()));
    for (int position = 1; position <= list.count(); ++position) {
        const Entry& entry = *list.find(position);
        if (!isListed(entry, mode))
            continue;
        unsorted.push_back({lineText(entry, mode), position - 1});
        keys.push_back(foldedUpper(unsorted.back().text));
    }
    std::vector<std::size_t> order(unsorted.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        int c = keys[a].compare(keys[b]);
        return c != 0 ? c < 0 : unsorted[a].index < unsorted[b].index;
    });
    lines_.reserve(order.size());
    keys_.reserve(order.size());
    for (std::size_t i : order) {
        lines_.push_back(std::move(unsorted[i]));
        keys_.push_back(std::move(keys[i]));
    }
}

std::optional<std::size_t> NameList::firstLineStartingWith(std::string_view text) const {
    std::string prefix = foldedUpper(text);
    // Lines are ordered by their folded text, so all lines with the prefix sit
    // together, starting at the first line not below it.
    auto at = std::lower_bound(keys_.begin(), keys_.end(), prefix);
    if (at == keys_.end() || at->compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    return static_cast<std::size_t>(at - keys_.begin());
}

QuickSearch NameList::quickSearch(std::string_view text) const {
    if (text.empty())
        return {QuickSearch::Action::ClearSelection};
    if (auto line = firstLineStartingWith(text))
        return {QuickSearch::Action::Select, *line};
    return {QuickSearch::Action::KeepSelection};
}

std::optional<std::size_t> NameList::lineOfEntry(int index) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].index == index)
            return i;
    return std::nullopt;
}

}  // namespace ctlite
