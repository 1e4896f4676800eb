// The script's texts that may hold variables get the system paths filled in once,
// right after the package is read; the rest is filled in when each is used.
#pragma once

#include "installer/package/package.h"
#include "installer/setup/variables/variables.h"

namespace vortix {

void expandSystemPathsOnce(Script& script, const Variables& variables);

}  // namespace vortix
