#include "installer/setup/wizard/program_folder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "installer/common/local_path.h"

namespace vortix {

namespace {

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

bool isDeviceName(std::string_view part) {
    // "NUL.txt" names the device as well.
    std::string base = upper(part.substr(0, part.find('.')));
    static const std::array<const char*, 4> kFixed = {"CON", "PRN", "AUX", "NUL"};
    for (const char* name : kFixed)
        if (base == name)
            return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

bool validPart(std::string_view part) {
    if (part.empty() || part == "." || part == "..")
        return false;
    for (char c : part)
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("/:*?\"<>|").find(c) != std::string_view::npos)
            return false;
    if (part.back() == '.' || part.back() == ' ')
        return false;
    return !isDeviceName(part);
}

}  // namespace

std::string shortcutProgramsFolder(Variables& variables, const PackageSettings& settings) {
    std::optional<std::string> programs = variables.lookup(
        settings.options & kOptionAllUsersShortcuts ? "<ProgramsNt>" : "<Programs>");
    return programs.value_or("");
}

std::string trimmedProgramFolderName(std::string_view name) {
    while (!name.empty() && name.front() == ' ')
        name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\\'))
        name.remove_suffix(1);
    return std::string(name);
}

FolderNameProblem checkProgramFolderName(std::string_view typed) {
    std::string name = trimmedProgramFolderName(typed);
    std::string_view rest = name;
    while (!rest.empty() && rest.front() == '\\')
        rest.remove_prefix(1);
    if (rest.empty())
        return name.empty() ? FolderNameProblem::Empty : FolderNameProblem::Invalid;
    // A full local path keeps its drive; the folders after it are checked.
    if (isPlainLocalPath(name))
        rest = std::string_view(name).substr(3);
    while (!rest.empty()) {
        std::size_t end = rest.find('\\');
        if (!validPart(rest.substr(0, end)))
            return FolderNameProblem::Invalid;
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    return FolderNameProblem::None;
}

std::vector<std::string> listedProgramFolders(std::vector<std::string> names) {
    names.erase(
        std::remove_if(names.begin(), names.end(),
                       [](const std::string& name) { return name.empty() || name.front() == '.'; }),
        names.end());
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return upper(a) < upper(b); });
    return names;
}

}  // namespace vortix
