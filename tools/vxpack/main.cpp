#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "installer/package/package_writer.h"
#include "tools/vxpack/pack_tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return vortix::runPackTool(args, platform::systemFileSystem(), std::cout, std::cerr,
                                   vortix::buildPackage);
    } catch (const std::bad_alloc&) {
        std::cerr << "vxpack: out of memory\n";
        return 1;
    }
}
