// What the wizard's pages work with, kept by the setup program for the run: the
// package and its pieces, the run's variables and messages, the machine, and the
// choices the user makes. The choices outlive the pages: a page made again (in
// another language) shows them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "installer/package/package_reader.h"
#include "installer/setup/actions/install_run.h"
#include "installer/setup/fault_plan.h"
#include "installer/setup/probe/system_information.h"
#include "installer/setup/source/win32_package_pieces.h"
#include "installer/setup/variables/system_facts.h"
#include "installer/setup/variables/variables.h"
#include "installer/setup/win32_messages.h"
#include "installer/setup/win32_setup_window.h"
#include "installer/setup/wizard/component_choices.h"
#include "installer/setup/wizard/install_type_choice.h"
#include "installer/setup/wizard/wizard_stages.h"

namespace vortix {

// The installation type and the components chosen on the wizard's pages.
struct WizardChoices {
    std::uint32_t installType = kTypicalType;
    std::unique_ptr<ComponentChoices> components;
};

struct PageContext {
    PackageStream& stream;
    const OpenedPackage& package;
    PackagePieces& pieces;  // the language set loaded, the plug-in
    SetupMessages& messages;
    SetupWindow& window;
    Variables& variables;
    SystemFacts& facts;
    // What the package asks of the machine, and what the machine has: probed the
    // first time the system information page shows, once for the run.
    const SystemRequirements& requirements;
    std::optional<MachineFacts>& machine;
    const FaultPlan& faults;
    WizardChoices& choices;
    // The stages that show a page; the custom type adds the components page.
    PageSet pages;
    // How often the language page loaded a set other than the one before: the
    // pages made in the old language are made again.
    int languageChanges = 0;

    const PackageSettings& settings() const { return package.script.settings; }
    const LanguageSet& language() const { return pieces.language(); }
    const std::vector<std::string>& lines() const { return pieces.language().lines; }
    bool multilingual() const { return (settings().options & kOptionMultilingual) != 0; }
};

}  // namespace vortix
