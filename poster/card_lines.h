// The lines of the poster's card, from the twenty values it is started with.
#pragma once

#include <string>
#include <vector>

namespace ctlite {

std::vector<std::string> posterCardLines(const std::vector<std::string>& values);

}  // namespace ctlite
