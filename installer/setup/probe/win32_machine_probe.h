// The system information page's probes: what this machine has, for the rows a
// package's requirements show. The figures the variables use as well (system
// version, memory, processor type, flags and speed, screen, DirectX) are asked of
// `facts`, which keeps them (CachedSystemFacts), so nothing is measured twice in a
// run; the rest is asked of the system here: the service pack, the processor's
// vendor and 3DNow!, the destination drive's free space, the display modes, the
// sound and MIDI outputs, the joystick, the display adapters and the installed
// software.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "installer/package/system_requirements.h"
#include "installer/setup/probe/system_information.h"
#include "installer/setup/variables/system_facts.h"

namespace vortix {

// The free bytes of the drive `path` lies on (volume_search.h's driveRootOf);
// nothing when there is no such drive.
std::optional<std::uint64_t> freeSpaceOf(const std::string& path);

// The destination's drive and its free bytes, measured again for `destination`;
// whether they changed.
bool measureDestination(MachineFacts& machine, const std::string& destination);

// Probes what the rows of `requirements` need (the system version always);
// `destination` is the installation directory, whose drive's free space counts.
MachineFacts probeMachine(SystemFacts& facts, const SystemRequirements& requirements,
                          const std::string& destination);

}  // namespace vortix
