// The writer under faults, with real processes: several copies appending to one file at once,
// and a copy killed with SIGKILL at random moments. Writers are this executable started again
// with "--append COUNT TAG FOLDER": it appends COUNT records and names each on stdout once its
// append is confirmed.
#include "FaultTestSupport.h"
#include "TestSupport.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <map>
#include <thread>

using namespace merivox;
using namespace merivox::test;

namespace {

QProcess *startWriter(QObject *parent, int count, const QString &tag, const QString &folder)
{
    return startHelper(parent, {QStringLiteral("--append"), QString::number(count), tag, folder});
}

// One line for each append that a writer confirmed.
int confirmations(QProcess *process)
{
    return int(process->readAllStandardOutput().count('\n'));
}

} // namespace

class TestAppendFaults final : public QObject
{
    Q_OBJECT

private slots:
    void fourWritersAtOnce();
    void writerKilledAtRandomMoments();
};

void TestAppendFaults::fourWritersAtOnce()
{
    constexpr int kWriters = 4;
    constexpr int kEach = 250;
    QTemporaryDir folder;
    QList<QProcess *> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers << startWriter(this, kEach, QStringLiteral("W%1").arg(w), folder.path());
    }
    for (QProcess *writer : writers) {
        QVERIFY(writer->waitForFinished(60000));
        QCOMPARE(writer->exitCode(), 0);
        QCOMPARE(confirmations(writer), kEach);
    }

    const QList<FoundRecord> found = recordsIn(readAll(folder.filePath(QStringLiteral("usrprobe.dat"))));
    QCOMPARE(found.size(), kWriters * kEach);
    std::map<QString, int> next; // each writer's records whole, once each, in its order
    for (const FoundRecord &record : found) {
        QVERIFY2(record.whole, qPrintable(QStringLiteral("%1-%2").arg(record.tag).arg(record.number)));
        QCOMPARE(record.number, next[record.tag]++);
    }
    QCOMPARE(int(next.size()), kWriters);
    qInfo("%d writers appended %d records to one file, all whole", kWriters, int(found.size()));
}

void TestAppendFaults::writerKilledAtRandomMoments()
{
    constexpr int kKills = 50;
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    qInfo("seed %u", seed);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    int confirmedTotal = 0;
    int withoutConfirmation = 0;
    int incomplete = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const QString tag = QStringLiteral("K%1").arg(kill);
        QProcess *writer = startWriter(this, 1000000, tag, folder.path());
        QVERIFY(writer->waitForReadyRead(30000)); // appending has begun
        std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(20000)));
        writer->kill();
        QVERIFY(writer->waitForFinished(30000));
        QCOMPARE(writer->exitStatus(), QProcess::CrashExit);
        const int confirmed = confirmations(writer);
        confirmedTotal += confirmed;
        delete writer;

        // The next append starts on a line of its own, whatever the killed copy left.
        const QByteArray before = readAll(path);
        const TipRecord mark{{QStringLiteral("ITEM:MARK-%1MM M3").arg(kill), "endtip"}};
        ProbeFileWriter marker;
        QVERIFY2(marker.append(folder.path(), mark), qPrintable(marker.errorString()));
        const QByteArray after = readAll(path);
        QVERIFY(after.startsWith(before));
        QVERIFY(after.endsWith("\r\n" + crlf(mark.lines)));

        // This copy's records: every confirmed one whole, only the last one possibly incomplete.
        QList<FoundRecord> mine;
        for (const FoundRecord &record : recordsIn(after)) {
            if (record.tag == tag) {
                mine << record;
            }
        }
        QVERIFY(mine.size() >= confirmed);
        for (qsizetype i = 0; i < mine.size(); ++i) {
            QCOMPARE(mine[i].number, int(i));
            QVERIFY2(mine[i].whole || i == mine.size() - 1, qPrintable(tag));
            QVERIFY2(mine[i].whole || i >= confirmed, qPrintable(tag));
        }
        if (!mine.isEmpty() && !mine.last().whole) {
            ++incomplete;
        } else if (mine.size() > confirmed) {
            ++withoutConfirmation;
        }
    }
    qInfo("%d kills, %d records confirmed; a record on disk without its confirmation %d times, "
          "an incomplete record %d times",
          kKills, confirmedTotal, withoutConfirmation, incomplete);
}

int main(int argc, char *argv[])
{
    if (argc == 5 && qstrcmp(argv[1], "--append") == 0) {
        return appendRecords(QByteArray(argv[2]).toInt(), QString::fromLatin1(argv[3]),
                             QString::fromLocal8Bit(argv[4]));
    }
    QCoreApplication app(argc, argv);
    TestAppendFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appendfaults.moc"
