#include "sandbox/TextCodec.h"

#include <cwchar>

std::wstring WideFromCodePage(const std::string& text, UINT codePage) {
    if (text.empty()) return std::wstring();
    const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::wstring WideFromUtf8(const std::string& utf8) { return WideFromCodePage(utf8, CP_UTF8); }

static std::string CodePageFromWide(const std::wstring& wide, UINT codePage) {
    if (wide.empty()) return std::string();
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &text[0], length,
                        nullptr, nullptr);
    return text;
}

std::string Utf8FromWide(const wchar_t* wide) {
    return wide ? CodePageFromWide(wide, CP_UTF8) : std::string();
}

std::string CodePageFromUtf8(const std::string& utf8, UINT codePage) {
    return CodePageFromWide(WideFromUtf8(utf8), codePage);
}
