// The plain texts the copy commands put on the clipboard, built from one entry.
#pragma once

#include <string>

#include "addressbook/model/entry.h"

namespace ctlite {

// One copy command each, in the order of the Copy menus.
enum class CopyPiece {
    FullName,
    CompanyName,
    EmailAddress,
    WorkPhone,
    HomePhone,
    MobilePhone,
    PagerNumber,
    FaxNumber,
    StreetAddress,
    Homepage,
    Note,
    AllFields,
    LetterAddress,
};

// The clipboard text of one command for `entry`. The street address joins street,
// city line and country with single CRs (pasting into one edit line keeps them
// apart); the blocks end their lines with CR LF.
std::string copyText(const Entry& entry, CopyPiece piece);

}  // namespace ctlite
