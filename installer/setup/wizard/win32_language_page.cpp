#include "installer/setup/wizard/win32_language_page.h"

#include "installer/setup/resource.h"

namespace vortix {

std::uint32_t firstLanguageShown(std::uint32_t defaultIndex, std::size_t count) {
    return defaultIndex < count ? defaultIndex : 0;
}

bool LanguagePage::readNames() {
    if (!sets_) {
        sets_ = readLanguageList(stream_, package_.toc);
        if (!sets_ || sets_->empty()) {
            sets_.reset();
            messages_.error(kLanguageListUnreadableText);
            return false;
        }
    }
    return true;
}

WizardPage::Texts LanguagePage::texts() const {
    const PackageSettings& settings = package_.script.settings;
    WizardPage::Texts texts;
    texts.heading = settings.languageCaption;
    texts.prompt = settings.languagePrompt;
    texts.back = "<< &Back";
    texts.next = "&Next >>";
    texts.cancel = "&Cancel";
    return texts;
}

void LanguagePage::prepare(WizardPage& page, bool fresh) {
    HWND list = page.item(IDC_LANGUAGE_LIST);
    if (fresh) {
        for (const LanguageSet& set : *sets_)
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(set.name.c_str()));
        std::uint32_t first =
            firstLanguageShown(package_.toc.word(toc::kDefaultLanguage), sets_->size());
        SendMessageA(list, LB_SETCURSEL, first, 0);
    }
    page.validate = [this, list] {
        LRESULT chosen = SendMessageA(list, LB_GETCURSEL, 0, 0);
        return chosen != LB_ERR && load(static_cast<std::uint32_t>(chosen));
    };
}

bool LanguagePage::load(std::uint32_t index) {
    if (loaded_ == index)
        return true;
    if (!pieces_.loadLanguageSet(index)) {
        messages_.error(kLanguageNotLoadedText);
        return false;
    }
    bool changed = loaded_.has_value();
    loaded_ = index;
    window_.setTitle(messages_.caption());
    if (changed && onLanguageChanged)
        onLanguageChanged();
    return true;
}

}  // namespace vortix
