#include "installer/setup/wizard/win32_system_information_page.h"

#include <algorithm>
#include <array>
#include <utility>

#include "installer/package/language_entries.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/addons/win32_plugin_guard.h"
#include "installer/setup/probe/win32_machine_probe.h"
#include "installer/setup/resource.h"

namespace vortix {

const fw::CommandEntry<SystemInformationPage> SystemInformationPage::kCommands[] = {
    {IDC_SYSTEM_SAVE, BN_CLICKED, &SystemInformationPage::onSave},
    {0, 0, nullptr},
};

namespace {

constexpr std::size_t kColumns = 4;
constexpr int kColumnGap = 8;  // dialog units between the widest text and the next column

// The columns of a row, split at its tabs; any after the fourth stay with it.
std::array<std::string, kColumns> columnsOf(const std::string& row) {
    std::array<std::string, kColumns> columns;
    std::size_t at = 0;
    for (std::size_t column = 0; column < kColumns && at <= row.size(); ++column) {
        std::size_t tab = column + 1 < kColumns ? row.find('\t', at) : std::string::npos;
        columns[column] = row.substr(at, tab == std::string::npos ? std::string::npos : tab - at);
        if (tab == std::string::npos)
            break;
        at = tab + 1;
    }
    return columns;
}

bool pathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool saveNewFile(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool whole = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                 written == text.size();
    whole = CloseHandle(file) && whole;
    if (!whole)
        DeleteFileA(path.c_str());
    return whole;
}

bool SystemInformationPage::fill(bool fresh) {
    // The free space is that of the destination chosen now: coming back to the page
    // after another one was chosen measures it again.
    bool remeasured = false;
    if (!run_.machine)
        run_.machine = probeMachine(run_.facts, run_.requirements, run_.variables.installDir());
    else if (run_.requirements.rows & kRowDiskSpace)
        remeasured = measureDestination(*run_.machine, run_.variables.installDir());
    if (fresh || remeasured)
        showTable(systemInformationTable(*run_.machine, run_.requirements,
                                         run_.settings().requiredSize, run_.lines()));
    // The plug-in may add to the page each time it shows. What it throws is its own
    // failure: the page shows as it stands.
    PFN_SystemInformation hook = run_.pieces.plugin().systemInformation;
    if (!hook)
        return true;
    HWND window = handle();
    auto call = [hook, window] {
        try {
            hook(window);
        } catch (...) {
        }
    };
    callGuarded(call);
    return true;
}

void SystemInformationPage::showTable(SystemInformationTable table) {
    table_ = std::move(table);
    setItemText(IDC_SYSTEM_SAVE, entry(run_.lines(), LanguageEntry::SaveButton));
    sendItem(IDC_SYSTEM_LIST, LB_RESETCONTENT);
    for (const std::string& row : table_.rows)
        sendItem(IDC_SYSTEM_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    fitColumns();
}

bool SystemInformationPage::onNext() {
    return table_.unmet == 0 || installAnyway();
}

void SystemInformationPage::fitColumns() {
    HWND list = item(IDC_SYSTEM_LIST);
    HDC dc = GetDC(list);
    if (!dc)
        return;
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
    std::array<int, kColumns> widest{};  // pixels
    for (const std::string& row : table_.rows) {
        std::array<std::string, kColumns> columns = columnsOf(row);
        for (std::size_t column = 0; column < kColumns; ++column) {
            SIZE size{};
            if (GetTextExtentPoint32A(dc, columns[column].c_str(),
                                      static_cast<int>(columns[column].size()), &size))
                widest[column] = std::max(widest[column], static_cast<int>(size.cx));
        }
    }
    SelectObject(dc, previous);
    ReleaseDC(list, dc);
    // Tab stops are in dialog units: a quarter of the dialog font's average width.
    RECT unit{0, 0, 4, 8};
    MapDialogRect(handle(), &unit);
    const int unitPixels = std::max<int>(1, static_cast<int>(unit.right));
    // Each column as wide as its widest text and a gap. When the four do not fit
    // the list, the machine's column gives way (down to a third of the list): a
    // longer value, a display adapter's name and driver, then pushes on only its
    // own row, and the list scrolls sideways to show it.
    const int gap = kColumnGap * unitPixels / 4;
    std::array<int, kColumns> spans{};
    int natural = 0;
    for (std::size_t column = 0; column < kColumns; ++column) {
        spans[column] = widest[column] + gap;  // the last one's keeps it off the edge
        natural += spans[column];
    }
    RECT client{};
    GetClientRect(list, &client);
    // The scroll bars the table will need may not take their room yet: the
    // sideways one when the columns are wider than the list, the other when the
    // rows are more than the rest of it holds.
    RECT outside{};
    GetWindowRect(list, &outside);
    const int sidewaysBar = GetSystemMetrics(SM_CYHSCROLL),
              upwardsBar = GetSystemMetrics(SM_CXVSCROLL);
    if (outside.bottom - outside.top - client.bottom < sidewaysBar && natural > client.right)
        client.bottom -= sidewaysBar;
    LRESULT rowHeight = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    if (outside.right - outside.left - client.right < upwardsBar && rowHeight > 0 &&
        rowHeight * static_cast<LRESULT>(table_.rows.size()) > client.bottom)
        client.right -= upwardsBar;
    if (natural > client.right)
        spans[1] = std::max<int>(spans[1] - (natural - client.right),
                                 std::min<int>(spans[1], client.right / 3));
    std::array<int, kColumns - 1> stops{};
    int at = 0;
    for (std::size_t column = 0; column + 1 < kColumns; ++column) {
        at += spans[column];
        stops[column] = (at * 4 + unitPixels - 1) / unitPixels;
    }
    sendItem(IDC_SYSTEM_LIST, LB_SETTABSTOPS, stops.size(), reinterpret_cast<LPARAM>(stops.data()));
    sendItem(IDC_SYSTEM_LIST, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(natural));
}

bool SystemInformationPage::installAnyway() {
    EnableWindow(handle(), FALSE);
    int answer = run_.messages.show(entry(run_.lines(), LanguageEntry::RequirementsNotMet),
                                    Buttons::YesNo, MB_ICONQUESTION);
    EnableWindow(handle(), TRUE);
    SetForegroundWindow(GetParent(handle()));
    BringWindowToTop(handle());
    return answer == kAnswerYes;
}

void SystemInformationPage::onSave() {
    std::string name = systemInformationFileName(pathExists);
    if (saveNewFile(name, systemInformationFileText(table_.rows)))
        run_.messages.show(formatText(entry(run_.lines(), LanguageEntry::SystemInfoSaved), {name}),
                           Buttons::Ok, 0);
    else
        run_.messages.error(entry(run_.lines(), LanguageEntry::SystemInfoNotSaved));
}

}  // namespace vortix
