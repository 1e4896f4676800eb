// The card library called directly, as the display window calls it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/win32/card_call.h"
#include "tests/support/win32/driver.h"

using namespace testing_support;

namespace {

bool isEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}
bool inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The texts a card draws, as a metafile records them.
std::vector<std::wstring> drawnTexts(CardLibrary& card, const CardInput& in) {
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    card.drawInto(dc, in);
    HENHMETAFILE recording = CloseEnhMetaFile(dc);
    std::vector<std::wstring> texts;
    auto collect = [](HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM out) -> int {
        const auto* call = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        if (record->iType == EMR_EXTTEXTOUTW)
            reinterpret_cast<std::vector<std::wstring>*>(out)->emplace_back(
                reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(record) +
                                                 call->emrtext.offString),
                call->emrtext.nChars);
        return 1;
    };
    EnumEnhMetaFile(nullptr, recording, collect, &texts, nullptr);
    DeleteEnhMetaFile(recording);
    return texts;
}

class CardPainter : public testing::Test {
protected:
    CardLibrary card{windowsPath(CTLITEDISPLAY_DLL)};
};

}  // namespace

TEST_F(CardPainter, MarksDependOnTheMaximizedFlag) {
    ASSERT_TRUE(card.loaded());
    const RECT client{0, 0, 300, 200};
    for (bool maximized : {false, true}) {
        SCOPED_TRACE(maximized ? "maximized" : "restored");
        CardInput in;
        in.maximized = maximized;
        DisplayResult r = card.draw(in).result;
        EXPECT_EQ(isEmpty(r.maximize), maximized);
        EXPECT_EQ(isEmpty(r.restore), !maximized);
        for (const RECT& mark : {r.close, r.post, maximized ? r.restore : r.maximize}) {
            EXPECT_FALSE(isEmpty(mark));
            EXPECT_TRUE(inside(mark, client));
        }
        RECT overlap;
        EXPECT_FALSE(IntersectRect(&overlap, &r.close, &r.post));
        EXPECT_STRNE(r.creator, "");
        EXPECT_STRNE(r.comments, "");
    }
}

TEST_F(CardPainter, HomepageIsAHotspotOnlyWhenThereIsOne) {
    ASSERT_TRUE(card.loaded());
    CardInput in;
    EXPECT_TRUE(isEmpty(card.draw(in).result.homepage));
    in.homepage = "http://example.com/ann";
    in.link = RGB(0, 200, 0);
    CardOutput out = card.draw(in);
    const RECT& link = out.result.homepage;
    ASSERT_FALSE(isEmpty(link));
    EXPECT_TRUE(inside(link, RECT{0, 0, in.width, in.height}));
    // Drawn in the link colour (at least its underline).
    bool linkColoured = false;
    for (int y = link.top; y < link.bottom && !linkColoured; ++y)
        for (int x = link.left; x < link.right && !linkColoured; ++x)
            linkColoured = out.pixel(x, y) == in.link;
    EXPECT_TRUE(linkColoured);
}

TEST_F(CardPainter, LeavesRoomForThePictureAndUsesTheBackground) {
    ASSERT_TRUE(card.loaded());
    CardInput in;
    in.background = RGB(250, 240, 230);
    in.homepage = "http://example.com";
    in.pictureWidth = 64;
    in.pictureHeight = 48;
    CardOutput out = card.draw(in);
    const DisplayResult& r = out.result;
    EXPECT_GE(r.pictureLeft, 0);
    EXPECT_GT(r.pictureTop, r.close.bottom);  // under the header
    EXPECT_LE(r.pictureLeft + 64, in.width);
    // The rows go beside the picture, not over it.
    EXPECT_GE(r.homepage.left, r.pictureLeft + 64);
    // The picture's place is left in the background for the program to draw on.
    EXPECT_EQ(out.pixel(r.pictureLeft + 32, r.pictureTop + 24), in.background);
    // Without a picture the rows move over into its place.
    in.pictureWidth = in.pictureHeight = 0;
    EXPECT_LE(card.draw(in).result.homepage.left, r.homepage.left - 64);
    // On a narrow card they go under the picture.
    in.width = 200;
    in.pictureWidth = 64;
    in.pictureHeight = 48;
    DisplayResult narrow = card.draw(in).result;
    EXPECT_GE(narrow.homepage.top, narrow.pictureTop + 48);
    EXPECT_LT(narrow.homepage.left, r.homepage.left);
}

TEST_F(CardPainter, AnAmpersandIsDrawnAsItStands) {
    ASSERT_TRUE(card.loaded());
    CardInput in;
    in.fullName = "Ann & Bo Lee";
    in.company = "Fjord, Bakeri & Co";
    std::vector<std::wstring> texts = drawnTexts(card, in);
    for (const wchar_t* want : {L"Ann & Bo Lee", L"Fjord, Bakeri & Co"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), want), texts.end()) << want;
}
