#include "installer/setup/wizard/win32_install_type_page.h"

#include "installer/setup/actions/install_run.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/resource.h"
#include "installer/setup/wizard/install_type_choice.h"

namespace vortix {

const fw::CommandEntry<InstallTypePage> InstallTypePage::kCommands[] = {
    {IDC_TYPE_FIRST, BN_CLICKED, &InstallTypePage::onTypeClicked},
    {IDC_TYPE_SECOND, BN_CLICKED, &InstallTypePage::onTypeClicked},
    {IDC_TYPE_THIRD, BN_CLICKED, &InstallTypePage::onTypeClicked},
    {0, 0, nullptr},
};
const fw::MessageEntry<InstallTypePage> InstallTypePage::kMessages[] = {{0, nullptr}};

namespace {

constexpr int kButtons[kInstallTypeButtons] = {IDC_TYPE_FIRST, IDC_TYPE_SECOND, IDC_TYPE_THIRD};
constexpr int kDescriptions[kInstallTypeButtons] = {IDC_TYPE_FIRST_TEXT, IDC_TYPE_SECOND_TEXT,
                                                    IDC_TYPE_THIRD_TEXT};
constexpr int kTypeStage = 9;

}  // namespace

bool InstallTypePage::dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    // The buttons' own commands first, then the page's (Next, Back, Cancel).
    return fw::dispatchThroughTables(this, message, wParam, lParam, result) ||
           WizardPage::dispatch(message, wParam, lParam, result);
}

void InstallTypePage::fill(const PackageSettings& settings, const LanguageSet& language,
                           PageSet pages, std::uint32_t& chosen) {
    pages_ = pages;
    lines_ = &language.lines;
    for (std::size_t button = 0; button < kInstallTypeButtons; ++button) {
        InstallTypeTexts texts =
            installTypeTexts(settings, button, language.identifier, language.lines);
        setItemText(kButtons[button], texts.caption);
        setItemText(kDescriptions[button], texts.description);
    }
    // Coming back shows the current type, whatever was clicked before Back.
    CheckRadioButton(handle(), IDC_TYPE_FIRST, IDC_TYPE_THIRD,
                     kButtons[buttonOfInstallType(chosen)]);
    onTypeClicked();
    validate = [this, &chosen] {
        chosen = selectedType();
        return true;
    };
}

std::uint32_t InstallTypePage::selectedType() const {
    for (std::size_t button = 0; button < kInstallTypeButtons; ++button)
        if (isChecked(kButtons[button]))
            return installTypeOfButton(button);
    return kTypicalType;
}

void InstallTypePage::onTypeClicked() {
    if (!lines_)
        return;
    pages_.setCustomType(selectedType() == kCustomType);
    setItemText(IDOK, entry(*lines_, pages_.nextCaption(kTypeStage)));
}

}  // namespace vortix
