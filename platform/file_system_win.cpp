// Win32 implementation of the file table. Paths are 8-bit text in the system code page.
#include <windows.h>

#include "platform/file_system.h"

#include <vector>

namespace platform {
namespace {

class Win32File final : public File {
public:
    explicit Win32File(HANDLE handle) : handle_(handle) {}
    ~Win32File() override {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }

    bool read(char* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        while (got < size) {
            DWORD chunk = static_cast<DWORD>(size - got > 0x40000000 ? 0x40000000 : size - got);
            DWORD n = 0;
            if (!ReadFile(handle_, buffer + got, chunk, &n, nullptr))
                return false;
            if (n == 0)
                break;
            got += n;
        }
        return true;
    }

    bool write(const char* data, std::size_t size) override {
        while (size > 0) {
            DWORD chunk = static_cast<DWORD>(size > 0x40000000 ? 0x40000000 : size);
            DWORD n = 0;
            if (!WriteFile(handle_, data, chunk, &n, nullptr) || n == 0)
                return false;
            data += n;
            size -= n;
        }
        return true;
    }

    bool sync() override { return FlushFileBuffers(handle_) != 0; }

    bool size(std::uint64_t& bytes) override {
        LARGE_INTEGER li;
        if (!GetFileSizeEx(handle_, &li))
            return false;
        bytes = static_cast<std::uint64_t>(li.QuadPart);
        return true;
    }

    bool seek(std::uint64_t offset) override {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) != 0;
    }

    bool close() override {
        HANDLE h = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(h) != 0;
    }

private:
    HANDLE handle_;
};

class Win32FileSystem final : public FileSystem {
public:
    std::unique_ptr<File> open(const std::string& path, OpenMode mode) override {
        DWORD access = GENERIC_READ, disposition = OPEN_EXISTING, share = FILE_SHARE_READ;
        switch (mode) {
            case OpenMode::Read: break;
            case OpenMode::CreateNew:
                access = GENERIC_WRITE;
                disposition = CREATE_NEW;
                share = 0;
                break;
            case OpenMode::Append:
                access = FILE_APPEND_DATA;
                disposition = OPEN_ALWAYS;
                share = 0;
                break;
        }
        HANDLE h = CreateFileA(path.c_str(), access, share, nullptr, disposition,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return nullptr;
        return std::make_unique<Win32File>(h);
    }

    bool replace(const std::string& from, const std::string& to) override {
        return MoveFileExA(from.c_str(), to.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }

    bool remove(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }

    bool makeFolder(const std::string& path) override {
        if (CreateDirectoryA(path.c_str(), nullptr))
            return true;
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool copyAccess(const std::string& from, const std::string& to) override {
        // A file moved over another keeps its own descriptor, not the one it replaces.
        DWORD needed = 0;
        GetFileSecurityA(from.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
        if (needed == 0) {
            DWORD error = GetLastError();
            // No file, or a file system without access control lists: nothing to keep.
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                   error == ERROR_NOT_SUPPORTED || error == ERROR_CALL_NOT_IMPLEMENTED;
        }
        std::vector<char> descriptor(needed);
        if (!GetFileSecurityA(from.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed,
                              &needed))
            return false;
        return SetFileSecurityA(to.c_str(), DACL_SECURITY_INFORMATION, descriptor.data()) != 0;
    }

    bool status(const std::string& path, PathStatus& out) override {
        out = PathStatus{};
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        }
        out.exists = true;
        out.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
        return true;
    }
};

}  // namespace

FileSystem& systemFileSystem() {
    static Win32FileSystem instance;
    return instance;
}

}  // namespace platform
