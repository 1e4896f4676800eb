#include "addressbook/model/name_list.h"

#include <gtest/gtest.h>

#include "tests/support/book_builder.h"

using namespace ctlite;
using testing_support::makeEntry;

namespace {

GroupList sampleGroup() {
    GroupList list;
    list.insert(1, makeEntry({{Field::FirstName, "Ann"}, {Field::LastName, "Smith"}}));  // index 4
    list.insert(1, makeEntry({{Field::FirstName, "bob"}, {Field::LastName, "smithers"}}));  // 3
    list.insert(1, makeEntry({{Field::CompanyName, "Acme"}}));                              // 2
    list.insert(1, makeEntry({{Field::FirstName, "Carl"}, {Field::CompanyName, "Zeta"}}));  // 1
    list.insert(1, makeEntry({{Field::LastName, "Adams"}}));                                // 0
    return list;
}

std::vector<std::string> texts(const NameList& names) {
    std::vector<std::string> out;
    for (const NameLine& line : names.lines())
        out.push_back(line.text);
    return out;
}

}  // namespace

TEST(NameList, LastNameMode) {
    GroupList list = sampleGroup();
    NameList names(list, SortMode::LastName);
    EXPECT_EQ(texts(names),
              (std::vector<std::string>{"Adams, ", "Carl", "Smith, Ann", "smithers, bob"}));
    EXPECT_EQ(names.lines()[0].index, 0);
    EXPECT_EQ(names.lines()[2].index, 4);
    // The company-only entry is not listed but counted.
    EXPECT_EQ(listCaption(list, SortMode::LastName), "Name List [5 entries]");
}

TEST(NameList, FirstNameAndCompanyModes) {
    GroupList list = sampleGroup();
    EXPECT_EQ(texts(NameList(list, SortMode::FirstName)),
              (std::vector<std::string>{" Adams", "Ann Smith", "bob smithers", "Carl "}));
    NameList companies(list, SortMode::Company);
    EXPECT_EQ(texts(companies), (std::vector<std::string>{"Acme", "Zeta"}));
    EXPECT_EQ(companies.lines()[0].index, 2);
    EXPECT_EQ(listCaption(list, SortMode::Company), "Company [5 entries]");
}

TEST(NameList, EmptyGroupAndPlaceholder) {
    GroupList empty;
    NameList names(empty, SortMode::LastName);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names.lines()[0].text, "{ EMPTY }");
    EXPECT_EQ(names.lines()[0].index, kNoEntry);
    EXPECT_EQ(listCaption(empty, SortMode::FirstName), "Name List [0 entries]");

    GroupList held;
    held.insert(1, EntryPlaceholder());
    EXPECT_EQ(listCaption(held, SortMode::LastName), "Name List [empty]");
    EXPECT_EQ(texts(NameList(held, SortMode::LastName)), (std::vector<std::string>{"{ EMPTY }"}));
    EXPECT_EQ(texts(NameList(held, SortMode::FirstName)), (std::vector<std::string>{"{ EMPTY } "}));

    GroupList one;
    one.insert(1, makeEntry({{Field::FirstName, "Ann"}}));
    EXPECT_EQ(listCaption(one, SortMode::Company), "Company [1 entry]");
}

TEST(NameList, OrderIgnoresCaseAndListOrder) {
    GroupList a, b;
    for (const char* n : {"delta", "Alpha", "charlie", "Bravo"})
        a.insert(1, makeEntry({{Field::FirstName, n}}));
    for (const char* n : {"Bravo", "charlie", "Alpha", "delta"})
        b.insert(1, makeEntry({{Field::FirstName, n}}));
    EXPECT_EQ(texts(NameList(a, SortMode::LastName)), texts(NameList(b, SortMode::LastName)));
    EXPECT_EQ(texts(NameList(a, SortMode::LastName)),
              (std::vector<std::string>{"Alpha", "Bravo", "charlie", "delta"}));
}

TEST(NameList, NamesThatDifferOnlyInCaseKeepListOrder) {
    // Inserted oldest first, so the list holds them newest first: bob, BOB, Bob.
    GroupList list;
    for (const char* n : {"Bob", "BOB", "bob"})
        list.insert(1, makeEntry({{Field::FirstName, n}, {Field::CompanyName, n}}));
    const std::vector<std::string> newestFirst{"bob", "BOB", "Bob"};
    for (SortMode mode : {SortMode::LastName, SortMode::Company}) {
        NameList names(list, mode);
        EXPECT_EQ(texts(names), newestFirst) << static_cast<int>(mode);
        for (std::size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(names.lines()[i].index, static_cast<int>(i));
    }
}

TEST(NameList, QuickSearch) {
    GroupList list = sampleGroup();
    NameList names(list, SortMode::LastName);
    QuickSearch found = names.quickSearch("sm");
    ASSERT_EQ(found.action, QuickSearch::Action::Select);
    EXPECT_EQ(names.lines()[found.line].text, "Smith, Ann");
    EXPECT_EQ(names.lines()[names.quickSearch("SMITHE").line].text, "smithers, bob");
    EXPECT_EQ(names.quickSearch("x").action, QuickSearch::Action::KeepSelection);
    EXPECT_EQ(names.quickSearch("").action, QuickSearch::Action::ClearSelection);
    // A prefix test on the displayed text: first names in first-name mode.
    NameList byFirst(list, SortMode::FirstName);
    EXPECT_EQ(byFirst.quickSearch("sm").action, QuickSearch::Action::KeepSelection);
    EXPECT_EQ(byFirst.lines()[byFirst.quickSearch("b").line].text, "bob smithers");
    // Lines that sort before the prefix are skipped even when they are its prefix.
    GroupList tricky;
    for (const char* n : {"Sm", "Smb", "Smith"})
        tricky.insert(1, makeEntry({{Field::FirstName, n}}));
    NameList t(tricky, SortMode::LastName);
    EXPECT_EQ(t.lines()[t.quickSearch("smi").line].text, "Smith");
    EXPECT_EQ(t.lines()[t.quickSearch("SM").line].text, "Sm");
    // A text between two lines selects neither: the next line does not start with it.
    GroupList gap;
    for (const char* n : {"Adams", "Cole"})
        gap.insert(1, makeEntry({{Field::LastName, n}}));
    EXPECT_EQ(NameList(gap, SortMode::LastName).quickSearch("b").action,
              QuickSearch::Action::KeepSelection);
    // Accented names sort among the plain ones but begin with their own letter.
    GroupList accents;
    for (const char* n : {"Emma", "\xC9mond", "Eagle",
                          "\xC9"
                          "dith"})
        accents.insert(1, makeEntry({{Field::LastName, n}}));
    NameList a(accents, SortMode::LastName);
    EXPECT_EQ(texts(a), (std::vector<std::string>{"Eagle, ",
                                                  "\xC9"
                                                  "dith, ",
                                                  "Emma, ", "\xC9mond, "}));
    EXPECT_EQ(a.lines()[a.quickSearch("em").line].text, "Emma, ");
    EXPECT_EQ(a.lines()[a.quickSearch("\xE9m").line].text, "\xC9mond, ");
}

TEST(NameList, LineOfEntry) {
    GroupList list = sampleGroup();
    NameList names(list, SortMode::LastName);
    EXPECT_EQ(names.lineOfEntry(4), std::optional<std::size_t>(2));
    EXPECT_FALSE(names.lineOfEntry(2));  // not listed in this mode
}
