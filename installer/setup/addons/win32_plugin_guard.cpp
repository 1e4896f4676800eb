#include "installer/setup/addons/win32_plugin_guard.h"

#include <windows.h>

namespace vortix {
namespace {

// Where an unhandled exception inside a guarded call jumps back to. The filter is
// the process's last resort: it runs only once every handler inside the call (the
// plug-in's own, and GCC's for C++ exceptions) has declined the exception.
thread_local void* jumpBack[5];
thread_local bool armed = false;
thread_local LPTOP_LEVEL_EXCEPTION_FILTER outerFilter = nullptr;
thread_local void* exceptionChain = nullptr;

LONG WINAPI unhandledInCall(EXCEPTION_POINTERS* info) {
    if (!armed)
        return outerFilter ? outerFilter(info) : EXCEPTION_CONTINUE_SEARCH;
    armed = false;
    __builtin_longjmp(jumpBack, 1);
}

// On 32-bit Windows the handlers registered by the abandoned frames are chained
// from the thread's information block (its first word, fs:0): the chain is put
// back as it was. 64-bit Windows keeps no such chain.
void* currentChain() {
    void* chain = nullptr;
#if defined(__i386__)
    asm volatile("movl %%fs:0, %0" : "=r"(chain));
#endif
    return chain;
}
void restoreChain([[maybe_unused]] void* chain) {
#if defined(__i386__)
    asm volatile("movl %0, %%fs:0" : : "r"(chain) : "memory");
#endif
}

}  // namespace

bool callGuarded(void (*call)(void* context), void* context) {
    exceptionChain = currentChain();
    outerFilter = SetUnhandledExceptionFilter(unhandledInCall);
    if (__builtin_setjmp(jumpBack)) {
        restoreChain(exceptionChain);
        SetUnhandledExceptionFilter(outerFilter);
        return false;
    }
    armed = true;
    call(context);
    armed = false;
    SetUnhandledExceptionFilter(outerFilter);
    return true;
}

}  // namespace vortix
