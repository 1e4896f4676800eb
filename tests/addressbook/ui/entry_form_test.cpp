#include "addressbook/ui/entry_form.h"

#include <gtest/gtest.h>

using namespace ctlite;

TEST(EntryForm, AmpersandsOfTheNameFields) {
    EXPECT_EQ(storedFromTyped("Smith & Sons"), "Smith && Sons");
    EXPECT_EQ(typedFromStored("Smith && Sons"), "Smith & Sons");
    EXPECT_EQ(storedFromTyped("A & B & C"), "A && B & C");
    EXPECT_EQ(typedFromStored("A && B & C"), "A & B & C");
    EXPECT_EQ(storedFromTyped("O&&Neil"), "O&&&Neil");
    EXPECT_EQ(typedFromStored("O&&&Neil"), "O&&Neil");
    EXPECT_EQ(storedFromTyped("plain"), "plain");
    EXPECT_EQ(typedFromStored(""), "");
}

TEST(EntryForm, ASingleAmpersandAsImportStoresItSurvivesEditing) {
    const struct {
        const char* stored;
        const char* shown;
        const char* storedAgain;
    } cases[] = {
        {"Smith & Sons", "Smith & Sons", "Smith && Sons"},
        {"A & B && C", "A & B && C", "A && B && C"},
        {"Tail&", "Tail&", "Tail&&"},
        {"&", "&", "&&"},
        {"&&", "&", "&&"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(typedFromStored(c.stored), c.shown) << c.stored;
        EXPECT_EQ(storedFromTyped(typedFromStored(c.stored)), c.storedAgain) << c.stored;
    }
}

TEST(EntryForm, OkAndEmailRules) {
    EXPECT_FALSE(entryMayBeStored("", ""));
    EXPECT_TRUE(entryMayBeStored("A", ""));
    EXPECT_TRUE(entryMayBeStored("", "Acme"));
    EXPECT_TRUE(acceptableEmail(""));
    EXPECT_TRUE(acceptableEmail("@"));
    EXPECT_TRUE(acceptableEmail("ann@example.com"));
    EXPECT_FALSE(acceptableEmail("annexample.com"));
}
