#include "addressbook/ui/entry_form.h"

#include <gtest/gtest.h>

#include "addressbook/model/copy_text.h"
#include "addressbook/model/print_layout.h"
#include "tests/support/book_builder.h"

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

TEST(EntryForm, CopiesAndPrintsShowTheNamesAsTyped) {
    // As the editor stores "Smith & Sons", "Ann & Bo" and "O'Hara & Co"; a note keeps its "&&".
    const Entry typed =
        entryAsTyped(testing_support::makeEntry({{Field::CompanyName, "Smith && Sons"},
                                                 {Field::FirstName, "Ann && Bo"},
                                                 {Field::LastName, "O'Hara && Co"},
                                                 {Field::Note, "a && b"}}));
    const struct {
        const char* what;
        std::string text;
        std::string expected;
    } cases[] = {
        {"copy company", copyText(typed, CopyPiece::CompanyName), "Smith & Sons"},
        {"copy full name", copyText(typed, CopyPiece::FullName), "Ann & Bo O'Hara & Co"},
        {"copy note", copyText(typed, CopyPiece::Note), "a && b"},
        {"copy letter", copyText(typed, CopyPiece::LetterAddress),
         "Smith & Sons\r\nAnn & Bo O'Hara & Co\r\n\r\n\r\n"},
        {"print company", listBlock(typed, SortMode::LastName)[0], "Company Name: Smith & Sons"},
        {"print by last name", listBlock(typed, SortMode::LastName)[1],
         "Name: O'Hara & Co, Ann & Bo"},
        {"print entry", singleEntryPage(typed)[1], "Name: Ann & Bo O'Hara & Co"},
        {"print note", singleEntryPage(typed)[10], "Note: a && b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, c.expected) << c.what;
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
