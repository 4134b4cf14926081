// UTF-8 and wide (UTF-16) text. Where the wide window calls are in use, the
// plug-in keeps its texts in UTF-8 and widens them at each call.
#pragma once

#include <string>

std::wstring WidenUtf8(const std::string& utf8);
// Null gives an empty text.
std::string NarrowToUtf8(const wchar_t* wide);

// The length in bytes of the longest start of `utf8` that widens to at most
// `wideLength` UTF-16 units; a character that needs two units is not split.
size_t Utf8PrefixOfWideLength(const std::string& utf8, size_t wideLength);

// Widens as much of `utf8` as fits in `buffer` of `size` units with its NUL,
// without splitting a character.
void WidenUtf8Into(const char* utf8, wchar_t* buffer, int size);
