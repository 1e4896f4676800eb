#include "addressbook/model/address_book.h"

#include "addressbook/model/password.h"
#include "addressbook/model/text.h"

namespace ctlite {

void Group::setName(std::string_view name) {
    name_ = withoutControlBytes(truncated(name, kMaxNameLength));
}

AddressBook::AddressBook() {
    groups_.emplace_back(kDefaultGroup1Name);
    groups_.emplace_back(kDefaultGroup2Name);
}

std::string AddressBook::groupName(int index) const {
    const std::string& name = group(index).name();
    if (name.empty() && index == 0)
        return std::string(kDefaultGroup1Name);
    if (name.empty() && index == 1)
        return std::string(kDefaultGroup2Name);
    return name;
}

int AddressBook::addGroup(std::string_view name) {
    groups_.emplace_back(name);
    return groupCount() - 1;
}

bool AddressBook::removeGroup(int index) {
    if (index < 2 || index >= groupCount())
        return false;
    groups_.erase(groups_.begin() + index);
    if (current_ >= groupCount())
        current_ = 0;
    return true;
}

void AddressBook::replaceGroups(std::vector<Group> groups) {
    while (groups.size() < 2)
        groups.emplace_back();
    groups[0].setName(groups_[0].name());
    groups[1].setName(groups_[1].name());
    groups_ = std::move(groups);
    if (current_ >= groupCount())
        current_ = 0;
}

bool AddressBook::setCurrentGroupIndex(int index) {
    if (index < 0 || index >= groupCount())
        return false;
    current_ = index;
    return true;
}

std::string AddressBook::password() const {
    return scrambled_ ? rotatePrintable(password_, -kPasswordRotation) : password_;
}

void AddressBook::setPassword(std::string_view plain) {
    password_ = withoutControlBytes(truncated(plain, kMaxNameLength));
    if (scrambled_)
        password_ = rotatePrintable(password_, kPasswordRotation);
}

void AddressBook::scramblePassword() {
    if (scrambled_)
        return;
    password_ = rotatePrintable(password_, kPasswordRotation);
    scrambled_ = true;
}

void AddressBook::unscramblePassword() {
    if (!scrambled_)
        return;
    password_ = rotatePrintable(password_, -kPasswordRotation);
    scrambled_ = false;
}

}  // namespace ctlite
