#include "installer/setup/wizard/wizard_texts.h"

namespace vortix {

std::string sizeText(std::uint64_t bytes) {
    std::uint64_t whole = bytes / 1024;  // kilobytes
    if (whole < 1024)
        return std::to_string(whole) + " KB";
    static const char* const kUnits[] = {"MB", "GB", "TB"};
    std::uint64_t remainder = 0;
    int unit = -1;
    while (unit < 2 && (unit < 0 || whole >= 1024)) {
        remainder = whole % 1024;
        whole /= 1024;
        ++unit;
    }
    // The tenth of the unit, rounded down: 512 of 1024 is ",5".
    return std::to_string(whole) + "," + std::to_string(remainder * 10 / 1024) + " " + kUnits[unit];
}

std::string requiredSizeText(std::uint64_t bytes) {
    return sizeText(bytes > 0 && bytes < 1024 ? 1024 : bytes);
}

std::string languageSection(std::string_view text, std::uint32_t languageId, bool multilingual,
                            SectionStart start) {
    if (!multilingual)
        return std::string(text);
    std::string opening = "<LangID=" + std::to_string(languageId) + ">";
    std::string closing = "</LangID=" + std::to_string(languageId) + ">";
    std::size_t at = text.find(opening);
    if (at == std::string_view::npos)
        return std::string(text);
    std::size_t begin = at + opening.size();
    if (start == SectionStart::SkipLineEnds) {
        while (begin < text.size() && (text[begin] == '\r' || text[begin] == '\n'))
            ++begin;
    } else if (text.compare(begin, 2, "\r\n") == 0) {
        begin += 2;
    } else if (begin < text.size() && (text[begin] == '\n' || text[begin] == '\r')) {
        ++begin;
    }
    std::size_t end = text.find(closing, begin);
    return std::string(text.substr(begin, end == std::string_view::npos ? text.npos : end - begin));
}

std::string summaryText(const SummaryLabels& labels, const SummaryFacts& facts) {
    std::string text =
        labels.heading + "\r\n" + std::string(labels.heading.size(), '=') + "\r\n\r\n";
    if (facts.typeOrComponentsShown) {
        text += labels.type + "\r\n" + facts.typeCaption + "\r\n";
        if (facts.componentsChosen) {
            text += labels.components + "\r\n";
            for (const std::string& name : facts.components)
                text += "\t" + name + "\r\n";
        }
        text += "\r\n";
    }
    text += labels.requiredSpace + " " + requiredSizeText(facts.requiredBytes) + "\r\n";
    text += labels.availableSpace + " " + sizeText(facts.freeBytes);
    text += "\r\n\r\n" + labels.destination + "\r\n" + facts.destination + "\r\n\r\n" +
            labels.programFolder + "\r\n" + facts.programFolder;
    return text;
}

std::string withoutOuterSpaces(std::string_view typed) {
    std::size_t first = typed.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return std::string();
    return std::string(typed.substr(first, typed.find_last_not_of(' ') - first + 1));
}

}  // namespace vortix
