#include "installer/setup/addons/win32_plugin_callbacks.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace vortix {
namespace {

PluginServices* bound = nullptr;

PluginServices& services() {
    return *bound;
}

int VXPLUGIN_API pluginRecordFile(const char* path) {
    return services().recorder.recordFile(path ? path : "");
}
int VXPLUGIN_API pluginCreateDirectory(const char* path) {
    return services().recorder.createDirectory(path ? path : "");
}
int VXPLUGIN_API pluginRecordKey(HKEY root, const char* keyPath) {
    return services().recorder.recordKey(
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(root)), keyPath ? keyPath : "");
}
int VXPLUGIN_API pluginCountSharedFile(const char* path) {
    return services().recorder.countSharedFile(path ? path : "");
}
int VXPLUGIN_API pluginRecordValue(HKEY root, const char* keyPath, const char* valueName) {
    return services().recorder.recordValue(
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(root)), keyPath ? keyPath : "",
        valueName ? valueName : "");
}
int VXPLUGIN_API pluginBackUpFile(const char* path) {
    return services().recorder.backUpFile(path ? path : "");
}

int copyOut(const std::string& text, char* buffer, DWORD size) {
    if (!buffer || text.size() + 1 > size)
        return VXPLUGIN_FAILED;
    memcpy(buffer, text.c_str(), text.size() + 1);
    return VXPLUGIN_OK;
}

int VXPLUGIN_API pluginGetVariable(const char* name, char* buffer, DWORD size) {
    if (!name || !*name)
        return VXPLUGIN_BAD_ARGUMENT;
    std::optional<std::string> value = services().variables.lookup(name);
    return value ? copyOut(*value, buffer, size) : VXPLUGIN_FAILED;
}
int VXPLUGIN_API pluginSetVariable(const char* name, int value) {
    if (!name || !*name)
        return VXPLUGIN_BAD_ARGUMENT;
    return services().variables.setVariable(name, value) == 1 ? VXPLUGIN_OK : VXPLUGIN_BAD_ARGUMENT;
}
int VXPLUGIN_API pluginExpandText(const char* text, char* buffer, DWORD size) {
    return copyOut(services().variables.expandAll(text ? text : ""), buffer, size);
}
int VXPLUGIN_API pluginMessageBox(const char* text, UINT type) {
    Buttons buttons = Buttons::Ok;
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL: buttons = Buttons::OkCancel; break;
        case MB_YESNO: buttons = Buttons::YesNo; break;
        case MB_YESNOCANCEL: buttons = Buttons::YesNoCancel; break;
        case MB_RETRYCANCEL: buttons = Buttons::RetryCancel; break;
        case MB_ABORTRETRYIGNORE: buttons = Buttons::AbortRetryIgnore; break;
        default: break;
    }
    return services().messages.show(text ? text : "", buttons, type & MB_ICONMASK);
}

const VxPluginCallbacks kPluginCallbacks = {
    sizeof(VxPluginCallbacks), pluginRecordFile,  pluginCreateDirectory, pluginRecordKey,
    pluginCountSharedFile,     pluginRecordValue, pluginBackUpFile,      pluginGetVariable,
    pluginSetVariable,         pluginExpandText,  pluginMessageBox,
};

}  // namespace

PluginCallbacks::PluginCallbacks(PluginServices services) : services_(services) {
    bound = &services_;
}

PluginCallbacks::~PluginCallbacks() {
    if (bound == &services_)
        bound = nullptr;
}

const VxPluginCallbacks* PluginCallbacks::table() const {
    return &kPluginCallbacks;
}

}  // namespace vortix
