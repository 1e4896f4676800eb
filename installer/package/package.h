// What a setup package says: the script's items and settings, the packaged files
// and the language sets. The package builder fills it from a description; the setup
// program reads it back from its own file (package_format.h has the bytes).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "installer/package/system_requirements.h"

namespace vortix {

// ---------------------------------------------------------------- conditions

// One comparison: two operands and an operator code 0..6 (equal, not equal,
// greater, less, greater or equal, less or equal, bit test).
struct Comparison {
    std::string left;
    std::uint32_t op = 0;
    std::string right;
};

// Option bits of a condition.
inline constexpr std::uint32_t kAnySystem = 1u << 0;
inline constexpr std::uint32_t kSystemWin95 = 2;
inline constexpr std::uint32_t kSystemWin98 = 4;
inline constexpr std::uint32_t kSystemWinMe = 8;  // and other 95-family versions
inline constexpr std::uint32_t kSystemNt4 = 16;   // NT before 5.0
inline constexpr std::uint32_t kSystemNt5 = 32;   // NT 5.0 and later
inline constexpr std::uint32_t kAllNtFamily = 1u << 29;
inline constexpr std::uint32_t kAll95Family = 1u << 30;
inline constexpr std::uint32_t kJoinByOr = 1u << 31;

// An item's condition. The default holds everywhere.
struct Condition {
    std::uint32_t options = kAnySystem;
    std::vector<Comparison> comparisons;
};

// ---------------------------------------------------------------- registry items

// Registry value type codes of the package.
inline constexpr std::uint32_t kRegBinary = 0;       // hexadecimal pairs
inline constexpr std::uint32_t kRegDword = 1;        // decimal number
inline constexpr std::uint32_t kRegString = 2;       // text
inline constexpr std::uint32_t kRegMultiString = 3;  // any other code: "<\0>" ends each string

struct RegistryItemValue {
    std::string name;  // may hold variables; empty is the key's default value
    std::uint32_t type = kRegString;
    std::string data;  // may hold variables
    Condition condition;
};

struct RegistryItemKey {
    std::string name;  // one or more path components, may hold variables
    std::vector<RegistryItemValue> values;
    std::vector<RegistryItemKey> subkeys;
};

// The four roots in the order HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE, HKEY_USERS; a root's own name is empty.
using RegistryItems = std::array<RegistryItemKey, 4>;

// ---------------------------------------------------------------- other items

struct ShortcutItem {
    std::string target;        // the file the shortcut points to
    std::string shortcutFile;  // the ".lnk" path
    std::string arguments;
    std::string workingDirectory;
    std::string icon;  // icon file, ",", index (one character)
    Condition condition;
};

struct IniItem {
    std::string file;
    std::string section;
    std::string keyAndValue;  // key "=" value; without "=" the item is skipped
    Condition condition;
};

// Text-file edit modes.
enum class TextEditMode : std::uint32_t {
    InsertAtStart = 0,
    AppendAtEnd = 1,
    AppendToAnchorLine = 2,
    DeleteAnchorLine = 3,
    InsertAfterAnchor = 4,
    InsertBeforeAnchor = 5,  // and every code above
};

struct TextEditItem {
    std::uint32_t mode = 1;
    std::string file;
    std::string anchor;
    std::string text;
    Condition condition;
};

// A file operation run at a wizard stage.
enum class StageFileAction : std::uint32_t { Copy = 0, Move = 1, Delete = 2, Rename = 3 };

struct StageFileOperation {
    std::uint32_t stage = 12;
    std::uint32_t action = 0;
    std::string source;
    std::string target;  // empty for Delete
    Condition condition;
};

// A document or program opened at a wizard stage.
struct StageOpenItem {
    std::uint32_t stage = 12;
    std::string verb = "open";  // "open" or "explore"
    std::string path;
    std::string parameters;
    Condition condition;
};

// ---------------------------------------------------------------- user variables

enum class UserVariableKind : std::uint32_t { Text = 0, Number = 1, SettableNumber = 2 };
enum class UserVariableSource : std::uint32_t {
    None = 0,
    Registry = 1,
    IniFile = 2,
    FileSearch = 3
};

// Option bits of a user variable.
inline constexpr std::uint32_t kVarKeyExists = 1;      // registry, numeric: 1 when the key opens
inline constexpr std::uint32_t kVarPresence = 1;       // INI file, numeric: 1 when the key is there
inline constexpr std::uint32_t kVarDriveOnly = 2;      // file search: the text is the drive only
inline constexpr std::uint32_t kVarNoDriveSearch = 4;  // file search: listed directories only
inline constexpr std::uint32_t kVarValueExists = 8;    // registry, numeric: 1 when the value reads

struct UserVariable {
    std::string name;  // with its brackets: "<Name>"
    UserVariableKind kind = UserVariableKind::Text;
    UserVariableSource source = UserVariableSource::None;
    std::string defaultText;
    // Registry: root handle (decimal), key path, value name.
    // INI file: file name, section, key name.
    // File search: file name, directory list ("<\0>" between directories), unused.
    std::string field1, field2, field3;
    std::uint32_t options = 0;
};

// ---------------------------------------------------------------- files

enum class FileStorage : std::uint32_t { Compressed = 0, Stored = 1, External = 2 };

// Option bits of a packaged file.
inline constexpr std::uint32_t kFileCompareVersions = 1;
inline constexpr std::uint32_t kFileShared = 2;
inline constexpr std::uint32_t kFileRegisterActiveX = 4;
inline constexpr std::uint32_t kFileNoLog = 8;

// Attribute bits, as the system numbers them.
inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeHidden = 0x02;
inline constexpr std::uint32_t kAttributeArchive = 0x20;

struct FileTime {
    bool set = false;         // whether the install sets this time
    std::uint64_t value = 0;  // 100-ns intervals since 1601-01-01 (UTC)
};

struct PackagedFile {
    std::string target;        // may hold variables
    std::string externalName;  // an external file's name beside the setup program
    FileStorage storage = FileStorage::Compressed;
    std::uint32_t dataSize = 0;      // bytes in the package (0 for an empty file)
    std::uint32_t originalSize = 0;  // bytes once installed
    FileTime created, lastWritten;
    std::uint32_t attributes = 0;
    std::uint32_t versionHigh = 0, versionLow = 0;
    std::uint32_t language = 0;  // 0: none
    std::uint32_t options = 0;
    std::uint32_t component = 0;
    std::uint32_t typeMask = 1;
    Condition condition;
};

// ---------------------------------------------------------------- settings

// Wizard pages (which stages show a page).
inline constexpr std::uint32_t kPageLanguage = 0x1;
inline constexpr std::uint32_t kPageWelcome = 0x2;
inline constexpr std::uint32_t kPageLicence = 0x4;
inline constexpr std::uint32_t kPageInformation = 0x8;
inline constexpr std::uint32_t kPageSystemInformation = 0x10;
inline constexpr std::uint32_t kPageUserInformation = 0x20;
inline constexpr std::uint32_t kPageDestination = 0x40;
inline constexpr std::uint32_t kPageProgramFolder = 0x80;
inline constexpr std::uint32_t kPageInstallType = 0x100;
inline constexpr std::uint32_t kPageComponents = 0x200;
inline constexpr std::uint32_t kPageSummary = 0x400;
inline constexpr std::uint32_t kPageFinish = 0x800;

// How the main window is shown.
enum class WindowStyle : std::uint32_t {
    Overlapped = 0,    // ordinary overlapped window, maximised
    PopupCaption = 1,  // maximised pop-up with a caption
    WorkArea = 2,      // pop-up covering the work area
    FullScreen = 3,    // pop-up covering the whole screen
    NoBackground = 4,  // no background: a captioned window the size of the page
};

// Option bits of the package.
inline constexpr std::uint32_t kOptionBackup = 1u << 0;            // back up overwritten files
inline constexpr std::uint32_t kOptionReplaceAtRestart = 1u << 1;  // in-use files, 95 family
inline constexpr std::uint32_t kOptionUpdate = 1u << 2;            // an update package
inline constexpr std::uint32_t kOptionConfirm = 1u << 3;           // ask before starting
inline constexpr std::uint32_t kOptionCreateUninstaller = 1u << 4;
inline constexpr std::uint32_t kOptionUninstallShortcut = 1u << 5;
inline constexpr std::uint32_t kOptionOpenShortcutFolder = 1u << 6;
inline constexpr std::uint32_t kOptionDecodeMp3 = 1u << 7;
inline constexpr std::uint32_t kOptionConvertJpeg = 1u << 8;
inline constexpr std::uint32_t kOptionRestart = 1u << 9;  // a restart is needed
inline constexpr std::uint32_t kOptionInsistOnRestart = 1u << 10;
inline constexpr std::uint32_t kOptionSilentRestart = 1u << 11;  // silent runs restart too
inline constexpr std::uint32_t kOptionAllUsersShortcuts = 1u << 12;
inline constexpr std::uint32_t kOptionDestinationFromRegistry = 1u << 13;
inline constexpr std::uint32_t kOptionVersionList = 1u << 14;  // update: list, else range
inline constexpr std::uint32_t kOptionPlainTextLicence = 1u << 15;
inline constexpr std::uint32_t kOptionMultilingual = 1u << 16;
inline constexpr std::uint32_t kOptionShowUserName = 1u << 17;
inline constexpr std::uint32_t kOptionRequireUserName = 1u << 18;
inline constexpr std::uint32_t kOptionShowUserCompany = 1u << 19;
inline constexpr std::uint32_t kOptionRequireUserCompany = 1u << 20;

// The two items opened after the installation.
struct AfterInstallItem {
    std::string path;         // program or document, may hold variables; empty: none
    bool shown = false;       // a check box on the finish page
    bool checked = false;     // its first state
    bool silentOpen = false;  // opened after a silent run
};

// A registry location: root handle (decimal text, as user variables give it,
// or one of the four root names), key path, value name.
struct RegistryLocation {
    std::uint32_t root = 0x80000002u;
    std::string keyPath;
    std::string valueName;
};

struct InstallType {
    std::string caption;
    std::string description;
};

struct Component {
    std::string name;         // multilingual
    std::string description;  // multilingual
    std::uint32_t flags = 0;  // bit 0 always installed, bit 2 selected by default
    std::uint64_t size = 0;
    std::array<std::uint32_t, 3> further{};
    std::vector<Component> children;
};

inline constexpr std::uint32_t kComponentFixed = 1;
inline constexpr std::uint32_t kComponentSelected = 4;

struct SummaryLabels {
    std::string heading, type, components, requiredSpace, availableSpace, destination,
        programFolder;
};

struct PackageSettings {
    std::string productName;
    std::string windowTitle;
    std::string installDirectory;        // default destination, may hold variables
    std::string shortcutFolder;          // default program folder for the shortcuts
    RegistryLocation marker;             // where the product records that it is installed
    RegistryLocation destinationSource;  // read when kOptionDestinationFromRegistry
    std::string fromVersion, toVersion;
    std::string preUninstallProgram;  // run by the uninstaller first
    std::array<AfterInstallItem, 2> afterInstall;
    std::string languageCaption, languagePrompt;
    std::string finishText, updateFinishText;
    std::array<InstallType, 3> installTypes;
    SummaryLabels summary;
    std::uint32_t pages = 0;
    WindowStyle windowStyle = WindowStyle::NoBackground;
    std::uint32_t overwriteMode = 0;  // 0..6
    std::uint32_t options = kOptionCreateUninstaller;
    std::uint64_t requiredSize = 0;
};

// Everything of the sealed script block, in the order it is stored.
struct Script {
    RegistryItems registry;
    std::vector<ShortcutItem> shortcuts;
    std::vector<IniItem> iniItems;
    std::vector<TextEditItem> textEdits;
    std::vector<StageFileOperation> stageFileOperations;
    std::vector<UserVariable> userVariables;
    std::vector<StageOpenItem> stageOpenItems;
    PackageSettings settings;
    std::vector<Component> components;
};

// One language set: its name, identifier and text lines (entry k is line k).
struct LanguageSet {
    std::string name;
    std::uint32_t identifier = 0x409;
    std::vector<std::string> lines;
};

// What the package builder puts into a package, with the host files the payload
// comes from. The writer (package_writer.h) turns it into bytes.
struct PackageContents {
    Script script;
    std::vector<LanguageSet> languages;        // at least one
    std::uint32_t defaultLanguage = 0;         // index into languages
    std::string licenceText, informationText;  // empty: none
    // What the system information page checks; nothing: the package asks for
    // nothing and the entry is left out.
    std::optional<SystemRequirements> requirements;
    struct File {
        PackagedFile record;  // storage, times, attributes, version, options...
        std::string source;   // host path; for an external file, its name beside the setup program
    };
    std::vector<File> files;
    // Host paths of the optional pieces; empty: absent.
    std::string uninstallerProgram;
    std::string jpegLibrary, mp3Library, pluginLibrary;
    std::string startupMusic, dialogPicture;
    std::vector<std::string> pictures;
    std::vector<std::string> fonts;
    struct Bitmap {
        std::uint32_t identifier = 0;
        std::string source;
    };
    std::vector<Bitmap> wizardBitmaps;
    std::vector<std::string> dialogTemplates;
    std::vector<std::uint32_t> identifiers;
    // Largest size of one volume in bytes; 0: one file only.
    std::uint64_t volumeSize = 0;
};

}  // namespace vortix
