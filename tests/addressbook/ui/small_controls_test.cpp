// The small custom controls in this test's own windows, under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "addressbook/ui/colour_picker.h"
#include "addressbook/ui/resource.h"
#include "addressbook/ui/small_controls.h"
#include "tests/support/win32/driver.h"

using namespace ctlite;
using testing_support::waitUntil;

namespace {

std::vector<WPARAM> commands;  // what the parent was told

LRESULT CALLBACK parentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND)
        commands.push_back(wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

// A parent window with one button and one static.
class Controls : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA cls{};
        cls.lpfnWndProc = parentProcedure;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "ControlsTestParent";
        RegisterClassA(&cls);
        parent = CreateWindowA("ControlsTestParent", "controls", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               50, 50, 400, 300, nullptr, nullptr, cls.hInstance, nullptr);
        button = CreateWindowA("BUTTON", "&Add", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 60,
                               40, parent, reinterpret_cast<HMENU>(300), cls.hInstance, nullptr);
        label =
            CreateWindowA("STATIC", "www.example.com", WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 80,
                          300, 30, parent, reinterpret_cast<HMENU>(301), cls.hInstance, nullptr);
        commands.clear();
    }
    void TearDown() override { DestroyWindow(parent); }

    static void click(HWND control, int x = 5, int y = 5) {
        SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    HWND parent = nullptr, button = nullptr, label = nullptr;
};

// What the popup should do once it is open: run from a timer inside its modal loop.
HWND openPopup() {
    return FindWindowExA(nullptr, nullptr, MAKEINTATOM(32770), nullptr);
}
int popupClickIndex = -1;
void CALLBACK actOnPopup(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND popup = openPopup();
    if (!popup || !IsWindowVisible(popup))
        return;
    KillTimer(nullptr, timer);
    if (popupClickIndex >= 0) {
        HWND colour = GetDlgItem(popup, IDC_POPUP_COLOUR_FIRST + popupClickIndex);
        SendMessageA(popup, WM_COMMAND, MAKEWPARAM(IDC_POPUP_COLOUR_FIRST + popupClickIndex, 0),
                     reinterpret_cast<LPARAM>(colour));
    } else {  // a press far outside it
        PostMessageA(popup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-50, -50));
    }
}

}  // namespace

TEST_F(Controls, ColourPickerTakesThePopupsChoiceAndAgesThePalette) {
    attachColourPicker(button);
    EXPECT_EQ(pickerColour(button), RGB(255, 255, 255));
    ColourPalette before = sharedColourPalette();
    const int oldest = 10;  // (255, 251, 240), age 20
    ASSERT_EQ(before.age(oldest), 20);
    popupClickIndex = oldest;
    SetTimer(nullptr, 0, 20, actOnPopup);
    click(button);
    EXPECT_EQ(pickerColour(button), RGB(255, 251, 240));
    const ColourPalette& after = sharedColourPalette();
    EXPECT_EQ(after.age(oldest), 1);
    for (int i = 0; i < ColourPalette::kSize; ++i) {
        if (i != oldest) {
            EXPECT_EQ(after.age(i), before.age(i) + 1) << i;
        }
    }

    // A press outside the popup closes it and changes nothing.
    before = sharedColourPalette();
    popupClickIndex = -1;
    SetTimer(nullptr, 0, 20, actOnPopup);
    click(button);
    EXPECT_EQ(pickerColour(button), RGB(255, 251, 240));
    for (int i = 0; i < ColourPalette::kSize; ++i)
        EXPECT_EQ(sharedColourPalette().age(i), before.age(i));
}

TEST_F(Controls, HoverButtonRisesSinksAndTellsItsParent) {
    attachHoverButton(button, nullptr);
    SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(GetCapture(), button);  // hovering: it watches for the pointer leaving
    SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(500, 5));
    EXPECT_EQ(GetCapture(), nullptr);
    click(button);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], MAKEWPARAM(300, BN_CLICKED));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Controls, LinkLabelFitsItsTextKeepingItsCentre) {
    RECT before;
    GetWindowRect(label, &before);
    LinkOptions options;
    options.fitToText = true;
    options.underline = true;
    attachLinkLabel(label, "", options);
    RECT after;
    GetWindowRect(label, &after);
    EXPECT_LT(after.right - after.left, 300);
    EXPECT_GT(after.right - after.left, 40);
    EXPECT_LE(std::abs((after.left + after.right) - (before.left + before.right)), 1);
    EXPECT_LE(std::abs((after.top + after.bottom) - (before.top + before.bottom)), 1);
    SetWindowTextA(label, "a much longer address than before, www.example.com/contavo");
    RECT longer;
    GetWindowRect(label, &longer);
    EXPECT_GT(longer.right - longer.left, after.right - after.left);
}
