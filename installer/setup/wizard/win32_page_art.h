// What every wizard page shows besides its controls: the package's dialog picture
// in a strip down the page's left side, and at the strip's foot the wizard bitmaps
// of the page's stage (a bitmap's identifier is the stage whose page shows it; 0 shows
// on every page), all on the dialog face. The page's controls move right to make
// room for the strip, so a page from any template (built in or the package's
// own) gets the same look.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "installer/setup/source/win32_package_pieces.h"

namespace vortix {

class PageArt {
public:
    PageArt() = default;
    PageArt(const PageArt&) = delete;
    PageArt& operator=(const PageArt&) = delete;
    ~PageArt();

    // Loads the picture (when there is one) and the bitmaps from their files.
    // False when the picture cannot be loaded: it is then left out. A bitmap that
    // cannot be loaded is left out quietly.
    bool load(const std::string& picturePath, const std::vector<WizardBitmap>& bitmaps);

    // Moves the controls of the page of `stage` right by the strip's width and
    // widens the page by as much (nothing when the page has no art), and sets the
    // page's heading (control 31) in the bold face of the page's font.
    void makeRoom(HWND page, int stage) const;
    // Draws the strip of the page of `stage` on the page's face.
    void paint(HWND page, HDC dc, int stage) const;

private:
    struct Picture {
        HBITMAP bitmap = nullptr;
        SIZE size{};
        std::uint32_t stage = 0;  // for wizard bitmaps: 0 on every page
    };
    std::vector<const Picture*> bitmapsOf(int stage) const;
    // The strip's width on a page `pageHeight` pixels high.
    int stripWidth(int stage, int pageHeight) const;
    // The height of the stage's bitmaps, one above the other.
    int bitmapsHeight(int stage) const;
    // The picture's size once fitted into the strip of a page that high.
    SIZE pictureSize(int stage, int pageHeight) const;

    Picture picture_;
    std::vector<Picture> bitmaps_;
    mutable HFONT headingFont_ = nullptr;  // made from the first page's font
};

// Fills the whole page with the dialog face (WM_ERASEBKGND): the page is a panel
// over the main window's background, never a window onto it.
INT_PTR paintPageFace(HWND page, WPARAM dc);

// The brush and colours of the dialog face for a page's static and read-only
// controls (WM_CTLCOLORSTATIC), so that no control shows a band of another colour.
INT_PTR pageFaceColour(WPARAM dc);

}  // namespace vortix
