// The splash window: the title picture for five seconds in a loop of its own.
#include "app/splash.h"
#include "app/shell.h"

namespace {

constexpr UINT_PTR splashTimer = 1;
constexpr UINT splashMilliseconds = 5000;

// Splash picture and its size; set for the splash's lifetime only.
struct SplashState {
    HBITMAP picture = nullptr;
    BITMAP size{};
};
SplashState splash;

void paintSplash(HWND window) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, splash.picture);
    BitBlt(dc, 0, 0, splash.size.bmWidth, splash.size.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    EndPaint(window, &paint);
}

LRESULT CALLBACK SplashWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        SetTimer(window, splashTimer, splashMilliseconds, nullptr);
        return 0;
    case WM_TIMER:
        KillTimer(window, splashTimer);
        SendMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_DESTROY:
        KillTimer(window, splashTimer);
        PostQuitMessage(0);
        return 0;
    case WM_SETFOCUS:
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_PAINT:
        paintSplash(window);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

bool showSplash(int showCommand) {
    splash.picture =
        static_cast<HBITMAP>(LoadImageW(shell.instance, L"Bitmap", IMAGE_BITMAP, 0, 0, 0));
    if (splash.picture)
        GetObjectW(splash.picture, sizeof splash.size, &splash.size);
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = SplashWndProc;
    windowClass.hInstance = shell.instance;
    windowClass.hIcon = LoadIconW(shell.instance, L"QV");
    windowClass.hCursor = LoadCursorW(nullptr, IDC_WAIT);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = L"Cover";
    if (!RegisterClassW(&windowClass)) {
        MessageBoxW(nullptr, L"This program requires Windows NT!", L"Cover", MB_ICONERROR);
        if (splash.picture)
            DeleteObject(splash.picture);
        return false;
    }
    const int width = splash.size.bmWidth, height = splash.size.bmHeight;
    HWND window = CreateWindowExW(0, L"Cover", L"Tonvira", WS_POPUP | WS_BORDER | 0x8,
                                  (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                                  nullptr, nullptr, shell.instance, nullptr);
    if (window) {
        ShowWindow(window, showCommand);
        UpdateWindow(window);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (IsWindow(window))
            DestroyWindow(window);
    }
    if (splash.picture)
        DeleteObject(splash.picture);
    splash.picture = nullptr;
    return true;
}
