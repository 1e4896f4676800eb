#include "addressbook/picture/picture.h"

#include "addressbook/picture/last_picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>

#include "tests/support/jpeg_maker.h"

using namespace ctlite;

namespace {

std::uint32_t at32(const std::string& s, std::size_t i) {
    auto* p = reinterpret_cast<const unsigned char*>(s.data() + i);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t signed32(const std::string& s, std::size_t i) {
    return static_cast<std::int32_t>(at32(s, i));
}
void put32(std::string& s, std::size_t i, std::uint32_t v) {
    for (int k = 0; k < 4; ++k)
        s[i + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
}

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(PICTURE_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A .bmp file made field by field, so that each test can lie in one place.
struct BmpShape {
    std::int32_t width = 5, height = 3;
    unsigned bitCount = 8;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::uint32_t headerSize = 40;
    int tableEntries = -1;  // -1: as many as the bit count addresses (none above 8 bits)
    std::uint32_t gap = 0;  // bytes between the table and the rows
    bool honestOffset = true;
};

std::string makeBmp(const BmpShape& b) {
    int entries = b.tableEntries >= 0 ? b.tableEntries : (b.bitCount <= 8 ? 1 << b.bitCount : 0);
    std::uint32_t masks = b.compression == 3 && b.headerSize == 40 ? 12 : 0;
    std::uint32_t rows = static_cast<std::uint32_t>(b.height < 0 ? -b.height : b.height);
    std::uint32_t stride = (static_cast<std::uint32_t>(b.width) * b.bitCount + 31) / 32 * 4;
    std::uint32_t bitsOffset = 14 + b.headerSize + masks + 4 * entries + b.gap;
    std::string f(bitsOffset + stride * rows, '\0');
    f[0] = 'B';
    f[1] = 'M';
    put32(f, 2, static_cast<std::uint32_t>(f.size()));
    put32(f, 10, b.honestOffset ? bitsOffset : 0);
    put32(f, 14, b.headerSize);
    put32(f, 18, static_cast<std::uint32_t>(b.width));
    put32(f, 22, static_cast<std::uint32_t>(b.height));
    f[26] = 1;
    f[28] = static_cast<char>(b.bitCount);
    put32(f, 30, b.compression);
    put32(f, 46, b.coloursUsed);
    if (b.compression == 3) {  // 5-6-5 or 8-8-8 masks
        bool wide = b.bitCount == 32;
        put32(f, 54, wide ? 0xFF0000 : 0xF800);
        put32(f, 58, wide ? 0x00FF00 : 0x07E0);
        put32(f, 62, wide ? 0x0000FF : 0x001F);
    }
    for (int i = 0; i < entries; ++i) {  // entry i is (red i, green 2i, blue 3i)
        std::size_t at = 14 + b.headerSize + masks + 4 * i;
        f[at] = static_cast<char>(3 * i);
        f[at + 1] = static_cast<char>(2 * i);
        f[at + 2] = static_cast<char>(i);
    }
    for (std::size_t i = bitsOffset; i < f.size(); ++i)
        f[i] = static_cast<char>(i * 7);
    return f;
}

}  // namespace

TEST(PictureKind, OnlyBmpAndJpgAfterTheLastDotInAnyCase) {
    const struct {
        const char* path;
        PictureKind kind;
    } cases[] = {
        {"C:\\photos\\ann.bmp", PictureKind::Bitmap},
        {"ANN.BMP", PictureKind::Bitmap},
        {"ann.JPG", PictureKind::Jpeg},
        {"a.b.jpg", PictureKind::Jpeg},
        {"ann.jpeg", PictureKind::None},
        {"ann.", PictureKind::None},
        {"ann", PictureKind::None},
        {"", PictureKind::None},
        {"C:\\my.pics\\ann", PictureKind::None},
        {"ann.gif", PictureKind::None},
        {".bmp", PictureKind::Bitmap},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pictureKind(c.path), c.kind) << c.path;
}

TEST(ReadBmp, EveryBitCountAndTableShape) {
    struct Case {
        const char* what;
        BmpShape shape;
        std::size_t paletteSize;
    };
    BmpShape oneBit, fourBit, eightBitTen, twentyFour, bitFields16, bitFields32, topDown, v4Header,
        trueColourWithTable, gapBeforeRows;
    oneBit.bitCount = 1;
    fourBit.bitCount = 4;
    eightBitTen.coloursUsed = 10;
    eightBitTen.tableEntries = 10;
    twentyFour.bitCount = 24;
    bitFields16.bitCount = 16;
    bitFields16.compression = 3;
    bitFields32.bitCount = 32;
    bitFields32.compression = 3;
    topDown.bitCount = 24;
    topDown.height = -3;
    v4Header.headerSize = 108;
    v4Header.bitCount = 32;
    v4Header.compression = 3;
    trueColourWithTable.bitCount = 24;
    trueColourWithTable.coloursUsed = 4;
    trueColourWithTable.tableEntries = 4;
    gapBeforeRows.gap = 20;
    const Case cases[] = {
        {"1 bit", oneBit, 2},
        {"4 bits", fourBit, 16},
        {"8 bits, colours used 0", BmpShape{}, 256},
        {"8 bits, 10 colours used", eightBitTen, 10},
        {"24 bits", twentyFour, 0},
        {"16 bits, bit fields", bitFields16, 0},
        {"32 bits, bit fields", bitFields32, 0},
        {"24 bits, top-down", topDown, 0},
        {"108-byte header", v4Header, 0},
        {"24 bits with a table", trueColourWithTable, 4},
        {"rows after a gap", gapBeforeRows, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string file = makeBmp(c.shape);
        std::optional<Picture> p = readBmp(file);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->width, c.shape.width);
        EXPECT_EQ(p->height, 3);
        EXPECT_EQ(p->palette.size(), c.paletteSize);
        if (c.paletteSize > 1) {
            EXPECT_EQ(p->palette[1], (Rgb{1, 2, 3}));  // swapped into red, green, blue
        }
        // The info block is a plain 40-byte header, the masks, the table.
        std::size_t masks = c.shape.compression == 3 ? 12 : 0;
        ASSERT_EQ(p->info.size(), 40 + masks + 4 * c.paletteSize);
        EXPECT_EQ(at32(p->info, 0), 40u);
        EXPECT_EQ(signed32(p->info, 8), c.shape.height);
        EXPECT_EQ(at32(p->info, 32), c.paletteSize);
        // The rows are the file's last bytes.
        EXPECT_EQ(p->bits, file.substr(file.size() - p->bits.size()));
        std::uint32_t stride = (5 * c.shape.bitCount + 31) / 32 * 4;
        EXPECT_EQ(p->bits.size(), stride * 3);
    }
}

TEST(ReadBmp, ADataOffsetThatDoesNotFitIsNotBelieved) {
    BmpShape shape;
    shape.honestOffset = false;  // zero: inside the headers
    std::string file = makeBmp(shape);
    std::optional<Picture> p = readBmp(file);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->bits, file.substr(14 + 40 + 1024));
    put32(file, 10, 0xFFFFFFF0);  // past the end
    p = readBmp(file);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->bits, file.substr(14 + 40 + 1024));
}

TEST(ReadBmp, HostileOrShortFilesGiveNoPicture) {
    auto lie = [](std::size_t at, std::uint32_t value, BmpShape shape = {}) {
        std::string f = makeBmp(shape);
        put32(f, at, value);
        return f;
    };
    BmpShape twentyFour;
    twentyFour.bitCount = 24;
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"empty", ""},
        {"bad magic", "MB" + makeBmp({}).substr(2)},
        {"file header only", makeBmp({}).substr(0, 14)},
        {"header size past the end", lie(14, 0x7FFFFFFF)},
        {"header size 12 (the old OS/2 header)", lie(14, 12)},
        {"colours used past what 8 bits address", lie(46, 257)},
        {"colours used huge with 24 bits", lie(46, 0xFFFFFFFF, twentyFour)},
        {"width 0", lie(18, 0)},
        {"negative width", lie(18, static_cast<std::uint32_t>(-5))},
        {"height 0", lie(22, 0)},
        {"the lowest height", lie(22, 0x80000000)},
        {"width times height huge", lie(18, 0x7FFFFFFF)},
        {"more rows than bytes", lie(22, 4000)},
        {"bit count 7", lie(28, 7)},
        {"run-length compression", lie(30, 1)},
        {"bit fields at 24 bits", lie(30, 3, twentyFour)},
        {"jpeg inside", lie(30, 4)},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(readBmp(c.file)) << c.what;
    // Every file cut short anywhere.
    for (BmpShape shape : {BmpShape{}, twentyFour}) {
        std::string whole = makeBmp(shape);
        ASSERT_TRUE(readBmp(whole));
        for (std::size_t n = 0; n < whole.size(); ++n)
            ASSERT_FALSE(readBmp(whole.substr(0, n))) << n << " of " << whole.size();
    }
}

// libjpeg-turbo's djpeg made the .bmp files beside the pictures (make_fixtures.sh);
// the same library with the same settings must give the same pixels and palette.
TEST(DecodeJpeg, MatchesDjpegPixelForPixel) {
    for (const char* name : {"colour", "progressive", "grey"}) {
        SCOPED_TRACE(name);
        std::string expected = fixture(std::string(name) + ".bmp");
        ASSERT_GT(expected.size(), 54u);
        std::optional<Picture> p = decodeJpeg(fixture(std::string(name) + ".jpg"));
        ASSERT_TRUE(p);
        EXPECT_EQ(p->width, signed32(expected, 18));
        EXPECT_EQ(p->height, signed32(expected, 22));
        EXPECT_EQ(signed32(p->info, 8), p->height);  // bottom-up
        EXPECT_EQ(at32(p->info, 14) & 0xFFFF, 8u);
        bool grey = std::string(name) == "grey";
        ASSERT_EQ(p->palette.size(), grey ? 256u : 128u);
        // djpeg pads its table to 256 entries; the rows follow it.
        std::size_t table = 54;
        for (std::size_t i = 0; i < p->palette.size(); ++i) {
            auto* q = reinterpret_cast<const unsigned char*>(expected.data() + table + 4 * i);
            ASSERT_EQ(p->palette[i], (Rgb{q[2], q[1], q[0]})) << "entry " << i;
            EXPECT_EQ(p->info.substr(40 + 4 * i, 3), expected.substr(table + 4 * i, 3));
        }
        EXPECT_EQ(p->bits, expected.substr(at32(expected, 10)));
    }
}

TEST(DecodeJpeg, DamagedForeignOrHugeFilesGiveNoPicture) {
    std::string good = fixture("colour.jpg");
    ASSERT_TRUE(decodeJpeg(good));
    // Claims 60000 x 60000 pixels in its frame header.
    std::string huge = good;
    std::size_t frame = huge.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    huge[frame + 5] = huge[frame + 7] = static_cast<char>(0xEA);
    huge[frame + 6] = huge[frame + 8] = 0x60;
    std::string cmyk = testing_support::makeJpeg(8, 8, testing_support::JpegKind::AdobeCmyk,
                                                 [](int, int, int) { return 100; });
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"empty", ""},
        {"not a JPEG", makeBmp({})},
        {"only the start marker", good.substr(0, 2)},
        {"cut in its headers", good.substr(0, 200)},
        {"cut in its data", good.substr(0, good.size() - 300)},
        {"60000 x 60000", huge},
        {"CMYK, which libjpeg cannot turn into red, green and blue", cmyk},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(decodeJpeg(c.file)) << c.what;
}

int wave(int x, int y, int c) {
    return (x * 7 + y * 3 + c * 50) % 256;
}

// Scans that send the same coefficients again cost a pass over the picture each;
// past the limit the file is refused, however many scans follow.
TEST(DecodeJpeg, ProgressiveFilesAreReadToAtMostTheScanLimit) {
    const std::string plain = testing_support::makeWholeScanJpeg(40, 24, wave);
    const std::optional<Picture> original = decodeJpeg(plain);
    ASSERT_TRUE(original);
    // The file has 4 scans; its last one is sent again until the file has exactly
    // the limit, then one more.
    const std::optional<Picture> atLimit =
        decodeJpeg(testing_support::repeatScan(plain, 3, kMaxJpegScans - 4));
    ASSERT_TRUE(atLimit);
    EXPECT_EQ(atLimit->bits, original->bits);
    EXPECT_EQ(atLimit->palette, original->palette);
    EXPECT_FALSE(decodeJpeg(testing_support::repeatScan(plain, 3, kMaxJpegScans - 3)))
        << "one scan over";
    EXPECT_FALSE(decodeJpeg(testing_support::repeatScan(plain, 1, 5000)));
}

// libjpeg's default script starts with the DC coefficients less their lowest bit;
// sending that scan twice leaves the next scan refining bits that were already sent.
TEST(DecodeJpeg, ScansOutOfProgressionOrderGiveNoPicture) {
    const std::string good =
        testing_support::makeJpeg(40, 24, testing_support::JpegKind::Rgb, wave, true);
    ASSERT_TRUE(decodeJpeg(good));
    EXPECT_FALSE(decodeJpeg(testing_support::repeatScan(good, 0, 1)));
}

// A picture larger than its room comes at the largest scale N/8 that fits, the
// right way up: the top row of the file is the last row stored.
TEST(DecodeJpeg, ALargePictureIsDecodedAtTheScaleThatFitsItsRoom) {
    for (auto kind : {testing_support::JpegKind::Rgb, testing_support::JpegKind::Gray}) {
        const std::string photo = testing_support::makeJpeg(
            1250, 800, kind, [](int, int y, int) { return y < 400 ? 255 : 0; });
        const struct {
            PictureRoom room;
            std::int32_t width, height;
        } cases[] = {
            {{0, 0}, 1250, 800},    {{1250, 800}, 1250, 800}, {{1249, 800}, 1094, 700},
            {{700, 700}, 625, 400}, {{0, 400}, 625, 400},     {{100, 50}, 157, 100},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.room.width << " x " << c.room.height);
            std::optional<Picture> p = decodeJpeg(photo, c.room);
            ASSERT_TRUE(p);
            EXPECT_EQ(p->width, c.width);
            EXPECT_EQ(p->height, c.height);
            EXPECT_EQ(signed32(p->info, 4), c.width);
            EXPECT_EQ(signed32(p->info, 8), c.height);
            const std::size_t stride = (static_cast<std::size_t>(c.width) + 3) & ~std::size_t{3};
            ASSERT_EQ(p->bits.size(), stride * static_cast<std::size_t>(c.height));
            const Rgb bottom = p->palette.at(static_cast<unsigned char>(p->bits.front()));
            const Rgb top = p->palette.at(static_cast<unsigned char>(
                p->bits[stride * static_cast<std::size_t>(c.height - 1)]));
            EXPECT_LT(bottom.green, 64);
            EXPECT_GT(top.green, 192);
        }
    }
}

TEST(DecodePicture, GoesByKind) {
    EXPECT_TRUE(decodePicture(PictureKind::Bitmap, makeBmp({})));
    EXPECT_FALSE(decodePicture(PictureKind::Jpeg, makeBmp({})));
    EXPECT_FALSE(decodePicture(PictureKind::None, makeBmp({})));
    EXPECT_TRUE(decodePicture(PictureKind::Jpeg, fixture("grey.jpg")));
}

// What the display window does at each selection: the picture of the entry's file.
TEST(LastPicture, AFileThatFailedIsNotDecodedAgainUntilItChanges) {
    LastPicture last;
    int decodes = 0;
    const std::string hostile = testing_support::repeatScan(
        testing_support::makeWholeScanJpeg(16, 16, wave), 1, kMaxJpegScans);
    auto decodeHostile = [&]() {
        ++decodes;
        return decodeJpeg(hostile);
    };
    EXPECT_FALSE(last.get("bad.jpg", {hostile.size(), 7}, {}, decodeHostile));
    EXPECT_FALSE(last.get("bad.jpg", {hostile.size(), 7}, {}, decodeHostile));
    EXPECT_EQ(decodes, 1);
    // Written again, or another file of the same path and size.
    EXPECT_FALSE(last.get("bad.jpg", {hostile.size(), 8}, {}, decodeHostile));
    EXPECT_FALSE(last.get("bad.jpg", {hostile.size() + 1, 8}, {}, decodeHostile));
    EXPECT_EQ(decodes, 3);
}

TEST(LastPicture, KeepsOnlyTheFileAskedForLast) {
    LastPicture last;
    int decodes = 0;
    auto decodeGrey = [&]() {
        ++decodes;
        return decodePicture(PictureKind::Jpeg, fixture("grey.jpg"));
    };
    const std::shared_ptr<const Picture> first = last.get("a.jpg", {10, 1}, {}, decodeGrey);
    ASSERT_TRUE(first);
    EXPECT_EQ(last.get("a.jpg", {10, 1}, {}, decodeGrey), first);
    EXPECT_EQ(decodes, 1);
    EXPECT_TRUE(last.get("b.jpg", {10, 1}, {}, decodeGrey));
    EXPECT_TRUE(last.get("a.jpg", {10, 1}, {}, decodeGrey));
    EXPECT_EQ(decodes, 3);
    // The same file for a card of another size.
    EXPECT_TRUE(last.get("a.jpg", {10, 1}, {300, 200}, decodeGrey));
    EXPECT_EQ(decodes, 4);
}
