// What the print commands put on paper: the lines of one entry and how the blocks of
// a whole group fall onto pages.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "addressbook/model/group_list.h"
#include "addressbook/model/name_list.h"

namespace ctlite {

inline constexpr int kBlockLines = 11;
using PrintBlock = std::array<std::string, kBlockLines>;

// One entry of a printed list: ten labelled lines and a rule of 30 hyphens. The name
// line takes the last-name form when the list is printed by last name.
PrintBlock listBlock(const Entry& entry, SortMode key);
// The page of one entry: the same ten lines with the name first-name first, then the note.
PrintBlock singleEntryPage(const Entry& entry);

// The 0-based indexes of the entries a list line stands for: every entry, in stored
// order, whose list text for `key` is exactly `text`.
std::vector<int> entriesShowing(const GroupList& list, SortMode key, const std::string& text);

struct PrintedPage {
    std::vector<int> entries;  // 0-based indexes, one block each, top to bottom
};

// The pages of "Print All": the group's list lines in `key` order, each printing every
// entry that shows its text (so entries sharing a text are printed once per line).
// A page holds linesPerPage / 11 blocks; entries sharing a text go on to the next page
// rather than past the bottom, and a page too short for a whole block still takes one,
// so that printing always ends. An empty group has no pages.
std::vector<PrintedPage> planPrintAll(const GroupList& list, SortMode key, int linesPerPage);

}  // namespace ctlite
