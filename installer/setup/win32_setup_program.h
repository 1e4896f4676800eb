// The setup program from start to end: reading its own package, the single
// instance, initialisation, the installation (silent, or behind the progress
// page), the stages the plug-in takes part in, abort with rollback, and clean-up.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "installer/common/log_context.h"
#include "installer/package/package_reader.h"
#include "installer/setup/actions/install_run.h"
#include "installer/setup/actions/plugin_recorder.h"
#include "installer/setup/extract/temporary_files.h"
#include "installer/setup/fault_plan.h"
#include "installer/setup/package_entries.h"
#include "installer/setup/variables/variables.h"
#include "installer/setup/variables/win32_system_facts.h"
#include "installer/setup/win32_install_host.h"
#include "installer/setup/win32_libraries.h"
#include "installer/setup/win32_messages.h"
#include "installer/setup/win32_progress_page.h"
#include "installer/setup/win32_setup_window.h"

namespace vortix {

class SetupProgram {
public:
    SetupProgram(HINSTANCE instance, const std::string& commandLine);
    ~SetupProgram();

    // The exit code.
    int run();

    // The plug-in's view of the program (its callbacks reach it through here).
    static SetupProgram* current() { return current_; }
    PluginRecorder& recorder() { return *recorder_; }
    Variables& variables() { return variables_; }
    SetupMessages& messages() { return messages_; }

private:
    bool readPackage();
    // False when another copy is running (it was brought to the front).
    bool claimSingleInstance();
    int initialise();
    // The package's pieces into temporary files and libraries: 0 or a failure code.
    int loadPieces();
    enum class Picture { Ready, NotExtracted, NotConverted };
    Picture preparePicture(Extent extent, std::string& bitmap);
    bool loadLanguageSet(std::uint32_t index);
    bool extractTemporary(Extent extent, EntryKind kind, const char* extension, std::string& path);
    bool loadFonts();
    int loadPictures();
    bool bindLibrary(std::uint32_t presentWord, LoadedLibrary& library, int extractCode,
                     int bindCode, int& code);
    void startMusic();
    bool readFileRecords();

    // The stages around the installation; false when the plug-in aborts.
    bool runStage(int stage);
    bool callPlugin(int stage);
    void runStageActions(int stage);
    bool install();
    void afterInstallation(const InstallResult& result);
    void openItem(const std::string& path);

    void rollBack();
    void runUninstallerAndWait(const std::string& path);
    void cleanUp();

    static SetupProgram* current_;

    HINSTANCE instance_;
    bool silent_;
    std::string ownPath_, ownDirectory_;
    FaultPlan faults_;
    Win32SystemFacts facts_;
    Variables variables_;
    SetupMessages messages_;

    std::unique_ptr<PackageStream> stream_;
    OpenedPackage package_;
    LanguageSet language_;
    std::vector<PackagedFile> files_;
    std::vector<Extent> fileData_;

    std::unique_ptr<TemporaryFiles> temporaries_;
    std::vector<std::string> fonts_;
    std::vector<std::string> bitmaps_, pictures_;
    std::string dialogPicture_, music_, extractedUninstaller_;
    Mp3Library mp3_;
    JpegLibrary jpeg_;
    PluginLibrary plugin_;
    bool musicPlaying_ = false;

    HANDLE mutex_ = nullptr;
    SetupWindow window_;
    std::unique_ptr<ProgressPage> page_;

    LogContext log_;
    std::unique_ptr<Win32InstallHost> host_;
    std::unique_ptr<PluginRecorder> recorder_;
    std::unique_ptr<InstallRun> run_;
};

}  // namespace vortix
