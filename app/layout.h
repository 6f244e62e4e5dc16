// Where things go in the main window, and what its painted texts say.
#pragma once

#include <string>

// User-interface thread only. cellWidth/cellHeight are the extent of "M" in the system font,
// measured once at creation; the rest follows every WM_SIZE.
struct Layout {
    int cellWidth = 0;
    int cellHeight = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    int keyboardLeft = 0; // top-left corner of the 475 x 156 on-screen keyboard
    int keyboardTop = 0;
};

extern Layout layout;

inline constexpr int keyboardWidth = 475;
inline constexpr int keyboardHeight = 156;
inline constexpr int keyCellWidth = 38;
inline constexpr int keyCellHeight = 39;
inline constexpr int pictureWidth = 171; // one cell of the instrument picture strip
inline constexpr int pictureHeight = 141;
inline constexpr int pictureTop = 50;
inline constexpr int labelTop = 115;

// Stores the new client size and recomputes the keyboard origin (truncating divisions).
void layoutForSize(Layout& values, int width, int height);

struct ControlRect {
    int x, y, width, height;
};

// The two scroll bars: 0 velocity, 1 pitch bend.
ControlRect scrollBarRect(const Layout& values, int bar);
// The five buttons in identifier order, 0 = start recording .. 4 = stop playback.
ControlRect buttonRect(const Layout& values, int button);

// Which of the fifteen instrument pictures shows: the drum kit on channel index 9, one picture
// per family otherwise, the three synthesizer families sharing one.
int instrumentPictureIndex(int program, int channel);

// "1=C" .. "6=#a" for the 24 key/modes; empty for any other identifier.
std::wstring keyModeLabel(int keyMode);
// The instrument's name, four spaces, the key.
std::wstring instrumentLabel(int program, int keyMode);
