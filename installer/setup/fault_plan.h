// Failures a test can ask the setup program to meet on purpose, where the system
// under test (Wine, running as an administrator) would never refuse: a registry
// key that cannot be created, a directory without write permission, an
// uninstaller that cannot be written. Only the test build of the program reads
// them, from the environment variable VXSETUP_FAULTS, as ";"-separated items:
//
//   key:PATH        creating the key ROOT\PATH (e.g. HKEY_CURRENT_USER\Software\X) fails
//   nowrite:DIR     creating files in the directory DIR is refused with access denied
//   file:PATH       writing the file PATH fails
//   inuse:PATH      the file PATH is in use the way a loaded program is: it cannot
//                   be deleted or opened exclusively, but it can be renamed
//   tree:STEP       the components page's tree fails at STEP: "create" (the tree
//                   cannot be made) or "insert" (a component cannot be inserted)
//
// Paths are compared without regard to case. An empty plan changes nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vortix {

class FaultPlan {
public:
    static FaultPlan parse(std::string_view text);

    bool keyFails(std::string_view path) const;
    bool directoryRefusesWrites(std::string_view directory) const;
    bool fileFails(std::string_view path) const;
    bool fileInUse(std::string_view path) const;
    bool treeFails(std::string_view step) const;

private:
    std::vector<std::string> keys_, directories_, files_, inUse_, treeSteps_;
};

// The plan of this build of the program: VXSETUP_FAULTS in the test build, and
// always empty in the product (fault_seam_test.cpp or fault_seam_product.cpp).
FaultPlan faultPlanOfThisBuild();

}  // namespace vortix
