// The setup variables on the real system: folders, registry, INI files and files.
#include <windows.h>

#include <gtest/gtest.h>

#include "installer/setup/variables/variables.h"
#include "installer/setup/variables/win32_system_facts.h"
#include "tests/support/win32/wine_behaviour.h"

namespace {

using namespace vortix;

const char kTestKey[] = "Software\\Contavo Lite Tests\\Setup Variables";

class Win32Variables : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        directory = std::string(temp) + "vxvars" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(directory.c_str(), nullptr);
    }
    void TearDown() override {
        DeleteFileA((directory + "\\probe.dat").c_str());
        DeleteFileA((directory + "\\test.ini").c_str());
        RemoveDirectoryA(directory.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
    }

    Win32SystemFacts facts;
    std::string directory;
};

TEST_F(Win32Variables, SystemPathsAreThereWithoutTrailingBackslash) {
    Variables vars(facts);
    for (const char* name : {"<WindowsDir>", "<SystemDir>", "<TempDir>", "<SetupDir>", "<FontDir>",
                             "<ProgramsDir>", "<ShortWindowsDir>"}) {
        std::string value = vars.expandSystemPaths(name);
        EXPECT_NE(value, name);
        ASSERT_FALSE(value.empty()) << name;
        EXPECT_NE(value.back(), '\\') << name << " = " << value;
    }
    std::string drive = vars.expandSystemPaths("<SystemDrive>");
    ASSERT_EQ(drive.size(), 2u);
    EXPECT_EQ(drive[1], ':');
    EXPECT_FALSE(vars.expandSystemPaths("<Date>").empty());
    EXPECT_NE(vars.lookup("<ProgramFiles>").value_or(""), "");
}

TEST_F(Win32Variables, FiguresOfTheMachine) {
    Variables vars(facts);
    std::int64_t ram = vars.numericValue("<RAM>");
    EXPECT_GT(ram, 0);
    EXPECT_EQ(ram % 2, 0);
    EXPECT_GT(vars.numericValue("<CurXRes>"), 0);
    EXPECT_GT(vars.numericValue("<CPUSpeed>"), 0);
    EXPECT_TRUE(vars.holds({kAnySystem, {{"<CPUFlags>", 6, "16"}}}));  // time-stamp counter
}

TEST_F(Win32Variables, DirectXIsFoundByItsInterfacesAndItsLibrariesAreLetGo) {
    std::uint32_t version = facts.directXVersion();
    EXPECT_EQ(facts.directXVersion(), version);
    Variables vars(facts);
    if (PINNED_WINE_BEHAVIOUR("Wine's DirectDraw, DirectInput and DirectInput 8 are all there, "
                              "and nothing newer is asked for: DirectX 8")) {
        EXPECT_EQ(version & 0xFFFF, 8u) << std::hex << version;
        EXPECT_EQ(vars.numericValue("<DirectXVer>"), std::int64_t{8} << 16);
    }
    // (Wine's DirectDraw keeps itself loaded once it was, whoever frees it.)
    for (const char* library : {"dinput.dll", "dinput8.dll"})
        EXPECT_EQ(GetModuleHandleA(library), nullptr) << library << " is still loaded";
}

TEST_F(Win32Variables, UserVariablesFromRegistryIniAndFiles) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const char text[] = "C:\\Somewhere";
    DWORD number = 1234;
    RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    RegCloseKey(key);

    std::string ini = directory + "\\test.ini";
    WritePrivateProfileStringA("Main", "Flag", "0", ini.c_str());
    WritePrivateProfileStringA("Main", "Name", "Contavo", ini.c_str());
    CloseHandle(CreateFileA((directory + "\\probe.dat").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));

    Variables vars(facts);
    vars.setInstallDir(directory);
    auto make = [](const char* name, UserVariableKind kind, UserVariableSource source,
                   const char* f1, const char* f2, const char* f3, std::uint32_t options) {
        return UserVariable{name, kind, source, "default", f1, f2, f3, options};
    };
    vars.setUserVariables({
        make("<Path>", UserVariableKind::Text, UserVariableSource::Registry, "2147483649", kTestKey,
             "Path", 0),
        make("<Count>", UserVariableKind::Number, UserVariableSource::Registry, "2147483649",
             kTestKey, "Count", 0),
        make("<Key>", UserVariableKind::Number, UserVariableSource::Registry, "2147483649",
             kTestKey, "", kVarKeyExists),
        make("<Flag>", UserVariableKind::Number, UserVariableSource::IniFile,
             "<InstallDir>\\test.ini", "Main", "Flag", kVarPresence),
        make("<NoFlag>", UserVariableKind::Number, UserVariableSource::IniFile,
             "<InstallDir>\\test.ini", "Main", "Other", kVarPresence),
        make("<Name>", UserVariableKind::Text, UserVariableSource::IniFile,
             "<InstallDir>\\test.ini", "Main", "Name", 0),
        make("<Probe>", UserVariableKind::Text, UserVariableSource::FileSearch, "probe.dat",
             "C:\\nowhere<\\0><InstallDir>", "", kVarNoDriveSearch),
        make("<Gone>", UserVariableKind::Text, UserVariableSource::FileSearch, "gone.dat",
             "<InstallDir>", "", kVarNoDriveSearch),
    });
    EXPECT_EQ(vars.expandUser("<Path>|<Count>|<Name>|<Gone>"),
              "C:\\Somewhere|1234|Contavo|default");
    EXPECT_EQ(vars.numericValue("<Key>"), 1);
    EXPECT_EQ(vars.numericValue("<Flag>"), 1);
    EXPECT_EQ(vars.numericValue("<NoFlag>"), 0);
    EXPECT_EQ(vars.lookup("<Probe>"), directory);
}

}  // namespace
