// The components tree's choices: each component, numbered depth first as the
// package's files refer to them, is fixed (always installed), ticked or not.
// Coming back to the page keeps what the user chose over the package's defaults.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "installer/package/package.h"

namespace vortix {

enum class ComponentState { Fixed, Ticked, Unticked };

class ComponentChoices {
public:
    explicit ComponentChoices(const std::vector<Component>& tree);

    std::size_t count() const { return states_.size(); }
    ComponentState state(std::size_t index) const { return states_.at(index); }
    bool chosen(std::size_t index) const { return state(index) != ComponentState::Unticked; }
    const Component& component(std::size_t index) const { return *components_.at(index); }
    // The component `index` lies in; none for one at the top of the tree.
    std::optional<std::size_t> parent(std::size_t index) const;

    // Ticks or unticks a component and every component under it. Ticking one also
    // ticks those it lies in, so that no ticked component hangs under an unticked
    // one. Fixed components stay as they are, and choosing one changes nothing.
    void choose(std::size_t index, bool ticked);
    // Ticks a ticked component off, and an unticked one on.
    void toggle(std::size_t index) { choose(index, !chosen(index)); }

    // By component number, as the installation picks files.
    std::vector<bool> selected() const;
    // The chosen components' names in the language `languageId`, depth first.
    std::vector<std::string> chosenNames(std::uint32_t languageId, bool multilingual) const;
    // The bytes the chosen components take. A component's size holds its
    // children's, so each one counts what is its own.
    std::uint64_t requiredBytes() const;

private:
    void add(const std::vector<Component>& components, std::optional<std::size_t> parent);

    std::vector<ComponentState> states_;
    std::vector<const Component*> components_;
    std::vector<std::optional<std::size_t>> parents_;
    std::vector<std::size_t> ends_;  // one past the last component under each
};

// A leaf's label: its name followed by " (%s)" with its size.
std::string componentLabel(const std::string& name, const Component& component);

}  // namespace vortix
