#include "installer/setup/extract/package_entry.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"
#include "tests/support/temp_dir.h"

using namespace vortix;
using testing_support::readBytes;

namespace {

std::string fixture(const std::string& name) {
    return readBytes(std::string(SETUP_TEST_DATA) + "/" + name);
}

DecompressResult decompress(const std::string& entry, std::string* output = nullptr,
                            std::size_t step = static_cast<std::size_t>(-1)) {
    MemorySource source(entry, step);
    StringSink sink;
    DecompressResult result = decompressEntry(source, sink);
    if (output)
        *output = sink.bytes();
    return result;
}

std::string le32(std::uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>(v >> (8 * i)));
    return s;
}

std::uint32_t crcOf(const std::string& bytes) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::string rawDeflate(const std::string& plain) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&z, plain.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    z.avail_in = static_cast<uInt>(plain.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// A gzip member with every optional header part.
std::string fullMember(const std::string& plain, bool goodHeaderCrc = true) {
    std::string header("\x1F\x8B\x08\x1E\0\0\0\0\0\x03", 10);  // FHCRC FEXTRA FNAME FCOMMENT
    header += std::string("\x06\0AB\x02\0xy", 8);              // XLEN 6: one subfield
    header += std::string("name.txt\0", 9);
    header += std::string("a comment\0", 10);
    std::uint32_t crc16 = crcOf(header) & 0xFFFF;
    if (!goodHeaderCrc)
        crc16 ^= 1;
    header.push_back(static_cast<char>(crc16));
    header.push_back(static_cast<char>(crc16 >> 8));
    return header + rawDeflate(plain) + le32(crcOf(plain)) +
           le32(static_cast<std::uint32_t>(plain.size()));
}

}  // namespace

TEST(PackageEntry, ToolMadeEntriesGiveTheOriginalBytes) {
    const std::string original = fixture("text.txt");
    for (const char* name : {"text.gz", "text.zip", "text-stored.zip", "text-stream.zip"}) {
        const std::string entry = fixture(name);
        // Whole, and handed out in odd small pieces that split every header field.
        for (std::size_t step : {static_cast<std::size_t>(-1), std::size_t{7}, std::size_t{1}}) {
            std::string output;
            DecompressResult result = decompress(entry, &output, step);
            ASSERT_TRUE(result.ok) << name << " step " << step << ": " << result.message;
            EXPECT_EQ(result.written, original.size()) << name;
            EXPECT_TRUE(output == original) << name << " step " << step;
        }
    }
    std::string output = "x";
    EXPECT_TRUE(decompress(fixture("empty.gz"), &output).ok);
    EXPECT_EQ(output, "");
}

TEST(PackageEntry, GzipOptionalHeaderPartsAndMembersInARow) {
    std::string plain(300000, 'q');  // more than one buffer of output
    for (std::size_t i = 0; i < plain.size(); i += 97)
        plain[i] = static_cast<char>(i);
    std::string output;
    DecompressResult result = decompress(fullMember(plain), &output, 5);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_TRUE(output == plain);

    result = decompress(fullMember("first ") + fullMember("second"), &output);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(output, "first second");

    result = decompress(fullMember("x", false));
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("header"), std::string::npos) << result.message;

    result = decompress(fullMember("x") + "junk");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("do not belong"), std::string::npos) << result.message;
    EXPECT_FALSE(decompress(fullMember("x") + "\x1F").ok);

    std::string reserved = fullMember("x");
    reserved[3] = static_cast<char>(reserved[3] | 0x20);
    EXPECT_NE(decompress(reserved).message.find("flags (0x3E)"), std::string::npos);
}

TEST(PackageEntry, DamagedChecksumsAndSizesAreRefused) {
    std::string gz = fixture("text.gz");
    std::string bad = gz;
    bad[bad.size() - 8] ^= 1;  // CRC-32
    DecompressResult result = decompress(bad);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("checksum"), std::string::npos) << result.message;
    bad = gz;
    bad[bad.size() - 3] ^= 1;  // ISIZE
    EXPECT_NE(decompress(bad).message.find("length"), std::string::npos);

    // One byte of the stored data changed: only the CRC can tell.
    std::string stored = fixture("text-stored.zip");
    stored[30 + 8 + 1000] ^= 0x20;
    result = decompress(stored);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("checksum"), std::string::npos) << result.message;

    // The CRC in the data descriptor after the deflated data.
    std::string stream = fixture("text-stream.zip");
    std::size_t descriptor = stream.find("PK\x07\x08");
    ASSERT_NE(descriptor, std::string::npos);
    stream[descriptor + 4] ^= 1;
    EXPECT_NE(decompress(stream).message.find("checksum"), std::string::npos);

    // Damage inside the deflate data is caught by zlib or by the CRC, never taken.
    std::string deflated = fixture("text.zip");
    for (std::size_t at = 60; at < 3000; at += 149) {
        std::string hit = deflated;
        hit[at] = static_cast<char>(~hit[at]);
        EXPECT_FALSE(decompress(hit).ok) << "byte " << at;
    }
}

TEST(PackageEntry, CutOffEntriesAreRefused) {
    std::string member = fullMember("Some text to compress, some text to compress.");
    for (std::size_t n = 2; n < member.size(); ++n) {
        DecompressResult result = decompress(member.substr(0, n));
        EXPECT_FALSE(result.ok) << n;
        EXPECT_NE(result.message.find("cut off"), std::string::npos) << n << result.message;
    }
    for (const char* name : {"text.zip", "text-stored.zip", "text-stream.zip"}) {
        std::string zip = fixture(name);
        std::size_t end = zip.find("PK\x01\x02");  // the central directory is not needed
        ASSERT_NE(end, std::string::npos);
        EXPECT_TRUE(decompress(zip.substr(0, end)).ok) << name;
        for (std::size_t n = 1; n < end; n += 211)
            EXPECT_FALSE(decompress(zip.substr(0, n)).ok) << name << " " << n;
    }
    EXPECT_EQ(decompress("").message, "The package entry is empty.");
}

TEST(PackageEntry, UnsupportedMethodsAndFormatsAreNamed) {
    std::string gz = fixture("text.gz");
    gz[2] = 7;
    EXPECT_NE(decompress(gz).message.find("method 7"), std::string::npos);

    std::string zip = fixture("text.zip");
    zip[8] = 12;  // bzip2
    EXPECT_NE(decompress(zip).message.find("method 12"), std::string::npos);
    zip = fixture("text.zip");
    zip[6] |= 1;
    EXPECT_NE(decompress(zip).message.find("encrypted"), std::string::npos);

    struct Legacy {
        const char* magic;
        const char* name;
    };
    for (Legacy legacy : {Legacy{"\x1F\x9E", "old gzip"}, Legacy{"\x1F\x1E", "packed"},
                          Legacy{"\x1F\x9D", "compress"}, Legacy{"\x1F\xA0", "LZH"}}) {
        DecompressResult result = decompress(std::string(legacy.magic) + "\x08\x00rest of it");
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.message.find(std::string("the ") + legacy.name + " format"),
                  std::string::npos)
            << result.message;
    }
    EXPECT_NE(decompress("plain text").message.find("not in a compressed format"),
              std::string::npos);
}

TEST(PackageEntry, ReadAndWriteFailuresAreReported) {
    struct FailingSource : ByteSource {
        bool read(unsigned char*, std::size_t, std::size_t&) override { return false; }
    } source;
    StringSink sink;
    EXPECT_EQ(decompressEntry(source, sink).message, "The package could not be read.");

    struct FullDisk : ByteSink {
        bool write(const unsigned char*, std::size_t) override { return false; }
    } full;
    const std::string gz = fixture("text.gz");
    MemorySource entry(gz);
    EXPECT_NE(decompressEntry(entry, full).message.find("could not be written"), std::string::npos);
}

TEST(PackageEntry, OneEntryOfAPackageIntoAFile) {
    // Two entries back to back: the limit keeps the first from reading into the second.
    const std::string first = fixture("text.gz"), second = fixture("text-stored.zip");
    const std::string package = "head" + first + second;
    MemorySource whole(package, 1000);
    std::size_t got = 0;
    unsigned char head[4];
    ASSERT_TRUE(whole.read(head, 4, got) && got == 4);

    testing_support::TempDir dir;
    const std::string path = dir.file("vxw1.tmp");
    for (const std::string* entry : {&first, &second}) {
        auto file = platform::systemFileSystem().open(path, platform::OpenMode::CreateNew);
        ASSERT_TRUE(file);
        LimitedSource source(whole, entry->size());
        FileSink sink(*file);
        DecompressResult result = decompressEntry(source, sink);
        ASSERT_TRUE(result.ok) << result.message;
        ASSERT_TRUE(file->close());
        EXPECT_TRUE(readBytes(path) == fixture("text.txt"));
        ASSERT_TRUE(platform::systemFileSystem().remove(path));
    }

    // A length beyond the package's end is a cut-off entry.
    MemorySource shorter(first.substr(0, first.size() - 1));
    LimitedSource beyond(shorter, first.size());
    StringSink sink;
    std::string message = decompressEntry(beyond, sink).message;
    EXPECT_NE(message.find("cut off"), std::string::npos) << message;
}
