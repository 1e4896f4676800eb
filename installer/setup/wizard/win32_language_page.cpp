#include "installer/setup/wizard/win32_language_page.h"

#include "installer/setup/resource.h"

namespace vortix {

std::uint32_t firstLanguageShown(std::uint32_t defaultIndex, std::size_t count) {
    return defaultIndex < count ? defaultIndex : 0;
}

const fw::CommandEntry<LanguagePage> LanguagePage::kCommands[] = {
    {IDC_LANGUAGE_LIST, LBN_DBLCLK, &LanguagePage::pressNext},
    {0, 0, nullptr},
};

bool LanguagePage::ready() {
    if (!sets_) {
        sets_ = readLanguageList(run_.stream, run_.package.toc);
        if (!sets_ || sets_->empty()) {
            sets_.reset();
            run_.messages.error(kLanguageListUnreadableText);
            return false;
        }
    }
    return true;
}

WizardPage::Texts LanguagePage::texts(Texts) const {
    const PackageSettings& settings = run_.settings();
    Texts texts;
    texts.heading = settings.languageCaption;
    texts.prompt = settings.languagePrompt;
    texts.back = "<< &Back";
    texts.next = "&Next >>";
    texts.cancel = "&Cancel";
    return texts;
}

bool LanguagePage::fill(bool fresh) {
    if (fresh) {
        for (const LanguageSet& set : *sets_)
            sendItem(IDC_LANGUAGE_LIST, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(set.name.c_str()));
        std::uint32_t first =
            firstLanguageShown(run_.package.toc.word(toc::kDefaultLanguage), sets_->size());
        sendItem(IDC_LANGUAGE_LIST, LB_SETCURSEL, first);
    }
    return true;
}

bool LanguagePage::onNext() {
    LRESULT chosen = sendItem(IDC_LANGUAGE_LIST, LB_GETCURSEL);
    return chosen != LB_ERR && load(static_cast<std::uint32_t>(chosen));
}

bool LanguagePage::load(std::uint32_t index) {
    if (loaded_ == index)
        return true;
    if (!run_.pieces.loadLanguageSet(index)) {
        run_.messages.error(kLanguageNotLoadedText);
        return false;
    }
    bool changed = loaded_.has_value();
    loaded_ = index;
    run_.window.setTitle(run_.messages.caption());
    // The pages made in the old language are made again.
    if (changed)
        ++run_.languageChanges;
    return true;
}

}  // namespace vortix
