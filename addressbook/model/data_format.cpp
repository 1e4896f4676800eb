#include "addressbook/model/data_format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "addressbook/model/password.h"
#include "addressbook/model/text.h"

namespace ctlite::dataformat {
namespace {

// Byte classes for the reader's scan.
enum : unsigned char {
    kText = 0,
    kSub = 10,       // 0x05
    kReserved = 11,  // any other reserved byte inside a chunk
    // 1..9: the terminator of chunk 0..8
};

struct ScanTable {
    std::array<unsigned char, 256> classOf{};
    constexpr ScanTable() {
        for (int c = 0; c < 256; ++c)
            if (isReservedByte(static_cast<char>(c))) classOf[c] = kReserved;
        classOf[static_cast<unsigned char>(kSubSeparator)] = kSub;
        for (int k = 0; k < 9; ++k)
            classOf[static_cast<unsigned char>(kChunks[k].terminator)] =
                static_cast<unsigned char>(k + 1);
    }
};

constexpr ScanTable kScan;

// The position of the first byte below 0x20 in [pos, end), or end. Every byte the
// format reserves is below 0x20, so text runs are skipped eight bytes at a time.
inline std::size_t nextControlByte(const char* text, std::size_t pos, std::size_t end) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL, kHigh = 0x8080808080808080ULL;
    while (pos + 8 <= end) {
        std::uint64_t word;
        std::memcpy(&word, text + pos, 8);
        // Sets the high bit of the first byte below 0x20 (bytes after it may be wrong).
        std::uint64_t below = (word - kOnes * 0x20) & ~word & kHigh;
        if (below) return pos + static_cast<std::size_t>(__builtin_ctzll(below) >> 3);
        pos += 8;
    }
#endif
    while (pos < end && static_cast<unsigned char>(text[pos]) >= 0x20) ++pos;
    return pos;
}

std::string describe(const char* what, std::size_t offset) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%s at byte %zu", what, offset);
    return buffer;
}

// Reads records from [begin, end) of a group's segment; `base` is the segment's
// offset in the file, for problem reports.
class RecordReader {
public:
    RecordReader(std::string_view segment, std::size_t base, ProblemList& problems)
        : text_(segment), base_(base), problems_(problems) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    // One record: a sound one in a single pass and copy, anything else through
    // the careful reader below.
    Entry next() {
        std::size_t start = pos_;
        std::array<std::uint32_t, kRecordFieldCount> separators;
        if (readSoundRecord(separators))
            return Entry::fromRecord(text_.substr(start, pos_ - start), separators);
        pos_ = start;
        return readDamagedRecord();
    }

private:
    // Takes a record whose seventeen separators come in their order with no other
    // reserved byte between them; false (and pos_ unspecified) for anything else.
    bool readSoundRecord(std::array<std::uint32_t, kRecordFieldCount>& separators) {
        const char* data = text_.data();
        std::size_t start = pos_, p = pos_, end = text_.size();
        for (int i = 0; i < kRecordFieldCount; ++i) {
            for (;;) {
                p = nextControlByte(data, p, end);
                if (p >= end) return false;
                if (data[p] == kSeparatorSequence[i]) break;
                if (isReservedByte(data[p])) return false;
                ++p;  // a control byte a field may hold (CR, LF, tab...)
            }
            separators[i] = static_cast<std::uint32_t>(p - start);
            ++p;
        }
        pos_ = p;
        return true;
    }

    // Each chunk runs to its own terminator. A terminator of a later
    // chunk means the chunks between are missing; a terminator of an earlier one
    // means the record was cut short and the next one starts there. Either way
    // the reader stays in step with the records that follow.
    Entry readDamagedRecord() {
        FieldValues values{};
        std::size_t recordStart = pos_;
        bool damaged = false, reserved = false;
        for (int k = 0; k < 9; ++k) {
            const Chunk& chunk = kChunks[k];
            std::size_t start = pos_;
            std::size_t subs[4];
            int subCount = 0;
            unsigned char cls = kText;
            while ((pos_ = nextControlByte(text_.data(), pos_, text_.size())) < text_.size()) {
                cls = kScan.classOf[static_cast<unsigned char>(text_[pos_])];
                if (cls == kText) {
                    ++pos_;
                    continue;
                }
                if (cls == kSub) {
                    if (subCount < chunk.fieldCount - 1)
                        subs[subCount++] = pos_;
                    else
                        reserved = true;
                    ++pos_;
                    continue;
                }
                if (cls == kReserved) {
                    reserved = true;
                    ++pos_;
                    continue;
                }
                break;  // a terminator
            }
            // The chunk's fields: each to the next 0x05, the last to the end of the chunk.
            std::size_t fieldStart = start;
            for (int f = 0; f < chunk.fieldCount; ++f) {
                std::size_t fieldEnd;
                if (f < subCount)
                    fieldEnd = subs[f];
                else if (f == chunk.fieldCount - 1)
                    fieldEnd = pos_;
                else
                    fieldEnd = fieldStart;  // separator missing: the field reads as empty
                if (f < chunk.fieldCount - 1 && f >= subCount) damaged = true;
                values[static_cast<int>(chunk.field(f))] =
                    text_.substr(fieldStart, fieldEnd - fieldStart);
                if (f < subCount) fieldStart = fieldEnd + 1;
            }
            if (pos_ >= text_.size()) {
                if (k < 8) damaged = true;
                break;
            }
            int found = cls - 1;
            if (found == k) {
                ++pos_;
            } else if (found < k) {
                damaged = true;  // cut short: the rest of the record is empty
                break;
            } else {
                damaged = true;  // chunk k+1 .. found-1 are missing; pos_ stays on the terminator
            }
        }
        if (damaged) problems_.add(base_ + recordStart, describe("damaged record", base_ + recordStart));
        if (reserved)
            problems_.add(base_ + recordStart,
                          describe("record with control bytes inside a field", base_ + recordStart));
        return Entry(values);
    }

    std::string_view text_;
    std::size_t base_;
    std::size_t pos_ = 0;
    ProblemList& problems_;
};

void readGroupRecords(std::string_view segment, std::size_t base, int groupIndex, Group& group,
                      ProblemList& problems) {
    RecordReader reader(segment, base, problems);
    GroupList& list = group.entries();
    bool placeholderSeen = false;
    while (!reader.atEnd()) {
        Entry entry = reader.next();
        if (entry.isEmpty()) {
            if (groupIndex == 0) continue;  // the blank record of an empty group 1
            if (groupIndex >= 2) {
                if (placeholderSeen) {
                    problems.add(base, describe("extra blank record in group", base));
                    continue;
                }
                placeholderSeen = true;
                entry = EntryPlaceholder();
            }
        }
        list.pushFront(std::move(entry));
    }
}

}  // namespace

void appendRecord(std::string& out, const Entry& entry) {
    for (const Chunk& chunk : kChunks) {
        for (int f = 0; f < chunk.fieldCount; ++f) {
            if (f > 0) out.push_back(kSubSeparator);
            out.append(entry.get(chunk.field(f)));
        }
        out.push_back(chunk.terminator);
    }
}

namespace {

void appendEntries(std::string& out, const GroupList& list) {
    for (int position = 1; position <= list.count(); ++position) appendRecord(out, *list.find(position));
}

}  // namespace

void appendGroupSection(std::string& out, const AddressBook& book) {
    for (int g = 0; g < book.groupCount(); ++g) {
        const Group& group = book.group(g);
        if (g == 1) {
            out.push_back(kGroupMark);
        } else if (g >= 2) {
            out.push_back(kGroupMark);
            out.append(group.name());
            out.push_back(kGroupNameEnd);
        }
        if (group.entries().count() == 0)
            appendRecord(out, g == 1 ? Entry(EntryPlaceholder()) : Entry());
        else
            appendEntries(out, group.entries());
    }
}

void appendTrailer(std::string& out, const AddressBook& book) {
    out.push_back(kTrailerMark);
    out.append(rotatePrintable(book.password(), kPasswordRotation));
    for (int i = 0; i < kLabelCount; ++i) {
        out.push_back(kTrailerMark);
        out.append(book.labels().get(static_cast<Label>(i)));
    }
    out.push_back(kTrailerMark);
    out.append(book.group(0).name());
    out.push_back(kTrailerMark);
    out.append(book.group(1).name());
}

std::string fileImage(const AddressBook& book) {
    std::size_t estimate = 64 * 18;
    for (int g = 0; g < book.groupCount(); ++g)
        estimate += 128 * static_cast<std::size_t>(book.group(g).entries().count()) + 64;
    std::string out;
    out.reserve(estimate);
    appendGroupSection(out, book);
    appendTrailer(out, book);
    return out;
}

std::string newFileImage() {
    std::string out;
    appendRecord(out, EntryPlaceholder());
    out.push_back(kGroupMark);
    appendRecord(out, EntryPlaceholder());
    return out;
}

std::string newGroupImage(std::string_view name) {
    std::string out;
    out.push_back(kGroupMark);
    out.append(Group(name).name());
    out.push_back(kGroupNameEnd);
    appendRecord(out, Entry());
    return out;
}

std::size_t trailerStart(std::string_view file) {
    std::size_t at = file.find(kTrailerMark);
    return at == std::string_view::npos ? file.size() : at;
}

std::vector<Group> readGroupSection(std::string_view section, ProblemList& problems) {
    std::vector<Group> groups;
    std::size_t segmentStart = 0;
    for (int g = 0;; ++g) {
        std::size_t mark = section.find(kGroupMark, segmentStart);
        std::size_t segmentEnd = mark == std::string_view::npos ? section.size() : mark;
        if (g == kMaxGroups) {
            problems.add(segmentStart, describe("too many groups; the rest was not read", segmentStart));
            break;
        }
        std::string_view segment = section.substr(segmentStart, segmentEnd - segmentStart);
        std::size_t recordsAt = segmentStart;
        Group& group = groups.emplace_back();
        if (g >= 2) {
            // The group's name runs to 0x18; a record terminator before it means the
            // header is damaged, and the records start right after the 0x07.
            std::size_t nameEnd = segment.find(kGroupNameEnd);
            std::size_t firstTerminator = segment.find_first_of(std::string_view("\x01\x04\x02\x0C\x03\x11\x16\x06\x13", 9));
            if (nameEnd != std::string_view::npos &&
                (firstTerminator == std::string_view::npos || nameEnd < firstTerminator)) {
                std::string_view name = segment.substr(0, nameEnd);
                if (name.size() > kMaxNameLength)
                    problems.add(segmentStart, describe("group name longer than 49 characters", segmentStart));
                if (hasReservedBytes(name))
                    problems.add(segmentStart, describe("group name with control bytes", segmentStart));
                group.setName(name);
                segment.remove_prefix(nameEnd + 1);
                recordsAt += nameEnd + 1;
            } else {
                problems.add(segmentStart, describe("group header without its name end", segmentStart));
            }
            if (segment.empty())
                problems.add(segmentStart, describe("group without any record", segmentStart));
        }
        readGroupRecords(segment, recordsAt, g, group, problems);
        if (mark == std::string_view::npos) break;
        segmentStart = mark + 1;
    }
    while (groups.size() < 2) groups.emplace_back();
    return groups;
}

Trailer readTrailer(std::string_view file, std::size_t start, ProblemList& problems) {
    Trailer trailer;
    std::array<std::string_view, kTrailerFieldCount> fields{};
    std::size_t pos = start + 1;
    int count = 0;
    while (count < kTrailerFieldCount) {
        std::size_t end = file.find(kTrailerMark, pos);
        std::size_t fieldEnd = end == std::string_view::npos ? file.size() : end;
        fields[count++] = file.substr(pos, fieldEnd - pos);
        if (end == std::string_view::npos) break;
        pos = end + 1;
        if (count == kTrailerFieldCount) {
            problems.add(end, describe("trailer with more than 18 fields", end));
        }
    }
    if (count < kTrailerFieldCount)
        problems.add(start, describe("trailer with fewer than 18 fields", start));
    for (int i = 0; i < count; ++i) {
        std::string_view field = fields[i];
        bool control = false;
        for (char c : field) control = control || static_cast<unsigned char>(c) < 0x20;
        if (control) problems.add(start, describe("trailer field with control bytes", start));
    }
    if (fields[16].size() > kMaxNameLength || fields[17].size() > kMaxNameLength)
        problems.add(start, describe("group name longer than 49 characters", start));
    if (fields[0].size() > kMaxNameLength)
        problems.add(start, describe("password longer than 49 characters", start));
    trailer.scrambledPassword = std::string(truncated(fields[0], kMaxNameLength));
    for (int i = 0; i < kLabelCount; ++i) trailer.labels[i] = std::string(fields[1 + i]);
    trailer.group1Name = std::string(fields[16]);
    trailer.group2Name = std::string(fields[17]);
    return trailer;
}

void applyTrailer(const Trailer& trailer, AddressBook& book) {
    // Each value goes through the model's own rules first, so that a stored value
    // made only of dropped bytes counts as empty, as it will when read back.
    book.setPassword(rotatePrintable(trailer.scrambledPassword, -kPasswordRotation));
    book.setLocked(book.hasPassword());
    for (int i = 0; i < kLabelCount; ++i) book.labels().set(static_cast<Label>(i), trailer.labels[i]);
    book.labels().fillEmptyWithDefaults();
    book.group(0).setName(trailer.group1Name);
    if (book.group(0).name().empty()) book.group(0).setName(AddressBook::kDefaultGroup1Name);
    book.group(1).setName(trailer.group2Name);
    if (book.group(1).name().empty()) book.group(1).setName(AddressBook::kDefaultGroup2Name);
}

}  // namespace ctlite::dataformat
