#include "addressbook/transfer/table_file.h"

namespace ctlite::transfer {
namespace {

constexpr std::array<Field, kTableColumnCount> kCsvColumns = {
    Field::CompanyName,   Field::FirstName, Field::LastName,    Field::HomePhone,
    Field::WorkPhone,     Field::FaxNumber, Field::MobilePhone, Field::PagerNumber,
    Field::StreetAddress, Field::City,      Field::State,       Field::ZipCode,
    Field::EmailAddress,  Field::Homepage,  Field::Picture,     Field::Note,
};
constexpr std::array<Field, kTableColumnCount> kTabColumns = {
    Field::CompanyName,   Field::FirstName, Field::LastName,    Field::WorkPhone,
    Field::HomePhone,     Field::FaxNumber, Field::MobilePhone, Field::PagerNumber,
    Field::StreetAddress, Field::City,      Field::State,       Field::ZipCode,
    Field::EmailAddress,  Field::Homepage,  Field::Picture,     Field::Note,
};

constexpr std::size_t kNamedUncarried = 5;

bool carried(std::string_view value, TableFormat format) {
    if (format == TableFormat::Csv)
        return value.find('"') == std::string_view::npos;
    return value.find_first_of("\t\r\n") == std::string_view::npos;
}

// Text mode: a line feed goes to disk as carriage return and line feed.
void appendAsText(std::string& out, std::string_view value) {
    std::size_t from = 0;
    for (std::size_t lf = value.find('\n'); lf != std::string_view::npos;
         from = lf + 1, lf = value.find('\n', from)) {
        out.append(value, from, lf - from);
        out += "\r\n";
    }
    out.append(value, from);
}

void appendCsvValue(std::string& out, std::string_view value) {
    out += '"';
    if (value.find('"') == std::string_view::npos) {
        appendAsText(out, value);
    } else {
        std::string doubled;
        for (char c : value) {
            if (c == '"')
                doubled += '"';
            doubled += c;
        }
        appendAsText(out, doubled);
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

}  // namespace

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
    for (int i = 0; i < kTableColumnCount; ++i) {
        std::string_view value = entry.get(columns[i]);
        if (format == TableFormat::Csv) {
            if (i > 0)
                out += ',';
            appendCsvValue(out, value);
        } else {
            if (i > 0)
                out += '\t';
            appendTabValue(out, value);
        }
    }
    out += "\r\n";
}

std::string writeTable(const GroupList& list, TableFormat format) {
    std::string out;
    if (holdsOnlyThePlaceholder(list))
        return out;
    std::size_t estimate = 0;
    for (int position = 1; position <= list.count(); ++position)
        for (Field field : kCsvColumns)
            estimate += list.find(position)->get(field).size() + 3;
    out.reserve(estimate + 2 * static_cast<std::size_t>(list.count()));
    for (int position = 1; position <= list.count(); ++position)
        appendTableLine(out, *list.find(position), format);
    return out;
}

TableReader::TableReader(std::string_view fileBytes, TableFormat format) : format_(format) {
    // A byte-order mark is not text.
    if (fileBytes.substr(0, 3) == "\xEF\xBB\xBF")
        fileBytes.remove_prefix(3);
    // Read as text: carriage return and line feed are one line feed.
    text_.reserve(fileBytes.size());
    for (std::size_t i = 0; i < fileBytes.size(); ++i)
        if (!(fileBytes[i] == '\r' && i + 1 < fileBytes.size() && fileBytes[i + 1] == '\n'))
            text_ += fileBytes[i];
    std::size_t at = 0;
    while (at < text_.size()) {
        if (text_[at] == '\n') {  // a blank line
            ++at;
            continue;
        }
        starts_.push_back(at);
        at = readRecord(at, nullptr);
    }
}

void TableReader::record(int index, std::vector<std::string>& values) const {
    values.clear();
    if (index >= 0 && index < recordCount())
        readRecord(starts_[static_cast<std::size_t>(index)], &values);
}

std::size_t TableReader::readRecord(std::size_t at, std::vector<std::string>* values) const {
    for (;;) {
        std::string* value = nullptr;
        if (values) {
            values->emplace_back();
            value = &values->back();
        }
        at = readValue(at, value);
        if (at >= text_.size())
            return at;
        if (text_[at] == '\n')
            return at + 1;
    }
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
    std::size_t stop = at;
    while (stop < end && text_[stop] != delimiter && text_[stop] != '\n')
        ++stop;
    if (value)
        value->append(text_, at, stop - at);
    return stop < end && text_[stop] == delimiter ? stop + 1 : stop;
}

}  // namespace ctlite::transfer
