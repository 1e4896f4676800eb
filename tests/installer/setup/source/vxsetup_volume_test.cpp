// The setup program under Wine asking for a volume of its package that is not
// beside it, and the finish and destination pages' remaining choices: the
// restart question and the shell's folder browser.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/installer/setup/vxsetup_fixture.h"

using namespace vxsetup_testing;

namespace {

// The volume prompt's controls.
constexpr int kVolumeName = 91, kVolumeFolder = 93, kVolumeBrowse = 94, kVolumeProblem = 95;
// The file dialog's file name field (the explorer style, and the older one).
constexpr int kFileNameCombo = 0x47c, kFileNameEdit = 0x480;

std::string digits(int seed) {
    std::string text;
    for (int i = 0; text.size() < 9000; ++i)
        text += std::to_string((i * 7919 + seed) % 10007) + " ";
    text.resize(9000);
    return text;
}

std::string volumePath(const std::string& folder, int number) {
    return folder + "\\Vortix Installer package #" + std::to_string(number);
}

// Memory in another process, for the messages whose argument is a pointer there.
class RemoteMemory {
public:
    explicit RemoteMemory(DWORD processId)
        : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processId)),
          base_(static_cast<char*>(
              VirtualAllocEx(process_, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {}
    ~RemoteMemory() {
        VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        CloseHandle(process_);
    }
    char* at(std::size_t offset) const { return base_ + offset; }
    void write(std::size_t offset, const void* data, std::size_t size) {
        WriteProcessMemory(process_, base_ + offset, data, size, nullptr);
    }
    std::string readText(std::size_t offset) {
        char text[512] = "";
        ReadProcessMemory(process_, base_ + offset, text, sizeof text - 1, nullptr);
        return text;
    }

private:
    HANDLE process_;
    char* base_;
};

// A visible top-level window of the process holding a control of class `className`.
HWND windowWithControl(DWORD processId, const char* className) {
    struct Search {
        DWORD processId;
        const char* className;
        HWND found;
    } search{processId, className, nullptr};
    waitUntil([&] {
        EnumWindows(
            [](HWND window, LPARAM lParam) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lParam);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == s->processId && IsWindowVisible(window) &&
                    FindWindowExA(window, nullptr, s->className, nullptr)) {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    return search.found;
}

// Packages of three volumes: a.txt lies in the first, big.txt runs from the first
// into the third, c.txt lies in the third.
class VxsetupVolumes : public testing::Test {
protected:
    Package make(const std::string& product, const std::string& pages = "[]", int seed = 0) {
        PackageMaker maker(product);
        maker.file("a.txt", "first");
        maker.file("big.txt", digits(seed));
        maker.file("c.txt", "last");
        Package package = maker.build(R"(
[package]
product = ")" + product + R"("
install_dir = '<ProgramFiles>\)" + product +
                                      R"('
volume_size = 4096
pages = )" + pages + R"(

[[files]]
source = "a.txt"
target = '<InstallDir>\a.txt'
storage = "stored"
[[files]]
source = "big.txt"
target = '<InstallDir>\big.txt'
storage = "stored"
[[files]]
source = "c.txt"
target = '<InstallDir>\c.txt'
)");
        EXPECT_TRUE(exists(volumePath(package.directory, 3)));
        EXPECT_FALSE(exists(volumePath(package.directory, 4)));
        return package;
    }
    // A folder of the test's own, empty.
    std::string folder(const std::string& name) {
        std::string path = kWork + "\\" + name;
        CreateDirectoryA(path.c_str(), nullptr);
        for (int n = 1; n <= 3; ++n)
            DeleteFileA(volumePath(path, n).c_str());
        return path;
    }
    static bool move(const std::string& from, const std::string& to) {
        return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }
};

}  // namespace

TEST_F(VxsetupVolumes, AVolumeElsewhereIsAskedForRefusedFromAnotherBuildAndTakenWhereShown) {
    Package package = make("VxVolumesMoved");
    Package other = make("VxVolumesOther", "[]", 1);
    std::string elsewhere = folder("volumes-elsewhere"), wrong = folder("volumes-wrong");
    ASSERT_TRUE(move(volumePath(package.directory, 2), volumePath(elsewhere, 2)));
    ASSERT_TRUE(move(volumePath(other.directory, 2), volumePath(wrong, 2)));
    const std::string dir = programFiles() + "\\VxVolumesMoved";

    Started setup = launch("\"" + package.setup + "\"", package.directory);
    User user(setup.process.dwProcessId);
    HWND prompt = user.waitFor("Insert Next Disk", 30, kVolumeName);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(User::text(prompt, kVolumeName), "Vortix Installer package #2");
    EXPECT_EQ(User::text(prompt, kVolumeFolder), package.directory);
    EXPECT_EQ(User::text(prompt, kVolumeProblem), "");
    EXPECT_EQ(User::text(prompt, IDOK), "OK");

    // Another build's second volume is refused, and the prompt stays with the folder.
    SetDlgItemTextA(prompt, kVolumeFolder, wrong.c_str());
    User::press(prompt, IDOK);
    HWND box = user.waitFor("VxVolumesMoved", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(User::messageText(box).find("belongs to another build"), std::string::npos)
        << User::messageText(box);
    User::answer(box, IDOK);
    EXPECT_TRUE(IsWindowVisible(prompt));
    EXPECT_EQ(User::text(prompt, kVolumeFolder), wrong);
    EXPECT_NE(User::text(prompt, kVolumeProblem).find(wrong), std::string::npos);

    // Browsing to the volume itself puts its folder in the field.
    User::press(prompt, kVolumeBrowse);
    HWND browser = user.waitFor("Vortix Installer package #2", 20, IDOK);
    ASSERT_NE(browser, nullptr);
    int field = GetDlgItem(browser, kFileNameCombo) ? kFileNameCombo : kFileNameEdit;
    SetDlgItemTextA(browser, field, volumePath(elsewhere, 2).c_str());
    User::press(browser, IDOK);
    EXPECT_TRUE(waitUntil([&] { return User::text(prompt, kVolumeFolder) == elsewhere; }))
        << User::text(prompt, kVolumeFolder);
    User::press(prompt, IDOK);

    // The third volume is beside the program again: nothing more is asked.
    EXPECT_EQ(setup.wait(), 1u);
    EXPECT_EQ(readAll(dir + "\\a.txt"), "first");
    EXPECT_EQ(readAll(dir + "\\big.txt"), digits(0));
    EXPECT_EQ(readAll(dir + "\\c.txt"), "last");
    EXPECT_EQ(uninstall("VxVolumesMoved"), 1u);
    simulateRestart();
    EXPECT_FALSE(exists(dir));
}

// The volumes are all there when the program starts; the second is gone by the
// time the installation reads it. Cancel undoes what was installed from the first.
TEST_F(VxsetupVolumes, CancellingTheVolumePromptWhileInstallingLeavesThePrefixAsItWas) {
    Package package = make("VxVolumesCancel", "[\"welcome\"]");
    std::string away = folder("volumes-away");
    const std::string dir = programFiles() + "\\VxVolumesCancel";
    PrefixSnapshot before = takeSnapshot(kNotCompared);

    Started setup = launch("\"" + package.setup + "\"", package.directory);
    User user(setup.process.dwProcessId);
    HWND page = waitForPage("VxVolumesCancel");
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(move(volumePath(package.directory, 2), volumePath(away, 2)));
    User::press(page, IDOK);
    HWND prompt = user.waitFor("Insert Next Disk", 30, kVolumeName);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(User::text(prompt, kVolumeName), "Vortix Installer package #2");
    EXPECT_EQ(readAll(dir + "\\a.txt"), "first");  // installed from the first volume
    User::press(prompt, IDCANCEL);
    EXPECT_EQ(setup.wait(), 0u);
    expectNoDifferences(before, {});
}

namespace {

constexpr int kRestartCaption = 43, kRestartNow = 44, kRestartLater = 45;

// A package with the finish page, and the temporary files of the run: a run ended
// on the finish page leaves its own behind, which are taken away afterwards.
class VxsetupFinishRestart : public testing::Test {
protected:
    Package make(const std::string& product, const std::string& options) {
        PackageMaker maker(product);
        maker.file("locked.txt", "new contents");
        return maker.build(R"(
[package]
product = ")" + product + R"("
install_dir = '<ProgramFiles>\)" +
                           product + R"('
pages = ["finish"]
)" + options + R"(

[[files]]
source = "locked.txt"
target = '<InstallDir>\locked.txt'
)");
    }
    static std::set<std::string> temporaries() {
        char folder[MAX_PATH] = "";
        GetTempPathA(sizeof folder, folder);
        std::set<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((std::string(folder) + "vxw*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do
            names.insert(std::string(folder) + found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }
    void TearDown() override {
        for (const std::string& name : temporaries())
            if (!earlier.count(name))
                DeleteFileA(name.c_str());
    }
    std::set<std::string> earlier = temporaries();
};

}  // namespace

TEST_F(VxsetupFinishRestart, APackageThatInsistsOffersNoLaterRestart) {
    Package package = make("VxInsist", "restart_needed = true\ninsist_on_restart = true");
    const std::string dir = programFiles() + "\\VxInsist";
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    HWND page = waitForPage("VxInsist");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(User::text(page, kHeading), "Setup Complete");
    ASSERT_TRUE(waitUntil([&] { return !User::text(page, kRestartCaption).empty(); }));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, kRestartNow)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, kRestartCaption)));
    EXPECT_EQ(SendMessageA(GetDlgItem(page, kRestartNow), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, kRestartNow)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kRestartLater)));
    // Finish would restart the machine (Wine's with it): the run ends here instead,
    // its installation complete, and is taken away by its uninstaller.
    TerminateProcess(setup.process.hProcess, 0);
    setup.wait();
    EXPECT_EQ(readAll(dir + "\\locked.txt"), "new contents");
    EXPECT_EQ(uninstall("VxInsist"), 1u);
    simulateRestart();
    EXPECT_FALSE(exists(dir));
}

TEST_F(VxsetupFinishRestart, AFileInUseMovedAsideOnNtLeavesNoRestartToOffer) {
    Package package = make("VxLeftForRestart", "");
    const std::string dir = programFiles() + "\\VxLeftForRestart";
    CreateDirectoryA(dir.c_str(), nullptr);
    writeAll(dir + "\\locked.txt", "old contents");
    SetEnvironmentVariableA("VXSETUP_FAULTS", ("inuse:" + dir + "\\locked.txt").c_str());
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    SetEnvironmentVariableA("VXSETUP_FAULTS", nullptr);
    HWND page = waitForPage("VxLeftForRestart");
    ASSERT_NE(page, nullptr);
    // The page shows before its choices are filled in: the caption's text says it is.
    ASSERT_TRUE(waitUntil([&] { return !User::text(page, kRestartCaption).empty(); }));
    // The new file is in place and the old copy only waits to be deleted: nothing is
    // left to replace at the restart, so none is offered (the package asks for none).
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, kRestartNow)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, kRestartLater)));
    User::press(page, IDOK);
    EXPECT_EQ(setup.wait(), 1u);
    EXPECT_EQ(readAll(dir + "\\locked.txt"), "new contents");
    bool waiting = false;
    for (const std::string& pending : pendingRenames())
        waiting |= pending.find("locked.txt.delete_on_reboot0") != std::string::npos;
    EXPECT_TRUE(waiting);
    EXPECT_EQ(uninstall("VxLeftForRestart"), 1u);
    simulateRestart();
    SetFileAttributesA((dir + "\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA((dir + "\\locked.txt").c_str());
    RemoveDirectoryA(dir.c_str());
}

TEST(VxsetupDestinationBrowse, TheFolderPickedInTheShellsBrowserFillsTheFieldAndTheSpace) {
    constexpr int kFolder = 35, kBrowse = 36, kSpace = 37;
    PackageMaker maker("destination-browse");
    maker.file("read.txt", "browsed");
    Package package = maker.build(R"(
[package]
product = "VxBrowse"
install_dir = '<ProgramFiles>\VxBrowse'
pages = ["destination"]

[[files]]
source = "read.txt"
target = '<InstallDir>\read.txt'
)");
    const std::string picked = "C:\\VxBrowsed";
    CreateDirectoryA(picked.c_str(), nullptr);
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    User user(setup.process.dwProcessId);
    HWND page = waitForPage("VxBrowse");
    ASSERT_NE(page, nullptr);
    // A folder on no drive at all: no free space to show.
    SetDlgItemTextA(page, kFolder, "Q:\\Nowhere");
    EXPECT_TRUE(waitUntil([&] {
        return User::text(page, kSpace).find("available: -") != std::string::npos;
    })) << User::text(page, kSpace);

    User::press(page, kBrowse);
    HWND browser = windowWithControl(setup.process.dwProcessId, WC_TREEVIEWA);
    ASSERT_NE(browser, nullptr);
    HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
    // The folder is picked in the tree; the selected item is then the folder's.
    RemoteMemory memory(setup.process.dwProcessId);
    memory.write(0, picked.c_str(), picked.size() + 1);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(memory.at(0)),
                        SMTO_ABORTIFHUNG, 10000, &result);
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    item.pszText = memory.at(1024);
    item.cchTextMax = 256;
    memory.write(512, &item, sizeof item);
    SendMessageTimeoutA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(memory.at(512)),
                        SMTO_ABORTIFHUNG, 10000, &result);
    EXPECT_EQ(memory.readText(1024), "VxBrowsed");
    User::press(browser, IDOK);

    EXPECT_TRUE(waitUntil([&] { return User::text(page, kFolder) == picked; }))
        << User::text(page, kFolder);
    std::string space = User::text(page, kSpace);
    // Seven bytes to install still need room: 1 KB, never 0.
    EXPECT_EQ(space.rfind("Space required: 1 KB\r\nSpace available: ", 0), 0u) << space;
    EXPECT_EQ(space.find("available: -"), std::string::npos) << space;

    User::press(page, IDCANCEL);
    HWND box = user.waitFor("VxBrowse Setup", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    User::answer(box, IDYES);
    EXPECT_EQ(setup.wait(), 0u);
    EXPECT_FALSE(exists(programFiles() + "\\VxBrowse"));
    RemoveDirectoryA(picked.c_str());
}
