#include "addressbook/transfer/vcard.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/file_system.h"
#include "tests/support/book_builder.h"
#include "tests/support/temp_dir.h"

using namespace ctlite;
using namespace ctlite::transfer;
using testing_support::makeEntry;

namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         from = at + 2, at = text.find("\r\n", from))
        lines.push_back(text.substr(from, at - from));
    EXPECT_EQ(from, text.size()) << "the text ends with CR LF";
    return lines;
}

// Text in the book's code page, Latin-1 part only, as UTF-16 little-endian with its mark.
std::string utf16(const std::string& latin1) {
    std::string out = "\xFF\xFE";
    for (char c : latin1)
        out += std::string{c, '\0'};
    return out;
}

Entry readOne(const std::string& card, ImportSummary* summary = nullptr) {
    GroupList into;
    ImportSummary s = importVCards(card, into);
    if (summary)
        *summary = s;
    EXPECT_EQ(into.count(), 1);
    return into.count() ? *into.find(1) : Entry();
}

}  // namespace

TEST(VCardWriter, WritesVersion3WithEscapesTypesAndTheGroup) {
    Entry e = makeEntry({{Field::FirstName, "Ann"},
                         {Field::LastName, "Smith"},
                         {Field::CompanyName, "Smith && Sons; Ltd"},
                         {Field::MobilePhone, "555"},
                         {Field::WorkPhone, "666"},
                         {Field::City, "Paris"},
                         {Field::Note, "a,b\\c\r\nd"},
                         {Field::EmailAddress, "ann@x"}});
    std::string out;
    appendVCard(out, e, "Friends, old");
    EXPECT_EQ(linesOf(out), (std::vector<std::string>{
                                "BEGIN:VCARD", "VERSION:3.0", "N:Smith;Ann;;;", "FN:Ann Smith",
                                "ORG:Smith & Sons\\; Ltd", "TEL;TYPE=WORK:666", "TEL;TYPE=CELL:555",
                                "ADR:;;;Paris;;;", "EMAIL;TYPE=INTERNET:ann@x",
                                "NOTE:a\\,b\\\\c\\nd", "CATEGORIES:Friends\\, old", "END:VCARD"}));
}

TEST(VCardWriter, FoldsLongLinesWithinSeventyFiveOctetsWithoutSplittingCharacters) {
    struct Case {
        const char* name;
        std::string character;  // in the book's code page
        std::string utf8;       // as the file holds it
    } cases[] = {
        {"one octet each", "a", "a"},
        {"three octets each", "\x80", "\xE2\x82\xAC"},
    };
    for (const Case& c : cases) {
        std::string note;
        for (int i = 0; i < 200; ++i)
            note += c.character;
        std::string out;
        appendVCard(out, makeEntry({{Field::FirstName, "A"}, {Field::Note, note}}), "");
        std::string unfolded;
        for (const std::string& line : linesOf(out)) {
            EXPECT_LE(line.size(), 75u) << c.name << ": " << line;
            if (!line.empty() && line[0] == ' ')
                unfolded += line.substr(1);
            else
                unfolded += "\n" + line;
        }
        std::string expected = "\nNOTE:";
        for (int i = 0; i < 200; ++i)
            expected += c.utf8;
        EXPECT_NE(unfolded.find(expected + "\n"), std::string::npos) << c.name;
    }
}

TEST(VCardReader, ReadsWhatEachVersionWrites) {
    struct Case {
        const char* name;
        std::string card;
        std::vector<std::pair<Field, std::string>> expected;
    } cases[] = {
        {"2.1 quoted-printable with charset and bare types",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-1:M\xFCller;J\xF6rg\r\n"
         "TEL;CELL;VOICE:+49 1\r\nTEL;WORK;FAX:+49 2\r\n"
         "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:Zeile =C3=BCber=0D=0A=\r\nzwei\r\n"
         "END:VCARD\r\n",
         {{Field::LastName, "M\xFCller"},
          {Field::FirstName, "J\xF6rg"},
          {Field::MobilePhone, "+49 1"},
          {Field::FaxNumber, "+49 2"},
          {Field::Note,
           "Zeile \xFC"
           "ber\r\nzwei"}}},
        {"3.0 folded, grouped and escaped",
         "BEGIN:VCARD\nVERSION:3.0\nFN:Bob\nN:Stone;Bob;;;\nitem1.TEL;type=HOME,voice:11\n"
         "item1.X-ABLabel:_$!<Home>!$_\nADR;TYPE=work:;Suite 5;1 Main\\, St;Town;;99;US\n"
         "ORG:Acme;Sales\nNOTE:long \n line\\nnext\nEND:VCARD\n",
         {{Field::LastName, "Stone"},
          {Field::FirstName, "Bob"},
          {Field::HomePhone, "11"},
          {Field::StreetAddress, "1 Main, St, Suite 5"},
          {Field::City, "Town"},
          {Field::ZipCode, "99"},
          {Field::Country, "US"},
          {Field::CompanyName, "Acme, Sales"},
          {Field::Note, "long line\r\nnext"}}},
        {"4.0 tel: values, quoted types, several of one kind",
         "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Cy\r\nTEL;VALUE=uri;TYPE=\"cell,voice\":tel:+1-555\r\n"
         "TEL;TYPE=cell:tel:+1-777\r\nEMAIL:a@x\r\nEMAIL:b@x\r\nURL:http://x\r\nEND:VCARD\r\n",
         {{Field::FirstName, "Cy"},
          {Field::MobilePhone, "+1-555"},
          {Field::EmailAddress, "a@x"},
          {Field::Homepage, "http://x"},
          {Field::Note, "Mobile phone: +1-777\r\nE-mail: b@x"}}},
        {"2.1 AGENT card on its own lines: not part of the outer entry",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Lee;Ann\r\nTEL;HOME:1\r\nAGENT:\r\n"
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Agent;Bo\r\nTEL;HOME:2\r\nTEL;CELL:3\r\n"
         "END:VCARD\r\nEMAIL:ann@x\r\nEND:VCARD\r\n",
         {{Field::LastName, "Lee"},
          {Field::FirstName, "Ann"},
          {Field::HomePhone, "1"},
          {Field::EmailAddress, "ann@x"}}},
        {"UTF-16 little-endian with its byte-order mark",
         utf16("BEGIN:VCARD\r\nFN:Zo\xEB\r\nTEL:1\r\nEND:VCARD\r\n"),
         {{Field::FirstName, "Zo\xEB"}, {Field::HomePhone, "1"}}},
        {"company card: the formatted name is the company",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;;;;\r\nFN:Smith & Sons\r\nORG:Smith & Sons\r\n"
         "END:VCARD\r\n",
         {{Field::CompanyName, "Smith && Sons"}}},
    };
    for (const Case& c : cases) {
        Entry want = makeEntry({});
        for (const auto& [field, text] : c.expected)
            want.set(field, text);
        EXPECT_EQ(readOne(c.card), want) << c.name;
    }
}

TEST(VCardReader, TextOutsideTheCodePageBecomesQuestionMarksAndIsCounted) {
    ImportSummary summary;
    Entry e = readOne(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\xE6\x9D\x8E \xE5\xB0\x8F\xE9\xBE\x99\r\n"
        "NOTE:caf\xC3\xA9 \xF0\x9F\x98\x80\r\nORG:Zo\xC3\xAB \xFF\r\nEND:VCARD\r\n",
        &summary);
    EXPECT_EQ(e.get(Field::FirstName), "? ??");
    EXPECT_EQ(e.get(Field::Note), "caf\xE9 ?");
    // A byte outside UTF-8 beside valid text: the text is kept, the byte counted.
    EXPECT_EQ(e.get(Field::CompanyName), "Zo\xEB ?");
    EXPECT_EQ(summary.values.valuesChanged, 3u);
    EXPECT_EQ(summary.values.charactersReplaced, 5u);
}

TEST(VCardReader, CardsInFileOrderGoToTheFrontAndBrokenFilesEnd) {
    GroupList into;
    into.insert(1, makeEntry({{Field::FirstName, "X"}}));
    ImportSummary s = importVCards(
        "junk\r\nBEGIN:VCARD\r\nFN:A\r\nAGENT:BEGIN:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD\r\n"
        "FN:B\r\nEND:VCARD\r\nBEGIN:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD\r\n"
        // blanks around bytes the book drops: nothing is left, as a second reading finds
        "N:\t\x11\t \x11\t\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:C",
        into);
    EXPECT_EQ(s.records, 5u);
    EXPECT_EQ(s.blank, 2u);
    std::vector<std::string> names;
    for (int p = 1; p <= into.count(); ++p)
        names.emplace_back(into.find(p)->get(Field::FirstName));
    EXPECT_EQ(names, (std::vector<std::string>{"C", "B", "A", "X"}));
}

TEST(VCardReader, CardsTakeThePlaceOfAnEmptyGroupsPlaceholder) {
    GroupList into;
    into.insert(1, EntryPlaceholder());
    ImportSummary s = importVCards("BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n", into);
    EXPECT_EQ(s.entries, 1u);
    ASSERT_EQ(into.count(), 1);
    EXPECT_EQ(into.find(1)->get(Field::FirstName), "A");
}

TEST(VCardReader, WhatWeWriteReadsBackTheSame) {
    std::uint32_t seed = 11;
    GroupList original;
    for (int i = 0; i < 60; ++i) {
        Entry e = testing_support::randomEntry(seed);
        e.set(Field::Picture, "");    // not carried
        e.set(Field::GroupName, "");  // the group is chosen on import
        if (!e.isEmpty() && !e.isPlaceholder())
            original.insert(1, e);
    }
    GroupList back;
    importVCards(writeVCards(original, "Friends"), back);
    ASSERT_EQ(back.count(), original.count());
    for (int p = 1; p <= original.count(); ++p) {
        Entry want = *original.find(original.count() + 1 - p);
        Entry got = *back.find(p);
        for (int f = 0; f < kFieldCount; ++f) {
            auto field = static_cast<Field>(f);
            std::string expected;  // a carriage return alone is a line break too
            std::string_view text = want.get(field);
            for (std::size_t i = 0; i < text.size(); ++i) {
                expected += text[i];
                if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
                    expected += '\n';
            }
            if (field != Field::Note) {  // surrounding blanks are not kept, nor long values
                std::size_t a = expected.find_first_not_of(" \t");
                std::size_t b = expected.find_last_not_of(" \t");
                expected = a == std::string::npos ? "" : expected.substr(a, b - a + 1);
            }
            EXPECT_EQ(got.get(field), expected) << "entry " << p << " field " << f;
        }
    }
}

// NOTE texts come first in the note, in file order, and the values moved to the note
// follow in file order, however the two kinds are interleaved in the card.
TEST(VCardReader, NoteTextsComeBeforeMovedValuesInFileOrder) {
    struct Case {
        const char* lines;
        const char* note;
    };
    const Case cases[] = {
        {"NOTE:one\r\nNOTE:two\r\n", "one\r\ntwo"},
        {"TEL:1\r\nTEL:2\r\nTEL:3\r\nNOTE:one\r\nNOTE:two\r\n", "one\r\ntwo\r\nPhone: 3"},
        {"NOTE:one\r\nTEL:1\r\nTEL:2\r\nTEL:3\r\nTEL:4\r\nNOTE:two\r\n",
         "one\r\ntwo\r\nPhone: 3\r\nPhone: 4"},
        {"ADR:;;a;b;;;\r\nADR:;;c;d;;;\r\nNOTE:one\r\nADR:;;e;;;;\r\nNOTE:two\r\nNOTE:three\r\n",
         "one\r\ntwo\r\nthree\r\nAddress: c, d\r\nAddress: e"},
        {"TITLE:Boss\r\nNOTE:one\r\nNICKNAME:Al\r\nNOTE:\r\nNOTE:two\r\n",
         "one\r\ntwo\r\nTitle: Boss\r\nNickname: Al"},
    };
    for (const Case& c : cases) {
        std::string card = std::string("BEGIN:VCARD\r\nFN:A\r\n") + c.lines + "END:VCARD\r\n";
        EXPECT_EQ(readOne(card).get(Field::Note), c.note) << c.lines;
    }
}

// Folded lines join back into one value wherever the colon falls, and a
// quoted-printable value goes on across its soft line breaks.
TEST(VCardReader, UnfoldsWhereverTheColonFalls) {
    struct Case {
        const char* lines;
        const char* note;
    };
    const Case cases[] = {
        {"NOTE:ab\r\n cd\r\n\tef\r\n", "abcdef"},
        {"NO\r\n TE\r\n :abc\r\n", "abc"},
        {"NOTE\r\n ;X=\"a\r\n b\"\r\n :v\r\n", "v"},
        {"NOTE;ENCODING=QUOTED-PRINTABLE:a=\r\nb=3D=\r\nc\r\n", "ab=c"},
        {"NOTE;QUOTED-\r\n PRINTABLE:x=\r\ny\r\n", "xy"},
        {"NOTE:x=\r\nTEL:1\r\n", "x="},
        {"NOTE\r\n ;ENCODING=QUOTED-PRINTABLE=\r\n :x=\r\ny\r\n", "xy"},
    };
    for (const Case& c : cases) {
        std::string card = std::string("BEGIN:VCARD\r\nFN:A\r\n") + c.lines + "END:VCARD\r\n";
        EXPECT_EQ(readOne(card).get(Field::Note), c.note) << c.lines;
    }
}

namespace {

// The first bytes of a JPEG and of a BMP file, then bytes of every kind.
const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11) + "\x01\xFE\xFF\xD9";
const std::string kBmp = std::string("BM\x3A\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00", 14);

std::string card(const std::string& photoLine) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Ann;;;\r\n" + photoLine + "\r\nEND:VCARD\r\n";
}

}  // namespace

TEST(VCardPhotos, EmbeddedJpegAndBmpBecomeFilesOtherKindsAreCountedAndAddressesNoted) {
    const std::string jpeg64 = base64Encoded(kJpeg);
    struct Case {
        const char* name;
        std::string file;
        std::string picture;  // the bytes of the entry's picture file; empty: none
        std::size_t notKept;
        std::string note;
    } cases[] = {
        {"3.0", card("PHOTO;ENCODING=b;TYPE=JPEG:" + jpeg64), kJpeg, 0, ""},
        {"2.1, folded",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Smith;Ann\r\nPHOTO;JPEG;ENCODING=BASE64:\r\n " +
             jpeg64.substr(0, 8) + "\r\n " + jpeg64.substr(8) + "\r\n\r\nEND:VCARD\r\n",
         kJpeg, 0, ""},
        {"4.0", card("PHOTO:data:image/jpeg;base64," + jpeg64), kJpeg, 0, ""},
        {"BMP", card("PHOTO;ENCODING=b;TYPE=BMP:" + base64Encoded(kBmp)), kBmp, 0, ""},
        {"PNG", card("PHOTO;ENCODING=b;TYPE=PNG:" + base64Encoded("\x89PNG\r\n\x1A\n....")), "", 1,
         ""},
        {"not base64", card("PHOTO;ENCODING=b;TYPE=JPEG:*not*"), "", 1, ""},
        {"address", card("PHOTO;VALUE=uri:https://example.com/ann.jpg"), "", 0,
         "Photo: https://example.com/ann.jpg"},
    };
    for (const Case& c : cases) {
        testing_support::TempDir dir;
        PictureFolder pictures(platform::systemFileSystem(), dir.file("data.dat"));
        GroupList into;
        ImportSummary summary = importVCards(c.file, into, &pictures);
        ASSERT_EQ(into.count(), 1) << c.name;
        const Entry& entry = *into.find(1);
        EXPECT_EQ(summary.picturesNotKept, c.notKept) << c.name;
        EXPECT_EQ(summary.picturesKept, c.picture.empty() ? 0u : 1u) << c.name;
        EXPECT_EQ(entry.get(Field::Note), c.note) << c.name;
        if (c.picture.empty()) {
            EXPECT_EQ(entry.get(Field::Picture), "") << c.name;
            continue;
        }
        std::string path(entry.get(Field::Picture));
        EXPECT_EQ(path, dir.file("data pictures") + path.substr(path.size() - 14)) << c.name;
        EXPECT_EQ(testing_support::readBytes(path), c.picture) << c.name;
    }
}

TEST(VCardPhotos, ANewPhotoNeverReplacesAFileAndExportCarriesTheSameBytesBack) {
    testing_support::TempDir dir;
    PictureFolder pictures(platform::systemFileSystem(), dir.file("data.dat"));
    GroupList first;
    importVCards(card("PHOTO;ENCODING=b;TYPE=JPEG:" + base64Encoded(kJpeg)), first, &pictures);
    std::string firstPath(first.find(1)->get(Field::Picture));
    // The same card again: a second file beside the first, which stays as it was.
    GroupList second;
    importVCards(card("PHOTO;ENCODING=b;TYPE=JPEG:" + base64Encoded(kJpeg + "x")), second,
                 &pictures);
    std::string secondPath(second.find(1)->get(Field::Picture));
    EXPECT_EQ(secondPath, dir.file("data pictures") + secondPath.substr(secondPath.size() - 18));
    EXPECT_EQ(secondPath.substr(secondPath.size() - 17), "Ann Smith (2).jpg");
    EXPECT_EQ(testing_support::readBytes(firstPath), kJpeg);
    EXPECT_EQ(testing_support::readBytes(secondPath), kJpeg + "x");

    // Out and in again, into another book: the picture's bytes come back.
    std::string written = writeVCards(first, "Personal", &platform::systemFileSystem());
    EXPECT_NE(written.find("PHOTO;ENCODING=b;TYPE=JPEG:"), std::string::npos);
    testing_support::TempDir other;
    PictureFolder otherPictures(platform::systemFileSystem(), other.file("book.dat"));
    GroupList back;
    importVCards(written, back, &otherPictures);
    std::string backPath(back.find(1)->get(Field::Picture));
    EXPECT_NE(backPath, firstPath);
    EXPECT_EQ(testing_support::readBytes(backPath), kJpeg);
    // A picture that is not a JPEG, or not there, is not referred to.
    testing_support::writeBytes(dir.file("ann.bmp"), kBmp);
    GroupList others;
    others.insert(1, makeEntry({{Field::FirstName, "Ann"}, {Field::Picture, dir.file("ann.bmp")}}));
    others.insert(1, makeEntry({{Field::FirstName, "Bo"}, {Field::Picture, dir.file("none.jpg")}}));
    EXPECT_EQ(writeVCards(others, "Personal", &platform::systemFileSystem()).find("PHOTO"),
              std::string::npos);
}
