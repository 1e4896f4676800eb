#include "addressbook/model/group_swap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/book_builder.h"

using namespace ctlite;
using testing_support::makeEntry;

namespace {

// Group 1 holds Ann Smith (no company) and Cy Miller of Acme; group 2 is empty;
// group 3, "Club", holds only its placeholder.
class GroupSwap : public testing::Test {
protected:
    void SetUp() override {
        book.group(0).entries().insert(
            1, makeEntry({{Field::FirstName, "Ann"}, {Field::LastName, "Smith"}}));
        book.group(0).entries().insert(1, makeEntry({{Field::FirstName, "Cy"},
                                                     {Field::LastName, "Miller"},
                                                     {Field::CompanyName, "Acme"}}));
        club = book.addGroup("Club");
        book.group(club).entries().insert(1, EntryPlaceholder());
    }

    std::vector<std::string> firstNames(int group) const {
        std::vector<std::string> out;
        const GroupList& list = book.group(group).entries();
        for (int p = 1; p <= list.count(); ++p)
            out.emplace_back(list.find(p)->get(Field::FirstName));
        return out;
    }
    std::vector<std::string> lines(int group, SortMode mode) const {
        std::vector<std::string> out;
        NameList names = groupEditorLines(book.group(group), mode);
        for (const NameLine& line : names.lines())
            out.push_back(line.text);
        return out;
    }
    int indexOfLine(int group, SortMode mode, const std::string& text) const {
        NameList names = groupEditorLines(book.group(group), mode);
        for (const NameLine& line : names.lines())
            if (line.text == text)
                return line.index;
        return -2;
    }

    AddressBook book;
    int club = 0;
};

}  // namespace

TEST_F(GroupSwap, ListsFollowTheSortMethod) {
    EXPECT_EQ(groupEditorSortMode(0), SortMode::FirstName);
    EXPECT_EQ(groupEditorSortMode(1), SortMode::LastName);
    EXPECT_EQ(groupEditorSortMode(2), SortMode::Company);
    EXPECT_EQ(lines(0, SortMode::LastName), (std::vector<std::string>{"Miller, Cy", "Smith, Ann"}));
    // Ann has no company: company sort does not list her, so she cannot be picked there.
    EXPECT_EQ(lines(0, SortMode::Company), (std::vector<std::string>{"Acme"}));
    EXPECT_EQ(lines(1, SortMode::FirstName), (std::vector<std::string>{"{ EMPTY }"}));
    EXPECT_EQ(indexOfLine(1, SortMode::FirstName, "{ EMPTY }"), kNoEntry);
    // The placeholder is an entry: in first-name sort its line carries the blank and it moves.
    EXPECT_EQ(lines(club, SortMode::FirstName), (std::vector<std::string>{"{ EMPTY } "}));
    EXPECT_EQ(transferEntry(book, club, 0, 1, /*keepSource=*/false), SwapOutcome::Done);
    EXPECT_TRUE(book.group(1).entries().find(1)->isPlaceholder());
}

TEST_F(GroupSwap, RefusalsChangeNothing) {
    EXPECT_EQ(transferEntry(book, 0, 0, 0, false), SwapOutcome::SameGroup);
    EXPECT_EQ(transferEntry(book, 1, kNoEntry, 0, false), SwapOutcome::EmptyLine);
    EXPECT_EQ(transferEntry(book, 0, 7, 1, false), SwapOutcome::Failed);
    EXPECT_EQ(transferEntry(book, 0, 0, 9, false), SwapOutcome::Failed);
    EXPECT_EQ(transferEntry(book, 0, 0, book.groupCount(), false), SwapOutcome::Failed);
    EXPECT_EQ(transferEntry(book, book.groupCount(), 0, 0, false), SwapOutcome::Failed);
    EXPECT_EQ(firstNames(0), (std::vector<std::string>{"Cy", "Ann"}));
    EXPECT_EQ(book.group(1).entries().count(), 0);
}

TEST_F(GroupSwap, MovingTheLastEntryOutLeavesTheGroupEmptyUntilOkGivesItABlank) {
    int ann = indexOfLine(0, SortMode::FirstName, "Ann Smith");
    ASSERT_EQ(transferEntry(book, 0, ann, 1, false), SwapOutcome::Done);
    int cy = indexOfLine(0, SortMode::FirstName, "Cy Miller");
    ASSERT_EQ(transferEntry(book, 0, cy, 1, false), SwapOutcome::Done);
    EXPECT_EQ(lines(0, SortMode::FirstName), (std::vector<std::string>{"{ EMPTY }"}));
    EXPECT_EQ(firstNames(1), (std::vector<std::string>{"Cy", "Ann"}));  // each goes on top
    EXPECT_EQ(keepEmptyGroups(book), 1);
    ASSERT_EQ(book.group(0).entries().count(), 1);
    const Entry& blank = *book.group(0).entries().find(1);
    EXPECT_EQ(blank.get(Field::GroupName), "Personal");
    EXPECT_EQ(blank.get(Field::FirstName), "");
    EXPECT_EQ(keepEmptyGroups(book), 0);
}

TEST_F(GroupSwap, AnEntryTakesThePlaceOfAPlaceholderAndItsGroupsName) {
    ASSERT_EQ(transferEntry(book, 0, indexOfLine(0, SortMode::Company, "Acme"), club, false),
              SwapOutcome::Done);
    EXPECT_EQ(firstNames(club), (std::vector<std::string>{"Cy"}));
    EXPECT_EQ(book.group(club).entries().find(1)->get(Field::GroupName), "Club");
    // A second newcomer goes on top of the first.
    ASSERT_EQ(transferEntry(book, 0, 0, club, true), SwapOutcome::Done);
    EXPECT_EQ(firstNames(club), (std::vector<std::string>{"Ann", "Cy"}));
}

TEST_F(GroupSwap, CopyThenMoveLeavesTheEntryTwiceInTheTarget) {
    int ann = indexOfLine(0, SortMode::FirstName, "Ann Smith");
    ASSERT_EQ(transferEntry(book, 0, ann, 1, /*keepSource=*/true), SwapOutcome::Done);
    EXPECT_EQ(firstNames(0), (std::vector<std::string>{"Cy", "Ann"}));
    ASSERT_EQ(transferEntry(book, 0, ann, 1, /*keepSource=*/false), SwapOutcome::Done);
    EXPECT_EQ(firstNames(0), (std::vector<std::string>{"Cy"}));
    EXPECT_EQ(firstNames(1), (std::vector<std::string>{"Ann", "Ann"}));
}
