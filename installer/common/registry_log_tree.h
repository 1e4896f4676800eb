// The registry part of the uninstall log: four root nodes, each a tree of keys
// with their values, and for each key and value a flag that says what the
// uninstaller does with it. Encoded (all numbers u32, big-endian):
//
//   node    := V, V x (value name, NUL, flag), K, K x (flag, subkey name, NUL, node)
//   tree    := node(HKEY_CLASSES_ROOT) node(HKEY_CURRENT_USER) node(HKEY_LOCAL_MACHINE)
//              node(HKEY_USERS)
//
// A root node has no flag and no name of its own.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vortix {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };
inline constexpr int kRootCount = 4;
inline constexpr std::array<std::string_view, kRootCount> kRootNames = {
    "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"};
// The handle values of the roots, as the plug-in recording calls write them (signed decimal).
inline constexpr std::array<std::int32_t, kRootCount> kRootHandles = {
    static_cast<std::int32_t>(0x80000000u), static_cast<std::int32_t>(0x80000001u),
    static_cast<std::int32_t>(0x80000002u), static_cast<std::int32_t>(0x80000003u)};

// Flags of value records.
inline constexpr std::uint32_t kValueKept = 0;     // the write failed: leave it
inline constexpr std::uint32_t kValueWritten = 1;  // delete it
// Flags of key records.
inline constexpr std::uint32_t kKeyExisted = 0;   // descend, never delete
inline constexpr std::uint32_t kKeyCreated = 1;   // delete once it has no subkeys
inline constexpr std::uint32_t kKeyRecorded = 2;  // recorded by the plug-in: as 1

struct RegistryValueRecord {
    std::string name;
    std::uint32_t flag = kValueWritten;
};

struct RegistryKeyNode {
    std::uint32_t flag = kKeyExisted;
    std::string name;  // one path component, relative to the parent
    std::vector<RegistryValueRecord> values;
    std::vector<RegistryKeyNode> subkeys;

    bool empty() const { return values.empty() && subkeys.empty(); }
    // The subkey of that name (without regard to case), made with `flag` when missing.
    RegistryKeyNode& subkey(std::string_view name, std::uint32_t flag);
    // Adds a value record unless the key already has one of that name (without regard to case).
    void addValue(std::string_view name, std::uint32_t flag);
};

class RegistryLogTree {
public:
    std::array<RegistryKeyNode, kRootCount> roots;

    RegistryKeyNode& root(RegistryRoot r) { return roots[static_cast<int>(r)]; }
    // No key and no value on any root.
    bool empty() const;

    void encode(std::string& out) const;
    // The whole tree, checked to the last byte: every count against the bytes left,
    // names ended, no more than 512 levels, nothing after the fourth root.
    static std::optional<RegistryLogTree> decode(std::string_view bytes);

    // Folds in a key recorded as root handle, "\" and key path (missing keys get
    // flag 2). False when the root is not one of the four.
    bool addRecordedKey(std::string_view recorded);
    // Folds in a value recorded as root, "\", key path, "\\" and value name (flag 1).
    bool addRecordedValue(std::string_view recorded);
    // Takes in the tree of an older log: its values where the key has none of that
    // name, its keys found by name or made, their flags taken from it unless the
    // flag there is 2.
    void mergeFrom(const RegistryLogTree& older);

    friend bool operator==(const RegistryLogTree& a, const RegistryLogTree& b);
};

bool operator==(const RegistryKeyNode& a, const RegistryKeyNode& b);

// The recorded forms, as the setup program's plug-in interface builds them.
std::string recordedKey(std::int32_t rootHandle, std::string_view keyPath);
std::string recordedValue(std::int32_t rootHandle, std::string_view keyPath,
                          std::string_view valueName);

}  // namespace vortix
