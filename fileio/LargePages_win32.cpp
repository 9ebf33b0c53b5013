#include "LargePages.h"

namespace merivox {

void adviseLargePages(void *, std::size_t)
{
    // Windows gives large pages only to a program whose user holds the right to lock pages in
    // memory, which an operator's account does not: the table stays in ordinary pages.
}

} // namespace merivox
