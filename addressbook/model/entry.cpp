#include "addressbook/model/entry.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "addressbook/model/search_pattern.h"
#include "addressbook/model/text.h"

namespace ctlite {

// A chunk of EntryBlocks: its holder count and the file bytes its entries' texts
// may lie in, then the blocks.
struct Entry::Chunk {
    // While EntryBlocks carves from the chunk, the count starts from kCarving
    // rather than counting each block handed out; when it is done, the blocks it
    // handed out take that place in one step (EntryBlocks::dropCurrent).
    static constexpr std::size_t kCarving = SIZE_MAX / 2;
    // The entries with a block here.
    std::atomic<std::size_t> holders{kCarving};
    std::shared_ptr<char[]> text;

    char* blocks() { return reinterpret_cast<char*>(this + 1); }

    static Chunk* make(std::size_t capacity, const std::shared_ptr<char[]>& text) {
        Chunk* chunk = new (::operator new(sizeof(Chunk) + capacity)) Chunk;
        chunk->text = text;
        return chunk;
    }
    void drop(std::size_t holdersGone = 1) noexcept {
        if (holders.fetch_sub(holdersGone, std::memory_order_acq_rel) == holdersGone) {
            this->~Chunk();
            ::operator delete(this);
        }
    }
};

Entry::Entry(const Entry& other) {
    if (other.block_) {
        std::size_t size = other.textSize();
        block_ = newOwnBlock(kHeaderSize + size + 1);
        std::memcpy(block_, other.block_, kHeaderSize);
        std::memcpy(block_ + kHeaderSize, other.texts(), size);
        block_[kHeaderSize + size] = '\0';
    }
}

Entry& Entry::operator=(const Entry& other) {
    if (this != &other) {
        Entry copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Entry& Entry::operator=(Entry&& other) noexcept {
    if (this != &other) {
        release();
        block_ = other.block_;
        other.block_ = nullptr;
    }
    return *this;
}

void Entry::release() noexcept {
    if (!block_)
        return;
    auto* chunk = reinterpret_cast<Chunk*>(prefix() & ~kTextsElsewhere);
    if (chunk)
        chunk->drop();
    else
        delete[](block_ - kPrefixSize);
}

char* Entry::newOwnBlock(std::size_t size) {
    char* raw = new char[kPrefixSize + size];
    const Chunk* none = nullptr;
    std::memcpy(raw, &none, sizeof none);
    return raw + kPrefixSize;
}

namespace {
// Chunks start at the first size and double up to the second, so that a small
// book takes little; a block larger than a sixteenth of that is allocated on its own.
constexpr std::size_t kFirstChunkCapacity = std::size_t{4} << 10;
constexpr std::size_t kChunkCapacity = std::size_t{32} << 10;
constexpr std::size_t kLargestSharedBlock = kChunkCapacity / 16;
}  // namespace

EntryBlocks::~EntryBlocks() {
    dropCurrent();
}

void EntryBlocks::dropCurrent() noexcept {
    if (current_)
        current_->drop(Entry::Chunk::kCarving - handedOut_);
    current_ = nullptr;
    used_ = capacity_ = handedOut_ = 0;
}

char* EntryBlocks::allocate(Entry& entry, std::size_t size, std::uintptr_t tag) {
    if (size > kLargestSharedBlock) {
        entry.block_ = Entry::newOwnBlock(size);
        entry.setPrefix(nullptr, tag);
        return entry.block_;
    }
    if (capacity_ - used_ < Entry::kPrefixSize + size) {
        dropCurrent();
        nextCapacity_ =
            nextCapacity_ == 0 ? kFirstChunkCapacity : std::min(2 * nextCapacity_, kChunkCapacity);
        capacity_ = std::max(nextCapacity_, Entry::kPrefixSize + size);
        current_ = Entry::Chunk::make(capacity_, text_);
    }
    entry.block_ = current_->blocks() + used_ + Entry::kPrefixSize;
    entry.setPrefix(current_, tag);
    ++handedOut_;
    used_ += Entry::kPrefixSize + size;
    return entry.block_;
}

namespace {

void storeEnd(char* block, int slot, std::uint32_t end) {
    std::memcpy(block + slot * sizeof(std::uint32_t), &end, sizeof end);
}

}  // namespace

Entry::Entry(const FieldValues& values) {
    fill(values, nullptr);
}

Entry::Entry(const FieldValues& values, EntryBlocks& blocks) {
    fill(values, &blocks);
}

void Entry::fill(const FieldValues& values, EntryBlocks* blocks) {
    std::size_t textSize = 0;
    bool anyText = false;
    for (std::string_view v : values) {
        textSize += v.size() + 1;
        anyText = anyText || !v.empty();
    }
    if (!anyText)
        return;
    Entry made;  // gives the block back if it stays empty
    std::size_t size = kHeaderSize + textSize;
    char* block = blocks ? blocks->allocate(made, size) : (made.block_ = newOwnBlock(size));
    char* text = block + kHeaderSize;
    // Copied as they stand and looked over once, whole: values seldom hold a
    // reserved byte, and most are short, so a look at each would cost more in
    // starting and ending it than in looking. A blank stands in for each NUL
    // until the look is done.
    char* dest = text;
    for (int slot = 0; slot < kFieldCount; ++slot) {
        std::string_view value = values[static_cast<int>(kRecordOrder[slot])];
        if (!value.empty())
            std::memcpy(dest, value.data(), value.size());
        dest += value.size();
        storeEnd(block, slot, static_cast<std::uint32_t>(dest - text));
        *dest++ = ' ';
    }
    if (!hasReservedBytes({text, static_cast<std::size_t>(dest - text)})) {
        for (int slot = 0; slot < kFieldCount; ++slot)
            text[made.endOf(slot)] = '\0';
    } else {
        // Again, leaving them out: the values are where they were.
        dest = text;
        for (int slot = 0; slot < kFieldCount; ++slot) {
            for (char c : values[static_cast<int>(kRecordOrder[slot])])
                if (!isReservedByte(c))
                    *dest++ = c;
            storeEnd(block, slot, static_cast<std::uint32_t>(dest - text));
            *dest++ = '\0';
        }
    }
    // Text made only of dropped bytes leaves an entry with no text at all.
    if (dest - text > kFieldCount)
        std::swap(block_, made.block_);
}

Entry Entry::fromRecord(char* record, std::size_t size,
                        const std::array<std::uint32_t, kRecordFieldCount>& separators,
                        EntryBlocks& blocks) {
    Entry entry;
    if (size == kRecordFieldCount)
        return entry;  // only separators: no text
    // The record's bytes are the fields in slot order, each followed by one
    // separator: with the separators turned into NULs they are the entry's texts
    // but the group name, which is empty and starts where the record ends.
    char* block = blocks.allocate(entry, kHeaderSize + sizeof record, kTextsElsewhere);
    static_assert(sizeof separators == kRecordFieldCount * sizeof(std::uint32_t));
    std::memcpy(block, separators.data(), sizeof separators);
    storeEnd(block, kRecordFieldCount, static_cast<std::uint32_t>(size));
    for (std::uint32_t end : separators)
        record[end] = '\0';
    std::memcpy(block + kHeaderSize, &record, sizeof record);
    return entry;
}

const char* Entry::c_str(Field field) const {
    // An empty text may have no NUL of its own (the group name of a record's entry).
    std::string_view text = get(field);
    return text.empty() ? "" : text.data();
}

void Entry::set(Field field, std::string_view text) {
    FieldValues values;
    for (int i = 0; i < kFieldCount; ++i)
        values[i] = get(static_cast<Field>(i));
    values[static_cast<int>(field)] = text;
    // Built before the old block goes: `text` may point into it.
    Entry rebuilt(values);
    *this = std::move(rebuilt);
}

void Entry::copyRecord(char* out, const std::array<char, kRecordFieldCount>& separators) const {
    if (!block_) {
        std::memcpy(out, separators.data(), kRecordFieldCount);
        return;
    }
    std::uint32_t ends[kRecordFieldCount];
    std::memcpy(ends, block_, sizeof ends);
    std::memcpy(out, texts(), ends[kRecordFieldCount - 1] + 1);
    for (int slot = 0; slot < kRecordFieldCount; ++slot)
        out[ends[slot]] = separators[slot];
}

bool Entry::isPlaceholder() const {
    return get(Field::FirstName) == kPlaceholderText;
}

std::string Entry::lastNameDisplay() const {
    std::string_view last = get(Field::LastName), first = get(Field::FirstName);
    if (last.empty())
        return std::string(first);
    std::string out;
    out.reserve(last.size() + 2 + first.size());
    out.append(last).append(", ").append(first);
    return out;
}

std::string Entry::firstNameDisplay() const {
    std::string_view first = get(Field::FirstName), last = get(Field::LastName);
    std::string out;
    out.reserve(first.size() + 1 + last.size());
    out.append(first).append(" ").append(last);
    return out;
}

std::string Entry::cityLine() const {
    std::string_view city = get(Field::City), state = get(Field::State), zip = get(Field::ZipCode);
    std::string out;
    if (!city.empty() && !state.empty())
        out.append(city).append(", ").append(state).append(" ");
    else if (!city.empty())
        out.append(city).append(" ");
    else if (!state.empty())
        out.append(state).append(" ");
    out.append(zip);
    return out;
}

bool Entry::matches(SearchMode mode, SearchPattern& pattern) const {
    if (pattern.empty())
        return true;
    switch (mode) {
        case SearchMode::Names: {
            std::string& text = pattern.scratch();
            text.assign(get(Field::FirstName)).append(" ").append(get(Field::LastName));
            return pattern.foundIn(text);
        }
        case SearchMode::Company: return pattern.foundIn(get(Field::CompanyName));
        case SearchMode::AllFields: break;
    }
    // All fields but the picture and the group name, joined by single blanks.
    static constexpr Field kSearched[] = {
        Field::FirstName,    Field::LastName,    Field::City,        Field::Note,
        Field::EmailAddress, Field::HomePhone,   Field::State,       Field::StreetAddress,
        Field::ZipCode,      Field::CompanyName, Field::MobilePhone, Field::Homepage,
        Field::Country,      Field::WorkPhone,   Field::FaxNumber,   Field::PagerNumber,
    };
    if (!block_)
        return false;
    // The fields where they lie, in record order, each ended by a NUL no match can
    // take in: the record's fields up to the state, then from the zip code to the
    // note (the picture lies between them).
    static_assert(kRecordOrder[11] == Field::Picture && kRecordOrder[17] == Field::GroupName);
    const char* text = texts();
    std::uint32_t beforePicture = endOf(10), afterPicture = endOf(11) + 1;
    std::string_view untilPicture(text, beforePicture);
    std::string_view afterIt(text + afterPicture, endOf(16) - afterPicture);
    if (!pattern.mayCrossFields())
        return pattern.foundIn(untilPicture) || pattern.foundIn(afterIt);
    // The picture may hold the word too: then the joined fields decide.
    if (!pattern.longestWordFoundIn({text, endOf(16)}))
        return false;
    std::string& joined = pattern.scratch();
    joined.clear();
    for (Field f : kSearched) {
        if (f != kSearched[0])
            joined.push_back(' ');
        joined.append(get(f));
    }
    return pattern.foundIn(joined);
}

bool operator==(const Entry& a, const Entry& b) {
    if (!a.block_ || !b.block_)
        return !a.block_ && !b.block_;
    // Equal ends put the NULs in the same places: the texts then compare whole.
    return std::memcmp(a.block_, b.block_, Entry::kHeaderSize) == 0 &&
           std::memcmp(a.texts(), b.texts(), a.textSize()) == 0;
}

}  // namespace ctlite
