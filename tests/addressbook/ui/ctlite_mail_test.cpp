// ctlite under Wine, as a user writes e-mail: the compose window and "Sending..."
// against aiosmtpd on loopback, whose messages, parsed by Python's email package,
// are read back. ctlite_mail_peer.sh starts the servers and names their ports and
// folders (CTLITE_SMTP_PORT, CTLITE_SMTP_DIR; CTLITE_TLS_PORTS, CTLITE_TLS_DIR for
// the ones asking for TLS and a sign-in); without them the tests are skipped.
#include <windows.h>
// (after windows.h)
#include <commctrl.h>
#include <dpapi.h>
#include <shellapi.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
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

void setDword(const char* name, DWORD value) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

// The password as an administrator presets it: CryptProtectData of its UTF-16 text.
void setPassword(const std::wstring& password) {
    DATA_BLOB in{static_cast<DWORD>(password.size() * 2),
                 reinterpret_cast<BYTE*>(const_cast<wchar_t*>(password.data()))};
    DATA_BLOB out{};
    ASSERT_TRUE(CryptProtectData(&in, nullptr, nullptr, nullptr, nullptr, 0, &out));
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, "SMTP Password", 0, REG_BINARY, out.pbData, out.cbData);
    RegCloseKey(key);
    LocalFree(out.pbData);
}

// A certificate made trusted for the current user (its Root store) while the object
// lives. Wine keeps the store in the registry only when it is committed, and a
// process reads its roots once, at its first chain: so before ctlite's first send.
class TrustedRoot {
public:
    explicit TrustedRoot(const std::string& pem) {
        DWORD size = 0;
        CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                             nullptr);
        std::string der(size, '\0');
        CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER,
                             reinterpret_cast<BYTE*>(der.data()), &size, nullptr, nullptr);
        store_ =
            CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "Root");
        if (store_)
            CertAddEncodedCertificateToStore(store_, X509_ASN_ENCODING,
                                             reinterpret_cast<const BYTE*>(der.data()), size,
                                             CERT_STORE_ADD_REPLACE_EXISTING, &added_);
        if (added_ && !CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr))
            ADD_FAILURE() << "the Root store kept nothing";
    }
    ~TrustedRoot() {
        if (added_)
            CertDeleteCertificateFromStore(added_);  // frees the context too
        if (store_) {
            CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
            CertCloseStore(store_, 0);
        }
    }
    bool added() const { return added_ != nullptr; }

private:
    HCERTSTORE store_ = nullptr;
    PCCERT_CONTEXT added_ = nullptr;
};

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

// Submission as providers ask for it: STARTTLS or TLS from the start, and a sign-in,
// with a certificate the prefix trusts; refusals shown with their reasons.
TEST_F(Mail, SecureSubmissionSignsInOverTlsAndRefusalsAreShown) {
    const char* ports = std::getenv("CTLITE_TLS_PORTS");
    const char* tlsFolder = std::getenv("CTLITE_TLS_DIR");
    if (!ports || !tlsFolder)
        GTEST_SKIP() << "no TLS server (ctlite_mail_peer.sh starts one)";
    folder_ = tlsFolder;
    int starttls = 0, fromStart = 0, untrusted = 0;
    std::istringstream(ports) >> starttls >> fromStart >> untrusted;
    TrustedRoot root(readAll(folder_ + "\\trusted.pem"));
    ASSERT_TRUE(root.added());
    setString("SMTP", "localhost");
    setString("SMTP User", "me");

    const std::string refusedSignIn =
        "The SMTP server refused the sign-in:\n\n535 5.7.8 Authentication credentials "
        "invalid\n\nCheck the user name and password in Options->Settings.";
    const std::string refusedCertificate =
        "The SMTP server's certificate was refused; nothing was sent.\n\nThe certificate "
        "\"localhost\" is not issued by an authority this computer trusts.\n\nCheck the "
        "server's settings in Options->Settings.";
    const struct {
        const char* what;
        int port;
        DWORD security;
        const wchar_t* password;
        std::string refusal;  // empty: delivered
    } cases[] = {
        {"STARTTLS", starttls, 1, L"s3cret", ""},
        {"TLS from the start", fromStart, 2, L"s3cret", ""},
        {"a wrong password", starttls, 1, L"guess", refusedSignIn},
        {"a certificate nobody trusts", untrusted, 1, L"s3cret", refusedCertificate},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setDword("SMTP Port", static_cast<DWORD>(c.port));
        setDword("SMTP Security", c.security);
        setPassword(c.password);
        select("Ann Smith");
        HWND dialog = compose();
        ASSERT_NE(dialog, nullptr);
        type(dialog, IDC_COMPOSE_SUBJECT, c.what);
        User::press(dialog, IDOK);
        if (!c.refusal.empty()) {
            EXPECT_EQ(s.user().answerBox("ctlite", IDOK, 60), c.refusal);
            // "Sending..." ends with Cancel; the compose window stays as it was.
            EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(dialog) != FALSE; }));
            EXPECT_EQ(User::text(dialog, IDC_COMPOSE_SUBJECT), c.what);
            User::answer(dialog, IDCANCEL);
            EXPECT_TRUE(received().empty());
            continue;
        }
        // Either the window closes, or a box tells what went wrong.
        HWND box = nullptr;
        EXPECT_TRUE(waitUntil(
            [&] { return !IsWindow(dialog) || (box = s.user().waitFor("ctlite", 0, 0xFFFF)); },
            std::chrono::seconds(60)));
        if (box) {
            ADD_FAILURE() << User::messageText(box);
            User::answer(box, IDOK);
            User::answer(dialog, IDCANCEL);
            continue;
        }
        nlohmann::json got;
        EXPECT_TRUE(waitUntil([&] {
            std::ifstream in(folder_ + "\\" + std::to_string(seen_) + ".json");
            return in && (got = nlohmann::json::parse(in), true);
        }));
        ++seen_;
        EXPECT_EQ(got["subject"], c.what);
        EXPECT_EQ(got["rcpt_tos"], nlohmann::json({"ann@example.com"}));
        EXPECT_EQ(got["login"], "me");
        EXPECT_TRUE(got["secured"].get<bool>());
        std::cout << c.what << ": " << got["tls"] << "\n";
    }
    exitNormally(window);
}

TEST_F(Mail, ComposeAndSendAsAUserWouldAndTheServerGetsEachMessage) {
    // No server set: the message, and no window.
    User::press(window, IDC_EMAIL);
    EXPECT_EQ(s.user().answerBox("SMTP address not found", IDOK, 60),
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
             EXPECT_EQ(s.user().answerBox("Oops...", IDOK, 60), "Email address is not found");
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
    EXPECT_EQ(s.user().answerBox("ctlite", IDOK, 60), "The process is canceled by user.");
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
