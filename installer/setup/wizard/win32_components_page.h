// The components page: the package's component tree in a tree view, a box
// before each component (fixed ones ticked and greyed, for they are always
// installed), the selected component's description beside the tree, and the
// space the chosen components need. The choices live outside the page, so that
// coming back, even in another language, shows what the user chose.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <string_view>
#include <vector>

#include "installer/setup/wizard/win32_page_context.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

inline constexpr const char* kComponentTreeFailedText =
    "Invalid dialog template or tree-view creation failed.";
inline constexpr const char* kComponentInsertFailedText = "TreeView_InserItem failed";

class ComponentsPage : public WizardPageImpl<ComponentsPage> {
public:
    static const fw::MessageEntry<ComponentsPage> kMessages[];

    explicit ComponentsPage(PageContext& run);
    ~ComponentsPage() override;

    std::string_view notMadeText() const override { return kComponentTreeFailedText; }
    // Fills the tree from the run's choices in the current language; Next then
    // wants at least one component chosen. False when the tree could not be made
    // or filled (the failure was shown). The run's fault plan makes the tree fail
    // on purpose in tests.
    bool fill(bool fresh) override;

private:
    bool onNext() override;
    INT_PTR onNotify(WPARAM wParam, LPARAM lParam);
    // The state images: none, unticked, ticked, fixed.
    bool makeStateImages();
    void toggle(HTREEITEM item);
    void showStates();
    void showDescription(HTREEITEM item);
    void showSpace();
    std::size_t componentOf(HTREEITEM item) const;

    PageContext& run_;
    HIMAGELIST states_ = nullptr;
    std::vector<HTREEITEM> items_;         // by component number
    ComponentChoices* choices_ = nullptr;  // once filled
};

}  // namespace vortix
