// A record read back into its kind and dimensions: each kind's record as the data sheet lists it,
// the same reading from the record's text (as a template takes it) and from the reader's lines,
// kinds told apart by their lines, and the materials named from the record's colours. (The record
// that a line names: merivox-view --pdf.)
#include "Materials.h"
#include "ProbeFile.h"
#include "ReaderTestSupport.h"
#include "DecodedRecord.h"

using namespace merivox;
using namespace merivox::test;

Q_DECLARE_METATYPE(merivox::TipKind)
using OptionalKind = std::optional<merivox::TipKind>;
Q_DECLARE_METATYPE(OptionalKind)
Q_DECLARE_METATYPE(merivox::Rgb)
Q_DECLARE_METATYPE(merivox::ColourRole)

class TestDecodedRecord final : public QObject
{
    Q_OBJECT

private slots:
    void dimensions_data();
    void dimensions();
    void materials_data();
    void materials();
};

void TestDecodedRecord::dimensions_data()
{
    QTest::addColumn<TipKind>("kind");
    QTest::addColumn<bool>("german");
    QTest::addColumn<InputChange>("change");
    QTest::addColumn<OptionalKind>("expectedKind");
    QTest::addColumn<QString>("expected"); // caption=text, in the editor's order
    QTest::addColumn<double>("elementSize");

    const InputChange none = [](TipInputs &) {
    };
    QTest::newRow("ball") << TipKind::Ball << true << none << OptionalKind(TipKind::Ball)
                          << "L1=10 L2=15,5 L3=40 D1=4 D2=2 Kugeldurchmesser=3" << 3.0;
    QTest::newRow("ball, straight")
        << TipKind::Ball << true
        << setTyped({{&TipInputs::L1, "0"}, {&TipInputs::L2, "0"}, {&TipInputs::D1, "3"}, {&TipInputs::D2, "3"}})
        << OptionalKind(TipKind::Ball) << "L1=0 L2=0 L3=40 D1=3 D2=3 Kugeldurchmesser=3" << 3.0;
    QTest::newRow("ball, upper cylinder without cone")
        << TipKind::Ball << true << setTyped({{&TipInputs::L2, "0"}, {&TipInputs::D1, "3"}, {&TipInputs::D2, "3"}})
        << OptionalKind(TipKind::Ball) << "L1=10 L2=0 L3=40 D1=3 D2=3 Kugeldurchmesser=3" << 3.0;
    QTest::newRow("cylinder, point") << TipKind::Cylinder << false << none << OptionalKind(TipKind::Cylinder)
                                     << "L1=10 L2=20.5 L3=30 L4=45 D1=6 D2=3 Kugeldurchmesser=2" << 2.0;
    QTest::newRow("half sphere") << TipKind::HalfSphere << true << none << OptionalKind(TipKind::HalfSphere)
                                 << "L1=10 L2=20,5 L3=30 D1=6 D2=3 Kugeldurchmesser=8" << 8.0;
    QTest::newRow("half sphere without neck")
        << TipKind::HalfSphere << true
        << setTyped({{&TipInputs::L2, "0"}, {&TipInputs::L3, "0"}, {&TipInputs::D1, "3"}, {&TipInputs::D2, "3"}})
        << OptionalKind(TipKind::HalfSphere) << "L1=10 L2=0 L3=0 D1=3 D2=3 Kugeldurchmesser=8" << 8.0;
    QTest::newRow("disc") << TipKind::Disc << true << none << OptionalKind(TipKind::Disc)
                          << "L1=10 L2=20,5 L3=30 D1=6 D2=3 Länge=12 Breite=2" << 12.0;
    QTest::newRow("cube") << TipKind::Cube << true << none << OptionalKind(TipKind::Cube) << "L1=10,5" << 10.5;
    QTest::newRow("extension") << TipKind::Extension << true << none << OptionalKind(TipKind::Extension) << "D1=4 Länge=50,5"
                               << 0.0;
}

void TestDecodedRecord::dimensions()
{
    QFETCH(TipKind, kind);
    QFETCH(bool, german);
    QFETCH(InputChange, change);
    QFETCH(OptionalKind, expectedKind);
    QFETCH(QString, expected);
    QFETCH(double, elementSize);

    const QLocale &locale = german ? kGermanLocale : kEnglishLocale;
    TipInputs in = example(kind, locale, true);
    change(in);
    const DecodedRecord found = decodeRecord(ProbeFile::fromLines(built(kind, in, locale)).lines(0));
    QStringList texts;
    for (const LabelledDimension &dimension : found.labelled()) {
        texts << dimension.label + QLatin1Char('=') + dimension.text;
    }
    QCOMPARE(texts.join(QLatin1Char(' ')), expected);
    QCOMPARE(found.kind, expectedKind);
    QCOMPARE(found.elementSize, elementSize);
    // The dimensions here are the record's only numbers with a fraction.
    const Decimal decimal = expected.contains(QLatin1Char(','))   ? Decimal::Comma
                            : expected.contains(QLatin1Char('.')) ? Decimal::Point
                                                                  : Decimal::None;
    QCOMPARE(found.decimal, decimal);
    QCOMPARE(found.shaftColour, std::optional<Rgb>(in.shaft_rgb));
    const bool stylus = kind != TipKind::Cube && kind != TipKind::Extension;
    QCOMPARE(found.ballColour, stylus ? std::optional<Rgb>(in.ball_rgb) : std::nullopt);
    QCOMPARE(found.thread2, kind == TipKind::Extension ? in.thread2 : QString());
    if (kind == TipKind::Cylinder) {
        in.Check_zyl = true;
        QVERIFY(decodeRecord(ProbeFile::fromLines(built(kind, in, locale)).lines(0)).withoutRoundEnd);
        QVERIFY(!found.withoutRoundEnd);
    }
}

void TestDecodedRecord::materials_data()
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
}

void TestDecodedRecord::materials()
{
    QFETCH(Rgb, colour);
    QFETCH(ColourRole, role);
    QFETCH(QString, name);
    QCOMPARE(materialText(colour, role), name);
    QCOMPARE(materialName(colour, role).has_value(), !name.startsWith(QStringLiteral("Farbe")));
}

QTEST_GUILESS_MAIN(TestDecodedRecord)
#include "tst_decodedrecord.moc"
