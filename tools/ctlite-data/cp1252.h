// Windows-1252 text as UTF-8, for output that must be Unicode (JSON).
#pragma once

#include <string>
#include <string_view>

namespace ctlite {

std::string utf8FromCp1252(std::string_view text);

}  // namespace ctlite
