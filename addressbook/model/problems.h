// What a reader found damaged in a file: the first few findings in detail and
// how many there were, so a hostile file cannot make the list grow without bound.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ctlite {

struct Problem {
    std::size_t offset;  // byte offset in the file where it was found
    std::string text;
};

class ProblemList {
public:
    static constexpr std::size_t kKept = 100;

    void add(std::size_t offset, std::string text) {
        ++total_;
        if (kept_.size() < kKept)
            kept_.push_back({offset, std::move(text)});
    }
    void append(const ProblemList& other) {
        for (const Problem& p : other.kept_)
            add(p.offset, p.text);
        total_ += other.total_ - other.kept_.size();
    }

    bool empty() const { return total_ == 0; }
    std::size_t total() const { return total_; }
    const std::vector<Problem>& kept() const { return kept_; }

private:
    std::vector<Problem> kept_;
    std::size_t total_ = 0;
};

}  // namespace ctlite
