// Records made by the builders read back: every field equals, as text and as number, what the
// builder wrote; for every kind, both decimal separators, the worked examples and random inputs.
#include "ProbeFile.h"
#include "RandomInputs.h"
#include "ReaderTestSupport.h"

#include <QRandomGenerator>
#include <QRegularExpression>

using namespace merivox;
using namespace merivox::test;

Q_DECLARE_METATYPE(merivox::TipKind)
Q_DECLARE_METATYPE(merivox::TipInputs)

namespace {

// A dimension as an operator might type it: up to two decimals, sometimes a sign or blanks around.
Dimension randomDimension(QRandomGenerator &random, const QLocale &locale)
{
    const int decimals = random.bounded(3);
    const double value = random.bounded(1, 20000) / std::pow(10.0, decimals + 1);
    static const QStringList dressed{"+%1", " %1 ", "%1", "%1", "%1", "%1"};
    return typed(dressed.at(random.bounded(6)).arg(plainNumbers(locale).toString(value, 'f', decimals)), locale);
}

TipInputs randomInputs(QRandomGenerator &random, const QLocale &locale)
{
    static const QStringList threads{"M2", "M3", "M4", "M5", "M3ANALOG", "M2ANALOG", "S3"};
    TipInputs in;
    in.name = randomText(random, 1 + random.bounded(12));
    in.thread = threads.at(random.bounded(int(threads.size())));
    in.thread2 = random.bounded(4) == 0 ? QString() : threads.at(random.bounded(int(threads.size())));
    for (Dimension *d : {&in.L1, &in.L2, &in.L3, &in.L4, &in.D1, &in.D2, &in.ball_diameter, &in.length, &in.width}) {
        *d = randomDimension(random, locale);
    }
    in.Check_zyl = random.bounded(2) == 1;
    in.shaft_rgb = {random.bounded(256), random.bounded(256), random.bounded(256)};
    in.ball_rgb = {random.bounded(256), random.bounded(256), random.bounded(256)};
    return in;
}

// A line as the builder wrote it, cut into its keyword and fields by a plain split at blanks:
// the item line at its last "MM ", a connection's thread as the rest after six numbers.
QStringList expectedFields(const QString &line, QString &keyword)
{
    if (line.startsWith(QStringLiteral("ITEM:"))) {
        keyword = QStringLiteral("ITEM:");
        const qsizetype mm = line.lastIndexOf(QStringLiteral("MM "));
        return {line.mid(5, mm - 5), line.mid(mm + 3)};
    }
    QStringList parts = line.split(QRegularExpression(QStringLiteral(" +")), Qt::SkipEmptyParts);
    keyword = parts.takeFirst();
    if (keyword.compare(QStringLiteral("connect"), Qt::CaseInsensitive) == 0) {
        static const QRegularExpression sixNumbers(QStringLiteral("^\\S+ +(\\S+ +){6}"));
        parts = parts.mid(0, 6);
        parts << line.mid(sixNumbers.match(line).capturedLength());
    }
    return parts;
}

} // namespace

class TestRoundTrip final : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
};

void TestRoundTrip::roundTrip_data()
{
    QTest::addColumn<TipKind>("kind");
    QTest::addColumn<TipInputs>("inputs");
    QTest::addColumn<QLocale>("locale");

    QRandomGenerator random(20261207);
    for (const TipKind kind : kAllKinds) {
        for (const QLocale &locale : {kEnglishLocale, kGermanLocale}) {
            const QString where = QStringLiteral("%1, %2").arg(int(kind)).arg(locale.name());
            QTest::addRow("%s, worked example", qPrintable(where)) << kind << example(kind, locale) << locale;
            QTest::addRow("%s, with halves", qPrintable(where)) << kind << example(kind, locale, true) << locale;
            for (int i = 0; i < 25; ++i) {
                QTest::addRow("%s, random %d", qPrintable(where), i) << kind << randomInputs(random, locale) << locale;
            }
        }
    }
}

void TestRoundTrip::roundTrip()
{
    QFETCH(TipKind, kind);
    QFETCH(TipInputs, inputs);
    QFETCH(QLocale, locale);

    const QStringList lines = built(kind, inputs, locale);
    const ProbeFile file = ProbeFile::fromBytes(encoded(lines));
    QCOMPARE(file.problems(), QList<Problem>());
    QCOMPARE(file.recordCount(), 1);
    const QList<RecordLine> read = file.lines(0);
    QCOMPARE(read.size(), lines.size());

    bool comma = false;
    bool point = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString keyword;
        const QStringList fields = expectedFields(lines.at(i), keyword);
        QCOMPARE(read.at(i).number, i + 1);
        QCOMPARE(lineKeyword(read.at(i).kind), keyword);
        QCOMPARE(read.at(i).fields, fields);
        for (qsizetype f = 0; f < fields.size(); ++f) {
            // Computed positions are in the locale; sizes as typed, also in the locale.
            const std::optional<double> number = i == 0 ? std::optional<double>() : parseNumber(fields.at(f), locale);
            if (number) {
                QVERIFY2(read.at(i).value(f) == *number, qPrintable(lines.at(i)));
                comma = comma || fields.at(f).contains(QLatin1Char(','));
                point = point || fields.at(f).contains(QLatin1Char('.'));
            } else {
                QVERIFY2(std::isnan(read.at(i).value(f)), qPrintable(lines.at(i)));
            }
        }
    }
    // The fields that come straight from the inputs.
    QCOMPARE(read.first().fields, (QStringList{inputs.name, inputs.thread}));
    QCOMPARE(file.name(0), inputs.name);
    const RecordLine &colour = read.at(kind == TipKind::Cube || kind == TipKind::Extension ? 2 : 3);
    QCOMPARE(colour.kind, LineKind::Color);
    QCOMPARE(colour.values, (QList<double>{double(inputs.shaft_rgb.red), double(inputs.shaft_rgb.green),
                                           double(inputs.shaft_rgb.blue)}));
    if (kind == TipKind::Extension) {
        QCOMPARE(read.last().kind, LineKind::LowerConnect);
        QCOMPARE(read.last().fields.last(), inputs.thread2);
        QCOMPARE(read.at(3).fields.last(), inputs.D1.text.trimmed());
    }
    const Decimal decimal =
        point ? (comma ? Decimal::Mixed : Decimal::Point) : (comma ? Decimal::Comma : Decimal::None);
    QCOMPARE(file.record(0).decimal, decimal);
    QVERIFY(decimal != Decimal::Mixed);
}

QTEST_GUILESS_MAIN(TestRoundTrip)
#include "tst_roundtrip.moc"
