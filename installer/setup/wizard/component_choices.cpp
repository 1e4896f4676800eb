#include "installer/setup/wizard/component_choices.h"

#include "installer/setup/wizard/wizard_texts.h"

namespace vortix {

ComponentChoices::ComponentChoices(const std::vector<Component>& tree) {
    add(tree, std::nullopt);
}

void ComponentChoices::add(const std::vector<Component>& components,
                           std::optional<std::size_t> parent) {
    for (const Component& component : components) {
        ComponentState state = ComponentState::Unticked;
        if (component.flags & kComponentFixed)
            state = ComponentState::Fixed;
        else if (component.flags & kComponentSelected)
            state = ComponentState::Ticked;
        std::size_t index = states_.size();
        states_.push_back(state);
        components_.push_back(&component);
        parents_.push_back(parent);
        ends_.push_back(0);
        add(component.children, index);
        ends_[index] = states_.size();
    }
}

std::optional<std::size_t> ComponentChoices::parent(std::size_t index) const {
    return parents_.at(index);
}

void ComponentChoices::choose(std::size_t index, bool ticked) {
    // A fixed component cannot be changed, nor through it the ones under it.
    if (states_.at(index) == ComponentState::Fixed)
        return;
    const ComponentState wanted = ticked ? ComponentState::Ticked : ComponentState::Unticked;
    // Numbered depth first: the components under one follow it.
    for (std::size_t i = index; i < ends_.at(index); ++i)
        if (states_[i] != ComponentState::Fixed)
            states_[i] = wanted;
    if (!ticked)
        return;
    for (std::optional<std::size_t> up = parents_[index]; up; up = parents_[*up])
        if (states_[*up] == ComponentState::Unticked)
            states_[*up] = ComponentState::Ticked;
}

std::vector<bool> ComponentChoices::selected() const {
    std::vector<bool> chosen;
    for (ComponentState state : states_)
        chosen.push_back(state != ComponentState::Unticked);
    return chosen;
}

std::vector<std::string> ComponentChoices::chosenNames(std::uint32_t languageId,
                                                       bool multilingual) const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < states_.size(); ++i)
        if (chosen(i))
            names.push_back(languageSection(components_[i]->name, languageId, multilingual));
    return names;
}

std::uint64_t ComponentChoices::requiredBytes() const {
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < states_.size(); ++i) {
        if (!chosen(i))
            continue;
        std::uint64_t own = components_[i]->size;
        for (const Component& child : components_[i]->children)
            own = own > child.size ? own - child.size : 0;
        total += own;
    }
    return total;
}

std::string componentLabel(const std::string& name, const Component& component) {
    if (!component.children.empty())
        return name;
    return name + " (" + sizeText(component.size) + ")";
}

}  // namespace vortix
