// Whole-file writes: the order of the steps that make a save crash-safe, what a
// failed step leaves, leftovers of killed writes, and the rights of the old file.
#include "platform/whole_file.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "tests/support/temp_dir.h"

using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

// The system's file table, with every step written down and any kind of step made
// to fail on request.
class RecordingFileSystem : public platform::FileSystem {
public:
    std::vector<std::string> steps;
    std::set<std::string> failing;
    int opensTried = 0;

    std::unique_ptr<platform::File> open(const std::string& path,
                                         platform::OpenMode mode) override {
        ++opensTried;
        auto file = real().open(path, mode);
        if (!file)
            return nullptr;
        steps.push_back("open");
        return std::make_unique<RecordingFile>(*this, std::move(file));
    }
    bool replace(const std::string& from, const std::string& to) override {
        return step("replace") && real().replace(from, to);
    }
    bool remove(const std::string& path) override { return step("remove") && real().remove(path); }
    bool copyAccess(const std::string& from, const std::string& to) override {
        return step("copyAccess") && real().copyAccess(from, to);
    }
    bool status(const std::string& path, platform::PathStatus& out) override {
        return real().status(path, out);
    }

    // Written down; false when this kind of step is to fail.
    bool step(const std::string& name) {
        steps.push_back(name);
        return failing.count(name) == 0;
    }

private:
    class RecordingFile : public platform::File {
    public:
        RecordingFile(RecordingFileSystem& fs, std::unique_ptr<platform::File> file)
            : fs_(fs), file_(std::move(file)) {}
        bool read(char* buffer, std::size_t size, std::size_t& got) override {
            return file_->read(buffer, size, got);
        }
        bool write(const char* data, std::size_t size) override {
            return fs_.step("write") && file_->write(data, size);
        }
        bool sync() override { return fs_.step("sync") && file_->sync(); }
        bool size(std::uint64_t& bytes) override { return file_->size(bytes); }
        bool seek(std::uint64_t offset) override { return file_->seek(offset); }
        bool close() override {
            bool closed = file_->close();  // a failed close has still closed
            return fs_.step("close") && closed;
        }

    private:
        RecordingFileSystem& fs_;
        std::unique_ptr<platform::File> file_;
    };

    static platform::FileSystem& real() { return platform::systemFileSystem(); }
};

class WholeFileWrite : public testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("data.dat");
    RecordingFileSystem fs;
};

TEST_F(WholeFileWrite, TheNewBytesReachTheDiskBeforeTheyReplaceTheOldFile) {
    writeBytes(path, "old");
    ASSERT_EQ(platform::replaceWholeFile(fs, path, "new"), platform::WriteOutcome::Ok);
    EXPECT_EQ(fs.steps, (std::vector<std::string>{"open", "copyAccess", "write", "sync", "close",
                                                  "replace"}));
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_EQ(dir.count(), 1);
}

TEST_F(WholeFileWrite, AFailedStepKeepsTheOldBytesAndLeavesNoTemporary) {
    for (const char* failing : {"copyAccess", "write", "sync", "close", "replace"}) {
        writeBytes(path, "old");
        fs.failing = {failing};
        EXPECT_EQ(platform::replaceWholeFile(fs, path, "new"), platform::WriteOutcome::WriteFailed)
            << failing;
        EXPECT_EQ(readBytes(path), "old") << failing;
        EXPECT_EQ(dir.count(), 1) << failing;
    }
}

TEST_F(WholeFileWrite, LeftoversOfKilledWritesArePassedOverThenRemoved) {
    writeBytes(path, "old");
    writeBytes(path + ".~0", "a killed write's bytes");
    writeBytes(path + ".~1", "another");
    ASSERT_EQ(platform::replaceWholeFile(fs, path, "new"), platform::WriteOutcome::Ok);
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_EQ(dir.count(), 1);

    // A failed write removes nothing but its own temporary.
    writeBytes(path + ".~0", "a killed write's bytes");
    fs.failing = {"replace"};
    EXPECT_EQ(platform::replaceWholeFile(fs, path, "newer"), platform::WriteOutcome::WriteFailed);
    EXPECT_EQ(readBytes(path + ".~0"), "a killed write's bytes");
    EXPECT_EQ(dir.count(), 2);
}

TEST_F(WholeFileWrite, EveryTemporaryNameTakenIsToldApartFromAFolderThatTakesNothing) {
    writeBytes(path, "old");
    for (int n = 0; n < platform::kTemporaryNames; ++n)
        writeBytes(path + ".~" + std::to_string(n), "left");
    EXPECT_EQ(platform::replaceWholeFile(fs, path, "new"), platform::WriteOutcome::NoTemporaryName);
    EXPECT_EQ(readBytes(path), "old");

    fs.opensTried = 0;
    EXPECT_EQ(platform::replaceWholeFile(fs, dir.file("missing/data.dat"), "new"),
              platform::WriteOutcome::CannotCreate);
    EXPECT_EQ(fs.opensTried, 1);  // not a thousand
}

TEST(WholeFileRead, OversizedFilesAreRefused) {
    TempDir dir;
    writeBytes(dir.file("big"), std::string(1000, 'x'));
    platform::FileBytes out;
    platform::FileSystem& fs = platform::systemFileSystem();
    EXPECT_EQ(platform::readWholeFile(fs, dir.file("big"), 999, out),
              platform::ReadOutcome::TooLarge);
    EXPECT_EQ(platform::readWholeFile(fs, dir.file("big"), 1000, out), platform::ReadOutcome::Ok);
    EXPECT_EQ(out.size(), 1000u);
}

#ifndef _WIN32
TEST_F(WholeFileWrite, TheNewFileKeepsTheOldFilesMode) {
    for (mode_t mode : {0600, 0640, 0664}) {
        writeBytes(path, "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ASSERT_EQ(platform::replaceWholeFile(fs, path, "new"), platform::WriteOutcome::Ok);
        struct stat written;
        ASSERT_EQ(::stat(path.c_str(), &written), 0);
        EXPECT_EQ(written.st_mode & 07777, mode);
    }
}
#endif

}  // namespace
