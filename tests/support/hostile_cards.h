// vCards shaped to cost an importer memory or time out of proportion to their size,
// shared by the import tests and the import benchmark.
#pragma once

#include <cstddef>
#include <string>

namespace testing_support {

// One card whose middle is `piece` repeated to about `bytes` octets, between
// `before` and `after`.
inline std::string cardAround(std::size_t bytes, const std::string& before,
                              const std::string& piece, const std::string& after) {
    std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\n" + before;
    while (card.size() < bytes)
        card += piece;
    return card + after + "\r\nEND:VCARD\r\n";
}

}  // namespace testing_support
