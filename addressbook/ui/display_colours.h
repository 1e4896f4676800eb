// The display card's colours as the settings keep them, with the rule that puts
// back the defaults when all three read back white or all three black (a card
// one could not read).
#pragma once

#include <cstdint>
#include <optional>

namespace ctlite {

// Colours as 0x00BBGGRR values.
struct DisplayColours {
    std::uint32_t background = 0x000000;  // black
    std::uint32_t text = 0xFFFFFF;        // white
    std::uint32_t link = 0x00FF00;        // green
};

// How the Settings window's colour buttons start: all white.
inline constexpr DisplayColours kWhiteButtons{0xFFFFFF, 0xFFFFFF, 0xFFFFFF};

// The colours from the stored values; a value not stored keeps its colour in
// `unset` (the card's defaults, unless said otherwise).
DisplayColours displayColours(std::optional<std::uint32_t> background,
                              std::optional<std::uint32_t> text, std::optional<std::uint32_t> link,
                              const DisplayColours& unset = DisplayColours{});

}  // namespace ctlite
