#include "installer/setup/setup_rules.h"

#include <cctype>

#include "installer/common/local_path.h"
#include "installer/package/language_entries.h"
#include "installer/setup/actions/install_text.h"
#include "installer/setup/actions/windows_path.h"

namespace vortix {

bool isSilentCommandLine(std::string_view commandLine) {
    std::string upper(commandLine);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.find("/SILENT") != std::string::npos;
}

int silentAnswer(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
        case Buttons::OkCancel: return kAnswerOk;
        case Buttons::YesNo:
        case Buttons::YesNoCancel: return kAnswerYes;
        case Buttons::RetryCancel: return kAnswerCancel;
        case Buttons::AbortRetryIgnore: return kAnswerIgnore;
    }
    return kAnswerOk;
}

std::string boxCaption(std::string_view languageTitle, std::string_view packageTitle) {
    if (!languageTitle.empty())
        return std::string(languageTitle);
    if (!packageTitle.empty())
        return std::string(packageTitle);
    return std::string(kDefaultCaption);
}

std::string languageWindowTitle(const LanguageSet& set, const PackageSettings& settings) {
    bool update = (settings.options & kOptionUpdate) != 0;
    return formatText(
        entry(set.lines, update ? LanguageEntry::UpdateTitle : LanguageEntry::SetupTitle),
        {settings.productName});
}

std::string programFolderPath(std::string_view setting, std::string_view programsFolder) {
    if (setting.empty() || isPlainLocalPath(setting))
        return std::string(setting);
    while (!setting.empty() && setting.front() == '\\')
        setting.remove_prefix(1);
    return joinPath(programsFolder, setting);
}

bool packageAllowsRun(const PackageSettings& settings, bool silent) {
    return !(silent && (settings.pages & kPageUserInformation));
}

}  // namespace vortix
