#include "installer/setup/wizard/win32_finish_page.h"

#include "installer/setup/actions/install_text.h"
#include "installer/setup/resource.h"

namespace vortix {

namespace {

constexpr int kOpenBoxes[] = {IDC_OPEN_FIRST, IDC_OPEN_SECOND};

}  // namespace

WizardPage::Texts FinishPage::texts(Texts standard) const {
    const PackageSettings& settings = run_.settings();
    const std::vector<std::string>& lines = run_.lines();
    bool update = (settings.options & kOptionUpdate) != 0;
    std::string text = update ? settings.updateFinishText : settings.finishText;
    standard.heading = entry(lines, LanguageEntry::CompleteHeading);
    standard.prompt = text.empty() ? entry(lines, LanguageEntry::CompleteText)
                                   : formatText(text, {settings.productName});
    standard.back = entry(lines, LanguageEntry::Back);
    standard.next = entry(lines, LanguageEntry::Finish);
    standard.cancel = entry(lines, LanguageEntry::Cancel);
    standard.askBeforeCancel = false;
    return standard;
}

bool FinishPage::fill(bool) {
    const PackageSettings& settings = run_.settings();
    const std::vector<std::string>& lines = run_.lines();
    enableItem(IDCANCEL, false);
    setItemText(IDC_RESTART_CAPTION, entry(lines, LanguageEntry::RestartNeeded));
    setItemText(IDC_RESTART_NOW, entry(lines, LanguageEntry::RestartNow));
    setItemText(IDC_RESTART_LATER, entry(lines, LanguageEntry::RestartLater));
    setChecked(IDC_RESTART_NOW, true);
    setChecked(IDC_RESTART_LATER, false);
    for (int id : {IDC_RESTART_CAPTION, IDC_RESTART_NOW, IDC_RESTART_LATER})
        showItem(id, restartNeeded_);
    enableItem(IDC_RESTART_LATER, !(settings.options & kOptionInsistOnRestart));
    const LanguageEntry captions[] = {LanguageEntry::OpenProgramNow, LanguageEntry::ShowReadMe};
    for (std::size_t i = 0; i < 2; ++i) {
        const AfterInstallItem& after = settings.afterInstall[i];
        bool shown = after.shown && !after.path.empty();
        setItemText(kOpenBoxes[i], entry(lines, captions[i]));
        setChecked(kOpenBoxes[i], shown && after.checked);
        showItem(kOpenBoxes[i], shown);
    }
    return true;
}

FinishChoices FinishPage::chosen() const {
    FinishChoices finish;
    finish.restart = restartNeeded_ && isChecked(IDC_RESTART_NOW);
    for (std::size_t i = 0; i < 2; ++i)
        finish.open[i] = IsWindowVisible(item(kOpenBoxes[i])) && isChecked(kOpenBoxes[i]);
    return finish;
}

}  // namespace vortix
