#include "installer/setup/wizard/install_type_choice.h"

#include "installer/setup/actions/install_run.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/wizard/wizard_texts.h"

namespace vortix {

namespace {

constexpr std::uint32_t kTypes[kInstallTypeButtons] = {kTypicalType, kMinimalType, kCustomType};

}  // namespace

std::uint32_t installTypeOfButton(std::size_t button) {
    return button < kInstallTypeButtons ? kTypes[button] : kTypicalType;
}

std::size_t buttonOfInstallType(std::uint32_t type) {
    for (std::size_t button = 0; button < kInstallTypeButtons; ++button)
        if (kTypes[button] == type)
            return button;
    return 0;
}

InstallTypeTexts installTypeTexts(const PackageSettings& settings, std::size_t button,
                                  std::uint32_t languageId, const std::vector<std::string>& lines) {
    const bool multilingual = (settings.options & kOptionMultilingual) != 0;
    const InstallType& type = settings.installTypes.at(button);
    InstallTypeTexts texts{languageSection(type.caption, languageId, multilingual),
                           languageSection(type.description, languageId, multilingual)};
    if (texts.caption.empty())
        texts.caption = entry(lines, indexOf(LanguageEntry::Typical) + button);
    if (texts.description.empty())
        texts.description = entry(lines, indexOf(LanguageEntry::TypicalText) + button);
    return texts;
}

bool componentsChosenOnPages(std::uint32_t pageFlags, std::uint32_t installType) {
    return (pageFlags & kPageComponents) || installType == kCustomType;
}

}  // namespace vortix
