#include "toolkit/WideText.h"

#include <windows.h>

std::wstring WidenUtf8(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, &wide[0], length);
    return wide;
}

std::string NarrowToUtf8(const wchar_t* wide) {
    if (!wide || !*wide) return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return std::string();
    // The string's own terminating NUL takes the one the conversion writes.
    std::string utf8(static_cast<size_t>(length - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0], length, nullptr, nullptr);
    return utf8;
}

size_t Utf8PrefixOfWideLength(const std::string& utf8, size_t wideLength) {
    size_t bytes = 0;
    size_t units = 0;
    while (bytes < utf8.size()) {
        // A lead byte tells the character's length: 0xxxxxxx, 110xxxxx,
        // 1110xxxx or 11110xxx; only the last needs two units (a surrogate pair).
        const unsigned char lead = static_cast<unsigned char>(utf8[bytes]);
        const size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const size_t needed = length == 4 ? 2 : 1;
        if (units + needed > wideLength) break;
        units += needed;
        bytes += length;
    }
    return bytes < utf8.size() ? bytes : utf8.size();
}

void WidenUtf8Into(const char* utf8, wchar_t* buffer, int size) {
    if (!buffer || size <= 0) return;
    const std::string text = utf8;
    const size_t fits = Utf8PrefixOfWideLength(text, static_cast<size_t>(size - 1));
    const int length = fits ? MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(fits), buffer, size - 1) : 0;
    buffer[length > 0 ? length : 0] = L'\0';
}
