// A shortcut file written through the shell's link object: the fields are set
// together, which marks the shortcut pending and saves it at once; a save that
// fails leaves it pending, so that a second save tries again.
#pragma once

#include <windows.h>

#include <string>

namespace ctlite {

class ShellShortcut {
public:
    struct Fields {
        std::string linkPath;  // the .lnk file written
        std::string target;
        std::string workingDirectory;
        std::string description;
        std::string arguments;
        std::string iconPath;
        int iconIndex = 0;
        WORD hotKey = 0;
        int showCommand = 0;
    };

    // Takes the fields, marks the shortcut pending and saves it.
    bool set(Fields fields);
    // Writes the file when pending; a shortcut already saved succeeds at once.
    bool save();
    bool pending() const { return pending_; }

private:
    Fields fields_;
    bool pending_ = false;
};

}  // namespace ctlite
