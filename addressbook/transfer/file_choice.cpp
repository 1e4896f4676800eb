#include "addressbook/transfer/file_choice.h"

#include "addressbook/model/text.h"

namespace ctlite::transfer {

FileKind exportKind(int filterIndex) {
    switch (filterIndex) {
        case 2:
        case 3: return FileKind::Tab;
        case 4: return FileKind::VCard;
        default: return FileKind::Csv;
    }
}

std::string exportPath(std::string path, int filterIndex) {
    static constexpr const char* kExtensions[] = {".csv", ".txt", ".tab", ".vcf"};
    int index = filterIndex >= 1 && filterIndex <= 4 ? filterIndex - 1 : 0;
    if (path.find(kExtensions[index]) == std::string::npos)
        path += kExtensions[index];
    return path;
}

FileKind importKind(std::string_view path, int filterIndex) {
    std::size_t slash = path.find_last_of("\\/:");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.rfind('.');
    std::string extension = dot == std::string_view::npos ? "" : foldedUpper(name.substr(dot));
    if (extension == ".CSV")
        return FileKind::Csv;
    if (extension == ".TXT" || extension == ".TAB")
        return FileKind::Tab;
    if (extension == ".VCF" || extension == ".VCARD")
        return FileKind::VCard;
    return filterIndex == 2 ? FileKind::Tab : filterIndex == 3 ? FileKind::VCard : FileKind::Csv;
}

}  // namespace ctlite::transfer
