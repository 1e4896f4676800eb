// The entries of one group. Positions are 1-based and position 1 is the front;
// the program always inserts at position 1, so the list holds entries newest first.
#pragma once

#include <cstddef>
#include <vector>

#include "addressbook/model/entry.h"

namespace ctlite {

class GroupList {
public:
    int count() const { return static_cast<int>(items_.size()); }

    // Copies the entry at `position` into `out`; an invalid position leaves `out` as it was.
    bool get(int position, Entry& out) const;
    // Accepts positions 1 to count + 1.
    bool insert(int position, Entry entry);
    // Accepts positions 1 to count.
    bool remove(int position);
    // The entry at `position` without copying it, or null for an invalid position.
    const Entry* find(int position) const;

    // Adds at position 1 without any check (the reader's fast path).
    void pushFront(Entry entry) { items_.push_back(std::move(entry)); }
    void reserve(std::size_t n) { items_.reserve(n); }

private:
    // Kept back to front: position p is items_[count - p], so inserting at
    // position 1 is an append and every position is reached in one step.
    std::size_t indexOf(int position) const {
        return items_.size() - static_cast<std::size_t>(position);
    }

    std::vector<Entry> items_;
};

}  // namespace ctlite
