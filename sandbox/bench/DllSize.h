// The DLL's size next to an empty DLL built the same way (QuillmereFloor.dll).
#pragma once

// Both builds of the DLL are held to 40 KB.
constexpr long kDllSizeTarget = 40 * 1024;

struct DllSizes {
    long plugin = -1;  // bytes; -1 when the file cannot be read
    long floor = -1;
};

// The two DLLs in the current folder.
DllSizes MeasureDllSizes();

void PrintDllSizes(const DllSizes& sizes);
