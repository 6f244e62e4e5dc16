// tonvira-tool's commands: info, export, notation and import.
#pragma once

#include <filesystem>
#include <vector>

// Runs the command named by the first argument. Returns the exit status: 0 done, 1 a file could
// not be read or written, 2 the arguments were wrong (a short usage text is printed).
int runTool(const std::vector<std::filesystem::path>& arguments);
