// The whole address book the main window owns: its groups, the current group,
// the data file's path, the password and the field captions.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "addressbook/model/entry.h"
#include "addressbook/model/field_labels.h"
#include "addressbook/model/group_list.h"

namespace ctlite {

// Group names and passwords longer than this cannot be read back from the data file.
inline constexpr std::size_t kMaxNameLength = 49;

class Group {
public:
    Group() = default;
    explicit Group(std::string_view name) { setName(name); }

    const std::string& name() const { return name_; }
    // Control bytes are dropped and the name is cut to kMaxNameLength.
    void setName(std::string_view name);

    GroupList& entries() { return entries_; }
    const GroupList& entries() const { return entries_; }

private:
    std::string name_;
    GroupList entries_;
};

class AddressBook {
public:
    // Groups 1 and 2 are fixed; these are their names when none is stored.
    static constexpr std::string_view kDefaultGroup1Name = "Personal";
    static constexpr std::string_view kDefaultGroup2Name = "Business";

    AddressBook();

    int groupCount() const { return static_cast<int>(groups_.size()); }
    Group& group(int index) { return groups_.at(static_cast<std::size_t>(index)); }
    const Group& group(int index) const { return groups_.at(static_cast<std::size_t>(index)); }
    // The name to show: groups 1 and 2 fall back to their defaults when unnamed.
    std::string groupName(int index) const;

    // Appends a group with no entries and returns its index.
    int addGroup(std::string_view name);
    // Groups 1 and 2 cannot be removed.
    bool removeGroup(int index);
    // Replaces groups 3 onward and the entries of groups 1 and 2; the names of
    // groups 1 and 2 stay, as they come from the trailer.
    void replaceGroups(std::vector<Group> groups);

    int currentGroupIndex() const { return current_; }
    bool setCurrentGroupIndex(int index);
    Group& currentGroup() { return group(current_); }

    const std::string& dataPath() const { return dataPath_; }
    void setDataPath(std::string path) { dataPath_ = std::move(path); }

    // The password in plain text (empty when there is none), whichever form memory holds.
    std::string password() const;
    // Control bytes are dropped and the password is cut to kMaxNameLength.
    void setPassword(std::string_view plain);
    bool hasPassword() const { return !password_.empty(); }
    bool locked() const { return locked_; }
    void setLocked(bool locked) { locked_ = locked; }

    // While the window is hidden in the tray, memory holds the password scrambled.
    void scramblePassword();
    void unscramblePassword();
    bool passwordScrambled() const { return scrambled_; }

    FieldLabels& labels() { return labels_; }
    const FieldLabels& labels() const { return labels_; }

    // The entry that commands load the selected entry into.
    Entry& workingEntry() { return working_; }

private:
    std::vector<Group> groups_;
    int current_ = 0;
    std::string dataPath_;
    std::string password_;
    bool scrambled_ = false;
    bool locked_ = false;
    FieldLabels labels_;
    Entry working_;
};

}  // namespace ctlite
