// A record of the file as the editor's template: inputs recovered from a record that the editor
// made build the same bytes again, for every kind and both decimal separators, over random
// inputs (hostile names and numbers included) and the worked examples; a record with the other
// separator fills converted numbers with a note; a hand-made one fills what it can and says what not.
#include "CreateCommand.h"
#include "ProbeFile.h"
#include "RandomInputs.h"
#include "ReaderTestSupport.h"
#include "RecordTemplate.h"
#include "SampleRecords.h"

using namespace merivox;
using namespace merivox::test;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(merivox::TipKind)

namespace {

constexpr int kRandomPerKind = 200;

// The editor after a template was chosen: the fill's texts in the kind's inputs, its material
// choices applied as the shaft boxes and ball options apply them.
class FilledEditor final : public EditorPort
{
public:
    FilledEditor(TipKind kind, const TemplateFill &fill) : m_fill(fill), m_kind(findTipKind(kind))
    {
        state.tip_type = kind;
        state.shaft_rgb = {1, 2, 3}; // no material's: a fill that sets none shows
        state.ball_rgb = {4, 5, 6};
        if (fill.shaft) {
            static constexpr Rgb colours[] = {kCarbonFibreShaft, kCeramicShaft, kSteelShaft};
            state.shaft_rgb = colours[int(*fill.shaft)];
        }
    }
    EditorState state;

    QString nameText() const override { return m_fill.name; }
    QString threadText() const override { return m_fill.thread; }
    QString thread2Text() const override { return m_kind->secondThread ? m_fill.thread2 : QString(); }
    QString dimensionText(DimensionField field) const override
    {
        return isDimensionEnabled(field) ? m_fill.dimensions[size_t(field)] : QString();
    }
    bool isDimensionEnabled(DimensionField field) const override { return m_kind->dimensions.contains(field); }
    void clearDimension(DimensionField field) override { m_fill.dimensions[size_t(field)].clear(); }
    bool isBallMaterialSelected(BallMaterial material) const override { return m_fill.ball == material; }
    bool isWithoutHalfSphere() const override { return m_kind->withoutHalfSphere && m_fill.withoutHalfSphere; }
    QString folder() const override { return {}; }
    void closeEditor() override {}

private:
    TemplateFill m_fill;
    const TipKindDescription *m_kind;
};

// The record's template, read from its bytes as the preview reads the file.
RecordTemplate templateOf(const QByteArray &bytes, TipKind kind)
{
    const ProbeFile file = ProbeFile::fromBytes(bytes);
    if (file.recordCount() != 1) {
        qFatal("not one record");
    }
    return recoverTemplate(kind, file.text(0).split(u'\n'), 1);
}

// The bytes that the editor, filled from the template, would append.
std::optional<QByteArray> rebuilt(TipKind kind, const TemplateFill &fill, const QLocale &locale)
{
    FilledEditor editor(kind, fill);
    const CreatePlan plan = planCreateCommand(editor, editor.state, locale);
    if (!plan.record) {
        return std::nullopt;
    }
    return ProbeFileWriter::encode(*plan.record);
}

QByteArray bytesOf(const QStringList &lines)
{
    QByteArray out;
    for (const QString &line : lines) {
        out += line.toLatin1() + "\r\n";
    }
    return out;
}

} // namespace

class TestRecordTemplate final : public QObject
{
    Q_OBJECT

private slots:
    void sameBytesAgain_data();
    void sameBytesAgain();
    void otherSeparator_data();
    void otherSeparator();
    void handMade_data();
    void handMade();
    void kindOfRecord();
};

void TestRecordTemplate::sameBytesAgain_data()
{
    QTest::addColumn<TipKind>("kind");
    QTest::addColumn<QLocale>("locale");
    for (const TipKind kind : kAllKinds) {
        for (const QLocale &locale : {kEnglishLocale, kGermanLocale}) {
            QTest::addRow("%d, %s", int(kind), qPrintable(locale.name())) << kind << locale;
        }
    }
}

void TestRecordTemplate::sameBytesAgain()
{
    QFETCH(TipKind, kind);
    QFETCH(QLocale, locale);

    // The worked examples, with and without halves, and random editors.
    QList<QByteArray> records;
    for (const bool halves : {false, true}) {
        records.append(encoded(built(kind, example(kind, locale, halves), locale)));
    }
    // Parts of the shaft left out by a 0 (each reading of a lone cylinder), no rounded end, no
    // second thread, a disc without thickness.
    const auto zero = typed(u"0"_s, locale);
    const std::vector<std::function<void(TipInputs &)>> edges{
        [&](TipInputs &in) { in.L1 = in.L2 = zero, in.D2 = in.D1; },
        [&](TipInputs &in) { in.L1 = in.L2 = in.L3 = zero, in.D2 = in.D1; },
        [&](TipInputs &in) { in.L2 = in.L3 = zero, in.D2 = in.D1; },
        [&](TipInputs &in) { in.Check_zyl = true, in.thread2.clear(), in.width = zero; },
    };
    for (const auto &edge : edges) {
        TipInputs in = example(kind, locale, true);
        edge(in);
        records.append(encoded(built(kind, in, locale)));
    }
    QRandomGenerator random(quint32(int(kind) * 7919 + (locale == kGermanLocale ? 1 : 0)));
    int tried = 0;
    const qsizetype made = records.size();
    while (records.size() < made + kRandomPerKind && ++tried < 20 * kRandomPerKind) {
        RandomEditor editor(random, kind, locale);
        editor.state.shaft_rgb = randomShaftMaterial(random);
        const CreatePlan plan = planCreateCommand(editor, editor.state, locale);
        if (!plan.record) {
            continue; // refused by the Create command: nothing that a file could hold
        }
        if (const std::optional<QByteArray> bytes = ProbeFileWriter::encode(*plan.record)) {
            records.append(*bytes);
        }
    }
    QCOMPARE(records.size(), made + kRandomPerKind);

    for (const QByteArray &bytes : std::as_const(records)) {
        const RecordTemplate recovered = templateOf(bytes, kind);
        QVERIFY2(recovered.exact, bytes.constData());
        const TemplateFill fill = templateFill(recovered, locale);
        QVERIFY2(fill.notes.isEmpty(), qPrintable(fill.notes.join(u'\n')));
        const std::optional<QByteArray> again = rebuilt(kind, fill, locale);
        QVERIFY2(again, bytes.constData());
        QCOMPARE(*again, bytes);
    }
}

void TestRecordTemplate::otherSeparator_data()
{
    QTest::addColumn<TipKind>("kind");
    QTest::addColumn<QLocale>("madeIn");
    QTest::addColumn<QLocale>("filledIn");
    QTest::addColumn<QString>("field"); // a dimension with a fraction, by its caption
    QTest::addColumn<QString>("filled");
    QTest::addColumn<QString>("note");
    QTest::newRow("ball, point into comma") << TipKind::Ball << kEnglishLocale << kGermanLocale << "L2"
                                            << "15,5"
                                            << "Der Eintrag schreibt Zahlen mit Punkt, dieser Rechner mit Komma: "
                                               "umgeschrieben bei L2; der neue Eintrag schreibt dort und in den "
                                               "berechneten Lagen Komma statt Punkt.";
    QTest::newRow("ball, comma into point") << TipKind::Ball << kGermanLocale << kEnglishLocale << "L2"
                                            << "15.5"
                                            << "Der Eintrag schreibt Zahlen mit Komma, dieser Rechner mit Punkt: "
                                               "umgeschrieben bei L2; der neue Eintrag schreibt dort und in den "
                                               "berechneten Lagen Punkt statt Komma.";
    QTest::newRow("cube, point into comma") << TipKind::Cube << kEnglishLocale << kGermanLocale << "L1"
                                            << "10,5"
                                            << "umgeschrieben bei L1;";
    QTest::newRow("extension, comma into point") << TipKind::Extension << kGermanLocale << kEnglishLocale << "Länge"
                                                 << "50.5"
                                                 << "umgeschrieben bei Länge;";
    QTest::newRow("cylinder, point into comma") << TipKind::Cylinder << kEnglishLocale << kGermanLocale << "L2"
                                                << "20,5"
                                                << "umgeschrieben bei L2;";
}

void TestRecordTemplate::otherSeparator()
{
    QFETCH(TipKind, kind);
    QFETCH(QLocale, madeIn);
    QFETCH(QLocale, filledIn);
    QFETCH(QString, field);
    QFETCH(QString, filled);
    QFETCH(QString, note);

    const QByteArray bytes = encoded(built(kind, example(kind, madeIn, true), madeIn));
    const RecordTemplate recovered = templateOf(bytes, kind);
    QVERIFY(recovered.exact);
    const TemplateFill fill = templateFill(recovered, filledIn);
    const DimensionField fields[] = {DimensionField::L1, DimensionField::L2, DimensionField::Length};
    const QString captions[] = {"L1", "L2", "Länge"};
    const qsizetype at = std::find(std::begin(captions), std::end(captions), field) - std::begin(captions);
    QCOMPARE(fill.dimensions[size_t(fields[at])], filled);
    QCOMPARE(fill.notes.size(), 1);
    QVERIFY2(fill.notes.first().contains(note), qPrintable(fill.notes.first()));
    // The new record is the old one with the other separator, and nothing else changed.
    const std::optional<QByteArray> again = rebuilt(kind, fill, filledIn);
    QVERIFY(again);
    QByteArray expected = bytes;
    const char from = madeIn.decimalPoint() == u',' ? ',' : '.';
    const char to = from == ',' ? '.' : ',';
    expected.replace(from, to);
    QCOMPARE(*again, expected);
    QVERIFY(*again != bytes);
}

void TestRecordTemplate::handMade_data()
{
    QTest::addColumn<TipKind>("kind");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("filled"); // the kind's dimensions, in the order of the fields
    QTest::addColumn<int>("shaft");          // ShaftMaterial, -1 for none
    QTest::addColumn<QStringList>("notes");

    const QStringList ball = kBallRecord;
    const QStringList ballFilled{"10", "15", "40", "4", "2", "3"};
    QTest::newRow("ball as made") << TipKind::Ball << ball << ballFilled << int(ShaftMaterial::Steel) << QStringList();
    QStringList colour = ball;
    colour[3] = "Color 1 2 3";
    QTest::newRow("unknown shaft colour")
        << TipKind::Ball << colour << ballFilled << -1
        << QStringList{"Die Schaftfarbe 1 2 3 gehört zu keinem Material des Editors; der neue Eintrag bekommt die "
                       "des gewählten Materials."};
    QStringList word = ball;
    word[8] = "sphere 0 0 -40 drei";
    QTest::newRow("a word for a size")
        << TipKind::Ball << word << QStringList{"10", "15", "40", "4", "2", ""} << int(ShaftMaterial::Steel)
        << QStringList{"Keine Zahl, bleibt leer: Kugeldurchmesser („drei“).",
                       "Zeile 9 „sphere 0 0 -40 drei“ schreibt Merivox so nicht; der neue Eintrag hat dort „sphere 0 0 "
                       "-40 0“.",
                       "Zeile 10 „hotspot 0 0 -40 0 0 1 3 3 ball“ schreibt Merivox so nicht; der neue Eintrag hat dort "
                       "„hotspot 0 0 -40 0 0 1 0 0 ball“."};
    QStringList hotSpot = ball;
    hotSpot[9] = "hotspot 0 0 -41 0 0 1 3 3 ball";
    QTest::newRow("hot spot beside the ball")
        << TipKind::Ball << hotSpot << ballFilled << int(ShaftMaterial::Steel)
        << QStringList{"Zeile 10 „hotspot 0 0 -41 0 0 1 3 3 ball“ schreibt Merivox so nicht; der neue Eintrag hat "
                       "dort „hotspot 0 0 -40 0 0 1 3 3 ball“."};
    QStringList blanks = ball;
    blanks[4] = "cylinder  0 0 0 0 0 -10 4";
    QTest::newRow("two blanks after the keyword")
        << TipKind::Ball << blanks << ballFilled << int(ShaftMaterial::Steel)
        << QStringList{"Zeile 5 „cylinder  0 0 0 0 0 -10 4“ schreibt Merivox so nicht; der neue Eintrag hat dort "
                       "„cylinder 0 0 0 0 0 -10 4“."};
    QTest::newRow("cube without connections")
        << TipKind::Cube
        << QStringList{"ITEM:W10MM M3", "solid 6", "Color 142 142 142", "face 4 -5 5 0 5 5 0 5 -5 0 -5 -5 0"}
        << QStringList{""} << int(ShaftMaterial::Steel)
        << QStringList{"Nicht im Eintrag gefunden, bleibt leer: L1.",
                       "Zeile 4 „face 4 -5 5 0 5 5 0 5 -5 0 -5 -5 0“ schreibt Merivox so nicht; der neue Eintrag hat "
                       "dort „face 4 0 0 0 0 0 0 0 0 0 0 0 0“."};
    QTest::newRow("extension with a short colour")
        << TipKind::Extension
        << QStringList{"ITEM:V50MM M3ANALOG", "ribcount 10", "Color 142 142", "cylinder 0 0 0 0 0 -50 4",
                       "connect  0  0 -50 0  0  1 M2ANALOG"}
        << QStringList{"4", "50"} << -1
        << QStringList{"Der Eintrag hat keine lesbare Schaftfarbe; die Auswahl bleibt, wie sie ist."};
    QTest::newRow("mixed separators")
        << TipKind::Extension
        << QStringList{"ITEM:V50MM M3ANALOG", "ribcount 10", "Color 0 0 0", "cylinder 0 0 0 0 0 -50,5 4.5",
                       "connect  0  0 -50,5 0  0  1 M2ANALOG"}
        << QStringList{"4,5", "50,5"} << int(ShaftMaterial::CarbonFibre)
        << QStringList{"Der Eintrag schreibt Zahlen mit Punkt, dieser Rechner mit Komma: umgeschrieben bei D1; der "
                       "neue Eintrag schreibt dort und in den berechneten Lagen Komma statt Punkt."};
}

void TestRecordTemplate::handMade()
{
    QFETCH(TipKind, kind);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, filled);
    QFETCH(int, shaft);
    QFETCH(QStringList, notes);

    const RecordTemplate recovered = templateOf(bytesOf(lines), kind);
    const TemplateFill fill = templateFill(recovered, kGermanLocale);
    QStringList dimensions;
    for (const DimensionField field : kDimensionFields) {
        if (findTipKind(kind)->dimensions.contains(field) && field != DimensionField::L4) {
            dimensions.append(fill.dimensions[size_t(field)]);
        }
    }
    QCOMPARE(dimensions, filled);
    QCOMPARE(fill.shaft ? int(*fill.shaft) : -1, shaft);
    QCOMPARE(fill.notes, notes);
}

void TestRecordTemplate::kindOfRecord()
{
    // Each kind's worked example is offered to its own editor and to no other.
    for (const TipKind kind : kAllKinds) {
        const ProbeFile file =
            ProbeFile::fromBytes(encoded(built(kind, example(kind, kEnglishLocale), kEnglishLocale)));
        QCOMPARE(templateKind(file.record(0).kind, file.record(0).shape), std::optional(kind));
    }
    QCOMPARE(templateKind(RecordKind::Unknown, TipShape::None), std::nullopt);
    QCOMPARE(templateKind(RecordKind::Stylus, TipShape::Other), std::nullopt);
}

QTEST_GUILESS_MAIN(TestRecordTemplate)
#include "tst_recordtemplate.moc"
