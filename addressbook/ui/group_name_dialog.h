// "Add/Modify Group": one edit for a group's name, taken exactly as typed.
#pragma once

#include <string>

#include "framework/dialog.h"

namespace ctlite {

class GroupNameDialog : public fw::DialogImpl<GroupNameDialog> {
public:
    static const fw::CommandEntry<GroupNameDialog> kCommands[];
    static const fw::DataEntry<GroupNameDialog> kData[];

    explicit GroupNameDialog(std::string name = "") : name_(std::move(name)) {}
    // True on OK; name() is then the typed text.
    bool run(HWND owner);
    const std::string& name() const { return name_; }

private:
    void onOk();
    void onCancel() { end(IDCANCEL); }

    std::string name_;
};

}  // namespace ctlite
