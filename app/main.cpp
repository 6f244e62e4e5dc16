// Entry point: splash, main window with toolbar, accelerators and the message loop.
#include "app/output_devices.h"
#include "app/shell.h"
#include "app/splash.h"
#include "app/toolbar.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    shell.instance = instance;
    if (!showSplash(showCommand))
        return 0;
    if (!loadPictures()) {
        releasePictures();
        return 0;
    }
    shell.commandLine = commandLine ? commandLine : L"";
    if (!registerMainWindowClass()) {
        MessageBoxW(nullptr, L"This program requires Windows NT!", L"QV", MB_ICONERROR);
        releasePictures();
        return 0;
    }
    HWND window = createMainWindow(showCommand);
    if (!window) {
        releasePictures();
        return 0;
    }
    Toolbar toolbar = createToolbar(window);
    HACCEL accelerators = LoadAcceleratorsW(instance, L"QV");
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorW(window, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    releaseToolbar(toolbar);
    releasePictures();
    builtinSynthFinish();
    return static_cast<int>(message.wParam);
}
