#pragma once

// The bytes of a short line sorted into the classes that the line grammar looks at, a bit per
// byte: a line is then read by a few operations on whole masks instead of byte by byte.

#include <QtGlobal>

#include <cstring>

namespace merivox::syntax {

struct ByteMasks
{
    static constexpr int kLongest = 64;
    quint64 blank = 0; // ' ' and '\t'
    quint64 digit = 0;
    quint64 point = 0;
    quint64 comma = 0;
    quint64 sign = 0; // '+' and '-'
    quint64 colon = 0;
};

// The masks of size bytes (at most ByteMasks::kLongest) from line on; bit i stands for line[i].
// As quick as the processor allows: ByteMasks::kLongest bytes from line on must be readable, of
// which those past size are left out.
ByteMasks byteMasks(const char *line, int size);

// The masks of the line that starts at line and ends before the first LF among its first size
// bytes (size at most ByteMasks::kLongest): the line's length, or -1 when no LF is among them (and
// out is then of no use). Finds the end of a short line and its masks in one pass. As quick as the
// processor allows: ByteMasks::kLongest bytes from line on must be readable.
int lineMasks(const char *line, int size, ByteMasks &out);

// The same, a byte at a time: where the processor offers nothing quicker, and to compare with.
inline ByteMasks byteMasksByByte(const char *line, int size)
{
    ByteMasks m;
    for (int i = 0; i < size; ++i) {
        const quint64 bit = quint64(1) << i;
        switch (line[i]) {
        case ' ':
        case '\t':
            m.blank |= bit;
            break;
        case '.':
            m.point |= bit;
            break;
        case ',':
            m.comma |= bit;
            break;
        case '+':
        case '-':
            m.sign |= bit;
            break;
        case ':':
            m.colon |= bit;
            break;
        default:
            if (line[i] >= '0' && line[i] <= '9') {
                m.digit |= bit;
            }
        }
    }
    return m;
}

// The same as lineMasks, a byte at a time.
inline int lineMasksByByte(const char *line, int size, ByteMasks &out)
{
    const auto *lf = static_cast<const char *>(std::memchr(line, '\n', size_t(size)));
    if (!lf) {
        return -1;
    }
    out = byteMasksByByte(line, int(lf - line));
    return int(lf - line);
}

} // namespace merivox::syntax
