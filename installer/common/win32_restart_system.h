// The restart queue's system calls on Windows: MoveFileEx's delay until reboot,
// short paths, and wininit.ini in the Windows directory.
#pragma once

#include "installer/common/restart_queue.h"

namespace vortix {

class Win32RestartSystem final : public RestartSystem {
public:
    bool isNtFamily() override;
    bool deleteAtRestart(const std::string& path) override;
    bool replaceAtRestart(const std::string& from, const std::string& to) override;
    std::string shortPath(const std::string& path) override;
    std::optional<std::string> readWininit() override;
    bool writeWininit(const std::string& text) override;
};

}  // namespace vortix
