// Package descriptions are TOML, read with toml11. A description is written and
// reviewed by people, often in a diff: TOML reads like an INI file, yet has what a
// package needs — tables for nested settings and registry trees, arrays of tables for
// item lists, real integers, booleans and datetimes. toml11 keeps the file and line of
// every value, so each refusal below can name the line at fault, and it is header-only
// and packaged by Debian, so the native and Windows trees build the same copy.
//
// Every table is read through Table, which remembers the keys it handed out: a key
// nobody asked for is refused, so a misspelt setting never silently falls back to its
// default.

#include "tools/vxpack/description.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <toml.hpp>
#include <tuple>
#include <utility>

#include "installer/common/uninstaller_name.h"
#include "installer/package/package_format.h"
#include "installer/package/page_templates.h"
#include "installer/package/system_requirements.h"
#include "installer/setup/variables/processor_type.h"
#include "platform/whole_file.h"
#include "platform/windows1252.h"
#include "tools/vxpack/language_file.h"
#include "tools/vxpack/pe_version.h"
#include "tools/vxpack/toml_reader.h"

namespace vortix {
namespace {

namespace fs = std::filesystem;
using namespace vxpack;

constexpr std::uint64_t kSecondsFrom1601To1970 = 11644473600ull;
// A component's size, given or added up.
constexpr std::uint64_t kLargestSize = UINT64_MAX >> 1;
// A description of tens of thousands of files is a few MiB; the parser holds many
// times the text's size, so a larger one (or an endless device) is refused unread.
constexpr std::size_t kMaxDescription = 8u << 20;
constexpr std::uint64_t kMinVolumeSize = 4096;

const Names kStages = {{"language", 1},         {"welcome", 2},     {"licence", 3},
                       {"license", 3},          {"information", 4}, {"system_information", 5},
                       {"user_information", 6}, {"destination", 7}, {"program_folder", 8},
                       {"install_type", 9},     {"components", 10}, {"summary", 11},
                       {"progress", 12},        {"finish", 13}};

const Names kPages = {{"language", kPageLanguage},
                      {"welcome", kPageWelcome},
                      {"licence", kPageLicence},
                      {"license", kPageLicence},
                      {"information", kPageInformation},
                      {"system_information", kPageSystemInformation},
                      {"user_information", kPageUserInformation},
                      {"destination", kPageDestination},
                      {"program_folder", kPageProgramFolder},
                      {"install_type", kPageInstallType},
                      {"components", kPageComponents},
                      {"summary", kPageSummary},
                      {"finish", kPageFinish}};

// ---------------------------------------------------------------- conditions

Condition readCondition(Reader& reader, const toml::value& v) {
    Table table(reader, v, "the condition");
    Condition condition;
    if (const toml::value* systems = table.get("systems")) {
        static const Names kSystems = {
            {"any", kAnySystem}, {"95", kSystemWin95}, {"98", kSystemWin98}, {"me", kSystemWinMe},
            {"nt4", kSystemNt4}, {"nt5", kSystemNt5},  {"nt", kAllNtFamily}, {"9x", kAll95Family}};
        reader.expect(*systems, toml::value_t::array, "an array of system names");
        if (systems->as_array().empty())
            reader.refuse(*systems, "an empty list of systems allows the item nowhere");
        condition.options = 0;
        for (const toml::value& name : systems->as_array())
            condition.options |= reader.choice(name, kSystems);
    }
    if (table.choice("join", {{"and", 0}, {"or", 1}}, 0) != 0)
        condition.options |= kJoinByOr;
    if (const toml::value* comparisons = table.get("comparisons")) {
        static const Names kOperators = {{"==", 0},
                                         {"!=", 1},
                                         {">", 2},
                                         {"<", 3},
                                         {">=", 4},
                                         {"<=", 5},
                                         {"&", 6},
                                         {"equal", 0},
                                         {"not_equal", 1},
                                         {"greater", 2},
                                         {"less", 3},
                                         {"greater_or_equal", 4},
                                         {"less_or_equal", 5},
                                         {"bit_test", 6}};
        reader.expect(*comparisons, toml::value_t::array, "an array of comparisons");
        for (const toml::value& item : comparisons->as_array()) {
            Table c(reader, item, "a comparison");
            Comparison comparison;
            comparison.left = reader.textOrNumber(c.require("left"));
            comparison.op = reader.choice(c.require("op"), kOperators);
            comparison.right = reader.textOrNumber(c.require("right"));
            c.finish();
            condition.comparisons.push_back(std::move(comparison));
        }
    }
    table.finish();
    return condition;
}

Condition conditionOf(Reader& reader, Table& table) {
    const toml::value* v = table.get("condition");
    return v ? readCondition(reader, *v) : Condition{};
}

// ---------------------------------------------------------------- registry

bool isDecimal(const std::string& s, std::uint64_t max) {
    if (s.empty() || s.size() > 10)
        return false;
    std::uint64_t n = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return n <= max;
}

bool isHexPairs(const std::string& s) {
    auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    if (s.empty())
        return true;
    if (s.size() % 3 != 2)
        return false;
    for (std::size_t i = 0; i < s.size(); i += 3) {
        if (!hex(s[i]) || !hex(s[i + 1]))
            return false;
    }
    return true;
}

RegistryItemValue readRegistryValue(Reader& reader, const toml::value& v) {
    Table table(reader, v, "a registry value");
    RegistryItemValue value;
    value.name = table.text("name");
    value.type = table.choice("type",
                              {{"binary", kRegBinary},
                               {"dword", kRegDword},
                               {"string", kRegString},
                               {"multi_string", kRegMultiString}},
                              kRegString);
    const toml::value& data = table.require("data");
    bool variable = false;
    switch (value.type) {
        case kRegBinary:
            if (data.is_array()) {
                for (const toml::value& byte : data.as_array()) {
                    char pair[4];
                    std::snprintf(pair, sizeof pair, "%02X",
                                  static_cast<unsigned>(reader.number(byte, 0, 255)));
                    value.data += std::string(value.data.empty() ? "" : " ") + pair;
                }
            } else {
                value.data = reader.text(data);
                variable = value.data.find('<') != std::string::npos;
                if (!variable && !isHexPairs(value.data))
                    reader.refuse(data,
                                  "binary data is pairs of hexadecimal digits, one "
                                  "separator between pairs (\"01 A0 FF\")");
            }
            break;
        case kRegDword:
            value.data = reader.textOrNumber(data);
            variable = value.data.find('<') != std::string::npos;
            if (!variable && !isDecimal(value.data, 0xFFFFFFFFu))
                reader.refuse(data, "a dword is a decimal number from 0 to 4294967295");
            break;
        case kRegMultiString:
            if (data.is_array()) {
                for (const std::string& s : textList(reader, data))
                    value.data += s + "<\\0>";
                break;
            }
            value.data = reader.text(data);
            break;
        default: value.data = reader.text(data); break;
    }
    value.condition = conditionOf(reader, table);
    table.finish();
    return value;
}

void checkKeyName(Reader& reader, const toml::value& at, const std::string& name) {
    if (name.empty() || name.front() == '\\' || name.back() == '\\')
        reader.refuse(at,
                      "a registry key path is not empty and neither starts nor ends with "
                      "a backslash (\"" +
                          name + "\")");
}

RegistryItemKey readRegistryKey(Reader& reader, const std::string& name, const toml::value& v) {
    Table table(reader, v,
                "the registry key \"" + name + "\" (it holds \"values\" and \"subkeys\")");
    RegistryItemKey key;
    key.name = reader.encode(v, name);
    checkKeyName(reader, v, key.name);
    if (const toml::value* values = table.get("values")) {
        reader.expect(*values, toml::value_t::array, "an array of registry values");
        for (const toml::value& item : values->as_array())
            key.values.push_back(readRegistryValue(reader, item));
    }
    if (const toml::value* subkeys = table.get("subkeys")) {
        Table sub(reader, *subkeys, "the subkeys of \"" + name + "\"");
        for (const auto& [subname, subvalue] : inFileOrder(*subkeys)) {
            sub.get(subname);
            key.subkeys.push_back(readRegistryKey(reader, subname, *subvalue));
        }
    }
    table.finish();
    return key;
}

void readRegistry(Reader& reader, const toml::value& v, RegistryItems& roots) {
    Table table(reader, v, "[registry]");
    for (const auto& [rootName, rootValue] : inFileOrder(v)) {
        table.get(rootName);
        const std::string& name = rootName;
        auto found = std::find_if(kRoots.begin(), kRoots.end(),
                                  [&](const auto& r) { return name == r.first; });
        if (found == kRoots.end())
            reader.refuse(*rootValue,
                          "unknown registry root \"" + rootName +
                              "\" (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, "
                              "HKEY_LOCAL_MACHINE, HKEY_USERS or HKCR, HKCU, HKLM, HKU)");
        Table root(reader, *rootValue, "the registry root " + rootName);
        for (const auto& [keyName, keyValue] : inFileOrder(*rootValue)) {
            root.get(keyName);
            roots[found->second].subkeys.push_back(readRegistryKey(reader, keyName, *keyValue));
        }
    }
}

// ---------------------------------------------------------------- other items

ShortcutItem readShortcut(Reader& reader, Table& t) {
    ShortcutItem item;
    item.target = t.requiredText("target");
    item.shortcutFile = t.requiredText("file");
    item.arguments = t.text("arguments");
    item.workingDirectory = t.text("working_dir");
    item.icon = t.text("icon");
    if (const toml::value* index = t.get("icon_index")) {
        if (item.icon.empty())
            reader.refuse(*index, "\"icon_index\" needs an \"icon\" file");
        item.icon += "," + std::to_string(reader.number(*index, 0, 9));
    } else if (!item.icon.empty()) {
        item.icon += ",0";
    }
    item.condition = conditionOf(reader, t);
    return item;
}

IniItem readIni(Reader& reader, Table& t) {
    IniItem item;
    item.file = t.requiredText("file");
    item.section = t.requiredText("section");
    const toml::value& key = t.require("key");
    std::string name = reader.text(key);
    if (name.empty() || name.find('=') != std::string::npos)
        reader.refuse(key, "an INI key name is not empty and holds no \"=\"");
    const toml::value* value = t.get("value");
    item.keyAndValue = name + "=" + (value ? reader.textOrNumber(*value) : std::string());
    item.condition = conditionOf(reader, t);
    return item;
}

TextEditItem readTextEdit(Reader& reader, Table& t) {
    TextEditItem item;
    item.mode = t.choice("mode",
                         {{"insert_at_start", 0},
                          {"append", 1},
                          {"append_to_anchor_line", 2},
                          {"delete_anchor_line", 3},
                          {"insert_after_anchor", 4},
                          {"insert_before_anchor", 5}},
                         1);
    item.file = t.requiredText("file");
    if (item.mode >= 2)
        item.anchor = t.requiredText("anchor");
    else
        t.refuseIfPresent("anchor", "when the mode names no anchor line");
    if (item.mode == 3)
        t.refuseIfPresent("text", "when the anchor line is deleted");
    else
        item.text = reader.text(t.require("text"));
    item.condition = conditionOf(reader, t);
    return item;
}

std::uint32_t stageOf(Reader& reader, Table& t) {
    const toml::value* v = t.get("stage");
    if (v == nullptr)
        return 12;
    std::uint32_t stage = reader.numberOrChoice(*v, 13, kStages);
    if (stage == 0)
        reader.refuse(*v, "stages are numbered 1 to 13");
    return stage;
}

StageFileOperation readStageFile(Reader& reader, Table& t) {
    StageFileOperation item;
    item.stage = stageOf(reader, t);
    item.action = t.choice("action", {{"copy", 0}, {"move", 1}, {"delete", 2}, {"rename", 3}}, 0);
    item.source = t.requiredText("source");
    if (item.action == static_cast<std::uint32_t>(StageFileAction::Delete))
        t.refuseIfPresent("target", "when a file is deleted");
    else
        item.target = t.requiredText("target");
    item.condition = conditionOf(reader, t);
    return item;
}

StageOpenItem readStageOpen(Reader& reader, Table& t) {
    StageOpenItem item;
    item.stage = stageOf(reader, t);
    if (const toml::value* verb = t.get("verb")) {
        item.verb = reader.choice(*verb, {{"open", 0}, {"explore", 1}}) ? "explore" : "open";
    }
    item.path = t.requiredText("path");
    item.parameters = t.text("parameters");
    item.condition = conditionOf(reader, t);
    return item;
}

UserVariable readVariable(Reader& reader, Table& t, std::set<std::string>& names) {
    UserVariable var;
    const toml::value& name = t.require("name");
    var.name = reader.text(name);
    if (var.name.size() < 3 || var.name.front() != '<' || var.name.back() != '>' ||
        var.name.find_first_of("<>", 1) != var.name.size() - 1)
        reader.refuse(name, "a variable's name is written with its brackets, as \"<Name>\"");
    if (!names.insert(var.name).second)
        reader.refuse(name, "the variable " + var.name + " is declared twice");
    var.kind = static_cast<UserVariableKind>(
        t.choice("kind", {{"text", 0}, {"number", 1}, {"settable_number", 2}}, 0));
    var.source = static_cast<UserVariableSource>(
        t.choice("source", {{"none", 0}, {"registry", 1}, {"ini", 2}, {"file_search", 3}}, 0));
    if (const toml::value* fallback = t.get("default"))
        var.defaultText = reader.textOrNumber(*fallback);
    bool numeric = var.kind != UserVariableKind::Text;
    auto numericOption = [&](const char* key, std::uint32_t bit) {
        if (!numeric)
            t.refuseIfPresent(key, "for a text variable");
        else if (t.flag(key))
            var.options |= bit;
    };
    switch (var.source) {
        case UserVariableSource::Registry:
            var.field1 = std::to_string(reader.root(t.require("root")));
            var.field2 = t.requiredText("key");
            var.field3 = t.text("value");
            numericOption("key_exists", kVarKeyExists);
            numericOption("value_exists", kVarValueExists);
            break;
        case UserVariableSource::IniFile:
            var.field1 = t.requiredText("file");
            var.field2 = t.requiredText("section");
            var.field3 = t.requiredText("key");
            numericOption("presence", kVarPresence);
            break;
        case UserVariableSource::FileSearch:
            var.field1 = t.requiredText("file");
            if (const toml::value* dirs = t.get("directories")) {
                for (const std::string& dir : textList(reader, *dirs))
                    var.field2 += std::string(var.field2.empty() ? "" : "<\\0>") + dir;
            }
            if (t.flag("drive_only"))
                var.options |= kVarDriveOnly;
            if (t.flag("no_drive_search"))
                var.options |= kVarNoDriveSearch;
            break;
        default: break;
    }
    return var;
}

// ---------------------------------------------------------------- components

// A text given plainly, or per language as { 1033 = "...", 1031 = "..." }.
std::string multilingualText(Reader& reader, const toml::value& v) {
    if (!v.is_table())
        return reader.text(v);
    std::string out;
    for (const auto& [id, text] : inFileOrder(v)) {
        if (!isDecimal(id, 0xFFFF))
            reader.refuse(*text, "\"" + id + "\" is not a language identifier (0 to 65535)");
        out += "<LangID=" + id + ">" + reader.text(*text) + "</LangID=" + id + ">";
    }
    return out;
}

struct ComponentIndex {
    std::map<std::string, std::uint32_t> ids;  // id → index in pre-order
    std::vector<bool> sizeGiven;
};

Component readComponent(Reader& reader, Table& t, ComponentIndex& index, std::uint32_t position) {
    Component c;
    if (const toml::value* id = t.get("id")) {
        std::string name = reader.text(*id);
        if (!index.ids.emplace(name, position).second)
            reader.refuse(*id, "the component id \"" + name + "\" is used twice");
    }
    c.name = multilingualText(reader, t.require("name"));
    if (const toml::value* description = t.get("description"))
        c.description = multilingualText(reader, *description);
    if (t.flag("fixed"))
        c.flags |= kComponentFixed;
    if (t.flag("selected"))
        c.flags |= kComponentSelected;
    if (const toml::value* further = t.get("further")) {
        reader.expect(*further, toml::value_t::array, "an array of up to three integers");
        if (further->as_array().size() > 3)
            reader.refuse(*further, "a component has three further numbers");
        for (std::size_t i = 0; i < further->as_array().size(); ++i)
            c.further[i] =
                static_cast<std::uint32_t>(reader.number(further->as_array()[i], 0, 0xFFFFFFFFu));
    }
    c.size = t.number("size", 0, kLargestSize, 0);
    return c;
}

// Reads the array `key` of components into `out`, depth first. The index numbers
// components in that same order (pre-order), which is how files name them.
void readComponents(Reader& reader, Table& parent, const std::string& key,
                    std::vector<Component>& out, ComponentIndex& index) {
    forEachTable(reader, parent, key, "a component", [&](Table& t) {
        bool sized = t.has("size");
        // Numbered as met: this one before its children.
        out.push_back(
            readComponent(reader, t, index, static_cast<std::uint32_t>(index.sizeGiven.size())));
        index.sizeGiven.push_back(sized);
        std::vector<Component> children;
        readComponents(reader, t, "children", children, index);
        out.back().children = std::move(children);
    });
}

// ---------------------------------------------------------------- files

std::uint64_t filetimeFromUnix(std::int64_t seconds, std::uint32_t hundredNs = 0) {
    return (static_cast<std::uint64_t>(seconds +
                                       static_cast<std::int64_t>(kSecondsFrom1601To1970)) *
            10000000ull) +
           hundredNs;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::uint64_t sourceWriteTime(Reader& reader, const toml::value& at, const std::string& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        reader.refuse(at, "cannot read the time of \"" + path + "\"");
    return filetimeFromUnix(static_cast<std::int64_t>(info.st_mtime));
}

// "none", "source" (the source file's last-write time) or a datetime with its offset.
FileTime readTime(Reader& reader, const toml::value* v, const std::string& source,
                  const toml::value& sourceAt, bool fromSourceByDefault) {
    FileTime time;
    if (v == nullptr || v->is_string()) {
        std::uint32_t which = fromSourceByDefault ? 1 : 0;
        if (v != nullptr)
            which = reader.choice(*v, {{"none", 0}, {"source", 1}});
        if (which == 1) {
            if (source.empty())
                reader.refuse(v ? *v : sourceAt,
                              "an external file has no source to take a time from");
            time.set = true;
            time.value = sourceWriteTime(reader, sourceAt, source);
        }
        return time;
    }
    if (v->is_local_datetime() || v->is_local_date())
        reader.refuse(*v, "give the time with its offset from UTC (\"Z\" for UTC itself)");
    reader.expect(*v, toml::value_t::offset_datetime, "\"none\", \"source\" or a date and time");
    const toml::offset_datetime& dt = v->as_offset_datetime();
    std::int64_t seconds = daysFromCivil(dt.date.year, dt.date.month + 1u, dt.date.day) * 86400 +
                           dt.time.hour * 3600 + dt.time.minute * 60 + dt.time.second -
                           (dt.offset.hour * 3600 + dt.offset.minute * 60);
    if (seconds < -static_cast<std::int64_t>(kSecondsFrom1601To1970))
        reader.refuse(*v, "file times start in 1601");
    std::uint32_t fraction =
        dt.time.millisecond * 10000u + dt.time.microsecond * 10u + dt.time.nanosecond / 100u;
    time.set = true;
    time.value = filetimeFromUnix(seconds, fraction);
    return time;
}

void readVersionText(Reader& reader, const toml::value& v, PackagedFile& record) {
    std::string text = v.as_string().str;
    std::uint32_t parts[4] = {0, 0, 0, 0};
    std::size_t count = 0, pos = 0;
    while (true) {
        std::size_t dot = text.find('.', pos);
        std::string part =
            text.substr(pos, dot == std::string::npos ? std::string::npos : dot - pos);
        if (count == 4 || !isDecimal(part, 0xFFFF))
            reader.refuse(v,
                          "a version is one to four numbers from 0 to 65535 joined by dots "
                          "(\"1.2.3.4\"), or \"source\" or \"none\"");
        parts[count++] = static_cast<std::uint32_t>(std::stoul(part));
        if (dot == std::string::npos)
            break;
        pos = dot + 1;
    }
    record.versionHigh = parts[0] << 16 | parts[1];
    record.versionLow = parts[2] << 16 | parts[3];
}

PackageContents::File readFile(Reader& reader, Table& t, const ComponentIndex& components,
                               std::size_t componentCount) {
    PackageContents::File file;
    PackagedFile& record = file.record;
    record.storage = static_cast<FileStorage>(
        t.choice("storage", {{"compressed", 0}, {"stored", 1}, {"external", 2}}, 0));
    bool external = record.storage == FileStorage::External;
    const toml::value& source = t.require("source");
    std::string hostSource;  // empty for an external file: nothing on the host to read
    if (external) {
        file.source = reader.text(source);
        if (file.source.empty())
            reader.refuse(source, "the name of the external file is empty");
    } else {
        hostSource = file.source = reader.existingFile(source);
        std::error_code error;
        std::uintmax_t size = fs::file_size(hostSource, error);
        if (error || size > 0xFFFFFFFFu)
            reader.refuse(source, "a packaged file holds at most 4 GB - 1 bytes");
        record.originalSize = static_cast<std::uint32_t>(size);
    }
    record.target = t.requiredText("target");
    record.created = readTime(reader, t.get("created"), hostSource, source, false);
    record.lastWritten = readTime(reader, t.get("modified"), hostSource, source, !external);

    record.attributes = kAttributeArchive;
    if (const toml::value* attributes = t.get("attributes")) {
        reader.expect(*attributes, toml::value_t::array, "an array of attribute names");
        record.attributes = 0;
        for (const toml::value& name : attributes->as_array())
            record.attributes |= reader.choice(name, {{"read_only", kAttributeReadOnly},
                                                      {"hidden", kAttributeHidden},
                                                      {"archive", kAttributeArchive}});
    }

    // The version and language come from the source's version resource unless given.
    const toml::value* version = t.get("version");
    const toml::value* language = t.get("language");
    bool versionFromSource = version == nullptr
                                 ? !external
                                 : version->is_string() && version->as_string().str == "source";
    bool languageFromSource = language == nullptr
                                  ? versionFromSource
                                  : language->is_string() && language->as_string().str == "source";
    if (versionFromSource || languageFromSource) {
        const toml::value& at = version && versionFromSource     ? *version
                                : language && languageFromSource ? *language
                                                                 : source;
        if (external)
            reader.refuse(at, "an external file has no source to read a version from");
        FileVersion found;
        std::string why;
        bool read = readFileVersion(hostSource, found, why);
        bool asked = (version && versionFromSource) || (language && languageFromSource);
        if (!read && asked)
            reader.refuse(at, "\"" + hostSource + "\": " + why);
        if (read) {
            if (versionFromSource) {
                record.versionHigh = found.high;
                record.versionLow = found.low;
            }
            if (languageFromSource)
                record.language = found.language;
        }
    }
    if (version && !versionFromSource) {
        reader.expect(*version, toml::value_t::string, "a version string");
        if (version->as_string().str != "none")
            readVersionText(reader, *version, record);
    }
    if (language && !languageFromSource)
        record.language = static_cast<std::uint32_t>(reader.number(*language, 0, 0xFFFF));

    if (t.flag("compare_versions"))
        record.options |= kFileCompareVersions;
    if (t.flag("shared"))
        record.options |= kFileShared;
    if (t.flag("register"))
        record.options |= kFileRegisterActiveX;
    if (t.flag("no_log"))
        record.options |= kFileNoLog;

    if (const toml::value* component = t.get("component")) {
        if (component->is_string()) {
            auto it = components.ids.find(component->as_string().str);
            if (it == components.ids.end())
                reader.refuse(*component,
                              "no component has the id \"" + component->as_string().str + "\"");
            record.component = it->second;
        } else {
            if (componentCount == 0)
                reader.refuse(*component, "the description has no components");
            record.component =
                static_cast<std::uint32_t>(reader.number(*component, 0, componentCount - 1));
        }
    }
    record.typeMask = static_cast<std::uint32_t>(t.number("type_mask", 0, 0xFFFFFFFFu, 1));
    record.condition = conditionOf(reader, t);
    return file;
}

// ---------------------------------------------------------------- settings

RegistryLocation readLocation(Reader& reader, const toml::value& v, const std::string& what) {
    Table t(reader, v, what);
    RegistryLocation location;
    location.root = reader.root(t.require("root"));
    location.keyPath = t.requiredText("key");
    location.valueName = t.text("value");
    t.finish();
    return location;
}

// A text with at most one "%s" (the product name) and no other conversion.
std::string productPattern(Reader& reader, Table& t, const std::string& key) {
    const toml::value* v = t.get(key);
    if (v == nullptr)
        return {};
    std::string text = reader.text(*v);
    std::string conversions = conversionsOf(text);
    if (conversions != "" && conversions != "s")
        reader.refuse(*v, "\"" + key +
                              "\" may hold one %s (the product name) and no other "
                              "conversion; write %% for a percent sign");
    return text;
}

// The licence or information text: one file, or one per language as { 1033 = "..." }.
std::string pageText(Reader& reader, const toml::value& v) {
    if (!v.is_table())
        return reader.textFile(v);
    std::string out;
    for (const auto& [id, file] : inFileOrder(v)) {
        if (!isDecimal(id, 0xFFFF))
            reader.refuse(*file, "\"" + id + "\" is not a language identifier (0 to 65535)");
        // The page skips the line end after the opening tag.
        out += "<LangID=" + id + ">\r\n" + reader.textFile(*file) + "</LangID=" + id + ">\r\n";
    }
    return out;
}

void readSettings(Reader& reader, Table& t, PackageContents& out) {
    PackageSettings& s = out.script.settings;
    s.productName = t.requiredText("product");
    s.windowTitle = t.text("window_title", s.productName);
    s.installDirectory = t.text("install_dir");
    s.shortcutFolder = t.text("shortcut_folder");
    s.preUninstallProgram = t.text("pre_uninstall_program");
    s.languageCaption = t.text("language_caption");
    s.languagePrompt = t.text("language_prompt");
    s.finishText = productPattern(reader, t, "finish_text");
    s.updateFinishText = productPattern(reader, t, "update_finish_text");

    if (const toml::value* pages = t.get("pages")) {
        reader.expect(*pages, toml::value_t::array, "an array of page names");
        for (const toml::value& page : pages->as_array())
            s.pages |= reader.choice(page, kPages);
    }
    s.windowStyle = static_cast<WindowStyle>(t.choice("window",
                                                      {{"overlapped", 0},
                                                       {"popup_caption", 1},
                                                       {"work_area", 2},
                                                       {"full_screen", 3},
                                                       {"no_background", 4}},
                                                      4));
    if (const toml::value* mode = t.get("overwrite"))
        s.overwriteMode = reader.numberOrChoice(*mode, 6,
                                                {{"always", 0},
                                                 {"ask", 1},
                                                 {"never", 2},
                                                 {"older", 4},
                                                 {"by_date", 5},
                                                 {"ask_if_newer", 6}});

    static const std::pair<const char*, std::uint32_t> kFlags[] = {
        {"backup", kOptionBackup},
        {"replace_at_restart", kOptionReplaceAtRestart},
        {"confirm", kOptionConfirm},
        {"uninstall_shortcut", kOptionUninstallShortcut},
        {"open_shortcut_folder", kOptionOpenShortcutFolder},
        {"decode_mp3", kOptionDecodeMp3},
        {"convert_jpeg", kOptionConvertJpeg},
        {"restart_needed", kOptionRestart},
        {"insist_on_restart", kOptionInsistOnRestart},
        {"restart_when_silent", kOptionSilentRestart},
        {"all_users_shortcuts", kOptionAllUsersShortcuts},
        {"plain_text_licence", kOptionPlainTextLicence},
    };
    s.options = t.flag("create_uninstaller", true) ? kOptionCreateUninstaller : 0;
    for (const auto& [key, bit] : kFlags) {
        if (t.flag(key))
            s.options |= bit;
    }
    static const Names kField = {{"hidden", 0}, {"shown", 1}, {"required", 3}};
    std::uint32_t name = t.choice("user_name", kField, 0);
    std::uint32_t company = t.choice("user_company", kField, 0);
    s.options |= (name & 1 ? kOptionShowUserName : 0) | (name & 2 ? kOptionRequireUserName : 0) |
                 (company & 1 ? kOptionShowUserCompany : 0) |
                 (company & 2 ? kOptionRequireUserCompany : 0);

    if (const toml::value* marker = t.get("marker"))
        s.marker = readLocation(reader, *marker, "[package.marker]");
    if (const toml::value* source = t.get("destination_from_registry")) {
        s.destinationSource = readLocation(reader, *source, "[package.destination_from_registry]");
        s.options |= kOptionDestinationFromRegistry;
    }
    if (const toml::value* update = t.get("update")) {
        Table u(reader, *update, "[package.update]");
        s.options |= kOptionUpdate;
        if (const toml::value* from = u.get("from")) {
            if (from->is_array()) {
                std::vector<std::string> versions = textList(reader, *from);
                if (versions.empty())
                    reader.refuse(*from, "the list of versions to update from is empty");
                for (const std::string& version : versions) {
                    if (version.empty() || version.find('|') != std::string::npos)
                        reader.refuse(*from, "a listed version is not empty and holds no \"|\"");
                    s.fromVersion += (s.fromVersion.empty() ? "" : "|") + version;
                }
                s.options |= kOptionVersionList;
            } else {
                s.fromVersion = reader.text(*from);
            }
        }
        s.toVersion = u.text("to");
        u.finish();
        // Setup looks for the installed product (and its version) at the marker.
        if (s.marker.keyPath.empty())
            reader.refuse(*update,
                          "an update needs [package.marker] to find the installed product");
        if (!s.fromVersion.empty() && s.marker.valueName.empty())
            reader.refuse(*update,
                          "\"from\" needs the [package.marker] value that holds the installed "
                          "version");
    }

    std::size_t afterCount = 0;
    forEachTable(reader, t, "after_install", "[[package.after_install]]", [&](Table& a) {
        if (afterCount == s.afterInstall.size())
            reader.refuse(a.value(), "a package opens at most two items after installing");
        AfterInstallItem& item = s.afterInstall[afterCount++];
        item.path = a.requiredText("path");
        item.shown = a.flag("shown");
        item.checked = a.flag("checked");
        item.silentOpen = a.flag("open_when_silent");
    });
    std::size_t typeCount = 0;
    forEachTable(reader, t, "install_types", "[[package.install_types]]", [&](Table& a) {
        if (typeCount == s.installTypes.size())
            reader.refuse(a.value(), "a package has at most three installation types");
        InstallType& type = s.installTypes[typeCount++];
        type.caption = multilingualText(reader, a.require("caption"));
        if (const toml::value* description = a.get("description"))
            type.description = multilingualText(reader, *description);
    });
    if (const toml::value* summary = t.get("summary")) {
        Table a(reader, *summary, "[package.summary]");
        SummaryLabels& l = s.summary;
        l.heading = a.text("heading");
        l.type = a.text("type");
        l.components = a.text("components");
        l.requiredSpace = a.text("required_space");
        l.availableSpace = a.text("available_space");
        l.destination = a.text("destination");
        l.programFolder = a.text("program_folder");
        a.finish();
    }
    if (const toml::value* licence = t.get("licence"))
        out.licenceText = pageText(reader, *licence);
    if (const toml::value* information = t.get("information"))
        out.informationText = pageText(reader, *information);
    // A few kilobytes at least: smaller volumes only make a file for every handful of
    // bytes, which no medium needs.
    if (const toml::value* size = t.get("volume_size")) {
        out.volumeSize = reader.number(*size, 0, UINT64_MAX >> 1);
        if (out.volumeSize != 0 && out.volumeSize < kMinVolumeSize)
            reader.refuse(*size, "volume_size must be 0 (one file) or at least " +
                                     std::to_string(kMinVolumeSize) + " bytes");
    }
}

void readLanguages(Reader& reader, Table& top, const toml::value* defaultName,
                   PackageContents& out) {
    std::vector<std::string> files;
    forEachTable(reader, top, "languages", "[[languages]]", [&](Table& t) {
        LanguageSet set;
        set.name = t.requiredText("name");
        set.identifier = static_cast<std::uint32_t>(t.number("id", 0, 0xFFFF, 0x409));
        const toml::value& file = t.require("file");
        std::string path = reader.existingFile(file);
        LanguageFileProblem problem;
        if (!readLanguageEntries(reader.fileBytes(file, path), set.lines, problem) ||
            !checkLanguageEntries(set.lines, problem))
            throw Refusal{path, problem.line, problem.message};
        files.push_back(reader.text(file));
        out.languages.push_back(std::move(set));
    });
    if (out.languages.empty())
        reader.refuse(top.value(),
                      "the description names no [[languages]]; a package needs at "
                      "least one language set");
    if (defaultName != nullptr) {
        std::string wanted = reader.text(*defaultName);
        std::size_t i = 0;
        while (i < files.size() && files[i] != wanted && out.languages[i].name != wanted)
            ++i;
        if (i == files.size())
            reader.refuse(*defaultName, "no language set has the name or file \"" + wanted + "\"");
        out.defaultLanguage = static_cast<std::uint32_t>(i);
    }
}

// ---------------------------------------------------------------- requirements

const Names kRequirementRows = {{"operating_system", kRowOperatingSystem},
                                {"memory", kRowMemory},
                                {"processor", kRowProcessor},
                                {"disk_space", kRowDiskSpace},
                                {"directx", kRowDirectX},
                                {"display_mode", kRowDisplayMode},
                                {"wave_output", kRowWaveOutput},
                                {"midi_output", kRowMidiOutput},
                                {"joystick", kRowJoystick},
                                {"display_adapters", kRowDisplayAdapters},
                                {"installed_software", kRowInstalledSoftware}};

// Any processor of a vendor has a code of its own here, past every type code.
constexpr std::uint32_t kAnyIntelProcessor = 0xFFFFFFF0u, kAnyAmdProcessor = 0xFFFFFFF1u;
const Names kProcessors = {{"486", kCpuIntel486},
                           {"pentium", kCpuPentium},
                           {"pentium_pro", kCpuPentiumPro},
                           {"pentium_ii", kCpuPentiumII},
                           {"celeron", kCpuCeleron},
                           {"pentium_iii", kCpuPentiumIII},
                           {"k5", kCpuAmdK5},
                           {"k6_2", kCpuAmdK6_2},
                           {"k6_3", kCpuAmdK6_3},
                           {"athlon", kCpuAmdAthlon},
                           {"intel", kAnyIntelProcessor},
                           {"amd", kAnyAmdProcessor}};

// Reads one requirement, its key named in any refusal ("memory_mb: ...").
template <typename Read>
auto requirementValue(const std::string& key, Read read) -> decltype(read()) {
    try {
        return read();
    } catch (Refusal& refusal) {
        refusal.message = "\"" + key + "\": " + refusal.message;
        throw;
    }
}

// "A.B" or "A" (minor 0), or "AxBxC": whole numbers up to `max` between the
// separators, `count` of them.
std::vector<std::uint32_t> numberParts(Reader& reader, const toml::value& v, char separator,
                                       std::size_t count, std::uint32_t max,
                                       const std::string& form) {
    if (!v.is_string())
        reader.refuse(v,
                      std::string("expected a string such as ") + form + ", found " + typeName(v));
    std::string text = v.as_string().str;
    std::vector<std::uint32_t> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(separator, start);
        std::string part = text.substr(start, end == std::string::npos ? end : end - start);
        if (!isDecimal(part, max))
            reader.refuse(v, "\"" + text + "\" is not of the form " + form + " (numbers up to " +
                                 std::to_string(max) + ")");
        parts.push_back(static_cast<std::uint32_t>(std::stoul(part)));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    if (parts.size() > count || (separator == 'x' && parts.size() != count))
        reader.refuse(v, "\"" + text + "\" is not of the form " + form);
    parts.resize(count, 0);
    return parts;
}

// The [requirements] table. A row whose requirement is given is always shown, so a
// requirement is never left unchecked; "rows" adds the rows shown for information.
SystemRequirements readRequirements(Reader& reader, const toml::value& v) {
    Table t(reader, v, "[requirements]");
    SystemRequirements r;
    auto number = [&](const char* key, std::uint32_t min = 0) -> std::uint32_t {
        return requirementValue(
            key, [&] { return static_cast<std::uint32_t>(t.number(key, min, 0xFFFFFFFFu, 0)); });
    };
    auto flag = [&](const char* key) { return requirementValue(key, [&] { return t.flag(key); }); };
    auto names = [&](const char* key, const Names& known) {
        return requirementValue(key, [&] {
            std::vector<std::uint32_t> codes;
            if (const toml::value* list = t.get(key)) {
                reader.expect(*list, toml::value_t::array, "an array of names");
                for (const toml::value& name : list->as_array())
                    codes.push_back(reader.choice(name, known));
            }
            return codes;
        });
    };

    for (std::uint32_t row : names("rows", kRequirementRows))
        r.rows |= row;

    for (std::uint32_t system : names("systems", {{"95", 95}, {"98", 98}, {"me", 90}, {"nt", 4}})) {
        r.windows95 |= system == 95;
        r.windows98 |= system == 98;
        r.windowsMe |= system == 90;
        r.windowsNt |= system == 4;
    }
    if (const toml::value* systems = t.get("systems"))
        if (systems->as_array().empty())
            reader.refuse(*systems,
                          "\"systems\": an empty list accepts no system; leave it out "
                          "to accept any");
    auto onlyFor = [&](bool accepted, const char* key, const char* system) {
        if (!accepted)
            t.refuseIfPresent(key, std::string("unless \"systems\" names \"") + system + "\"");
    };
    onlyFor(r.windows95, "build_95", "95");
    onlyFor(r.windows98, "build_98", "98");
    onlyFor(r.windowsNt, "nt_version", "nt");
    onlyFor(r.windowsNt, "nt_service_pack", "nt");
    r.build95 = number("build_95");
    r.build98 = number("build_98");
    if (const toml::value* version = t.get("nt_version")) {
        std::vector<std::uint32_t> parts = requirementValue(
            "nt_version", [&] { return numberParts(reader, *version, '.', 2, 255, "\"5.0\""); });
        r.ntMajor = parts[0];
        r.ntMinor = parts[1];
    }
    r.ntServicePack = requirementValue("nt_service_pack", [&] {
        return static_cast<std::uint32_t>(t.number("nt_service_pack", 0, 255, 0));
    });

    r.memoryMb = number("memory_mb");
    for (std::uint32_t code : names("processors", kProcessors)) {
        if (code == kAnyIntelProcessor)
            r.anyIntel = true;
        else if (code == kAnyAmdProcessor)
            r.anyAmd = true;
        else if (std::find(r.processorTypes.begin(), r.processorTypes.end(), code) ==
                 r.processorTypes.end())
            r.processorTypes.push_back(code);
    }
    r.mmx = flag("mmx");
    r.threeDNow = flag("3dnow");
    r.processorMhz = number("processor_mhz");
    r.diskMb = number("disk_mb");
    if (const toml::value* directx = t.get("directx")) {
        std::vector<std::uint32_t> parts = requirementValue(
            "directx", [&] { return numberParts(reader, *directx, '.', 2, 0xFFFF, "\"7.0\""); });
        r.directXMajor = parts[0];
        r.directXMinor = parts[1];
    }
    if (const toml::value* display = t.get("display")) {
        std::vector<std::uint32_t> parts = requirementValue("display", [&] {
            return numberParts(reader, *display, 'x', 3, 0xFFFF, "\"800x600x16\"");
        });
        r.displayWidth = parts[0];
        r.displayHeight = parts[1];
        r.displayBits = parts[2];
    }
    r.waveOutput = flag("wave_output");
    r.midiOutput = flag("midi_output");
    r.joystick = flag("joystick");
    r.videoMemoryMb = number("video_memory_mb");
    forEachTable(reader, t, "software", "[[requirements.software]]", [&](Table& s) {
        RequiredSoftware software;
        software.name = requirementValue("name", [&] { return s.requiredText("name"); });
        software.key = requirementValue("key", [&] { return s.requiredText("key"); });
        if (software.name.find_first_of("|\r\n") != std::string::npos)
            reader.refuse(s.require("name"),
                          "\"name\": a program's name holds no \"|\" and "
                          "no line break");
        if (software.key.find_first_of("\r\n") != std::string::npos ||
            software.key.front() == '\\' || software.key.back() == '\\')
            reader.refuse(s.require("key"),
                          "\"key\": a key below \"Software\\\" holds no line "
                          "break and neither starts nor ends with a "
                          "backslash");
        r.software.push_back(std::move(software));
    });
    t.finish();

    bool systems = r.windows95 || r.windows98 || r.windowsMe || r.windowsNt;
    const std::pair<bool, std::uint32_t> asked[] = {
        {systems, kRowOperatingSystem},
        {r.memoryMb != 0, kRowMemory},
        {!r.processorTypes.empty() || r.anyIntel || r.anyAmd || r.mmx || r.threeDNow ||
             r.processorMhz != 0,
         kRowProcessor},
        {r.diskMb != 0, kRowDiskSpace},
        {r.directXMajor != 0 || r.directXMinor != 0, kRowDirectX},
        {r.displayWidth != 0 || r.displayHeight != 0 || r.displayBits != 0, kRowDisplayMode},
        {r.waveOutput, kRowWaveOutput},
        {r.midiOutput, kRowMidiOutput},
        {r.joystick, kRowJoystick},
        {r.videoMemoryMb != 0, kRowDisplayAdapters},
        {!r.software.empty(), kRowInstalledSoftware}};
    for (const auto& [given, row] : asked)
        if (given)
            r.rows |= row;
    return r;
}

std::string readTemplateFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void readPieces(Reader& reader, const toml::value& v, PackageContents& out) {
    Table t(reader, v, "[pieces]");
    auto path = [&](const char* key) {
        const toml::value* p = t.get(key);
        return p ? reader.existingFile(*p) : std::string();
    };
    out.uninstallerProgram = path("uninstaller");
    out.jpegLibrary = path("jpeg_library");
    out.mp3Library = path("mp3_library");
    out.pluginLibrary = path("plugin_library");
    out.startupMusic = path("music");
    out.dialogPicture = path("dialog_picture");
    if (const toml::value* pictures = t.get("pictures"))
        out.pictures = pathList(reader, *pictures);
    if (const toml::value* fonts = t.get("fonts"))
        out.fonts = pathList(reader, *fonts);
    const toml::value* templates = t.get("dialog_templates");
    if (templates)
        out.dialogTemplates = pathList(reader, *templates);
    const toml::value* ids = t.get("identifiers");
    if (ids) {
        reader.expect(*ids, toml::value_t::array, "an array of integers");
        for (const toml::value& id : ids->as_array())
            out.identifiers.push_back(
                static_cast<std::uint32_t>(reader.number(id, 0, 0xFFFFFFFFu)));
    }
    // Identifier k is the stage whose page template k replaces.
    std::string problem = pageTemplateListProblem(out.dialogTemplates.size(), out.identifiers);
    if (!problem.empty())
        reader.refuse(ids ? *ids : *templates, problem);
    for (const std::string& file : out.dialogTemplates) {
        std::string why = pageTemplateProblem(readTemplateFile(file));
        if (!why.empty())
            reader.refuse(*templates, file + " cannot be a page: " + why);
    }
    forEachTable(reader, t, "wizard_bitmaps", "[[pieces.wizard_bitmaps]]", [&](Table& b) {
        PackageContents::Bitmap bitmap;
        bitmap.identifier =
            static_cast<std::uint32_t>(reader.number(b.require("id"), 0, 0xFFFFFFFFu));
        bitmap.source = reader.existingFile(b.require("file"));
        out.wizardBitmaps.push_back(std::move(bitmap));
    });
    t.finish();
}

bool isJpeg(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char magic[3] = {};
    return in.read(magic, 3) && magic[0] == '\xFF' && magic[1] == '\xD8' && magic[2] == '\xFF';
}

// Settings that only work with a piece the package carries: without it the setup
// program would fail at start or part-way through the installation.
void checkPiecesNeeded(Reader& reader, const toml::value& package, const PackageContents& out) {
    const PackageSettings& s = out.script.settings;
    auto need = [&](bool needed, const std::string& piece, const std::string& because) {
        if (needed && piece.empty())
            reader.refuse(package, because);
    };
    need((s.options & kOptionCreateUninstaller) && !(s.options & kOptionUpdate),
         out.uninstallerProgram,
         "the package creates an uninstaller, so [pieces] must name its \"uninstaller\" "
         "program (or set create_uninstaller = false)");
    need(s.options & kOptionDecodeMp3, out.mp3Library, "decode_mp3 needs [pieces] mp3_library");
    need(!out.startupMusic.empty(), out.mp3Library, "music needs [pieces] mp3_library");
    need(s.options & kOptionConvertJpeg, out.jpegLibrary,
         "convert_jpeg needs [pieces] jpeg_library");
    bool jpeg = !out.dialogPicture.empty() && isJpeg(out.dialogPicture);
    for (const std::string& picture : out.pictures)
        jpeg = jpeg || isJpeg(picture);
    need(jpeg, out.jpegLibrary, "JPEG pictures need [pieces] jpeg_library");
    std::size_t types = 0;
    for (const InstallType& type : s.installTypes)
        types += type.caption.empty() ? 0 : 1;
    if ((s.pages & kPageInstallType) && types != s.installTypes.size())
        reader.refuse(package,
                      "the installation type page shows three types; "
                      "[[package.install_types]] names " +
                          std::to_string(types));
}

template <typename Item>
void readItems(Reader& reader, Table& top, const char* key, const char* what,
               std::vector<Item>& out, Item (*read)(Reader&, Table&)) {
    forEachTable(reader, top, key, what, [&](Table& t) { out.push_back(read(reader, t)); });
}

// The product's line in the system's list of installed programs ("Apps & features",
// "Add or Remove Programs"): the values Windows reads under the Uninstall key, written
// as ordinary registry items, so that the run logs them and the uninstaller takes them
// away with the product.
void addUninstallEntry(Reader& reader, const toml::value& v, std::uint64_t installedBytes,
                       PackageContents& out) {
    Table t(reader, v, "[package.uninstall_entry]");
    const PackageSettings& s = out.script.settings;
    if (!(s.options & (kOptionCreateUninstaller | kOptionUpdate)))
        reader.refuse(v,
                      "an entry in the list of installed programs needs the uninstaller "
                      "(create_uninstaller = true)");
    const std::string uninstaller = "\"" + uninstallerPath("<WindowsDir>", s.productName) + "\"";
    auto text = [](std::string name, std::string data) {
        RegistryItemValue value;
        value.name = std::move(name);
        value.data = std::move(data);
        return value;
    };
    auto dword = [&](std::string name, std::uint64_t data) {
        RegistryItemValue value = text(std::move(name), std::to_string(data));
        value.type = kRegDword;
        return value;
    };
    RegistryItemKey key;
    key.name = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
               uninstallerStem(s.productName);
    key.values = {
        text("DisplayName", t.text("name", s.productName)),
        text("DisplayVersion", t.requiredText("version")),
        text("Publisher", t.text("publisher")),
        text("DisplayIcon", t.text("icon")),
        text("InstallLocation", "<InstallDir>"),
        text("UninstallString", uninstaller),
        text("QuietUninstallString", uninstaller + " /SILENT"),
        // The uninstaller has no repair or change mode to offer.
        dword("NoModify", 1),
        dword("NoRepair", 1),
        dword("EstimatedSize",
              std::min<std::uint64_t>((installedBytes + 1023) / 1024, 0xFFFFFFFFu)),
    };
    t.finish();
    // Empty texts are left out rather than shown as blank columns.
    key.values.erase(
        std::remove_if(key.values.begin(), key.values.end(),
                       [](const RegistryItemValue& value) { return value.data.empty(); }),
        key.values.end());
    out.script.registry[2].subkeys.push_back(std::move(key));  // HKEY_LOCAL_MACHINE
}

void readDescription(Reader& reader, const toml::value& root, PackageContents& out) {
    Table top(reader, root, "the description");
    Table package(reader, top.require("package"), "[package]");
    readSettings(reader, package, out);
    const toml::value* defaultLanguage = package.get("default_language");
    if (const toml::value* multilingual = package.get("multilingual")) {
        if (reader.flag(*multilingual))
            out.script.settings.options |= kOptionMultilingual;
    }
    const toml::value* uninstallEntry = package.get("uninstall_entry");
    package.finish();
    readLanguages(reader, top, defaultLanguage, out);
    if (!package.has("multilingual") && out.languages.size() > 1)
        out.script.settings.options |= kOptionMultilingual;

    if (const toml::value* pieces = top.get("pieces"))
        readPieces(reader, *pieces, out);
    if (const toml::value* requirements = top.get("requirements")) {
        if (!(out.script.settings.pages & kPageSystemInformation))
            reader.refuse(*requirements,
                          "[requirements] has no use unless [package] pages names "
                          "\"system_information\", the page that checks them");
        out.requirements = readRequirements(reader, *requirements);
        if (encodeRequirements(*out.requirements).size() > kMaxRequirementsSize)
            reader.refuse(*requirements, "the system requirements take more than " +
                                             std::to_string(kMaxRequirementsSize / 1024) + " KB");
    }
    checkPiecesNeeded(reader, package.value(), out);

    Script& script = out.script;
    if (const toml::value* registry = top.get("registry"))
        readRegistry(reader, *registry, script.registry);
    readItems(reader, top, "shortcuts", "[[shortcuts]]", script.shortcuts, readShortcut);
    readItems(reader, top, "ini", "[[ini]]", script.iniItems, readIni);
    readItems(reader, top, "text_edits", "[[text_edits]]", script.textEdits, readTextEdit);
    readItems(reader, top, "stage_files", "[[stage_files]]", script.stageFileOperations,
              readStageFile);
    readItems(reader, top, "stage_open", "[[stage_open]]", script.stageOpenItems, readStageOpen);
    std::set<std::string> variableNames;
    forEachTable(reader, top, "variables", "[[variables]]", [&](Table& t) {
        script.userVariables.push_back(readVariable(reader, t, variableNames));
    });

    ComponentIndex components;
    readComponents(reader, top, "components", script.components, components);
    const std::size_t componentCount = components.sizeGiven.size();
    forEachTable(reader, top, "files", "[[files]]", [&](Table& t) {
        out.files.push_back(readFile(reader, t, components, componentCount));
    });
    top.finish();

    // Sizes not given: what the files of a component take and the sizes of its
    // children as they stand, given ones too. The setup program counts a
    // component's own share as its size less its children's.
    std::vector<std::uint64_t> own(componentCount, 0);
    std::uint64_t total = 0;
    for (const auto& file : out.files) {
        if (file.record.component < own.size())
            own[file.record.component] += file.record.originalSize;
        total += file.record.originalSize;
    }
    std::function<std::uint64_t(Component&, std::size_t&)> fill = [&](Component& c,
                                                                      std::size_t& i) {
        std::size_t mine = i++;
        std::uint64_t sum = own[mine];
        for (Component& child : c.children)
            sum = std::min(sum + fill(child, i), kLargestSize);  // each at most kLargestSize
        if (!components.sizeGiven[mine])
            c.size = sum;
        return c.size;
    };
    std::size_t next = 0;
    for (Component& c : script.components)
        fill(c, next);
    if (!package.has("required_size"))
        script.settings.requiredSize = total;
    if (uninstallEntry)
        addUninstallEntry(reader, *uninstallEntry, total, out);
}

// toml11 parses nested arrays, inline tables and dotted keys by recursion, and a few
// thousand levels overflow the stack. No description needs more than a handful, so
// deeper nesting (or a line with that many dots) is refused before toml11 sees it.
// Brackets and dots inside strings and comments do not count.
//
// toml11 also doubles a signed 64-bit place value for every digit of a binary integer,
// which overflows from the 63rd digit on, so longer binary integers are refused here.
constexpr int kMaxNesting = 64;
constexpr std::size_t kMaxBinaryDigits = 62;

// Empty when toml11 may be given `text`; else why not, at `line`.
std::string screenBeforeParsing(std::string_view text, std::size_t& line) {
    const std::string tooDeep =
        "arrays, tables or keys nested more than " + std::to_string(kMaxNesting) + " deep";
    int depth = 0, dots = 0;
    line = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '0' && i + 1 < text.size() && text[i + 1] == 'b' &&
            (i == 0 ||
             !(std::isalnum(static_cast<unsigned char>(text[i - 1])) || text[i - 1] == '_'))) {
            std::size_t digits = 0, end = i + 2;
            for (; end < text.size() && (text[end] == '0' || text[end] == '1' || text[end] == '_');
                 ++end)
                digits += text[end] != '_';
            if (digits > kMaxBinaryDigits)
                return "the integer " + std::string(text.substr(i, end - i)) +
                       " does not fit in 64 bits (binary integers are read up to " +
                       std::to_string(kMaxBinaryDigits) + " digits)";
            i = end - 1;
        } else if (c == '\n') {
            ++line;
            dots = 0;
        } else if (c == '.') {
            if (++dots > kMaxNesting)
                return tooDeep;
        } else if (c == '#') {
            while (i + 1 < text.size() && text[i + 1] != '\n')
                ++i;
        } else if (c == '"' || c == '\'') {
            // As TOML reads strings: a single-line string ends at its quote or at the
            // line's end; a multi-line one at a run of three to five quotes (up to two
            // of them belong to the text); only basic strings have escapes.
            const bool multiLine = text.compare(i, 3, std::string(3, c)) == 0;
            for (i += multiLine ? 3 : 1; i < text.size(); ++i) {
                if (c == '"' && text[i] == '\\' && i + 1 < text.size())
                    ++i;  // the escaped character cannot end the string
                if (text[i] == '\n') {
                    ++line;
                    dots = 0;
                    if (!multiLine)
                        break;
                } else if (text[i] == c) {
                    if (!multiLine)
                        break;
                    std::size_t run = 1;
                    while (i + run < text.size() && text[i + run] == c)
                        ++run;
                    i += std::min<std::size_t>(run, 5) - 1;
                    if (run >= 3)
                        break;
                }
            }
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxNesting)
                return tooDeep;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return {};
}

// toml11's messages run over several lines with a picture of the line at fault; the
// reason is on the first line or, when that is empty, after the picture's marker.
std::string reasonOf(const std::string& message) {
    std::string line = message.substr(0, message.find('\n'));
    if (line.compare(0, 8, "[error] ") == 0)
        line.erase(0, 8);
    if (line.compare(0, 6, "toml::") == 0) {
        std::size_t colon = line.find(':', 6);
        line.erase(0, colon == std::string::npos ? line.size() : colon + 1);
    }
    line.erase(0, line.find_first_not_of(' '));
    for (const char* marker : {"^--- ", "~ "}) {
        std::size_t at = message.find(marker);
        if (line.empty() && at != std::string::npos) {
            std::size_t start = at + std::string(marker).size();
            line = message.substr(start, message.find('\n', start) - start);
        }
    }
    return line.empty() ? "not valid TOML" : line;
}

}  // namespace

std::string DescriptionProblem::text() const {
    return file + (line ? ":" + std::to_string(line) : std::string()) + ": " + message;
}

bool parsePackageDescription(std::string_view text, const std::string& path, PackageContents& out,
                             DescriptionProblem& problem, std::vector<std::string>* inputs) {
    out = PackageContents{};
    try {
        // toml11 can read past the end of its buffer on malformed UTF-8 in a string,
        // so the bytes are checked first (TOML text is UTF-8 throughout).
        std::size_t bad = platform::invalidUtf8At(text);
        if (bad != std::string_view::npos) {
            std::size_t line =
                1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + bad, '\n'));
            problem = {path, line, "the description is not valid UTF-8"};
            return false;
        }
        std::size_t line;
        std::string refusal = screenBeforeParsing(text, line);
        if (!refusal.empty()) {
            problem = {path, line, refusal};
            return false;
        }
        std::istringstream in{std::string(text)};
        toml::value root = toml::parse(in, path);
        fs::path folder = fs::path(path).parent_path();
        Reader reader(path, folder.empty() ? fs::path(".") : folder);
        refuseIntegersPast64Bits(reader, root);
        readDescription(reader, root, out);
        if (inputs != nullptr)
            *inputs = reader.inputs();
        return true;
    } catch (const Refusal& refusal) {
        problem = {refusal.file, refusal.line, refusal.message};
    } catch (const toml::syntax_error& error) {
        problem = {path, error.location().line(), reasonOf(error.what())};
    } catch (const toml::exception& error) {
        problem = {path, error.location().line(), reasonOf(error.what())};
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& error) {
        problem = {path, 0, reasonOf(error.what())};
    }
    return false;
}

bool readPackageDescription(const std::string& path, PackageContents& out,
                            DescriptionProblem& problem, std::vector<std::string>* inputs) {
    platform::FileBytes bytes;
    switch (platform::readWholeFile(platform::systemFileSystem(), path, kMaxDescription, bytes)) {
        case platform::ReadOutcome::Ok: break;
        case platform::ReadOutcome::TooLarge:
            problem = {path, 0,
                       "the description is larger than " + std::to_string(kMaxDescription >> 20) +
                           " MiB, the most vxpack reads"};
            return false;
        default: problem = {path, 0, "cannot read the description"}; return false;
    }
    return parsePackageDescription(bytes.view(), path, out, problem, inputs);
}

}  // namespace vortix
