// Importing a comma-separated or tab-delimited file: each value position of a
// record is mapped to one field (or to none), and every record becomes an entry
// at the front of the target group.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "addressbook/model/field_labels.h"
#include "addressbook/model/group_list.h"
#include "addressbook/transfer/incoming_text.h"
#include "addressbook/transfer/table_file.h"

namespace ctlite::transfer {

// The fields a value may go to, in the order the mapping drop-down offers them
// (followed by "<none>").
inline constexpr std::array<Field, 17> kMappingFields = {
    Field::FirstName,    Field::LastName,  Field::CompanyName,   Field::HomePhone,
    Field::WorkPhone,    Field::FaxNumber, Field::PagerNumber,   Field::MobilePhone,
    Field::EmailAddress, Field::Homepage,  Field::City,          Field::State,
    Field::ZipCode,      Field::Country,   Field::StreetAddress, Field::Picture,
    Field::Note,
};
inline constexpr std::string_view kNoTarget = "<none>";

// What the drop-down shows for a field: its caption, or "BMP" and "Note".
std::string mappingText(Field field, const FieldLabels& labels);

class ImportMapping {
public:
    explicit ImportMapping(int valueCount = 0) : targets_(static_cast<std::size_t>(valueCount)) {}
    // Value i goes to field tableColumns(format)[i]: the order this program exports.
    static ImportMapping exportOrder(TableFormat format);

    int valueCount() const { return static_cast<int>(targets_.size()); }
    std::optional<Field> target(int index) const {
        return targets_.at(static_cast<std::size_t>(index));
    }
    // Which value already goes to `field`, if any.
    std::optional<int> userOf(Field field) const;
    // Sends value `index` to `field` (nothing: the value is dropped). False, with
    // nothing changed, when another value goes to that field already.
    bool assign(int index, std::optional<Field> field);

private:
    std::vector<std::optional<Field>> targets_;
};

struct ImportSummary {
    std::size_t records = 0;  // records read
    std::size_t entries = 0;  // entries added
    std::size_t blank = 0;    // records that held no text for a mapped field
    ValueCounts values;
    std::size_t picturesKept = 0;     // vCard photos now in the book's picture folder
    std::size_t picturesNotKept = 0;  // photos of another kind than JPEG or BMP, or not written
};

// Every record of the file as an entry at the front of `into` (so the group lists
// them in the reverse of file order, before the entries it held). A record that
// gives no text adds nothing. With `headerLine` the first record holds column
// names: it is neither read into an entry nor counted. A group that held only its "{ EMPTY }"
// placeholder loses it once an entry comes in, as it does when an entry is added by hand.
ImportSummary importTable(const TableReader& reader, const ImportMapping& mapping,
                          Encoding encoding, GroupList& into, bool headerLine = false);

// Keeps a group's placeholder away from imported entries: made before the import,
// it removes the placeholder afterwards when the group held nothing else and the
// import added at least one entry.
class PlaceholderReplacement {
public:
    explicit PlaceholderReplacement(const GroupList& list)
        : alone_(list.count() == 1 && list.find(1)->isPlaceholder()) {}
    void afterImport(GroupList& list, const ImportSummary& summary) const;

private:
    bool alone_;
};

}  // namespace ctlite::transfer
