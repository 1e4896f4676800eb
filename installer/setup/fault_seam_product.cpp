// The product: no failure is ever made up, whatever the environment holds.
#include "installer/setup/actions/win32_install_host.h"
#include "installer/setup/fault_plan.h"

namespace vortix {
namespace {

class SystemTables final : public InstallTables {
public:
    explicit SystemTables(Win32InstallHost& system) : host_(system.tables()) {}
    InstallHost& host() override { return host_; }

private:
    InstallHost host_;
};

}  // namespace

FaultPlan faultPlanOfThisBuild() {
    return FaultPlan();
}

std::unique_ptr<InstallTables> installTablesOfThisBuild(Win32InstallHost& system) {
    return std::make_unique<SystemTables>(system);
}

}  // namespace vortix
