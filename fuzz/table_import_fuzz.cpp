// Any bytes as a comma-separated or tab-delimited file: reading never crashes or
// hangs, a first line of column names is judged without either, and what was
// imported exports to a file that imports back the same.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "addressbook/transfer/column_names.h"
#include "addressbook/transfer/table_file.h"
#include "addressbook/transfer/table_import.h"

using namespace ctlite;
using namespace ctlite::transfer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view file(reinterpret_cast<const char*>(data), size);
    for (TableFormat format : {TableFormat::Csv, TableFormat::Tab}) {
        TableReader reader(file, format);
        // The dialog's paging reads records one at a time, past both ends too.
        std::vector<std::string> values;
        for (int r : {-1, 0, reader.recordCount() / 2, reader.recordCount()})
            reader.record(r, values);

        // An import's pass reads each record as the paging does.
        TableReader::Pass pass(reader);
        std::vector<std::string_view> viewed;
        for (int r = 0; pass.next(viewed); ++r) {
            reader.record(r, values);
            if (!std::equal(viewed.begin(), viewed.end(), values.begin(), values.end()))
                std::abort();
        }

        GroupList imported;
        ImportSummary summary =
            importTable(reader, ImportMapping::exportOrder(format), detectEncoding(file), imported);
        if (summary.entries + summary.blank != summary.records ||
            static_cast<int>(summary.records) != reader.recordCount())
            std::abort();

        // A first line of column names maps at most one column to each field, and the
        // line is no entry.
        reader.record(0, values);
        if (std::optional<HeaderLine> header = readHeaderLine(values, detectEncoding(file))) {
            GroupList headed;
            ImportSummary named =
                importTable(reader, header->mapping, detectEncoding(file), headed, true);
            if (static_cast<int>(named.records) != reader.recordCount() - 1)
                std::abort();
        }

        // Only CSV carries every value; the comparison reads the bytes as written.
        if (format != TableFormat::Csv || holdsOnlyThePlaceholder(imported))
            continue;
        std::string written = writeTable(imported, format);
        GroupList again;
        importTable(TableReader(written, format), ImportMapping::exportOrder(format),
                    Encoding::Windows1252, again);
        if (again.count() != imported.count())
            std::abort();
        int n = imported.count();  // each import reverses the order
        for (int p = 1; p <= n; ++p)
            if (*again.find(p) != *imported.find(n + 1 - p))
                std::abort();
    }
    return 0;
}
