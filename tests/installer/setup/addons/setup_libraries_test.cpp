// The setup package's add-on libraries loaded by name, as the setup program loads
// them: vxjpeg.dll and the MP3 and plug-in test doubles.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include <vector>
#include "platform/file_system.h"

#include "installer/setup/addons/mp3_library.h"
#include "installer/setup/addons/plugin_library.h"
#include "installer/setup/addons/win32_libraries.h"
#include "installer/setup/extract/temporary_files.h"
#include "installer/setup/extract/win32_system_temporary.h"
#include "outside/jpeg/vxjpeg.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/temp_dir.h"
#include "tests/support/win32/driver.h"

using namespace testing_support;

namespace {

class Library {
public:
    explicit Library(const char* unixPath) : module_(LoadLibraryA(windowsPath(unixPath).c_str())) {}
    ~Library() {
        if (module_)
            FreeLibrary(module_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    bool loaded() const { return module_ != nullptr; }
    template <typename F>
    F entry(const char* name) const {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

private:
    HMODULE module_;
};

// Sets an environment variable for the length of a test.
class Environment {
public:
    ~Environment() {
        for (const std::string& name : names_)
            SetEnvironmentVariableA(name.c_str(), nullptr);
    }
    void set(const std::string& name, const std::string& value) {
        SetEnvironmentVariableA(name.c_str(), value.c_str());
        names_.push_back(name);
    }

private:
    std::vector<std::string> names_;
};

std::vector<int> progressSeen;
int VXJPEG_API noteProgress(int percent) {
    progressSeen.push_back(percent);
    return 1;
}

}  // namespace

TEST(Vxjpeg, ConvertsAJpegFileAndDrawsTheBitmap) {
    Library jpeg(VXJPEG_DLL);
    ASSERT_TRUE(jpeg.loaded());
    auto toBmp = jpeg.entry<PFN_JPGToBMP>(VXJPEG_JPGTOBMP);
    auto toBmpEx = jpeg.entry<PFN_JPGToBMPEx>(VXJPEG_JPGTOBMPEX);
    auto version = jpeg.entry<PFN_GetDllVersion>(VXJPEG_GETDLLVERSION);
    auto blit = jpeg.entry<PFN_Blit>(VXJPEG_BLIT);
    ASSERT_TRUE(toBmp && toBmpEx && version && blit);
    EXPECT_EQ(version(), VXJPEG_VERSION);

    TempDir dir;
    std::string jpg = dir.file("vxw1.jpg"), bmp = dir.file("vxw2.bmp");
    writeBytes(jpg, makeJpeg(20, 10, JpegKind::Rgb,
                             [](int, int y, int c) { return (y < 5) == (c == 0) ? 250 : 0; }));
    progressSeen.clear();
    ASSERT_EQ(toBmp(jpg.c_str(), bmp.c_str(), noteProgress), 1);
    ASSERT_FALSE(progressSeen.empty());
    EXPECT_EQ(progressSeen.back(), 100);
    std::string bytes = readBytes(bmp);
    EXPECT_EQ(bytes.size(), 54u + 60u * 10u);

    // Drawn into a 32-bit DIB: red over blue, at the offset given.
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 30, -20, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, target);
    EXPECT_EQ(blit(dc, 5, 3, bmp.c_str()), 1);
    GdiFlush();
    auto pixel = [&](int x, int y) { return static_cast<DWORD*>(bits)[y * 30 + x] & 0xFFFFFF; };
    EXPECT_EQ(pixel(0, 0), 0u);                   // outside the picture
    EXPECT_GT((pixel(6, 4) >> 16) & 0xFF, 200u);  // red
    EXPECT_GT(pixel(6, 11) & 0xFF, 200u);         // blue
    EXPECT_EQ(blit(dc, 0, 0, jpg.c_str()), 0);    // not a bitmap
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);

    ASSERT_EQ(toBmpEx(jpg.c_str(), bmp.c_str(), VXJPEG_SCALE_HALF, VXJPEG_QUALITY_FAST, nullptr),
              1);
    EXPECT_EQ(readBytes(bmp).size(), 54u + 32u * 5u);
    EXPECT_EQ(toBmpEx(jpg.c_str(), bmp.c_str(), 3, VXJPEG_QUALITY_BEST, nullptr), 0);

    // A damaged picture leaves no bitmap behind.
    std::string broken = dir.file("broken.jpg"), none = dir.file("none.bmp");
    writeBytes(broken, readBytes(jpg).substr(0, 100));
    EXPECT_EQ(toBmp(broken.c_str(), none.c_str(), nullptr), 0);
    EXPECT_FALSE(exists(none));
    EXPECT_EQ(toBmp(dir.file("missing.jpg").c_str(), none.c_str(), nullptr), 0);
}

namespace {
std::vector<DWORD> mp3Progress;
void VXMP3_API noteMp3(int, DWORD position, DWORD, void*) {
    mp3Progress.push_back(position);
}
}  // namespace

TEST(Mp3Double, DecodesToAWaveFileAndLogsEveryCall) {
    Library mp3(MP3_DOUBLE_DLL);
    ASSERT_TRUE(mp3.loaded());
    for (const char* name :
         {"MP3Close", "MP3DeInit", "MP3GetCurrentPos", "MP3GetLength", "MP3GetMPEG_Args",
          "MP3GetPlayer", "MP3GetPlayerMode", "MP3Init", "MP3Open", "MP3Pause", "MP3Play",
          "MP3SetDevice", "MP3SetExternalValues", "MP3SetPriority", "MP3Stop"})
        EXPECT_NE(mp3.entry<FARPROC>(name), nullptr) << name;

    TempDir dir;
    Environment environment;
    std::string log = dir.file("calls.log");
    environment.set("VX_DOUBLE_LOG", log);
    std::string song = dir.file("song.mp3"), wave = dir.file("song.wav");
    writeBytes(song, "ID3 not really music");

    ASSERT_EQ(mp3.entry<PFN_MP3Init>("MP3Init")(1), 1);
    mp3.entry<PFN_MP3SetExternalValues>("MP3SetExternalValues")(1, noteMp3, nullptr);
    EXPECT_EQ(mp3.entry<PFN_MP3SetDevice>("MP3SetDevice")(1, VXMP3_DEVICE_WAVE_FILE, wave.c_str()),
              1);
    EXPECT_EQ(mp3.entry<PFN_MP3Open>("MP3Open")(1, song.c_str()), 1);
    EXPECT_EQ(mp3.entry<PFN_MP3Play>("MP3Play")(1, 0, 0, ""), 1);
    EXPECT_EQ(mp3.entry<PFN_MP3GetPlayerMode>("MP3GetPlayerMode")(1), VXMP3_MODE_ENDED);
    std::string wav = readBytes(wave);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(44), "ID3 not really music");
    EXPECT_EQ(mp3Progress.size(), 2u);

    environment.set("VX_MP3_FAIL", "MP3Play,MP3Open");
    EXPECT_EQ(mp3.entry<PFN_MP3Open>("MP3Open")(1, song.c_str()), 0);
    mp3.entry<PFN_MP3DeInit>("MP3DeInit")(1);
    EXPECT_EQ(readBytes(log),
              "MP3Init 1 -> 1\n"
              "MP3SetExternalValues 1 callback -> 1\n"
              "MP3SetDevice 1 2 \"" +
                  wave +
                  "\" -> 1\n"
                  "MP3Open 1 \"" +
                  song +
                  "\" -> 1\n"
                  "MP3Play 1 0 0 \"\" -> 1\n"
                  "MP3GetPlayerMode 1 -> 4\n"
                  "MP3Open 1 \"" +
                  song +
                  "\" -> 0\n"
                  "MP3DeInit 1 -> 1\n");
}

namespace {
std::vector<std::string> recorded;
int VXPLUGIN_API recordFile(const char* path) {
    recorded.push_back(std::string("file ") + path);
    return *path ? VXPLUGIN_OK : VXPLUGIN_BAD_ARGUMENT;
}
int VXPLUGIN_API recordValue(HKEY root, const char* key, const char* value) {
    if (root != HKEY_LOCAL_MACHINE)
        return VXPLUGIN_BAD_ARGUMENT;
    recorded.push_back(std::string("value ") + key + " " + value);
    return VXPLUGIN_OK;
}
int VXPLUGIN_API getVariable(const char* name, char* buffer, DWORD size) {
    if (std::string(name) != "<InstallDir>" || size < 8)
        return VXPLUGIN_FAILED;
    lstrcpyA(buffer, "C:\\App");
    return VXPLUGIN_OK;
}
}  // namespace

TEST(PluginDouble, LogsStagesMakesScriptedCallbacksAndGivesSteeredResults) {
    Library plugin(PLUGIN_DOUBLE_DLL);
    ASSERT_TRUE(plugin.loaded());
    for (const char* name :
         {"AdvancedEntry", "EntryPoint0", "EntryPoint1", "EntryPoint1_5", "EntryPoint2",
          "EntryPoint3", "EntryPoint4", "EntryPoint5", "EntryPoint6", "EntryPoint7", "EntryPoint8",
          "EntryPoint9", "EntryPoint10", "EntryPoint11", "EntryPoint12", "EntryPoint13",
          "SystemInformation", "OnMessage"})
        EXPECT_NE(plugin.entry<FARPROC>(name), nullptr) << name;

    TempDir dir;
    Environment environment;
    std::string log = dir.file("calls.log");
    environment.set("VX_DOUBLE_LOG", log);
    environment.set("VX_PLUGIN_RESULT_EntryPoint5", "3");
    environment.set("VX_PLUGIN_CALLS_EntryPoint5",
                    "recordFile|C:\\App\\a.dll;recordValue|HKLM|Software\\X|v;"
                    "recordValue|HKCU|Software\\X|v;getVariable|<InstallDir>;countSharedFile|x");

    VxPluginCallbacks callbacks{};
    callbacks.size = sizeof callbacks;
    callbacks.recordFile = recordFile;
    callbacks.recordValue = recordValue;
    callbacks.getVariable = getVariable;
    HWND window = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(plugin.entry<PFN_EntryPoint>("EntryPoint4")(window, VXPLUGIN_FORWARD),
              VXPLUGIN_GO_ON);
    EXPECT_EQ(plugin.entry<PFN_AdvancedEntry>("AdvancedEntry")(&callbacks), VXPLUGIN_OK);
    EXPECT_EQ(plugin.entry<PFN_EntryPoint1_5>("EntryPoint1_5")(window, 1031, VXPLUGIN_BACKWARD), 1);
    EXPECT_EQ(plugin.entry<PFN_EntryPoint>("EntryPoint5")(window, VXPLUGIN_FORWARD), 3);

    EXPECT_EQ(recorded, (std::vector<std::string>{"file C:\\App\\a.dll", "value Software\\X v"}));
    EXPECT_EQ(readBytes(log),
              "EntryPoint4 0x1234 0 -> 1\n"
              "AdvancedEntry size=" +
                  std::to_string(sizeof callbacks) +
                  " -> 1\n"
                  "EntryPoint1_5 0x1234 1031 1 -> 1\n"
                  "EntryPoint5 0x1234 0 -> 3\n"
                  "  recordFile|C:\\App\\a.dll -> 1\n"
                  "  recordValue|HKLM|Software\\X|v -> 1\n"
                  "  recordValue|HKCU|Software\\X|v -> -1\n"
                  "  getVariable|<InstallDir> -> 1 \"C:\\App\"\n"
                  "  countSharedFile|x -> not offered\n");
}

TEST(SystemTemporaryFiles, NamedInTheSystemsTemporaryDirectory) {
    std::string directory = vortix::systemTemporaryDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), '\\');
    std::string made;
    {
        vortix::TemporaryFiles files(
            directory,
            vortix::fileSystemCalls(platform::systemFileSystem(), vortix::systemTickCount));
        std::optional<std::string> path = files.create(".tmp");
        ASSERT_TRUE(path);
        made = *path;
        EXPECT_EQ(made.rfind(directory + "vxw", 0), 0u) << made;
        EXPECT_TRUE(exists(made));
    }
    EXPECT_FALSE(exists(made));
}

// An add-on library extracted to the temporary folder comes from there alone: a
// library it imports, planted beside it, is not loaded, and neither is it.
TEST(AddOnLibraries, ADependencyPlantedBesideOneIsNotLoaded) {
    TempDir dir;
    ASSERT_TRUE(CopyFileA(windowsPath(PLANT_DLL).c_str(), dir.file("vxplant.dll").c_str(), TRUE));
    ASSERT_TRUE(
        CopyFileA(windowsPath(PLANT_USER_DLL).c_str(), dir.file("vxplantuser.dll").c_str(), TRUE));
    vortix::LoadedLibrary library;
    EXPECT_FALSE(library.load(dir.file("vxplantuser.dll")));
    EXPECT_EQ(GetModuleHandleA("vxplant.dll"), nullptr);
}
