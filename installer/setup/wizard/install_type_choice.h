// The installation type page's three buttons: the type code each stands for, and
// the caption and description it shows in the current language.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "installer/package/package.h"

namespace vortix {

inline constexpr std::size_t kInstallTypeButtons = 3;

// The first button is the typical type (2), the second the minimal one (1), the
// third the custom one (4).
std::uint32_t installTypeOfButton(std::size_t button);
// The button of a type code; the first for a code that is none of the three.
std::size_t buttonOfInstallType(std::uint32_t type);

// Whether the user picks the components on the wizard's pages: on the package's
// components page (`pageFlags` has it), or on the one the custom type brings.
bool componentsChosenOnPages(std::uint32_t pageFlags, std::uint32_t installType);

struct InstallTypeTexts {
    std::string caption, description;
};

// The package's caption and description of `button` in the language
// `languageId` (the package's own section of it when it is multilingual); the
// language set's (`lines`) where the package leaves one empty.
InstallTypeTexts installTypeTexts(const PackageSettings& settings, std::size_t button,
                                  std::uint32_t languageId, const std::vector<std::string>& lines);

}  // namespace vortix
