#include "tools/vxpack/toml_reader.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <tuple>

#include "platform/hex_digit.h"

namespace vortix::vxpack {

namespace fs = std::filesystem;

namespace {
constexpr std::uintmax_t kMaxTextFile = 16u << 20;
}  // namespace

std::size_t offsetOf(const toml::value& v) {
    auto* region = dynamic_cast<const toml::detail::region*>(toml::detail::get_region(v));
    if (region == nullptr)
        return SIZE_MAX;
    return static_cast<std::size_t>(region->first() - region->begin());
}

std::string sourceText(const toml::value& v) {
    const toml::detail::region_base* region = toml::detail::get_region(v);
    return region != nullptr && region->is_ok() ? region->str() : std::string();
}

std::vector<std::pair<std::string, const toml::value*>> inFileOrder(const toml::value& table) {
    std::vector<std::tuple<std::size_t, std::string, const toml::value*>> keyed;
    for (const auto& [key, value] : table.as_table())
        keyed.emplace_back(offsetOf(value), key, &value);
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::pair<std::string, const toml::value*>> entries;
    entries.reserve(keyed.size());
    for (auto& [offset, key, value] : keyed)
        entries.emplace_back(std::move(key), value);
    return entries;
}

const char* typeName(const toml::value& v) {
    switch (v.type()) {
        case toml::value_t::boolean: return "a boolean";
        case toml::value_t::integer: return "an integer";
        case toml::value_t::floating: return "a floating-point number";
        case toml::value_t::string: return "a string";
        case toml::value_t::offset_datetime:
        case toml::value_t::local_datetime:
        case toml::value_t::local_date:
        case toml::value_t::local_time: return "a date or time";
        case toml::value_t::array: return "an array";
        case toml::value_t::table: return "a table";
        default: return "nothing";
    }
}

Table::Table(Reader& reader, const toml::value& value, std::string what)
    : reader_(reader), value_(value), what_(std::move(what)) {
    if (!value.is_table())
        reader.refuse(value, "expected a table for " + what_ + ", found " + typeName(value));
}

// Letters to change, add or drop to turn one key into the other.
std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

const toml::value& Table::require(const std::string& key) {
    const toml::value* v = get(key);
    if (v != nullptr)
        return *v;
    // A key nobody has asked for that is nearly this one is most likely a typing slip.
    for (const auto& [other, value] : inFileOrder(value_)) {
        if (used_.count(other) == 0 && editDistance(other, key) <= 2)
            reader_.refuse(*value, "the key \"" + key + "\" is missing from " + what_ + " (is \"" +
                                       other + "\" a misspelling?)");
    }
    reader_.refuse(value_, "the key \"" + key + "\" is missing from " + what_);
}

std::string Table::text(const std::string& key, std::string fallback) {
    const toml::value* v = get(key);
    return v ? reader_.text(*v) : fallback;
}

std::string Table::requiredText(const std::string& key) {
    const toml::value& v = require(key);
    std::string s = reader_.text(v);
    if (s.empty())
        reader_.refuse(v, "\"" + key + "\" must not be empty");
    return s;
}

bool Table::flag(const std::string& key, bool fallback) {
    const toml::value* v = get(key);
    return v ? reader_.flag(*v) : fallback;
}

std::uint64_t Table::number(const std::string& key, std::uint64_t min, std::uint64_t max,
                            std::uint64_t fallback) {
    const toml::value* v = get(key);
    return v ? reader_.number(*v, min, max) : fallback;
}

std::uint32_t Table::choice(const std::string& key, const Names& names, std::uint32_t fallback) {
    const toml::value* v = get(key);
    return v ? reader_.choice(*v, names) : fallback;
}

void Table::refuseIfPresent(const std::string& key, const std::string& why) {
    if (const toml::value* v = get(key))
        reader_.refuse(*v, "\"" + key + "\" has no use " + why);
}

void Table::finish() {
    for (const auto& [key, v] : inFileOrder(value_)) {
        if (used_.count(key) == 0)
            reader_.refuse(*v, "unknown key \"" + key + "\" in " + what_);
    }
}

// Calls `each` for every table of the array `key` of `parent` (absent: none).
void forEachTable(Reader& reader, Table& parent, const std::string& key, const std::string& what,
                  const std::function<void(Table&)>& each) {
    const toml::value* array = parent.get(key);
    if (array == nullptr)
        return;
    reader.expect(*array, toml::value_t::array, "an array of tables");
    for (const toml::value& item : array->as_array()) {
        Table table(reader, item, what);
        each(table);
        table.finish();
    }
}

std::vector<std::string> textList(Reader& reader, const toml::value& v) {
    reader.expect(v, toml::value_t::array, "an array of strings");
    std::vector<std::string> out;
    for (const toml::value& item : v.as_array())
        out.push_back(reader.text(item));
    return out;
}

std::vector<std::string> pathList(Reader& reader, const toml::value& v) {
    reader.expect(v, toml::value_t::array, "an array of paths");
    std::vector<std::string> out;
    for (const toml::value& item : v.as_array())
        out.push_back(reader.existingFile(item));
    return out;
}

namespace {

// Whether the TOML integer `token` (sign, 0x/0o/0b prefix, underscores) lies within
// 64-bit signed range. A token that cannot be read here is left to toml11's verdict.
bool fitsIn64Bits(std::string_view token) {
    bool negative = false;
    if (!token.empty() && (token[0] == '+' || token[0] == '-')) {
        negative = token[0] == '-';
        token.remove_prefix(1);
    }
    unsigned base = 10;
    if (token.size() > 2 && token[0] == '0' &&
        std::string_view("xob").find(token[1]) != std::string_view::npos) {
        base = token[1] == 'x' ? 16 : token[1] == 'o' ? 8 : 2;
        token.remove_prefix(2);
    }
    const std::uint64_t limit = negative ? std::uint64_t(1) << 63 : (std::uint64_t(1) << 63) - 1;
    std::uint64_t value = 0;
    for (char c : token) {
        if (c == '_')
            continue;
        int digitValue = platform::hexDigitValue(c);
        if (digitValue < 0)
            return true;
        unsigned digit = static_cast<unsigned>(digitValue);
        if (digit >= base)
            return true;
        if (value > (limit - digit) / base)
            return false;
        value = value * base + digit;
    }
    return true;
}

}  // namespace

void refuseIntegersPast64Bits(const Reader& reader, const toml::value& v) {
    if (v.is_integer()) {
        std::string token = sourceText(v);
        if (!fitsIn64Bits(token))
            reader.refuse(v, "the integer " + token + " does not fit in 64 bits");
    } else if (v.is_array()) {
        for (const toml::value& item : v.as_array())
            refuseIntegersPast64Bits(reader, item);
    } else if (v.is_table()) {
        for (const auto& [key, item] : inFileOrder(v))  // the first in the file is named
            refuseIntegersPast64Bits(reader, *item);
    }
}

std::string Reader::hostPath(const toml::value& v) const {
    expect(v, toml::value_t::string, "a path");
    const std::string& given = v.as_string().str;
    if (given.empty())
        refuse(v, "the path is empty");
    try {
        fs::path path = fs::u8path(given);
        if (path.is_relative())
            path = folder_ / path;
        return path.lexically_normal().string();
    } catch (const std::exception&) {
        refuse(v, "the path \"" + given + "\" cannot be named on this system");
    }
}

std::string Reader::existingFile(const toml::value& v) const {
    std::string path = hostPath(v);
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        refuse(v, "the file \"" + path + "\" does not exist");
    inputs_.push_back(path);
    return path;
}

std::string Reader::textFile(const toml::value& v) const {
    std::string path = existingFile(v), bytes = fileBytes(v, path);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    std::string out, line, why;
    std::istringstream in(bytes);
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string converted;
        if (!platform::cp1252FromUtf8(line, converted, why))
            throw Refusal{path, number, why};
        out += converted;
        if (!in.eof())
            out += "\r\n";
    }
    return out;
}

std::string Reader::fileBytes(const toml::value& v, const std::string& path) const {
    std::error_code error;
    if (fs::file_size(path, error) > kMaxTextFile)
        refuse(v, "the file \"" + path + "\" is too large for a text");
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in)
        refuse(v, "the file \"" + path + "\" cannot be read");
    return bytes.str();
}

}  // namespace vortix::vxpack
