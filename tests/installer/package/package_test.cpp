#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "installer/package/gzip_member.h"
#include "installer/package/package_check.h"
#include "installer/package/package_reader.h"
#include "installer/package/package_writer.h"
#include "installer/package/script_codec.h"
#include "platform/memory_file.h"
#include "tests/support/temp_dir.h"

using namespace vortix;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

const std::string kStub("MZ stub image of the engine\0\0\0", 30);

Script sampleScript() {
    Script s;
    Condition nt;
    nt.options = kAllNtFamily | kJoinByOr;
    nt.comparisons = {{"<RAM>", 4, "32"}, {"\"a\"", 0, "<Date>"}};
    RegistryItemKey software{"Software\\Contavo Lite", {}, {}};
    software.values.push_back({"Path", kRegString, "<InstallDir>", nt});
    software.values.push_back({"Count", kRegDword, "12", {}});
    software.subkeys.push_back({"Deeper", {{"", kRegBinary, "01 02 03", {}}}, {}});
    s.registry[1].subkeys.push_back(software);
    s.shortcuts.push_back({"<InstallDir>\\ctlite.exe",
                           "<ShortcutDir>\\Contavo Lite.lnk",
                           "/x",
                           "<InstallDir>",
                           "<InstallDir>\\ctlite.exe,0",
                           {}});
    s.iniItems.push_back({"<WindowsDir>\\ctlite.INI", "Contavo Lite", "Sort=1", nt});
    s.textEdits.push_back({4, "C:\\AUTOEXEC.BAT", "@ECHO OFF", "SET X=1", {}});
    s.stageFileOperations.push_back({12, 0, "a", "b", {}});
    UserVariable v;
    v.name = "<Old>";
    v.kind = UserVariableKind::Number;
    v.source = UserVariableSource::Registry;
    v.field1 = "2147483650";
    v.field2 = "Software\\Old";
    v.options = kVarKeyExists;
    s.userVariables.push_back(v);
    s.stageOpenItems.push_back({13, "explore", "<InstallDir>", "", {}});
    s.settings.productName = "Contavo Lite";
    s.settings.windowTitle = "Contavo Lite Setup";
    s.settings.installDirectory = "<ProgramFiles>\\Contavo Lite";
    s.settings.marker = {0x80000002u, "Software\\Contavo Lite", "Version"};
    s.settings.toVersion = "1.0";
    s.settings.afterInstall[0] = {"<InstallDir>\\readme.txt", true, true, false};
    s.settings.installTypes[2] = {"Custom", "Choose"};
    s.settings.pages = kPageWelcome | kPageFinish;
    s.settings.overwriteMode = 6;
    s.settings.options = kOptionCreateUninstaller | kOptionBackup;
    s.settings.requiredSize = 5'000'000'000ull;
    Component top{"Program", "The program", kComponentFixed, 1536 * 1024, {1, 2, 3}, {}};
    top.children.push_back({"Help", "", kComponentSelected, 500, {}, {}});
    s.components.push_back(top);
    return s;
}

struct Built {
    TempDir dir;
    PackageContents contents;
    BuiltPackage package;
};

// A package with three files (compressed, stored, empty) and an external one.
std::unique_ptr<Built> buildSample(std::uint64_t volumeSize = 0) {
    auto b = std::make_unique<Built>();
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "line " + std::to_string(i) + " of a text file\r\n";
    writeBytes(b->dir.file("a.txt"), text);
    writeBytes(b->dir.file("b.bin"), std::string("\x00\x01\x02\xff", 4));
    writeBytes(b->dir.file("empty"), "");
    writeBytes(b->dir.file("vxuninst.exe"), "MZ uninstaller");
    PackageContents& c = b->contents;
    c.script = sampleScript();
    c.languages.push_back({"English", 0x409, {"< Back", "", "Cancel", "Install", "Next >"}});
    c.languages.push_back({"Deutsch",
                           0x407,
                           {"< Zur\xfc"
                            "ck"}});
    c.defaultLanguage = 1;
    c.licenceText = "Licence <LangID=1033>text</LangID=1033>";
    c.uninstallerProgram = b->dir.file("vxuninst.exe");
    PackagedFile a;
    a.target = "<InstallDir>\\a.txt";
    a.lastWritten = {true, 132000000000000000ull};
    a.versionHigh = 0x00010002;
    c.files.push_back({a, b->dir.file("a.txt")});
    PackagedFile stored;
    stored.target = "<InstallDir>\\b.bin";
    stored.storage = FileStorage::Stored;
    c.files.push_back({stored, b->dir.file("b.bin")});
    PackagedFile empty;
    empty.target = "<InstallDir>\\empty";
    c.files.push_back({empty, b->dir.file("empty")});
    PackagedFile external;
    external.target = "<InstallDir>\\big.dat";
    external.storage = FileStorage::External;
    c.files.push_back({external, "big.dat"});
    c.volumeSize = volumeSize;
    b->package = buildPackage(kStub, c);
    return b;
}

std::unique_ptr<PackageStream> memoryStream(const std::string& program,
                                            std::vector<std::string> volumes = {}) {
    return std::make_unique<PackageStream>(
        std::make_unique<platform::MemoryFile>(program),
        [volumes](int number) -> std::unique_ptr<platform::File> {
            if (number < 1 || number > static_cast<int>(volumes.size()))
                return nullptr;
            return std::make_unique<platform::MemoryFile>(volumes[number - 1]);
        });
}

struct ReadFile {
    PackagedFile record;
    std::string data;
};

std::vector<ReadFile> readFiles(PackageStream& stream, const Toc& toc, bool& failed) {
    std::vector<ReadFile> files;
    FileRecordCursor cursor(stream, toc);
    PackagedFile record;
    Extent extent;
    while (cursor.next(record, extent)) {
        ReadFile f{record, {}};
        EXPECT_TRUE(stream.read(extent.offset, extent.length, f.data));
        files.push_back(f);
    }
    failed = cursor.failed();
    return files;
}

void expectSampleFiles(const std::vector<ReadFile>& files, const Built& b) {
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(files[0].record.target, "<InstallDir>\\a.txt");
    EXPECT_EQ(files[0].record.storage, FileStorage::Compressed);
    EXPECT_EQ(files[0].record.lastWritten.value, 132000000000000000ull);
    EXPECT_TRUE(files[0].record.lastWritten.set);
    EXPECT_EQ(files[0].record.versionHigh, 0x00010002u);
    EXPECT_EQ(files[0].data.substr(0, 2), "\x1f\x8b");
    EXPECT_LT(files[0].data.size(), files[0].record.originalSize / 4);
    EXPECT_EQ(files[1].data, std::string("\x00\x01\x02\xff", 4));
    EXPECT_EQ(files[2].record.dataSize, 0u);
    EXPECT_EQ(files[2].record.originalSize, 0u);
    EXPECT_EQ(files[3].record.storage, FileStorage::External);
    EXPECT_EQ(files[3].record.externalName, "big.dat");
    EXPECT_EQ(files[0].record.originalSize,
              testing_support::readBytes(b.contents.files[0].source).size());
}

}  // namespace

bool operator==(const Comparison& a, const Comparison& b) {
    return a.left == b.left && a.op == b.op && a.right == b.right;
}

TEST(ScriptCodecTest, EveryFieldSurvivesTheRoundTrip) {
    Script s = sampleScript();
    std::optional<Script> back = decodeScript(encodeScript(s));
    ASSERT_TRUE(back);
    // Encoding the decoded script again gives the same bytes: nothing was lost.
    EXPECT_EQ(encodeScript(*back), encodeScript(s));
    const RegistryItemKey& key = back->registry[1].subkeys.at(0);
    EXPECT_EQ(key.name, "Software\\Contavo Lite");
    EXPECT_EQ(key.values.at(0).condition.options, kAllNtFamily | kJoinByOr);
    EXPECT_TRUE(key.values.at(0).condition.comparisons.at(1) == (Comparison{"\"a\"", 0, "<Date>"}));
    EXPECT_EQ(key.subkeys.at(0).values.at(0).type, kRegBinary);
    EXPECT_EQ(back->userVariables.at(0).kind, UserVariableKind::Number);
    EXPECT_EQ(back->settings.requiredSize, 5'000'000'000ull);
    EXPECT_EQ(back->settings.afterInstall[0].path, "<InstallDir>\\readme.txt");
    EXPECT_TRUE(back->settings.afterInstall[0].checked);
    EXPECT_EQ(back->components.at(0).children.at(0).size, 500u);
    EXPECT_EQ(back->components.at(0).further[2], 3u);
}

TEST(ScriptCodecTest, DamagedScriptsAreRefused) {
    std::string bytes = encodeScript(sampleScript());
    // Every cut short of the whole script is refused, and so is a byte too many.
    for (std::size_t cut = 0; cut < bytes.size(); cut += 7)
        EXPECT_FALSE(decodeScript(std::string_view(bytes).substr(0, cut))) << cut;
    EXPECT_FALSE(decodeScript(bytes + "x"));
    // A count far beyond the bytes left is refused before anything is reserved.
    std::string huge = std::string(4 * 3, '\0') + "\xff\xff\xff\xff";
    EXPECT_FALSE(decodeScript(huge));
    // Keys nested deeper than the reader allows.
    Script deep;
    RegistryItemKey* key = &deep.registry[0];
    for (int i = 0; i < 100; ++i) {
        key->subkeys.push_back({"k", {}, {}});
        key = &key->subkeys.back();
    }
    EXPECT_FALSE(decodeScript(encodeScript(deep)));
}

TEST(ScriptCodecTest, LanguageSetKeepsNameIdentifierAndLines) {
    LanguageSet set{"English", 0x409, {"a", "", "c<\\n>d"}};
    std::string entry = encodeLanguageSet(set);
    std::optional<LanguageSet> names = decodeLanguageSet(entry, false);
    ASSERT_TRUE(names);
    EXPECT_EQ(names->name, "English");
    EXPECT_EQ(names->identifier, 0x409u);
    EXPECT_TRUE(names->lines.empty());
    std::optional<LanguageSet> full = decodeLanguageSet(entry, true);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->lines, set.lines);
    entry[entry.size() - 3] ^= 1;  // the seal's checksum no longer fits
    EXPECT_FALSE(decodeLanguageSet(entry, true));
    EXPECT_FALSE(decodeLanguageSet(entry.substr(0, 6), false));
}

TEST(PackageTest, BuiltPackageReadsBackWhole) {
    auto b = buildSample();
    ASSERT_EQ(b->package.error, "");
    EXPECT_TRUE(b->package.volumes.empty());
    EXPECT_EQ(b->package.program.substr(0, kStub.size()), kStub);
    auto stream = memoryStream(b->package.program);
    OpenedPackage opened = openPackage(*stream);
    ASSERT_EQ(opened.failure, PackageFailure::None);
    EXPECT_EQ(encodeScript(opened.script), encodeScript(b->contents.script));
    EXPECT_EQ(opened.toc.word(toc::kFileCount), 4u);
    EXPECT_EQ(opened.toc.word(toc::kDefaultLanguage), 1u);

    auto list = readLanguageList(*stream, opened.toc);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ((*list)[1].name, "Deutsch");
    auto german = readLanguageSet(*stream, opened.toc, 1);
    ASSERT_TRUE(german);
    EXPECT_EQ(german->lines, b->contents.languages[1].lines);
    EXPECT_FALSE(readLanguageSet(*stream, opened.toc, 2));
    EXPECT_EQ(readSealedText(*stream, opened.toc, toc::kLicencePresent), b->contents.licenceText);
    EXPECT_FALSE(readSealedText(*stream, opened.toc, toc::kInformationPresent));

    std::string uninstaller;
    ASSERT_TRUE(stream->read(opened.toc.word(toc::kUninstallerOffset),
                             opened.toc.word(toc::kUninstallerLength), uninstaller));
    EXPECT_EQ(uninstaller.substr(0, 2), "\x1f\x8b");

    bool failed = true;
    expectSampleFiles(readFiles(*stream, opened.toc, failed), *b);
    EXPECT_FALSE(failed);
}

TEST(PackageTest, FileAreaCanSpreadOverVolumes) {
    auto b = buildSample(1000);
    ASSERT_EQ(b->package.error, "");
    ASSERT_GT(b->package.volumes.size(), 2u);
    for (const std::string& volume : b->package.volumes)
        EXPECT_LE(volume.size(), 1000u);
    auto stream = memoryStream(b->package.program, b->package.volumes);
    OpenedPackage opened = openPackage(*stream);
    ASSERT_EQ(opened.failure, PackageFailure::None);
    bool failed = true;
    expectSampleFiles(readFiles(*stream, opened.toc, failed), *b);
    EXPECT_FALSE(failed);

    // A missing volume stops the walk with a failure, not a crash.
    std::vector<std::string> missingLast(b->package.volumes.begin(), b->package.volumes.end() - 1);
    auto partial = memoryStream(b->package.program, missingLast);
    ASSERT_EQ(openPackage(*partial).failure, PackageFailure::None);
    EXPECT_EQ(partial->checkVolumes().number, static_cast<int>(b->package.volumes.size()));
    EXPECT_EQ(stream->checkVolumes().number, 0);
    readFiles(*partial, opened.toc, failed);
    EXPECT_TRUE(failed);
}

TEST(PackageTest, AVolumeOfAnotherBuildIsNeverReadOn) {
    auto ours = buildSample(1000);
    ASSERT_EQ(ours->package.error, "");
    // Another build whose volumes are as long but hold other bytes.
    auto theirs = buildSample(1000);
    std::vector<std::string> mixed = ours->package.volumes;
    std::string& second = mixed[1];
    second.replace(0, 1, 1, static_cast<char>(second[0] ^ 1));
    second.replace(second.size() - kVolumeMarkSize, kVolumeMarkSize,
                   std::string(kVolumeMarkSize, '\x5a'));
    auto stream = memoryStream(ours->package.program, mixed);
    OpenedPackage opened = openPackage(*stream);
    ASSERT_EQ(opened.failure, PackageFailure::None);
    PackageStream::VolumeCheck check = stream->checkVolumes();
    EXPECT_EQ(check.number, 2);
    EXPECT_EQ(check.state, PackageStream::VolumeState::OtherBuild);
    bool failed = false;
    readFiles(*stream, opened.toc, failed);
    EXPECT_TRUE(failed);
    // The same files give the same mark: a rebuild's volumes may be mixed freely.
    EXPECT_EQ(ours->package.volumes, theirs->package.volumes);
}

TEST(PackageTest, ProgramWithoutPackageIsASizeMismatch) {
    std::string bare = kStub + "\xff\xff\xff\xff";
    EXPECT_EQ(openPackage(*memoryStream(bare)).failure, PackageFailure::SizeMismatch);
    EXPECT_EQ(openPackage(*memoryStream("")).failure, PackageFailure::SizeMismatch);
    EXPECT_EQ(openPackage(*memoryStream("abc")).failure, PackageFailure::SizeMismatch);
}

TEST(PackageTest, DamagedEndsAreRefused) {
    auto b = buildSample();
    const std::string& good = b->package.program;
    // A truncated download: the TOC's self-check no longer fits.
    for (std::size_t cut : {std::size_t{1}, std::size_t{100}, good.size() / 2})
        EXPECT_EQ(openPackage(*memoryStream(good.substr(0, good.size() - cut))).failure,
                  PackageFailure::SizeMismatch)
            << cut;
    // An end length above 1000.
    std::string longEnd = good;
    longEnd.replace(longEnd.size() - 4, 4, std::string("\xe9\x03\0\0", 4));
    EXPECT_EQ(openPackage(*memoryStream(longEnd)).failure, PackageFailure::SizeMismatch);
    // The TOC no longer where it says it is: its own offset word, or the pointer to
    // it at the end, moved by a word either way.
    std::uint64_t endLength = static_cast<unsigned char>(good[good.size() - 4]) |
                              static_cast<unsigned char>(good[good.size() - 3]) << 8;
    std::size_t pointerAt = good.size() - 8 - static_cast<std::size_t>(endLength);
    std::uint32_t tocOffset = 0;
    for (int i = 3; i >= 0; --i)
        tocOffset = tocOffset << 8 | static_cast<unsigned char>(good[pointerAt + i]);
    for (int delta : {-4, 4}) {
        std::string moved = good;
        std::size_t self = tocOffset + toc::kSelfOffset + 3;  // big-endian low byte
        moved[self] = static_cast<char>(moved[self] + delta);
        EXPECT_EQ(openPackage(*memoryStream(moved)).failure, PackageFailure::SizeMismatch) << delta;
        moved = good;
        moved[pointerAt] = static_cast<char>(moved[pointerAt] + delta);
        EXPECT_EQ(openPackage(*memoryStream(moved)).failure, PackageFailure::SizeMismatch) << delta;
    }
    // A script block that no longer opens: refused by the check value, and by the
    // script's own seal where the check value was made to fit.
    std::string spoiled = good;
    spoiled[kStub.size() + 5] ^= 0x40;
    EXPECT_EQ(openPackage(*memoryStream(spoiled)).failure, PackageFailure::Damaged);
    Toc goodToc = openPackage(*memoryStream(good)).toc;
    std::string resealed = spoiled;
    stampPackageCheck(resealed, goodToc);
    EXPECT_EQ(openPackage(*memoryStream(resealed)).failure, PackageFailure::Unreadable);
    // A package of a later format is refused by its version, even with a script this
    // reader could not open; one of this format reads.
    std::size_t tocAt = goodToc.word(toc::kSelfOffset);
    std::string later = spoiled;
    later[tocAt + toc::kFormatVersion + 3] = static_cast<char>(kPackageFormatVersion + 1);
    EXPECT_EQ(openPackage(*memoryStream(later)).failure, PackageFailure::NewerFormat);
    later = good;
    later[tocAt + toc::kFormatVersion + 3] = static_cast<char>(kPackageFormatVersion);
    EXPECT_EQ(openPackage(*memoryStream(later)).failure, PackageFailure::None);
}

// The sample with the pieces a damaged byte would otherwise change silently: system
// requirements and a page template.
class PackageCheckTest : public testing::Test {
protected:
    void SetUp() override {
        sample_ = buildSample();
        PackageContents& c = sample_->contents;
        c.requirements = SystemRequirements{};
        c.requirements->windows98 = true;
        c.requirements->memoryMb = 16;
        writeBytes(sample_->dir.file("page.dlg"), std::string(64, '\x11'));
        c.dialogTemplates = {sample_->dir.file("page.dlg")};
        c.identifiers = {2};
        sample_->package = buildPackage(kStub, c);
        ASSERT_EQ(sample_->package.error, "");
        good_ = sample_->package.program;
        opened_ = openPackage(*memoryStream(good_));
        ASSERT_EQ(opened_.failure, PackageFailure::None);
    }

    std::uint32_t word(std::uint32_t at) const { return opened_.toc.word(at); }

    std::unique_ptr<Built> sample_;
    std::string good_;
    OpenedPackage opened_;
};

TEST_F(PackageCheckTest, EverySingleByteChangeIsRefused) {
    auto stream = memoryStream(good_);
    auto templates =
        readPieceList(*stream, opened_.toc, toc::kTemplateCount, toc::kTemplateOffset, false);
    ASSERT_TRUE(templates && templates->size() == 1);
    FileRecordCursor cursor(*stream, opened_.toc);
    PackagedFile record;
    Extent firstData;
    ASSERT_TRUE(cursor.next(record, firstData));
    const std::size_t tocAt = word(toc::kSelfOffset);
    const std::size_t endLength = good_.size() - tocAt - kTocSize - 8;
    struct Place {
        const char* name;
        std::size_t at;
        PackageFailure failure;
    };
    const Place places[] = {
        {"the script block", word(toc::kScriptOffset) + 20, PackageFailure::Damaged},
        {"the default language set", word(toc::kLanguageOffset) + 12, PackageFailure::Damaged},
        {"the requirements entry", word(toc::kRequirementsOffset) + 3, PackageFailure::Damaged},
        {"a page template", (*templates)[0].extent.offset + 30, PackageFailure::Damaged},
        {"a file's record", firstData.offset - 2, PackageFailure::Damaged},
        {"a file's data", firstData.offset + firstData.length / 2, PackageFailure::Damaged},
        {"a TOC word", tocAt + toc::kInstalledKilobytes + 3, PackageFailure::Damaged},
        {"the check value", tocAt + toc::kPackageCheck + 1, PackageFailure::Damaged},
        {"the trailer's TOC offset", tocAt + kTocSize, PackageFailure::SizeMismatch},
        {"the end block", tocAt + kTocSize + 4 + endLength / 2, PackageFailure::Damaged},
        {"the end block's length", good_.size() - 4, PackageFailure::SizeMismatch},
        {"the program's last byte before the trailer", tocAt - 1, PackageFailure::Damaged},
    };
    for (const Place& place : places) {
        for (unsigned char flip : {0x01, 0x80}) {
            std::string changed = good_;
            changed[place.at] = static_cast<char>(changed[place.at] ^ flip);
            EXPECT_EQ(openPackage(*memoryStream(changed)).failure, place.failure)
                << place.name << " ^ " << int{flip};
        }
    }
}

TEST_F(PackageCheckTest, APackageWithoutACheckValueIsRefused) {
    // As every package built before the value existed: the word is 0.
    std::string old = good_;
    old.replace(word(toc::kSelfOffset) + toc::kPackageCheck, 4, std::string(4, '\0'));
    EXPECT_EQ(openPackage(*memoryStream(old)).failure, PackageFailure::Damaged);
}

TEST_F(PackageCheckTest, ASpanTheTocPlacesOutsideTheFileIsNeitherCheckedNorStamped) {
    for (std::uint32_t scriptAt : {0u, word(toc::kSelfOffset) + 1, 0x4D5A5034u}) {
        Toc toc = opened_.toc;
        toc.set(toc::kScriptOffset, scriptAt);
        std::string program = good_;
        EXPECT_FALSE(stampPackageCheck(program, toc)) << scriptAt;
        EXPECT_EQ(program, good_) << scriptAt;
        EXPECT_FALSE(packageCheckHolds(*memoryStream(good_), toc)) << scriptAt;
    }
}

TEST(PackageTest, LiesInTheTocFailCleanly) {
    auto b = buildSample();
    auto stream = memoryStream(b->package.program);
    OpenedPackage opened = openPackage(*stream);
    ASSERT_EQ(opened.failure, PackageFailure::None);
    Toc toc = opened.toc;
    toc.set(toc::kLanguageCount, 0xFFFFFFFF);
    EXPECT_FALSE(readLanguageList(*stream, toc));
    toc = opened.toc;
    toc.set(toc::kLanguageOffset, 0xFFFFFFF0);
    EXPECT_FALSE(readLanguageSet(*stream, toc, 0));
    toc = opened.toc;
    toc.set(toc::kFileCount, 1000000);
    bool failed = false;
    EXPECT_EQ(readFiles(*stream, toc, failed).size(), 4u);
    EXPECT_TRUE(failed);
    toc = opened.toc;
    toc.set(toc::kFileAreaOffset, toc.word(toc::kFileAreaOffset) + 3);
    EXPECT_TRUE(readFiles(*stream, toc, failed).empty() || failed);
    toc = opened.toc;
    toc.set(toc::kFontCount, 3);
    toc.set(toc::kFontOffset, static_cast<std::uint32_t>(b->package.program.size() - 2));
    EXPECT_FALSE(readPieceList(*stream, toc, toc::kFontCount, toc::kFontOffset, false));
}

TEST(PackageTest, APieceListMayEndAtTheVeryEndOfTheStream) {
    for (bool withIdentifiers : {false, true}) {
        std::string head = withIdentifiers ? std::string("\0\0\0\x07", 4) : std::string();
        std::string program = "xxxx" + head + std::string("\0\0\0\x03", 4) + "abc";
        Toc toc;
        toc.set(toc::kFontCount, 1);
        toc.set(toc::kFontOffset, 4);
        auto exact = readPieceList(*memoryStream(program), toc, toc::kFontCount, toc::kFontOffset,
                                   withIdentifiers);
        ASSERT_TRUE(exact) << withIdentifiers;
        EXPECT_EQ((*exact)[0].extent.offset, program.size() - 3);
        EXPECT_EQ((*exact)[0].extent.length, 3u);
        // One byte short of its length: refused.
        EXPECT_FALSE(readPieceList(*memoryStream(program.substr(0, program.size() - 1)), toc,
                                   toc::kFontCount, toc::kFontOffset, withIdentifiers));
    }
}

TEST(PackageTest, AStretchDeclaredBeyondTheVolumesCostsNoMoreThanWhatIsThere) {
    const std::string program(4096, 'p');
    auto stream = memoryStream(program);  // the second volume is missing
    ASSERT_TRUE(stream->setVolumeEnds({4096, 0xF0000000u}));
    std::string piece;
    EXPECT_FALSE(stream->read(100, 0xE0000000u, piece));
    EXPECT_TRUE(piece.empty());
    EXPECT_LT(piece.capacity(), std::size_t{8} << 20);  // not the declared 3.5 GiB
    EXPECT_TRUE(stream->read(100, 3000, piece));
    EXPECT_EQ(piece, program.substr(100, 3000));
}

TEST(PackageTest, BuilderRefusesWhatItCannotRead) {
    PackageContents c;
    EXPECT_NE(buildPackage(kStub, c).error, "");  // no language set
    c.languages.push_back({"English", 0x409, {"x"}});
    PackagedFile f;
    f.target = "x";
    c.files.push_back({f, "/no/such/file"});
    BuiltPackage built = buildPackage(kStub, c);
    EXPECT_NE(built.error.find("/no/such/file"), std::string::npos);
    EXPECT_TRUE(built.program.empty());
}

TEST(GzipMemberTest, RealGzipReadsWhatWeWrite) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += std::to_string(i * 7919) + "\n";
    writeBytes(dir.file("data.gz"), compressGzipMember(text));
#ifndef _WIN32
    std::string command = "gzip -dc '" + dir.file("data.gz") + "' > '" + dir.file("data") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(testing_support::readBytes(dir.file("data")), text);
#endif
}
