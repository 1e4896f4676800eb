#include "installer/common/local_path.h"

namespace vortix {

bool isPlainLocalPath(std::string_view path) {
    if (path.size() < 4)
        return false;  // at least "C:\x"
    char drive = path[0];
    bool letter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
    if (!letter || path[1] != ':' || path[2] != '\\')
        return false;
    std::string_view rest = path.substr(3);
    bool hasName = false;
    while (!rest.empty()) {
        std::size_t slash = rest.find_first_of("\\/");
        std::string_view part = rest.substr(0, slash);
        if (part == ".." || part == ".")
            return false;
        if (part.find_first_of(":*?\"<>|") != std::string_view::npos)
            return false;
        for (char c : part)
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
        if (!part.empty())
            hasName = true;
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    return hasName;
}

}  // namespace vortix
