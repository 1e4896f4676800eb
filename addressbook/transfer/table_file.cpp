#include "addressbook/transfer/table_file.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "addressbook/model/control_scan.h"
#include "addressbook/transfer/incoming_text.h"

namespace ctlite::transfer {
namespace {

constexpr std::array<Field, kTableColumnCount> kCsvColumns = {
    Field::CompanyName,   Field::FirstName, Field::LastName,    Field::HomePhone,
    Field::WorkPhone,     Field::FaxNumber, Field::MobilePhone, Field::PagerNumber,
    Field::StreetAddress, Field::City,      Field::State,       Field::ZipCode,
    Field::EmailAddress,  Field::Homepage,  Field::Picture,     Field::Note,
    Field::Country,
};
constexpr std::array<Field, kTableColumnCount> kTabColumns = {
    Field::CompanyName,   Field::FirstName, Field::LastName,    Field::WorkPhone,
    Field::HomePhone,     Field::FaxNumber, Field::MobilePhone, Field::PagerNumber,
    Field::StreetAddress, Field::City,      Field::State,       Field::ZipCode,
    Field::EmailAddress,  Field::Homepage,  Field::Picture,     Field::Note,
    Field::Country,
};

constexpr std::size_t kNamedUncarried = 5;

bool carried(std::string_view value, TableFormat format) {
    if (format == TableFormat::Csv)
        return value.find('"') == std::string_view::npos;
    return value.find_first_of("\t\r\n") == std::string_view::npos;
}

// Whether the line feed at `at` ends a CR LF whose carriage return follows no other:
// the reader takes a written CR LF for one line feed and makes it CR LF again only
// where no carriage return stands before it, so a line feed after two carriage
// returns needs one more to come back unchanged.
bool endsOneCrLf(std::string_view value, std::size_t at) {
    return at >= 1 && value[at - 1] == '\r' && (at < 2 || value[at - 2] != '\r');
}

void appendCsvValue(std::string& out, std::string_view value) {
    out += '"';
    // Most values hold neither a quote nor a line feed: one look, one copy.
    std::size_t special = 0;
    while (special < value.size() && value[special] != '"' && value[special] != '\n')
        ++special;
    if (special == value.size()) {
        out.append(value);
    } else {
        for (std::size_t i = 0; i < value.size(); ++i) {
            char c = value[i];
            if (c == '"')
                out += '"';
            else if (c == '\n' && !endsOneCrLf(value, i))
                out += '\r';  // text mode; a CR LF of the value is written as it is
            out += c;
        }
    }
    out += '"';
}

void appendTabValue(std::string& out, std::string_view value) {
    if (carried(value, TableFormat::Tab)) {
        out.append(value);
        return;
    }
    // One blank for each tab and each line break (CR LF, CR or LF).
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n')
            continue;
        out += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
    }
}

// The first byte from `p` on that is `a` or `b`, or `last`; eight bytes at a look.
inline const char* findEither(const char* p, const char* last, char a, char b) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
    const std::uint64_t wordA = kOnes * static_cast<unsigned char>(a);
    const std::uint64_t wordB = kOnes * static_cast<unsigned char>(b);
    for (; last - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        // A zero byte in either for each byte that is `a` or `b`.
        std::uint64_t xa = word ^ wordA, xb = word ^ wordB;
        if (std::uint64_t found = ((xa - kOnes) & ~xa & kHighs) | ((xb - kOnes) & ~xb & kHighs)) {
            // The lowest mark is exact (a borrow runs only towards later bytes), and
            // the first byte is the lowest: the byte itself, with no walk to it.
            static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
            return p + __builtin_ctzll(found) / 8;
        }
    }
    while (p < last && *p != a && *p != b)
        ++p;
    return p;
}

}  // namespace

struct QuoteBytes {
    static bool is(char c) { return c == '"'; }
    static std::uint64_t block(const char* p) {
        std::uint64_t mask = 0;
#if defined(__SSE2__)
        const __m128i quote = _mm_set1_epi8('"');
        for (int i = 0; i < 4; ++i) {
            __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
            mask |= static_cast<std::uint64_t>(
                        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, quote))))
                    << (16 * i);
        }
#else
        for (int i = 0; i < 64; ++i)
            if (is(p[i]))
                mask |= std::uint64_t{1} << i;
#endif
        return mask;
    }
};

// The double quotes of a text, handed out in order.
class QuoteScanner : public ByteScanner<QuoteBytes> {
public:
    using ByteScanner::ByteScanner;
};

bool holdsOnlyThePlaceholder(const GroupList& list) {
    return list.count() == 1 && *list.find(1) == EntryPlaceholder();
}

const std::array<Field, kTableColumnCount>& tableColumns(TableFormat format) {
    return format == TableFormat::Csv ? kCsvColumns : kTabColumns;
}

UncarriedValues findUncarried(const GroupList& list, TableFormat format) {
    UncarriedValues found;
    if (holdsOnlyThePlaceholder(list))
        return found;
    for (int position = 1; position <= list.count(); ++position) {
        const Entry& entry = *list.find(position);
        for (Field field : tableColumns(format))
            if (!carried(entry.get(field), format)) {
                ++found.count;
                if (found.first.size() < kNamedUncarried)
                    found.first.push_back({position, field});
            }
    }
    return found;
}

void appendTableLine(std::string& out, const Entry& entry, TableFormat format) {
    const auto& columns = tableColumns(format);
    std::array<std::string_view, kTableColumnCount> values;
    std::size_t length = 0;
    bool plain = true;
    for (int i = 0; i < kTableColumnCount; ++i) {
        values[i] = entry.get(columns[i]);
        length += values[i].size();
        plain =
            plain && carried(values[i], format) && values[i].find('\n') == std::string_view::npos;
    }
    if (plain) {
        // The usual line: its length known, written in one piece.
        const bool csv = format == TableFormat::Csv;
        std::size_t at = out.size();
        out.resize(at + length + (csv ? 3 * kTableColumnCount + 1 : kTableColumnCount + 1));
        char* p = out.data() + at;
        for (int i = 0; i < kTableColumnCount; ++i) {
            if (i > 0)
                *p++ = csv ? ',' : '\t';
            if (csv)
                *p++ = '"';
            std::memcpy(p, values[i].data(), values[i].size());
            p += values[i].size();
            if (csv)
                *p++ = '"';
        }
        *p++ = '\r';
        *p++ = '\n';
        return;
    }
    for (int i = 0; i < kTableColumnCount; ++i) {
        if (format == TableFormat::Csv) {
            if (i > 0)
                out += ',';
            appendCsvValue(out, values[i]);
        } else {
            if (i > 0)
                out += '\t';
            appendTabValue(out, values[i]);
        }
    }
    out += "\r\n";
}

std::string writeTable(const GroupList& list, TableFormat format) {
    std::string out;
    if (holdsOnlyThePlaceholder(list))
        return out;
    for (int position = 1; position <= list.count(); ++position) {
        if (position == 2)  // room for lines like the first: one allocation, not dozens
            out.reserve(out.size() * static_cast<std::size_t>(list.count()) * 5 / 4);
        appendTableLine(out, *list.find(position), format);
    }
    return out;
}

TableReader::TableReader(std::string_view fileBytes, TableFormat format) : format_(format) {
    // A byte-order mark is not text.
    if (fileBytes.substr(0, 3) == "\xEF\xBB\xBF")
        fileBytes.remove_prefix(3);
    if (utf8FromUtf16(fileBytes, text_)) {
        // Read as text in place: carriage return and line feed are one line feed.
        std::size_t kept = 0;
        for (std::size_t i = 0; i < text_.size(); ++i)
            if (!(text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n'))
                text_[kept++] = text_[i];
        text_.resize(kept);
        return;
    }
    // Read as text: carriage return and line feed are one line feed.
    text_.reserve(fileBytes.size());
    std::size_t from = 0;
    for (std::size_t cr = fileBytes.find('\r'); cr != std::string_view::npos;
         cr = fileBytes.find('\r', cr + 1)) {
        if (cr + 1 < fileBytes.size() && fileBytes[cr + 1] == '\n') {
            text_.append(fileBytes, from, cr - from);
            from = cr + 1;
        }
    }
    text_.append(fileBytes, from);
}

std::size_t TableReader::skipBlankLines(std::size_t at) const {
    while (at < text_.size() && text_[at] == '\n')
        ++at;
    return at;
}

int TableReader::recordCount() const {
    if (!found_) {
        for (std::size_t at = skipBlankLines(0); at < text_.size(); at = skipBlankLines(at)) {
            starts_.push_back(at);
            std::size_t count = 0;
            at = readRecord(at, nullptr, count);
        }
        found_ = true;
    }
    return static_cast<int>(starts_.size());
}

bool TableReader::Pass::next(std::vector<std::string_view>& values, std::size_t keep) {
    const std::string& text = reader_.text_;
    at_ = reader_.skipBlankLines(at_);
    if (at_ >= text.size())
        return false;
    if (reader_.format_ == TableFormat::Csv && readQuotedRecord(values, keep))
        return true;
    recordStart_ = at_;
    // As readRecord, each value as a view.
    std::size_t count = 0;
    for (;;) {
        if (count < keep) {
            if (count == values.size())
                values.emplace_back();
            std::size_t next;
            if (!reader_.viewValue(at_, values[count], next)) {
                while (rewritten_.size() <= count)
                    rewritten_.emplace_back();
                std::string& rewritten = rewritten_[count];
                rewritten.clear();
                next = reader_.readValue(at_, &rewritten);
                values[count] = rewritten;
            }
            at_ = next;
        } else {
            at_ = reader_.readValue(at_, nullptr);
        }
        ++count;
        if (at_ >= text.size()) {
            recordEnd_ = text.size();
            break;
        }
        if (text[at_] == '\n') {
            recordEnd_ = at_++;
            break;
        }
    }
    values.resize(std::min(count, keep));
    return true;
}

TableReader::Pass::Pass(const TableReader& reader) : reader_(reader) {}
TableReader::Pass::~Pass() = default;

bool TableReader::Pass::readQuotedRecord(std::vector<std::string_view>& values, std::size_t keep) {
    const std::string& text = reader_.text_;
    const std::size_t size = text.size();
    std::size_t p = at_;
    if (text[p] != '"')
        return false;
    if (!quotes_)
        quotes_ = std::make_unique<QuoteScanner>(text);
    QuoteScanner& quotes = *quotes_;
    if (quotesAt_ != p)
        quotes.seek(p);
    quotesAt_ = SIZE_MAX;
    std::size_t count = 0;
    for (;;) {
        // p is on the value's opening quote: the quote after it closes the value.
        if (quotes.pop() != p)
            return false;
        std::size_t close = quotes.pop();
        if (close == size)
            return false;  // never closed
        if (count < keep) {
            if (count == values.size())
                values.emplace_back();
            values[count] = std::string_view(text.data() + p + 1, close - p - 1);
        }
        ++count;
        p = close + 1;
        if (p == size || text[p] == '\n')
            break;
        if (text[p] != ',' || p + 1 == size || text[p + 1] != '"')
            return false;  // a doubled quote, text after the closing one, or an unquoted value
        ++p;
    }
    recordStart_ = at_;
    recordEnd_ = p;
    at_ = p == size ? p : p + 1;
    quotesAt_ = at_;  // the scanner is there already: the next record needs no seek
    values.resize(std::min(count, keep));
    return true;
}

std::string_view TableReader::Pass::recordText() const {
    return std::string_view(reader_.text_).substr(recordStart_, recordEnd_ - recordStart_);
}

void TableReader::record(int index, std::vector<std::string>& values) const {
    std::size_t count = 0;
    if (index >= 0 && index < recordCount())
        readRecord(starts_[static_cast<std::size_t>(index)], &values, count);
    values.resize(count);
}

std::size_t TableReader::readRecord(std::size_t at, std::vector<std::string>* values,
                                    std::size_t& count, std::size_t keep) const {
    for (;;) {
        // The strings of an earlier record are filled again: no allocation for most values.
        std::string* value = nullptr;
        if (values && count < keep) {
            if (count == values->size())
                values->emplace_back();
            value = &(*values)[count];
            value->clear();
        }
        ++count;
        at = readValue(at, value);
        if (at >= text_.size())
            return at;
        if (text_[at] == '\n')
            return at + 1;
    }
}

bool TableReader::viewValue(std::size_t at, std::string_view& value, std::size_t& next) const {
    const char delimiter = format_ == TableFormat::Csv ? ',' : '\t';
    const char* begin = text_.data();
    const char* last = begin + text_.size();
    const char* from = begin + at;
    const char* stop;
    if (format_ == TableFormat::Csv && from < last && *from == '"') {
        // In quotes, ended by the closing quote and the delimiter or the line end.
        ++from;
        stop = findEither(from, last, '"', '"');
        const char* after = stop + 1;
        if (stop == last || (after < last && *after != delimiter && *after != '\n'))
            return false;  // no closing quote, a doubled quote, or text after the quotes
        next = static_cast<std::size_t>((after < last && *after == delimiter ? after + 1 : after) -
                                        begin);
    } else {
        stop = findEither(from, last, delimiter, '\n');
        next =
            static_cast<std::size_t>((stop < last && *stop == delimiter ? stop + 1 : stop) - begin);
    }
    value = std::string_view(from, static_cast<std::size_t>(stop - from));
    return true;
}

std::size_t TableReader::readValue(std::size_t at, std::string* value) const {
    const char delimiter = format_ == TableFormat::Csv ? ',' : '\t';
    const std::size_t end = text_.size();
    if (format_ == TableFormat::Csv && at < end && text_[at] == '"') {
        // In quotes: up to the closing quote; a doubled quote is one quote.
        ++at;
        for (;;) {
            std::size_t quote = text_.find('"', at);
            if (quote == std::string::npos) {  // never closed: the rest of the file
                if (value)
                    value->append(text_, at, std::string::npos);
                return end;
            }
            if (value)
                value->append(text_, at, quote - at);
            at = quote + 1;
            if (at < end && text_[at] == '"') {
                if (value)
                    *value += '"';
                ++at;
                continue;
            }
            break;
        }
    }
    // Unquoted text (or what follows a closing quote) runs to the delimiter or the line end.
    const char* begin = text_.data();
    const char* p = begin + at;
    const char* last = begin + end;
    while (p < last && *p != delimiter && *p != '\n')
        ++p;
    std::size_t stop = static_cast<std::size_t>(p - begin);
    if (value)
        value->append(text_, at, stop - at);
    return stop < end && text_[stop] == delimiter ? stop + 1 : stop;
}

}  // namespace ctlite::transfer
