#include "installer/common/sealed_block.h"

#include <array>
#include <chrono>
#include <random>

namespace vortix {
namespace {

std::array<std::uint8_t, 8> checksum(std::string_view bytes) {
    std::array<std::uint8_t, 8> counters{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        counters[i % 8] =
            static_cast<std::uint8_t>(counters[i % 8] + static_cast<std::uint8_t>(bytes[i]));
    return counters;
}

}  // namespace

KeyDraw clockKeyDraw() {
    // One generator for the whole process, seeded once: a fresh seed for every
    // seal would give two seals within the same millisecond the same key.
    static std::minstd_rand engine(
        static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now().time_since_epoch())
                                       .count()));
    return [] { return static_cast<std::uint32_t>(engine()); };
}

std::string seal(std::string_view plain, const KeyDraw& draw) {
    // Never the key of the seal before, so that sealing a text again always gives other bytes.
    static std::uint16_t lastKey = 0;
    const std::uint8_t step = static_cast<std::uint8_t>(5 + draw() % 30);
    std::uint8_t base = static_cast<std::uint8_t>(draw() % 256);
    if ((step << 8 | base) == lastKey)
        ++base;
    lastKey = static_cast<std::uint16_t>(step << 8 | base);
    std::string out;
    out.reserve(plain.size() + kSealOverhead);
    std::uint8_t key = static_cast<std::uint8_t>(base + step);
    for (char c : plain) {
        out.push_back(static_cast<char>(static_cast<std::uint8_t>(c) + key));
        key = static_cast<std::uint8_t>(key + step);
    }
    out.push_back(static_cast<char>(step));
    out.push_back(static_cast<char>(base));
    for (std::uint8_t counter : checksum(out))
        out.push_back(static_cast<char>(counter));
    return out;
}

std::optional<std::string> unseal(std::string_view sealed) {
    if (sealed.size() < kSealOverhead)
        return std::nullopt;
    const std::size_t bodyAndKey = sealed.size() - 8;
    const auto expected = checksum(sealed.substr(0, bodyAndKey));
    for (std::size_t i = 0; i < 8; ++i)
        if (static_cast<std::uint8_t>(sealed[bodyAndKey + i]) != expected[i])
            return std::nullopt;
    const std::size_t bodySize = sealed.size() - kSealOverhead;
    const auto step = static_cast<std::uint8_t>(sealed[bodySize]);
    const auto base = static_cast<std::uint8_t>(sealed[bodySize + 1]);
    std::string plain;
    plain.resize(bodySize);
    std::uint8_t key = static_cast<std::uint8_t>(base + step);
    for (std::size_t i = 0; i < bodySize; ++i) {
        plain[i] = static_cast<char>(static_cast<std::uint8_t>(sealed[i]) - key);
        key = static_cast<std::uint8_t>(key + step);
    }
    return plain;
}

std::string sealTwice(std::string_view plain, const KeyDraw& draw) {
    return seal(seal(plain, draw), draw);
}

std::optional<std::string> unsealTwice(std::string_view sealed) {
    std::optional<std::string> inner = unseal(sealed);
    if (!inner)
        return std::nullopt;
    return unseal(*inner);
}

}  // namespace vortix
