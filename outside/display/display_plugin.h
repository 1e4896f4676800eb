// The card library, ctlitedisplay.dll: one entry point, DrawDisplay, which paints
// the selected entry's card into the display window and tells the program where
// its hotspots and the picture go. The program and the library both build from
// this header, so the records cannot drift apart.
//
// Strings are 8-bit text in the system code page, never null (empty is ""), and
// live only for the call. They are the texts to show, as typed: an "&" in them is
// a character to draw, not a mnemonic prefix. Rectangles of the layout are in the main window's
// client coordinates except `displayClient`; those of the result are in the display window's client
// coordinates.
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {

struct DisplayTexts {
    const char* firstName;
    const char* lastName;
    const char* fullName;  // first name, one space, last name
    const char* companyName;
    const char* homePhone;
    const char* workPhone;
    const char* mobilePhone;
    const char* fax;
    const char* pager;
    const char* streetAddress;
    const char* cityLine;  // city, state and zip code joined
    const char* country;
    const char* emailAddress;
    const char* note;
    const char* homepage;
    const char* picturePath;
    const char* groupName;
};

struct DisplaySettings {
    COLORREF textColour;
    COLORREF backgroundColour;
    const char* fontFace;  // empty: the library's own choice
    COLORREF linkColour;
    std::int32_t maximized;                    // 0 or 1
    std::uint32_t reserved;                    // always 0
    std::int32_t pictureWidth, pictureHeight;  // 0 and 0 without a picture
    // The user's captions for the phone numbers; empty means the usual caption.
    const char* workLabel;
    const char* homeLabel;
    const char* faxLabel;
    const char* pagerLabel;
    const char* mobileLabel;
};

struct DisplayLayout {
    RECT mainClient;
    RECT nameList;
    RECT groupBox;
    RECT displayClient;  // the display window's own drawing rectangle
    RECT displayInMain;  // the display window within the main window
};

struct DisplayResult {
    // Where a click closes the card, maximizes it, restores it, posts the entry and
    // opens the homepage; an empty rectangle has no hotspot.
    RECT close, maximize, restore, post, homepage;
    const char* creator;  // for the About box; the library's own static text
    const char* comments;
    std::int32_t pictureLeft, pictureTop;  // where the program draws the picture
};

// Called on every paint of the display window, between a save and a restore of
// the context's state.
typedef DisplayResult(__cdecl* DrawDisplayFunction)(HDC dc, const DisplayTexts* texts,
                                                    const DisplaySettings* settings,
                                                    const DisplayLayout* layout, HWND window);

}  // extern "C"

// The library's file name and its entry point's name.
inline constexpr char kDisplayLibraryName[] = "ctlitedisplay.dll";
inline constexpr char kDrawDisplayName[] = "DrawDisplay";
