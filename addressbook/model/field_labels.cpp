#include "addressbook/model/field_labels.h"

#include "addressbook/model/text.h"

namespace ctlite {
namespace {

constexpr std::string_view kDefaults[kLabelCount] = {
    "Company Name:", "First Name:", "Last Name:", "Work:",           "Home:",
    "Fax:",          "Pager:",      "Mobile:",    "Street Address:", "City:",
    "State:",        "Zip Code:",   "Country:",   "E-Mail Address:", "Homepage:",
};

}  // namespace

std::string_view FieldLabels::defaultText(Label label) {
    return kDefaults[static_cast<int>(label)];
}

void FieldLabels::set(Label label, std::string_view text) {
    texts_[static_cast<int>(label)] = withoutControlBytes(text);
}

void FieldLabels::restoreDefaults() {
    for (int i = 0; i < kLabelCount; ++i)
        texts_[i] = std::string(kDefaults[i]);
}

void FieldLabels::fillEmptyWithDefaults() {
    for (int i = 0; i < kLabelCount; ++i)
        if (texts_[i].empty())
            texts_[i] = std::string(kDefaults[i]);
}

}  // namespace ctlite
