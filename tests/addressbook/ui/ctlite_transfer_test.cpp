// ctlite under Wine, as a user works it: Import and Export: comma-separated, tab-delimited and
// vCard.
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
#include "addressbook/transfer/column_names.h"
#include "addressbook/transfer/table_file.h"
#include "addressbook/transfer/vcard.h"
#include "addressbook/ui/resource.h"
#include "platform/file_system.h"
#include "tests/addressbook/ui/ctlite_helpers.h"
#include "tests/addressbook/ui/ctlite_session.h"
#include "tests/support/book_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/win32/driver.h"

TEST_F(CtliteThreePeople, ExportWritesTheGroupInStoredOrderAndSaysSo) {
    std::string base = s.dataPath() + "-export";
    Session::command(window, ID_FILE_EXPORT);
    chooseFileOfType(s, "Export", 0, base);  // CSV; ".csv" is added
    EXPECT_EQ(s.user().answerBox("Export"), "Export Complete");
    ctlite::AddressBook onDisk = load(s.dataPath());
    EXPECT_EQ(readAll(base + ".csv"),
              ctlite::transfer::writeTable(onDisk.group(0).entries(),
                                           ctlite::transfer::TableFormat::Csv));

    Session::command(window, ID_FILE_EXPORT);
    chooseFileOfType(s, "Export", 3, base);  // vCard
    EXPECT_EQ(s.user().answerBox("Export"), "Export Complete");
    EXPECT_EQ(readAll(base + ".vcf"),
              ctlite::transfer::writeVCards(onDisk.group(0).entries(), "Personal"));

    // A file that cannot be created is reported, not completed.
    std::string nowhere = s.dataPath() + "-missing-folder\\list.txt";
    Session::command(window, ID_FILE_EXPORT);
    chooseFileOfType(s, "Export", 1, nowhere);
    EXPECT_EQ(s.user().answerBox("Export"),
              "The file could not be written:\n" + nowhere + "\nNothing was exported.");
    exitNormally(window);
    DeleteFileA((base + ".csv").c_str());
    DeleteFileA((base + ".vcf").c_str());
}

TEST_F(CtliteThreePeople, ExportWritesColumnNamesOnlyWhenTheBoxIsTicked) {
    std::string base = s.dataPath() + "-named";
    Session::command(window, ID_FILE_EXPORT);
    HWND save = s.user().waitFor("Export");
    ASSERT_NE(save, nullptr);
    // The box sits in the program's own part of the Save dialog, a child of it.
    HWND box = nullptr;
    waitUntil([&] {
        EnumChildWindows(
            save,
            [](HWND child, LPARAM found) {
                if (GetDlgCtrlID(child) != IDC_EXPORT_COLUMN_NAMES)
                    return TRUE;
                *reinterpret_cast<HWND*>(found) = child;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&box));
        return box != nullptr;
    });
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    PostMessageA(box, BM_CLICK, 0, 0);
    waitUntil([&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; });
    chooseFileOfType(s, "Export", 1, base);  // tab-delimited .txt
    HWND done = s.user().waitFor("Export", 20, 0xFFFF);
    ASSERT_NE(done, nullptr);
    User::answer(done, IDOK);
    ctlite::AddressBook onDisk = load(s.dataPath());
    std::string expected;
    ctlite::transfer::appendColumnNamesLine(expected, ctlite::transfer::TableFormat::Tab);
    expected +=
        ctlite::transfer::writeTable(onDisk.group(0).entries(), ctlite::transfer::TableFormat::Tab);
    EXPECT_EQ(readAll(base + ".txt"), expected);
    exitNormally(window);
    DeleteFileA((base + ".txt").c_str());
}

TEST_F(CtliteThreePeople, ImportMapsPagesRefusesAUsedFieldAndFillsANewGroup) {
    std::string file = s.dataPath() + "-in.csv";
    writeAll(file, "\"A\",\"1\"\r\n\"B\",\"2\"\r\n\"C\",\"3\"\r\n");
    HWND dialog = importUpToMapping(s, window, file, 0, "Imported");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Session::rows(dialog, IDC_IMPORT_VALUES), (std::vector<std::string>{"A", "1"}));
    EXPECT_EQ(Session::rows(dialog, IDC_IMPORT_MAP),
              (std::vector<std::string>{"<none>", "<none>"}));

    pick(dialog, IDC_IMPORT_VALUES, 0, false);
    pick(dialog, IDC_IMPORT_FIELDS, 0, true);  // First Name:
    waitUntil([&] { return Session::rows(dialog, IDC_IMPORT_MAP)[0] == "First Name:"; });
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_IMPORT_MAP, LB_GETCURSEL, 0, 0), 0);
    pick(dialog, IDC_IMPORT_VALUES, 1, false);
    pick(dialog, IDC_IMPORT_FIELDS, 0, true);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_IMPORT_FIELDS, CBN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_IMPORT_FIELDS)));  // left there
    EXPECT_EQ(s.user().answerBox("Opps..."), "This field <First Name:> has been used");
    pick(dialog, IDC_IMPORT_FIELDS, 4, true);  // Work:
    waitUntil([&] { return Session::rows(dialog, IDC_IMPORT_MAP)[1] == "Work:"; });
    EXPECT_EQ(Session::rows(dialog, IDC_IMPORT_MAP),
              (std::vector<std::string>{"First Name:", "Work:"}));

    spin(dialog, false);  // before the first record
    EXPECT_EQ(s.user().answerBox("Opps"), "You have reached the end of the list");
    spin(dialog, true);
    waitUntil([&] { return User::text(dialog, IDC_IMPORT_RECORD) == "List# 2"; });
    EXPECT_EQ(User::text(dialog, IDC_IMPORT_RECORD), "List# 2");
    EXPECT_EQ(Session::rows(dialog, IDC_IMPORT_VALUES), (std::vector<std::string>{"B", "2"}));

    User::answer(dialog, IDOK);
    Session::waitForLines(window, {"A ", "B ", "C "});
    EXPECT_EQ(Session::lines(window), (std::vector<std::string>{"A ", "B ", "C "}));
    EXPECT_EQ(SendDlgItemMessageA(window, IDC_GROUP, CB_GETCURSEL, 0, 0), 3);
    exitNormally(window);
    ctlite::AddressBook back = load(s.dataPath());
    ASSERT_EQ(back.groupCount(), 4);
    EXPECT_EQ(back.groupName(3), "Imported");
    // Saved once and read back: the file order reversed once more.
    EXPECT_EQ(firstNames(back.group(3).entries()), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(back.group(3).entries().find(3)->get(ctlite::Field::WorkPhone), "3");
    DeleteFileA(file.c_str());
}

TEST_F(CtliteThreePeople, AHeadedFileIsMappedByItsColumnNamesAndTheLineIsNoEntry) {
    std::string file = s.dataPath() + "-in.csv";
    writeAll(file,
             "First Name,Last Name,E-mail Address,Hobby\r\nAnn,Zed,ann@example.com,chess\r\n"
             "Bob,Young,bob@example.com,golf\r\n");
    HWND dialog = importUpToMapping(s, window, file, 1);
    ASSERT_NE(dialog, nullptr);
    const std::vector<std::string> mapped = {
        "First Name:", "Last Name:", "E-Mail Address:", "<none>"};
    const std::vector<std::string> unmapped(4, "<none>");
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_IMPORT_HEADER, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(Session::rows(dialog, IDC_IMPORT_MAP), mapped);
    // Unticked, the line is a record like the others and nothing is mapped; ticked again,
    // the names map once more.
    HWND box = GetDlgItem(dialog, IDC_IMPORT_HEADER);
    PostMessageA(box, BM_CLICK, 0, 0);
    waitUntil([&] { return Session::rows(dialog, IDC_IMPORT_MAP) == unmapped; });
    EXPECT_EQ(Session::rows(dialog, IDC_IMPORT_MAP), unmapped);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    PostMessageA(box, BM_CLICK, 0, 0);
    waitUntil([&] { return Session::rows(dialog, IDC_IMPORT_MAP) == mapped; });
    EXPECT_EQ(Session::rows(dialog, IDC_IMPORT_MAP), mapped);

    User::answer(dialog, IDOK);
    Session::waitForLines(window, {"Ann Zed", "Bob Young"});
    EXPECT_EQ(Session::lines(window), (std::vector<std::string>{"Ann Zed", "Bob Young"}));
    exitNormally(window);
    ctlite::AddressBook back = load(s.dataPath());
    const ctlite::GroupList& business = back.group(1).entries();
    ASSERT_EQ(business.count(), 2);
    EXPECT_EQ(firstNames(business), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(business.find(2)->get(ctlite::Field::EmailAddress), "bob@example.com");
    DeleteFileA(file.c_str());
}

TEST_F(CtliteThreePeople, ArrowKeysPassUsedFieldsAndOnlyTheFinalChoiceIsRefused) {
    std::string file = s.dataPath() + "-in.csv";
    writeAll(file, "\"A\",\"B\"\r\n");
    HWND dialog = importUpToMapping(s, window, file, 1);
    ASSERT_NE(dialog, nullptr);
    pick(dialog, IDC_IMPORT_VALUES, 0, false);
    pick(dialog, IDC_IMPORT_FIELDS, 1, true);  // Last Name:
    waitUntil([&] { return Session::rows(dialog, IDC_IMPORT_MAP)[0] == "Last Name:"; });
    pick(dialog, IDC_IMPORT_VALUES, 1, false);
    pick(dialog, IDC_IMPORT_FIELDS, 0, true);  // First Name:
    waitUntil([&] { return Session::rows(dialog, IDC_IMPORT_MAP)[1] == "First Name:"; });

    // Down twice from First Name: past the used Last Name to Company Name, without a word.
    HWND fields = GetDlgItem(dialog, IDC_IMPORT_FIELDS);
    PostMessageA(fields, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(fields, WM_KEYDOWN, VK_DOWN, 0);
    waitUntil([&] { return Session::rows(dialog, IDC_IMPORT_MAP)[1] == "Company Name:"; });
    EXPECT_EQ(Session::rows(dialog, IDC_IMPORT_MAP),
              (std::vector<std::string>{"Last Name:", "Company Name:"}));
    HWND passing = FindWindowA(nullptr, "Opps...");
    EXPECT_EQ(passing, nullptr);
    if (passing)
        User::answer(passing, IDOK);

    // Up once, onto Last Name, and OK: that choice is final and refused; the dialog stays.
    PostMessageA(fields, WM_KEYDOWN, VK_UP, 0);
    User::press(dialog, IDOK);
    EXPECT_EQ(s.user().answerBox("Opps..."), "This field <Last Name:> has been used");
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_EQ(Session::rows(dialog, IDC_IMPORT_MAP),
              (std::vector<std::string>{"Last Name:", "Company Name:"}));
    User::answer(dialog, IDOK);
    exitNormally(window);
    ctlite::AddressBook back = load(s.dataPath());
    ASSERT_EQ(back.group(1).entries().count(), 1);
    EXPECT_EQ(back.group(1).entries().find(1)->get(ctlite::Field::LastName), "A");
    EXPECT_EQ(back.group(1).entries().find(1)->get(ctlite::Field::CompanyName), "B");
    DeleteFileA(file.c_str());
}

TEST_F(CtliteThreePeople, ImportTakesThePlaceOfAnEmptyGroupsPlaceholder) {
    std::string file = s.dataPath() + "-in.txt";
    writeAll(file, "A\nB\nC\n");
    // Business, and Friends, a user group: each holds only its placeholder.
    for (int group : {1, 2}) {
        HWND dialog = importUpToMapping(s, window, file, group);
        ASSERT_NE(dialog, nullptr);
        pick(dialog, IDC_IMPORT_VALUES, 0, false);
        pick(dialog, IDC_IMPORT_FIELDS, 0, true);
        waitUntil([&] { return Session::rows(dialog, IDC_IMPORT_MAP)[0] == "First Name:"; });
        User::answer(dialog, IDOK);
        Session::waitForLines(window, {"A ", "B ", "C "});
        EXPECT_EQ(Session::lines(window), (std::vector<std::string>{"A ", "B ", "C "}))
            << "group " << group + 1;
    }
    exitNormally(window);
    // In memory C, B, A; saved in that order and read back reversed.
    ctlite::AddressBook back = load(s.dataPath());
    for (int group : {1, 2})
        EXPECT_EQ(firstNames(back.group(group).entries()),
                  (std::vector<std::string>{"A", "B", "C"}))
            << "group " << group + 1;
    DeleteFileA(file.c_str());
}

TEST_F(CtliteThreePeople, AnImportThatAddsNothingSaysWhyAndSkippedRecordsAreCounted) {
    std::string file = s.dataPath() + "-in.csv";
    writeAll(file, "\"A\xE5\xB0\x8F\",\"1\"\r\n\"\",\"2\"\r\n\"C\",\"3\"\r\n");
    // Every value left at <none>: nothing comes in, and the user is told why.
    HWND dialog = importUpToMapping(s, window, file, 1);
    ASSERT_NE(dialog, nullptr);
    User::answer(dialog, IDOK);
    EXPECT_EQ(s.user().answerBox("Import"),
              "No entry was imported: 3 records had no text in the chosen fields.");
    EXPECT_EQ(Session::lines(window), (std::vector<std::string>{"{ EMPTY } "}));

    // The first value as the first name: the second record has none and is skipped.
    dialog = importUpToMapping(s, window, file, 1);
    ASSERT_NE(dialog, nullptr);
    pick(dialog, IDC_IMPORT_VALUES, 0, false);
    pick(dialog, IDC_IMPORT_FIELDS, 0, true);
    waitUntil([&] { return Session::rows(dialog, IDC_IMPORT_MAP)[0] == "First Name:"; });
    User::answer(dialog, IDOK);
    EXPECT_EQ(s.user().answerBox("Import"),
              "2 entries imported.\n1 record had no text in the chosen fields and was skipped.\n"
              "1 values held characters this program cannot show; 1 characters were replaced by "
              "\"?\".");
    Session::waitForLines(window, {"A? ", "C "});
    exitNormally(window);
    DeleteFileA(file.c_str());
}

TEST_F(CtliteThreePeople, VCardsImportWithoutMappingAndOneEntryExportsAsACard) {
    std::string cards = s.dataPath() + "-in.vcf";
    writeAll(cards,
             "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Li;Wei \xE5\xB0\x8F;;;\r\nFN:Wei Li\r\n"
             "NOTE:says \"hi\"\r\nEND:VCARD\r\n"
             "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Ott;Eva\r\nTEL;CELL:123\r\nEND:VCARD\r\n");
    Session::command(window, ID_FILE_IMPORT);
    chooseFile(s, "Import", cards);
    HWND to = s.user().waitFor("Import to");
    ASSERT_NE(to, nullptr);
    pick(to, IDC_IMPORT_GROUPS, 1, true);
    User::answer(to, IDOK);
    HWND told = s.user().waitFor("Import", 20, 0xFFFF);  // no mapping: the fields are named
    ASSERT_NE(told, nullptr);
    EXPECT_EQ(User::messageText(told),
              "2 entries imported.\n1 values held characters this program cannot show; 1 "
              "characters were replaced by \"?\".");
    User::answer(told, IDOK);
    // Business held only its placeholder, which gives way to the imported entries.
    std::vector<std::string> lines = {"Eva Ott", "Wei ? Li"};
    Session::waitForLines(window, lines);
    EXPECT_EQ(Session::lines(window), lines);

    // The note's double quote cannot go into a plain comma-separated file: asked first.
    std::string csv = s.dataPath() + "-business.csv";
    Session::command(window, ID_FILE_EXPORT);
    chooseFileOfType(s, "Export", 0, csv);
    HWND asked = s.user().waitFor("Export", 20, 0xFFFF);
    ASSERT_NE(asked, nullptr);
    EXPECT_EQ(User::messageText(asked).substr(0, 60),
              "1 value holds a double quote, which a comma-separated file c");
    EXPECT_NE(User::messageText(asked).find("(the first: Note of Li, Wei ?)"), std::string::npos)
        << User::messageText(asked);
    User::answer(asked, IDNO);
    EXPECT_FALSE(exists(csv));

    SendDlgItemMessageA(window, IDC_NAME_LIST, LB_SETCURSEL, 0, 0);  // Eva Ott
    std::string card = s.dataPath() + "-eva.vcf";
    Session::command(window, ID_ENTRY_EXPORT_VCARD);
    chooseFile(s, "Export", card);
    EXPECT_EQ(s.user().answerBox("Export"), "Export Complete");
    EXPECT_EQ(readAll(card),
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ott;Eva;;;\r\nFN:Eva Ott\r\nTEL;TYPE=CELL:123\r\n"
              "CATEGORIES:Business\r\nEND:VCARD\r\n");
    exitNormally(window);
    for (const std::string& f : {cards, card})
        DeleteFileA(f.c_str());
}
