// The language page (the wizard's first stage): the names of the package's
// language sets, the default one selected. No set is loaded yet, so its buttons
// and texts are fixed or the package's own. Next loads the chosen set; once loaded,
// every later page, box and the main window's title speak its language.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "installer/package/package_reader.h"
#include "installer/setup/wizard/win32_page_context.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

inline constexpr const char* kLanguageNotLoadedText = "Couldn't load language set!";
inline constexpr const char* kLanguageListUnreadableText = "Unknown error";

// The list item selected first: the package's default set, the first one when the
// default names no set.
std::uint32_t firstLanguageShown(std::uint32_t defaultIndex, std::size_t count);

class LanguagePage : public WizardPageImpl<LanguagePage> {
public:
    static const fw::CommandEntry<LanguagePage> kCommands[];

    explicit LanguagePage(PageContext& run) : run_(run) {}

    // The sets' names, read from the package the first time; false (after
    // "Unknown error") when they cannot be read.
    bool ready() override;
    // The package's caption and prompt, and the fixed buttons.
    Texts texts(Texts standard) const override;
    // Fills the list the first time.
    bool fill(bool fresh) override;

private:
    // Loads the chosen set, or says it could not and keeps the page.
    bool onNext() override;
    bool load(std::uint32_t index);

    PageContext& run_;
    std::optional<std::vector<LanguageSet>> sets_;
    std::optional<std::uint32_t> loaded_;
};

}  // namespace vortix
