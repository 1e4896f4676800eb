// The password prompt's three tries and Password Setup's checks, without windows.
#pragma once

#include <string>
#include <string_view>

#include "addressbook/model/address_book.h"

namespace ctlite {

class PasswordPrompt {
public:
    enum class Result { Accepted, TryAgain, Denied };

    explicit PasswordPrompt(std::string password) : password_(std::move(password)) {}

    // Compares byte for byte, case-sensitively; the third wrong try is denied.
    Result attempt(std::string_view typed) {
        if (typed == password_)
            return Result::Accepted;
        return ++wrongTries_ >= 3 ? Result::Denied : Result::TryAgain;
    }

private:
    std::string password_;
    int wrongTries_ = 0;
};

// Unstorable: the data file would not give the password back as typed (longer
// than kMaxNameLength, or holding a byte below 0x20), so it could never be entered.
enum class PasswordChange { Accepted, WrongOld, Mismatch, Unstorable };

inline bool storablePassword(std::string_view password) {
    if (password.size() > kMaxNameLength)
        return false;
    for (char c : password)
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

inline PasswordChange checkPasswordChange(std::string_view current, std::string_view old,
                                          std::string_view newPassword,
                                          std::string_view confirmation) {
    if (old != current)
        return PasswordChange::WrongOld;
    if (newPassword != confirmation)
        return PasswordChange::Mismatch;
    if (!storablePassword(newPassword))
        return PasswordChange::Unstorable;
    return PasswordChange::Accepted;
}

}  // namespace ctlite
