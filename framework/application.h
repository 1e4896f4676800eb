// The program as a whole: its instance, its executable's name, and the one
// message-box routine every window uses.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

class Application {
public:
    explicit Application(HINSTANCE instance);
    static Application& current();
    // The application object, or null in a program that makes none.
    static Application* find();

    HINSTANCE instance() const { return instance_; }
    // The executable's file name without its folder and extension ("ctlite").
    const std::string& name() const { return name_; }

private:
    HINSTANCE instance_;
    std::string name_;
};

// A message box; a box given no title shows the executable's name.
int messageBox(HWND owner, const std::string& text, const char* title, UINT flags);

}  // namespace fw
