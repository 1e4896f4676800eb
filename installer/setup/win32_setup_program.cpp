#include "installer/setup/win32_setup_program.h"

#include <objbase.h>
#include <shellapi.h>

#include "installer/common/uninstall_log.h"
#include "installer/common/uninstaller_name.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/actions/windows_path.h"
#include "installer/setup/resource.h"
#include "installer/setup/script_expansion.h"
#include "installer/setup/setup_rules.h"
#include "installer/setup/variables/text_substitution.h"
#include "platform/file_system.h"
#include "platform/whole_file.h"

namespace vortix {

SetupProgram* SetupProgram::current_ = nullptr;

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

std::string environment(const char* name) {
    char value[4096] = "";
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length < sizeof value ? std::string(value, length) : std::string();
}

// Waits for a process while the program's windows keep working.
DWORD waitDispatching(HANDLE process) {
    for (;;) {
        DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1)
            break;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    DWORD code = 1;
    Sleep(50);
    if (!GetExitCodeProcess(process, &code))
        code = 1;
    return code;
}

// ---------------------------------------------------------------- plug-in callbacks

int VXPLUGIN_API pluginRecordFile(const char* path) {
    return SetupProgram::current()->recorder().recordFile(path ? path : "");
}
int VXPLUGIN_API pluginCreateDirectory(const char* path) {
    return SetupProgram::current()->recorder().createDirectory(path ? path : "");
}
int VXPLUGIN_API pluginRecordKey(HKEY root, const char* keyPath) {
    return SetupProgram::current()->recorder().recordKey(
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(root)), keyPath ? keyPath : "");
}
int VXPLUGIN_API pluginCountSharedFile(const char* path) {
    return SetupProgram::current()->recorder().countSharedFile(path ? path : "");
}
int VXPLUGIN_API pluginRecordValue(HKEY root, const char* keyPath, const char* valueName) {
    return SetupProgram::current()->recorder().recordValue(
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(root)), keyPath ? keyPath : "",
        valueName ? valueName : "");
}
int VXPLUGIN_API pluginBackUpFile(const char* path) {
    return SetupProgram::current()->recorder().backUpFile(path ? path : "");
}

int copyOut(const std::string& text, char* buffer, DWORD size) {
    if (!buffer || text.size() + 1 > size)
        return VXPLUGIN_FAILED;
    memcpy(buffer, text.c_str(), text.size() + 1);
    return VXPLUGIN_OK;
}

int VXPLUGIN_API pluginGetVariable(const char* name, char* buffer, DWORD size) {
    if (!name || !*name)
        return VXPLUGIN_BAD_ARGUMENT;
    std::optional<std::string> value = SetupProgram::current()->variables().lookup(name);
    return value ? copyOut(*value, buffer, size) : VXPLUGIN_FAILED;
}
int VXPLUGIN_API pluginSetVariable(const char* name, int value) {
    if (!name || !*name)
        return VXPLUGIN_BAD_ARGUMENT;
    return SetupProgram::current()->variables().setVariable(name, value) == 1
               ? VXPLUGIN_OK
               : VXPLUGIN_BAD_ARGUMENT;
}
int VXPLUGIN_API pluginExpandText(const char* text, char* buffer, DWORD size) {
    return copyOut(SetupProgram::current()->variables().expandAll(text ? text : ""), buffer, size);
}
int VXPLUGIN_API pluginMessageBox(const char* text, UINT type) {
    Buttons buttons = Buttons::Ok;
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL: buttons = Buttons::OkCancel; break;
        case MB_YESNO: buttons = Buttons::YesNo; break;
        case MB_YESNOCANCEL: buttons = Buttons::YesNoCancel; break;
        case MB_RETRYCANCEL: buttons = Buttons::RetryCancel; break;
        case MB_ABORTRETRYIGNORE: buttons = Buttons::AbortRetryIgnore; break;
        default: break;
    }
    return SetupProgram::current()->messages().show(text ? text : "", buttons, type & MB_ICONMASK);
}

const VxPluginCallbacks kPluginCallbacks = {
    sizeof(VxPluginCallbacks), pluginRecordFile,  pluginCreateDirectory, pluginRecordKey,
    pluginCountSharedFile,     pluginRecordValue, pluginBackUpFile,      pluginGetVariable,
    pluginSetVariable,         pluginExpandText,  pluginMessageBox,
};

// The modeless "initialising" box shown while the package's pieces are loaded.
class InitialisingBox : public fw::DialogImpl<InitialisingBox> {
public:
    static const fw::CommandEntry<InitialisingBox> kCommands[];
    static const fw::MessageEntry<InitialisingBox> kMessages[];
};
const fw::CommandEntry<InitialisingBox> InitialisingBox::kCommands[] = {{0, 0, nullptr}};
const fw::MessageEntry<InitialisingBox> InitialisingBox::kMessages[] = {{0, nullptr}};

}  // namespace

SetupProgram::SetupProgram(HINSTANCE instance, const std::string& commandLine)
    : instance_(instance),
      silent_(isSilentCommandLine(commandLine)),
      ownPath_(ownProgramPath()),
      ownDirectory_(directoryOf(ownPath_)),
      faults_(FaultPlan::parse(environment("VXSETUP_FAULTS"))),
      variables_(facts_),
      messages_(silent_) {
    current_ = this;
}

SetupProgram::~SetupProgram() {
    cleanUp();
    if (mutex_)
        CloseHandle(mutex_);
    current_ = nullptr;
}

int SetupProgram::run() {
    CoInitialize(nullptr);
    if (!readPackage()) {
        messages_.error(kCannotReadTocText);
        return 0;
    }
    if (!claimSingleInstance())
        return 0;
    int code = initialise();
    if (code < 0) {
        messages_.error(formatText(kInitialisationFailedText, {std::to_string(code)}));
        cleanUp();
        return 0;
    }
    // Stages 1 to 11 show no page in this program yet: their actions and the
    // plug-in's entry points run in turn, then the installation.
    for (int stage = 1; stage <= 11; ++stage)
        if (!runStage(stage)) {
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
    std::string directory = ownDirectory_;
    stream_ = std::make_unique<PackageStream>(
        std::move(own), [directory](int number) -> std::unique_ptr<platform::File> {
            return platform::systemFileSystem().open(
                directory + "\\" + std::string(kVolumeNamePrefix) + std::to_string(number),
                platform::OpenMode::Read);
        });
    package_ = openPackage(*stream_);
    if (package_.failure == PackageFailure::SizeMismatch)
        messages_.error(kSizeMismatchText);
    if (package_.failure != PackageFailure::None)
        return false;
    PackageSettings& settings = package_.script.settings;
    if (!packageAllowsRun(settings, silent_))
        return false;
    // Every volume must be beside the program before anything is installed.
    if (int missing = stream_->firstMissingVolume()) {
        messages_.error(formatText(kMissingVolumeText,
                                   {std::string(kVolumeNamePrefix) + std::to_string(missing)}));
        return false;
    }
    expandSystemPathsOnce(package_.script, variables_);
    variables_.setUserVariables(package_.script.userVariables);
    variables_.setDefaultShortcutFolder(settings.shortcutFolder);
    variables_.setInstallDir(settings.installDirectory);
    variables_.setShortcutDir(settings.shortcutFolder);
    messages_.setPackageTitle(settings.windowTitle);
    return readFileRecords();
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
    std::string name = settings.productName + "mutex";
    mutex_ = CreateMutexA(nullptr, TRUE, name.c_str());
    if (GetLastError() != ERROR_ALREADY_EXISTS)
        return true;
    HWND running = FindWindowA(SetupWindow::kClassName, settings.windowTitle.c_str());
    if (!running)
        return true;
    ShowWindow(running, IsIconic(running) ? SW_SHOWMAXIMIZED : SW_SHOW);
    SetForegroundWindow(running);
    return false;
}

bool SetupProgram::extractTemporary(Extent extent, EntryKind kind, const char* extension,
                                    std::string& path) {
    std::optional<std::string> made = temporaries_->create(extension);
    if (!made)
        return false;
    path = *made;
    std::string message;
    if (extractEntry(*stream_, extent, kind, platform::systemFileSystem(), path, message))
        return true;
    if (!message.empty() && !silent_)
        messages_.error(message);
    return false;
}

bool SetupProgram::bindLibrary(std::uint32_t presentWord, LoadedLibrary& library, int extractCode,
                               int bindCode, int& code) {
    if (package_.toc.word(presentWord) == 0)
        return true;
    Extent extent{package_.toc.word(presentWord + 4), package_.toc.word(presentWord + 8)};
    std::string path;
    if (!extractTemporary(extent, EntryKind::Compressed, ".DLL", path)) {
        code = extractCode;
        return false;
    }
    bool bound = false;
    if (&library == &mp3_)
        bound = mp3_.bind(path);
    else if (&library == &jpeg_)
        bound = jpeg_.bind(path);
    else
        bound = plugin_.bind(path);
    if (!bound)
        code = bindCode;
    return bound;
}

bool SetupProgram::loadFonts() {
    auto list = readPieceList(*stream_, package_.toc, toc::kFontCount, toc::kFontOffset, false);
    if (!list)
        return false;
    for (const ListedPiece& piece : *list) {
        std::string ttf;
        if (!extractTemporary(piece.extent, EntryKind::Compressed, ".TTF", ttf))
            return false;
        std::string fot = ttf.substr(0, ttf.size() - 4) + ".FOT";
        // The font resource file takes the name beside the font, made once here.
        if (!CreateScalableFontResourceA(0, fot.c_str(), ttf.c_str(), nullptr))
            return false;
        fonts_.push_back(fot);
        if (!AddFontResourceA(fot.c_str()))
            return false;
    }
    return true;
}

int SetupProgram::loadPictures() {
    auto list =
        readPieceList(*stream_, package_.toc, toc::kPictureCount, toc::kPicturesOffset, false);
    if (!list)
        return init::kPictureExtract;
    for (const ListedPiece& piece : *list) {
        std::string path;
        switch (preparePicture(piece.extent, path)) {
            case Picture::NotExtracted: return init::kPictureExtract;
            case Picture::NotConverted: return init::kPictureConvert;
            case Picture::Ready: break;
        }
        pictures_.push_back(path);
    }
    return 0;
}

bool SetupProgram::loadLanguageSet(std::uint32_t index) {
    std::optional<LanguageSet> set = readLanguageSet(*stream_, package_.toc, index);
    if (!set)
        return false;
    for (std::string& line : set->lines)
        line = expandLanguageEscapes(std::move(line));
    language_ = std::move(*set);
    variables_.setLanguageId(language_.identifier);
    messages_.setLanguageTitle(languageWindowTitle(language_, package_.script.settings));
    return true;
}

int SetupProgram::initialise() {
    const PackageSettings& settings = package_.script.settings;
    temporaries_ = std::make_unique<TemporaryFiles>(
        temporaryDirectory(facts_.folder(SystemFolder::Temp)),
        fileSystemCalls(platform::systemFileSystem(), [] { return GetTickCount(); }));
    if ((settings.options & kOptionDestinationFromRegistry)) {
        const RegistryLocation& from = settings.destinationSource;
        std::optional<RegistryValue> value = facts_.registryValue(
            from.root, variables_.expandUser(from.keyPath), variables_.expandUser(from.valueName));
        if (value && !value->data.empty()) {
            variables_.setInstallDir(value->data);
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
            box.createModeless(instance_, IDD_INITIALISING, nullptr);
        code = loadPieces();
        if (code == 0 && !silent_) {
            // The package's own title: a second copy looks for the window by it.
            if (window_.create(instance_, settings.windowTitle, settings.windowStyle)) {
                messages_.setOwner(window_.handle());
                window_.show();
            } else {
                code = init::kMainWindow;
            }
        }
    }
    if (code < 0)
        return code;
    if (plugin_.loaded()) {
        if (plugin_.entryPoint0) {
            HDC dc = GetDC(window_.handle());
            plugin_.entryPoint0(window_.handle(), dc);
            ReleaseDC(window_.handle(), dc);
        }
    }
    startMusic();

    host_ = std::make_unique<Win32InstallHost>(
        InstallSources{*stream_, fileData_, ownDirectory_, ownPath_,
                       temporaryDirectory(facts_.folder(SystemFolder::Temp))},
        messages_, nullptr, &mp3_, &jpeg_, faults_);
    recorder_ = std::make_unique<PluginRecorder>(*host_, log_, variables_.installDir());
    if (plugin_.advancedEntry && plugin_.advancedEntry(&kPluginCallbacks) != VXPLUGIN_OK)
        return init::kPluginLoad;
    return 0;
}

int SetupProgram::loadPieces() {
    const PackageSettings& settings = package_.script.settings;
    int code = 0;
    auto bitmaps =
        readPieceList(*stream_, package_.toc, toc::kBitmapCount, toc::kBitmapOffset, true);
    if (!bitmaps)
        return init::kBitmaps;
    for (const ListedPiece& piece : *bitmaps) {
        std::string path;
        if (!extractTemporary(piece.extent, EntryKind::Stored, ".bmp", path))
            return init::kBitmaps;
        bitmaps_.push_back(path);
    }
    if (!loadFonts())
        return init::kFonts;
    if (!bindLibrary(toc::kMp3Present, mp3_, init::kMp3Extract, init::kMp3Bind, code) ||
        !bindLibrary(toc::kJpegPresent, jpeg_, init::kJpegExtract, init::kJpegBind, code))
        return code;
    if (package_.toc.word(toc::kPicturePresent)) {
        Extent extent{package_.toc.word(toc::kPictureOffset),
                      package_.toc.word(toc::kPictureLength)};
        Picture picture = preparePicture(extent, dialogPicture_);
        if (picture == Picture::NotExtracted)
            return init::kPicture;
        // A picture that cannot be turned into a bitmap is only left out.
        if (picture == Picture::NotConverted && !silent_)
            messages_.show(kGraphicsFailedText, Buttons::Ok, MB_ICONEXCLAMATION);
    }
    if (package_.toc.word(toc::kMusicPresent)) {
        Extent extent{package_.toc.word(toc::kMusicOffset), package_.toc.word(toc::kMusicLength)};
        if (!extractTemporary(extent, EntryKind::Stored, ".mp3", music_))
            return init::kMusic;
    }
    if (!bindLibrary(toc::kPluginPresent, plugin_, init::kPluginExtract, init::kPluginLoad, code))
        return code;
    if ((code = loadPictures()) < 0)
        return code;
    if (!loadLanguageSet(package_.toc.word(toc::kDefaultLanguage)))
        return init::kLanguage;
    bool update = (settings.options & kOptionUpdate) != 0;
    if ((settings.options & kOptionCreateUninstaller) && !update) {
        Extent extent{package_.toc.word(toc::kUninstallerOffset),
                      package_.toc.word(toc::kUninstallerLength)};
        if (extent.length == 0 ||
            !extractTemporary(extent, EntryKind::Compressed, ".EXE", extractedUninstaller_))
            return init::kUninstaller;
        log_.extractedUninstaller = extractedUninstaller_;
    }
    return 0;
}

// A picture as a bitmap file: JPEG pictures go through the JPEG library, the
// ".jpg" copy deleted once converted.
SetupProgram::Picture SetupProgram::preparePicture(Extent extent, std::string& bitmap) {
    std::string lead;
    if (!stream_->read(extent.offset, extent.length < 2 ? extent.length : 2, lead))
        return Picture::NotExtracted;
    if (lead != "\xff\xd8")
        return extractTemporary(extent, EntryKind::Stored, ".bmp", bitmap) ? Picture::Ready
                                                                           : Picture::NotExtracted;
    std::string jpeg;
    if (!extractTemporary(extent, EntryKind::Stored, ".jpg", jpeg))
        return Picture::NotExtracted;
    std::optional<std::string> made = temporaries_->create(".bmp");
    bool converted = jpeg_.toBmp && made && jpeg_.toBmp(jpeg.c_str(), made->c_str(), nullptr) == 1;
    temporaries_->remove(jpeg);
    if (!converted)
        return Picture::NotConverted;
    bitmap = *made;
    return Picture::Ready;
}

void SetupProgram::startMusic() {
    if (music_.empty() || silent_ || !mp3_.loaded())
        return;
    if (mp3_.init(0)) {
        mp3_.setPriority(0, 1);
        if (mp3_.setDevice(0, VXMP3_DEVICE_DEFAULT, nullptr) && mp3_.open(0, music_.c_str()))
            musicPlaying_ = mp3_.play(0, 0, 0, "") != 0;
    }
}

bool SetupProgram::callPlugin(int stage) {
    if (!plugin_.loaded())
        return true;
    HWND window = window_.handle();
    int result = VXPLUGIN_GO_ON;
    if (stage == 2) {
        if (plugin_.entryPoint1_5)
            result = plugin_.entryPoint1_5(window, language_.identifier, VXPLUGIN_FORWARD);
    } else if (stage >= 1 && stage < 15 && plugin_.stage[stage]) {
        result = plugin_.stage[stage](window, VXPLUGIN_FORWARD);
    }
    return result == VXPLUGIN_GO_ON;
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
    for (const StageFileOperation& op : package_.script.stageFileOperations) {
        if (static_cast<int>(op.stage) != stage || !variables_.holds(op.condition))
            continue;
        std::string source = variables_.expandAll(op.source);
        std::string target = variables_.expandAll(op.target);
        switch (static_cast<StageFileAction>(op.action)) {
            case StageFileAction::Copy:
                // What the stage leaves behind is removed with the installation.
                if (CopyFileA(source.c_str(), target.c_str(), FALSE))
                    log_.recordFile(target);
                break;
            case StageFileAction::Move:
            case StageFileAction::Rename:
                if (MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED))
                    log_.recordFile(target);
                break;
            case StageFileAction::Delete:
                SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(source.c_str());
                break;
        }
    }
}

bool SetupProgram::runStage(int stage) {
    runStageActions(stage);
    return callPlugin(stage);
}

bool SetupProgram::install() {
    if (!silent_) {
        page_ = std::make_unique<ProgressPage>();
        if (!page_->show(instance_, window_.handle(), language_)) {
            messages_.error("Load template failed");
            rollBack();
            return false;
        }
    }
    runStageActions(12);
    Win32InstallHost& host = *host_;
    host.setView(page_.get());
    VariablesExpander expander(variables_);
    InstallChoices choices;
    choices.silent = silent_;
    choices.installDirectory = variables_.installDir();
    choices.shortcutFolder = variables_.shortcutDir();
    choices.windowsDirectory = windowsDirectory();
    recorder_->setInstallDirectory(variables_.installDir());
    run_ = std::make_unique<InstallRun>(
        host, expander, log_, InstallPackage{package_.script, files_, language_.lines}, choices);
    InstallResult result = run_->run();
    if (!result.completed || !callPlugin(12)) {
        rollBack();
        return false;
    }
    run_->mergeLog();
    // The stages after the installation: the finish (13) and the last step (14).
    for (int stage = 13; stage <= 14; ++stage) {
        runStageActions(stage);
        if (!callPlugin(stage)) {
            rollBack();
            return false;
        }
        run_->mergeLog();
    }
    // No finish page in this run: the files waiting for the next restart are handed
    // to the system now, or the temporary copies would be left behind for good.
    handOverPendingReplacements(host, result.pendingReplacements);
    afterInstallation(result);
    run_.reset();
    return true;
}

void SetupProgram::openItem(const std::string& path) {
    std::string expanded = variables_.expandAll(path);
    std::string directory = directoryOf(expanded);
    ShellExecuteA(nullptr, "open", expanded.c_str(), nullptr,
                  directory.empty() ? nullptr : directory.c_str(), SW_SHOWNORMAL);
}

void SetupProgram::afterInstallation(const InstallResult& result) {
    const PackageSettings& settings = package_.script.settings;
    bool restart = (settings.options & kOptionRestart) || result.restartNeeded();
    if (silent_ && restart && (settings.options & kOptionSilentRestart)) {
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
        return;
    }
    for (const AfterInstallItem& item : settings.afterInstall) {
        bool chosen = silent_ ? item.silentOpen : item.shown && item.checked;
        if (chosen && !item.path.empty())
            openItem(item.path);
    }
}

void SetupProgram::runUninstallerAndWait(const std::string& path) {
    std::string commandLine = "\"" + path + "\" /SILENT /NOREMOVE";
    std::string directory = directoryOf(path);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &process))
        return;
    CloseHandle(process.hThread);
    waitDispatching(process.hProcess);
    CloseHandle(process.hProcess);
}

void SetupProgram::rollBack() {
    const PackageSettings& settings = package_.script.settings;
    bool update = (settings.options & kOptionUpdate) != 0;
    bool createsUninstaller = (settings.options & kOptionCreateUninstaller) != 0;
    switch (rollbackAction(update, createsUninstaller, log_)) {
        case RollbackAction::RemoveRecordedFiles:
            for (const std::string& file : log_.files()) {
                SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(file.c_str());
            }
            // Deepest first: a directory goes once what was made inside it is gone.
            for (auto it = log_.directories().rbegin(); it != log_.directories().rend(); ++it)
                RemoveDirectoryA(it->c_str());
            break;
        case RollbackAction::RunInstalledUninstaller: {
            std::string installed = uninstallerPath(windowsDirectory(), settings.productName);
            runUninstallerAndWait(installed);
            SetFileAttributesA(installed.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(installed.c_str());
            break;
        }
        case RollbackAction::RunRollbackLog: {
            platform::FileBytes image;
            if (extractedUninstaller_.empty() ||
                platform::readWholeFile(platform::systemFileSystem(), extractedUninstaller_,
                                        std::size_t{64} << 20,
                                        image) != platform::ReadOutcome::Ok ||
                image.size() == 0)
                break;
            log_.rollback = true;
            std::string text = log_.buildText(settings.productName, "");
            std::string program = withLog(image.view(), text, clockKeyDraw());
            if (platform::replaceWholeFile(platform::systemFileSystem(), extractedUninstaller_,
                                           program) != platform::WriteOutcome::Ok)
                break;
            runUninstallerAndWait(extractedUninstaller_);
            DeleteFileA(extractedUninstaller_.c_str());
            break;
        }
    }
}

void SetupProgram::cleanUp() {
    if (host_)
        host_->setView(nullptr);
    page_.reset();
    if (musicPlaying_ && mp3_.loaded()) {
        mp3_.stop(0);
        mp3_.close(0);
        musicPlaying_ = false;
    }
    mp3_.release();
    jpeg_.release();
    plugin_.release();
    for (const std::string& font : fonts_) {
        RemoveFontResourceA(font.c_str());
        DeleteFileA(font.c_str());
    }
    fonts_.clear();
    if (temporaries_)
        temporaries_->removeAll();
}

}  // namespace vortix
