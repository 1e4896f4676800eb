#include <gtest/gtest.h>

#include "addressbook/contracts/poster_arguments.h"
#include "addressbook/ui/web_address.h"
#include "tests/support/book_builder.h"

using namespace ctlite;
using testing_support::makeEntry;

TEST(PosterArguments, TwentyValuesInTheirOrder) {
    Entry e = makeEntry({{Field::FirstName, "Ann"},
                         {Field::LastName, "Smith"},
                         {Field::Note, "n"},
                         {Field::CompanyName, "Acme"},
                         {Field::EmailAddress, "a@b"},
                         {Field::FaxNumber, "f"},
                         {Field::HomePhone, "h"},
                         {Field::Homepage, "w"},
                         {Field::MobilePhone, "m"},
                         {Field::PagerNumber, "p"},
                         {Field::Picture, "c:\\x.jpg"},
                         {Field::City, "Rome"},
                         {Field::ZipCode, "00100"},
                         {Field::StreetAddress, "Via 1"},
                         {Field::WorkPhone, "wk"},
                         {Field::Country, "IT"}});
    FieldLabels labels;
    labels.set(Label::Mobile, "Cell:");
    std::string arguments = posterArguments(e, "Friends", labels);
    EXPECT_EQ(arguments,
              "^n^ ^Acme^ ^a@b^ ^f^ ^Friends^ ^h^ ^w^ ^m^ ^Ann Smith^ ^p^ ^c:\\x.jpg^ ^Rome 00100^ "
              "^Via 1^ ^wk^ ^IT^ ^Work:^ ^Home:^ ^Fax:^ ^Pager:^ ^Cell:^ ");
    std::vector<std::string> values = splitPosterArguments(arguments);
    ASSERT_EQ(values.size(), 20u);
    EXPECT_EQ(values[8], "Ann Smith");
    EXPECT_EQ(values[19], "Cell:");
    EXPECT_EQ(splitPosterArguments(posterArguments(Entry(), "", FieldLabels()))[0], "");
}

TEST(WebAddress, BrowserCommandCutAtThePlaceholderWithTheAddressQuoted) {
    EXPECT_EQ(browserCommandLine("\"C:\\b\\browser.exe\" -url \"%1\"", "http://example.com/"),
              "\"C:\\b\\browser.exe\" -url  \"http://example.com/\"");
    EXPECT_EQ(browserCommandLine("browser.exe %1", "x"), "browser.exe  \"x\"");
    EXPECT_EQ(browserCommandLine("browser.exe", "x"), "browser.exe \"x\"");
}

TEST(WebAddress, OnlyWebAndMailAddressesAreOpened) {
    struct Case {
        const char* homepage;
        std::optional<std::string> opened;
    } cases[] = {
        {"http://www.example.com/", "http://www.example.com/"},
        {"HTTPS://example.com/a?b=c", "HTTPS://example.com/a?b=c"},
        {"www.example.com", "http://www.example.com"},
        {"  www.example.com/x \r\n", "http://www.example.com/x"},
        {"mailto:ann@example.com", "mailto:ann@example.com"},
        // Blanks and quotes stay inside the one address.
        {"http://example.com/a b\" -new", "http://example.com/a%20b%22%20-new"},
        {"http://example.com/\\", "http://example.com/%5C"},
        {"www.example.com/\t\"x", "http://www.example.com/%09%22x"},
        // Programs, files, shares and other schemes are never run.
        {"C:\\Temp\\x.exe", std::nullopt},
        {"\\\\host\\share\\x.exe", std::nullopt},
        {"x.exe", std::nullopt},
        {"file:///C:/x.exe", std::nullopt},
        {"javascript:alert(1)", std::nullopt},
        {"http:\\\\host\\share\\x.exe", std::nullopt},
        {"http:///C:/x.exe", std::nullopt},
        {"http://", std::nullopt},
        {"www.", std::nullopt},
        {"mailto:", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(openableAddress(c.homepage), c.opened) << c.homepage;
    EXPECT_EQ(notOpenedMessage("C:\\x.exe"),
              "This homepage is not a web address, so it is not opened:\n\nC:\\x.exe");
}

#include "poster/card_lines.h"

TEST(PosterCard, LinesFromTheValues) {
    Entry e = makeEntry({{Field::FirstName, "Ann"},
                         {Field::LastName, "Smith"},
                         {Field::WorkPhone, "555"},
                         {Field::Note, "one\r\ntwo"}});
    std::vector<std::string> lines =
        posterCardLines(splitPosterArguments(posterArguments(e, "G", FieldLabels())));
    EXPECT_EQ(lines, (std::vector<std::string>{"Ann Smith", "", "Work: 555", "", "one", "two"}));
}
