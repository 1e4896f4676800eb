// What the setup program decides before the wizard, about the machine it finds:
// whether it may write the package's registry keys (NT family), whether the
// product is installed already (a normal package offers to remove it first, an
// update needs it in a version it can update), and the confirmation question.
// Portable: the registry through its table, files, the old uninstaller and the
// user through PreviousInstallHost; the program supplies the system's side.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "installer/common/registry.h"
#include "installer/package/package.h"
#include "installer/setup/setup_rules.h"

namespace vortix {

// ---------------------------------------------------------------- texts

inline constexpr std::string_view kRegistryRightsText =
    "You don't have required privileges to continue installation. Please have your system "
    "administrator (or other user with higher privileges) install this software\r\n(Couldn't "
    "get write access to \"%s\" registry key)";
inline constexpr std::string_view kRemovalOfferText =
    "%s is already installed on your system. It is highly recommended to uninstall the "
    "application before re-installing. Do you want to uninstall %s before re-installing?";
inline constexpr std::string_view kNoUninstallerText =
    "Couldn't find uninstaller. Previous installation was not removed!";
inline constexpr std::string_view kCannotLaunchUninstallerText =
    "Couldn't launch uninstaller. Previous installation was not removed!";
inline constexpr std::string_view kReinstallAnywayText =
    "Installation was not removed. Do you still want to re-install?";
inline constexpr std::string_view kUpdateNotInstalledText =
    "%s installation couldn't be found. Try re-installing the application before running "
    "update.";
inline constexpr std::string_view kAlreadyUpdatedText =
    "This update updates to version %s which is already installed on your system.";
inline constexpr std::string_view kRangeRefusedText =
    "This update supports updates from version %s up to version %s. You have %sversion %s and "
    "it cannot be updated by this program.";
// The list style's own: no final full stop.
inline constexpr std::string_view kListAlreadyUpdatedText =
    "This update updates to version %s which is already installed on your system";
inline constexpr std::string_view kListRefusedText =
    "This update supports updates from version(s) %s. You have currently version %s and it "
    "cannot be updated by this program.";
inline constexpr std::string_view kConfirmUpdateText =
    "This will update %s to version %s. Do you want to continue?";
inline constexpr std::string_view kConfirmInstallText =
    "This will install %s to your computer. Do you want to continue?";

// The root of a package's root handle (0x80000000 to 0x80000003); nothing for
// any other number.
std::optional<RegistryRoot> rootOfHandle(std::uint32_t handle);

// ---------------------------------------------------------------- registry rights

struct RegistryRights {
    enum Verdict { Granted, Refused, EndQuietly } verdict = Granted;
    std::string key;  // Refused: the key named in the message, from its root's name
};

// Walks the package's keys under the four roots: a key is opened for writing; a
// missing one is passed over with its subtree (it can be made), unless the key
// above could only be read. A key that cannot be written is refused when the
// package writes values in it, and otherwise read to check its subkeys (when it
// cannot even be read, the run ends without a word). Key names are expanded first.
RegistryRights checkRegistryRights(Registry& registry, const RegistryItems& items,
                                   const std::function<std::string(const std::string&)>& expand);

// ---------------------------------------------------------------- versions

enum class UpdateVerdict { GoAhead, TooOld, Newer, AlreadyUpdated, NotListed };

// The range check: the installed version must lie from the from-version up to the
// to-version, both included. Versions are compared place by place, where a place is
// a whole number (a run of digits, compared as a number) or one other character
// (compared by its byte), and a version that is the start of another is the lower.
// So "10.0" lies between "9.0" and "11.0", "1.10" above "1.9", and "1.2" is too old
// for an update from "1.5".
UpdateVerdict rangeVerdict(std::string_view installed, std::string_view from, std::string_view to);
// The list check: one of the "|"-separated versions equals the installed one.
UpdateVerdict listVerdict(std::string_view installed, std::string_view list, std::string_view to);

// The list as its refusal names it: "a, b and c".
std::string versionListText(std::string_view list);

struct UpdateDecision {
    bool goAhead = true;
    std::string message;    // shown when the update is refused
    bool stopIcon = false;  // the not-installed message; the others are plain boxes
};

// The update check of an update package against the marker in the registry.
UpdateDecision decideUpdate(const PackageSettings& settings, Registry& registry);

// The confirmation question, when the package asks one.
std::string confirmationText(const PackageSettings& settings);

// ---------------------------------------------------------------- previous installation

enum class UninstallerRun { Exited, CannotStart, Quit };

// What the previous-installation check works through.
class PreviousInstallHost {
public:
    virtual ~PreviousInstallHost() = default;
    virtual Registry& registry() = 0;
    virtual bool fileExists(const std::string& path) = 0;
    // Clears the file's attributes and deletes it.
    virtual void deleteFile(const std::string& path) = 0;
    // Starts the uninstaller with its quoted path, a space and `options` in its
    // own folder, and waits for it while window messages are dispatched. The exit
    // code is 1 when it cannot be read.
    virtual UninstallerRun runUninstaller(const std::string& path, const std::string& options,
                                          std::uint32_t& exitCode) = 0;
    // The program's message routine (a silent run answers by itself); `noByDefault`
    // makes No the default button.
    virtual int ask(std::string_view text, Buttons buttons, bool noByDefault = false) = 0;
    virtual void tell(std::string_view text) = 0;
};

enum class StartVerdict { GoOn, End };

// The previous-installation check of a normal package: when the marker says the
// product is installed, the offer to remove it through its uninstaller; when not,
// a stale uninstaller file is deleted.
StartVerdict checkPreviousInstallation(PreviousInstallHost& host, const PackageSettings& settings,
                                       const std::string& uninstallerPath, bool silent);

}  // namespace vortix
