#include "addressbook/phone/dial_rules.h"

namespace ctlite {

std::string dialToText(const Entry& entry) {
    std::string_view company = entry.get(Field::CompanyName);
    if (!company.empty())
        return std::string(company);
    return std::string(entry.get(Field::FirstName)) + " " + std::string(entry.get(Field::LastName));
}

std::vector<NumberChoice> numberChoices(const Entry& entry, const FieldLabels& labels) {
    struct Source {
        Field field;
        Label label;
    };
    static const Source kSources[] = {
        {Field::HomePhone, Label::HomePhone}, {Field::WorkPhone, Label::WorkPhone},
        {Field::MobilePhone, Label::Mobile},  {Field::PagerNumber, Label::Pager},
        {Field::FaxNumber, Label::Fax},
    };
    std::vector<NumberChoice> choices;
    for (const Source& source : kSources) {
        std::string number(entry.get(source.field));
        if (number.empty())
            continue;
        choices.push_back({"(" + labels.get(source.label) + ") " + number, number});
    }
    return choices;
}

std::string dialString(const DialPrefix& prefix, const std::string& number) {
    std::string text(1, prefix.mode);
    if (prefix.callWaiting)
        text += prefix.callWaitingCode;
    if (prefix.outsideLine)
        text += std::to_string(prefix.outsideNumber);
    return text + number;
}

}  // namespace ctlite
