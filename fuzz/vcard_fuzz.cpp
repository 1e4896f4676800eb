// Any bytes as a vCard file: reading never crashes or hangs, and the cards it
// made export to a file that reads back as as many entries.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "addressbook/transfer/vcard.h"

using namespace ctlite;
using namespace ctlite::transfer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view file(reinterpret_cast<const char*>(data), size);
    GroupList imported;
    ImportSummary summary = importVCards(file, imported);
    if (summary.entries + summary.blank != summary.records ||
        static_cast<int>(summary.entries) != imported.count())
        std::abort();
    GroupList again;
    importVCards(writeVCards(imported, "Group"), again);
    if (again.count() != imported.count())
        std::abort();
    return 0;
}
