// The dimensions of each kind read back from its record, as the data sheet lists them; the
// materials named from the record's colours; and the one record that a line names.
#include "Materials.h"
#include "ProbeFile.h"
#include "ReaderTestSupport.h"
#include "RecordDimensions.h"

#include <functional>
#include <vector>

using namespace merivox;
using namespace merivox::test;

Q_DECLARE_METATYPE(merivox::TipKind)
Q_DECLARE_METATYPE(merivox::ComponentKind)
Q_DECLARE_METATYPE(merivox::Rgb)
Q_DECLARE_METATYPE(merivox::ColourRole)

using Change = std::function<void(TipInputs &)>;
Q_DECLARE_METATYPE(Change)

class TestRecordDimensions final : public QObject
{
    Q_OBJECT

private slots:
    void dimensions_data();
    void dimensions();
    void materials_data();
    void materials();
    void recordOfLine_data();
    void recordOfLine();
};

void TestRecordDimensions::dimensions_data()
{
    QTest::addColumn<TipKind>("kind");
    QTest::addColumn<bool>("german");
    QTest::addColumn<Change>("change");
    QTest::addColumn<ComponentKind>("expectedKind");
    QTest::addColumn<QString>("expected"); // caption=text, in the editor's order
    QTest::addColumn<double>("elementSize");

    const Change none = [](TipInputs &) {};
    using Values = std::vector<std::pair<Dimension TipInputs::*, const char *>>;
    const auto set = [](const Values &values) {
        return Change([values](TipInputs &in) {
            for (const auto &[field, text] : values) {
                in.*field = typed(QString::fromLatin1(text), kGermanLocale);
            }
        });
    };
    QTest::newRow("ball") << TipKind::Ball << true << none << ComponentKind::Ball
                          << "L1=10 L2=15,5 L3=40 D1=4 D2=2 Kugeldurchmesser=3" << 3.0;
    QTest::newRow("ball, straight") << TipKind::Ball << true
                                    << set(Values{{&TipInputs::L1, "0"}, {&TipInputs::L2, "0"}, {&TipInputs::D1, "3"},
                                            {&TipInputs::D2, "3"}})
                                    << ComponentKind::Ball << "L1=0 L2=0 L3=40 D1=3 D2=3 Kugeldurchmesser=3" << 3.0;
    QTest::newRow("ball, upper cylinder without cone")
        << TipKind::Ball << true << set(Values{{&TipInputs::L2, "0"}, {&TipInputs::D1, "3"}, {&TipInputs::D2, "3"}})
        << ComponentKind::Ball << "L1=10 L2=0 L3=40 D1=3 D2=3 Kugeldurchmesser=3" << 3.0;
    QTest::newRow("ball, tiny") << TipKind::Ball << true << set(Values{{&TipInputs::ball_diameter, "0,30"}})
                                << ComponentKind::Ball << "L1=10 L2=15,5 L3=40 D1=4 D2=2 Kugeldurchmesser=0,30"
                                << 0.3;
    QTest::newRow("cylinder, point") << TipKind::Cylinder << false << none << ComponentKind::Cylinder
                                     << "L1=10 L2=20.5 L3=30 L4=45 D1=6 D2=3 Kugeldurchmesser=2" << 2.0;
    QTest::newRow("half sphere") << TipKind::HalfSphere << true << none << ComponentKind::HalfSphere
                                 << "L1=10 L2=20,5 L3=30 D1=6 D2=3 Kugeldurchmesser=8" << 8.0;
    QTest::newRow("half sphere without neck")
        << TipKind::HalfSphere << true
        << set(Values{{&TipInputs::L2, "0"}, {&TipInputs::L3, "0"}, {&TipInputs::D1, "3"}, {&TipInputs::D2, "3"}})
        << ComponentKind::HalfSphere << "L1=10 L2=0 L3=0 D1=3 D2=3 Kugeldurchmesser=8" << 8.0;
    QTest::newRow("disc") << TipKind::Disc << true << none << ComponentKind::Disc
                          << "L1=10 L2=20,5 L3=30 D1=6 D2=3 Länge=12 Breite=2" << 12.0;
    QTest::newRow("disc, odd width") << TipKind::Disc << true << set(Values{{&TipInputs::width, "3"}})
                                     << ComponentKind::Disc << "L1=10 L2=20,5 L3=30 D1=6 D2=3 Länge=12 Breite=3"
                                     << 12.0;
    QTest::newRow("cube") << TipKind::Cube << true << none << ComponentKind::Cube << "L1=10,5" << 10.5;
    QTest::newRow("extension") << TipKind::Extension << true << none << ComponentKind::Extension
                               << "D1=4 Länge=50,5" << 0.0;
}

void TestRecordDimensions::dimensions()
{
    QFETCH(TipKind, kind);
    QFETCH(bool, german);
    QFETCH(Change, change);
    QFETCH(ComponentKind, expectedKind);
    QFETCH(QString, expected);
    QFETCH(double, elementSize);

    const QLocale &locale = german ? kGermanLocale : kEnglishLocale;
    TipInputs in = example(kind, locale, true);
    change(in);
    const ComponentDimensions found = recoverDimensions(ProbeFile::fromLines(built(kind, in, locale)).lines(0));
    QStringList texts;
    for (const RecoveredDimension &dimension : found.dimensions) {
        texts << dimension.label + QLatin1Char('=') + dimension.text;
    }
    QCOMPARE(texts.join(QLatin1Char(' ')), expected);
    QCOMPARE(found.kind, expectedKind);
    QCOMPARE(found.elementSize, elementSize);
    // The dimensions here are the record's only numbers with a fraction.
    const Decimal decimal = expected.contains(QLatin1Char(',')) ? Decimal::Comma
                            : expected.contains(QLatin1Char('.')) ? Decimal::Point
                                                                  : Decimal::None;
    QCOMPARE(found.decimal, decimal);
    QCOMPARE(found.shaftColour, std::optional<Rgb>(in.shaft_rgb));
    const bool stylus = kind != TipKind::Cube && kind != TipKind::Extension;
    QCOMPARE(found.ballColour, stylus ? std::optional<Rgb>(in.ball_rgb) : std::nullopt);
    QCOMPARE(found.thread2, kind == TipKind::Extension ? in.thread2 : QString());
    if (kind == TipKind::Cylinder) {
        in.Check_zyl = true;
        QVERIFY(recoverDimensions(ProbeFile::fromLines(built(kind, in, locale)).lines(0)).withoutRoundEnd);
        QVERIFY(!found.withoutRoundEnd);
    }
}

void TestRecordDimensions::materials_data()
{
    QTest::addColumn<Rgb>("colour");
    QTest::addColumn<ColourRole>("role");
    QTest::addColumn<QString>("name");

    QTest::newRow("steel") << kSteelShaft << ColourRole::Shaft << "Stahl";
    QTest::newRow("carbon fibre") << kCarbonFibreShaft << ColourRole::Shaft << "Kohlefaser";
    QTest::newRow("ceramic shaft") << kCeramicShaft << ColourRole::Shaft << "Keramik";
    QTest::newRow("hard metal") << kHardMetalBall << ColourRole::Ball << "Hartmetall";
    QTest::newRow("ruby") << kRubyBall << ColourRole::Ball << "Rubin";
    QTest::newRow("ceramic ball") << kCeramicBall << ColourRole::Ball << "Keramik";
    // A ball colour on a shaft is no material that the editor offers there, nor the reverse.
    QTest::newRow("ruby shaft") << kRubyBall << ColourRole::Shaft << "Farbe 255 0 0";
    QTest::newRow("steel ball") << kSteelShaft << ColourRole::Ball << "Farbe 142 142 142";
    QTest::newRow("other") << Rgb{142, 142, 143} << ColourRole::Shaft << "Farbe 142 142 143";
}

void TestRecordDimensions::materials()
{
    QFETCH(Rgb, colour);
    QFETCH(ColourRole, role);
    QFETCH(QString, name);
    QCOMPARE(materialText(colour, role), name);
    QCOMPARE(materialName(colour, role).has_value(), !name.startsWith(QStringLiteral("Farbe")));
}

void TestRecordDimensions::recordOfLine_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<qsizetype>("record"); // -1: refused
    QTest::addColumn<QString>("reason");

    // Line 1 stands before any record; lines 2-12 are the ball, 13-17 the extension, whose last
    // line runs into the cube's item line; 18-30 the rest of the cube.
    QTest::newRow("before every record") << 1 << qsizetype(-1)
                                         << "Zeile 1 gehört zu keinem Eintrag: vor ihr steht keine Zeile ITEM:.";
    QTest::newRow("item line") << 2 << qsizetype(0) << "";
    QTest::newRow("last line of a record") << 12 << qsizetype(0) << "";
    QTest::newRow("first line of the next") << 13 << qsizetype(1) << "";
    QTest::newRow("shared by two") << 17 << qsizetype(-1)
                                   << "Zeile 17 gehört zu zwei Einträgen: in ihr beginnt ein weiterer Eintrag "
                                      "(Zeilenende fehlt?).";
    QTest::newRow("after it") << 18 << qsizetype(1) << "";
    QTest::newRow("zero") << 0 << qsizetype(-1) << "Zeile 0 gibt es nicht: die Datei hat 30 Zeilen.";
    QTest::newRow("last line") << 30 << qsizetype(1) << "";
    QTest::newRow("past the end") << 31 << qsizetype(-1) << "Zeile 31 gibt es nicht: die Datei hat 30 Zeilen.";
}

void TestRecordDimensions::recordOfLine()
{
    QFETCH(int, line);
    QFETCH(qsizetype, record);
    QFETCH(QString, reason);

    QByteArray bytes = "Kopfzeile\r\n";
    for (const TipKind kind : {TipKind::Ball, TipKind::Extension, TipKind::Cube}) {
        bytes += encoded(built(kind, example(kind, kGermanLocale), kGermanLocale));
    }
    bytes.replace("M2ANALOG\r\nITEM:W10", "M2ANALOGITEM:W10");
    const ProbeFile file = ProbeFile::fromBytes(bytes);
    QCOMPARE(file.lineCount(), 30);
    QString why;
    const std::optional<qsizetype> found = file.recordOfLine(line, &why);
    QCOMPARE(found.value_or(-1), record);
    QCOMPARE(why, reason);
}

QTEST_GUILESS_MAIN(TestRecordDimensions)
#include "tst_recorddimensions.moc"
