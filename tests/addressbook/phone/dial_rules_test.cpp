#include "addressbook/phone/dial_rules.h"

#include <gtest/gtest.h>

#include "addressbook/phone/line_protocol.h"
#include "tests/support/book_builder.h"

using namespace ctlite;
using testing_support::makeEntry;

TEST(DialRules, DialStringForEveryCombination) {
    const struct {
        char mode;
        bool waiting;
        const char* code;
        bool outside;
        int outsideNumber;
        const char* expected;
    } cases[] = {
        {'T', false, "*70,", false, 9, "T5551234"},
        {'P', false, "*70,", false, 9, "P5551234"},
        {'T', true, "*70,", false, 9, "T*70,5551234"},
        {'P', true, "1170,", false, 9, "P1170,5551234"},
        {'T', false, "*70,", true, 9, "T95551234"},
        {'P', false, "70#,", true, 0, "P05551234"},
        {'T', true, "*70,", true, 9, "T*70,95551234"},
        {'P', true, "1170,", true, 9, "P1170,95551234"},
        {'T', true, "", true, 12, "T125551234"},  // the box ticked, no code chosen
    };
    for (const auto& c : cases) {
        DialPrefix prefix{c.mode, c.waiting, c.code, c.outside, c.outsideNumber};
        EXPECT_EQ(dialString(prefix, "5551234"), c.expected) << c.expected;
    }
}

TEST(DialRules, NumbersInTheirOrderUnderTheUsersCaptions) {
    FieldLabels labels;
    labels.set(Label::WorkPhone, "Office:");
    labels.set(Label::HomePhone, "Home: 2");
    const struct {
        Entry entry;
        std::vector<std::string> texts;
    } cases[] = {
        {makeEntry({{Field::FaxNumber, "555 0100"}}), {"(Fax:) 555 0100"}},
        {makeEntry({{Field::FaxNumber, "5"},
                    {Field::PagerNumber, "4"},
                    {Field::MobilePhone, "3"},
                    {Field::WorkPhone, "2"},
                    {Field::HomePhone, "1"}}),
         {"(Home: 2) 1", "(Office:) 2", "(Mobile:) 3", "(Pager:) 4", "(Fax:) 5"}},
        {makeEntry({{Field::FirstName, "Ann"}}), {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> texts;
        for (const NumberChoice& choice : numberChoices(c.entry, labels))
            texts.push_back(choice.text);
        EXPECT_EQ(texts, c.texts);
    }
}

TEST(DialRules, DialToIsTheCompanyOrElseTheName) {
    EXPECT_EQ(dialToText(makeEntry({{Field::CompanyName, "Acme"}, {Field::FirstName, "Ann"}})),
              "Acme");
    EXPECT_EQ(dialToText(makeEntry({{Field::FirstName, "Ann"}, {Field::LastName, "Smith"}})),
              "Ann Smith");
}

TEST(LineProtocol, CallStateReactions) {
    const struct {
        std::uint32_t state;
        const char* status;
        bool box;
        line::CallStep step;
    } cases[] = {
        {line::kIdle, "Line is idle...", false, line::CallStep::HangUp},
        {line::kOffering, "LINECALLSTATE_OFFERING...", false, line::CallStep::None},
        {line::kAccepted, "", false, line::CallStep::RecordCall},
        {line::kDialTone, "Dial Tone...", false, line::CallStep::None},
        {line::kDialing, "Dialing...", false, line::CallStep::None},
        {line::kBusy, "Line busy, shutting down...", true, line::CallStep::HangUp},
        {line::kSpecialInfo, "Special Info, probably couldn't dial number...", true,
         line::CallStep::HangUp},
        {line::kConnected, "Hey I am connected!", false, line::CallStep::Connected},
        {line::kProceeding, "", false, line::CallStep::RecordCall},
        {line::kDisconnected, "Disconnected: Busy", true, line::CallStep::HangUp},
        {line::kOnHold, "", false, line::CallStep::None},
    };
    for (const auto& c : cases) {
        line::CallStateReaction reaction = line::callStateReaction(c.state, 0x20);
        EXPECT_EQ(reaction.status, c.status) << std::hex << c.state;
        EXPECT_EQ(reaction.box, c.box) << std::hex << c.state;
        EXPECT_EQ(reaction.step, c.step) << std::hex << c.state;
    }
}

TEST(LineProtocol, DisconnectTextsByMode) {
    // The telephony API's mode bits: normal, busy, no dial tone (the table's ends and a middle).
    EXPECT_EQ(line::disconnectText(0x1), "Remote Party Disconnected");
    EXPECT_EQ(line::disconnectText(0x20), "Disconnected: Busy");
    EXPECT_EQ(line::disconnectText(0x1000), "Disconnected: No Dial Tone");
    for (std::uint32_t other : {0u, 0x2000u, 0x80000u, 0x3u})
        EXPECT_EQ(line::disconnectText(other), "Disconnected: LINECALLSTATE; Bad Reason") << other;
}

TEST(LineProtocol, OtherEventsAndDeallocationFailures) {
    const struct {
        std::uint32_t message, parameter;
        const char* status;
    } events[] = {
        {line::kCloseMessage, 0, "LINE_CLOSED..."},
        {line::kLineDevStateMessage, line::kDevStateRinging, "LINEDEVSTATE_RINGING..."},
        {line::kLineDevStateMessage, line::kDevStateReinit, "LINEDEVSTATE_REINIT..."},
        {line::kLineDevStateMessage, 0x1, ""},
        {line::kReplyMessage, 0, "Line Reply..."},
        {0, 0, ""},
    };
    for (const auto& e : events)
        EXPECT_EQ(line::lineEventStatus(e.message, e.parameter), e.status) << e.message;
    // The six results with a status, in the order of their numbers.
    const std::uint32_t results[] = {0x80000018, 0x80000048, 0x8000001C,
                                     0x8000004B, 0x80000044, 0x80000050};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(line::deallocateFailure(static_cast<line::Result>(results[i])),
                  "lineDeallocateCall(" + std::to_string(i + 1) + ") failed");
    EXPECT_EQ(line::deallocateFailure(line::kOperationUnavailable), "");
}
