#include "installer/setup/actions/install_host.h"

namespace vortix {

bool InstallFiles::placeFileData(std::size_t fileIndex, const PackagedFile& file,
                                 const std::string& beside, const std::string& target,
                                 const NewFileMarks& stamp) {
    bool written = file.dataSize == 0 && file.storage != FileStorage::External
                       ? writeFile(beside, std::string())
                       : writeFileData(fileIndex, file, beside);
    if (!written)
        return false;
    if (stamp.created || stamp.lastWritten)
        setTimes(beside, stamp.created, stamp.lastWritten);
    setAttributes(beside, stamp.attributes);
    return target.empty() || moveOver(beside, target);
}

}  // namespace vortix
