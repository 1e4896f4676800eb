#include "installer/setup/win32_setup_program.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <new>

#include "framework/message_loop.h"
#include "installer/common/local_path.h"
#include "installer/common/uninstall_log.h"
#include "installer/common/uninstaller_name.h"
#include "installer/common/win32_registry.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/actions/stage_file_operation.h"
#include "installer/setup/actions/win32_rollback_services.h"
#include "installer/setup/actions/windows_path.h"
#include "installer/setup/addons/win32_plugin_guard.h"
#include "installer/setup/probe/win32_machine_probe.h"
#include "installer/setup/resource.h"
#include "installer/setup/script_expansion.h"
#include "installer/setup/setup_rules.h"
#include "installer/setup/wizard/install_type_choice.h"
#include "installer/setup/wizard/program_folder.h"
#include "installer/setup/wizard/win32_components_page.h"
#include "installer/setup/wizard/win32_install_type_page.h"
#include "installer/setup/wizard/win32_system_information_page.h"
#include "installer/setup/wizard/wizard_texts.h"
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
        ownDirectory_, messages_, silent_, [this] { return window_.handle(); },
        [this] { return pieces_ ? &pieces_->language().lines : nullptr; });
    stream_ = std::make_unique<PackageStream>(std::move(own), volumes_->opener());
    package_ = openPackage(*stream_);
    if (package_.failure == PackageFailure::SizeMismatch)
        messages_.error(kSizeMismatchText);
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
    return !silent_ &&
           ((package_.script.settings.pages & kPageComponents) || installType_ == kCustomType);
}

bool SetupProgram::leadToTheInstallation() {
    PageSet pages(package_.script.settings.pages);
    components_ = std::make_unique<ComponentChoices>(package_.script.components);
    StageNavigator wizard(pages, *this);
    WizardStop stop = wizard.start();
    while (stop.kind == WizardStop::Page && stop.stage != kProgressStage) {
        PageChoice choice = showPage(stop.stage, pages, wizard.canGoBack());
        // The custom type brings the components page into the run, or takes it out.
        pages.setCustomType(installType_ == kCustomType);
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

namespace {

// The built-in template of each stage's page, and the language set's heading and
// prompt on it. The language page has its own texts (no set is loaded yet).
struct BuiltInPage {
    int stage;
    int templateId;
    LanguageEntry heading, prompt;
};

constexpr BuiltInPage kBuiltInPages[] = {
    {2, IDD_WELCOME_PAGE, LanguageEntry::WelcomeHeading, LanguageEntry::WelcomeText},
    {3, IDD_TEXT_PAGE, LanguageEntry::LicenceHeading, LanguageEntry::LicenceText},
    {4, IDD_TEXT_PAGE, LanguageEntry::InformationHeading, LanguageEntry::InformationText},
    {5, IDD_SYSTEM_PAGE, LanguageEntry::SystemHeading, LanguageEntry::SystemText},
    {6, IDD_USER_PAGE, LanguageEntry::UserHeading, LanguageEntry::UserText},
    {7, IDD_DESTINATION_PAGE, LanguageEntry::DestinationHeading, LanguageEntry::DestinationText},
    {8, IDD_PROGRAM_FOLDER_PAGE, LanguageEntry::ProgramFolderHeading,
     LanguageEntry::ProgramFolderText},
    {9, IDD_INSTALL_TYPE_PAGE, LanguageEntry::InstallTypeHeading, LanguageEntry::InstallTypeText},
    {10, IDD_COMPONENTS_PAGE, LanguageEntry::ComponentsHeading, LanguageEntry::ComponentsText},
    {11, IDD_SUMMARY_PAGE, LanguageEntry::ReadyHeading, LanguageEntry::ReadyText},
};

const BuiltInPage* builtInPage(int stage) {
    for (const BuiltInPage& page : kBuiltInPages)
        if (page.stage == stage)
            return &page;
    return nullptr;
}

}  // namespace

PageChoice SetupProgram::showPage(int stage, const PageSet& pages, bool canGoBack) {
    const std::vector<std::string>& lines = pieces_->language().lines;
    WizardPage::Texts texts;
    texts.back = entry(lines, LanguageEntry::Back);
    texts.next = entry(lines, pages.nextCaption(stage));
    texts.cancel = entry(lines, LanguageEntry::Cancel);
    const BuiltInPage* builtIn = builtInPage(stage);
    int templateId = builtIn ? builtIn->templateId : IDD_WELCOME_PAGE;
    if (builtIn) {
        texts.heading = entry(lines, builtIn->heading);
        texts.prompt = entry(lines, builtIn->prompt);
    }
    if (stage == 1) {
        templateId = IDD_LANGUAGE_PAGE;
        if (!languagePage_) {
            languagePage_ =
                std::make_unique<LanguagePage>(*stream_, package_, *pieces_, messages_, window_);
            // The pages made in another language are made again in the new one.
            languagePage_->onLanguageChanged = [this] {
                for (auto it = pages_.begin(); it != pages_.end();)
                    it = it->first == 1 ? std::next(it) : pages_.erase(it);
            };
        }
        if (!languagePage_->readNames())
            return PageChoice::Cancel;
        texts = languagePage_->texts();
    } else if (stage == 2) {
        texts.prompt = formatText(texts.prompt, {package_.script.settings.productName});
    } else if (stage == 3) {
        texts.question = entry(lines, LanguageEntry::LicenceQuestion);
        // Accepting and declining; declining ends the installation without a question.
        texts.next = entry(lines, LanguageEntry::Yes);
        texts.cancel = entry(lines, LanguageEntry::No);
        texts.askBeforeCancel = false;
    }
    for (auto& [shown, page] : pages_)
        if (shown != stage)
            page->hide();
    std::unique_ptr<WizardPage>& page = pages_[stage];
    bool fresh = !page;
    if (fresh) {
        if (stage == 9)
            page = std::make_unique<InstallTypePage>();
        else if (stage == 10)
            page = std::make_unique<ComponentsPage>();
        else if (stage == 5)
            page = std::make_unique<SystemInformationPage>();
        else
            page = std::make_unique<WizardPage>();
        page->setLook(&art_, stage, pieces_->pageTemplate(stage));
    }
    if (!page->show(instance_, window_.handle(), templateId, texts, canGoBack)) {
        messages_.error(stage == 10 ? std::string_view(kComponentTreeFailedText)
                                    : kLoadTemplateFailedText);
        return PageChoice::Cancel;
    }
    const PackageSettings& settings = package_.script.settings;
    if (stage == 9)
        static_cast<InstallTypePage&>(*page).fill(settings, pieces_->language(), pages,
                                                  installType_);
    if (stage == 10 && !static_cast<ComponentsPage&>(*page).fill(
                           *components_, pieces_->language(),
                           (settings.options & kOptionMultilingual) != 0, messages_, faults_))
        return PageChoice::Cancel;
    if (fresh && (stage == 3 || stage == 4))
        showDocument(*page, stage == 3 ? toc::kLicencePresent : toc::kInformationPresent);
    if (stage == 5)
        prepareSystemPage(*page, fresh);
    if (stage == 6)
        prepareUserPage(*page, fresh);
    if (stage == 7)
        prepareDestinationPage(*page, fresh);
    if (stage == 1)
        languagePage_->prepare(*page, fresh);
    if (stage == 8)
        ProgramFolderPage(variables_, package_.script.settings, messages_)
            .prepare(*page, fresh, lines);
    if (stage == 11)
        SetDlgItemTextA(page->handle(), IDC_SUMMARY, summary().c_str());
    std::string question = entry(lines, LanguageEntry::QuitQuestion);
    return page->waitForChoice(messages_,
                               question.empty() ? "Do your really want to exit setup?" : question);
}

namespace {

std::string controlText(HWND window, int id) {
    char text[1024] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return withoutOuterSpaces(text);
}

std::string loggedOnUser() {
    char name[256] = "";
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? std::string(name) : std::string();
}

std::string registeredOrganization() {
    Win32Registry registry;
    std::optional<RegistryValue> value = readRegistryValue(
        registry, RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
        "RegisteredOrganization", KeyAccess::QueryValues);
    // Read into 255 bytes: a longer name is not taken.
    if (!value || value->type != kRegistryTypeString || value->data.size() > 255)
        return "";
    return value->data.substr(0, value->data.find('\0'));
}

}  // namespace

std::string SetupProgram::summary() const {
    const PackageSettings& settings = package_.script.settings;
    const LanguageSet& language = pieces_->language();
    SummaryFacts facts;
    facts.typeOrComponentsShown = (settings.pages & (kPageInstallType | kPageComponents)) != 0;
    facts.typeCaption = installTypeTexts(settings, buttonOfInstallType(installType_),
                                         language.identifier, language.lines)
                            .caption;
    facts.componentsChosen = componentsChosen() && components_;
    if (facts.componentsChosen)
        facts.components = components_->chosenNames(language.identifier,
                                                    (settings.options & kOptionMultilingual) != 0);
    facts.requiredBytes = settings.requiredSize;
    facts.freeBytes = freeSpaceOf(variables_.installDir()).value_or(0);
    facts.destination = variables_.installDir();
    facts.programFolder = variables_.shortcutDir();
    return summaryText(settings.summary, facts);
}

void SetupProgram::prepareSystemPage(WizardPage& page, bool fresh) {
    if (fresh) {
        if (!machine_)
            machine_ = probeMachine(facts_, requirements_, variables_.installDir());
        const std::vector<std::string>& lines = pieces_->language().lines;
        static_cast<SystemInformationPage&>(page).fill(
            systemInformationTable(*machine_, requirements_, package_.script.settings.requiredSize,
                                   lines),
            lines, messages_);
    }
    // The plug-in may add to the page each time it shows. What it throws is its own
    // failure: the page shows as it stands.
    PFN_SystemInformation hook = pieces_->plugin().systemInformation;
    if (!hook)
        return;
    HWND window = page.handle();
    auto call = [hook, window] {
        try {
            hook(window);
        } catch (...) {
        }
    };
    callGuarded(call);
}

void SetupProgram::prepareUserPage(WizardPage& page, bool fresh) {
    const std::vector<std::string>& lines = pieces_->language().lines;
    const std::uint32_t options = package_.script.settings.options;
    HWND window = page.handle();
    bool nameRequired = (options & kOptionRequireUserName) != 0;
    bool companyRequired = (options & kOptionRequireUserCompany) != 0;
    bool nameShown = nameRequired || (options & kOptionShowUserName);
    bool companyShown = companyRequired || (options & kOptionShowUserCompany);
    if (fresh) {
        SetDlgItemTextA(window, IDC_USER_NAME_LABEL,
                        entry(lines, LanguageEntry::UserNameLabel).c_str());
        SetDlgItemTextA(window, IDC_USER_COMPANY_LABEL,
                        entry(lines, LanguageEntry::CompanyLabel).c_str());
        // The earlier entries, else the logged-on user and the registered company.
        std::string name = variables_.userName();
        std::string company = variables_.userCompany();
        SetDlgItemTextA(window, IDC_USER_NAME, (name.empty() ? loggedOnUser() : name).c_str());
        SetDlgItemTextA(window, IDC_USER_COMPANY,
                        (company.empty() ? registeredOrganization() : company).c_str());
        for (int id : {IDC_USER_NAME_LABEL, IDC_USER_NAME})
            ShowWindow(GetDlgItem(window, id), nameShown ? SW_SHOW : SW_HIDE);
        for (int id : {IDC_USER_COMPANY_LABEL, IDC_USER_COMPANY})
            ShowWindow(GetDlgItem(window, id), companyShown ? SW_SHOW : SW_HIDE);
    }
    // Next stays disabled while a required field is empty.
    auto complete = [=] {
        return (!nameRequired || !controlText(window, IDC_USER_NAME).empty()) &&
               (!companyRequired || !controlText(window, IDC_USER_COMPANY).empty());
    };
    page.onControl = [=](int) { EnableWindow(GetDlgItem(window, IDOK), complete()); };
    page.onControl(0);
    page.validate = [this, window, complete, nameShown, companyShown] {
        if (!complete())
            return false;
        variables_.setUserName(nameShown ? controlText(window, IDC_USER_NAME) : "");
        variables_.setUserCompany(companyShown ? controlText(window, IDC_USER_COMPANY) : "");
        return true;
    };
}

void SetupProgram::prepareDestinationPage(WizardPage& page, bool fresh) {
    const std::vector<std::string>& lines = pieces_->language().lines;
    const std::uint64_t required = package_.script.settings.requiredSize;
    HWND window = page.handle();
    if (fresh) {
        SetDlgItemTextA(window, IDC_FOLDER_LABEL,
                        entry(lines, LanguageEntry::DestinationFolderLabel).c_str());
        SetDlgItemTextA(window, IDC_BROWSE, entry(lines, LanguageEntry::Browse).c_str());
        SetDlgItemTextA(window, IDC_FOLDER, variables_.installDir().c_str());
    }
    // The space the installation needs against what the chosen drive has free.
    auto showSpace = [window, &lines, required] {
        std::optional<std::uint64_t> free = freeSpaceOf(controlText(window, IDC_FOLDER));
        std::string text = entry(lines, LanguageEntry::SpaceRequiredLabel) + " " +
                           sizeText(required) + "\r\n" +
                           entry(lines, LanguageEntry::SpaceAvailableLabel) + " " +
                           (free ? sizeText(*free) : std::string("-"));
        SetDlgItemTextA(window, IDC_SPACE, text.c_str());
    };
    showSpace();
    page.onControl = [window, &lines, showSpace](int control) {
        if (control == IDC_BROWSE) {
            std::string title = entry(lines, LanguageEntry::ChooseFolderPrompt);
            BROWSEINFOA browse{};
            browse.hwndOwner = window;
            browse.lpszTitle = title.c_str();
            browse.ulFlags = BIF_RETURNONLYFSDIRS;
            if (LPITEMIDLIST chosen = SHBrowseForFolderA(&browse)) {
                char path[MAX_PATH] = "";
                if (SHGetPathFromIDListA(chosen, path))
                    SetDlgItemTextA(window, IDC_FOLDER, path);
                CoTaskMemFree(chosen);
            }
        }
        showSpace();
    };
    page.validate = [this, window, &lines, required] {
        std::string folder = controlText(window, IDC_FOLDER);
        while (folder.size() > 3 && folder.back() == '\\')
            folder.pop_back();
        std::optional<std::uint64_t> free = freeSpaceOf(folder);
        if (!isPlainLocalPath(folder) || folder.size() < 3) {
            messages_.show(entry(lines, LanguageEntry::FullPathNeeded), Buttons::Ok,
                           MB_ICONEXCLAMATION);
            return false;
        }
        if (!free) {
            messages_.show(entry(lines, LanguageEntry::DestinationNotValid), Buttons::Ok,
                           MB_ICONEXCLAMATION);
            return false;
        }
        if (*free < required) {
            messages_.show(entry(lines, LanguageEntry::NotEnoughSpace), Buttons::Ok,
                           MB_ICONEXCLAMATION);
            return false;
        }
        variables_.setInstallDir(folder);
        return true;
    };
}

void SetupProgram::showDocument(WizardPage& page, std::uint32_t presentWord) {
    const PackageSettings& settings = package_.script.settings;
    std::optional<std::string> text = readSealedText(*stream_, package_.toc, presentWord);
    if (!text) {
        // The page stays empty.
        messages_.error(entry(pieces_->language().lines, LanguageEntry::TextUnreadable));
        return;
    }
    std::string section = languageSection(*text, pieces_->language().identifier,
                                          (settings.options & kOptionMultilingual) != 0,
                                          SectionStart::SkipOneLineEnd);
    page.setDocument(section, !(settings.options & kOptionPlainTextLicence));
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
    HWND window = window_.handle();
    int how = direction == Direction::Forward ? VXPLUGIN_FORWARD : VXPLUGIN_BACKWARD;
    int result = VXPLUGIN_GO_ON;
    bool thrown = false;
    auto enter = [&] {
        try {
            if (stage == 2) {
                if (plugin.entryPoint1_5)
                    result = plugin.entryPoint1_5(window, pieces_->language().identifier, how);
            } else if (stage >= 1 && stage < 15 && plugin.stage[stage]) {
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
    runStageActions(12);
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
    choices.installType = installType_;
    if (componentsChosen() && components_)
        choices.selectedComponents = components_->selected();
    recorder_->setInstallDirectory(variables_.installDir());
    run_ = std::make_unique<InstallRun>(
        host, expander, log_, InstallPackage{package_.script, files_, pieces_->language().lines},
        choices, originals_);
    InstallResult result = run_->run();
    // Nothing before the installation can be gone back to: only an abort counts.
    if (!result.completed || callPlugin(12) == StageAnswer::Abort) {
        rollBack();
        return false;
    }
    run_->mergeLog();
    // The finish stage (13), its page, then the last step (14).
    runStageActions(kFinishStage);
    if (callPlugin(kFinishStage) == StageAnswer::Abort) {
        rollBack();
        return false;
    }
    run_->mergeLog();
    const PackageSettings& settings = package_.script.settings;
    bool restartNeeded = (settings.options & kOptionRestart) || result.restartNeeded();
    Finish finish = finishWithoutPage(result);
    if (!silent_ && (settings.pages & kPageFinish))
        finish = showFinishPage(restartNeeded);
    runStageActions(kFinishStage + 1);
    if (callPlugin(kFinishStage + 1) == StageAnswer::Abort) {
        rollBack();
        return false;
    }
    run_->mergeLog();
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

SetupProgram::Finish SetupProgram::finishWithoutPage(const InstallResult& result) const {
    const PackageSettings& settings = package_.script.settings;
    Finish finish;
    bool restart = (settings.options & kOptionRestart) || result.restartNeeded();
    finish.restart = silent_ && restart && (settings.options & kOptionSilentRestart);
    for (std::size_t i = 0; i < finish.open.size(); ++i) {
        const AfterInstallItem& item = settings.afterInstall[i];
        finish.open[i] = silent_ ? item.silentOpen : item.shown && item.checked;
    }
    return finish;
}

SetupProgram::Finish SetupProgram::showFinishPage(bool restartNeeded) {
    const PackageSettings& settings = package_.script.settings;
    const std::vector<std::string>& lines = pieces_->language().lines;
    bool update = (settings.options & kOptionUpdate) != 0;
    std::string text = update ? settings.updateFinishText : settings.finishText;
    WizardPage::Texts texts;
    texts.heading = entry(lines, LanguageEntry::CompleteHeading);
    texts.prompt = text.empty() ? entry(lines, LanguageEntry::CompleteText)
                                : formatText(text, {settings.productName});
    texts.back = entry(lines, LanguageEntry::Back);
    texts.next = entry(lines, LanguageEntry::Finish);
    texts.cancel = entry(lines, LanguageEntry::Cancel);
    // Nothing is left to cancel: closing the window finishes as the page stands.
    texts.askBeforeCancel = false;
    WizardPage page;
    page.setLook(&art_, kFinishStage, pieces_->pageTemplate(kFinishStage));
    if (!page.show(instance_, window_.handle(), IDD_FINISH_PAGE, texts, false)) {
        // Installed already: nothing more is asked or opened.
        messages_.error(kLoadTemplateFailedText);
        return {};
    }
    if (page_)
        ShowWindow(page_->handle(), SW_HIDE);
    HWND window = page.handle();
    EnableWindow(GetDlgItem(window, IDCANCEL), FALSE);
    SetDlgItemTextA(window, IDC_RESTART_CAPTION,
                    entry(lines, LanguageEntry::RestartNeeded).c_str());
    SetDlgItemTextA(window, IDC_RESTART_NOW, entry(lines, LanguageEntry::RestartNow).c_str());
    SetDlgItemTextA(window, IDC_RESTART_LATER, entry(lines, LanguageEntry::RestartLater).c_str());
    CheckRadioButton(window, IDC_RESTART_NOW, IDC_RESTART_LATER, IDC_RESTART_NOW);
    for (int id : {IDC_RESTART_CAPTION, IDC_RESTART_NOW, IDC_RESTART_LATER})
        ShowWindow(GetDlgItem(window, id), restartNeeded ? SW_SHOW : SW_HIDE);
    EnableWindow(GetDlgItem(window, IDC_RESTART_LATER),
                 !(settings.options & kOptionInsistOnRestart));
    const int boxes[] = {IDC_OPEN_FIRST, IDC_OPEN_SECOND};
    const LanguageEntry captions[] = {LanguageEntry::OpenProgramNow, LanguageEntry::ShowReadMe};
    for (std::size_t i = 0; i < 2; ++i) {
        const AfterInstallItem& item = settings.afterInstall[i];
        bool shown = item.shown && !item.path.empty();
        SetDlgItemTextA(window, boxes[i], entry(lines, captions[i]).c_str());
        CheckDlgButton(window, boxes[i], shown && item.checked ? BST_CHECKED : BST_UNCHECKED);
        ShowWindow(GetDlgItem(window, boxes[i]), shown ? SW_SHOW : SW_HIDE);
    }
    page.waitForChoice(messages_, "");
    Finish finish;
    finish.restart = restartNeeded && IsDlgButtonChecked(window, IDC_RESTART_NOW) == BST_CHECKED;
    for (std::size_t i = 0; i < 2; ++i)
        finish.open[i] = IsWindowVisible(GetDlgItem(window, boxes[i])) &&
                         IsDlgButtonChecked(window, boxes[i]) == BST_CHECKED;
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

void SetupProgram::afterInstallation(const Finish& finish) {
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
