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

TEST(WebAddress, BrowserCommandCutAtThePlaceholder) {
    EXPECT_EQ(browserCommandLine("\"C:\\b\\browser.exe\" -url \"%1\"", "http://example.com/"),
              "\"C:\\b\\browser.exe\" -url  http://example.com/");
    EXPECT_EQ(browserCommandLine("browser.exe %1", "x"), "browser.exe  x");
    EXPECT_EQ(browserCommandLine("browser.exe", "x"), "browser.exe x");
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
