#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace merivox {

std::optional<double> parseNumber(const QString &text, const QLocale &locale)
{
    // Only plain blanks may stand around the number: the locale's parser would also drop tabs and
    // other white space such as the no-break space, which then went into the record as typed.
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text[first] == QLatin1Char(' ')) {
        ++first;
    }
    while (end > first && text[end - 1] == QLatin1Char(' ')) {
        --end;
    }
    const QStringView number = QStringView(text).sliced(first, end - first);
    if (std::any_of(number.begin(), number.end(), [](QChar c) { return c.isSpace(); })) {
        return std::nullopt;
    }
    QLocale reader = locale;
    reader.setNumberOptions(reader.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = reader.toDouble(number, &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<QString> withLocaleSeparator(const QString &text, const QLocale &locale)
{
    const QChar decimal = locale.decimalPoint().front();
    const QChar other = decimal == u',' ? u'.' : u',';
    if (parseNumber(text, locale) || text.count(other) != 1 || text.contains(decimal)) {
        return std::nullopt;
    }
    QString swapped = text;
    swapped.replace(other, decimal);
    if (!parseNumber(swapped, locale)) {
        return std::nullopt;
    }
    return swapped;
}

QString formatNumber(double value, const QLocale &locale)
{
    if (value == 0.0 || !std::isfinite(value)) {
        // Zero never carries a sign. Non-finite values never reach the record: the builders
        // refuse them before anything is written.
        return QStringLiteral("0");
    }

    // Round to 15 significant digits in scientific form ("d.dddddddddddddde±x"). std::to_chars
    // ignores the C library's locale, unlike printf, which may write a comma once the
    // application has set the user's locale. Then lay the digits out as a plain decimal.
    char buffer[40];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
    const std::string scientific(buffer, result.ptr);
    const auto ePos = scientific.find('e');
    std::string digits = scientific.substr(0, 1) + scientific.substr(2, ePos - 2);
    int exponent = 0;
    std::from_chars(scientific.data() + ePos + 1 + (scientific[ePos + 1] == '+' ? 1 : 0),
                    scientific.data() + scientific.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }

    // The decimal point stands after digit number exponent + 1.
    std::string integerPart;
    std::string fraction;
    const int pointAt = exponent + 1;
    if (pointAt <= 0) {
        integerPart = "0";
        fraction = std::string(static_cast<size_t>(-pointAt), '0') + digits;
    } else if (static_cast<size_t>(pointAt) >= digits.size()) {
        integerPart = digits + std::string(static_cast<size_t>(pointAt) - digits.size(), '0');
    } else {
        integerPart = digits.substr(0, static_cast<size_t>(pointAt));
        fraction = digits.substr(static_cast<size_t>(pointAt));
    }

    QString text;
    if (value < 0) {
        text += QLatin1Char('-');
    }
    text += QLatin1String(integerPart.c_str());
    if (!fraction.empty()) {
        text += locale.decimalPoint();
        text += QLatin1String(fraction.c_str());
    }
    return text;
}

} // namespace merivox
