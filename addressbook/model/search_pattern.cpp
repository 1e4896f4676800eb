#include "addressbook/model/search_pattern.h"

#include "addressbook/model/text.h"

namespace ctlite {

SearchPattern::SearchPattern(std::string_view text) : folded_(foldedUpper(text)) {
    const std::size_t m = folded_.size();
    shift_.fill(m == 0 ? 1 : m);
    for (std::size_t i = 0; i + 1 < m; ++i)
        shift_[static_cast<unsigned char>(folded_[i])] = m - 1 - i;
    for (char c : folded_)
        mayCrossFields_ = mayCrossFields_ || static_cast<unsigned char>(c) <= ' ';
}

bool SearchPattern::foundIn(std::string_view text) const {
    const std::size_t m = folded_.size();
    if (m == 0)
        return true;
    if (text.size() < m)
        return false;
    const char* pattern = folded_.data();
    const char last = pattern[m - 1];
    for (std::size_t at = 0; at + m <= text.size();) {
        char c = foldUpper(text[at + m - 1]);
        if (c == last) {
            std::size_t i = 0;
            while (i + 1 < m && foldUpper(text[at + i]) == pattern[i])
                ++i;
            if (i + 1 == m)
                return true;
        }
        at += shift_[static_cast<unsigned char>(c)];
    }
    return false;
}

}  // namespace ctlite
