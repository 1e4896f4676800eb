#include "addressbook/model/name_list.h"

#include <algorithm>
#include <array>
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

// The letter a byte of Windows-1252 text sorts as, upper case and without its
// accent: up to two letters (Æ is AE, ß is SS); none for the signs and blanks,
// which sort on their own ahead of the letters.
struct Letters {
    char first = 0, second = 0;
};

constexpr std::array<Letters, 256> makeLetterTable() {
    std::array<Letters, 256> table{};
    for (int c = '0'; c <= '9'; ++c)
        table[c] = {static_cast<char>(c)};
    for (int c = 'A'; c <= 'Z'; ++c)
        table[c] = table[c + 0x20] = {static_cast<char>(c)};
    auto set = [&](int from, int to, char letter, char second = 0) {
        for (int c = from; c <= to; ++c)
            table[c] = {letter, second};
    };
    // Š Œ Ž š œ ž Ÿ, then the Latin-1 letters, capital and small.
    set(0x8A, 0x8A, 'S');
    set(0x8C, 0x8C, 'O', 'E');
    set(0x8E, 0x8E, 'Z');
    set(0x9A, 0x9A, 'S');
    set(0x9C, 0x9C, 'O', 'E');
    set(0x9E, 0x9E, 'Z');
    set(0x9F, 0x9F, 'Y');
    for (int small : {0, 0x20}) {
        set(0xC0 + small, 0xC5 + small, 'A');
        set(0xC6 + small, 0xC6 + small, 'A', 'E');
        set(0xC7 + small, 0xC7 + small, 'C');
        set(0xC8 + small, 0xCB + small, 'E');
        set(0xCC + small, 0xCF + small, 'I');
        set(0xD0 + small, 0xD0 + small, 'D');
        set(0xD1 + small, 0xD1 + small, 'N');
        set(0xD2 + small, 0xD6 + small, 'O');
        set(0xD8 + small, 0xD8 + small, 'O');
        set(0xD9 + small, 0xDC + small, 'U');
        set(0xDD + small, 0xDD + small, 'Y');
    }
    set(0xDF, 0xDF, 'S', 'S');
    set(0xFF, 0xFF, 'Y');
    return table;
}

// Each byte's weight in the first part of a key, one or two bytes (for Æ, Œ, ß):
// the signs and blanks in their own order from 1, then the digits, then the
// letters; 0 for hyphens and apostrophes, which are left out.
struct Weights {
    unsigned char first = 0, second = 0;
};

constexpr std::array<Weights, 256> makeWeights() {
    const std::array<Letters, 256> letters = makeLetterTable();
    std::array<Weights, 256> weights{};
    int next = 1;
    for (int c = 1; c < 256; ++c)
        if (!letters[c].first && c != '-' && c != '\'')
            weights[c] = {static_cast<unsigned char>(next++)};
    auto weight = [&](char letter) {
        return static_cast<unsigned char>(letter <= '9' ? next + (letter - '0')
                                                        : next + 10 + (letter - 'A'));
    };
    for (int c = 1; c < 256; ++c)
        if (letters[c].first)
            weights[c] = {weight(letters[c].first), letters[c].second
                                                        ? weight(letters[c].second)
                                                        : static_cast<unsigned char>(0)};
    return weights;
}

constexpr auto kWeights = makeWeights();

// A line's place while sorting: its key's bytes in one buffer for all lines, and
// the first sixteen of them as two numbers, which decide most comparisons alone.
struct SortSlot {
    std::uint64_t high, low;
    std::size_t from, size;
    std::uint32_t line;
};

std::uint64_t eightBytes(std::string_view key, std::size_t from) {
    std::uint64_t bytes = 0;
    for (std::size_t i = from; i < from + 8; ++i)
        bytes = bytes << 8 | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return bytes;
}

}  // namespace

void appendListOrderKey(std::string& key, std::string_view text) {
    for (char c : text) {
        Weights w = kWeights[static_cast<unsigned char>(c)];
        if (w.first)
            key += static_cast<char>(w.first);
        if (w.second)
            key += static_cast<char>(w.second);
    }
    // Alike so far: by the text folded to upper case, a hyphen or an apostrophe
    // after every letter in its place.
    key += '\0';
    for (char c : text) {
        if (c == '-' || c == '\'')
            key += '\xFF';
        key += foldUpper(c);
    }
}

NameList::NameList(const GroupList& list, SortMode mode) {
    if (list.count() == 0) {
        lines_.push_back({std::string(kPlaceholderText), kNoEntry});
        return;
    }
    auto count = static_cast<std::size_t>(list.count());
    std::vector<NameLine> unsorted;
    std::vector<SortSlot> slots;
    std::string keys;
    unsorted.reserve(count);
    slots.reserve(count);
    keys.reserve(count * 24);
    for (int position = 1; position <= list.count(); ++position) {
        const Entry& entry = *list.find(position);
        if (!isListed(entry, mode))
            continue;
        unsorted.push_back({lineText(entry, mode), position - 1});
        std::size_t from = keys.size();
        appendListOrderKey(keys, unsorted.back().text);
        std::string_view made(keys.data() + from, keys.size() - from);
        slots.push_back({eightBytes(made, 0), eightBytes(made, 8), from, made.size(),
                         static_cast<std::uint32_t>(slots.size())});
    }
    std::string_view all(keys);
    std::sort(slots.begin(), slots.end(), [&](const SortSlot& a, const SortSlot& b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        int c = all.substr(a.from, a.size).compare(all.substr(b.from, b.size));
        return c != 0 ? c < 0 : a.line < b.line;  // lines are made in the group's order
    });
    lines_.reserve(slots.size());
    for (const SortSlot& slot : slots)
        lines_.push_back(std::move(unsorted[slot.line]));
}

std::optional<std::size_t> NameList::firstLineStartingWith(std::string_view text) const {
    // A walk from the top: lines in the system's order need not keep all lines
    // with one prefix together.
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::string_view line = lines_[i].text;
        if (line.size() < text.size())
            continue;
        std::size_t at = 0;
        while (at < text.size() && foldUpper(line[at]) == foldUpper(text[at]))
            ++at;
        if (at == text.size())
            return i;
    }
    return std::nullopt;
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
