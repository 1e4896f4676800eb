#include "installer/common/registry_log_tree.h"

#include <gtest/gtest.h>

#include "tests/support/allocation_meter.h"
#include "tests/support/bytes.h"

using namespace vortix;

using testing_support::lit;

namespace {
std::string encoded(const RegistryLogTree& tree) {
    std::string out;
    tree.encode(out);
    return out;
}
RegistryLogTree sampleTree() {
    RegistryLogTree tree;
    RegistryKeyNode& software =
        tree.root(RegistryRoot::LocalMachine).subkey("Software", kKeyExisted);
    RegistryKeyNode& app = software.subkey("Contavo", kKeyCreated);
    app.addValue("Path", kValueWritten);
    app.addValue("Failed", kValueKept);
    app.subkey("Settings", kKeyCreated).addValue("", kValueWritten);
    tree.root(RegistryRoot::CurrentUser).addValue("Loose", kValueWritten);
    return tree;
}
}  // namespace

TEST(RegistryLogTree, FourEmptyRootsAreThirtyTwoZeroBytes) {
    EXPECT_EQ(encoded(RegistryLogTree()), std::string(32, '\0'));
    EXPECT_TRUE(RegistryLogTree().empty());
}

TEST(RegistryLogTree, EncodingIsBigEndianAndNested) {
    RegistryLogTree tree;
    tree.root(RegistryRoot::ClassesRoot).subkey("A", kKeyCreated).addValue("v", kValueWritten);
    std::string expected =
        lit("\0\0\0\0"
            "\0\0\0\1"
            "\0\0\0\1"
            "A\0"
            "\0\0\0\1"
            "v\0"
            "\0\0\0\1"
            "\0\0\0\0");
    expected += std::string(24, '\0');
    EXPECT_EQ(encoded(tree), expected);
}

TEST(RegistryLogTree, DecodesWhatItEncodes) {
    RegistryLogTree tree = sampleTree();
    std::optional<RegistryLogTree> back = RegistryLogTree::decode(encoded(tree));
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == tree);
}

TEST(RegistryLogTree, RefusesTruncatedAndMalformedBytes) {
    std::string bytes = encoded(sampleTree());
    for (std::size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(RegistryLogTree::decode(bytes.substr(0, n))) << "cut at " << n;
    EXPECT_FALSE(RegistryLogTree::decode(bytes + "x"));  // bytes after the fourth root
    // A count far beyond the bytes left is refused before anything is allocated.
    EXPECT_FALSE(RegistryLogTree::decode(lit("\xFF\xFF\xFF\xFF") + std::string(28, '\0')));
    EXPECT_FALSE(RegistryLogTree::decode(lit("\0\0\0\0\x7F\xFF\xFF\xFF") + std::string(24, '\0')));
    // A name without its NUL.
    EXPECT_FALSE(RegistryLogTree::decode(lit("\0\0\0\1name") + std::string(28, 'x')));
}

TEST(RegistryLogTree, RefusesTreesDeeperThanTheRegistry) {
    auto chain = [](int depth) {
        std::string node = std::string(8, '\0');
        for (int i = 0; i < depth; ++i)
            node = lit("\0\0\0\0\0\0\0\1\0\0\0\1k\0") + node;
        return node + std::string(24, '\0');
    };
    EXPECT_TRUE(RegistryLogTree::decode(chain(100)));
    EXPECT_FALSE(RegistryLogTree::decode(chain(600)));
}

TEST(RegistryLogTree, ADamagedTreeCostsMemoryInProportionToItsSize) {
    // Every level claims as many subkeys as the bytes left could hold, and holds one;
    // the end is bytes no record can be read from.
    constexpr int kLevels = 500;
    constexpr std::size_t kSize = 64 * 1024;
    std::string bytes;
    std::vector<std::size_t> counts;
    for (int level = 0; level < kLevels; ++level) {
        bytes += std::string(4, '\0');  // no values
        counts.push_back(bytes.size());
        bytes += lit("\0\0\0\0\0\0\0\1k\0");  // the count, then one subkey
    }
    bytes += std::string(8, '\0');  // the deepest key is empty
    bytes.resize(kSize, '\xFF');
    for (std::size_t at : counts) {
        auto claim = static_cast<std::uint32_t>((kSize - at - 4) / 13);
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>(claim >> (24 - 8 * i));
    }
    testing_support::AllocationMeter meter;
    EXPECT_FALSE(RegistryLogTree::decode(bytes));
    EXPECT_LT(meter.peakBytes(), 16 * kSize);
}

TEST(RegistryLogTree, RecordedKeysAndValuesFoldIn) {
    EXPECT_EQ(recordedKey(kRootHandles[2], "Software\\App"), "-2147483646\\Software\\App");
    EXPECT_EQ(recordedValue(kRootHandles[2], "Software\\App", "Ver"),
              "-2147483646\\Software\\App\\\\Ver");
    EXPECT_EQ(recordedValue(kRootHandles[2], "Software\\App\\", "Ver"),
              "-2147483646\\Software\\App\\\\Ver");

    RegistryLogTree tree;
    tree.root(RegistryRoot::LocalMachine).subkey("SOFTWARE", kKeyExisted);
    EXPECT_TRUE(tree.addRecordedKey(recordedKey(kRootHandles[2], "Software\\App\\Sub")));
    EXPECT_TRUE(tree.addRecordedValue(recordedValue(kRootHandles[2], "Software\\App\\", "Ver")));
    EXPECT_TRUE(tree.addRecordedValue(recordedValue(kRootHandles[2], "software\\app", "VER")));
    EXPECT_FALSE(tree.addRecordedKey("12345\\Software"));
    EXPECT_FALSE(tree.addRecordedValue("-2147483646\\NoValueSeparator"));

    const RegistryKeyNode& software = tree.root(RegistryRoot::LocalMachine).subkeys.at(0);
    EXPECT_EQ(software.flag, kKeyExisted);  // an existing node keeps its flag
    ASSERT_EQ(software.subkeys.size(), 1u);
    const RegistryKeyNode& app = software.subkeys[0];
    EXPECT_EQ(app.flag, kKeyRecorded);
    ASSERT_EQ(app.values.size(), 1u);  // the same name twice, once
    EXPECT_EQ(app.values[0].name, "Ver");
    EXPECT_EQ(app.values[0].flag, kValueWritten);
    EXPECT_EQ(app.subkeys.at(0).name, "Sub");
}

TEST(RegistryLogTree, MergeTakesTheOlderLogsFlagsUnlessRecorded) {
    RegistryLogTree current;
    current.root(RegistryRoot::CurrentUser).subkey("A", kKeyRecorded).addValue("x", kValueWritten);
    current.root(RegistryRoot::CurrentUser).subkey("B", kKeyCreated);
    RegistryLogTree older;
    older.root(RegistryRoot::CurrentUser).subkey("a", kKeyExisted).addValue("X", kValueKept);
    older.root(RegistryRoot::CurrentUser).subkey("b", kKeyRecorded);
    older.root(RegistryRoot::CurrentUser).subkey("C", kKeyCreated).addValue("y", kValueWritten);
    current.mergeFrom(older);
    const RegistryKeyNode& user = current.root(RegistryRoot::CurrentUser);
    ASSERT_EQ(user.subkeys.size(), 3u);
    EXPECT_EQ(user.subkeys[0].flag, kKeyExisted);  // from the older log
    EXPECT_EQ(user.subkeys[0].values.size(), 1u);  // "X" is "x"
    EXPECT_EQ(user.subkeys[1].flag, kKeyCreated);  // the older flag was 2: kept
    EXPECT_EQ(user.subkeys[2].name, "C");
    EXPECT_EQ(user.subkeys[2].values.at(0).name, "y");
}
