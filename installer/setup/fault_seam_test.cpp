// The test build: the failures the tests ask for in VXSETUP_FAULTS.
#include <windows.h>

#include "installer/setup/fault_plan.h"

namespace vortix {

FaultPlan faultPlanOfThisBuild() {
    char value[4096] = "";
    DWORD length = GetEnvironmentVariableA("VXSETUP_FAULTS", value, sizeof value);
    return FaultPlan::parse(length < sizeof value ? std::string(value, length) : std::string());
}

}  // namespace vortix
