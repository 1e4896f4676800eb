// Which page each stage of the wizard shows: its class, its built-in template, and
// the language set's heading and prompt on it. The progress and finish pages are
// the installation's, not the wizard's: they are shown by the run itself.
#pragma once

#include <memory>
#include <optional>

#include "installer/package/language_entries.h"
#include "installer/setup/wizard/win32_page_context.h"
#include "installer/setup/wizard/win32_wizard_page.h"

namespace vortix {

// The heading and prompt a page shows from the language set.
struct PageCaption {
    LanguageEntry heading, prompt;
};

struct StagePage {
    int stage;
    int templateId;
    // None for the language page, which has texts of its own (no set is loaded yet).
    std::optional<PageCaption> caption;
    std::unique_ptr<WizardPage> (*make)(PageContext& run);
};

// The page of a stage from the language page to the summary page; null for any
// other stage.
const StagePage* stagePage(int stage);

}  // namespace vortix
