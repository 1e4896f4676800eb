// Byte strings for tests.
#pragma once

#include <cstddef>
#include <string>

namespace testing_support {

// A string literal with the NULs inside it: lit("a\0b") is three bytes.
template <std::size_t N>
std::string lit(const char (&text)[N]) {
    return std::string(text, N - 1);
}

}  // namespace testing_support
