#include "addressbook/ui/about_box.h"

#include <shellapi.h>

#include <string>

#include "addressbook/ui/resource.h"
#include "addressbook/ui/web_address.h"

namespace ctlite {
namespace {

constexpr char kMakerAddress[] = "http://www.example.com/contavo/";

std::string classesRootDefault(const std::string& key) {
    char value[260] = "";
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

}  // namespace

void openWebAddress(HWND owner, const char* address) {
    if (reinterpret_cast<INT_PTR>(
            ShellExecuteA(owner, "open", address, nullptr, nullptr, SW_SHOWNORMAL)) > 32)
        return;
    // The shell could not: use the command of the ".htm" class itself.
    std::string htmlClass = classesRootDefault(".htm");
    if (htmlClass.empty())
        return;
    std::string command = classesRootDefault(htmlClass + "\\shell\\open\\command");
    if (command.empty())
        return;
    std::string commandLine = browserCommandLine(command, address);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

const fw::CommandEntry<AboutBox> AboutBox::kCommands[] = {
    {IDOK, BN_CLICKED, &AboutBox::onOk},
    {IDCANCEL, BN_CLICKED, &AboutBox::onOk},
    {IDC_ABOUT_LINK, STN_CLICKED, &AboutBox::onLink},
    {0, 0, nullptr},
};
const fw::MessageEntry<AboutBox> AboutBox::kMessages[] = {
    {WM_CTLCOLORSTATIC, &AboutBox::onStaticColour},
    {0, nullptr},
};

void AboutBox::run(HWND owner) {
    runModal(IDD_ABOUT, owner);
}

void AboutBox::onLink() {
    openWebAddress(handle(), kMakerAddress);
}

INT_PTR AboutBox::onStaticColour(WPARAM wParam, LPARAM lParam) {
    if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != IDC_ABOUT_LINK)
        return FALSE;
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, RGB(0, 0, 255));  // a link
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace ctlite
