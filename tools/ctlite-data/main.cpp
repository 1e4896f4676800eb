#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "tools/ctlite-data/data_tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return ctlite::runDataTool(args, platform::systemFileSystem(), std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        std::cerr << "ctlite-data: out of memory\n";
        return 2;
    }
}
