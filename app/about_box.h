// The About box: the program's picture and name and four links, drawn by the program over empty
// static controls and opened with the shell.
#pragma once

#include <windows.h>

inline constexpr int aboutLinkCount = 4; // IDC_LINK_MAIL .. IDC_LINK_DOWNLOAD2

// User-interface thread only. linkVisited lasts for the run; the rest is taken at each opening.
struct AboutBoxState {
    bool linkVisited[aboutLinkCount] = {};
    RECT linkRect[aboutLinkCount] = {}; // dialog client coordinates
    HWND linkControls[aboutLinkCount] = {};
    HWND titleControl = nullptr;
};

extern AboutBoxState aboutBox;

// One underlined link over its control, purple once visited.
void drawLinkLabel(HWND control, const wchar_t* text, bool visited);
// One centred title over its control; height in tenths of a point, attributes FontAttributes.
void drawTitleLabel(HWND control, const wchar_t* text, COLORREF colour, int height,
                    unsigned attributes);
INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the About box modally, owned by the given window.
void showAboutBox(HWND owner);
