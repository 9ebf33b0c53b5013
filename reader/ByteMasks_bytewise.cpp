#include "ByteMasks.h"

namespace merivox::syntax {

ByteMasks byteMasks(const char *line, int size)
{
    return byteMasksByByte(line, size);
}

} // namespace merivox::syntax
