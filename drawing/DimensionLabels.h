#pragma once

// The texts of the drawing's dimensions and scales: millimetres with the decimal separator of
// the record that is drawn, and scales of the 1-2-5 series ("1:2", "10:1").

#include "ProbeRecord.h"

#include <QChar>
#include <QLocale>
#include <QString>

namespace merivox {

// The record's own separator; where its numbers use both or none, the locale's.
QChar labelSeparator(Decimal record, const QLocale &locale);

// "12,5 mm": up to six significant digits, no group separators.
QString millimetresText(double value, QChar separator);

// The largest value of the series 1, 2, 5, 10, 20, 50, ... (and 0,5, 0,2, 0,1, ... below 1)
// that is not above value; value itself when it is not a positive finite number.
double seriesFloor(double value);

// A scale as a ratio: 1 "1:1", 10 "10:1", 0,2 "1:5".
QString scaleText(double scale);

} // namespace merivox
