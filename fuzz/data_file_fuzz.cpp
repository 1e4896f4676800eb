// Any bytes as a data file: reading never crashes (a file of little but damage is
// refused whole), and whatever was read saves to
// a file that reads back whole (no damage, same groups, same entries).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "addressbook/model/data_format.h"
#include "addressbook/model/find_next.h"
#include "addressbook/model/name_list.h"

using namespace ctlite;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view file(reinterpret_cast<const char*>(data), size);
    AddressBook book;
    ProblemList problems;
    try {
        dataformat::readFile(file, book, problems);
    } catch (const dataformat::TooDamaged&) {
        // Refused whole: nothing of it was taken.
        return 0;
    }

    std::string saved = dataformat::fileImage(book);
    AddressBook again;
    ProblemList none;
    dataformat::readFile(saved, again, none);
    if (!none.empty() || again.groupCount() != book.groupCount() ||
        again.password() != book.password() || !(again.labels() == book.labels()))
        std::abort();
    for (int g = 0; g < book.groupCount(); ++g) {
        if (again.groupName(g) != book.groupName(g))
            std::abort();
        int n = book.group(g).entries().count();
        // An empty group is stored as one blank or placeholder record.
        if (n > 0 && again.group(g).entries().count() != n)
            std::abort();
    }

    // The name list and a search over what was read.
    for (int mode = 0; mode < 3; ++mode) {
        NameList names(book.group(0).entries(), static_cast<SortMode>(mode));
        names.quickSearch(file.substr(0, 3));
    }
    FindNext find;
    find.next(book, 0, SortMode::FirstName, {file.substr(0, 4), SearchMode::AllFields, true});
    return 0;
}
