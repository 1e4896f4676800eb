#include "addressbook/ui/settings_dialog.h"

// (after windows.h)
#include <shlobj.h>

#include <vector>

#include "addressbook/contracts/settings_places.h"
#include "addressbook/shell/shell_shortcut.h"
#include "addressbook/ui/colour_picker.h"
#include "addressbook/ui/registry_settings.h"
#include "addressbook/ui/resource.h"
#include "framework/application.h"

namespace ctlite {
namespace {

// In the order of the stored "SMTP Security" values.
constexpr const char* kSecurityChoices[] = {"None", "STARTTLS", "TLS from the start"};

// The user's Start-up folder + the shortcut's name; empty when the shell has no such folder.
std::string shortcutPath() {
    char folder[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, FALSE) || !folder[0])
        return {};
    return std::string(folder) + "\\" + kStartupShortcut;
}

// The program's own file, whatever folder it was started from.
std::string programPath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

int CALLBACK addTrueTypeFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM box) {
    // Only TrueType: raster, device and device TrueType faces are left out.
    HWND list = reinterpret_cast<HWND>(box);
    if (type == TRUETYPE_FONTTYPE &&
        SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(font->lfFaceName)) == CB_ERR)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(font->lfFaceName));
    return 1;
}

}  // namespace

const fw::CommandEntry<SettingsDialog> SettingsDialog::kCommands[] = {
    {IDC_SETTINGS_FONT, CBN_SELCHANGE, &SettingsDialog::onFontChanged},
    {IDC_SETTINGS_SECURITY, CBN_SELCHANGE, &SettingsDialog::onSecurityChanged},
    {IDC_SETTINGS_DEFAULT, BN_CLICKED, &SettingsDialog::onDefault},
    {IDC_SETTINGS_MAKE_SHORTCUT, BN_CLICKED, &SettingsDialog::onMakeShortcut},
    {IDC_SETTINGS_REMOVE_SHORTCUT, BN_CLICKED, &SettingsDialog::onRemoveShortcut},
    {IDOK, BN_CLICKED, &SettingsDialog::onOk},
    {IDCANCEL, BN_CLICKED, &SettingsDialog::onCancel},
    {0, 0, nullptr},
};

const fw::MessageEntry<SettingsDialog> SettingsDialog::kMessages[] = {
    {WM_PAINT, &SettingsDialog::onPaint},
    {0, nullptr},
};

// Texts of any length: a long signature goes in and comes back whole.
const fw::DataEntry<SettingsDialog> SettingsDialog::kData[] = {
    {IDC_SETTINGS_USER_NAME, fw::DataKind::Text, &SettingsDialog::userName},
    {IDC_SETTINGS_EMAIL, fw::DataKind::Text, &SettingsDialog::email},
    {IDC_SETTINGS_SMTP, fw::DataKind::Text, &SettingsDialog::smtpServer},
    {IDC_SETTINGS_PORT, fw::DataKind::Integer, &SettingsDialog::smtpPort},
    {IDC_SETTINGS_SMTP_USER, fw::DataKind::Text, &SettingsDialog::smtpUser},
    {IDC_SETTINGS_SMTP_PASSWORD, fw::DataKind::Text, &SettingsDialog::smtpPassword},
    {IDC_SETTINGS_SIGNATURE, fw::DataKind::Text, &SettingsDialog::signature},
    {IDC_SETTINGS_MINIMIZE, fw::DataKind::Check, &SettingsDialog::startMinimised},
    {0, fw::DataKind::End},
};

bool SettingsDialog::run(HWND owner) {
    fontFace = mainFace_;
    readSettings(RegistrySettings(), *this);
    return runModal(IDD_SETTINGS, owner) == IDOK;
}

BOOL SettingsDialog::onInit() {
    attachColourPicker(item(IDC_SETTINGS_BACKGROUND), colours.background);
    attachColourPicker(item(IDC_SETTINGS_TEXT_COLOUR), colours.text);
    attachColourPicker(item(IDC_SETTINGS_LINK_COLOUR), colours.link);
    for (const char* choice : kSecurityChoices)
        sendItem(IDC_SETTINGS_SECURITY, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    sendItem(IDC_SETTINGS_SECURITY, CB_SETCURSEL, static_cast<WPARAM>(smtpSecurity));
    fillFontBox();
    std::string face = faceToSelect(fontFace);
    sendItem(IDC_SETTINGS_FONT, CB_SELECTSTRING, static_cast<WPARAM>(-1),
             reinterpret_cast<LPARAM>(face.c_str()));
    return TRUE;
}

void SettingsDialog::fillFontBox() {
    HDC dc = GetDC(handle());
    LOGFONTA all{};
    all.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(dc, &all, addTrueTypeFace,
                        reinterpret_cast<LPARAM>(item(IDC_SETTINGS_FONT)), 0);
    ReleaseDC(handle(), dc);
}

std::string SettingsDialog::chosenFace() const {
    LRESULT at = sendItem(IDC_SETTINGS_FONT, CB_GETCURSEL);
    if (at == CB_ERR)
        return {};
    LRESULT length = sendItem(IDC_SETTINGS_FONT, CB_GETLBTEXTLEN, at);
    std::vector<char> text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    sendItem(IDC_SETTINGS_FONT, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

RECT SettingsDialog::previewArea() const {
    RECT area{};
    GetWindowRect(item(IDC_SETTINGS_PREVIEW), &area);
    MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&area), 2);
    area.top += 7;
    return area;
}

INT_PTR SettingsDialog::onPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle(), &paint);
    RECT area = previewArea();
    HBRUSH brush = CreateSolidBrush(pickerColour(item(IDC_SETTINGS_BACKGROUND)));
    FillRect(dc, &area, brush);
    DeleteObject(brush);

    // The line height of the window's own font puts "Link..." one line lower.
    TEXTMETRICA metrics{};
    HFONT own = reinterpret_cast<HFONT>(SendMessageA(handle(), WM_GETFONT, 0, 0));
    HGDIOBJ before = SelectObject(dc, own ? own : GetStockObject(DEFAULT_GUI_FONT));
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, before);

    // The face the box shows; the main window takes it only on OK.
    std::string face = chosenFace();
    auto makeFont = [&](BOOL underline) {
        return CreateFontA(0, 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE, ANSI_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS,
                           face.c_str());
    };
    SetBkMode(dc, TRANSPARENT);
    int left = area.left + 5, top = area.top + 5;
    HFONT plain = makeFont(FALSE), underlined = makeFont(TRUE);
    before = SelectObject(dc, plain);
    SetTextColor(dc, pickerColour(item(IDC_SETTINGS_TEXT_COLOUR)));
    TextOutA(dc, left, top, "Contavo Lite", 12);
    SelectObject(dc, underlined);
    SetTextColor(dc, pickerColour(item(IDC_SETTINGS_LINK_COLOUR)));
    TextOutA(dc, left, top + metrics.tmHeight + metrics.tmExternalLeading, "Link...", 7);
    SelectObject(dc, before);
    DeleteObject(plain);
    DeleteObject(underlined);
    EndPaint(handle(), &paint);
    return TRUE;
}

void SettingsDialog::onFontChanged() {
    RECT area = previewArea();
    InvalidateRect(handle(), &area, TRUE);
}

// A port the user left at the usual one follows the security; one typed stays.
void SettingsDialog::onSecurityChanged() {
    int chosen = static_cast<int>(sendItem(IDC_SETTINGS_SECURITY, CB_GETCURSEL));
    BOOL isNumber = FALSE;
    UINT port = GetDlgItemInt(handle(), IDC_SETTINGS_PORT, &isNumber, FALSE);
    if (chosen < 0 || !isNumber)
        return;
    for (int security = 0; security < 3; ++security)
        if (static_cast<int>(port) == usualPort(security))
            SetDlgItemInt(handle(), IDC_SETTINGS_PORT, static_cast<UINT>(usualPort(chosen)), FALSE);
}

void SettingsDialog::onDefault() {
    const DisplayColours scheme;
    setPickerColour(item(IDC_SETTINGS_TEXT_COLOUR), scheme.text);
    setPickerColour(item(IDC_SETTINGS_BACKGROUND), scheme.background);
    setPickerColour(item(IDC_SETTINGS_LINK_COLOUR), scheme.link);
    onFontChanged();
}

void SettingsDialog::onMakeShortcut() {
    std::string program = programPath();
    std::string folder = program.substr(0, program.rfind('\\'));
    std::string link = shortcutPath();
    ShellShortcut shortcut;
    ShellShortcut::Fields fields;
    fields.linkPath = link;
    fields.target = program;
    fields.workingDirectory = folder;
    fields.description = "Shortcut to Contavo Lite";
    bool known = !link.empty() && !program.empty();
    if (known && shortcut.set(fields))
        return;
    fw::messageBox(handle(), "Shortcut creation failed", nullptr, MB_OK);
    if (!known || !shortcut.save())
        fw::messageBox(handle(), "Cannot save shortcut", nullptr, MB_OK);
}

void SettingsDialog::onRemoveShortcut() {
    std::string link = shortcutPath();
    if (link.empty() || !DeleteFileA(link.c_str()))
        fw::messageBox(handle(), "Delete fail", nullptr, MB_OK);
}

void SettingsDialog::onOk() {
    bool portRead = saveData();
    if (!acceptableEmail(email)) {
        fw::messageBox(handle(), "You entered invalid Email address", "Oops...",
                       MB_OK | MB_ICONEXCLAMATION);
        SetFocus(item(IDC_SETTINGS_EMAIL));
        return;
    }
    if (!portRead || smtpPort < 1 || smtpPort > 65535) {
        fw::messageBox(handle(),
                       "Enter the SMTP server's port, a number from 1 to 65535 (25, 587 for "
                       "STARTTLS, 465 for TLS from the start).",
                       "Oops...", MB_OK | MB_ICONEXCLAMATION);
        SetFocus(item(IDC_SETTINGS_PORT));
        return;
    }
    smtpSecurity = static_cast<int>(sendItem(IDC_SETTINGS_SECURITY, CB_GETCURSEL));
    if (smtpSecurity < 0)
        smtpSecurity = 0;
    fontFace = chosenFace();
    colours = {pickerColour(item(IDC_SETTINGS_BACKGROUND)),
               pickerColour(item(IDC_SETTINGS_TEXT_COLOUR)),
               pickerColour(item(IDC_SETTINGS_LINK_COLOUR))};
    RegistrySettings key;
    if (!writeSettings(key, *this))
        fw::messageBox(handle(), "Internal Error!(err:22)", "Error", MB_OK);
    // The card takes the colours and the face even when they could not be stored.
    mainFace_ = fontFace;
    mainColours_ = colours;
    end(IDOK);
}

}  // namespace ctlite
