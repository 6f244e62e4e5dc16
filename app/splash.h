#pragma once

// Shows the splash picture for five seconds; false when its window class cannot be set up (the
// user has been told).
bool showSplash(int showCommand);
