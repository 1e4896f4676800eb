// A stand-in for a pre-uninstall program: exits with the number its file name ends
// in ("veto0.exe" exits 0, "agree1.exe" exits 1).
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    const char* dot = std::strrchr(path, '.');
    if (!n || !dot || dot == path)
        return 99;
    char digit = dot[-1];
    return digit >= '0' && digit <= '9' ? digit - '0' : 99;
}
