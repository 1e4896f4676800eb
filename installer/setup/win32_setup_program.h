// The setup program from start to end: reading its own package, the single
// instance, initialisation, the installation (silent, or behind the progress
// page), the stages the plug-in takes part in, abort with rollback, and clean-up.
#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "installer/common/log_context.h"
#include "installer/package/package_reader.h"
#include "installer/setup/actions/install_run.h"
#include "installer/setup/actions/plugin_recorder.h"
#include "installer/setup/actions/win32_install_host.h"
#include "installer/setup/addons/win32_plugin_callbacks.h"
#include "installer/setup/fault_plan.h"
#include "installer/setup/probe/system_information.h"
#include "installer/setup/source/package_entries.h"
#include "installer/setup/source/win32_package_pieces.h"
#include "installer/setup/source/win32_volume_prompt.h"
#include "installer/setup/variables/cached_system_facts.h"
#include "installer/setup/variables/variables.h"
#include "installer/setup/variables/win32_system_facts.h"
#include "installer/setup/win32_messages.h"
#include "installer/setup/win32_setup_window.h"
#include "installer/setup/win32_single_instance.h"
#include "installer/setup/wizard/win32_finish_page.h"
#include "installer/setup/wizard/win32_page_art.h"
#include "installer/setup/wizard/win32_page_context.h"
#include "installer/setup/wizard/win32_progress_page.h"
#include "installer/setup/wizard/win32_wizard_page.h"
#include "installer/setup/wizard/wizard_stages.h"

namespace vortix {

class SetupProgram : private StageHooks {
public:
    SetupProgram(HINSTANCE instance, const std::string& commandLine);
    ~SetupProgram();

    // The exit code.
    int run();

private:
    int runToTheEnd();
    bool readPackage();
    // False when another copy is running (it was brought to the front).
    bool claimSingleInstance();
    // The checks before the wizard: the registry rights (NT family), the update or
    // the previous installation, and the confirmation. False: the run ends.
    bool machineAllowsTheRun();
    // The destination, the package's pieces, the main window, the music and the
    // plug-in's first calls: 0 or a failure code.
    int initialise();
    bool readFileRecords();

    // The wizard's pages up to the progress page: false when the user cancelled
    // or the plug-in aborted.
    bool leadToTheInstallation();
    // The page of `stage`, made the first time, until the user leaves it.
    PageChoice showPage(int stage, bool canGoBack);
    // The user picks the components: on the package's components page, or on the
    // one the custom type brings.
    bool componentsChosen() const;

    // One stage: its actions (forwards) and the plug-in's entry point.
    StageAnswer runStage(int stage, Direction direction) override;
    StageAnswer callPlugin(int stage, Direction direction = Direction::Forward);
    void runStageActions(int stage);
    bool install();
    FinishChoices finishWithoutPage(const InstallResult& result) const;
    // The finish page: the restart question when one is needed, and the two items.
    FinishChoices showFinishPage(bool restartNeeded);
    void afterInstallation(const FinishChoices& finish);
    void restartWindows();
    void openItem(const std::string& path);

    void rollBack();
    void cleanUp();

    HINSTANCE instance_;
    bool silent_;
    std::string ownPath_, ownDirectory_;
    FaultPlan faults_;
    Win32SystemFacts system_;
    // The machine's figures, measured once for the variables and the system page.
    CachedSystemFacts facts_;
    Variables variables_;
    SetupMessages messages_;

    // Before the stream, which opens its volumes through it.
    std::unique_ptr<SetupVolumes> volumes_;
    std::unique_ptr<PackageStream> stream_;
    OpenedPackage package_;
    std::vector<PackagedFile> files_;
    std::vector<Extent> fileData_;
    // What the package asks of the machine, and what the machine has (probed when
    // the system information page first shows).
    SystemRequirements requirements_;
    std::optional<MachineFacts> machine_;
    std::unique_ptr<PackagePieces> pieces_;

    SetupInstance singleInstance_;
    SetupWindow window_;
    PageArt art_;  // the dialog picture and wizard bitmaps every page shows
    std::unique_ptr<ProgressPage> page_;
    // The installation type and the components chosen on the wizard's pages.
    WizardChoices chosen_;
    // What the pages work with, from the wizard's start.
    std::unique_ptr<PageContext> wizard_;
    std::map<int, std::unique_ptr<WizardPage>> pages_;  // by stage, kept while the wizard runs
    // The language changes the pages in pages_ were made after.
    int pagesLanguageChanges_ = 0;

    LogContext log_;
    // What the run and its stages replaced, kept until the installation completes.
    ReplacedFiles originals_;
    // The package was refused with a message of its own (a later format, damaged
    // requirements): the general one is not shown as well.
    bool refusalShown_ = false;
    std::unique_ptr<Win32InstallHost> host_;
    std::unique_ptr<InstallTables> tables_;  // over host_
    std::unique_ptr<PluginRecorder> recorder_;
    std::unique_ptr<PluginCallbacks> callbacks_;
    std::unique_ptr<InstallRun> run_;
};

}  // namespace vortix
