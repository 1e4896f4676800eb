// The components tree's choices: each component, numbered depth first as the
// package's files refer to them, is fixed (always installed), ticked or not.
// Coming back to the page keeps what the user chose over the package's defaults.
#pragma once

#include <cstdint>
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
    // Ticks or unticks a component; a fixed one stays as it is.
    void choose(std::size_t index, bool ticked);
    // By component number, as the installation picks files.
    std::vector<bool> selected() const;
    // The chosen components' names, depth first.
    std::vector<std::string> chosenNames() const;

private:
    void add(const std::vector<Component>& components);

    std::vector<ComponentState> states_;
    std::vector<const Component*> components_;
};

// A leaf's label: its name followed by " (%s)" with its size.
std::string componentLabel(const std::string& name, const Component& component);

}  // namespace vortix
