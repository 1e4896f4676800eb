#include "addressbook/model/data_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "addressbook/model/data_format.h"
#include "addressbook/model/password.h"
#include "platform/whole_file.h"
#include "tests/support/allocation_meter.h"
#include "tests/support/book_builder.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/temp_dir.h"

using namespace ctlite;
using testing_support::AllocationMeter;
using testing_support::FaultyFileSystem;
using testing_support::makeEntry;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

platform::FileSystem& system() {
    return platform::systemFileSystem();
}

AddressBook loadFile(const std::string& path, bool justCreated = false) {
    AddressBook book;
    DataFile file(system(), path);
    file.readTrailer(book);
    LoadResult result = file.load(book, justCreated);
    EXPECT_FALSE(result.failure) << result.failure->message;
    EXPECT_TRUE(result.problems.empty());
    return book;
}

}  // namespace

TEST(DataFile, NewFileLoadsWithPlaceholderInGroupOneAndGroupTwoEmpty) {
    TempDir dir;
    DataFile file(system(), dir.file("data.dat"));
    EXPECT_FALSE(file.exists());
    ASSERT_FALSE(file.createNew());
    EXPECT_EQ(readBytes(file.path()).size(), 53u);
    AddressBook book = loadFile(file.path(), /*justCreated=*/true);
    ASSERT_EQ(book.group(0).entries().count(), 1);
    EXPECT_TRUE(book.group(0).entries().find(1)->isPlaceholder());
    EXPECT_EQ(book.group(1).entries().count(), 0);
    // Loaded again later, the same file keeps both placeholders.
    EXPECT_EQ(loadFile(file.path()).group(1).entries().count(), 1);
}

TEST(DataFile, SaveWritesGroupSectionAndTrailerTogether) {
    TempDir dir;
    AddressBook book;
    book.group(0).entries().insert(1, makeEntry({{Field::FirstName, "Ann"}}));
    book.setPassword("abc");
    DataFile file(system(), dir.file("data.dat"));
    ASSERT_FALSE(file.save(book));
    EXPECT_EQ(readBytes(file.path()), dataformat::fileImage(book));
    EXPECT_EQ(dir.count(), 1);  // no temporary file left behind
    AddressBook back = loadFile(file.path());
    EXPECT_EQ(back.password(), "abc");
    EXPECT_EQ(back.group(0).entries().find(1)->get(Field::FirstName), "Ann");
}

TEST(DataFile, WritingTheTrailerTwiceLeavesOneTrailer) {
    TempDir dir;
    DataFile file(system(), dir.file("data.dat"));
    ASSERT_FALSE(file.createNew());
    AddressBook book;
    book.setPassword("abc");
    ASSERT_FALSE(file.writeTrailer(book));
    book.labels().set(Label::City, "Town:");
    ASSERT_FALSE(file.writeTrailer(book));
    std::string bytes = readBytes(file.path());
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\x0E'), 18);
    EXPECT_EQ(bytes.substr(0, 53), dataformat::newFileImage());
    EXPECT_EQ(loadFile(file.path()).labels().get(Label::City), "Town:");
}

TEST(DataFile, FileWithoutTrailerKeepsWhatMemoryHolds) {
    TempDir dir;
    DataFile file(system(), dir.file("data.dat"));
    ASSERT_FALSE(file.createNew());
    AddressBook book;
    book.setPassword("keep");
    book.setLocked(true);
    book.labels().set(Label::Fax, "Telefax:");
    book.group(1).setName("Work");
    TrailerResult trailer = file.readTrailer(book);
    EXPECT_FALSE(trailer.unreadable);
    EXPECT_TRUE(trailer.problems.empty());
    EXPECT_EQ(book.password(), "keep");
    EXPECT_TRUE(book.locked());
    EXPECT_EQ(book.labels().get(Label::Fax), "Telefax:");
    // The next save writes them into the file.
    ASSERT_FALSE(file.save(book));
    AddressBook back = loadFile(file.path());
    EXPECT_EQ(back.password(), "keep");
    EXPECT_EQ(back.labels().get(Label::Fax), "Telefax:");
    EXPECT_EQ(back.groupName(1), "Work");
}

TEST(DataFile, PasswordIsStoredScrambledWhateverMemoryHolds) {
    TempDir dir;
    DataFile file(system(), dir.file("data.dat"));
    AddressBook book;
    book.setPassword("abc");
    book.scramblePassword();  // hidden in the tray
    ASSERT_FALSE(file.save(book));
    std::string bytes = readBytes(file.path());
    std::string stored = rotatePrintable("abc", kPasswordRotation);
    EXPECT_NE(bytes.find("\x0E" + stored + "\x0E"), std::string::npos);
    EXPECT_EQ(loadFile(file.path()).password(), "abc");
}

TEST(DataFile, AddingAGroupKeepsTheTrailerAtTheEnd) {
    TempDir dir;
    DataFile file(system(), dir.file("data.dat"));
    AddressBook book;
    book.setPassword("pw");
    ASSERT_FALSE(file.save(book));
    ASSERT_FALSE(file.appendGroup("Friends"));
    AddressBook back = loadFile(file.path());
    ASSERT_EQ(back.groupCount(), 3);
    EXPECT_EQ(back.groupName(2), "Friends");
    ASSERT_EQ(back.group(2).entries().count(), 1);
    EXPECT_TRUE(back.group(2).entries().find(1)->isPlaceholder());
    EXPECT_EQ(back.password(), "pw");
}

TEST(DataFile, DeletingAGroupKeepsEveryOtherEntryOnce) {
    TempDir dir;
    DataFile file(system(), dir.file("data.dat"));
    AddressBook book = testing_support::randomBook(7, 5, 6);
    for (int g = 0; g < 5; ++g)
        book.group(g).entries().insert(1, makeEntry({{Field::FirstName, "G" + std::to_string(g)}}));
    ASSERT_TRUE(book.removeGroup(2));
    ASSERT_FALSE(file.save(book));
    AddressBook back = loadFile(file.path());
    ASSERT_EQ(back.groupCount(), 4);
    for (int g = 0; g < 4; ++g) {
        const GroupList& a = book.group(g).entries();
        const GroupList& b = back.group(g).entries();
        ASSERT_EQ(a.count(), b.count());
        for (int p = 1; p <= a.count(); ++p)
            EXPECT_EQ(*a.find(p), *b.find(a.count() + 1 - p));
    }
}

TEST(DataFile, ReadOnlyFileIsRefusedAndKept) {
    TempDir dir;
    DataFile file(system(), dir.file("data.dat"));
    ASSERT_FALSE(file.createNew());
    testing_support::makeReadOnly(file.path());
    AddressBook book;
    book.group(0).entries().insert(1, makeEntry({{Field::FirstName, "Ann"}}));
    Outcome failure = file.save(book);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, "File is set to Read-only, can't write to the file.\nSave Failed.");
    EXPECT_EQ(failure->title, "Error");
    EXPECT_FALSE(failure->endsProgram);
    EXPECT_EQ(readBytes(file.path()), dataformat::newFileImage());
    EXPECT_TRUE(file.writeTrailer(book));
    EXPECT_TRUE(file.appendGroup("x"));
    EXPECT_EQ(readBytes(file.path()), dataformat::newFileImage());
}

TEST(DataFile, FolderThatCannotHoldTheFileIsReported) {
    TempDir dir;
    DataFile file(system(), dir.file("missing-folder/data.dat"));
    Outcome failure = file.save(AddressBook());
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, "Reading file failed.");
    EXPECT_EQ(failure->title, "Error");
}

TEST(DataFile, LoadOfAMissingFileEndsTheProgram) {
    TempDir dir;
    AddressBook book;
    book.addGroup("kept");
    LoadResult result = DataFile(system(), dir.file("nothing.dat")).load(book);
    ASSERT_TRUE(result.failure);
    EXPECT_EQ(result.failure->message, "Fatal error executing the program : can't open file");
    EXPECT_EQ(result.failure->title, "Fatal Error");
    EXPECT_TRUE(result.failure->endsProgram);
    EXPECT_EQ(book.groupCount(), 3);  // unchanged
}

TEST(DataFile, BackupCopiesTheFileOnDisk) {
    TempDir dir;
    DataFile file(system(), dir.file("data.dat"));
    AddressBook book = testing_support::randomBook(3, 3, 5);
    ASSERT_FALSE(file.save(book));
    book.addGroup("unsaved");
    writeBytes(dir.file("old-backup.dat"), "old");
    EXPECT_TRUE(file.backupTo(dir.file("old-backup.dat")));
    EXPECT_EQ(readBytes(dir.file("old-backup.dat")), readBytes(file.path()));
    EXPECT_FALSE(file.backupTo(dir.file("no/such/folder.dat")));
}

// Every write, failing or killed at any one of its steps, leaves the old file whole.
TEST(DataFile, InterruptedWritesLeaveTheOldFileByteIdentical) {
    TempDir dir;
    std::string path = dir.file("data.dat");
    AddressBook oldBook = testing_support::randomBook(11, 4, 30);
    ASSERT_FALSE(DataFile(system(), path).save(oldBook));
    const std::string oldBytes = readBytes(path);
    // Large enough to be written in several pieces, so that a write fails between them too.
    AddressBook newBook = testing_support::generatedBook(4000, 3);
    ASSERT_GT(dataformat::fileImageSize(newBook), 2u << 18);

    using Operation = std::function<Outcome(DataFile&)>;
    const std::vector<std::pair<const char*, Operation>> operations = {
        {"save", [&](DataFile& f) { return f.save(newBook); }},
        {"trailer", [&](DataFile& f) { return f.writeTrailer(newBook); }},
        {"append group", [&](DataFile& f) { return f.appendGroup("New"); }},
        {"create", [&](DataFile& f) { return f.createNew(); }},
    };
    for (auto fault : {FaultyFileSystem::Fault::Fail, FaultyFileSystem::Fault::Crash}) {
        for (const auto& [name, operation] : operations) {
            // What the file holds after the operation runs undisturbed.
            DataFile plain(system(), path);
            ASSERT_FALSE(operation(plain)) << name;
            const std::string expected = readBytes(path);
            writeBytes(path, oldBytes);
            for (int at = 1;; ++at) {
                FaultyFileSystem faulty(system(), at, fault);
                DataFile file(faulty, path);
                Outcome outcome;
                bool crashed = false;
                try {
                    outcome = operation(file);
                } catch (const testing_support::SimulatedCrash&) {
                    crashed = true;
                }
                const bool done = !faulty.tripped();
                if (!outcome && !crashed) {
                    // Succeeded, past the fault or around it (a temporary name that could
                    // not be created is followed by the next one): the new file is in place.
                    EXPECT_EQ(readBytes(path), expected) << name << " at step " << at;
                    writeBytes(path, oldBytes);
                } else {
                    EXPECT_EQ(readBytes(path), oldBytes) << name << " interrupted at step " << at;
                    if (!crashed) {
                        EXPECT_EQ(dir.count(), 1) << name << " failing at step " << at;
                    }
                }
                if (done)
                    break;
                // A killed write may leave its temporary file; the next run would skip it.
                for (const auto& item : std::filesystem::directory_iterator(dir.path()))
                    if (item.path().string() != path)
                        std::filesystem::remove(item.path());
                ASSERT_LT(at, 50) << name;
            }
        }
    }
}

TEST(DataFile, UnreadableTrailerIsToldApartFromAMissingOne) {
    TempDir dir;
    DataFile file(system(), dir.file("data.dat"));
    AddressBook book;
    book.setPassword("secret");
    ASSERT_FALSE(file.save(book));
    FaultyFileSystem faulty(system(), 1, FaultyFileSystem::Fault::Fail);  // the open fails
    AddressBook other;
    TrailerResult result = DataFile(faulty, file.path()).readTrailer(other);
    EXPECT_TRUE(result.unreadable);
    EXPECT_FALSE(other.hasPassword());
    EXPECT_FALSE(DataFile(system(), dir.file("none.dat")).readTrailer(other).unreadable);
}

TEST(DataFile, NoSaveWritesAFileTheReaderWouldRefuse) {
    // A book whose file comes to exactly the largest size the reader takes, then one byte more.
    TempDir dir;
    std::string path = dir.file("data.dat");
    AddressBook book;
    const std::string quarter(dataformat::kMaxFileSize / 4, 'n');
    for (int i = 0; i < 3; ++i)
        book.group(0).entries().insert(1, makeEntry({{Field::Note, quarter}}));
    std::size_t rest = dataformat::kMaxFileSize - dataformat::fileImageSize(book) -
                       dataformat::recordSize(Entry());
    book.group(0).entries().insert(1, makeEntry({{Field::Note, std::string(rest, 'n')}}));
    ASSERT_EQ(dataformat::fileImageSize(book), dataformat::kMaxFileSize);

    ASSERT_FALSE(DataFile(system(), path).save(book));
    EXPECT_EQ(loadFile(path).group(0).entries().count(), 4);

    writeBytes(path, "old book");
    book.group(0).entries().insert(1, Entry());  // a blank record costs its separators alone
    ASSERT_GT(dataformat::fileImageSize(book), dataformat::kMaxFileSize);
    Outcome refused = DataFile(system(), path).save(book);
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->message.find("too large to be saved"), std::string::npos);
    EXPECT_FALSE(refused->endsProgram);
    EXPECT_EQ(readBytes(path), "old book");
}

TEST(DataFile, AMillionPersonalEntriesFitTheFile) {
    // A hundredth of such a book, a hundred times over, with room to spare.
    std::size_t hundredth = dataformat::fileImageSize(testing_support::generatedBook(10000, 4));
    EXPECT_LT(hundredth * 100 * 3 / 2, dataformat::kMaxFileSize) << hundredth;
}

TEST(DataFile, RunningOutOfMemoryWhileSavingIsReportedAndKeepsTheFile) {
    TempDir dir;
    std::string path = dir.file("data.dat");
    writeBytes(path, "old book");
    AddressBook book;
    book.group(0).entries().insert(1, makeEntry({{Field::Note, std::string(1 << 20, 'n')}}));
    Outcome saved;
    {
        AllocationMeter lowMemory(64 << 10);  // no block over 64 KB
        saved = DataFile(system(), path).save(book);
    }
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->message.substr(0, 26), "There is not enough memory");
    EXPECT_FALSE(saved->endsProgram);
    EXPECT_EQ(readBytes(path), "old book");
}
