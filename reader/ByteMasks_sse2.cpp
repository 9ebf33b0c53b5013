#include "ByteMasks.h"

#include <emmintrin.h>

#include <bit>

namespace merivox::syntax {

namespace {

quint64 below(int n)
{
    return n >= ByteMasks::kLongest ? ~quint64(0) : (quint64(1) << n) - 1;
}

// The classes of the sixteen bytes at line + at, each compared at once; lf receives where the LFs
// among them stand.
void addBlock(const char *line, int at, ByteMasks &m, quint64 &lf)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(line + at));
    const auto is = [v](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
    const auto bits = [at](__m128i found) { return quint64(quint16(_mm_movemask_epi8(found))) << at; };
    m.blank |= bits(_mm_or_si128(is(' '), is('\t')));
    // Bytes above 127 compare as negative, below '0'.
    m.digit |= bits(_mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)), _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1))));
    m.point |= bits(is('.'));
    m.comma |= bits(is(','));
    m.sign |= bits(_mm_or_si128(is('+'), is('-')));
    m.colon |= bits(is(':'));
    lf = bits(is('\n'));
}

void keepBelow(ByteMasks &m, int size)
{
    const quint64 inside = below(size);
    m.blank &= inside;
    m.digit &= inside;
    m.point &= inside;
    m.comma &= inside;
    m.sign &= inside;
    m.colon &= inside;
}

} // namespace

ByteMasks byteMasks(const char *line, int size)
{
    ByteMasks m;
    quint64 lf = 0;
    for (int at = 0; at < size; at += 16) {
        addBlock(line, at, m, lf);
    }
    keepBelow(m, size);
    return m;
}

int lineMasks(const char *line, int size, ByteMasks &out)
{
    // Built in locals: stores through out could change the line's bytes, for all the compiler knows.
    ByteMasks m;
    const quint64 inside = below(size);
    for (int at = 0; at < size; at += 16) {
        quint64 lf = 0;
        addBlock(line, at, m, lf);
        if ((lf &= inside) != 0) {
            const int length = std::countr_zero(lf);
            keepBelow(m, length);
            out = m;
            return length;
        }
    }
    return -1;
}

} // namespace merivox::syntax
