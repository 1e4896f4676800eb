#include "installer/setup/setup_rules.h"

#include <cctype>

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
        case Buttons::OkCancel:
            return kAnswerOk;
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            return kAnswerYes;
        case Buttons::RetryCancel:
            return kAnswerCancel;
        case Buttons::AbortRetryIgnore:
            return kAnswerIgnore;
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

std::string formatText(std::string_view pattern, std::initializer_list<FormatArgument> arguments) {
    std::string out;
    out.reserve(pattern.size() + 64);
    auto next = arguments.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c != '%' || i + 1 == pattern.size()) {
            out += c;
            continue;
        }
        char directive = pattern[i + 1];
        if (directive == '%') {
            out += '%';
            ++i;
        } else if ((directive == 's' || directive == 'd') && next != arguments.end()) {
            out += next->text;
            ++next;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::string entryText(const LanguageSet& set, std::size_t entry) {
    return entry < set.lines.size() ? set.lines[entry] : std::string();
}

std::string languageWindowTitle(const LanguageSet& set, const PackageSettings& settings) {
    bool update = (settings.options & kOptionUpdate) != 0;
    return formatText(entryText(set, update ? 9 : 8), {settings.productName});
}

bool packageAllowsRun(const PackageSettings& settings, bool silent) {
    return !(silent && (settings.pages & kPageUserInformation));
}

}  // namespace vortix
