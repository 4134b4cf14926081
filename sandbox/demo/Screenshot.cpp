#include "sandbox/demo/Screenshot.h"

#include <algorithm>
#include <cstdio>

bool SaveWindowsPicture(const std::vector<HWND>& bottomToTop, const char* path) {
    RECT all = {};
    bool any = false;
    for (HWND window : bottomToTop) {
        RECT rect;
        if (!GetWindowRect(window, &rect)) continue;
        all = any ? RECT{std::min(all.left, rect.left), std::min(all.top, rect.top),
                         std::max(all.right, rect.right), std::max(all.bottom, rect.bottom)}
                  : rect;
        any = true;
    }
    if (!any) return false;
    const int width = all.right - all.left;
    const int height = all.bottom - all.top;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    header.biSizeImage = stride * static_cast<DWORD>(height);

    HDC screenDc = GetDC(nullptr);
    HDC memoryDc = CreateCompatibleDC(screenDc);
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(screenDc, reinterpret_cast<BITMAPINFO*>(&header),
                                      DIB_RGB_COLORS, &pixels, nullptr, 0);
    bool saved = false;
    if (bitmap && pixels) {
        HGDIOBJ old = SelectObject(memoryDc, bitmap);
        RECT background = {0, 0, width, height};
        FillRect(memoryDc, &background, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        // Each window's own DC covers its frame and its children: one copy a
        // window, the top one last, gives what the screen shows.
        for (HWND window : bottomToTop) {
            RECT rect;
            if (!GetWindowRect(window, &rect)) continue;
            HDC windowDc = GetWindowDC(window);
            BitBlt(memoryDc, rect.left - all.left, rect.top - all.top, rect.right - rect.left,
                   rect.bottom - rect.top, windowDc, 0, 0, SRCCOPY);
            ReleaseDC(window, windowDc);
        }
        GdiFlush();
        SelectObject(memoryDc, old);

        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;  // "BM"
        file.bfOffBits = sizeof file + sizeof header;
        file.bfSize = file.bfOffBits + header.biSizeImage;
        if (FILE* out = std::fopen(path, "wb")) {
            saved = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                    std::fwrite(&header, sizeof header, 1, out) == 1 &&
                    std::fwrite(pixels, header.biSizeImage, 1, out) == 1;
            saved = std::fclose(out) == 0 && saved;
        }
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memoryDc);
    ReleaseDC(nullptr, screenDc);
    return saved;
}
