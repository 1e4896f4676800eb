// Opening a web address: the shell first; failing that, the command of the ".htm"
// file class, cut where its "%1" placeholder begins, with the address appended.
#pragma once

#include <string>

namespace ctlite {

// The browser command for `address` made from the ".htm" class's open command.
std::string browserCommandLine(const std::string& openCommand, const std::string& address);

// Why a link could not be opened, from the shell's result code, for the message
// "Unable to open hyperlink:" of a link label.
std::string hyperlinkFailureReason(int code);

}  // namespace ctlite
