// The entries of a language set: line k of the set is entry k. The builder checks
// that a set has all of them; the setup program shows them on its pages, buttons,
// status lines and questions. tools/vxpack/languages/english.txt holds the English
// text of each. Entries marked "%s" are formatted with that many texts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vortix {

enum class LanguageEntry : std::uint32_t {
    // Buttons and window titles.
    Back = 0,
    Browse = 1,
    Cancel = 2,
    Install = 3,
    Next = 4,
    No = 5,
    Finish = 6,
    Yes = 7,
    SetupTitle = 8,   // %s: the product name
    UpdateTitle = 9,  // %s: the product name
    QuitQuestion = 10,
    OutOfMemory = 11,
    // Welcome.
    WelcomeHeading = 12,
    WelcomeText = 13,
    SetupCaption = 14,
    PleaseWait = 15,
    Ok = 16,
    Retry = 17,
    // Licence and information.
    LicenceHeading = 18,
    LicenceText = 19,
    LicenceQuestion = 20,
    TextUnreadable = 21,
    InformationHeading = 22,
    InformationText = 23,
    // System requirements.
    SystemHeading = 24,
    SystemText = 25,
    RequirementsNotMet = 26,
    DescriptionLabel = 27,
    // User information.
    UserHeading = 28,
    UserText = 29,
    UserNameLabel = 30,
    CompanyLabel = 31,
    UserNameMissing = 32,
    CompanyMissing = 33,
    // Destination folder.
    DestinationHeading = 34,
    DestinationText = 35,
    DestinationFolderLabel = 36,
    SpaceRequiredLabel = 37,
    SpaceAvailableLabel = 38,
    ChooseFolderPrompt = 39,
    FullPathNeeded = 40,
    NotEnoughSpace = 41,
    // Program folder.
    ProgramFolderHeading = 42,
    ProgramFolderText = 43,
    ProgramFolderLabel = 44,
    ExistingFoldersLabel = 45,
    // Installation type and components.
    InstallTypeHeading = 46,
    InstallTypeText = 47,
    ComponentsHeading = 48,
    ComponentsText = 49,
    ComponentsSpaceLabel = 50,
    // Ready, installing, complete.
    ReadyHeading = 51,
    ReadyText = 52,
    VersionLabel = 53,
    InstallingHeading = 54,
    InstallingText = 55,
    CompleteHeading = 56,
    CompleteText = 57,
    RestartNeeded = 58,
    RestartNow = 59,
    RestartLater = 60,
    // The system information list.
    SystemInfoNotSaved = 61,
    SystemInfoSaved = 62,  // %s: the file name
    RequirementColumn = 63,
    YourComputerColumn = 64,
    RequiredColumn = 65,
    MetColumn = 66,
    SaveButton = 67,
    OperatingSystem = 68,
    Memory = 69,
    Processor = 70,
    FreeDiskSpace = 71,
    DirectX = 72,
    DisplayMode = 73,
    SoundOutput = 74,
    MidiOutput = 75,
    Joystick = 76,
    DisplayAdapters = 77,
    InstalledSoftware = 78,
    NoneValue = 79,
    NotFound = 80,
    // The next disk of a package on several volumes.
    NextDiskHeading = 81,
    NextDiskText = 82,
    LookInLabel = 83,
    NextDiskNotFound = 84,
    // Choosing the language.
    ChooseLanguageHeading = 85,
    ChooseLanguageText = 86,
    // After the installation, and how a run ends early.
    OpenProgramNow = 87,
    ShowReadMe = 88,
    Preparing = 89,
    CannotContinue = 90,
    Cancelled = 91,
    RolledBack = 92,
    DestinationNotCreated = 93,
    DestinationNotValid = 94,
    // Installation types and the summary.
    Typical = 95,
    Minimal = 96,
    Custom = 97,
    TypicalText = 98,
    MinimalText = 99,
    CustomText = 100,
    InstallTypeSummaryLabel = 101,
    ChosenComponentsLabel = 102,
    ProgramFolderSummaryLabel = 103,
    SummaryHeading = 104,
    AlwaysInstalled = 105,
    NoComponentChosen = 106,
    // Status lines of the installation; those ending in a blank are followed by a path.
    ReadingFiles = 107,
    CreatingFolders = 108,
    RemovingPrevious = 109,
    UndoingChanges = 110,
    DeletingTemporaries = 111,
    CopyingFile = 112,
    // The questions about an existing file.
    FileExists = 113,  // %s: the path
    KeepQuestion = 114,
    LanguageConflict = 115,
    FileLanguages = 116,  // %s %s: the existing and the new file's language
    ExistingOlder = 117,  // ExistingOlder + Age: older, the same or newer
    ExistingSame = 118,
    ExistingNewer = 119,
    FileInUse = 120,  // %s: the path
    // More status lines, and what goes wrong on the way.
    BackingUp = 121,
    Registering = 122,
    SettingFileTimes = 123,
    CountingSharedFile = 124,
    SchedulingReplacement = 125,
    RunningAddOn = 126,
    Opening = 127,
    Converting = 128,
    Mp3OutputFailed = 129,
    Mp3OpenFailed = 130,
    Mp3InitFailed = 131,
    WritingRegistry = 132,
    RegistryFailed = 133,
    WritingIni = 134,
    IniFailed = 135,
    EditingTextFiles = 136,
    MakingShortcuts = 137,
    ShortcutFailed = 138,
    WritingUninstaller = 139,
    UninstallerFailed = 140,
    // The program folder page refusing a name.
    ProgramFolderMissing = 141,
    ProgramFolderInvalid = 142,
};

// Every set has entries 0 to kLanguageEntryCount - 1.
inline constexpr std::size_t kLanguageEntryCount = 143;

constexpr std::size_t indexOf(LanguageEntry entry) {
    return static_cast<std::size_t>(entry);
}

static_assert(indexOf(LanguageEntry::ProgramFolderInvalid) + 1 == kLanguageEntryCount,
              "the last entry closes the set");

}  // namespace vortix
