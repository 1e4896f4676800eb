#include "addressbook/model/data_format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "addressbook/model/control_scan.h"
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
            if (isReservedByte(static_cast<char>(c)))
                classOf[c] = kReserved;
        classOf[static_cast<unsigned char>(kSubSeparator)] = kSub;
        for (int k = 0; k < 9; ++k)
            classOf[static_cast<unsigned char>(kChunks[k].terminator)] =
                static_cast<unsigned char>(k + 1);
    }
};

constexpr ScanTable kScan;

std::string describe(const char* what, std::size_t offset) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%s at byte %zu", what, offset);
    return buffer;
}

// Reads the group section in one pass over the file: records, group marks and
// group headers, up to the first 0x0E (the trailer) or the end of the file. The
// entries of sound records keep their texts in the file's bytes.
class SectionReader {
public:
    SectionReader(std::shared_ptr<char[]> file, std::size_t size, ProblemList& problems)
        : bytes_(file.get()),
          text_(bytes_, size),
          problems_(problems),
          controls_(text_),
          ahead_(text_),
          blocks_(std::move(file)),
          allowance_(damageAllowance(size)) {}

    GroupSection read() {
        GroupSection section;
        std::vector<Group>& groups = section.groups;
        for (int g = 0;; ++g) {
            Group& group = groups.emplace_back();
            if (g >= 2)
                readHeader(group);
            readRecords(g, group);
            if (pos_ >= text_.size() || text_[pos_] == kTrailerMark)
                break;
            ++pos_;  // the 0x07 that starts the next group
            if (g + 1 == kMaxGroups) {
                problems_.add(pos_, describe("too many groups; the rest was not read", pos_));
                pos_ = trailerStart(text_);
                break;
            }
        }
        while (groups.size() < 2)
            groups.emplace_back();
        section.end = pos_;
        return section;
    }

private:
    bool atGroupEnd(std::size_t p) const {
        return p >= text_.size() || text_[p] == kGroupMark || text_[p] == kTrailerMark;
    }

    // A group header: the name runs to 0x18. Without one (a record byte or the
    // group's end comes first) the header is damaged and the records start at once.
    void readHeader(Group& group) {
        std::size_t start = pos_, p = pos_;
        for (;;) {
            p = controls_.next(p);
            if (p < text_.size() && text_[p] == kGroupNameEnd)
                break;
            if (atGroupEnd(p) || isReservedByte(text_[p])) {
                problems_.add(start, describe("group header without its name end", start));
                return;
            }
            ++p;  // a control byte a name may hold; dropped by the group
        }
        std::string_view name = text_.substr(start, p - start);
        if (name.size() > kMaxNameLength)
            problems_.add(start, describe("group name longer than 49 characters", start));
        group.setName(name);
        pos_ = p + 1;
        if (atGroupEnd(pos_))
            problems_.add(start, describe("group without any record", start));
    }

    void readRecords(int groupIndex, Group& group) {
        GroupList& list = group.entries();
        bool placeholderSeen = false;
        std::size_t blankAt = SIZE_MAX;
        while (!atGroupEnd(pos_)) {
            std::size_t start = pos_;
            Entry entry = nextRecord();
            if (entry.isEmpty()) {
                if (groupIndex == 0) {  // the blank record of an empty group 1
                    blankAt = start;
                    continue;
                }
                if (groupIndex >= 2) {
                    if (placeholderSeen) {
                        problems_.add(start, describe("extra blank record in group", start));
                        continue;
                    }
                    placeholderSeen = true;
                    entry = EntryPlaceholder();
                }
            }
            list.pushFront(std::move(entry));
        }
        if (blankAt != SIZE_MAX && list.count() > 0)
            problems_.add(blankAt, describe("blank record among the entries of group 1", blankAt));
    }

    // One record: a sound one from the list of control bytes ahead, or in one pass
    // of its own when a field holds control bytes too; anything else through the
    // careful reader below. A sound record's entry keeps its texts where they are.
    Entry nextRecord() {
        std::size_t start = pos_;
        std::array<std::uint32_t, kRecordFieldCount> separators;
        if (takeSoundRecord(separators) || readSoundRecord(separators))
            return Entry::fromRecord(bytes_ + start, pos_ - start, separators, blocks_);
        pos_ = start;
        return readDamagedRecord();
    }

    // Takes a record whose seventeen separators are its first seventeen control
    // bytes, which most are, from the list made ahead: one look at all seventeen.
    // False (and pos_ unchanged) for anything else.
    bool takeSoundRecord(std::array<std::uint32_t, kRecordFieldCount>& separators) {
        if (text_.size() > UINT32_MAX)
            return false;         // positions are listed in 32 bits
        if (pos_ >= listedTo_) {  // past all that is listed: list from here
            ahead_.seek(pos_);
            listFirst_ = listEnd_ = 0;
            listedTo_ = pos_;
        }
        // Those the careful readers passed over are dropped.
        while (listFirst_ < listEnd_ && listed_[listFirst_] < pos_)
            ++listFirst_;
        if (listEnd_ - listFirst_ < kRecordFieldCount)
            listControls();
        if (listEnd_ - listFirst_ < kRecordFieldCount)
            return false;
        const std::uint32_t* at = listed_ + listFirst_;
        unsigned mismatch = 0;
        for (int i = 0; i < kRecordFieldCount; ++i)
            mismatch |= static_cast<unsigned char>(text_[at[i]] ^ kSeparatorSequence[i]);
        if (mismatch != 0)
            return false;
        auto start = static_cast<std::uint32_t>(pos_);
        for (int i = 0; i < kRecordFieldCount; ++i)
            separators[i] = at[i] - start;
        pos_ = at[kRecordFieldCount - 1] + 1;
        listFirst_ += kRecordFieldCount;
        return true;
    }

    // Lists control positions ahead until the list is full or the text ends; those
    // not yet taken move to the front first.
    void listControls() {
        std::size_t left = listEnd_ - listFirst_;
        std::memmove(listed_, listed_ + listFirst_, left * sizeof *listed_);
        listFirst_ = 0;
        listEnd_ = left;
        while (listEnd_ + 64 <= kListCapacity && !ahead_.done()) {
            listEnd_ = static_cast<std::size_t>(ahead_.popBlock(listed_ + listEnd_) - listed_);
            listedTo_ = (listedTo_ / 64 + 1) * 64;
        }
    }

    // Takes a record whose seventeen separators come in their order with no other
    // reserved byte between them; false (and pos_ unchanged) for anything else.
    bool readSoundRecord(std::array<std::uint32_t, kRecordFieldCount>& separators) {
        const char* data = text_.data();
        const std::size_t start = pos_, end = text_.size();
        if (controlsAt_ != start)
            controls_.seek(start);
        controlsAt_ = SIZE_MAX;
        for (int i = 0; i < kRecordFieldCount; ++i) {
            std::size_t p;
            for (;;) {
                p = controls_.pop();
                if (p >= end)
                    return false;
                if (data[p] == kSeparatorSequence[i])
                    break;
                if (isReservedByte(data[p]))
                    return false;
                // otherwise a control byte a field may hold (CR, LF, tab...)
            }
            separators[i] = static_cast<std::uint32_t>(p - start);
        }
        pos_ = start + separators[kRecordFieldCount - 1] + 1;
        controlsAt_ = pos_;  // the scanner is already there: the next record needs no seek
        return true;
    }

    // Each chunk runs to its own terminator. A terminator of a later chunk means
    // the chunks between are missing; a terminator of an earlier one means the
    // record was cut short and the next one starts there; a group mark or the
    // trailer ends it. Either way the reader stays in step with what follows.
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
            while (!atGroupEnd(pos_ = controls_.next(pos_))) {
                cls = kScan.classOf[static_cast<unsigned char>(text_[pos_])];
                if (cls == kText || cls == kReserved) {
                    reserved = reserved || cls == kReserved;
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
                if (f < chunk.fieldCount - 1 && f >= subCount)
                    damaged = true;
                values[static_cast<int>(chunk.field(f))] =
                    text_.substr(fieldStart, fieldEnd - fieldStart);
                if (f < subCount)
                    fieldStart = fieldEnd + 1;
            }
            if (atGroupEnd(pos_)) {
                if (k < 8)
                    damaged = true;
                break;
            }
            int found = cls - 1;
            if (found == k) {
                ++pos_;
            } else if (found < k) {
                damaged = true;  // cut short: the rest of the record is empty
                break;
            } else {
                damaged = true;  // chunks k+1 .. found-1 are missing; pos_ stays on the terminator
            }
        }
        if (damaged) {
            chargeDamage(kDamagedRecordCost);
            problems_.add(recordStart, describe("damaged record", recordStart));
        }
        if (reserved)
            problems_.add(recordStart,
                          describe("record with control bytes inside a field", recordStart));
        return Entry(values);
    }

    void chargeDamage(std::size_t cost) {
        if (cost > allowance_)
            throw TooDamaged();
        allowance_ -= cost;
    }

    char* bytes_;
    std::string_view text_;
    ProblemList& problems_;
    ControlScanner controls_;
    // The control bytes ahead of the reader, listed many blocks at a time: the
    // list holds every one from pos_ up to listedTo_ (and some before pos_ that the
    // careful readers went past). Each block is listed at most once.
    static constexpr std::size_t kListCapacity = 1024;
    ControlScanner ahead_;
    std::uint32_t listed_[kListCapacity];
    std::size_t listFirst_ = 0, listEnd_ = 0;
    std::size_t listedTo_ = 0;
    EntryBlocks blocks_;
    std::size_t allowance_;
    std::size_t controlsAt_ = SIZE_MAX;  // where the scanner stands after a sound record
    std::size_t pos_ = 0;
};

}  // namespace

namespace {

// Counts what the writer would append, so that the size of a file is known
// before any memory is spent on it, by the same code that writes it.
struct ByteCounter {
    std::size_t size = 0;
    void push_back(char) { ++size; }
    void append(std::string_view text) { size += text.size(); }
};

// An entry keeps its stored fields in record order, each followed by one byte:
// a record is those bytes with the separators put in.
void writeRecord(ByteCounter& out, const Entry& entry) {
    out.size += entry.recordSize();
}

void writeRecord(std::string& out, const Entry& entry) {
    std::size_t at = out.size();
    out.resize(at + entry.recordSize());
    entry.copyRecord(out.data() + at, kSeparatorSequence);
}

// Collects what the writer appends and hands it to a file a buffer at a time.
class FileOut {
public:
    explicit FileOut(platform::File& file) : file_(file), buffer_(kBufferSize) {}

    void push_back(char c) { *room(1) = c; }
    void append(std::string_view text) {
        if (!text.empty())
            std::memcpy(room(text.size()), text.data(), text.size());
    }
    // `size` bytes to fill at the end of what is collected.
    char* room(std::size_t size) {
        if (buffer_.size() - used_ < size) {
            flush();
            if (buffer_.size() < size)
                buffer_.resize(size);  // a record larger than the buffer
        }
        char* at = buffer_.data() + used_;
        used_ += size;
        return at;
    }
    bool finish() {
        flush();
        return written_;
    }

private:
    static constexpr std::size_t kBufferSize = 256 * 1024;

    void flush() {
        // After a failed write the rest is collected and dropped: the file is lost anyway.
        if (used_ > 0 && written_)
            written_ = file_.write(buffer_.data(), used_);
        used_ = 0;
    }

    platform::File& file_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    bool written_ = true;
};

void writeRecord(FileOut& out, const Entry& entry) {
    std::size_t size = entry.recordSize();
    entry.copyRecord(out.room(size), kSeparatorSequence);
}

template <typename Out>
void writeGroupSection(Out& out, const AddressBook& book) {
    for (int g = 0; g < book.groupCount(); ++g) {
        const Group& group = book.group(g);
        if (g == 1) {
            out.push_back(kGroupMark);
        } else if (g >= 2) {
            out.push_back(kGroupMark);
            out.append(group.name());
            out.push_back(kGroupNameEnd);
        }
        const GroupList& list = group.entries();
        if (list.count() == 0)
            writeRecord(out, g == 1 ? Entry(EntryPlaceholder()) : Entry());
        for (int position = 1; position <= list.count(); ++position)
            writeRecord(out, *list.find(position));
    }
}

template <typename Out>
void writeTrailer(Out& out, const AddressBook& book) {
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

}  // namespace

void appendRecord(std::string& out, const Entry& entry) {
    writeRecord(out, entry);
}
void appendGroupSection(std::string& out, const AddressBook& book) {
    writeGroupSection(out, book);
}
void appendTrailer(std::string& out, const AddressBook& book) {
    writeTrailer(out, book);
}

std::size_t recordSize(const Entry& entry) {
    ByteCounter counter;
    writeRecord(counter, entry);
    return counter.size;
}

std::size_t fileImageSize(const AddressBook& book) {
    ByteCounter counter;
    writeGroupSection(counter, book);
    writeTrailer(counter, book);
    return counter.size;
}

std::string fileImage(const AddressBook& book) {
    std::string out;
    out.reserve(fileImageSize(book));
    writeGroupSection(out, book);
    writeTrailer(out, book);
    return out;
}

bool writeFileImage(platform::File& file, const AddressBook& book) {
    FileOut out(file);
    writeGroupSection(out, book);
    writeTrailer(out, book);
    return out.finish();
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

std::size_t damageAllowance(std::size_t fileSize) {
    return 4 * fileSize + kDamageAllowanceBase;
}

std::size_t trailerStart(std::string_view file) {
    std::size_t at = file.find(kTrailerMark);
    return at == std::string_view::npos ? file.size() : at;
}

GroupSection readGroupSection(std::string_view file, ProblemList& problems) {
    std::shared_ptr<char[]> copy(new char[file.size()]);
    if (!file.empty())
        std::memcpy(copy.get(), file.data(), file.size());
    return readGroupSection(std::move(copy), file.size(), problems);
}

GroupSection readGroupSection(std::shared_ptr<char[]> file, std::size_t size,
                              ProblemList& problems) {
    return SectionReader(std::move(file), size, problems).read();
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
        if (end == std::string_view::npos)
            break;
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
        for (char c : field)
            control = control || static_cast<unsigned char>(c) < 0x20;
        if (control)
            problems.add(start, describe("trailer field with control bytes", start));
    }
    if (fields[16].size() > kMaxNameLength || fields[17].size() > kMaxNameLength)
        problems.add(start, describe("group name longer than 49 characters", start));
    if (fields[0].size() > kMaxNameLength)
        problems.add(start, describe("password longer than 49 characters", start));
    trailer.scrambledPassword = std::string(truncated(fields[0], kMaxNameLength));
    for (int i = 0; i < kLabelCount; ++i)
        trailer.labels[i] = std::string(fields[1 + i]);
    trailer.group1Name = std::string(fields[16]);
    trailer.group2Name = std::string(fields[17]);
    return trailer;
}

void applyTrailer(const Trailer& trailer, AddressBook& book) {
    // Each value goes through the model's own rules first, so that a stored value
    // made only of dropped bytes counts as empty, as it will when read back.
    book.setPassword(rotatePrintable(trailer.scrambledPassword, -kPasswordRotation));
    // A password locks the book until it is entered; a file without one leaves the
    // lock as it was.
    if (book.hasPassword())
        book.setLocked(true);
    for (int i = 0; i < kLabelCount; ++i)
        book.labels().set(static_cast<Label>(i), trailer.labels[i]);
    book.labels().fillEmptyWithDefaults();
    book.group(0).setName(trailer.group1Name);
    if (book.group(0).name().empty())
        book.group(0).setName(AddressBook::kDefaultGroup1Name);
    book.group(1).setName(trailer.group2Name);
    if (book.group(1).name().empty())
        book.group(1).setName(AddressBook::kDefaultGroup2Name);
}

void readFile(std::string_view file, AddressBook& book, ProblemList& problems) {
    GroupSection section = readGroupSection(file, problems);
    if (section.end < file.size())
        applyTrailer(readTrailer(file, section.end, problems), book);
    book.replaceGroups(std::move(section.groups));
}

}  // namespace ctlite::dataformat
