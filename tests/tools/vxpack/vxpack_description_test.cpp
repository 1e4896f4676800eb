#include "tools/vxpack/description.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "installer/package/package_reader.h"
#include "installer/package/package_writer.h"
#include "platform/memory_file.h"
#include "platform/windows1252.h"
#include "tests/support/allocation_meter.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/temp_dir.h"
#include "tools/vxpack/language_file.h"
#include "tools/vxpack/pack_tool.h"
#include "tools/vxpack/pe_version.h"

using namespace vortix;
using platform::cp1252FromUtf8;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

const std::string kEnglish = std::string(VXPACK_SOURCE_DIR) + "/tools/vxpack/languages/english.txt";

// A folder holding a description and the files it names.
class Folder {
public:
    Folder() {
        std::filesystem::create_directories(dir_.file("payload"));
        writeBytes(dir_.file("english.txt"), readBytes(kEnglish));
        writeBytes(dir_.file("vxuninst.exe"), "MZ uninstaller");
        writeBytes(dir_.file("payload/ctlite.exe"), std::string(3000, 'x'));
        writeBytes(dir_.file("payload/readme.txt"), std::string(500, 'r'));
    }
    std::string path(const std::string& name) const { return dir_.file(name); }

    // Parses `body` after a minimal valid head.
    bool parse(const std::string& body, PackageContents& out, DescriptionProblem& problem,
               bool withHead = true) const {
        std::string text = withHead ? head() + body : body;
        writeBytes(path("setup.toml"), text);
        return readPackageDescription(path("setup.toml"), out, problem);
    }
    // The problem of a description expected to be refused.
    DescriptionProblem refusal(const std::string& body, bool withHead = true) const {
        PackageContents out;
        DescriptionProblem problem;
        EXPECT_FALSE(parse(body, out, problem, withHead)) << body;
        return problem;
    }
    static std::string head() {
        return "[package]\n"                       // 1
               "product = \"Contavo Lite\"\n"      // 2
               "\n"                                // 3
               "[pieces]\n"                        // 4
               "uninstaller = \"vxuninst.exe\"\n"  // 5
               "\n"                                // 6
               "[[languages]]\n"                   // 7
               "name = \"English\"\n"              // 8
               "file = \"english.txt\"\n";         // 9
    }

private:
    TempDir dir_;
};

}  // namespace

// The complete example, read once; each feature is checked by a test of its own so
// that a failure names what broke.
class FullExample : public testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new Folder;
        writeBytes(folder_->path("licence.txt"), "Terms\nMore terms\n");
        std::string text = R"(
[package]
product = "Contavo Lite"
window_title = "Contavo Lite Setup"
install_dir = "<ProgramFiles>\\Contavo Lite"
shortcut_folder = "Contavo Lite"
pages = ["welcome", "licence", "destination", "components", "finish"]
window = "full_screen"
overwrite = "older"
backup = true
uninstall_shortcut = true
user_name = "required"
user_company = "shown"
finish_text = "%s is installed."
licence = "licence.txt"
volume_size = 1457664

[package.marker]
root = "HKLM"
key = "Software\\Contavo Lite"
value = "Version"

[package.update]
from = ["1.0", "1.1"]
to = "2.0"

[[package.after_install]]
path = "<InstallDir>\\ctlite.exe"
shown = true
checked = true

[[package.install_types]]
caption = "Typical"
[[package.install_types]]
caption = { 1033 = "Minimal", 1031 = "Minimal" }
description = { 1033 = "The least", 1031 = "Das Wenigste" }

[pieces]
uninstaller = "vxuninst.exe"
fonts = ["payload/readme.txt"]
wizard_bitmaps = [{ id = 7, file = "payload/readme.txt" }]

[[languages]]
name = "English"
id = 1033
file = "english.txt"

[registry.HKCU."Software\\Contavo Lite"]
values = [
  { name = "", data = "<InstallDir>" },
  { name = "Count", type = "dword", data = 3 },
  { name = "Blob", type = "binary", data = [1, 160, 255] },
  { name = "Paths", type = "multi_string", data = ["a", "b"], condition = { systems = ["nt"] } },
]
[registry.HKCU."Software\\Contavo Lite".subkeys.Zeta]
values = [{ name = "Z", data = "z" }]
[registry.HKCU."Software\\Contavo Lite".subkeys.Alpha]
[registry.HKLM."Software\\Classes\\.ctl"]
values = [{ data = "Contavo.Book" }]

[[shortcuts]]
target = "<InstallDir>\\ctlite.exe"
file = "<ShortcutDir>\\Contavo Lite.lnk"
icon = "<InstallDir>\\ctlite.exe"
icon_index = 1

[[ini]]
file = "<WindowsDir>\\ctlite.INI"
section = "Contavo Lite"
key = "Sort"
value = 2

[[text_edits]]
mode = "insert_after_anchor"
file = "C:\\AUTOEXEC.BAT"
anchor = "@ECHO OFF"
text = "SET CTLITE=1"

[[stage_files]]
stage = "finish"
action = "delete"
source = "<InstallDir>\\old.txt"

[[stage_open]]
stage = 13
verb = "explore"
path = "<InstallDir>"

[[variables]]
name = "<OldDir>"
source = "registry"
root = "HKLM"
key = "Software\\Old"
value = "Path"
default = "C:\\Old"

[[variables]]
name = "<HasIni>"
kind = "number"
source = "file_search"
file = "WIN.INI"
directories = ["<WindowsDir>", "C:\\"]
no_drive_search = true

[[components]]
id = "program"
name = { 1033 = "Program", 1031 = "Programm" }
fixed = true
[[components.children]]
id = "help"
name = "Help"
selected = true
size = 2000
[[components]]
id = "extras"
name = "Extras"
size = 99

[[files]]
source = "payload/ctlite.exe"
target = "<InstallDir>\\ctlite.exe"
modified = 2001-02-03T04:05:06Z
version = "1.2.3.4"
language = 1033
shared = true
register = true
component = "program"
type_mask = 3
condition = { systems = ["nt5", "98"], join = "or", comparisons = [{ left = "<RAM>", op = ">=", right = 32 }] }

[[files]]
source = "payload/readme.txt"
target = "<InstallDir>\\readme.txt"
storage = "stored"
attributes = ["read_only", "hidden"]
component = "help"
no_log = true
compare_versions = true

[[files]]
source = "DATA.CAB"
storage = "external"
target = "<InstallDir>\\data.cab"
component = 2
)";

        contents_ = new PackageContents;
        DescriptionProblem problem;
        parsed_ = folder_->parse(text, *contents_, problem, false);
        problemText_ = new std::string(problem.text());
    }
    static void TearDownTestSuite() {
        delete folder_;
        delete contents_;
        delete problemText_;
    }
    void SetUp() override { ASSERT_TRUE(parsed_) << *problemText_; }

    static inline Folder* folder_ = nullptr;
    static inline PackageContents* contents_ = nullptr;
    static inline bool parsed_ = false;
    static inline std::string* problemText_ = nullptr;
    const PackageContents& c = *contents_;
    const Folder& folder = *folder_;
};

TEST_F(FullExample, PackageSettings) {
    const PackageSettings& s = c.script.settings;
    EXPECT_EQ(s.productName, "Contavo Lite");
    EXPECT_EQ(s.installDirectory, "<ProgramFiles>\\Contavo Lite");
    EXPECT_EQ(s.pages,
              kPageWelcome | kPageLicence | kPageDestination | kPageComponents | kPageFinish);
    EXPECT_EQ(s.windowStyle, WindowStyle::FullScreen);
    EXPECT_EQ(s.overwriteMode, 4u);
    EXPECT_EQ(s.options, kOptionCreateUninstaller | kOptionBackup | kOptionUninstallShortcut |
                             kOptionShowUserName | kOptionRequireUserName | kOptionShowUserCompany |
                             kOptionUpdate | kOptionVersionList);
    EXPECT_EQ(s.marker.root, 0x80000002u);
    EXPECT_EQ(s.marker.keyPath, "Software\\Contavo Lite");
    EXPECT_EQ(s.marker.valueName, "Version");
    EXPECT_EQ(s.fromVersion, "1.0|1.1");
    EXPECT_EQ(s.toVersion, "2.0");
    EXPECT_EQ(s.afterInstall[0].path, "<InstallDir>\\ctlite.exe");
    EXPECT_TRUE(s.afterInstall[0].shown && s.afterInstall[0].checked);
    EXPECT_FALSE(s.afterInstall[0].silentOpen);
    EXPECT_TRUE(s.afterInstall[1].path.empty());
    EXPECT_EQ(s.installTypes[0].caption, "Typical");
    EXPECT_EQ(s.installTypes[1].description,
              "<LangID=1033>The least</LangID=1033><LangID=1031>Das Wenigste</LangID=1031>");
    EXPECT_EQ(s.finishText, "%s is installed.");
    EXPECT_EQ(c.licenceText, "Terms\r\nMore terms\r\n");
    EXPECT_EQ(c.volumeSize, 1457664u);
    // Not given: the bytes the packaged files take.
    EXPECT_EQ(s.requiredSize, 3500u);
}

TEST_F(FullExample, LanguagesAndPieces) {
    ASSERT_EQ(c.languages.size(), 1u);
    EXPECT_EQ(c.languages[0].identifier, 1033u);
    EXPECT_EQ(c.languages[0].lines[4], "&Next >");
    EXPECT_EQ(c.uninstallerProgram, folder.path("vxuninst.exe"));
    ASSERT_EQ(c.wizardBitmaps.size(), 1u);
    EXPECT_EQ(c.wizardBitmaps[0].identifier, 7u);
}

TEST_F(FullExample, RegistryTree) {
    // Registry: roots by index, keys in the order written.
    const RegistryItemKey& hkcu = c.script.registry[1];
    ASSERT_EQ(hkcu.subkeys.size(), 1u);
    const RegistryItemKey& key = hkcu.subkeys[0];
    EXPECT_EQ(key.name, "Software\\Contavo Lite");
    ASSERT_EQ(key.values.size(), 4u);
    EXPECT_EQ(key.values[0].name, "");
    EXPECT_EQ(key.values[0].type, kRegString);
    EXPECT_EQ(key.values[1].data, "3");
    EXPECT_EQ(key.values[2].data, "01 A0 FF");
    EXPECT_EQ(key.values[3].data, "a<\\0>b<\\0>");
    EXPECT_EQ(key.values[3].condition.options, kAllNtFamily);
    ASSERT_EQ(key.subkeys.size(), 2u);
    EXPECT_EQ(key.subkeys[0].name, "Zeta");
    EXPECT_EQ(key.subkeys[1].name, "Alpha");
    EXPECT_EQ(c.script.registry[2].subkeys[0].values[0].data, "Contavo.Book");
}

TEST_F(FullExample, ShortcutsIniTextEditsAndStages) {
    ASSERT_EQ(c.script.shortcuts.size(), 1u);
    EXPECT_EQ(c.script.shortcuts[0].icon, "<InstallDir>\\ctlite.exe,1");
    EXPECT_EQ(c.script.iniItems[0].keyAndValue, "Sort=2");
    EXPECT_EQ(c.script.textEdits[0].mode, 4u);
    EXPECT_EQ(c.script.textEdits[0].anchor, "@ECHO OFF");
    EXPECT_EQ(c.script.stageFileOperations[0].stage, 13u);
    EXPECT_EQ(c.script.stageFileOperations[0].action, 2u);
    EXPECT_EQ(c.script.stageOpenItems[0].verb, "explore");
}

TEST_F(FullExample, UserVariables) {
    ASSERT_EQ(c.script.userVariables.size(), 2u);
    const UserVariable& old = c.script.userVariables[0];
    EXPECT_EQ(old.source, UserVariableSource::Registry);
    EXPECT_EQ(old.field1, "2147483650");
    EXPECT_EQ(old.field3, "Path");
    EXPECT_EQ(old.defaultText, "C:\\Old");
    const UserVariable& search = c.script.userVariables[1];
    EXPECT_EQ(search.kind, UserVariableKind::Number);
    EXPECT_EQ(search.field2, "<WindowsDir><\\0>C:\\");
    EXPECT_EQ(search.options, kVarNoDriveSearch);
}

TEST_F(FullExample, ComponentsAndTheirSizes) {
    // Components: numbered depth first; sizes not given add up their files and their
    // children's sizes, given ones too (the help's 2000, not its file's 500).
    ASSERT_EQ(c.script.components.size(), 2u);
    const Component& program = c.script.components[0];
    EXPECT_EQ(program.name,
              "<LangID=1033>Program</LangID=1033><LangID=1031>Programm</LangID=1031>");
    EXPECT_EQ(program.flags, kComponentFixed);
    EXPECT_EQ(program.size, 5000u);
    EXPECT_EQ(program.children[0].flags, kComponentSelected);
    EXPECT_EQ(program.children[0].size, 2000u);
    EXPECT_EQ(c.script.components[1].size, 99u);
}

TEST_F(FullExample, FilesAndTheirRecords) {
    ASSERT_EQ(c.files.size(), 3u);
    const PackagedFile& exe = c.files[0].record;
    EXPECT_TRUE(std::filesystem::equivalent(c.files[0].source, folder.path("payload/ctlite.exe")));
    EXPECT_EQ(exe.originalSize, 3000u);
    EXPECT_FALSE(exe.created.set);
    EXPECT_TRUE(exe.lastWritten.set);
    EXPECT_EQ(exe.lastWritten.value, 126256467060000000ull);  // 2001-02-03 04:05:06 UTC
    EXPECT_EQ(exe.versionHigh, 0x00010002u);
    EXPECT_EQ(exe.versionLow, 0x00030004u);
    EXPECT_EQ(exe.language, 1033u);
    EXPECT_EQ(exe.options, kFileShared | kFileRegisterActiveX);
    EXPECT_EQ(exe.attributes, kAttributeArchive);
    EXPECT_EQ(exe.component, 0u);
    EXPECT_EQ(exe.typeMask, 3u);
    EXPECT_EQ(exe.condition.options, kSystemNt5 | kSystemWin98 | kJoinByOr);
    ASSERT_EQ(exe.condition.comparisons.size(), 1u);
    EXPECT_EQ(exe.condition.comparisons[0].left, "<RAM>");
    EXPECT_EQ(exe.condition.comparisons[0].op, 4u);
    EXPECT_EQ(exe.condition.comparisons[0].right, "32");

    const PackagedFile& readme = c.files[1].record;
    EXPECT_EQ(readme.storage, FileStorage::Stored);
    EXPECT_EQ(readme.attributes, kAttributeReadOnly | kAttributeHidden);
    EXPECT_EQ(readme.options, kFileNoLog | kFileCompareVersions);
    EXPECT_EQ(readme.component, 1u);
    EXPECT_EQ(readme.condition.options, kAnySystem);

    EXPECT_EQ(c.files[2].source, "DATA.CAB");
    EXPECT_EQ(c.files[2].record.storage, FileStorage::External);
    EXPECT_FALSE(c.files[2].record.lastWritten.set);
    EXPECT_EQ(c.files[2].record.component, 2u);
}

TEST(VxpackDescription, MistakesAreRefusedWithTheirLine) {
    Folder folder;
    struct Case {
        std::string body;
        std::size_t line;
        std::string says;
    };
    // The head takes lines 1 to 9; bodies start on line 10.
    const Case cases[] = {
        {"[package.marker]\nroot = \"HKLM\"\nkey = 5\n", 12, "expected a string"},
        {"[[files]]\nsource = \"payload/ctlite.exe\"\ntraget = \"x\"\n", 12,
         "is \"traget\" a misspelling"},
        {"[[files]]\nsource = \"payload/ctlite.exe\"\n", 10, "\"target\" is missing"},
        {"[[files]]\nsource = \"payload/none.exe\"\ntarget = \"x\"\n", 11, "does not exist"},
        {"[[files]]\nsource = \"payload/ctlite.exe\"\ntarget = \"x\"\nversion = \"1.2.70000\"\n",
         13, "a version is"},
        {"[[files]]\nsource = \"payload/ctlite.exe\"\ntarget = \"x\"\n"
         "modified = 2001-02-03T04:05:06\n",
         13, "offset from UTC"},
        {"[[files]]\nsource = \"payload/ctlite.exe\"\ntarget = \"x\"\ncomponent = \"nope\"\n", 13,
         "no component has the id"},
        {"[[files]]\nsource = \"payload/ctlite.exe\"\ntarget = \"x\"\n"
         "condition = { comparisons = [{ left = \"<RAM>\", op = \"=>\", right = 1 }] }\n",
         13, "unknown name \"=>\""},
        {"[[files]]\nsource = \"payload/ctlite.exe\"\ntarget = \"x\"\n"
         "condition = { systems = [] }\n",
         13, "allows the item nowhere"},
        {"[[stage_open]]\nstage = 14\npath = \"x\"\n", 11, "out of range"},
        {"[[shortcuts]]\ntarget = \"a\"\nfile = \"b\"\nicon = \"c\"\nicon_index = 12\n", 14,
         "out of range"},
        {"[[text_edits]]\nmode = \"append\"\nfile = \"a\"\nanchor = \"b\"\ntext = \"c\"\n", 13,
         "\"anchor\" has no use"},
        {"[registry.HKLM.\"Software\"]\nvalues = [\n  { name = \"n\", type = \"dword\", data = "
         "\"4294967296\" },\n]\n",
         12, "a dword is"},
        {"[registry.HKEY_LOCAL_MASHINE.\"Software\"]\n", 10, "unknown registry root"},
        {"[[variables]]\nname = \"Dir\"\n", 11, "with its brackets"},
        {"[[variables]]\nname = \"<Dir>\"\nsource = \"registry\"\nroot = \"HKLM\"\nkey = \"k\"\n"
         "key_exists = true\n",
         15, "for a text variable"},
        {"[[ini]]\nfile = \"a\"\nsection = \"s\"\nkey = \"k=v\"\n", 13, "holds no \"=\""},
        {"[[components]]\nid = \"a\"\nname = \"A\"\n[[components]]\nid = \"a\"\nname = \"B\"\n", 14,
         "used twice"},
        {"colour = \"blue\"\n", 10, "unknown key \"colour\" in [[languages]]"},
        {"[colours]\nback = 1\n", 10, "unknown key \"colours\" in the description"},
        {"[package.update]\nfrom = 2.0\n", 11, "expected a string"},
        {"[package.update]\nto = \"2.0\"\n", 10, "needs [package.marker]"},
        {"[package.uninstall_entry]\npublisher = \"Contavo\"\n", 10, "\"version\" is missing"},
        {"[package.marker]\nroot = \"HKLM\"\nkey = \"k\"\n[package.update]\nfrom = \"1.0\"\n"
         "to = \"2.0\"\n",
         13, "\"from\" needs the [package.marker] value"},
        // Integers past 64 bits, which the TOML layer would clamp or wrap.
        {"[[stage_open]]\nstage = 99_999_999_999_999_999_999\npath = \"x\"\n", 11,
         "99_999_999_999_999_999_999 does not fit in 64 bits"},
        {"[[stage_open]]\nstage = -9223372036854775809\npath = \"x\"\n", 11,
         "does not fit in 64 bits"},
        {"[[stage_open]]\nstage = -9223372036854775809\npath = 99999999999999999999\n"
         "verb = 99999999999999999999\nparameters = 99999999999999999999\n",
         11, "does not fit in 64 bits"},
        {"[[stage_open]]\nstage = 0x1_0000_0000_0000_0000\npath = \"x\"\n", 11,
         "does not fit in 64 bits"},
        {"[registry.HKLM.\"Software\"]\nvalues = [\n  { type = \"binary\", data = [1,\n 0b1" +
             std::string(64, '0') + "] },\n]\n",
         13, "does not fit in 64 bits"},
        // Syntax errors, with a reason even where toml11 gives it only in its picture.
        {"name = \"x\n", 10, ""},
        {"[[package.install_types]]\ncaption =ni\"x\"\n", 11, ""},
        // Malformed UTF-8 (which once sent the parser past its buffer).
        {"s = 1\np='[\x92\x92'[\x92\x92\n", 11, "not valid UTF-8"},
        // Nesting deep enough to overflow the parser's stack is refused; brackets in
        // strings and comments do not count.
        {"s = \"" + std::string(70, '[') + "\"\n# " + std::string(70, '{') + "\nt = '''\n" +
             std::string(70, '[') + "\n'''\na = [\n" + std::string(20000, '[') +
             std::string(20000, ']') + "]\n",
         16, "nested more than 64 deep"},
        // A multi-line string may end with up to two extra quotes, and a single-line
        // one ends at the line's end: neither hides what follows from the count.
        {"s = \"\"\"P\"\"\"\"\nx = " + std::string(20000, '[') + "\n", 11,
         "nested more than 64 deep"},
        {"s = '''P''''\nx = " +
             [] {
                 std::string deep;
                 for (int i = 0; i < 20000; ++i)
                     deep += "{a=";
                 return deep;
             }() +
             "\n",
         11, "nested more than 64 deep"},
        {"s = \"open\nx = " + std::string(20000, '[') + "\n", 11, "nested more than 64 deep"},
        {"[registry.HKLM.a" +
             [] {
                 std::string deep;
                 for (int i = 0; i < 20000; ++i)
                     deep += ".subkeys.a";
                 return deep;
             }() +
             "]\n",
         10, "nested more than 64 deep"},
    };
    for (const Case& c : cases) {
        DescriptionProblem problem = folder.refusal(c.body);
        EXPECT_EQ(problem.file, folder.path("setup.toml")) << c.body;
        EXPECT_EQ(problem.line, c.line) << c.body << "\n" << problem.text();
        EXPECT_NE(problem.message.find(c.says), std::string::npos) << problem.text();
        EXPECT_FALSE(problem.message.empty()) << c.body;
    }

    // Settings of [package] itself, refused at their own line.
    auto withPackage = [](const std::string& extra) {
        return "[package]\nproduct = \"P\"\n" + extra +
               "[pieces]\nuninstaller = \"vxuninst.exe\"\n[[languages]]\nname = \"E\"\nfile = "
               "\"english.txt\"\n";
    };
    DescriptionProblem mode = folder.refusal(withPackage("overwrite = 7\n"), false);
    EXPECT_EQ(mode.line, 3u);
    EXPECT_NE(mode.message.find("7 is out of range (0 to 6)"), std::string::npos);
    DescriptionProblem finish = folder.refusal(withPackage("finish_text = \"%s %d\"\n"), false);
    EXPECT_EQ(finish.line, 3u);
    DescriptionProblem page =
        folder.refusal(withPackage("pages = [\"welcome\",\n \"lisence\"]\n"), false);
    EXPECT_EQ(page.line, 4u);
    EXPECT_NE(page.message.find("\"lisence\""), std::string::npos);
    DescriptionProblem noUninstaller = folder.refusal(
        "[package]\nproduct = \"P\"\n[[languages]]\nname = \"E\"\nfile = "
        "\"english.txt\"\n",
        false);
    EXPECT_NE(noUninstaller.message.find("uninstaller"), std::string::npos);
    for (const char* piece :
         {"decode_mp3 = true\n", "convert_jpeg = true\n", "pages = [\"install_type\"]\n"}) {
        DescriptionProblem missing = folder.refusal(withPackage(piece), false);
        EXPECT_EQ(missing.line, 1u) << piece;
        EXPECT_FALSE(missing.message.empty());
    }
    writeBytes(folder.path("picture.jpg"), "\xFF\xD8\xFF\xE0 JFIF");
    DescriptionProblem jpeg = folder.refusal(
        "[package]\nproduct = \"P\"\ncreate_uninstaller = false\n[pieces]\n"
        "dialog_picture = \"picture.jpg\"\n[[languages]]\nname = \"E\"\nfile = \"english.txt\"\n",
        false);
    EXPECT_NE(jpeg.message.find("jpeg_library"), std::string::npos);
    DescriptionProblem noLanguage =
        folder.refusal("[package]\nproduct = \"P\"\ncreate_uninstaller = false\n", false);
    EXPECT_NE(noLanguage.message.find("[[languages]]"), std::string::npos);
}

TEST(VxpackDescription, TheUninstallEntryIsAnOrdinaryRegistryKey) {
    Folder folder;
    PackageContents out;
    DescriptionProblem problem;
    ASSERT_TRUE(
        folder.parse("[package.uninstall_entry]\nversion = \"1.0\"\npublisher = \"\"\n"
                     "[[files]]\nsource = \"payload/ctlite.exe\"\ntarget = \"x\"\n",
                     out, problem))
        << problem.text();
    const RegistryItemKey& key = out.script.registry[2].subkeys.at(0);  // HKLM
    EXPECT_EQ(key.name, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Contavo Lite");
    std::map<std::string, std::string> values;
    for (const RegistryItemValue& value : key.values)
        values[value.name] = value.data;
    const std::string uninstaller = "\"<WindowsDir>\\Contavo Lite Uninstaller.exe\"";
    EXPECT_EQ(values, (std::map<std::string, std::string>{
                          {"DisplayName", "Contavo Lite"},
                          {"DisplayVersion", "1.0"},
                          {"InstallLocation", "<InstallDir>"},
                          {"UninstallString", uninstaller},
                          {"QuietUninstallString", uninstaller + " /SILENT"},
                          {"NoModify", "1"},
                          {"NoRepair", "1"},
                          {"EstimatedSize", "3"},  // 3,000 bytes, rounded up
                      }));
    DescriptionProblem without = folder.refusal(
        "[package]\nproduct = \"P\"\ncreate_uninstaller = false\n[package.uninstall_entry]\n"
        "version = \"1\"\n[[languages]]\nname = \"E\"\nfile = \"english.txt\"\n",
        false);
    EXPECT_NE(without.message.find("needs the uninstaller"), std::string::npos) << without.text();
}

TEST(VxpackDescription, VolumeSizesAreZeroOrAtLeastAFewKilobytes) {
    Folder folder;
    struct Case {
        std::string value;
        std::string refusal;  // empty: accepted
    };
    const Case cases[] = {
        {"0", ""},
        {"1", "0 (one file) or at least 4096 bytes"},
        {"4095", "0 (one file) or at least 4096 bytes"},
        {"4096", ""},
        {"0x7FFF_FFFF_FFFF_FFFF", ""},
        {"9223372036854775808", "does not fit in 64 bits"},
    };
    for (const Case& c : cases) {
        std::string text = Folder::head();
        text.replace(0, 10, "[package]\nvolume_size = " + c.value + "\n");
        PackageContents out;
        DescriptionProblem problem;
        bool read = folder.parse(text, out, problem, false);
        EXPECT_EQ(read, c.refusal.empty()) << c.value << ": " << problem.text();
        if (!read) {
            EXPECT_EQ(problem.line, 2u) << c.value;
            EXPECT_NE(problem.message.find(c.refusal), std::string::npos) << problem.text();
        }
    }
}

TEST(VxpackDescription, AnOversizedDescriptionIsRefusedUnread) {
    Folder folder;
    std::string huge = Folder::head() + "# " + std::string(8u << 20, 'x') + "\n";
    writeBytes(folder.path("setup.toml"), huge);
    PackageContents out;
    DescriptionProblem problem;
    testing_support::AllocationMeter meter;
    EXPECT_FALSE(readPackageDescription(folder.path("setup.toml"), out, problem));
    EXPECT_NE(problem.message.find("larger than 8 MiB"), std::string::npos) << problem.text();
    // Its size alone refuses it: not a byte of it is read.
    EXPECT_LT(meter.peakBytes(), 1u << 20);
}

TEST(VxpackDescription, TextFilesAreCheckedWhereTheyLie) {
    Folder folder;
    // A language set with a conversion the setup program does not pass.
    std::string set = readBytes(kEnglish);
    std::size_t at = set.find("%s already exists");
    writeBytes(folder.path("bad.txt"), set.substr(0, at) + "%d" + set.substr(at + 2));
    std::string body =
        "[package]\nproduct = \"P\"\n[pieces]\nuninstaller = \"vxuninst.exe\"\n"
        "[[languages]]\nname = \"E\"\nfile = \"bad.txt\"\n";
    DescriptionProblem problem = folder.refusal(body, false);
    EXPECT_EQ(problem.file, folder.path("bad.txt"));
    EXPECT_EQ(problem.line, 114u);  // entry 113
    EXPECT_NE(problem.message.find("%s"), std::string::npos);

    writeBytes(folder.path("short.txt"), "Back\r\nNext\r\n");
    problem = folder.refusal(body.replace(body.find("bad.txt"), 7, "short.txt"), false);
    EXPECT_EQ(problem.file, folder.path("short.txt"));
    EXPECT_NE(problem.message.find("2 entries"), std::string::npos);

    // A licence with a character Windows-1252 lacks, on its third line.
    writeBytes(folder.path("licence.txt"), "one\ntwo\nthree \xE2\x86\x92 four\n");
    problem = folder.refusal("[package]\nproduct = \"P\"\nlicence = \"licence.txt\"\n", false);
    EXPECT_EQ(problem.file, folder.path("licence.txt"));
    EXPECT_EQ(problem.line, 3u);
    EXPECT_NE(problem.message.find("U+2192"), std::string::npos);
}

TEST(VxpackDescription, Utf8BecomesWindows1252OrIsRefused) {
    std::string out, why;
    ASSERT_TRUE(
        cp1252FromUtf8("Gr\xC3\xBC\xC3\x9F"
                       "e \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D",
                       out, why));
    EXPECT_EQ(out,
              "Gr\xFC\xDF"
              "e \x80 \x93q\x94");
    ASSERT_TRUE(cp1252FromUtf8("\xC2\x81\xC2\xA0\xC3\xBF", out, why));  // unassigned bytes map back
    EXPECT_EQ(out, "\x81\xA0\xFF");

    EXPECT_FALSE(cp1252FromUtf8("\xE4\xB8\xAD", out, why));
    EXPECT_NE(why.find("U+4E2D"), std::string::npos) << why;
    EXPECT_FALSE(cp1252FromUtf8("\xC2\x80", out, why));  // a C1 control 1252 gives a letter
    EXPECT_FALSE(cp1252FromUtf8(std::string("a\0b", 3), out, why));
    EXPECT_NE(why.find("NUL"), std::string::npos);
    for (const char* bad : {"\xC0\x80", "\x80", "\xED\xA0\x80", "\xE2\x82", "\xF4\x90\x80\x80"}) {
        EXPECT_FALSE(cp1252FromUtf8(bad, out, why)) << bad;
        EXPECT_NE(why.find("not valid UTF-8"), std::string::npos);
    }

    Folder folder;
    PackageContents c;
    DescriptionProblem problem;
    ASSERT_TRUE(
        folder.parse("[[files]]\nsource = \"payload/ctlite.exe\"\n"
                     "target = \"<InstallDir>\\\\Caf\xC3\xA9 \xE2\x82\xAC.exe\"\n",
                     c, problem))
        << problem.text();
    EXPECT_EQ(c.files[0].record.target, "<InstallDir>\\Caf\xE9 \x80.exe");
    problem = folder.refusal("[[shortcuts]]\ntarget = \"a\"\nfile = \"\xE6\x97\xA5.lnk\"\n");
    EXPECT_EQ(problem.line, 12u);
    EXPECT_NE(problem.message.find("U+65E5"), std::string::npos);
}

TEST(VxpackDescription, RelativePathsStartAtTheDescriptionsFolder) {
    TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir.file("project/setup"));
    fs::create_directories(dir.file("project/bin"));
    writeBytes(dir.file("project/bin/app.exe"), "app");
    writeBytes(dir.file("absolute.txt"), "abs");
    writeBytes(dir.file("project/setup/english.txt"), readBytes(kEnglish));
    writeBytes(dir.file("project/setup/vxuninst.exe"), "u");
    std::string description = dir.file("project/setup/setup.toml");
    writeBytes(description, Folder::head() +
                                "[[files]]\nsource = \"../bin/app.exe\"\ntarget = "
                                "\"a\"\n[[files]]\nsource = '" +
                                dir.file("absolute.txt") + "'\ntarget = \"b\"\n");

    PackageContents c;
    DescriptionProblem problem;
    ASSERT_TRUE(readPackageDescription(description, c, problem)) << problem.text();
    ASSERT_EQ(c.files.size(), 2u);
    EXPECT_TRUE(fs::equivalent(c.files[0].source, dir.file("project/bin/app.exe")));
    EXPECT_EQ(c.files[1].source, dir.file("absolute.txt"));
    EXPECT_TRUE(fs::equivalent(c.uninstallerProgram, dir.file("project/setup/vxuninst.exe")));

    // The same description read from another working folder finds the same files.
    fs::path before = fs::current_path();
    fs::current_path(dir.path());
    PackageContents again;
    bool ok = readPackageDescription("project/setup/setup.toml", again, problem);
    fs::current_path(before);
    ASSERT_TRUE(ok) << problem.text();
    EXPECT_TRUE(fs::equivalent(fs::path(dir.path()) / again.files[0].source,
                               dir.file("project/bin/app.exe")));
}

// A language set must hold every entry the setup program uses, and each formatted
// entry exactly the conversions the program passes (a stray %s would make it read an
// argument that is not there).
TEST(VxpackLanguageSet, ShippedSetsHaveEveryEntryWithMatchingConversions) {
    const std::string folder = std::string(VXPACK_SOURCE_DIR) + "/tools/vxpack/languages/";
    std::vector<std::vector<std::string>> sets;
    for (const char* name : {"english.txt", "deutsch.txt"}) {
        SCOPED_TRACE(name);
        std::vector<std::string> entries;
        LanguageFileProblem problem;
        ASSERT_TRUE(readLanguageEntries(readBytes(folder + name), entries, problem))
            << problem.line << ": " << problem.message;
        ASSERT_EQ(entries.size(), kLanguageEntryCount);
        EXPECT_TRUE(checkLanguageEntries(entries, problem)) << problem.message;
        const auto& formatted = formattedLanguageEntries();
        for (std::size_t k = 0; k < entries.size(); ++k) {
            EXPECT_FALSE(entries[k].empty()) << "entry " << k;
            auto it = formatted.find(static_cast<std::uint32_t>(k));
            EXPECT_EQ(conversionsOf(entries[k]), it == formatted.end() ? "" : it->second)
                << "entry " << k << ": " << entries[k];
            EXPECT_EQ(entries[k].find('%') != std::string::npos, it != formatted.end()) << k;
            // The only escapes the setup program knows.
            for (std::size_t at = entries[k].find("<\\"); at != std::string::npos;
                 at = entries[k].find("<\\", at + 1)) {
                std::string escape = entries[k].substr(at, 4);
                EXPECT_TRUE(escape == "<\\n>" || escape == "<\\t>" || escape == "<\\r>")
                    << "entry " << k << ": " << escape;
            }
        }
        sets.push_back(std::move(entries));
    }
    const std::vector<std::string>& english = sets[0];
    const std::vector<std::string>& deutsch = sets[1];
    EXPECT_EQ(english[8], "%s Setup");
    EXPECT_EQ(conversionsOf(english[116]), "ss");
    // The German set is a translation, entry for entry: the same line ends and status
    // lines followed by a path, in Windows-1252.
    EXPECT_EQ(deutsch[8], "Installation von %s");
    EXPECT_EQ(deutsch[0],
              "<< &Zur\xFC"
              "ck");
    for (std::size_t k = 0; k < kLanguageEntryCount; ++k) {
        auto count = [](const std::string& text) {
            std::size_t n = 0;
            for (std::size_t at = text.find("<\\n>"); at != std::string::npos;
                 at = text.find("<\\n>", at + 1))
                ++n;
            return n;
        };
        EXPECT_EQ(count(deutsch[k]), count(english[k])) << "entry " << k;
        EXPECT_EQ(deutsch[k].back() == ' ', english[k].back() == ' ') << "entry " << k;
    }
}

TEST(VxpackLanguageSet, LinesAndConversions) {
    std::vector<std::string> entries;
    LanguageFileProblem problem;
    ASSERT_TRUE(
        readLanguageEntries("\xEF\xBB\xBF"
                            "a\r\nb\n\nd",
                            entries, problem));
    EXPECT_EQ(entries, (std::vector<std::string>{"a", "b", "", "d"}));
    ASSERT_TRUE(readLanguageEntries("a\r\n", entries, problem));
    EXPECT_EQ(entries.size(), 1u);
    EXPECT_FALSE(readLanguageEntries("a\nb\rc\n", entries, problem));
    EXPECT_EQ(problem.line, 2u);

    EXPECT_EQ(conversionsOf("100%% sure"), "");
    EXPECT_EQ(conversionsOf("%s and %-10.3ls, %*d%"), "ss*d?");
    EXPECT_EQ(conversionsOf("%I64u"), "u");
}

namespace {

// A minimal 64-bit PE image whose only resource is a version resource.
std::string peWithVersion(std::uint32_t high, std::uint32_t low, std::uint16_t translation,
                          std::uint16_t resourceLanguage) {
    std::string image(0x400, '\0');
    auto put16 = [&](std::size_t at, std::uint32_t v) {
        image[at] = static_cast<char>(v);
        image[at + 1] = static_cast<char>(v >> 8);
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    auto putKey = [&](std::size_t at, const char* key) {
        for (std::size_t i = 0; key[i] != 0; ++i)
            put16(at + 2 * i, static_cast<unsigned char>(key[i]));
    };
    put16(0, 0x5A4D);
    put32(0x3C, 0x40);
    put32(0x40, 0x4550);
    put16(0x44, 0x8664);
    put16(0x46, 1);    // one section
    put16(0x54, 240);  // optional header size
    const std::size_t optional = 0x58;
    put16(optional, 0x20B);
    put32(optional + 108, 16);           // data directories
    put32(optional + 112 + 16, 0x1000);  // resources: address
    put32(optional + 112 + 20, 0x200);   // size
    const std::size_t section = optional + 240;
    put32(section + 8, 0x200);
    put32(section + 12, 0x1000);
    put32(section + 16, 0x200);
    put32(section + 20, 0x200);
    const std::size_t rsrc = 0x200;
    put16(rsrc + 14, 1);  // type level: RT_VERSION
    put32(rsrc + 16, 16);
    put32(rsrc + 20, 0x80000000u | 0x18);
    put16(rsrc + 0x18 + 14, 1);  // name level: 1
    put32(rsrc + 0x18 + 16, 1);
    put32(rsrc + 0x18 + 20, 0x80000000u | 0x30);
    put16(rsrc + 0x30 + 14, 1);  // language level
    put32(rsrc + 0x30 + 16, resourceLanguage);
    put32(rsrc + 0x30 + 20, 0x48);
    put32(rsrc + 0x48, 0x1000 + 0x58);  // data entry: address, size
    put32(rsrc + 0x4C, 160);
    const std::size_t info = rsrc + 0x58;
    put16(info, 160);
    put16(info + 2, 52);
    putKey(info + 6, "VS_VERSION_INFO");
    put32(info + 40, 0xFEEF04BDu);
    put32(info + 48, high);
    put32(info + 52, low);
    const std::size_t var = info + 92;
    put16(var, 68);
    put16(var + 4, 1);
    putKey(var + 6, "VarFileInfo");
    put16(var + 32, 36);
    put16(var + 34, 4);
    putKey(var + 38, "Translation");
    put16(var + 64, translation);
    put16(var + 66, 1252);
    return image;
}

}  // namespace

TEST(VxpackDescription, VersionsComeFromTheSourcesVersionResource) {
    std::string image = peWithVersion(0x00020001, 0x00000007, 0x0407, 0x0409);
    FileVersion version;
    std::string why;
    ASSERT_TRUE(readImageVersion(image, version, why)) << why;
    EXPECT_EQ(version.high, 0x00020001u);
    EXPECT_EQ(version.low, 7u);
    EXPECT_EQ(version.language, 0x0407u);
    // Damaged or cut images are refused, never read past their end.
    for (std::size_t cut : {0x40u, 0x150u, 0x260u, 0x2A0u})
        EXPECT_FALSE(readImageVersion(image.substr(0, cut), version, why)) << cut;
    EXPECT_FALSE(readImageVersion("plain text", version, why));

    Folder folder;
    writeBytes(folder.path("payload/lib.dll"), image);
    PackageContents c;
    DescriptionProblem problem;
    ASSERT_TRUE(
        folder.parse("[[files]]\nsource = \"payload/lib.dll\"\ntarget = \"a\"\n"
                     "[[files]]\nsource = \"payload/lib.dll\"\ntarget = \"b\"\n"
                     "version = \"3.4\"\n"
                     "[[files]]\nsource = \"payload/readme.txt\"\ntarget = \"c\"\n",
                     c, problem))
        << problem.text();
    EXPECT_EQ(c.files[0].record.versionHigh, 0x00020001u);
    EXPECT_EQ(c.files[0].record.language, 0x0407u);
    EXPECT_EQ(c.files[1].record.versionHigh, 0x00030004u);
    EXPECT_EQ(c.files[1].record.versionLow, 0u);
    EXPECT_EQ(c.files[1].record.language, 0u);
    EXPECT_EQ(c.files[2].record.versionHigh, 0u);  // no version resource: none

    problem = folder.refusal(
        "[[files]]\nsource = \"payload/readme.txt\"\ntarget = \"c\"\n"
        "version = \"source\"\n");
    EXPECT_EQ(problem.line, 13u);
    EXPECT_NE(problem.message.find("not a Windows program"), std::string::npos);
}

namespace {

struct ToolRun {
    int status;
    std::string out, err;
};

ToolRun runTool(const std::vector<std::string>& args, const PackageBuilder& build) {
    std::ostringstream out, err;
    int status = runPackTool(args, platform::systemFileSystem(), out, err, build);
    return {status, out.str(), err.str()};
}

}  // namespace

TEST(VxpackTool, WritesTheProgramAndItsVolumesBesideIt) {
    Folder folder;
    writeBytes(folder.path("setup.toml"), Folder::head());
    writeBytes(folder.path("vxsetup.exe"), "STUB");
    std::filesystem::create_directories(folder.path("out"));
    std::string seenStub, seenProduct;
    auto build = [&](std::string_view stub, const PackageContents& contents) {
        seenStub = std::string(stub);
        seenProduct = contents.script.settings.productName;
        BuiltPackage built;
        built.program = "STUB+package";
        built.volumes = {"volume one", "volume two"};
        return built;
    };
    ToolRun run = runTool({folder.path("setup.toml"), "--stub", folder.path("vxsetup.exe"), "-o",
                           folder.path("out/setup.exe")},
                          build);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(seenStub, "STUB");
    EXPECT_EQ(seenProduct, "Contavo Lite");
    EXPECT_EQ(readBytes(folder.path("out/setup.exe")), "STUB+package");
    EXPECT_EQ(readBytes(folder.path("out/Vortix Installer package #1")), "volume one");
    EXPECT_EQ(readBytes(folder.path("out/Vortix Installer package #2")), "volume two");
}

TEST(VxpackTool, ErrorsLeaveEveryFileAsItWas) {
    Folder folder;
    writeBytes(folder.path("setup.toml"), Folder::head() + "oops = 1\n");
    writeBytes(folder.path("vxsetup.exe"), "STUB");
    writeBytes(folder.path("setup.exe"), "old program");
    bool built = false;
    auto build = [&](std::string_view, const PackageContents&) {
        built = true;
        BuiltPackage b;
        b.error = "payload.exe: cannot be read";
        return b;
    };
    std::vector<std::string> args = {folder.path("setup.toml"), "--stub",
                                     folder.path("vxsetup.exe"), "-o", folder.path("setup.exe")};
    ToolRun bad = runTool(args, build);
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find(folder.path("setup.toml") + ":10: unknown key \"oops\""),
              std::string::npos)
        << bad.err;
    EXPECT_FALSE(built);

    writeBytes(folder.path("setup.toml"), Folder::head());
    ToolRun failed = runTool(args, build);
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("payload.exe: cannot be read"), std::string::npos);
    EXPECT_EQ(readBytes(folder.path("setup.exe")), "old program");

    std::vector<std::string> overInput = args;
    overInput.back() = folder.path("setup.toml");
    EXPECT_EQ(runTool(overInput, build).status, 1);
    EXPECT_EQ(readBytes(folder.path("setup.toml")), Folder::head());
    EXPECT_EQ(runTool({folder.path("setup.toml"), "-o", "x.exe"}, build).status, 1);
    std::vector<std::string> noStub = args;
    noStub[2] = folder.path("missing.exe");
    ToolRun missing = runTool(noStub, build);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot read the setup program"), std::string::npos);
}

namespace {

// A description that reads a packaged file, a language set, a licence and a file
// named like the second volume, and a builder that asks for two volumes.
class OverwriteFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder.path("out"));
        writeBytes(folder.path("licence.txt"), "Terms\n");
        writeBytes(folder.path("vxsetup.exe"), "STUB");
        writeBytes(folder.path("out/Vortix Installer package #2"), "old volume two");
        std::string head = Folder::head();
        head.replace(0, 10, "[package]\nlicence = \"licence.txt\"\n");
        writeBytes(folder.path("setup.toml"),
                   head +
                       "[[files]]\nsource = \"payload/ctlite.exe\"\ntarget = \"a\"\n"
                       "[[files]]\nsource = \"out/Vortix Installer package #2\"\ntarget = "
                       "\"b\"\n");
    }
    ToolRun runWithOutput(const std::string& output) {
        auto build = [](std::string_view, const PackageContents&) {
            BuiltPackage built;
            built.program = "NEW program";
            built.volumes = {"NEW volume one", "NEW volume two"};
            return built;
        };
        return runTool(
            {folder.path("setup.toml"), "--stub", folder.path("vxsetup.exe"), "-o", output}, build);
    }
    Folder folder;
};

}  // namespace

TEST_F(OverwriteFixture, OutputsThatAreInputsAreRefusedBeforeAnythingIsWritten) {
    struct Case {
        std::string output;  // as given to -o
        std::string input;   // the input it would replace, named in the message
    };
    const Case cases[] = {
        {folder.path("payload/./ctlite.exe"), folder.path("payload/ctlite.exe")},
        {folder.path("out/../english.txt"), folder.path("english.txt")},
        {folder.path("licence.txt"), folder.path("licence.txt")},
        // The program is new, but its second volume is a packaged file.
        {folder.path("out/setup.exe"), folder.path("out/Vortix Installer package #2")},
    };
    for (const Case& c : cases) {
        std::string before = readBytes(c.input);
        ToolRun run = runWithOutput(c.output);
        EXPECT_EQ(run.status, 1) << c.output;
        // Named as the description resolves it: in the system's own separators.
        std::string named = std::filesystem::path(c.input).lexically_normal().string();
        EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
        EXPECT_EQ(readBytes(c.input), before) << c.output;
        EXPECT_FALSE(std::filesystem::exists(folder.path("out/Vortix Installer package #1")))
            << c.output;
    }
}

TEST_F(OverwriteFixture, TheProgramCannotTakeAVolumesName) {
    writeBytes(folder.path("setup.toml"), Folder::head());
    ToolRun run = runWithOutput(folder.path("out/Vortix Installer package #1"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Vortix Installer package #1"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder.path("out/Vortix Installer package #1")));

    ToolRun fine = runWithOutput(folder.path("out/setup.exe"));
    ASSERT_EQ(fine.status, 0) << fine.err;
    EXPECT_EQ(readBytes(folder.path("out/Vortix Installer package #2")), "NEW volume two");
}

namespace {

// Tells whether a crash came in the middle of moving a file into place, where a
// kill can always leave some files new and others old.
class ReplaceWatch : public platform::FileSystem {
public:
    explicit ReplaceWatch(platform::FileSystem& real) : real_(real) {}
    std::unique_ptr<platform::File> open(const std::string& path,
                                         platform::OpenMode mode) override {
        return real_.open(path, mode);
    }
    bool replace(const std::string& from, const std::string& to) override {
        inReplace = true;
        bool done = real_.replace(from, to);
        inReplace = false;
        return done;
    }
    bool remove(const std::string& path) override { return real_.remove(path); }
    bool copyAccess(const std::string& from, const std::string& to) override {
        return real_.copyAccess(from, to);
    }
    bool status(const std::string& path, platform::PathStatus& out) override {
        return real_.status(path, out);
    }
    bool inReplace = false;

private:
    platform::FileSystem& real_;
};

}  // namespace

TEST(VxpackTool, AFailedWriteLeavesTheProgramAndEveryVolumeAsTheyWere) {
    using testing_support::FaultyFileSystem;
    Folder folder;
    writeBytes(folder.path("setup.toml"), Folder::head());
    writeBytes(folder.path("vxsetup.exe"), "STUB");
    struct Output {
        std::string name, before, after;
    };
    const Output outputs[] = {{"setup.exe", "old program", "new program"},
                              {"Vortix Installer package #1", "old volume one", "new volume one"},
                              {"Vortix Installer package #2", "old volume two", "new volume two"}};
    auto build = [](std::string_view, const PackageContents&) {
        BuiltPackage built;
        built.program = "new program";
        built.volumes = {"new volume one", "new volume two"};
        return built;
    };
    std::vector<std::string> args = {folder.path("setup.toml"), "--stub",
                                     folder.path("vxsetup.exe"), "-o", folder.path("setup.exe")};
    auto entries = [&] {
        return std::distance(std::filesystem::directory_iterator(folder.path(".")),
                             std::filesystem::directory_iterator());
    };
    for (const Output& o : outputs)
        writeBytes(folder.path(o.name), o.before);
    const auto before = entries();
    for (auto fault : {FaultyFileSystem::Fault::Fail, FaultyFileSystem::Fault::Crash}) {
        for (int at = 1;; ++at) {
            // A killed run leaves its temporary files behind for someone to delete.
            for (const auto& entry : std::filesystem::directory_iterator(folder.path("."))) {
                if (entry.path().string().find(".~") != std::string::npos)
                    std::filesystem::remove(entry.path());
            }
            for (const Output& o : outputs)
                writeBytes(folder.path(o.name), o.before);
            FaultyFileSystem faulty(platform::systemFileSystem(), at, fault);
            ReplaceWatch watch(faulty);
            std::ostringstream out, err;
            int status = 1;
            try {
                status = runPackTool(args, watch, out, err, build);
            } catch (const testing_support::SimulatedCrash&) {
                if (watch.inReplace)
                    continue;  // killed between two moves: nothing can help that
            }
            // Every file is old, but for a fault the write got past (a temporary name
            // that could not be taken) and for those the message says were replaced.
            for (const Output& o : outputs) {
                bool replaced = status == 0 || err.str().find("  " + folder.path(o.name) + "\n") !=
                                                   std::string::npos;
                EXPECT_EQ(readBytes(folder.path(o.name)), replaced ? o.after : o.before)
                    << o.name << ", fault at call " << at << ": " << err.str();
            }
            if (fault == FaultyFileSystem::Fault::Fail) {
                EXPECT_EQ(entries(), before) << "temporary files left, fault at call " << at;
            }
            if (!faulty.tripped()) {
                EXPECT_EQ(status, 0) << err.str();
                break;
            }
        }
    }
}

// The reference page's example is a real description.
TEST(VxpackDescription, TheReferenceExampleParses) {
    std::string page = readBytes(std::string(VXPACK_SOURCE_DIR) + "/docs/package-description.md");
    std::size_t start = page.find("```toml\n", page.find("## A complete example"));
    ASSERT_NE(start, std::string::npos);
    start += 8;
    std::string example = page.substr(start, page.find("```\n", start) - start);

    TempDir dir;
    for (const char* folder : {"languages", "bin", "art", "doc"})
        std::filesystem::create_directories(dir.file(folder));
    for (const char* file : {"languages/english.txt", "languages/deutsch.txt"})
        writeBytes(dir.file(file), readBytes(kEnglish));
    for (const char* file : {"licence.txt", "readme-en.txt", "readme-de.txt", "bin/vxuninst.exe",
                             "art/setup.bmp", "art/setup.ttf", "art/banner.bmp", "bin/ctlite.exe",
                             "bin/ctlitedisplay.dll", "doc/ctlite.hlp", "bin/ctlitepost.exe"})
        writeBytes(dir.file(file), "bytes of " + std::string(file) + "\n");
    writeBytes(dir.file("setup.toml"), example);

    PackageContents c;
    DescriptionProblem problem;
    ASSERT_TRUE(readPackageDescription(dir.file("setup.toml"), c, problem)) << problem.text();
    EXPECT_EQ(c.languages.size(), 2u);
    EXPECT_EQ(c.files.size(), 4u);
    EXPECT_NE(c.script.settings.options & kOptionMultilingual, 0u);
    EXPECT_EQ(c.informationText.substr(0, 15), "<LangID=1033>\r\n");
}

TEST(VxpackDescription, PageTemplatesNeedOneStagePerTemplateAndWholeTemplates) {
    Folder folder;
    writeBytes(folder.path("welcome.dlg"),
               readBytes(std::string(VXPACK_SOURCE_DIR) +
                         "/tests/installer/setup/data/templates/welcome-page.dlg"));
    writeBytes(folder.path("notes.dlg"), "not a dialog template");
    auto pieces = [](const std::string& lines) {
        return "[package]\nproduct = \"P\"\ncreate_uninstaller = false\n[pieces]\n" + lines +
               "[[languages]]\nname = \"E\"\nfile = \"english.txt\"\n";
    };
    PackageContents c;
    DescriptionProblem problem;
    writeBytes(folder.path("setup.toml"),
               pieces("dialog_templates = [\"welcome.dlg\"]\nidentifiers = [2]\n"));
    ASSERT_TRUE(readPackageDescription(folder.path("setup.toml"), c, problem)) << problem.text();
    EXPECT_EQ(c.identifiers, std::vector<std::uint32_t>{2});

    const struct {
        std::string lines;
        const char* says;
    } refused[] = {
        {"dialog_templates = [\"welcome.dlg\"]\n", "1 dialog templates but 0 identifiers"},
        {"dialog_templates = [\"welcome.dlg\"]\nidentifiers = [2, 3]\n", "but 2 identifiers"},
        {"dialog_templates = [\"welcome.dlg\"]\nidentifiers = [14]\n", "14 is not a stage"},
        {"dialog_templates = [\"welcome.dlg\", \"welcome.dlg\"]\nidentifiers = [7, 7]\n",
         "stage 7"},
        {"dialog_templates = [\"notes.dlg\"]\nidentifiers = [2]\n",
         "cannot be a page: it is not a whole dialog template"},
    };
    for (const auto& r : refused) {
        DescriptionProblem refusal = folder.refusal(pieces(r.lines), false);
        EXPECT_NE(refusal.message.find(r.says), std::string::npos) << refusal.message;
        EXPECT_GE(refusal.line, 5u) << r.lines;
    }
}

// ---------------------------------------------------------------- [requirements]

namespace {

const std::string kPageHead =
    "[package]\nproduct = \"P\"\npages = [\"system_information\"]\n"
    "[pieces]\nuninstaller = \"vxuninst.exe\"\n[[languages]]\nname = \"E\"\n"
    "file = \"english.txt\"\n";

}  // namespace

TEST(VxpackRequirements, EveryKeyRoundTripsThroughThePackage) {
    Folder folder;
    PackageContents contents;
    DescriptionProblem problem;
    ASSERT_TRUE(folder.parse(kPageHead + R"(
[requirements]
rows = ["operating_system", "installed_software"]
systems = ["95", "98", "me", "nt"]
build_95 = 1111
build_98 = 2222
nt_version = "4.0"
nt_service_pack = 6
memory_mb = 64
processors = ["pentium_ii", "celeron", "athlon", "intel", "amd", "athlon"]
mmx = true
3dnow = true
processor_mhz = 300
disk_mb = 100
directx = "6.1"
display = "800x600x16"
wave_output = true
midi_output = true
joystick = true
video_memory_mb = 8
[[requirements.software]]
name = "Contavo Lite"
key = "Contavo\\Lite"
[[requirements.software]]
name = "Reader"
key = "Vendor|Reader"
)",
                             contents, problem, false))
        << problem.text();
    ASSERT_TRUE(contents.requirements);
    const SystemRequirements& r = *contents.requirements;
    // Every row with a requirement is shown, whatever "rows" lists.
    EXPECT_EQ(r.rows, kAllRequirementRows);
    EXPECT_TRUE(r.windows95 && r.windows98 && r.windowsMe && r.windowsNt);
    EXPECT_EQ(r.build98, 2222u);
    EXPECT_EQ(r.ntMajor, 4u);
    EXPECT_EQ(r.ntMinor, 0u);
    EXPECT_EQ(r.ntServicePack, 6u);
    EXPECT_EQ(r.processorTypes, (std::vector<std::uint32_t>{4, 5, 1024}));
    EXPECT_TRUE(r.anyIntel && r.anyAmd && r.mmx && r.threeDNow);
    EXPECT_EQ(r.directXMajor, 6u);
    EXPECT_EQ(r.directXMinor, 1u);
    EXPECT_EQ(r.displayBits, 16u);
    ASSERT_EQ(r.software.size(), 2u);
    EXPECT_EQ(r.software[0].key, "Contavo\\Lite");
    EXPECT_EQ(r.software[1].key, "Vendor|Reader");

    BuiltPackage built = buildPackage("MZ stub", contents);
    ASSERT_EQ(built.error, "");
    PackageStream stream(std::make_unique<platform::MemoryFile>(built.program), nullptr);
    OpenedPackage opened = openPackage(stream);
    ASSERT_EQ(opened.failure, PackageFailure::None);
    std::optional<SystemRequirements> back = vortix::readRequirements(stream, opened.toc);
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == r) << encodeRequirements(*back);
}

TEST(VxpackRequirements, OnlyTheRowsAskedForAndNoEntryWithoutTheTable) {
    Folder folder;
    PackageContents contents;
    DescriptionProblem problem;
    ASSERT_TRUE(folder.parse(kPageHead + "[requirements]\nrows = [\"display_adapters\"]\n"
                                         "directx = \"7\"\n",
                             contents, problem, false))
        << problem.text();
    EXPECT_EQ(contents.requirements->rows, kRowDisplayAdapters | kRowDirectX);
    EXPECT_EQ(contents.requirements->directXMinor, 0u);

    // The page without [requirements]: the package builds and asks for nothing.
    ASSERT_TRUE(folder.parse(kPageHead, contents, problem, false)) << problem.text();
    EXPECT_FALSE(contents.requirements);
    BuiltPackage built = buildPackage("MZ stub", contents);
    ASSERT_EQ(built.error, "");
    PackageStream stream(std::make_unique<platform::MemoryFile>(built.program), nullptr);
    OpenedPackage opened = openPackage(stream);
    EXPECT_EQ(opened.toc.word(toc::kRequirementsLength), 0u);
    EXPECT_TRUE(vortix::readRequirements(stream, opened.toc) == SystemRequirements{});
}

TEST(VxpackRequirements, BadValuesAreRefusedNamingTheirKey) {
    Folder folder;
    struct Case {
        std::string body;
        std::string says;
    };
    const Case cases[] = {
        {"rows = [\"memroy\"]", "\"rows\": unknown name \"memroy\""},
        {"systems = [\"xp\"]", "\"systems\": unknown name \"xp\""},
        {"systems = []", "\"systems\": an empty list"},
        {"build_95 = 1000", "\"build_95\" has no use unless \"systems\" names \"95\""},
        {"systems = [\"98\"]\nnt_version = \"5.0\"", "\"nt_version\" has no use"},
        {"systems = [\"nt\"]\nnt_version = \"5.0.1\"", "\"nt_version\": \"5.0.1\" is not"},
        {"systems = [\"nt\"]\nnt_version = 5.0", "\"nt_version\": expected a string"},
        {"systems = [\"nt\"]\nnt_service_pack = 256", "\"nt_service_pack\": 256 is out of range"},
        {"memory_mb = -1", "\"memory_mb\": -1 is out of range"},
        {"memory_mb = 4294967296", "\"memory_mb\": 4294967296 is out of range"},
        {"memory_mb = \"64\"", "\"memory_mb\": expected an integer"},
        {"processors = [\"pentium4\"]", "\"processors\": unknown name \"pentium4\""},
        {"processors = \"athlon\"", "\"processors\": expected an array"},
        {"mmx = 1", "\"mmx\": expected true or false"},
        {"directx = \"7.x\"", "\"directx\": \"7.x\" is not of the form"},
        {"directx = \"70000.0\"", "\"directx\""},
        {"display = \"800x600\"", "\"display\": \"800x600\" is not of the form"},
        {"display = \"800 x 600 x 16\"", "\"display\""},
        {"joystick = \"yes\"", "\"joystick\": expected true or false"},
        {"video_memory_mb = 1.5", "\"video_memory_mb\": expected an integer"},
        {"[[requirements.software]]\nname = \"A|B\"\nkey = \"K\"", "\"name\": a program's name"},
        {"[[requirements.software]]\nname = \"A\"\nkey = \"K\\\\\"", "\"key\": a key below"},
        {"[[requirements.software]]\nname = \"A\"\nkey = \"K\\n\"", "\"key\": a key below"},
        {"[[requirements.software]]\nname = \"A\"", "\"key\" is missing"},
        {"colour_depth = 16", "unknown key \"colour_depth\" in [requirements]"},
    };
    for (const Case& c : cases) {
        DescriptionProblem problem = folder.refusal(kPageHead + "[requirements]\n" + c.body, false);
        EXPECT_NE(problem.message.find(c.says), std::string::npos) << c.body << "\n"
                                                                   << problem.text();
        EXPECT_GT(problem.line, 9u) << c.body;
    }
    // More than the package's entry holds: refused at the table's line.
    std::string oversized;
    for (int n = 0; n < 700; ++n)
        oversized += "[[requirements.software]]\nname = \"P" + std::to_string(n) + "\"\nkey = \"" +
                     std::string(100, 'k') + "\"\n";
    DescriptionProblem big = folder.refusal(kPageHead + "[requirements]\n" + oversized, false);
    EXPECT_NE(big.message.find("the system requirements take more than 64 KB"), std::string::npos)
        << big.message;
    EXPECT_EQ(big.line, 9u);
    // Requirements a package never shows are refused rather than left unchecked.
    DescriptionProblem noPage = folder.refusal("[requirements]\nmemory_mb = 64\n");
    EXPECT_NE(noPage.message.find("\"system_information\""), std::string::npos) << noPage.text();
}
