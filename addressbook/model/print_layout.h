// What the print commands put on paper: the lines of one entry and how the blocks of
// a whole group fall onto pages.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "addressbook/model/entry.h"
#include "addressbook/model/name_list.h"

namespace ctlite {

inline constexpr int kBlockLines = 11;
using PrintBlock = std::array<std::string, kBlockLines>;

// One entry of a printed list: ten labelled lines and a rule of 30 hyphens. The name
// line takes the last-name form when the list is printed by last name.
PrintBlock listBlock(const Entry& entry, SortMode key);
// The page of one entry: the same ten lines with the name first-name first, then the note.
PrintBlock singleEntryPage(const Entry& entry);

struct PrintedPage {
    std::vector<int> entries;  // 0-based indexes, one block each, top to bottom
};

// The pages of "Print All": the name list's lines from top to bottom, in the order
// the list shows them, each given as the 0-based index of its own entry (kNoEntry for
// the "{ EMPTY }" line, which prints nothing). Each line prints its entry once, so
// entries sharing a text print once each. A page holds linesPerPage / 11 blocks, and
// a page too short for a whole block still takes one, so that printing always ends.
std::vector<PrintedPage> planPrintAll(const std::vector<int>& lineEntries, int linesPerPage);

}  // namespace ctlite
