// A record read back into its kind and dimensions: each kind's record as the data sheet lists it,
// the same reading from the record's text (as a template takes it) and from the reader's lines,
// kinds told apart by their lines, and the materials named from the record's colours. (The record
// that a line names: merivox-view --pdf.)
#include "DecodedRecord.h"
#include "Materials.h"
#include "ProbeFile.h"
#include "ReaderTestSupport.h"
#include "RecordTokens.h"

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
    void kindOfLines_data();
    void kindOfLines();
    void tokens_data();
    void tokens();
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
    QTest::newRow("extension") << TipKind::Extension << true << none << OptionalKind(TipKind::Extension)
                               << "D1=4 Länge=50,5" << 0.0;
}

namespace {

// A record's text cut into pieces, as a template reads it.
QList<RecordTokens> tokensOf(const QStringList &lines)
{
    QList<RecordTokens> out;
    for (const QString &line : lines) {
        out.append(RecordTokens(line));
    }
    return out;
}

// The two ways into the one reading: the reader's lines (the drawing, the data sheet) and the
// record's text (a template).
std::pair<DecodedRecord, DecodedRecord> bothReadings(const QStringList &lines)
{
    return {decodeRecord(ProbeFile::fromLines(lines).lines(0)), decodeRecord(tokensOf(lines))};
}

QString labelsOf(const DecodedRecord &found)
{
    QStringList texts;
    for (const LabelledDimension &dimension : found.labelled()) {
        texts << dimension.label + QLatin1Char('=') + dimension.text;
    }
    return texts.join(QLatin1Char(' '));
}

} // namespace

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
    const auto [fromReader, fromText] = bothReadings(built(kind, in, locale));
    for (const DecodedRecord &found : {fromReader, fromText}) {
        QCOMPARE(labelsOf(found), expected);
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
        QVERIFY(!found.withoutRoundEnd);
    }
    QCOMPARE(fromText.elementDepth, fromReader.elementDepth);
    if (kind == TipKind::Cylinder) {
        in.Check_zyl = true;
        const auto [withoutEnd, withoutEndText] = bothReadings(built(kind, in, locale));
        QVERIFY(withoutEnd.withoutRoundEnd);
        QVERIFY(withoutEndText.withoutRoundEnd);
    }
}

void TestDecodedRecord::kindOfLines_data()
{
    QTest::addColumn<QStringList>("head"); // the lines after the probing element's Color line
    QTest::addColumn<OptionalKind>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ball") << QStringList{"sphere 0 0 -40 3", "hotspot 0 0 -40 0 0 1 3 3 ball"}
                          << OptionalKind(TipKind::Ball) << "Tastkugel"
                          << "L1=10 L2=10 L3=40 D1=4 D2=2 Kugeldurchmesser=3";
    // The ball's word with a cut sphere for a head: the half sphere, which writes the same word.
    QTest::newRow("ball's word, cut sphere")
        << QStringList{"cutsphere 0 0 -40 0 0 1 8 2 -10000", "hotspot 0 0 -40 0 0 1 8 8 ball"}
        << OptionalKind(TipKind::HalfSphere) << "Halbkugel"
        << "L1=10 L2=10 L3=40 D1=4 D2=2 Kugeldurchmesser=8";
    // A cut sphere alone names the half sphere; a word of another kind wins over it.
    QTest::newRow("unknown word, cut sphere")
        << QStringList{"cutsphere 0 0 -40 0 0 1 8 2 -10000", "hotspot 0 0 -40 0 0 1 8 8 dome"}
        << OptionalKind(TipKind::HalfSphere) << "Halbkugel"
        << "L1=10 L2=10 L3=40 D1=4 D2=2 Kugeldurchmesser=8";
    QTest::newRow("shank's word, cut sphere")
        << QStringList{"cylinder 0 0 -40 0 0 -45 2", "cutsphere 0 0 -40 0 0 1 8 2 -10000",
                       "hotspot 0 0 -45 0 0 1 2 5 shank"}
        << OptionalKind(TipKind::Cylinder) << "Zylindertaster"
        << "L1=10 L2=10 L3=40 L4=45 D1=4 D2=2 Kugeldurchmesser=2";
    // No kind: only the shaft is read.
    QTest::newRow("unknown word") << QStringList{"sphere 0 0 -40 3", "hotspot 0 0 -40 0 0 1 3 3 dome"} << OptionalKind()
                                  << "Teil"
                                  << "L1=10 L2=10 D1=4 D2=2";
    QTest::newRow("no hot spot") << QStringList{"sphere 0 0 -40 3"} << OptionalKind() << "Teil"
                                 << "L1=10 L2=10 D1=4 D2=2";
}

void TestDecodedRecord::kindOfLines()
{
    QFETCH(QStringList, head);
    QFETCH(OptionalKind, kind);
    QFETCH(QString, name);
    QFETCH(QString, expected);

    const QStringList lines = QStringList{"ITEM:TIPMM M3",
                                          "begintip",
                                          "ribcount 10",
                                          "Color 142 142 142",
                                          "cylinder 0 0 0 0 0 -10 4",
                                          "cylinder 0 0 -10 0 0 -40 2",
                                          "Color 255 0 0"} +
                              head + QStringList{"endtip"};
    const auto [fromReader, fromText] = bothReadings(lines);
    for (const DecodedRecord &found : {fromReader, fromText}) {
        QCOMPARE(found.kind, kind);
        QCOMPARE(kindName(found.kind), name);
        QCOMPARE(labelsOf(found), expected);
    }
}

void TestDecodedRecord::tokens_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("piece");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("typed"); // from the line's text; the reader's lines have no blanks
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("rest"); // after the piece and its blank

    QTest::newRow("size with its blanks") << "cylinder 0 0 0 0 0 -10  4,5 " << 7 << "4,5"
                                          << " 4,5 " << 4.5 << "";
    QTest::newRow("position") << "cylinder 0 0 0 0 0 -10  4,5 " << 6 << "-10"
                              << "-10 " << -10.0 << " 4,5 ";
    QTest::newRow("thread with a blank") << "connect  0  0 -50 0  0  1 M2 ANALOG" << 6 << "1"
                                         << " 1" << 1.0 << "M2 ANALOG";
    QTest::newRow("a word") << "sphere 0 0 -40 drei" << 4 << "drei"
                            << "drei" << qQNaN() << "";
    QTest::newRow("past the end") << "sphere 0 0 -40 3" << 5 << ""
                                  << "" << qQNaN() << "";
}

void TestDecodedRecord::tokens()
{
    QFETCH(QString, line);
    QFETCH(int, piece);
    QFETCH(QString, text);
    QFETCH(QString, typed);
    QFETCH(double, value);
    QFETCH(QString, rest);

    const RecordTokens fromText(line);
    const RecordTokens fromReader(ProbeFile::fromLines({"ITEM:XMM M3", line}).lines(0).at(1));
    for (const RecordTokens *tokens : {&fromText, &fromReader}) {
        QCOMPARE(tokens->at(piece), text);
        QCOMPARE(tokens->restAfter(piece), tokens == &fromText ? rest : rest.trimmed());
        const double read = tokens->value(piece);
        QVERIFY2(std::isnan(value) ? std::isnan(read) : read == value, qPrintable(QString::number(read)));
    }
    QCOMPARE(fromText.typed(piece), typed);
    QCOMPARE(fromReader.typed(piece), text);
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
