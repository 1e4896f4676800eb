// Item conditions: the operating-system filter and the comparisons.
#include "installer/setup/variables/variables.h"

namespace vortix {

bool Variables::holds(const Condition& condition) {
    if (!systemAllowed(condition.options))
        return false;
    const bool joinByOr = (condition.options & kJoinByOr) != 0;
    bool result = true;
    for (const Comparison& comparison : condition.comparisons) {
        result = compare(comparison);
        if (result == joinByOr)
            return result;  // OR: the first true decides; AND: the first false
    }
    return result;
}

bool Variables::systemAllowed(std::uint32_t options) const {
    if (options & kAnySystem)
        return true;
    if (os_.ntFamily)
        return (options & kAllNtFamily) || (options & (os_.major < 5 ? kSystemNt4 : kSystemNt5));
    std::uint32_t running = kSystemWinMe;
    if (os_.major == 4 && os_.minor == 0)
        running = kSystemWin95;
    else if (os_.major == 4 && os_.minor == 10)
        running = kSystemWin98;
    return (options & kAll95Family) || (options & running);
}

// A text operand: a text in double quotes (without them), a lookup name or a text
// user variable; nothing for an operand that counts as a number.
std::optional<std::string> Variables::textOperand(const std::string& operand) {
    if (operand.size() >= 2 && operand.front() == '"' && operand.back() == '"')
        return operand.substr(1, operand.size() - 2);
    if (operand.empty() || operand.front() != '<')
        return std::nullopt;
    if (UserState* variable = findUser(operand))
        if (variable->record.kind != UserVariableKind::Text)
            return std::nullopt;
    return lookup(operand);
}

bool Variables::compare(const Comparison& comparison) {
    std::optional<std::string> leftText = textOperand(comparison.left);
    std::optional<std::string> rightText = leftText ? textOperand(comparison.right) : std::nullopt;
    if (leftText && rightText) {
        int order = leftText->compare(*rightText);
        switch (comparison.op) {
            case 0: return order == 0;
            case 1: return order != 0;
            case 2: return order > 0;
            case 3: return order < 0;
            case 4: return order >= 0;
            case 5: return order <= 0;
            default: return false;
        }
    }
    std::int64_t left = numericValue(comparison.left);
    std::int64_t right = numericValue(comparison.right);
    switch (comparison.op) {
        case 0: return left == right;
        case 1: return left != right;
        case 2: return left > right;
        case 3: return left < right;
        case 4: return left >= right;
        case 5: return left <= right;
        default: return (static_cast<std::uint64_t>(left) & static_cast<std::uint64_t>(right)) != 0;
    }
}

}  // namespace vortix
