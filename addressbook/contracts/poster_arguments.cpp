#include "addressbook/contracts/poster_arguments.h"

namespace ctlite {

std::string posterArguments(const Entry& entry, const std::string& groupName,
                            const FieldLabels& labels) {
    const std::string values[] = {
        std::string(entry.get(Field::Note)),
        std::string(entry.get(Field::CompanyName)),
        std::string(entry.get(Field::EmailAddress)),
        std::string(entry.get(Field::FaxNumber)),
        groupName,
        std::string(entry.get(Field::HomePhone)),
        std::string(entry.get(Field::Homepage)),
        std::string(entry.get(Field::MobilePhone)),
        entry.firstNameDisplay(),
        std::string(entry.get(Field::PagerNumber)),
        std::string(entry.get(Field::Picture)),
        entry.cityLine(),
        std::string(entry.get(Field::StreetAddress)),
        std::string(entry.get(Field::WorkPhone)),
        std::string(entry.get(Field::Country)),
        labels.get(Label::WorkPhone),
        labels.get(Label::HomePhone),
        labels.get(Label::Fax),
        labels.get(Label::Pager),
        labels.get(Label::Mobile),
    };
    std::string out;
    for (const std::string& value : values)
        out += "^" + value + "^ ";
    return out;
}

std::vector<std::string> splitPosterArguments(const std::string& arguments) {
    std::vector<std::string> values;
    std::size_t at = 0;
    while ((at = arguments.find('^', at)) != std::string::npos) {
        std::size_t end = arguments.find("^ ", at + 1);
        if (end == std::string::npos)
            end = arguments.rfind('^');
        if (end == std::string::npos || end <= at)
            break;
        values.push_back(arguments.substr(at + 1, end - at - 1));
        at = end + 1;
    }
    return values;
}

}  // namespace ctlite
