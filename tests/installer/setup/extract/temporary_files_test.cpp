#include "installer/setup/extract/temporary_files.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/file_system.h"
#include "tests/support/temp_dir.h"

using namespace vortix;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

// A disk of names only, with a clock that stands still unless moved.
struct FakeDisk {
    std::set<std::string> files;
    std::set<std::string> undeletable;
    bool full = false;
    std::uint32_t now = 5000;

    TemporaryFileCalls calls() {
        TemporaryFileCalls c;
        c.createNew = [this](const std::string& path) {
            if (files.count(path))
                return CreateOutcome::Taken;
            if (full)
                return CreateOutcome::Failed;
            files.insert(path);
            return CreateOutcome::Created;
        };
        c.remove = [this](const std::string& path) {
            return !undeletable.count(path) && files.erase(path) == 1;
        };
        c.tick = [this] { return now; };
        return c;
    }
};

}  // namespace

TEST(TemporaryFiles, DirectoryFallsBackToDriveCAndEndsInABackslash) {
    EXPECT_EQ(temporaryDirectory(""), "C:\\");
    EXPECT_EQ(temporaryDirectory("C:\\TEMP"), "C:\\TEMP\\");
    EXPECT_EQ(temporaryDirectory("D:\\Tmp\\"), "D:\\Tmp\\");
}

TEST(TemporaryFiles, NamesCountUpFromTheTickAndSkipTakenNames) {
    FakeDisk disk;
    disk.files.insert("T\\vxw5000.DLL");
    disk.files.insert("T\\vxw5002.DLL");
    TemporaryFiles temporaries("T\\", disk.calls());
    // Same millisecond: consecutive numbers; a name is taken only with its extension.
    EXPECT_EQ(temporaries.create(".tmp"), "T\\vxw5000.tmp");
    EXPECT_EQ(temporaries.create(".tmp"), "T\\vxw5001.tmp");
    EXPECT_EQ(temporaries.create(".DLL"), "T\\vxw5001.DLL");
    EXPECT_EQ(temporaries.create(".DLL"), "T\\vxw5003.DLL");
    disk.now = 9;
    EXPECT_EQ(temporaries.create(".jpg"), "T\\vxw9.jpg");
    disk.now = 0xFFFFFFFF;
    EXPECT_EQ(temporaries.create(".bmp"), "T\\vxw4294967295.bmp");
    EXPECT_EQ(temporaries.paths().size(), 6u);

    disk.full = true;
    EXPECT_EQ(temporaries.create(".TTF"), std::nullopt);
    EXPECT_EQ(temporaries.paths().size(), 6u);
}

TEST(TemporaryFiles, CleanUpDeletesEveryFileMadeAndKeepsWhatItCannotDelete) {
    FakeDisk disk;
    disk.files.insert("T\\other.txt");
    {
        TemporaryFiles temporaries("T\\", disk.calls());
        std::string jpg = *temporaries.create(".jpg");
        std::string dll = *temporaries.create(".DLL");
        temporaries.create(".bmp");
        EXPECT_TRUE(temporaries.remove(jpg));
        EXPECT_FALSE(temporaries.remove(jpg));
        EXPECT_FALSE(temporaries.remove("T\\other.txt"));  // not ours
        disk.undeletable.insert(dll);
        EXPECT_FALSE(temporaries.removeAll());
        EXPECT_EQ(temporaries.paths(), std::vector<std::string>{dll});
        disk.undeletable.clear();
        temporaries.create(".mp3");
    }  // the rest goes with the list
    EXPECT_EQ(disk.files, std::set<std::string>{"T\\other.txt"});
}

TEST(TemporaryFiles, OnTheRealDiskAnExistingFileIsNeverReused) {
    TempDir dir;
    const std::string base = dir.path() + "/";
    writeBytes(base + "vxw77.EXE", "keep me");
    {
        TemporaryFiles temporaries(
            base, fileSystemCalls(platform::systemFileSystem(), [] { return 77u; }));
        std::optional<std::string> first = temporaries.create(".EXE");
        std::optional<std::string> second = temporaries.create(".EXE");
        ASSERT_TRUE(first && second);
        EXPECT_EQ(*first, base + "vxw78.EXE");
        EXPECT_EQ(*second, base + "vxw79.EXE");
        EXPECT_EQ(readBytes(*first), "");
        EXPECT_EQ(dir.count(), 3);

        TemporaryFiles nowhere(dir.path() + "/missing/",
                               fileSystemCalls(platform::systemFileSystem(), [] { return 1u; }));
        EXPECT_EQ(nowhere.create(".tmp"), std::nullopt);
    }
    EXPECT_EQ(dir.count(), 1);
    EXPECT_EQ(readBytes(base + "vxw77.EXE"), "keep me");
}
