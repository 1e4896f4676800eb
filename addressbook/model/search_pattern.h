// A search text, looked for anywhere inside other text without regard to case
// (both sides folded to upper case).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace ctlite {

class SearchPattern {
public:
    explicit SearchPattern(std::string_view text);

    const std::string& folded() const { return folded_; }
    bool empty() const { return folded_.empty(); }
    // True when the pattern occurs in `text` (an empty pattern occurs everywhere).
    // The text is folded on the fly: nothing is copied.
    bool foundIn(std::string_view text) const;
    // Whether a match could take in the blank that joins two fields, or a byte
    // that no field holds: then the fields must be searched joined, not one by one.
    bool mayCrossFields() const { return mayCrossFields_; }
    // A buffer the match tests reuse, so that searching allocates nothing per entry.
    std::string& scratch() { return scratch_; }

private:
    std::string folded_;
    // Boyer-Moore-Horspool: how far the pattern may move on, by the folded byte
    // under its last position.
    std::array<std::size_t, 256> shift_;
    bool mayCrossFields_ = false;
    std::string scratch_;
};

}  // namespace ctlite
