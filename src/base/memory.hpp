// Handing memory the allocator keeps free back to the system. glibc keeps what is freed in the
// arena of the thread that allocated it, so after a large batch on the workers the process
// would keep its peak until asked.
#pragma once

namespace qarvex {

// Returns the allocator's free memory to the system where the allocator can be asked to
// (glibc); elsewhere does nothing.
void return_free_memory();

// Returns free memory when destroyed: shared by everything a large batch leaves behind, so
// that the last of it to go takes the batch's memory back with it.
class FreeMemoryOnRelease {
 public:
  FreeMemoryOnRelease() = default;
  FreeMemoryOnRelease(const FreeMemoryOnRelease&) = delete;
  FreeMemoryOnRelease& operator=(const FreeMemoryOnRelease&) = delete;
  ~FreeMemoryOnRelease() { return_free_memory(); }
};

}  // namespace qarvex
