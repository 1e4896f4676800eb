// What the wizard's pages look like and where they come from, under Wine: the
// page a panel on the dialog face with the package's picture and bitmaps beside
// its controls, the package's own page templates, the background's menu, the
// plug-in's message hook and the graphics warning.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/installer/setup/vxsetup_fixture.h"

using namespace vxsetup_testing;

namespace {

const std::string kTemplates = windowsPath(PAGE_TEMPLATES_DIR);
constexpr int kPrompt = 30, kOwnText = 501;

// A bottom-up 24-bit bitmap file of one colour.
std::string solidBitmap(int width, int height, COLORREF colour) {
    int row = (width * 3 + 3) / 4 * 4;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(row * height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    std::string line(static_cast<std::size_t>(row), '\0');
    for (int x = 0; x < width; ++x) {
        line[x * 3] = static_cast<char>(GetBValue(colour));
        line[x * 3 + 1] = static_cast<char>(GetGValue(colour));
        line[x * 3 + 2] = static_cast<char>(GetRValue(colour));
    }
    for (int y = 0; y < height; ++y)
        bytes += line;
    return bytes;
}

// The colour on the screen at a point of `window`'s client area.
COLORREF colourAt(HWND window, int x, int y) {
    POINT at{x, y};
    ClientToScreen(window, &at);
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

RECT placeIn(HWND page, int id) {
    RECT r;
    GetWindowRect(GetDlgItem(page, id), &r);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string handleText(const void* handle) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(handle)));
    return text;
}

// A package with the welcome page and one file; `lines` go into [package],
// `pieces` into [pieces].
class VxsetupLook : public testing::Test {
protected:
    Package make(const std::string& name, const std::string& lines = "",
                 const std::string& pieces = "",
                 const std::function<void(PackageMaker&)>& files = {}) {
        PackageMaker maker(name);
        maker.file("read.txt", "look");
        if (files)
            files(maker);
        return maker.build(R"(
[package]
product = "VxLook"
install_dir = '<ProgramFiles>\VxLook'
pages = ["welcome"]
)" + lines + R"(
[[files]]
source = "read.txt"
target = '<InstallDir>\read.txt'
)",
                           pieces);
    }
    void TearDown() override {
        if (setup_.process.hProcess && WaitForSingleObject(setup_.process.hProcess, 0) != 0) {
            TerminateProcess(setup_.process.hProcess, 0);
            setup_.wait();
        }
    }
    Started& start(const Package& package, const std::string& arguments = "") {
        setup_ = launch("\"" + package.setup + "\" " + arguments, package.directory);
        return setup_;
    }
    std::string dir = programFiles() + "\\VxLook";
    Started setup_{};
};

}  // namespace

TEST_F(VxsetupLook, APageIsAPanelOnTheDialogFaceWithThePictureAndItsBitmapsBeside) {
    const COLORREF picture = RGB(200, 30, 30), welcome = RGB(20, 160, 40), other = RGB(0, 0, 220);
    // Over the painted background, where a page that is not a whole panel shows.
    Package package = make("look-panel", "window = \"full_screen\"\n",
                           "dialog_picture = 'side.bmp'\n"
                           "wizard_bitmaps = [{ id = 2, file = 'welcome.bmp' },"
                           " { id = 7, file = 'other.bmp' }]\n",
                           [&](PackageMaker& maker) {
                               maker.file("side.bmp", solidBitmap(100, 400, picture));
                               maker.file("welcome.bmp", solidBitmap(60, 40, welcome));
                               maker.file("other.bmp", solidBitmap(60, 40, other));
                           });
    start(package);
    HWND page = waitForPage("VxLook");
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(waitUntil([&] { return colourAt(page, 2, 2) == picture; }))
        << std::hex << colourAt(page, 2, 2);
    RECT client, prompt = placeIn(page, kPrompt), next = placeIn(page, IDOK);
    GetClientRect(page, &client);
    // Each part of the page reaches the screen in its own time: every look waits.
    auto shows = [&](int x, int y, COLORREF colour) {
        return waitUntil([&] { return colourAt(page, x, y) == colour; });
    };
    // The picture fills the strip's top, the welcome page's bitmap its foot; the
    // controls stand beside the strip.
    EXPECT_TRUE(shows(2, client.bottom - 3, welcome))
        << std::hex << colourAt(page, 2, client.bottom - 3);
    EXPECT_GT(prompt.left, 60);
    // The face between the controls and in the prompt's empty part: no white band.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (POINT at : {POINT{prompt.right - 2, prompt.bottom - 2}, POINT{next.left + 2, next.top - 3},
                     POINT{client.right - 3, client.bottom - 3}})
        EXPECT_TRUE(shows(at.x, at.y, face))
            << at.x << "," << at.y << ": " << std::hex << colourAt(page, at.x, at.y);
}

TEST_F(VxsetupLook, ThePackagesOwnWelcomeTemplateMakesThePage) {
    Package package =
        make("look-own", "", "dialog_templates = ['welcome.dlg']\nidentifiers = [2]\n",
             [](PackageMaker& maker) {
                 maker.file("welcome.dlg", readAll(kTemplates + "\\welcome-page.dlg"));
             });
    Started& setup = start(package);
    HWND page = waitForPage("VxLook");
    ASSERT_NE(page, nullptr);
    char name[64] = "";
    GetClassNameA(page, name, sizeof name);
    EXPECT_STREQ(name, "VIDialogTemplate");
    EXPECT_EQ(User::text(page, kOwnText), "This welcome page comes from the package.");
    // Its common controls carry the language set's texts, as on the built-in page.
    EXPECT_EQ(User::text(page, kHeading), "Welcome");
    EXPECT_EQ(User::text(page, IDOK), "&Install");
    EXPECT_EQ(GetParent(page), findSetupWindow("VxLook"));
    User::press(page, IDOK);
    EXPECT_EQ(setup.wait(), 1u);
    EXPECT_EQ(readAll(dir + "\\read.txt"), "look");
    EXPECT_EQ(uninstall("VxLook"), 1u);
    simulateRestart();
}

TEST_F(VxsetupLook, ATemplateThatCannotBeMadeAbortsWithNothingInstalled) {
    Package package =
        make("look-broken", "", "dialog_templates = ['broken.dlg']\nidentifiers = [2]\n",
             [](PackageMaker& maker) {
                 maker.file("broken.dlg", readAll(kTemplates + "\\broken-page.dlg"));
             });
    Started& setup = start(package);
    User user(setup.process.dwProcessId);
    HWND box = user.waitFor("VxLook Setup", 30, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "Load template failed");
    User::answer(box, IDOK);
    EXPECT_EQ(setup.wait(), 0u);
    EXPECT_FALSE(exists(dir));
    EXPECT_FALSE(exists(installedUninstaller("VxLook")));
}

TEST_F(VxsetupLook, AboutIsInTheBackgroundsMenuOfAFullScreenWindow) {
    Package package = make("look-about", "window = \"full_screen\"\n");
    Started& setup = start(package);
    User user(setup.process.dwProcessId);
    HWND page = waitForPage("VxLook");
    ASSERT_NE(page, nullptr);
    HWND window = GetParent(page);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU, 0);  // no system menu
    // The menu key on the page: its menu is the background's.
    PostMessageA(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page), -1);
    HWND menu = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        menu = FindWindowA("#32768", nullptr);
        return menu && IsWindowVisible(menu);
    }));
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    HWND about = user.waitFor("About Vortix Installer", 20);
    ASSERT_NE(about, nullptr);
    User::answer(about, IDOK);
    EXPECT_TRUE(IsWindowVisible(page));
}

TEST_F(VxsetupLook, ThePluginSeesTheWindowsMessagesAndKeepsThoseItHandles) {
    Package package = make("look-hook", "", "plugin_library = '" + kPluginDouble + "'\n");
    std::string log = package.directory + "\\plugin.log";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("VX_DOUBLE_LOG", log.c_str());
    SetEnvironmentVariableA("VX_PLUGIN_HANDLES", "16");  // WM_CLOSE
    Started& setup = start(package);
    SetEnvironmentVariableA("VX_PLUGIN_HANDLES", nullptr);
    SetEnvironmentVariableA("VX_DOUBLE_LOG", nullptr);
    HWND page = waitForPage("VxLook");
    ASSERT_NE(page, nullptr);
    HWND window = GetParent(page);
    SendMessageA(window, WM_APP + 7, 5, 6);
    std::string seen =
        "OnMessage " + handleText(window) + " " + std::to_string(WM_APP + 7) + " 5 6 -> 0";
    EXPECT_NE(readAll(log).find(seen), std::string::npos) << readAll(log);
    // Closing the window would ask the quit question; the plug-in took it instead.
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_NE(readAll(log).find("  handled 16"), std::string::npos);
    User::press(page, IDOK);
    EXPECT_EQ(setup.wait(), 1u);
    EXPECT_EQ(uninstall("VxLook"), 1u);
    simulateRestart();
}

TEST_F(VxsetupLook, APictureThatCannotBeLoadedIsLeftOutThroughTheMessageRoutine) {
    Package package = make("look-graphics", "", "dialog_picture = 'side.bmp'\n",
                           [](PackageMaker& maker) { maker.file("side.bmp", "not a bitmap"); });
    Started& setup = start(package);
    User user(setup.process.dwProcessId);
    HWND box = user.waitFor("VxLook Setup", 30, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              "Graphics initialization failed. Dialog image will not be shown");
    User::answer(box, IDOK);
    HWND page = waitForPage("VxLook");
    ASSERT_NE(page, nullptr);
    EXPECT_LT(placeIn(page, kPrompt).left, 60);  // no strip
    TerminateProcess(setup.process.hProcess, 0);
    setup.wait();
    // A silent run shows no box and installs.
    EXPECT_EQ(runSetup(package), 1u);
    EXPECT_EQ(uninstall("VxLook"), 1u);
    simulateRestart();
}

TEST_F(VxsetupLook, WithoutABackgroundTheWindowIsTheCaptionedPageInTheMiddle) {
    Package package = make("look-no-background", "window = \"no_background\"\n");
    start(package);
    HWND page = waitForPage("VxLook");
    ASSERT_NE(page, nullptr);
    HWND window = GetParent(page);
    EXPECT_NE(GetWindowLongA(window, GWL_STYLE) & WS_CAPTION, 0);
    // The page shows as it is made; the window takes its size as it is placed.
    RECT client, bounds, frame;
    EXPECT_TRUE(waitUntil([&] {
        GetClientRect(window, &client);
        GetWindowRect(page, &bounds);
        return client.right == bounds.right - bounds.left &&
               client.bottom == bounds.bottom - bounds.top;
    })) << client.right
        << "x" << client.bottom;
    GetWindowRect(window, &frame);
    EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

TEST_F(VxsetupLook, AStructuredExceptionInAPluginStageCountsAsAStageThatShowsNothing) {
    Package package = make("look-raise", "", "plugin_library = '" + kPluginDouble + "'\n");
    std::string log = package.directory + "\\plugin.log";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("VX_DOUBLE_LOG", log.c_str());
    // The welcome stage's entry point raises an exception no C++ catch sees.
    SetEnvironmentVariableA("VX_PLUGIN_RESULT_EntryPoint1_5", "raise");
    Started& setup = start(package);
    SetEnvironmentVariableA("VX_PLUGIN_RESULT_EntryPoint1_5", nullptr);
    SetEnvironmentVariableA("VX_DOUBLE_LOG", nullptr);
    // Its page is passed over, and the run goes on to install.
    EXPECT_EQ(setup.wait(), 1u);
    std::string calls = readAll(log);
    EXPECT_NE(calls.find("EntryPoint1_5 "), std::string::npos) << calls;
    EXPECT_NE(calls.find("EntryPoint2 "), std::string::npos) << calls;
    EXPECT_EQ(readAll(dir + "\\read.txt"), "look");
    EXPECT_EQ(uninstall("VxLook"), 1u);
    simulateRestart();
}
