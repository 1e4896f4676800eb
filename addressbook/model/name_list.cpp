#include "addressbook/model/name_list.h"

#include <algorithm>
#include <cstdint>

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

namespace {

// lineText(), appended to `out`.
void appendLineText(std::string& out, const Entry& entry, SortMode mode) {
    switch (mode) {
        case SortMode::LastName: {
            std::string_view last = entry.get(Field::LastName);
            if (!last.empty())
                out.append(last).append(", ");
            out.append(entry.get(Field::FirstName));
            return;
        }
        case SortMode::FirstName:
            out.append(entry.get(Field::FirstName)).append(" ").append(entry.get(Field::LastName));
            return;
        case SortMode::Company: out.append(entry.get(Field::CompanyName)); return;
    }
}

// A line while the lines are sorted: the first sixteen bytes of its key as two
// numbers, so that most comparisons need nothing else.
struct SortItem {
    std::uint64_t head[2];
    std::size_t start;  // of its text and key
    std::size_t size;
    int index;
};

std::uint64_t bigEndian(std::string_view key, std::size_t from) {
    std::uint64_t word = 0;
    for (std::size_t i = from; i < from + 8; ++i)
        word = word << 8 | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return word;
}

}  // namespace

NameList::NameList(const GroupList& list, SortMode mode) {
    if (list.count() == 0) {
        lines_.push_back({std::string(kPlaceholderText), kNoEntry});
        keyText_ = foldedUpper(kPlaceholderText);
        keys_.push_back({0, keyText_.size()});
        return;
    }
    // Every line's text back to back, then the same folded (keyText_): folding
    // keeps the length, so a line's key lies where its text does.
    std::string texts;
    std::vector<SortItem> order;
    order.reserve(static_cast<std::size_t>(list.count()));
    for (int position = 1; position <= list.count(); ++position) {
        const Entry& entry = *list.find(position);
        if (!isListed(entry, mode))
            continue;
        std::size_t start = texts.size();
        appendLineText(texts, entry, mode);
        order.push_back({{0, 0}, start, texts.size() - start, position - 1});
    }
    keyText_.reserve(texts.size());
    appendFoldedUpper(keyText_, texts);
    auto keyOf = [&](const SortItem& item) {
        return std::string_view(keyText_).substr(item.start, item.size);
    };
    for (SortItem& item : order) {
        std::string_view key = keyOf(item);
        item.head[0] = bigEndian(key, 0);
        item.head[1] = bigEndian(key, 8);
    }
    // Keys hold no NUL, so a key padded with NULs comes before every longer key
    // that begins with it, as it should.
    std::sort(order.begin(), order.end(), [&](const SortItem& a, const SortItem& b) {
        if (a.head[0] != b.head[0])
            return a.head[0] < b.head[0];
        if (a.head[1] != b.head[1])
            return a.head[1] < b.head[1];
        int c = keyOf(a).compare(keyOf(b));
        return c != 0 ? c < 0 : a.index < b.index;
    });
    lines_.reserve(order.size());
    keys_.reserve(order.size());
    for (const SortItem& item : order) {
        lines_.push_back({texts.substr(item.start, item.size), item.index});
        keys_.push_back({item.start, item.size});
    }
}

std::optional<std::size_t> NameList::firstLineStartingWith(std::string_view text) const {
    std::string prefix = foldedUpper(text);
    // Lines are ordered by their folded text, so all lines with the prefix sit
    // together, starting at the first line not below it.
    std::size_t low = 0, high = lines_.size();
    while (low < high) {
        std::size_t mid = low + (high - low) / 2;
        if (key(mid) < prefix)
            low = mid + 1;
        else
            high = mid;
    }
    if (low == lines_.size() || key(low).substr(0, prefix.size()) != prefix)
        return std::nullopt;
    return low;
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
