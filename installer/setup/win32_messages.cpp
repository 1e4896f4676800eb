#include "installer/setup/win32_messages.h"

namespace vortix {

int SetupMessages::show(std::string_view text, Buttons buttons, UINT icon, UINT extra) {
    if (silent_)
        return silentAnswer(buttons);
    UINT type = MB_OK;
    switch (buttons) {
        case Buttons::Ok: type = MB_OK; break;
        case Buttons::OkCancel: type = MB_OKCANCEL; break;
        case Buttons::YesNo: type = MB_YESNO; break;
        case Buttons::YesNoCancel: type = MB_YESNOCANCEL; break;
        case Buttons::RetryCancel: type = MB_RETRYCANCEL; break;
        case Buttons::AbortRetryIgnore: type = MB_ABORTRETRYIGNORE; break;
    }
    std::string body = text.empty() ? std::string(kOutOfMemoryText) : std::string(text);
    HWND owner = owner_ && IsWindow(owner_) ? owner_ : nullptr;
    return MessageBoxA(owner, body.c_str(), caption().c_str(), type | icon | extra);
}

}  // namespace vortix
