// Damaged and hostile data files: never a crash, a hang or an unbounded allocation;
// whatever can be read is read, and the damage is reported.
#include <gtest/gtest.h>

#include "addressbook/model/data_file.h"
#include "addressbook/model/data_format.h"
#include "tests/support/allocation_meter.h"
#include "tests/support/book_builder.h"
#include "tests/support/temp_dir.h"

using namespace ctlite;
using namespace ctlite::dataformat;
using testing_support::makeEntry;

namespace {

struct Loaded {
    AddressBook book;
    ProblemList problems;
};

Loaded load(const std::string& image) {
    Loaded out;
    readFile(image, out.book, out.problems);
    return out;
}

std::string record(const Entry& e) {
    std::string out;
    appendRecord(out, e);
    return out;
}

int totalEntries(const AddressBook& book) {
    int n = 0;
    for (int g = 0; g < book.groupCount(); ++g)
        n += book.group(g).entries().count();
    return n;
}

}  // namespace

TEST(HostileFile, MillionsOfGroupMarksStayBounded) {
    Loaded l = load(std::string(3'000'000, '\x07'));
    EXPECT_EQ(l.book.groupCount(), kMaxGroups);
    EXPECT_FALSE(l.problems.empty());
    EXPECT_LE(l.problems.kept().size(), ProblemList::kKept);
    EXPECT_EQ(totalEntries(l.book), 0);
}

TEST(HostileFile, EveryReservedByteRepeatedLoadsQuietly) {
    for (int c : {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x0C, 0x11, 0x13, 0x16, 0x18}) {
        Loaded l = load(std::string(2'000, static_cast<char>(c)));
        EXPECT_EQ(l.book.groupCount(), 2) << c;
        // Nothing that was read holds a reserved byte.
        std::string again = fileImage(l.book);
        EXPECT_TRUE(load(again).problems.empty()) << c;
    }
}

TEST(HostileFile, ManyBlankRecordsInAUserGroupGiveOnePlaceholder) {
    std::string blank = record(Entry());
    std::string image = blank + "\x07" + blank +
                        "\x07"
                        "G\x18";
    for (int i = 0; i < 1000; ++i)
        image += blank;
    Loaded l = load(image);
    ASSERT_EQ(l.book.groupCount(), 3);
    EXPECT_EQ(l.book.group(2).entries().count(), 1);
    EXPECT_FALSE(l.problems.empty());
}

TEST(HostileFile, TruncatedFileKeepsTheRecordsBeforeTheCut) {
    AddressBook book;
    for (int i = 0; i < 5; ++i)
        book.group(0).entries().insert(
            1, makeEntry({{Field::FirstName, "N" + std::to_string(i)}, {Field::Note, "note"}}));
    std::string image = fileImage(book);
    std::size_t cut = trailerStart(image) - 7;  // inside the last record's chunks
    Loaded l = load(image.substr(0, cut));
    EXPECT_EQ(l.book.group(0).entries().count(), 5);
    EXPECT_FALSE(l.problems.empty());
    // The last record in the file, cut inside its later chunks, comes first.
    EXPECT_EQ(l.book.group(0).entries().find(1)->get(Field::FirstName), "N0");
    EXPECT_EQ(l.book.group(0).entries().find(5)->get(Field::FirstName), "N4");
}

TEST(HostileFile, MissingTerminatorDoesNotSwallowTheNextRecord) {
    std::string a = record(makeEntry({{Field::FirstName, "Ann"}, {Field::City, "Rome"}}));
    std::string b = record(makeEntry({{Field::FirstName, "Bob"}, {Field::City, "Oslo"}}));
    a.erase(a.find('\x03'), 1);  // chunk 5 lost its terminator
    Loaded l = load(a + b);
    ASSERT_EQ(l.book.group(0).entries().count(), 2);
    const Entry* bob = l.book.group(0).entries().find(1);
    EXPECT_EQ(bob->get(Field::FirstName), "Bob");
    EXPECT_EQ(bob->get(Field::City), "Oslo");
    EXPECT_EQ(l.book.group(0).entries().find(2)->get(Field::FirstName), "Ann");
    EXPECT_FALSE(l.problems.empty());
}

TEST(HostileFile, RecordCutShortByTheNextOne) {
    std::string a = record(makeEntry({{Field::FirstName, "Ann"}}));
    std::string b = record(makeEntry({{Field::FirstName, "Bob"}, {Field::Note, "n"}}));
    Loaded l = load(a.substr(0, 6) + b);  // "Ann" 0x05 "" 0x01 "" 0x04, then Bob
    ASSERT_EQ(l.book.group(0).entries().count(), 2);
    EXPECT_EQ(l.book.group(0).entries().find(1)->get(Field::Note), "n");
}

// Sound records whose fields hold the control bytes the format leaves to text,
// sound ones without and damaged ones, in runs: each reads as it does alone.
TEST(HostileFile, RecordsReadTheSameWhateverComesAroundThem) {
    const std::string freeBytes(
        "\x08\t\n\x0B\r\x0F\x10\x12\x14\x15\x17\x19\x1A\x1B\x1C\x1D\x1E\x1F", 18);
    std::string worn = record(makeEntry({{Field::FirstName, "Worn"}, {Field::City, "Rome"}}));
    worn.erase(worn.find('\x03'), 1);
    const std::string pieces[] = {
        record(makeEntry({{Field::FirstName, "Ann"}, {Field::Note, freeBytes}})),
        record(makeEntry({{Field::FirstName, "Bob"}, {Field::City, "Oslo"}})),
        worn,
    };
    const std::string order = "0110211112002221111111101";
    std::string image;
    std::vector<Entry> alone;
    for (char piece : order) {
        image += pieces[piece - '0'];
        alone.push_back(*load(pieces[piece - '0']).book.group(0).entries().find(1));
    }
    Loaded l = load(image);
    const GroupList& read = l.book.group(0).entries();
    ASSERT_EQ(read.count(), static_cast<int>(order.size()));
    for (int i = 0; i < read.count(); ++i)
        EXPECT_EQ(*read.find(read.count() - i), alone[i]) << "record " << i;
}

TEST(HostileFile, ExtraSubSeparatorsAreDroppedAndReported) {
    std::string r = record(makeEntry({{Field::FirstName, "Ann"}, {Field::CompanyName, "Acme"}}));
    r.insert(r.find("Acme") + 2, "\x05\x05");
    Loaded l = load(r);
    ASSERT_EQ(l.book.group(0).entries().count(), 1);
    EXPECT_EQ(l.book.group(0).entries().find(1)->get(Field::CompanyName), "Acme");
    EXPECT_FALSE(l.problems.empty());
}

TEST(HostileFile, LongGroupNameIsCutAndTheRecordsStillRead) {
    std::string image = record(Entry()) + "\x07" + record(EntryPlaceholder()) + "\x07" +
                        std::string(300, 'g') + "\x18" +
                        record(makeEntry({{Field::FirstName, "Ann"}}));
    Loaded l = load(image);
    ASSERT_EQ(l.book.groupCount(), 3);
    EXPECT_EQ(l.book.groupName(2), std::string(49, 'g'));
    ASSERT_EQ(l.book.group(2).entries().count(), 1);
    EXPECT_EQ(l.book.group(2).entries().find(1)->get(Field::FirstName), "Ann");
    EXPECT_FALSE(l.problems.empty());
}

TEST(HostileFile, GroupHeaderWithoutNameEnd) {
    std::string image = record(Entry()) + "\x07" + record(EntryPlaceholder()) + "\x07" +
                        record(makeEntry({{Field::FirstName, "Ann"}}));
    Loaded l = load(image);
    ASSERT_EQ(l.book.groupCount(), 3);
    EXPECT_EQ(l.book.group(2).entries().find(1)->get(Field::FirstName), "Ann");
    EXPECT_FALSE(l.problems.empty());
}

TEST(HostileFile, OddTrailers) {
    std::string section = record(Entry()) + "\x07" + record(EntryPlaceholder());
    // Too few fields: the rest take their defaults.
    Loaded few = load(section +
                      "\x0E"
                      "\x0E"
                      "Firm:");
    EXPECT_EQ(few.book.labels().get(Label::CompanyName), "Firm:");
    EXPECT_EQ(few.book.labels().get(Label::FirstName), "First Name:");
    EXPECT_FALSE(few.problems.empty());
    // An overlong password is cut to 49 characters; the fields after it stay in step.
    Loaded longPassword = load(section + "\x0E" + std::string(80, 'p') +
                               "\x0E"
                               "Firm:");
    EXPECT_EQ(longPassword.book.password().size(), 49u);
    EXPECT_EQ(longPassword.book.labels().get(Label::CompanyName), "Firm:");
    // Fields past the eighteenth are ignored.
    Loaded many = load(section + std::string(40, '\x0E'));
    EXPECT_FALSE(many.problems.empty());
    EXPECT_EQ(many.book.groupName(1), "Business");
}

TEST(HostileFile, RandomBytesNeverCrashAndAlwaysSaveCleanly) {
    std::uint32_t seed = 99;
    const char alphabet[] =
        "\x01\x02\x03\x04\x05\x06\x07\x0C\x0E\x11\x13\x16\x18\x00"
        "ab\r\n";
    for (int round = 0; round < 300; ++round) {
        std::string image;
        int length = static_cast<int>((seed = seed * 1664525u + 1013904223u) >> 20) % 400;
        for (int i = 0; i < length; ++i) {
            seed = seed * 1664525u + 1013904223u;
            image.push_back(alphabet[(seed >> 16) % (sizeof alphabet - 1)]);
        }
        Loaded l = load(image);
        // Whatever was read saves to a file that reads back without damage.
        // (An empty user group's blank record comes back as its placeholder, so
        // the bytes settle after the first save.)
        Loaded again = load(fileImage(l.book));
        EXPECT_TRUE(again.problems.empty()) << "round " << round;
        Loaded third = load(fileImage(again.book));
        EXPECT_EQ(fileImage(third.book).size(), fileImage(again.book).size()) << "round " << round;
    }
}

TEST(HostileFile, DamagedFileIsNotRewrittenByLoading) {
    testing_support::TempDir dir;
    std::string path = dir.file("data.dat");
    std::string image = "garbage\x01\x07\x07\x0E";
    testing_support::writeBytes(path, image);
    AddressBook book;
    DataFile file(platform::systemFileSystem(), path);
    file.readTrailer(book);
    LoadResult result = file.load(book);
    EXPECT_FALSE(result.failure);
    EXPECT_FALSE(result.problems.empty());
    EXPECT_EQ(testing_support::readBytes(path), image);
}

// Records of two bytes each would be 50 times the file in memory: such a file is
// refused before its damage passes its allowance. A real book whose every record
// lost a byte is still read whole.
TEST(HostileFile, DamageIsReadOnlyWithinItsAllowance) {
    testing_support::TempDir dir;
    std::string path = dir.file("data.dat");
    std::string hostile;
    for (int i = 0; i < 2'000'000; ++i)
        hostile += "a\x01";
    testing_support::writeBytes(path, hostile);
    {
        testing_support::AllocationMeter meter;
        AddressBook book;
        LoadResult result = DataFile(platform::systemFileSystem(), path).load(book);
        ASSERT_TRUE(result.failure);
        EXPECT_EQ(result.failure->message, failures::kTooDamaged.message);
        EXPECT_EQ(book.group(0).entries().count(), 0);  // the book is left as it was
        EXPECT_LE(meter.peakBytes(), hostile.size() + damageAllowance(hostile.size()));
    }

    std::string worn;
    for (int i = 0; i < 20'000; ++i) {
        std::string r = record(makeEntry({{Field::FirstName, "Ann" + std::to_string(i)},
                                          {Field::HomePhone, "555-0100"},
                                          {Field::City, "Rome"}}));
        r.erase(r.find('\x03'), 1);
        worn += r;
    }
    Loaded l = load(worn);
    EXPECT_EQ(l.book.group(0).entries().count(), 20'000);
    EXPECT_GE(l.problems.total(), 20'000u);
}
