#include "addressbook/ui/compose_rules.h"

namespace ctlite {

std::string recipientText(std::string_view name, std::string_view address) {
    std::string shown(name);
    if (shown.find_first_of(",\"") != std::string::npos) {
        for (char& c : shown)
            if (c == '"')
                c = '\'';
        shown = '"' + shown + '"';
    }
    return shown + " <" + std::string(address) + ">";
}

std::string entryRecipient(const Entry& entry) {
    return recipientText(entry.firstNameDisplay(), entry.get(Field::EmailAddress));
}

void appendRecipient(std::string& to, std::string_view recipient) {
    if (!to.empty())
        to += ", ";
    to += recipient;
}

std::string everyoneAtOnce(const GroupList& group, const std::string& self) {
    std::string to;
    for (int position = 1; position <= group.count(); ++position)
        to += entryRecipient(*group.find(position)) + ",";
    if (!self.empty())
        return to + self;
    if (!to.empty())
        to.pop_back();
    return to;
}

std::vector<std::string> everyoneOneByOne(const GroupList& group) {
    std::vector<std::string> out;
    for (int position = 1; position <= group.count(); ++position) {
        const Entry& entry = *group.find(position);
        if (!entry.get(Field::EmailAddress).empty())
            out.push_back(entryRecipient(entry));
    }
    return out;
}

std::vector<std::string> addressesOfLine(const GroupList& group, std::string_view lineText) {
    std::vector<std::string> out;
    for (int position = 1; position <= group.count(); ++position) {
        const Entry& entry = *group.find(position);
        if (lineText == entry.firstNameDisplay() || lineText == entry.lastNameDisplay() ||
            lineText == entry.get(Field::CompanyName))
            out.emplace_back(entry.get(Field::EmailAddress));
    }
    return out;
}

}  // namespace ctlite
