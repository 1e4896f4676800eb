#include "addressbook/model/search_pattern.h"

#include <algorithm>

#include "addressbook/model/text.h"

namespace ctlite {
namespace {

std::string_view longestWord(std::string_view text) {
    std::string_view longest;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos)
            end = text.size();
        if (end - start > longest.size())
            longest = text.substr(start, end - start);
        start = end + 1;
    }
    return longest;
}

bool crossesFields(std::string_view folded) {
    for (char c : folded)
        if (static_cast<unsigned char>(c) <= ' ')
            return true;
    return false;
}

}  // namespace

SearchPattern::SearchPattern(std::string_view text)
    : whole_(foldedUpper(text)),
      word_(std::string(longestWord(whole_.folded))),
      mayCrossFields_(crossesFields(whole_.folded)) {}

SearchPattern::Needle::Needle(std::string foldedText) : folded(std::move(foldedText)) {
    const std::size_t m = folded.size();
    std::array<std::size_t, 256> byFolded;
    byFolded.fill(m == 0 ? 1 : m);
    for (std::size_t i = 0; i + 1 < m; ++i)
        byFolded[static_cast<unsigned char>(folded[i])] = m - 1 - i;
    for (int c = 0; c < 256; ++c)
        shift[c] = static_cast<std::uint8_t>(std::min<std::size_t>(255, byFolded[kUpperCase[c]]));
}

bool SearchPattern::Needle::foundIn(std::string_view text) const {
    const std::size_t m = folded.size();
    if (m == 0)
        return true;
    if (text.size() < m)
        return false;
    const char* pattern = folded.data();
    const auto last = static_cast<unsigned char>(pattern[m - 1]);
    for (std::size_t at = 0; at + m <= text.size();) {
        auto c = static_cast<unsigned char>(text[at + m - 1]);
        if (kUpperCase[c] == last) {
            std::size_t i = 0;
            while (i + 1 < m && foldUpper(text[at + i]) == pattern[i])
                ++i;
            if (i + 1 == m)
                return true;
        }
        at += shift[c];
    }
    return false;
}

}  // namespace ctlite
