// The everyday commands of ctlite.exe under Wine: copying to the clipboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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

// Runs one copy command and waits until the clipboard changes.
std::string copyWith(HWND window, int command) {
    DWORD before = GetClipboardSequenceNumber();
    Session::command(window, command);
    waitUntil([&] { return GetClipboardSequenceNumber() != before; });
    return clipboardText();
}

void selectLine(HWND window, int line) {
    SendDlgItemMessageA(window, IDC_NAME_LIST, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_NAME_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_NAME_LIST)));
}

}  // namespace

TEST_F(CtliteThreePeople, CopyCommandsPutTheShownEntrysTextOnTheClipboard) {
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
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
}

TEST_F(CtliteThreePeople, ACopyWhileTheClipboardIsHeldSaysSo) {
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
    User::press(window, IDOK);
    EXPECT_EQ(s.wait(), 0u);
}
