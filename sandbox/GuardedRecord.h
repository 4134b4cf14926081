// Records the host hands out laid against a page no one may read, so that a
// plug-in reading past what the record's size allows faults at once instead
// of reading whatever lies beyond.
#pragma once

#include <cstddef>
#include <memory>

// A copy of the first `readable` bytes of `record`, placed so that they end
// where the guarded page begins; freed with the last pointer to it. Null
// when the memory cannot be had.
std::shared_ptr<void> CopyAgainstGuardPage(const void* record, size_t readable);
