// The writer and the reader agree: random inputs, hostile ones included, go through the Create
// command's plan, the writer's bytes and the reader. Either the record reads back with the same
// name, thread and numbers and without a problem, and then the plan's read-back notes are empty;
// or it does not, and then they say so before anything is written.
#include "CreateCommand.h"
#include "ProbeFile.h"
#include "ProbeFileWriter.h"
#include "ReadBack.h"
#include "RandomInputs.h"
#include "ReaderTestSupport.h"

using namespace merivox;
using namespace merivox::test;

namespace {

// Whether every number of the record reads back as the locale's own parser reads its text.
bool numbersAgree(const QStringList &lines, const ProbeFile &file, const QLocale &locale)
{
    const QList<RecordLine> read = file.lines(0);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList written = lines.at(i).split(QLatin1Char(' '), Qt::SkipEmptyParts).mid(1);
        for (qsizetype k = 0; k < written.size() && k < read.at(i).values.size(); ++k) {
            bool ok = false;
            const double meant = locale.toDouble(written.at(k), &ok);
            if (ok && read.at(i).value(k) != meant) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

class TestReadBack final : public QObject
{
    Q_OBJECT

private slots:
    void randomInputs();
    void knownCases_data();
    void knownCases();
};

void TestReadBack::randomInputs()
{
    QRandomGenerator random(16);
    int agreeing = 0;
    int noted = 0;
    for (const QLocale &locale : {kEnglishLocale, kGermanLocale}) {
        for (int i = 0; i < 3000; ++i) {
            const TipKind kind = kAllKinds[size_t(random.bounded(int(kAllKinds.size())))];
            RandomEditor editor(random, kind, locale);
            const CreatePlan plan = planCreateCommand(editor, editor.state, locale);
            if (!plan.record) {
                continue;
            }
            const std::optional<QByteArray> bytes = ProbeFileWriter::encode(*plan.record);
            if (!bytes) {
                continue; // refused by the writer: nothing to read back
            }
            const ProbeFile file = ProbeFile::fromBytes(*bytes);
            const bool same = file.problems().isEmpty() && file.recordCount() == 1 &&
                              file.name(0) == plan.inputs->name && file.thread(0) == plan.inputs->thread &&
                              numbersAgree(plan.record->lines, file, locale);
            const QStringList notes =
                readBackNotes(plan.record->lines, plan.inputs->name, plan.inputs->thread, locale);
            QVERIFY2(same == notes.isEmpty(),
                     qPrintable(QStringLiteral("%1\n%2").arg(plan.record->lines.first(), notes.join('\n'))));
            (same ? agreeing : noted)++;
        }
    }
    qInfo("%d read back as meant, %d noted beforehand", agreeing, noted);
    // The inputs reach both outcomes often.
    QVERIFY2(agreeing > 500 && noted > 500, qPrintable(QStringLiteral("%1 agree, %2 noted").arg(agreeing).arg(noted)));
}

void TestReadBack::knownCases_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("thread");
    QTest::addColumn<QString>("note"); // its start; empty: none

    QTest::newRow("plain") << "TIP" << "M3" << "";
    QTest::newRow("MM in the name") << "AMM B" << "M3" << "";
    QTest::newRow("blanks around") << " A " << " M3 " << "";
    QTest::newRow("UTF-8 look-alike is only a hint") << "WÃ¼rfel" << "M3" << "";
    QTest::newRow("MM in the thread") << "A" << "XMM Y"
                                      << "Name und Gewinde lesen sich als „AMM X“ und „Y“ zurück: das Gewinde "
                                         "enthält „MM “";
    QTest::newRow("item line in the name") << "AITEM:B" << "M3" << "Zeile 1 liest sich nicht sauber zurück: Zwei Zeilen";
    QTest::newRow("keyword in the thread") << "A" << "M3endtip" << "Zeile 1 liest sich nicht sauber zurück: Zwei Zeilen";
}

void TestReadBack::knownCases()
{
    QFETCH(QString, name);
    QFETCH(QString, thread);
    QFETCH(QString, note);
    TipInputs in = example(TipKind::Ball, kEnglishLocale);
    in.name = name;
    in.thread = thread;
    const QStringList notes = readBackNotes(built(TipKind::Ball, in, kEnglishLocale), name, thread, kEnglishLocale);
    if (note.isEmpty()) {
        QCOMPARE(notes, QStringList());
    } else {
        QVERIFY2(!notes.isEmpty() && notes.first().startsWith(note), qPrintable(notes.join('\n')));
    }
}

QTEST_GUILESS_MAIN(TestReadBack)
#include "tst_readback.moc"
