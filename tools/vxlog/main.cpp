#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "tools/vxlog/log_printer.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return vortix::runLogTool(args, platform::systemFileSystem(), std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        std::cerr << "vxlog: out of memory\n";
        return 2;
    }
}
