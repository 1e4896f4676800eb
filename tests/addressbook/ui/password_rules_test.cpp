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
