#include "addressbook/transfer/column_names.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace ctlite;
using namespace ctlite::transfer;

namespace {

// A header line as each source writes it (from its published column lists, cut to
// the columns around those the book keeps), and the field each column must go to.
using F = Field;
constexpr std::nullopt_t none = std::nullopt;

struct HeaderSource {
    const char* source;
    const char* line;
    std::vector<std::optional<Field>> fields;
};

const HeaderSource kSources[] = {
    {"Outlook",
     "\"Title\",\"First Name\",\"Middle Name\",\"Last Name\",\"Company\",\"Job Title\","
     "\"Business Street\",\"Business City\",\"Business State\",\"Business Postal Code\","
     "\"Business Country/Region\",\"Home Street\",\"Home City\",\"Home State\","
     "\"Home Postal Code\",\"Home Country/Region\",\"Business Fax\",\"Business Phone\","
     "\"Home Fax\",\"Home Phone\",\"Mobile Phone\",\"Pager\",\"E-mail Address\","
     "\"E-mail Type\",\"Notes\",\"Web Page\"",
     {none,
      F::FirstName,
      none,
      F::LastName,
      F::CompanyName,
      none,
      none,
      none,
      none,
      none,
      none,
      F::StreetAddress,
      F::City,
      F::State,
      F::ZipCode,
      F::Country,
      F::FaxNumber,
      F::WorkPhone,
      none,
      F::HomePhone,
      F::MobilePhone,
      F::PagerNumber,
      F::EmailAddress,
      none,
      F::Note,
      F::Homepage}},
    {"Outlook, German",
     "\"Anrede\",\"Vorname\",\"Nachname\",\"Firma\",\"Stra\xDF"
     "e gesch\xE4"
     "ftlich\",\"Stra\xDF"
     "e privat\",\"Ort privat\",\"Region privat\",\"Postleitzahl privat\","
     "\"Land/Region privat\",\"Fax gesch\xE4"
     "ftlich\",\"Telefon gesch\xE4"
     "ftlich\",\"Telefon privat\",\"Mobiltelefon\",\"Pager\",\"E-Mail-Adresse\","
     "\"Notizen\",\"Webseite\"",
     {none, F::FirstName, F::LastName, F::CompanyName, none, F::StreetAddress, F::City, F::State,
      F::ZipCode, F::Country, F::FaxNumber, F::WorkPhone, F::HomePhone, F::MobilePhone,
      F::PagerNumber, F::EmailAddress, F::Note, F::Homepage}},
    {"Thunderbird",
     "First Name,Last Name,Display Name,Nickname,Primary Email,Secondary Email,Work Phone,"
     "Home Phone,Fax Number,Pager Number,Mobile Number,Home Address,Home Address 2,Home City,"
     "Home State,Home ZipCode,Home Country,Work Address,Work City,Organization,Web Page 1,Notes",
     {F::FirstName, F::LastName,    none,         none,           F::EmailAddress, none,
      F::WorkPhone, F::HomePhone,   F::FaxNumber, F::PagerNumber, F::MobilePhone,  F::StreetAddress,
      none,         F::City,        F::State,     F::ZipCode,     F::Country,      none,
      none,         F::CompanyName, F::Homepage,  F::Note}},
    {"Thunderbird, German",
     "Vorname,Nachname,Anzeigename,Prim\xE4re E-Mail-Adresse,Tel. dienstlich,Tel. privat,"
     "Fax-Nummer,Pager-Nummer,Mobil-Tel.-Nr.,Privat: Adresse,Privat: Ort,Privat: Bundesland,"
     "Privat: PLZ,Privat: Land,Dienstlich: Adresse,Organisation,Webseite 1,Notizen",
     {F::FirstName, F::LastName, none, F::EmailAddress, F::WorkPhone, F::HomePhone, F::FaxNumber,
      F::PagerNumber, F::MobilePhone, F::StreetAddress, F::City, F::State, F::ZipCode, F::Country,
      none, F::CompanyName, F::Homepage, F::Note}},
    {"Google Contacts",
     "Name,Given Name,Family Name,Notes,E-mail 1 - Type,E-mail 1 - Value,Phone 1 - Type,"
     "Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,Address 1 - Type,Address 1 - Street,"
     "Address 1 - City,Address 1 - Region,Address 1 - Postal Code,Address 1 - Country,"
     "Organization 1 - Name,Website 1 - Value",
     {none, F::FirstName, F::LastName, F::Note, none, F::EmailAddress, none, F::HomePhone, none,
      F::WorkPhone, none, F::StreetAddress, F::City, F::State, F::ZipCode, F::Country,
      F::CompanyName, F::Homepage}},
    {"Google Contacts, German, UTF-8",
     "Vorname,Nachname,E-Mail 1 - Wert,Telefon 1 - Wert,Adresse 1 - Stra\xC3\x9F"
     "e,Adresse 1 - Ort,Adresse 1 - Postleitzahl,Adresse 1 - Land,Website 1 - Wert",
     {F::FirstName, F::LastName, F::EmailAddress, F::HomePhone, F::StreetAddress, F::City,
      F::ZipCode, F::Country, F::Homepage}},
    {"spreadsheet",
     "Name\tCompany\tEmail\tPhone\tMobile\tFax\tAddress\tCity\tState\tZip\tCountry\tWebsite\t"
     "Notes",
     {F::FirstName, F::CompanyName, F::EmailAddress, F::HomePhone, F::MobilePhone, F::FaxNumber,
      F::StreetAddress, F::City, F::State, F::ZipCode, F::Country, F::Homepage, F::Note}},
    {"spreadsheet, German",
     "Vorname\tNachname\tFirma\tE-Mail\tTelefon\tHandy\tStra\xDF"
     "e\tPLZ\tOrt\tLand\tBemerkung",
     {F::FirstName, F::LastName, F::CompanyName, F::EmailAddress, F::HomePhone, F::MobilePhone,
      F::StreetAddress, F::ZipCode, F::City, F::Country, F::Note}},
};

class KnownHeader : public testing::TestWithParam<HeaderSource> {};

TEST_P(KnownHeader, MapsEveryKnownColumnToItsField) {
    const HeaderSource& s = GetParam();
    std::string_view line = s.line;
    TableFormat format =
        line.find('\t') != std::string_view::npos ? TableFormat::Tab : TableFormat::Csv;
    std::vector<std::string> names;
    TableReader(line, format).record(0, names);
    std::optional<HeaderLine> header = readHeaderLine(names, detectEncoding(line));
    ASSERT_TRUE(header.has_value());
    ASSERT_EQ(header->mapping.valueCount(), static_cast<int>(s.fields.size()));
    for (int i = 0; i < header->mapping.valueCount(); ++i)
        EXPECT_EQ(header->mapping.target(i), s.fields[static_cast<std::size_t>(i)]) << names[i];
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

TEST(HeaderLine, TheLineOfNamesIsNoEntry) {
    TableReader reader("Surname,Given Name\nSmith,Ann\n", TableFormat::Csv);
    std::vector<std::string> names;
    reader.record(0, names);
    GroupList into;
    ImportSummary summary =
        importTable(reader, readHeaderLine(names, Encoding::Windows1252)->mapping,
                    Encoding::Windows1252, into, true);
    EXPECT_EQ(summary.records, 1u);
    ASSERT_EQ(into.count(), 1);
    EXPECT_EQ(into.find(1)->get(Field::FirstName), "Ann");
    EXPECT_EQ(into.find(1)->get(Field::LastName), "Smith");
}

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
