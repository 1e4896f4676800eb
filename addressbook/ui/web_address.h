// Opening a web address: the shell first; failing that, the command of the ".htm"
// file class, cut where its "%1" placeholder begins, with the address appended in quotes.
//
// A homepage comes from the user or from an imported file, so only web and mail
// addresses are ever opened: a path to a program, a file or a share is shown, not run.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ctlite {

// The address to open for a homepage's text, or nothing when it is not one to open.
// http, https and mailto addresses are kept (the scheme in any case); a bare
// "www." name gets "http://" before it. Blanks around the text are dropped; blanks,
// quotes, backslashes and control bytes inside it are written as "%XX", so the
// address stays one argument of a command line.
std::optional<std::string> openableAddress(std::string_view homepage);

// What the card says instead of opening a homepage that is not a web address.
std::string notOpenedMessage(std::string_view homepage);

// The browser command for `address` made from the ".htm" class's open command.
std::string browserCommandLine(const std::string& openCommand, const std::string& address);

// Why a link could not be opened, from the shell's result code, for the message
// "Unable to open hyperlink:" of a link label.
std::string hyperlinkFailureReason(int code);

}  // namespace ctlite
