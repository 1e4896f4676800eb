#include "installer/setup/source/volume_search.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "installer/package/language_entries.h"
#include "installer/setup/actions/windows_path.h"
#include "platform/memory_file.h"

namespace vortix {
namespace {

// Folders and their files, held in memory; only reading is possible.
class FakeDisks final : public platform::FileSystem {
public:
    void put(const std::string& folder, int number, std::string bytes) {
        files_[joinPath(folder, volumeName(number))] = std::move(bytes);
    }
    void take(const std::string& folder, int number) {
        files_.erase(joinPath(folder, volumeName(number)));
    }
    int opens(const std::string& folder, int number) const {
        auto found = opens_.find(joinPath(folder, volumeName(number)));
        return found == opens_.end() ? 0 : found->second;
    }

    std::unique_ptr<platform::File> open(const std::string& path,
                                         platform::OpenMode mode) override {
        ++opens_[path];
        if (mode == platform::OpenMode::Append)
            return std::make_unique<Appending>(files_[path]);
        auto found = files_.find(path);
        if (mode != platform::OpenMode::Read || found == files_.end())
            return nullptr;
        return std::make_unique<platform::MemoryFile>(found->second);
    }
    bool replace(const std::string&, const std::string&) override { return false; }
    bool remove(const std::string&) override { return false; }
    bool copyAccess(const std::string&, const std::string&) override { return false; }
    bool status(const std::string&, platform::PathStatus&) override { return false; }

private:
    // Writes at the end of a file held here.
    class Appending final : public platform::File {
    public:
        explicit Appending(std::string& bytes) : bytes_(bytes) {}
        bool read(char*, std::size_t, std::size_t&) override { return false; }
        bool write(const char* data, std::size_t size) override {
            bytes_.append(data, size);
            return true;
        }
        bool sync() override { return true; }
        bool size(std::uint64_t& bytes) override {
            bytes = bytes_.size();
            return true;
        }
        bool seek(std::uint64_t) override { return false; }
        bool close() override { return true; }

    private:
        std::string& bytes_;
    };

    std::map<std::string, std::string> files_;
    std::map<std::string, int> opens_;
};

// A user who, asked for a volume, offers the folders of the script in turn and
// cancels when the script runs out.
class ScriptedUser final : public VolumeAsker {
public:
    struct Asked {
        int number;
        std::string folder;
        VolumeVerdict before;
    };
    std::deque<std::string> folders;
    std::vector<Asked> asked;
    std::vector<VolumeVerdict> verdicts;
    std::function<void()> beforeOffering;  // what the user does first (a disc swapped)

    bool ask(int number, const std::string& folder, VolumeVerdict before,
             const std::function<VolumeVerdict(const std::string&)>& offer) override {
        asked.push_back({number, folder, before});
        if (beforeOffering)
            beforeOffering();
        while (!folders.empty()) {
            std::string next = folders.front();
            folders.pop_front();
            verdicts.push_back(offer(next));
            if (verdicts.back() == VolumeVerdict::Accepted)
                return true;
        }
        return false;
    }
};

constexpr std::uint64_t kMark = 0x0102030405060708;
const std::string kProgram = "C:\\setup";

std::string markBytes(std::uint64_t mark) {
    std::string bytes;
    for (int shift = 56; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<char>(mark >> shift));
    return bytes;
}

// A volume of this build: its 100 bytes of the stream, then the build's mark.
std::string volume(int number, std::uint64_t mark = kMark) {
    return std::string(100, static_cast<char>('0' + number)) + markBytes(mark);
}

// A package stream of a 100-byte program and three volumes of 100 bytes each,
// whose volumes come from the finder; the drives are fixed unless a test says not.
class VolumeSearch : public testing::Test {
protected:
    VolumeSearch()
        : finder(disks, kProgram, [this](const std::string& folder) { return kindOf(folder); }),
          stream(std::make_unique<platform::MemoryFile>(std::string(100, 'p')),
                 [this](int number) { return finder.open(number); }) {
        stream.setVolumeEnds({100, 200, 300, 400});
        stream.setVolumeMark(kMark);
        finder.setCheck(
            [this](platform::File* file, int number) { return stream.checkVolume(file, number); });
        finder.setAsker(&user);
    }
    DriveKind kindOf(const std::string& folder) const {
        auto found = kinds.find(driveRootOf(folder));
        return found == kinds.end() ? DriveKind::Fixed : found->second;
    }
    std::string readAll() {
        std::string bytes;
        return stream.read(0, 400, bytes) ? bytes : "<unreadable>";
    }

    std::map<std::string, DriveKind> kinds;
    FakeDisks disks;
    ScriptedUser user;
    VolumeFinder finder;
    PackageStream stream;
};

TEST_F(VolumeSearch, VolumesBesideTheProgramAreTakenWithoutAsking) {
    for (int n = 1; n <= 3; ++n)
        disks.put(kProgram, n, volume(n));
    finder.checkUpFront(3);
    EXPECT_TRUE(user.asked.empty());
    EXPECT_EQ(readAll(), std::string(100, 'p') + std::string(100, '1') + std::string(100, '2') +
                             std::string(100, '3'));
}

TEST_F(VolumeSearch, RefusedFoldersAreToldWhyAndTheShownFolderIsTriedFirstAfterwards) {
    disks.put(kProgram, 1, volume(1));
    disks.put(kProgram, 2, volume(2, 0x5a5a));  // another build's, beside the program
    disks.put("D:\\short", 2, volume(2).substr(0, 50));
    disks.put("D:\\other", 2, volume(2) + "x");  // longer: another build's too
    disks.put("D:\\right", 2, volume(2));
    disks.put("D:\\right", 3, volume(3));
    disks.put(kProgram, 3, volume(3, 0x5a5a));  // would be refused, but is never looked at
    user.folders = {"D:\\short", "D:\\other", "D:\\empty", "D:\\right"};
    finder.checkUpFront(3);

    ASSERT_EQ(user.asked.size(), 1u);
    EXPECT_EQ(user.asked[0].number, 2);
    EXPECT_EQ(user.asked[0].folder, kProgram);
    EXPECT_EQ(user.asked[0].before, VolumeVerdict::OtherBuild);
    EXPECT_EQ(user.verdicts,
              (std::vector<VolumeVerdict>{VolumeVerdict::Incomplete, VolumeVerdict::OtherBuild,
                                          VolumeVerdict::NotFound, VolumeVerdict::Accepted}));
    EXPECT_EQ(finder.foldersToTry(), (std::vector<std::string>{"D:\\right", kProgram}));
    EXPECT_EQ(disks.opens(kProgram, 3), 0);
    EXPECT_EQ(readAll().substr(100),
              std::string(100, '1') + std::string(100, '2') + std::string(100, '3'));
    EXPECT_EQ(user.asked.size(), 1u);
}

// Two folders with unusable volumes: the prompt starts in the first one tried,
// with what was wrong there.
TEST_F(VolumeSearch, ThePromptStartsWithTheFirstFolderThatHadAnUnusableVolume) {
    disks.put(kProgram, 1, volume(1));
    disks.put("D:\\shown", 2, volume(2));
    disks.put("D:\\shown", 3, volume(3).substr(0, 50));
    disks.put(kProgram, 3, volume(3, 0x5a5a));
    disks.put("D:\\right", 3, volume(3));
    user.folders = {"D:\\shown", "D:\\right"};
    finder.checkUpFront(3);
    ASSERT_EQ(user.asked.size(), 2u);
    EXPECT_EQ(user.asked[1].number, 3);
    EXPECT_EQ(user.asked[1].folder, "D:\\shown");
    EXPECT_EQ(user.asked[1].before, VolumeVerdict::Incomplete);
}

TEST_F(VolumeSearch, CancelEndsTheSearch) {
    disks.put(kProgram, 1, volume(1));
    user.folders = {"D:\\empty"};
    EXPECT_THROW(finder.checkUpFront(3), VolumeSearchCancelled);
    ASSERT_EQ(user.asked.size(), 1u);
    EXPECT_EQ(user.asked[0].number, 2);
    EXPECT_EQ(user.asked[0].before, VolumeVerdict::NotFound);
}

TEST_F(VolumeSearch, WithoutAnAskerTheVolumeBesideTheProgramIsLeftToTheStream) {
    finder.setAsker(nullptr);
    disks.put(kProgram, 1, volume(1));
    disks.put(kProgram, 2, volume(2, 0x5a5a));
    PackageStream::VolumeCheck check = stream.checkVolumes();
    EXPECT_EQ(check.number, 2);
    EXPECT_EQ(check.state, PackageStream::VolumeState::OtherBuild);
    EXPECT_TRUE(user.asked.empty());
}

struct DriveCase {
    DriveKind kind;
    bool thirdCheckedUpFront;
    const char* name;
};

class VolumeSearchDrive : public VolumeSearch, public testing::WithParamInterface<DriveCase> {};

// The user shows drive A: for the second volume. On a drive whose discs are
// swapped, the third is asked for only when the stream needs it; on others it is
// checked before anything is read.
TEST_P(VolumeSearchDrive, TheShownFoldersDriveDecidesWhenTheRestIsChecked) {
    bool fixed = GetParam().thirdCheckedUpFront;
    kinds["A:\\"] = GetParam().kind;
    disks.put(kProgram, 1, volume(1));
    disks.put("A:\\", 2, volume(2));
    if (fixed)
        disks.put("A:\\", 3, volume(3));
    user.folders = {"A:\\"};
    finder.checkUpFront(3);
    EXPECT_EQ(user.asked.size(), 1u);
    EXPECT_EQ(disks.opens("A:\\", 3), fixed ? 1 : 0);
    EXPECT_EQ(finder.checkedWhenNeeded(), !fixed);
}

TEST_F(VolumeSearch, DiscsSwappedAsTheStreamGoesAreAskedForWhereTheLastWasShown) {
    kinds["A:\\"] = DriveKind::Removable;
    disks.put(kProgram, 1, volume(1));
    disks.put("A:\\", 2, volume(2));
    user.folders = {"A:\\"};
    finder.checkUpFront(3);
    ASSERT_EQ(user.asked.size(), 1u);

    std::string bytes;
    ASSERT_TRUE(stream.read(150, 100, bytes));  // the second disc is still in the drive
    EXPECT_EQ(bytes, std::string(50, '1') + std::string(50, '2'));
    // The third disc goes in: it is found where the second was, without a question.
    disks.take("A:\\", 2);
    disks.put("A:\\", 3, volume(3));
    ASSERT_TRUE(stream.read(300, 10, bytes));
    EXPECT_EQ(bytes, std::string(10, '3'));
    EXPECT_EQ(user.asked.size(), 1u);
    // Back to the second: asked for on the drive, and read once it is in again.
    user.beforeOffering = [this] {
        disks.take("A:\\", 3);
        disks.put("A:\\", 2, volume(2));
    };
    user.folders = {"A:\\"};
    ASSERT_TRUE(stream.read(200, 10, bytes));
    EXPECT_EQ(bytes, std::string(10, '2'));
    ASSERT_EQ(user.asked.size(), 2u);
    EXPECT_EQ(user.asked[1].number, 2);
    EXPECT_EQ(user.asked[1].folder, "A:\\");
}

// The file records are read through every volume before the files' data: each
// disc is asked for once, and read again from its copy.
TEST_F(VolumeSearch, EachSwappedDiscIsAskedForOnce) {
    kinds["A:\\"] = DriveKind::Removable;
    int copies = 0;
    finder.setCopyPlace([&copies] {
        return std::optional<std::string>("C:\\TEMP\\vxw" + std::to_string(++copies));
    });
    user.folders = std::deque<std::string>(6, "A:\\");
    user.beforeOffering = [this] {
        for (int number = 1; number <= 3; ++number)
            disks.take("A:\\", number);
        disks.put("A:\\", user.asked.back().number, volume(user.asked.back().number));
    };
    finder.checkUpFront(3);
    std::string records = readAll();
    std::string data = readAll();
    EXPECT_EQ(data, std::string(100, 'p') + std::string(100, '1') + std::string(100, '2') +
                        std::string(100, '3'));
    EXPECT_EQ(records, data);
    ASSERT_EQ(user.asked.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(user.asked[static_cast<std::size_t>(i)].number, i + 1);
}

INSTANTIATE_TEST_SUITE_P(Drives, VolumeSearchDrive,
                         testing::Values(DriveCase{DriveKind::Removable, false, "Removable"},
                                         DriveCase{DriveKind::CdRom, false, "CdRom"},
                                         DriveCase{DriveKind::Fixed, true, "Fixed"},
                                         DriveCase{DriveKind::Network, true, "Network"},
                                         DriveCase{DriveKind::Unknown, true, "Unknown"}),
                         [](const testing::TestParamInfo<DriveCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(VolumeSearch, ASetupProgramOnACdAsksForNothingBeforeItIsNeeded) {
    kinds["C:\\"] = DriveKind::CdRom;
    VolumeFinder onCd(disks, kProgram, [this](const std::string& f) { return kindOf(f); });
    onCd.setAsker(&user);
    onCd.checkUpFront(3);
    EXPECT_TRUE(user.asked.empty());
    EXPECT_EQ(disks.opens(kProgram, 1), 0);
}

TEST(VolumeTexts, DriveRoots) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\dir\\sub", "C:\\"},
        {"d:", "d:\\"},
        {"\\\\srv\\share\\x", "\\\\srv\\share\\"},
        {"\\\\srv\\share", "\\\\srv\\share\\"},
        {"\\\\srv", ""},
        {"\\\\\\share", ""},
        {"relative\\dir", ""},
        {"C:dir", ""},
        {"", ""},
    };
    for (const auto& [path, root] : cases)
        EXPECT_EQ(driveRootOf(path), root) << path;
}

TEST(VolumeTexts, TheSetsEntriesElseEnglish) {
    VolumePromptTexts english = volumePromptTexts({});
    EXPECT_EQ(english.caption, "Insert Next Disk");
    EXPECT_EQ(english.lookIn, "&Look in:");
    EXPECT_EQ(english.ok, "OK");
    std::vector<std::string> lines(kLanguageEntryCount);
    lines[indexOf(LanguageEntry::NextDiskHeading)] = "Nächste Diskette";
    lines[indexOf(LanguageEntry::NextDiskNotFound)] = "Nicht gefunden.";
    VolumePromptTexts german = volumePromptTexts(lines);
    EXPECT_EQ(german.caption, "Nächste Diskette");
    EXPECT_EQ(german.cancel, "Cancel");  // the set lacks it
    EXPECT_EQ(refusalText(VolumeVerdict::NotFound, 2, "A:\\", german), "Nicht gefunden.");
    EXPECT_EQ(refusalText(VolumeVerdict::OtherBuild, 2, "A:\\", german).substr(0, 42),
              "\"Vortix Installer package #2\" in \"A:\\\" bel");
    EXPECT_EQ(refusalText(VolumeVerdict::Accepted, 2, "A:\\", german), "");
}

}  // namespace
}  // namespace vortix
