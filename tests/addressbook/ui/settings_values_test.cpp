#include "addressbook/ui/settings_values.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <variant>

using ctlite::SettingsValues;

namespace {

// What setSecret stored, apart from plain texts.
struct Secret {
    std::string text;
    bool operator==(const Secret& other) const { return text == other.text; }
};

// A key in memory that keeps each value with its type; a closed key refuses all.
class MemoryKey : public ctlite::SettingsKey {
public:
    using Value = std::variant<std::uint32_t, std::string, Secret>;
    bool open = true;
    std::map<std::string, Value> values;

    bool opened() const override { return open; }
    std::optional<std::uint32_t> number(const char* name) const override {
        return get<std::uint32_t>(name);
    }
    std::optional<std::string> text(const char* name) const override {
        return get<std::string>(name);
    }
    bool setNumber(const char* name, std::uint32_t value) override { return set(name, value); }
    bool setText(const char* name, const std::string& value) override { return set(name, value); }
    std::optional<std::string> secret(const char* name) const override {
        std::optional<Secret> kept = get<Secret>(name);
        return kept ? std::optional<std::string>(kept->text) : std::nullopt;
    }
    bool setSecret(const char* name, const std::string& value) override {
        return set(name, Secret{value});
    }

private:
    template <class T>
    std::optional<T> get(const char* name) const {
        auto found = values.find(name);
        if (found == values.end() || !std::holds_alternative<T>(found->second))
            return std::nullopt;
        return std::get<T>(found->second);
    }
    bool set(const char* name, Value value) {
        if (open)
            values[name] = std::move(value);
        return open;
    }
};

auto rgb(const ctlite::DisplayColours& c) {
    return std::tuple{c.background, c.text, c.link};
}

}  // namespace

TEST(SettingsValues, ColoursStartWhiteAndTakeTheDefaultSchemeWhenAllWhiteOrAllBlack) {
    const auto scheme = std::tuple{0x000000u, 0xFFFFFFu, 0x00FF00u};
    const struct {
        const char* what;
        bool open;
        std::map<std::string, MemoryKey::Value> stored;
        std::tuple<std::uint32_t, std::uint32_t, std::uint32_t> expected;
    } cases[] = {
        {"no key", false, {}, scheme},
        {"all white",
         true,
         {{"Color_Background", 0xFFFFFFu}, {"Color_Text", 0xFFFFFFu}, {"Color_Link", 0xFFFFFFu}},
         scheme},
        {"only a red background", true, {{"Color_Background", 0xFFu}}, {0xFF, 0xFFFFFF, 0xFFFFFF}},
    };
    for (const auto& c : cases) {
        MemoryKey key;
        key.open = c.open;
        key.values = c.stored;
        SettingsValues values;
        readSettings(key, values);
        EXPECT_EQ(rgb(values.colours), c.expected) << c.what;
    }
}

TEST(SettingsValues, WritesEachValueWithItsTypeAndVersionAndReadsThemBack) {
    SettingsValues written{"Ann",
                           "ann@example.com",
                           "mail.example.com",
                           std::string(300, 's'),
                           true,
                           {0x102030, 0x405060, 0x708090},
                           "Tahoma",
                           587,
                           1,
                           "ann",
                           "pa\xdfword"};
    MemoryKey key;
    ASSERT_TRUE(writeSettings(key, written));
    const std::map<std::string, MemoryKey::Value> expected = {
        {"User Name", std::string("Ann")},
        {"Email", std::string("ann@example.com")},
        {"SMTP", std::string("mail.example.com")},
        {"Signature", written.signature},
        {"Font Face", std::string("Tahoma")},
        {"Minimize", 1u},
        {"Color_Background", 0x102030u},
        {"Color_Text", 0x405060u},
        {"Color_Link", 0x708090u},
        {"Version", 352u},
        {"SMTP Port", 587u},
        {"SMTP Security", 1u},
        {"SMTP User", std::string("ann")},
        {"SMTP Password", Secret{"pa\xdfword"}},
    };
    EXPECT_EQ(key.values, expected);
    SettingsValues back;
    readSettings(key, back);
    EXPECT_EQ(back.signature, written.signature);
    EXPECT_TRUE(back.startMinimised);
    EXPECT_EQ(std::tuple(back.smtpPort, back.smtpSecurity, back.smtpUser, back.smtpPassword),
              std::tuple(587, 1, std::string("ann"), std::string("pa\xdfword")));

    key.open = false;
    EXPECT_FALSE(writeSettings(key, written));
}

// Without the new values, or with ones out of range, the server is reached as always.
TEST(SettingsValues, PortAndSecurityOutOfRangeCountAsNotSet) {
    const struct {
        std::map<std::string, MemoryKey::Value> stored;
        int port, security;
    } cases[] = {
        {{}, 25, 0},
        {{{"SMTP Port", 465u}, {"SMTP Security", 2u}}, 465, 2},
        {{{"SMTP Port", 0u}, {"SMTP Security", 3u}}, 25, 0},
        {{{"SMTP Port", 65536u}}, 25, 0},
    };
    for (const auto& c : cases) {
        MemoryKey key;
        key.values = c.stored;
        SettingsValues values;
        readSettings(key, values);
        EXPECT_EQ(std::pair(values.smtpPort, values.smtpSecurity), std::pair(c.port, c.security));
    }
}

TEST(SettingsValues, AnAddressNeedsAnAtSignUnlessEmpty) {
    for (auto [address, accepted] : {std::pair{"", true}, std::pair{"ann@example.com", true},
                                     std::pair{"ann.example.com", false}, std::pair{" ", false}})
        EXPECT_EQ(ctlite::acceptableEmail(address), accepted) << '"' << address << '"';
}
