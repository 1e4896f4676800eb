#include "addressbook/model/group_list.h"

namespace ctlite {

bool GroupList::get(int position, Entry& out) const {
    const Entry* entry = find(position);
    if (!entry)
        return false;
    out = *entry;
    return true;
}

bool GroupList::insert(int position, Entry entry) {
    if (position < 1 || position > count() + 1)
        return false;
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(indexOf(position) + 1),
                  std::move(entry));
    return true;
}

bool GroupList::remove(int position) {
    if (position < 1 || position > count())
        return false;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(indexOf(position)));
    return true;
}

const Entry* GroupList::find(int position) const {
    if (position < 1 || position > count())
        return nullptr;
    return &items_[indexOf(position)];
}

}  // namespace ctlite
