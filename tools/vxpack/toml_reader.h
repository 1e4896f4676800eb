// Strict reading of a parsed TOML description: every value is checked for its type
// and range as it is taken, strings become Windows-1252, host paths are resolved
// against the description's folder, and a table refuses the keys nobody asked for.
// Any refusal is thrown as a Refusal naming the file and line; parsePackageDescription
// turns it into a DescriptionProblem. Used only inside the description reader.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <toml.hpp>
#include <utility>
#include <vector>

#include "platform/windows1252.h"

namespace vortix::vxpack {

struct Refusal {
    std::string file;
    std::size_t line;
    std::string message;
};

// toml11 counts the lines up to a value each time its location is asked for, so
// only a refusal asks; the order of keys and the text of a value come from where
// the value stands in the description, which costs nothing.
inline std::size_t lineOf(const toml::value& v) {
    return v.location().line();
}
// Where a value starts in the description, in bytes (values toml11 made up, such as
// the tables of dotted keys, come last).
std::size_t offsetOf(const toml::value& v);
// A value as it is written in the description ("0x1F", "1_000").
std::string sourceText(const toml::value& v);

const char* typeName(const toml::value& v);

// toml11 keeps tables unordered; the author's order is the order in the file.
std::vector<std::pair<std::string, const toml::value*>> inFileOrder(const toml::value& table);

using Names = std::vector<std::pair<const char*, std::uint32_t>>;

inline const Names kRoots = {
    {"HKEY_CLASSES_ROOT", 0},  {"HKCR", 0}, {"HKEY_CURRENT_USER", 1}, {"HKCU", 1},
    {"HKEY_LOCAL_MACHINE", 2}, {"HKLM", 2}, {"HKEY_USERS", 3},        {"HKU", 3}};
constexpr std::uint32_t kRootHandleBase = 0x80000000u;

class Reader;

// One TOML table being read: hands out its keys and refuses the ones nobody took.
class Table {
public:
    Table(Reader& reader, const toml::value& value, std::string what);

    const toml::value* get(const std::string& key) {
        used_.insert(key);
        auto& table = value_.as_table();
        auto it = table.find(key);
        return it == table.end() ? nullptr : &it->second;
    }
    const toml::value& require(const std::string& key);
    bool has(const std::string& key) const { return value_.as_table().count(key) != 0; }

    std::string text(const std::string& key, std::string fallback = {});
    std::string requiredText(const std::string& key);
    bool flag(const std::string& key, bool fallback = false);
    std::uint64_t number(const std::string& key, std::uint64_t min, std::uint64_t max,
                         std::uint64_t fallback);
    std::uint32_t choice(const std::string& key, const Names& names, std::uint32_t fallback);

    // Refuses a key this table was given but has no use for in its present form.
    void refuseIfPresent(const std::string& key, const std::string& why);
    // Refuses the first key (in file order) that nobody asked for.
    void finish();

    const toml::value& value() const { return value_; }
    const std::string& what() const { return what_; }

private:
    Reader& reader_;
    const toml::value& value_;
    std::string what_;
    std::set<std::string> used_;
};

class Reader {
public:
    Reader(std::string file, std::filesystem::path folder)
        : file_(std::move(file)), folder_(std::move(folder)) {}

    [[noreturn]] void refuse(std::size_t line, const std::string& message) const {
        throw Refusal{file_, line, message};
    }
    [[noreturn]] void refuse(const toml::value& at, const std::string& message) const {
        refuse(lineOf(at), message);
    }
    void expect(const toml::value& v, toml::value_t type, const char* wanted) const {
        if (v.type() != type)
            refuse(v, std::string("expected ") + wanted + ", found " + typeName(v));
    }

    std::string text(const toml::value& v) const {
        expect(v, toml::value_t::string, "a string");
        return encode(v, v.as_string().str);
    }
    // A string, or an integer written as its decimal text.
    std::string textOrNumber(const toml::value& v) const {
        if (v.is_integer())
            return std::to_string(v.as_integer());
        if (!v.is_string())
            refuse(v, std::string("expected a string or an integer, found ") + typeName(v));
        return text(v);
    }
    std::string encode(const toml::value& at, const std::string& utf8) const {
        std::string out, why;
        if (!platform::cp1252FromUtf8(utf8, out, why))
            refuse(at, why);
        return out;
    }
    bool flag(const toml::value& v) const {
        expect(v, toml::value_t::boolean, "true or false");
        return v.as_boolean();
    }
    std::uint64_t number(const toml::value& v, std::uint64_t min, std::uint64_t max) const {
        expect(v, toml::value_t::integer, "an integer");
        auto n = v.as_integer();
        if (n < 0 || static_cast<std::uint64_t>(n) < min || static_cast<std::uint64_t>(n) > max)
            refuse(v, std::to_string(n) + " is out of range (" + std::to_string(min) + " to " +
                          std::to_string(max) + ")");
        return static_cast<std::uint64_t>(n);
    }
    std::uint32_t choice(const toml::value& v, const Names& names) const {
        expect(v, toml::value_t::string, "a string");
        const std::string& given = v.as_string().str;
        std::string known;
        for (const auto& [name, code] : names) {
            if (given == name)
                return code;
            known += std::string(known.empty() ? "" : ", ") + "\"" + name + "\"";
        }
        refuse(v, "unknown name \"" + given + "\" (known: " + known + ")");
    }
    // A number in range, or one of the names.
    std::uint32_t numberOrChoice(const toml::value& v, std::uint32_t max,
                                 const Names& names) const {
        return v.is_integer() ? static_cast<std::uint32_t>(number(v, 0, max)) : choice(v, names);
    }
    std::uint32_t root(const toml::value& v) const { return kRootHandleBase + choice(v, kRoots); }

    // A host path from the description, relative ones taken from its folder, in the
    // form the system's narrow file functions take.
    std::string hostPath(const toml::value& v) const;
    // As hostPath, for a file that must exist now. Every such file is an input of the
    // build and is remembered in inputs().
    std::string existingFile(const toml::value& v) const;

    // A text file named by `v`: UTF-8 to Windows-1252, line ends made CR LF.
    std::string textFile(const toml::value& v) const;
    std::string fileBytes(const toml::value& v, const std::string& path) const;

    const std::string& file() const { return file_; }
    // The host files the description has named so far, as resolved.
    const std::vector<std::string>& inputs() const { return inputs_; }

private:
    std::string file_;
    std::filesystem::path folder_;
    mutable std::vector<std::string> inputs_;
};

// Calls `each` for every table of the array `key` of `parent` (absent: none), and
// refuses keys nobody asked for in each.
void forEachTable(Reader& reader, Table& parent, const std::string& key, const std::string& what,
                  const std::function<void(Table&)>& each);
std::vector<std::string> textList(Reader& reader, const toml::value& v);
// Paths of files that must exist now.
std::vector<std::string> pathList(Reader& reader, const toml::value& v);
// toml11 clamps a decimal, octal or hexadecimal integer past 64 bits to the nearest
// limit and lets a binary one wrap, without a word. Every integer under `v` is read
// again from its text, and one that does not fit is refused at its line.
void refuseIntegersPast64Bits(const Reader& reader, const toml::value& v);

}  // namespace vortix::vxpack
