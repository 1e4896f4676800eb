// Entries and books for tests: by hand, and at random (reproducible from a seed).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "addressbook/model/address_book.h"

namespace testing_support {

ctlite::Entry makeEntry(std::initializer_list<std::pair<ctlite::Field, std::string>> fields);

// Text of 0 to maxLength bytes: letters, digits, blanks, punctuation, CR LF and
// bytes above 0x7F, never a byte the data file reserves.
std::string randomText(std::uint32_t& seed, int maxLength);
ctlite::Entry randomEntry(std::uint32_t& seed);
// A book of `groups` groups with random names, entries and trailer values.
ctlite::AddressBook randomBook(std::uint32_t seed, int groups, int entriesPerGroup);
// A book of `entries` realistic entries spread over `groups` groups (for benchmarks).
ctlite::AddressBook generatedBook(int entries, int groups, std::uint32_t seed = 1);

}  // namespace testing_support
