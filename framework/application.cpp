#include "framework/application.h"

namespace fw {
namespace {
Application* currentApplication = nullptr;
}

Application::Application(HINSTANCE instance) : instance_(instance) {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(instance, path, sizeof path);
    std::string full(path, n < sizeof path ? n : 0);
    std::size_t slash = full.find_last_of("\\/");
    name_ = full.substr(slash == std::string::npos ? 0 : slash + 1);
    std::size_t dot = name_.find_last_of('.');
    if (dot != std::string::npos)
        name_.resize(dot);
    currentApplication = this;
}

Application& Application::current() {
    return *currentApplication;
}

Application* Application::find() {
    return currentApplication;
}

int messageBox(HWND owner, const std::string& text, const char* title, UINT flags) {
    const std::string caption = title ? std::string(title) : Application::current().name();
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

}  // namespace fw
