#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace merivox {

// Reads a dimension typed by the operator. A text is a number when the locale's parser reads
// all of it as one finite decimal number (plain blanks U+0020 around it allowed, any other white
// space and group separators not).
std::optional<double> parseNumber(const QString &text, const QLocale &locale);

// Writes a computed number: at most 15 significant digits, trailing zeros dropped, the
// locale's decimal separator, a leading "0" below 1, "-" for negative values, "0" for any
// zero, never a group separator or an exponent.
QString formatNumber(double value, const QLocale &locale);

} // namespace merivox
