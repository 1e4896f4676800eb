#include "installer/package/system_requirements.h"

#include <gtest/gtest.h>

#include "installer/package/package_reader.h"
#include "installer/package/package_writer.h"
#include "platform/memory_file.h"

using namespace vortix;

namespace {

SystemRequirements everyField() {
    SystemRequirements r;
    r.rows = kAllRequirementRows;
    r.windows95 = r.windows98 = r.windowsMe = r.windowsNt = true;
    r.build95 = 1111;
    r.build98 = 2222;
    r.ntMajor = 5;
    r.ntMinor = 1;
    r.ntServicePack = 2;
    r.memoryMb = 4294967295u;
    r.processorTypes = {1, 2, 3, 4, 5, 6, 256, 512, 768, 1024};
    r.anyIntel = r.anyAmd = r.mmx = r.threeDNow = true;
    r.processorMhz = 300;
    r.diskMb = 100;
    r.directXMajor = 6;
    r.directXMinor = 1;
    r.displayWidth = 800;
    r.displayHeight = 600;
    r.displayBits = 16;
    r.waveOutput = r.midiOutput = r.joystick = true;
    r.videoMemoryMb = 8;
    r.software = {{"Contavo Lite", "Contavo\\Lite"}, {"Odd = name", "A|B=C"}};
    return r;
}

}  // namespace

TEST(SystemRequirementsCodec, EveryFieldRoundTrips) {
    SystemRequirements r = everyField();
    std::optional<SystemRequirements> back = decodeRequirements(encodeRequirements(r));
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == r) << encodeRequirements(*back);
    // Nothing asked: nothing written, and nothing read back as nothing asked.
    EXPECT_EQ(encodeRequirements(SystemRequirements{}), "");
    EXPECT_TRUE(decodeRequirements("") == SystemRequirements{});
}

TEST(SystemRequirementsCodec, LinesAreReadable) {
    SystemRequirements r;
    r.rows = kRowOperatingSystem | kRowMemory;
    r.windows98 = true;
    r.build98 = 2222;
    r.memoryMb = 64;
    r.software = {{"Contavo Lite", "Contavo\\Lite"}};
    EXPECT_EQ(encodeRequirements(r),
              "rows=operating_system,memory\r\nwindows98=yes\r\nbuild98=2222\r\nmemory_mb=64\r\n"
              "software=Contavo Lite|Contavo\\Lite");
}

TEST(SystemRequirementsCodec, UnknownKeysAndRowsArePassedOver) {
    std::optional<SystemRequirements> r =
        decodeRequirements("sound_blaster=yes\r\nrows=memory,holograms\r\nmemory_mb=32\r\n");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->rows, kRowMemory);
    EXPECT_EQ(r->memoryMb, 32u);
}

TEST(SystemRequirementsCodec, MalformedEntriesAreRefused) {
    const char* const cases[] = {
        "memory_mb",                       // no "="
        "=64",                             // no key
        "memory_mb=",                      // no number
        "memory_mb=-1",                    //
        "memory_mb= 64",                   //
        "memory_mb=4294967296",            // past 32 bits
        "memory_mb=99999999999999999999",  //
        "memory_mb=0x40",                  //
        "nt_version=5",                    // major and minor
        "nt_version=5.0.1",                //
        "nt_version=256.0",                //
        "nt_service_pack=256",             //
        "directx=7.65536",                 //
        "directx=7.",                      //
        "display=800x600",                 //
        "display=800x600x",                //
        "processors=2,7",                  // 7 is no processor type
        "processors=65536",                // nor is a Cyrix
        "processors=2,,4",                 //
        "mmx=true",                        // yes or no
        "joystick=",                       //
        "software=Name only",              // no key
        "software=Name|",                  //
        "memory_mb=64\r\n\r\nmmx=yes",     // an empty line
        "memory_mb=64\nmmx=yes",           // a bare line feed
        "memory_mb=64\r",                  // a bare carriage return
    };
    for (const char* bytes : cases)
        EXPECT_FALSE(decodeRequirements(bytes)) << bytes;
}

// The entry inside a package: read back, absent, damaged, or larger than allowed.
TEST(SystemRequirementsEntry, ReadFromThePackage) {
    PackageContents contents;
    contents.languages.push_back({"English", 0x409, {"< Back"}});
    contents.requirements = everyField();
    // A stub image that would read as requirements, but more than an entry may take.
    const std::string stub = "memory_mb=64\r\npadding=" + std::string(kMaxRequirementsSize, 'y');
    BuiltPackage built = buildPackage(stub, contents);
    ASSERT_EQ(built.error, "");
    auto read = [](const std::string& program, const Toc* toc = nullptr) {
        PackageStream stream(std::make_unique<platform::MemoryFile>(program), nullptr);
        OpenedPackage opened = openPackage(stream);
        EXPECT_EQ(opened.failure, PackageFailure::None);
        return readRequirements(stream, toc ? *toc : opened.toc);
    };
    std::optional<SystemRequirements> back = read(built.program);
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == everyField());

    PackageStream stream(std::make_unique<platform::MemoryFile>(built.program), nullptr);
    Toc toc = openPackage(stream).toc;
    std::uint32_t offset = toc.word(toc::kRequirementsOffset);
    std::uint32_t length = toc.word(toc::kRequirementsLength);
    ASSERT_GT(length, 0u);
    std::string damaged = built.program;
    damaged[offset + damaged.substr(offset, length).find('=')] = ':';
    // The package is refused by its check value; the entry alone does not decode either.
    PackageStream damagedStream(std::make_unique<platform::MemoryFile>(damaged), nullptr);
    EXPECT_EQ(openPackage(damagedStream).failure, PackageFailure::Damaged);
    EXPECT_FALSE(readRequirements(damagedStream, toc));

    Toc past = toc;
    past.set(toc::kRequirementsOffset, static_cast<std::uint32_t>(built.program.size()) - 4);
    EXPECT_FALSE(read(built.program, &past));
    Toc huge = toc;
    huge.set(toc::kRequirementsOffset, 0);
    huge.set(toc::kRequirementsLength, static_cast<std::uint32_t>(stub.size()));
    EXPECT_FALSE(read(built.program, &huge));
    Toc none = toc;
    none.set(toc::kRequirementsLength, 0);
    EXPECT_TRUE(read(built.program, &none) == SystemRequirements{});

    // More than the reader takes is refused by the builder too.
    contents.requirements->software.assign(5000, {"A program of some name", "Vendor\\Product"});
    EXPECT_NE(buildPackage("MZ stub", contents).error, "");
}
