// POSIX implementation of the file table, for the native build.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_system.h"

namespace platform {
namespace {

class PosixFile final : public File {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override {
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool read(char* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        while (got < size) {
            ssize_t n = ::read(fd_, buffer + got, size - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return false;
            if (n == 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        return true;
    }

    bool write(const char* data, std::size_t size) override {
        while (size > 0) {
            ssize_t n = ::write(fd_, data, size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

    bool sync() override { return ::fsync(fd_) == 0; }

    bool size(std::uint64_t& bytes) override {
        struct stat st;
        if (::fstat(fd_, &st) != 0)
            return false;
        bytes = static_cast<std::uint64_t>(st.st_size);
        return true;
    }

    bool seek(std::uint64_t offset) override {
        return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) != static_cast<off_t>(-1);
    }

    bool close() override {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

class PosixFileSystem final : public FileSystem {
public:
    std::unique_ptr<File> open(const std::string& path, OpenMode mode) override {
        int flags = O_CLOEXEC;
        switch (mode) {
            case OpenMode::Read: flags |= O_RDONLY; break;
            case OpenMode::CreateNew: flags |= O_WRONLY | O_CREAT | O_EXCL; break;
            case OpenMode::Append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
        }
        int fd = ::open(path.c_str(), flags, 0644);
        if (fd < 0)
            return nullptr;
        return std::make_unique<PosixFile>(fd);
    }

    bool replace(const std::string& from, const std::string& to) override {
        if (std::rename(from.c_str(), to.c_str()) != 0)
            return false;
        // Make the new directory entry durable as well.
        std::string dir =
            to.substr(0, to.find_last_of('/') == std::string::npos ? 0 : to.find_last_of('/'));
        int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
        return true;
    }

    bool remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

    bool makeFolder(const std::string& path) override {
        struct stat info;
        return ::mkdir(path.c_str(), 0777) == 0 ||
               (errno == EEXIST && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
    }

    bool copyAccess(const std::string& from, const std::string& to) override {
        struct stat old;
        if (::stat(from.c_str(), &old) != 0)
            return errno == ENOENT || errno == ENOTDIR;
        if (::chmod(to.c_str(), old.st_mode & 07777) != 0)
            return false;
        // Only a privileged caller may give a file away; anyone else keeps it.
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::chown(to.c_str(), old.st_uid, old.st_gid) != 0 && errno != EPERM)
            return false;
        return true;
    }

    bool status(const std::string& path, PathStatus& out) override {
        struct stat st;
        out = PathStatus{};
        if (::stat(path.c_str(), &st) != 0)
            return errno == ENOENT || errno == ENOTDIR;
        out.exists = true;
        // As on Windows, a file nobody may write is read-only, whoever asks.
        out.readOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
        return true;
    }
};

}  // namespace

FileSystem& systemFileSystem() {
    static PosixFileSystem instance;
    return instance;
}

}  // namespace platform
