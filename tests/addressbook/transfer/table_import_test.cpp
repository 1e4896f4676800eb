#include "addressbook/transfer/table_import.h"

#include <gtest/gtest.h>

#include "tests/support/book_builder.h"

using namespace ctlite;
using namespace ctlite::transfer;
using testing_support::makeEntry;

namespace {

std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// The CSV file imported into `into`, value i of each record going to fields[i].
ImportSummary importAs(std::string_view file, std::initializer_list<Field> fields,
                       Encoding encoding, GroupList& into) {
    TableReader reader(file, TableFormat::Csv);
    ImportMapping mapping(static_cast<int>(fields.size()));
    int value = 0;
    for (Field field : fields)
        mapping.assign(value++, field);
    return importTable(reader, mapping, encoding, into);
}

}  // namespace

TEST(ImportMapping, AFieldTakesOneValueAndAValueMayChangeItsField) {
    ImportMapping mapping(3);
    EXPECT_TRUE(mapping.assign(0, Field::HomePhone));
    EXPECT_TRUE(mapping.assign(1, Field::Homepage));  // not refused for sharing a beginning
    EXPECT_FALSE(mapping.assign(2, Field::HomePhone));
    EXPECT_FALSE(mapping.target(2).has_value());
    EXPECT_TRUE(mapping.assign(0, Field::HomePhone));  // the row's own field again
    EXPECT_TRUE(mapping.assign(0, std::nullopt));
    EXPECT_TRUE(mapping.assign(2, Field::HomePhone));
    EXPECT_EQ(mapping.userOf(Field::HomePhone), 2);
}

TEST(ImportMapping, DropDownTextsAreTheCaptionsThenBmpAndNote) {
    FieldLabels labels;
    labels.set(Label::HomePhone, "Home");
    EXPECT_EQ(mappingText(Field::FirstName, labels), "First Name:");
    EXPECT_EQ(mappingText(Field::HomePhone, labels), "Home");
    EXPECT_EQ(mappingText(Field::Picture, labels), "BMP");
    EXPECT_EQ(mappingText(Field::Note, labels), "Note");
}

TEST(TableImport, RecordsGoToTheFrontInReverseFileOrderBeforeWhatTheGroupHeld) {
    struct Case {
        const char* name;
        GroupList group;
        std::vector<std::string> expected;  // first names, position 1 first
    } cases[3];
    cases[0].name = "group holding X";
    cases[0].group.insert(1, makeEntry({{Field::FirstName, "X"}}));
    cases[0].expected = {"C", "B", "A", "X"};
    cases[1].name = "group holding only the placeholder";
    cases[1].group.insert(1, EntryPlaceholder());
    cases[1].expected = {"C", "B", "A"};  // the placeholder gives way to real entries
    cases[2].name = "group holding the placeholder text beside X";
    cases[2].group.insert(1, EntryPlaceholder());
    cases[2].group.insert(1, makeEntry({{Field::FirstName, "X"}}));
    cases[2].expected = {"C", "B", "A", "X", std::string(kPlaceholderText)};
    for (Case& c : cases) {
        TableReader reader("A,1\nB,2\n\nC,3", TableFormat::Csv);
        ImportMapping mapping(2);
        mapping.assign(0, Field::FirstName);
        ImportSummary summary = importTable(reader, mapping, Encoding::Windows1252, c.group);
        EXPECT_EQ(summary.records, 3u) << c.name;
        std::vector<std::string> names;
        for (int p = 1; p <= c.group.count(); ++p)
            names.emplace_back(c.group.find(p)->get(Field::FirstName));
        EXPECT_EQ(names, c.expected) << c.name;
    }
}

TEST(TableImport, AnImportThatAddsNothingKeepsAnEmptyGroupsPlaceholder) {
    GroupList group;
    group.insert(1, EntryPlaceholder());
    ImportSummary summary = importAs("A,1\n,2\n", {Field::FirstName}, Encoding::Windows1252, group);
    EXPECT_EQ(summary.entries, 1u);
    ASSERT_EQ(group.count(), 1);
    EXPECT_EQ(group.find(1)->get(Field::FirstName), "A");

    GroupList empty;
    empty.insert(1, EntryPlaceholder());
    summary = importAs("A,1\n", {}, Encoding::Windows1252, empty);
    EXPECT_EQ(summary.entries, 0u);
    ASSERT_EQ(empty.count(), 1);
    EXPECT_TRUE(empty.find(1)->isPlaceholder());
}

TEST(TableImport, RecordsWithoutTextAddNothingAndExtraValuesAreDropped) {
    GroupList into;
    ImportSummary summary = importAs("a,b,c,d\n,,\nx\n", {Field::FirstName, Field::LastName},
                                     Encoding::Windows1252, into);
    EXPECT_EQ(summary.records, 3u);
    EXPECT_EQ(summary.entries, 2u);
    EXPECT_EQ(summary.blank, 1u);
    EXPECT_EQ(into.find(2)->get(Field::LastName), "b");
    EXPECT_EQ(into.find(1)->get(Field::FirstName), "x");
}

// Records of plain text are taken as they stand, all values at once; the length
// rules still hold for them, and a record with a line break goes value by value.
TEST(TableImport, PlainRecordsStillCutLongValuesAndKeepTheNoteWhole) {
    const std::string longText = repeated("x", 300);
    GroupList into;
    ImportSummary summary =
        importAs("\"" + longText + "\",\"" + longText + "\"\n\"two\nlines\",\"b\"\n",
                 {Field::CompanyName, Field::Note}, Encoding::Utf8, into);
    ASSERT_EQ(summary.entries, 2u);
    EXPECT_EQ(summary.values.valuesCut, 1u);
    EXPECT_EQ(into.find(2)->get(Field::CompanyName), repeated("x", 254));
    EXPECT_EQ(into.find(2)->get(Field::Note), longText);
    EXPECT_EQ(into.find(1)->get(Field::CompanyName), "two\r\nlines");
}

TEST(TableImport, ExportThenImportGivesTheSameEntries) {
    std::uint32_t seed = 7;
    GroupList original;
    for (int i = 0; i < 50; ++i) {
        Entry e = testing_support::randomEntry(seed);
        e.set(Field::GroupName, "");  // never in a file
        if (!e.isEmpty() && !e.isPlaceholder())
            original.insert(1, e);
    }
    for (TableFormat format : {TableFormat::Csv, TableFormat::Tab}) {
        GroupList back;
        std::string file = writeTable(original, format);
        TableReader reader(file, format);
        importTable(reader, ImportMapping::exportOrder(format), detectEncoding(file), back);
        ASSERT_EQ(back.count(), original.count());
        for (int p = 1; p <= original.count(); ++p) {
            const Entry& want = *original.find(original.count() + 1 - p);
            Entry got = *back.find(p);
            if (format == TableFormat::Tab)  // line breaks and tabs became blanks
                for (Field f : tableColumns(format)) {
                    std::string flat;
                    std::string_view v = want.get(f);
                    for (std::size_t i = 0; i < v.size(); ++i)
                        if (!(v[i] == '\r' && i + 1 < v.size() && v[i + 1] == '\n'))
                            flat += (v[i] == '\t' || v[i] == '\r' || v[i] == '\n') ? ' ' : v[i];
                    EXPECT_EQ(got.get(f), flat.substr(0, f == Field::Note ? flat.size() : 254));
                }
            else
                for (Field f : tableColumns(format))
                    EXPECT_EQ(got.get(f),
                              want.get(f).substr(0, f == Field::Note ? std::string::npos : 254));
            EXPECT_EQ(got.get(Field::Country).empty(), want.get(Field::Country).empty());
        }
    }
}

TEST(TableImport, ANotesLineEndsAreWrittenAsTheyAreAndReadBack) {
    struct Case {
        const char* name;
        TableFormat format;
        std::string note;
        std::string written;  // the note's value in the file
        std::string readBack;
    } cases[] = {
        {"two lines", TableFormat::Csv, "one\r\ntwo", "\"one\r\ntwo\"", "one\r\ntwo"},
        {"a blank line between", TableFormat::Csv, "a\r\n\r\nb", "\"a\r\n\r\nb\"", "a\r\n\r\nb"},
        {"ending in a line break", TableFormat::Csv, "a\r\n", "\"a\r\n\"", "a\r\n"},
        {"a bare line feed in text mode", TableFormat::Csv, "a\nb", "\"a\r\nb\"", "a\r\nb"},
        {"a carriage return before a line break", TableFormat::Csv, "a\r\r\nb", "\"a\r\r\r\nb\"",
         "a\r\r\nb"},
        {"tab file: a blank for each line break", TableFormat::Tab, "one\r\ntwo\r\n\r\nx",
         "one two  x", "one two  x"},
    };
    for (const Case& c : cases) {
        GroupList list;
        list.insert(1, makeEntry({{Field::FirstName, "Ann"}, {Field::Note, c.note}}));
        std::string file = writeTable(list, c.format);
        // The note, then the empty country.
        std::string end = c.written + (c.format == TableFormat::Csv ? ",\"\"\r\n" : "\t\r\n");
        ASSERT_GE(file.size(), end.size()) << c.name;
        EXPECT_EQ(file.substr(file.size() - end.size()), end) << c.name;
        GroupList back;
        TableReader reader(file, c.format);
        importTable(reader, ImportMapping::exportOrder(c.format), detectEncoding(file), back);
        ASSERT_EQ(back.count(), 1) << c.name;
        EXPECT_EQ(back.find(1)->get(Field::Note), c.readBack) << c.name;
    }
}

TEST(IncomingText, Utf8FilesAreConvertedAndWhatTheCodePageLacksIsCounted) {
    struct Case {
        const char* name;
        std::string bytes;
        Encoding encoding;
    } detection[] = {
        {"ascii", "abc", Encoding::Windows1252},
        {"utf-8", "Caf\xC3\xA9", Encoding::Utf8},
        {"bom",
         "\xEF\xBB\xBF"
         "abc",
         Encoding::Utf8},
        {"1252", "Caf\xE9", Encoding::Windows1252},
        {"overlong", "\xC0\xAF", Encoding::Windows1252},
        {"encoded surrogate", "\xED\xA0\x80", Encoding::Windows1252},
        {"utf-8 with a stray byte", "Zo\xC3\xAB,Z\xC3\xBCrich,\xFF", Encoding::Utf8},
        {"1252 with one pair that looks like utf-8", "M\xFCller,\xC3\xA9,\xE9t\xE9",
         Encoding::Windows1252},
        {"utf-16 little-endian",
         std::string("\xFF\xFE"
                     "a\0",
                     4),
         Encoding::Utf8},
        {"utf-16 big-endian", std::string("\xFE\xFF\0a", 4), Encoding::Utf8},
    };
    for (const Case& c : detection)
        EXPECT_EQ(detectEncoding(c.bytes), c.encoding) << c.name;

    struct Conversion {
        const char* name;
        std::string value;
        Encoding encoding;
        Field field;
        std::string stored;
        ValueCounts counts;  // cut, changed, replaced
    } conversions[] = {
        {"what the code page lacks",
         "Caf\xC3\xA9 \xE2\x82\xAC \xE6\x97\xA5\xF0\x9F\x98\x80",
         Encoding::Utf8,
         Field::City,
         "Caf\xE9 \x80 ??",
         {0, 1, 2}},
        {"line feeds", "a\nb\rc\r\nd", Encoding::Windows1252, Field::Note, "a\r\nb\rc\r\nd", {}},
        {"encoded surrogate", "\xED\xA0\x80", Encoding::Utf8, Field::City, "???", {0, 1, 3}},
        {"254 characters after conversion",
         repeated("\xC3\xA9", 254),
         Encoding::Utf8,
         Field::City,
         repeated("\xE9", 254),
         {}},
        {"255 characters after conversion",
         repeated("\xC3\xA9", 255),
         Encoding::Utf8,
         Field::City,
         repeated("\xE9", 254),
         {1, 0, 0}},
    };
    for (const Conversion& c : conversions) {
        ValueCounts counts;
        EXPECT_EQ(storedValue(c.value, c.encoding, c.field, counts), c.stored) << c.name;
        EXPECT_EQ(counts.valuesCut, c.counts.valuesCut) << c.name;
        EXPECT_EQ(counts.valuesChanged, c.counts.valuesChanged) << c.name;
        EXPECT_EQ(counts.charactersReplaced, c.counts.charactersReplaced) << c.name;
    }
}

// The looks over whole records take many bytes at a time: what they look for is
// found wherever it lies in a long text.
TEST(IncomingText, WhatDecidesAnEncodingOrAChangeIsFoundAnywhereInALongText) {
    for (std::size_t at = 0; at < 70; ++at) {
        std::string text(72, 'a');
        text[at] = '\n';
        EXPECT_FALSE(storedAsItStands(text, Encoding::Windows1252)) << at;
        text[at] = '\xE9';
        EXPECT_TRUE(storedAsItStands(text, Encoding::Windows1252)) << at;
        EXPECT_FALSE(storedAsItStands(text, Encoding::Utf8)) << at;
        EXPECT_EQ(detectEncoding(text), Encoding::Windows1252) << at;
        text[at] = '\xC3';
        text[at + 1] = '\xA9';  // a valid UTF-8 sequence
        EXPECT_EQ(detectEncoding(text), Encoding::Utf8) << at;
    }
}

// A UTF-8 file with one byte outside UTF-8 keeps its names; the byte is counted.
TEST(TableImport, AStrayByteInAUtf8FileIsReplacedAndCountedNotTheWholeFile) {
    std::string file = "Zo\xC3\xAB,Lee\nAnn,M\xFCller\n";
    GroupList into;
    ImportSummary summary =
        importAs(file, {Field::FirstName, Field::LastName}, detectEncoding(file), into);
    ASSERT_EQ(into.count(), 2);
    EXPECT_EQ(into.find(2)->get(Field::FirstName), "Zo\xEB");
    EXPECT_EQ(into.find(1)->get(Field::LastName), "M?ller");
    EXPECT_EQ(summary.values.charactersReplaced, 1u);
}
