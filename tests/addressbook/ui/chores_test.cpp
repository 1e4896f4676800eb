// The everyday commands of ctlite.exe under Wine: copying to the clipboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/addressbook/ui/ctlite_session.h"

namespace {

// The clipboard's CF_TEXT bytes as another program reads them; nullopt-like "<none>"
// when it holds no text.
std::string clipboardText() {
    std::string out = "<none>";
    if (!OpenClipboard(nullptr))
        return "<busy>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* text = static_cast<const char*>(GlobalLock(data))) {
            out = text;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return out;
}

// Runs one copy command and waits until the clipboard changes and the program has
// let it go (the number changes when the clipboard is emptied, before the text
// is put there).
std::string copyWith(HWND window, int command) {
    DWORD before = GetClipboardSequenceNumber();
    Session::command(window, command);
    std::string text = "<unchanged>";
    waitUntil([&] {
        return GetClipboardSequenceNumber() != before && (text = clipboardText()) != "<busy>";
    });
    return text;
}

// The three people's book open in the main window (a suite name of this file's own).
class Chores : public CtliteThreePeople {};

void selectLine(HWND window, int line) {
    SendDlgItemMessageA(window, IDC_NAME_LIST, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_NAME_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_NAME_LIST)));
}

}  // namespace

TEST_F(Chores, CopyCommandsPutTheShownEntrysTextOnTheClipboard) {
    // The buttons of these chores are usable (another process cannot read the menus).
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDC_PRINT)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDC_FIND)));
    // Before any line is chosen the commands copy an empty entry.
    EXPECT_EQ(copyWith(window, ID_COPY_LETTER), " \r\n\r\n\r\n");
    EXPECT_EQ(copyWith(window, ID_COPY_FULL_NAME), " ");
    selectLine(window, 2);  // Cy Miller of Acme
    struct Case {
        int command;
        const char* expected;
    };
    const Case cases[] = {
        {ID_COPY_FULL_NAME, "Cy Miller"},
        {ID_COPY_COMPANY, "Acme"},
        {ID_COPY_NOTE, ""},
        {ID_COPY_STREET, "\r\r"},
        {ID_COPY_ALL, "Cy Miller\r\n"},
        {ID_COPY_LETTER, "Acme\r\nCy Miller\r\n\r\n\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(copyWith(window, c.command), c.expected) << c.command;
    // Once deleted, the entry is copied as it is now: gone, and with it its texts.
    User::press(window, IDC_DELETE);
    HWND box = s.user().waitFor("Confirmation");
    ASSERT_NE(box, nullptr);
    User::answer(box, IDYES);
    Session::waitForLines(window, {"Ann Smith", "bob Adams"});
    EXPECT_EQ(copyWith(window, ID_COPY_COMPANY), "");
    exitNormally(window);
}

// The book as the entry editor stores "Smith & Sons" and "Ann & Bo".
class ChoresAmpersands : public Ctlite {};

TEST_F(ChoresAmpersands, CopiesShowTheNamesAsTyped) {
    ctlite::AddressBook book;
    book.group(0).entries().insert(1, makeEntry({{ctlite::Field::FirstName, "Ann && Bo"},
                                                 {ctlite::Field::CompanyName, "Smith && Sons"}}));
    s.writeBook(book);
    HWND window = s.start();
    ASSERT_NE(window, nullptr);
    selectLine(window, 0);
    EXPECT_EQ(copyWith(window, ID_COPY_COMPANY), "Smith & Sons");
    EXPECT_EQ(copyWith(window, ID_COPY_LETTER), "Smith & Sons\r\nAnn & Bo \r\n\r\n\r\n");
    exitNormally(window);
}

TEST_F(Chores, ACopyWhileTheClipboardIsHeldSaysSo) {
    selectLine(window, 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    Session::command(window, ID_COPY_FULL_NAME);
    HWND box = s.user().waitFor("Error");
    CloseClipboard();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "Unexpected error");
    User::answer(box, IDOK);
    // Once free, the same command copies.
    EXPECT_EQ(copyWith(window, ID_COPY_FULL_NAME), "Ann Smith");
    exitNormally(window);
}

namespace {

// The Group Editor as a user works it: pick lines and groups, press buttons.
class GroupEditorWindow {
public:
    GroupEditorWindow(Session& s, HWND main) : s_(s) {
        Session::command(main, ID_GROUP_SWAP);
        dialog = s.user().waitFor("Group Editor");
    }

    void chooseGroup(int combo, int index) {
        SendDlgItemMessageA(dialog, combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, combo)));
    }
    // Selects the line and presses the button; waits for the lists to change.
    void press(int list, const std::string& line, int button) {
        std::vector<std::string> lines = User::rows(dialog, list);
        auto at = std::find(lines.begin(), lines.end(), line);
        ASSERT_NE(at, lines.end()) << line;
        SendDlgItemMessageA(dialog, list, LB_SETCURSEL, static_cast<WPARAM>(at - lines.begin()), 0);
        auto before = state();
        User::press(dialog, button);
        waitUntil([&] { return state() != before; });
    }
    std::vector<std::string> state() const {
        std::vector<std::string> out = User::rows(dialog, IDC_EDITOR_LEFT_LIST);
        out.push_back("|" + User::text(dialog, IDC_EDITOR_LEFT_COUNT) + "|" +
                      User::text(dialog, IDC_EDITOR_RIGHT_COUNT) + "|");
        for (const std::string& r : User::rows(dialog, IDC_EDITOR_RIGHT_LIST))
            out.push_back(r);
        return out;
    }
    // Answers the message box the last step brought up, giving back its text.
    std::string answer(const char* title) const {
        // The box may share the editor's own caption.
        HWND box = nullptr;
        waitUntil([&] {
            for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", title)) != nullptr;)
                if (w != dialog && IsWindowVisible(w))
                    box = w;
            return box != nullptr;
        });
        if (!box)
            return "<no box>";
        std::string text = User::messageText(box);
        User::answer(box, IDOK);
        return text;
    }

    HWND dialog = nullptr;

private:
    Session& s_;
};

}  // namespace

TEST_F(Chores, TheGroupEditorMovesAndCopiesAndOkKeepsEmptiedGroups) {
    GroupEditorWindow editor(s, window);
    ASSERT_NE(editor.dialog, nullptr);
    using Rows = std::vector<std::string>;
    EXPECT_EQ(editor.state(), (Rows{"Ann Smith", "bob Adams", "Cy Miller", "|3|1|", "{ EMPTY } "}));
    // The same group on both sides is refused and the drop-down goes back.
    editor.chooseGroup(IDC_EDITOR_RIGHT_GROUP, 0);
    EXPECT_EQ(editor.answer("Group Editor"), "You can't swap entries between the same groups");
    waitUntil([&] {
        return SendDlgItemMessageA(editor.dialog, IDC_EDITOR_RIGHT_GROUP, CB_GETCURSEL, 0, 0) == 1;
    });
    EXPECT_EQ(SendDlgItemMessageA(editor.dialog, IDC_EDITOR_RIGHT_GROUP, CB_GETCURSEL, 0, 0), 1);
    editor.chooseGroup(IDC_EDITOR_RIGHT_GROUP, 2);  // Friends: its placeholder only
    waitUntil([&] {
        return User::text(editor.dialog, IDC_EDITOR_RIGHT_COUNT) == "1" &&
               User::rows(editor.dialog, IDC_EDITOR_RIGHT_LIST) == Rows{"{ EMPTY } "};
    });
    // Cy takes the placeholder's place; Ann is copied, then moved: she is there twice.
    editor.press(IDC_EDITOR_LEFT_LIST, "Cy Miller", IDC_EDITOR_MOVE_RIGHT);
    EXPECT_EQ(editor.state(), (Rows{"Ann Smith", "bob Adams", "|2|1|", "Cy Miller"}));
    editor.press(IDC_EDITOR_LEFT_LIST, "Ann Smith", IDC_EDITOR_COPY_RIGHT);
    editor.press(IDC_EDITOR_LEFT_LIST, "Ann Smith", IDC_EDITOR_MOVE_RIGHT);
    // Company sort lists only Cy, who has a company.
    PostMessageA(GetDlgItem(editor.dialog, IDC_EDITOR_SORT_COMPANY), BM_CLICK, 0, 0);
    waitUntil([&] { return User::rows(editor.dialog, IDC_EDITOR_RIGHT_LIST) == Rows{"Acme"}; });
    EXPECT_EQ(editor.state(), (Rows{"|1|3|", "Acme"}));
    PostMessageA(GetDlgItem(editor.dialog, IDC_EDITOR_SORT_FIRST), BM_CLICK, 0, 0);
    waitUntil([&] { return User::rows(editor.dialog, IDC_EDITOR_LEFT_LIST) == Rows{"bob Adams"}; });
    editor.press(IDC_EDITOR_LEFT_LIST, "bob Adams", IDC_EDITOR_MOVE_RIGHT);
    EXPECT_EQ(editor.state(),
              (Rows{"{ EMPTY }", "|0|4|", "Ann Smith", "Ann Smith", "bob Adams", "Cy Miller"}));
    // The empty group's line cannot be moved.
    SendDlgItemMessageA(editor.dialog, IDC_EDITOR_LEFT_LIST, LB_SETCURSEL, 0, 0);
    PostMessageA(editor.dialog, WM_COMMAND, MAKEWPARAM(IDC_EDITOR_MOVE_RIGHT, BN_CLICKED), 0);
    EXPECT_EQ(editor.answer("Opps..."), "Can't swap { EMPTY }");
    User::answer(editor.dialog, IDOK);
    // The main window shows group 1 again: only its blank entry, which lists no line.
    waitUntil([&] { return Session::caption(window) == "Name List [1 entry]"; });
    EXPECT_EQ(Session::caption(window), "Name List [1 entry]");
    EXPECT_EQ(Session::lines(window), Rows{});
    User::press(window, IDOK);
    ASSERT_EQ(s.wait(), 0u);
    ctlite::AddressBook back;
    ASSERT_FALSE(ctlite::DataFile(platform::systemFileSystem(), s.dataPath()).load(back).failure);
    EXPECT_EQ(back.group(0).entries().count(), 0);  // its blank record keeps no entry
    Rows friends;
    const ctlite::GroupList& list = back.group(2).entries();
    for (int p = 1; p <= list.count(); ++p)
        friends.emplace_back(list.find(p)->get(ctlite::Field::FirstName));
    // Each newcomer went on top (bob, Ann, Ann, Cy); a load reverses the saved order.
    EXPECT_EQ(friends, (Rows{"Cy", "Ann", "Ann", "bob"}));
}

namespace {

// Smiths in each of three groups, and a company in the first.
ctlite::AddressBook smithsEverywhere() {
    using ctlite::Field;
    ctlite::AddressBook book;
    book.group(0).entries().insert(
        1, makeEntry({{Field::FirstName, "Ann"}, {Field::LastName, "Smith"}}));
    book.group(0).entries().insert(1, makeEntry({{Field::FirstName, "Cy"},
                                                 {Field::LastName, "Miller"},
                                                 {Field::CompanyName, "Acme"}}));
    book.group(1).entries().insert(1, makeEntry({{Field::FirstName, "Ann"},
                                                 {Field::LastName, "Smithers"},
                                                 {Field::CompanyName, "Smith & Co"}}));
    int friends = book.addGroup("Friends");
    book.group(friends).entries().insert(
        1, makeEntry({{Field::FirstName, "Joanna"}, {Field::LastName, "Smith"}}));
    return book;
}

// An empty folder: each test writes its own book.
class Searching : public Ctlite {};

std::string selectedLine(HWND window) {
    LRESULT line = SendDlgItemMessageA(window, IDC_NAME_LIST, LB_GETCURSEL, 0, 0);
    std::vector<std::string> lines = Session::lines(window);
    return line >= 0 && line < static_cast<LRESULT>(lines.size()) ? lines[line] : "<none>";
}

}  // namespace

TEST_F(Searching, SearchFindsNamesInEveryGroupInTurnThenStartsOver) {
    s.writeBook(smithsEverywhere());
    HWND window = s.start();
    ASSERT_NE(window, nullptr);
    Session::command(window, ID_SORT_COMPANY);
    Session::waitForLines(window, {"Acme"});
    User::press(window, IDC_FIND);
    HWND search = s.user().waitFor("Search");
    ASSERT_NE(search, nullptr);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_FIND)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(search, IDC_SEARCH_FIND)));
    EXPECT_EQ(SendDlgItemMessageA(search, IDC_SEARCH_ALL_GROUPS, BM_GETCHECK, 0, 0), BST_CHECKED);
    SetDlgItemTextA(search, IDC_SEARCH_TEXT, "smith");
    ASSERT_TRUE(User::waitEnabled(search, IDC_SEARCH_FIND));
    struct Step {
        const char* result;
        int group;
        const char* line;
    };
    // Names mode shows a company list in first-name mode, without storing it as "Sort".
    const Step steps[] = {
        {"Result : Match found", 0, "Ann Smith"},
        {"Result : Match found", 1, "Ann Smithers"},
        {"Result : Match found", 2, "Joanna Smith"},
        {"Result : Cannot find smith", 2, "Joanna Smith"},
        {"Result : Match found", 0, "Ann Smith"},
    };
    for (const Step& step : steps) {
        SetDlgItemTextA(search, IDC_SEARCH_RESULT, "");
        User::press(search, IDC_SEARCH_FIND);
        waitUntil([&] { return !User::text(search, IDC_SEARCH_RESULT).empty(); });
        EXPECT_EQ(User::text(search, IDC_SEARCH_RESULT), step.result);
        EXPECT_EQ(SendDlgItemMessageA(window, IDC_GROUP, CB_GETCURSEL, 0, 0), step.group);
        EXPECT_EQ(selectedLine(window), step.line);
    }
    EXPECT_EQ(dwordValue(HKEY_CURRENT_USER, "SOFTWARE\\Contavo Lite", "Sort"), 2u);
    // Company mode switches the list to companies; without All Groups it stays in group 1.
    PostMessageA(GetDlgItem(search, IDC_SEARCH_COMPANY), BM_CLICK, 0, 0);
    PostMessageA(GetDlgItem(search, IDC_SEARCH_ALL_GROUPS), BM_CLICK, 0, 0);
    waitUntil(
        [&] { return SendDlgItemMessageA(search, IDC_SEARCH_ALL_GROUPS, BM_GETCHECK, 0, 0) == 0; });
    auto find = [&](const char* text) {
        SetDlgItemTextA(search, IDC_SEARCH_TEXT, text);
        SetDlgItemTextA(search, IDC_SEARCH_RESULT, "");
        User::press(search, IDC_SEARCH_FIND);
        waitUntil([&] { return !User::text(search, IDC_SEARCH_RESULT).empty(); });
        return User::text(search, IDC_SEARCH_RESULT);
    };
    EXPECT_EQ(find("acme"), "Result : Match found");
    EXPECT_EQ(Session::lines(window), (std::vector<std::string>{"Acme"}));
    EXPECT_EQ(selectedLine(window), "Acme");
    EXPECT_EQ(find("SMITH &"), "Result : Cannot find SMITH &");  // only in group 2
    // Enter in the text presses "Find next", the dialog's default button.
    SetDlgItemTextA(search, IDC_SEARCH_TEXT, "zzz");
    SetDlgItemTextA(search, IDC_SEARCH_RESULT, "");
    PostMessageA(GetDlgItem(search, IDC_SEARCH_TEXT), WM_KEYDOWN, VK_RETURN, 1);
    waitUntil([&] { return !User::text(search, IDC_SEARCH_RESULT).empty(); });
    EXPECT_EQ(User::text(search, IDC_SEARCH_RESULT), "Result : Cannot find zzz");
    EXPECT_EQ(SendDlgItemMessageA(window, IDC_GROUP, CB_GETCURSEL, 0, 0), 0);
    // Cancel closes it and gives the Find button back.
    User::answer(search, IDCANCEL);
    EXPECT_TRUE(User::waitEnabled(window, IDC_FIND));
    exitNormally(window);
}

TEST_F(Chores, PrintingTheSelectedEntryWantsALineAndThePrintButtonOpensItsMenu) {
    Session::command(window, ID_FILE_PRINT_SELECTED);
    HWND box = s.user().waitFor("Print");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "Please select an entry first.");
    User::answer(box, IDOK);
    // The popup opens with its top-left at the button's lower-left corner.
    User::press(window, IDC_PRINT);
    HWND menu = nullptr;
    waitUntil([&] {
        menu = FindWindowA("#32768", nullptr);
        return menu && IsWindowVisible(menu);
    });
    ASSERT_TRUE(menu && IsWindowVisible(menu));
    RECT button{}, popup{};
    GetWindowRect(GetDlgItem(window, IDC_PRINT), &button);
    GetWindowRect(menu, &popup);
    EXPECT_EQ(popup.left, button.left);
    EXPECT_EQ(popup.top, button.bottom);
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    waitUntil([&] { return !IsWindowVisible(menu); });
    EXPECT_FALSE(IsWindowVisible(menu));
    exitNormally(window);
}

// Prints to the default printer: run by print_to_pdf.sh, which brings up a PDF printer
// and reads the printed pages back: each line's own entry, once, in the list's order.
TEST_F(Ctlite, PrintAllAndTheSelectedEntryOnTheDefaultPrinter) {
    if (!getenv("CTLITE_PRINT_TEST"))
        GTEST_SKIP() << "prints only when print_to_pdf.sh reads the pages back";
    // Two "Lee, Ann" told apart by their phones, and an accent that the list box sorts
    // among the plain letters, not after "Z" as its byte would.
    using ctlite::Field;
    ctlite::AddressBook book;
    for (const ctlite::Entry& entry :
         {makeEntry({{Field::FirstName, "Zoe"}, {Field::LastName, "Ng"}}),
          makeEntry(
              {{Field::FirstName, "Ann"}, {Field::LastName, "Lee"}, {Field::WorkPhone, "111"}}),
          makeEntry({{Field::FirstName, "Cy"}, {Field::LastName, "\xC9mond"}}),
          makeEntry(
              {{Field::FirstName, "Ann"}, {Field::LastName, "Lee"}, {Field::HomePhone, "222"}}),
          makeEntry({{Field::FirstName, "bob"}, {Field::LastName, "Adams"}})})
        book.group(0).entries().insert(1, entry);
    s.writeBook(book);
    HWND window = s.start();
    ASSERT_NE(window, nullptr);
    auto confirmPrintDialog = [&](int button) {
        HWND dialog = s.user().waitFor("Print");
        ASSERT_NE(dialog, nullptr);
        User::answer(dialog, button);
    };
    Session::command(window, ID_PRINT_ALL_LAST);
    confirmPrintDialog(IDOK);
    const std::vector<std::string> byLastName{"Adams, bob", "\xC9mond, Cy", "Lee, Ann", "Lee, Ann",
                                              "Ng, Zoe"};
    Session::waitForLines(window, byLastName);
    EXPECT_EQ(Session::lines(window), byLastName);
    // A cancelled Print dialog prints nothing and leaves the order as it is.
    Session::command(window, ID_PRINT_ALL_COMPANY);
    confirmPrintDialog(IDCANCEL);
    selectLine(window, 2);  // one of the two "Lee, Ann"
    Session::command(window, ID_FILE_PRINT_SELECTED);
    confirmPrintDialog(IDOK);
    EXPECT_EQ(Session::lines(window), byLastName);
    exitNormally(window);
}
