// vxlog: shows what an uninstaller will do.
//
//   vxlog show FILE    the log appended to an uninstaller: header, every section
//                      and the registry tree with its flags; control bytes in the
//                      log's texts are shown as \xHH, never sent to the terminal
//
// Exit status: 0 done, 1 the log is missing or damaged, 2 usage or file error.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "installer/common/uninstall_log.h"
#include "platform/file_system.h"

namespace vortix {

void printLog(const UninstallLog& log, std::ostream& out);
int runLogTool(const std::vector<std::string>& args, platform::FileSystem& fs, std::ostream& out,
               std::ostream& err);

}  // namespace vortix
