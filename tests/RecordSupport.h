// Reads the fields of a record the host received, at their byte offsets.
// Offsets differ between 32-bit and 64-bit hosts, so tests name both with
// ByTarget(on32Bit, on64Bit). A field past the record's end reads as 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

uint32_t Int32At(const std::vector<uint8_t>& record, size_t offset);
uintptr_t PointerAt(const std::vector<uint8_t>& record, size_t offset);
const char* TextAt(const std::vector<uint8_t>& record, size_t offset);
