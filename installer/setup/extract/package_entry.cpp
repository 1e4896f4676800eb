#include "installer/setup/extract/package_entry.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace vortix {
namespace {

// Big enough that the system and zlib's fast loop see long runs, small enough
// to be two allocations whatever the entry.
constexpr std::size_t kBufferSize = 256 * 1024;

// The buffers of the entries before, kept for the next: a run decompresses a
// thousand small files, and fresh memory for each costs a page fault per page
// it touches.
std::vector<std::unique_ptr<unsigned char[]>>& spareBuffers() {
    thread_local std::vector<std::unique_ptr<unsigned char[]>> spare;
    return spare;
}

struct ReturnToSpares {
    void operator()(unsigned char* buffer) const {
        std::vector<std::unique_ptr<unsigned char[]>>& spare = spareBuffers();
        if (spare.size() < 2)
            spare.emplace_back(buffer);
        else
            delete[] buffer;
    }
};
using Buffer = std::unique_ptr<unsigned char[], ReturnToSpares>;

Buffer takeBuffer() {
    std::vector<std::unique_ptr<unsigned char[]>>& spare = spareBuffers();
    if (spare.empty())
        return Buffer(new unsigned char[kBufferSize]);
    Buffer buffer(spare.back().release());
    spare.pop_back();
    return buffer;
}

// A failure with its message; caught once in decompressEntry.
struct EntryError {
    std::string message;
};

[[noreturn]] void fail(std::string message) {
    throw EntryError{std::move(message)};
}

[[noreturn]] void cutOff() {
    fail("The compressed data ends too early: the package entry is cut off.");
}

[[noreturn]] void damaged(const char* what) {
    fail(std::string("The compressed data is damaged: ") + what + ".");
}

std::string printed(const char* format, unsigned a, unsigned b = 0) {
    char text[256];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

std::uint32_t le16(const unsigned char* p) {
    return p[0] | (p[1] << 8u);
}
std::uint32_t le32(const unsigned char* p) {
    return le16(p) | (static_cast<std::uint32_t>(le16(p + 2)) << 16u);
}
std::uint64_t le64(const unsigned char* p) {
    return le32(p) | (static_cast<std::uint64_t>(le32(p + 4)) << 32u);
}

// The entry's bytes through one fixed buffer.
class Input {
public:
    explicit Input(ByteSource& source) : source_(source), buffer_(takeBuffer()) {}

    const unsigned char* data() const { return buffer_.get() + pos_; }
    std::size_t available() const { return end_ - pos_; }
    void consume(std::size_t n) { pos_ += n; }

    // Reads more after what is held; false at the end of the entry.
    bool refill() {
        if (pos_ == end_)
            pos_ = end_ = 0;
        if (end_ == kBufferSize) {
            if (pos_ == 0)
                return true;  // full: nothing to read into, and nothing ends here
            std::memmove(buffer_.get(), data(), available());
            end_ -= pos_;
            pos_ = 0;
        }
        std::size_t got = 0;
        if (!source_.read(buffer_.get() + end_, kBufferSize - end_, got))
            fail("The package could not be read.");
        end_ += std::min(got, kBufferSize - end_);
        return got > 0;
    }

    // At least `n` bytes (n <= kBufferSize) in one piece from data(), or cut off.
    void need(std::size_t n) {
        if (available() >= n)
            return;
        std::memmove(buffer_.get(), data(), available());
        end_ -= pos_;
        pos_ = 0;
        while (available() < n)
            if (!refill())
                cutOff();
    }

    bool atEnd() { return available() == 0 && !refill(); }

private:
    ByteSource& source_;
    Buffer buffer_;
    std::size_t pos_ = 0, end_ = 0;
};

// The original bytes on their way to the sink, with their CRC-32 and length.
class Output {
public:
    explicit Output(ByteSink& sink) : sink_(sink), buffer_(takeBuffer()) {}

    void startMember() {
        crc_ = crc32(0, nullptr, 0);
        length_ = 0;
    }
    std::uint32_t crc() const { return static_cast<std::uint32_t>(crc_); }
    std::uint64_t length() const { return length_; }
    std::uint64_t total() const { return total_; }

    // Room to inflate into; `filled` says how much of it was used.
    unsigned char* space() { return buffer_.get() + held_; }
    std::size_t spaceSize() const { return kBufferSize - held_; }
    void filled(std::size_t n) {
        held_ += n;
        if (held_ == kBufferSize)
            flush();
    }

    // Bytes that need no decoding go straight from the input's buffer.
    void copy(const unsigned char* data, std::size_t n) {
        flush();
        pass(data, n);
    }

    void flush() {
        pass(buffer_.get(), held_);
        held_ = 0;
    }

private:
    void pass(const unsigned char* data, std::size_t n) {
        if (n == 0)
            return;
        crc_ = crc32(crc_, data, static_cast<uInt>(n));
        length_ += n;
        total_ += n;
        if (!sink_.write(data, n))
            fail("The decompressed file could not be written (is the disk full?).");
    }

    ByteSink& sink_;
    Buffer buffer_;
    std::size_t held_ = 0;
    uLong crc_ = 0;
    std::uint64_t length_ = 0, total_ = 0;
};

class RawInflater {
public:
    RawInflater() {
        if (inflateInit2(&stream_, -MAX_WBITS) != Z_OK)
            throw std::bad_alloc();
    }
    ~RawInflater() { inflateEnd(&stream_); }
    RawInflater(const RawInflater&) = delete;
    RawInflater& operator=(const RawInflater&) = delete;

    // Inflates one DEFLATE stream into `out`; returns the compressed bytes it took.
    std::uint64_t run(Input& in, Output& out) {
        std::uint64_t taken = 0;
        for (;;) {
            if (in.available() == 0 && !in.refill())
                cutOff();
            std::size_t inSize = std::min<std::size_t>(in.available(), kBufferSize);
            std::size_t outSize = out.spaceSize();
            stream_.next_in = const_cast<unsigned char*>(in.data());
            stream_.avail_in = static_cast<uInt>(inSize);
            stream_.next_out = out.space();
            stream_.avail_out = static_cast<uInt>(outSize);
            int rc = inflate(&stream_, Z_NO_FLUSH);
            std::size_t used = inSize - stream_.avail_in;
            std::size_t made = outSize - stream_.avail_out;
            in.consume(used);
            taken += used;
            out.filled(made);
            if (rc == Z_STREAM_END)
                return taken;
            if (rc == Z_MEM_ERROR)
                throw std::bad_alloc();
            if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_STREAM_ERROR)
                damaged(stream_.msg ? stream_.msg : "invalid deflate data");
            if (used == 0 && made == 0 && stream_.avail_in > 0)
                damaged("the deflate data makes no progress");
        }
    }

private:
    z_stream stream_{};
};

// ---------------------------------------------------------------- gzip (RFC 1952)

// FTEXT (1) is only a hint about the contents.
constexpr unsigned kFlagHeaderCrc = 2, kFlagExtra = 4, kFlagName = 8, kFlagComment = 16,
                   kFlagsKnown = 31;

// The header's bytes as they are read, for its optional CRC-16.
class HeaderReader {
public:
    explicit HeaderReader(Input& in) : in_(in), crc_(crc32(0, nullptr, 0)) {}
    const unsigned char* take(std::size_t n) {
        in_.need(n);
        const unsigned char* p = in_.data();
        crc_ = crc32(crc_, p, static_cast<uInt>(n));
        in_.consume(n);
        return p;  // valid until the next read
    }
    void skip(std::size_t n) { take(n); }
    // Up to and including the next NUL, however long.
    void skipText() {
        for (;;) {
            if (in_.available() == 0 && !in_.refill())
                cutOff();
            const void* nul = std::memchr(in_.data(), 0, in_.available());
            std::size_t n =
                nul ? static_cast<const unsigned char*>(nul) - in_.data() + 1 : in_.available();
            take(n);
            if (nul)
                return;
        }
    }
    std::uint32_t crc16() const { return crc_ & 0xFFFFu; }

private:
    Input& in_;
    uLong crc_;
};

void gzipMember(Input& in, Output& out) {
    HeaderReader header(in);
    const unsigned char* fixed = header.take(10);
    unsigned method = fixed[2], flags = fixed[3];
    if (method != 8)
        fail(
            printed("The gzip data uses compression method %u; only method 8 (deflate) can "
                    "be decoded.",
                    method));
    if (flags & ~kFlagsKnown)
        fail(printed("The gzip data has unknown header flags (0x%02X).", flags));
    if (flags & kFlagExtra)
        header.skip(le16(header.take(2)));
    if (flags & kFlagName)
        header.skipText();
    if (flags & kFlagComment)
        header.skipText();
    if (flags & kFlagHeaderCrc) {
        std::uint32_t expected = header.crc16();
        in.need(2);
        if (le16(in.data()) != expected)
            damaged("the gzip header's checksum does not match");
        in.consume(2);
    }

    out.startMember();
    RawInflater().run(in, out);
    out.flush();
    in.need(8);
    if (le32(in.data()) != out.crc())
        damaged("its checksum does not match");
    if (le32(in.data() + 4) != static_cast<std::uint32_t>(out.length()))
        damaged("its length does not match");
    in.consume(8);
}

void gzipMembers(Input& in, Output& out) {
    do {
        gzipMember(in, out);
        if (in.atEnd())
            return;
        in.need(2);
    } while (in.data()[0] == 0x1F && in.data()[1] == 0x8B);
    fail("The compressed data is followed by bytes that do not belong to it.");
}

// ---------------------------------------------------------------- PKZIP local file

constexpr std::uint32_t kLocalHeader = 0x04034B50, kDescriptor = 0x08074B50;
constexpr std::uint32_t kZip64Marker = 0xFFFFFFFFu;
constexpr unsigned kZipEncrypted = 1, kZipDescriptor = 8;

struct ZipSizes {
    std::uint32_t crc = 0;
    std::uint64_t compressed = 0, original = 0;
    bool zip64 = false;
};

// The ZIP64 extra field holds the 64-bit sizes the header marks with FFFFFFFF.
void readZip64(const unsigned char* extra, std::size_t size, ZipSizes& sizes) {
    while (size >= 4) {
        std::uint32_t id = le16(extra), length = le16(extra + 2);
        extra += 4;
        size -= 4;
        if (length > size)
            damaged("a PKZIP extra field runs past its end");
        if (id == 1) {
            sizes.zip64 = true;
            const unsigned char* p = extra;
            std::size_t left = length;
            for (std::uint64_t* field : {&sizes.original, &sizes.compressed}) {
                if (*field != kZip64Marker)
                    continue;
                if (left < 8)
                    damaged("the PKZIP ZIP64 field is too short");
                *field = le64(p);
                p += 8;
                left -= 8;
            }
        }
        extra += length;
        size -= length;
    }
}

void zipEntry(Input& in, Output& out) {
    in.need(30);
    const unsigned char* h = in.data();
    unsigned flags = le16(h + 6), method = le16(h + 8);
    ZipSizes sizes;
    sizes.crc = le32(h + 14);
    sizes.compressed = le32(h + 18);
    sizes.original = le32(h + 22);
    std::size_t nameLength = le16(h + 26), extraLength = le16(h + 28);
    in.consume(30);
    in.need(nameLength);
    in.consume(nameLength);
    in.need(extraLength);
    readZip64(in.data(), extraLength, sizes);
    in.consume(extraLength);

    if (flags & kZipEncrypted)
        fail("The PKZIP entry is encrypted; encrypted entries cannot be decoded.");
    if (method != 0 && method != 8)
        fail(
            printed("The PKZIP entry uses compression method %u; only methods 0 (stored) and "
                    "8 (deflate) can be decoded.",
                    method));
    bool descriptor = (flags & kZipDescriptor) != 0;

    out.startMember();
    std::uint64_t taken = 0;
    if (method == 0) {
        if (descriptor && sizes.compressed == 0)
            fail("The PKZIP entry is stored without its size; it cannot be decoded.");
        if (sizes.compressed != sizes.original)
            damaged("the stored PKZIP entry's two sizes differ");
        for (std::uint64_t left = sizes.compressed; left > 0;) {
            if (in.available() == 0 && !in.refill())
                cutOff();
            std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(in.available(), left));
            out.copy(in.data(), n);
            in.consume(n);
            left -= n;
        }
        taken = sizes.compressed;
    } else {
        taken = RawInflater().run(in, out);
        out.flush();
    }

    if (descriptor) {
        in.need(4);
        if (le32(in.data()) == kDescriptor)
            in.consume(4);
        in.need(sizes.zip64 ? 20 : 12);
        const unsigned char* d = in.data();
        sizes.crc = le32(d);
        sizes.compressed = sizes.zip64 ? le64(d + 4) : le32(d + 4);
        sizes.original = sizes.zip64 ? le64(d + 12) : le32(d + 8);
        in.consume(sizes.zip64 ? 20 : 12);
    }
    if (sizes.crc != out.crc())
        damaged("its checksum does not match");
    if (sizes.compressed != taken || sizes.original != out.length())
        damaged("its length does not match");
}

}  // namespace

EntryFormat entryFormat(const unsigned char* lead, std::size_t size) {
    if (size >= 4 && le32(lead) == kLocalHeader)
        return EntryFormat::Zip;
    if (size < 2 || lead[0] != 0x1F)
        return EntryFormat::Unknown;
    switch (lead[1]) {
        case 0x8B: return EntryFormat::Gzip;
        case 0x9E: return EntryFormat::OldGzip;
        case 0x1E: return EntryFormat::Packed;
        case 0x9D: return EntryFormat::Compress;
        case 0xA0: return EntryFormat::Lzh;
        default: return EntryFormat::Unknown;
    }
}

const char* formatName(EntryFormat format) {
    switch (format) {
        case EntryFormat::Gzip: return "gzip";
        case EntryFormat::Zip: return "PKZIP";
        case EntryFormat::OldGzip: return "old gzip";
        case EntryFormat::Packed: return "packed";
        case EntryFormat::Compress: return "compress";
        case EntryFormat::Lzh: return "LZH";
        case EntryFormat::Unknown: break;
    }
    return "unknown";
}

DecompressResult decompressEntry(ByteSource& source, ByteSink& sink) {
    DecompressResult result;
    try {
        Input in(source);
        Output out(sink);
        if (in.atEnd())
            fail("The package entry is empty.");
        while (in.available() < 4 && in.refill()) {
        }
        EntryFormat format = entryFormat(in.data(), in.available());
        switch (format) {
            case EntryFormat::Gzip: gzipMembers(in, out); break;
            case EntryFormat::Zip: zipEntry(in, out); break;
            case EntryFormat::Unknown:
                fail("The package entry is not in a compressed format that can be decoded.");
            default:
                fail(std::string("The package entry is in the ") + formatName(format) +
                     " format, which cannot be decoded; only gzip and PKZIP entries can.");
        }
        result.written = out.total();
        result.ok = true;
    } catch (const EntryError& error) {
        result.message = error.message;
    } catch (const std::bad_alloc&) {
        result.message = "Out of memory";
    }
    return result;
}

}  // namespace vortix
