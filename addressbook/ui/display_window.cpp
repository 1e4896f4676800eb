#include "addressbook/ui/display_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "addressbook/ui/about_box.h"
#include "addressbook/ui/entry_form.h"
#include "addressbook/ui/menu_states.h"
#include "addressbook/ui/resource.h"
#include "addressbook/ui/web_address.h"
#include "framework/application.h"
#include "platform/file_system.h"
#include "platform/whole_file.h"

namespace ctlite {
namespace {

constexpr char kClassName[] = "ContavoLiteDisplay";

// The tooltip tools, by id, and the hotspot each one covers.
struct Tool {
    UINT id;
    DisplayWindow::Hotspot hotspot;
    const char* text;
};
constexpr Tool kTools[] = {
    {1, DisplayWindow::Homepage, "Homepage"},
    {2, DisplayWindow::Close, "Close Display"},
    {3, DisplayWindow::Restore, "Restore Display"},
    {4, DisplayWindow::Maximize, "Maximize Display"},
    {5, DisplayWindow::Post, "Post Display"},
};

RECT windowRectIn(HWND window, HWND parent) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The folder the program was started from, with a trailing backslash.
std::string programFolder() {
    char path[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, n < sizeof path ? n : 0);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// The hand the system's help program shows over links; the system's own hand
// when that program has none.
HCURSOR loadHandCursor() {
    char windows[MAX_PATH] = "";
    UINT n = GetWindowsDirectoryA(windows, sizeof windows);
    std::string helper = std::string(windows, n) + "\\winhlp32.exe";
    if (HMODULE module = LoadLibraryExA(helper.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        HCURSOR cursor = LoadCursorA(module, MAKEINTRESOURCEA(106));
        if (cursor)
            return CopyCursor(cursor);  // outlives the module
        FreeLibrary(module);
    }
    return LoadCursor(nullptr, IDC_HAND);
}

}  // namespace

const fw::MessageEntry<DisplayWindow> DisplayWindow::kMessages[] = {
    {WM_PAINT, &DisplayWindow::onPaint},
    {WM_ERASEBKGND, &DisplayWindow::onEraseBackground},
    {WM_LBUTTONDOWN, &DisplayWindow::onLeftButtonDown},
    {WM_MOUSEMOVE, &DisplayWindow::onMouseMove},
    {WM_LBUTTONUP, &DisplayWindow::onLeftButtonUp},
    {WM_CAPTURECHANGED, &DisplayWindow::onCaptureChanged},
    {WM_SETCURSOR, &DisplayWindow::onSetCursor},
    {WM_RBUTTONDOWN, &DisplayWindow::onRightButtonDown},
    {0, nullptr},
};

DisplayWindow::~DisplayWindow() {
    if (palette_)
        DeleteObject(palette_);
    // The window goes first (the base class), the library after the last paint.
    if (HWND hwnd = handle())
        DestroyWindow(hwnd);
    if (library_)
        FreeLibrary(library_);
}

bool DisplayWindow::create(HWND main, Entry& currentEntry, const FieldLabels& labels) {
    main_ = main;
    currentEntry_ = &currentEntry;
    labels_ = &labels;
    // By its full path: a library of the same name in the current folder is never used.
    std::string folder = programFolder();
    if (folder.empty())
        return false;
    std::string path = folder + kDisplayLibraryName;
    library_ = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library_)
        return false;
    draw_ = reinterpret_cast<DrawDisplayFunction>(
        reinterpret_cast<void*>(GetProcAddress(library_, kDrawDisplayName)));
    if (!draw_)
        return false;

    WNDCLASSEXA shape{};
    shape.hInstance = fw::resourceInstance();
    shape.lpszClassName = kClassName;
    shape.hCursor = LoadCursor(nullptr, IDC_ARROW);
    shape.style = CS_DBLCLKS;
    if (!fw::Window::create(shape, 0, "", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 1, 1, main))
        return false;
    SetWindowLongPtrA(handle(), GWLP_ID, IDC_DISPLAY);
    restored_ = {0, 0, 1, 1};

    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle(),
                               nullptr, fw::resourceInstance(), nullptr);
    for (const Tool& tool : kTools) {
        TOOLINFOA info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_SUBCLASS;  // the mouse messages reach the tips first
        info.hwnd = handle();
        info.uId = tool.id;
        info.rect = {0, 0, static_cast<LONG>(89 + tool.id), 100};
        info.lpszText = const_cast<char*>(tool.text);
        SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
    SendMessageA(tooltip_, TTM_SETTIPBKCOLOR, RGB(255, 255, 255), 0);
    SendMessageA(tooltip_, TTM_SETTIPTEXTCOLOR, RGB(0, 0, 0), 0);
    SendMessageA(tooltip_, TTM_ACTIVATE, TRUE, 0);
    hand_ = loadHandCursor();
    pictureLoaded_ = false;
    return true;
}

void DisplayWindow::setEntry(const Entry& entry, const std::string& groupName) {
    entry_ = entry;
    typed_ = entryAsTyped(entry);
    groupName_ = groupName;
    pictureLoaded_ = false;
    // The window's text names the entry it shows, for screen readers.
    std::string fullName(typed_.get(Field::FirstName));
    fullName.append(" ").append(typed_.get(Field::LastName));
    SetWindowTextA(handle(), fullName.c_str());
}

void DisplayWindow::setAppearance(const DisplayColours& colours, const std::string& fontFace) {
    colours_ = colours;
    fontFace_ = fontFace;
}

// ---- placement

RECT DisplayWindow::rectInMain() const {
    return windowRectIn(handle(), main_);
}

RECT DisplayWindow::maximizedRect() const {
    RECT client{}, list = windowRectIn(GetDlgItem(main_, IDC_NAME_LIST), main_),
                   group = windowRectIn(GetDlgItem(main_, IDC_GROUP), main_);
    GetClientRect(main_, &client);
    RECT r{list.right + 5, group.bottom + 2, client.right - 3, client.bottom - 3};
    if (r.right < r.left + 1)
        r.right = r.left + 1;
    if (r.bottom < r.top + 1)
        r.bottom = r.top + 1;
    return r;
}

void DisplayWindow::moveTo(int x, int y, int width, int height) {
    restored_ = {x, y, x + width, y + height};
    if (!maximized_)
        MoveWindow(handle(), x, y, width, height, TRUE);
}

void DisplayWindow::setMaximized(bool maximized) {
    if (maximized == maximized_)
        return;
    maximized_ = maximized;
    RECT r = maximized ? maximizedRect() : restored_;
    MoveWindow(handle(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    InvalidateRect(handle(), nullptr, FALSE);
}

void DisplayWindow::refit() {
    if (!maximized_)
        return;
    RECT r = maximizedRect();
    MoveWindow(handle(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

// ---- painting

void DisplayWindow::loadPicture() {
    std::string path(entry_.get(Field::Picture));
    pictureKind_ = pictureKind(path);
    picture_.reset();
    if (palette_) {
        DeleteObject(palette_);
        palette_ = nullptr;
    }
    // Tried: a picture that fails is not read again until the next selection.
    pictureLoaded_ = true;
    if (pictureKind_ == PictureKind::None)
        return;
    WIN32_FILE_ATTRIBUTE_DATA file{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &file))
        return;
    // The last photo asked for is kept, a failure too: coming back to its entry costs
    // no decoding, as long as the file is the same (its size and time of writing).
    const FileStamp stamp{
        (static_cast<std::uint64_t>(file.nFileSizeHigh) << 32) | file.nFileSizeLow,
        (static_cast<std::uint64_t>(file.ftLastWriteTime.dwHighDateTime) << 32) |
            file.ftLastWriteTime.dwLowDateTime};
    // A photo larger than the card is decoded at a size the card can show: from
    // where the library put the picture last to the card's right and bottom edges.
    RECT client{};
    GetClientRect(handle(), &client);
    const PictureRoom room{std::max<LONG>(client.right - pictureAt_.x, 1),
                           std::max<LONG>(client.bottom - pictureAt_.y, 1)};
    picture_ = lastPicture_.get(path, stamp, room, [&]() -> std::optional<Picture> {
        platform::FileBytes bytes;
        if (platform::readWholeFile(platform::systemFileSystem(), path, kMaxPictureFileBytes,
                                    bytes) != platform::ReadOutcome::Ok)
            return std::nullopt;
        return decodePicture(pictureKind_, bytes.view(), room);
    });
    if (!picture_ || picture_->palette.empty())
        return;
    std::string block(sizeof(LOGPALETTE) + picture_->palette.size() * sizeof(PALETTEENTRY), '\0');
    auto* logical = reinterpret_cast<LOGPALETTE*>(block.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(picture_->palette.size());
    for (std::size_t i = 0; i < picture_->palette.size(); ++i) {
        const Rgb& c = picture_->palette[i];
        logical->palPalEntry[i] = {c.red, c.green, c.blue, 0};
    }
    palette_ = CreatePalette(logical);
}

void DisplayWindow::drawPicture(HDC dc, int left, int top) {
    const Picture& p = *picture_;
    HPALETTE old = nullptr;
    if (palette_ && (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE)) {
        old = SelectPalette(dc, palette_, FALSE);
        RealizePalette(dc);
    }
    SetDIBitsToDevice(dc, left, top, static_cast<DWORD>(p.width), static_cast<DWORD>(p.height), 0,
                      0, 0, static_cast<UINT>(p.height), p.bits.data(),
                      reinterpret_cast<const BITMAPINFO*>(p.info.data()), DIB_RGB_COLORS);
    if (old)
        SelectPalette(dc, old, FALSE);
}

INT_PTR DisplayWindow::onPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(handle(), &paint);
    RECT client{};
    GetClientRect(handle(), &client);
    // Drawn off screen first: no flicker while the card is dragged.
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP buffer = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ oldBuffer = SelectObject(dc, buffer);
    int saved = SaveDC(dc);

    // The names as typed: the library draws every text as it stands.
    const Entry& e = typed_;
    std::string first(e.get(Field::FirstName)), last(e.get(Field::LastName));
    std::string fullName = first + " " + last, cityLine = e.cityLine();
    auto text = [&](Field f) { return e.c_str(f); };
    DisplayTexts texts{first.c_str(),
                       last.c_str(),
                       fullName.c_str(),
                       text(Field::CompanyName),
                       text(Field::HomePhone),
                       text(Field::WorkPhone),
                       text(Field::MobilePhone),
                       text(Field::FaxNumber),
                       text(Field::PagerNumber),
                       text(Field::StreetAddress),
                       cityLine.c_str(),
                       text(Field::Country),
                       text(Field::EmailAddress),
                       text(Field::Note),
                       text(Field::Homepage),
                       text(Field::Picture),
                       groupName_.c_str()};
    if (!pictureLoaded_)
        loadPicture();
    DisplaySettings settings{};
    settings.textColour = colours_.text;
    settings.backgroundColour = colours_.background;
    settings.fontFace = fontFace_.c_str();
    settings.linkColour = colours_.link;
    settings.maximized = maximized_ ? 1 : 0;
    settings.reserved = 0;
    settings.pictureWidth = picture_ ? picture_->width : 0;
    settings.pictureHeight = picture_ ? picture_->height : 0;
    settings.workLabel = labels_->get(Label::WorkPhone).c_str();
    settings.homeLabel = labels_->get(Label::HomePhone).c_str();
    settings.faxLabel = labels_->get(Label::Fax).c_str();
    settings.pagerLabel = labels_->get(Label::Pager).c_str();
    settings.mobileLabel = labels_->get(Label::Mobile).c_str();
    DisplayLayout layout{};
    GetClientRect(main_, &layout.mainClient);
    layout.nameList = windowRectIn(GetDlgItem(main_, IDC_NAME_LIST), main_);
    layout.groupBox = windowRectIn(GetDlgItem(main_, IDC_GROUP), main_);
    layout.displayClient = client;
    layout.displayInMain = rectInMain();

    DisplayResult result = draw_(dc, &texts, &settings, &layout, handle());
    hotspots_[Close] = result.close;
    hotspots_[Maximize] = result.maximize;
    hotspots_[Restore] = result.restore;
    hotspots_[Post] = result.post;
    hotspots_[Homepage] = result.homepage;
    creator_ = result.creator ? result.creator : "";
    comments_ = result.comments ? result.comments : "";
    pictureAt_ = {result.pictureLeft, result.pictureTop};
    if (picture_)
        drawPicture(dc, result.pictureLeft, result.pictureTop);

    RestoreDC(dc, saved);
    BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBuffer);
    DeleteObject(buffer);
    DeleteDC(dc);
    updateTooltips();
    EndPaint(handle(), &paint);
    return TRUE;
}

void DisplayWindow::updateTooltips() {
    std::string homepage(entry_.get(Field::Homepage));
    for (const Tool& tool : kTools) {
        TOOLINFOA info{};
        info.cbSize = sizeof info;
        info.hwnd = handle();
        info.uId = tool.id;
        info.rect = hotspots_[tool.hotspot];
        SendMessageA(tooltip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&info));
        if (tool.hotspot == Homepage) {
            info.lpszText = homepage.data();
            SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
        }
    }
}

// ---- the mouse

INT_PTR DisplayWindow::onLeftButtonDown(WPARAM, LPARAM lParam) {
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!maximized_) {
        SetCapture(handle());
        dragging_ = true;
        grabScreen_ = at;
        ClientToScreen(handle(), &grabScreen_);
        rectAtGrab_ = rectInMain();
        InvalidateRect(handle(), nullptr, FALSE);
    }
    if (PtInRect(&hotspots_[Close], at)) {
        endDrag();
        ShowWindow(handle(), SW_HIDE);
    }
    if (PtInRect(&hotspots_[Maximize], at)) {
        endDrag();
        setMaximized(true);
    }
    if (PtInRect(&hotspots_[Restore], at)) {
        endDrag();
        setMaximized(false);
    }
    if (PtInRect(&hotspots_[Post], at)) {
        endDrag();
        SendMessageA(main_, WM_COMMAND, MAKEWPARAM(ID_ENTRY_POST, 0), 0);
    }
    if (PtInRect(&hotspots_[Homepage], at)) {
        std::string homepage(entry_.get(Field::Homepage));
        if (!homepage.empty()) {
            endDrag();
            if (openableAddress(homepage))
                openWebAddress(handle(), homepage.c_str());
            else
                fw::messageBox(main_, notOpenedMessage(homepage), "Homepage",
                               MB_OK | MB_ICONINFORMATION);
        }
    }
    return 0;
}

INT_PTR DisplayWindow::onMouseMove(WPARAM, LPARAM lParam) {
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (dragging_) {
        POINT screen = at;
        ClientToScreen(handle(), &screen);
        int x = rectAtGrab_.left + screen.x - grabScreen_.x;
        int y = rectAtGrab_.top + screen.y - grabScreen_.y;
        MoveWindow(handle(), x, y, rectAtGrab_.right - rectAtGrab_.left,
                   rectAtGrab_.bottom - rectAtGrab_.top, TRUE);
        // Redraw what the card uncovered at once, not after the drag.
        UpdateWindow(main_);
    }
    hover_ = PtInRect(&hotspots_[Close], at) || PtInRect(&hotspots_[Maximize], at) ||
             PtInRect(&hotspots_[Restore], at) || PtInRect(&hotspots_[Post], at) ||
             (PtInRect(&hotspots_[Homepage], at) && !entry_.get(Field::Homepage).empty());
    return 0;
}

INT_PTR DisplayWindow::onLeftButtonUp(WPARAM, LPARAM) {
    endDrag();
    if (maximized_)
        return 0;
    // Pushed back out of the name list and the group selector.
    RECT r = rectInMain();
    RECT list = windowRectIn(GetDlgItem(main_, IDC_NAME_LIST), main_),
         group = windowRectIn(GetDlgItem(main_, IDC_GROUP), main_);
    int left = r.left, top = r.top;
    const int minLeft = list.right + 5, minTop = group.bottom + 2;
    if (left <= minLeft) {
        left = minLeft;
        if (top <= minTop)
            top = minTop;
    } else if (top < minTop) {
        top = minTop;
    }
    MoveWindow(handle(), left, top, r.right - r.left, r.bottom - r.top, TRUE);
    restored_ = {left, top, left + (r.right - r.left), top + (r.bottom - r.top)};
    InvalidateRect(handle(), nullptr, FALSE);
    return 0;
}

INT_PTR DisplayWindow::onCaptureChanged(WPARAM, LPARAM) {
    dragging_ = false;
    return 0;
}

void DisplayWindow::endDrag() {
    dragging_ = false;
    if (GetCapture() == handle())
        ReleaseCapture();
}

INT_PTR DisplayWindow::onSetCursor(WPARAM, LPARAM) {
    SetCursor(hover_ && hand_ ? hand_ : LoadCursor(nullptr, IDC_ARROW));
    return TRUE;
}

INT_PTR DisplayWindow::onRightButtonDown(WPARAM, LPARAM lParam) {
    UpdateWindow(handle());  // the About box shows the texts of a finished paint
    // The menu's commands act on the main window's current entry: this one.
    *currentEntry_ = entry_;
    currentEntry_->set(Field::GroupName, groupName_);
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(handle(), &at);
    showMenu(at);
    return 0;
}

// ---- the Display menu

void DisplayWindow::showMenu(POINT at) {
    HMENU menu = LoadMenuA(fw::resourceInstance(), MAKEINTRESOURCEA(IDR_DISPLAY));
    if (!menu)
        return;
    HMENU popup = GetSubMenu(menu, 0);
    mirrorCommandStates(popup, main_);
    UINT chosen = static_cast<UINT>(TrackPopupMenu(
        popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, handle(), nullptr));
    DestroyMenu(menu);
    if (chosen == ID_DISPLAY_ABOUT)
        showAbout();
    else if (chosen != 0)
        SendMessageA(main_, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}

void DisplayWindow::showAbout() {
    fw::messageBox(main_, "Creator : " + creator_ + "\n\nComments : " + comments_, "About Display",
                   MB_OK | MB_ICONINFORMATION);
}

}  // namespace ctlite
