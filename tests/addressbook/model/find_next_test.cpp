#include "addressbook/model/find_next.h"

#include <gtest/gtest.h>

#include "tests/support/book_builder.h"

using namespace ctlite;
using testing_support::makeEntry;

namespace {

// Group 1: Ann Smith, Acme (company only); group 2: empty;
// group 3: Bob Smith (Smith & Co), Ann Jones (path with "smith" in the picture).
AddressBook sampleBook() {
    AddressBook book;
    GroupList& g1 = book.group(0).entries();
    g1.insert(1, makeEntry({{Field::FirstName, "Ann"}, {Field::LastName, "Smith"}}));
    g1.insert(2, makeEntry({{Field::CompanyName, "Acme"}, {Field::Note, "smithy"}}));
    int g = book.addGroup("Club");
    GroupList& g3 = book.group(g).entries();
    g3.insert(1, makeEntry({{Field::FirstName, "Bob"},
                            {Field::LastName, "Smith"},
                            {Field::CompanyName, "Smith & Co"}}));
    g3.insert(2, makeEntry({{Field::FirstName, "Ann"},
                            {Field::LastName, "Jones"},
                            {Field::Picture, "c:\\smith.bmp"}}));
    return book;
}

}  // namespace

TEST(FindNext, AllGroupsVisitsEveryMatchOnceThenStartsOver) {
    AddressBook book = sampleBook();
    FindRequest request{"smith", SearchMode::Names, true};
    int current = 0;
    // Names: Ann Smith (group 1), Bob Smith (group 3); the third press finds nothing.
    FindNext again;
    std::vector<std::pair<int, int>> names;
    for (;;) {
        FindResult r = again.next(book, current, SortMode::LastName, request);
        if (!r.found) {
            EXPECT_EQ(r.resultText, "Result : Cannot find smith");
            break;
        }
        names.emplace_back(r.group, r.index);
        current = r.group;
        ASSERT_LT(names.size(), 10u);
    }
    EXPECT_EQ(names, (std::vector<std::pair<int, int>>{{0, 0}, {2, 0}}));
    // The next press starts over from the top.
    EXPECT_EQ(again.next(book, current, SortMode::LastName, request).group, 0);
}

TEST(FindNext, MatchOnTheLastEntryOfAGroupMovesOnToTheNextGroup) {
    AddressBook book;
    book.group(0).entries().insert(1, makeEntry({{Field::FirstName, "Zed"}}));
    book.group(0).entries().insert(2, makeEntry({{Field::FirstName, "Ann"}}));  // last entry
    book.group(1).entries().insert(1, makeEntry({{Field::FirstName, "Ann"}}));
    FindNext find;
    FindRequest request{"ann", SearchMode::Names, true};
    FindResult first = find.next(book, 0, SortMode::FirstName, request);
    EXPECT_EQ(std::make_pair(first.group, first.index), std::make_pair(0, 1));
    FindResult second = find.next(book, first.group, SortMode::FirstName, request);
    ASSERT_TRUE(second.found);
    EXPECT_EQ(std::make_pair(second.group, second.index), std::make_pair(1, 0));
    EXPECT_FALSE(find.next(book, second.group, SortMode::FirstName, request).found);
}

TEST(FindNext, CurrentGroupOnlyNeverLeavesIt) {
    AddressBook book = sampleBook();
    FindNext find;
    FindRequest request{"ann", SearchMode::Names, false};
    FindResult r = find.next(book, 2, SortMode::FirstName, request);
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.group, 2);
    EXPECT_EQ(r.index, 1);
    EXPECT_EQ(r.lineText, "Ann Jones");
    // The match was the group's last entry: the next press starts the group again.
    r = find.next(book, 2, SortMode::FirstName, request);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.group, 2);
    FindRequest none{"nobody", SearchMode::Names, false};
    EXPECT_FALSE(find.next(book, 1, SortMode::FirstName, none).found);
}

TEST(FindNext, ListModeSwitches) {
    AddressBook book = sampleBook();
    FindNext find;
    // A names search while the list shows companies switches to first names.
    FindResult names =
        find.next(book, 0, SortMode::Company, {"ann smith", SearchMode::Names, true});
    EXPECT_EQ(names.sortMode, SortMode::FirstName);
    EXPECT_EQ(names.lineText, "Ann Smith");
    // A company search always shows companies.
    find.restart();
    FindResult company = find.next(book, 0, SortMode::LastName, {"co", SearchMode::Company, true});
    EXPECT_EQ(company.sortMode, SortMode::Company);
    EXPECT_EQ(company.lineText, "Smith & Co");
    // All fields: a company list stays when the result has a company name...
    find.restart();
    FindResult withCompany =
        find.next(book, 0, SortMode::Company, {"smithy", SearchMode::AllFields, true});
    EXPECT_EQ(withCompany.sortMode, SortMode::Company);
    EXPECT_EQ(withCompany.lineText, "Acme");
    // ...and switches to first names when it has none.
    find.restart();
    FindResult without =
        find.next(book, 0, SortMode::Company, {"ann", SearchMode::AllFields, true});
    EXPECT_EQ(without.sortMode, SortMode::FirstName);
    // Other modes are kept.
    find.restart();
    EXPECT_EQ(find.next(book, 0, SortMode::LastName, {"ann", SearchMode::AllFields, true}).sortMode,
              SortMode::LastName);
}

TEST(FindNext, PicturePathIsNotSearched) {
    AddressBook book;
    book.group(0).entries().insert(
        1, makeEntry({{Field::FirstName, "Ann"}, {Field::Picture, "c:\\x\\needle.jpg"}}));
    FindNext find;
    FindResult r = find.next(book, 0, SortMode::FirstName, {"needle", SearchMode::AllFields, true});
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.resultText, "Result : Cannot find needle");
}
