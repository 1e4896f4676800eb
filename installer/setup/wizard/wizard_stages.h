// The wizard's thirteen stages, which of them show a page, and moving through
// them with Next and Back. No window here: the Windows shell shows the page the
// navigator stops at, and the stage hooks run each stage's actions and the
// plug-in's entry point.
#pragma once

#include <cstdint>
#include <vector>

#include "installer/package/language_entries.h"

namespace vortix {

// The stages by number: the numbers are the plug-in's and the package's (its page
// templates, wizard bitmaps and stage actions name their stage by them).
inline constexpr int kLanguageStage = 1;
inline constexpr int kWelcomeStage = 2;
inline constexpr int kLicenceStage = 3;
inline constexpr int kInformationStage = 4;
inline constexpr int kSystemInformationStage = 5;
inline constexpr int kUserStage = 6;
inline constexpr int kDestinationStage = 7;
inline constexpr int kProgramFolderStage = 8;
inline constexpr int kInstallTypeStage = 9;
inline constexpr int kComponentsStage = 10;
inline constexpr int kSummaryStage = 11;
inline constexpr int kProgressStage = 12;  // the installation itself: always shown
inline constexpr int kFinishStage = 13;
// The step after the finish page: no page, only the package's actions and the
// plug-in's last entry point.
inline constexpr int kClosingStage = 14;

inline constexpr int kFirstStage = kLanguageStage;
inline constexpr int kLastStage = kFinishStage;

// The package's page flag of a stage (0 for the progress stage, always shown).
std::uint32_t pageFlagOfStage(int stage);

// Which stages show a page: the package's flags, and whether the custom type was
// chosen (it shows the components page even when the package does not ask for it).
class PageSet {
public:
    explicit PageSet(std::uint32_t flags, bool customType = false)
        : flags_(flags), customType_(customType) {}
    bool shows(int stage) const;
    void setCustomType(bool custom) { customType_ = custom; }
    // The stages that show a page, in order (the progress stage included).
    std::vector<int> shownStages() const;
    // The Next button's caption on the page of `stage`: "Install" when no page up
    // to the progress page follows it, else "Next".
    LanguageEntry nextCaption(int stage) const;

private:
    std::uint32_t flags_;
    bool customType_;
};

enum class Direction { Forward, Backward };

// What a stage's hook answers: go on, go back to the previous page, abort the
// installation, or "shows nothing" (the plug-in failed with an exception: the stage
// counts as one without a page, and the wizard goes on in its direction).
enum class StageAnswer { GoOn, GoBack, Abort, ShowsNothing };

// The plug-in's stage result: 1 goes on, 2 goes back, anything else aborts.
StageAnswer stageAnswerOf(int pluginResult);

class StageHooks {
public:
    virtual ~StageHooks() = default;
    // Runs stage `stage` in `direction`: its actions (forwards only) and the
    // plug-in's entry point.
    virtual StageAnswer runStage(int stage, Direction direction) = 0;
};

// Where the wizard is after a move: showing the page of `stage`, aborted, or past
// the last stage.
struct WizardStop {
    enum Kind { Page, Aborted, Ended } kind;
    int stage = 0;
    bool operator==(const WizardStop& other) const {
        return kind == other.kind && stage == other.stage;
    }
};

// The page stack. Each shown page is pushed; Back pops it and runs the stages in
// between backwards, so that their entry points see the return. Once the
// installation has started nothing before it can be gone back to.
class StageNavigator {
public:
    StageNavigator(const PageSet& pages, StageHooks& hooks) : pages_(pages), hooks_(hooks) {}

    // Runs from the first stage up to the first page shown.
    WizardStop start();
    // Leaves the current page forwards.
    WizardStop next();
    // Goes back to the previous page; the current one when there is none.
    WizardStop back();

    bool canGoBack() const { return stack_.size() > 1; }
    int current() const { return stack_.empty() ? 0 : stack_.back(); }
    const std::vector<int>& stack() const { return stack_; }

private:
    WizardStop forwardFrom(int stage);
    // Back from the page on top of the stack to the page beneath it.
    WizardStop backToPrevious();
    WizardStop show(int stage);

    const PageSet& pages_;
    StageHooks& hooks_;
    std::vector<int> stack_;
};

}  // namespace vortix
