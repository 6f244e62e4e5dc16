// Key, Esc, mouse and replay messages of the main window: the notes go out first, then the one
// key is redrawn.
#include "app/key_input.h"
#include "app/commands.h"
#include "app/document.h"
#include "app/key_drawing.h"
#include "app/layout.h"
#include "app/scaled_font.h"
#include "app/shell.h"
#include "app/system_seam.h"
#include "engine/key_events.h"
#include "engine/performance_state.h"
#include "recording/event_lists.h"
#include "recording/playback_scheduler.h"

namespace {

// The label font and the key picture around the drawing of one key. Made per event and released
// before the handler returns.
struct KeyDrawingContext {
    HWND window;
    HDC dc;
    HFONT font;
    HDC picture;

    explicit KeyDrawingContext(HWND owner) : window(owner), dc(GetDC(owner)) {
        font = makeScaledFont(dc, L"Times New Roman", 0, 0, 0, true);
        SelectObject(dc, font);
        SelectObject(dc, GetStockObject(BLACK_BRUSH));
        picture = CreateCompatibleDC(dc);
        SelectObject(picture, shell.keyPicture);
    }
    ~KeyDrawingContext() {
        DeleteDC(picture);
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
        DeleteObject(font);
        ReleaseDC(window, dc);
    }
    KeyDrawingContext(const KeyDrawingContext&) = delete;
    KeyDrawingContext& operator=(const KeyDrawingContext&) = delete;
};

// A recording that ran out of memory says so once; it stops growing until the next start.
void finish(HWND window, const KeyOutcome& outcome) {
    if (outcome.recordingChanged)
        document.dirty = true;
    if (outcome.draw) {
        KeyDrawingContext drawing(window);
        drawKey(drawing.dc, drawing.picture, outcome.scan, outcome.pressed, outcome.drawShift);
    }
    if (outcome.outOfMemory)
        reportOutOfMemory();
}

} // namespace

void onKeyMessage(HWND window, UINT message, LPARAM lParam) {
    if (!performance.deviceOpen)
        return;
    finish(window, handleKeyEvent(message, static_cast<uint32_t>(lParam), readModifiers()));
}

void onChar(HWND window, WPARAM character) {
    if (!performance.deviceOpen || character != 27)
        return;
    silenceOnEscape();
    InvalidateRect(window, nullptr, TRUE); // every key drawn released again
}

void onMouseDown(HWND window, LPARAM lParam) {
    const int x = LOWORD(lParam), y = HIWORD(lParam);
    const std::optional<unsigned> key = keyAtPoint(x, y, layout.keyboardLeft, layout.keyboardTop);
    if (!key)
        return;
    SetCapture(window);
    performance.capturedKey = static_cast<int32_t>(*key);
    SendMessageW(window, WM_KEYDOWN, 0, static_cast<LPARAM>(*key) << 16);
}

void onMouseUp(HWND window) {
    if (performance.capturedKey < 0 || performance.capturedKey > 53)
        return;
    const LPARAM key = static_cast<LPARAM>(performance.capturedKey) << 16;
    SendMessageW(window, WM_KEYUP, 0, key);
    performance.capturedKey = 255;
    ReleaseCapture();
}

void onReplayEvent(HWND window, WPARAM generation, LPARAM index) {
    const EventList& list = eventLists.playbackList;
    if (!performance.deviceOpen || generation != playbackGeneration() || index < 0 ||
        static_cast<size_t>(index) >= list.size())
        return; // stale: playback stopped, or the list changed, since it was posted
    const PerfEvent event = list[static_cast<size_t>(index)];
    finish(window, replayKeyEvent(event.message, event.keyData, event.octaveShift));
}
