#pragma once

// The grammar of one line of the probe file, on its bytes: keywords, fields split at runs of
// blanks, numbers with a decimal comma or point. The file's code page keeps every keyword and
// digit in ASCII, so none of this needs the text decoded.

#include "ByteMasks.h"
#include "ProbeRecord.h"

#include <QByteArrayView>

#include <array>
#include <cstring>

namespace merivox::syntax {

// How many fields a line of a kind takes after its keyword. A face takes 1 + 3n (n corners);
// a connection takes six numbers and then a thread, which is the rest of the line.
struct FieldRule
{
    int numbers = 0;           // leading numeric fields
    bool trailingWord = false; // a hot spot's shape after its numbers
    bool restIsText = false;   // the thread of a connection: everything after the numbers
    // Which of the numbers are sizes (a diameter, a hot spot's extent), a bit each from the first
    // number on: a negative one is worth a hint. Coordinates and fixed values are not sizes.
    quint16 sizes = 0;
};

LineKind kindOf(QByteArrayView keyword);

// Looked up for nearly every line: a table in the order of LineKind.
inline FieldRule ruleOf(LineKind kind)
{
    static constexpr std::array<FieldRule, size_t(LineKind::Unknown) + 1> kRules{{
        {},                      // Item
        {},                      // BeginTip
        {},                      // EndTip
        {1},                     // RibCount
        {1},                     // Solid
        {3},                     // Color
        {7, false, false, 0x40}, // Cylinder: its diameter
        {8, false, false, 0x88}, // Cone: its diameters at both ends
        {4, false, false, 0x08}, // Sphere: its diameter
        {9, false, false, 0x40}, // CutSphere: its diameter, not the fixed tail
        {8, true, false, 0xc0},  // HotSpot: the numbers, then a shape; its two sizes
        {6, false, true},        // LowerConnect: the numbers, then a thread
        {},                      // Face: 1 + 3n, checked by the reader
        {6, false, true},        // CubeConnect
        {},                      // Unknown
    }};
    return kRules[size_t(kind)];
}
bool isKeyword(QByteArrayView word);

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Whether the line starts with "ITEM:", as every record's first line does.
inline bool isItemLine(QByteArrayView line)
{
    return line.size() >= 5 && std::memcmp(line.data(), "ITEM:", 5) == 0;
}

// The fields of a line, split at runs of blanks. Holds up to kMax views; count tells how many
// there were in all. colon tells whether the line holds a ':' (an item line, or the start of one
// inside it): most lines do not, and need no search for "ITEM:".
struct Fields
{
    static constexpr int kMax = 48;
    std::array<QByteArrayView, kMax> at{};
    int count = 0;
    bool colon = false;
};
void split(QByteArrayView line, Fields &out);

// The rest of the line after its first n fields and the blanks that follow them.
QByteArrayView restAfter(QByteArrayView line, int n);

// Whether the text is one decimal number: an optional sign, digits with at most one decimal
// comma or point, an optional exponent. separator receives ',' or '.' when there is one, else 0.
bool isNumber(QByteArrayView text, char &separator);
// The same, and whether the number has an exponent.
bool isNumber(QByteArrayView text, char &separator, bool &exponent);
// Whether the text is a plain decimal number: an optional sign, at most 308 digits with at most one
// decimal comma or point, no exponent. Such a number is one that isNumber accepts, and never lies
// beyond a double. Nearly every number in a file is plain: this quick test, inline on the bytes,
// spares them the full grammar; whatever it refuses goes to isNumber. separator as there.
inline bool isPlainNumber(QByteArrayView text, char &separator)
{
    const char *p = text.data();
    const char *const end = p + text.size();
    if (text.size() > 308) {
        return false;
    }
    if (p < end && (*p == '+' || *p == '-')) {
        ++p;
    }
    bool digits = false;
    separator = 0;
    for (; p < end; ++p) {
        if (unsigned(*p - '0') < 10u) {
            digits = true;
        } else if ((*p == '.' || *p == ',') && separator == 0) {
            separator = *p;
        } else {
            return false;
        }
    }
    return digits;
}
// Whether a number that isNumber accepts, with or without an exponent, can lie beyond the largest
// double: a quick test before isTooLarge.
inline bool mayBeTooLarge(QByteArrayView number, bool exponent)
{
    return exponent || number.size() > 308;
}
// The number's value, NaN when it is not one or lies beyond a double (1e400); a value too small
// for a double (1e-400) is 0. Any length is read, whatever the C library's locale.
double toNumber(QByteArrayView text);
// Whether a text that isNumber accepts lies beyond the largest double.
bool isTooLarge(QByteArrayView number);
// A whole number (optional sign, digits only) and its value.
bool toInteger(QByteArrayView text, int &value);

// What a line that is plainly intact tells its record: its kind, the decimal separators of its
// numbers, a solid's count of faces and a hot spot's shape.
struct IntactLine
{
    LineKind kind = LineKind::Unknown;
    bool point = false;
    bool comma = false;
    int count = 0;
    QByteArrayView word;
};
// Reads a line other than an item line, of up to 126 bytes, on the masks of its bytes when it is
// plainly intact: its keyword with the fields its kind takes, each number plain, no colon
// anywhere, a thread or shape that holds no other line. False for every other line, which split()
// and the full rules then read; a line read here is one they find no fault with.
// readable: the end of the memory that the line lies in; bytes past the line up to it may be read.
bool readIntact(QByteArrayView line, const char *readable, IntactLine &out);
// The same on the masks of the line's bytes, made before (bits past the line clear), for a line of
// up to 62 bytes.
bool readIntact(QByteArrayView line, const ByteMasks &masks, IntactLine &out);

// Whether a field that is not the first holds the start of another line: "ITEM:" anywhere, or a
// keyword, alone or straight after a number ("4cone"); a text field (a thread, a shape) also when
// it ends with a keyword ("M3begintip").
bool holdsAnotherLine(QByteArrayView field, bool textField);
// Whether an unknown first field is two keywords run together ("begintipribcount").
bool isTwoKeywords(QByteArrayView first);
// Where the second of them starts in it: the length of the first keyword.
qsizetype secondKeywordAt(QByteArrayView first);

// Whether the text holds bytes above ASCII that together are valid UTF-8: a text saved as UTF-8
// and read as the file's code page ("WÃ¼rfel").
bool looksLikeUtf8(QByteArrayView text);

// The item line's name and thread: the text between "ITEM:" and the last "MM ", and the text
// after it. False when the line has no "MM ", or is shorter than "ITEM:" (bytes that could not
// be read again).
bool splitItem(QByteArrayView line, QByteArrayView &name, QByteArrayView &thread);

} // namespace merivox::syntax
