// How the call log writes the arguments of a call, for every module of the
// sandbox host alike, so that tests can compare the texts.
#pragma once

#include <cstdint>
#include <string>

// The text as it is; "(null)" for a null pointer, "<N chars>" for a long one.
std::string Quote(const char* text);
// "0x0000ABCD".
std::string Hex(uint32_t value);
