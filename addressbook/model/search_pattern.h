// A search text folded to upper case, looked for anywhere inside folded text.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ctlite {

class SearchPattern {
public:
    explicit SearchPattern(std::string_view text);
    // The searcher points into the pattern's own text.
    SearchPattern(const SearchPattern&) = delete;
    SearchPattern& operator=(const SearchPattern&) = delete;

    const std::string& folded() const { return folded_; }
    // True when the pattern occurs in `foldedText` (an empty pattern occurs everywhere).
    bool foundIn(std::string_view foldedText) const;
    // A buffer the match tests reuse, so that searching allocates nothing per entry.
    std::string& scratch() { return scratch_; }

private:
    std::string folded_;
    std::boyer_moore_horspool_searcher<std::string::const_iterator> searcher_;
    std::string scratch_;
};

}  // namespace ctlite
