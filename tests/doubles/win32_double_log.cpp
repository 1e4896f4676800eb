#include <windows.h>

#include <vector>

#include "tests/doubles/double_log.h"

namespace doubles {

std::string environment(const std::string& name) {
    std::vector<char> value(32768);
    DWORD n = GetEnvironmentVariableA(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    return n > 0 && n < value.size() ? std::string(value.data(), n) : std::string();
}

void logLine(const std::string& line) {
    std::string path = environment("VX_DOUBLE_LOG");
    if (path.empty())
        return;
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string quoted(const char* text) {
    return text ? "\"" + std::string(text) + "\"" : "null";
}

bool listed(const std::string& list, const std::string& name) {
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        if (list.compare(start, end - start, name) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

}  // namespace doubles
