#include "installer/setup/variables/processor_type.h"

namespace vortix {

std::uint32_t processorTypeCode(const std::string& vendor, std::uint32_t family,
                                std::uint32_t model, bool noSecondLevelCache) {
    if (vendor == "GenuineIntel") {
        if (family < 4)
            return 0;
        if (family == 4)
            return kCpuIntel486;
        if (family == 5)
            return kCpuPentium;
        if (family > 6)
            return kCpuPentiumIII;
        switch (model) {
            case 1: return kCpuPentiumPro;
            case 3:
            case 4: return kCpuPentiumII;
            case 5: return noSecondLevelCache ? kCpuCeleron : kCpuPentiumII;
            case 6: return kCpuCeleron;
            default: return kCpuPentiumIII;
        }
    }
    if (vendor == "AuthenticAMD") {
        if (family != 5)
            return kCpuAmdAthlon;
        if (model <= 7)
            return kCpuAmdK5;
        // Models above 9 are the later K6 variants (K6-2+, K6-III+).
        return model == 8 ? kCpuAmdK6_2 : kCpuAmdK6_3;
    }
    if (vendor == "CyrixInstead")
        return family == 6 ? kCpuCyrix6 : kCpuCyrixOther;
    return 0;
}

}  // namespace vortix
