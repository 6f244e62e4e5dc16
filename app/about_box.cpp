// The About box. Its statics have no notify style, so every mouse move and click over a link
// reaches AboutBoxProc, which does the hyperlink work itself.
#include "app/about_box.h"
#include "app/scaled_font.h"
#include "app/shell.h"
#include "app/system_seam.h"
#include "resources/resource_ids.h"

AboutBoxState aboutBox;

namespace {

struct Link {
    int control;
    const wchar_t* shown;
    const wchar_t* target;
};

// In hit-test order; the controls are IDC_LINK_MAIL + index.
const Link links[aboutLinkCount] = {
    {IDC_LINK_MAIL, L"tonvira@example.org", L"mailto:tonvira@example.org"},
    {IDC_LINK_HOME, L"https://tonvira.example.org/", L"https://tonvira.example.org/"},
    {IDC_LINK_DOWNLOAD1, L"https://tonvira.example.org/files/",
     L"https://tonvira.example.org/files/"},
    {IDC_LINK_DOWNLOAD2, L"https://tonvira.example.org/tonvira-setup.zip",
     L"https://tonvira.example.org/tonvira-setup.zip"},
};

constexpr COLORREF visitedColour = RGB(150, 0, 150);
constexpr COLORREF titleColour = RGB(255, 0, 0);

// Lets the control paint its own empty face, then draws the text over it. colour may be null
// for the context's default text colour.
void drawOverControl(HWND control, const wchar_t* text, const COLORREF* colour, const wchar_t* face,
                     int height, unsigned attributes, UINT format) {
    InvalidateRect(control, nullptr, TRUE);
    UpdateWindow(control);
    HDC dc = GetDC(control);
    if (!dc)
        return;
    SetBkMode(dc, TRANSPARENT);
    if (colour)
        SetTextColor(dc, *colour);
    HFONT font = makeScaledFont(dc, face, height, 0, attributes, true);
    HGDIOBJ previous = SelectObject(dc, font);
    RECT area{};
    GetClientRect(control, &area);
    DrawTextW(dc, text, -1, &area, format);
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(control, dc);
}

HCURSOR handCursor() {
    return LoadCursorW(shell.instance, MAKEINTRESOURCEW(IDC_PLAY_CURSOR));
}

// The first link whose rectangle holds the point; a point on an edge is outside. -1 for none.
int linkAt(LPARAM point) {
    const int x = LOWORD(point), y = HIWORD(point);
    for (int i = 0; i < aboutLinkCount; ++i) {
        const RECT& r = aboutBox.linkRect[i];
        if (r.left < x && x < r.right && r.top < y && y < r.bottom)
            return i;
    }
    return -1;
}

void onInitDialog(HWND dialog) {
    for (int i = 0; i < aboutLinkCount; ++i) {
        HWND control = GetDlgItem(dialog, links[i].control);
        aboutBox.linkControls[i] = control;
        RECT r{};
        GetWindowRect(control, &r);
        POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
        ScreenToClient(dialog, &corners[0]);
        ScreenToClient(dialog, &corners[1]);
        aboutBox.linkRect[i] = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    }
    aboutBox.titleControl = GetDlgItem(dialog, IDC_ABOUT_TITLE);
}

void onPaint() {
    for (int i = 0; i < aboutLinkCount; ++i)
        drawLinkLabel(aboutBox.linkControls[i], links[i].shown, aboutBox.linkVisited[i]);
    drawTitleLabel(aboutBox.titleControl, L"Tonvira", titleColour, 240, fontBold);
}

void onMouseMove(LPARAM point) {
    SetCursor(linkAt(point) >= 0 ? handCursor() : LoadCursorW(nullptr, IDC_ARROW));
}

void onLinkClick(LPARAM point) {
    const int i = linkAt(point);
    if (i < 0)
        return;
    // The shell may take a while to start a mail program or a browser.
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    ShowCursor(TRUE);
    openWithShell(links[i].target);
    ShowCursor(FALSE);
    SetCursor(handCursor());
    aboutBox.linkVisited[i] = true;
    drawLinkLabel(aboutBox.linkControls[i], links[i].shown, true);
}

} // namespace

void drawLinkLabel(HWND control, const wchar_t* text, bool visited) {
    drawOverControl(control, text, visited ? &visitedColour : nullptr, L"Times New Roman", 0,
                    fontUnderline, DT_SINGLELINE | DT_VCENTER);
}

void drawTitleLabel(HWND control, const wchar_t* text, COLORREF colour, int height,
                    unsigned attributes) {
    drawOverControl(control, text, &colour, L"MS Sans Serif", height, attributes,
                    DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        onInitDialog(dialog);
        return TRUE; // the focus goes to the OK button
    case WM_PAINT:
        onPaint();
        return FALSE; // the dialog's own painting runs too
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    case WM_MOUSEMOVE:
        onMouseMove(lParam);
        return FALSE;
    case WM_LBUTTONDOWN:
        onLinkClick(lParam);
        return FALSE;
    default:
        return FALSE;
    }
}

void showAboutBox(HWND owner) {
    DialogBoxParamW(shell.instance, L"AboutBox", owner, AboutBoxProc, 0);
}
