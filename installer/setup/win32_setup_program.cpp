#include "installer/setup/win32_setup_program.h"

#include <objbase.h>
#include <shellapi.h>

#include <new>

#include "framework/message_loop.h"
#include "installer/common/uninstall_log.h"
#include "installer/common/uninstaller_name.h"
#include "installer/common/win32_registry.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/actions/stage_file_operation.h"
#include "installer/setup/actions/win32_rollback_services.h"
#include "installer/setup/actions/windows_path.h"
#include "installer/setup/addons/win32_plugin_guard.h"
#include "installer/setup/previous_installation.h"
#include "installer/setup/resource.h"
#include "installer/setup/script_expansion.h"
#include "installer/setup/setup_rules.h"
#include "installer/setup/wizard/install_type_choice.h"
#include "installer/setup/wizard/program_folder.h"
#include "installer/setup/wizard/win32_stage_pages.h"
#include "installer/uninstall/win32_host.h"
#include "platform/file_system.h"
#include "platform/whole_file.h"

namespace vortix {

namespace {

// The variable system as the install run sees it.
class VariablesExpander final : public TextExpander {
public:
    explicit VariablesExpander(Variables& variables) : variables_(variables) {}
    std::string expand(std::string_view text) override {
        return variables_.expandAll(std::string(text));
    }
    bool holds(const Condition& condition) override { return variables_.holds(condition); }

private:
    Variables& variables_;
};

std::string ownProgramPath() {
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length < sizeof path ? length : 0);
}

std::string windowsDirectory() {
    char directory[MAX_PATH] = "";
    GetWindowsDirectoryA(directory, sizeof directory);
    std::string path = directory;
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

// The modeless "initialising" box shown while the package's pieces are loaded.
class InitialisingBox : public fw::DialogImpl<InitialisingBox> {};

// The machine as the checks before the wizard see it.
class Win32PreviousInstallHost final : public PreviousInstallHost {
public:
    explicit Win32PreviousInstallHost(SetupMessages& messages) : messages_(messages) {}

    Registry& registry() override { return registry_; }
    bool fileExists(const std::string& path) override {
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    void deleteFile(const std::string& path) override {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    UninstallerRun runUninstaller(const std::string& path, const std::string& options,
                                  std::uint32_t& exitCode) override {
        std::string commandLine = "\"" + path + "\" " + options;
        std::string directory = directoryOf(path);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                            CREATE_DEFAULT_ERROR_MODE, nullptr,
                            directory.empty() ? nullptr : directory.c_str(), &startup, &process))
            return UninstallerRun::CannotStart;
        CloseHandle(process.hThread);
        fw::waitDispatching(process.hProcess);
        // The program was asked to end while it waited.
        bool quit = !fw::pumpWaitingMessages();
        Sleep(50);
        DWORD code = 1;
        if (!GetExitCodeProcess(process.hProcess, &code))
            code = 1;
        CloseHandle(process.hProcess);
        exitCode = code;
        return quit ? UninstallerRun::Quit : UninstallerRun::Exited;
    }
    int ask(std::string_view text, Buttons buttons, bool noByDefault) override {
        return messages_.show(text, buttons, MB_ICONQUESTION, noByDefault ? MB_DEFBUTTON2 : 0);
    }
    void tell(std::string_view text) override {
        messages_.show(text, Buttons::Ok, MB_ICONEXCLAMATION);
    }

private:
    SetupMessages& messages_;
    Win32Registry registry_;
};

}  // namespace

SetupProgram::SetupProgram(HINSTANCE instance, const std::string& commandLine)
    : instance_(instance),
      silent_(isSilentCommandLine(commandLine)),
      ownPath_(ownProgramPath()),
      ownDirectory_(directoryOf(ownPath_)),
      faults_(faultPlanOfThisBuild()),
      facts_(system_),
      variables_(facts_),
      messages_(silent_) {}

SetupProgram::~SetupProgram() {
    cleanUp();
}

int SetupProgram::run() {
    try {
        return runToTheEnd();
    } catch (const std::bad_alloc&) {
        // Half an installation never stays: what was done is undone. The text comes
        // from the language set when one is loaded.
        std::string text =
            pieces_ ? entry(pieces_->language().lines, LanguageEntry::OutOfMemory) : std::string();
        messages_.error(text.empty() ? std::string(kOutOfMemoryText) : text);
        if (host_)
            rollBack();
        cleanUp();
        return 0;
    } catch (const VolumeSearchCancelled&) {
        // The user gave up on a volume: whatever was installed goes again.
        if (host_)
            rollBack();
        cleanUp();
        return 0;
    }
}

int SetupProgram::runToTheEnd() {
    CoInitialize(nullptr);
    if (!readPackage()) {
        if (!refusalShown_)
            messages_.error(kCannotReadTocText);
        return 0;
    }
    if (!claimSingleInstance())
        return 0;
    if (!machineAllowsTheRun())
        return 0;
    int code = initialise();
    if (code < 0) {
        messages_.error(formatText(kInitialisationFailedText, {std::to_string(code)}));
        cleanUp();
        return 0;
    }
    // A silent run has no wizard: it installs straight through.
    if (!silent_ && !leadToTheInstallation()) {
        rollBack();
        cleanUp();
        return 0;
    }
    bool installed = install();
    cleanUp();
    return installed ? 1 : 0;
}

bool SetupProgram::readPackage() {
    std::unique_ptr<platform::File> own =
        platform::systemFileSystem().open(ownPath_, platform::OpenMode::Read);
    volumes_ = std::make_unique<SetupVolumes>(
        ownDirectory_, temporaryDirectory(facts_.folder(SystemFolder::Temp)), messages_, silent_,
        [this] { return window_.handle(); },
        [this] { return pieces_ ? &pieces_->language().lines : nullptr; });
    stream_ = std::make_unique<PackageStream>(std::move(own), volumes_->opener());
    package_ = openPackage(*stream_);
    if (package_.failure == PackageFailure::SizeMismatch)
        messages_.error(kSizeMismatchText);
    if (package_.failure == PackageFailure::Damaged) {
        messages_.error(kDamagedPackageText);
        refusalShown_ = true;
    }
    if (package_.failure == PackageFailure::NewerFormat) {
        messages_.error(
            formatText(kNewerFormatText, {std::to_string(package_.toc.word(toc::kFormatVersion)),
                                          std::to_string(kPackageFormatVersion)}));
        refusalShown_ = true;
    }
    if (package_.failure != PackageFailure::None)
        return false;
    PackageSettings& settings = package_.script.settings;
    if (!packageAllowsRun(settings, silent_))
        return false;
    expandSystemPathsOnce(package_.script, variables_);
    variables_.setUserVariables(package_.script.userVariables);
    variables_.setDefaultShortcutFolder(settings.shortcutFolder);
    variables_.setInstallDir(settings.installDirectory);
    // A folder name goes under the Programs folder the shortcuts are made in.
    variables_.setShortcutDir(
        programFolderPath(settings.shortcutFolder, shortcutProgramsFolder(variables_, settings)));
    messages_.setPackageTitle(settings.windowTitle);
    // The volumes are found (or asked for) before the file records are read from them.
    if (!volumes_->prepare(*stream_, package_.toc))
        return false;
    if (settings.pages & kPageSystemInformation) {
        std::optional<SystemRequirements> requirements = readRequirements(*stream_, package_.toc);
        if (!requirements) {
            messages_.error(kDamagedRequirementsText);
            refusalShown_ = true;
            return false;
        }
        requirements_ = std::move(*requirements);
    }
    return readFileRecords();
}

bool SetupProgram::machineAllowsTheRun() {
    const PackageSettings& settings = package_.script.settings;
    Win32PreviousInstallHost machine(messages_);
    if (variables_.ntFamily()) {
        RegistryRights rights = checkRegistryRights(
            machine.registry(), package_.script.registry,
            [this](const std::string& text) { return variables_.expandAll(text); });
        if (rights.verdict == RegistryRights::Refused)
            messages_.error(formatText(kRegistryRightsText, {rights.key}));
        if (rights.verdict != RegistryRights::Granted)
            return false;
    }
    if (settings.options & kOptionUpdate) {
        UpdateDecision update = decideUpdate(settings, machine.registry());
        if (!update.goAhead) {
            messages_.show(update.message, Buttons::Ok, update.stopIcon ? MB_ICONSTOP : 0);
            return false;
        }
    } else if (checkPreviousInstallation(machine, settings,
                                         uninstallerPath(windowsDirectory(), settings.productName),
                                         silent_) == StartVerdict::End) {
        return false;
    }
    return !(settings.options & kOptionConfirm) ||
           messages_.show(confirmationText(settings), Buttons::YesNo, 0) == kAnswerYes;
}

bool SetupProgram::readFileRecords() {
    FileRecordCursor cursor(*stream_, package_.toc);
    PackagedFile record;
    Extent data;
    while (cursor.next(record, data)) {
        files_.push_back(std::move(record));
        fileData_.push_back(data);
    }
    return !cursor.failed();
}

bool SetupProgram::claimSingleInstance() {
    const PackageSettings& settings = package_.script.settings;
    return singleInstance_.claim(settings.productName) ||
           !SetupInstance::bringForwardRunning(settings.productName, settings.windowTitle);
}

int SetupProgram::initialise() {
    const PackageSettings& settings = package_.script.settings;
    pieces_ = std::make_unique<PackagePieces>(*stream_, package_,
                                              temporaryDirectory(facts_.folder(SystemFolder::Temp)),
                                              messages_, variables_);
    if ((settings.options & kOptionDestinationFromRegistry)) {
        const RegistryLocation& from = settings.destinationSource;
        std::optional<std::string> value = variables_.registryText(
            from.root, variables_.expandUser(from.keyPath), variables_.expandUser(from.valueName));
        if (value && !value->empty()) {
            variables_.setInstallDir(*value);
        } else if (variables_.installDir().empty()) {
            messages_.error(kNoRegistryDestinationText);
            return init::kNoDestination;
        }
    }
    int code = 0;
    {
        // The box shows while the pieces are loaded and the window is made.
        InitialisingBox box;
        if (!silent_)
            box.createModeless(IDD_INITIALISING, nullptr);
        code = pieces_->load();
        if (code == 0)
            log_.extractedUninstaller = pieces_->extractedUninstaller();
        if (code == 0 && !silent_) {
            // The language set's title when one is loaded, else the package's. A
            // second copy finds the window by its published handle.
            if (window_.create(instance_, messages_.caption(), settings.windowStyle)) {
                singleInstance_.publish(settings.productName, window_.handle());
                messages_.setOwner(window_.handle());
                if (window_.backgroundFailed())
                    messages_.show(kGraphicsBackgroundFailedText, Buttons::Ok, MB_ICONEXCLAMATION);
                window_.setMessageHook(pieces_->plugin().onMessage);
                // A picture that cannot be loaded is left out of the pages.
                if (!art_.load(pieces_->dialogPicture(), pieces_->wizardBitmaps()))
                    messages_.show(kGraphicsFailedText, Buttons::Ok, MB_ICONEXCLAMATION);
                window_.show();
            } else {
                code = init::kMainWindow;
            }
        }
    }
    if (code < 0)
        return code;
    PluginLibrary& plugin = pieces_->plugin();
    // A silent run has no window: the plug-in is not handed one to draw in (a null
    // window's drawing context would be the whole screen's).
    if (plugin.loaded() && !silent_) {
        if (plugin.entryPoint0) {
            HDC dc = GetDC(window_.handle());
            plugin.entryPoint0(window_.handle(), dc);
            ReleaseDC(window_.handle(), dc);
        }
    }
    pieces_->startMusic();

    host_ = std::make_unique<Win32InstallHost>(
        InstallSources{*stream_, fileData_, ownDirectory_, ownPath_,
                       temporaryDirectory(facts_.folder(SystemFolder::Temp))},
        messages_, nullptr, &pieces_->mp3(), &pieces_->jpeg());
    tables_ = installTablesOfThisBuild(*host_);
    recorder_ = std::make_unique<PluginRecorder>(tables_->host(), log_, variables_.installDir());
    callbacks_ =
        std::make_unique<PluginCallbacks>(PluginServices{*recorder_, variables_, messages_});
    if (plugin.advancedEntry && plugin.advancedEntry(callbacks_->table()) != VXPLUGIN_OK)
        return init::kPluginLoad;
    return 0;
}

bool SetupProgram::componentsChosen() const {
    return !silent_ && componentsChosenOnPages(package_.script.settings.pages, chosen_.installType);
}

bool SetupProgram::leadToTheInstallation() {
    chosen_.components = std::make_unique<ComponentChoices>(package_.script.components);
    wizard_.reset(new PageContext{*stream_, package_, *pieces_, messages_, window_, variables_,
                                  facts_, requirements_, machine_, faults_, chosen_,
                                  PageSet(package_.script.settings.pages)});
    PageSet& pages = wizard_->pages;
    StageNavigator wizard(pages, *this);
    WizardStop stop = wizard.start();
    while (stop.kind == WizardStop::Page && stop.stage != kProgressStage) {
        PageChoice choice = showPage(stop.stage, wizard.canGoBack());
        // The custom type brings the components page into the run, or takes it out.
        pages.setCustomType(chosen_.installType == kCustomType);
        switch (choice) {
            case PageChoice::Next: stop = wizard.next(); break;
            case PageChoice::Back: stop = wizard.back(); break;
            default: stop = {WizardStop::Aborted, stop.stage}; break;
        }
    }
    for (auto& [stage, page] : pages_)
        page->hide();
    pages_.clear();
    return stop.kind == WizardStop::Page;
}

PageChoice SetupProgram::showPage(int stage, bool canGoBack) {
    const StagePage* kind = stagePage(stage);
    if (!kind)
        return PageChoice::Cancel;
    // The pages made in another language are made again in the new one.
    if (pagesLanguageChanges_ != wizard_->languageChanges) {
        for (auto it = pages_.begin(); it != pages_.end();)
            it = it->first == kLanguageStage ? std::next(it) : pages_.erase(it);
        pagesLanguageChanges_ = wizard_->languageChanges;
    }
    std::unique_ptr<WizardPage>& page = pages_[stage];
    bool fresh = !page;
    if (fresh) {
        page = kind->make(*wizard_);
        page->setLook(&art_, stage, pieces_->pageTemplate(stage));
    }
    if (!page->ready())
        return PageChoice::Cancel;
    for (auto& [shown, other] : pages_)
        if (shown != stage)
            other->hide();
    const std::vector<std::string>& lines = pieces_->language().lines;
    WizardPage::Texts texts;
    if (kind->caption) {
        texts.heading = entry(lines, kind->caption->heading);
        texts.prompt = entry(lines, kind->caption->prompt);
    }
    texts.back = entry(lines, LanguageEntry::Back);
    texts.next = entry(lines, wizard_->pages.nextCaption(stage));
    texts.cancel = entry(lines, LanguageEntry::Cancel);
    if (!page->show(instance_, window_.handle(), kind->templateId, page->texts(texts), canGoBack)) {
        messages_.error(page->notMadeText());
        return PageChoice::Cancel;
    }
    if (!page->fill(fresh))
        return PageChoice::Cancel;
    std::string question = entry(lines, LanguageEntry::QuitQuestion);
    return page->waitForChoice(messages_,
                               question.empty() ? "Do your really want to exit setup?" : question);
}

StageAnswer SetupProgram::runStage(int stage, Direction direction) {
    // The progress stage's actions and entry point belong to the installation.
    if (stage >= kProgressStage)
        return StageAnswer::GoOn;
    if (direction == Direction::Forward)
        runStageActions(stage);
    return callPlugin(stage, direction);
}

StageAnswer SetupProgram::callPlugin(int stage, Direction direction) {
    PluginLibrary& plugin = pieces_->plugin();
    if (!plugin.loaded())
        return StageAnswer::GoOn;
    // A silent run makes no main window (nothing may show): the stages it runs, the
    // installation's last three, are handed a null window, which the plug-in must
    // take as "no window" rather than draw on or own boxes with.
    HWND window = window_.handle();
    int how = direction == Direction::Forward ? VXPLUGIN_FORWARD : VXPLUGIN_BACKWARD;
    int result = VXPLUGIN_GO_ON;
    bool thrown = false;
    auto enter = [&] {
        try {
            if (stage == kWelcomeStage) {
                if (plugin.entryPoint1_5)
                    result = plugin.entryPoint1_5(window, pieces_->language().identifier, how);
            } else if (stage >= kFirstStage && stage <= kClosingStage && plugin.stage[stage]) {
                result = plugin.stage[stage](window, how);
            }
        } catch (...) {
            thrown = true;
        }
    };
    // A plug-in that fails with an exception, a C++ one or a structured one,
    // leaves its stage showing nothing.
    if (!callGuarded(enter) || thrown)
        return StageAnswer::ShowsNothing;
    return stageAnswerOf(result);
}

void SetupProgram::runStageActions(int stage) {
    for (const StageOpenItem& item : package_.script.stageOpenItems) {
        if (static_cast<int>(item.stage) != stage || !variables_.holds(item.condition))
            continue;
        std::string path = variables_.expandAll(item.path);
        std::string parameters = variables_.expandAll(item.parameters);
        ShellExecuteA(window_.handle(), item.verb == "explore" ? "explore" : "open", path.c_str(),
                      parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOWNORMAL);
    }
    const PackageSettings& settings = package_.script.settings;
    std::string backupTo = settings.options & kOptionBackup ? variables_.installDir() : "";
    for (const StageFileOperation& op : package_.script.stageFileOperations) {
        if (static_cast<int>(op.stage) != stage || !variables_.holds(op.condition))
            continue;
        runStageFileOperation(
            tables_->host(), log_, originals_, static_cast<StageFileAction>(op.action),
            variables_.expandAll(op.source), variables_.expandAll(op.target), backupTo);
    }
}

bool SetupProgram::install() {
    if (!silent_) {
        page_ = std::make_unique<ProgressPage>();
        if (!page_->show(instance_, window_.handle(), pieces_->language(), &art_,
                         pieces_->pageTemplate(kProgressStage))) {
            messages_.error(kLoadTemplateFailedText);
            rollBack();
            return false;
        }
    }
    runStageActions(kProgressStage);
    InstallHost& host = tables_->host();
    host_->setView(page_.get());
    VariablesExpander expander(variables_);
    InstallChoices choices;
    choices.silent = silent_;
    choices.installDirectory = variables_.installDir();
    choices.shortcutFolder = variables_.shortcutDir();
    choices.windowsDirectory = windowsDirectory();
    // The wizard's choices pick the files; a silent run, or one without the type
    // and components pages, installs every file.
    const PackageSettings& packageSettings = package_.script.settings;
    choices.componentSelection =
        !silent_ && (packageSettings.pages & (kPageInstallType | kPageComponents));
    choices.installType = chosen_.installType;
    if (componentsChosen() && chosen_.components)
        choices.selectedComponents = chosen_.components->selected();
    recorder_->setInstallDirectory(variables_.installDir());
    run_ = std::make_unique<InstallRun>(
        host, expander, log_, InstallPackage{package_.script, files_, pieces_->language().lines},
        choices, originals_);
    InstallResult result = run_->run();
    // Nothing before the installation can be gone back to: only an abort counts.
    if (!result.completed || callPlugin(kProgressStage) == StageAnswer::Abort ||
        !run_->mergeLog()) {
        rollBack();
        return false;
    }
    // The finish stage, its page, then the closing step.
    runStageActions(kFinishStage);
    if (callPlugin(kFinishStage) == StageAnswer::Abort || !run_->mergeLog()) {
        rollBack();
        return false;
    }
    const PackageSettings& settings = package_.script.settings;
    bool restartNeeded = (settings.options & kOptionRestart) || result.restartNeeded();
    FinishChoices finish = finishWithoutPage(result);
    if (!silent_ && (settings.pages & kPageFinish))
        finish = showFinishPage(restartNeeded);
    runStageActions(kClosingStage);
    if (callPlugin(kClosingStage) == StageAnswer::Abort || !run_->complete()) {
        rollBack();
        return false;
    }
    // The files waiting for the next restart are handed to the system now, or the
    // temporary copies would be left behind for good.
    handOverPendingReplacements(host, result.pendingReplacements);
    // Complete: the copies kept for a rollback are no longer needed.
    originals_.discard(host);
    afterInstallation(finish);
    run_.reset();
    return true;
}

void SetupProgram::openItem(const std::string& path) {
    std::string expanded = variables_.expandAll(path);
    std::string directory = directoryOf(expanded);
    ShellExecuteA(nullptr, "open", expanded.c_str(), nullptr,
                  directory.empty() ? nullptr : directory.c_str(), SW_SHOWNORMAL);
}

FinishChoices SetupProgram::finishWithoutPage(const InstallResult& result) const {
    const PackageSettings& settings = package_.script.settings;
    FinishChoices finish;
    bool restart = (settings.options & kOptionRestart) || result.restartNeeded();
    finish.restart = silent_ && restart && (settings.options & kOptionSilentRestart);
    for (std::size_t i = 0; i < finish.open.size(); ++i) {
        const AfterInstallItem& item = settings.afterInstall[i];
        finish.open[i] = silent_ ? item.silentOpen : item.shown && item.checked;
    }
    return finish;
}

FinishChoices SetupProgram::showFinishPage(bool restartNeeded) {
    FinishPage page(*wizard_, restartNeeded);
    page.setLook(&art_, kFinishStage, pieces_->pageTemplate(kFinishStage));
    if (!page.show(instance_, window_.handle(), IDD_FINISH_PAGE, page.texts({}), false)) {
        // Installed already: nothing more is asked or opened.
        messages_.error(kLoadTemplateFailedText);
        return {};
    }
    if (page_)
        ShowWindow(page_->handle(), SW_HIDE);
    page.fill(true);
    page.waitForChoice(messages_, "");
    FinishChoices finish = page.chosen();
    page.hide();
    return finish;
}

void SetupProgram::restartWindows() {
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        CloseHandle(token);
    }
    cleanUp();
    ExitWindowsEx(EWX_REBOOT, 0);
}

void SetupProgram::afterInstallation(const FinishChoices& finish) {
    if (finish.restart) {
        restartWindows();
        return;
    }
    const PackageSettings& settings = package_.script.settings;
    for (std::size_t i = 0; i < finish.open.size(); ++i)
        if (finish.open[i] && !settings.afterInstall[i].path.empty())
            openItem(settings.afterInstall[i].path);
}

void SetupProgram::rollBack() {
    const PackageSettings& settings = package_.script.settings;
    RollbackFacts facts{settings.productName, (settings.options & kOptionUpdate) != 0,
                        (settings.options & kOptionCreateUninstaller) != 0,
                        uninstallerPath(windowsDirectory(), settings.productName),
                        pieces_->extractedUninstaller()};
    Win32Host removal;
    UninstallHost removalTables = removal.tables();
    Win32UninstallerLauncher launcher;
    Win32ProgramFiles programs;
    Rollback({tables_->host(), removalTables, launcher, programs}).run(facts, log_, originals_);
}

void SetupProgram::cleanUp() {
    if (host_)
        host_->setView(nullptr);
    page_.reset();
    pages_.clear();
    if (pieces_)
        pieces_->release();
}

}  // namespace vortix
