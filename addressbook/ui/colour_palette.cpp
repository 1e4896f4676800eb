#include "addressbook/ui/colour_palette.h"

namespace ctlite {
namespace {

constexpr std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r | (g << 8) | (b << 16);
}

}  // namespace

ColourPalette::ColourPalette()
    : colours_{rgb(0, 0, 0),       rgb(128, 0, 0),     rgb(0, 128, 0),     rgb(128, 128, 0),
               rgb(0, 0, 128),     rgb(128, 0, 128),   rgb(0, 128, 128),   rgb(192, 192, 192),
               rgb(192, 220, 192), rgb(166, 202, 240), rgb(255, 251, 240), rgb(160, 160, 164),
               rgb(128, 128, 128), rgb(255, 0, 0),     rgb(0, 255, 0),     rgb(255, 255, 0),
               rgb(0, 0, 255),     rgb(255, 0, 255),   rgb(0, 255, 255),   rgb(255, 255, 255)},
      ages_{1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 20, 18, 16, 14, 12, 10, 8, 6, 4, 2} {}

int ColourPalette::find(std::uint32_t colour) const {
    for (int i = 0; i < kSize; ++i)
        if (colours_[i] == colour)
            return i;
    return -1;
}

void ColourPalette::choose(int index) {
    if (index < 0 || index >= kSize)
        return;
    for (int& age : ages_)
        if (age < ages_[index])
            ++age;
    ages_[index] = 1;
}

int ColourPalette::chooseOther(std::uint32_t colour) {
    int index = find(colour);
    if (index < 0) {
        for (int i = 0; i < kSize; ++i)
            if (ages_[i] == kSize)
                index = i;
        colours_[index] = colour;
    }
    choose(index);
    return index;
}

}  // namespace ctlite
