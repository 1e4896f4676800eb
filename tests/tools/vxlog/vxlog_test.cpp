#include "tools/vxlog/log_printer.h"

#include <gtest/gtest.h>

#include <sstream>

#include "installer/common/log_context.h"
#include "tests/support/temp_dir.h"

using namespace vortix;

TEST(Vxlog, ShowsEverySectionAndTheTree) {
    testing_support::TempDir dir;
    LogContext log;
    log.recordFile("C:\\App\\app.exe");
    log.recordDirectory("C:\\App");
    log.recordShared("C:\\Windows\\System\\x.dll");
    log.registryWritten = true;
    log.registry()
        .root(RegistryRoot::LocalMachine)
        .subkey("Software", kKeyExisted)
        .subkey("App", kKeyCreated)
        .addValue("Path", kValueWritten);
    std::string path = dir.file("App Uninstaller.exe");
    testing_support::writeBytes(path, withLog("MZ", log.buildText("App", ""), clockKeyDraw()));

    std::ostringstream out, err;
    ASSERT_EQ(runLogTool({"show", path}, platform::systemFileSystem(), out, err), 0) << err.str();
    std::string text = out.str();
    for (const char* expected :
         {"Product: App", "Format: 102", "Program run first: (none)", "Shared files (1)",
          "Files (1)", "  C:\\App\\app.exe", "Directories (1)", "HKEY_LOCAL_MACHINE",
          "Software\\  [existed, kept]", "App\\  [created, deleted when empty]",
          "value \"Path\" (deleted)"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;

    std::string bytes = testing_support::readBytes(path);
    bytes[3] ^= 1;
    testing_support::writeBytes(path, bytes);
    std::ostringstream out2, err2;
    EXPECT_EQ(runLogTool({"show", path}, platform::systemFileSystem(), out2, err2), 1);
    EXPECT_NE(err2.str().find("Uninstallation information corrupt. Aborting."), std::string::npos);
    EXPECT_EQ(runLogTool({"show"}, platform::systemFileSystem(), out2, err2), 2);
}

TEST(Vxlog, ControlBytesAreShownEscapedAndLettersAsTheyAre) {
    testing_support::TempDir dir;
    LogContext log;
    log.recordFile("C:\\M\xFCller\\\x1b]0;owned\x07.txt");
    log.recordDirectory("C:\\Caf\xE9\x7F\x9D");
    log.registryWritten = true;
    log.registry()
        .root(RegistryRoot::CurrentUser)
        .subkey("Soft\x1b[2Jware", kKeyCreated)
        .addValue(
            "\x9B\x90"
            "31m",
            kValueWritten);
    std::string path = dir.file("App Uninstaller.exe");
    testing_support::writeBytes(
        path, withLog("MZ", log.buildText("App\x1b[2J\x1b[H", ""), clockKeyDraw()));

    std::ostringstream out, err;
    ASSERT_EQ(runLogTool({"show", path}, platform::systemFileSystem(), out, err), 0) << err.str();
    std::string text = out.str();
    for (const char* expected :
         {"Product: App\\x1b[2J\\x1b[H\n", "  C:\\M\xFCller\\\\x1b]0;owned\\x07.txt\n",
          "  C:\\Caf\xE9\\x7f\\x9d\n", "Soft\\x1b[2Jware\\  [created", "value \"\x9B\\x9031m\""})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    for (char c : text)
        EXPECT_TRUE(c == '\n' || (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F))
            << static_cast<int>(c);
}
