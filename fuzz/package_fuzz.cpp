// The setup program reading a package from its own file: whatever the bytes,
// it must end in a clean refusal or a readable package.
#include <cstddef>
#include <cstdint>
#include <string>

#include "installer/package/package_check.h"
#include "installer/package/package_reader.h"
#include "installer/package/script_codec.h"
#include "platform/memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    vortix::decodeScript(bytes);
    std::size_t used = 0;
    vortix::decodeFileRecord(bytes, used);
    vortix::decodeLanguageSet(bytes, true);

    // Half the input as the program file, the rest as a second volume.
    std::string program = bytes.substr(0, size / 2), volume = bytes.substr(size / 2);
    vortix::VolumeOpener opener = [&](int number) -> std::unique_ptr<platform::File> {
        if (number != 1)
            return nullptr;
        return std::make_unique<platform::MemoryFile>(volume);
    };
    vortix::PackageStream stream(std::make_unique<platform::MemoryFile>(program), opener);
    vortix::OpenedPackage opened = vortix::openPackage(stream);
    // Past the check value, as a package built with these bytes would be: the readers
    // behind it see the input too.
    if (opened.failure == vortix::PackageFailure::Damaged &&
        vortix::stampPackageCheck(program, opened.toc)) {
        stream = vortix::PackageStream(std::make_unique<platform::MemoryFile>(program), opener);
        opened = vortix::openPackage(stream);
    }
    if (opened.failure != vortix::PackageFailure::None)
        return 0;
    vortix::readLanguageList(stream, opened.toc);
    vortix::readLanguageSet(stream, opened.toc, 0);
    vortix::readSealedText(stream, opened.toc, vortix::toc::kLicencePresent);
    vortix::readPieceList(stream, opened.toc, vortix::toc::kFontCount, vortix::toc::kFontOffset,
                          false);
    vortix::FileRecordCursor cursor(stream, opened.toc);
    vortix::PackagedFile record;
    vortix::Extent extent;
    std::string piece;
    for (int n = 0; n < 1000 && cursor.next(record, extent); ++n)
        stream.read(extent.offset, extent.length > 65536 ? 65536 : extent.length, piece);
    return 0;
}
