#include "addressbook/ui/settings_values.h"

#include <gtest/gtest.h>

#include <map>
#include <variant>

using ctlite::DisplayColours;
using ctlite::SettingsValues;

namespace {

// A key in memory that keeps each value with its type; a closed key refuses all.
class MemoryKey : public ctlite::SettingsKey {
public:
    using Value = std::variant<std::uint32_t, std::string>;
    explicit MemoryKey(bool open = true) : open_(open) {}

    bool opened() const override { return open_; }
    std::optional<std::uint32_t> number(const char* name) const override {
        auto found = values.find(name);
        if (found == values.end() || !std::holds_alternative<std::uint32_t>(found->second))
            return std::nullopt;
        return std::get<std::uint32_t>(found->second);
    }
    std::optional<std::string> text(const char* name) const override {
        auto found = values.find(name);
        if (found == values.end() || !std::holds_alternative<std::string>(found->second))
            return std::nullopt;
        return std::get<std::string>(found->second);
    }
    bool setNumber(const char* name, std::uint32_t value) override { return set(name, value); }
    bool setText(const char* name, const std::string& value) override { return set(name, value); }

    std::map<std::string, Value> values;

private:
    bool set(const char* name, Value value) {
        if (open_)
            values[name] = std::move(value);
        return open_;
    }
    bool open_;
};

void expectColours(const DisplayColours& got, const DisplayColours& expected, const char* what) {
    EXPECT_EQ(got.background, expected.background) << what;
    EXPECT_EQ(got.text, expected.text) << what;
    EXPECT_EQ(got.link, expected.link) << what;
}

constexpr DisplayColours kDefaultScheme{0x000000, 0xFFFFFF, 0x00FF00};

}  // namespace

TEST(SettingsValues, ColoursStartWhiteAndTakeTheDefaultSchemeWhenAllWhiteOrAllBlack) {
    const struct {
        const char* what;
        bool open;
        std::map<std::string, MemoryKey::Value> stored;
        DisplayColours expected;
    } cases[] = {
        {"no key", false, {}, kDefaultScheme},
        {"nothing stored", true, {}, kDefaultScheme},
        {"all white",
         true,
         {{"Color_Background", 0xFFFFFFu}, {"Color_Text", 0xFFFFFFu}, {"Color_Link", 0xFFFFFFu}},
         kDefaultScheme},
        {"all black",
         true,
         {{"Color_Background", 0u}, {"Color_Text", 0u}, {"Color_Link", 0u}},
         kDefaultScheme},
        {"only a red background: the others stay white",
         true,
         {{"Color_Background", 0x0000FFu}},
         {0x0000FF, 0xFFFFFF, 0xFFFFFF}},
        {"a light scheme",
         true,
         {{"Color_Background", 0xF0F8FFu}, {"Color_Text", 0x202020u}, {"Color_Link", 0xCC0000u}},
         {0xF0F8FF, 0x202020, 0xCC0000}},
    };
    for (const auto& c : cases) {
        MemoryKey key(c.open);
        key.values = c.stored;
        SettingsValues values;
        readSettings(key, values);
        expectColours(values.colours, c.expected, c.what);
    }
}

TEST(SettingsValues, WritesEachValueWithItsTypeAndVersionAndReadsThemBack) {
    SettingsValues written;
    written.userName = "Ann Smith";
    written.email = "ann@example.com";
    written.smtpServer = "mail.example.com";
    written.signature = std::string(300, 's') + "\r\n-- Ann";
    written.startMinimised = true;
    written.colours = {0x102030, 0x405060, 0x708090};
    written.fontFace = "Times New Roman";
    MemoryKey key;
    ASSERT_TRUE(writeSettings(key, written));

    const std::map<std::string, MemoryKey::Value> expected = {
        {"User Name", std::string("Ann Smith")},
        {"Email", std::string("ann@example.com")},
        {"SMTP", std::string("mail.example.com")},
        {"Signature", written.signature},
        {"Font Face", std::string("Times New Roman")},
        {"Minimize", 1u},
        {"Color_Background", 0x102030u},
        {"Color_Text", 0x405060u},
        {"Color_Link", 0x708090u},
        {"Version", 352u},
    };
    EXPECT_EQ(key.values, expected);

    SettingsValues back;
    readSettings(key, back);
    EXPECT_EQ(back.signature, written.signature);
    EXPECT_EQ(back.userName, written.userName);
    EXPECT_EQ(back.fontFace, written.fontFace);
    EXPECT_TRUE(back.startMinimised);
    expectColours(back.colours, written.colours, "read back");

    MemoryKey closed(false);
    EXPECT_FALSE(writeSettings(closed, written));
}

TEST(SettingsValues, AnAddressNeedsAnAtSignUnlessEmptyAndArialStandsInForNoFace) {
    for (auto [address, accepted] :
         {std::pair{"", true}, std::pair{"ann@example.com", true}, std::pair{"@", true},
          std::pair{"ann.example.com", false}, std::pair{" ", false}})
        EXPECT_EQ(ctlite::acceptableEmail(address), accepted) << '"' << address << '"';
    EXPECT_EQ(ctlite::faceToSelect(""), "Arial");
    EXPECT_EQ(ctlite::faceToSelect("Tahoma"), "Tahoma");
}
