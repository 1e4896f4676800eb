#include "installer/setup/previous_installation.h"

#include <vector>

#include "installer/setup/actions/install_text.h"

namespace vortix {

std::optional<RegistryRoot> rootOfHandle(std::uint32_t handle) {
    if (handle < 0x80000000u || handle > 0x80000003u)
        return std::nullopt;
    return static_cast<RegistryRoot>(handle - 0x80000000u);
}

// ---------------------------------------------------------------- registry rights

namespace {

class RightsWalk {
public:
    RightsWalk(Registry& registry, const std::function<std::string(const std::string&)>& expand)
        : registry_(registry), expand_(expand) {}

    RegistryRights root(RegistryRoot root, const RegistryItemKey& items) {
        path_ = std::string(kRootNames[static_cast<int>(root)]);
        walk(registry_.rootKey(root), items, false);
        return result_;
    }

private:
    // The subkeys of a key opened for writing, or (readOnly) only for reading.
    bool walk(KeyHandle key, const RegistryItemKey& node, bool readOnly) {
        for (const RegistryItemKey& sub : node.subkeys) {
            std::string name = expand_(sub.name);
            std::string above = path_;
            path_ += "\\" + name;
            bool ok = subkey(key, sub, name, readOnly, above);
            path_ = above;
            if (!ok)
                return false;
        }
        return true;
    }

    bool subkey(KeyHandle parent, const RegistryItemKey& node, const std::string& name,
                bool parentReadOnly, const std::string& above) {
        KeyHandle key = 0;
        switch (registry_.openKey(parent, name, KeyAccess::Write, key)) {
            case KeyOpen::Opened: {
                bool ok = walk(key, node, false);
                registry_.closeKey(key);
                return ok;
            }
            case KeyOpen::Missing:
                // Made by the installation, unless the key above cannot be written.
                if (parentReadOnly)
                    return refuse(above);
                return true;
            case KeyOpen::AccessDenied: break;
        }
        if (!node.values.empty())
            return refuse(path_);
        if (registry_.openKey(parent, name, KeyAccess::Read, key) != KeyOpen::Opened) {
            result_.verdict = RegistryRights::EndQuietly;
            return false;
        }
        bool ok = walk(key, node, true);
        registry_.closeKey(key);
        return ok;
    }

    bool refuse(const std::string& key) {
        result_.verdict = RegistryRights::Refused;
        result_.key = key;
        return false;
    }

    Registry& registry_;
    const std::function<std::string(const std::string&)>& expand_;
    std::string path_;
    RegistryRights result_;
};

}  // namespace

RegistryRights checkRegistryRights(Registry& registry, const RegistryItems& items,
                                   const std::function<std::string(const std::string&)>& expand) {
    for (int r = 0; r < kRootCount; ++r) {
        RegistryRights rights =
            RightsWalk(registry, expand)
                .root(static_cast<RegistryRoot>(r), items[static_cast<std::size_t>(r)]);
        if (rights.verdict != RegistryRights::Granted)
            return rights;
    }
    return {};
}

// ---------------------------------------------------------------- versions

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A version's places: runs of digits, and single other characters.
std::vector<std::string_view> places(std::string_view version) {
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < version.size();) {
        std::size_t end = i + 1;
        if (isDigit(version[i]))
            while (end < version.size() && isDigit(version[end]))
                ++end;
        out.push_back(version.substr(i, end - i));
        i = end;
    }
    return out;
}

// Two numbers by value (any length), else the first bytes.
int comparePlaces(std::string_view a, std::string_view b) {
    if (isDigit(a[0]) && isDigit(b[0])) {
        while (a.size() > 1 && a[0] == '0')
            a.remove_prefix(1);
        while (b.size() > 1 && b[0] == '0')
            b.remove_prefix(1);
        if (a.size() != b.size())
            return a.size() < b.size() ? -1 : 1;
        int c = a.compare(b);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    auto x = static_cast<unsigned char>(a[0]), y = static_cast<unsigned char>(b[0]);
    return x < y ? -1 : x > y ? 1 : 0;
}

// Two versions place by place; one that is the start of the other is the lower.
int compareVersions(std::string_view a, std::string_view b) {
    std::vector<std::string_view> x = places(a), y = places(b);
    for (std::size_t k = 0; k < x.size() && k < y.size(); ++k)
        if (int c = comparePlaces(x[k], y[k]))
            return c;
    return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
}

std::vector<std::string_view> splitList(std::string_view list) {
    std::vector<std::string_view> out;
    for (std::size_t start = 0;;) {
        std::size_t bar = list.find('|', start);
        out.push_back(list.substr(start, bar == std::string_view::npos ? bar : bar - start));
        if (bar == std::string_view::npos)
            return out;
        start = bar + 1;
    }
}

}  // namespace

UpdateVerdict rangeVerdict(std::string_view installed, std::string_view from, std::string_view to) {
    if (installed == to)
        return UpdateVerdict::AlreadyUpdated;
    if (compareVersions(installed, from) < 0)
        return UpdateVerdict::TooOld;
    if (compareVersions(installed, to) > 0)
        return UpdateVerdict::Newer;
    return UpdateVerdict::GoAhead;
}

UpdateVerdict listVerdict(std::string_view installed, std::string_view list, std::string_view to) {
    for (std::string_view version : splitList(list))
        if (version == installed)
            return UpdateVerdict::GoAhead;
    return installed == to ? UpdateVerdict::AlreadyUpdated : UpdateVerdict::NotListed;
}

std::string versionListText(std::string_view list) {
    std::vector<std::string_view> versions = splitList(list);
    std::string text;
    for (std::size_t k = 0; k < versions.size(); ++k) {
        if (k > 0)
            text += k + 1 == versions.size() ? " and " : ", ";
        text += versions[k];
    }
    return text;
}

UpdateDecision decideUpdate(const PackageSettings& settings, Registry& registry) {
    const RegistryLocation& marker = settings.marker;
    UpdateDecision refused{false, formatText(kUpdateNotInstalledText, {settings.productName}),
                           true};
    std::optional<RegistryRoot> root = rootOfHandle(marker.root);
    if (!root)
        return refused;
    OpenedKey key(registry, *root, marker.keyPath, KeyAccess::Read);
    if (!key)
        return refused;
    if (marker.valueName.empty())
        return {};
    std::optional<RegistryValue> value = registry.value(key.get(), marker.valueName);
    if (!value)
        return refused;
    if (settings.fromVersion.empty())
        return {};
    std::string installed = value->data.substr(0, value->data.find('\0'));
    const std::string& from = settings.fromVersion;
    const std::string& to = settings.toVersion;
    if (settings.options & kOptionVersionList) {
        switch (listVerdict(installed, from, to)) {
            case UpdateVerdict::GoAhead: return {};
            case UpdateVerdict::AlreadyUpdated:
                return {false, formatText(kListAlreadyUpdatedText, {to})};
            default:
                return {false, formatText(kListRefusedText, {versionListText(from), installed})};
        }
    }
    switch (rangeVerdict(installed, from, to)) {
        case UpdateVerdict::GoAhead: return {};
        case UpdateVerdict::AlreadyUpdated: return {false, formatText(kAlreadyUpdatedText, {to})};
        case UpdateVerdict::Newer:
            return {false, formatText(kRangeRefusedText, {from, to, "already ", installed})};
        default: return {false, formatText(kRangeRefusedText, {from, to, "", installed})};
    }
}

std::string confirmationText(const PackageSettings& settings) {
    if (settings.options & kOptionUpdate)
        return formatText(kConfirmUpdateText, {settings.productName, settings.toVersion});
    return formatText(kConfirmInstallText, {settings.productName});
}

// ---------------------------------------------------------------- previous installation

namespace {

bool productInstalled(Registry& registry, const RegistryLocation& marker) {
    std::optional<RegistryRoot> root = rootOfHandle(marker.root);
    if (!root)
        return false;
    OpenedKey key(registry, *root, marker.keyPath, KeyAccess::Read);
    return key && (marker.valueName.empty() || registry.value(key.get(), marker.valueName));
}

}  // namespace

StartVerdict checkPreviousInstallation(PreviousInstallHost& host, const PackageSettings& settings,
                                       const std::string& uninstallerPath, bool silent) {
    const RegistryLocation& marker = settings.marker;
    if (marker.keyPath.empty() && marker.valueName.empty())
        return StartVerdict::GoOn;
    if (!productInstalled(host.registry(), marker)) {
        // Left behind by a removal that waits for the restart to delete it.
        if (host.fileExists(uninstallerPath))
            host.deleteFile(uninstallerPath);
        return StartVerdict::GoOn;
    }
    const std::string& product = settings.productName;
    int answer = host.ask(formatText(kRemovalOfferText, {product, product}), Buttons::YesNoCancel);
    if (answer == kAnswerCancel)
        return StartVerdict::End;
    if (answer != kAnswerYes)
        return StartVerdict::GoOn;
    if (!host.fileExists(uninstallerPath)) {
        host.tell(kNoUninstallerText);
        return StartVerdict::GoOn;
    }
    std::uint32_t exitCode = 1;
    switch (host.runUninstaller(uninstallerPath, silent ? "/SILENT /NOREMOVE" : "", exitCode)) {
        case UninstallerRun::CannotStart:
            host.tell(kCannotLaunchUninstallerText);
            return StartVerdict::GoOn;
        case UninstallerRun::Quit: return StartVerdict::End;
        case UninstallerRun::Exited: break;
    }
    if (exitCode == 1) {
        host.deleteFile(uninstallerPath);
        return StartVerdict::GoOn;
    }
    if (!silent && exitCode == 0 &&
        host.ask(kReinstallAnywayText, Buttons::YesNo, true) != kAnswerYes)
        return StartVerdict::End;
    return StartVerdict::GoOn;
}

}  // namespace vortix
