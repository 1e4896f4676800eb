#include "addressbook/ui/web_address.h"

namespace ctlite {

std::string browserCommandLine(const std::string& openCommand, const std::string& address) {
    std::string command = openCommand;
    std::size_t cut = command.find("\"%1\"");
    if (cut == std::string::npos)
        cut = command.find("%1");
    if (cut != std::string::npos)
        command.resize(cut);
    return command + " " + address;
}

}  // namespace ctlite
