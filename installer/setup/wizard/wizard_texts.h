// Texts the wizard's pages show: sizes, the current language's section of a
// multilingual text, and the summary before installing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "installer/package/package.h"

namespace vortix {

// "%d KB" below 1 MB (rounded down); above, "%d,%d MB", "GB" or "TB" in the
// largest unit whose whole part stays below 1024, with the tenth after the comma.
std::string sizeText(std::uint64_t bytes);
// The space an installation needs, as sizeText shows it, except that a need under
// 1 KB shows as "1 KB": files that take room never read as needing none.
std::string requiredSizeText(std::uint64_t bytes);

// How a section's start is found after its opening tag: every CR and LF that
// follow it skipped (names and descriptions), or one line end only (the licence
// and information texts, whose blank lines count).
enum class SectionStart { SkipLineEnds, SkipOneLineEnd };

// The part of `text` between "<LangID=n>" and "</LangID=n>" for the language
// `languageId`; the whole text when it has no such section or the package is not
// multilingual. A section that is never closed runs to the end.
std::string languageSection(std::string_view text, std::uint32_t languageId, bool multilingual,
                            SectionStart start = SectionStart::SkipLineEnds);

// What the summary page lists.
struct SummaryFacts {
    bool typeOrComponentsShown = false;
    std::string typeCaption;  // the chosen type's
    // The user chose the components (the custom type, or the package's own
    // components page): they are listed.
    bool componentsChosen = false;
    std::vector<std::string> components;  // the chosen ones, in the current language
    std::uint64_t requiredBytes = 0, freeBytes = 0;
    std::string destination, programFolder;
};

std::string summaryText(const SummaryLabels& labels, const SummaryFacts& facts);

// What the user typed in a field, without the spaces around it.
std::string withoutOuterSpaces(std::string_view typed);

}  // namespace vortix
