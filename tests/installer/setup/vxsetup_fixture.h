// What the setup program's tests under Wine share: the programs of this build, a
// package folder built by vxpack, silent runs, the installed uninstaller, what a
// restart would do, and pictures of the prefix compared before and after.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/win32/driver.h"
#include "tests/support/win32/prefix_snapshot.h"

namespace vxsetup_testing {

using namespace testing_support;

extern const std::string kWork, kVxpack, kStub, kProductStub, kUninstaller, kEnglish, kDeutsch;
extern const std::string kVersioned;  // carries version 1.2.3.4
extern const std::string kRecordArguments, kPluginDouble, kMp3Double, kJpegLibrary;
extern const char* const kSessionManager;
extern const char* const kSharedDlls;
// Changes of the prefix that no installation makes and that Wine makes by itself.
extern const std::vector<std::string> kNotCompared;

std::string windowsDirectory();
std::string programFiles();
std::string programsFolder();

struct Package {
    std::string name, directory, setup;
};

// A package folder with a description and its files, built by vxpack.exe.
class PackageMaker {
public:
    explicit PackageMaker(const std::string& name, const std::string& stub = kStub);
    std::string file(const std::string& name, const std::string& bytes);
    // `pieces`: further lines of the [pieces] table. The English set comes first.
    Package build(const std::string& description, const std::string& pieces = "");

private:
    std::string stub_;
    Package package_;
};

// Writes `bytes` as the setup program `path` with the package's check value made to
// fit them: a package damaged where its check cannot see it (as a faulty builder
// would make it), for the defences behind the check.
void writeResealed(const std::string& path, std::string bytes);

DWORD runSetup(const Package& package, const std::string& arguments = "/SILENT",
               const std::string& faults = "");
// The uninstaller an installation of `product` put in the Windows directory.
std::string installedUninstaller(const std::string& product);
// Runs that uninstaller silently to its end; its exit code.
DWORD uninstall(const std::string& product);
std::vector<std::string> pendingRenames();
// What a restart does with the deletions waiting for it (renames are not used here).
void simulateRestart();
std::string stringValue(HKEY root, const char* key, const char* name, DWORD& type);
void expectNoDifferences(const PrefixSnapshot& before, const std::vector<std::string>& allowed);

// Ends a setup program a failed test left running, so that the next one (the same
// product) is not taken for a second copy.
struct EndsWithTheTest {
    Started& setup;
    ~EndsWithTheTest() {
        if (WaitForSingleObject(setup.process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(setup.process.hProcess, 0);
            setup.wait();
        }
    }
};

// A visible window of any process with this caption and control, waiting for it:
// the uninstaller the setup program starts, and the programs that one starts, are
// processes of their own.
HWND waitForAnyWindow(const std::string& caption, int control);

// The controls every wizard page has.
constexpr int kBack = 3, kHeading = 31, kDocument = 33, kProgressBar = 40;
// The setup program's main window whose title holds `title` (the package's own
// title, or the language set's made from the product name).
HWND findSetupWindow(const std::string& title);
// The wizard page that setup window shows (the others are hidden), other than the
// progress page, which asks nothing.
HWND waitForPage(const std::string& title);
// The page after `current` once Next or Back has been pressed on it.
HWND nextPage(const std::string& title, HWND current);

}  // namespace vxsetup_testing
