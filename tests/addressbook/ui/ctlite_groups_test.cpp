// ctlite under Wine, as a user works it: groups added, renamed and deleted.
#include <windows.h>
// (after windows.h)
#include <prsht.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <future>
#include <string>
#include <thread>

#include "addressbook/contracts/poster_arguments.h"
#include "addressbook/model/data_file.h"
#include "addressbook/model/data_format.h"
#include "addressbook/transfer/table_file.h"
#include "addressbook/transfer/vcard.h"
#include "addressbook/ui/resource.h"
#include "platform/file_system.h"
#include "tests/addressbook/ui/ctlite_helpers.h"
#include "tests/addressbook/ui/ctlite_session.h"
#include "tests/support/book_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/win32/driver.h"

TEST_F(CtliteThreePeople, GroupsAreAddedRenamedAndDeleted) {
    // Groups 1 and 2 cannot be deleted: nothing is asked. The Add dialog, asked for
    // next, comes up once the Delete command has been handled.
    Session::command(window, ID_GROUP_DELETE);
    Session::command(window, ID_GROUP_ADD);
    ASSERT_NE(s.user().waitFor("Add/Modify Group"), nullptr);
    EXPECT_EQ(s.user().waitFor("Confirmation", 0), nullptr);
    nameGroup(s, window, "Friends & Co");
    EXPECT_EQ(User::text(window, IDC_GROUP), "Friends & Co");
    EXPECT_EQ(SendDlgItemMessageA(window, IDC_GROUP, CB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(Session::lines(window), (std::vector<std::string>{"{ EMPTY } "}));

    Session::command(window, ID_GROUP_RENAME);
    nameGroup(s, window, "Club");
    EXPECT_EQ(User::text(window, IDC_GROUP), "Club");
    Session::chooseGroup(window, 0);
    Session::command(window, ID_GROUP_RENAME);
    nameGroup(s, window, "Family");
    exitNormally(window);

    ctlite::AddressBook back = load(s.dataPath());
    ASSERT_EQ(back.groupCount(), 4);
    EXPECT_EQ(back.groupName(0), "Family");  // in the trailer
    EXPECT_EQ(back.groupName(3), "Club");    // in its header
    EXPECT_EQ(back.group(0).entries().count(), 3);
}

TEST_F(Ctlite, DeletingGroupThreeOfFiveKeepsEveryOtherEntryOnce) {
    ctlite::AddressBook book;
    for (int g = 2; g < 5; ++g)
        book.addGroup("G" + std::to_string(g + 1));
    for (int g = 0; g < 5; ++g)
        for (int n = 0; n < 3; ++n)
            book.group(g).entries().insert(
                1, makeEntry(
                       {{ctlite::Field::FirstName, "P" + std::to_string(g) + std::to_string(n)}}));
    s.writeBook(book);
    HWND window = s.start();
    ASSERT_NE(window, nullptr);
    Session::chooseGroup(window, 2);
    Session::command(window, ID_GROUP_DELETE);
    HWND box = s.user().waitFor("Confirmation");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(
        User::messageText(box),
        "Do you really want to delete this group? All the entries in this group will be lost.");
    User::answer(box, IDYES);
    waitUntil([&] { return SendDlgItemMessageA(window, IDC_GROUP, CB_GETCOUNT, 0, 0) == 4; });
    EXPECT_EQ(SendDlgItemMessageA(window, IDC_GROUP, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(User::text(window, IDC_GROUP), "Personal");
    exitNormally(window);

    ctlite::AddressBook back = load(s.dataPath());
    ASSERT_EQ(back.groupCount(), 4);
    const int kept[] = {0, 1, 3, 4};
    for (int g = 0; g < 4; ++g) {
        ASSERT_EQ(back.group(g).entries().count(), 3) << g;
        for (int p = 1; p <= 3; ++p)
            EXPECT_EQ(back.group(g).entries().find(p)->get(ctlite::Field::FirstName).substr(0, 2),
                      "P" + std::to_string(kept[g]));
    }
}
