#include "addressbook/ui/display_colours.h"

namespace ctlite {

DisplayColours displayColours(std::optional<std::uint32_t> background,
                              std::optional<std::uint32_t> text, std::optional<std::uint32_t> link,
                              const DisplayColours& unset) {
    DisplayColours colours = unset;
    if (background)
        colours.background = *background;
    if (text)
        colours.text = *text;
    if (link)
        colours.link = *link;
    auto all = [&](std::uint32_t value) {
        return colours.background == value && colours.text == value && colours.link == value;
    };
    if (all(0xFFFFFF) || all(0x000000))
        colours = DisplayColours{};
    return colours;
}

}  // namespace ctlite
