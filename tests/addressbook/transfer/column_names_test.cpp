#include "addressbook/transfer/column_names.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace ctlite;
using namespace ctlite::transfer;

namespace {

// A header line as each source writes it (from its published column list, cut to
// the columns around those the book keeps), one line of data under it, and what
// the entry made of that line must hold.
struct HeaderSource {
    const char* source;
    const char* file;
    std::vector<std::pair<Field, std::string>> expected;
};

const HeaderSource kSources[] = {
    {"Outlook",
     "\"Title\",\"First Name\",\"Middle Name\",\"Last Name\",\"Company\",\"Job Title\","
     "\"Business Street\",\"Business City\",\"Business State\",\"Business Postal Code\","
     "\"Business Country/Region\",\"Home Street\",\"Home City\",\"Home State\","
     "\"Home Postal Code\",\"Home Country/Region\",\"Business Fax\",\"Business Phone\","
     "\"Home Fax\",\"Home Phone\",\"Mobile Phone\",\"Pager\",\"E-mail Address\","
     "\"E-mail Type\",\"Notes\",\"Web Page\"\r\n"
     "\"Dr\",\"Ann\",\"B\",\"Smith\",\"Acme\",\"Boss\",\"1 Work St\",\"Worktown\",\"WS\","
     "\"11111\",\"Wland\",\"2 Home Rd\",\"Hometown\",\"HS\",\"22222\",\"Hland\",\"555-1\","
     "\"555-2\",\"555-3\",\"555-4\",\"555-5\",\"555-6\",\"ann@example.com\",\"SMTP\","
     "\"likes tea\",\"example.com\"\r\n",
     {{Field::FirstName, "Ann"},
      {Field::LastName, "Smith"},
      {Field::CompanyName, "Acme"},
      {Field::StreetAddress, "2 Home Rd"},
      {Field::City, "Hometown"},
      {Field::State, "HS"},
      {Field::ZipCode, "22222"},
      {Field::Country, "Hland"},
      {Field::FaxNumber, "555-1"},
      {Field::WorkPhone, "555-2"},
      {Field::HomePhone, "555-4"},
      {Field::MobilePhone, "555-5"},
      {Field::PagerNumber, "555-6"},
      {Field::EmailAddress, "ann@example.com"},
      {Field::Note, "likes tea"},
      {Field::Homepage, "example.com"}}},
    {"Outlook, German",
     "\"Anrede\",\"Vorname\",\"Nachname\",\"Firma\",\"Stra\xDF"
     "e gesch\xE4"
     "ftlich\",\"Stra\xDF"
     "e privat\",\"Ort privat\",\"Region privat\",\"Postleitzahl privat\","
     "\"Land/Region privat\",\"Fax gesch\xE4"
     "ftlich\",\"Telefon gesch\xE4"
     "ftlich\",\"Telefon privat\",\"Mobiltelefon\",\"Pager\",\"E-Mail-Adresse\","
     "\"Notizen\",\"Webseite\"\r\n"
     "\"Frau\",\"Anna\",\"Schmidt\",\"Muster GmbH\",\"Werkstr. 1\",\"Hauptstr. 2\","
     "\"Berlin\",\"BE\",\"10115\",\"Deutschland\",\"030-1\",\"030-2\",\"030-3\",\"0170-4\","
     "\"0160-5\",\"anna@example.de\",\"Notiz\",\"example.de\"\r\n",
     {{Field::FirstName, "Anna"},
      {Field::LastName, "Schmidt"},
      {Field::CompanyName, "Muster GmbH"},
      {Field::StreetAddress, "Hauptstr. 2"},
      {Field::City, "Berlin"},
      {Field::State, "BE"},
      {Field::ZipCode, "10115"},
      {Field::Country, "Deutschland"},
      {Field::FaxNumber, "030-1"},
      {Field::WorkPhone, "030-2"},
      {Field::HomePhone, "030-3"},
      {Field::MobilePhone, "0170-4"},
      {Field::PagerNumber, "0160-5"},
      {Field::EmailAddress, "anna@example.de"},
      {Field::Note, "Notiz"},
      {Field::Homepage, "example.de"}}},
    {"Thunderbird",
     "First Name,Last Name,Display Name,Nickname,Primary Email,Secondary Email,Work Phone,"
     "Home Phone,Fax Number,Pager Number,Mobile Number,Home Address,Home Address 2,Home City,"
     "Home State,Home ZipCode,Home Country,Work Address,Work City,Organization,Web Page 1,"
     "Notes\r\n"
     "Ann,Smith,Ann Smith,Annie,ann@example.com,a2@example.com,555-1,555-2,555-3,555-4,555-5,"
     "2 Home Rd,Flat 3,Hometown,HS,22222,Hland,1 Work St,Worktown,Acme,example.com,hi\r\n",
     {{Field::FirstName, "Ann"},
      {Field::LastName, "Smith"},
      {Field::EmailAddress, "ann@example.com"},
      {Field::WorkPhone, "555-1"},
      {Field::HomePhone, "555-2"},
      {Field::FaxNumber, "555-3"},
      {Field::PagerNumber, "555-4"},
      {Field::MobilePhone, "555-5"},
      {Field::StreetAddress, "2 Home Rd"},
      {Field::City, "Hometown"},
      {Field::State, "HS"},
      {Field::ZipCode, "22222"},
      {Field::Country, "Hland"},
      {Field::CompanyName, "Acme"},
      {Field::Homepage, "example.com"},
      {Field::Note, "hi"}}},
    {"Thunderbird, German",
     "Vorname,Nachname,Anzeigename,Prim\xE4re E-Mail-Adresse,Tel. dienstlich,Tel. privat,"
     "Fax-Nummer,Pager-Nummer,Mobil-Tel.-Nr.,Privat: Adresse,Privat: Ort,Privat: Bundesland,"
     "Privat: PLZ,Privat: Land,Dienstlich: Adresse,Organisation,Webseite 1,Notizen\r\n"
     "Anna,Schmidt,Anna Schmidt,anna@example.de,030-1,030-2,030-3,0160-4,0170-5,Hauptstr. 2,"
     "Berlin,BE,10115,Deutschland,Werkstr. 1,Muster GmbH,example.de,Notiz\r\n",
     {{Field::FirstName, "Anna"},
      {Field::LastName, "Schmidt"},
      {Field::EmailAddress, "anna@example.de"},
      {Field::WorkPhone, "030-1"},
      {Field::HomePhone, "030-2"},
      {Field::FaxNumber, "030-3"},
      {Field::PagerNumber, "0160-4"},
      {Field::MobilePhone, "0170-5"},
      {Field::StreetAddress, "Hauptstr. 2"},
      {Field::City, "Berlin"},
      {Field::State, "BE"},
      {Field::ZipCode, "10115"},
      {Field::Country, "Deutschland"},
      {Field::CompanyName, "Muster GmbH"},
      {Field::Homepage, "example.de"},
      {Field::Note, "Notiz"}}},
    {"Google Contacts",
     "Name,Given Name,Family Name,Notes,E-mail 1 - Type,E-mail 1 - Value,Phone 1 - Type,"
     "Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,Address 1 - Type,Address 1 - Street,"
     "Address 1 - City,Address 1 - Region,Address 1 - Postal Code,Address 1 - Country,"
     "Organization 1 - Name,Website 1 - Value\r\n"
     "Ann Smith,Ann,Smith,hi,* Home,ann@example.com,Home,555-1,Work,555-2,Home,2 Home Rd,"
     "Hometown,HS,22222,Hland,Acme,example.com\r\n",
     {{Field::FirstName, "Ann"},
      {Field::LastName, "Smith"},
      {Field::Note, "hi"},
      {Field::EmailAddress, "ann@example.com"},
      {Field::HomePhone, "555-1"},
      {Field::WorkPhone, "555-2"},
      {Field::StreetAddress, "2 Home Rd"},
      {Field::City, "Hometown"},
      {Field::State, "HS"},
      {Field::ZipCode, "22222"},
      {Field::Country, "Hland"},
      {Field::CompanyName, "Acme"},
      {Field::Homepage, "example.com"}}},
    {"Google Contacts, German, UTF-8",
     "Vorname,Nachname,E-Mail 1 - Wert,Telefon 1 - Wert,Adresse 1 - Stra\xC3\x9F"
     "e,Adresse 1 - Ort,Adresse 1 - Postleitzahl,Adresse 1 - Land,Website 1 - Wert\r\n"
     "J\xC3\xBCrgen,M\xC3\xBCller,j@example.de,030-1,Hauptstr. 2,K\xC3\xB6ln,50667,"
     "Deutschland,example.de\r\n",
     {{Field::FirstName, "J\xFCrgen"},
      {Field::LastName, "M\xFCller"},
      {Field::EmailAddress, "j@example.de"},
      {Field::HomePhone, "030-1"},
      {Field::StreetAddress, "Hauptstr. 2"},
      {Field::City, "K\xF6ln"},
      {Field::ZipCode, "50667"},
      {Field::Country, "Deutschland"},
      {Field::Homepage, "example.de"}}},
    {"spreadsheet",
     "Name\tCompany\tEmail\tPhone\tMobile\tFax\tAddress\tCity\tState\tZip\tCountry\tWebsite\t"
     "Notes\r\n"
     "Ann Smith\tAcme\tann@example.com\t555-1\t555-2\t555-3\t2 Home Rd\tHometown\tHS\t22222\t"
     "Hland\texample.com\thi\r\n",
     {{Field::FirstName, "Ann Smith"},
      {Field::CompanyName, "Acme"},
      {Field::EmailAddress, "ann@example.com"},
      {Field::HomePhone, "555-1"},
      {Field::MobilePhone, "555-2"},
      {Field::FaxNumber, "555-3"},
      {Field::StreetAddress, "2 Home Rd"},
      {Field::City, "Hometown"},
      {Field::State, "HS"},
      {Field::ZipCode, "22222"},
      {Field::Country, "Hland"},
      {Field::Homepage, "example.com"},
      {Field::Note, "hi"}}},
    {"spreadsheet, German",
     "Vorname\tNachname\tFirma\tE-Mail\tTelefon\tHandy\tStra\xDF"
     "e\tPLZ\tOrt\tLand\tBemerkung\r\n"
     "Anna\tSchmidt\tMuster GmbH\tanna@example.de\t030-1\t0170-2\tHauptstr. 2\t10115\tBerlin\t"
     "Deutschland\tNotiz\r\n",
     {{Field::FirstName, "Anna"},
      {Field::LastName, "Schmidt"},
      {Field::CompanyName, "Muster GmbH"},
      {Field::EmailAddress, "anna@example.de"},
      {Field::HomePhone, "030-1"},
      {Field::MobilePhone, "0170-2"},
      {Field::StreetAddress, "Hauptstr. 2"},
      {Field::ZipCode, "10115"},
      {Field::City, "Berlin"},
      {Field::Country, "Deutschland"},
      {Field::Note, "Notiz"}}},
};

class KnownHeader : public testing::TestWithParam<HeaderSource> {};

TEST_P(KnownHeader, MapsEveryKnownColumnAndImportsOnlyTheData) {
    const HeaderSource& s = GetParam();
    std::string_view file = s.file;
    TableFormat format =
        file.find('\t') != std::string_view::npos ? TableFormat::Tab : TableFormat::Csv;
    TableReader reader(file, format);
    std::vector<std::string> first;
    reader.record(0, first);
    Encoding encoding = detectEncoding(file);
    std::optional<HeaderLine> header = readHeaderLine(first, encoding);
    ASSERT_TRUE(header.has_value());
    int mapped = 0;
    for (int i = 0; i < header->mapping.valueCount(); ++i)
        mapped += header->mapping.target(i).has_value();
    EXPECT_EQ(mapped, static_cast<int>(s.expected.size()));

    GroupList into;
    ImportSummary summary = importTable(reader, header->mapping, encoding, into, true);
    EXPECT_EQ(summary.records, 1u);
    ASSERT_EQ(into.count(), 1);
    for (const auto& [field, value] : s.expected)
        EXPECT_EQ(into.find(1)->get(field), value) << static_cast<int>(field);
}

INSTANTIATE_TEST_SUITE_P(Sources, KnownHeader, testing::ValuesIn(kSources),
                         [](const testing::TestParamInfo<HeaderSource>& source) {
                             std::string name;
                             for (const char* c = source.param.source; *c; ++c)
                                 if ((*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z') ||
                                     (*c >= '0' && *c <= '9'))
                                     name += *c;
                             return name;
                         });

TEST(HeaderLine, AFirstLineOfDataThatOnlyLooksLikeNamesStaysData) {
    const std::vector<std::vector<std::string>> data = {
        {"Ann", "Smith", "ann@example.com"},
        {"Mobile", "Home", "mobile@example.com"},       // names, but an address
        {"Company", "Acme", "City", "Paris", "555-1"},  // two names among five values
        {"Fax"},                                        // one name alone
    };
    for (const auto& values : data)
        EXPECT_FALSE(readHeaderLine(values, Encoding::Windows1252).has_value()) << values[0];
}

TEST(HeaderLine, NamesAreComparedWithoutCaseBlanksOrAColon) {
    EXPECT_EQ(fieldOfColumnName("  e-MAIL address: "), Field::EmailAddress);
    EXPECT_EQ(fieldOfColumnName("STRA\xDF"
                                "E PRIVAT"),
              Field::StreetAddress);
    EXPECT_FALSE(fieldOfColumnName("Birthday").has_value());
}

TEST(HeaderLine, OurOwnColumnNamesReadBackAsTheExportOrder) {
    for (TableFormat format : {TableFormat::Csv, TableFormat::Tab}) {
        std::string file;
        appendColumnNamesLine(file, format);
        TableReader reader(file, format);
        std::vector<std::string> names;
        reader.record(0, names);
        std::optional<HeaderLine> header = readHeaderLine(names, Encoding::Windows1252);
        ASSERT_TRUE(header.has_value());
        ImportMapping order = ImportMapping::exportOrder(format);
        ASSERT_EQ(header->mapping.valueCount(), order.valueCount());
        for (int i = 0; i < order.valueCount(); ++i)
            EXPECT_EQ(header->mapping.target(i), order.target(i)) << names[i];
    }
}

}  // namespace
