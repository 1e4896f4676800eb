#include "installer/common/registry_log_tree.h"

#include <charconv>

#include "installer/common/text_fold.h"

namespace vortix {
namespace {

// Registry keys nest at most 512 deep; a deeper tree is not a log of real keys.
constexpr int kMaxDepth = 512;
// The smallest encodings, used to check a count against the bytes left.
constexpr std::size_t kMinValueRecord = 1 + 4;
constexpr std::size_t kMinSubkeyRecord = 4 + 1 + 8;

void putU32(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v >> 24));
    out.push_back(static_cast<char>(v >> 16));
    out.push_back(static_cast<char>(v >> 8));
    out.push_back(static_cast<char>(v));
}

void encodeNode(std::string& out, const RegistryKeyNode& node) {
    putU32(out, static_cast<std::uint32_t>(node.values.size()));
    for (const RegistryValueRecord& value : node.values) {
        out.append(value.name);
        out.push_back('\0');
        putU32(out, value.flag);
    }
    putU32(out, static_cast<std::uint32_t>(node.subkeys.size()));
    for (const RegistryKeyNode& subkey : node.subkeys) {
        putU32(out, subkey.flag);
        out.append(subkey.name);
        out.push_back('\0');
        encodeNode(out, subkey);
    }
}

class Decoder {
public:
    explicit Decoder(std::string_view bytes) : bytes_(bytes) {}

    bool node(RegistryKeyNode& out, int depth) {
        if (depth > kMaxDepth)
            return false;
        std::uint32_t valueCount;
        if (!u32(valueCount) || valueCount > left() / kMinValueRecord)
            return false;
        // Records are added as they are read, never made ahead for a count: every
        // level of a damaged tree may claim nearly all the bytes left again.
        for (std::uint32_t i = 0; i < valueCount; ++i) {
            RegistryValueRecord& value = out.values.emplace_back();
            if (!name(value.name) || !u32(value.flag))
                return false;
        }
        std::uint32_t subkeyCount;
        if (!u32(subkeyCount) || subkeyCount > left() / kMinSubkeyRecord)
            return false;
        for (std::uint32_t i = 0; i < subkeyCount; ++i) {
            RegistryKeyNode& subkey = out.subkeys.emplace_back();
            if (!u32(subkey.flag) || !name(subkey.name) || !node(subkey, depth + 1))
                return false;
        }
        return true;
    }

    bool atEnd() const { return pos_ == bytes_.size(); }

private:
    std::size_t left() const { return bytes_.size() - pos_; }

    bool u32(std::uint32_t& v) {
        if (left() < 4)
            return false;
        v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | static_cast<std::uint8_t>(bytes_[pos_++]);
        return true;
    }

    bool name(std::string& out) {
        std::size_t end = bytes_.find('\0', pos_);
        if (end == std::string_view::npos)
            return false;
        out.assign(bytes_.substr(pos_, end - pos_));
        pos_ = end + 1;
        return true;
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// Splits "root\a\b" into the root and its non-empty components.
bool splitRecorded(std::string_view recorded, RegistryRoot& root,
                   std::vector<std::string_view>& path) {
    std::size_t slash = recorded.find('\\');
    std::string_view handle = recorded.substr(0, slash);
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(handle.data(), handle.data() + handle.size(), value);
    if (error != std::errc() || end != handle.data() + handle.size())
        return false;
    int index = -1;
    for (int i = 0; i < kRootCount; ++i)
        if (kRootHandles[i] == value)
            index = i;
    if (index < 0)
        return false;
    root = static_cast<RegistryRoot>(index);
    path.clear();
    while (slash != std::string_view::npos) {
        std::size_t start = slash + 1;
        slash = recorded.find('\\', start);
        std::string_view part =
            recorded.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (!part.empty())
            path.push_back(part);
    }
    return true;
}

void mergeNode(RegistryKeyNode& into, const RegistryKeyNode& from) {
    for (const RegistryValueRecord& value : from.values)
        into.addValue(value.name, value.flag);
    for (const RegistryKeyNode& subkey : from.subkeys) {
        RegistryKeyNode& target = into.subkey(subkey.name, subkey.flag);
        if (subkey.flag != kKeyRecorded)
            target.flag = subkey.flag;
        mergeNode(target, subkey);
    }
}

}  // namespace

RegistryKeyNode& RegistryKeyNode::subkey(std::string_view keyName, std::uint32_t newFlag) {
    for (RegistryKeyNode& existing : subkeys)
        if (equalsIgnoringCase(existing.name, keyName))
            return existing;
    RegistryKeyNode& made = subkeys.emplace_back();
    made.flag = newFlag;
    made.name = std::string(keyName);
    return made;
}

void RegistryKeyNode::addValue(std::string_view valueName, std::uint32_t valueFlag) {
    for (const RegistryValueRecord& existing : values)
        if (equalsIgnoringCase(existing.name, valueName))
            return;
    values.push_back({std::string(valueName), valueFlag});
}

bool RegistryLogTree::empty() const {
    for (const RegistryKeyNode& root : roots)
        if (!root.empty())
            return false;
    return true;
}

void RegistryLogTree::encode(std::string& out) const {
    for (const RegistryKeyNode& root : roots)
        encodeNode(out, root);
}

std::optional<RegistryLogTree> RegistryLogTree::decode(std::string_view bytes) {
    RegistryLogTree tree;
    Decoder decoder(bytes);
    for (RegistryKeyNode& root : tree.roots)
        if (!decoder.node(root, 0))
            return std::nullopt;
    if (!decoder.atEnd())
        return std::nullopt;
    return tree;
}

bool RegistryLogTree::addRecordedKey(std::string_view recorded) {
    RegistryRoot r;
    std::vector<std::string_view> path;
    if (!splitRecorded(recorded, r, path))
        return false;
    RegistryKeyNode* node = &root(r);
    for (std::string_view part : path)
        node = &node->subkey(part, kKeyRecorded);
    return true;
}

bool RegistryLogTree::addRecordedValue(std::string_view recorded) {
    std::size_t separator = recorded.find("\\\\");
    if (separator == std::string_view::npos)
        return false;
    RegistryRoot r;
    std::vector<std::string_view> path;
    if (!splitRecorded(recorded.substr(0, separator), r, path))
        return false;
    RegistryKeyNode* node = &root(r);
    for (std::string_view part : path)
        node = &node->subkey(part, kKeyRecorded);
    node->addValue(recorded.substr(separator + 2), kValueWritten);
    return true;
}

void RegistryLogTree::mergeFrom(const RegistryLogTree& older) {
    for (int i = 0; i < kRootCount; ++i)
        mergeNode(roots[i], older.roots[i]);
}

bool operator==(const RegistryKeyNode& a, const RegistryKeyNode& b) {
    if (a.flag != b.flag || a.name != b.name || a.values.size() != b.values.size() ||
        a.subkeys != b.subkeys)
        return false;
    for (std::size_t i = 0; i < a.values.size(); ++i)
        if (a.values[i].name != b.values[i].name || a.values[i].flag != b.values[i].flag)
            return false;
    return true;
}

bool operator==(const RegistryLogTree& a, const RegistryLogTree& b) {
    return a.roots == b.roots;
}

std::string recordedKey(std::int32_t rootHandle, std::string_view keyPath) {
    return std::to_string(rootHandle) + "\\" + std::string(keyPath);
}

std::string recordedValue(std::int32_t rootHandle, std::string_view keyPath,
                          std::string_view valueName) {
    std::string out = recordedKey(rootHandle, keyPath);
    out += (!keyPath.empty() && keyPath.back() == '\\') ? "\\" : "\\\\";
    out.append(valueName);
    return out;
}

}  // namespace vortix
