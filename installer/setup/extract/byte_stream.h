// The two ends an entry is decompressed between: bytes come from a source (the
// package's volumes) and go to a sink (a temporary file). Both are small so that
// tests and fuzzers can put memory on either side.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

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

// A source over bytes already in memory, handed out in pieces of at most `step`.
class MemorySource : public ByteSource {
public:
    // The bytes are not copied: they must outlive the source.
    explicit MemorySource(std::string_view bytes, std::size_t step = static_cast<std::size_t>(-1))
        : bytes_(bytes), step_(step) {}
    bool read(unsigned char* buffer, std::size_t size, std::size_t& got) override;

private:
    std::string_view bytes_;
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

}  // namespace vortix
