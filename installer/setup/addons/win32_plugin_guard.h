// Calls into the package's plug-in library, guarded against a structured exception
// that nothing inside the call handles (an access violation, RaiseException, the
// C++ exceptions of other compilers, which are structured exceptions too): MinGW's
// catch (...) does not see those, and the program would end, half installed, with
// nothing rolled back. An exception the plug-in handles itself stays its own.
#pragma once

namespace vortix {

// Runs `call(context)` on this thread; false when a structured exception nobody
// handled ended it (its frames are then abandoned, as the plug-in left them).
bool callGuarded(void (*call)(void* context), void* context);

// The same for any callable.
template <class Call>
bool callGuarded(Call& call) {
    return callGuarded([](void* c) { (*static_cast<Call*>(c))(); }, &call);
}

}  // namespace vortix
