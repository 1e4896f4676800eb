#include "installer/setup/variables/variables.h"

#include <gtest/gtest.h>

#include "installer/setup/variables/processor_type.h"
#include "installer/setup/variables/text_substitution.h"
#include "tests/installer/setup/variables/fake_system_facts.h"

namespace {

using namespace vortix;
using testing_support::FakeSystemFacts;

const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

UserVariable variable(const std::string& name, UserVariableKind kind, UserVariableSource source,
                      std::string field1, std::string field2, std::string field3,
                      std::string defaultText = "", std::uint32_t options = 0) {
    UserVariable v;
    v.name = name;
    v.kind = kind;
    v.source = source;
    v.field1 = std::move(field1);
    v.field2 = std::move(field2);
    v.field3 = std::move(field3);
    v.defaultText = std::move(defaultText);
    v.options = options;
    return v;
}

// ---------------------------------------------------------------- system paths

TEST(SystemPaths, ShortAndLongProgramFilesInOneText) {
    FakeSystemFacts facts;
    facts.setString(kRootLocalMachine, kCurrentVersion, "ProgramFilesDir",
                    "C:\\Program Files (x86)\\");
    Variables vars(facts);
    EXPECT_EQ(vars.expandSystemPaths("<ShortProgramFiles>\\a;<ProgramFiles>\\b;<CommonFiles>"),
              "C:\\PROGRA~2\\a;C:\\Program Files (x86)\\b;C:\\Program Files\\Common Files");
    EXPECT_EQ(vars.expandSystemPaths("<ShortCommonFiles>"), "C:\\Progra~1\\Common~1");
}

TEST(SystemPaths, MissingRegistryValuesGiveTheDefaults) {
    FakeSystemFacts facts;
    facts.setString(kRootLocalMachine, kCurrentVersion, "CommonFilesDir", "");
    Variables vars(facts);
    EXPECT_EQ(vars.expandSystemPaths("<ProgramFiles>|<ShortProgramFiles>"),
              "C:\\Program Files|C:\\Progra~1");
    EXPECT_EQ(vars.expandSystemPaths("<CommonFiles>|<ShortCommonFiles>"),
              "C:\\Program Files\\Common Files|C:\\Progra~1\\Common~1");
}

TEST(SystemPaths, NoPathEndsInABackslash) {
    FakeSystemFacts facts;
    facts.folders[SystemFolder::Temp] = "C:\\";
    Variables vars(facts);
    EXPECT_EQ(vars.expandSystemPaths("<ProgramsDir>\\x.lnk"),
              "C:\\Users\\ann\\Start Menu\\Programs\\x.lnk");
    EXPECT_EQ(vars.expandSystemPaths("<ShortProgramsDir>\\x"),
              "C:\\Users\\ann\\STARTM~1\\Programs\\x");
    EXPECT_EQ(vars.expandSystemPaths("<SystemDir>\\a.dll <ShortSystemDir>\\a.dll"),
              "C:\\Windows\\System32\\a.dll C:\\Windows\\SYSTEM~1\\a.dll");
    EXPECT_EQ(vars.expandSystemPaths("<FontDir>\\f.ttf"), "C:\\Windows\\Fonts\\f.ttf");
    EXPECT_EQ(vars.expandSystemPaths("<TempDir>\\t <ShortTempDir>\\t"), "C:\\t C:\\t");
    EXPECT_EQ(vars.expandSystemPaths("<SystemDrive>|<SetupDir>|<Date>"), "C:|D:\\Setup|12/8/2026");
}

TEST(SystemPaths, ShortFormFallsBackToTheLongPath) {
    FakeSystemFacts facts;
    Variables vars(facts);
    EXPECT_EQ(vars.expandSystemPaths("<ShortDesktop>"), "C:\\Users\\ann\\Desktop");
    EXPECT_EQ(vars.expandSystemPaths("<ShortStartMenu>"), "C:\\Users\\ann\\STARTM~1");
}

TEST(SystemPaths, AllUsersFoldersOnlyOnTheNtFamily) {
    FakeSystemFacts nt;
    Variables ntVars(nt);
    EXPECT_EQ(ntVars.expandSystemPaths("<DesktopNt>|<ProgramsDirNt>"),
              "C:\\All Users\\Desktop|C:\\All Users\\Start Menu\\Programs");

    FakeSystemFacts win98;
    win98.os = {false, 4, 10, 2222};
    Variables vars98(win98);
    EXPECT_EQ(vars98.expandSystemPaths("<DesktopNt>|<StartMenuNt>|<StartUpNt>"),
              "C:\\Users\\ann\\Desktop|C:\\Users\\ann\\Start Menu|"
              "C:\\Users\\ann\\Start Menu\\Programs\\StartUp");
}

TEST(SystemPaths, OnlyTheExactNameIsReplaced) {
    FakeSystemFacts facts;
    Variables vars(facts);
    EXPECT_EQ(vars.expandSystemPaths("<windowsdir> <WindowsDir <WINDOWSDIR> WindowsDir"),
              "<windowsdir> <WindowsDir <WINDOWSDIR> WindowsDir");
    EXPECT_EQ(vars.expandSystemPaths("<WindowsDir><WindowsDir>"), "C:\\WindowsC:\\Windows");
    EXPECT_EQ(vars.expandAll("no variables here"), "no variables here");
}

TEST(Lookup, KnowsItsOwnNamesOnly) {
    FakeSystemFacts facts;
    Variables vars(facts);
    vars.setDefaultShortcutFolder("Contavo Lite");
    vars.setShortcutDir("Chosen Folder");
    vars.setInstallDir("C:\\Apps\\Contavo\\");
    EXPECT_EQ(vars.lookup("<Programs>"), "C:\\Users\\ann\\Start Menu\\Programs");
    EXPECT_EQ(vars.lookup("<ProgramsNt>"), "C:\\All Users\\Start Menu\\Programs");
    EXPECT_EQ(vars.lookup("<ShortcutDir>"), "Contavo Lite");
    EXPECT_EQ(vars.lookup("<InstallDir>"), "C:\\Apps\\Contavo");
    EXPECT_EQ(vars.lookup("<SystemDrive>"), "C:");
    EXPECT_EQ(vars.lookup("<ProgramsDir>"), std::nullopt);
    EXPECT_EQ(vars.lookup("<ShortWindowsDir>"), std::nullopt);
    EXPECT_EQ(vars.lookup("<UserName>"), std::nullopt);
}

// ---------------------------------------------------------------- installation variables

TEST(Installation, PathsWithoutTrailingBackslashAndShortFormsAtUse) {
    FakeSystemFacts facts;
    Variables vars(facts);
    vars.setInstallDir("C:\\Program Files\\Contavo Lite\\");
    vars.setShortcutDir("C:\\Menu\\Contavo Lite");
    vars.setUserName("Ann");
    vars.setUserCompany("Vortix & Co");
    EXPECT_EQ(vars.expandInstallation("<InstallDir>\\ctlite.exe <ShortInstallDir>"),
              "C:\\Program Files\\Contavo Lite\\ctlite.exe C:\\Program Files\\Contavo Lite");
    // The destination exists now: its short form is asked for again.
    facts.shortPaths["C:\\Program Files\\Contavo Lite"] = "C:\\PROGRA~1\\CONTAV~1";
    EXPECT_EQ(vars.expandInstallation("<ShortInstallDir>\\ctlite.exe"),
              "C:\\PROGRA~1\\CONTAV~1\\ctlite.exe");
    EXPECT_EQ(vars.expandInstallation("<ShortcutDir>|<ShortShortcutDir>|<UserName>|<UserCompany>"),
              "C:\\Menu\\Contavo Lite|C:\\Menu\\Contavo Lite|Ann|Vortix & Co");
}

TEST(Installation, ExpandAllRunsTheThreeGroupsInOrder) {
    FakeSystemFacts facts;
    facts.setString(kRootCurrentUser, "Software\\Contavo Lite", "Folder", "<InstallDir>\\data");
    Variables vars(facts);
    vars.setInstallDir("<WindowsDir>");  // a system name arriving late stays as it is
    vars.setUserVariables({variable("<Data>", UserVariableKind::Text, UserVariableSource::Registry,
                                    "2147483649", "Software\\Contavo Lite", "Folder")});
    EXPECT_EQ(vars.expandAll("<Data>|<InstallDir>|<WindowsDir>"),
              "<InstallDir>\\data|<WindowsDir>|C:\\Windows");
}

// ---------------------------------------------------------------- user variables

TEST(UserVariables, RegistryTextAndNumbers) {
    FakeSystemFacts facts;
    facts.setString(kRootLocalMachine, "Software\\Ann", "Path", "C:\\Ann");
    facts.setDword(kRootLocalMachine, "Software\\Ann", "Count", 7);
    Variables vars(facts);
    vars.setUserName("Ann");
    auto reg = [](const char* name, UserVariableKind kind, const char* value,
                  std::uint32_t options = 0) {
        return variable(name, kind, UserVariableSource::Registry, "2147483650",
                        "Software\\<UserName>", value, "42", options);
    };
    vars.setUserVariables({
        reg("<Path>", UserVariableKind::Text, "Path"),
        reg("<Missing>", UserVariableKind::Text, "Nope"),
        reg("<Count>", UserVariableKind::Number, "Count"),
        reg("<NumberFromText>", UserVariableKind::Number, "Path"),
        reg("<KeyThere>", UserVariableKind::Number, "", kVarKeyExists),
        reg("<ValueThere>", UserVariableKind::Number, "Path", kVarValueExists),
        reg("<ValueGone>", UserVariableKind::Number, "Nope", kVarValueExists),
        variable("<BadRoot>", UserVariableKind::Text, UserVariableSource::Registry, "17",
                 "Software\\Ann", "Path", "fallback"),
        variable("<NoKey>", UserVariableKind::Number, UserVariableSource::Registry, "HKLM",
                 "Software\\Bob", "", "", kVarKeyExists),
    });
    EXPECT_EQ(vars.expandUser("<Path>|<Missing>|<Count>|<NumberFromText>"), "C:\\Ann|42|7|42");
    EXPECT_EQ(vars.numericValue("<KeyThere>"), 1);
    EXPECT_EQ(vars.numericValue("<NoKey>"), 0);
    EXPECT_EQ(vars.numericValue("<ValueThere>"), 1);
    EXPECT_EQ(vars.numericValue("<ValueGone>"), 0);
    EXPECT_EQ(vars.lookup("<BadRoot>"), "fallback");

    // Read again at each use.
    facts.setDword(kRootLocalMachine, "Software\\Ann", "Count", 8);
    EXPECT_EQ(vars.numericValue("<Count>"), 8);
}

TEST(UserVariables, IniPresenceCountsKeysHoldingZeroOrOne) {
    FakeSystemFacts facts;
    facts.ini[{"app.ini", "Main", "Zero"}] = "0";
    facts.ini[{"app.ini", "Main", "One"}] = "1";
    facts.ini[{"app.ini", "Main", "Size"}] = "-12";
    facts.ini[{"app.ini", "Main", "Name"}] = "Contavo";
    Variables vars(facts);
    auto ini = [](const char* name, UserVariableKind kind, const char* key,
                  std::uint32_t options = 0) {
        return variable(name, kind, UserVariableSource::IniFile, "app.ini", "Main", key, "5",
                        options);
    };
    vars.setUserVariables({
        ini("<HasZero>", UserVariableKind::Number, "Zero", kVarPresence),
        ini("<HasOne>", UserVariableKind::Number, "One", kVarPresence),
        ini("<HasNone>", UserVariableKind::Number, "None", kVarPresence),
        ini("<Size>", UserVariableKind::Number, "Size"),
        ini("<NoSize>", UserVariableKind::Number, "None"),
        ini("<Name>", UserVariableKind::Text, "Name"),
        ini("<NoName>", UserVariableKind::Text, "None"),
    });
    EXPECT_EQ(vars.numericValue("<HasZero>"), 1);
    EXPECT_EQ(vars.numericValue("<HasOne>"), 1);
    EXPECT_EQ(vars.numericValue("<HasNone>"), 0);
    EXPECT_EQ(vars.numericValue("<Size>"), -12);
    EXPECT_EQ(vars.numericValue("<NoSize>"), 5);
    EXPECT_EQ(vars.expandUser("<Name>/<NoName>"), "Contavo/5");
}

TEST(UserVariables, FileSearchInListedDirectoriesThenOnTheDrives) {
    FakeSystemFacts facts;
    facts.files = {"C:\\Tools\\zip.exe", "D:\\Old\\Bin\\zip.exe", "D:\\Old\\only.dll"};
    Variables vars(facts);
    vars.setInstallDir("C:\\Tools\\");
    auto search = [](const char* name, const char* file, const char* list,
                     std::uint32_t options = 0) {
        return variable(name, UserVariableKind::Text, UserVariableSource::FileSearch, file, list,
                        "", "none", options);
    };
    vars.setUserVariables({
        search("<Listed>", "zip.exe", "C:\\Nowhere<\\0><InstallDir>"),
        search("<Drive>", "zip.exe", "C:\\Nowhere<\\0>D:\\Old\\Bin\\", kVarDriveOnly),
        search("<ListOnly>", "only.dll", "C:\\Tools", kVarNoDriveSearch),
        search("<Anywhere>", "only.dll", "C:\\Tools"),
        search("<Nowhere>", "gone.dll", "<\\0>C:\\Tools<\\0>"),
    });
    EXPECT_EQ(vars.expandUser("<Listed>|<Drive>"), "C:\\Tools|D:");
    EXPECT_TRUE(facts.searchedDrives.empty());
    EXPECT_EQ(vars.expandUser("<ListOnly>"), "none");
    EXPECT_EQ(vars.numericValue("<ListOnly>"), 0);
    EXPECT_TRUE(facts.searchedDrives.empty());
    EXPECT_EQ(vars.expandUser("<Anywhere>"), "D:\\Old");
    EXPECT_EQ(vars.numericValue("<Anywhere>"), 1);
    EXPECT_EQ(facts.searchedDrives, (std::vector<std::string>{"C:\\", "D:\\", "C:\\", "D:\\"}));
    facts.searchedDrives.clear();
    EXPECT_EQ(vars.expandUser("<Nowhere>"), "none");
    EXPECT_EQ(facts.searchedDrives, (std::vector<std::string>{"C:\\", "D:\\"}));
}

TEST(UserVariables, AVariableCannotReferToItself) {
    FakeSystemFacts facts;
    facts.setString(kRootCurrentUser, "Software\\<Self>", "v", "never");
    Variables vars(facts);
    vars.setUserVariables({
        variable("<Self>", UserVariableKind::Text, UserVariableSource::Registry, "2147483649",
                 "Software\\<Self>", "v", "own default"),
        variable("<A>", UserVariableKind::Text, UserVariableSource::IniFile, "<B>.ini", "s", "k",
                 "a"),
        variable("<B>", UserVariableKind::Text, UserVariableSource::IniFile, "<A>.ini", "s", "k",
                 "b"),
    });
    // The key is read with the name left in it, so the value set up above is found.
    EXPECT_EQ(vars.expandUser("<Self>"), "never");
    EXPECT_EQ(vars.expandUser("<A>|<B>"), "a|b");
    EXPECT_EQ(vars.numericValue("<A>"), 0);
}

TEST(UserVariables, NamesOutsideAngleBracketsAreIgnored) {
    FakeSystemFacts facts;
    Variables vars(facts);
    vars.setUserVariables({
        variable("Path", UserVariableKind::Text, UserVariableSource::None, "", "", "", "x"),
        variable("", UserVariableKind::Text, UserVariableSource::None, "", "", "", "y"),
    });
    EXPECT_EQ(vars.expandUser("<WindowsDir>\\Path"), "<WindowsDir>\\Path");
    EXPECT_EQ(vars.lookup("Path"), std::nullopt);
}

TEST(UserVariables, PluginSetsOrCreatesSettableNumbersOnly) {
    FakeSystemFacts facts;
    facts.setDword(kRootCurrentUser, "Software\\Ann", "Level", 3);
    Variables vars(facts);
    vars.setUserVariables({
        variable("<Text>", UserVariableKind::Text, UserVariableSource::None, "", "", "", "t"),
        variable("<Fixed>", UserVariableKind::Number, UserVariableSource::None, "", "", "", "9"),
        variable("<Level>", UserVariableKind::SettableNumber, UserVariableSource::Registry,
                 "2147483649", "Software\\Ann", "Level", "0"),
    });
    EXPECT_EQ(vars.setVariable("<Text>", 1), -1);
    EXPECT_EQ(vars.setVariable("<Fixed>", 1), -1);
    EXPECT_EQ(vars.numericValue("<Fixed>"), 9);
    EXPECT_EQ(vars.numericValue("<Level>"), 3);
    EXPECT_EQ(vars.setVariable("<Level>", 5), 1);
    EXPECT_EQ(vars.numericValue("<Level>"), 5);
    EXPECT_EQ(vars.setVariable("<New>", -2), 1);
    EXPECT_EQ(vars.numericValue("<New>"), -2);
    EXPECT_EQ(vars.expandAll("<New>/<Level>"), "-2/5");
    EXPECT_EQ(vars.setVariable("", 1), -1);
    EXPECT_EQ(vars.setVariable("<>", 1), -1);
    EXPECT_EQ(vars.setVariable("New", 1), -1);
}

// ---------------------------------------------------------------- numeric system variables

TEST(NumericVariables, MeasuredOnceWhenFirstAsked) {
    FakeSystemFacts facts;
    Variables vars(facts);
    EXPECT_EQ(facts.measurements, 0);
    EXPECT_EQ(vars.numericValue("<CPUSpeed>"), 450);
    facts.speed = 999;
    EXPECT_EQ(vars.numericValue("<CPUSpeed>"), 450);
    EXPECT_EQ(vars.numericValue("<CurXRes>"), 1024);
    EXPECT_EQ(vars.numericValue("<CurYRes>"), 768);
    EXPECT_EQ(vars.numericValue("<CurBPP>"), 16);
    EXPECT_EQ(facts.measurements, 2);
}

TEST(NumericVariables, FiguresAsConditionsSeeThem) {
    FakeSystemFacts facts;
    facts.memory = 63ull * 1024 * 1024 + 512 * 1024;
    facts.os = {false, 4, 10, 0x040A08AE};
    Variables vars(facts);
    vars.setLanguageId(0x407);
    EXPECT_EQ(vars.numericValue("<RAM>"), 64);
    EXPECT_EQ(vars.numericValue("<OSBuild>"), 2222);
    EXPECT_EQ(vars.numericValue("<DirectXVer>"), 0x00060001);
    EXPECT_EQ(vars.numericValue("<LanguageID>"), 0x407);
    EXPECT_EQ(vars.numericValue("  -17abc"), -17);
    EXPECT_EQ(vars.numericValue(""), 0);
    EXPECT_EQ(vars.numericValue("<WindowsDir>"), 0);
    EXPECT_EQ(vars.numericValue("<cpuspeed>"), 0);

    FakeSystemFacts even;
    even.memory = 64ull << 20;
    EXPECT_EQ(Variables(even).numericValue("<RAM>"), 64);
}

// ---------------------------------------------------------------- helpers

TEST(TextSubstitution, ReplacementTextIsNotSearchedAgain) {
    std::string text = "<X>-<X>";
    replaceAll(text, "<X>", "<X><X>");
    EXPECT_EQ(text, "<X><X>-<X><X>");
    replaceAll(text, "", "never");
    EXPECT_EQ(text, "<X><X>-<X><X>");
}

TEST(TextSubstitution, LanguageEscapes) {
    EXPECT_EQ(expandLanguageEscapes("a<\\t>b<\\r><\\n>c<\\x><\\T>"), "a\tb\r\nc<\\x><\\T>");
}

TEST(TextSubstitution, DecimalValuesAsTheCLibraryReadsThem) {
    EXPECT_EQ(decimalValue("123"), 123);
    EXPECT_EQ(decimalValue(" +8 MB"), 8);
    EXPECT_EQ(decimalValue("x1"), 0);
    EXPECT_EQ(decimalValue("4294967296"), 4294967296);
    EXPECT_EQ(decimalValue("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(decimalValue("-99999999999999999999999"), INT64_MIN);
}

TEST(ProcessorType, CodesByVendorFamilyAndModel) {
    EXPECT_EQ(processorTypeCode("GenuineIntel", 6, 1, false), kCpuPentiumPro);
    EXPECT_EQ(processorTypeCode("GenuineIntel", 6, 5, false), kCpuPentiumII);
    EXPECT_EQ(processorTypeCode("GenuineIntel", 6, 5, true), kCpuCeleron);
    EXPECT_EQ(processorTypeCode("GenuineIntel", 6, 6, false), kCpuCeleron);
    EXPECT_EQ(processorTypeCode("GenuineIntel", 6, 8, false), kCpuPentiumIII);
    EXPECT_EQ(processorTypeCode("GenuineIntel", 6, 0x9E, false), kCpuPentiumIII);
    EXPECT_EQ(processorTypeCode("GenuineIntel", 15, 2, false), kCpuPentiumIII);
    EXPECT_EQ(processorTypeCode("AuthenticAMD", 5, 7, false), kCpuAmdK5);
    EXPECT_EQ(processorTypeCode("AuthenticAMD", 5, 8, false), kCpuAmdK6_2);
    EXPECT_EQ(processorTypeCode("AuthenticAMD", 5, 9, false), kCpuAmdK6_3);
    EXPECT_EQ(processorTypeCode("AuthenticAMD", 6, 2, false), kCpuAmdAthlon);
    EXPECT_EQ(processorTypeCode("CyrixInstead", 6, 0, false), kCpuCyrix6);
    EXPECT_EQ(processorTypeCode("CyrixInstead", 5, 0, false), kCpuCyrixOther);
    EXPECT_EQ(processorTypeCode("UnknownVendr", 6, 0, false), 0u);
}

}  // namespace

TEST(UserVariables, RegistryValuesReadAsTextByType) {
    FakeSystemFacts facts;
    facts.setString(kRootLocalMachine, "Software\\Ann", "Dir", "C:\\Ann");
    facts.registry[{kRootLocalMachine, "SOFTWARE\\ANN"}]["EXPANDED"] = {
        kRegistryTypeExpandString, std::string("%SystemDrive%\\Ann\0", 18)};
    facts.setDword(kRootLocalMachine, "Software\\Ann", "Count", 7);
    facts.environment["SystemDrive"] = "D:";
    Variables vars(facts);
    // The terminating NUL is not part of the text.
    EXPECT_EQ(vars.registryText(kRootLocalMachine, "Software\\Ann", "Dir"), "C:\\Ann");
    EXPECT_EQ(vars.registryText(kRootLocalMachine, "Software\\Ann", "Expanded"), "D:\\Ann");
    EXPECT_EQ(vars.registryText(kRootLocalMachine, "Software\\Ann", "Count"), std::nullopt);
    EXPECT_EQ(vars.registryText(kRootLocalMachine, "Software\\Ann", "None"), std::nullopt);
}
