// What the "Make a call" window shows and composes, without a window: who is
// called, the numbers offered with the user's captions, and the dial string.
#pragma once

#include <string>
#include <vector>

#include "addressbook/model/entry.h"
#include "addressbook/model/field_labels.h"

namespace ctlite {

// The "Dial to" line: the company name, or else "first last".
std::string dialToText(const Entry& entry);

// One line of the number box: "(" caption ") " number, and the number it dials.
struct NumberChoice {
    std::string text;
    std::string number;
};

// The entry's home, work, mobile, pager and fax numbers that are not empty, in
// that order, each under its current caption.
std::vector<NumberChoice> numberChoices(const Entry& entry, const FieldLabels& labels);

// The call-waiting codes the box offers.
inline constexpr const char* kCallWaitingCodes[] = {"*70,", "70#,", "1170,"};

// Tone ('T') or pulse ('P'), then the call-waiting code when it is on, then the
// outside-line number when it is on: what goes before the number.
struct DialPrefix {
    char mode = 'T';
    bool callWaiting = false;
    std::string callWaitingCode;
    bool outsideLine = false;
    int outsideNumber = 1;
};

std::string dialString(const DialPrefix& prefix, const std::string& number);

}  // namespace ctlite
