#include "installer/setup/previous_installation.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "tests/installer/common/fake_registry.h"

using namespace vortix;
using testing_support::FakeRegistry;

namespace {

constexpr const char* kProductKey = "Software\\Contavo Lite";

// ---------------------------------------------------------------- the range check

struct RangeCase {
    const char* installed;
    const char* from;
    const char* to;
    UpdateVerdict verdict;
};

class RangeCheck : public testing::TestWithParam<RangeCase> {};

TEST_P(RangeCheck, PlacesAreCharactersOrWholeNumbers) {
    const RangeCase& c = GetParam();
    EXPECT_EQ(rangeVerdict(c.installed, c.from, c.to), c.verdict)
        << c.installed << " in " << c.from << " to " << c.to;
}

INSTANTIATE_TEST_SUITE_P(Versions, RangeCheck,
                         testing::Values(RangeCase{"1.5", "1.0", "2.0", UpdateVerdict::GoAhead},
                                         RangeCase{"0.9", "1.0", "2.0", UpdateVerdict::TooOld},
                                         RangeCase{"2.1", "1.0", "2.0", UpdateVerdict::Newer},
                                         RangeCase{"2.0", "1.0", "2.0",
                                                   UpdateVerdict::AlreadyUpdated},
                                         // Lengths decide when every place ties.
                                         RangeCase{"2.0.1", "1.0.0", "2.0", UpdateVerdict::Newer},
                                         // Whole numbers, not their first digits.
                                         RangeCase{"10.0", "9.0", "11.0", UpdateVerdict::GoAhead},
                                         RangeCase{"1.10", "1.0", "1.9", UpdateVerdict::Newer},
                                         RangeCase{"1.9", "1.10", "1.20", UpdateVerdict::TooOld},
                                         // Below the from-version, though below the to-version.
                                         RangeCase{"1.2", "1.5", "2.0", UpdateVerdict::TooOld},
                                         RangeCase{"1.5", "1.5", "2.0", UpdateVerdict::GoAhead}));

// ---------------------------------------------------------------- the update check

struct UpdateCase {
    const char* name;
    std::optional<std::string> installed;  // nothing: no marker value
    bool list;
    const char* from;
    bool goAhead;
    const char* message;
    bool stopIcon;
};

class UpdateCheck : public testing::TestWithParam<UpdateCase> {};

TEST_P(UpdateCheck, RefusesWithItsMessage) {
    const UpdateCase& c = GetParam();
    FakeRegistry registry;
    registry.key(RegistryRoot::LocalMachine, kProductKey);
    if (c.installed)
        registry.key(RegistryRoot::LocalMachine, kProductKey).values["VERSION"] = {
            RegistryValueType::String, *c.installed + '\0'};
    PackageSettings settings;
    settings.productName = "Contavo Lite";
    settings.options |= kOptionUpdate | (c.list ? kOptionVersionList : 0);
    settings.marker = {0x80000002u, kProductKey, "Version"};
    settings.fromVersion = c.from;
    settings.toVersion = "2.0";
    UpdateDecision decision = decideUpdate(settings, registry);
    EXPECT_EQ(decision.goAhead, c.goAhead);
    EXPECT_EQ(decision.message, c.message);
    EXPECT_EQ(decision.stopIcon, c.stopIcon);
}

INSTANTIATE_TEST_SUITE_P(
    Packages, UpdateCheck,
    testing::Values(
        UpdateCase{"TooOld", "0.9", false, "1.0", false,
                   "This update supports updates from version 1.0 up to version 2.0. You have "
                   "version 0.9 and it cannot be updated by this program.",
                   false},
        UpdateCase{"Newer", "2.1", false, "1.0", false,
                   "This update supports updates from version 1.0 up to version 2.0. You have "
                   "already version 2.1 and it cannot be updated by this program.",
                   false},
        UpdateCase{"RangeAlreadyUpdated", "2.0", false, "1.0", false,
                   "This update updates to version 2.0 which is already installed on your "
                   "system.",
                   false},
        UpdateCase{"Listed", "1.1", true, "1.0|1.1|1.2", true, "", false},
        UpdateCase{"NotListed", "0.9", true, "1.0|1.1|1.2", false,
                   "This update supports updates from version(s) 1.0, 1.1 and 1.2. You have "
                   "currently version 0.9 and it cannot be updated by this program.",
                   false},
        UpdateCase{"ListAlreadyUpdated", "2.0", true, "1.0|1.1|1.2", false,
                   "This update updates to version 2.0 which is already installed on your system",
                   false},
        UpdateCase{"NoVersionValue", std::nullopt, false, "1.0", false,
                   "Contavo Lite installation couldn't be found. Try re-installing the "
                   "application before running update.",
                   true}),
    [](const testing::TestParamInfo<UpdateCase>& named) { return std::string(named.param.name); });

TEST(Confirmation, UpdateOrInstall) {
    PackageSettings settings;
    settings.productName = "Contavo Lite";
    settings.toVersion = "2.0";
    EXPECT_EQ(confirmationText(settings),
              "This will install Contavo Lite to your computer. Do you want to continue?");
    settings.options |= kOptionUpdate;
    EXPECT_EQ(confirmationText(settings),
              "This will update Contavo Lite to version 2.0. Do you want to continue?");
}

// ---------------------------------------------------------------- registry rights

struct RightsCase {
    const char* name;
    const char* denied;  // the key made read-only (HKLM)
    bool unreadable;     // ... and not even readable
    RegistryRights::Verdict verdict;
    const char* key;
};

class RegistryRightsCheck : public testing::TestWithParam<RightsCase> {};

// The package writes HKLM\Software\Vendor\Product\Settings (values in Product and
// Settings) and HKCU\Software\Vendor (a value).
TEST_P(RegistryRightsCheck, NamesTheKeyItCannotWrite) {
    const RightsCase& c = GetParam();
    FakeRegistry registry;
    registry.key(RegistryRoot::LocalMachine, "Software\\Vendor");
    registry.key(RegistryRoot::CurrentUser, "Software\\Vendor");
    if (*c.denied) {
        auto& key = registry.key(RegistryRoot::LocalMachine, c.denied);
        key.readOnly = true;
        key.denyRead = c.unreadable;
    }
    RegistryItems items;
    RegistryItemKey settingsKey{"Settings", {{"Colour", kRegString, "1", {}}}, {}};
    RegistryItemKey product{"<Product>", {{"Version", kRegString, "1.0", {}}}, {settingsKey}};
    items[2].subkeys = {RegistryItemKey{"Software\\Vendor", {}, {product}}};
    items[1].subkeys = {RegistryItemKey{"Software\\Vendor", {{"Name", kRegString, "x", {}}}, {}}};
    RegistryRights rights = checkRegistryRights(registry, items, [](const std::string& text) {
        return text == "<Product>" ? std::string("Product") : text;
    });
    EXPECT_EQ(rights.verdict, c.verdict);
    EXPECT_EQ(rights.key, c.key);
    EXPECT_EQ(registry.openKeys(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    DeniedKeys, RegistryRightsCheck,
    testing::Values(
        RightsCase{"AllWritable", "", false, RegistryRights::Granted, ""},
        // Only subkeys below it: read it and look further; Product is missing
        // below a key that cannot be written, so it cannot be made.
        RightsCase{"MissingBelowReadOnly", "Software\\Vendor", false, RegistryRights::Refused,
                   "HKEY_LOCAL_MACHINE\\Software\\Vendor"},
        RightsCase{"ValuesInReadOnly", "Software\\Vendor\\Product", false, RegistryRights::Refused,
                   "HKEY_LOCAL_MACHINE\\Software\\Vendor\\Product"},
        RightsCase{"Unreadable", "Software\\Vendor", true, RegistryRights::EndQuietly, ""}),
    [](const testing::TestParamInfo<RightsCase>& named) { return std::string(named.param.name); });

// ---------------------------------------------------------------- previous installation

class Machine : public PreviousInstallHost {
public:
    FakeRegistry fake;
    bool uninstallerThere = true;
    UninstallerRun run = UninstallerRun::Exited;
    std::uint32_t exitCode = 1;
    std::deque<int> answers;
    std::vector<std::string> said;  // questions and messages, in order
    std::vector<std::string> started, deleted;

    Registry& registry() override { return fake; }
    bool fileExists(const std::string&) override { return uninstallerThere; }
    void deleteFile(const std::string& path) override { deleted.push_back(path); }
    UninstallerRun runUninstaller(const std::string& path, const std::string& options,
                                  std::uint32_t& code) override {
        started.push_back(path + "|" + options);
        code = exitCode;
        return run;
    }
    int ask(std::string_view text, Buttons, bool) override {
        said.emplace_back(text);
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void tell(std::string_view text) override { said.emplace_back(text); }
};

constexpr const char* kUninstaller = "C:\\WINDOWS\\Contavo Lite Uninstaller.exe";
const std::string kOffer =
    "Contavo Lite is already installed on your system. It is highly recommended to uninstall "
    "the application before re-installing. Do you want to uninstall Contavo Lite before "
    "re-installing?";
const std::string kStarted = std::string(kUninstaller) + "|";
const std::string kNotRemoved(kReinstallAnywayText);

struct FlowCase {
    const char* name;
    bool installed, silent, uninstallerThere;
    UninstallerRun run;
    std::uint32_t exitCode;
    std::vector<int> answers;
    StartVerdict verdict;
    std::vector<std::string> said, started;
    bool deleted;
};

class PreviousInstallationCheck : public testing::TestWithParam<FlowCase> {};

TEST_P(PreviousInstallationCheck, OffersTheRemoval) {
    const FlowCase& c = GetParam();
    Machine machine;
    if (c.installed)
        machine.fake.key(RegistryRoot::LocalMachine, kProductKey).values["VERSION"] = {
            RegistryValueType::String, "1.0"};
    machine.uninstallerThere = c.uninstallerThere;
    machine.run = c.run;
    machine.exitCode = c.exitCode;
    machine.answers.assign(c.answers.begin(), c.answers.end());
    PackageSettings settings;
    settings.productName = "Contavo Lite";
    settings.marker = {0x80000002u, kProductKey, "Version"};
    EXPECT_EQ(checkPreviousInstallation(machine, settings, kUninstaller, c.silent), c.verdict);
    EXPECT_EQ(machine.said, c.said);
    EXPECT_EQ(machine.started, c.started);
    EXPECT_EQ(machine.deleted.size(), c.deleted ? 1u : 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Answers, PreviousInstallationCheck, testing::Values(
    FlowCase{"StaleUninstallerDeleted", false, false, true, UninstallerRun::Exited, 1, {},
             StartVerdict::GoOn, {}, {}, true},
    FlowCase{"Cancel", true, false, true, UninstallerRun::Exited, 1, {kAnswerCancel},
             StartVerdict::End, {kOffer}, {}, false},
    FlowCase{"No", true, false, true, UninstallerRun::Exited, 1, {kAnswerNo},
             StartVerdict::GoOn, {kOffer}, {}, false},
    FlowCase{"SilentlyRemoved", true, true, true, UninstallerRun::Exited, 1, {kAnswerYes},
             StartVerdict::GoOn, {kOffer}, {kStarted + "/SILENT /NOREMOVE"}, true},
    FlowCase{"NotRemoved", true, false, true, UninstallerRun::Exited, 0, {kAnswerYes, kAnswerNo},
             StartVerdict::End, {kOffer, kNotRemoved}, {kStarted}, false},
    FlowCase{"NoUninstaller", true, false, false, UninstallerRun::Exited, 1, {kAnswerYes},
             StartVerdict::GoOn, {kOffer, std::string(kNoUninstallerText)}, {}, false},
    FlowCase{"CannotLaunch", true, false, true, UninstallerRun::CannotStart, 1, {kAnswerYes},
             StartVerdict::GoOn, {kOffer, std::string(kCannotLaunchUninstallerText)}, {kStarted},
             false},
    FlowCase{"QuitWhileWaiting", true, false, true, UninstallerRun::Quit, 1, {kAnswerYes},
             StartVerdict::End, {kOffer}, {kStarted}, false}),
    [](const testing::TestParamInfo<FlowCase>& named) { return std::string(named.param.name); });
// clang-format on

}  // namespace
