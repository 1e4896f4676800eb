#include "addressbook/transfer/vcard.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <vector>

#include "addressbook/model/text.h"
#include "addressbook/transfer/table_file.h"
#include "addressbook/ui/entry_form.h"
#include "platform/hex_digit.h"
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

struct Property {
    std::string name;                // upper case, group prefix removed
    std::vector<std::string> types;  // upper case, from TYPE= and bare 2.1 parameters
    std::string value;               // raw, quoted-printable already decoded
    bool utf8 = true;                // false: the value's bytes are Windows-1252
    bool binary = false;             // base64 data (a photo): not text
};

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// Splits at `separator` outside double quotes.
std::vector<std::string_view> splitOutsideQuotes(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    bool quoted = false;
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == separator && !quoted) {
            parts.push_back(text.substr(from, i - from));
            from = i + 1;
        }
    }
    parts.push_back(text.substr(from));
    return parts;
}

std::string unquoted(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != '"')
            out += c;
    return out;
}

std::string quotedPrintable(std::string_view text) {
    std::string out;
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

bool isUtf8Charset(std::string_view charset) {
    std::string name = upper(charset);
    return name == "UTF-8" || name == "UTF8";
}

// The physical lines of the file, unfolded into content lines. A quoted-printable
// value whose line ends in "=" continues on the next line.
std::vector<std::string> contentLines(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    std::vector<std::string> physical;
    std::size_t from = 0;
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\n' || bytes[i] == '\r') {
            physical.emplace_back(bytes.substr(from, i - from));
            if (i + 1 < bytes.size() && bytes[i] == '\r' && bytes[i + 1] == '\n')
                ++i;
            from = i + 1;
        }
    }
    std::vector<std::string> lines;
    bool softBreak = false;
    // The content line's first colon, once a fold has brought it: until then only the
    // part each fold adds is searched, and the name before it is looked at once.
    std::size_t colon = std::string::npos;
    std::size_t searched = 0;
    bool quotedPrintableName = false;
    for (std::string& line : physical) {
        if (!lines.empty() && softBreak) {
            lines.back().pop_back();  // the "="
            lines.back() += line;
        } else if (!lines.empty() && !line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            lines.back().append(line, 1);
        } else if (!line.empty()) {
            lines.push_back(std::move(line));
            colon = std::string::npos;
            searched = 0;
        } else {
            softBreak = false;
            continue;
        }
        const std::string& last = lines.back();
        if (colon == std::string::npos) {
            colon = last.find(':', searched);
            searched = last.size();
            quotedPrintableName =
                colon != std::string::npos &&
                upper(std::string_view(last).substr(0, colon)).find("QUOTED-PRINTABLE") !=
                    std::string::npos;
        }
        softBreak = quotedPrintableName && last.back() == '=';
    }
    return lines;
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
    std::vector<std::string_view> parts = splitOutsideQuotes(line.substr(0, colon), ';');
    Property property;
    std::string_view name = parts[0];
    if (std::size_t dot = name.rfind('.'); dot != std::string_view::npos)
        name.remove_prefix(dot + 1);  // item1.TEL
    property.name = upper(name);
    bool qp = false;
    std::optional<std::string> charset;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::string_view parameter = parts[i];
        std::size_t equals = parameter.find('=');
        std::string key = upper(parameter.substr(0, equals));
        std::string value =
            equals == std::string_view::npos ? key : unquoted(parameter.substr(equals + 1));
        if (equals == std::string_view::npos) {  // 2.1: ;HOME;VOICE;QUOTED-PRINTABLE
            key = "TYPE";
        }
        if (key == "TYPE") {
            for (std::string_view type : splitOutsideQuotes(value, ','))
                property.types.push_back(upper(type));
        } else if (key == "ENCODING") {
            std::string encoding = upper(value);
            qp = encoding == "QUOTED-PRINTABLE";
            property.binary = encoding == "B" || encoding == "BASE64";
        } else if (key == "CHARSET") {
            charset = value;
        }
    }
    if (std::find(property.types.begin(), property.types.end(), "QUOTED-PRINTABLE") !=
        property.types.end())
        qp = true;
    std::string_view raw = line.substr(colon + 1);
    property.value = qp ? quotedPrintable(raw) : std::string(raw);
    if (charset)
        property.utf8 = isUtf8Charset(*charset);
    else
        property.utf8 = platform::invalidUtf8At(property.value) == std::string::npos;
    return property;
}

// The components of a structured value (N, ADR, ORG), split at unescaped ";".
std::vector<std::string> components(std::string_view value) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            parts.back() += value[i];
            parts.back() += value[++i];
        } else if (value[i] == ';') {
            parts.emplace_back();
        } else {
            parts.back() += value[i];
        }
    }
    return parts;
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

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string out;
    for (const std::string& part : parts) {
        if (part.empty())
            continue;
        if (!out.empty())
            out += separator;
        out += part;
    }
    return out;
}

bool hasType(const Property& property, std::string_view type) {
    return std::find(property.types.begin(), property.types.end(), type) != property.types.end();
}

// One card as it is read: texts in UTF-8 until the entry is made.
class CardBuilder {
public:
    void take(const Property& p) {
        if (p.binary)
            return;
        std::string value = p.utf8 ? p.value : platform::utf8FromCp1252(p.value);
        if (p.name == "N") {
            std::vector<std::string> n = components(value);
            n.resize(5);
            for (std::string& part : n)
                part = trimmed(unescaped(part));
            setOnce(Field::LastName, n[0], "Name");
            setOnce(Field::FirstName, joined({n[1], n[2]}, " "), "Name");
        } else if (p.name == "FN") {
            formatted_ = trimmed(unescaped(value));
        } else if (p.name == "ORG") {
            std::vector<std::string> org = components(value);
            for (std::string& part : org)
                part = trimmed(unescaped(part));
            setOnce(Field::CompanyName, joined(org, ", "), "Company");
        } else if (p.name == "TEL") {
            takePhone(p, trimmed(unescaped(value)));
        } else if (p.name == "EMAIL") {
            setOnce(Field::EmailAddress, trimmed(unescaped(value)), "E-mail");
        } else if (p.name == "URL") {
            setOnce(Field::Homepage, trimmed(unescaped(value)), "Homepage");
        } else if (p.name == "ADR") {
            takeAddress(value);
        } else if (p.name == "NOTE") {
            std::string note = unescaped(value);
            if (!note.empty())
                notes_.push_back(std::move(note));
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
        notes_.insert(notes_.end(), std::make_move_iterator(moved_.begin()),
                      std::make_move_iterator(moved_.end()));
        fields_[slot(Field::Note)] = joined(notes_, "\n");
        std::array<std::string, kFieldCount> stored;
        FieldValues values{};
        for (int f = 0; f < kFieldCount; ++f) {
            auto field = static_cast<Field>(f);
            if (fields_[static_cast<std::size_t>(f)].empty())
                continue;
            stored[static_cast<std::size_t>(f)] =
                storedValue(fields_[static_cast<std::size_t>(f)], Encoding::Utf8, field, counts);
            if (field == Field::FirstName || field == Field::LastName ||
                field == Field::CompanyName)
                stored[static_cast<std::size_t>(f)] =
                    storedFromTyped(stored[static_cast<std::size_t>(f)]);
            values[static_cast<std::size_t>(f)] = stored[static_cast<std::size_t>(f)];
        }
        return Entry(values);
    }

private:
    static std::size_t slot(Field field) { return static_cast<std::size_t>(field); }

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
        if (!text.empty())
            moved_.push_back(std::string(what) + ": " + text);
    }

    void takePhone(const Property& p, std::string number) {
        if (number.size() > 4 && upper(number.substr(0, 4)) == "TEL:")
            number.erase(0, 4);
        if (number.empty())
            return;
        struct Kind {
            const char* type;
            Field field;
            const char* what;
        };
        static const Kind kKinds[] = {
            {"CELL", Field::MobilePhone, "Mobile"}, {"FAX", Field::FaxNumber, "Fax"},
            {"PAGER", Field::PagerNumber, "Pager"}, {"WORK", Field::WorkPhone, "Work"},
            {"HOME", Field::HomePhone, "Home"},
        };
        for (const Kind& kind : kKinds)
            if (hasType(p, kind.type)) {
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
        std::vector<std::string> adr = components(value);
        adr.resize(7);
        for (std::string& part : adr)
            part = trimmed(unescaped(part));
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
    // The note is the NOTE texts followed by the values moved to it, each in file order.
    std::vector<std::string> notes_;
    std::vector<std::string> moved_;
};

}  // namespace

void appendVCard(std::string& out, const Entry& entry, std::string_view groupName) {
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
    out += "END:VCARD\r\n";
}

std::string writeVCards(const GroupList& list, std::string_view groupName) {
    std::string out;
    if (holdsOnlyThePlaceholder(list))
        return out;
    for (int position = 1; position <= list.count(); ++position)
        appendVCard(out, *list.find(position), groupName);
    return out;
}

ImportSummary importVCards(std::string_view fileBytes, GroupList& into) {
    ImportSummary summary;
    PlaceholderReplacement placeholder(into);
    std::optional<CardBuilder> card;
    int depth = 0;  // cards inside a card (2.1's AGENT) are not entries of their own
    auto finishCard = [&] {
        ++summary.records;
        Entry entry = card->finish(summary.values);
        card.reset();
        if (entry.isEmpty()) {
            ++summary.blank;
            return;
        }
        into.pushFront(std::move(entry));
        ++summary.entries;
    };
    for (const std::string& line : contentLines(fileBytes)) {
        std::optional<Property> property = parseProperty(line);
        if (!property)
            continue;
        std::string value = upper(trimmed(property->value));
        if (property->name == "BEGIN" && value == "VCARD") {
            if (depth++ == 0)
                card.emplace();
        } else if (property->name == "END" && value == "VCARD") {
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
