// Files shaped to make an import hold many times their size: each is imported at
// two sizes, and the most memory held at once stays within a small multiple of the
// file at both.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "addressbook/transfer/table_import.h"
#include "addressbook/transfer/vcard.h"
#include "tests/support/allocation_meter.h"
#include "tests/support/hostile_cards.h"

using namespace ctlite;
using namespace ctlite::transfer;

namespace {

using testing_support::cardAround;

struct Shape {
    const char* name;
    std::function<std::string(std::size_t)> file;  // about that many bytes
    bool vcard;
};

void PrintTo(const Shape& shape, std::ostream* out) {
    *out << shape.name;
}

class ImportMemory : public testing::TestWithParam<Shape> {};

}  // namespace

TEST_P(ImportMemory, StaysWithinFiveTimesTheFileAtTwoSizes) {
    for (std::size_t size : {std::size_t{1} << 20, std::size_t{4} << 20}) {
        std::string file = GetParam().file(size);
        GroupList into;
        testing_support::AllocationMeter meter;
        if (GetParam().vcard) {
            importVCards(file, into);
        } else {
            TableReader reader(file, TableFormat::Csv);
            importTable(reader, ImportMapping::exportOrder(TableFormat::Csv), detectEncoding(file),
                        into);
        }
        EXPECT_LE(meter.peakBytes(), 5 * file.size()) << file.size() << " bytes";
        EXPECT_EQ(into.count(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    HostileShapes, ImportMemory,
    testing::Values(
        Shape{"EmptyTypes", [](std::size_t n) { return cardAround(n, "TEL;TYPE=", ",", ":1"); },
              true},
        Shape{"Parameters", [](std::size_t n) { return cardAround(n, "NOTE", ";X", ":n"); }, true},
        Shape{"AddressComponents", [](std::size_t n) { return cardAround(n, "ADR:", ";", "x"); },
              true},
        Shape{"LoneCarriageReturns",
              [](std::size_t n) { return cardAround(n, "NOTE:n", "\r", ""); }, true},
        Shape{"ManyShortNotes",
              [](std::size_t n) { return cardAround(n, "", "NOTE:n\r\nTEL:1\r\n", "NOTE:n"); },
              true},
        Shape{"CsvRecordOfCommas", [](std::size_t n) { return "a" + std::string(n, ','); }, false}),
    [](const testing::TestParamInfo<Shape>& shape) { return std::string(shape.param.name); });
