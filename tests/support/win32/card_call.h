// Calls the card library in the test's own process, as the display window calls
// it, to learn where its hotspots and the picture go for a card of a given size.
#pragma once

#include <windows.h>

#include <string>

#include "outside/display/display_plugin.h"

namespace testing_support {

struct CardInput {
    int width = 300, height = 200;
    bool maximized = false;
    int pictureWidth = 0, pictureHeight = 0;
    std::string fullName = "Ann Smith", company, homepage, note;
    COLORREF background = RGB(0, 0, 0), text = RGB(255, 255, 255), link = RGB(0, 255, 0);
};

struct CardOutput {
    DisplayResult result{};
    // The pixel at a point of the card drawn into a memory bitmap.
    COLORREF pixel(int x, int y) const { return GetPixel(dc, x, y); }
    HDC dc = nullptr;
};

class CardLibrary {
public:
    explicit CardLibrary(const std::string& path) {
        module_ = LoadLibraryA(path.c_str());
        if (module_)
            draw_ = reinterpret_cast<DrawDisplayFunction>(
                reinterpret_cast<void*>(GetProcAddress(module_, kDrawDisplayName)));
        screen_ = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen_);
    }
    ~CardLibrary() {
        if (bitmap_)
            DeleteObject(bitmap_);
        DeleteDC(dc_);
        ReleaseDC(nullptr, screen_);
        if (module_)
            FreeLibrary(module_);
    }
    CardLibrary(const CardLibrary&) = delete;
    CardLibrary& operator=(const CardLibrary&) = delete;

    bool loaded() const { return draw_ != nullptr; }

    CardOutput draw(const CardInput& in) {
        if (bitmap_)
            DeleteObject(bitmap_);
        bitmap_ = CreateCompatibleBitmap(screen_, in.width, in.height);
        SelectObject(dc_, bitmap_);
        CardOutput out;
        out.result = drawInto(dc_, in);
        out.dc = dc_;
        return out;
    }

    // The card drawn into a device context of the caller's.
    DisplayResult drawInto(HDC dc, const CardInput& in) {
        const char* none = "";
        DisplayTexts texts{none,
                           none,
                           in.fullName.c_str(),
                           in.company.c_str(),
                           none,
                           "555-0100",
                           none,
                           none,
                           none,
                           none,
                           none,
                           none,
                           none,
                           in.note.c_str(),
                           in.homepage.c_str(),
                           none,
                           "Friends"};
        DisplaySettings settings{in.text,
                                 in.background,
                                 none,
                                 in.link,
                                 in.maximized ? 1 : 0,
                                 0,
                                 in.pictureWidth,
                                 in.pictureHeight,
                                 none,
                                 none,
                                 none,
                                 none,
                                 none};
        DisplayLayout layout{};
        layout.displayClient = {0, 0, in.width, in.height};
        return draw_(dc, &texts, &settings, &layout, nullptr);
    }

private:
    HMODULE module_ = nullptr;
    DrawDisplayFunction draw_ = nullptr;
    HDC screen_ = nullptr, dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
};

inline POINT centre(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace testing_support
