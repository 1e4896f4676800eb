#include "installer/setup/wizard/wizard_stages.h"

#include "installer/package/package.h"

namespace vortix {

namespace {

// The package's page flag of each stage that has one (the progress page has none:
// it always shows).
struct StageFlag {
    int stage;
    std::uint32_t flag;
};

constexpr StageFlag kStageFlags[] = {
    {kLanguageStage, kPageLanguage},
    {kWelcomeStage, kPageWelcome},
    {kLicenceStage, kPageLicence},
    {kInformationStage, kPageInformation},
    {kSystemInformationStage, kPageSystemInformation},
    {kUserStage, kPageUserInformation},
    {kDestinationStage, kPageDestination},
    {kProgramFolderStage, kPageProgramFolder},
    {kInstallTypeStage, kPageInstallType},
    {kComponentsStage, kPageComponents},
    {kSummaryStage, kPageSummary},
    {kFinishStage, kPageFinish},
};

}  // namespace

std::uint32_t pageFlagOfStage(int stage) {
    for (const StageFlag& known : kStageFlags)
        if (known.stage == stage)
            return known.flag;
    return 0;
}

bool PageSet::shows(int stage) const {
    if (stage == kProgressStage)
        return true;
    std::uint32_t flag = pageFlagOfStage(stage);
    if (flag == 0)
        return false;
    if (stage == kComponentsStage && customType_)
        return true;
    return (flags_ & flag) != 0;
}

std::vector<int> PageSet::shownStages() const {
    std::vector<int> stages;
    for (int stage = kFirstStage; stage <= kLastStage; ++stage)
        if (shows(stage))
            stages.push_back(stage);
    return stages;
}

LanguageEntry PageSet::nextCaption(int stage) const {
    for (int later = stage + 1; later < kProgressStage; ++later)
        if (shows(later))
            return LanguageEntry::Next;
    return stage < kProgressStage ? LanguageEntry::Install : LanguageEntry::Next;
}

StageAnswer stageAnswerOf(int pluginResult) {
    switch (pluginResult) {
        case 1: return StageAnswer::GoOn;
        case 2: return StageAnswer::GoBack;
        default: return StageAnswer::Abort;
    }
}

WizardStop StageNavigator::start() {
    stack_.clear();
    return forwardFrom(kFirstStage);
}

WizardStop StageNavigator::next() {
    return forwardFrom(current() + 1);
}

WizardStop StageNavigator::back() {
    if (!canGoBack())
        return {WizardStop::Page, current()};
    return backToPrevious();
}

WizardStop StageNavigator::show(int stage) {
    // The installation cannot be gone back across: the stack starts anew there.
    if (stage == kProgressStage)
        stack_.clear();
    stack_.push_back(stage);
    return {WizardStop::Page, stage};
}

WizardStop StageNavigator::forwardFrom(int stage) {
    for (; stage <= kLastStage; ++stage) {
        switch (hooks_.runStage(stage, Direction::Forward)) {
            case StageAnswer::Abort: return {WizardStop::Aborted, stage};
            case StageAnswer::GoBack:
                // Back to the page the user left; with none before it there is
                // nowhere to go back to, and the wizard goes on.
                if (!stack_.empty() && current() < stage && current() != kProgressStage) {
                    int page = current();
                    for (int between = stage - 1; between > page; --between)
                        hooks_.runStage(between, Direction::Backward);
                    return {WizardStop::Page, page};
                }
                break;
            case StageAnswer::ShowsNothing: continue;
            case StageAnswer::GoOn: break;
        }
        if (pages_.shows(stage))
            return show(stage);
    }
    return {WizardStop::Ended, kLastStage};
}

WizardStop StageNavigator::backToPrevious() {
    int from = stack_.back();
    stack_.pop_back();
    int previous = stack_.back();
    for (int stage = from; stage > previous; --stage) {
        StageAnswer answer = hooks_.runStage(stage, Direction::Backward);
        if (answer == StageAnswer::GoOn || answer == StageAnswer::ShowsNothing)
            continue;
        // Any other answer refuses the return (going back never aborts): the
        // stage's page shows again, or, when it has none, the wizard moves forwards
        // from it as if Next had been pressed there.
        if (pages_.shows(stage))
            return show(stage);
        return forwardFrom(stage + 1);
    }
    return {WizardStop::Page, previous};
}

}  // namespace vortix
