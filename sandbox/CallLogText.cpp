#include "sandbox/CallLogText.h"

#include <cstdio>

std::string Quote(const char* text) {
    if (!text) return "(null)";
    std::string quoted(text);
    // Long texts are logged by length, so that a log stays readable.
    if (quoted.size() > 300) return "<" + std::to_string(quoted.size()) + " chars>";
    return quoted;
}

std::string Hex(uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(value));
    return buffer;
}
