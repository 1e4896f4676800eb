#include "installer/setup/wizard/win32_install_type_page.h"

#include "installer/setup/actions/install_run.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/resource.h"
#include "installer/setup/wizard/install_type_choice.h"

namespace vortix {

const fw::CommandEntry<InstallTypePage> InstallTypePage::kCommands[] = {
    {IDC_TYPE_FIRST, BN_CLICKED, &InstallTypePage::onFirstClicked},
    {IDC_TYPE_SECOND, BN_CLICKED, &InstallTypePage::onSecondClicked},
    {IDC_TYPE_THIRD, BN_CLICKED, &InstallTypePage::onThirdClicked},
    {0, 0, nullptr},
};

namespace {

constexpr int kButtons[kInstallTypeButtons] = {IDC_TYPE_FIRST, IDC_TYPE_SECOND, IDC_TYPE_THIRD};
constexpr int kDescriptions[kInstallTypeButtons] = {IDC_TYPE_FIRST_TEXT, IDC_TYPE_SECOND_TEXT,
                                                    IDC_TYPE_THIRD_TEXT};

}  // namespace

bool InstallTypePage::fill(bool) {
    const PackageSettings& settings = run_.settings();
    const LanguageSet& language = run_.language();
    pages_ = run_.pages;
    for (std::size_t button = 0; button < kInstallTypeButtons; ++button) {
        InstallTypeTexts texts =
            installTypeTexts(settings, button, language.identifier, language.lines);
        setItemText(kButtons[button], texts.caption);
        setItemText(kDescriptions[button], texts.description);
    }
    // Coming back shows the current type, whatever was clicked before Back.
    std::size_t chosen = buttonOfInstallType(run_.choices.installType);
    for (std::size_t button = 0; button < kInstallTypeButtons; ++button)
        setChecked(kButtons[button], button == chosen);
    typeChanged();
    return true;
}

bool InstallTypePage::onNext() {
    run_.choices.installType = selectedType();
    return true;
}

std::uint32_t InstallTypePage::selectedType() const {
    for (std::size_t button = 0; button < kInstallTypeButtons; ++button)
        if (isChecked(kButtons[button]))
            return installTypeOfButton(button);
    return kTypicalType;
}

void InstallTypePage::choose(std::size_t chosen) {
    // The clicked button alone is selected, whatever group a package's own page
    // template puts the buttons in.
    for (std::size_t button = 0; button < kInstallTypeButtons; ++button)
        setChecked(kButtons[button], button == chosen);
    typeChanged();
}

void InstallTypePage::typeChanged() {
    pages_.setCustomType(selectedType() == kCustomType);
    setItemText(IDOK, entry(run_.lines(), pages_.nextCaption(kInstallTypeStage)));
}

}  // namespace vortix
