#include "addressbook/shell/shell_shortcut.h"

// (after windows.h)
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <vector>

namespace ctlite {
namespace {

std::wstring wide(const std::string& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> buffer(n > 0 ? n : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer.data(), n);
    return buffer.data();
}

// Releases a COM interface when it goes out of scope.
template <class T>
struct Held {
    T* p = nullptr;
    ~Held() {
        if (p)
            p->Release();
    }
};

}  // namespace

bool ShellShortcut::set(Fields fields) {
    fields_ = std::move(fields);
    pending_ = true;
    return save();
}

bool ShellShortcut::save() {
    if (!pending_)
        return true;
    Held<IShellLinkA> link;
    Held<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link.p))) ||
        FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))))
        return false;
    const Fields& f = fields_;
    if (FAILED(link.p->SetPath(f.target.c_str())) ||
        FAILED(link.p->SetWorkingDirectory(f.workingDirectory.c_str())) ||
        FAILED(link.p->SetIconLocation(f.iconPath.c_str(), f.iconIndex)) ||
        FAILED(link.p->SetDescription(f.description.c_str())) ||
        FAILED(link.p->SetArguments(f.arguments.c_str())) || FAILED(link.p->SetHotkey(f.hotKey)) ||
        FAILED(link.p->SetShowCmd(f.showCommand)) ||
        FAILED(file.p->Save(wide(f.linkPath).c_str(), TRUE)))
        return false;
    pending_ = false;
    return true;
}

}  // namespace ctlite
