// Contavo Lite: the address book.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <winsock.h>

#include "addressbook/ui/main_window.h"
#include "framework/application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    fw::Application application(instance);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitialize(nullptr);
    WSADATA sockets;
    if (WSAStartup(MAKEWORD(1, 1), &sockets) != 0)
        return 0;  // ends quietly
    ctlite::MainWindow window;
    if (window.instanceChecker().IsAnotherInstanceRunning()) {
        // Another copy runs: bring it forward and end without showing anything.
        window.instanceChecker().ActivateOtherInstance();
        return 0;
    }
    INT_PTR result = window.run();
    WSACleanup();
    CoUninitialize();
    return result == -1 ? -1 : 0;
}
