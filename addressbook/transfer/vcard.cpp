#include "addressbook/transfer/vcard.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>

#include "addressbook/model/text.h"
#include "addressbook/transfer/table_file.h"
#include "addressbook/ui/entry_form.h"
#include "platform/hex_digit.h"
#include "platform/whole_file.h"
#include "platform/windows1252.h"

namespace ctlite::transfer {
namespace {

// ---- writing

constexpr std::size_t kFoldAt = 75;

std::string escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        switch (c) {
            case '\\': out += "\\\\"; break;
            case ',': out += "\\,"; break;
            case ';': out += "\\;"; break;
            case '\r':
                if (i + 1 < text.size() && text[i + 1] == '\n')
                    ++i;
                out += "\\n";
                break;
            case '\n': out += "\\n"; break;
            default: out += c;
        }
    }
    return platform::utf8FromCp1252(out);
}

// One content line, folded so that no line is longer than 75 octets and no UTF-8
// character is split.
void appendLine(std::string& out, std::string_view line) {
    std::size_t limit = kFoldAt;
    while (line.size() > limit) {
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        limit = kFoldAt - 1;  // the leading blank counts
    }
    out.append(line);
    out += "\r\n";
}

void appendProperty(std::string& out, std::string_view name, std::string_view value) {
    if (value.empty())
        return;
    std::string line(name);
    line += ':';
    line += value;
    appendLine(out, line);
}

// ---- reading

// Kinds a TYPE parameter (or a bare 2.1 parameter) may give; the others are not kept.
enum TypeBit : unsigned {
    kHome = 1u << 0,
    kWork = 1u << 1,
    kCell = 1u << 2,
    kFax = 1u << 3,
    kPager = 1u << 4,
    kQuotedPrintable = 1u << 5,
};

struct Property {
    std::string name;     // upper case, group prefix removed
    unsigned types = 0;   // TypeBit values, from TYPE= and bare 2.1 parameters
    std::string value;    // raw, quoted-printable already decoded
    bool utf8 = true;     // false: the value's bytes are Windows-1252
    bool binary = false;  // base64 data (a photo): not text
};

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

char upperOf(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether `text` is `word` (given in upper case) in any case.
bool isWord(std::string_view text, std::string_view word) {
    if (text.size() != word.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (upperOf(text[i]) != word[i])
            return false;
    return true;
}

// Whether `text` holds `word` (given in upper case) in any case.
bool holdsWord(std::string_view text, std::string_view word) {
    for (std::size_t at = 0; at + word.size() <= text.size(); ++at)
        if (isWord(text.substr(at, word.size()), word))
            return true;
    return false;
}

// Calls `each` with every part of `text` between separators outside double quotes.
template <typename Each>
void forEachOutsideQuotes(std::string_view text, char separator, Each each) {
    bool quoted = false;
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == separator && !quoted) {
            each(text.substr(from, i - from));
            from = i + 1;
        }
    }
    each(text.substr(from));
}

std::string unquoted(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '"')
            out += c;
    return out;
}

std::string quotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && platform::hexDigitValue(text[i + 1]) >= 0 &&
            platform::hexDigitValue(text[i + 2]) >= 0) {
            out += static_cast<char>(platform::hexDigitValue(text[i + 1]) * 16 +
                                     platform::hexDigitValue(text[i + 2]));
            i += 2;
        } else if (text[i] == '=' && i + 1 == text.size()) {
            // a soft line break left at the end
        } else {
            out += text[i];
        }
    }
    return out;
}

// The content lines of a file one at a time: physical lines unfolded, and a
// quoted-printable value whose line ends in "=" continued on the next line. A line
// that was not folded is handed out where it stands in the file; a folded one is
// joined in a buffer the next call may use again.
class ContentLines {
public:
    explicit ContentLines(std::string_view bytes) : bytes_(bytes) {
        if (bytes_.substr(0, 3) == "\xEF\xBB\xBF")
            bytes_.remove_prefix(3);
    }

    bool next(std::string_view& line) {
        std::string_view physical;
        while (nextPhysical(physical)) {
            if (held_ && softBreak_) {
                extend(physical, /*dropSoftBreak=*/true);
            } else if (held_ && !physical.empty() && (physical[0] == ' ' || physical[0] == '\t')) {
                extend(physical.substr(1), false);
            } else if (!physical.empty()) {
                bool had = held_;
                std::string_view done = current_;
                start(physical);
                if (had) {
                    line = done;
                    return true;
                }
                continue;
            } else {
                softBreak_ = false;
                continue;
            }
            look();
        }
        if (!held_)
            return false;
        held_ = false;
        line = current_;
        return true;
    }

private:
    bool nextPhysical(std::string_view& physical) {
        if (at_ > bytes_.size())
            return false;
        std::size_t end = at_;
        while (end < bytes_.size() && bytes_[end] != '\n' && bytes_[end] != '\r')
            ++end;
        physical = bytes_.substr(at_, end - at_);
        if (end + 1 < bytes_.size() && bytes_[end] == '\r' && bytes_[end + 1] == '\n')
            ++end;
        at_ = end + 1;
        return true;
    }

    void start(std::string_view physical) {
        held_ = true;
        current_ = physical;
        inJoined_ = false;  // the buffer may still hold the line handed out last
        colon_ = std::string_view::npos;
        searched_ = 0;
        look();
    }

    void extend(std::string_view piece, bool dropSoftBreak) {
        if (!inJoined_) {
            joined_.assign(current_);
            inJoined_ = true;
        }
        if (dropSoftBreak)
            joined_.pop_back();  // the "="
        joined_.append(piece);
        current_ = joined_;
    }

    // The content line's first colon, once a fold has brought it: until then only the
    // part each fold adds is searched, and the name before it is looked at once.
    void look() {
        if (colon_ == std::string_view::npos) {
            colon_ = current_.find(':', searched_);
            searched_ = current_.size();
            quotedPrintableName_ = colon_ != std::string_view::npos &&
                                   holdsWord(current_.substr(0, colon_), "QUOTED-PRINTABLE");
        }
        softBreak_ = quotedPrintableName_ && current_.back() == '=';
    }

    std::string_view bytes_;
    std::size_t at_ = 0;
    bool held_ = false;  // a content line has begun and is not handed out yet
    std::string_view current_;
    std::string joined_;
    bool inJoined_ = false;
    std::size_t colon_ = std::string_view::npos;
    std::size_t searched_ = 0;
    bool quotedPrintableName_ = false;
    bool softBreak_ = false;
};

unsigned typeBit(std::string_view type) {
    static const std::pair<std::string_view, unsigned> kTypes[] = {
        {"HOME", kHome}, {"WORK", kWork},   {"CELL", kCell},
        {"FAX", kFax},   {"PAGER", kPager}, {"QUOTED-PRINTABLE", kQuotedPrintable},
    };
    for (const auto& [name, bit] : kTypes)
        if (isWord(type, name))
            return bit;
    return 0;
}

std::optional<Property> parseProperty(std::string_view line) {
    // The name and parameters end at the first colon outside double quotes.
    bool quoted = false;
    std::size_t colon = std::string_view::npos;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon == std::string_view::npos)
        return std::nullopt;
    Property property;
    bool first = true;
    bool qp = false;
    std::optional<bool> utf8Charset;
    forEachOutsideQuotes(line.substr(0, colon), ';', [&](std::string_view part) {
        if (first) {
            first = false;
            if (std::size_t dot = part.rfind('.'); dot != std::string_view::npos)
                part.remove_prefix(dot + 1);  // item1.TEL
            property.name = upper(part);
            return;
        }
        std::size_t equals = part.find('=');
        if (equals == std::string_view::npos) {  // 2.1: ;HOME;VOICE;QUOTED-PRINTABLE
            property.types |= typeBit(part);
            return;
        }
        std::string_view key = part.substr(0, equals);
        std::string value = unquoted(part.substr(equals + 1));
        if (isWord(key, "TYPE")) {
            forEachOutsideQuotes(value, ',',
                                 [&](std::string_view type) { property.types |= typeBit(type); });
        } else if (isWord(key, "ENCODING")) {
            qp = isWord(value, "QUOTED-PRINTABLE");
            property.binary = isWord(value, "B") || isWord(value, "BASE64");
        } else if (isWord(key, "CHARSET")) {
            utf8Charset = isWord(value, "UTF-8") || isWord(value, "UTF8");
        }
    });
    if (property.types & kQuotedPrintable)
        qp = true;
    std::string_view raw = line.substr(colon + 1);
    property.value = qp ? quotedPrintable(raw) : std::string(raw);
    if (utf8Charset)
        property.utf8 = *utf8Charset;
    else  // the file's own text, judged as a table file is
        property.utf8 = detectEncoding(property.value) == Encoding::Utf8 ||
                        platform::invalidUtf8At(property.value) == std::string::npos;
    return property;
}

std::string unescaped(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        char next = value[++i];
        if (next == 'n' || next == 'N')
            out += '\n';
        else if (next == ',' || next == ';' || next == '\\' || next == ':')
            out += next;
        else {
            out += '\\';
            out += next;
        }
    }
    return out;
}

// Blanks at either end go, and so do bytes the book drops anyway: a value made of
// blanks around such bytes would otherwise turn into blanks only, which a second
// reading of the exported card trims away.
std::string trimmed(std::string_view text) {
    auto kept = [](char c) { return c != ' ' && c != '\t' && !isReservedByte(c); };
    auto first = std::find_if(text.begin(), text.end(), kept);
    if (first == text.end())
        return {};
    auto last = std::find_if(text.rbegin(), text.rend(), kept).base();
    return std::string(first, last);
}

// The components of a structured value (N, ADR, ORG) in order, split at unescaped
// ";", each unescaped and trimmed.
class Components {
public:
    explicit Components(std::string_view value) : rest_(value) {}

    bool next(std::string& part) {
        if (done_)
            return false;
        std::size_t i = 0;
        while (i < rest_.size() && rest_[i] != ';')
            i += rest_[i] == '\\' && i + 1 < rest_.size() ? 2 : 1;
        part = trimmed(unescaped(rest_.substr(0, i)));
        done_ = i >= rest_.size();
        rest_.remove_prefix(std::min(i + 1, rest_.size()));
        return true;
    }

private:
    std::string_view rest_;
    bool done_ = false;
};

// The first N components; those missing are empty, those past them are not read.
template <std::size_t N>
std::array<std::string, N> firstComponents(std::string_view value) {
    std::array<std::string, N> parts;
    Components components(value);
    for (std::string& part : parts)
        if (!components.next(part))
            break;
    return parts;
}

std::string joined(std::initializer_list<std::string_view> parts, std::string_view separator) {
    std::string out;
    for (std::string_view part : parts) {
        if (part.empty())
            continue;
        if (!out.empty())
            out += separator;
        out += part;
    }
    return out;
}

// Adds `text` to a list of lines kept as one text, a line feed between them.
void addLine(std::string& lines, std::string_view text) {
    if (text.empty())
        return;
    if (!lines.empty())
        lines += '\n';
    lines += text;
}

// One card as it is read: texts in UTF-8 until the entry is made.
class CardBuilder {
public:
    void take(const Property& p) {
        if (p.name == "PHOTO") {
            takePhoto(p);
            return;
        }
        if (p.binary)
            return;
        std::string converted;
        std::string_view value = p.value;
        if (!p.utf8)
            value = converted = platform::utf8FromCp1252(p.value);
        if (p.name == "N") {
            auto n = firstComponents<3>(value);
            setOnce(Field::LastName, n[0], "Name");
            setOnce(Field::FirstName, joined({n[1], n[2]}, " "), "Name");
        } else if (p.name == "FN") {
            formatted_ = trimmed(unescaped(value));
        } else if (p.name == "ORG") {
            std::string org;
            std::string part;
            for (Components parts(value); parts.next(part);)
                if (!part.empty()) {
                    if (!org.empty())
                        org += ", ";
                    org += part;
                }
            setOnce(Field::CompanyName, org, "Company");
        } else if (p.name == "TEL") {
            takePhone(p, trimmed(unescaped(value)));
        } else if (p.name == "EMAIL") {
            setOnce(Field::EmailAddress, trimmed(unescaped(value)), "E-mail");
        } else if (p.name == "URL") {
            setOnce(Field::Homepage, trimmed(unescaped(value)), "Homepage");
        } else if (p.name == "ADR") {
            takeAddress(value);
        } else if (p.name == "NOTE") {
            addLine(notes_, unescaped(value));
        } else if (p.name == "TITLE") {
            addNote("Title", trimmed(unescaped(value)));
        } else if (p.name == "NICKNAME") {
            addNote("Nickname", trimmed(unescaped(value)));
        } else if (p.name == "BDAY") {
            addNote("Birthday", trimmed(unescaped(value)));
        }
    }

    Entry finish(ValueCounts& counts) {
        if (fields_[slot(Field::FirstName)].empty() && fields_[slot(Field::LastName)].empty() &&
            formatted_ != fields_[slot(Field::CompanyName)])
            fields_[slot(Field::FirstName)] = formatted_;
        std::string& note = fields_[slot(Field::Note)];
        note = std::move(notes_);
        addLine(note, moved_);
        moved_ = std::string();
        std::array<std::string, kFieldCount> scratch;
        FieldValues values{};
        for (int f = 0; f < kFieldCount; ++f) {
            auto field = static_cast<Field>(f);
            auto at = static_cast<std::size_t>(f);
            if (fields_[at].empty())
                continue;
            std::string_view stored =
                storedValue(fields_[at], Encoding::Utf8, field, counts, scratch[at]);
            if (field == Field::FirstName || field == Field::LastName ||
                field == Field::CompanyName) {
                std::string typed = storedFromTyped(stored);
                scratch[at] = std::move(typed);
                stored = scratch[at];
            }
            values[at] = stored;
        }
        return Entry(values);
    }

    // The first embedded photo's bytes (empty when there is none), and how many more
    // could not be read or were not the first.
    const std::string& photo() const { return photo_; }
    std::size_t photosLeft() const { return photosLeft_; }

private:
    static std::size_t slot(Field field) { return static_cast<std::size_t>(field); }

    void takePhoto(const Property& p) {
        std::string_view value = p.value;
        std::string bytes;
        bool embedded = p.binary;
        bool read = false;
        if (value.size() > 5 && isWord(value.substr(0, 5), "DATA:")) {
            // data:image/jpeg;base64,...
            embedded = true;
            std::size_t comma = value.find(',');
            read = comma != std::string_view::npos &&
                   holdsWord(value.substr(0, comma), ";BASE64") &&
                   base64Decoded(value.substr(comma + 1), bytes);
        } else if (embedded) {
            read = base64Decoded(value, bytes);
        }
        if (!embedded) {
            addNote("Photo", trimmed(unescaped(value)));
            return;
        }
        if (!read || bytes.empty() || !photo_.empty()) {
            ++photosLeft_;
            return;
        }
        photo_ = std::move(bytes);
    }

    void setOnce(Field field, const std::string& text, std::string_view what) {
        if (text.empty())
            return;
        std::string& place = fields_[slot(field)];
        if (place.empty())
            place = text;
        else if (place != text)
            addNote(what, text);
    }

    void addNote(std::string_view what, const std::string& text) {
        if (text.empty())
            return;
        if (!moved_.empty())
            moved_ += '\n';
        moved_.append(what);
        moved_ += ": ";
        moved_ += text;
    }

    void takePhone(const Property& p, std::string number) {
        if (number.size() > 4 && isWord(std::string_view(number).substr(0, 4), "TEL:"))
            number.erase(0, 4);
        if (number.empty())
            return;
        struct Kind {
            unsigned type;
            Field field;
            const char* what;
        };
        static const Kind kKinds[] = {
            {kCell, Field::MobilePhone, "Mobile"}, {kFax, Field::FaxNumber, "Fax"},
            {kPager, Field::PagerNumber, "Pager"}, {kWork, Field::WorkPhone, "Work"},
            {kHome, Field::HomePhone, "Home"},
        };
        for (const Kind& kind : kKinds)
            if (p.types & kind.type) {
                setOnce(kind.field, number, std::string(kind.what) + " phone");
                return;
            }
        // No kind given (or only voice): the first free of home and work.
        for (Field field : {Field::HomePhone, Field::WorkPhone})
            if (fields_[slot(field)].empty()) {
                fields_[slot(field)] = number;
                return;
            }
        addNote("Phone", number);
    }

    void takeAddress(std::string_view value) {
        // post office box; extended address; street; city; region; postal code; country
        auto adr = firstComponents<7>(value);
        std::string street = joined({adr[2], adr[1], adr[0]}, ", ");
        bool any = false;
        for (const std::string& part : adr)
            any = any || !part.empty();
        if (!any)
            return;
        bool free = fields_[slot(Field::StreetAddress)].empty() &&
                    fields_[slot(Field::City)].empty() && fields_[slot(Field::State)].empty() &&
                    fields_[slot(Field::ZipCode)].empty() && fields_[slot(Field::Country)].empty();
        if (free) {
            fields_[slot(Field::StreetAddress)] = street;
            fields_[slot(Field::City)] = adr[3];
            fields_[slot(Field::State)] = adr[4];
            fields_[slot(Field::ZipCode)] = adr[5];
            fields_[slot(Field::Country)] = adr[6];
        } else {
            addNote("Address", joined({street, adr[3], adr[4], adr[5], adr[6]}, ", "));
        }
    }

    std::array<std::string, kFieldCount> fields_;
    std::string formatted_;
    // The note is the NOTE texts followed by the values moved to it, each in file
    // order, a line feed between any two.
    std::string notes_;
    std::string moved_;
    std::string photo_;
    std::size_t photosLeft_ = 0;
};

// A picture larger than this is not put into a card.
constexpr std::size_t kMaxCardPicture = 16u << 20;

}  // namespace

void appendVCard(std::string& out, const Entry& entry, std::string_view groupName,
                 platform::FileSystem* files) {
    std::string first = typedFromStored(entry.get(Field::FirstName));
    std::string last = typedFromStored(entry.get(Field::LastName));
    std::string company = typedFromStored(entry.get(Field::CompanyName));
    std::string formatted = first.empty() || last.empty() ? first + last : first + " " + last;
    if (formatted.empty())
        formatted = company;
    out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    appendLine(out, "N:" + escaped(last) + ";" + escaped(first) + ";;;");
    appendLine(out, "FN:" + escaped(formatted));
    appendProperty(out, "ORG", escaped(company));
    appendProperty(out, "TEL;TYPE=HOME", escaped(entry.get(Field::HomePhone)));
    appendProperty(out, "TEL;TYPE=WORK", escaped(entry.get(Field::WorkPhone)));
    appendProperty(out, "TEL;TYPE=CELL", escaped(entry.get(Field::MobilePhone)));
    appendProperty(out, "TEL;TYPE=FAX", escaped(entry.get(Field::FaxNumber)));
    appendProperty(out, "TEL;TYPE=PAGER", escaped(entry.get(Field::PagerNumber)));
    bool anyAddress = false;
    for (Field f :
         {Field::StreetAddress, Field::City, Field::State, Field::ZipCode, Field::Country})
        anyAddress = anyAddress || !entry.get(f).empty();
    if (anyAddress)
        appendLine(out, "ADR:;;" + escaped(entry.get(Field::StreetAddress)) + ";" +
                            escaped(entry.get(Field::City)) + ";" +
                            escaped(entry.get(Field::State)) + ";" +
                            escaped(entry.get(Field::ZipCode)) + ";" +
                            escaped(entry.get(Field::Country)));
    appendProperty(out, "EMAIL;TYPE=INTERNET", escaped(entry.get(Field::EmailAddress)));
    appendProperty(out, "URL", escaped(entry.get(Field::Homepage)));
    appendProperty(out, "NOTE", escaped(entry.get(Field::Note)));
    appendProperty(out, "CATEGORIES", escaped(groupName));
    platform::FileBytes picture;
    if (files && !entry.get(Field::Picture).empty() &&
        platform::readWholeFile(*files, std::string(entry.get(Field::Picture)), kMaxCardPicture,
                                picture) == platform::ReadOutcome::Ok &&
        pictureKind(picture.view()) == PictureKind::Jpeg)
        appendLine(out, "PHOTO;ENCODING=b;TYPE=JPEG:" + base64Encoded(picture.view()));
    out += "END:VCARD\r\n";
}

std::string writeVCards(const GroupList& list, std::string_view groupName,
                        platform::FileSystem* files) {
    std::string out;
    if (holdsOnlyThePlaceholder(list))
        return out;
    for (int position = 1; position <= list.count(); ++position)
        appendVCard(out, *list.find(position), groupName, files);
    return out;
}

ImportSummary importVCards(std::string_view fileBytes, GroupList& into, PictureFolder* pictures) {
    std::string fromUtf16;
    if (utf8FromUtf16(fileBytes, fromUtf16))
        fileBytes = fromUtf16;
    ImportSummary summary;
    PlaceholderReplacement placeholder(into);
    std::optional<CardBuilder> card;
    int depth = 0;  // cards inside a card (2.1's AGENT) are not entries of their own
    auto finishCard = [&] {
        ++summary.records;
        Entry entry = card->finish(summary.values);
        summary.picturesNotKept += card->photosLeft();
        if (!card->photo().empty()) {
            PictureKind kind = pictureKind(card->photo());
            std::string name = typedFromStored(entry.firstNameDisplay());
            if (name == " ")
                name = typedFromStored(entry.get(Field::CompanyName));
            std::string path;
            if (pictures && kind != PictureKind::Other)
                path = pictures->keep(name, kind, card->photo());
            if (path.empty()) {
                ++summary.picturesNotKept;
            } else {
                entry.set(Field::Picture, path);
                ++summary.picturesKept;
            }
        }
        card.reset();
        if (entry.isEmpty()) {
            ++summary.blank;
            return;
        }
        into.pushFront(std::move(entry));
        ++summary.entries;
    };
    ContentLines lines(fileBytes);
    for (std::string_view line; lines.next(line);) {
        std::optional<Property> property = parseProperty(line);
        if (!property)
            continue;
        auto isCard = [&] { return isWord(trimmed(property->value), "VCARD"); };
        if (property->name == "BEGIN" && isCard()) {
            if (depth++ == 0)
                card.emplace();
        } else if (property->name == "END" && isCard()) {
            if (depth > 0 && --depth == 0 && card)
                finishCard();
        } else if (card && depth == 1) {
            card->take(*property);
        }
    }
    if (card)  // the file ended inside a card
        finishCard();
    placeholder.afterImport(into, summary);
    return summary;
}

}  // namespace ctlite::transfer
