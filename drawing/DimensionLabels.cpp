#include "DimensionLabels.h"

#include <cmath>

namespace merivox {

QChar labelSeparator(Decimal record, const QLocale &locale)
{
    switch (record) {
    case Decimal::Point:
        return QLatin1Char('.');
    case Decimal::Comma:
        return QLatin1Char(',');
    case Decimal::None:
    case Decimal::Mixed:
        break;
    }
    const QString separator = locale.decimalPoint();
    return separator.size() == 1 ? separator.front() : QLatin1Char('.');
}

QString millimetresText(double value, QChar separator)
{
    QString text = QString::number(value == 0.0 ? 0.0 : value, 'g', 6);
    text.replace(QLatin1Char('.'), separator);
    return text + QStringLiteral(" mm");
}

double seriesFloor(double value)
{
    if (!std::isfinite(value) || value <= 0.0) {
        return value;
    }
    const double decade = std::pow(10.0, std::floor(std::log10(value)));
    // A step of the series below value, with a little room for rounding of the decade.
    for (const double step : {5.0, 2.0, 1.0}) {
        if (step * decade <= value * (1 + 1e-9)) {
            return step * decade;
        }
    }
    return decade / 2;
}

QString scaleText(double scale)
{
    const auto whole = [](double v) {
        return QString::number(std::round(v), 'g', 15);
    };
    if (scale >= 1.0) {
        return whole(scale) + QStringLiteral(":1");
    }
    return QStringLiteral("1:") + whole(1.0 / scale);
}

} // namespace merivox
