// The setup program's variables: names in angle brackets ("<InstallDir>") replaced
// by exact, case-sensitive text substitution, and the item conditions built on them.
//
// Three groups, expanded in this order by expandAll:
// - system paths, gathered once when the object is made, none ending in "\";
// - installation variables, set by the wizard (destination, program folder, user);
// - the package's user variables, refreshed from the registry, an INI file or a file
//   search each time they are used.
// Numeric system variables ("<RAM>", "<CPUSpeed>"...) serve only as condition operands
// and are measured once, when first asked for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "installer/package/package.h"
#include "installer/setup/variables/system_facts.h"

namespace vortix {

class Variables {
public:
    // Gathers the system paths, the system version and today's date.
    explicit Variables(SystemFacts& facts);

    // ---- what the package and the run supply
    void setUserVariables(const std::vector<UserVariable>& variables);
    // The package's default program folder for the shortcuts, which lookup gives
    // for "<ShortcutDir>".
    void setDefaultShortcutFolder(std::string folder);
    void setLanguageId(std::uint32_t id) { languageId_ = id; }

    // ---- installation variables; trailing "\" characters are dropped from the paths
    void setInstallDir(std::string path);
    void setShortcutDir(std::string path);
    void setUserName(std::string name) { userName_ = std::move(name); }
    void setUserCompany(std::string company) { userCompany_ = std::move(company); }
    const std::string& userName() const { return userName_; }
    const std::string& userCompany() const { return userCompany_; }
    const std::string& installDir() const { return installDir_; }
    const std::string& shortcutDir() const { return shortcutDir_; }

    bool ntFamily() const { return os_.ntFamily; }

    // ---- substitution; a text without "<" comes back unchanged
    std::string expandSystemPaths(std::string text) const;
    std::string expandInstallation(std::string text);
    // Refreshes each user variable whose name occurs in the text, then replaces it.
    std::string expandUser(std::string text);
    // System paths, installation variables, user variables, in that order.
    std::string expandAll(std::string text);

    // The text of a lookup name ("<WindowsDir>", "<Programs>", "<InstallDir>"...) or of
    // a user variable (refreshed); nothing for any other name.
    std::optional<std::string> lookup(const std::string& name);
    // A condition operand as a number: empty is 0, a text not starting with "<" is
    // read as a decimal number, then user variables (refreshed), then the numeric
    // system variables; anything else is 0.
    std::int64_t numericValue(const std::string& operand);
    // The plug-in's setter: sets a settable numeric user variable, or creates one,
    // and gives 1; gives -1 for a user variable of another kind or a name that is
    // not in angle brackets.
    int setVariable(const std::string& name, std::int64_t value);

    // A registry value read as text: a REG_SZ up to its NUL, a REG_EXPAND_SZ with
    // its environment variables expanded; nothing for a value of another type or
    // one that cannot be read.
    std::optional<std::string> registryText(std::uint32_t root, const std::string& key,
                                            const std::string& name);

    // Whether an item with this condition is installed on this machine now.
    bool holds(const Condition& condition);

private:
    struct UserState {
        UserVariable record;
        std::string text;
        std::int64_t number = 0;
        bool refreshing = false;   // marked while its own source is read
        bool setByPlugin = false;  // the plug-in's value stands; the source is not read again
    };

    const std::string* systemPath(const std::string& name) const;
    UserState* findUser(const std::string& name);
    void refresh(UserState& variable);
    void refreshFromRegistry(UserState& variable, const std::string& rootText,
                             const std::string& key, const std::string& value);
    void refreshFromIni(UserState& variable, const std::string& file, const std::string& section,
                        const std::string& key);
    void refreshFromFileSearch(UserState& variable, const std::string& file,
                               const std::string& directories);
    std::optional<std::int64_t> numericSystemValue(const std::string& name);
    std::string shortFormOf(const std::string& path);
    bool systemAllowed(std::uint32_t options) const;
    bool compare(const Comparison& comparison);
    std::optional<std::string> textOperand(const std::string& operand);

    SystemFacts& facts_;
    OsVersion os_;
    std::vector<std::pair<std::string, std::string>> systemPaths_;  // in substitution order
    std::vector<UserState> users_;
    std::string defaultShortcutFolder_;
    std::string installDir_, shortcutDir_, userName_, userCompany_;
    std::uint32_t languageId_ = 0;

    // Numeric system variables, measured when first asked for.
    std::optional<std::uint32_t> cpuSpeed_, cpuType_, cpuFlags_, directX_;
    std::optional<std::uint64_t> memory_;
    std::optional<ScreenMode> screen_;
};

}  // namespace vortix
