#include "addressbook/model/entry.h"

#include <gtest/gtest.h>

#include "addressbook/model/password.h"
#include "addressbook/model/search_pattern.h"
#include "addressbook/model/text.h"
#include "tests/support/book_builder.h"

using namespace ctlite;
using testing_support::makeEntry;

TEST(Entry, FieldsAreIndependentAndStartEmpty) {
    Entry e;
    EXPECT_TRUE(e.isEmpty());
    for (int f = 0; f < kFieldCount; ++f) {
        e.set(static_cast<Field>(f), "value " + std::to_string(f));
    }
    for (int f = 0; f < kFieldCount; ++f) {
        EXPECT_EQ(e.get(static_cast<Field>(f)), "value " + std::to_string(f));
        EXPECT_STREQ(e.c_str(static_cast<Field>(f)), ("value " + std::to_string(f)).c_str());
    }
    e.set(Field::Note, "");
    EXPECT_EQ(e.get(Field::Note), "");
    EXPECT_EQ(e.get(Field::Homepage), "value 12");
    e.clear();
    EXPECT_TRUE(e.isEmpty());
    EXPECT_STREQ(e.c_str(Field::City), "");
}

TEST(Entry, SettingAFieldFromItsOwnTextIsSafe) {
    Entry e = makeEntry({{Field::FirstName, "Annabel"}, {Field::City, "Paris"}});
    e.set(Field::LastName, e.get(Field::FirstName).substr(0, 4));
    e.set(Field::FirstName, e.get(Field::City));
    EXPECT_EQ(e.get(Field::LastName), "Anna");
    EXPECT_EQ(e.get(Field::FirstName), "Paris");
}

TEST(Entry, CopiesAreValuesOfTheirOwn) {
    Entry a = makeEntry({{Field::FirstName, "Ann"}});
    Entry b = a;
    b.set(Field::FirstName, "Bea");
    EXPECT_EQ(a.get(Field::FirstName), "Ann");
    EXPECT_NE(a, b);
    b = a;
    EXPECT_EQ(a, b);
}

TEST(Entry, ReservedBytesNeverReachAnEntry) {
    Entry e;
    e.set(Field::Note,
          std::string("line\r\nnext\x05\x13\x07", 12) + std::string(1, '\0') + "end\x18\x0E");
    EXPECT_EQ(e.get(Field::Note), "line\r\nnextend");
    e.set(Field::FirstName, "\x01\x02\x03\x04\x06\x0C\x11\x16");
    EXPECT_EQ(e.get(Field::FirstName), "");
    // Other control bytes and 8-bit text are kept.
    e.set(Field::City, "\tZ\xFCrich\x7F");
    EXPECT_EQ(e.get(Field::City), "\tZ\xFCrich\x7F");
}

// The look for reserved bytes takes many bytes at a time: one is found wherever it lies.
TEST(Entry, AReservedByteIsFoundAnywhereInALongText) {
    for (std::size_t at = 0; at < 40; ++at)
        for (char reserved : {'\0', '\x01', '\x05', '\x18'}) {
            std::string text(40, 'x');
            text[at] = reserved;
            EXPECT_TRUE(hasReservedBytes(text)) << at;
        }
    std::string kept(40, 'x');
    kept[5] = '\x19';
    kept[17] = '\t';
    kept[30] = '\n';
    kept[33] = '\r';
    EXPECT_FALSE(hasReservedBytes(kept));
}

TEST(Entry, DisplayNames) {
    Entry e = makeEntry({{Field::FirstName, "Ann"}, {Field::LastName, "Smith"}});
    EXPECT_EQ(e.lastNameDisplay(), "Smith, Ann");
    EXPECT_EQ(e.firstNameDisplay(), "Ann Smith");
    e.set(Field::LastName, "");
    EXPECT_EQ(e.lastNameDisplay(), "Ann");
    EXPECT_EQ(e.firstNameDisplay(), "Ann ");
    e = makeEntry({{Field::LastName, "Smith"}});
    EXPECT_EQ(e.lastNameDisplay(), "Smith, ");
    EXPECT_EQ(e.firstNameDisplay(), " Smith");
}

TEST(Entry, CityLine) {
    auto line = [](const char* city, const char* state, const char* zip) {
        return makeEntry({{Field::City, city}, {Field::State, state}, {Field::ZipCode, zip}})
            .cityLine();
    };
    EXPECT_EQ(line("Springfield", "IL", "62701"), "Springfield, IL 62701");
    EXPECT_EQ(line("Paris", "", "12345"), "Paris 12345");
    EXPECT_EQ(line("", "IL", "62701"), "IL 62701");
    EXPECT_EQ(line("", "", "12345"), "12345");
    EXPECT_EQ(line("", "", ""), "");
    EXPECT_EQ(line("Paris", "", ""), "Paris ");
    EXPECT_EQ(line("Springfield", "IL", ""), "Springfield, IL ");
}

TEST(Entry, Placeholder) {
    EntryPlaceholder p;
    EXPECT_TRUE(p.isPlaceholder());
    EXPECT_EQ(p.get(Field::FirstName), "{ EMPTY }");
    for (int f = 0; f < kFieldCount; ++f)
        if (static_cast<Field>(f) != Field::FirstName) {
            EXPECT_EQ(p.get(static_cast<Field>(f)), "");
        }
    EXPECT_FALSE(makeEntry({{Field::FirstName, "{ EMPTY } "}}).isPlaceholder());
}

TEST(Entry, MatchTests) {
    Entry e = makeEntry({{Field::FirstName, "Ann"},
                         {Field::LastName, "Smith"},
                         {Field::CompanyName, "Acme Widgets"},
                         {Field::Picture, "C:\\pics\\secretword.bmp"},
                         {Field::PagerNumber, "555-0199"},
                         {Field::Note, "likes jazz"}});
    auto matches = [&](SearchMode mode, const char* text) {
        SearchPattern pattern(text);
        return e.matches(mode, pattern);
    };
    EXPECT_TRUE(matches(SearchMode::Names, "ann smith"));
    EXPECT_TRUE(matches(SearchMode::Names, "N S"));
    EXPECT_FALSE(matches(SearchMode::Names, "acme"));
    EXPECT_TRUE(matches(SearchMode::Company, "WIDGET"));
    EXPECT_FALSE(matches(SearchMode::Company, "smith"));
    EXPECT_TRUE(matches(SearchMode::AllFields, "JAZZ"));
    EXPECT_TRUE(matches(SearchMode::AllFields, "0199"));         // the last field searched
    EXPECT_TRUE(matches(SearchMode::AllFields, "ann smith"));    // spans two neighbouring fields
    EXPECT_FALSE(matches(SearchMode::AllFields, "secretword"));  // the picture is not searched
}

TEST(Text, FoldsWindows1252ToUpperCase) {
    EXPECT_EQ(foldedUpper("abc xyz 123"), "ABC XYZ 123");
    EXPECT_EQ(foldedUpper("\xE9\xE0\xFC\xFF\x9A\xF7"), "\xC9\xC0\xDC\x9F\x8A\xF7");
}

TEST(Password, RotatesPrintableCharactersOnly) {
    std::string stored = rotatePrintable("abc", kPasswordRotation);
    EXPECT_NE(stored, "abc");
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0], static_cast<char>((('a' - 0x20 + kPasswordRotation) % 95) + 0x20));
    EXPECT_EQ(rotatePrintable(stored, -kPasswordRotation), "abc");
    // The whole printable range maps onto itself; other bytes stay as they are.
    for (int c = 0; c < 256; ++c) {
        std::string one(1, static_cast<char>(c));
        std::string r = rotatePrintable(one, kPasswordRotation);
        if (c >= 0x20 && c <= 0x7E) {
            EXPECT_GE(static_cast<unsigned char>(r[0]), 0x20);
            EXPECT_LE(static_cast<unsigned char>(r[0]), 0x7E);
        } else {
            EXPECT_EQ(r, one);
        }
        EXPECT_EQ(rotatePrintable(r, -kPasswordRotation), one);
    }
    EXPECT_EQ(rotatePrintable("~", 1), " ");
    EXPECT_EQ(rotatePrintable(" ", -1), "~");
    EXPECT_EQ(rotatePrintable("a", 95 * 3), "a");
    EXPECT_EQ(rotatePrintable("a", -95 * 2 - 1), "`");
}

TEST(Entry, AllFieldsSearchAgreesWithTheJoinedFields) {
    // Every field in turn holds the needle; the picture and group name never match.
    for (int f = 1; f < kFieldCount; ++f) {
        Entry e;
        for (int g = 1; g < kFieldCount; ++g)
            e.set(static_cast<Field>(g), "x" + std::to_string(g));
        e.set(static_cast<Field>(f), "abc Needl\xE9 xyz");
        bool searched = static_cast<Field>(f) != Field::Picture;
        for (const char* needle : {"needl\xE9", "NEEDL\xC9", "abc n", "\xE9 xyz"}) {
            SearchPattern pattern(needle);
            EXPECT_EQ(e.matches(SearchMode::AllFields, pattern), searched) << f << " " << needle;
        }
    }
    // Across the blank that joins two neighbouring fields, and not across others.
    Entry e = makeEntry({{Field::City, "Rome"}, {Field::Note, "Opera"}, {Field::ZipCode, "00100"}});
    SearchPattern across("rome opera");
    EXPECT_TRUE(e.matches(SearchMode::AllFields, across));
    SearchPattern glued("romeopera");
    EXPECT_FALSE(e.matches(SearchMode::AllFields, glued));
    SearchPattern empty("");
    EXPECT_TRUE(Entry().matches(SearchMode::AllFields, empty));
    SearchPattern something("a");
    EXPECT_FALSE(Entry().matches(SearchMode::AllFields, something));
}

TEST(SearchPattern, FindsEveryOccurrencePosition) {
    // Boyer-Moore-Horspool must not skip over a match, wherever it lies.
    std::string hay = "aaaaaaaaaa";
    for (std::size_t at = 0; at + 3 <= hay.size(); ++at) {
        std::string text = hay;
        text.replace(at, 3, "abA");
        EXPECT_TRUE(SearchPattern("ABA").foundIn(text)) << text;
        EXPECT_TRUE(SearchPattern("aba").foundIn(text)) << text;
    }
    EXPECT_FALSE(SearchPattern("abab").foundIn("abaab"));
    EXPECT_TRUE(SearchPattern("aab").foundIn("aaab"));
    EXPECT_FALSE(SearchPattern("long pattern").foundIn("short"));
}
