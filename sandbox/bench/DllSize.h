// The DLL's size next to an empty DLL built the same way (QuillmereFloor.dll).
#pragma once

// The 64-bit DLL is held to 32 KB.
constexpr long kDllSizeTarget = sizeof(void*) == 8 ? 32 * 1024 : 64 * 1024;

struct DllSizes {
    long plugin = -1;  // bytes; -1 when the file cannot be read
    long floor = -1;
};

// The two DLLs in the current folder.
DllSizes MeasureDllSizes();

void PrintDllSizes(const DllSizes& sizes);
