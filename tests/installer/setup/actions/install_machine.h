// A package, and the fake machine with the Windows directory and the extracted
// uninstaller, for the installation run's tests and the rollback's.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "installer/common/log_context.h"
#include "installer/common/shared_counts.h"
#include "installer/common/uninstall_log.h"
#include "installer/setup/actions/install_run.h"
#include "installer/setup/actions/rollback.h"
#include "tests/installer/support/fake_machine.h"
#include "tests/installer/support/machine_state.h"

namespace testing_support {

inline const std::string kUninstaller = "C:\\WINDOWS\\Contavo Lite Uninstaller.exe";
inline const std::string kExtracted = "C:\\TEMP\\vxw1.EXE";

// A package and a machine with the Windows directory and the extracted uninstaller.
struct Machine {
    FakeMachine host;
    FakeExpander expander;
    LogContext log;
    ReplacedFiles originals;
    Script script;
    std::vector<PackagedFile> files;
    std::vector<std::string> texts = std::vector<std::string>(141);
    InstallChoices choices;

    Machine() {
        for (std::size_t k = 0; k < texts.size(); ++k)
            texts[k] = "[" + std::to_string(k) + "]";
        texts[112] = "Copying ";
        texts[120] = "%s is in use.";
        expander.variables = {{"<InstallDir>", "C:\\App"}, {"<Menu>", "C:\\Menu\\Contavo"}};
        host.addDirectory("C:\\WINDOWS");
        host.addFile(kExtracted, "MZ uninstaller");
        host.uninstallerTarget = kUninstaller;
        log.extractedUninstaller = kExtracted;
        script.settings.productName = "Contavo Lite";
        script.settings.options = kOptionCreateUninstaller;
        choices.installDirectory = "C:\\App";
        choices.shortcutFolder = "C:\\Menu\\Contavo";
        choices.windowsDirectory = "C:\\WINDOWS";
    }

    PackagedFile& addFile(const std::string& target, std::uint32_t options = 0) {
        files.emplace_back();
        files.back().target = target;
        files.back().dataSize = 10;
        files.back().options = options;
        return files.back();
    }

    InstallResult run() { return runThrough(host.install); }
    InstallResult runThrough(InstallHost& tables) {
        InstallRun install(tables, expander, log, {script, files, texts}, choices, originals);
        return install.run();
    }

    UninstallLog installedLog() const {
        std::variant<UninstallLog, LogError> read =
            readUninstallLog(host.file(kUninstaller).content);
        EXPECT_TRUE(std::holds_alternative<UninstallLog>(read));
        return std::holds_alternative<UninstallLog>(read) ? std::get<UninstallLog>(read)
                                                          : UninstallLog();
    }
};

// A machine with something of the user's that the installation replaces, and a
// package that adds files, a shared file, a registry value and a shortcut.
struct Installation : Machine {
    std::string before;

    explicit Installation(std::uint32_t options) {
        script.settings.options = options;
        host.addFile("C:\\App\\settings.ini", "the user's settings");
        host.registry.key(RegistryRoot::LocalMachine, kSharedDllsKey);
        host.registry.key(RegistryRoot::CurrentUser, "Software");
        addFile("<InstallDir>\\app.exe");
        addFile("<InstallDir>\\Data\\settings.ini");
        addFile("<InstallDir>\\settings.ini");
        addFile("C:\\WINDOWS\\SYSTEM\\common.dll", kFileShared);
        RegistryItemKey app;
        app.name = "Software\\Vortix\\Contavo";
        app.values = {{"Path", kRegString, "<InstallDir>", {}}};
        script.registry[1].subkeys.push_back(app);
        ShortcutItem shortcut;
        shortcut.target = "C:\\App\\app.exe";
        shortcut.shortcutFile = "<Menu>\\Contavo.lnk";
        script.shortcuts.push_back(shortcut);
        before = machineState(host);
    }

    RollbackFacts facts() const {
        RollbackFacts f;
        f.productName = script.settings.productName;
        f.update = (script.settings.options & kOptionUpdate) != 0;
        f.createsUninstaller = (script.settings.options & kOptionCreateUninstaller) != 0;
        f.installedUninstaller = kUninstaller;
        f.extractedUninstaller = kExtracted;
        return f;
    }

    void rollBack() { rollBackThrough(host.install); }
    void rollBackThrough(InstallHost& tables) {
        RollbackServices services{tables, host.uninstall, host.rollback.launcher,
                                  host.rollback.programs};
        Rollback(services).run(facts(), log, originals);
    }
};

}  // namespace testing_support
