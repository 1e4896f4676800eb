// A read-only file held in memory: for readers fed from a buffer (fuzzing, tests).
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace platform {

class MemoryFile final : public File {
public:
    explicit MemoryFile(std::string_view bytes) : bytes_(bytes) {}

    bool read(char* buffer, std::size_t size, std::size_t& got) override {
        got = std::min(size, bytes_.size() - std::min(position_, bytes_.size()));
        if (got)
            std::memcpy(buffer, bytes_.data() + position_, got);
        position_ += got;
        return true;
    }
    bool write(const char*, std::size_t) override { return false; }
    bool sync() override { return true; }
    bool size(std::uint64_t& bytes) override {
        bytes = bytes_.size();
        return true;
    }
    bool seek(std::uint64_t offset) override {
        position_ = static_cast<std::size_t>(std::min<std::uint64_t>(offset, bytes_.size()));
        return true;
    }
    bool close() override { return true; }

private:
    std::string bytes_;
    std::size_t position_ = 0;
};

}  // namespace platform
