#include "tools/ctlite-data/data_tool.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

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

TEST(DataTool, CopyRefusesABookTooLargeToReadBack) {
    // A lone terminator in group 2 is a damaged record read as a blank one, which
    // saves as seventeen bytes: 16 MiB would save as 272 MiB.
    TempDir dir;
    std::string in = dir.file("in.dat"), out = dir.file("out.dat");
    writeBytes(in, "\x07" + std::string(16 << 20, '\x13'));
    writeBytes(out, "old out");
    ToolRun r = run({"copy", in, out});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("too large to be saved"), std::string::npos) << r.err;
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
