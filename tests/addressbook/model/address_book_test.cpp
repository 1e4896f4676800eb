#include "addressbook/model/address_book.h"

#include <gtest/gtest.h>

using namespace ctlite;

TEST(AddressBook, StartsWithTheTwoFixedGroups) {
    AddressBook book;
    ASSERT_EQ(book.groupCount(), 2);
    EXPECT_EQ(book.groupName(0), "Personal");
    EXPECT_EQ(book.groupName(1), "Business");
    EXPECT_FALSE(book.removeGroup(0));
    EXPECT_FALSE(book.removeGroup(1));
    book.group(0).setName("");
    EXPECT_EQ(book.groupName(0), "Personal");
}

TEST(AddressBook, UserGroups) {
    AddressBook book;
    EXPECT_EQ(book.addGroup("Friends"), 2);
    EXPECT_EQ(book.addGroup("Club"), 3);
    EXPECT_TRUE(book.setCurrentGroupIndex(3));
    EXPECT_TRUE(book.removeGroup(2));
    EXPECT_EQ(book.groupName(2), "Club");
    EXPECT_EQ(book.currentGroupIndex(), 0);  // the current group went past the end
    EXPECT_FALSE(book.setCurrentGroupIndex(3));
}

TEST(AddressBook, NamesAndPasswordsStayReadable) {
    AddressBook book;
    std::string longName(60, 'n');
    int g = book.addGroup(longName + "\x07\x18");
    EXPECT_EQ(book.groupName(g), std::string(49, 'n'));
    book.group(g).setName("Tab\there\x0E");
    EXPECT_EQ(book.groupName(g), "Tabhere");
    book.setPassword(std::string(55, 'p'));
    EXPECT_EQ(book.password(), std::string(49, 'p'));
    book.setPassword(
        "a\x0E"
        "b\xE9");
    EXPECT_EQ(book.password(), "ab\xE9");
}

TEST(AddressBook, PasswordIsScrambledWhileHidden) {
    AddressBook book;
    book.setPassword("secret");
    book.scramblePassword();
    EXPECT_TRUE(book.passwordScrambled());
    EXPECT_EQ(book.password(), "secret");
    book.scramblePassword();  // twice is once
    book.setPassword("other");
    book.unscramblePassword();
    EXPECT_EQ(book.password(), "other");
}

TEST(FieldLabels, DefaultsAndEmptyCaptions) {
    FieldLabels labels;
    EXPECT_EQ(labels.get(Label::CompanyName), "Company Name:");
    EXPECT_EQ(labels.get(Label::Homepage), "Homepage:");
    EXPECT_EQ(labels.get(Label::EmailAddress), "E-Mail Address:");
    labels.set(Label::City, "");
    labels.set(Label::State, " ");
    labels.set(Label::Fax, "&Fax\x0E:");
    labels.fillEmptyWithDefaults();
    EXPECT_EQ(labels.get(Label::City), "City:");
    EXPECT_EQ(labels.get(Label::State), " ");
    EXPECT_EQ(labels.get(Label::Fax), "&Fax:");
    labels.restoreDefaults();
    EXPECT_EQ(labels.get(Label::State), "State:");
}
