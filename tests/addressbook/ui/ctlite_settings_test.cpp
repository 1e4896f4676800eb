// ctlite under Wine, as a user works its Settings window: the values it shows and
// stores, the card's new look after OK, and the start-up shortcut.
#include <windows.h>
// (after windows.h)
#include <dpapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "addressbook/ui/resource.h"
#include "tests/addressbook/ui/ctlite_session.h"
#include "tests/support/win32/driver.h"

namespace {

constexpr char kKey[] = "SOFTWARE\\Contavo Lite";
constexpr char kReplacements[] = "Software\\Wine\\Fonts\\Replacements";
constexpr COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255), kGreen = RGB(0, 255, 0),
                   kRed = RGB(255, 0, 0);
constexpr int kPaletteRed = 13;  // (255, 0, 0) in the colour popup

// A string value of the program's key, read as it is stored (REG_SZ only).
std::string stringValue(const char* name) {
    char text[1024] = "";
    DWORD size = sizeof text;
    RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

// A binary value of the program's key as it is stored; empty when it is not binary.
std::string binaryValue(const char* name) {
    std::string bytes(4096, '\0');
    DWORD size = static_cast<DWORD>(bytes.size());
    if (RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_BINARY, nullptr, bytes.data(),
                     &size) != ERROR_SUCCESS)
        return {};
    bytes.resize(size);
    return bytes;
}

COLORREF onScreen(POINT at) {
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// The middle of a colour button's swatch, on the screen.
POINT swatch(HWND dialog, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    return {r.left + 5 + (r.right - r.left - 20) / 2, (r.top + r.bottom) / 2};
}

class Settings : public Ctlite {
protected:
    void SetUp() override {
        // This machine has no Arial: Wine gets one, drawn with DejaVu Sans.
        HKEY fonts = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, kReplacements, 0, nullptr, 0, KEY_WRITE, nullptr, &fonts,
                        nullptr);
        RegSetValueExA(fonts, "Arial", 0, REG_SZ, reinterpret_cast<const BYTE*>("DejaVu Sans"), 12);
        RegCloseKey(fonts);
        s.writeBook(threePeople());
    }
    void TearDown() override {
        HKEY fonts = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kReplacements, 0, KEY_WRITE, &fonts) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(fonts, "Arial");
            RegCloseKey(fonts);
        }
    }

    HWND start() {
        window = s.start();
        return window;
    }
    // Opens Settings from the Options menu, or from the tray icon's menu.
    HWND open(int command = ID_OPTIONS_SETTINGS) {
        Session::command(window, command);
        return s.user().waitFor("Settings", 20, IDC_SETTINGS_FONT);
    }
    // Waits until the colour buttons show these colours.
    static bool showsColours(HWND dialog, COLORREF background, COLORREF text, COLORREF link) {
        return waitUntil([&] {
            return onScreen(swatch(dialog, IDC_SETTINGS_BACKGROUND)) == background &&
                   onScreen(swatch(dialog, IDC_SETTINGS_TEXT_COLOUR)) == text &&
                   onScreen(swatch(dialog, IDC_SETTINGS_LINK_COLOUR)) == link;
        });
    }
    // A click on a colour button, then a colour of its popup.
    void pickColour(HWND dialog, int id, int paletteIndex) {
        HWND button = GetDlgItem(dialog, id);
        PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
        PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
        HWND popup = s.user().waitFor("", 20, IDC_POPUP_COLOUR_FIRST);
        ASSERT_NE(popup, nullptr) << "no colour popup";
        User::answer(popup, IDC_POPUP_COLOUR_FIRST + paletteIndex);
    }
    // The preview's lower right corner, inside its frame.
    static POINT previewCorner(HWND dialog) {
        RECT r{};
        GetWindowRect(GetDlgItem(dialog, IDC_SETTINGS_PREVIEW), &r);
        return {r.right - 6, r.bottom - 5};
    }
    // A point of the card away from its texts and marks.
    POINT cardPoint() const {
        HWND card = GetDlgItem(window, IDC_DISPLAY);
        RECT client{};
        GetClientRect(card, &client);
        POINT at{client.right / 2, client.bottom - 12};
        ClientToScreen(card, &at);
        return at;
    }

    HWND window = nullptr;
};

TEST_F(Settings, ShowTheDefaultsKeepALongSignatureAndRepaintTheCardAfterOk) {
    ASSERT_NE(start(), nullptr);
    SendDlgItemMessageA(window, IDC_NAME_LIST, LB_SETCURSEL, 0, 0);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_NAME_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_NAME_LIST)));
    EXPECT_TRUE(waitUntil([&] { return onScreen(cardPoint()) == kBlack; }));

    // Nothing stored: black, white, green and Arial. A face tried and cancelled is forgotten.
    HWND dialog = open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(showsColours(dialog, kBlack, kWhite, kGreen));
    EXPECT_EQ(User::text(dialog, IDC_SETTINGS_FONT), "Arial");
    SendDlgItemMessageA(dialog, IDC_SETTINGS_FONT, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>("DejaVu Serif"));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_FONT, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_SETTINGS_FONT)));
    EXPECT_EQ(User::text(dialog, IDC_SETTINGS_FONT), "DejaVu Serif");
    User::answer(dialog, IDCANCEL);
    dialog = open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(User::text(dialog, IDC_SETTINGS_FONT), "Arial");

    // An address without an at sign keeps the window open.
    const std::string signature = std::string(293, 'x') + "\r\n-- Ann";
    SetDlgItemTextA(dialog, IDC_SETTINGS_SIGNATURE, signature.c_str());
    SetDlgItemTextA(dialog, IDC_SETTINGS_EMAIL, "ann.example.com");
    User::press(dialog, IDOK);
    EXPECT_EQ(s.user().answerBox("Oops..."), "You entered invalid Email address");
    EXPECT_TRUE(IsWindow(dialog));

    // A new background, and OK: stored, and the card shows it at once.
    SetDlgItemTextA(dialog, IDC_SETTINGS_EMAIL, "ann@example.com");
    pickColour(dialog, IDC_SETTINGS_BACKGROUND, kPaletteRed);
    EXPECT_TRUE(showsColours(dialog, kRed, kWhite, kGreen));
    EXPECT_TRUE(waitUntil([&] { return onScreen(previewCorner(dialog)) == kRed; }));
    User::answer(dialog, IDOK);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(waitUntil([&] { return onScreen(cardPoint()) == kRed; }))
        << std::hex << onScreen(cardPoint());
    EXPECT_EQ(stringValue("Signature"), signature);
    EXPECT_EQ(stringValue("Email"), "ann@example.com");
    EXPECT_EQ(stringValue("Font Face"), "Arial");
    EXPECT_EQ(dwordValue(HKEY_CURRENT_USER, kKey, "Color_Background"), kRed);
    EXPECT_EQ(dwordValue(HKEY_CURRENT_USER, kKey, "Version"), 352u);
    exitNormally(window);

    // A new start with all-white colours stored: the default scheme, and the long
    // signature comes back whole and survives a second OK.
    for (const char* name : {"Color_Background", "Color_Text", "Color_Link"})
        setValue(HKEY_CURRENT_USER, kKey, name, kWhite);
    ASSERT_NE(start(), nullptr);
    dialog = open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(showsColours(dialog, kBlack, kWhite, kGreen));
    EXPECT_EQ(User::text(dialog, IDC_SETTINGS_SIGNATURE), signature);
    User::answer(dialog, IDOK);
    EXPECT_EQ(stringValue("Signature"), signature);
    exitNormally(window);
}

// Below the server: its port (following the security while it is a usual one), the
// security and the sign-in; the password shown masked and stored only encrypted.
TEST_F(Settings, TheServersPortSecurityAndSignInAreKeptThePasswordEncrypted) {
    ASSERT_NE(start(), nullptr);
    HWND dialog = open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(User::text(dialog, IDC_SETTINGS_PORT), "25");
    EXPECT_EQ(User::text(dialog, IDC_SETTINGS_SECURITY), "None");
    EXPECT_NE(
        GetWindowLongA(GetDlgItem(dialog, IDC_SETTINGS_SMTP_PASSWORD), GWL_STYLE) & ES_PASSWORD, 0);
    SendDlgItemMessageA(dialog, IDC_SETTINGS_SECURITY, CB_SETCURSEL, 1, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_SECURITY, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_SETTINGS_SECURITY)));
    EXPECT_TRUE(waitUntil([&] { return User::text(dialog, IDC_SETTINGS_PORT) == "587"; }));

    SetDlgItemTextA(dialog, IDC_SETTINGS_PORT, "0");
    User::press(dialog, IDOK);
    EXPECT_EQ(s.user().answerBox("Oops..."),
              "Enter the SMTP server's port, a number from 1 to 65535 (25, 587 for STARTTLS, 465 "
              "for TLS from the start).");
    EXPECT_TRUE(IsWindow(dialog));

    const std::string password = "s3cr\xe9t";
    SetDlgItemTextA(dialog, IDC_SETTINGS_PORT, "2587");
    SetDlgItemTextA(dialog, IDC_SETTINGS_SMTP_USER, "me");
    SetDlgItemTextA(dialog, IDC_SETTINGS_SMTP_PASSWORD, password.c_str());
    User::answer(dialog, IDOK);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(dwordValue(HKEY_CURRENT_USER, kKey, "SMTP Port"), 2587u);
    EXPECT_EQ(dwordValue(HKEY_CURRENT_USER, kKey, "SMTP Security"), 1u);
    EXPECT_EQ(stringValue("SMTP User"), "me");
    // Neither the 8-bit nor the UTF-16 text is in the stored bytes; the user gets it back.
    std::string stored = binaryValue("SMTP Password");
    const std::wstring wide = L"s3cr\u00e9t";
    const std::string wideBytes(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    EXPECT_EQ(stored.find(password), std::string::npos);
    EXPECT_EQ(stored.find(wideBytes.substr(0, 8)), std::string::npos);
    DATA_BLOB in{static_cast<DWORD>(stored.size()), reinterpret_cast<BYTE*>(stored.data())};
    DATA_BLOB out{};
    ASSERT_TRUE(CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, 0, &out));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.pbData), out.cbData), wideBytes);
    LocalFree(out.pbData);

    dialog = open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(User::text(dialog, IDC_SETTINGS_PORT), "2587");
    EXPECT_EQ(User::text(dialog, IDC_SETTINGS_SECURITY), "STARTTLS");
    EXPECT_EQ(User::text(dialog, IDC_SETTINGS_SMTP_USER), "me");
    EXPECT_EQ(User::text(dialog, IDC_SETTINGS_SMTP_PASSWORD), password);
    User::answer(dialog, IDCANCEL);
    exitNormally(window);
}

TEST_F(Settings, TheShortcutStartsTheProgramInItsOwnFolderAndASecondRemovalFails) {
    // The program starts in the test's folder, not its own.
    ASSERT_NE(start(), nullptr);
    char folder[MAX_PATH] = "";
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, TRUE));
    const std::string link = std::string(folder) + "\\Contavo Lite.lnk";
    DeleteFileA(link.c_str());

    HWND dialog = open(ID_TRAY_SETTINGS);
    ASSERT_NE(dialog, nullptr);
    User::press(dialog, IDC_SETTINGS_MAKE_SHORTCUT);
    ASSERT_TRUE(waitUntil([&] { return exists(link); })) << link;
    SendMessageA(dialog, WM_NULL, 0, 0);  // answered once the button's command is done

    // Its target and working folder are read by an independent reader of shortcut
    // files (ctlite_shortcut_lnkinfo.sh).
    if (const char* copy = std::getenv("CTLITE_SHORTCUT_COPY")) {
        EXPECT_TRUE(CopyFileA(link.c_str(), copy, FALSE)) << copy;
    }

    User::press(dialog, IDC_SETTINGS_REMOVE_SHORTCUT);
    EXPECT_TRUE(waitUntil([&] { return !exists(link); }));
    User::press(dialog, IDC_SETTINGS_REMOVE_SHORTCUT);
    EXPECT_EQ(s.user().answerBox("ctlite"), "Delete fail");
    User::answer(dialog, IDCANCEL);
    exitNormally(window);
}

}  // namespace
