#include "tools/vxpack/pe_version.h"

#include <fstream>
#include <vector>

namespace vortix {
namespace {

constexpr std::uint32_t kResourceVersion = 16;
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BDu;
constexpr std::streamoff kMaxImage = 512 << 20;

// Little-endian reads that fail rather than run past the end.
class Bytes {
public:
    explicit Bytes(std::string_view data) : data_(data) {}
    bool u16(std::size_t at, std::uint32_t& v) const {
        if (at > data_.size() || data_.size() - at < 2)
            return false;
        v = byte(at) | byte(at + 1) << 8;
        return true;
    }
    bool u32(std::size_t at, std::uint32_t& v) const {
        if (at > data_.size() || data_.size() - at < 4)
            return false;
        v = byte(at) | byte(at + 1) << 8 | byte(at + 2) << 16 | byte(at + 3) << 24;
        return true;
    }
    std::size_t size() const { return data_.size(); }

private:
    std::uint32_t byte(std::size_t at) const { return static_cast<unsigned char>(data_[at]); }
    std::string_view data_;
};

struct Section {
    std::uint32_t address, virtualSize, rawSize, rawOffset;
};

class Image {
public:
    explicit Image(std::string_view data) : bytes_(data) {}

    bool open(std::string& why) {
        std::uint32_t mz, peAt, pe, sections, optionalSize, magic;
        if (!bytes_.u16(0, mz) || mz != 0x5A4D || !bytes_.u32(0x3C, peAt) ||
            !bytes_.u32(peAt, pe) || pe != 0x4550) {
            why = "not a Windows program or library";
            return false;
        }
        std::size_t coff = std::size_t{peAt} + 4, optional = coff + 20;
        if (!bytes_.u16(coff + 2, sections) || !bytes_.u16(coff + 16, optionalSize) ||
            !bytes_.u16(optional, magic) || (magic != 0x10B && magic != 0x20B)) {
            why = "a damaged program header";
            return false;
        }
        std::size_t directories = optional + (magic == 0x10B ? 96 : 112);
        std::uint32_t count;
        if (!bytes_.u32(directories - 4, count) || count < 3 ||
            !bytes_.u32(directories + 16, resourceRva_) ||
            directories + 24 > optional + optionalSize) {
            why = "no resources";
            return false;
        }
        std::size_t table = optional + optionalSize;
        for (std::uint32_t i = 0; i < sections; ++i) {
            Section s;
            std::size_t at = table + std::size_t{i} * 40;
            if (!bytes_.u32(at + 8, s.virtualSize) || !bytes_.u32(at + 12, s.address) ||
                !bytes_.u32(at + 16, s.rawSize) || !bytes_.u32(at + 20, s.rawOffset)) {
                why = "a damaged section table";
                return false;
            }
            sections_.push_back(s);
        }
        if (resourceRva_ == 0 || !offsetOf(resourceRva_, resources_)) {
            why = "no resources";
            return false;
        }
        return true;
    }

    // The file offset of a relative virtual address inside a section's raw data.
    bool offsetOf(std::uint32_t rva, std::size_t& offset) const {
        for (const Section& s : sections_) {
            std::uint64_t span = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
            if (rva >= s.address && rva - s.address < span && rva - s.address < s.rawSize) {
                offset = std::size_t{s.rawOffset} + (rva - s.address);
                return offset < bytes_.size();
            }
        }
        return false;
    }

    // One step down the resource tree: the entry with `id`, or the first one when
    // `id` is negative. `entryId` receives the entry's own id.
    bool descend(std::size_t directory, long id, std::uint32_t& target,
                 std::uint32_t& entryId) const {
        std::uint32_t named, ids;
        if (!bytes_.u16(resources_ + directory + 12, named) ||
            !bytes_.u16(resources_ + directory + 14, ids))
            return false;
        for (std::uint32_t i = 0; i < named + ids; ++i) {
            std::size_t at = resources_ + directory + 16 + std::size_t{i} * 8;
            std::uint32_t name;
            if (!bytes_.u32(at, name) || !bytes_.u32(at + 4, target))
                return false;
            if (id < 0 || (!(name & 0x80000000u) && name == static_cast<std::uint32_t>(id))) {
                entryId = name;
                return true;
            }
        }
        return false;
    }

    std::size_t resources() const { return resources_; }
    const Bytes& bytes() const { return bytes_; }

private:
    Bytes bytes_;
    std::vector<Section> sections_;
    std::uint32_t resourceRva_ = 0;
    std::size_t resources_ = 0;
};

// Finds the "Translation" value under "VarFileInfo" in the block at [at, end).
bool translation(const Bytes& b, std::size_t at, std::size_t end, int depth,
                 std::uint32_t& language) {
    auto keyIs = [&](std::size_t key, std::string_view name) {
        for (std::size_t i = 0; i <= name.size(); ++i) {
            std::uint32_t c;
            if (!b.u16(key + 2 * i, c) || c != (i < name.size() ? name[i] : 0u))
                return false;
        }
        return true;
    };
    auto align = [](std::size_t n) { return (n + 3) & ~std::size_t{3}; };
    while (at + 6 <= end) {
        std::uint32_t length, valueLength, type;
        if (!b.u16(at, length) || !b.u16(at + 2, valueLength) || !b.u16(at + 4, type) ||
            length < 6 || at + length > end)
            return false;
        std::size_t key = at + 6, keyEnd = key;
        for (std::uint32_t c = 1; b.u16(keyEnd, c) && c != 0;)
            keyEnd += 2;
        std::size_t value = align(keyEnd + 2);
        std::size_t valueBytes = type == 1 ? std::size_t{valueLength} * 2 : valueLength;
        if (depth == 0 && keyIs(key, "VarFileInfo") &&
            translation(b, align(value + valueBytes), at + length, 1, language))
            return true;
        if (depth == 1 && keyIs(key, "Translation") && valueBytes >= 4)
            return b.u16(value, language);
        at = align(at + length);
    }
    return false;
}

}  // namespace

bool readImageVersion(std::string_view data, FileVersion& out, std::string& why) {
    Image image(data);
    if (!image.open(why))
        return false;
    std::uint32_t type, name, language, languageId, unused;
    if (!image.descend(0, kResourceVersion, type, unused) || !(type & 0x80000000u) ||
        !image.descend(type & 0x7FFFFFFFu, -1, name, unused) || !(name & 0x80000000u) ||
        !image.descend(name & 0x7FFFFFFFu, -1, language, languageId) || (language & 0x80000000u)) {
        why = "no version resource";
        return false;
    }
    const Bytes& b = image.bytes();
    std::uint32_t rva, size, length, valueLength, signature;
    std::size_t info;
    if (!b.u32(image.resources() + language, rva) ||
        !b.u32(image.resources() + language + 4, size) || !image.offsetOf(rva, info) ||
        !b.u16(info, length) || length > size || info + length > b.size() ||
        !b.u16(info + 2, valueLength) || valueLength < 52 || !b.u32(info + 40, signature) ||
        signature != kFixedInfoSignature || !b.u32(info + 48, out.high) ||
        !b.u32(info + 52, out.low)) {
        why = "a damaged version resource";
        return false;
    }
    out.language = languageId & 0xFFFF;
    std::uint32_t translated;
    std::size_t children = (info + 40 + valueLength + 3) & ~std::size_t{3};
    if (translation(b, children, info + length, 0, translated))
        out.language = translated;
    return true;
}

bool readFileVersion(const std::string& path, FileVersion& out, std::string& why) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        why = "cannot be read";
        return false;
    }
    std::streamoff size = in.tellg();
    if (size > kMaxImage) {
        why = "too large to look for a version resource";
        return false;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), size)) {
        why = "cannot be read";
        return false;
    }
    return readImageVersion(bytes, out, why);
}

}  // namespace vortix
