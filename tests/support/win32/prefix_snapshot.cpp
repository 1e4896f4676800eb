#include "tests/support/win32/prefix_snapshot.h"

#include <cstdint>
#include <cstdio>

namespace testing_support {
namespace {

std::string upper(std::string text) {
    CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool skipped(const std::string& path, const std::vector<std::string>& skip) {
    std::string key = upper(path);
    for (const std::string& prefix : skip)
        if (key.compare(0, prefix.size(), upper(prefix)) == 0)
            return true;
    return false;
}

std::string fileHash(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "unreadable";
    std::uint64_t hash = 1469598103934665603ull, size = 0;  // FNV-1a
    static char buffer[1 << 16];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        for (DWORD i = 0; i < got; ++i)
            hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
        size += got;
    }
    CloseHandle(h);
    char text[64];
    std::snprintf(text, sizeof text, "%llu:%016llx", static_cast<unsigned long long>(size),
                  static_cast<unsigned long long>(hash));
    return text;
}

// The hash of every file seen, with the size and time of writing it had then. Most
// of the prefix is Wine's own and never changes between the pictures of one test
// program, so a file whose size and time are as they were is not read again: only
// what changed costs a read. (A writer that puts back the old time on new bytes of
// the same size would go unseen; nothing under test does that.)
struct Seen {
    std::uint64_t size = 0, written = 0;
    std::string hash;
};
std::map<std::string, Seen>& seenFiles() {
    static std::map<std::string, Seen> seen;
    return seen;
}

std::string cachedHash(const std::string& path, const std::string& key,
                       const WIN32_FIND_DATAA& found) {
    const std::uint64_t size =
        (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    const std::uint64_t written =
        (static_cast<std::uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
        found.ftLastWriteTime.dwLowDateTime;
    Seen& seen = seenFiles()[key];
    if (seen.hash.empty() || seen.size != size || seen.written != written ||
        seen.hash == "unreadable")
        seen = {size, written, fileHash(path)};
    return seen.hash;
}

void walkFiles(const std::string& directory, const std::vector<std::string>& skip,
               PrefixSnapshot& out) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = directory + "\\" + name;
        if (skipped(path, skip))
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.entries[upper(path) + "\\"] = "directory";
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                walkFiles(path, skip, out);
        } else {
            std::string key = upper(path);
            out.entries[key] = cachedHash(path, key, found) +
                               (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY ? " ro" : "");
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void walkKey(HKEY key, const std::string& path, const std::vector<std::string>& skip,
             PrefixSnapshot& out) {
    if (skipped(path, skip))
        return;
    out.entries[upper(path)] = "";
    char name[16384];
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name, type = 0, dataLength = static_cast<DWORD>(data.size());
        LONG result =
            RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data.data(), &dataLength);
        if (result == ERROR_MORE_DATA) {
            data.resize(dataLength + 1);
            --i;
            continue;
        }
        if (result != ERROR_SUCCESS)
            break;
        std::string valuePath = path + "\\\\" + name;
        if (skipped(valuePath, skip))
            continue;
        std::string text = std::to_string(type) + ":";
        for (DWORD b = 0; b < dataLength; ++b) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02x", data[b]);
            text += hex;
        }
        out.entries[upper(valuePath)] = text;
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY subkey = nullptr;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &subkey) == ERROR_SUCCESS) {
            walkKey(subkey, path + "\\" + name, skip, out);
            RegCloseKey(subkey);
        }
    }
}

}  // namespace

PrefixSnapshot takeSnapshot(const std::vector<std::string>& skip) {
    PrefixSnapshot snapshot;
    walkFiles("C:", skip, snapshot);
    walkKey(HKEY_LOCAL_MACHINE, "HKLM", skip, snapshot);
    walkKey(HKEY_CURRENT_USER, "HKCU", skip, snapshot);
    return snapshot;
}

std::vector<std::string> differences(const PrefixSnapshot& before, const PrefixSnapshot& after) {
    std::vector<std::string> lines;
    for (const auto& [path, value] : before.entries) {
        auto found = after.entries.find(path);
        if (found == after.entries.end())
            lines.push_back("- " + path);
        else if (found->second != value)
            lines.push_back("* " + path + " (" + value + " -> " + found->second + ")");
    }
    for (const auto& [path, value] : after.entries)
        if (!before.entries.count(path))
            lines.push_back("+ " + path + " " + value.substr(0, 80));
    return lines;
}

}  // namespace testing_support
