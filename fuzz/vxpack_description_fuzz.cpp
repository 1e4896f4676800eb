// Any bytes as a package description, a language set and a program's version
// resource: each is read or refused with a reason, never a crash.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tools/vxpack/description.h"
#include "tools/vxpack/language_file.h"
#include "tools/vxpack/pe_version.h"

using namespace vortix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    PackageContents contents;
    DescriptionProblem problem;
    if (!parsePackageDescription(bytes, "/nonexistent/fuzz.toml", contents, problem) &&
        problem.message.empty())
        std::abort();

    std::vector<std::string> entries;
    LanguageFileProblem languageProblem;
    if (readLanguageEntries(bytes, entries, languageProblem))
        checkLanguageEntries(entries, languageProblem);

    FileVersion version;
    std::string why;
    if (!readImageVersion(bytes, version, why) && why.empty())
        std::abort();
    return 0;
}
