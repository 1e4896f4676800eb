// ctlitedisplay.dll: the card. A header band with the name, the company and the
// group, the four hotspot marks at its right; below it the picture (the program
// draws it where we say), then the phone numbers, address, e-mail and homepage as
// captioned rows beside it, and the note underneath. Everything is drawn in the
// user's three colours and font; rows that do not fit are cut off, not squeezed.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "outside/display/display_plugin.h"

namespace {

constexpr char kCreator[] = "Contavo Lite card";
constexpr char kComments[] =
    "Shows the selected entry: name, company, phone numbers, address, e-mail, homepage and note.";
constexpr char kDefaultFace[] = "Tahoma";

constexpr int kMargin = 10;
constexpr int kMark = 14;  // a hotspot mark's side
constexpr int kMarkGap = 4;
constexpr int kRowHeight = 16;
constexpr int kNarrowestRows = 180;  // the least width for the rows beside the picture

COLORREF blend(COLORREF from, COLORREF to, int percent) {
    auto mix = [&](int a, int b) { return a + (b - a) * percent / 100; };
    return RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
               mix(GetBValue(from), GetBValue(to)));
}

bool empty(const char* text) {
    return !text || !*text;
}

// A caption as the user set it, without the colon the entry editor shows.
std::string caption(const char* label, const char* fallback) {
    std::string text = empty(label) ? fallback : label;
    while (!text.empty() && (text.back() == ':' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? fallback : text;
}

// GDI objects made for one paint and deleted after it.
class Fonts {
public:
    Fonts(const char* face, bool maximized) {
        const char* name = empty(face) ? kDefaultFace : face;
        title = make(name, maximized ? 20 : 16, FW_BOLD, false);
        body = make(name, 13, FW_NORMAL, false);
        small = make(name, 11, FW_NORMAL, false);
        link = make(name, 13, FW_NORMAL, true);
    }
    ~Fonts() {
        for (HFONT f : {title, body, small, link})
            DeleteObject(f);
    }
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    HFONT title, body, small, link;

private:
    static HFONT make(const char* face, int height, int weight, bool underline) {
        return CreateFontA(-height, 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, face);
    }
};

void fill(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void frame(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FrameRect(dc, &r, brush);
    DeleteObject(brush);
}

void line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// Text in one line, cut with an ellipsis at `right`; returns the rectangle it took.
// Every text is drawn as it stands: an "&" is a character, never a mnemonic.
RECT text(HDC dc, const std::string& s, int x, int y, int right, HFONT font, COLORREF colour) {
    SelectObject(dc, font);
    SetTextColor(dc, colour);
    RECT r{x, y, std::max(x, right), y + kRowHeight + 8};
    const UINT flags = DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;
    RECT measured = r;
    DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &measured, flags | DT_CALCRECT);
    DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &r, flags);
    measured.right = std::min(measured.right, r.right);
    return measured;
}

// The hotspot marks: small framed squares with a glyph drawn in lines.
enum class Glyph { Close, Maximize, Restore, Post };

void mark(HDC dc, const RECT& r, Glyph glyph, COLORREF ink, COLORREF face) {
    fill(dc, r, face);
    frame(dc, r, ink);
    HPEN pen = CreatePen(PS_SOLID, 1, ink);
    HGDIOBJ old = SelectObject(dc, pen);
    int l = r.left + 3, t = r.top + 3, rr = r.right - 4, b = r.bottom - 4;
    switch (glyph) {
        case Glyph::Close:
            line(dc, l, t, rr + 1, b + 1);
            line(dc, rr, t, l - 1, b + 1);
            break;
        case Glyph::Maximize:
            Rectangle(dc, l, t, rr + 1, b + 1);
            line(dc, l, t + 1, rr, t + 1);
            break;
        case Glyph::Restore:
            Rectangle(dc, l + 2, t, rr + 1, b - 1);
            Rectangle(dc, l, t + 3, rr - 1, b + 1);
            break;
        case Glyph::Post:  // a card with two lines of writing
            Rectangle(dc, l, t + 1, rr + 1, b + 1);
            line(dc, l + 2, t + 4, rr - 1, t + 4);
            line(dc, l + 2, t + 6, rr - 3, t + 6);
            break;
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

struct Row {
    std::string label;
    std::string value;
};

}  // namespace

extern "C" __declspec(dllexport) DisplayResult
    __cdecl DrawDisplay(HDC dc, const DisplayTexts* texts, const DisplaySettings* settings,
                        const DisplayLayout* layout, HWND) {
    DisplayResult result{};
    result.creator = kCreator;
    result.comments = kComments;
    if (!dc || !texts || !settings || !layout)
        return result;
    const RECT& area = layout->displayClient;
    const COLORREF ink = settings->textColour, paper = settings->backgroundColour;
    const COLORREF quiet = blend(paper, ink, 60), band = blend(paper, ink, 12);
    const bool maximized = settings->maximized != 0;
    Fonts fonts(settings->fontFace, maximized);
    SetBkMode(dc, TRANSPARENT);
    HRGN clip = CreateRectRgnIndirect(&area);
    SelectClipRgn(dc, clip);
    DeleteObject(clip);

    fill(dc, area, paper);

    // The header band: name, company, group; the marks at the right.
    const bool hasCompany = !empty(texts->companyName);
    const int titleHeight = maximized ? 24 : 20;
    // Two lines: the name, then the company at the left and the group at the right.
    RECT header{area.left, area.top, area.right, area.top + 10 + titleHeight + 16};
    fill(dc, header, band);
    int x = area.right - kMargin + 4;
    auto nextMark = [&](Glyph glyph, RECT& hotspot) {
        x -= kMark;
        hotspot = {x, area.top + 6, x + kMark, area.top + 6 + kMark};
        mark(dc, hotspot, glyph, quiet, paper);
        x -= kMarkGap;
    };
    nextMark(Glyph::Close, result.close);
    nextMark(maximized ? Glyph::Restore : Glyph::Maximize,
             maximized ? result.restore : result.maximize);
    nextMark(Glyph::Post, result.post);
    const int textRight = x - kMarkGap;
    std::string name = texts->fullName ? texts->fullName : "";
    if (name.find_first_not_of(' ') == std::string::npos)
        name = hasCompany ? texts->companyName : "";
    text(dc, name, area.left + kMargin, area.top + 5, textRight, fonts.title, ink);
    const int secondLine = area.top + 5 + titleHeight;
    int companyRight = area.right - kMargin;
    if (!empty(texts->groupName)) {
        SelectObject(dc, fonts.small);
        SIZE size{};
        GetTextExtentPoint32A(dc, texts->groupName, static_cast<int>(std::strlen(texts->groupName)),
                              &size);
        int groupLeft = static_cast<int>(
            std::max<LONG>(area.left + kMargin + 40, area.right - kMargin - size.cx));
        text(dc, texts->groupName, groupLeft, secondLine + 2, area.right - kMargin, fonts.small,
             quiet);
        companyRight = groupLeft - 8;
    }
    if (hasCompany && name != texts->companyName)
        text(dc, texts->companyName, area.left + kMargin, secondLine, companyRight, fonts.body,
             quiet);
    {
        HPEN pen = CreatePen(PS_SOLID, 1, blend(paper, ink, 30));
        HGDIOBJ old = SelectObject(dc, pen);
        line(dc, area.left, header.bottom, area.right, header.bottom);
        SelectObject(dc, old);
        DeleteObject(pen);
    }

    // The picture at the left of the body; the rows beside it, or under it when
    // beside it they would have too little room.
    const int top = header.bottom + 8;
    int y = top;
    int left = area.left + kMargin;
    result.pictureLeft = left;
    result.pictureTop = top;
    int pictureBottom = top;
    if (settings->pictureWidth > 0 && settings->pictureHeight > 0) {
        RECT border{left - 1, top - 1, left + settings->pictureWidth + 1,
                    top + settings->pictureHeight + 1};
        frame(dc, border, blend(paper, ink, 30));
        pictureBottom = top + settings->pictureHeight + 2;
        if (area.right - kMargin - (left + settings->pictureWidth + kMargin) >= kNarrowestRows)
            left += settings->pictureWidth + kMargin;
        else
            y = pictureBottom + 6;
    }

    Row rows[] = {
        {caption(settings->workLabel, "Work"), texts->workPhone},
        {caption(settings->homeLabel, "Home"), texts->homePhone},
        {caption(settings->mobileLabel, "Mobile"), texts->mobilePhone},
        {caption(settings->faxLabel, "Fax"), texts->fax},
        {caption(settings->pagerLabel, "Pager"), texts->pager},
        {"Address", texts->streetAddress},
        {empty(texts->streetAddress) ? "Address" : "", texts->cityLine},
        {"", texts->country},
        {"E-mail", texts->emailAddress},
    };
    SelectObject(dc, fonts.small);
    int labelWidth = 0;
    for (const Row& row : rows) {
        SIZE size{};
        if (!row.value.empty() &&
            GetTextExtentPoint32A(dc, row.label.c_str(), static_cast<int>(row.label.size()), &size))
            labelWidth = std::max(labelWidth, static_cast<int>(size.cx));
    }
    SIZE linkLabel{};
    GetTextExtentPoint32A(dc, "Homepage", 8, &linkLabel);
    if (!empty(texts->homepage))
        labelWidth = std::max(labelWidth, static_cast<int>(linkLabel.cx));
    const int valueLeft = left + labelWidth + 8, right = area.right - kMargin;
    for (const Row& row : rows) {
        if (row.value.find_first_not_of(' ') == std::string::npos)
            continue;
        text(dc, row.label, left, y + 1, valueLeft - 4, fonts.small, quiet);
        text(dc, row.value, valueLeft, y, right, fonts.body, ink);
        y += kRowHeight;
    }
    if (!empty(texts->homepage)) {
        text(dc, "Homepage", left, y + 1, valueLeft - 4, fonts.small, quiet);
        result.homepage =
            text(dc, texts->homepage, valueLeft, y, right, fonts.link, settings->linkColour);
        y += kRowHeight;
    }

    // The note under everything else, wrapped.
    if (!empty(texts->note)) {
        int noteTop = std::max(y, pictureBottom) + 6;
        HPEN pen = CreatePen(PS_DOT, 1, blend(paper, ink, 30));
        HGDIOBJ old = SelectObject(dc, pen);
        line(dc, area.left + kMargin, noteTop, area.right - kMargin, noteTop);
        SelectObject(dc, old);
        DeleteObject(pen);
        RECT note{area.left + kMargin, noteTop + 5, area.right - kMargin, area.bottom - 4};
        SelectObject(dc, fonts.body);
        SetTextColor(dc, ink);
        DrawTextA(dc, texts->note, -1, &note,
                  DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    frame(dc, area, blend(paper, ink, 30));
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    SelectClipRgn(dc, nullptr);
    return result;
}
