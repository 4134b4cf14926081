// Pictures of top-level windows as they are on screen, for the demo.
#pragma once

#include <windows.h>

#include <vector>

// Saves the windows, bottom first, as one 24-bit BMP file covering all of
// them; what lies between them is left grey. False when nothing was saved.
bool SaveWindowsPicture(const std::vector<HWND>& bottomToTop, const char* path);
