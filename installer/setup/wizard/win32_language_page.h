// The language page (the wizard's first stage): the names of the package's
// language sets, the default one selected. No set is loaded yet, so its buttons
// and texts are fixed or the package's own. Next loads the chosen set; once loaded,
// every later page, box and the main window's title speak its language.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "installer/package/package_reader.h"
#include "installer/setup/source/win32_package_pieces.h"
#include "installer/setup/win32_messages.h"
#include "installer/setup/win32_setup_window.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

inline constexpr const char* kLanguageNotLoadedText = "Couldn't load language set!";
inline constexpr const char* kLanguageListUnreadableText = "Unknown error";

// The list item selected first: the package's default set, the first one when the
// default names no set.
std::uint32_t firstLanguageShown(std::uint32_t defaultIndex, std::size_t count);

class LanguagePage {
public:
    LanguagePage(PackageStream& stream, const OpenedPackage& package, PackagePieces& pieces,
                 SetupMessages& messages, SetupWindow& window)
        : stream_(stream),
          package_(package),
          pieces_(pieces),
          messages_(messages),
          window_(window) {}

    // The sets' names, read from the package the first time; false (after
    // "Unknown error") when they cannot be read.
    bool readNames();
    // The package's caption and prompt, and the fixed buttons.
    WizardPage::Texts texts() const;
    // Fills the list the first time; Next loads the chosen set, or says it could not
    // and keeps the page.
    void prepare(WizardPage& page, bool fresh);

    // Called after Next has loaded a set other than the one loaded before: the
    // pages made in the old language are made again.
    std::function<void()> onLanguageChanged;

private:
    bool load(std::uint32_t index);

    PackageStream& stream_;
    const OpenedPackage& package_;
    PackagePieces& pieces_;
    SetupMessages& messages_;
    SetupWindow& window_;
    std::optional<std::vector<LanguageSet>> sets_;
    std::optional<std::uint32_t> loaded_;
};

}  // namespace vortix
