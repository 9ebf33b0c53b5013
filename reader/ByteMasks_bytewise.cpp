#include "ByteMasks.h"

namespace merivox::syntax {

ByteMasks byteMasks(const char *line, int size)
{
    return byteMasksByByte(line, size);
}

int lineMasks(const char *line, int size, ByteMasks &out)
{
    return lineMasksByByte(line, size, out);
}

} // namespace merivox::syntax
