#include "tools/vxlog/log_printer.h"

#include <ostream>

#include "platform/whole_file.h"

namespace vortix {
namespace {

// Larger than any uninstaller with its log.
constexpr std::size_t kMaxUninstallerSize = 256u << 20;

// A text from the log as it may reach a terminal: control bytes (and the five bytes
// Windows-1252 leaves undefined) become \xHH, so a hostile log cannot move the
// cursor, retitle the window or clear the screen. Letters, Windows-1252 ones
// included, and backslashes in paths are left as they are.
std::string shown(std::string_view text) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        bool control = byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D ||
                       byte == 0x8F || byte == 0x90 || byte == 0x9D;
        if (!control) {
            out += c;
            continue;
        }
        out += "\\x";
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0xF];
    }
    return out;
}

std::string_view keyFlagText(std::uint32_t flag) {
    switch (flag) {
        case kKeyExisted: return "existed, kept";
        case kKeyCreated: return "created, deleted when empty";
        case kKeyRecorded: return "recorded by plug-in, deleted when empty";
    }
    return "unknown flag, deleted when empty";
}

void printNode(const RegistryKeyNode& node, int depth, std::ostream& out) {
    std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    for (const RegistryValueRecord& value : node.values)
        out << indent << "value \"" << shown(value.name) << "\" ("
            << (value.flag == kValueKept ? "kept" : "deleted") << ")\n";
    for (const RegistryKeyNode& subkey : node.subkeys) {
        out << indent << shown(subkey.name) << "\\  [" << keyFlagText(subkey.flag) << "]\n";
        printNode(subkey, depth + 1, out);
    }
}

void printList(std::string_view title, const std::vector<std::string>& lines, std::ostream& out) {
    out << title << " (" << lines.size() << ")\n";
    for (const std::string& line : lines)
        out << "  " << shown(line) << "\n";
}

}  // namespace

void printLog(const UninstallLog& log, std::ostream& out) {
    out << "Product: " << shown(log.productName) << "\n";
    out << "Format: " << shown(log.formatTag) << "\n";
    out << "Program run first: "
        << (log.runsPreUninstallProgram() ? shown(log.preUninstallProgram) : std::string("(none)"))
        << "\n";
    printList("Shared files", log.shared, out);
    out << "Backups (" << log.backupLines.size() << ")\n";
    for (const std::string& line : log.backupLines) {
        if (std::optional<BackupRecord> backup = BackupRecord::parse(line))
            out << "  " << shown(backup->filePath) << " <- " << shown(backup->backupCopy)
                << "  version " << backup->versionHigh << "." << backup->versionLow << "  time "
                << backup->timeHigh << "." << backup->timeLow << "\n";
        else
            out << "  (not a backup line) " << shown(line) << "\n";
    }
    printList("Files", log.files, out);
    printList("Directories", log.directories, out);
    if (!log.hasRegistry) {
        out << "Registry: none\n";
        return;
    }
    out << "Registry\n";
    for (int r = 0; r < kRootCount; ++r) {
        out << "  " << kRootNames[r] << "\n";
        printNode(log.registry.roots[r], 2, out);
    }
}

int runLogTool(const std::vector<std::string>& args, platform::FileSystem& fs, std::ostream& out,
               std::ostream& err) {
    if (args.size() != 2 || args[0] != "show") {
        err << "usage: vxlog show FILE\n";
        return 2;
    }
    const std::string& path = args[1];
    platform::FileBytes file;
    switch (platform::readWholeFile(fs, path, kMaxUninstallerSize, file)) {
        case platform::ReadOutcome::Ok: break;
        case platform::ReadOutcome::CannotOpen:
            err << "vxlog: " << path << ": cannot be opened\n";
            return 2;
        case platform::ReadOutcome::TooLarge: err << "vxlog: " << path << ": too large\n"; return 2;
        case platform::ReadOutcome::ReadFailed:
            err << "vxlog: " << path << ": reading failed\n";
            return 2;
    }
    auto read = readUninstallLog(file.view());
    if (const LogError* error = std::get_if<LogError>(&read)) {
        err << "vxlog: " << path << ": " << messageFor(*error) << "\n";
        return 1;
    }
    printLog(std::get<UninstallLog>(read), out);
    return 0;
}

}  // namespace vortix
