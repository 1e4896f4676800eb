// The test build: the failures the tests ask for in VXSETUP_FAULTS, laid over the
// installation's tables.
#include <windows.h>

#include "installer/setup/actions/win32_install_host.h"
#include "installer/setup/fault_plan.h"
#include "installer/setup/fault_tables.h"

namespace vortix {
namespace {

class FaultyTables final : public InstallTables {
public:
    explicit FaultyTables(Win32InstallHost& system)
        : plan_(faultPlanOfThisBuild()),
          system_(system.tables()),
          files_(system_.files, plan_),
          registry_(system_.registry, plan_),
          shell_(system_.shell, plan_),
          host_{files_, registry_, shell_, system_.converters, system_.restart, system_.view} {}
    InstallHost& host() override { return host_; }

private:
    FaultPlan plan_;
    InstallHost system_;
    FaultyFiles files_;
    FaultyRegistry registry_;
    FaultyShell shell_;
    InstallHost host_;
};

}  // namespace

FaultPlan faultPlanOfThisBuild() {
    char value[4096] = "";
    DWORD length = GetEnvironmentVariableA("VXSETUP_FAULTS", value, sizeof value);
    return FaultPlan::parse(length < sizeof value ? std::string(value, length) : std::string());
}

std::unique_ptr<InstallTables> installTablesOfThisBuild(Win32InstallHost& system) {
    return std::make_unique<FaultyTables>(system);
}

}  // namespace vortix
