#include "addressbook/model/data_format.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "addressbook/model/password.h"
#include "tests/support/book_builder.h"

using namespace ctlite;
using namespace ctlite::dataformat;
using testing_support::makeEntry;
using testing_support::randomBook;

namespace {

const std::string kBlankRecord(
    "\x05\x01\x04\x05\x05\x05\x05\x02\x0C\x03\x05\x11\x05\x16\x05\x06\x13", 17);
const std::string kPlaceholderRecord =
    "{ EMPTY }" +
    std::string("\x05\x01\x04\x05\x05\x05\x05\x02\x0C\x03\x05\x11\x05\x16\x05\x06\x13", 17);

AddressBook loadImage(const std::string& image, ProblemList* problems = nullptr) {
    ProblemList ignored;
    ProblemList& p = problems ? *problems : ignored;
    AddressBook book;
    readFile(image, book, p);
    return book;
}

std::string section(const AddressBook& book) {
    std::string out;
    appendGroupSection(out, book);
    return out;
}

}  // namespace

TEST(DataFormat, NewFileIsFiftyThreeBytes) {
    std::string image = newFileImage();
    EXPECT_EQ(image.size(), 53u);
    EXPECT_EQ(image, kPlaceholderRecord + "\x07" + kPlaceholderRecord);
    EXPECT_EQ(std::count(image.begin(), image.end(), '\x05'), 16);
}

TEST(DataFormat, RecordLayout) {
    Entry e = makeEntry({{Field::FirstName, "F"},
                         {Field::CompanyName, "Co"},
                         {Field::LastName, "L"},
                         {Field::HomePhone, "h"},
                         {Field::FaxNumber, "f"},
                         {Field::PagerNumber, "p"},
                         {Field::MobilePhone, "m"},
                         {Field::WorkPhone, "w"},
                         {Field::StreetAddress, "St"},
                         {Field::City, "C"},
                         {Field::State, "S"},
                         {Field::Picture, "P.bmp"},
                         {Field::ZipCode, "Z"},
                         {Field::Country, "Cy"},
                         {Field::EmailAddress, "e@x"},
                         {Field::Homepage, "www"},
                         {Field::Note, "n1\r\nn2"},
                         {Field::GroupName, "never written"}});
    std::string out;
    appendRecord(out, e);
    EXPECT_EQ(out, std::string("F\x05"
                               "Co\x01"
                               "L\x04"
                               "h\x05"
                               "f\x05"
                               "p\x05"
                               "m\x05"
                               "w\x02"
                               "St\x0C"
                               "C\x03"
                               "S\x05"
                               "P.bmp\x11"
                               "Z\x05"
                               "Cy\x16"
                               "e@x\x05"
                               "www\x06"
                               "n1\r\nn2\x13"));
}

TEST(DataFormat, EmptyGroupsAreStoredAsOneRecord) {
    AddressBook book;
    book.addGroup("Friends");
    EXPECT_EQ(section(book), kBlankRecord + "\x07" + kPlaceholderRecord +
                                 "\x07"
                                 "Friends\x18" +
                                 kBlankRecord);

    // Group 1's blank record reads back as no entry at all, group 2's placeholder
    // as the placeholder, and a later group's blank record as the placeholder.
    AddressBook back = loadImage(section(book));
    ASSERT_EQ(back.groupCount(), 3);
    EXPECT_EQ(back.group(0).entries().count(), 0);
    ASSERT_EQ(back.group(1).entries().count(), 1);
    EXPECT_TRUE(back.group(1).entries().find(1)->isPlaceholder());
    ASSERT_EQ(back.group(2).entries().count(), 1);
    EXPECT_TRUE(back.group(2).entries().find(1)->isPlaceholder());
    EXPECT_EQ(back.groupName(2), "Friends");
}

TEST(DataFormat, CompanyOnlyEntryInAUserGroupKeepsItsEmptyFirstName) {
    AddressBook book;
    int g = book.addGroup("Suppliers");
    book.group(g).entries().insert(1, makeEntry({{Field::CompanyName, "Acme"}}));
    AddressBook back = loadImage(section(book));
    const Entry* e = back.group(g).entries().find(1);
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(e->isPlaceholder());
    EXPECT_EQ(e->get(Field::FirstName), "");
    EXPECT_EQ(e->get(Field::CompanyName), "Acme");
}

TEST(DataFormat, EntryWithOnlyALastNameSurvivesInEveryGroup) {
    // Such an entry has no first or company name; it is still a contact, not a blank record.
    AddressBook book;
    book.addGroup("Third");
    for (int g = 0; g < 3; ++g)
        book.group(g).entries().insert(1, makeEntry({{Field::LastName, "Smith"}}));
    AddressBook back = loadImage(section(book));
    for (int g = 0; g < 3; ++g) {
        ASSERT_EQ(back.group(g).entries().count(), 1) << g;
        EXPECT_EQ(back.group(g).entries().find(1)->get(Field::LastName), "Smith");
    }
}

TEST(DataFormat, ThreeGroupsTakeTwoGroupMarks) {
    AddressBook book;
    book.addGroup("Third");
    book.setPassword("pw");
    std::string image = fileImage(book);
    EXPECT_EQ(std::count(image.begin(), image.end(), '\x07'), 2);
    EXPECT_EQ(loadImage(image).groupCount(), 3);
}

TEST(DataFormat, LoadReversesEachGroupAndSaveKeepsListOrder) {
    AddressBook book;
    for (const char* name : {"A", "B", "C"})
        book.group(0).entries().insert(1, makeEntry({{Field::FirstName, name}}));
    std::string once = section(book);  // C, B, A in the file
    EXPECT_LT(once.find('C'), once.find('A'));
    AddressBook back = loadImage(once);
    EXPECT_EQ(back.group(0).entries().find(1)->get(Field::FirstName), "A");
    EXPECT_EQ(back.group(0).entries().find(3)->get(Field::FirstName), "C");
    AddressBook again = loadImage(section(back));
    EXPECT_EQ(section(again), once);
}

TEST(DataFormat, TrailerLayout) {
    AddressBook book;
    book.setPassword("abc");
    book.labels().set(Label::Homepage, "Web:");
    book.group(0).setName("Home");
    std::string trailer;
    appendTrailer(trailer, book);
    std::string expected = "\x0E" + rotatePrintable("abc", kPasswordRotation);
    for (int i = 0; i < kLabelCount; ++i)
        expected += "\x0E" + std::string(i == kLabelCount - 1
                                             ? "Web:"
                                             : FieldLabels::defaultText(static_cast<Label>(i)));
    expected +=
        "\x0E"
        "Home"
        "\x0E"
        "Business";
    EXPECT_EQ(trailer, expected);
    EXPECT_EQ(trailer.find("abc"), std::string::npos);  // never in plain text
}

TEST(DataFormat, TrailerReadsBack) {
    AddressBook book;
    book.setPassword("p\xE9 ss~");
    book.labels().set(Label::Fax, "Telefax:");
    book.group(1).setName("Work");
    AddressBook back = loadImage(fileImage(book));
    EXPECT_EQ(back.password(), "p\xE9 ss~");
    EXPECT_TRUE(back.locked());
    EXPECT_EQ(back.labels().get(Label::Fax), "Telefax:");
    EXPECT_EQ(back.groupName(0), "Personal");
    EXPECT_EQ(back.groupName(1), "Work");
}

TEST(DataFormat, EmptyTrailerFieldsTakeTheirDefaults) {
    std::string image = kBlankRecord + "\x07" + kPlaceholderRecord + std::string(18, '\x0E');
    AddressBook book;
    book.setPassword("old");
    book.setLocked(true);
    book.labels().set(Label::City, "Town:");
    ProblemList problems;
    AddressBook back = book;
    applyTrailer(readTrailer(image, trailerStart(image), problems), back);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(back.password(), "");
    EXPECT_TRUE(back.locked());  // only entering the password unlocks
    EXPECT_EQ(back.labels().get(Label::City), "City:");
    EXPECT_EQ(back.groupName(0), "Personal");
}

TEST(DataFormat, RandomBooksRoundTripByteForByte) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        AddressBook book = randomBook(seed, 2 + static_cast<int>(seed % 5), 12);
        std::string first = fileImage(book);
        ProblemList problems;
        AddressBook once = loadImage(first, &problems);
        EXPECT_TRUE(problems.empty()) << "seed " << seed << ": " << problems.kept()[0].text;
        AddressBook twice = loadImage(fileImage(once));
        AddressBook thrice = loadImage(fileImage(twice));
        // Two reversals later the bytes are the same. (An empty user group's blank
        // record comes back as its placeholder, so compare from the first load on.)
        EXPECT_TRUE(fileImage(thrice) == fileImage(once)) << "seed " << seed;
        EXPECT_EQ(twice.password(), book.password());
        EXPECT_EQ(twice.labels(), book.labels());
        for (int g = 0; g < book.groupCount(); ++g) {
            ASSERT_EQ(twice.groupName(g), book.groupName(g));
            const GroupList& a = book.group(g).entries();
            const GroupList& b = twice.group(g).entries();
            if (a.count() == 0)
                continue;  // stored as a blank or placeholder record
            ASSERT_EQ(a.count(), b.count());
            for (int p = 1; p <= a.count(); ++p)
                EXPECT_EQ(*a.find(p), *b.find(p));
        }
    }
}

// The entries of one file share their memory: each must stay whole wherever it
// goes and whatever becomes of the others and of the book that read them.
TEST(DataFormat, EntriesReadFromAFileKeepTheirTextWhereverTheyGo) {
    const AddressBook book = testing_support::generatedBook(20000, 1);  // several chunks
    const GroupList& original = book.group(0).entries();
    const int n = original.count();
    GroupList kept;
    Entry copy;
    {
        AddressBook loaded = loadImage(fileImage(book));
        kept = std::move(loaded.group(0).entries());
        ASSERT_TRUE(kept.get(1, copy));
    }
    for (int f = 0; f < kFieldCount; ++f)  // texts left in the file's bytes end at their own end
        EXPECT_EQ(kept.find(1)->c_str(Field(f)), kept.find(1)->get(Field(f))) << "field " << f;
    kept.insert(1, copy);  // moves every entry along
    ASSERT_TRUE(kept.remove(1));
    Entry edited = *kept.find(2);
    edited.set(Field::City, "Oslo");
    ASSERT_TRUE(kept.remove(2));
    ASSERT_TRUE(kept.insert(2, edited));
    for (int p = 1; p <= n; ++p) {
        Entry want = *original.find(n + 1 - p);  // loading reverses the list
        if (p == 2)
            want.set(Field::City, "Oslo");
        ASSERT_EQ(*kept.find(p), want) << "position " << p;
    }
    EXPECT_EQ(copy, *original.find(n));
    while (kept.count() > 1)
        kept.remove(1);
    EXPECT_EQ(*kept.find(1), *original.find(1));
}
