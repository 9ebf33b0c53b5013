#include "FreeMemory.h"

#include <malloc.h>

namespace merivox {

void releaseFreedMemory()
{
    // glibc keeps freed blocks in each thread's arena for the next allocation; this returns the
    // whole free pages of every arena.
    malloc_trim(0);
}

} // namespace merivox
