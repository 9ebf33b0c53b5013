#include "BenchFiles.h"

#include "Builders.h"
#include "NumberText.h"
#include "ProbeFileWriter.h"

#include <QFile>
#include <QLocale>

namespace merivox::bench {

namespace {

Dimension dimension(double value, const QLocale &locale)
{
    const QString text = locale.toString(value, 'f', 1);
    return {text, *parseNumber(text, locale)};
}

TipInputs inputs(int i, TipKind kind, const QLocale &locale)
{
    TipInputs in;
    in.name = QStringLiteral("T%1").arg(i, 6, 10, QLatin1Char('0'));
    in.thread = QStringLiteral("M3ANALOG");
    in.thread2 = QStringLiteral("M2");
    const double s = 1.0 + (i % 17) * 0.5;
    in.L1 = dimension(10 * s, locale);
    in.L2 = dimension(15 * s, locale);
    in.L3 = dimension(40 * s, locale);
    in.L4 = dimension(45 * s, locale);
    in.D1 = dimension(4, locale);
    in.D2 = dimension(2.5, locale);
    in.ball_diameter = dimension(3, locale);
    in.length = dimension(12 * s, locale);
    in.width = dimension(2.5, locale);
    in.Check_zyl = kind == TipKind::Cylinder && i % 2;
    return in;
}

} // namespace

QByteArray makeFile(qint64 bytes)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QByteArray out;
    out.reserve(bytes + 1024);
    for (int i = 0; out.size() < bytes; ++i) {
        const auto kind = TipKind(1 + i % 6);
        const QLocale &locale = i % 2 ? german : english;
        out += *ProbeFileWriter::encode(*buildRecord(kind, inputs(i, kind, locale), locale));
    }
    return out;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

long peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

} // namespace merivox::bench
