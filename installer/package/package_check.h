// The check value of the package in the setup program's file (TOC word
// toc::kPackageCheck): zlib's CRC-32 of every byte from the script block's offset
// to the end of the program file, the check word itself counted as four zero bytes.
// The builder writes it last; the setup program reads the whole package against it
// before it believes any of it, so that a download damaged in one byte, or a
// package of a build from before the value existed, is refused at once. The
// further volumes are not covered: each carries its build's mark instead.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "installer/package/package_format.h"
#include "installer/package/package_stream.h"

namespace vortix {

// Carries `crc` (0 to start) on over `bytes`, which lie at `offset` in the program
// file whose check word is at `checkWordAt`.
std::uint32_t continuePackageCheck(std::uint32_t crc, std::string_view bytes, std::uint64_t offset,
                                   std::uint64_t checkWordAt);

// Whether the program file of `stream` gives the check value its TOC holds (the
// TOC as read from it).
bool packageCheckHolds(PackageStream& stream, const Toc& toc);

// Writes the check value into a built program file whose TOC is `toc` (its
// script offset and its own offset set); false, changing nothing, when the TOC
// places the covered span or the check word outside `program`.
bool stampPackageCheck(std::string& program, const Toc& toc);

}  // namespace vortix
