// What a fake machine holds that an installation may change and its rollback must
// put back, as one comparable text: files (content and attributes), directories,
// the registry and the shared-file counts. The temporary folder and the restart
// queue are left out: the run's own scratch files and the system's queue.
#pragma once

#include <string>

#include "tests/installer/support/fake_machine.h"

namespace testing_support {

std::string machineState(const FakeMachine& machine);

}  // namespace testing_support
