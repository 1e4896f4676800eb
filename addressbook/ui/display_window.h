// The card beside the name list: a child window of the main window (control 111)
// that holds copies of the shown entry's values, has the display library paint
// them, draws the entry's picture where the library says, and turns clicks on the
// library's hotspots into actions. It can be dragged about, and maximized to fill
// the space right of the name list.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "addressbook/model/entry.h"
#include "addressbook/model/field_labels.h"
#include "addressbook/picture/last_picture.h"
#include "addressbook/picture/picture.h"
#include "addressbook/ui/display_colours.h"
#include "framework/window.h"
#include "outside/display/display_plugin.h"

namespace ctlite {

class DisplayWindow : public fw::WindowImpl<DisplayWindow> {
public:
    static const fw::MessageEntry<DisplayWindow> kMessages[];

    enum Hotspot { Close, Maximize, Restore, Post, Homepage, kHotspotCount };

    DisplayWindow() = default;
    ~DisplayWindow() override;

    // Loads the display library from the program's own folder and makes the window,
    // hidden. False when the library cannot be loaded or has no entry point.
    bool create(HWND main, Entry& currentEntry, const FieldLabels& labels);

    // What the card shows.
    void setEntry(const Entry& entry, const std::string& groupName);
    void setGroupName(const std::string& groupName) { groupName_ = groupName; }
    // The entry last shown (empty before the first).
    const Entry& entry() const { return entry_; }
    void setAppearance(const DisplayColours& colours, const std::string& fontFace);
    // The picture is read again at the next paint.
    void clearPicture() { pictureLoaded_ = false; }

    bool maximized() const { return maximized_; }
    // Maximized, the card fills the main window right of the name list and below
    // the group selector; restored, it goes back to where it was.
    void setMaximized(bool maximized);
    // Fits a maximized card to the main window again (after a resize).
    void refit();
    // The card's top-left in the main window's client area, and where it goes
    // when restored.
    POINT restoredTopLeft() const { return {restored_.left, restored_.top}; }
    void moveTo(int x, int y, int width, int height);

    // The rectangles and texts of the last paint.
    const RECT& hotspot(Hotspot which) const { return hotspots_[which]; }
    const std::string& creator() const { return creator_; }
    const std::string& comments() const { return comments_; }

private:
    INT_PTR onPaint(WPARAM, LPARAM);
    INT_PTR onEraseBackground(WPARAM, LPARAM) { return TRUE; }
    INT_PTR onLeftButtonDown(WPARAM, LPARAM);
    INT_PTR onMouseMove(WPARAM, LPARAM);
    INT_PTR onLeftButtonUp(WPARAM, LPARAM);
    INT_PTR onCaptureChanged(WPARAM, LPARAM);
    INT_PTR onSetCursor(WPARAM, LPARAM);
    INT_PTR onRightButtonDown(WPARAM, LPARAM);

    RECT rectInMain() const;
    RECT maximizedRect() const;
    void loadPicture();
    void drawPicture(HDC dc, int left, int top);
    void updateTooltips();
    void showMenu(POINT at);
    void showAbout();
    void endDrag();

    HWND main_ = nullptr;
    Entry* currentEntry_ = nullptr;
    const FieldLabels* labels_ = nullptr;
    HMODULE library_ = nullptr;
    DrawDisplayFunction draw_ = nullptr;
    HWND tooltip_ = nullptr;
    HCURSOR hand_ = nullptr;

    Entry entry_;
    Entry typed_;  // entry_ with its names as typed (no doubled "&"), as the card shows it
    std::string groupName_;
    DisplayColours colours_;
    std::string fontFace_;

    PictureKind pictureKind_ = PictureKind::None;
    bool pictureLoaded_ = false;
    std::shared_ptr<const Picture> picture_;
    HPALETTE palette_ = nullptr;
    LastPicture lastPicture_;
    POINT pictureAt_ = {};  // where the library put the picture at the last paint

    RECT hotspots_[kHotspotCount] = {};
    std::string creator_, comments_;

    bool maximized_ = false;
    RECT restored_ = {};  // the card's rectangle when not maximized
    bool dragging_ = false;
    POINT grabScreen_ = {};
    RECT rectAtGrab_ = {};
    bool hover_ = false;
};

}  // namespace ctlite
