// A search text, looked for anywhere inside other text without regard to case
// (both sides folded to upper case).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ctlite {

class SearchPattern {
public:
    explicit SearchPattern(std::string_view text);

    const std::string& folded() const { return whole_.folded; }
    bool empty() const { return whole_.folded.empty(); }
    // True when the pattern occurs in `text` (an empty pattern occurs everywhere).
    // The text is folded on the fly: nothing is copied.
    bool foundIn(std::string_view text) const { return whole_.foundIn(text); }
    // Whether a match could take in the blank that joins two fields, or a byte
    // that no field holds: then the fields must be searched joined, not one by one.
    bool mayCrossFields() const { return mayCrossFields_; }
    // The longest part of the pattern without a blank occurs in `text`. Fields are
    // joined by blanks, so a match across fields holds that part inside one field:
    // fields without it anywhere cannot match, joined or not.
    bool longestWordFoundIn(std::string_view text) const { return word_.foundIn(text); }
    // A buffer the match tests reuse, so that searching allocates nothing per entry.
    std::string& scratch() { return scratch_; }

private:
    // Boyer-Moore-Horspool over folded text.
    struct Needle {
        explicit Needle(std::string foldedText);
        bool foundIn(std::string_view text) const;

        std::string folded;
        // How far the needle may move on, by the byte under its last position
        // (the distance is the folded byte's; at most 255, which is always safe).
        std::array<std::uint8_t, 256> shift;
    };

    Needle whole_;
    Needle word_;
    bool mayCrossFields_ = false;
    std::string scratch_;
};

}  // namespace ctlite
