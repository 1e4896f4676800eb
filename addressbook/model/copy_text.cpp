#include "addressbook/model/copy_text.h"

namespace ctlite {
namespace {

constexpr char kLineEnd[] = "\r\n";

// Every piece the entry has, one line each, labelled phones first.
std::string allFields(const Entry& entry) {
    std::string out = entry.firstNameDisplay() + kLineEnd;
    auto line = [&](const char* label, std::string_view text) {
        if (!text.empty())
            out.append(label).append(text).append(kLineEnd);
    };
    line("(Home) ", entry.get(Field::HomePhone));
    line("(Work) ", entry.get(Field::WorkPhone));
    line("(Mobile) ", entry.get(Field::MobilePhone));
    line("(Fax) ", entry.get(Field::FaxNumber));
    line("(Pager) ", entry.get(Field::PagerNumber));
    line("", entry.get(Field::StreetAddress));
    line("", entry.cityLine());
    line("", entry.get(Field::Country));
    line("", entry.get(Field::EmailAddress));
    out.append(entry.get(Field::Homepage));  // the last line has no line end
    return out;
}

// Four lines, five with a company; empty pieces keep their line.
std::string letterAddress(const Entry& entry) {
    std::string out;
    std::string_view company = entry.get(Field::CompanyName);
    if (!company.empty())
        out.append(company).append(kLineEnd);
    out.append(entry.firstNameDisplay()).append(kLineEnd);
    out.append(entry.get(Field::StreetAddress)).append(kLineEnd);
    out.append(entry.cityLine()).append(kLineEnd);
    out.append(entry.get(Field::Country));
    return out;
}

}  // namespace

std::string copyText(const Entry& entry, CopyPiece piece) {
    auto field = [&](Field f) { return std::string(entry.get(f)); };
    switch (piece) {
        case CopyPiece::FullName: return entry.firstNameDisplay();
        case CopyPiece::CompanyName: return field(Field::CompanyName);
        case CopyPiece::EmailAddress: return field(Field::EmailAddress);
        case CopyPiece::WorkPhone: return field(Field::WorkPhone);
        case CopyPiece::HomePhone: return field(Field::HomePhone);
        case CopyPiece::MobilePhone: return field(Field::MobilePhone);
        case CopyPiece::PagerNumber: return field(Field::PagerNumber);
        case CopyPiece::FaxNumber: return field(Field::FaxNumber);
        case CopyPiece::StreetAddress:
            return field(Field::StreetAddress) + '\r' + entry.cityLine() + '\r' +
                   field(Field::Country);
        case CopyPiece::Homepage: return field(Field::Homepage);
        case CopyPiece::Note: return field(Field::Note);
        case CopyPiece::AllFields: return allFields(entry);
        case CopyPiece::LetterAddress: return letterAddress(entry);
    }
    return {};
}

}  // namespace ctlite
