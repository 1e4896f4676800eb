#include "installer/package/package_check.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace vortix {

namespace {

std::uint32_t crcOf(std::uint32_t crc, const char* data, std::size_t size) {
    uLong value = crc;
    // zlib takes at most 4 GB less one at a time.
    while (size > 0) {
        uInt piece = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
        value = crc32(value, reinterpret_cast<const Bytef*>(data), piece);
        data += piece;
        size -= piece;
    }
    return static_cast<std::uint32_t>(value);
}

std::uint64_t checkWordOffset(const Toc& toc) {
    return std::uint64_t{toc.word(toc::kSelfOffset)} + toc::kPackageCheck;
}

// Whether the span the value covers, and its word, lie in a program file of `size`
// bytes as the TOC places them.
bool coveredSpanFits(const Toc& toc, std::uint64_t size) {
    const std::uint64_t start = toc.word(toc::kScriptOffset);
    return start != 0 && start <= toc.word(toc::kSelfOffset) && checkWordOffset(toc) + 4 <= size;
}

}  // namespace

std::uint32_t continuePackageCheck(std::uint32_t crc, std::string_view bytes, std::uint64_t offset,
                                   std::uint64_t checkWordAt) {
    const std::uint64_t end = offset + bytes.size();
    const std::uint64_t wordEnd = checkWordAt + 4;
    if (end <= checkWordAt || offset >= wordEnd)
        return crcOf(crc, bytes.data(), bytes.size());
    // The part before the word, the word's share as zeros, the part after it.
    std::size_t before = static_cast<std::size_t>(std::max(checkWordAt, offset) - offset);
    std::size_t after = static_cast<std::size_t>(std::max(end, wordEnd) - wordEnd);
    std::size_t zeros = bytes.size() - before - after;
    static const char kZeros[4] = {};
    crc = crcOf(crc, bytes.data(), before);
    crc = crcOf(crc, kZeros, zeros);
    return crcOf(crc, bytes.data() + before + zeros, after);
}

bool packageCheckHolds(PackageStream& stream, const Toc& toc) {
    const std::uint64_t start = toc.word(toc::kScriptOffset);
    const std::uint64_t end = stream.programSize();
    const std::uint64_t checkWordAt = checkWordOffset(toc);
    if (!coveredSpanFits(toc, end))
        return false;
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    std::vector<char> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, end - start)));
    std::uint32_t crc = 0;
    for (std::uint64_t at = start; at < end;) {
        std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, end - at));
        if (!stream.read(at, buffer.data(), piece))
            return false;
        crc = continuePackageCheck(crc, std::string_view(buffer.data(), piece), at, checkWordAt);
        at += piece;
    }
    return crc == toc.word(toc::kPackageCheck);
}

bool stampPackageCheck(std::string& program, const Toc& toc) {
    if (!coveredSpanFits(toc, program.size()))
        return false;
    const std::uint64_t start = toc.word(toc::kScriptOffset);
    const std::uint64_t checkWordAt = checkWordOffset(toc);
    std::uint32_t crc = continuePackageCheck(
        0, std::string_view(program).substr(static_cast<std::size_t>(start)), start, checkWordAt);
    for (int i = 0; i < 4; ++i)
        program[static_cast<std::size_t>(checkWordAt) + i] =
            static_cast<char>(crc >> (24 - 8 * i) & 0xFF);
    return true;
}

}  // namespace vortix
