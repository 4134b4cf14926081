// Conversions between the text forms a host meets: UTF-8, as a Unicode host
// keeps text here; wide (UTF-16) text, as it hands it out; and 8-bit text in
// one code page, as an ANSI host, or a Unicode host asked for 8 bits, hands
// it out.
#pragma once

#include <windows.h>

#include <string>

std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const wchar_t* wide);  // null gives ""
std::wstring WideFromCodePage(const std::string& text, UINT codePage);
// Lossy, as the host's own conversion: "?" stands for what the page lacks.
std::string CodePageFromUtf8(const std::string& utf8, UINT codePage);
