#include "addressbook/ui/about_box.h"

#include <shellapi.h>

#include <string>

#include "addressbook/ui/resource.h"
#include "addressbook/ui/small_controls.h"
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

int openWebAddress(HWND owner, const char* text) {
    std::optional<std::string> address = openableAddress(text);
    if (!address)
        return SE_ERR_ACCESSDENIED;  // not a web address: nothing is run
    auto shell = static_cast<int>(reinterpret_cast<INT_PTR>(
        ShellExecuteA(owner, "open", address->c_str(), nullptr, nullptr, SW_SHOWNORMAL)));
    if (shell > 32)
        return shell;
    // The shell could not: use the command of the ".htm" class itself.
    std::string htmlClass = classesRootDefault(".htm");
    if (htmlClass.empty())
        return shell;
    std::string command = classesRootDefault(htmlClass + "\\shell\\open\\command");
    if (command.empty())
        return shell;
    std::string commandLine = browserCommandLine(command, *address);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return 33;  // opened, as the shell would have
    }
    return shell;
}

const fw::CommandEntry<AboutBox> AboutBox::kCommands[] = {
    {IDOK, BN_CLICKED, &AboutBox::onOk},
    {IDCANCEL, BN_CLICKED, &AboutBox::onOk},
    {IDC_ABOUT_EMAIL, BN_CLICKED, &AboutBox::onFeedback},
    {0, 0, nullptr},
};

bool AboutBox::run(HWND owner) {
    return runModal(IDD_ABOUT, owner) == IDC_ABOUT_EMAIL;
}

void AboutBox::onFeedback() {
    end(IDC_ABOUT_EMAIL);
}

BOOL AboutBox::onInit() {
    LinkOptions link;
    link.colours = {RGB(0, 0, 255), RGB(0, 255, 0), RGB(0, 255, 0)};
    link.underline = true;
    link.fitToText = true;
    attachLinkLabel(item(IDC_ABOUT_LINK), kMakerAddress, link);
    return TRUE;
}

}  // namespace ctlite
