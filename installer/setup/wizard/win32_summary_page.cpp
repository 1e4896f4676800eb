#include "installer/setup/wizard/win32_summary_page.h"

#include "installer/setup/probe/win32_machine_probe.h"
#include "installer/setup/resource.h"
#include "installer/setup/wizard/wizard_texts.h"

namespace vortix {

bool SummaryPage::fill(bool) {
    setItemText(IDC_SUMMARY, summary());
    return true;
}

std::string SummaryPage::summary() const {
    const PackageSettings& settings = run_.settings();
    const LanguageSet& language = run_.language();
    const WizardChoices& chosen = run_.choices;
    SummaryFacts facts;
    facts.typeOrComponentsShown = (settings.pages & (kPageInstallType | kPageComponents)) != 0;
    facts.typeCaption = installTypeTexts(settings, buttonOfInstallType(chosen.installType),
                                         language.identifier, language.lines)
                            .caption;
    // The components are listed for the custom type only, even where the package
    // shows its components page for the other types too.
    facts.componentsChosen = chosen.installType == kCustomType && chosen.components;
    if (facts.componentsChosen)
        facts.components = chosen.components->chosenNames(language.identifier, run_.multilingual());
    facts.requiredBytes = settings.requiredSize;
    facts.freeBytes = freeSpaceOf(run_.variables.installDir()).value_or(0);
    facts.destination = run_.variables.installDir();
    facts.programFolder = run_.variables.shortcutDir();
    return summaryText(settings.summary, facts);
}

}  // namespace vortix
