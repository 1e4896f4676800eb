#include "installer/package/package_writer.h"

#include <limits>
#include <stdexcept>

#include "installer/common/sealed_block.h"
#include "installer/package/gzip_member.h"
#include "installer/package/package_check.h"
#include "installer/package/package_format.h"
#include "installer/package/script_codec.h"
#include "platform/whole_file.h"

namespace vortix {
namespace {

// A builder step that cannot go on; its text becomes BuiltPackage::error.
struct BuildError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void putWord(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// The mark of a build's volumes: a hash of the bytes they share out, so that a
// build with other files marks its volumes otherwise (never 0, which means "none").
std::uint64_t volumeMarkOf(std::string_view fileArea) {
    std::uint64_t hash = 0xcbf29ce484222325ull;  // 64-bit FNV-1a
    for (char byte : fileArea)
        hash = (hash ^ static_cast<unsigned char>(byte)) * 0x100000001b3ull;
    return hash == 0 ? 1 : hash;
}

void putLittleWord(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

std::uint32_t offsetWord(std::size_t offset) {
    if (offset > std::numeric_limits<std::uint32_t>::max())
        throw BuildError("the package would be larger than 4 GB");
    return static_cast<std::uint32_t>(offset);
}

std::string readSource(const std::string& path) {
    platform::FileBytes bytes;
    switch (
        platform::readWholeFile(platform::systemFileSystem(), path, std::size_t{1} << 30, bytes)) {
        case platform::ReadOutcome::Ok: return bytes.str();
        case platform::ReadOutcome::TooLarge: throw BuildError(path + ": larger than 1 GB");
        default: throw BuildError(path + ": cannot be read");
    }
}

std::string compressed(const std::string& bytes, const std::string& what) {
    std::string member = compressGzipMember(bytes);
    if (member.empty())
        throw BuildError(what + ": cannot be compressed");
    return member;
}

// Lays the pieces out one after the other behind the stub and fills in the TOC.
class Layout {
public:
    explicit Layout(std::string_view stub) : bytes_(stub) {}

    std::uint32_t offset() const { return offsetWord(bytes_.size()); }

    // Appends a piece and notes its offset and length in the TOC.
    void piece(std::uint32_t presentWord, std::uint32_t offsetWordAt, std::uint32_t lengthWordAt,
               const std::string& bytes) {
        if (presentWord)
            toc.set(presentWord, 1);
        toc.set(offsetWordAt, offset());
        toc.set(lengthWordAt, offsetWord(bytes.size()));
        bytes_ += bytes;
    }

    void append(std::string_view bytes) { bytes_ += bytes; }
    std::string& bytes() { return bytes_; }

    Toc toc;

private:
    std::string bytes_;
};

std::string lengthPrefixed(const std::string& bytes) {
    std::string out;
    putWord(out, offsetWord(bytes.size()));
    return out + bytes;
}

void addLibraries(Layout& layout, const PackageContents& c) {
    if (!c.uninstallerProgram.empty()) {
        std::string member = compressed(readSource(c.uninstallerProgram), c.uninstallerProgram);
        layout.toc.set(toc::kUninstallerLength, offsetWord(member.size()));
        layout.toc.set(toc::kUninstallerOffset, layout.offset());
        layout.append(member);
    }
    struct Library {
        const std::string& path;
        std::uint32_t present, offset, length;
    };
    for (const Library& library :
         {Library{c.jpegLibrary, toc::kJpegPresent, toc::kJpegOffset, toc::kJpegLength},
          Library{c.mp3Library, toc::kMp3Present, toc::kMp3Offset, toc::kMp3Length},
          Library{c.pluginLibrary, toc::kPluginPresent, toc::kPluginOffset, toc::kPluginLength}}) {
        if (!library.path.empty())
            layout.piece(library.present, library.offset, library.length,
                         compressed(readSource(library.path), library.path));
    }
    if (!c.startupMusic.empty())
        layout.piece(toc::kMusicPresent, toc::kMusicOffset, toc::kMusicLength,
                     readSource(c.startupMusic));
    if (!c.dialogPicture.empty())
        layout.piece(toc::kPicturePresent, toc::kPictureOffset, toc::kPictureLength,
                     readSource(c.dialogPicture));
}

void addCountedLists(Layout& layout, const PackageContents& c) {
    auto list = [&](std::uint32_t countWord, std::uint32_t offsetWordAt, std::size_t count,
                    auto each) {
        if (count == 0)
            return;
        layout.toc.set(countWord, offsetWord(count));
        layout.toc.set(offsetWordAt, layout.offset());
        for (std::size_t i = 0; i < count; ++i)
            layout.append(each(i));
    };
    list(toc::kTemplateCount, toc::kTemplateOffset, c.dialogTemplates.size(),
         [&](std::size_t i) { return lengthPrefixed(readSource(c.dialogTemplates[i])); });
    list(toc::kIdentifierCount, toc::kIdentifierOffset, c.identifiers.size(), [&](std::size_t i) {
        std::string word;
        putWord(word, c.identifiers[i]);
        return word;
    });
    list(toc::kBitmapCount, toc::kBitmapOffset, c.wizardBitmaps.size(), [&](std::size_t i) {
        std::string head;
        putWord(head, c.wizardBitmaps[i].identifier);
        return head + lengthPrefixed(readSource(c.wizardBitmaps[i].source));
    });
    list(toc::kFontCount, toc::kFontOffset, c.fonts.size(), [&](std::size_t i) {
        return lengthPrefixed(compressed(readSource(c.fonts[i]), c.fonts[i]));
    });
    list(toc::kPictureCount, toc::kPicturesOffset, c.pictures.size(),
         [&](std::size_t i) { return lengthPrefixed(readSource(c.pictures[i])); });
}

struct FileArea {
    std::string bytes;
    std::uint64_t installedBytes = 0, packedBytes = 0;
};

FileArea buildFileArea(const PackageContents& c) {
    FileArea area;
    for (const PackageContents::File& file : c.files) {
        PackagedFile record = file.record;
        std::string data;
        if (record.storage != FileStorage::External) {
            std::string original = readSource(file.source);
            record.originalSize = offsetWord(original.size());
            if (original.empty())
                data.clear();  // an empty file has no data at all
            else if (record.storage == FileStorage::Compressed)
                data = compressed(original, file.source);
            else
                data = std::move(original);
        } else {
            record.externalName = file.source;
        }
        record.dataSize = offsetWord(data.size());
        area.installedBytes += record.originalSize;
        area.packedBytes += data.size();
        area.bytes += encodeFileRecord(record);
        area.bytes += data;
    }
    return area;
}

BuiltPackage build(std::string_view stub, const PackageContents& c) {
    if (c.languages.empty())
        throw BuildError("the package has no language set");
    if (c.defaultLanguage >= c.languages.size())
        throw BuildError("the default language set does not exist");
    Layout layout(stub);
    std::string script = sealTwice(encodeScript(c.script), clockKeyDraw());
    layout.toc.set(toc::kScriptOffset, layout.offset());
    layout.toc.set(toc::kScriptLength, offsetWord(script.size()));
    layout.append(script);
    layout.toc.set(toc::kFormatVersion, kPackageFormatVersion);

    layout.toc.set(toc::kLanguageCount, offsetWord(c.languages.size()));
    layout.toc.set(toc::kDefaultLanguage, c.defaultLanguage);
    layout.toc.set(toc::kLanguageOffset, layout.offset());
    for (const LanguageSet& set : c.languages)
        layout.append(lengthPrefixed(encodeLanguageSet(set)));

    if (!c.licenceText.empty())
        layout.piece(toc::kLicencePresent, toc::kLicenceOffset, toc::kLicenceLength,
                     sealTwice(c.licenceText, clockKeyDraw()));
    if (!c.informationText.empty())
        layout.piece(toc::kInformationPresent, toc::kInformationOffset, toc::kInformationLength,
                     sealTwice(c.informationText, clockKeyDraw()));
    if (c.requirements) {
        std::string entry = encodeRequirements(*c.requirements);
        if (entry.size() > kMaxRequirementsSize)
            throw BuildError("the system requirements take more than " +
                             std::to_string(kMaxRequirementsSize / 1024) + " KB");
        if (!entry.empty())
            layout.piece(0, toc::kRequirementsOffset, toc::kRequirementsLength, entry);
    }
    addLibraries(layout, c);
    addCountedLists(layout, c);

    FileArea files = buildFileArea(c);
    layout.toc.set(toc::kFileCount, offsetWord(c.files.size()));
    layout.toc.set(toc::kInstalledKilobytes, offsetWord(files.installedBytes / 1024));
    layout.toc.set(toc::kPackedKilobytes, offsetWord(files.packedBytes / 1024));
    layout.toc.set(toc::kFileTotal, offsetWord(c.files.size()));

    std::string endBlock =
        seal(c.script.settings.productName.substr(0, kMaxEndBlock - kSealOverhead), clockKeyDraw());
    std::size_t tail = kTocSize + 4 + endBlock.size() + 4;

    BuiltPackage built;
    std::size_t volumeCount = 0;
    if (c.volumeSize == 0 || files.bytes.empty()) {
        layout.toc.set(toc::kFileAreaOffset, layout.offset());
        layout.append(files.bytes);
    } else {
        if (c.volumeSize <= kVolumeMarkSize)
            throw BuildError("a volume must hold more than its 8-byte mark");
        // Each volume holds its share of the stream, then the mark of this build.
        std::size_t share = c.volumeSize - kVolumeMarkSize;
        volumeCount = (files.bytes.size() + share - 1) / share;
        std::uint64_t mark = volumeMarkOf(files.bytes);
        std::string markBytes;
        putWord(markBytes, static_cast<std::uint32_t>(mark >> 32));
        putWord(markBytes, static_cast<std::uint32_t>(mark));
        layout.toc.set(toc::kVolumeMarkHigh, static_cast<std::uint32_t>(mark >> 32));
        layout.toc.set(toc::kVolumeMarkLow, static_cast<std::uint32_t>(mark));
        // The table of volume ends: the program file first, then each volume.
        std::size_t tableOffset = layout.bytes().size();
        std::size_t programSize = tableOffset + 4 * (volumeCount + 1) + tail;
        layout.toc.set(toc::kVolumeCount, offsetWord(volumeCount + 1));
        layout.toc.set(toc::kVolumeTableOffset, offsetWord(tableOffset));
        layout.toc.set(toc::kFileAreaOffset, offsetWord(programSize));
        std::string table;
        putWord(table, offsetWord(programSize));
        for (std::size_t v = 0; v < volumeCount; ++v) {
            std::size_t begin = v * share;
            std::size_t length = std::min<std::size_t>(share, files.bytes.size() - begin);
            built.volumes.push_back(files.bytes.substr(begin, length) + markBytes);
            putWord(table, offsetWord(programSize + begin + length));
        }
        layout.append(table);
    }
    layout.toc.set(toc::kVolumeTotal, offsetWord(volumeCount));

    std::uint32_t tocOffset = layout.offset();
    layout.toc.set(toc::kSelfOffset, tocOffset);
    std::string tailBytes;
    for (std::uint32_t word : layout.toc.words())
        putWord(tailBytes, word);
    putLittleWord(tailBytes, tocOffset);
    tailBytes += endBlock;
    putLittleWord(tailBytes, static_cast<std::uint32_t>(endBlock.size()));
    layout.append(tailBytes);
    built.program = std::move(layout.bytes());
    // Last, once every byte it covers is in place.
    stampPackageCheck(built.program, layout.toc);
    return built;
}

}  // namespace

BuiltPackage buildPackage(std::string_view stubImage, const PackageContents& contents) {
    try {
        return build(stubImage, contents);
    } catch (const BuildError& error) {
        BuiltPackage failed;
        failed.error = error.what();
        return failed;
    } catch (const std::bad_alloc&) {
        BuiltPackage failed;
        failed.error = "out of memory";
        return failed;
    }
}

}  // namespace vortix
