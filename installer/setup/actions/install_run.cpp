#include "installer/setup/actions/install_run.h"

#include "installer/common/local_path.h"
#include "installer/common/text_fold.h"

#include <algorithm>
#include <new>
#include <utility>

#include "installer/common/uninstall_log.h"
#include "installer/common/uninstaller_name.h"
#include "installer/setup/actions/install_steps.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/actions/overwrite_decision.h"
#include "installer/setup/actions/registry_data.h"
#include "installer/setup/actions/text_edit.h"
#include "installer/setup/actions/windows_path.h"

namespace vortix {
namespace {

constexpr std::uint32_t kAttributeSystem = 0x04;

// A file being written: deleted when the write does not finish (a failure, or an
// exception on the way out), kept once released.
class PartialFile {
public:
    PartialFile(InstallHost& host, std::string path) : host_(host), path_(std::move(path)) {}
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;
    ~PartialFile() {
        if (!path_.empty() && host_.files.fileExists(path_)) {
            host_.files.setAttributes(path_, 0);
            host_.files.deleteFile(path_);
        }
    }
    void release() { path_.clear(); }

private:
    InstallHost& host_;
    std::string path_;
};
// The scratch-file names tried in one directory before the test gives up.
constexpr int kScratchAttempts = 10000;

std::size_t countKeys(const RegistryItemKey& key) {
    std::size_t n = key.subkeys.size();
    for (const RegistryItemKey& subkey : key.subkeys)
        n += countKeys(subkey);
    return n;
}

std::vector<std::string> pathComponents(const std::string& path) {
    std::vector<std::string> parts;
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t slash = path.find('\\', start);
        std::size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

KeyCreate createWithFallback(InstallHost& host, KeyHandle parent, const std::string& name,
                             KeyHandle& key) {
    for (KeyAccess access : {KeyAccess::All, KeyAccess::Write, KeyAccess::Read}) {
        KeyCreate made = host.registry.createKey(parent, name, access, key);
        if (made != KeyCreate::AccessDenied)
            return made;
    }
    return KeyCreate::AccessDenied;
}

}  // namespace

InstallRun::InstallRun(InstallHost& host, TextExpander& expander, LogContext& log,
                       InstallPackage package, InstallChoices choices, ReplacedFiles& originals,
                       KeyDraw draw)
    : host_(host),
      expander_(expander),
      log_(log),
      package_(package),
      choices_(std::move(choices)),
      originals_(originals),
      draw_(std::move(draw)) {}

bool installTypeTakes(std::uint32_t installType, std::uint32_t typeMask) {
    switch (installType) {
        case kCustomType: return true;
        case kTypicalType: return (typeMask & 3u) != 0;
        default: return (typeMask & 1u) != 0;
    }
}

std::string InstallRun::text(LanguageEntry k) const {
    return entry(package_.texts, k);
}

void InstallRun::status(const std::string& line) {
    host_.view.setStatus(line);
}

void InstallRun::showProgress(int from, int to, std::uint64_t done, std::uint64_t total) {
    std::uint64_t share = total == 0 ? 1 : std::min(done, total);
    host_.view.setProgress(from + static_cast<int>(share * static_cast<std::uint64_t>(to - from) /
                                                   (total == 0 ? 1 : total)));
}

std::string InstallRun::uninstallerFile() const {
    return uninstallerPath(choices_.windowsDirectory, package_.script.settings.productName);
}

InstallResult InstallRun::run() {
    try {
        return runPhases();
    } catch (const std::bad_alloc&) {
        // Whatever was done so far is in the log and in the kept originals: the
        // caller rolls it back.
        host_.view.showMessage(text(LanguageEntry::OutOfMemory), MessageIcon::Error);
        return InstallResult();
    }
}

InstallResult InstallRun::runPhases() {
    const std::uint32_t options = package_.script.settings.options;
    InstallResult result;
    if (!installFiles(result))
        return result;
    if ((options & kOptionDecodeMp3) && !decodeMp3Files())
        return result;
    if ((options & kOptionConvertJpeg) && !convertJpegFiles())
        return result;
    log_.registryWritten = true;
    if (!writeRegistry())
        return result;
    writeIniEntries();
    editTextFiles();
    makeShortcuts(result);
    status(text(LanguageEntry::WritingUninstaller));
    host_.view.setProgress(kRegistryShare);
    if (!writeUninstaller())
        return result;
    host_.view.setProgress(100);
    if (!choices_.silent && result.shortcutsMade && (options & kOptionOpenShortcutFolder))
        host_.shell.openFolder(choices_.shortcutFolder);
    result.completed = true;
    return result;
}

// ---------------------------------------------------------------- files

bool InstallRun::installFiles(InstallResult& result) {
    host_.view.setProgress(0);
    const std::vector<PackagedFile>& files = package_.files;
    // The bytes of the files this run installs; empty files count one byte each,
    // so that a package of them still moves the bar.
    auto weight = [](const PackagedFile& file) {
        return std::max<std::uint64_t>(file.originalSize, 1);
    };
    for (const PackagedFile& file : files)
        if (selected(file) && expander_.holds(file.condition))
            bytesTotal_ += weight(file);
    for (std::size_t i = 0; i < files.size(); ++i) {
        FileOutcome outcome = installFile(i, result);
        if (outcome == FileOutcome::Fatal)
            return false;
        if (selected(files[i]) && expander_.holds(files[i].condition)) {
            bytesDone_ += weight(files[i]);
            showProgress(0, kFilesShare, bytesDone_, bytesTotal_);
        }
    }
    if (result.activeXFailures > 0)
        host_.view.showMessage(
            "Registration of some ActiveX controls failed. Installation will finish but the "
            "application may not work properly.",
            MessageIcon::Warning);
    return true;
}

bool InstallRun::selected(const PackagedFile& file) const {
    if (!choices_.componentSelection)
        return true;
    const std::vector<bool>& chosen = choices_.selectedComponents;
    if (file.component < chosen.size() && !chosen[file.component])
        return false;
    return installTypeTakes(choices_.installType, file.typeMask);
}

bool InstallRun::writePrivilegeRefused(const std::string& directory) {
    std::uint32_t number = host_.files.tickCount();
    for (int attempt = 0; attempt < kScratchAttempts; ++attempt, ++number) {
        std::string name = scratchFileName(directory, number);
        CreateResult made = host_.files.createNewFile(name);
        if (made == CreateResult::Exists)
            continue;
        if (made == CreateResult::Created)
            host_.files.deleteFile(name);
        return made == CreateResult::AccessDenied;
    }
    return false;
}

InstallRun::FileOutcome InstallRun::installFile(std::size_t index, InstallResult& result) {
    const PackagedFile& file = package_.files[index];
    const PackageSettings& settings = package_.script.settings;
    if (!expander_.holds(file.condition) || !selected(file))
        return FileOutcome::Skipped;
    std::string path = collapseDoubleBackslashes(expander_.expand(file.target));
    // A target that is not a plain path on a local drive (relative, a network or
    // device path, one that climbs with "..") could land anywhere: refused.
    if (!isPlainLocalPath(path)) {
        host_.view.showMessage(notLocalPathMessage(path), MessageIcon::Error);
        return FileOutcome::Skipped;
    }
    host_.view.setStatus(text(LanguageEntry::CopyingFile) + path);
    InstallSteps steps(host_, log_);

    std::string directory = directoryOf(path);
    if (!readyDirectories_.count(directory)) {
        const bool wasThere = host_.files.directoryExists(directory);
        if (directory.size() >= 4 && (!steps.createDirectories(directory, false) ||
                                      !host_.files.directoryExists(directory))) {
            host_.view.showMessage("Failure while trying to install file " + path,
                                   MessageIcon::Error);
            return FileOutcome::Fatal;
        }
        if (writePrivilegeRefused(directory)) {
            host_.view.showMessage(
                "You don't have write privilege to directory '" + directory +
                    "'. Please have your system administrator (or other user with "
                    "higher privileges) install this software.",
                MessageIcon::Error);
            return FileOutcome::Fatal;
        }
        readyDirectories_.insert(directory);
        if (!wasThere)
            madeDirectories_.insert(directory);
    }
    if (file.storage == FileStorage::External && !host_.files.externalFileExists(index, file)) {
        host_.view.showMessage("Couldn't read " + fileNameOf(path) + " - skipping file",
                               MessageIcon::Error);
        return FileOutcome::Skipped;
    }
    // In a directory this run made, only what it put there can be there.
    const bool madeHere = madeDirectories_.count(directory) != 0;
    const bool existed = madeHere ? placedInMadeDirectories_.count(upperCased(path)) != 0
                                  : host_.files.fileExists(path);
    const bool shared = file.options & kFileShared;
    if (shared)
        steps.countSharedFile(path, existed);

    std::optional<BackupRecord> backup;
    std::uint32_t oldAttributes = 0;
    if (existed) {
        if ((file.options & kFileCompareVersions) && !overwriteAllowed(path, file))
            return FileOutcome::Skipped;
        if (settings.options & kOptionBackup) {
            backup = steps.copyForBackup(path, choices_.installDirectory);
            // The package asked for a copy: without one the file is replaced only if
            // the user says so (a silent run keeps it).
            if (!backup && host_.view.askYesNo("Couldn't make a backup copy of " + path +
                                               ".\n\nSkip this file and keep the one that is "
                                               "there? (No replaces it without a backup.)"))
                return FileOutcome::Skipped;
        }
        oldAttributes = host_.files.attributes(path).value_or(0);
        // Cleared so that the new file can take its place (and given back if it does not).
        host_.files.setAttributes(path, oldAttributes & ~kAttributeReadOnly);
    }
    // The old file stays as it was: its attributes back, the backup copy gone.
    auto leaveAsItWas = [&] {
        if (backup)
            steps.removeFile(backup->backupCopy);
        if (existed)
            host_.files.setAttributes(path, oldAttributes);
    };

    // A target in use: moved aside (NT family), replaced at the next restart, or
    // tried again as the user says.
    std::string aside;
    bool atRestart = false;
    std::string writeTo;
    // Only a file that was there and is still there can be in use.
    while (existed && host_.files.fileExists(path) &&
           host_.files.openExclusive(path) == UseTest::InUse) {
        if (host_.restart.isNtFamily()) {
            std::string name = inUseAsideName(
                path, [this](const std::string& n) { return host_.files.fileExists(n); });
            if (host_.files.moveFile(path, name)) {
                aside = name;
                break;
            }
        } else if (settings.options & kOptionReplaceAtRestart) {
            writeTo = host_.files.newReplacementFile();
            atRestart = true;
            break;
        }
        if (!host_.view.askRetryCancel(formatText(text(LanguageEntry::FileInUse), {path}))) {
            leaveAsItWas();
            return FileOutcome::Skipped;
        }
    }

    // What was there is kept until the installation completes, so that an abort puts
    // it back: the moved-aside file, the backup copy, or a copy of its own.
    const std::size_t keptMark = originals_.kept().size();
    if (existed) {
        bool keptForRollback = true;
        // The backup copy is this run's too: a rollback takes it back (before the
        // moved-aside file, which may be in use, goes back over it).
        if (!aside.empty())
            originals_.keep(path, aside, KeptAs::MovedAside, oldAttributes);
        if (backup)
            originals_.keep(path, backup->backupCopy, KeptAs::Backup, oldAttributes);
        // The file waiting for the restart is recorded, and the rollback's removal
        // takes it: a copy brings it back afterwards.
        if (atRestart)
            keptForRollback =
                originals_.keepCopy(host_, path, KeptAs::CopyOfPendingTarget, oldAttributes);
        else if (aside.empty() && !backup)
            keptForRollback =
                originals_.keepCopy(host_, path, KeptAs::TemporaryCopy, oldAttributes);
        if (!keptForRollback) {
            originals_.forgetSince(host_, keptMark);
            if (atRestart)
                host_.files.deleteFile(writeTo);
            if (!aside.empty())
                host_.files.moveFile(aside, path);
            leaveAsItWas();
            return skipUnwritten(path, existed);
        }
    }

    // The data goes to a new file beside the target and takes the target's place
    // only when it is whole: a damaged member, a full disk or a volume that cannot
    // be read leaves the file that was there as it was.
    // In a directory this run made, a file by the name beside the target can only be
    // a part file of this run's, which may go: the name is taken without a look
    // (under Wine each look for a name that is not there reads the whole directory).
    // A target this run has not placed there yet protects nothing, so its data goes
    // straight to it, saving the move; a part of it goes as a part file would.
    const bool straight = madeHere && !existed && !atRestart;
    if (straight)
        writeTo = path;
    else if (!atRestart)
        writeTo = madeHere ? path + ".vxnew0" : besideName(path, [this](const std::string& n) {
            return host_.files.fileExists(n);
        });
    PartialFile partial(host_, writeTo);
    NewFileMarks stamp;
    if (file.created.set)
        stamp.created = file.created.value;
    if (file.lastWritten.set)
        stamp.lastWritten = file.lastWritten.value;
    stamp.attributes =
        (oldAttributes & kAttributeSystem) |
        (file.attributes & (kAttributeReadOnly | kAttributeHidden | kAttributeArchive));
    // A replacement at the restart stays where it is written until then.
    bool written = host_.files.placeFileData(index, file, writeTo,
                                             atRestart || straight ? std::string() : path, stamp);
    if (!written) {
        if (!aside.empty())
            host_.files.moveFile(aside, path);  // back in its place rather than lost at the restart
        originals_.forgetSince(host_, keptMark);
        leaveAsItWas();
        return skipUnwritten(path, existed);
    }
    partial.release();
    if (madeHere && !atRestart)
        placedInMadeDirectories_.insert(upperCased(path));

    // A file that was there before is the user's; the uninstaller leaves it.
    if (!shared && !(file.options & kFileNoLog) && (!existed || atRestart))
        log_.recordFile(path);
    // The uninstaller puts the backup back only over the file as this run left it:
    // the line carries the time that file really has.
    if (backup)
        steps.recordBackup(*backup, file.versionHigh, file.versionLow,
                           atRestart
                               ? file.lastWritten.value
                               : host_.files.lastWriteTime(path).value_or(file.lastWritten.value));

    if (atRestart)
        result.pendingReplacements.push_back({path, writeTo});
    if (!aside.empty())
        host_.restart.deleteAtRestart(aside);
    if ((file.options & kFileRegisterActiveX) &&
        host_.shell.registerServer(path) != ServerRegistration::Registered)
        ++result.activeXFailures;
    if (!atRestart) {
        if (endsWithIgnoringCase(path, "MP3"))
            mp3Files_.push_back(path);
        else if (endsWithIgnoringCase(path, "JPG"))
            jpegFiles_.push_back(path);
    }
    return FileOutcome::Installed;
}

InstallRun::FileOutcome InstallRun::skipUnwritten(const std::string& path, bool existed) {
    host_.view.showMessage(
        existed ? "Couldn't write " + path + " - the file that was there is kept, skipping file"
                : "Couldn't write " + path + " - skipping file",
        MessageIcon::Error);
    return FileOutcome::Skipped;
}

bool InstallRun::overwriteAllowed(const std::string& path, const PackagedFile& file) {
    VersionInfo existing = host_.files.versionInfo(path);
    OverwriteFacts facts;
    facts.mode = package_.script.settings.overwriteMode;
    facts.path = path;
    facts.existing = {existing.versionHigh, existing.versionLow};
    facts.packaged = {file.versionHigh, file.versionLow};
    facts.existingLanguage = existing.language;
    facts.packagedLanguage = file.language;
    if (existing.language != 0 && file.language != 0) {
        facts.existingLanguageName = host_.files.languageName(existing.language);
        facts.packagedLanguageName = host_.files.languageName(file.language);
    }
    facts.existingDescription = existing.description;
    facts.setupTime = host_.files.ownLastWriteTime();
    facts.packagedTime = file.lastWritten.value;
    return decideOverwrite(facts, package_.texts, [this](const std::string& question) {
        return host_.view.askYesNo(question);
    });
}

// ---------------------------------------------------------------- MP3 and JPEG

InstallRun::Placed InstallRun::placeConverted(
    const std::string& target, const std::function<bool(const std::string&)>& convert) {
    std::string writeTo =
        besideName(target, [this](const std::string& n) { return host_.files.fileExists(n); });
    PartialFile partial(host_, writeTo);
    if (!convert(writeTo))
        return Placed::Failed;
    const bool existed = host_.files.fileExists(target);
    const std::size_t keptMark = originals_.kept().size();
    std::uint32_t oldAttributes = 0;
    if (existed) {
        oldAttributes = host_.files.attributes(target).value_or(0);
        if (!originals_.keepCopy(host_, target, KeptAs::TemporaryCopy, oldAttributes)) {
            skipUnwritten(target, true);
            return Placed::Kept;
        }
        host_.files.setAttributes(target, oldAttributes & ~kAttributeReadOnly);
    }
    if (!host_.files.moveOver(writeTo, target)) {
        originals_.forgetSince(host_, keptMark);
        if (existed)
            host_.files.setAttributes(target, oldAttributes);
        skipUnwritten(target, existed);
        return Placed::Kept;
    }
    partial.release();
    // A file that was there before is the user's; the uninstaller leaves it.
    if (!existed)
        log_.recordFile(target);
    return Placed::Done;
}

bool InstallRun::decodeMp3Files() {
    if (mp3Files_.empty())
        return true;
    if (!host_.converters.mp3Init()) {
        host_.view.showMessage(text(LanguageEntry::Mp3InitFailed), MessageIcon::Error);
        return false;
    }
    InstallSteps steps(host_, log_);
    for (std::size_t i = 0; i < mp3Files_.size(); ++i) {
        const std::string& file = mp3Files_[i];
        host_.view.setStatus(text(LanguageEntry::Converting) + file);
        std::string stem = file.substr(0, file.size() >= 4 ? file.size() - 4 : 0);
        Placed placed = placeConverted(stem + ".wav", [&](const std::string& wav) {
            if (!host_.converters.mp3SetOutput(wav)) {
                host_.view.showMessage(text(LanguageEntry::Mp3OutputFailed), MessageIcon::Error);
                return false;
            }
            if (!host_.converters.mp3Open(stem + ".mp3")) {
                host_.view.showMessage(text(LanguageEntry::Mp3OpenFailed), MessageIcon::Error);
                return false;
            }
            host_.converters.mp3PlayToEnd();
            host_.converters.mp3Stop();
            return true;
        });
        if (placed == Placed::Failed)
            return false;
        if (placed == Placed::Done)
            steps.removeFile(stem + ".mp3");
        showProgress(kFilesShare, kDecodedShare, i + 1, mp3Files_.size());
    }
    return true;
}

bool InstallRun::convertJpegFiles() {
    InstallSteps steps(host_, log_);
    for (std::size_t i = 0; i < jpegFiles_.size(); ++i) {
        const std::string& file = jpegFiles_[i];
        host_.view.setStatus(text(LanguageEntry::Converting) + file);
        Placed placed =
            placeConverted(file.substr(0, file.size() - 3) + "BMP", [&](const std::string& bitmap) {
                if (host_.converters.convertJpeg(file, bitmap))
                    return true;
                host_.view.showMessage("Couldn't convert the picture " + file + ".",
                                       MessageIcon::Error);
                return false;
            });
        if (placed == Placed::Failed)
            return false;
        if (placed == Placed::Done)
            steps.removeFile(file);
        showProgress(kDecodedShare, kConvertedShare, i + 1, jpegFiles_.size());
    }
    return true;
}

// ---------------------------------------------------------------- registry

bool InstallRun::writeRegistry() {
    status(text(LanguageEntry::WritingRegistry));
    const RegistryItems& items = package_.script.registry;
    keysTotal_ = keysDone_ = 0;
    registryFailures_ = 0;
    for (const RegistryItemKey& root : items)
        keysTotal_ += countKeys(root);
    for (int r = 0; r < kRootCount; ++r) {
        auto root = static_cast<RegistryRoot>(r);
        writeRegistryKey(items[r], host_.registry.rootKey(root), log_.registry().root(root),
                         {root, ""});
    }
    if (registryFailures_ > 0) {
        host_.view.showMessage(text(LanguageEntry::RegistryFailed), MessageIcon::Error);
        return false;
    }
    return true;
}

void InstallRun::writeRegistryKey(const RegistryItemKey& item, KeyHandle key,
                                  RegistryKeyNode& logged, const KeyPlace& place) {
    for (const RegistryItemValue& value : item.values) {
        if (!expander_.holds(value.condition))
            continue;
        std::string name = expander_.expand(value.name);
        std::optional<RegistryData> data =
            convertRegistryData(value.type, expander_.expand(value.data));
        // A value that was there goes back if the installation is undone.
        if (std::optional<RegistryValue> old = host_.registry.value(key, name))
            originals_.keepValue({place.root, place.path, name, std::move(*old)});
        bool ok = data && host_.registry.setValue(key, name, data->type, data->bytes);
        logged.addValue(name, ok ? kValueWritten : kValueKept);
        if (!ok)
            ++registryFailures_;
    }
    for (const RegistryItemKey& subkey : item.subkeys) {
        // A subkey's name may hold several components; each is made and logged on its own.
        std::vector<KeyHandle> opened;
        RegistryKeyNode* node = &logged;
        KeyHandle current = key;
        KeyPlace below = place;
        bool ok = true;
        for (const std::string& part : pathComponents(expander_.expand(subkey.name))) {
            below.path += (below.path.empty() ? "" : "\\") + part;
            KeyHandle next = 0;
            KeyCreate made = createWithFallback(host_, current, part, next);
            if (made != KeyCreate::Created && made != KeyCreate::Opened) {
                ok = false;
                break;
            }
            opened.push_back(next);
            node = &node->subkey(part, made == KeyCreate::Created ? kKeyCreated : kKeyExisted);
            current = next;
        }
        if (ok)
            writeRegistryKey(subkey, current, *node, below);
        else
            ++registryFailures_;
        for (auto it = opened.rbegin(); it != opened.rend(); ++it)
            host_.registry.closeKey(*it);
        showProgress(kConvertedShare, kRegistryShare, ++keysDone_, keysTotal_);
    }
}

// ---------------------------------------------------------------- INI, text files, shortcuts

void InstallRun::writeIniEntries() {
    status(text(LanguageEntry::WritingIni));
    bool failed = false;
    for (const IniItem& item : package_.script.iniItems) {
        if (!expander_.holds(item.condition))
            continue;
        std::string keyAndValue = expander_.expand(item.keyAndValue);
        std::size_t equals = keyAndValue.find('=');
        if (equals == std::string::npos)
            continue;
        // A bare or relative name would land wherever the profile functions put it.
        std::string file = expander_.expand(item.file);
        if (!isPlainLocalPath(file)) {
            host_.view.showMessage(notLocalPathMessage(file), MessageIcon::Error);
            continue;
        }
        if (!host_.shell.writeProfileString(file, expander_.expand(item.section),
                                            keyAndValue.substr(0, equals),
                                            keyAndValue.substr(equals + 1)))
            failed = true;
    }
    host_.shell.flushProfiles();
    if (failed)
        host_.view.showMessage(text(LanguageEntry::IniFailed), MessageIcon::Warning);
}

void InstallRun::editTextFiles() {
    status(text(LanguageEntry::EditingTextFiles));
    InstallSteps steps(host_, log_);
    for (const TextEditItem& item : package_.script.textEdits) {
        if (!expander_.holds(item.condition))
            continue;
        std::string file = expander_.expand(item.file);
        if (!isPlainLocalPath(file)) {
            host_.view.showMessage(notLocalPathMessage(file), MessageIcon::Error);
            continue;
        }
        std::string directory = directoryOf(file);
        if (directory.size() >= 4)
            steps.createDirectories(directory, true);
        std::optional<std::string> existing = host_.files.readFile(file);
        // A file that is there but cannot be read is never replaced by a new one.
        if (!existing && host_.files.fileExists(file))
            continue;
        std::optional<std::string> edited = applyTextEdit(
            item.mode, existing, expander_.expand(item.anchor), expander_.expand(item.text));
        if (edited)
            host_.files.writeFile(file, *edited);
    }
}

void InstallRun::makeShortcuts(InstallResult& result) {
    status(text(LanguageEntry::MakingShortcuts));
    InstallSteps steps(host_, log_);
    bool failed = false;
    for (const ShortcutItem& item : package_.script.shortcuts) {
        if (!expander_.holds(item.condition))
            continue;
        ShortcutSpec shortcut;
        shortcut.target = expander_.expand(item.target);
        if (!host_.files.fileExists(shortcut.target) &&
            !host_.files.directoryExists(shortcut.target))
            continue;
        shortcut.file = expander_.expand(item.shortcutFile);
        if (!isPlainLocalPath(shortcut.file)) {
            host_.view.showMessage(notLocalPathMessage(shortcut.file), MessageIcon::Error);
            continue;
        }
        shortcut.arguments = expander_.expand(item.arguments);
        shortcut.workingDirectory = expander_.expand(item.workingDirectory);
        if (!item.icon.empty()) {
            IconField icon = splitIconField(expander_.expand(item.icon));
            shortcut.iconFile = icon.file;
            shortcut.iconIndex = icon.index;
        }
        // The program folder is usually new: it is made (and recorded) first.
        std::string folder = directoryOf(shortcut.file);
        if (folder.size() >= 4)
            steps.createDirectories(folder, true);
        if (host_.shell.createShortcut(shortcut)) {
            log_.recordFile(shortcut.file);
            result.shortcutsMade = true;
        } else {
            failed = true;
        }
    }
    if (failed)
        host_.view.showMessage(text(LanguageEntry::ShortcutFailed), MessageIcon::Warning);
}

bool InstallRun::makeUninstallShortcut() {
    uninstallShortcutDone_ = true;
    ShortcutSpec shortcut;
    shortcut.file = joinPath(choices_.shortcutFolder,
                             uninstallShortcutName(package_.script.settings.productName));
    if (!isPlainLocalPath(shortcut.file)) {
        host_.view.showMessage(notLocalPathMessage(shortcut.file), MessageIcon::Error);
        return false;
    }
    if (host_.files.fileExists(shortcut.file))
        return true;
    shortcut.target = uninstallerFile();
    shortcut.iconFile = shortcut.target;
    std::string folder = directoryOf(shortcut.file);
    if (folder.size() >= 4)
        InstallSteps(host_, log_).createDirectories(folder, true);
    log_.recordFile(shortcut.file);
    return host_.shell.createShortcut(shortcut);
}

// ---------------------------------------------------------------- the uninstaller

bool InstallRun::writeUninstaller() {
    const PackageSettings& settings = package_.script.settings;
    const bool update = settings.options & kOptionUpdate;
    if (!(settings.options & kOptionCreateUninstaller) && !update)
        return true;
    std::string path = uninstallerFile();
    // An update, and a reinstall over an installed uninstaller, merge their records
    // into its log when they complete, so that an abort before then still undoes
    // all of it; whether the log can take them is known now. A log carried out
    // already is replaced below.
    if (host_.files.fileExists(path) && !logCarriedOut(path)) {
        LogContext merged = log_;
        return mergedLog(path, merged).has_value();
    }
    // An update that finds no uninstaller writes none.
    if (update)
        return true;

    auto fail = [&] {
        InstallSteps(host_, log_).removeFile(path);
        host_.view.showMessage(text(LanguageEntry::UninstallerFailed), MessageIcon::Error);
        return false;
    };
    if (!host_.files.copyFile(log_.extractedUninstaller, path))
        return fail();
    std::optional<std::string> image = host_.files.readFile(path);
    if (!image || image->empty())
        return fail();
    if ((settings.options & kOptionUninstallShortcut) && !uninstallShortcutDone_)
        makeUninstallShortcut();
    // Built from a copy, so that the records stay for the rollback if the write fails.
    LogContext written = log_;
    std::string plain =
        written.buildText(settings.productName, expander_.expand(settings.preUninstallProgram));
    if (!host_.files.writeFile(path, withLog(*image, plain, draw_)))
        return fail();
    log_ = std::move(written);
    log_.uninstallerWritten = true;
    // The extracted copy goes only now: a rollback before this point still needs it.
    host_.files.deleteFile(log_.extractedUninstaller);
    cancelDeletionAtRestart(path);
    return true;
}

bool InstallRun::logCarriedOut(const std::string& path) {
    return deletionPendingAtRestart(host_.restart, host_.registry, path);
}

bool InstallRun::complete() {
    completed_ = true;
    return mergeLog();
}

bool InstallRun::mergeLog() {
    // Only a log this run wrote takes its records before it completes.
    if (!log_.uninstallerWritten && !completed_)
        return true;
    std::string path = uninstallerFile();
    // Without an uninstaller there is nothing for its shortcut to point to, and
    // an uninstaller waiting for the restart to delete itself has done its work:
    // what its log lists is gone, and would be counted down or deleted twice.
    if (!host_.files.fileExists(path) || logCarriedOut(path))
        return true;
    if ((package_.script.settings.options & kOptionUninstallShortcut) && !uninstallShortcutDone_)
        makeUninstallShortcut();
    LogContext merged = log_;
    std::optional<std::string> bytes = mergedLog(path, merged);
    if (!bytes)
        return false;
    if (!host_.files.writeFile(path, *bytes)) {
        host_.view.showMessage(text(LanguageEntry::UninstallerFailed), MessageIcon::Error);
        return false;
    }
    log_ = std::move(merged);
    return true;
}

// An uninstaller whose log cannot be read could never remove what this run did:
// the run fails, its records kept for the rollback, and the old log is left
// untouched.
std::optional<std::string> InstallRun::mergedLog(const std::string& path, LogContext& merged) {
    std::optional<std::string> file = host_.files.readFile(path);
    std::optional<std::string> bytes =
        file ? mergeIntoUninstaller(*file, merged, draw_) : std::nullopt;
    if (!bytes)
        host_.view.showMessage(text(LanguageEntry::UninstallerFailed), MessageIcon::Error);
    return bytes;
}

void InstallRun::cancelDeletionAtRestart(const std::string& path) {
    vortix::cancelDeletionAtRestart(host_, path);
}

void cancelDeletionAtRestart(InstallHost& host, const std::string& path) {
    vortix::cancelDeletionAtRestart(host.restart, host.registry, path);
}

void handOverPendingReplacements(InstallHost& host,
                                 const std::vector<PendingReplacement>& replacements) {
    for (const PendingReplacement& replacement : replacements)
        replaceAtRestartOrByWininit(host.restart, replacement.temporary, replacement.target);
}

}  // namespace vortix
