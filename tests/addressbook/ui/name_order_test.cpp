// The name list's own order against the order a sorted list box gives the same lines.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addressbook/model/name_list.h"
#include "tests/support/book_builder.h"

using namespace ctlite;
using testing_support::makeEntry;

TEST(NameOrder, TheNameListOrdersAsASortedListBox) {
    // Accents, joined letters, hyphens, apostrophes, blanks, signs and digits.
    const char* const names[] = {
        "Zoe",
        "\xC9mond",
        "Emma",
        "Ewing",
        "Eagle",
        "\xC9"
        "dith",
        "O'Brien",
        "Oakes",
        "Obama",
        "Smith-Jones",
        "Smithers",
        "Smith",
        "Smith Ann",
        "Smith, Ann",
        "\xC6sop",
        "Aeschylus",
        "Adams",
        "\xD8"
        "berg",
        "Ober",
        "M\xFCller",
        "Mueller",
        "Muller",
        "3M",
        "7-Eleven",
        "(none)",
        "#1 Taxi",
        "Van Dyke",
        "Vandermeer",
        "\xF1"
        "and\xFA",
        "Nunez",
        "Stra\xDF"
        "e",
        "Strand",
        "co-op",
        "coop",
        "Cope",
        "Zo\xEB",
    };
    HWND list = CreateWindowA("LISTBOX", "", LBS_SORT | LBS_HASSTRINGS, 0, 0, 100, 100, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(list);
    GroupList group;
    for (const char* name : names) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        group.insert(1, makeEntry({{Field::CompanyName, name}}));
    }
    std::vector<std::string> sorted, ours;
    for (LRESULT i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
        char text[64] = "";
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        sorted.push_back(text);
    }
    DestroyWindow(list);
    NameList lines(group, SortMode::Company);
    for (const NameLine& line : lines.lines())
        ours.push_back(line.text);
    EXPECT_EQ(ours, sorted);
}
