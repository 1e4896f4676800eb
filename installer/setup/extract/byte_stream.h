// The two ends an entry is decompressed between: bytes come from a source (the
// package's volumes) and go to a sink (a temporary file). Both are small so that
// tests and fuzzers can put memory on either side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace platform {
class File;
}

namespace vortix {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes into `buffer` and sets `got` to how many were read;
    // `got` is 0 only at the end of the entry. False when the read fails.
    virtual bool read(unsigned char* buffer, std::size_t size, std::size_t& got) = 0;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Takes all `size` bytes or fails.
    virtual bool write(const unsigned char* data, std::size_t size) = 0;
};

// A source over a copy of bytes in memory, handed out in pieces of at most `step`.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string bytes, std::size_t step = static_cast<std::size_t>(-1))
        : bytes_(std::move(bytes)), step_(step) {}
    bool read(unsigned char* buffer, std::size_t size, std::size_t& got) override;

private:
    std::string bytes_;
    std::size_t at_ = 0;
    std::size_t step_;
};

// A sink that keeps what it is given.
class StringSink : public ByteSink {
public:
    bool write(const unsigned char* data, std::size_t size) override;
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// The next `limit` bytes of another source: one entry of a known length inside
// the package. It ends there, or earlier when the source under it ends.
class LimitedSource : public ByteSource {
public:
    LimitedSource(ByteSource& source, std::uint64_t limit) : source_(source), left_(limit) {}
    bool read(unsigned char* buffer, std::size_t size, std::size_t& got) override;

private:
    ByteSource& source_;
    std::uint64_t left_;
};

// A sink writing to a file opened through the platform layer.
class FileSink : public ByteSink {
public:
    explicit FileSink(platform::File& file) : file_(file) {}
    bool write(const unsigned char* data, std::size_t size) override;

private:
    platform::File& file_;
};

}  // namespace vortix
