#include "sandbox/bench/DllSize.h"

#include <windows.h>

#include <cstdio>

namespace {

long FileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
    return static_cast<long>(data.nFileSizeLow);
}

}  // namespace

DllSizes MeasureDllSizes() { return {FileSize("Quillmere.dll"), FileSize("QuillmereFloor.dll")}; }

void PrintDllSizes(const DllSizes& sizes) {
    std::printf("Size:\n");
    std::printf("  Quillmere.dll       %7ld bytes (target at most 40 KB, %ld bytes: %s)\n", sizes.plugin,
                kDllSizeTarget, sizes.plugin >= 0 && sizes.plugin <= kDllSizeTarget ? "met" : "MISSED");
    std::printf("  QuillmereFloor.dll  %7ld bytes (empty DLL, same toolchain and flags)\n", sizes.floor);
    std::printf("  the plug-in adds    %7ld bytes\n\n", sizes.plugin - sizes.floor);
}
