#include "addressbook/transfer/table_import.h"

namespace ctlite::transfer {
namespace {

std::optional<Label> labelOf(Field field) {
    switch (field) {
        case Field::CompanyName: return Label::CompanyName;
        case Field::FirstName: return Label::FirstName;
        case Field::LastName: return Label::LastName;
        case Field::WorkPhone: return Label::WorkPhone;
        case Field::HomePhone: return Label::HomePhone;
        case Field::FaxNumber: return Label::Fax;
        case Field::PagerNumber: return Label::Pager;
        case Field::MobilePhone: return Label::Mobile;
        case Field::StreetAddress: return Label::StreetAddress;
        case Field::City: return Label::City;
        case Field::State: return Label::State;
        case Field::ZipCode: return Label::ZipCode;
        case Field::Country: return Label::Country;
        case Field::EmailAddress: return Label::EmailAddress;
        case Field::Homepage: return Label::Homepage;
        default: return std::nullopt;
    }
}

// What making entries from the records of one file, through one mapping, reuses
// from one record to the next: the memory their blocks are carved from, the
// values of the entry being made, and room for values that change on their way in.
struct EntryMaking {
    EntryBlocks blocks;
    FieldValues fields{};
    std::array<std::string, kFieldCount> rewritten;
};

// The entry a record's values make; values past the mapping are dropped.
// `asTheyStand`: the caller has found the values stored as they stand but for
// their length (storedAsItStands of the text they come from).
Entry entryFromValues(const std::vector<std::string_view>& values, const ImportMapping& mapping,
                      Encoding encoding, ValueCounts& counts, EntryMaking& making,
                      bool asTheyStand) {
    // Every mapped field is set (a value the record lacks is empty); the others
    // stay empty from the start.
    FieldValues& fields = making.fields;
    for (int i = 0; i < mapping.valueCount(); ++i) {
        std::optional<Field> field = mapping.target(i);
        if (!field)
            continue;
        auto slot = static_cast<std::size_t>(*field);
        auto at = static_cast<std::size_t>(i);
        std::string_view value = at < values.size() ? values[at] : std::string_view();
        if (value.empty() ||
            (asTheyStand && (value.size() <= kMaxImportedValue || *field == Field::Note)))
            fields[slot] = value;
        else
            fields[slot] = storedValue(value, encoding, *field, counts, making.rewritten[slot]);
    }
    return Entry(fields, making.blocks);
}

}  // namespace

std::string mappingText(Field field, const FieldLabels& labels) {
    if (field == Field::Picture)
        return "BMP";
    if (field == Field::Note)
        return "Note";
    std::optional<Label> label = labelOf(field);
    return label ? labels.get(*label) : std::string(kNoTarget);
}

ImportMapping ImportMapping::exportOrder(TableFormat format) {
    ImportMapping mapping(kTableColumnCount);
    for (int i = 0; i < kTableColumnCount; ++i)
        mapping.targets_[static_cast<std::size_t>(i)] =
            tableColumns(format)[static_cast<std::size_t>(i)];
    return mapping;
}

std::optional<int> ImportMapping::userOf(Field field) const {
    for (std::size_t i = 0; i < targets_.size(); ++i)
        if (targets_[i] == field)
            return static_cast<int>(i);
    return std::nullopt;
}

bool ImportMapping::assign(int index, std::optional<Field> field) {
    if (field) {
        std::optional<int> user = userOf(*field);
        if (user && *user != index)
            return false;
    }
    targets_.at(static_cast<std::size_t>(index)) = field;
    return true;
}

ImportSummary importTable(const TableReader& reader, const ImportMapping& mapping,
                          Encoding encoding, GroupList& into, bool headerLine) {
    ImportSummary summary;
    PlaceholderReplacement placeholder(into);
    std::vector<std::string_view> values;
    EntryMaking making;
    TableReader::Pass pass(reader);
    const auto mapped = static_cast<std::size_t>(mapping.valueCount());
    if (headerLine)
        pass.next(values, 0);
    while (pass.next(values, mapped)) {
        ++summary.records;
        // One look at the whole record rather than one at each value.
        bool asTheyStand = storedAsItStands(pass.recordText(), encoding);
        Entry entry =
            entryFromValues(values, mapping, encoding, summary.values, making, asTheyStand);
        if (entry.isEmpty()) {
            ++summary.blank;
            continue;
        }
        into.pushFront(std::move(entry));
        ++summary.entries;
    }
    placeholder.afterImport(into, summary);
    return summary;
}

void PlaceholderReplacement::afterImport(GroupList& list, const ImportSummary& summary) const {
    // The imported entries went in front of it: the placeholder is the last one.
    if (alone_ && summary.entries > 0 && list.count() > 0 &&
        list.find(list.count())->isPlaceholder())
        list.remove(list.count());
}

}  // namespace ctlite::transfer
