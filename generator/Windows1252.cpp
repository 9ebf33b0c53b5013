#include "Windows1252.h"

#include <array>

namespace merivox::windows1252 {

namespace {

// 0x80 to 0x9F, where the code page differs from Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

constexpr std::array<char16_t, 256> makeTable()
{
    std::array<char16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        table[i] = i >= 0x80 && i < 0xA0 ? kHigh[i - 0x80] : char16_t(i);
    }
    return table;
}

constexpr std::array<char16_t, 256> kTable = makeTable();

// The byte of a character outside Latin-1's range, or -1.
int highByte(char16_t c)
{
    for (unsigned i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == c) {
            return int(0x80 + i);
        }
    }
    return -1;
}

} // namespace

char16_t toUnicode(unsigned char byte)
{
    return kTable[byte];
}

QString decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (const char c : bytes) {
        *out++ = kTable[static_cast<unsigned char>(c)];
    }
    return text;
}

std::optional<QByteArray> encode(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        int byte = -1;
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            byte = c;
        } else {
            // 0x80 to 0x9F and the rest: only the characters of the table's middle part, which
            // holds the five control characters that stand for themselves.
            byte = highByte(c);
        }
        if (byte < 0) {
            return std::nullopt;
        }
        *out++ = char(byte);
    }
    return bytes;
}

} // namespace merivox::windows1252
