// The installation type and components pages under Wine, driven as a user would:
// the type's option buttons, the components tree's boxes ticked and unticked with
// the space bar, Back and Next between them, and the files each choice installs.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/installer/setup/vxsetup_fixture.h"

using namespace vxsetup_testing;

namespace {

constexpr int kPrompt = 30, kSummary = 48;
constexpr int kTypeButtons[] = {60, 61, 62}, kTypeTexts[] = {63, 64, 65};
constexpr int kTree = 66, kDescription = 68, kSpace = 69;
// The tree's state images.
constexpr int kUnticked = 1, kTicked = 2, kFixed = 3;

// The components tree of another process: its items' texts are read through a
// buffer in that process, their states and the selection through plain messages.
class RemoteTree {
public:
    RemoteTree(HANDLE process, HWND tree) : process_(process), tree_(tree) {
        remote_ = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteTree() { VirtualFreeEx(process_, remote_, 0, MEM_RELEASE); }

    // Depth first, as the components are numbered.
    std::vector<HTREEITEM> items() const {
        std::vector<HTREEITEM> found;
        collect(next(nullptr, TVGN_ROOT), found);
        return found;
    }
    std::string text(HTREEITEM item) const {
        TVITEMA query{};
        query.mask = TVIF_TEXT;
        query.hItem = item;
        char* remoteText = static_cast<char*>(remote_) + sizeof query;
        query.pszText = remoteText;
        query.cchTextMax = 256;
        char text[256] = "";
        SIZE_T moved = 0;
        if (!WriteProcessMemory(process_, remote_, &query, sizeof query, &moved) ||
            !SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote_)) ||
            !ReadProcessMemory(process_, remoteText, text, sizeof text - 1, &moved))
            return "<unreadable>";
        return text;
    }
    int state(HTREEITEM item) const {
        LRESULT state = SendMessageA(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                                     TVIS_STATEIMAGEMASK);
        return static_cast<int>((state & TVIS_STATEIMAGEMASK) >> 12);
    }
    std::vector<int> states() const {
        std::vector<int> all;
        for (HTREEITEM item : items())
            all.push_back(state(item));
        return all;
    }
    // Selects the item and presses the space bar on it, all posted, so that the
    // program takes them in this order.
    void press(HTREEITEM item) const {
        PostMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        PostMessageA(tree_, WM_KEYDOWN, VK_SPACE, 0);
        PostMessageA(tree_, WM_KEYUP, VK_SPACE, 0);
    }
    // Presses the space bar on the item; waits until the states are `expected`.
    bool toggle(HTREEITEM item, const std::vector<int>& expected) const {
        press(item);
        return waitUntil([&] { return states() == expected; }, std::chrono::seconds(10));
    }

private:
    HTREEITEM next(HTREEITEM item, UINT how) const {
        return reinterpret_cast<HTREEITEM>(
            SendMessageA(tree_, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    }
    void collect(HTREEITEM item, std::vector<HTREEITEM>& found) const {
        for (; item; item = next(item, TVGN_NEXT)) {
            found.push_back(item);
            collect(next(item, TVGN_CHILD), found);
        }
    }

    HANDLE process_;
    HWND tree_;
    void* remote_ = nullptr;
};

// A package with the three installation types and three components: Core
// (fixed), Help (ticked at first) and Extras (not), with files of both type masks.
class VxsetupChoices : public testing::Test {
protected:
    Package make(const std::string& name, const std::string& pages) {
        PackageMaker maker(name);
        maker.file("core.txt", std::string(1024, 'c'));
        maker.file("core-extra.txt", std::string(1024, 'C'));
        maker.file("help.txt", std::string(3072, 'h'));
        maker.file("help-more.txt", std::string(1024, 'H'));
        maker.file("extras.txt", std::string(5120, 'x'));
        return maker.build(R"(
[package]
product = "VxChoices"
install_dir = '<ProgramFiles>\VxChoices'
pages = [)" + pages + R"(]

[[package.install_types]]
caption = "Typical"
description = "Everything most people need."
[[package.install_types]]
caption = "Minimal"
description = "Only what it takes to run."
[[package.install_types]]
caption = "Custom"

[package.summary]
heading = "Summary"
type = "Type:"
components = "Components:"

[[components]]
id = "core"
name = "Core"
description = "Always there."
fixed = true
[[components]]
id = "help"
name = "Help"
description = "The manual."
selected = true
[[components]]
id = "extras"
name = "Extras"
description = "Samples to play with."

[[files]]
source = "core.txt"
target = '<InstallDir>\core.txt'
component = "core"
[[files]]
source = "core-extra.txt"
target = '<InstallDir>\core-extra.txt'
component = "core"
type_mask = 2
[[files]]
source = "help.txt"
target = '<InstallDir>\help.txt'
component = "help"
[[files]]
source = "help-more.txt"
target = '<InstallDir>\help-more.txt'
component = "help"
type_mask = 2
[[files]]
source = "extras.txt"
target = '<InstallDir>\extras.txt'
component = "extras"
type_mask = 3
)");
    }

    // The files of the five the installation left, in the order above.
    std::vector<std::string> installed() const {
        std::vector<std::string> present;
        for (const char* name : {"core", "core-extra", "help", "help-more", "extras"})
            if (exists(dir + "\\" + name + ".txt"))
                present.push_back(name);
        return present;
    }

    // The next page shown after `from`.
    static HWND nextPage(HWND from) {
        HWND page = nullptr;
        waitUntil([&] { return (page = waitForPage("VxChoices")) != from; });
        return page;
    }
    // The one type button selected; -1 when none or more than one is.
    static int checkedType(HWND page) {
        int checked = -1;
        for (int i = 0; i < 3; ++i)
            if (SendMessageA(GetDlgItem(page, kTypeButtons[i]), BM_GETCHECK, 0, 0) == BST_CHECKED)
                checked = checked == -1 ? i : 3;
        return checked == 3 ? -1 : checked;
    }
    // A click on an option button, as the mouse makes it; waits until it alone is
    // selected.
    static bool chooseType(HWND page, int button) {
        PostMessageA(GetDlgItem(page, kTypeButtons[button]), BM_CLICK, 0, 0);
        return waitUntil([&] { return checkedType(page) == button; }, std::chrono::seconds(10));
    }
    // The up arrow on the option button `from`: the one above is selected alone.
    static bool arrowUp(HWND page, int from) {
        HWND button = GetDlgItem(page, kTypeButtons[from]);
        PostMessageA(button, WM_KEYDOWN, VK_UP, 0);
        PostMessageA(button, WM_KEYUP, VK_UP, 0);
        return waitUntil([&] { return checkedType(page) == from - 1; }, std::chrono::seconds(10));
    }

    void uninstallAndCheckGone() {
        EXPECT_EQ(uninstall("VxChoices"), 1u);
        simulateRestart();
        EXPECT_FALSE(exists(dir));
    }

    std::string dir = programFiles() + "\\VxChoices";
};

}  // namespace

TEST_F(VxsetupChoices, TypicalTakesBothTypeMasksMinimalTheFirstOnly) {
    Package package = make("choices-types", R"("install_type")");
    for (int type : {1, 0}) {
        Started setup = launch("\"" + package.setup + "\"", package.directory);
        HWND page = waitForPage("VxChoices");
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(User::text(page, kHeading), "Installation Type");
        EXPECT_EQ(User::text(page, kTypeButtons[0]), "Typical");
        EXPECT_EQ(User::text(page, kTypeTexts[1]), "Only what it takes to run.");
        EXPECT_EQ(User::text(page, kTypeButtons[2]), "Custom");
        // No description in the package: the language set's.
        EXPECT_EQ(User::text(page, kTypeTexts[2]),
                  "You choose which parts of the program to install. Recommended for advanced "
                  "users.");
        EXPECT_EQ(checkedType(page), 0);
        // The last page before the installation, unless the custom type brings
        // the components page.
        EXPECT_EQ(User::text(page, IDOK), "&Install");
        ASSERT_TRUE(chooseType(page, 2));
        EXPECT_TRUE(waitUntil([&] { return User::text(page, IDOK) == "&Next >"; }));
        // Minimal by the keyboard, typical by the mouse.
        ASSERT_TRUE(type == 1 ? arrowUp(page, 2) : chooseType(page, type));
        EXPECT_TRUE(waitUntil([&] { return User::text(page, IDOK) == "&Install"; }));
        User::press(page, IDOK);
        EXPECT_EQ(setup.wait(), 1u);
        if (type == 0)
            EXPECT_EQ(installed(), (std::vector<std::string>{"core", "core-extra", "help",
                                                             "help-more", "extras"}));
        else
            EXPECT_EQ(installed(), (std::vector<std::string>{"core", "help", "extras"}));
        uninstallAndCheckGone();
    }
}

TEST_F(VxsetupChoices, CustomChoicesStayAcrossBackAndPickTheFiles) {
    Package package = make("choices-custom", R"("install_type", "summary")");
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    HWND typePage = waitForPage("VxChoices");
    ASSERT_NE(typePage, nullptr);
    ASSERT_TRUE(chooseType(typePage, 2));
    User::press(typePage, IDOK);

    HWND components = nextPage(typePage);
    ASSERT_NE(components, nullptr);
    EXPECT_EQ(User::text(components, kHeading), "Components");
    ASSERT_TRUE(User::waitEnabled(components, kBack));
    RemoteTree tree(setup.process.hProcess, GetDlgItem(components, kTree));
    std::vector<HTREEITEM> items = tree.items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(tree.text(items[0]), "Core (2 KB)");
    EXPECT_EQ(tree.text(items[1]), "Help (4 KB)");
    EXPECT_EQ(tree.text(items[2]), "Extras (5 KB)");
    EXPECT_EQ(tree.states(), (std::vector<int>{kFixed, kTicked, kUnticked}));
    EXPECT_EQ(User::text(components, kDescription), "Always there.");
    EXPECT_EQ(User::text(components, kSpace), "Space required by the chosen components: 6 KB");

    // Extras on, Help off; the fixed Core cannot be unticked.
    ASSERT_TRUE(tree.toggle(items[2], {kFixed, kTicked, kTicked}));
    EXPECT_EQ(User::text(components, kDescription), "Samples to play with.");
    tree.press(items[0]);
    ASSERT_TRUE(tree.toggle(items[1], {kFixed, kUnticked, kTicked}));
    EXPECT_EQ(User::text(components, kDescription), "The manual.");
    EXPECT_EQ(User::text(components, kSpace), "Space required by the chosen components: 7 KB");

    // Back to the type page, the custom type still chosen; forwards again, the
    // components as the user left them.
    User::press(components, kBack);
    ASSERT_EQ(nextPage(components), typePage);
    EXPECT_EQ(checkedType(typePage), 2);
    User::press(typePage, IDOK);
    ASSERT_EQ(nextPage(typePage), components);
    EXPECT_EQ(tree.states(), (std::vector<int>{kFixed, kUnticked, kTicked}));
    User::press(components, IDOK);
    HWND summary = nextPage(components);
    EXPECT_NE(User::text(summary, kSummary)
                  .find("Type:\r\nCustom\r\nComponents:\r\n\tCore\r\n\tExtras\r\n\r\n"),
              std::string::npos)
        << User::text(summary, kSummary);

    // Another type takes the components page out of the run, both ways.
    User::press(summary, kBack);
    ASSERT_EQ(nextPage(summary), components);
    User::press(components, kBack);
    ASSERT_EQ(nextPage(components), typePage);
    ASSERT_TRUE(chooseType(typePage, 0));
    User::press(typePage, IDOK);
    ASSERT_EQ(nextPage(typePage), summary);
    EXPECT_NE(User::text(summary, kSummary).find("Type:\r\nTypical\r\n\r\n"), std::string::npos)
        << User::text(summary, kSummary);
    EXPECT_EQ(User::text(summary, kSummary).find("Components:"), std::string::npos);
    User::press(summary, kBack);
    ASSERT_EQ(nextPage(summary), typePage);

    // The custom type once more: the choices made before, then the installation.
    ASSERT_TRUE(chooseType(typePage, 2));
    User::press(typePage, IDOK);
    ASSERT_EQ(nextPage(typePage), components);
    EXPECT_EQ(tree.states(), (std::vector<int>{kFixed, kUnticked, kTicked}));
    User::press(components, IDOK);
    ASSERT_EQ(nextPage(components), summary);
    User::press(summary, IDOK);
    EXPECT_EQ(setup.wait(), 1u);
    // Every file of the chosen components, whatever its type mask.
    EXPECT_EQ(installed(), (std::vector<std::string>{"core", "core-extra", "extras"}));
    uninstallAndCheckGone();
}

// The package's own components page follows every type; the summary lists the
// components for the custom type only.
TEST_F(VxsetupChoices, TheSummaryListsComponentsForTheCustomTypeOnly) {
    Package package = make("choices-summary", R"("install_type", "components", "summary")");
    Started setup = launch("\"" + package.setup + "\"", package.directory);
    HWND typePage = waitForPage("VxChoices");
    ASSERT_NE(typePage, nullptr);
    User::press(typePage, IDOK);
    HWND components = nextPage(typePage);
    ASSERT_NE(components, nullptr);
    User::press(components, IDOK);
    HWND summary = nextPage(components);
    ASSERT_NE(summary, nullptr);
    EXPECT_NE(User::text(summary, kSummary).find("Type:\r\nTypical\r\n\r\n"), std::string::npos)
        << User::text(summary, kSummary);
    EXPECT_EQ(User::text(summary, kSummary).find("Components:"), std::string::npos);
    User::press(summary, kBack);
    ASSERT_EQ(nextPage(summary), components);
    User::press(components, kBack);
    ASSERT_EQ(nextPage(components), typePage);
    ASSERT_TRUE(chooseType(typePage, 2));
    User::press(typePage, IDOK);
    ASSERT_EQ(nextPage(typePage), components);
    User::press(components, IDOK);
    ASSERT_EQ(nextPage(components), summary);
    EXPECT_NE(User::text(summary, kSummary)
                  .find("Type:\r\nCustom\r\nComponents:\r\n\tCore\r\n\tHelp\r\n\r\n"),
              std::string::npos)
        << User::text(summary, kSummary);
    User::press(summary, IDOK);
    EXPECT_EQ(setup.wait(), 1u);
    uninstallAndCheckGone();
}

TEST_F(VxsetupChoices, ATreeThatCannotBeMadeOrFilledEndsTheRunWithItsMessage) {
    // The package's own components page follows the typical type too.
    Package package = make("choices-tree-fails", R"("install_type", "components")");
    const std::pair<const char*, const char*> cases[] = {
        {"tree:create", "Invalid dialog template or tree-view creation failed."},
        {"tree:insert", "TreeView_InserItem failed"},
    };
    for (const auto& [fault, text] : cases) {
        SetEnvironmentVariableA("VXSETUP_FAULTS", fault);
        Started setup = launch("\"" + package.setup + "\"", package.directory);
        SetEnvironmentVariableA("VXSETUP_FAULTS", nullptr);
        User user(setup.process.dwProcessId);
        HWND typePage = waitForPage("VxChoices");
        ASSERT_NE(typePage, nullptr) << fault;
        EXPECT_EQ(User::text(typePage, IDOK), "&Next >") << fault;
        User::press(typePage, IDOK);
        HWND box = user.waitFor("VxChoices Setup", 20, 0xFFFF);
        ASSERT_NE(box, nullptr) << fault;
        EXPECT_EQ(User::messageText(box), text);
        User::answer(box, IDOK);
        EXPECT_EQ(setup.wait(), 0u) << fault;
        EXPECT_TRUE(installed().empty()) << fault;
        EXPECT_FALSE(exists(installedUninstaller("VxChoices"))) << fault;
    }
}
