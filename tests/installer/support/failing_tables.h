// The installation's tables with one call made to fail: every call that can fail
// (a change, or a read the run depends on) is counted, and call number `failAt`
// answers as the system does when it refuses. Queries of what is there (exists,
// attributes, times, versions) are never failed. With failAt 0 nothing fails.
#pragma once

#include <memory>

#include "installer/setup/actions/install_host.h"

namespace testing_support {

using namespace vortix;

class FailingTables {
public:
    explicit FailingTables(InstallHost& inner);
    FailingTables(const FailingTables&) = delete;
    FailingTables& operator=(const FailingTables&) = delete;
    ~FailingTables();

    int failAt = 0;
    int calls = 0;
    bool failed = false;  // the call failed as asked
    InstallHost& host() { return host_; }

    // Whether this call is the one to fail; counts it.
    bool fails();

private:
    class Files;
    class Registry;
    class Shell;
    InstallHost& inner_;
    std::unique_ptr<InstallFiles> files_;
    std::unique_ptr<vortix::Registry> registry_;
    std::unique_ptr<InstallShell> shell_;
    InstallHost host_;
};

}  // namespace testing_support
