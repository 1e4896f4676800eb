// The one argument string the poster program is started with, and its reading.
// Each value stands between "^" marks and is followed by a blank:
//   ^note^ ^company^ ^e-mail^ ... ^mobile label^
#pragma once

#include <string>
#include <vector>

#include "addressbook/model/entry.h"
#include "addressbook/model/field_labels.h"

namespace ctlite {

// Note, company name, e-mail address, fax, group name, home phone, homepage, mobile,
// first-name display, pager, picture, city line, street address, work phone,
// country, then the labels for work, home, fax, pager and mobile.
std::string posterArguments(const Entry& entry, const std::string& groupName,
                            const FieldLabels& labels);

// The values in order (twenty when the string is whole).
std::vector<std::string> splitPosterArguments(const std::string& arguments);

}  // namespace ctlite
