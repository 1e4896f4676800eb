#include "addressbook/model/password.h"

namespace ctlite {

std::string rotatePrintable(std::string_view text, int k) {
    int shift = k % 95;
    if (shift < 0)
        shift += 95;
    std::string out(text);
    for (char& c : out) {
        int code = static_cast<unsigned char>(c);
        if (code >= 0x20 && code <= 0x7E)
            c = static_cast<char>((code - 0x20 + shift) % 95 + 0x20);
    }
    return out;
}

}  // namespace ctlite
