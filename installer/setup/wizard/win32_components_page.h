// The components page: the package's component tree in a tree view, a box
// before each component (fixed ones ticked and greyed, for they are always
// installed), the selected component's description beside the tree, and the
// space the chosen components need. The choices live outside the page, so that
// coming back, even in another language, shows what the user chose.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "installer/package/package.h"
#include "installer/setup/fault_plan.h"
#include "installer/setup/win32_messages.h"
#include "installer/setup/wizard/component_choices.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

inline constexpr const char* kComponentTreeFailedText =
    "Invalid dialog template or tree-view creation failed.";
inline constexpr const char* kComponentInsertFailedText = "TreeView_InserItem failed";

class ComponentsPage : public WizardPage {
public:
    static const fw::CommandEntry<ComponentsPage> kCommands[];
    static const fw::MessageEntry<ComponentsPage> kMessages[];

    ComponentsPage();
    ~ComponentsPage() override;

    // Fills the tree from `choices` in the language of `language`; Next then
    // wants at least one component chosen. False when the tree could not be made
    // or filled (the failure was shown through `messages`). `faults` makes the tree
    // fail on purpose in tests.
    bool fill(ComponentChoices& choices, const LanguageSet& language, bool multilingual,
              SetupMessages& messages, const FaultPlan& faults);

protected:
    bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    INT_PTR onNotify(WPARAM wParam, LPARAM lParam);
    // The state images: none, unticked, ticked, fixed.
    bool makeStateImages();
    void toggle(HTREEITEM item);
    void showStates();
    void showDescription(HTREEITEM item);
    void showSpace();
    std::size_t componentOf(HTREEITEM item) const;

    HIMAGELIST states_ = nullptr;
    std::vector<HTREEITEM> items_;  // by component number
    ComponentChoices* choices_ = nullptr;
    const LanguageSet* language_ = nullptr;
    bool multilingual_ = false;
};

}  // namespace vortix
