#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace merivox {

// Reads a dimension typed by the operator. A text is a number when the locale's parser reads
// all of it as one finite decimal number (plain blanks U+0020 around it allowed, any other white
// space and group separators not).
std::optional<double> parseNumber(const QString &text, const QLocale &locale);

// A number written with the other decimal separator than the locale's ("2.5" where "2,5" is
// meant), rewritten with the locale's; nothing for a text that is a number already or that the
// swap does not make one.
std::optional<QString> withLocaleSeparator(const QString &text, const QLocale &locale);

// Writes a computed number: at most 15 significant digits, trailing zeros dropped, the
// locale's decimal separator, a leading "0" below 1, "-" for negative values, "0" for any
// zero, never a group separator or an exponent.
QString formatNumber(double value, const QLocale &locale);

} // namespace merivox
