#include "installer/setup/actions/overwrite_decision.h"

#include <cctype>

#include "installer/package/language_entries.h"
#include "installer/setup/actions/install_text.h"

namespace vortix {
namespace {

// Each part is 16 bits, so "%d" and unsigned print alike.
std::string number(std::uint32_t part) {
    return std::to_string(part);
}

bool languagesDiffer(const OverwriteFacts& facts) {
    return facts.existingLanguage != 0 && facts.packagedLanguage != 0 &&
           facts.existingLanguage != facts.packagedLanguage;
}

std::string ageText(const OverwriteFacts& facts, const std::vector<std::string>& texts) {
    // The three age texts follow each other in the order of Age.
    return entry(texts,
                 indexOf(LanguageEntry::ExistingOlder) +
                     static_cast<std::size_t>(compareVersions(facts.existing, facts.packaged)));
}

}  // namespace

Age compareVersions(FileVersion existing, FileVersion packaged) {
    std::uint64_t a = std::uint64_t{existing.high} << 32 | existing.low;
    std::uint64_t b = std::uint64_t{packaged.high} << 32 | packaged.low;
    return a < b ? Age::Older : a == b ? Age::Same : Age::Newer;
}

std::string formatVersion(FileVersion v) {
    std::uint32_t hiHigh = v.high >> 16, hiLow = v.high & 0xFFFF;
    std::uint32_t loHigh = v.low >> 16, loLow = v.low & 0xFFFF;
    if (v.high >= 65536)
        return number(hiHigh) + "." + number(hiLow) + "." + number(loHigh) + "." + number(loLow);
    if (hiLow != 0)
        return number(hiLow) + "." + number(loHigh) + "." + number(loLow);
    if (loHigh != 0)
        return number(loHigh) + "." + number(loLow);
    return number(loLow);
}

Question questionFor(const OverwriteFacts& facts) {
    Age age = compareVersions(facts.existing, facts.packaged);
    bool differ = languagesDiffer(facts);
    switch (facts.mode) {
        case 1: return differ ? Question::Language : Question::Version;
        case 4: return differ && age == Age::Older ? Question::Language : Question::None;
        case 5:
            return differ && facts.setupTime > facts.packagedTime ? Question::Language
                                                                  : Question::None;
        case 6:
            if (differ && age == Age::Older)
                return Question::Language;
            return age == Age::Newer ? Question::Version : Question::None;
        default: return Question::None;
    }
}

std::string languageQuestion(const OverwriteFacts& facts, const std::vector<std::string>& texts) {
    std::string text = entry(texts, LanguageEntry::LanguageConflict) + ":\r\n";
    text += formatText(entry(texts, LanguageEntry::FileExists), {facts.path});
    text += ageText(facts, texts);
    text += formatText(entry(texts, LanguageEntry::FileLanguages),
                       {facts.existingLanguageName, facts.packagedLanguageName});
    text += entry(texts, LanguageEntry::KeepQuestion);
    if (!facts.existingDescription.empty())
        text += "\r\n\r\n" + entry(texts, LanguageEntry::DescriptionLabel) + " " +
                facts.existingDescription;
    return text;
}

std::string versionQuestion(const OverwriteFacts& facts, const std::vector<std::string>& texts) {
    std::string text = formatText(entry(texts, LanguageEntry::FileExists), {facts.path});
    text += "\r\n" + ageText(facts, texts) + "\r\n" + entry(texts, LanguageEntry::KeepQuestion);
    if (!facts.existingDescription.empty())
        text += "\r\n" + entry(texts, LanguageEntry::DescriptionLabel) + " " +
                facts.existingDescription;
    if (!facts.packaged.empty()) {
        std::string label = entry(texts, LanguageEntry::VersionLabel);
        if (!label.empty())
            label[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(label[0])));
        text += "\r\n" + label + ": " + formatVersion(facts.packaged);
    }
    return text;
}

bool decideOverwrite(const OverwriteFacts& facts, const std::vector<std::string>& texts,
                     const std::function<bool(const std::string&)>& askKeep) {
    switch (questionFor(facts)) {
        case Question::Language: return !askKeep(languageQuestion(facts, texts));
        case Question::Version: return !askKeep(versionQuestion(facts, texts));
        case Question::None: break;
    }
    Age age = compareVersions(facts.existing, facts.packaged);
    switch (facts.mode) {
        case 0:
        case 3: return true;
        case 4: return age == Age::Older;
        case 5: return facts.setupTime < facts.packagedTime;
        case 6: return age != Age::Newer;
        // Mode 2, and a mode the engine does not know: the existing file stays, so
        // nothing is lost.
        default: return false;
    }
}

}  // namespace vortix
