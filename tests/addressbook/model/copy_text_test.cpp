#include "addressbook/model/copy_text.h"

#include <gtest/gtest.h>

#include "tests/support/book_builder.h"

using namespace ctlite;
using testing_support::makeEntry;

namespace {

struct CopyCase {
    const char* what;
    Entry entry;
    CopyPiece piece;
    std::string expected;
};

}  // namespace

TEST(CopyText, BlocksAndFields) {
    const Entry full = makeEntry({{Field::FirstName, "Ann"},
                                  {Field::LastName, "Smith"},
                                  {Field::CompanyName, "Acme"},
                                  {Field::HomePhone, "111"},
                                  {Field::WorkPhone, "222"},
                                  {Field::MobilePhone, "333"},
                                  {Field::FaxNumber, "444"},
                                  {Field::PagerNumber, "555"},
                                  {Field::StreetAddress, "1 Main St"},
                                  {Field::City, "Springfield"},
                                  {Field::State, "IL"},
                                  {Field::ZipCode, "62701"},
                                  {Field::Country, "USA"},
                                  {Field::EmailAddress, "ann@example.com"},
                                  {Field::Homepage, "www.example.com"},
                                  {Field::Note, "line 1\r\nline 2"},
                                  {Field::Picture, "C:\\ann.jpg"}});
    const CopyCase cases[] = {
        {"full name keeps its blank", makeEntry({{Field::LastName, "Smith"}}), CopyPiece::FullName,
         " Smith"},
        {"empty entry's full name", Entry(), CopyPiece::FullName, " "},
        {"company as stored", full, CopyPiece::CompanyName, "Acme"},
        {"note with its line ends", full, CopyPiece::Note, "line 1\r\nline 2"},
        {"pager", full, CopyPiece::PagerNumber, "555"},
        {"street address joined by CR", full, CopyPiece::StreetAddress,
         "1 Main St\rSpringfield, IL 62701\rUSA"},
        {"street address without country ends with CR",
         makeEntry({{Field::StreetAddress, "1 Main St"},
                    {Field::City, "Springfield"},
                    {Field::State, "IL"},
                    {Field::ZipCode, "62701"}}),
         CopyPiece::StreetAddress, "1 Main St\rSpringfield, IL 62701\r"},
        {"street address of an empty entry", Entry(), CopyPiece::StreetAddress, "\r\r"},
        {"all fields, first name only", makeEntry({{Field::FirstName, "Ann"}}),
         CopyPiece::AllFields, "Ann \r\n"},
        {"all fields skips empty pieces, homepage last without line end",
         makeEntry({{Field::FirstName, "Ann"},
                    {Field::HomePhone, "111"},
                    {Field::PagerNumber, "555"},
                    {Field::Homepage, "www.example.com"}}),
         CopyPiece::AllFields, "Ann \r\n(Home) 111\r\n(Pager) 555\r\nwww.example.com"},
        {"all fields in order, without note, company or picture", full, CopyPiece::AllFields,
         "Ann Smith\r\n(Home) 111\r\n(Work) 222\r\n(Mobile) 333\r\n(Fax) 444\r\n(Pager) 555\r\n"
         "1 Main St\r\nSpringfield, IL 62701\r\nUSA\r\nann@example.com\r\nwww.example.com"},
        {"letter address with company: five lines", full, CopyPiece::LetterAddress,
         "Acme\r\nAnn Smith\r\n1 Main St\r\nSpringfield, IL 62701\r\nUSA"},
        {"letter address keeps empty lines", makeEntry({{Field::FirstName, "Ann"}}),
         CopyPiece::LetterAddress, "Ann \r\n\r\n\r\n"},
        {"letter address of no entry", Entry(), CopyPiece::LetterAddress, " \r\n\r\n\r\n"},
    };
    for (const CopyCase& c : cases)
        EXPECT_EQ(copyText(c.entry, c.piece), c.expected) << c.what;
}
