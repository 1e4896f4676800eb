// What the test doubles of the setup package's libraries share: the call log a
// test reads back, and the environment variables that steer them.
#pragma once

#include <string>

namespace doubles {

// The variable's value, "" when it is not set.
std::string environment(const std::string& name);
// Appends `line` and "\n" to the file named by VX_DOUBLE_LOG (nothing when unset).
void logLine(const std::string& line);
// A string argument as the log shows it: in double quotes, or null.
std::string quoted(const char* text);
// Whether `name` is one of the comma-separated names in `list`.
bool listed(const std::string& list, const std::string& name);

}  // namespace doubles
