#include "sandbox/GuardedRecord.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

std::shared_ptr<void> CopyAgainstGuardPage(const void* record, size_t readable) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize;
    if (readable > page) return nullptr;
    auto* base = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!base) return nullptr;
    DWORD previous = 0;
    VirtualProtect(base + page, page, PAGE_NOACCESS, &previous);
    uint8_t* copy = base + page - readable;
    std::memcpy(copy, record, readable);
    return std::shared_ptr<void>(copy, [base](void*) { VirtualFree(base, 0, MEM_RELEASE); });
}
