#include "LargePages.h"

#include <sys/mman.h>

namespace merivox {

void adviseLargePages(void *p, std::size_t bytes)
{
#ifdef MADV_HUGEPAGE
    // Where transparent huge pages are enabled only on request, as Debian has it; a hint that
    // the system may ignore, and nothing is lost when it does.
    madvise(p, bytes, MADV_HUGEPAGE);
#else
    (void)p;
    (void)bytes;
#endif
}

} // namespace merivox
