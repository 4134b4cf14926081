#include "tests/RecordSupport.h"

#include <cstring>

template <class Field>
static Field FieldAt(const std::vector<uint8_t>& record, size_t offset) {
    Field value = 0;
    if (offset + sizeof value <= record.size()) std::memcpy(&value, &record[offset], sizeof value);
    return value;
}

uint32_t Int32At(const std::vector<uint8_t>& record, size_t offset) {
    return FieldAt<uint32_t>(record, offset);
}

uintptr_t PointerAt(const std::vector<uint8_t>& record, size_t offset) {
    return FieldAt<uintptr_t>(record, offset);
}

const char* TextAt(const std::vector<uint8_t>& record, size_t offset) {
    return reinterpret_cast<const char*>(PointerAt(record, offset));
}
