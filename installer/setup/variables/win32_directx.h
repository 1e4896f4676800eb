// What the DirectX probes share: the libraries loaded by name for one question
// (so the programs start on systems without them) and released again, and the
// interfaces held only as long as the question takes.
#pragma once

#include <windows.h>

#include <ddraw.h>
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include <dinput.h>
#include <dmusicc.h>

#include "installer/common/win32_system_libraries.h"

namespace vortix {

// The library's own entry points, looked up by name; their types as the
// libraries define them, the objects they make taken as plain interfaces.
using DirectDrawCreateFunction = HRESULT(WINAPI*)(GUID*, IDirectDraw**, IUnknown*);
using DirectDrawEnumerateExFunction = HRESULT(WINAPI*)(LPDDENUMCALLBACKEXA, void*, DWORD);
using DirectInputCreateFunction = HRESULT(WINAPI*)(HINSTANCE, DWORD, IUnknown**, IUnknown*);
using DirectInput8CreateFunction = HRESULT(WINAPI*)(HINSTANCE, DWORD, REFIID, void**, IUnknown*);

// A library of the system directory, loaded for one probe and freed after it.
class ProbeLibrary {
public:
    explicit ProbeLibrary(const char* name) : module_(loadSystemLibrary(name)) {}
    ~ProbeLibrary() {
        if (module_)
            FreeLibrary(module_);
    }
    ProbeLibrary(const ProbeLibrary&) = delete;
    ProbeLibrary& operator=(const ProbeLibrary&) = delete;
    explicit operator bool() const { return module_ != nullptr; }

    // Null when the library or the function is not there.
    template <class Function>
    Function function(const char* name) const {
        if (!module_)
            return nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

private:
    HMODULE module_;
};

// An interface, released when it goes (before the library that made it: declare
// it after its ProbeLibrary).
template <class Interface>
class Held {
public:
    Held() = default;
    ~Held() { reset(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

    Interface* get() const { return held_; }
    Interface* operator->() const { return held_; }
    explicit operator bool() const { return held_ != nullptr; }
    Interface** out() {
        reset();
        return &held_;
    }
    void** voidOut() { return reinterpret_cast<void**>(out()); }
    void reset() {
        if (held_)
            held_->Release();
        held_ = nullptr;
    }

private:
    Interface* held_ = nullptr;
};

// Whether `object` offers the interface `iid` (asked for and released again).
inline bool offers(IUnknown* object, REFIID iid) {
    Held<IUnknown> asked;
    return object && SUCCEEDED(object->QueryInterface(iid, asked.voidOut())) && asked;
}

}  // namespace vortix
