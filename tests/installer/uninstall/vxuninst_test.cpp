// vxuninst.exe run for real under Windows (Wine here), over an installation set up
// in the file system and the registry, with a log from the setup program's own writer.
#include <windows.h>
// (after windows.h)
#include <shellapi.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "installer/common/log_context.h"
#include "installer/common/pending_deletion.h"
#include "installer/common/uninstall_log.h"
#include "tests/support/win32/driver.h"

using namespace vortix;
using namespace testing_support;

namespace {

const char kSharedDlls[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

std::vector<std::string> pendingRenames() {
    std::vector<std::string> pairs;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return pairs;
    DWORD size = 0;
    if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        std::string data(size, '\0');
        RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(data.data()), &size);
        for (std::size_t start = 0; start < data.size();) {
            std::size_t end = data.find('\0', start);
            if (end == std::string::npos)
                end = data.size();
            pairs.push_back(data.substr(start, end - start));
            start = end + 1;
        }
        while (pairs.size() % 2)
            pairs.pop_back();  // the closing empty string
    }
    RegCloseKey(key);
    return pairs;
}

// One installation: files, directories, registry keys and shared counts, and the
// uninstaller with its log.
class Installation {
public:
    Installation() {
        id_ = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
        root_ = "C:\\vxuninst-test-" + id_;
        app_ = root_ + "\\App";
        key_ = "Software\\VxUninstTest-" + id_;
        CreateDirectoryA(root_.c_str(), nullptr);
        makeDirectory(app_);
        makeDirectory(app_ + "\\Data");
        makeDirectory(app_ + "\\Empty");
        makeFile(app_ + "\\app.exe");
        makeFile(app_ + "\\Data\\book.dat");
        makeFile(app_ + "\\readonly.txt");
        SetFileAttributesA((app_ + "\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        log.recordFile(app_ + "\\gone-before.txt");

        CreateDirectoryA((root_ + "\\Shared").c_str(), nullptr);
        shared("three.dll", 3);
        shared("one.dll", 1);
        shared("missing.dll", std::nullopt);

        setValue(HKEY_CURRENT_USER, key_ + "\\Created", "Written", 1);
        setValue(HKEY_CURRENT_USER, key_ + "\\Created", "Failed", 2);
        setValue(HKEY_CURRENT_USER, key_ + "\\Existing", "Keep", 3);
        setValue(HKEY_CURRENT_USER, key_ + "\\Grown", "Written", 4);
        setValue(HKEY_CURRENT_USER, key_ + "\\Grown\\Foreign", "Theirs", 5);
        setValue(HKEY_LOCAL_MACHINE, key_ + "\\Machine", "Written", 6);
        RegistryKeyNode& user = log.registry()
                                    .root(RegistryRoot::CurrentUser)
                                    .subkey("Software", kKeyExisted)
                                    .subkey("VxUninstTest-" + id_, kKeyCreated);
        RegistryKeyNode& created = user.subkey("Created", kKeyCreated);
        created.addValue("Written", kValueWritten);
        created.addValue("Failed", kValueKept);
        user.subkey("Existing", kKeyExisted);
        user.subkey("Grown", kKeyCreated).addValue("Written", kValueWritten);
        user.subkey("Not there any more", kKeyCreated).subkey("Deeper", kKeyCreated);
        log.registry()
            .root(RegistryRoot::LocalMachine)
            .subkey("Software", kKeyExisted)
            .subkey("VxUninstTest-" + id_, kKeyRecorded)
            .subkey("Machine", kKeyCreated)
            .addValue("Written", kValueWritten);
        log.registryWritten = true;
    }

    ~Installation() {
        SHDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, key_.c_str());
        for (const std::string& dll : sharedFiles_) {
            HKEY key;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDlls, 0, KEY_ALL_ACCESS, &key) ==
                ERROR_SUCCESS) {
                RegDeleteValueA(key, dll.c_str());
                RegCloseKey(key);
            }
        }
        SHFILEOPSTRUCTA op{};
        std::string from = root_ + std::string(1, '\0');
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        SHFileOperationA(&op);
    }

    // Writes the uninstaller (this build's program with the log appended).
    const std::string& writeUninstaller(const std::string& preUninstall = "", bool damage = false) {
        uninstaller_ = root_ + "\\Test Uninstaller.exe";
        std::string file = withLog(readAll(windowsPath(VXUNINST_EXE)),
                                   log.buildText(product(), preUninstall), clockKeyDraw());
        if (damage)
            file[file.size() - 20] ^= 0x40;
        writeAll(uninstaller_, file);
        return uninstaller_;
    }

    // Writes the uninstaller and runs it to its end.
    DWORD run(const std::string& options, const std::string& preUninstall = "",
              bool damage = false) {
        return launch("\"" + writeUninstaller(preUninstall, damage) + "\" " + options).wait();
    }

    std::string product() const { return productPrefix + id_; }
    std::string productPrefix = "Uninstall Test ";
    const std::string& app() const { return app_; }
    const std::string& root() const { return root_; }
    const std::string& key() const { return key_; }
    const std::string& uninstaller() const { return uninstaller_; }

    bool untouched() const {
        return exists(app_ + "\\app.exe") &&
               valueExists(HKEY_CURRENT_USER, key_ + "\\Created", "Written") &&
               dwordValue(HKEY_LOCAL_MACHINE, kSharedDlls, root_ + "\\Shared\\three.dll") == 3u;
    }

    LogContext log;

private:
    void makeDirectory(const std::string& path) {
        CreateDirectoryA(path.c_str(), nullptr);
        log.recordDirectory(path);
    }
    void makeFile(const std::string& path) {
        writeAll(path, "content of " + path);
        log.recordFile(path);
    }
    void shared(const std::string& name, std::optional<DWORD> count) {
        std::string path = root_ + "\\Shared\\" + name;
        writeAll(path, "shared");
        if (count)
            setValue(HKEY_LOCAL_MACHINE, kSharedDlls, path, *count);
        sharedFiles_.push_back(path);
        log.recordShared(path);
    }

    std::string id_, root_, app_, key_, uninstaller_;
    std::vector<std::string> sharedFiles_;
};

}  // namespace

TEST(Vxuninst, SilentRunRemovesTheInstallation) {
    Installation i;
    writeAll(i.app() + "\\Data\\my notes.txt", "the user's own");
    ASSERT_EQ(i.run("/SILENT /NOREMOVE"), 1u);

    EXPECT_FALSE(exists(i.app() + "\\app.exe"));
    EXPECT_FALSE(exists(i.app() + "\\readonly.txt"));
    EXPECT_FALSE(exists(i.app() + "\\Data\\book.dat"));
    EXPECT_FALSE(exists(i.app() + "\\Empty"));
    EXPECT_TRUE(exists(i.app() + "\\Data\\my notes.txt"));  // the user's file, and so its folders
    EXPECT_TRUE(exists(i.app() + "\\Data"));
    EXPECT_TRUE(exists(i.app()));

    std::string shared = i.root() + "\\Shared\\";
    EXPECT_EQ(dwordValue(HKEY_LOCAL_MACHINE, kSharedDlls, shared + "three.dll"), 2u);
    EXPECT_TRUE(exists(shared + "three.dll"));
    EXPECT_FALSE(dwordValue(HKEY_LOCAL_MACHINE, kSharedDlls, shared + "one.dll"));
    EXPECT_FALSE(exists(shared + "one.dll"));
    EXPECT_FALSE(exists(shared + "missing.dll"));

    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, i.key() + "\\Created"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, i.key() + "\\Existing"));
    EXPECT_TRUE(valueExists(HKEY_CURRENT_USER, i.key() + "\\Existing", "Keep"));
    EXPECT_TRUE(
        keyExists(HKEY_CURRENT_USER, i.key() + "\\Grown\\Foreign"));  // gained a subkey: stays
    EXPECT_FALSE(valueExists(HKEY_CURRENT_USER, i.key() + "\\Grown", "Written"));
    EXPECT_FALSE(
        keyExists(HKEY_LOCAL_MACHINE, i.key()));  // recorded by the plug-in: gone when empty

    EXPECT_TRUE(exists(i.uninstaller()));  // /NOREMOVE
}

TEST(Vxuninst, EndsWithZeroAndChangesNothing) {
    {  // a damaged log
        Installation i;
        EXPECT_EQ(i.run("/SILENT /NOREMOVE", "", true), 0u);
        EXPECT_TRUE(i.untouched());
    }
    {  // a second instance is running
        Installation i;
        HANDLE mutex = CreateMutexA(nullptr, TRUE, ("vuin_" + i.product() + "_mutex").c_str());
        EXPECT_EQ(i.run("/SILENT /NOREMOVE"), 0u);
        CloseHandle(mutex);
        EXPECT_TRUE(i.untouched());
    }
    {  // the pre-uninstall program says no
        Installation i;
        std::string veto = i.root() + "\\veto0.exe";
        ASSERT_TRUE(CopyFileA(windowsPath(EXIT_CODE_EXE).c_str(), veto.c_str(), FALSE));
        EXPECT_EQ(i.run("/SILENT /NOREMOVE", veto), 0u);
        EXPECT_TRUE(i.untouched());
    }
}

TEST(Vxuninst, PreUninstallProgramThatAgrees) {
    Installation i;
    std::string agree = i.root() + "\\agree1.exe";
    ASSERT_TRUE(CopyFileA(windowsPath(EXIT_CODE_EXE).c_str(), agree.c_str(), FALSE));
    EXPECT_EQ(i.run("/SILENT /NOREMOVE", agree), 1u);
    EXPECT_FALSE(exists(i.app() + "\\app.exe"));
}

TEST(Vxuninst, WithoutNoRemoveItAsksToBeDeletedAtRestart) {
    Installation i;
    ASSERT_EQ(i.run("/SILENT"), 1u);
    std::vector<std::string> pending = pendingRenames();
    std::optional<std::vector<std::string>> rest = withoutPendingDeletion(pending, i.uninstaller());
    EXPECT_TRUE(rest) << "no deletion of " << i.uninstaller() << " is pending";
    if (rest) {  // leave the prefix's pending list as it was
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_ALL_ACCESS, &key),
                  ERROR_SUCCESS);
        if (rest->empty()) {
            RegDeleteValueA(key, "PendingFileRenameOperations");
        } else {
            std::string data;
            for (const std::string& s : *rest)
                data += s + std::string(1, '\0');
            data.push_back('\0');
            RegSetValueExA(key, "PendingFileRenameOperations", 0, REG_MULTI_SZ,
                           reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size()));
        }
        RegCloseKey(key);
    }
}

namespace {

// An installation whose uninstaller a test runs with its windows, answering them as a
// user would. A run the test leaves unfinished is ended with the test.
class VxuninstWindows : public testing::Test {
protected:
    ~VxuninstWindows() override {
        if (run_.process.hProcess) {
            TerminateProcess(run_.process.hProcess, 9);
            run_.wait();
        }
    }

    // Writes the uninstaller, starts it and waits for its first window: the
    // confirmation (or the report of a damaged log).
    HWND start(const std::string& options = "/NOREMOVE", bool damage = false) {
        run_ = launch("\"" + i.writeUninstaller("", damage) + "\" " + options);
        user_ = std::make_unique<User>(run_.process.dwProcessId);
        return user_->waitFor("Vortix Uninstaller");
    }

    bool started() const { return run_.process.hProcess != nullptr; }
    User& user() { return *user_; }
    DWORD wait() { return run_.wait(); }

    Installation i;

private:
    Started run_;
    std::unique_ptr<User> user_;
};

}  // namespace

TEST_F(VxuninstWindows, InteractiveRunWithQuestionsAndDetails) {
    writeAll(i.app() + "\\Data\\my notes.txt", "the user's own");
    std::string backup = i.root() + "\\backup of three.dll";
    writeAll(backup, "backed up");
    i.log.recordBackup(BackupRecord{backup, i.root() + "\\Shared\\three.dll", 0, 0, 0, 0}.line());
    HWND box = start();
    ASSERT_TRUE(started());
    ASSERT_NE(box, nullptr) << "no confirmation";
    EXPECT_EQ(User::messageText(box),
              "This will remove " + i.product() + " from your system, do you want to continue?");
    User::answer(box, IDYES);

    // Shared files, last recorded first: missing.dll (no count), then one.dll (count 1).
    HWND question = user().waitFor("Remove shared file");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(User::text(question, 1003),
              "Shared file " + i.root() +
                  "\\Shared\\missing.dll doesn't seem to be used by any programs. "
                  "Do you want to remove this file?");
    User::answer(question, 1006);  // No
    question = user().waitFor("Remove shared file");
    ASSERT_NE(question, nullptr);
    EXPECT_NE(User::text(question, 1003).find("one.dll"), std::string::npos);
    User::answer(question, 1005);  // Yes

    // The backup question: a message box (its text in control 0xFFFF) over the progress window.
    box = user().waitFor("Vortix Uninstaller", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box).rfind("Vortix Installer has taken backup copies", 0), 0u);
    User::answer(box, IDNO);

    HWND progress = user().waitFor("Vortix Uninstaller", 20, 1016);
    ASSERT_NE(progress, nullptr);
    ASSERT_TRUE(User::waitEnabled(progress, 1017)) << "the run did not finish";
    EXPECT_EQ(User::text(progress, 1016), "Removing " + i.product() + " from your system...");
    EXPECT_EQ(User::text(progress, 1001),
              "Uninstallation successful. Couldn't remove all elements.");
    // Each phase's mark stands beside its label, clear of the first letter.
    for (int marker = 1010; marker <= 1014; ++marker) {
        HWND mark = GetDlgItem(progress, marker);
        EXPECT_TRUE(IsWindowVisible(mark)) << marker;
        RECT markRect{}, labelRect{};
        GetWindowRect(mark, &markRect);
        GetWindowRect(GetWindow(mark, GW_HWNDNEXT), &labelRect);
        EXPECT_LE(markRect.right, labelRect.left) << marker;
    }

    User::press(progress, 1000);  // Details...
    HWND details = user().waitFor("Details");
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(User::text(details, 1009),
              "Couldn't remove following directories:\r\n" + i.app() + "\\Data\r\n" + i.app() +
                  "\r\n\r\nCouldn't delete following registry "
                  "keys:\r\nHKEY_CURRENT_USER\\Software\\VxUninstTest-" +
                  i.key().substr(i.key().find('-') + 1) +
                  "\\Grown\r\nHKEY_CURRENT_USER\\Software\\VxUninstTest-" +
                  i.key().substr(i.key().find('-') + 1) + "\r\n");
    User::answer(details, IDOK);
    User::press(progress, 1017);  // Close
    EXPECT_EQ(wait(), 1u);

    std::string shared = i.root() + "\\Shared\\";
    EXPECT_TRUE(exists(shared + "missing.dll"));  // No
    // Kept, it still counts as used.
    EXPECT_EQ(dwordValue(HKEY_LOCAL_MACHINE, kSharedDlls, shared + "missing.dll"), 1u);
    EXPECT_FALSE(exists(shared + "one.dll"));            // Yes
    EXPECT_EQ(readAll(shared + "three.dll"), "shared");  // no restore
}

// Yes to all (1007) and No to all (1008) answer every shared file at once.
class VxuninstAnswerForAll : public VxuninstWindows, public testing::WithParamInterface<int> {};

TEST_P(VxuninstAnswerForAll, YesToAllAndNoToAll) {
    const int answer = GetParam();
    HWND box = start();
    ASSERT_NE(box, nullptr);
    User::answer(box, IDYES);
    HWND question = user().waitFor("Remove shared file");
    ASSERT_NE(question, nullptr);
    User::answer(question, answer);
    HWND progress = user().waitFor("Vortix Uninstaller", 20, 1016);
    ASSERT_TRUE(User::waitEnabled(progress, 1017));
    EXPECT_FALSE(user().waitFor("Remove shared file", 0)) << "asked again after answering for all";
    User::press(progress, 1017);
    EXPECT_EQ(wait(), 1u);
    std::string shared = i.root() + "\\Shared\\";
    bool removed = answer == 1007;
    EXPECT_EQ(!exists(shared + "missing.dll"), removed);
    EXPECT_EQ(!exists(shared + "one.dll"), removed);
    if (!removed) {
        EXPECT_EQ(dwordValue(HKEY_LOCAL_MACHINE, kSharedDlls, shared + "one.dll"), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(YesAndNo, VxuninstAnswerForAll, testing::Values(1007, 1008));

TEST_F(VxuninstWindows, DeclinedConfirmationChangesNothing) {
    HWND box = start();
    ASSERT_NE(box, nullptr);
    User::press(box, IDNO);
    EXPECT_EQ(wait(), 0u);
    EXPECT_TRUE(i.untouched());
}

TEST_F(VxuninstWindows, DamagedLogIsReported) {
    HWND box = start("", true);
    ASSERT_TRUE(started());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(User::messageText(box), "Uninstallation information corrupt. Aborting.");
    User::press(box, IDOK);
    EXPECT_EQ(wait(), 0u);
    EXPECT_TRUE(i.untouched());
}

// Which backups come back (over files unchanged or missing, never over changed
// ones) is the uninstall run's decision table, tested natively; here one backup
// comes back over a file whose real version resource and time match its line.
TEST_F(VxuninstWindows, BackupIsRestoredOverTheUnchangedFile) {
    // An installed file with a version resource (1.2.3.4) and its backup.
    std::string program = windowsPath(EXIT_CODE_EXE);
    std::string target = i.root() + "\\same.exe";
    std::string copy = i.root() + "\\backup of same.exe";
    ASSERT_TRUE(CopyFileA(program.c_str(), target.c_str(), FALSE));
    writeAll(copy, "backup");
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data));
    i.log.recordBackup(BackupRecord{copy, target, 0x00010002, 0x00030004,
                                    static_cast<std::int32_t>(data.ftLastWriteTime.dwHighDateTime),
                                    static_cast<std::int32_t>(data.ftLastWriteTime.dwLowDateTime)}
                           .line());
    // A file held open by another program cannot be deleted: it shows in the details.
    HANDLE held = CreateFileA((i.app() + "\\app.exe").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);

    HWND box = start();
    ASSERT_NE(box, nullptr);
    User::answer(box, IDYES);
    for (int question = 0; question < 2; ++question) {
        HWND shared = user().waitFor("Remove shared file");
        ASSERT_NE(shared, nullptr);
        User::answer(shared, 1006);
    }
    box = user().waitFor("Vortix Uninstaller", 20, 0xFFFF);
    ASSERT_NE(box, nullptr);
    User::answer(box, IDYES);  // restore the backups
    HWND progress = user().waitFor("Vortix Uninstaller", 20, 1016);
    ASSERT_TRUE(User::waitEnabled(progress, 1017));
    User::press(progress, 1000);
    HWND details = user().waitFor("Details");
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(User::text(details, 1009)
                  .rfind("Couldn't delete following files:\r\n" + i.app() +
                             "\\app.exe\r\n\r\n"
                             "Couldn't remove following directories:\r\n",
                         0),
              0u)
        << User::text(details, 1009);
    User::answer(details, IDOK);
    User::press(progress, 1017);
    EXPECT_EQ(wait(), 1u);
    CloseHandle(held);

    EXPECT_EQ(readAll(i.root() + "\\same.exe"), "backup");
    EXPECT_TRUE(exists(i.root() + "\\backup of same.exe"));  // the copies stay
}

TEST(Vxuninst, ProductNameWithABackslashIsStillRemoved) {
    Installation i;
    i.productPrefix = "Vendor\\Product ";  // no valid mutex name as it stands
    EXPECT_EQ(i.run("/SILENT /NOREMOVE"), 1u);
    EXPECT_FALSE(exists(i.app() + "\\app.exe"));
}
