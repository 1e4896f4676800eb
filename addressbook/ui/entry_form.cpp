#include "addressbook/ui/entry_form.h"

namespace ctlite {

std::string typedFromStored(std::string_view stored) {
    std::string text(stored);
    // Only a doubled first "&" is the stored form; text stored otherwise (an import
    // keeps "Smith & Sons" as it stands) shows unchanged.
    std::size_t at = text.find('&');
    if (at != std::string::npos && at + 1 < text.size() && text[at + 1] == '&')
        text.erase(at, 1);
    return text;
}

std::string storedFromTyped(std::string_view typed) {
    std::string text(typed);
    std::size_t at = text.find('&');
    if (at != std::string::npos)
        text.insert(at, 1, '&');
    return text;
}

Entry entryAsTyped(const Entry& stored) {
    Entry typed = stored;
    for (Field field : {Field::FirstName, Field::LastName, Field::CompanyName})
        typed.set(field, typedFromStored(stored.get(field)));
    return typed;
}

}  // namespace ctlite
