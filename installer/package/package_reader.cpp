#include "installer/package/package_reader.h"

#include <algorithm>

#include "installer/common/sealed_block.h"
#include "installer/package/package_check.h"
#include "installer/package/script_codec.h"

namespace vortix {
namespace {

std::uint32_t bigEndian(const char* p) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(p[i]);
    return value;
}

std::uint32_t littleEndian(const char* p) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(p[i]);
    return value;
}

bool readWord(PackageStream& stream, std::uint64_t offset, std::uint32_t& value) {
    char bytes[4];
    if (!stream.read(offset, bytes, 4))
        return false;
    value = bigEndian(bytes);
    return true;
}

// The stream part of a package cannot hold more items than it has bytes.
bool plausibleCount(const PackageStream& stream, std::uint32_t count) {
    return count <= stream.size();
}

}  // namespace

OpenedPackage openPackage(PackageStream& stream) {
    OpenedPackage opened;
    opened.failure = PackageFailure::SizeMismatch;
    std::uint64_t size = stream.programSize();
    char word[4];
    if (size < 8 || !stream.read(size - 4, word, 4))
        return opened;
    std::uint32_t endLength = littleEndian(word);
    if (endLength == kNoEndBlock)
        endLength = 0;
    if (endLength > kMaxEndBlock || size < std::uint64_t{endLength} + 8 ||
        !stream.read(size - 8 - endLength, word, 4))
        return opened;
    std::uint32_t tocOffset = littleEndian(word);
    std::uint64_t tocEnd = size - 8 - endLength;
    if (tocOffset > tocEnd || tocEnd - tocOffset > kMaxTocSize)
        return opened;
    std::string tocBytes;
    std::size_t tocLength = static_cast<std::size_t>(tocEnd - tocOffset);
    if (!stream.read(tocOffset, tocLength, tocBytes))
        return opened;
    // Words the TOC is too short to hold read as zero: those pieces are absent.
    for (std::size_t at = 0; at + 4 <= tocLength && at < kTocSize; at += 4)
        opened.toc.set(static_cast<std::uint32_t>(at), bigEndian(tocBytes.data() + at));
    if (opened.toc.word(toc::kSelfOffset) != tocOffset)
        return opened;

    // A later engine's package may lay out anything differently: refused by its
    // version before any of it is read.
    if (opened.toc.word(toc::kFormatVersion) > kPackageFormatVersion) {
        opened.failure = PackageFailure::NewerFormat;
        return opened;
    }
    // Nothing of the package is believed before all of it is found as it was built.
    if (!packageCheckHolds(stream, opened.toc)) {
        opened.failure = PackageFailure::Damaged;
        return opened;
    }
    opened.failure = PackageFailure::Unreadable;
    std::uint32_t volumes = opened.toc.word(toc::kVolumeCount);
    if (volumes > 0) {
        if (volumes > 10000)
            return opened;
        std::string table;
        if (!stream.read(opened.toc.word(toc::kVolumeTableOffset), 4 * volumes, table))
            return opened;
        std::vector<std::uint32_t> ends;
        for (std::uint32_t v = 0; v < volumes; ++v)
            ends.push_back(bigEndian(table.data() + 4 * v));
        if (!stream.setVolumeEnds(std::move(ends)))
            return opened;
        stream.setVolumeMark(std::uint64_t{opened.toc.word(toc::kVolumeMarkHigh)} << 32 |
                             opened.toc.word(toc::kVolumeMarkLow));
    }
    std::uint32_t scriptOffset = opened.toc.word(toc::kScriptOffset);
    std::uint32_t scriptLength = opened.toc.word(toc::kScriptLength);
    std::string sealed;
    if (scriptOffset == 0 || scriptLength == 0 || !stream.read(scriptOffset, scriptLength, sealed))
        return opened;
    std::optional<std::string> plain = unsealTwice(sealed);
    if (!plain)
        return opened;
    std::optional<Script> script = decodeScript(*plain);
    if (!script)
        return opened;
    opened.script = std::move(*script);
    opened.failure = PackageFailure::None;
    return opened;
}

namespace {

// Visits the language entries in turn: f(index, entry bytes) until it returns false.
template <class F>
bool forEachLanguageEntry(PackageStream& stream, const Toc& toc, F f) {
    std::uint32_t count = toc.word(toc::kLanguageCount);
    if (!plausibleCount(stream, count))
        return false;
    std::uint64_t at = toc.word(toc::kLanguageOffset);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t length = 0;
        std::string entry;
        if (!readWord(stream, at, length) || !stream.read(at + 4, length, entry))
            return false;
        if (!f(i, entry))
            return true;
        at += 4 + std::uint64_t{length};
    }
    return true;
}

}  // namespace

std::optional<std::vector<LanguageSet>> readLanguageList(PackageStream& stream, const Toc& toc) {
    std::vector<LanguageSet> sets;
    bool sound = true;
    bool read = forEachLanguageEntry(stream, toc, [&](std::uint32_t, const std::string& entry) {
        std::optional<LanguageSet> set = decodeLanguageSet(entry, false);
        if (!set)
            return sound = false;
        sets.push_back(std::move(*set));
        return true;
    });
    if (!read || !sound)
        return std::nullopt;
    return sets;
}

std::optional<LanguageSet> readLanguageSet(PackageStream& stream, const Toc& toc,
                                           std::uint32_t index) {
    std::optional<LanguageSet> found;
    forEachLanguageEntry(stream, toc, [&](std::uint32_t i, const std::string& entry) {
        if (i != index)
            return true;
        found = decodeLanguageSet(entry, true);
        return false;
    });
    return found;
}

std::optional<std::string> readSealedText(PackageStream& stream, const Toc& toc,
                                          std::uint32_t presentWord) {
    if (toc.word(presentWord) == 0)
        return std::nullopt;
    std::string sealed;
    if (!stream.read(toc.word(presentWord + 4), toc.word(presentWord + 8), sealed))
        return std::nullopt;
    return unsealTwice(sealed);
}

std::optional<SystemRequirements> readRequirements(PackageStream& stream, const Toc& toc) {
    std::uint32_t length = toc.word(toc::kRequirementsLength);
    if (length == 0)
        return SystemRequirements{};
    std::string bytes;
    if (length > kMaxRequirementsSize ||
        !stream.read(toc.word(toc::kRequirementsOffset), length, bytes))
        return std::nullopt;
    return decodeRequirements(bytes);
}

std::optional<std::vector<ListedPiece>> readPieceList(PackageStream& stream, const Toc& toc,
                                                      std::uint32_t countWord,
                                                      std::uint32_t offsetWord,
                                                      bool withIdentifiers) {
    std::uint32_t count = toc.word(countWord);
    if (!plausibleCount(stream, count))
        return std::nullopt;
    std::vector<ListedPiece> pieces;
    std::uint64_t at = toc.word(offsetWord);
    for (std::uint32_t i = 0; i < count; ++i) {
        ListedPiece piece;
        if (withIdentifiers) {
            if (!readWord(stream, at, piece.identifier))
                return std::nullopt;
            at += 4;
        }
        if (!readWord(stream, at, piece.extent.length))
            return std::nullopt;
        piece.extent.offset = at + 4;
        at = piece.extent.offset + piece.extent.length;
        if (at > stream.size())
            return std::nullopt;
        pieces.push_back(piece);
    }
    return pieces;
}

FileRecordCursor::FileRecordCursor(PackageStream& stream, const Toc& toc)
    : stream_(stream),
      position_(toc.word(toc::kFileAreaOffset)),
      left_(toc.word(toc::kFileCount)) {}

bool FileRecordCursor::next(PackagedFile& record, Extent& data) {
    if (failed_ || left_ == 0)
        return false;
    std::uint64_t available = position_ <= stream_.size() ? stream_.size() - position_ : 0;
    std::string head;
    std::size_t used = 0;
    std::optional<PackagedFile> decoded;
    // Most heads are short: try a small window before the largest one allowed.
    for (std::size_t limit : {std::size_t{2048}, kMaxFileRecordSize}) {
        std::size_t window = static_cast<std::size_t>(std::min<std::uint64_t>(available, limit));
        if (!stream_.read(position_, window, head))
            break;
        decoded = decodeFileRecord(head, used);
        if (decoded || window == available)
            break;
    }
    if (!decoded || decoded->dataSize > available - used) {
        failed_ = true;
        return false;
    }
    record = std::move(*decoded);
    data.offset = position_ + used;
    data.length = record.dataSize;
    position_ = data.offset + data.length;
    --left_;
    return true;
}

}  // namespace vortix
