#include "tests/support/faulty_file_system.h"

namespace testing_support {
namespace {

class FaultyFile : public platform::File {
public:
    FaultyFile(std::unique_ptr<platform::File> real, FaultyFileSystem& owner)
        : real_(std::move(real)), owner_(owner) {}

    bool read(char* buffer, std::size_t size, std::size_t& got) override {
        return !owner_.fault() && real_->read(buffer, size, got);
    }
    bool write(const char* data, std::size_t size) override {
        if (owner_.fault()) {
            // A full disk: part of the data lands before the failure.
            real_->write(data, size / 2);
            return false;
        }
        return real_->write(data, size);
    }
    bool sync() override { return !owner_.fault() && real_->sync(); }
    bool size(std::uint64_t& bytes) override { return !owner_.fault() && real_->size(bytes); }
    bool seek(std::uint64_t offset) override { return !owner_.fault() && real_->seek(offset); }
    bool close() override {
        bool failed = owner_.fault();
        return real_->close() && !failed;
    }

private:
    std::unique_ptr<platform::File> real_;
    FaultyFileSystem& owner_;
};

}  // namespace

bool FaultyFileSystem::fault() {
    if (++calls_ != faultAt_)
        return false;
    if (fault_ == Fault::Crash)
        throw SimulatedCrash();
    return true;
}

std::unique_ptr<platform::File> FaultyFileSystem::open(const std::string& path,
                                                       platform::OpenMode mode) {
    if (fault())
        return nullptr;
    std::unique_ptr<platform::File> file = real_.open(path, mode);
    if (!file)
        return nullptr;
    return std::make_unique<FaultyFile>(std::move(file), *this);
}

bool FaultyFileSystem::replace(const std::string& from, const std::string& to) {
    return !fault() && real_.replace(from, to);
}

bool FaultyFileSystem::remove(const std::string& path) {
    return !fault() && real_.remove(path);
}

bool FaultyFileSystem::copyAccess(const std::string& from, const std::string& to) {
    return !fault() && real_.copyAccess(from, to);
}

bool FaultyFileSystem::status(const std::string& path, platform::PathStatus& out) {
    return !fault() && real_.status(path, out);
}

}  // namespace testing_support
