// The rules of the entry editor that need no window: how the three name fields
// are shown and stored, when OK may be pressed, and which e-mail addresses pass.
#pragma once

#include <string>
#include <string_view>

#include "addressbook/model/entry.h"

namespace ctlite {

// First name, last name and company name hold their first "&" doubled ("&&"), so
// that a label showing them does not take it for a mnemonic.
std::string typedFromStored(std::string_view stored);  // a doubled first "&" made single
std::string storedFromTyped(std::string_view typed);   // an "&" added before the first one

// The entry with its three name fields as they were typed: what leaves the program
// as text (the copy commands, printing) shows no doubled "&".
Entry entryAsTyped(const Entry& stored);

// OK is enabled while the first name or the company name is not empty.
inline bool entryMayBeStored(std::string_view firstName, std::string_view companyName) {
    return !firstName.empty() || !companyName.empty();
}

// An empty address, or any text with an "@" in it, passes.
inline bool acceptableEmail(std::string_view address) {
    return address.empty() || address.find('@') != std::string_view::npos;
}

}  // namespace ctlite
