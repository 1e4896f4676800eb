// The fifteen captions the user may rename, with their defaults.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace ctlite {

enum class Label {
    CompanyName,
    FirstName,
    LastName,
    WorkPhone,
    HomePhone,
    Fax,
    Pager,
    Mobile,
    StreetAddress,
    City,
    State,
    ZipCode,
    Country,
    EmailAddress,
    Homepage,
};
inline constexpr int kLabelCount = 15;

class FieldLabels {
public:
    FieldLabels() { restoreDefaults(); }

    static std::string_view defaultText(Label label);

    const std::string& get(Label label) const { return texts_[static_cast<int>(label)]; }
    // A caption is one line of text: control bytes are dropped.
    void set(Label label, std::string_view text);

    void restoreDefaults();
    // Each empty caption takes its default; a single blank is not empty.
    void fillEmptyWithDefaults();

    friend bool operator==(const FieldLabels& a, const FieldLabels& b) {
        return a.texts_ == b.texts_;
    }

private:
    std::array<std::string, kLabelCount> texts_;
};

}  // namespace ctlite
