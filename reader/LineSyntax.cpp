#include "LineSyntax.h"

#include <charconv>
#include <cmath>
#include <cstring>

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

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isNumberChar(char c)
{
    return isDigit(c) || c == '+' || c == '-' || c == '.' || c == ',';
}

} // namespace

LineKind kindOf(QByteArrayView keyword)
{
    // Every keyword starts with a letter: numbers, the most common fields, leave at once.
    if (keyword.size() < 4 || keyword.size() > 9 || isNumberChar(keyword.front())) {
        return LineKind::Unknown;
    }
    for (const Keyword &k : kKeywords) {
        if (k.word.size() == keyword.size() && k.word.front() == keyword.front() &&
            std::memcmp(k.word.data(), keyword.data(), size_t(keyword.size())) == 0) {
            return k.kind;
        }
    }
    return LineKind::Unknown;
}

bool isKeyword(QByteArrayView word)
{
    return kindOf(word) != LineKind::Unknown;
}

FieldRule ruleOf(LineKind kind)
{
    switch (kind) {
    case LineKind::RibCount:
    case LineKind::Solid:
        return {1};
    case LineKind::Color:
        return {3};
    case LineKind::Cylinder:
        return {7};
    case LineKind::Cone:
        return {8};
    case LineKind::Sphere:
        return {4};
    case LineKind::CutSphere:
        return {9};
    case LineKind::HotSpot:
        return {8, true, false};
    case LineKind::LowerConnect:
    case LineKind::CubeConnect:
        return {6, false, true};
    case LineKind::Face: // 1 + 3n, checked by the reader
    case LineKind::Item:
    case LineKind::BeginTip:
    case LineKind::EndTip:
    case LineKind::Unknown:
        break;
    }
    return {};
}

void split(QByteArrayView line, Fields &out)
{
    out.count = 0;
    const char *p = line.data();
    const char *const end = p + line.size();
    while (p < end) {
        while (p < end && isBlank(*p)) {
            ++p;
        }
        if (p == end) {
            break;
        }
        const char *start = p;
        while (p < end && !isBlank(*p)) {
            ++p;
        }
        if (out.count < Fields::kMax) {
            out.at[out.count] = QByteArrayView(start, p - start);
        }
        ++out.count;
    }
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
    separator = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    int digits = 0;
    while (i < n && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < n && (text[i] == '.' || text[i] == ',')) {
        separator = text[i];
        ++i;
        while (i < n && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        int exponentDigits = 0;
        while (i < n && isDigit(text[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == n;
}

double toNumber(QByteArrayView text)
{
    char separator = 0;
    if (!isNumber(text, separator) || text.size() > 63) {
        return qQNaN();
    }
    // from_chars reads neither a leading "+" nor a decimal comma.
    std::array<char, 64> buffer{};
    qsizetype n = 0;
    for (const char c : text) {
        if (n == 0 && c == '+') {
            continue;
        }
        buffer[n++] = c == ',' ? '.' : c;
    }
    double value = qQNaN();
    const auto result = std::from_chars(buffer.data(), buffer.data() + n, value);
    if (result.ec != std::errc() || !std::isfinite(value)) {
        return qQNaN();
    }
    return value;
}

bool toInteger(QByteArrayView text, int &value)
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
    qsizetype letters = 0;
    for (const char c : field) {
        letters += isNumberChar(c) || c == 'e' || c == 'E' ? 0 : 1;
    }
    if (letters == 0) {
        return false; // a number, or what is left of one
    }
    if (field.contains(QByteArrayView("ITEM:"))) {
        return true;
    }
    // Every keyword ends in one of these letters.
    if (textField && std::strchr("ptdre", field.back()) != nullptr) {
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

bool isTwoKeywords(QByteArrayView first)
{
    for (const Keyword &k : kKeywords) {
        if (first.startsWith(k.word)) {
            const QByteArrayView rest = first.sliced(k.word.size());
            if (rest.startsWith(QByteArrayView("ITEM:"))) {
                return true;
            }
            for (const Keyword &next : kKeywords) {
                if (rest.startsWith(next.word)) {
                    return true;
                }
            }
        }
    }
    return false;
}

bool splitItem(QByteArrayView line, QByteArrayView &name, QByteArrayView &thread)
{
    const QByteArrayView body = line.sliced(5); // after "ITEM:"
    const qsizetype mm = body.lastIndexOf(QByteArrayView("MM "));
    if (mm < 0) {
        return false;
    }
    name = body.first(mm);
    thread = body.sliced(mm + 3);
    return true;
}

} // namespace merivox::syntax
