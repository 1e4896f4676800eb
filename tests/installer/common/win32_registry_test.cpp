// The registry table on the real registry (under Wine): a test key under
// HKEY_CURRENT_USER made, written, read back with the system's types, and
// removed again.
#include "installer/common/win32_registry.h"

#include <gtest/gtest.h>

using namespace vortix;
using namespace std::string_literals;

namespace {

const std::string kTestKey = "Software\\Vortix Tests\\Win32Registry";

class Win32RegistryTable : public testing::Test {
protected:
    Win32Registry registry;
    KeyHandle user = registry.rootKey(RegistryRoot::CurrentUser);

    void TearDown() override {
        registry.deleteKey(user, kTestKey + "\\Sub");
        registry.deleteKey(user, kTestKey);
    }
};

}  // namespace

TEST_F(Win32RegistryTable, ValuesComeBackWithTheirTypesAndBytes) {
    KeyHandle key = 0;
    ASSERT_EQ(registry.createKey(user, kTestKey, KeyAccess::All, key), KeyCreate::Created);
    struct Case {
        const char* name;
        RegistryValueType type;
        std::string bytes;
        std::uint32_t systemType;
    };
    for (const Case& c : {Case{"text", RegistryValueType::String, "Vortix\0"s, 1},
                          Case{"count", RegistryValueType::Dword, "\4\3\2\1"s, 4},
                          Case{"bytes", RegistryValueType::Binary, "\0\1\2"s, 3},
                          Case{"list", RegistryValueType::MultiString, "a\0b\0\0"s, 7},
                          Case{"", RegistryValueType::String, "default\0"s, 1}}) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(registry.setValue(key, c.name, c.type, c.bytes));
        std::optional<RegistryValue> read = registry.value(key, c.name);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->type, c.systemType);
        EXPECT_EQ(read->data, c.bytes);
    }
    EXPECT_EQ(readRegistryString(registry, RegistryRoot::CurrentUser, kTestKey, "TEXT"), "Vortix");
    EXPECT_TRUE(registry.deleteValue(key, "text"));
    EXPECT_FALSE(registry.value(key, "text"));
    EXPECT_FALSE(registry.deleteValue(key, "text"));
    registry.closeKey(key);
}

TEST_F(Win32RegistryTable, KeysAreOpenedCreatedAndDeletedOnlyWithoutSubkeys) {
    KeyHandle key = 0, sub = 0;
    EXPECT_EQ(registry.openKey(user, kTestKey, KeyAccess::Read, key), KeyOpen::Missing);
    ASSERT_EQ(registry.createKey(user, kTestKey + "\\Sub", KeyAccess::Write, sub),
              KeyCreate::Created);
    registry.closeKey(sub);
    // Opened for its values only, a key does not list its subkeys.
    ASSERT_EQ(registry.createKey(user, kTestKey, KeyAccess::Values, key), KeyCreate::Opened);
    EXPECT_FALSE(registry.hasSubkey(key));
    registry.closeKey(key);
    ASSERT_EQ(registry.openKey(user, kTestKey, KeyAccess::Read, key), KeyOpen::Opened);
    EXPECT_TRUE(registry.hasSubkey(key));
    registry.closeKey(key);
    EXPECT_FALSE(registry.deleteKey(user, kTestKey));
    EXPECT_TRUE(registry.deleteKey(user, kTestKey + "\\Sub"));
    ASSERT_EQ(registry.openKey(user, kTestKey, KeyAccess::Read, key), KeyOpen::Opened);
    EXPECT_FALSE(registry.hasSubkey(key));
    registry.closeKey(key);
    registry.closeKey(user);  // a root stays usable
    EXPECT_TRUE(registry.deleteKey(user, kTestKey));
    EXPECT_EQ(registry.openKey(user, kTestKey, KeyAccess::Read, key), KeyOpen::Missing);
}
