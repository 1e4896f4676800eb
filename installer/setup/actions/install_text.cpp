#include "installer/setup/actions/install_text.h"

#include "installer/common/text_fold.h"
#include "installer/setup/actions/windows_path.h"

namespace vortix {

std::string entry(const std::vector<std::string>& texts, std::size_t k) {
    return k < texts.size() ? texts[k] : std::string();
}

std::string entry(const std::vector<std::string>& texts, LanguageEntry k) {
    return entry(texts, indexOf(k));
}

std::string formatText(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == 's' || pattern[i + 1] == 'd') {
                if (next != args.end())
                    out.append(*next++);
                ++i;
                continue;
            }
            if (pattern[i + 1] == '%') {
                out.push_back('%');
                ++i;
                continue;
            }
        }
        out.push_back(pattern[i]);
    }
    return out;
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           equalsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

IconField splitIconField(std::string_view field) {
    IconField icon;
    std::size_t comma = field.rfind(',');
    if (comma == std::string_view::npos) {
        icon.file = std::string(field);
        return icon;
    }
    icon.file = std::string(field.substr(0, comma));
    if (comma + 1 < field.size() && field[comma + 1] >= '0' && field[comma + 1] <= '9')
        icon.index = field[comma + 1] - '0';
    return icon;
}

std::string inUseAsideName(const std::string& path,
                           const std::function<bool(const std::string&)>& taken) {
    for (std::uint32_t n = 0;; ++n) {
        std::string name = path + ".delete_on_reboot" + std::to_string(n);
        if (!taken(name))
            return name;
    }
}

std::string notLocalPathMessage(std::string_view path) {
    return "Couldn't install " + std::string(path) +
           ": the target is not a plain path on a local drive - skipping file";
}

std::string besideName(const std::string& path,
                       const std::function<bool(const std::string&)>& taken) {
    for (std::uint32_t n = 0;; ++n) {
        std::string name = path + ".vxnew" + std::to_string(n);
        if (!taken(name))
            return name;
    }
}

std::string backupCopyName(std::string_view folder, std::string_view name,
                           const std::function<bool(const std::string&)>& taken) {
    std::string first = joinPath(folder, name);
    if (!taken(first))
        return first;
    std::size_t dot = name.rfind('.');
    if (dot == 0)
        dot = std::string_view::npos;  // ".profile" is all name
    std::string_view stem = name.substr(0, dot);
    std::string_view extension = dot == std::string_view::npos ? "" : name.substr(dot);
    for (std::uint32_t n = 2;; ++n) {
        std::string path = joinPath(
            folder, std::string(stem) + " (" + std::to_string(n) + ")" + std::string(extension));
        if (!taken(path))
            return path;
    }
}

std::string scratchFileName(std::string_view directory, std::uint32_t number) {
    return joinPath(directory, std::to_string(number) + ".tmp");
}

}  // namespace vortix
