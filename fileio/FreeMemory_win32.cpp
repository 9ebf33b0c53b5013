#include "FreeMemory.h"

namespace merivox {

void releaseFreedMemory()
{
    // The Windows heap gives large freed blocks back by itself and has no call that returns the
    // free pages of small ones; nothing to do here.
}

} // namespace merivox
