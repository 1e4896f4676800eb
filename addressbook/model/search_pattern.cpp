#include "addressbook/model/search_pattern.h"

#include <algorithm>

#include "addressbook/model/text.h"

namespace ctlite {

SearchPattern::SearchPattern(std::string_view text)
    : folded_(foldedUpper(text)), searcher_(folded_.cbegin(), folded_.cend()) {}

bool SearchPattern::foundIn(std::string_view foldedText) const {
    if (folded_.empty())
        return true;
    if (foldedText.size() < folded_.size())
        return false;
    return std::search(foldedText.begin(), foldedText.end(), searcher_) != foldedText.end();
}

}  // namespace ctlite
