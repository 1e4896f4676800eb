#include "installer/common/pending_deletion.h"

#include "installer/common/text_fold.h"

namespace vortix {
namespace {

struct Line {
    std::size_t start, end, next;  // text [start, end), next line at `next`
};

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t lf = text.find('\n', start);
        std::size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
        std::size_t end = lf == std::string_view::npos ? text.size() : lf;
        if (end > start && text[end - 1] == '\r')
            --end;
        out.push_back({start, end, next});
        start = next;
    }
    return out;
}

}  // namespace

std::optional<std::vector<std::string>> withoutPendingDeletion(
    const std::vector<std::string>& pairs, std::string_view path) {
    std::vector<std::string> kept;
    bool dropped = false;
    std::string ntPath = "\\??\\" + std::string(path);
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
        const std::string& source = pairs[i];
        const std::string& target = pairs[i + 1];
        if (target.empty() &&
            (equalsIgnoringCase(source, ntPath) || equalsIgnoringCase(source, path))) {
            dropped = true;
            continue;
        }
        kept.push_back(source);
        kept.push_back(target);
    }
    if (pairs.size() % 2)
        kept.push_back(pairs.back());  // an odd one out stays as it was
    if (!dropped)
        return std::nullopt;
    return kept;
}

std::optional<std::string> withoutWininitDeletion(std::string_view ini,
                                                  std::string_view shortPath) {
    std::string wanted = "NUL=" + std::string(shortPath);
    for (const Line& line : splitLines(ini)) {
        if (equalsIgnoringCase(ini.substr(line.start, line.end - line.start), wanted)) {
            std::string out(ini.substr(0, line.start));
            out.append(ini.substr(line.next));
            return out;
        }
    }
    return std::nullopt;
}

std::string withWininitDeletion(std::string_view ini, std::string_view shortPath) {
    std::string entry = "NUL=" + std::string(shortPath);
    if (ini.empty())
        return "[Rename]\r\n" + entry;
    std::vector<Line> lines = splitLines(ini);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (!equalsIgnoringCase(ini.substr(line.start, line.end - line.start), "[Rename]"))
            continue;
        if (i + 1 < lines.size() &&
            ini.substr(lines[i + 1].start, lines[i + 1].end - lines[i + 1].start) == entry)
            return std::string(ini);
        std::string out(ini.substr(0, line.next));
        if (line.next == line.end)
            out.append("\r\n");  // "[Rename]" was the last line, without an end
        out.append(entry).append("\r\n");
        out.append(ini.substr(line.next));
        return out;
    }
    std::string out(ini);
    out.append("\r\n[Rename]\r\n").append(entry);
    return out;
}

std::string withWininitRename(std::string_view ini, std::string_view shortTarget,
                              std::string_view shortSource) {
    std::string line = std::string(shortTarget) + "=" + std::string(shortSource) + "\r\n";
    // The first line that reads "[Rename]" (without regard to case or surrounding blanks).
    for (std::size_t start = 0; start < ini.size();) {
        std::size_t lf = ini.find('\n', start);
        std::size_t next = lf == std::string_view::npos ? ini.size() : lf + 1;
        std::string_view text = ini.substr(start, next - start);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                                 text.back() == '\t'))
            text.remove_suffix(1);
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        if (equalsIgnoringCase(text, "[Rename]")) {
            std::string out(ini.substr(0, next));
            if (lf == std::string_view::npos)
                out.append("\r\n");
            return out.append(line).append(ini.substr(next));
        }
        start = next;
    }
    std::string out(ini);
    if (!out.empty() && out.back() != '\n')
        out.append("\r\n");
    return out.append("[Rename]\r\n").append(line);
}

}  // namespace vortix
