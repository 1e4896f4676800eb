#include <iostream>
#include <new>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "tools/ctlite-data/data_tool.h"

int main(int argc, char** argv) {
#ifdef _WIN32
    // Exported and imported files pass through "-" byte for byte.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return ctlite::runDataTool(args, platform::systemFileSystem(), std::cin, std::cout,
                                   std::cerr);
    } catch (const std::bad_alloc&) {
        std::cerr << "ctlite-data: out of memory\n";
        return 2;
    }
}
