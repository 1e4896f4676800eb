// A mark for an expectation that pins what Wine does where Windows would do
// otherwise: a figure only Wine's libraries give, a setting only Wine reads. The
// tests run under Wine, and such an expectation keeps a behaviour from changing
// unseen; the mark says that it is Wine's, and why:
//
//     if (PINNED_WINE_BEHAVIOUR("Wine's DirectX answers as version 8"))
//         EXPECT_EQ(facts.directXVersion() & 0xFFFF, 8u);
//
// Each mark prints "pinned Wine behaviour: <reason> (file:line)" as the test runs
// and adds the reason to the test's property "pinned_wine_behaviour" (in the XML
// report). It is true under Wine; on Windows it is false, and what it guards is
// left out. `grep -rn PINNED_WINE_BEHAVIOUR tests/` lists them all.
#pragma once

#define PINNED_WINE_BEHAVIOUR(reason) \
    ::testing_support::pinWineBehaviour((reason), __FILE__, __LINE__)

namespace testing_support {

// Whether this program runs under Wine (its ntdll has Wine's version call).
bool runningUnderWine();

// What PINNED_WINE_BEHAVIOUR does: prints and records the reason; runningUnderWine().
bool pinWineBehaviour(const char* reason, const char* file, int line);

}  // namespace testing_support
