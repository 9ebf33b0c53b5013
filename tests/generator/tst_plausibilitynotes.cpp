// Plausibility notes: each note on the smallest inputs that raise it, the worked examples of every
// kind and other sound inputs that must raise none, and the wording of the notes that quote numbers.
#include "PlausibilityNotes.h"
#include "TestSupport.h"

using namespace merivox;
using namespace merivox::test;

namespace {

// Inputs written as "L1=10 L2=15 ...", read in the given locale; fields left out hold "0".
TipInputs inputs(TipKind kind, const QString &entries, const QLocale &locale)
{
    TipInputs in;
    in.tip_type = kind;
    Dimension *const fields[] = {&in.L1,     &in.L2,   &in.L3, &in.L4, &in.D1, &in.D2, &in.ball_diameter,
                                 &in.length, &in.width};
    const char *const keys[] = {"L1", "L2", "L3", "L4", "D1", "D2", "kd", "len", "b"};
    for (Dimension *field : fields) {
        *field = dim(QStringLiteral("0"), locale);
    }
    in.name = QStringLiteral("T");
    in.thread = in.thread2 = QStringLiteral("M3");
    for (const QString &pair : entries.split(u' ', Qt::SkipEmptyParts)) {
        const QString key = pair.section(u'=', 0, 0), value = pair.section(u'=', 1);
        // Threads: "_" stands for a blank.
        if (key == QLatin1String("g1") || key == QLatin1String("g2")) {
            (key == QLatin1String("g1") ? in.thread : in.thread2) = QString(value).replace(u'_', u' ');
            continue;
        }
        const auto at =
            std::find_if(std::begin(keys), std::end(keys), [&](const char *k) { return key == QLatin1String(k); });
        if (at == std::end(keys)) {
            qFatal("unknown field %s", qPrintable(key));
        }
        *fields[at - std::begin(keys)] = dim(value, locale);
    }
    return in;
}

using N = NoteKind;

} // namespace

class TestPlausibilityNotes final : public QObject
{
    Q_OBJECT

private slots:
    void notes_data();
    void notes();
    void wording_data();
    void wording();
};

void TestPlausibilityNotes::notes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("entries");
    QTest::addColumn<QList<N>>("expected");

    const auto row = [](const char *name, TipKind kind, const char *entries, QList<N> expected) {
        QTest::newRow(name) << int(kind) << QString::fromLatin1(entries) << expected;
    };
    const auto B = TipKind::Ball, C = TipKind::Cylinder, H = TipKind::HalfSphere, D = TipKind::Disc, W = TipKind::Cube,
               V = TipKind::Extension;

    // The worked examples, and other sound components: nothing to note.
    row("ball example", B, "L1=10 L2=15 L3=40 D1=4 D2=2 kd=3", {});
    row("cylinder example", C, "L1=10 L2=20 L3=30 L4=45 D1=6 D2=3 kd=2", {});
    row("half sphere example", H, "L1=10 L2=20 L3=30 D1=6 D2=3 kd=8", {});
    row("disc example", D, "L1=10 L2=20 L3=30 D1=6 D2=3 len=12 b=2", {});
    row("cube example", W, "L1=10", {});
    row("extension example", V, "D1=4 len=50 g2=M2ANALOG", {});
    row("straight ball stylus", B, "L3=40 D1=3 D2=3 kd=5", {});
    row("ball without upper shaft or cone", B, "L3=40 D2=2 kd=3", {});
    row("cylinder pin thinner than its neck", C, "L1=10 L2=20 L3=30 L4=45 D1=6 D2=6 kd=1", {});
    row("half sphere right at the cone", H, "L1=10 L2=20 L3=20 D1=6 D2=3 kd=8", {});
    row("disc right at the cone", D, "L1=10 L2=20 L3=22 D1=6 D2=3 len=12 b=2", {});
    row("disc under an upper shaft only", D, "L1=10 L3=30 D1=3 D2=3 len=12 b=2", {});

    // Sizes of zero or below.
    row("ball of size 0", B, "L1=10 L2=15 L3=40 D1=4 D2=2 kd=0", {N::SizeNotPositive});
    row("pin of size 0", C, "L1=10 L2=20 L3=30 L4=45 D1=6 D2=3", {N::SizeNotPositive});
    row("half sphere of size 0", H, "L1=10 L2=20 L3=30 D1=6 D2=3", {N::SizeNotPositive});
    row("disc diameter 0", D, "L1=10 L2=20 L3=30 D1=6 D2=3 b=2", {N::SizeNotPositive});
    row("disc thickness 0", D, "L1=10 L2=20 L3=30 D1=6 D2=3 len=12", {N::SizeNotPositive});
    row("D1 0 under an upper shaft", B, "L1=10 L2=15 L3=40 D2=2 kd=3", {N::SizeNotPositive});
    row("D1 0 with only a cone", B, "L2=15 L3=40 D2=2 kd=3", {N::SizeNotPositive});
    row("negative D1", B, "L3=40 D1=-1 D2=2 kd=3", {N::SizeNotPositive});
    row("D2 0 along a neck", B, "L1=10 L2=15 L3=40 D1=4 kd=3", {N::SizeNotPositive});
    row("D2 0 without a neck", B, "L1=10 L2=40 L3=40 D1=4 kd=3", {});
    row("D2 0 along a disc's neck", D, "L1=10 L2=20 L3=30 D1=6 len=12 b=2", {N::SizeNotPositive});
    row("cube edge 0", W, "", {N::SizeNotPositive});
    row("extension diameter 0", V, "len=50", {N::SizeNotPositive});
    row("extension length 0", V, "D1=4", {N::SizeNotPositive});

    // Lengths along the axis.
    row("L1 negative", B, "L1=-5 L2=15 L3=40 D1=4 D2=2 kd=3", {N::LengthNegative});
    row("L2 and L3 swapped", B, "L1=10 L2=40 L3=15 D1=4 D2=2 kd=3", {N::LengthsOutOfOrder});
    row("L1 below L2", H, "L1=25 L2=20 L3=30 D1=6 D2=3 kd=8", {N::LengthsOutOfOrder});
    row("L1 below L3 with no L2", B, "L1=50 L3=40 D1=4 D2=2 kd=3", {N::LengthsOutOfOrder});
    row("L1 equal to L2", B, "L1=15 L2=15 L3=40 D1=4 D2=2 kd=3", {});
    row("L3 0 is skipped", H, "L1=10 L2=20 D1=6 D2=3 kd=8", {});
    row("L4 above L3", C, "L1=10 L2=20 L3=30 L4=25 D1=6 D2=3 kd=2", {N::LengthsOutOfOrder});
    row("L4 equal to L3", C, "L1=10 L2=20 L3=30 L4=30 D1=6 D2=3 kd=2", {N::LengthsOutOfOrder});
    row("L4 0 is skipped", C, "L1=10 L2=20 L3=30 D1=6 D2=3 kd=2", {});
    row("L4 against L2 when L3 is 0", C, "L1=10 L2=20 L4=15 D1=6 D2=3 kd=2", {N::LengthsOutOfOrder});
    row("negative L4", C, "L1=10 L2=20 L3=30 L4=-45 D1=6 D2=3 kd=2", {N::LengthNegative, N::LengthsOutOfOrder});

    // The stem and the head.
    row("stem widens", B, "L1=10 L2=15 L3=40 D1=2 D2=4 kd=5", {N::StemWidens});
    row("ball as thick as the stem", B, "L1=10 L2=15 L3=40 D1=4 D2=2 kd=2", {N::HeadNotLargerThanStem});
    row("ball thinner than the stem", B, "L1=10 L2=15 L3=40 D1=4 D2=2 kd=1", {N::HeadNotLargerThanStem});
    row("disc thinner than the stem", D, "L1=10 L2=20 L3=30 D1=6 D2=3 len=3 b=2", {N::HeadNotLargerThanStem});
    row("widening stem and small ball", B, "L1=10 L2=15 L3=40 D1=2 D2=4 kd=3",
        {N::StemWidens, N::HeadNotLargerThanStem});

    // The disc against the end of the stem.
    row("disc above L2", D, "L1=10 L2=20 L3=21 D1=6 D2=3 len=12 b=2", {N::DiscAboveStem});
    row("disc above L1 when L2 is 0", D, "L1=10 L3=11 D1=3 D2=3 len=12 b=2", {N::DiscAboveStem});
    row("disc above the mounting face", D, "L3=1 D2=3 len=12 b=2", {N::DiscAboveStem});

    // The extension's lower thread.
    row("extension without Gewinde 2", V, "D1=4 len=50 g2=", {N::SecondThreadMissing});

    // Blanks in a typed thread, wherever they stand; the lower thread counts for the extension only.
    row("blank inside Gewinde 1", W, "L1=10 g1=M_3", {N::ThreadHasBlank});
    row("blank after Gewinde 1", B, "L1=10 L2=15 L3=40 D1=4 D2=2 kd=3 g1=M3_", {N::ThreadHasBlank});
    row("blank in both of an extension's", V, "D1=4 len=50 g1=_M3 g2=M_2", {N::ThreadHasBlank, N::ThreadHasBlank});
    row("blank in Gewinde 2 of a cube", W, "L1=10 g2=M_2", {});
}

void TestPlausibilityNotes::notes()
{
    QFETCH(int, kind);
    QFETCH(QString, entries);
    QFETCH(QList<N>, expected);

    for (const QLocale &locale : {kEnglish, kGerman}) {
        QList<N> found;
        for (const PlausibilityNote &note : plausibilityNotes(inputs(TipKind(kind), entries, locale), locale)) {
            found.append(note.kind);
            QVERIFY(!note.text.isEmpty());
        }
        QCOMPARE(found, expected);
    }
}

void TestPlausibilityNotes::wording_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("entries");
    QTest::addColumn<bool>("german");
    QTest::addColumn<QString>("text");

    QTest::newRow("lengths quote the typed texts")
        << int(TipKind::Ball) << "L1=10 L2=40 L3=15,5 D1=4 D2=2 kd=3" << true
        << "L3 = 15,5 ist kleiner als L2 = 40: die Längen werden von der Anlagefläche aus gemessen und nehmen zur "
           "Spitze hin zu.";
    QTest::newRow("disc depth in the locale")
        << int(TipKind::Disc) << "L1=10 L2=20 L3=21 D1=6 D2=3 len=12 b=2.5" << false
        << "Die Scheibe reicht über das Ende des Schafts hinaus: L3 − Breite = 18.5 ist kleiner als L2 = 20.";
    QTest::newRow("disc depth with a comma")
        << int(TipKind::Disc) << "L3=1 D2=3 len=12 b=2,5" << true
        << "Die Scheibe reicht über die Anlagefläche hinaus: L3 − Breite = -1,5 ist kleiner als 0.";
    QTest::newRow("ball and stem") << int(TipKind::Ball) << "L1=10 L2=15 L3=40 D1=4 D2=2,5 kd=2,5" << true
                                   << "Die Kugel (Kugeldurchmesser = 2,5) ist nicht größer als der Schaft (D2 = 2,5).";
    QTest::newRow("blank in a thread") << int(TipKind::Cube) << "L1=10 g1=M_3" << true
                                       << "Gewinde 1: „M 3“ enthält ein Leerzeichen und wird so geschrieben; kein "
                                          "Gewinde der Liste enthält eines.";
    QTest::newRow("two blanks") << int(TipKind::Cube) << "L1=10 g1=M_3_" << false
                                << "Gewinde 1: „M 3 “ enthält 2 Leerzeichen und wird so geschrieben; kein Gewinde "
                                   "der Liste enthält eines.";
    QTest::newRow("size of the head") << int(TipKind::HalfSphere) << "L1=10 L2=20 L3=30 D1=6 D2=3 kd=0" << false
                                      << "Kugeldurchmesser = 0 ist nicht größer als 0: die Halbkugel hat keine Größe.";
}

void TestPlausibilityNotes::wording()
{
    QFETCH(int, kind);
    QFETCH(QString, entries);
    QFETCH(bool, german);
    QFETCH(QString, text);

    const QLocale &locale = german ? kGerman : kEnglish;
    const QList<PlausibilityNote> notes = plausibilityNotes(inputs(TipKind(kind), entries, locale), locale);
    QCOMPARE(notes.size(), 1);
    QCOMPARE(notes.first().text, text);
}

QTEST_GUILESS_MAIN(TestPlausibilityNotes)
#include "tst_plausibilitynotes.moc"
