#include "addressbook/ui/password_rules.h"

#include <gtest/gtest.h>

using namespace ctlite;

TEST(PasswordPrompt, ThirdWrongTryIsDenied) {
    PasswordPrompt prompt("Secret");
    EXPECT_EQ(prompt.attempt("secret"), PasswordPrompt::Result::TryAgain);
    EXPECT_EQ(prompt.attempt(""), PasswordPrompt::Result::TryAgain);
    EXPECT_EQ(prompt.attempt("Secret"), PasswordPrompt::Result::Accepted);
    EXPECT_EQ(prompt.attempt("x"), PasswordPrompt::Result::Denied);
}

TEST(PasswordSetup, Checks) {
    EXPECT_EQ(checkPasswordChange("", "", "new", "new"), PasswordChange::Accepted);
    EXPECT_EQ(checkPasswordChange("old", "Old", "n", "n"), PasswordChange::WrongOld);
    EXPECT_EQ(checkPasswordChange("old", "old", "n", "m"), PasswordChange::Mismatch);
    EXPECT_EQ(checkPasswordChange("old", "old", "", ""), PasswordChange::Accepted);  // removes it
}

TEST(PasswordSetup, RefusesWhatTheFileWouldNotGiveBack) {
    const std::string longest(kMaxNameLength, 'x'), tooLong(kMaxNameLength + 1, 'x');
    const struct {
        std::string password;
        PasswordChange expected;
    } cases[] = {
        {longest, PasswordChange::Accepted},
        {tooLong, PasswordChange::Unstorable},
        {"tab\there", PasswordChange::Unstorable},
        {std::string("nul\0", 4), PasswordChange::Unstorable},
        {"\x1F", PasswordChange::Unstorable},
        {"caf\xE9 ~", PasswordChange::Accepted},  // kept as it is, only rotated
    };
    for (const auto& c : cases)
        EXPECT_EQ(checkPasswordChange("", "", c.password, c.password), c.expected) << c.password;
}
