#include "ByteMasks.h"

#include <emmintrin.h>

namespace merivox::syntax {

// Sixteen bytes compared at once with each class.
ByteMasks byteMasks(const char *line, int size)
{
    ByteMasks m;
    for (int at = 0; at < size; at += 16) {
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
    }
    const quint64 inside = size >= ByteMasks::kLongest ? ~quint64(0) : (quint64(1) << size) - 1;
    m.blank &= inside;
    m.digit &= inside;
    m.point &= inside;
    m.comma &= inside;
    m.sign &= inside;
    m.colon &= inside;
    return m;
}

} // namespace merivox::syntax
