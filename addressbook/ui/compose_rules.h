// The recipient texts the compose window builds from the book, without windows:
// "Name <address>" pieces joined by commas, which the message cuts apart again.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "addressbook/model/group_list.h"

namespace ctlite {

// "Name <address>". A name with a comma or a double quote in it is written in
// double quotes (its own quotes made single), so that it stays one recipient when
// the text is cut at its commas: "Smith, Ann" <ann@example.com>.
std::string recipientText(std::string_view name, std::string_view address);

// The entry's first name, a blank and its last name, with its address.
std::string entryRecipient(const Entry& entry);

// Appends a recipient to a To text, after ", " when the text is not empty.
void appendRecipient(std::string& to, std::string_view recipient);

// Every entry of the group at once, each followed by ","; the user's own recipient
// (`self`, when not empty) after the last one, or else the last "," dropped.
std::string everyoneAtOnce(const GroupList& group, const std::string& self);

// One recipient text per entry of the group that has an address, in order: an
// entry without one would be a message to nobody.
std::vector<std::string> everyoneOneByOne(const GroupList& group);

// The addresses of the group's entries that a name list line stands for: its text
// is the entry's first and last name, its listed name or its company name. An
// entry without an address gives an empty one.
std::vector<std::string> addressesOfLine(const GroupList& group, std::string_view lineText);

}  // namespace ctlite
