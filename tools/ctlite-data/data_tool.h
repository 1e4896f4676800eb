// ctlite-data: inspect, script or rescue an address book from the command line.
//
//   ctlite-data new FILE        create a new, empty book (refuses an existing file)
//   ctlite-data show FILE       the book as JSON lines (never the password)
//   ctlite-data check FILE      report what would not read back; status 0 only when clean
//   ctlite-data copy IN OUT     load and save, as the program does on exit
//   ctlite-data export BOOK --group N --format csv|tab|vcard [--header] OUT
//   ctlite-data import BOOK IN --format csv|tab|vcard (--group N | --new-group NAME)
//                               one group to a file, or a file's entries into the book
//                               (saved whole or not at all); "-" is standard output or input
//   --header, --no-header       csv and tab only. Export: --header writes a first line of
//                               column names. Import: whether the first line holds column
//                               names (known ones map their columns, the others are dropped,
//                               the line is no entry); without either the names decide, and
//                               without a line of names the values go in export order
//
// Exit status: 0 done, 1 the file has problems (check), 2 usage or file error,
// 3 copy wrote OUT but IN was damaged, so OUT is not the same book (see kChanged).
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "addressbook/model/problems.h"
#include "platform/file_system.h"

namespace ctlite {

int runDataTool(const std::vector<std::string>& args, platform::FileSystem& fs, std::istream& in,
                std::ostream& out, std::ostream& err);
// Standard input for "-".
int runDataTool(const std::vector<std::string>& args, platform::FileSystem& fs, std::ostream& out,
                std::ostream& err);

// Everything in a file's bytes that is damaged or would not read back the same.
ProblemList checkImage(std::string_view image);

}  // namespace ctlite
