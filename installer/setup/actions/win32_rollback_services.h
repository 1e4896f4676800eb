// The rollback's system side (rollback.h): the uninstaller started and waited
// for, and its program file read, written and deleted.
#pragma once

#include "installer/setup/actions/rollback.h"

namespace vortix {

class Win32UninstallerLauncher final : public UninstallerLauncher {
public:
    void runAndWait(const std::string& program) override;
};

class Win32ProgramFiles final : public ProgramFiles {
public:
    std::optional<std::string> read(const std::string& path) override;
    bool write(const std::string& path, const std::string& bytes) override;
    void makePlain(const std::string& path) override;
    void remove(const std::string& path) override;
};

}  // namespace vortix
