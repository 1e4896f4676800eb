// ctlite under Wine, as a user writes e-mail: the compose window and "Sending..."
// against aiosmtpd on loopback, whose messages, parsed by Python's email package,
// are read back. ctlite_mail_peer.sh starts the server and names its port and
// folder (CTLITE_SMTP_PORT, CTLITE_SMTP_DIR); without them the test is skipped.
#include <windows.h>
// (after windows.h)
#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "addressbook/ui/resource.h"
#include "tests/addressbook/ui/ctlite_helpers.h"
#include "tests/addressbook/ui/ctlite_session.h"
#include "tests/support/win32/driver.h"

namespace {

constexpr char kKey[] = "SOFTWARE\\Contavo Lite";
constexpr char kCompose[] = "Contavo Lite Email";

void setString(const char* name, const std::string& value) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

class Mail : public Ctlite {
protected:
    void SetUp() override {
        const char* port = std::getenv("CTLITE_SMTP_PORT");
        const char* folder = std::getenv("CTLITE_SMTP_DIR");
        if (!port || !folder)
            GTEST_SKIP() << "no SMTP server (ctlite_mail_peer.sh starts one)";
        port_ = port;
        folder_ = folder;
        auto person = [](const char* first, const char* last, const char* email) {
            return makeEntry({{ctlite::Field::FirstName, first},
                              {ctlite::Field::LastName, last},
                              {ctlite::Field::EmailAddress, email}});
        };
        ctlite::AddressBook book;
        for (const auto& entry :
             {person("Ann", "Smith", "ann@example.com"), person("bob", "Adams", ""),
              person("Cy", "Miller", "cy@example.com")})
            book.group(0).entries().insert(1, entry);
        s.writeBook(book);
        setString("User Name", "Me Myself");
        setString("Email", "me@example.com");
        setString("Signature", "-- \r\nMe");
        window = s.start();
        ASSERT_NE(window, nullptr);
    }

    void select(const std::string& line) {
        std::vector<std::string> lines = Session::lines(window);
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i] == line) {
                SendDlgItemMessageA(window, IDC_NAME_LIST, LB_SETCURSEL, i, 0);
                PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_NAME_LIST, LBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_NAME_LIST)));
                SendMessageA(window, WM_NULL, 0, 0);  // answered once the selection is handled
                return;
            }
        ADD_FAILURE() << "no line " << line;
    }
    HWND compose() {
        User::press(window, IDC_EMAIL);
        return s.user().waitFor(kCompose, 20, IDC_COMPOSE_TO);
    }
    static void tick(HWND dialog, int id) {
        SendDlgItemMessageA(dialog, id, BM_SETCHECK, BST_CHECKED, 0);
        User::press(dialog, id);
    }
    static void type(HWND dialog, int id, const std::string& text) {
        SetDlgItemTextA(dialog, id, text.c_str());
    }
    // Answers the message box of this caption, and gives its text.
    std::string answerBox(const char* caption) {
        HWND box = s.user().waitFor(caption, 60, 0xFFFF);
        std::string text = box ? User::messageText(box) : "(no box)";
        User::answer(box, IDOK);
        return text;
    }

    // Chooses a file in "Add files", as the only attachment.
    void attach(HWND dialog, const std::string& path) {
        User::press(dialog, IDC_COMPOSE_ATTACHMENTS);
        HWND files = s.user().waitFor("Add files", 20, IDC_ATTACH_LIST);
        ASSERT_NE(files, nullptr);
        User::press(files, IDC_ATTACH_ADD);
        chooseFile(s, "Attach File", path);
        EXPECT_TRUE(waitUntil([&] { return User::rows(files, IDC_ATTACH_LIST).size() == 1; }));
        User::answer(files, IDOK);
        EXPECT_EQ(User::text(dialog, IDC_COMPOSE_ATTACHED), path);
    }

    // The messages the server has stored since the last look, as Python's email
    // package read them: envelope recipients, To names, subject, text, file names.
    nlohmann::json received() {
        nlohmann::json out = nlohmann::json::array();
        for (;; ++seen_) {
            std::ifstream in(folder_ + "\\" + std::to_string(seen_) + ".json");
            if (!in)
                return out;
            nlohmann::json j = nlohmann::json::parse(in);
            EXPECT_EQ(j["mail_from"], "me@example.com");
            nlohmann::json names = nlohmann::json::array();
            for (const auto& to : j["to"])
                names.push_back(to[0]);
            out.push_back({j["rcpt_tos"], names, j["subject"], j["body"], j["attachments"]});
        }
    }

    HWND window = nullptr;
    std::string port_, folder_;
    int seen_ = 0;
};

TEST_F(Mail, ComposeAndSendAsAUserWouldAndTheServerGetsEachMessage) {
    // No server set: the message, and no window.
    User::press(window, IDC_EMAIL);
    EXPECT_EQ(answerBox("SMTP address not found"),
              "Pleaes enter your SMTP address in Options->Settings before you can send email.");
    setString("SMTP", "127.0.0.1:" + port_);

    const std::string report =
        "C:\\ctlite-mail-" + std::to_string(GetCurrentProcessId()) + "\\Quarterly report 2025.txt";
    CreateDirectoryA(report.substr(0, report.rfind('\\')).c_str(), nullptr);
    std::string reportBytes;
    for (int i = 0; i < 100000; ++i)
        reportBytes += static_cast<char>(i * 7919 % 251);
    writeAll(report, reportBytes);

    // Each message: [envelope recipients, To names, subject, text, attached file names].
    struct Case {
        const char* what;
        std::function<HWND()> write;  // opens the compose window and fills it
        const char* expected;
    };
    const Case cases[] = {
        {"one recipient, with the signature",
         [&] {
             select("Ann Smith");
             HWND c = compose();
             EXPECT_EQ(User::text(c, IDC_COMPOSE_FROM), "Me Myself <me@example.com>");
             EXPECT_EQ(User::text(c, IDC_COMPOSE_TO), "Ann Smith <ann@example.com>");
             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_EMAIL)));
             type(c, IDC_COMPOSE_SUBJECT, "Hello");
             type(c, IDC_COMPOSE_BODY, "Line one\r\n.dot line");
             return c;
         },
         R"([[["ann@example.com"], ["Ann Smith"], "Hello", "Line one\n.dot line\n\n\n-- \nMe\n", []]])"},
        {"\"&Add\" of lines listed by last name (one without an address), a copy to myself, "
         "\"No Subject\"",
         [&] {
             select("Ann Smith");
             HWND c = compose();
             Session::command(window, ID_SORT_LAST);
             Session::waitForLines(window, {"Adams, bob", "Miller, Cy", "Smith, Ann"});
             select("Miller, Cy");
             User::press(c, IDC_COMPOSE_ADD);
             EXPECT_TRUE(waitUntil([&] {
                 return User::text(c, IDC_COMPOSE_TO) ==
                        "Ann Smith <ann@example.com>, \"Miller, Cy\" <cy@example.com>";
             })) << User::text(c, IDC_COMPOSE_TO);
             select("Adams, bob");
             User::press(c, IDC_COMPOSE_ADD);
             EXPECT_EQ(answerBox("Oops..."), "Email address is not found");
             SendDlgItemMessageA(c, IDC_COMPOSE_SIGNATURE, BM_SETCHECK, BST_UNCHECKED, 0);
             tick(c, IDC_COMPOSE_COPY_SELF);
             type(c, IDC_COMPOSE_SUBJECT, "x");
             type(c, IDC_COMPOSE_SUBJECT, "");
             type(c, IDC_COMPOSE_BODY, "Two");
             return c;
         },
         R"([[["ann@example.com", "cy@example.com", "me@example.com"],
               ["Ann Smith", "Miller, Cy", "Me Myself"], "No Subject", "Two\n", []]])"},
        {"to all at once (bob has no address), with a copy to myself",
         [&] {
             HWND c = compose();  // bob, selected last, has no address
             EXPECT_EQ(User::text(c, IDC_COMPOSE_TO), "");
             tick(c, IDC_COMPOSE_ALL_AT_ONCE);
             EXPECT_TRUE(waitUntil([&] {
                 return !IsWindowEnabled(GetDlgItem(c, IDC_COMPOSE_TO)) &&
                        !IsWindowEnabled(GetDlgItem(c, IDC_COMPOSE_ONE_BY_ONE));
             }));
             tick(c, IDC_COMPOSE_COPY_SELF);
             type(c, IDC_COMPOSE_SUBJECT, "All");
             return c;
         },
         R"([[["ann@example.com", "cy@example.com", "me@example.com"],
               ["Ann Smith", "Cy Miller", "Me Myself"], "All", "\n\n\n-- \nMe\n", []]])"},
        {"to all one by one, with a copy to myself",
         [&] {
             HWND c = compose();
             tick(c, IDC_COMPOSE_ONE_BY_ONE);
             tick(c, IDC_COMPOSE_COPY_SELF);
             type(c, IDC_COMPOSE_SUBJECT, "Each");
             return c;
         },
         R"([[["ann@example.com"], ["Ann Smith"], "Each", "\n\n\n-- \nMe\n", []],
             [["cy@example.com"], ["Cy Miller"], "Each", "\n\n\n-- \nMe\n", []],
             [["me@example.com"], ["Me Myself"], "Each", "\n\n\n-- \nMe\n", []]])"},
        {"an attachment, chosen in \"Add files\"",
         [&] {
             select("Smith, Ann");
             HWND c = compose();
             type(c, IDC_COMPOSE_SUBJECT, "Report");
             attach(c, report);
             return c;
         },
         R"([[["ann@example.com"], ["Ann Smith"], "Report", "\n\n\n-- \nMe\n",
               ["Quarterly report 2025.txt"]]])"},
        {"to the maker, from the About box",
         [&] {
             Session::command(window, ID_HELP_ABOUT);
             HWND about = s.user().waitFor("About Contavo Lite", 20, IDC_ABOUT_EMAIL);
             User::press(about, IDC_ABOUT_EMAIL);
             HWND c = s.user().waitFor(kCompose, 20, IDC_COMPOSE_TO);
             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(c, IDC_COMPOSE_TO)));
             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(c, IDC_COMPOSE_ADD)));
             return c;
         },
         R"([[["contavo-feedback@example.com"], ["Velmora Systems"], "Contavo Lite Feedback",
               "\n\n\n-- \nMe\n", []]])"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HWND dialog = c.write();
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(User::waitEnabled(dialog, IDOK));
        User::press(dialog, IDOK);
        // Each send has its own "Sending..." window; the last good one closes the window.
        EXPECT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, std::chrono::seconds(90)));
        EXPECT_TRUE(User::waitEnabled(window, IDC_EMAIL));
        const nlohmann::json expected = nlohmann::json::parse(c.expected);
        nlohmann::json got = nlohmann::json::array();
        waitUntil([&] {
            for (const auto& message : received())
                got.push_back(message);
            return got.size() >= expected.size();
        });
        EXPECT_EQ(got, expected) << got.dump();
    }
    std::string attached = readAll(folder_ + "\\6.0.bin");
    EXPECT_TRUE(attached == reportBytes) << attached.size() << " bytes";

    // A large attachment: the bar moves, Cancel stops the send, nothing is delivered,
    // and the send counts as done.
    writeAll(report, std::string(48 << 20, 'x'));
    select("Smith, Ann");
    HWND c = compose();
    type(c, IDC_COMPOSE_SUBJECT, "Large");
    attach(c, report);
    User::press(c, IDOK);
    HWND sending = s.user().waitFor("Send to Ann Smith <ann@example.com>", 30, IDC_SEND_BAR);
    ASSERT_NE(sending, nullptr);
    EXPECT_TRUE(waitUntil(
        [&] {
            return SendDlgItemMessageA(sending, IDC_SEND_BAR, PBM_GETPOS, 0, 0) > 0 &&
                   User::text(sending, IDC_SEND_STATUS).rfind("Sending Attachments: ", 0) == 0;
        },
        std::chrono::seconds(60)))
        << User::text(sending, IDC_SEND_STATUS);
    User::press(sending, IDC_SEND_CANCEL);
    EXPECT_EQ(answerBox("ctlite"), "The process is canceled by user.");
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(c); }));
    // Eight connections for the table, the ninth cancelled.
    const std::string closedLog = folder_ + "\\closed.log";
    EXPECT_TRUE(waitUntil([&] { return readAll(closedLog).size() == 9 * 7; }))
        << readAll(closedLog).size() / 7 << " connections closed";
    EXPECT_TRUE(received().empty());

    DeleteFileA(report.c_str());
    RemoveDirectoryA(report.substr(0, report.rfind('\\')).c_str());
    exitNormally(window);
}

}  // namespace
