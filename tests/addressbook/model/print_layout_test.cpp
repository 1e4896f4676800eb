#include "addressbook/model/print_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/book_builder.h"

using namespace ctlite;
using testing_support::makeEntry;

namespace {

GroupList people(int count) {
    GroupList list;
    for (int i = 0; i < count; ++i)
        list.insert(1, makeEntry({{Field::FirstName, "P" + std::to_string(10 + i)}}));
    return list;
}

std::vector<std::size_t> pageSizes(const std::vector<PrintedPage>& pages) {
    std::vector<std::size_t> out;
    for (const PrintedPage& page : pages)
        out.push_back(page.entries.size());
    return out;
}

}  // namespace

TEST(PrintLayout, BlockAndSinglePageLines) {
    Entry e = makeEntry({{Field::FirstName, "Ann"},
                         {Field::LastName, "Smith"},
                         {Field::CompanyName, "Acme"},
                         {Field::WorkPhone, "222"},
                         {Field::StreetAddress, "1 Main St"},
                         {Field::City, "Springfield"},
                         {Field::State, "IL"},
                         {Field::ZipCode, "62701"},
                         {Field::EmailAddress, "ann@example.com"},
                         {Field::Note, "likes tea"}});
    const PrintBlock byLastName = {"Company Name: Acme",
                                   "Name: Smith, Ann",
                                   "Work Phone: 222",
                                   "Home Phone: ",
                                   "Mobile Phone: ",
                                   "Fax Number: ",
                                   "Pager Number: ",
                                   "Address: 1 Main St Springfield, IL 62701 ",
                                   "Email Address: ann@example.com",
                                   "Homepage: ",
                                   "------------------------------"};
    EXPECT_EQ(listBlock(e, SortMode::LastName), byLastName);
    EXPECT_EQ(listBlock(e, SortMode::Company)[1], "Name: Ann Smith");
    PrintBlock single = singleEntryPage(e);
    EXPECT_EQ(single[1], "Name: Ann Smith");
    EXPECT_EQ(single[10], "Note: likes tea");
    EXPECT_EQ(singleEntryPage(Entry())[7], "Address:   ");
}

TEST(PrintLayout, PagesHoldWholeBlocksAndAlwaysEnd) {
    struct Case {
        const char* what;
        int entries, linesPerPage;
        std::vector<std::size_t> pages;
    };
    const Case cases[] = {
        {"60 lines: 5 blocks a page, 11 entries on 3 pages", 11, 60, {5, 5, 1}},
        {"exactly one page", 5, 55, {5}},
        {"a page shorter than a block still takes one", 3, 10, {1, 1, 1}},
        {"no lines at all", 2, 0, {1, 1}},
        {"an empty group prints no page", 0, 60, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pageSizes(planPrintAll(people(c.entries), SortMode::FirstName, c.linesPerPage)),
                  c.pages)
            << c.what;
}

TEST(PrintLayout, SharedTextsPrintOncePerLineAndNeverPastTheBottom) {
    GroupList list;
    list.insert(1, makeEntry({{Field::FirstName, "Bo"}, {Field::CompanyName, "Zed"}}));
    list.insert(1, makeEntry({{Field::FirstName, "Ann"}, {Field::LastName, "Lee"}}));
    list.insert(1, makeEntry({{Field::FirstName, "Ann"}, {Field::LastName, "Lee"}}));
    // Stored order: Ann Lee (0), Ann Lee (1), Bo (2). Each "Ann Lee" line prints both.
    EXPECT_EQ(entriesShowing(list, SortMode::FirstName, "Ann Lee"), (std::vector<int>{0, 1}));
    std::vector<PrintedPage> pages = planPrintAll(list, SortMode::FirstName, 60);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].entries, (std::vector<int>{0, 1, 0, 1, 2}));
    // Two blocks a page: the second line's blocks go on over, not past the bottom.
    pages = planPrintAll(list, SortMode::FirstName, 22);
    EXPECT_EQ(pageSizes(pages), (std::vector<std::size_t>{2, 2, 1}));
    // Company order lists only Bo.
    pages = planPrintAll(list, SortMode::Company, 60);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].entries, std::vector<int>{2});
}
