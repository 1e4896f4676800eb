#include "tools/ctlite-data/data_tool.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <sstream>

#include "addressbook/model/data_file.h"
#include "addressbook/model/data_format.h"
#include "platform/windows1252.h"
#include "tests/support/book_builder.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/temp_dir.h"

using namespace ctlite;
using platform::utf8FromCp1252;
using testing_support::makeEntry;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

struct ToolRun {
    int status;
    std::string out, err;
};

ToolRun run(std::vector<std::string> args,
            platform::FileSystem& fs = platform::systemFileSystem()) {
    std::ostringstream out, err;
    int status = runDataTool(args, fs, out, err);
    return {status, out.str(), err.str()};
}

std::vector<nlohmann::json> jsonLines(const std::string& text) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(nlohmann::json::parse(line));
    return lines;
}

}  // namespace

TEST(DataTool, NewRefusesToReplaceABook) {
    TempDir dir;
    std::string path = dir.file("book.dat");
    EXPECT_EQ(run({"new", path}).status, 0);
    EXPECT_EQ(readBytes(path), dataformat::newFileImage());
    writeBytes(path, "precious");
    ToolRun again = run({"new", path});
    EXPECT_EQ(again.status, 2);
    EXPECT_NE(again.err.find("already exists"), std::string::npos);
    EXPECT_EQ(readBytes(path), "precious");
}

TEST(DataTool, ShowPrintsEveryFieldButNeverThePassword) {
    TempDir dir;
    std::string path = dir.file("book.dat");
    AddressBook book;
    book.setPassword("hunter2");
    book.labels().set(Label::Fax, "Telefax:");
    int g = book.addGroup("Caf\xE9");
    book.group(g).entries().insert(1, makeEntry({{Field::FirstName, "Ren\xE9"},
                                                 {Field::Note, "two\r\nlines"},
                                                 {Field::WorkPhone, "\x80 5"}}));
    ASSERT_FALSE(DataFile(platform::systemFileSystem(), path).save(book));

    ToolRun r = run({"show", path});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("hunter2"), std::string::npos);
    auto lines = jsonLines(r.out);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0]["type"], "book");
    EXPECT_EQ(lines[0]["passwordSet"], true);
    EXPECT_EQ(lines[0]["labels"]["fax"], "Telefax:");
    EXPECT_EQ(lines[0]["groupNames"][2], "Caf\u00e9");
    const nlohmann::json& entry = lines.back();
    EXPECT_EQ(entry["type"], "entry");
    EXPECT_EQ(entry["group"], 3);
    EXPECT_EQ(entry["firstName"], "Ren\u00e9");
    EXPECT_EQ(entry["note"], "two\r\nlines");
    EXPECT_EQ(entry["workPhone"], "\u20ac 5");
    EXPECT_EQ(entry["homepage"], "");
    EXPECT_EQ(entry.size(), 4u + kFieldCount);
}

TEST(DataTool, CheckTellsCleanFromDamaged) {
    TempDir dir;
    std::string path = dir.file("book.dat");
    ASSERT_FALSE(
        DataFile(platform::systemFileSystem(), path).save(testing_support::randomBook(5, 4, 8)));
    ToolRun clean = run({"check", path});
    EXPECT_EQ(clean.status, 0) << clean.out;

    std::string bytes = readBytes(path);
    bytes.insert(10, "\x05\x05");
    writeBytes(path, bytes);
    ToolRun damaged = run({"check", path});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.out.find("control bytes"), std::string::npos) << damaged.out;

    EXPECT_EQ(run({"check", dir.file("missing.dat")}).status, 2);
}

TEST(DataTool, CheckFindsWhatWouldNotReadBack) {
    // A blank record among group 1's entries is dropped on reading.
    std::string blank, ann;
    dataformat::appendRecord(blank, Entry());
    dataformat::appendRecord(ann, makeEntry({{Field::FirstName, "Ann"}}));
    std::string placeholder;
    dataformat::appendRecord(placeholder, EntryPlaceholder());
    EXPECT_TRUE(checkImage(ann + "\x07" + placeholder).empty());
    EXPECT_FALSE(checkImage(ann + blank + "\x07" + placeholder).empty());
    EXPECT_TRUE(checkImage(dataformat::newFileImage()).empty());
    // An empty user group, stored as a blank record, reads back as its placeholder: clean.
    AddressBook book;
    book.addGroup("Empty");
    EXPECT_TRUE(checkImage(dataformat::fileImage(book)).empty());
}

TEST(DataTool, CopyWritesTheWholeBookOrNothing) {
    TempDir dir;
    std::string in = dir.file("in.dat"), out = dir.file("out.dat");
    AddressBook book = testing_support::randomBook(9, 3, 10);
    ASSERT_FALSE(DataFile(platform::systemFileSystem(), in).save(book));
    ASSERT_EQ(run({"copy", in, out}).status, 0);
    // The copy is exactly what the program saves after loading IN.
    AddressBook loaded;
    DataFile source(platform::systemFileSystem(), in);
    source.readTrailer(loaded);
    ASSERT_FALSE(source.load(loaded).failure);
    EXPECT_EQ(readBytes(out), dataformat::fileImage(loaded));

    // A failure part-way leaves an existing OUT untouched.
    writeBytes(out, "old out");
    for (int at = 1; at < 40; ++at) {
        testing_support::FaultyFileSystem faulty(platform::systemFileSystem(), at,
                                                 testing_support::FaultyFileSystem::Fault::Fail);
        ToolRun r = run({"copy", in, out}, faulty);
        if (r.status == 0) {
            // Past the fault or around it: the whole copy is in place.
            EXPECT_EQ(readBytes(out), dataformat::fileImage(loaded)) << "step " << at;
            writeBytes(out, "old out");
        } else {
            EXPECT_EQ(r.status, 2) << "step " << at;
            EXPECT_EQ(readBytes(out), "old out") << "step " << at;
        }
        if (!faulty.tripped())
            break;
    }
    EXPECT_EQ(run({"copy", dir.file("none.dat"), out}).status, 2);
    EXPECT_EQ(run({"copy", in}).status, 2);
}

TEST(DataTool, CopyOfADamagedBookSaysWhatChanged) {
    TempDir dir;
    std::string in = dir.file("in.dat"), out = dir.file("out.dat");
    writeBytes(in,
               "Ann\x05"
               "Acme\x05\x05"
               "x\x01\x04");  // an extra sub-separator
    ToolRun r = run({"copy", in, out});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("written, but not the same book"), std::string::npos) << r.err;
    EXPECT_FALSE(readBytes(out).empty());
}

TEST(DataTool, CheckSaysWhatWouldNotReadBack) {
    std::string ann, bea;
    dataformat::appendRecord(ann, makeEntry({{Field::FirstName, "Ann"}}));
    dataformat::appendRecord(bea, makeEntry({{Field::FirstName, "Bea"}}));
    struct Case {
        const char* name;
        std::string image;
        const char* difference;
    } cases[] = {
        {"no second group", ann + bea, "group 2 (\"Business\"): 0 entries become 1"},
        {"an empty user group's blank record",
         ann + "\x07" + bea +
             "\x07"
             "G\x18" +
             ann + bea,
         ""},
    };
    for (const Case& c : cases) {
        ProblemList problems = checkImage(c.image);
        std::string all;
        for (const Problem& p : problems.kept())
            all += p.text + "\n";
        if (*c.difference == '\0')
            EXPECT_TRUE(problems.empty()) << c.name << ": " << all;
        else
            EXPECT_NE(all.find(c.difference), std::string::npos) << c.name << ": " << all;
    }
}

TEST(DataTool, CopyRefusesAFileOfLittleButDamage) {
    // Two bytes a record in, eighteen out and a hundred in memory.
    TempDir dir;
    std::string in = dir.file("in.dat"), out = dir.file("out.dat");
    std::string image;
    for (int i = 0; i < (1 << 20); ++i)
        image += "a\x01";
    writeBytes(in, image);
    writeBytes(out, "old out");
    ToolRun r = run({"copy", in, out});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("too damaged"), std::string::npos) << r.err;
    EXPECT_EQ(readBytes(out), "old out");
}

TEST(Cp1252, MapsEveryByteToUtf8) {
    EXPECT_EQ(utf8FromCp1252("abc"), "abc");
    EXPECT_EQ(utf8FromCp1252("\xE9\xFF"), "\u00e9\u00ff");
    EXPECT_EQ(utf8FromCp1252("\x80\x9F\x81"), "\u20ac\u0178\u0081");
    for (int c = 1; c < 256; ++c)
        EXPECT_NO_THROW(
            nlohmann::json(utf8FromCp1252(std::string(1, static_cast<char>(c)))).dump());
}

// ---- export and import

namespace {

ToolRun runWithInput(std::vector<std::string> args, const std::string& input,
                     platform::FileSystem& fs = platform::systemFileSystem()) {
    std::istringstream in(input);
    std::ostringstream out, err;
    int status = runDataTool(args, fs, in, out, err);
    return {status, out.str(), err.str()};
}

class DataToolTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        AddressBook book;
        int g = book.addGroup("Friends");
        book.group(g).entries().insert(
            1, makeEntry({{Field::FirstName, "Ann"}, {Field::Note, "say \"hi\""}}));
        book.group(g).entries().insert(1, makeEntry({{Field::FirstName, "Bob"}}));
        ASSERT_FALSE(DataFile(platform::systemFileSystem(), path).save(book));
    }
    AddressBook load() {
        AddressBook book;
        DataFile file(platform::systemFileSystem(), path);
        file.readTrailer(book);
        EXPECT_FALSE(file.load(book).failure);
        return book;
    }
    TempDir dir;
    std::string path = dir.file("book.dat");
};

}  // namespace

TEST_F(DataToolTransfer, ExportWritesEachFormatToAFileOrStandardOutput) {
    ToolRun csv = run({"export", path, "--group", "3", "--format", "csv", "-"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out.substr(0, 8), "\"\",\"Ann\"");  // stored order, as loaded
    EXPECT_NE(csv.out.find("\"say \"\"hi\"\"\""), std::string::npos);
    EXPECT_NE(csv.err.find("1 values hold a double quote"), std::string::npos) << csv.err;
    EXPECT_NE(csv.err.find("entry 1 note"), std::string::npos) << csv.err;

    std::string vcf = dir.file("out.vcf");
    ASSERT_EQ(run({"export", path, "--format", "vcard", "--group", "3", vcf}).status, 0);
    std::string cards = readBytes(vcf);
    EXPECT_EQ(cards.substr(0, 13), "BEGIN:VCARD\r\n");
    EXPECT_NE(cards.find("CATEGORIES:Friends\r\n"), std::string::npos);

    ToolRun empty = run({"export", path, "--group", "1", "--format", "tab", "-"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
}

TEST_F(DataToolTransfer, ImportAddsToAGroupOrANewOneAndSaysWhatItRead) {
    ToolRun added =
        runWithInput({"import", path, "-", "--format", "tab", "--group", "3"}, "Acme\tCy\n");
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out,
              "standard input: 1 records read, 1 entries added to group 3 (Friends); 0 values "
              "cut to 254 characters, 0 characters replaced by \"?\" in 0 values\n");
    std::string vcf = dir.file("in.vcf");
    writeBytes(vcf, "BEGIN:VCARD\r\nFN:\xE6\x9D\x8E Li\r\nEND:VCARD\r\n");
    ToolRun fresh =
        run({"import", path, vcf, "--format", "vcard", "--new-group", "Ph\xC3\xB6ne"});  // UTF-8
    ASSERT_EQ(fresh.status, 0) << fresh.err;
    EXPECT_NE(fresh.out.find("1 characters replaced by \"?\" in 1 values"), std::string::npos);

    AddressBook book = load();
    ASSERT_EQ(book.groupCount(), 4);
    EXPECT_EQ(book.group(2).entries().find(1)->get(Field::CompanyName), "Acme");
    EXPECT_EQ(book.group(2).entries().count(), 3);
    EXPECT_EQ(book.groupName(3), "Ph\xF6ne");
    EXPECT_EQ(book.group(3).entries().find(1)->get(Field::FirstName), "? Li");
}

TEST_F(DataToolTransfer, AFirstLineOfColumnNamesMapsTheValuesUnlessTheUserSaysOtherwise) {
    const std::string named = "Surname,Given Name,Birthday\nSmith,Ann,1 May\n";
    const std::string unsure = "Given Name,Hobby\nAnn,chess\n";  // one known name: data
    struct Case {
        const std::string& file;
        const char* option;  // nullptr: judged by the names
        const char* printed;
        std::vector<std::string> firstNames;  // of the entries added to group 3
    } cases[] = {
        {named,
         nullptr,
         "first line holds column names: \"Surname\" -> lastName, \"Given Name\" -> firstName, "
         "\"Birthday\" -> none\n",
         {"Ann"}},
        {named, "--no-header", "standard input: 2 records", {"Ann", "Given Name"}},
        {unsure, nullptr, "standard input: 2 records", {"chess", "Hobby"}},
        {unsure, "--header", "first line holds column names:", {"Ann"}},
    };
    for (const Case& c : cases) {
        SetUp();
        std::vector<std::string> args = {"import", path, "-", "--format", "csv", "--group", "3"};
        if (c.option)
            args.push_back(c.option);
        ToolRun r = runWithInput(args, c.file);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out.rfind(c.printed, 0), 0u) << r.out;
        AddressBook book = load();
        const GroupList& list = book.group(2).entries();
        std::vector<std::string> names = c.firstNames;
        names.insert(names.end(), {"Ann", "Bob"});
        std::vector<std::string> found;
        for (int p = 1; p <= list.count(); ++p)
            found.emplace_back(list.find(p)->get(Field::FirstName));
        std::sort(names.begin(), names.end());
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, names) << r.out;
    }
}

TEST_F(DataToolTransfer, RefusesBadRequestsAndKeepsTheBookWhole) {
    std::string before = readBytes(path);
    struct Case {
        const char* name;
        std::vector<std::string> args;
    } cases[] = {
        {"no such group", {"export", path, "--group", "4", "--format", "csv", "-"}},
        {"group and new group",
         {"import", path, "-", "--format", "csv", "--group", "1", "--new-group", "X"}},
        {"no format", {"import", path, "-", "--group", "1"}},
        {"unknown format", {"export", path, "--group", "1", "--format", "xls", "-"}},
        {"missing input",
         {"import", path, dir.file("none.csv"), "--format", "csv", "--group", "1"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(runWithInput(c.args, "a,b\n").status, 2) << c.name;
        EXPECT_EQ(readBytes(path), before) << c.name;
    }
    // A damaged book is not saved over.
    writeBytes(path, before.substr(0, 5) + "\x05\x05" + before.substr(5));
    ToolRun damaged = runWithInput({"import", path, "-", "--format", "csv", "--group", "1"}, "a\n");
    EXPECT_EQ(damaged.status, 2);
    EXPECT_NE(damaged.err.find("nothing imported"), std::string::npos) << damaged.err;
    // A write that fails part-way leaves the book as it was.
    writeBytes(path, before);
    for (int at = 1; at < 40; ++at) {
        testing_support::FaultyFileSystem faulty(platform::systemFileSystem(), at,
                                                 testing_support::FaultyFileSystem::Fault::Fail);
        ToolRun r =
            runWithInput({"import", path, "-", "--format", "csv", "--group", "1"}, "Zed\n", faulty);
        if (!faulty.tripped())
            break;
        if (r.status != 0) {
            EXPECT_EQ(readBytes(path), before) << "failure at call " << at;
        }
        writeBytes(path, before);
    }
}
