#include "installer/common/log_context.h"

#include <charconv>

#include "installer/common/shared_counts.h"
#include "installer/common/uninstall_log_format.h"

namespace vortix {
namespace {

void appendLastFirst(std::string& out, std::vector<std::string>& lines) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        out.append(*it).append(kLineEnd);
    lines.clear();
}

bool parseInt(std::string_view text, std::int32_t& out) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

// Where each section header stands, in order, after the header line; false when
// the header line has no end or a section is missing (as the uninstaller reads it).
bool findHeaders(std::string_view text, std::array<std::size_t, 5>& at) {
    std::size_t from = text.find(kLineEnd);
    if (from == std::string_view::npos)
        return false;
    from += kLineEnd.size();
    for (std::size_t i = 0; i < kSectionHeaders.size(); ++i) {
        at[i] = text.find(kSectionHeaders[i], from);
        if (at[i] == std::string_view::npos)
            return false;
        from = at[i] + kSectionHeaders[i].size();
    }
    return true;
}

}  // namespace

std::string BackupRecord::line() const {
    return backupCopy + "\t" + filePath + "\t" + std::to_string(versionHigh) + "\t" +
           std::to_string(versionLow) + "\t" + std::to_string(timeHigh) + "\t" +
           std::to_string(timeLow);
}

std::optional<BackupRecord> BackupRecord::parse(std::string_view line) {
    std::string_view fields[6];
    for (int i = 0; i < 6; ++i) {
        std::size_t tab = line.find('\t');
        if ((i < 5) == (tab == std::string_view::npos))
            return std::nullopt;
        fields[i] = line.substr(0, tab);
        if (tab != std::string_view::npos)
            line.remove_prefix(tab + 1);
    }
    BackupRecord record;
    record.backupCopy = std::string(fields[0]);
    record.filePath = std::string(fields[1]);
    if (!parseInt(fields[2], record.versionHigh) || !parseInt(fields[3], record.versionLow) ||
        !parseInt(fields[4], record.timeHigh) || !parseInt(fields[5], record.timeLow))
        return std::nullopt;
    return record;
}

void LogContext::recordBackup(std::string_view line) {
    if (!backups_.empty())
        backups_.append(kLineEnd);
    backups_.append(line);
}

void LogContext::recordKey(std::int32_t rootHandle, std::string_view keyPath) {
    keys_.push_back(recordedKey(rootHandle, keyPath));
}

void LogContext::recordValue(std::int32_t rootHandle, std::string_view keyPath,
                             std::string_view valueName) {
    values_.push_back(recordedValue(rootHandle, keyPath, valueName));
}

void LogContext::foldRecordsInto(RegistryLogTree& tree) {
    for (const std::string& key : keys_)
        tree.addRecordedKey(key);
    for (const std::string& value : values_)
        tree.addRecordedValue(value);
    for (const std::string& path : countsMade_)
        sharedCountsNode(tree, kKeyExisted).addValue(path, kValueWritten);
    keys_.clear();
    values_.clear();
    countsMade_.clear();
}

std::string LogContext::buildText(std::string_view productName,
                                  std::string_view preUninstallProgram) {
    std::string text;
    text.append(productName).push_back('\0');
    text.append(kFormatTag).push_back('\0');
    if (!rollback)
        text.append(preUninstallProgram);
    text.push_back('\0');
    text.append(kLineEnd);

    text.append(kSharedHeader);
    appendLastFirst(text, shared_);
    text.append(kBackupsHeader);
    if (!backups_.empty())
        text.append(backups_).append(kLineEnd);
    backups_.clear();
    text.append(kFilesHeader);
    appendLastFirst(text, files_);
    text.append(kDirectoriesHeader);
    appendLastFirst(text, directories_);
    text.append(kRegistryHeader);

    // Before the registry phase the package's own items were never written.
    if (!registryWritten)
        registry_ = RegistryLogTree();
    if (registryWritten || !keys_.empty() || !values_.empty() || !countsMade_.empty()) {
        foldRecordsInto(registry_);
        registry_.encode(text);
    }
    registry_ = RegistryLogTree();
    return text;
}

std::optional<std::string> LogContext::mergeInto(std::string_view oldText) {
    std::array<std::size_t, 5> at;
    if (!findHeaders(oldText, at))
        return std::nullopt;
    // A log the uninstaller could not read is left as it is.
    std::string_view oldTree = oldText.substr(at[4] + kRegistryHeader.size());
    std::optional<RegistryLogTree> older =
        oldTree.empty() ? RegistryLogTree() : RegistryLogTree::decode(oldTree);
    if (!older)
        return std::nullopt;

    // Each section: its header, the new lines (latest first), then the old lines.
    std::vector<std::string> backupLines;
    for (std::size_t start = 0; start < backups_.size();) {
        std::size_t end = backups_.find(kLineEnd, start);
        if (end == std::string::npos)
            end = backups_.size();
        backupLines.push_back(backups_.substr(start, end - start));
        start = end + kLineEnd.size();
    }
    std::vector<std::string>* added[4] = {&shared_, &backupLines, &files_, &directories_};
    std::string text(oldText.substr(0, at[0]));
    for (int i = 0; i < 4; ++i) {
        text.append(kSectionHeaders[i]);
        appendLastFirst(text, *added[i]);
        std::size_t bodyStart = at[i] + kSectionHeaders[i].size();
        text.append(oldText.substr(bodyStart, at[i + 1] - bodyStart));
    }
    backups_.clear();
    text.append(kRegistryHeader);

    if (hasRegistryRecords()) {
        registry_.mergeFrom(*older);
        foldRecordsInto(registry_);
        registry_.encode(text);
    } else {
        text.append(oldTree);
    }
    registry_ = RegistryLogTree();
    return text;
}

}  // namespace vortix

namespace vortix {

RollbackAction rollbackAction(bool isUpdate, bool createsUninstaller, const LogContext& context) {
    if (isUpdate || !createsUninstaller)
        return RollbackAction::RemoveRecordedFiles;
    if (context.uninstallerWritten)
        return RollbackAction::RunInstalledUninstaller;
    return RollbackAction::RunRollbackLog;
}

}  // namespace vortix
