#include "base/memory.hpp"

#include <cstdlib>  // defines __GLIBC__ under glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace qarvex {

void return_free_memory() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

}  // namespace qarvex
