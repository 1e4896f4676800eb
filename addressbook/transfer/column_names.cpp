#include "addressbook/transfer/column_names.h"

#include <array>

#include "addressbook/model/text.h"
#include "addressbook/transfer/table_file.h"

namespace ctlite::transfer {
namespace {

struct ColumnName {
    std::string_view name;  // Windows-1252
    Field field;
};

// The column names of the header lines that other programs write, as their
// published column lists give them, in English and German: Outlook and Outlook.com
// ("Home Street", "Business Phone"), Thunderbird ("Primary Email", "Mobile Number"),
// Google Contacts ("Given Name", "Phone 1 - Value"), the plain headings of
// spreadsheets ("Email", "Zip", "PLZ", "Handy"), and this program's own. Names of
// one field stand together, the better match first: the home address and telephone
// before the business ones, a name of its own before a general one. Where a file
// has two columns for one field, the one listed first here takes it.
constexpr ColumnName kColumnNames[] = {
    // first name
    {"First Name", Field::FirstName},
    {"Given Name", Field::FirstName},
    {"Vorname", Field::FirstName},
    {"Display Name", Field::FirstName},
    {"Anzeigename", Field::FirstName},
    {"Full Name", Field::FirstName},
    {"Name", Field::FirstName},
    // last name
    {"Last Name", Field::LastName},
    {"Family Name", Field::LastName},
    {"Surname", Field::LastName},
    {"Nachname", Field::LastName},
    {"Familienname", Field::LastName},
    // company
    {"Company Name", Field::CompanyName},
    {"Company", Field::CompanyName},
    {"Organization", Field::CompanyName},
    {"Organization Name", Field::CompanyName},
    {"Organization 1 - Name", Field::CompanyName},
    {"Firma", Field::CompanyName},
    {"Organisation", Field::CompanyName},
    {"Organisation 1 - Name", Field::CompanyName},
    {"Unternehmen", Field::CompanyName},
    // home phone
    {"Home Phone", Field::HomePhone},
    {"Telefon privat", Field::HomePhone},
    {"Tel. privat", Field::HomePhone},
    {"Phone 1 - Value", Field::HomePhone},
    {"Telefon 1 - Wert", Field::HomePhone},
    {"Phone", Field::HomePhone},
    {"Telephone", Field::HomePhone},
    {"Telefon", Field::HomePhone},
    {"Home", Field::HomePhone},
    // work phone
    {"Work Phone", Field::WorkPhone},
    {"Business Phone", Field::WorkPhone},
    {"Telefon gesch\xE4"
     "ftlich",
     Field::WorkPhone},
    {"Tel. dienstlich", Field::WorkPhone},
    {"Phone 2 - Value", Field::WorkPhone},
    {"Telefon 2 - Wert", Field::WorkPhone},
    {"Work", Field::WorkPhone},
    // mobile
    {"Mobile Phone", Field::MobilePhone},
    {"Mobile Number", Field::MobilePhone},
    {"Mobiltelefon", Field::MobilePhone},
    {"Mobil-Tel.-Nr.", Field::MobilePhone},
    {"Mobile", Field::MobilePhone},
    {"Cell Phone", Field::MobilePhone},
    {"Cell", Field::MobilePhone},
    {"Handy", Field::MobilePhone},
    {"Mobil", Field::MobilePhone},
    // fax
    {"Fax", Field::FaxNumber},
    {"Fax Number", Field::FaxNumber},
    {"Business Fax", Field::FaxNumber},
    {"Home Fax", Field::FaxNumber},
    {"Fax-Nummer", Field::FaxNumber},
    {"Fax gesch\xE4"
     "ftlich",
     Field::FaxNumber},
    {"Fax privat", Field::FaxNumber},
    {"Telefax", Field::FaxNumber},
    // pager
    {"Pager", Field::PagerNumber},
    {"Pager Number", Field::PagerNumber},
    {"Pager-Nummer", Field::PagerNumber},
    // e-mail
    {"E-mail Address", Field::EmailAddress},
    {"Email Address", Field::EmailAddress},
    {"Primary Email", Field::EmailAddress},
    {"E-mail 1 - Value", Field::EmailAddress},
    {"E-Mail-Adresse", Field::EmailAddress},
    {"Prim\xE4re E-Mail-Adresse", Field::EmailAddress},
    {"E-Mail 1 - Wert", Field::EmailAddress},
    {"E-mail", Field::EmailAddress},
    {"Email", Field::EmailAddress},
    // homepage
    {"Homepage", Field::Homepage},
    {"Web Page", Field::Homepage},
    {"Personal Web Page", Field::Homepage},
    {"Web Page 1", Field::Homepage},
    {"Website 1 - Value", Field::Homepage},
    {"Website 1 - Wert", Field::Homepage},
    {"Website", Field::Homepage},
    {"Web Site", Field::Homepage},
    {"Webseite", Field::Homepage},
    {"Webseite 1", Field::Homepage},
    {"URL", Field::Homepage},
    // street
    {"Street Address", Field::StreetAddress},
    {"Home Street", Field::StreetAddress},
    {"Home Address", Field::StreetAddress},
    {"Stra\xDF"
     "e privat",
     Field::StreetAddress},
    {"Privat: Adresse", Field::StreetAddress},
    {"Address 1 - Street", Field::StreetAddress},
    {"Adresse 1 - Stra\xDF"
     "e",
     Field::StreetAddress},
    {"Street", Field::StreetAddress},
    {"Stra\xDF"
     "e",
     Field::StreetAddress},
    {"Address", Field::StreetAddress},
    {"Adresse", Field::StreetAddress},
    {"Business Street", Field::StreetAddress},
    {"Work Address", Field::StreetAddress},
    {"Stra\xDF"
     "e gesch\xE4"
     "ftlich",
     Field::StreetAddress},
    {"Dienstlich: Adresse", Field::StreetAddress},
    // city
    {"City", Field::City},
    {"Home City", Field::City},
    {"Ort privat", Field::City},
    {"Privat: Ort", Field::City},
    {"Address 1 - City", Field::City},
    {"Adresse 1 - Ort", Field::City},
    {"Town", Field::City},
    {"Ort", Field::City},
    {"Stadt", Field::City},
    {"Business City", Field::City},
    {"Work City", Field::City},
    {"Ort gesch\xE4"
     "ftlich",
     Field::City},
    {"Dienstlich: Ort", Field::City},
    // state
    {"State", Field::State},
    {"Home State", Field::State},
    {"Region privat", Field::State},
    {"Bundesland/Kanton privat", Field::State},
    {"Privat: Bundesland", Field::State},
    {"Address 1 - Region", Field::State},
    {"Adresse 1 - Region", Field::State},
    {"Province", Field::State},
    {"Bundesland", Field::State},
    {"Business State", Field::State},
    {"Work State", Field::State},
    {"Region gesch\xE4"
     "ftlich",
     Field::State},
    {"Dienstlich: Bundesland", Field::State},
    // zip code
    {"Zip Code", Field::ZipCode},
    {"Home Postal Code", Field::ZipCode},
    {"Home ZipCode", Field::ZipCode},
    {"Postleitzahl privat", Field::ZipCode},
    {"Privat: PLZ", Field::ZipCode},
    {"Address 1 - Postal Code", Field::ZipCode},
    {"Adresse 1 - Postleitzahl", Field::ZipCode},
    {"Zip", Field::ZipCode},
    {"Postal Code", Field::ZipCode},
    {"Postcode", Field::ZipCode},
    {"PLZ", Field::ZipCode},
    {"Postleitzahl", Field::ZipCode},
    {"Business Postal Code", Field::ZipCode},
    {"Work ZipCode", Field::ZipCode},
    {"Postleitzahl gesch\xE4"
     "ftlich",
     Field::ZipCode},
    {"Dienstlich: PLZ", Field::ZipCode},
    // country
    {"Country", Field::Country},
    {"Home Country/Region", Field::Country},
    {"Home Country", Field::Country},
    {"Land/Region privat", Field::Country},
    {"Privat: Land", Field::Country},
    {"Address 1 - Country", Field::Country},
    {"Adresse 1 - Land", Field::Country},
    {"Land", Field::Country},
    {"Business Country/Region", Field::Country},
    {"Work Country", Field::Country},
    {"Land/Region gesch\xE4"
     "ftlich",
     Field::Country},
    {"Dienstlich: Land", Field::Country},
    // picture
    {"Picture", Field::Picture},
    {"Photo", Field::Picture},
    {"Bild", Field::Picture},
    {"Foto", Field::Picture},
    // note
    {"Note", Field::Note},
    {"Notes", Field::Note},
    {"Notiz", Field::Note},
    {"Notizen", Field::Note},
    {"Bemerkung", Field::Note},
    {"Bemerkungen", Field::Note},
};

constexpr int kUnknown = -1;

// The table's row for a column name, or kUnknown.
int rowOf(std::string_view name, Encoding encoding) {
    ValueCounts ignored;
    std::string scratch;
    std::string_view text = storedValue(name, encoding, Field::Note, ignored, scratch);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == ':'))
        text.remove_suffix(1);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    if (text.empty())
        return kUnknown;
    std::string folded = foldedUpper(text);
    for (std::size_t row = 0; row < std::size(kColumnNames); ++row) {
        std::string_view known = kColumnNames[row].name;
        if (known.size() != folded.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; same && i < known.size(); ++i)
            same = foldUpper(known[i]) == folded[i];
        if (same)
            return static_cast<int>(row);
    }
    return kUnknown;
}

}  // namespace

std::optional<Field> fieldOfColumnName(std::string_view name) {
    int row = rowOf(name, Encoding::Windows1252);
    if (row == kUnknown)
        return std::nullopt;
    return kColumnNames[row].field;
}

HeaderLine mapColumnNames(const std::vector<std::string>& values, Encoding encoding) {
    HeaderLine header;
    header.mapping = ImportMapping(static_cast<int>(values.size()));
    // For each field, the column of the best-matching name.
    std::array<int, kFieldCount> bestRow;
    std::array<int, kFieldCount> column;
    bestRow.fill(kUnknown);
    column.fill(kUnknown);
    for (std::size_t i = 0; i < values.size(); ++i) {
        int row = rowOf(values[i], encoding);
        if (row == kUnknown)
            continue;
        ++header.known;
        auto slot = static_cast<std::size_t>(kColumnNames[row].field);
        if (bestRow[slot] == kUnknown || row < bestRow[slot]) {
            bestRow[slot] = row;
            column[slot] = static_cast<int>(i);
        }
    }
    for (std::size_t slot = 0; slot < column.size(); ++slot)
        if (column[slot] != kUnknown)
            header.mapping.assign(column[slot], static_cast<Field>(slot));
    return header;
}

std::optional<HeaderLine> readHeaderLine(const std::vector<std::string>& values,
                                         Encoding encoding) {
    int filled = 0;
    for (const std::string& value : values) {
        if (value.find('@') != std::string::npos)
            return std::nullopt;
        filled += value.find_first_not_of(" \t") != std::string::npos;
    }
    HeaderLine header = mapColumnNames(values, encoding);
    if (header.known < 2 || header.known * 2 <= filled)
        return std::nullopt;
    return header;
}

std::vector<std::string_view> exportColumnNames(TableFormat format) {
    std::vector<std::string_view> names;
    for (Field field : tableColumns(format)) {
        switch (field) {
            case Field::CompanyName: names.push_back("Company Name"); break;
            case Field::FirstName: names.push_back("First Name"); break;
            case Field::LastName: names.push_back("Last Name"); break;
            case Field::HomePhone: names.push_back("Home Phone"); break;
            case Field::WorkPhone: names.push_back("Work Phone"); break;
            case Field::FaxNumber: names.push_back("Fax"); break;
            case Field::MobilePhone: names.push_back("Mobile"); break;
            case Field::PagerNumber: names.push_back("Pager"); break;
            case Field::StreetAddress: names.push_back("Street Address"); break;
            case Field::City: names.push_back("City"); break;
            case Field::State: names.push_back("State"); break;
            case Field::ZipCode: names.push_back("Zip Code"); break;
            case Field::Country: names.push_back("Country"); break;
            case Field::EmailAddress: names.push_back("E-Mail Address"); break;
            case Field::Homepage: names.push_back("Homepage"); break;
            case Field::Picture: names.push_back("Picture"); break;
            case Field::Note: names.push_back("Note"); break;
            default: names.push_back(""); break;
        }
    }
    return names;
}

void appendColumnNamesLine(std::string& out, TableFormat format) {
    const bool csv = format == TableFormat::Csv;
    bool first = true;
    for (std::string_view name : exportColumnNames(format)) {
        if (!first)
            out += csv ? ',' : '\t';
        first = false;
        if (csv)
            out += '"';
        out += name;
        if (csv)
            out += '"';
    }
    out += "\r\n";
}

}  // namespace ctlite::transfer
