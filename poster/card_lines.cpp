#include "poster/card_lines.h"

namespace ctlite {

std::vector<std::string> posterCardLines(const std::vector<std::string>& v) {
    auto value = [&](std::size_t i) { return i < v.size() ? v[i] : std::string(); };
    std::vector<std::string> lines;
    auto add = [&](const std::string& text) {
        if (!text.empty())
            lines.push_back(text);
    };
    auto labelled = [&](std::size_t label, std::size_t number) {
        if (!value(number).empty())
            lines.push_back(value(label) + " " + value(number));
    };
    add(value(8));   // name
    add(value(1));   // company
    add(value(12));  // street
    add(value(11));  // city line
    add(value(14));  // country
    lines.push_back("");
    labelled(15, 13);  // work
    labelled(16, 5);   // home
    labelled(17, 3);   // fax
    labelled(18, 9);   // pager
    labelled(19, 7);   // mobile
    add(value(2));     // e-mail
    add(value(6));     // homepage
    if (!value(0).empty()) {
        lines.push_back("");
        std::string note = value(0);
        for (std::size_t start = 0; start <= note.size();) {
            std::size_t end = note.find("\r\n", start);
            lines.push_back(
                note.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos)
                break;
            start = end + 2;
        }
    }
    return lines;
}

}  // namespace ctlite
