#include "installer/setup/actions/windows_path.h"

namespace vortix {

std::string collapseDoubleBackslashes(std::string_view path) {
    std::string out;
    for (std::size_t i = 0; i < path.size(); ++i) {
        out.push_back(path[i]);
        if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\')
            ++i;
    }
    return out;
}

std::string directoryOf(std::string_view path) {
    std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

std::string fileNameOf(std::string_view path) {
    std::size_t slash = path.rfind('\\');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string joinPath(std::string_view directory, std::string_view name) {
    std::string out(directory);
    if (out.empty() || out.back() != '\\')
        out.push_back('\\');
    return out.append(name);
}

}  // namespace vortix
