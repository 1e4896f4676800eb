// The twenty colours every colour button offers, with how recently each was
// chosen: age 1 is the latest choice, age 20 the colour that goes when a new one
// comes in through "Other...". The ages are always a permutation of 1 to 20.
#pragma once

#include <array>
#include <cstdint>

namespace ctlite {

class ColourPalette {
public:
    static constexpr int kSize = 20;

    // The twenty static colours of the system's default palette, with their first ages.
    ColourPalette();

    std::uint32_t colour(int index) const { return colours_[index]; }  // 0x00BBGGRR
    int age(int index) const { return ages_[index]; }
    // The slot holding `colour`, or -1.
    int find(std::uint32_t colour) const;

    // The colour in `index` was chosen: every younger colour ages by one and this one
    // becomes the youngest.
    void choose(int index);
    // A colour from the system's colour dialog: chosen where it already is, else in
    // place of the oldest colour. Returns its slot.
    int chooseOther(std::uint32_t colour);

private:
    std::array<std::uint32_t, kSize> colours_;
    std::array<int, kSize> ages_;
};

}  // namespace ctlite
