// The display card in ctlite.exe under Wine: what it shows, where it goes, and
// what it does when clicked.
#include <windows.h>
// (after windows.h)
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "addressbook/model/data_file.h"
#include "addressbook/transfer/pictures.h"
#include "addressbook/ui/resource.h"
#include "platform/file_system.h"
#include "tests/support/book_builder.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/temp_dir.h"
#include "tests/support/win32/card_call.h"
#include "tests/support/win32/driver.h"

using namespace testing_support;
using ctlite::Field;

namespace {

const char kKey[] = "SOFTWARE\\Contavo Lite";

std::string windowsFile(const char* name) {
    char directory[MAX_PATH];
    UINT n = GetWindowsDirectoryA(directory, sizeof directory);
    return std::string(directory, n) + "\\" + name;
}

void forgetSettings() {
    DeleteFileA(windowsFile("ctlite.INI").c_str());
    SHDeleteKeyA(HKEY_CURRENT_USER, kKey);
}

void setProfile(const char* name, int value) {
    WritePrivateProfileStringA("Contavo Lite", name, std::to_string(value).c_str(), "ctlite.INI");
}
int profile(const char* name) {
    return static_cast<int>(GetPrivateProfileIntA("Contavo Lite", name, -99, "ctlite.INI"));
}

// A 24-bit .bmp file of one colour.
std::string solidBmp(int width, int height, COLORREF colour) {
    int stride = (width * 3 + 3) / 4 * 4;
    std::string f(54 + stride * height, '\0');
    auto put = [&](int at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k)
            f[at + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
    };
    f[0] = 'B';
    f[1] = 'M';
    put(2, static_cast<std::uint32_t>(f.size()));
    put(10, 54);
    put(14, 40);
    put(18, width);
    put(22, height);
    f[26] = 1;
    f[28] = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            f[54 + y * stride + 3 * x] = static_cast<char>(GetBValue(colour));
            f[54 + y * stride + 3 * x + 1] = static_cast<char>(GetGValue(colour));
            f[54 + y * stride + 3 * x + 2] = static_cast<char>(GetRValue(colour));
        }
    return f;
}

bool closeTo(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) < 24 &&
           std::abs(GetGValue(a) - GetGValue(b)) < 24 && std::abs(GetBValue(a) - GetBValue(b)) < 24;
}

// The program started in a folder of its own with no settings from earlier runs.
class Display : public testing::Test {
protected:
    void SetUp() override {
        folder = "C:\\ctlite-display-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(GetTickCount());
        CreateDirectoryA(folder.c_str(), nullptr);
        forgetSettings();
        parkPointer();
    }
    void TearDown() override {
        if (run.process.hProcess) {
            TerminateProcess(run.process.hProcess, 9);
            run.wait();
        }
        for (const std::string& file : made)
            DeleteFileA(file.c_str());
        RemoveDirectoryA(folder.c_str());
        forgetSettings();
    }

    std::string file(const std::string& name) {
        made.push_back(folder + "\\" + name);
        return made.back();
    }

    HWND start(const ctlite::AddressBook& book) {
        ctlite::DataFile(platform::systemFileSystem(), file("data.dat")).save(book);
        run = launch("\"" + windowsPath(CTLITE_EXE) + "\"", folder);
        user = std::make_unique<User>(run.process.dwProcessId);
        window = user->waitFor("Contavo Lite - " + folder + "\\data.dat");
        card = GetDlgItem(window, IDC_DISPLAY);
        return window;
    }

    // Selects a line of the name list as a click would, and waits for the card to
    // show that entry, painted.
    void select(int line, const std::string& name) {
        SendDlgItemMessageA(window, IDC_NAME_LIST, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_NAME_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_NAME_LIST)));
        ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(card) && cardText() == name; }))
            << "card shows \"" << cardText() << "\"";
        UpdateWindow(card);
    }

    // The centre of one of the card's marks, once the card has painted at its
    // present size: the card looks for the mark a click hits where it last drew it.
    POINT mark(bool maximized, RECT DisplayResult::*which) {
        UpdateWindow(card);
        return centre(layout(maximized).*which);
    }

    std::string cardText() const {
        char text[256] = "";
        GetWindowTextA(card, text, sizeof text);
        return text;
    }

    RECT rectInMain(int id) const {
        RECT r{};
        GetWindowRect(GetDlgItem(window, id), &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    RECT cardRect() const { return rectInMain(IDC_DISPLAY); }
    int minLeft() const { return rectInMain(IDC_NAME_LIST).right + 5; }
    int minTop() const { return rectInMain(IDC_GROUP).bottom + 2; }

    // What the screen shows at a point of the card.
    COLORREF pixel(POINT at) const {
        ClientToScreen(card, &at);
        HDC screen = GetDC(nullptr);
        COLORREF c = GetPixel(screen, at.x, at.y);
        ReleaseDC(nullptr, screen);
        return c;
    }

    // What the screen shows of a control, row by row.
    static std::vector<COLORREF> shotOf(HWND control) {
        RECT r{};
        GetWindowRect(control, &r);
        HDC screen = GetDC(nullptr);
        std::vector<COLORREF> pixels;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                pixels.push_back(GetPixel(screen, x, y));
        ReleaseDC(nullptr, screen);
        return pixels;
    }

    // A click of the left button at a point of the card, optionally dragged by
    // (dx, dy) before the button comes up.
    void click(POINT at, int dx = 0, int dy = 0) {
        PostMessageA(card, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        if (dx || dy)
            PostMessageA(card, WM_MOUSEMOVE, MK_LBUTTON,
                         MAKELPARAM(static_cast<short>(at.x + dx), static_cast<short>(at.y + dy)));
        PostMessageA(card, WM_LBUTTONUP, 0, MAKELPARAM(at.x + dx, at.y + dy));
    }

    // A card of the card's present size for the library.
    CardInput layoutInput(bool maximized) const {
        RECT client{};
        GetClientRect(card, &client);
        CardInput in;
        in.width = client.right;
        in.height = client.bottom;
        in.maximized = maximized;
        return in;
    }
    // Where the library puts its marks on a card of the card's present size.
    DisplayResult layout(bool maximized) { return library.draw(layoutInput(maximized)).result; }

    bool waitForRect(const RECT& want) {
        return waitUntil([&] { return EqualRect(&want, &static_cast<const RECT&>(cardRect())); });
    }

    std::string folder;
    std::vector<std::string> made;
    Started run;
    std::unique_ptr<User> user;
    HWND window = nullptr, card = nullptr;
    CardLibrary library{windowsPath(CTLITEDISPLAY_DLL)};
};

ctlite::AddressBook bookWith(
    const std::vector<std::vector<std::pair<Field, std::string>>>& people) {
    ctlite::AddressBook book;
    for (const auto& fields : people) {
        ctlite::Entry e;
        for (const auto& [field, value] : fields)
            e.set(field, value);
        book.group(0).entries().insert(1, e);
    }
    return book;
}

}  // namespace

TEST_F(Display, EachSelectionShowsItsCardWithThePictureByExtension) {
    const COLORREF red = RGB(220, 20, 20), blue = RGB(20, 40, 230);
    writeAll(file("red.bmp"), solidBmp(40, 30, red));
    std::string jpeg = makeJpeg(40, 30, JpegKind::Rgb, [&](int, int, int c) {
        return c == 0 ? GetRValue(blue) : c == 1 ? GetGValue(blue) : GetBValue(blue);
    });
    for (const char* name : {"blue.JPG", "blue.jpeg", "blue"})
        writeAll(file(name), jpeg);
    // A light scheme from the settings.
    const COLORREF paper = RGB(250, 248, 240);
    setValue(HKEY_CURRENT_USER, kKey, "Color_Background", paper);
    setValue(HKEY_CURRENT_USER, kKey, "Color_Text", RGB(20, 20, 20));
    // The first name as the entry editor stores "A & Co": the card shows it as typed.
    ASSERT_NE(
        start(bookWith({{{Field::FirstName, "A && Co"}, {Field::Picture, folder + "\\red.bmp"}},
                        {{Field::FirstName, "B"}, {Field::Picture, folder + "\\blue.JPG"}},
                        {{Field::FirstName, "C"}, {Field::Picture, folder + "\\blue.jpeg"}},
                        {{Field::FirstName, "D"}, {Field::Picture, folder + "\\blue"}}})),
        nullptr);
    EXPECT_FALSE(IsWindowVisible(card));  // until something is selected
    // The list is sorted by first name; each card is drawn maximized by default.
    const struct {
        int line;
        const char* name;
        COLORREF colour;
    } cases[] = {{0, "A & Co ", red}, {2, "C ", paper}, {1, "B ", blue}, {3, "D ", paper}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        select(c.line, c.name);
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(cardRect().left, minLeft());
        EXPECT_EQ(cardRect().top, minTop());
        DisplayResult where = layout(true);
        POINT inPicture{where.pictureLeft + 20, where.pictureTop + 15};
        EXPECT_TRUE(waitUntil([&] { return closeTo(pixel(inPicture), c.colour); }))
            << std::hex << pixel(inPicture);
    }
}

TEST_F(Display, AVCardsPhotoBecomesThePictureTheCardShows) {
    const COLORREF blue = RGB(20, 40, 230);
    std::string jpeg = makeJpeg(40, 30, JpegKind::Rgb, [&](int, int, int c) {
        return c == 0 ? GetRValue(blue) : c == 1 ? GetGValue(blue) : GetBValue(blue);
    });
    std::string cards = file("ann.vcf");
    writeAll(cards, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Ann;;;\r\nPHOTO;ENCODING=b;TYPE=JPEG:" +
                        ctlite::transfer::base64Encoded(jpeg) + "\r\nEND:VCARD\r\n");
    std::string pictures = folder + "\\data pictures";
    std::string picture = file("data pictures\\Ann Smith.jpg");
    ASSERT_NE(start(bookWith({{{Field::FirstName, "Bob"}}})), nullptr);
    PostMessageA(window, WM_COMMAND, ID_FILE_IMPORT, 0);
    HWND open = user->waitFor("Import");
    ASSERT_NE(open, nullptr);
    for (int id : {0x47C, 0x480})
        SetDlgItemTextA(open, id, cards.c_str());
    User::answer(open, IDOK);
    HWND to = user->waitFor("Import to");
    ASSERT_NE(to, nullptr);
    User::answer(to, IDOK);  // into Personal
    ASSERT_TRUE(waitUntil(
        [&] { return SendDlgItemMessageA(window, IDC_NAME_LIST, LB_GETCOUNT, 0, 0) == 2; }));
    select(0, "Ann Smith");
    EXPECT_EQ(readBytes(picture), jpeg);
    DisplayResult where = layout(true);
    POINT inPicture{where.pictureLeft + 20, where.pictureTop + 15};
    EXPECT_TRUE(waitUntil([&] { return closeTo(pixel(inPicture), blue); }))
        << std::hex << pixel(inPicture);
    DeleteFileA(picture.c_str());
    RemoveDirectoryA(pictures.c_str());
}

TEST_F(Display, DraggingPushesBackAndThePlacementIsStored) {
    setProfile("DisplayMaximized", 0);
    setProfile("Displayx", 300);
    setProfile("Displayy", 120);
    ASSERT_NE(start(bookWith({{{Field::FirstName, "Ann"}}, {{Field::FirstName, "Bob"}}})), nullptr);
    select(0, "Ann ");
    const int width = rectInMain(IDC_NAME_LIST).right + 7;
    ASSERT_TRUE(waitForRect({300, 120, 300 + width, 221})) << cardRect().left;

    const POINT grab{8, 90};  // on the card, away from its marks
    click(grab, -400, -300);  // onto the name list and above the group selector
    EXPECT_TRUE(waitForRect({minLeft(), minTop(), minLeft() + width, minTop() + 101}))
        << cardRect().left << "," << cardRect().top;
    click(grab, 60, -200);  // right of the list, above the group selector: only the top
    EXPECT_TRUE(waitForRect({minLeft() + 60, minTop(), minLeft() + 60 + width, minTop() + 101}));
    click(grab, 40, 30);
    const RECT moved{minLeft() + 100, minTop() + 30, minLeft() + 100 + width, minTop() + 131};
    EXPECT_TRUE(waitForRect(moved));

    // Maximized it fills the space right of the list and cannot be dragged.
    click(mark(false, &DisplayResult::maximize));
    ASSERT_TRUE(waitUntil([&] { return cardRect().right - cardRect().left > width; }));
    RECT big = cardRect();
    EXPECT_EQ(big.left, minLeft());
    EXPECT_EQ(big.top, minTop());
    click(grab, 50, 50);
    click(mark(true, &DisplayResult::close));  // hidden until the next selection
    EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(card); }));
    EXPECT_TRUE(EqualRect(&big, &static_cast<const RECT&>(cardRect())));
    select(1, "Bob ");
    click(mark(true, &DisplayResult::restore));
    EXPECT_TRUE(waitForRect(moved));

    User::press(window, IDOK);
    EXPECT_EQ(run.wait(), 0u);
    EXPECT_EQ(profile("displayx"), moved.left);
    EXPECT_EQ(profile("displayy"), moved.top);
    EXPECT_EQ(profile("DisplayMaximized"), 0);
}

TEST_F(Display, ExitingBeforeAnySelectionKeepsTheStoredPlacement) {
    // The card takes these at the first selection; without one nothing changes them.
    setProfile("DisplayMaximized", 1);
    setProfile("Displayx", 300);
    setProfile("Displayy", 120);
    ASSERT_NE(start(bookWith({{{Field::FirstName, "Ann"}}})), nullptr);
    User::press(window, IDOK);
    EXPECT_EQ(run.wait(), 0u);
    EXPECT_EQ(profile("DisplayMaximized"), 1);
    EXPECT_EQ(profile("displayx"), 300);
    EXPECT_EQ(profile("displayy"), 120);
}

// Maximizing the main window draws the card and the arrow buttons under the name
// list anew: nothing of their pictures from before is left on the screen.
TEST_F(Display, MaximizingTheWindowLeavesNoOldPaint) {
    ASSERT_NE(start(bookWith({{{Field::FirstName, "Ann"}, {Field::LastName, "Smith"}}})), nullptr);
    select(0, "Ann Smith");
    const int buttons[] = {IDC_BACK, IDC_NEXT};
    std::vector<COLORREF> faces[2];
    for (int i : {0, 1}) {
        // Painted and on the screen: the arrow on the face, the same in two looks.
        EXPECT_TRUE(waitUntil([&] {
            std::vector<COLORREF> last = faces[i];
            faces[i] = shotOf(GetDlgItem(window, buttons[i]));
            return faces[i] == last &&
                   std::count(faces[i].begin(), faces[i].end(), faces[i].front()) <
                       static_cast<std::ptrdiff_t>(faces[i].size());
        }));
    }
    const POINT close = centre(layout(true).close);  // the mark at the card's first width

    PostMessageA(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    // Maximized with the card fitted to it, and drawn anew: where the close mark was
    // the card shows what it draws there at its new width, and the arrow buttons
    // look as before at their new place.
    std::string wrong;
    EXPECT_TRUE(waitUntil([&] {
        RECT main{};
        GetClientRect(window, &main);
        if (!IsZoomed(window) || cardRect().right != main.right - 3)
            return wrong = "not maximized with the card fitted", false;
        if (pixel(close) != library.draw(layoutInput(true)).pixel(close.x, close.y))
            return wrong = "the card's old close mark is still on the screen", false;
        for (int i : {0, 1})
            if (shotOf(GetDlgItem(window, buttons[i])) != faces[i])
                return wrong = "an arrow button is not drawn at its new place", false;
        return true;
    })) << wrong;
    User::press(window, IDOK);
    EXPECT_EQ(run.wait(), 0u);
}

TEST_F(Display, MenuAboutBoxAndCommands) {
    ASSERT_NE(start(bookWith({{{Field::FirstName, "Ann"}, {Field::Homepage, "http://x.example"}}})),
              nullptr);
    select(0, "Ann ");
    auto openMenu = [&] {
        PostMessageA(card, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 90));
        HWND menu = nullptr;
        waitUntil([&] {
            menu = FindWindowA("#32768", nullptr);
            return menu && IsWindowVisible(menu);
        });
        return menu;
    };
    HWND menu = openMenu();
    ASSERT_NE(menu, nullptr);
    PostMessageA(menu, WM_CHAR, 'a', 0);  // "&About Display..."
    HWND box = user->waitFor("About Display");
    ASSERT_NE(box, nullptr);
    DisplayResult texts = layout(true);
    EXPECT_EQ(User::messageText(box),
              std::string("Creator : ") + texts.creator + "\n\nComments : " + texts.comments);
    User::answer(box, IDOK);

    menu = openMenu();
    ASSERT_NE(menu, nullptr);
    PostMessageA(menu, WM_CHAR, 'd', 0);  // "E&dit": the main window's editor on this entry
    HWND editor = user->waitFor("Edit Dialog");
    ASSERT_NE(editor, nullptr);
    User::answer(editor, IDCANCEL);
    User::press(window, IDOK);
    EXPECT_EQ(run.wait(), 0u);
}

TEST_F(Display, WithoutItsLibraryBesideItTheProgramEnds) {
    // The program alone in a folder; the library only in the folder it starts in,
    // where it must not be looked for.
    std::string lonely = folder + "\\bin";
    CreateDirectoryA(lonely.c_str(), nullptr);
    std::string program = lonely + "\\ctlite.exe";
    ASSERT_TRUE(CopyFileA(windowsPath(CTLITE_EXE).c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(windowsPath(CTLITEDISPLAY_DLL).c_str(), file("ctlitedisplay.dll").c_str(),
                          FALSE));
    run = launch("\"" + program + "\"", folder);
    user = std::make_unique<User>(run.process.dwProcessId);
    HWND box = user->waitFor("Error");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              "ctlitedisplay.dll file is missing.\n\nThe program will terminate now");
    User::answer(box, IDOK);
    EXPECT_EQ(run.wait(), static_cast<DWORD>(-1));
    DeleteFileA(program.c_str());
    RemoveDirectoryA(lonely.c_str());
    file("data.dat");  // none was made, but remove one if it was
}

namespace {

// The controls around the name list, in the same window.
using NameListControls = Display;

int selectedLine(HWND window) {
    return static_cast<int>(SendDlgItemMessageA(window, IDC_NAME_LIST, LB_GETCURSEL, 0, 0));
}

HWND visibleMenu() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

ctlite::AddressBook threeNames() {
    return bookWith(
        {{{Field::FirstName, "Cy"}}, {{Field::FirstName, "Bo"}}, {{Field::FirstName, "Al"}}});
}

}  // namespace

TEST_F(NameListControls, ArrowButtonsStepThroughTheListAndShowTheCard) {
    ASSERT_NE(start(threeNames()), nullptr);
    // A quick click: the button-up is there when the button looks for it after the
    // first step. The program is held while both are posted, or on a busy machine
    // the test could be kept from posting the second for longer than a step takes.
    auto press = [&](int id) {
        HWND button = GetDlgItem(window, id);
        SuspendThread(run.process.hThread);
        PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        ResumeThread(run.process.hThread);
    };
    const struct {
        int button, line;
        const char* card;
    } steps[] = {{IDC_NEXT, 0, "Al "}, {IDC_NEXT, 1, "Bo "}, {IDC_NEXT, 2, "Cy "},
                 {IDC_NEXT, 2, "Cy "}, {IDC_BACK, 1, "Bo "}, {IDC_BACK, 0, "Al "},
                 {IDC_BACK, 0, "Al "}};
    for (const auto& s : steps) {
        SetWindowTextA(card, "");
        press(s.button);
        EXPECT_TRUE(waitUntil([&] { return cardText() == s.card; })) << s.card;
        EXPECT_EQ(selectedLine(window), s.line);
    }
}

// A held arrow repeats until the button is let go in any way, not only by the
// button-up that a window taking the mouse would keep from it.
TEST_F(NameListControls, ArrowRepeatEndsWhenTheButtonIsNoLongerHeld) {
    std::vector<std::vector<std::pair<Field, std::string>>> many;
    for (int i = 0; i < 500; ++i)
        many.push_back({{Field::FirstName, "Name" + std::to_string(1000 + i)}});
    ASSERT_NE(start(bookWith(many)), nullptr);
    HWND next = GetDlgItem(window, IDC_NEXT);
    HWND list = GetDlgItem(window, IDC_NAME_LIST);
    const struct {
        const char* how;
        UINT message;
        WPARAM wParam;
    } endings[] = {
        {"the button is no longer pushed", BM_SETSTATE, FALSE},
        // What the system sends the window holding the mouse when a box or a
        // menu opens: the button gives up the capture.
        {"the capture is taken away", WM_CANCELMODE, 0},
    };
    for (const auto& ending : endings) {
        SCOPED_TRACE(ending.how);
        SendMessageA(list, LB_SETCURSEL, 0, 0);
        PostMessageA(next, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        EXPECT_TRUE(waitUntil([&] { return selectedLine(window) >= 3; }));  // repeating
        DWORD_PTR ignored = 0;
        EXPECT_NE(SendMessageTimeoutA(next, ending.message, ending.wParam, 0, SMTO_NORMAL, 5000,
                                      &ignored),
                  0);
        // The window takes its messages again: Enter opens the selected entry.
        PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
        HWND editor = user->waitFor("Edit Dialog", 10);
        ASSERT_NE(editor, nullptr);
        const int stopped = selectedLine(window);
        EXPECT_LT(stopped, 499);
        User::answer(editor, IDCANCEL);
        EXPECT_EQ(selectedLine(window), stopped);
    }
    User::press(window, IDOK);
    EXPECT_EQ(run.wait(), 0u);
}

TEST_F(NameListControls, DeleteAndEnterKeysAndTheContextMenu) {
    ASSERT_NE(start(threeNames()), nullptr);
    HWND list = GetDlgItem(window, IDC_NAME_LIST);
    // No selection: a right click opens nothing. It comes back at once (a menu it
    // opened would keep it until the menu closed).
    DWORD_PTR ignored = 0;
    EXPECT_NE(SendMessageTimeoutA(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 5), SMTO_NORMAL,
                                  10000, &ignored),
              0);
    EXPECT_EQ(visibleMenu(), nullptr);

    select(1, "Bo ");
    PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    HWND editor = user->waitFor("Edit Dialog");
    ASSERT_NE(editor, nullptr);
    User::answer(editor, IDCANCEL);

    PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
    HWND menu = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (menu = visibleMenu()) != nullptr; }));
    EXPECT_EQ(selectedLine(window), 1);   // the right click kept the selection
    PostMessageA(menu, WM_CHAR, 'e', 0);  // "&Edit Selected Entry..."
    editor = user->waitFor("Edit Dialog");
    ASSERT_NE(editor, nullptr);
    User::answer(editor, IDCANCEL);

    PostMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
    HWND box = user->waitFor("Confirmation");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "Do you really want to delete [Bo ] ?");
    EXPECT_TRUE(IsWindowVisible(card));
    User::answer(box, IDYES);
    // The list refilled, and the card, which showed the deleted entry, hidden.
    EXPECT_TRUE(waitUntil(
        [&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 2 && !IsWindowVisible(card); }));
    User::press(window, IDOK);
    EXPECT_EQ(run.wait(), 0u);
}

// A typed letter selects the next line after the caret that begins with it, round
// to the top, and shows its card, as in a list box of strings.
TEST_F(NameListControls, ATypedLetterSelectsTheNextLineBeginningWithIt) {
    ASSERT_NE(start(bookWith({{{Field::FirstName, "Cy"}},
                              {{Field::FirstName, "bo"}},
                              {{Field::FirstName, "Bea"}},
                              {{Field::FirstName, "Al"}}})),
              nullptr);
    HWND list = GetDlgItem(window, IDC_NAME_LIST);
    const struct {
        char typed;
        int line;
        const char* card;
    } keys[] = {{'b', 1, "Bea "}, {'B', 2, "bo "}, {'b', 1, "Bea "},
                {'c', 3, "Cy "},  {'z', 3, "Cy "}, {'a', 0, "Al "}};
    for (const auto& k : keys) {
        SCOPED_TRACE(k.typed);
        PostMessageA(list, WM_CHAR, static_cast<WPARAM>(k.typed), 0);
        EXPECT_TRUE(waitUntil([&] { return cardText() == k.card; }));
        EXPECT_EQ(selectedLine(window), k.line);
    }
    User::press(window, IDOK);
    EXPECT_EQ(run.wait(), 0u);
}

TEST_F(NameListControls, FieldLabelEditorDefaultOkAndCancel) {
    using ctlite::FieldLabels;
    using ctlite::Label;
    ASSERT_NE(start(threeNames()), nullptr);
    const int work = IDC_LABEL_EDIT_FIRST + static_cast<int>(Label::WorkPhone);
    auto open = [&] {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(ID_OPTIONS_LABELS, 0), 0);
        return user->waitFor("Field Label Editor");
    };
    HWND editor = open();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(User::text(editor, work), FieldLabels::defaultText(Label::WorkPhone));
    SetDlgItemTextA(editor, work, "Office:");
    User::press(editor, IDC_LABELS_DEFAULT);
    EXPECT_TRUE(waitUntil(
        [&] { return User::text(editor, work) == FieldLabels::defaultText(Label::WorkPhone); }));
    SetDlgItemTextA(editor, work, "Desk:");
    User::answer(editor, IDCANCEL);  // nothing stored

    editor = open();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(User::text(editor, work), FieldLabels::defaultText(Label::WorkPhone));
    SetDlgItemTextA(editor, work, "Office:");
    SetDlgItemTextA(editor, IDC_LABEL_EDIT_FIRST, "");  // an empty caption is kept empty
    User::answer(editor, IDOK);
    editor = open();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(User::text(editor, work), "Office:");
    User::answer(editor, IDCANCEL);
    User::press(window, IDOK);
    EXPECT_EQ(run.wait(), 0u);

    ctlite::AddressBook back;
    ctlite::DataFile(platform::systemFileSystem(), folder + "\\data.dat").readTrailer(back);
    EXPECT_EQ(back.labels().get(Label::WorkPhone), "Office:");
}

TEST_F(Display, HandCursorOnlyOverAHomepage) {
    // The card library draws the same rows here as in the program: a work phone, then
    // the homepage.
    ASSERT_NE(start(bookWith({{{Field::FirstName, "Ann"},
                               {Field::LastName, "Smith"},
                               {Field::WorkPhone, "555-0100"},
                               {Field::Homepage, "http://x.example"}},
                              {{Field::FirstName, "Bob"}, {Field::WorkPhone, "555-0100"}}})),
              nullptr);
    auto cursorAt = [&](POINT at) {
        SendMessageA(card, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
        SendMessageA(card, WM_SETCURSOR, reinterpret_cast<WPARAM>(card),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        CURSORINFO info{};
        info.cbSize = sizeof info;
        GetCursorInfo(&info);
        return info.hCursor;
    };
    select(0, "Ann Smith");
    RECT client;
    GetClientRect(card, &client);
    CardInput in;
    in.width = client.right;
    in.height = client.bottom;
    in.maximized = true;
    in.homepage = "http://x.example";
    POINT homepage = centre(library.draw(in).result.homepage);
    const POINT nothing{client.right / 2, client.bottom - 5};
    const HCURSOR normal = cursorAt(nothing);  // the program's own arrow
    ASSERT_TRUE(waitUntil([&] { return cursorAt(homepage) != normal; }));
    EXPECT_TRUE(waitUntil([&] { return cursorAt(nothing) == normal; }));
    const POINT close = centre(layout(true).close);
    EXPECT_TRUE(waitUntil([&] { return cursorAt(close) != normal; }));  // over a mark
    select(1, "Bob ");
    EXPECT_TRUE(waitUntil([&] { return cursorAt(homepage) == normal; }));
}

TEST_F(Display, AHomepageThatIsNotAWebAddressIsShownNotRun) {
    // A program named as the homepage (as an imported file may name one).
    const std::string program = file("made.cmd");
    const std::string marker = file("made.txt");
    writeAll(program, "echo ran> \"" + marker + "\"\r\n");
    ASSERT_NE(start(bookWith({{{Field::FirstName, "Ann"},
                               {Field::LastName, "Smith"},
                               {Field::WorkPhone, "555-0100"},
                               {Field::Homepage, program}}})),
              nullptr);
    select(0, "Ann Smith");
    UpdateWindow(card);  // the card knows where it drew the homepage once it has painted
    RECT client;
    GetClientRect(card, &client);
    CardInput in;
    in.width = client.right;
    in.height = client.bottom;
    in.maximized = true;
    in.homepage = program;
    click(centre(library.draw(in).result.homepage));
    HWND box = user->waitFor("Homepage");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box),
              "This homepage is not a web address, so it is not opened:\n\n" + program);
    User::answer(box, IDOK);
    User::press(window, IDOK);
    EXPECT_EQ(run.wait(), 0u);
    EXPECT_EQ(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Display, ThePhotoIsReadAgainWhenItsFileChanges) {
    const COLORREF red = RGB(220, 20, 20), green = RGB(20, 200, 40);
    const std::string photo = file("photo.bmp");
    writeAll(photo, solidBmp(40, 30, red));
    ASSERT_NE(start(bookWith({{{Field::FirstName, "Ann"}, {Field::Picture, photo}},
                              {{Field::FirstName, "Bob"}}})),
              nullptr);
    DisplayResult where = layout(true);
    POINT inPicture{where.pictureLeft + 20, where.pictureTop + 15};
    select(0, "Ann ");
    EXPECT_TRUE(waitUntil([&] { return closeTo(pixel(inPicture), red); }));
    select(1, "Bob ");
    EXPECT_TRUE(waitUntil([&] { return !closeTo(pixel(inPicture), red); }));
    select(0, "Ann ");  // the same file: the photo kept from before
    EXPECT_TRUE(waitUntil([&] { return closeTo(pixel(inPicture), red); }));
    select(1, "Bob ");
    writeAll(photo, solidBmp(44, 32, green));  // another size, another time of writing
    select(0, "Ann ");
    EXPECT_TRUE(waitUntil([&] { return closeTo(pixel(inPicture), green); }))
        << std::hex << pixel(inPicture);
}
