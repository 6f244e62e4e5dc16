// The scroll bars and push buttons of the main window.
#pragma once

#include <windows.h>

struct CommandStates;

// Creates the velocity and pitch-bend bars and the five buttons, and measures the text cell.
void createControls(HWND window);
// Recomputes the layout for a new client size and moves the controls.
void placeControls(int width, int height);
// Enables the buttons (and, with a menu, the menu items) of a situation.
void applyCommandStates(HMENU menu, const CommandStates& states);
