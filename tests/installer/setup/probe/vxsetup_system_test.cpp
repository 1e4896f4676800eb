// The system information page under Wine, driven as a user would: the table of the
// machine against a package's requirements, the question when they are not met,
// saving the table, the plug-in's hook, and a package whose requirements are
// damaged.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/installer/setup/vxsetup_fixture.h"
#include "tests/support/win32/wine_behaviour.h"

using namespace vxsetup_testing;

namespace {

constexpr int kPrompt = 30, kSystemList = 70, kSave = 71;
const std::string kProduct = "VxSystem", kBoxCaption = "VxSystem Setup";
const char kSoftwareKey[] = "Software\\VxSystemTest\\Tool";
const char kNoDirectDraw[] = "Software\\Wine\\AppDefaults\\setup.exe\\DllOverrides";
const char* const kSavedFiles[] = {"C:\\sysinfo.txt", "C:\\sysinfo1.txt"};

std::vector<std::string> columnsOf(const std::string& row) {
    std::vector<std::string> columns;
    for (std::size_t at = 0;;) {
        std::size_t tab = row.find('\t', at);
        columns.push_back(row.substr(at, tab == std::string::npos ? tab : tab - at));
        if (tab == std::string::npos)
            return columns;
        at = tab + 1;
    }
}

// A package whose only page is the system information page, asking for what
// `requirements` (the lines of its [requirements] table) say.
class VxsetupSystem : public testing::Test {
protected:
    void SetUp() override {
        for (const char* file : kSavedFiles)
            DeleteFileA(file);
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSoftwareKey, 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const char version[] = "2.5";
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       sizeof version);
        RegCloseKey(key);
    }
    void TearDown() override {
        for (const char* file : kSavedFiles)
            DeleteFileA(file);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSoftwareKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\VxSystemTest");
        RegDeleteKeyA(HKEY_CURRENT_USER, kNoDirectDraw);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe");
    }

    Package make(const std::string& name, const std::string& requirements,
                 const std::string& pieces = "",
                 const std::string& pages = R"("system_information")") {
        PackageMaker maker(name);
        maker.file("read.txt", "system");
        return maker.build(R"(
[package]
product = "VxSystem"
window_title = "VxSystem"
install_dir = '<ProgramFiles>\VxSystem'
pages = [)" + pages + R"(]

[requirements]
)" + requirements + R"(

[[files]]
source = "read.txt"
target = '<InstallDir>\read.txt'
)",
                           pieces);
    }

    // Installs from the page (Next, and Yes when the question comes) and removes
    // the installation again.
    void installFrom(Started& setup, HWND page, bool asked) {
        User user(setup.process.dwProcessId);
        User::press(page, IDOK);
        if (asked) {
            HWND box = user.waitFor(kBoxCaption, 20, 0xFFFF);
            ASSERT_NE(box, nullptr);
            User::answer(box, IDYES);
        }
        EXPECT_EQ(setup.wait(), 1u);
        EXPECT_EQ(readAll(dir + "\\read.txt"), "system");
        EXPECT_EQ(uninstall(kProduct), 1u);
        simulateRestart();
    }

    std::string dir = programFiles() + "\\VxSystem";
};

}  // namespace

TEST_F(VxsetupSystem, TheTableShowsEveryRowAndUnmetRequirementsAskBeforeInstalling) {
    Package package = make("system-table", R"(
rows = ["operating_system", "memory", "processor", "disk_space", "directx", "display_mode",
        "wave_output", "midi_output", "joystick", "display_adapters", "installed_software"]
memory_mb = 1000000
display = "640x480x8"
[[requirements.software]]
name = "Tool"
key = 'VxSystemTest\Tool'
[[requirements.software]]
name = "Missing"
key = 'VxSystemTest\Missing'
)");
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    EndsWithTheTest ending{setup};
    User user(setup.process.dwProcessId);
    HWND page = waitForPage(kProduct);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(User::text(page, kHeading), "System Information");
    EXPECT_EQ(User::text(page, kPrompt),
              "Setup has compared your computer with what the program requires.");
    EXPECT_EQ(User::text(page, kSave), "&Save...");
    EXPECT_EQ(User::text(page, IDOK), "&Install");

    std::vector<std::string> rows = User::rows(page, kSystemList);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0], "Requirement\tYour computer\tRequired\tMet");
    // One row a requirement, in the page's order, each ending in its verdict.
    const std::vector<std::string> labels = {
        "Operating system", "Memory",           "Processor",         "Free disk space",
        "DirectX",          "Display mode",     "Sound output",      "MIDI output",
        "Joystick",         "Display adapters", "Installed software"};
    std::vector<std::string> seen;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        std::vector<std::string> columns = columnsOf(rows[i]);
        if (!columns[0].empty())
            seen.push_back(columns[0]);
    }
    EXPECT_EQ(seen, labels);
    auto rowOf = [&](const std::string& label) {
        for (const std::string& row : rows)
            if (row.rfind(label + "\t", 0) == 0)
                return columnsOf(row);
        return std::vector<std::string>();
    };
    std::vector<std::string> memory = rowOf("Memory");
    ASSERT_GE(memory.size(), 4u);
    EXPECT_EQ(memory.back(), "No");
    EXPECT_NE(memory[2].find("1000000"), std::string::npos) << memory[2];
    std::vector<std::string> display = rowOf("Display mode");
    ASSERT_GE(display.size(), 4u);
    EXPECT_EQ(display.back(), "Yes");  // every display can show 640x480 in 256 colours
    // One line a program: the one there with its version, the other not found.
    std::vector<std::string> software = rowOf("Installed software");
    ASSERT_EQ(software.size(), 4u);
    EXPECT_EQ(software[1], "Tool: 2.5");
    EXPECT_EQ(software[3], "Yes");
    std::vector<std::string> missing = columnsOf(rows.back());
    ASSERT_EQ(missing.size(), 4u);
    EXPECT_EQ(missing[0], "");
    EXPECT_EQ(missing[1], "Missing: not found");
    EXPECT_EQ(missing[3], "No");

    // Unmet requirements: Next asks first, and No keeps the page as it was.
    User::press(page, IDOK);
    HWND box = user.waitFor(kBoxCaption, 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              "Your computer does not meet every requirement of the program. The program may not "
              "work properly.\n\nDo you want to install it anyway?");
    EXPECT_FALSE(IsWindowEnabled(page));
    User::answer(box, IDNO);
    EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(page) != FALSE; }));
    EXPECT_EQ(waitForPage(kProduct), page);
    EXPECT_EQ(User::rows(page, kSystemList), rows);
    EXPECT_FALSE(exists(dir));
    installFrom(setup, page, true);
}

// The free space is that of the destination chosen: back on the page after
// another drive was chosen, the row shows that drive.
TEST_F(VxsetupSystem, TheFreeSpaceFollowsTheChosenDestination) {
    constexpr int kFolder = 35;
    Package package = make("system-destination", R"(rows = ["disk_space"])", "",
                           R"("system_information", "destination", "summary")");
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    EndsWithTheTest ending{setup};
    auto freeSpace = [](HWND page) {
        std::vector<std::string> rows = User::rows(page, kSystemList);
        return rows.size() > 1 ? columnsOf(rows[1]) : std::vector<std::string>();
    };
    HWND system = waitForPage(kProduct);
    ASSERT_NE(system, nullptr);
    ASSERT_GE(freeSpace(system).size(), 2u);
    EXPECT_EQ(freeSpace(system)[1].rfind("C:\\ ", 0), 0u) << freeSpace(system)[1];
    User::press(system, IDOK);
    HWND destination = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (destination = waitForPage(kProduct)) != system; }));
    SetDlgItemTextA(destination, kFolder, "Z:\\tmp\\VxSystem");
    User::press(destination, IDOK);
    HWND summary = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (summary = waitForPage(kProduct)) != destination; }));
    User::press(summary, kBack);
    ASSERT_TRUE(waitUntil([&] { return waitForPage(kProduct) == destination; }));
    User::press(destination, kBack);
    ASSERT_TRUE(waitUntil([&] { return waitForPage(kProduct) == system; }));
    EXPECT_TRUE(waitUntil([&] {
        std::vector<std::string> row = freeSpace(system);
        return row.size() > 1 && row[1].rfind("Z:\\ ", 0) == 0;
    })) << freeSpace(system)[1];
}

TEST_F(VxsetupSystem, SaveTwiceMakesTwoFilesWithTheTableInColumns) {
    Package package = make("system-save", R"(
rows = ["operating_system", "memory", "wave_output"]
memory_mb = 1
)");
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    EndsWithTheTest ending{setup};
    User user(setup.process.dwProcessId);
    HWND page = waitForPage(kProduct);
    ASSERT_NE(page, nullptr);
    std::vector<std::string> rows = User::rows(page, kSystemList);
    for (const char* file : kSavedFiles) {
        User::press(page, kSave);
        HWND box = user.waitFor(kBoxCaption, 20, 0xFFFF);
        ASSERT_NE(box, nullptr);
        // The name as the program spells it.
        std::string name = std::string("c:\\") + (file + 3);
        EXPECT_EQ(User::messageText(box), "The system information was saved in " + name + ".");
        User::answer(box, IDOK);
        ASSERT_TRUE(exists(file)) << file;
    }
    std::string text = readAll(kSavedFiles[0]);
    EXPECT_EQ(readAll(kSavedFiles[1]), text);
    // A line a row, each column at its place.
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    ASSERT_EQ(lines.size(), rows.size());
    EXPECT_EQ(lines[0].substr(0, 22), std::string("Requirement") + std::string(11, ' '));
    EXPECT_EQ(lines[0].substr(22, 13), "Your computer");
    EXPECT_EQ(lines[0].substr(54, 8), "Required");
    EXPECT_EQ(lines[0].substr(86), "Met");
    // Nothing met is asked for: Next installs without a question.
    installFrom(setup, page, false);
}

TEST_F(VxsetupSystem, WithoutDirectDrawDirectXIsNoneAndNotMetAndThePluginHookMayFail) {
    Package package = make("system-no-ddraw", R"(
rows = ["directx"]
directx = "1.0"
)",
                           "plugin_library = '" + kPluginDouble + "'");
    std::string log = package.directory + "\\plugin.log";
    DeleteFileA(log.c_str());
    // The setup program of this package runs with DirectDraw switched off (Wine
    // reads a program's library overrides from here as it starts).
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kNoDirectDraw, 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "ddraw", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    RegCloseKey(key);
    SetEnvironmentVariableA("VX_DOUBLE_LOG", log.c_str());
    SetEnvironmentVariableA("VX_PLUGIN_RESULT_SystemInformation", "raise");
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    SetEnvironmentVariableA("VX_PLUGIN_RESULT_SystemInformation", nullptr);
    SetEnvironmentVariableA("VX_DOUBLE_LOG", nullptr);
    EndsWithTheTest ending{setup};

    // The program starts without the library, and the page shows though its hook failed.
    HWND page = waitForPage(kProduct);
    ASSERT_NE(page, nullptr);
    std::vector<std::string> rows = User::rows(page, kSystemList);
    ASSERT_EQ(rows.size(), 2u);
    std::vector<std::string> directX = columnsOf(rows[1]);
    ASSERT_EQ(directX.size(), 4u) << rows[1];
    EXPECT_EQ(directX[0], "DirectX");
    const bool withoutDirectDraw = PINNED_WINE_BEHAVIOUR(
        "Wine takes a program's library overrides from its AppDefaults "
        "key: the setup program runs without DirectDraw");
    if (withoutDirectDraw) {
        EXPECT_EQ(directX[1], "not found");
        EXPECT_EQ(directX[3], "No");
    }
    char handle[32];
    std::snprintf(handle, sizeof handle, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(page)));
    ASSERT_TRUE(waitUntil([&] { return exists(log); }));
    EXPECT_NE(readAll(log).find(std::string("SystemInformation ") + handle), std::string::npos)
        << readAll(log);
    // The requirement is unmet without DirectDraw: Next asks first.
    installFrom(setup, page, withoutDirectDraw);
}

TEST_F(VxsetupSystem, DamagedRequirementsEndTheRunBeforeAnythingIsInstalled) {
    Package package = make("system-damaged", R"(
rows = ["memory"]
memory_mb = 64
)");
    std::string bytes = readAll(package.setup);
    std::size_t at = bytes.find("memory_mb=64");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 12, "memory_mb=6x");
    writeResealed(package.setup, bytes);

    Started setup = launch("\"" + package.setup + "\"", package.directory);
    EndsWithTheTest ending{setup};
    User user(setup.process.dwProcessId);
    HWND box = user.waitFor("VxSystem", 30, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(User::messageText(box).find("system requirements in this package are damaged"),
              std::string::npos)
        << User::messageText(box);
    User::answer(box, IDOK);
    EXPECT_EQ(setup.wait(), 0u);
    EXPECT_FALSE(exists(dir));
    EXPECT_FALSE(exists(installedUninstaller(kProduct)));
}
