#include "addressbook/transfer/table_file.h"

#include <gtest/gtest.h>

#include "addressbook/transfer/file_choice.h"
#include "addressbook/transfer/table_import.h"
#include "tests/support/book_builder.h"

using namespace ctlite;
using namespace ctlite::transfer;
using testing_support::makeEntry;

namespace {

GroupList groupOf(std::initializer_list<Entry> entries) {
    GroupList list;
    for (const Entry& e : entries)
        list.insert(list.count() + 1, e);
    return list;
}

Entry everyColumn() {
    return makeEntry({{Field::CompanyName, "Co"},
                      {Field::FirstName, "Ann"},
                      {Field::LastName, "Smith"},
                      {Field::HomePhone, "H"},
                      {Field::WorkPhone, "W"},
                      {Field::FaxNumber, "F"},
                      {Field::MobilePhone, "M"},
                      {Field::PagerNumber, "P"},
                      {Field::StreetAddress, "1 St"},
                      {Field::City, "Paris"},
                      {Field::State, "S"},
                      {Field::ZipCode, "123"},
                      {Field::Country, "France"},
                      {Field::EmailAddress, "a@b"},
                      {Field::Homepage, "www"},
                      {Field::Picture, "C:\\p.bmp"},
                      {Field::Note, "n"}});
}

std::vector<std::vector<std::string>> records(std::string_view file, TableFormat format) {
    TableReader reader(file, format);
    std::vector<std::vector<std::string>> all(static_cast<std::size_t>(reader.recordCount()));
    for (int r = 0; r < reader.recordCount(); ++r)
        reader.record(r, all[static_cast<std::size_t>(r)]);
    return all;
}

using Records = std::vector<std::vector<std::string>>;

// The same records as an import reads them: in one pass, as views.
Records passRecords(std::string_view file, TableFormat format) {
    TableReader reader(file, format);
    TableReader::Pass pass(reader);
    Records all;
    for (std::vector<std::string_view> values; pass.next(values);)
        all.emplace_back(values.begin(), values.end());
    return all;
}

}  // namespace

TEST(TableWriter, WritesTheSixteenValuesInEachFormatsOrderThenTheCountry) {
    GroupList list = groupOf({everyColumn()});
    // The first sixteen values byte for byte as they have always been written.
    EXPECT_EQ(writeTable(list, TableFormat::Csv),
              "\"Co\",\"Ann\",\"Smith\",\"H\",\"W\",\"F\",\"M\",\"P\",\"1 St\",\"Paris\",\"S\","
              "\"123\",\"a@b\",\"www\",\"C:\\p.bmp\",\"n\",\"France\"\r\n");
    EXPECT_EQ(
        writeTable(list, TableFormat::Tab),
        "Co\tAnn\tSmith\tW\tH\tF\tM\tP\t1 St\tParis\tS\t123\ta@b\twww\tC:\\p.bmp\tn\tFrance\r\n");
}

TEST(TableWriter, KeepsStoredFormAndStoredOrderAndLineBreaksInCsv) {
    GroupList list = groupOf({makeEntry({{Field::CompanyName, "Smith && Sons"}}),
                              makeEntry({{Field::FirstName, "B"}, {Field::Note, "one\r\ntwo"}})});
    std::string csv = writeTable(list, TableFormat::Csv);
    EXPECT_EQ(csv.substr(0, 17), "\"Smith && Sons\",\"");
    // A stored CR LF is written as it is, one entry over two lines.
    EXPECT_NE(csv.find("\"one\r\ntwo\",\"\"\r\n"), std::string::npos);
    EXPECT_LT(csv.find("Smith"), csv.find("\"B\""));
}

TEST(TableWriter, EmptyGroupAndPlaceholderGiveAnEmptyFile) {
    EXPECT_EQ(writeTable(GroupList(), TableFormat::Csv), "");
    EXPECT_EQ(writeTable(groupOf({EntryPlaceholder()}), TableFormat::Tab), "");
    // A contact that only shares the placeholder's first name is exported.
    Entry named = EntryPlaceholder();
    named.set(Field::City, "Oslo");
    EXPECT_NE(writeTable(groupOf({named}), TableFormat::Tab), "");
}

TEST(TableWriter, NamesWhatThePlainFormatCannotCarryAndWritesItSoItReadsBack) {
    GroupList list = groupOf({makeEntry({{Field::FirstName, "A \"Al\" B"}, {Field::City, "x,y"}}),
                              makeEntry({{Field::FirstName, "C"}, {Field::Note, "1\r\n2\t3"}})});
    UncarriedValues csv = findUncarried(list, TableFormat::Csv);
    ASSERT_EQ(csv.count, 1u);  // commas and line breaks travel in quotes
    EXPECT_EQ(csv.first[0].position, 1);
    EXPECT_EQ(csv.first[0].field, Field::FirstName);
    UncarriedValues tab = findUncarried(list, TableFormat::Tab);
    ASSERT_EQ(tab.count, 1u);
    EXPECT_EQ(tab.first[0].field, Field::Note);

    Records back = records(writeTable(list, TableFormat::Csv), TableFormat::Csv);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0][1], "A \"Al\" B");
    EXPECT_EQ(back[0][9], "x,y");
    EXPECT_EQ(back[1][15], "1\n2\t3");  // CR LF read as text is LF
    Records tabBack = records(writeTable(list, TableFormat::Tab), TableFormat::Tab);
    ASSERT_EQ(tabBack.size(), 2u);
    EXPECT_EQ(tabBack[1][15], "1 2 3");
}

TEST(TableReader, ReadsQuotedUnquotedAndOtherProgramsFiles) {
    struct Case {
        const char* name;
        std::string file;
        TableFormat format;
        Records expected;
    } cases[] = {
        {"all quoted",
         "\"a\",\"b,c\"\r\n\"d\",\"\"\r\n",
         TableFormat::Csv,
         {{"a", "b,c"}, {"d", ""}}},
        {"unquoted", "a,b\nc,d\n", TableFormat::Csv, {{"a", "b"}, {"c", "d"}}},
        {"mixed, doubled quotes",
         "x,\"say \"\"hi\"\"\",3\n",
         TableFormat::Csv,
         {{"x", "say \"hi\"", "3"}}},
        {"line break in quotes", "\"a\nb\",c\nd\n", TableFormat::Csv, {{"a\nb", "c"}, {"d"}}},
        {"no final line feed", "a\tb\nc\td", TableFormat::Tab, {{"a", "b"}, {"c", "d"}}},
        {"trailing delimiter", "a\tb\t\nc\t\n", TableFormat::Tab, {{"a", "b"}, {"c"}}},
        {"blank lines", "\n\na,b\n\n", TableFormat::Csv, {{"a", "b"}}},
        {"unterminated quote", "\"a,b\nc", TableFormat::Csv, {{"a,b\nc"}}},
        {"byte-order mark", "\xEF\xBB\xBFx,y\n", TableFormat::Csv, {{"x", "y"}}},
        {"utf-16 little-endian",
         std::string("\xFF\xFE\"\0\xE9\0\"\0,\0\x3D\xD8\x00\xDE\r\0\n\0z\0", 20),
         TableFormat::Csv,
         {{"\xC3\xA9", "\xF0\x9F\x98\x80"}, {"z"}}},
        {"utf-16 big-endian, a lone surrogate and an odd last byte",
         std::string("\xFE\xFF\0a\0\t\xD8\x3D\0\n\0b\0", 13),
         TableFormat::Tab,
         {{"a", "\xEF\xBF\xBD"}, {"b\xEF\xBF\xBD"}}},
        {"quotes mean nothing in tab files", "\"a\tb\"\n", TableFormat::Tab, {{"\"a", "b\""}}},
        {"empty file", "", TableFormat::Csv, {}},
        {"longer record", "a,b\nc,d,e,f\n", TableFormat::Csv, {{"a", "b"}, {"c", "d", "e", "f"}}},
        {"quoted records around others",
         "\"a\",\"b\"\n\"c\"\"d\",\"e\"\n\"f\",g\n\"h\",\"\"\n\n\"i\",\n\"j\"x,\"k\"\n\"" +
             std::string(70, 'l') + "\",\"m\"",
         TableFormat::Csv,
         {{"a", "b"},
          {"c\"d", "e"},
          {"f", "g"},
          {"h", ""},
          {"i"},
          {"jx", "k"},
          {std::string(70, 'l'), "m"}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(records(c.file, c.format), c.expected) << c.name;
        EXPECT_EQ(passRecords(c.file, c.format), c.expected) << c.name;
    }
}

TEST(TableReader, LongValuesAreReadWholeAndCutOnlyOutsideTheNote) {
    std::string longText(1000, 'x');
    std::string file = "\"" + longText + "\",\"" + longText + "\"\n";
    TableReader reader(file, TableFormat::Csv);
    ASSERT_EQ(reader.recordCount(), 1);
    ImportMapping mapping(2);
    mapping.assign(0, Field::City);
    mapping.assign(1, Field::Note);
    GroupList into;
    ImportSummary summary = importTable(reader, mapping, Encoding::Windows1252, into);
    EXPECT_EQ(summary.values.valuesCut, 1u);
    EXPECT_EQ(into.find(1)->get(Field::City).size(), kMaxImportedValue);
    EXPECT_EQ(into.find(1)->get(Field::Note), longText);
}

TEST(FileChoice, ExtensionsAndFormatsOfChosenFiles) {
    struct ExportCase {
        const char* typed;
        int filter;
        const char* path;
    } exports[] = {
        {"list", 1, "list.csv"},
        {"list.CSV", 1, "list.CSV.csv"},
        {"list.csv.old", 1, "list.csv.old"},
        {"list", 2, "list.txt"},
        {"list.tab", 3, "list.tab"},
        {"cards", 4, "cards.vcf"},
    };
    for (const ExportCase& c : exports)
        EXPECT_EQ(exportPath(c.typed, c.filter), c.path) << c.typed << " " << c.filter;
    EXPECT_EQ(exportKind(3), FileKind::Tab);
    EXPECT_EQ(exportKind(4), FileKind::VCard);

    struct ImportCase {
        const char* path;
        int filter;
        FileKind kind;
    } imports[] = {
        {"C:\\A.CSV", 2, FileKind::Csv},      {"C:\\old.csv\\people.txt", 1, FileKind::Tab},
        {"phone.VCF", 1, FileKind::VCard},    {"contacts", 2, FileKind::Tab},
        {"contacts.dat", 3, FileKind::VCard},
    };
    for (const ImportCase& c : imports)
        EXPECT_EQ(importKind(c.path, c.filter), c.kind) << c.path;
}
