#include "LineSyntax.h"

#include "ByteMasks.h"

#include <algorithm>
#include <bit>

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace merivox::syntax {

namespace {

struct Keyword
{
    QByteArrayView word;
    LineKind kind;
};

constexpr std::array<Keyword, 13> kKeywords{{
    {"begintip", LineKind::BeginTip},
    {"endtip", LineKind::EndTip},
    {"ribcount", LineKind::RibCount},
    {"solid", LineKind::Solid},
    {"Color", LineKind::Color},
    {"cylinder", LineKind::Cylinder},
    {"cone", LineKind::Cone},
    {"sphere", LineKind::Sphere},
    {"cutsphere", LineKind::CutSphere},
    {"hotspot", LineKind::HotSpot},
    {"connect", LineKind::LowerConnect},
    {"face", LineKind::Face},
    {"Connect", LineKind::CubeConnect},
}};

constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr bool isNumberChar(char c)
{
    return isDigit(c) || c == '+' || c == '-' || c == '.' || c == ',';
}

} // namespace

namespace {

// The keywords in a table of 64 slots, found by their length and first letter without a
// collision: a word is one look-up and two comparisons away from its kind, which a line's
// keyword, different on nearly every line, reaches without a branch to guess.
constexpr size_t slotOf(qsizetype size, char first)
{
    return size_t((size << 1) ^ quint8(first)) & 63;
}

// A keyword as two words that together hold all its bytes: its first and last four bytes, or
// eight bytes for a keyword of eight bytes or more.
struct KeywordSlot
{
    quint64 head = 0;
    quint64 tail = 0;
    qsizetype size = 0;
    LineKind kind = LineKind::Unknown;
};

static_assert(std::endian::native == std::endian::little, "the words below are read as they lie in memory");

constexpr quint64 wordAt(QByteArrayView text, qsizetype from, int bytes)
{
    quint64 word = 0;
    for (int i = 0; i < bytes; ++i) {
        word |= quint64(quint8(text[from + i])) << (8 * i);
    }
    return word;
}

constexpr int wordBytes(qsizetype size)
{
    return size >= 8 ? 8 : 4;
}

constexpr std::array<KeywordSlot, 64> kKeywordSlots = [] {
    std::array<KeywordSlot, 64> table{};
    for (const Keyword &k : kKeywords) {
        KeywordSlot &slot = table[slotOf(k.word.size(), k.word.front())];
        if (slot.size != 0) {
            throw "two keywords in one slot";
        }
        const int bytes = wordBytes(k.word.size());
        slot = {wordAt(k.word, 0, bytes), wordAt(k.word, k.word.size() - bytes, bytes), k.word.size(), k.kind};
    }
    return table;
}();

} // namespace

LineKind kindOf(QByteArrayView keyword)
{
    const qsizetype size = keyword.size();
    if (size < 4 || size > 9) {
        return LineKind::Unknown;
    }
    const char *const k = keyword.data();
    quint64 head = 0;
    quint64 tail = 0;
    if (size >= 8) {
        std::memcpy(&head, k, 8);
        std::memcpy(&tail, k + size - 8, 8);
    } else {
        std::memcpy(&head, k, 4);
        std::memcpy(&tail, k + size - 4, 4);
    }
    const KeywordSlot &slot = kKeywordSlots[slotOf(size, k[0])];
    return slot.size == size && slot.head == head && slot.tail == tail ? slot.kind : LineKind::Unknown;
}

bool isKeyword(QByteArrayView word)
{
    return kindOf(word) != LineKind::Unknown;
}

namespace {

// What split needs to know of a byte, looked up once per byte: a blank, a colon, or neither.
enum ByteClass : quint8 { kOther = 0, kBlankByte = 1, kColonByte = 2 };

constexpr std::array<quint8, 256> kByteClasses = [] {
    std::array<quint8, 256> classes{};
    classes[quint8(' ')] = kBlankByte;
    classes[quint8('\t')] = kBlankByte;
    classes[quint8(':')] = kColonByte;
    return classes;
}();

} // namespace

void split(QByteArrayView line, Fields &out)
{
    // Run on every line of the file: one pass over its bytes, one table look-up a byte.
    out.count = 0;
    quint8 seen = 0; // the classes of all bytes, or-ed
    const auto *p = reinterpret_cast<const quint8 *>(line.data());
    const auto *const end = p + line.size();
    while (p < end) {
        while (p < end && kByteClasses[*p] == kBlankByte) {
            ++p;
        }
        if (p == end) {
            break;
        }
        const auto *start = p;
        quint8 c = 0;
        while (p < end && (c = kByteClasses[*p]) != kBlankByte) {
            seen |= c;
            ++p;
        }
        if (out.count < Fields::kMax) {
            out.at[out.count] = QByteArrayView(reinterpret_cast<const char *>(start), p - start);
        }
        ++out.count;
    }
    out.colon = (seen & kColonByte) != 0;
}

namespace {

// A line's bytes a bit each: 64 of them, or 128 for a longer line.
__extension__ using WideBits = unsigned __int128;

template <typename Bits> constexpr int kWidth = int(sizeof(Bits) * 8);

// The bits below bit n.
template <typename Bits> constexpr Bits below(int n)
{
    return n >= kWidth<Bits> ? ~Bits(0) : (Bits(1) << n) - 1;
}

int lowest(quint64 bits)
{
    return std::countr_zero(bits);
}

int lowest(WideBits bits)
{
    const auto low = quint64(bits);
    return low != 0 ? std::countr_zero(low) : 64 + std::countr_zero(quint64(bits >> 64));
}

// How many bits are set. In a few operations: the processors that x86-64 must run on have no
// instruction for it, and the compiler then calls a library function.
int bitCount(quint64 bits)
{
    bits -= (bits >> 1) & 0x5555555555555555u;
    bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
    bits = (bits + (bits >> 4)) & 0x0f0f0f0f0f0f0f0fu;
    return int((bits * 0x0101010101010101u) >> 56);
}

int bitCount(WideBits bits)
{
    return bitCount(quint64(bits)) + bitCount(quint64(bits >> 64));
}

// The end (exclusive) of the field that starts at start.
template <typename Bits> int fieldEnd(Bits ends, int start)
{
    return lowest(ends & ~below<Bits>(start)) + 1;
}

// The masks of a line of up to 128 bytes: those of its two halves.
struct WideMasks
{
    WideBits blank = 0;
    WideBits digit = 0;
    WideBits point = 0;
    WideBits comma = 0;
    WideBits sign = 0;
    WideBits colon = 0;
};

WideMasks wideMasks(const char *line, int size)
{
    constexpr int kHalf = ByteMasks::kLongest;
    const ByteMasks low = byteMasks(line, std::min(size, kHalf));
    const ByteMasks high = size > kHalf ? byteMasks(line + kHalf, size - kHalf) : ByteMasks{};
    const auto joined = [](quint64 l, quint64 h) { return WideBits(l) | WideBits(h) << kHalf; };
    return {joined(low.blank, high.blank), joined(low.digit, high.digit), joined(low.point, high.point),
            joined(low.comma, high.comma), joined(low.sign, high.sign), joined(low.colon, high.colon)};
}

// The shapes a hot spot names (the kinds table's words, each compared as a constant): words that
// plainly hold no other line, passed without a closer look.
bool isShape(QByteArrayView word)
{
    return hotSpotShape(std::string_view(word.data(), size_t(word.size()))) != TipShape::Other;
}

// A line two bytes shorter than its masks are wide (62 or 126 bytes), on the masks of its bytes:
// two bits to spare above it, so that "the next byte" and "the one after" of its last field are
// beyond it. A longer line, which is rare, takes the full rules.
template <typename Masks> bool readIntactByMasks(QByteArrayView line, const Masks &m, IntactLine &out)
{
    using Bits = decltype(Masks::blank);
    const int size = int(line.size());
    const Bits nonblank = below<Bits>(size) & ~m.blank;
    if (m.colon != 0 || nonblank == 0) {
        return false;
    }
    const Bits starts = nonblank & ~(nonblank << 1);
    const Bits ends = nonblank & ~(nonblank >> 1);
    const int keyword = lowest(starts);
    const int keywordEnd = fieldEnd(ends, keyword);
    out.kind = kindOf(line.sliced(keyword, keywordEnd - keyword));
    const FieldRule rule = ruleOf(out.kind);
    int numbers = rule.numbers;
    Bits fields = starts & (starts - 1);     // where the fields after the keyword start
    Bits numeric = ~below<Bits>(keywordEnd); // where the numbers stand
    const auto field = [&](int start) { return line.sliced(start, fieldEnd(ends, start) - start); };
    switch (out.kind) {
    case LineKind::Item:
    case LineKind::Unknown:
        return false;
    case LineKind::RibCount:
    case LineKind::Solid:
    case LineKind::Color:
        if (bitCount(fields) != numbers) {
            return false;
        }
        for (Bits f = fields; f != 0; f &= f - 1) {
            if (!toInteger(field(lowest(f)), out.count) ||
                (out.kind == LineKind::Color && (out.count < 0 || out.count > 255))) {
                return false;
            }
        }
        return true;
    case LineKind::Face: {
        // The corners, then three coordinates each, all of them within the fields that are read.
        int corners = 0;
        if (fields == 0 || !toInteger(field(lowest(fields)), corners) || corners < 1 ||
            corners > (Fields::kMax - 2) / 3) {
            return false;
        }
        numbers = 3 * corners;
        numeric = ~below<Bits>(fieldEnd(ends, lowest(fields)));
        fields &= fields - 1;
        break;
    }
    default:
        break;
    }
    const int count = bitCount(fields);
    if (rule.trailingWord || rule.restIsText) {
        // Only the fields that are read at all are looked into: more than those go the long way.
        if (count < numbers || (rule.trailingWord && count != numbers + 1) || count + 1 > Fields::kMax) {
            return false;
        }
        Bits words = fields;
        for (int i = 0; i < numbers; ++i) {
            words &= words - 1;
        }
        for (Bits w = words; w != 0; w &= w - 1) {
            out.word = field(lowest(w));
            if (!isShape(out.word) && holdsAnotherLine(out.word, true)) {
                return false;
            }
        }
        if (words != 0) {
            numeric &= below<Bits>(lowest(words));
            fields &= below<Bits>(lowest(words));
        }
    } else if (count != numbers) {
        return false;
    }
    // Every number plain: digits, a sign only in front, at most one separator, a digit at least.
    const Bits chars = nonblank & numeric;
    const Bits separators = (m.point | m.comma) & numeric;
    const Bits nonDigits = chars & ~m.digit;
    if ((nonDigits & ~(separators | m.sign)) != 0 || (m.sign & numeric & ~fields) != 0) {
        return false;
    }
    for (Bits s = separators; (s & (s - 1)) != 0; s &= s - 1) {
        const Bits between = below<Bits>(lowest(s & (s - 1))) & ~below<Bits>(lowest(s) + 1);
        if ((m.blank & between) == 0) {
            return false; // two in one field
        }
    }
    // With those rules a field without a digit is a sign or a separator alone, or both.
    const Bits beyond = ~nonblank;
    if ((fields & nonDigits & ((beyond >> 1) | ((nonDigits >> 1) & (beyond >> 2)))) != 0) {
        return false;
    }
    // A size with a sign in front gets the full rules, which tell of a negative one: most lines
    // have signed coordinates, few a signed size, and those few the quick way leaves.
    if (rule.sizes != 0 && (m.sign & fields) != 0) {
        Bits f = fields;
        for (unsigned sizes = rule.sizes; sizes != 0 && f != 0; sizes >>= 1, f &= f - 1) {
            if ((sizes & 1u) != 0 && (m.sign & f & ~(f - 1)) != 0) {
                return false;
            }
        }
    }
    out.point = (m.point & numeric) != 0;
    out.comma = (m.comma & numeric) != 0;
    return true;
}

} // namespace

bool readIntact(QByteArrayView line, const char *readable, IntactLine &out)
{
    // The masks are made of whole blocks: at the end of its memory, the line is copied first.
    constexpr int kWide = 2 * ByteMasks::kLongest;
    const int size = int(line.size());
    if (size > kWide - 2) {
        return false;
    }
    const int width = size > ByteMasks::kLongest - 2 ? kWide : ByteMasks::kLongest;
    const char *bytes = line.data();
    alignas(16) char copy[kWide];
    if (readable - bytes < width) {
        std::memcpy(copy, bytes, size_t(size));
        std::memset(copy + size, 0, size_t(width - size));
        bytes = copy;
    }
    if (width == kWide) {
        return readIntactByMasks(line, wideMasks(bytes, size), out);
    }
    return readIntactByMasks(line, byteMasks(bytes, size), out);
}

bool readIntact(QByteArrayView line, const ByteMasks &masks, IntactLine &out)
{
    return line.size() <= ByteMasks::kLongest - 2 && readIntactByMasks(line, masks, out);
}

QByteArrayView restAfter(QByteArrayView line, int n)
{
    qsizetype i = 0;
    const qsizetype size = line.size();
    for (int f = 0; f < n; ++f) {
        while (i < size && isBlank(line[i])) {
            ++i;
        }
        while (i < size && !isBlank(line[i])) {
            ++i;
        }
    }
    while (i < size && isBlank(line[i])) {
        ++i;
    }
    return line.sliced(i);
}

bool isNumber(QByteArrayView text, char &separator)
{
    bool exponent = false;
    return isNumber(text, separator, exponent);
}

bool isNumber(QByteArrayView text, char &separator, bool &exponent)
{
    // Run on every number of the file: pointers, and a digit test of one comparison.
    const auto digit = [](char c) { return unsigned(c - '0') < 10u; };
    separator = 0;
    exponent = false;
    const char *p = text.data();
    const char *const end = p + text.size();
    if (p < end && (*p == '+' || *p == '-')) {
        ++p;
    }
    const char *from = p;
    while (p < end && digit(*p)) {
        ++p;
    }
    qsizetype digits = p - from;
    if (p < end && (*p == '.' || *p == ',')) {
        separator = *p;
        from = ++p;
        while (p < end && digit(*p)) {
            ++p;
        }
        digits += p - from;
    }
    if (digits == 0) {
        return false;
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        exponent = true;
        ++p;
        if (p < end && (*p == '+' || *p == '-')) {
            ++p;
        }
        from = p;
        while (p < end && digit(*p)) {
            ++p;
        }
        if (p == from) {
            return false;
        }
    }
    return p == end;
}

namespace {

// The power of ten of the number's first significant digit, saturated far beyond any double; a
// number without one (zero) gives the lowest value.
long long magnitudeOf(QByteArrayView text)
{
    constexpr long long kFar = 1'000'000'000;
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    long long magnitude = -kFar;
    qsizetype integerDigits = 0;
    for (qsizetype k = i; k < n && isDigit(text[k]); ++k) {
        ++integerDigits;
    }
    long long position = integerDigits - 1; // power of ten of the digit at i
    for (; i < n && (isDigit(text[i]) || text[i] == '.' || text[i] == ','); ++i) {
        if (text[i] == '.' || text[i] == ',') {
            continue;
        }
        if (text[i] != '0') {
            magnitude = position;
            break;
        }
        --position;
    }
    if (magnitude == -kFar) {
        return magnitude;
    }
    const qsizetype e = std::max(text.indexOf('e'), text.indexOf('E'));
    if (e < 0) {
        return magnitude;
    }
    qsizetype k = e + 1;
    const bool negative = k < n && text[k] == '-';
    k += k < n && (text[k] == '+' || text[k] == '-') ? 1 : 0;
    long long exponent = 0;
    for (; k < n; ++k) {
        exponent = std::min(exponent * 10 + (text[k] - '0'), kFar);
    }
    return magnitude + (negative ? -exponent : exponent);
}

} // namespace

bool isTooLarge(QByteArrayView number)
{
    // Without an exponent, fewer than 309 digits stay below 1e308, and so below the largest
    // double: the usual short number needs no conversion.
    if (number.size() <= 308 && std::none_of(number.begin(), number.end(), [](char c) { return (c | 0x20) == 'e'; })) {
        return false;
    }
    char separator = 0;
    return isNumber(number, separator) && std::isnan(toNumber(number));
}

double toNumber(QByteArrayView text)
{
    char separator = 0;
    if (!isNumber(text, separator)) {
        return qQNaN();
    }
    // from_chars reads neither a leading "+" nor a decimal comma, and never the locale; numbers
    // of any length are copied, short ones without allocating.
    std::array<char, 64> small{};
    std::string large;
    char *buffer = small.data();
    if (text.size() > qsizetype(small.size())) {
        large.resize(size_t(text.size()));
        buffer = large.data();
    }
    qsizetype n = 0;
    for (const char c : text) {
        if (n == 0 && c == '+') {
            continue;
        }
        buffer[n++] = c == ',' ? '.' : c;
    }
    double value = qQNaN();
    const auto result = std::from_chars(buffer, buffer + n, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond a double is no value; below the smallest one is as good as nothing.
        if (magnitudeOf(text) > 0) {
            return qQNaN();
        }
        return text.front() == '-' ? -0.0 : 0.0;
    }
    if (result.ec != std::errc() || result.ptr != buffer + n || !std::isfinite(value)) {
        return qQNaN();
    }
    return value;
}

// Kept out of line: the quick way's reading on masks asks it only for the whole numbers of a few
// kinds of line (ribcount, solid, Color, a face's corners), and with it inlined there the check
// of a 50 MB file took some 3 % longer.
[[gnu::noinline]] bool toInteger(QByteArrayView text, int &value)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size() || text.size() - i > 9) {
        return false;
    }
    int v = 0;
    for (; i < text.size(); ++i) {
        if (!isDigit(text[i])) {
            return false;
        }
        v = v * 10 + (text[i] - '0');
    }
    value = negative ? -v : v;
    return true;
}

bool holdsAnotherLine(QByteArrayView field, bool textField)
{
    // Looked into for every thread and shape: one table look-up a byte.
    static constexpr std::array<quint8, 256> kNumberish = [] {
        std::array<quint8, 256> table{};
        for (int c = 0; c < 256; ++c) {
            table[size_t(c)] = isNumberChar(char(c)) || c == 'e' || c == 'E' ? 1 : 0;
        }
        return table;
    }();
    qsizetype letters = 0;
    bool colon = false;
    for (const char c : field) {
        letters += 1 - kNumberish[quint8(c)];
        colon = colon || c == ':';
    }
    if (letters == 0) {
        return false; // a number, or what is left of one
    }
    if (colon && field.contains(QByteArrayView("ITEM:"))) {
        return true;
    }
    // Every keyword ends in one of these letters.
    const char last = field.back();
    if (textField && (last == 'p' || last == 't' || last == 'd' || last == 'r' || last == 'e')) {
        for (const Keyword &k : kKeywords) {
            if (field.endsWith(k.word)) {
                return true;
            }
        }
    }
    qsizetype i = 0;
    while (i < field.size() && isNumberChar(field[i])) {
        ++i;
    }
    return isKeyword(field.sliced(i));
}

qsizetype secondKeywordAt(QByteArrayView first)
{
    for (const Keyword &k : kKeywords) {
        if (first.startsWith(k.word)) {
            const QByteArrayView rest = first.sliced(k.word.size());
            if (rest.startsWith(QByteArrayView("ITEM:"))) {
                return k.word.size();
            }
            for (const Keyword &next : kKeywords) {
                if (rest.startsWith(next.word)) {
                    return k.word.size();
                }
            }
        }
    }
    return 0;
}

bool isTwoKeywords(QByteArrayView first)
{
    return secondKeywordAt(first) > 0;
}

bool looksLikeUtf8(QByteArrayView text)
{
    bool multibyte = false;
    qsizetype i = 0;
    // Plain ASCII, the usual text, is passed over eight bytes at a time.
    for (quint64 word = 0; i + 8 <= text.size(); i += 8) {
        std::memcpy(&word, text.data() + i, 8);
        if ((word & 0x8080808080808080u) != 0) {
            break;
        }
    }
    while (i < text.size()) {
        const auto lead = quint8(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const int follow = lead >= 0xc2 && lead <= 0xdf ? 1 : lead >= 0xe0 && lead <= 0xef ? 2
                                                         : lead >= 0xf0 && lead <= 0xf4 ? 3
                                                                                        : -1;
        if (follow < 0 || i + follow >= text.size()) {
            return false;
        }
        for (int k = 1; k <= follow; ++k) {
            if ((quint8(text[i + k]) & 0xc0) != 0x80) {
                return false;
            }
        }
        multibyte = true;
        i += follow + 1;
    }
    return multibyte;
}

bool splitItem(QByteArrayView line, QByteArrayView &name, QByteArrayView &thread)
{
    if (line.size() < 5) {
        return false;
    }
    // Read for every record: the last "MM " is searched from the end here, without a call.
    const QByteArrayView body = line.sliced(5); // after "ITEM:"
    for (qsizetype mm = body.size() - 3; mm >= 0; --mm) {
        if (body[mm + 2] == ' ' && body[mm + 1] == 'M' && body[mm] == 'M') {
            name = body.first(mm);
            thread = body.sliced(mm + 3);
            return true;
        }
    }
    return false;
}

} // namespace merivox::syntax
