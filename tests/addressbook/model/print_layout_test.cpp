#include "addressbook/model/print_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/book_builder.h"

using namespace ctlite;
using testing_support::makeEntry;

namespace {

// The entries of `count` list lines, one each.
std::vector<int> lines(int count) {
    std::vector<int> out;
    for (int i = 0; i < count; ++i)
        out.push_back(i);
    return out;
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
        EXPECT_EQ(pageSizes(planPrintAll(lines(c.entries), c.linesPerPage)), c.pages) << c.what;
}

TEST(PrintLayout, EachLinePrintsItsOwnEntryOnceInTheListsOrder) {
    // The lines as the list box holds them, top to bottom: its own order, not the
    // stored one; entries 2 and 1 share a text; the last is an empty group's line.
    std::vector<PrintedPage> pages = planPrintAll({2, 1, 0, kNoEntry}, 60);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].entries, (std::vector<int>{2, 1, 0}));
}
