// What the Export and Import file dialogs offer, and what a chosen file means:
// its format, and for export the extension the path gets.
#pragma once

#include <string>
#include <string_view>

namespace ctlite::transfer {

using namespace std::string_view_literals;

enum class FileKind { Csv, Tab, VCard };

// Filters as the system's file dialogs take them: description, NUL, pattern, NUL.
// Export: 1 comma-separated, 2 tab-delimited .txt, 3 tab-delimited .tab, 4 vCard.
inline constexpr std::string_view kExportFilter =
    "Comma Separated (*.csv)\0*.csv\0Tab Delimited (*.txt)\0*.txt\0"
    "Tab Delimited (*.tab)\0*.tab\0vCard (*.vcf)\0*.vcf\0"sv;
// Import: 1 comma-separated, 2 tab-delimited, 3 vCard.
inline constexpr std::string_view kImportFilter =
    "Comma Separated (*.csv)\0*.csv\0Tab Delimited (*.txt;*.tab)\0*.txt;*.tab\0"
    "vCard (*.vcf)\0*.vcf;*.vcard\0"sv;

FileKind exportKind(int filterIndex);
// The path with the filter's extension appended, unless the path holds it already
// anywhere (exactly as typed: "list.CSV" becomes "list.CSV.csv").
std::string exportPath(std::string path, int filterIndex);

// The format of a file to import: by the extension of its name, whatever its case,
// and by the filter shown when the name has none of the three.
FileKind importKind(std::string_view path, int filterIndex);

}  // namespace ctlite::transfer
