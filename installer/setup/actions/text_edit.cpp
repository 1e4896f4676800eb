#include "installer/setup/actions/text_edit.h"

#include "installer/common/text_fold.h"

namespace vortix {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The anchor line holding the first match of anchor + CR LF: where the line
// starts, where its text ends (before CR LF) and where the next line starts.
struct AnchorLine {
    std::size_t start, textEnd, next;
};

std::optional<AnchorLine> findAnchorLine(std::string_view file, std::string_view anchor) {
    std::string wanted = upperCased(anchor) + std::string(kLineEnd);
    std::string folded = upperCased(file);
    std::size_t at = folded.find(wanted);
    if (at == std::string::npos)
        return std::nullopt;
    std::size_t lf = file.rfind('\n', at == 0 ? std::string_view::npos : at - 1);
    std::size_t start = at == 0 || lf == std::string_view::npos ? 0 : lf + 1;
    std::size_t textEnd = at + anchor.size();
    return AnchorLine{start, textEnd, textEnd + kLineEnd.size()};
}

}  // namespace

std::optional<std::string> applyTextEdit(std::uint32_t mode,
                                         const std::optional<std::string>& existing,
                                         std::string_view anchor, std::string_view text) {
    std::string line = std::string(text) + std::string(kLineEnd);
    if (mode == 0) {
        if (!existing)
            return std::nullopt;
        return line + *existing;
    }
    if (mode == 1)
        return existing.value_or(std::string()) + std::string(kLineEnd) + std::string(text);
    if (!existing)
        return std::nullopt;
    std::optional<AnchorLine> found = findAnchorLine(*existing, anchor);
    if (!found)
        return std::nullopt;
    std::string out = *existing;
    switch (mode) {
        case 2: return out.insert(found->textEnd, text);
        case 3: return out.erase(found->start, found->next - found->start);
        case 4: return out.insert(found->next, line);
        default: return out.insert(found->start, line);
    }
}

}  // namespace vortix
