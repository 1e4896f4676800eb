#include "installer/setup/wizard/win32_page_art.h"

#include <algorithm>

namespace vortix {
namespace {

// The page's heading, shown bold.
constexpr int kHeadingControl = 31;

// The strip's widest, in pixels: a larger picture is shown smaller.
constexpr int kWidestStrip = 200;

HBITMAP loadBitmapFile(const std::string& path, SIZE& size) {
    auto bitmap = static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    BITMAP shape{};
    if (bitmap && GetObjectA(bitmap, sizeof shape, &shape))
        size = {shape.bmWidth, shape.bmHeight};
    return bitmap;
}

// `size` made to fit within `width` x `height`, keeping its proportions.
SIZE fitted(SIZE size, int width, int height) {
    if (size.cx <= 0 || size.cy <= 0)
        return {0, 0};
    if (size.cx > width) {
        size.cy = static_cast<LONG>(static_cast<long long>(size.cy) * width / size.cx);
        size.cx = width;
    }
    if (size.cy > height) {
        size.cx = static_cast<LONG>(static_cast<long long>(size.cx) * height / size.cy);
        size.cy = height;
    }
    return size;
}

void draw(HDC dc, HBITMAP bitmap, SIZE natural, int x, int y, SIZE shown) {
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    int oldMode = SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, x, y, shown.cx, shown.cy, source, 0, 0, natural.cx, natural.cy, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
    SelectObject(source, old);
    DeleteDC(source);
}

int pageHeight(HWND page) {
    RECT client;
    GetClientRect(page, &client);
    return client.bottom;
}

}  // namespace

PageArt::~PageArt() {
    if (headingFont_)
        DeleteObject(headingFont_);
    if (picture_.bitmap)
        DeleteObject(picture_.bitmap);
    for (Picture& bitmap : bitmaps_)
        DeleteObject(bitmap.bitmap);
}

bool PageArt::load(const std::string& picturePath, const std::vector<WizardBitmap>& bitmaps) {
    for (const WizardBitmap& file : bitmaps) {
        Picture bitmap;
        bitmap.stage = file.identifier;
        if ((bitmap.bitmap = loadBitmapFile(file.path, bitmap.size)))
            bitmaps_.push_back(bitmap);
    }
    if (picturePath.empty())
        return true;
    picture_.bitmap = loadBitmapFile(picturePath, picture_.size);
    return picture_.bitmap != nullptr;
}

std::vector<const PageArt::Picture*> PageArt::bitmapsOf(int stage) const {
    std::vector<const Picture*> shown;
    for (const Picture& bitmap : bitmaps_)
        if (bitmap.stage == 0 || bitmap.stage == static_cast<std::uint32_t>(stage))
            shown.push_back(&bitmap);
    return shown;
}

int PageArt::bitmapsHeight(int stage) const {
    int height = 0;
    for (const Picture* bitmap : bitmapsOf(stage))
        height += fitted(bitmap->size, kWidestStrip, bitmap->size.cy).cy;
    return height;
}

// The picture takes the height the stage's bitmaps leave.
SIZE PageArt::pictureSize(int stage, int height) const {
    if (!picture_.bitmap)
        return {0, 0};
    return fitted(picture_.size, kWidestStrip, std::max(height - bitmapsHeight(stage), 0));
}

int PageArt::stripWidth(int stage, int height) const {
    int width = pictureSize(stage, height).cx;
    for (const Picture* bitmap : bitmapsOf(stage))
        width = std::max<int>(width, std::min<int>(bitmap->size.cx, kWidestStrip));
    return width;
}

void PageArt::makeRoom(HWND page, int stage) const {
    if (HWND heading = GetDlgItem(page, kHeadingControl)) {
        LOGFONTA face{};
        auto font = reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0));
        if (!headingFont_ && font && GetObjectA(font, sizeof face, &face)) {
            face.lfWeight = FW_BOLD;
            headingFont_ = CreateFontIndirectA(&face);
        }
        if (headingFont_)
            SendMessageA(heading, WM_SETFONT, reinterpret_cast<WPARAM>(headingFont_), FALSE);
    }
    int width = stripWidth(stage, pageHeight(page));
    if (width == 0)
        return;
    for (HWND control = GetWindow(page, GW_CHILD); control;
         control = GetWindow(control, GW_HWNDNEXT)) {
        RECT place;
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&place), 2);
        SetWindowPos(control, nullptr, place.left + width, place.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT bounds;
    GetWindowRect(page, &bounds);
    SetWindowPos(page, nullptr, 0, 0, bounds.right - bounds.left + width,
                 bounds.bottom - bounds.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PageArt::paint(HWND page, HDC dc, int stage) const {
    int height = pageHeight(page);
    int width = stripWidth(stage, height);
    if (width == 0)
        return;
    // The picture at the top of the strip, the stage's bitmaps at its foot.
    SIZE shown = pictureSize(stage, height);
    if (shown.cy > 0)
        draw(dc, picture_.bitmap, picture_.size, (width - shown.cx) / 2, 0, shown);
    int bottom = height;
    for (const Picture* bitmap : bitmapsOf(stage)) {
        SIZE size = fitted(bitmap->size, width, bottom - shown.cy);
        if (size.cy <= 0)
            break;
        bottom -= size.cy;
        draw(dc, bitmap->bitmap, bitmap->size, (width - size.cx) / 2, bottom, size);
    }
}

INT_PTR paintPageFace(HWND page, WPARAM dc) {
    RECT client;
    GetClientRect(page, &client);
    FillRect(reinterpret_cast<HDC>(dc), &client, GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
}

INT_PTR pageFaceColour(WPARAM dc) {
    HDC control = reinterpret_cast<HDC>(dc);
    SetBkColor(control, GetSysColor(COLOR_BTNFACE));
    SetTextColor(control, GetSysColor(COLOR_BTNTEXT));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace vortix
