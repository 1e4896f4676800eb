#include "installer/setup/variables/variables.h"

#include <limits>

#include "installer/setup/variables/text_substitution.h"

namespace vortix {
namespace {

const char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kDirectorySeparator[] = "<\\0>";

// Names the lookup knows, with the system path each one gives.
const std::pair<const char*, const char*> kLookupNames[] = {
    {"<CommonFiles>", "<CommonFiles>"}, {"<Date>", "<Date>"},
    {"<Desktop>", "<Desktop>"},         {"<DesktopNt>", "<DesktopNt>"},
    {"<FontDir>", "<FontDir>"},         {"<ProgramFiles>", "<ProgramFiles>"},
    {"<Programs>", "<ProgramsDir>"},    {"<ProgramsNt>", "<ProgramsDirNt>"},
    {"<SetupDir>", "<SetupDir>"},       {"<StartMenu>", "<StartMenu>"},
    {"<StartMenuNt>", "<StartMenuNt>"}, {"<StartUp>", "<StartUp>"},
    {"<StartUpNt>", "<StartUpNt>"},     {"<SystemDir>", "<SystemDir>"},
    {"<SystemDrive>", "<SystemDrive>"}, {"<TempDir>", "<TempDir>"},
    {"<WindowsDir>", "<WindowsDir>"},
};

// A name in angle brackets with something between them.
bool isVariableName(const std::string& name) {
    return name.size() >= 3 && name.front() == '<' && name.back() == '>';
}

bool isNumeric(UserVariableKind kind) {
    return kind != UserVariableKind::Text;
}

std::optional<std::string> textOf(const RegistryValue& value) {
    if (value.type != kRegistryTypeString && value.type != kRegistryTypeExpandString)
        return std::nullopt;
    return value.data.substr(0, value.data.find('\0'));
}

std::optional<std::uint32_t> dwordOf(const RegistryValue& value) {
    if (value.type != kRegistryTypeDword || value.data.size() < 4)
        return std::nullopt;
    std::uint32_t n = 0;
    for (int i = 3; i >= 0; --i)
        n = (n << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
    return n;
}

// The root of a registry source: the handle's decimal value, or one of the root names.
std::optional<std::uint32_t> registryRoot(const std::string& text) {
    static const std::pair<const char*, std::uint32_t> kNames[] = {
        {"HKEY_CLASSES_ROOT", kRootClassesRoot},
        {"HKCR", kRootClassesRoot},
        {"HKEY_CURRENT_USER", kRootCurrentUser},
        {"HKCU", kRootCurrentUser},
        {"HKEY_LOCAL_MACHINE", kRootLocalMachine},
        {"HKLM", kRootLocalMachine},
        {"HKEY_USERS", kRootUsers},
        {"HKU", kRootUsers},
    };
    for (const auto& [name, root] : kNames)
        if (text == name)
            return root;
    std::int64_t n = decimalValue(text);
    if (n >= kRootClassesRoot && n <= kRootUsers)
        return static_cast<std::uint32_t>(n);
    return std::nullopt;
}

std::int32_t toInt32(std::int64_t n) {
    if (n > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (n < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(n);
}

// Clears a variable's mark however its refresh ends.
class RefreshMark {
public:
    explicit RefreshMark(bool& mark) : mark_(mark) { mark_ = true; }
    ~RefreshMark() { mark_ = false; }
    RefreshMark(const RefreshMark&) = delete;
    RefreshMark& operator=(const RefreshMark&) = delete;

private:
    bool& mark_;
};

}  // namespace

Variables::Variables(SystemFacts& facts) : facts_(facts), os_(facts.osVersion()) {
    auto folder = [&](SystemFolder which) {
        return withoutTrailingBackslash(facts_.folder(which));
    };
    auto add = [&](const char* name, std::string value) {
        systemPaths_.emplace_back(name, std::move(value));
    };
    auto addWithShortForm = [&](const char* name, const char* shortName, std::string path) {
        std::string shortened = shortFormOf(path);
        add(name, std::move(path));
        add(shortName, std::move(shortened));
    };
    // The all-users folder on the NT family (the user's when it has none), else the user's.
    auto ntVariant = [&](SystemFolder user, SystemFolder common) {
        std::string path = os_.ntFamily ? folder(common) : std::string();
        return path.empty() ? folder(user) : path;
    };
    // A directory of the "CurrentVersion" key, with fixed defaults when it is missing.
    auto currentVersionDir = [&](const char* value, const char* longDefault,
                                 const char* shortDefault, const char* name,
                                 const char* shortName) {
        auto stored = facts_.registryValue(kRootLocalMachine, kCurrentVersionKey, value);
        std::string path = stored ? withoutTrailingBackslash(textOf(*stored).value_or("")) : "";
        if (path.empty()) {
            add(name, longDefault);
            add(shortName, shortDefault);
        } else {
            addWithShortForm(name, shortName, path);
        }
    };

    addWithShortForm("<ProgramsDir>", "<ShortProgramsDir>", folder(SystemFolder::Programs));
    addWithShortForm("<StartUp>", "<ShortStartUp>", folder(SystemFolder::StartUp));
    addWithShortForm("<Desktop>", "<ShortDesktop>", folder(SystemFolder::Desktop));
    add("<FontDir>", folder(SystemFolder::Fonts));
    addWithShortForm("<StartMenu>", "<ShortStartMenu>", folder(SystemFolder::StartMenu));
    add("<ProgramsDirNt>", ntVariant(SystemFolder::Programs, SystemFolder::CommonPrograms));
    add("<StartUpNt>", ntVariant(SystemFolder::StartUp, SystemFolder::CommonStartUp));
    add("<DesktopNt>", ntVariant(SystemFolder::Desktop, SystemFolder::CommonDesktop));
    add("<StartMenuNt>", ntVariant(SystemFolder::StartMenu, SystemFolder::CommonStartMenu));
    currentVersionDir("ProgramFilesDir", "C:\\Program Files", "C:\\Progra~1", "<ProgramFiles>",
                      "<ShortProgramFiles>");
    currentVersionDir("CommonFilesDir", "C:\\Program Files\\Common Files", "C:\\Progra~1\\Common~1",
                      "<CommonFiles>", "<ShortCommonFiles>");
    addWithShortForm("<WindowsDir>", "<ShortWindowsDir>", folder(SystemFolder::Windows));
    std::string system = folder(SystemFolder::System);
    std::string systemDrive = system.empty() ? std::string() : system.substr(0, 1) + ":";
    addWithShortForm("<SystemDir>", "<ShortSystemDir>", std::move(system));
    addWithShortForm("<TempDir>", "<ShortTempDir>", folder(SystemFolder::Temp));
    add("<SetupDir>", folder(SystemFolder::SetupProgram));
    add("<SystemDrive>", std::move(systemDrive));
    add("<Date>", facts_.today());
}

void Variables::setUserVariables(const std::vector<UserVariable>& variables) {
    users_.clear();
    for (const UserVariable& record : variables) {
        if (!isVariableName(record.name))
            continue;  // a bare word would be replaced inside any text
        UserState state;
        state.record = record;
        state.record.defaultText = expandSystemPaths(record.defaultText);
        state.number = decimalValue(state.record.defaultText);
        state.text =
            isNumeric(record.kind) ? std::to_string(state.number) : state.record.defaultText;
        users_.push_back(std::move(state));
    }
}

void Variables::setDefaultShortcutFolder(std::string folder) {
    defaultShortcutFolder_ = std::move(folder);
}

void Variables::setInstallDir(std::string path) {
    installDir_ = withoutTrailingBackslash(std::move(path));
}

std::optional<std::string> Variables::registryText(std::uint32_t root, const std::string& key,
                                                   const std::string& name) {
    std::optional<RegistryValue> stored = facts_.registryValue(root, key, name);
    std::optional<std::string> text = stored ? textOf(*stored) : std::nullopt;
    if (text && stored->type == kRegistryTypeExpandString)
        text = facts_.expandEnvironment(*text);
    return text;
}

void Variables::setShortcutDir(std::string path) {
    shortcutDir_ = withoutTrailingBackslash(std::move(path));
}

std::string Variables::shortFormOf(const std::string& path) {
    if (path.empty())
        return path;
    // A bare drive ("C:") names the drive's current directory to the system.
    std::string asked = path.size() == 2 && path[1] == ':' ? path + "\\" : path;
    std::string shortened = withoutTrailingBackslash(facts_.shortPath(asked));
    return shortened.empty() ? path : shortened;
}

// ---------------------------------------------------------------- substitution

std::string Variables::expandSystemPaths(std::string text) const {
    if (text.find('<') == std::string::npos)
        return text;
    for (const auto& [name, value] : systemPaths_)
        replaceAll(text, name, value);
    return text;
}

std::string Variables::expandInstallation(std::string text) {
    if (text.find('<') == std::string::npos)
        return text;
    // The short forms are asked for at each use: the destination may only now exist.
    replaceAll(text, "<InstallDir>", installDir_);
    if (text.find("<ShortInstallDir>") != std::string::npos)
        replaceAll(text, "<ShortInstallDir>", shortFormOf(installDir_));
    replaceAll(text, "<ShortcutDir>", shortcutDir_);
    if (text.find("<ShortShortcutDir>") != std::string::npos)
        replaceAll(text, "<ShortShortcutDir>", shortFormOf(shortcutDir_));
    replaceAll(text, "<UserName>", userName_);
    replaceAll(text, "<UserCompany>", userCompany_);
    return text;
}

std::string Variables::expandUser(std::string text) {
    if (text.find('<') == std::string::npos)
        return text;
    for (std::size_t i = 0; i < users_.size(); ++i) {
        if (users_[i].refreshing || text.find(users_[i].record.name) == std::string::npos)
            continue;
        refresh(users_[i]);
        replaceAll(text, users_[i].record.name, users_[i].text);
    }
    return text;
}

std::string Variables::expandAll(std::string text) {
    return expandUser(expandInstallation(expandSystemPaths(std::move(text))));
}

// ---------------------------------------------------------------- user variables

Variables::UserState* Variables::findUser(const std::string& name) {
    for (UserState& state : users_)
        if (state.record.name == name)
            return &state;
    return nullptr;
}

void Variables::refresh(UserState& variable) {
    if (variable.refreshing || variable.setByPlugin ||
        variable.record.source == UserVariableSource::None)
        return;
    RefreshMark mark(variable.refreshing);
    std::string field1 = expandAll(variable.record.field1);
    std::string field2 = expandAll(variable.record.field2);
    std::string field3 = expandAll(variable.record.field3);
    switch (variable.record.source) {
        case UserVariableSource::Registry:
            refreshFromRegistry(variable, field1, field2, field3);
            break;
        case UserVariableSource::IniFile: refreshFromIni(variable, field1, field2, field3); break;
        case UserVariableSource::FileSearch: refreshFromFileSearch(variable, field1, field2); break;
        default: break;
    }
}

void Variables::refreshFromRegistry(UserState& variable, const std::string& rootText,
                                    const std::string& key, const std::string& value) {
    const UserVariable& record = variable.record;
    auto setNumber = [&](std::int64_t n) {
        variable.number = n;
        variable.text = std::to_string(n);
    };
    std::optional<std::uint32_t> root = registryRoot(rootText);
    if (isNumeric(record.kind) && (record.options & kVarKeyExists)) {
        setNumber(root && facts_.registryKeyExists(*root, key) ? 1 : 0);
        return;
    }
    std::optional<RegistryValue> stored;
    if (root)
        stored = facts_.registryValue(*root, key, value);
    if (isNumeric(record.kind) && (record.options & kVarValueExists)) {
        setNumber(stored ? 1 : 0);
    } else if (isNumeric(record.kind)) {
        std::optional<std::uint32_t> n = stored ? dwordOf(*stored) : std::nullopt;
        setNumber(n ? static_cast<std::int64_t>(*n) : decimalValue(record.defaultText));
    } else {
        std::optional<std::string> text = stored ? textOf(*stored) : std::nullopt;
        variable.text = text ? *text : record.defaultText;
        variable.number = decimalValue(variable.text);
    }
}

void Variables::refreshFromIni(UserState& variable, const std::string& file,
                               const std::string& section, const std::string& key) {
    const UserVariable& record = variable.record;
    if (isNumeric(record.kind)) {
        if (record.options & kVarPresence) {
            // A missing key gives each read its own default; a present key gives both
            // reads its value, whatever that is ("0" and "1" included).
            bool present = facts_.iniString(file, section, key, "0") ==
                           facts_.iniString(file, section, key, "1");
            variable.number = present ? 1 : 0;
        } else {
            variable.number =
                facts_.iniNumber(file, section, key, toInt32(decimalValue(record.defaultText)));
        }
        variable.text = std::to_string(variable.number);
    } else {
        variable.text = facts_.iniString(file, section, key, record.defaultText);
        variable.number = decimalValue(variable.text);
    }
}

void Variables::refreshFromFileSearch(UserState& variable, const std::string& file,
                                      const std::string& directories) {
    const UserVariable& record = variable.record;
    std::optional<std::string> where;
    if (!file.empty()) {
        std::size_t start = 0;
        while (!where && start <= directories.size()) {
            std::size_t end = directories.find(kDirectorySeparator, start);
            if (end == std::string::npos)
                end = directories.size();
            std::string directory = directories.substr(start, end - start);
            start = end + sizeof kDirectorySeparator - 1;
            if (directory.empty())
                continue;
            if (directory.back() != '\\')
                directory += '\\';
            if (facts_.fileExists(directory, file))
                where = directory;
        }
        if (!where && !(record.options & kVarNoDriveSearch)) {
            for (const std::string& root : facts_.driveRoots()) {
                where = facts_.findFileBelow(root, file);
                if (where)
                    break;
            }
        }
    }
    if (!where) {
        variable.number = 0;
        variable.text = record.defaultText;
        return;
    }
    variable.number = 1;
    std::string directory = withoutTrailingBackslash(*where);
    if ((record.options & kVarDriveOnly) && directory.size() >= 2 && directory[1] == ':')
        directory.resize(2);
    variable.text = std::move(directory);
}

int Variables::setVariable(const std::string& name, std::int64_t value) {
    if (!isVariableName(name))
        return -1;
    UserState* variable = findUser(name);
    if (!variable) {
        UserState created;
        created.record.name = name;
        created.record.kind = UserVariableKind::SettableNumber;
        users_.push_back(std::move(created));
        variable = &users_.back();
    } else if (variable->record.kind != UserVariableKind::SettableNumber) {
        return -1;
    }
    // The plug-in's value stands from now on; a source must not overwrite it.
    variable->setByPlugin = true;
    variable->number = value;
    variable->text = std::to_string(value);
    return 1;
}

// ---------------------------------------------------------------- lookup and numbers

const std::string* Variables::systemPath(const std::string& name) const {
    for (const auto& [pathName, value] : systemPaths_)
        if (pathName == name)
            return &value;
    return nullptr;
}

std::optional<std::string> Variables::lookup(const std::string& name) {
    for (const auto& [lookupName, pathName] : kLookupNames)
        if (name == lookupName)
            return *systemPath(pathName);
    if (name == "<InstallDir>")
        return installDir_;
    if (name == "<ShortcutDir>")
        return defaultShortcutFolder_;
    if (UserState* variable = findUser(name)) {
        refresh(*variable);
        return variable->text;
    }
    return std::nullopt;
}

std::int64_t Variables::numericValue(const std::string& operand) {
    if (operand.empty())
        return 0;
    if (operand.front() != '<')
        return decimalValue(operand);
    if (UserState* variable = findUser(operand)) {
        refresh(*variable);
        return variable->number;
    }
    return numericSystemValue(operand).value_or(0);
}

std::optional<std::int64_t> Variables::numericSystemValue(const std::string& name) {
    auto once = [](auto& cache, auto measure) {
        if (!cache)
            cache = measure();
        return *cache;
    };
    if (name == "<CPUSpeed>")
        return once(cpuSpeed_, [&] { return facts_.cpuSpeedMhz(); });
    if (name == "<CPUType>")
        return once(cpuType_, [&] { return facts_.cpuType(); });
    if (name == "<CPUFlags>")
        return once(cpuFlags_, [&] { return facts_.cpuFlags(); });
    if (name == "<LanguageID>")
        return languageId_;
    if (name == "<OSBuild>")
        return os_.build & 0xFFFFu;
    if (name == "<CurXRes>" || name == "<CurYRes>" || name == "<CurBPP>") {
        ScreenMode mode = once(screen_, [&] { return facts_.screen(); });
        if (name == "<CurXRes>")
            return mode.width;
        return name == "<CurYRes>" ? mode.height : mode.bitsPerPixel;
    }
    if (name == "<RAM>") {
        // Whole megabytes rounded down, then up to an even number.
        std::uint64_t megabytes = once(memory_, [&] { return facts_.physicalMemoryBytes(); }) >> 20;
        return static_cast<std::int64_t>(megabytes + (megabytes & 1));
    }
    if (name == "<DirectXVer>") {
        std::uint32_t version = once(directX_, [&] { return facts_.directXVersion(); });
        return (version >> 16) | ((version & 0xFFFFu) << 16);
    }
    return std::nullopt;
}

}  // namespace vortix
