#include "installer/setup/component_choices.h"

#include "installer/setup/wizard_texts.h"

namespace vortix {

ComponentChoices::ComponentChoices(const std::vector<Component>& tree) {
    add(tree);
}

void ComponentChoices::add(const std::vector<Component>& components) {
    for (const Component& component : components) {
        ComponentState state = ComponentState::Unticked;
        if (component.flags & kComponentFixed)
            state = ComponentState::Fixed;
        else if (component.flags & kComponentSelected)
            state = ComponentState::Ticked;
        states_.push_back(state);
        components_.push_back(&component);
        add(component.children);
    }
}

void ComponentChoices::choose(std::size_t index, bool ticked) {
    ComponentState& state = states_.at(index);
    if (state != ComponentState::Fixed)
        state = ticked ? ComponentState::Ticked : ComponentState::Unticked;
}

std::vector<bool> ComponentChoices::selected() const {
    std::vector<bool> chosen;
    for (ComponentState state : states_)
        chosen.push_back(state != ComponentState::Unticked);
    return chosen;
}

std::vector<std::string> ComponentChoices::chosenNames() const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < states_.size(); ++i)
        if (states_[i] != ComponentState::Unticked)
            names.push_back(components_[i]->name);
    return names;
}

std::string componentLabel(const std::string& name, const Component& component) {
    if (!component.children.empty())
        return name;
    return name + " (" + sizeText(component.size) + ")";
}

}  // namespace vortix
