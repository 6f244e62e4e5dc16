#include "app/scaled_font.h"

#include <cmath>
#include <cwchar>

HFONT makeScaledFont(HDC dc, const wchar_t* face, int height, int width, unsigned attributes,
                     bool logicalResolution) {
    SaveDC(dc);
    SetGraphicsMode(dc, GM_ADVANCED);
    ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);

    float xDpi, yDpi;
    if (logicalResolution) {
        xDpi = static_cast<float>(GetDeviceCaps(dc, LOGPIXELSX));
        yDpi = static_cast<float>(GetDeviceCaps(dc, LOGPIXELSY));
    } else {
        xDpi = 25.4f * GetDeviceCaps(dc, HORZRES) / GetDeviceCaps(dc, HORZSIZE);
        yDpi = 25.4f * GetDeviceCaps(dc, VERTRES) / GetDeviceCaps(dc, VERTSIZE);
    }
    const float perPoint = 1.0f / 72.0f; // 72 points to the inch
    POINT size{static_cast<LONG>(width * xDpi * perPoint),
               static_cast<LONG>(height * yDpi * perPoint)};
    DPtoLP(dc, &size, 1);

    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(std::fabs(static_cast<double>(size.y)) / 10.0 + 0.5);
    font.lfWeight = (attributes & fontBold) ? FW_BOLD : 0;
    font.lfItalic = (attributes & fontItalic) ? 1 : 0;
    font.lfUnderline = (attributes & fontUnderline) ? 1 : 0;
    font.lfStrikeOut = (attributes & fontStrikeOut) ? 1 : 0;
    font.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    HFONT result = CreateFontIndirectW(&font);

    if (width != 0 && size.y != 0) {
        HGDIOBJ previous = SelectObject(dc, result);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, previous);
        DeleteObject(result);
        font.lfWidth =
            static_cast<LONG>(std::fabs(static_cast<double>(size.x)) * metrics.tmAveCharWidth /
                                  std::fabs(static_cast<double>(size.y)) +
                              0.5);
        result = CreateFontIndirectW(&font);
    }
    RestoreDC(dc, -1);
    return result;
}
