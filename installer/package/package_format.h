// The setup program's file, as the package builder writes it and the engine reads
// it. docs/package-format.md draws the same map with every field.
//
//   stub image          the engine's own program
//   script block        sealed twice: the Script (script_codec.h)
//   language sets       per set: u32 length, u32 name length, name, u32 identifier,
//                       u32 text length, lines joined by CR LF sealed twice
//   licence, information  sealed twice
//   requirements        "key=value" lines, as they are
//   entries             uninstaller, libraries: gzip members; music, pictures: as stored
//   fonts               per font: u32 length, gzip member
//   pictures, bitmaps, dialog templates, identifiers (counted lists)
//   file area           per file: record head, condition, target, data
//   TOC                 kTocSize bytes of u32 big-endian words
//   T                   u32 little-endian: the TOC's offset
//   end block           L bytes, a sealed block the engine does not use
//   L                   u32 little-endian (0xFFFFFFFF stands for 0), at most 1000
//
// Everything from the script block to the end of the program file (the TOC, T, the
// end block and L included) is covered by the check value in the TOC.
//
// Every offset in the TOC is an offset in the package's byte stream: the program
// file first, then the further volumes ("Vortix Installer package #1", #2, ...)
// one after the other. The volume table says where each of them ends. The TOC,
// the script and everything before the file area always lie in the program file.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vortix {

inline constexpr std::uint32_t kTocSize = 256;
inline constexpr std::uint32_t kMaxTocSize = 1000;
inline constexpr std::uint32_t kMaxEndBlock = 1000;
// The requirements entry: a few hundred bytes in practice.
inline constexpr std::uint32_t kMaxRequirementsSize = 64 * 1024;
inline constexpr std::uint32_t kNoEndBlock = 0xFFFFFFFFu;

// Byte offsets of the TOC's words.
namespace toc {
inline constexpr std::uint32_t kScriptOffset = 0, kScriptLength = 4;
inline constexpr std::uint32_t kFormatVersion = 8;  // kPackageFormatVersion
inline constexpr std::uint32_t kTemplateCount = 16, kTemplateOffset = 20;
inline constexpr std::uint32_t kIdentifierCount = 24, kIdentifierOffset = 28;
inline constexpr std::uint32_t kBitmapCount = 32, kBitmapOffset = 36;
inline constexpr std::uint32_t kFontCount = 40, kFontOffset = 44;
inline constexpr std::uint32_t kLicencePresent = 48, kLicenceOffset = 52, kLicenceLength = 56;
inline constexpr std::uint32_t kInformationPresent = 60, kInformationOffset = 64,
                               kInformationLength = 68;
// What the package asks of the machine (system_requirements.h): "key=value" lines,
// CR LF between them, as they are. Length 0: the package asks for nothing.
inline constexpr std::uint32_t kRequirementsLength = 72, kRequirementsOffset = 76;
inline constexpr std::uint32_t kJpegPresent = 80, kJpegOffset = 84, kJpegLength = 88;
inline constexpr std::uint32_t kMp3Present = 92, kMp3Offset = 96, kMp3Length = 100;
inline constexpr std::uint32_t kPluginPresent = 104, kPluginOffset = 108, kPluginLength = 112;
inline constexpr std::uint32_t kMusicPresent = 116, kMusicOffset = 120, kMusicLength = 124;
inline constexpr std::uint32_t kPicturePresent = 128, kPictureOffset = 132, kPictureLength = 136;
inline constexpr std::uint32_t kPictureCount = 140, kPicturesOffset = 144;
inline constexpr std::uint32_t kLanguageCount = 152, kDefaultLanguage = 156, kLanguageOffset = 160;
inline constexpr std::uint32_t kUninstallerLength = 164, kUninstallerOffset = 168;
inline constexpr std::uint32_t kVolumeCount = 176, kVolumeTableOffset = 180;
inline constexpr std::uint32_t kFileCount = 184, kFileAreaOffset = 188;
// Size figures for the disk-space display: installed kilobytes, packed
// kilobytes, number of files, number of volumes.
inline constexpr std::uint32_t kInstalledKilobytes = 196, kPackedKilobytes = 204, kFileTotal = 208,
                               kVolumeTotal = 220;
inline constexpr std::uint32_t kSelfOffset = 228;
// The mark every further volume of this build ends with (high and low word); 0 in
// a package whose volumes carry none.
inline constexpr std::uint32_t kVolumeMarkHigh = 232, kVolumeMarkLow = 236;
// The package's check value (package_check.h): CRC-32 of the program file from the
// script block to the file's end, this word counted as zero.
inline constexpr std::uint32_t kPackageCheck = 240;
}  // namespace toc

// Each further volume ends with 8 bytes after its share of the stream: the volume
// mark of its build, big-endian, so that setup never reads on from a volume that a
// different build left under the same name.
inline constexpr std::size_t kVolumeMarkSize = 8;

inline constexpr std::uint32_t kPackageFormatVersion = 1;

// The TOC as read: kTocSize bytes of big-endian words.
class Toc {
public:
    std::uint32_t word(std::uint32_t byteOffset) const { return words_[byteOffset / 4]; }
    void set(std::uint32_t byteOffset, std::uint32_t value) { words_[byteOffset / 4] = value; }
    std::array<std::uint32_t, kTocSize / 4>& words() { return words_; }
    const std::array<std::uint32_t, kTocSize / 4>& words() const { return words_; }

private:
    std::array<std::uint32_t, kTocSize / 4> words_{};
};

// Leading bytes of the compressed-entry formats.
namespace magic {
inline constexpr std::string_view kGzip = "\x1f\x8b";
inline constexpr std::string_view kOldGzip = "\x1f\x9e";
inline constexpr std::string_view kPacked = "\x1f\x1e";
inline constexpr std::string_view kCompress = "\x1f\x9d";
inline constexpr std::string_view kLzh = "\x1f\xa0";
inline constexpr std::string_view kPkzip = "PK\x03\x04";
}  // namespace magic

// Names of further volumes, beside the setup program: prefix + number (from 1).
inline constexpr std::string_view kVolumeNamePrefix = "Vortix Installer package #";

}  // namespace vortix
