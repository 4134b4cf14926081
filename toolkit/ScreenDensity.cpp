#include "toolkit/ScreenDensity.h"

#include <windows.h>

static int ReadScreenLogPixels() {
    HDC screen = GetDC(nullptr);
    const int logPixels = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return logPixels;
}

// A dynamic initializer: it runs while the module is being mapped.
int ScreenLogPixels = ReadScreenLogPixels();
