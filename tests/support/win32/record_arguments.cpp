// A stand-in for an outside program: writes the argument string it was started
// with to "arguments.txt" beside itself, and ends.
#include <windows.h>

#include <fstream>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, n);
    folder.resize(folder.find_last_of('\\') + 1);
    std::ofstream(folder + "arguments.txt", std::ios::binary) << (arguments ? arguments : "");
    return 0;
}
