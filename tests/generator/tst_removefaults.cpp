// Removing records under faults, with real processes: removals while four copies append, and a
// removing copy killed with SIGKILL at random moments. Helpers are this executable started
// again: "--append COUNT TAG FOLDER" appends records; "--remove FOLDER NUMBER..." takes out the
// seed records of those numbers; "--toggle FOLDER" takes out the first record and puts it back,
// again and again. Each names every confirmed step on stdout.
#include "FaultTestSupport.h"
#include "AppendFile.h"
#include "History.h"
#include "InPlaceChange.h"
#include "ReplaceFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <map>
#include <set>
#include <thread>

using namespace merivox;
using namespace merivox::test;

namespace {

const QString kSeedTag = QStringLiteral("S");

std::filesystem::path nativePath(const QString &path)
{
    return std::filesystem::path(QDir::toNativeSeparators(path).toStdU16String());
}

QString fileIn(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("usrprobe.dat"));
}

QByteArray seedFile(int count)
{
    QByteArray bytes;
    for (int number = 0; number < count; ++number) {
        bytes += crlf(recordLines(kSeedTag, number));
    }
    return bytes;
}

// Takes out each seed record named, reading the file and trying again when it changed between
// the reading and the lock (an append came first). "R n" confirms a removal, "C" counts a
// refusal because the file changed, "U" one because it was in use.
int removeRecords(const QString &folder, const QList<int> &numbers)
{
    const QString path = fileIn(folder);
    for (const int number : numbers) {
        for (int attempt = 0;; ++attempt) {
            if (attempt == 10000) {
                return 5;
            }
            const QByteArray content = readAll(path);
            const QList<FoundRecord> records = recordsIn(content);
            const auto record = std::find_if(records.begin(), records.end(), [&](const FoundRecord &r) {
                return r.tag == kSeedTag && r.number == number;
            });
            if (record == records.end()) {
                return 6;
            }
            const ReplaceResult result =
                removeFromFile(nativePath(path), contentHash({content.constData(), size_t(content.size())}),
                               std::uint64_t(record->begin), std::uint64_t(record->end));
            if (result.ok()) {
                confirm("R " + QByteArray::number(number));
                break;
            }
            if (result.cause == FileCause::Changed) {
                confirm("C");
            } else if (result.cause == FileCause::InUse) {
                confirm("U");
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            } else {
                qCritical("removal failed: cause %d, system error %d", int(result.cause), result.systemError);
                return 3;
            }
        }
    }
    return 0;
}

// Takes out the first seed record when the file starts with it, and puts it back when not, for
// ever: "R" and "U" name each step.
int toggleFirst(const QString &folder)
{
    const std::filesystem::path path = nativePath(fileIn(folder));
    const QByteArray first = crlf(recordLines(kSeedTag, 0));
    const std::string record = first.toStdString();
    for (;;) {
        const QByteArray content = readAll(fileIn(folder));
        const std::uint64_t hash = contentHash({content.constData(), size_t(content.size())});
        const bool out = content.startsWith(first);
        const ReplaceResult result =
            out ? removeFromFile(path, hash, 0, record.size()) : insertIntoFile(path, hash, 0, record);
        if (result.cause == FileCause::Changed) {
            continue; // a change in place that the last kill cut short was finished first
        }
        if (!result.ok() || !confirm(out ? "R" : "U")) {
            return 3;
        }
    }
}

// Takes out the seed record of the number, and stops for ever at the stage named ("K" says it
// stands there), to be killed.
int removeAndHang(const QString &folder, const QByteArray &stageName, int number)
{
    static const std::map<QByteArray, ReplaceStage> stages = {
        {"history", ReplaceStage::HistoryWritten}, {"written", ReplaceStage::NewWritten},
        {"flushed", ReplaceStage::NewFlushed},     {"rescued", ReplaceStage::BackupRescued},
        {"backup", ReplaceStage::BackupKept},      {"replaced", ReplaceStage::Replaced},
        {"note", ReplaceStage::NoteWritten},       {"half", ReplaceStage::HalfWritten},
        {"rewritten", ReplaceStage::Rewritten},    {"cut", ReplaceStage::Cut},
    };
    static ReplaceStage s_stage;
    s_stage = stages.at(stageName);
    setReplaceHook([](ReplaceStage stage) {
        if (stage == s_stage) {
            confirm("K");
            for (;;) {
                std::this_thread::sleep_for(std::chrono::seconds(1));
            }
        }
        return 0;
    });
    const QString path = fileIn(folder);
    const QByteArray content = readAll(path);
    for (const FoundRecord &record : recordsIn(content)) {
        if (record.tag == kSeedTag && record.number == number) {
            removeFromFile(nativePath(path), contentHash({content.constData(), size_t(content.size())}),
                           std::uint64_t(record.begin), std::uint64_t(record.end));
            return 3; // the stage was not reached
        }
    }
    return 6;
}

// Removes the seed record of the number in this process.
// Takes out the seed record; read again once when the file changed under the lock (a change in
// place that a kill cut short was finished first).
bool removeSeed(const QString &path, int number)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QByteArray content = readAll(path);
        for (const FoundRecord &record : recordsIn(content)) {
            if (record.tag == kSeedTag && record.number == number) {
                const ReplaceResult result =
                    removeFromFile(nativePath(path), contentHash({content.constData(), size_t(content.size())}),
                                   std::uint64_t(record.begin), std::uint64_t(record.end));
                if (result.cause != FileCause::Changed) {
                    return result.ok();
                }
            }
        }
    }
    return false;
}

// What the next copy that takes the lock leaves: a change in place that a kill cut short is
// finished first. An append of nothing takes the lock and, since every content of these tests
// ends with its line end, changes nothing else.
void mendByNextCopy(const QString &path)
{
    QVERIFY(appendToFile(nativePath(path), {}).ok());
}

// Every seed record is either in the file or offered by the history for restoring, never both
// and never neither; each one offered exactly once.
QString lostOrTwice(const QString &path, int count)
{
    const QByteArray content = readAll(path);
    const QByteArray history = readAll(path + QStringLiteral(".history"));
    const std::vector<HistoryEntry> entries =
        historyNewestFirst({history.constData(), size_t(history.size())}, {content.constData(), size_t(content.size())});
    for (int number = 0; number < count; ++number) {
        const QByteArray bytes = crlf(recordLines(kSeedTag, number));
        const bool inFile = content.contains(bytes);
        const auto offered = std::count_if(entries.begin(), entries.end(), [&](const HistoryEntry &e) {
            return offeredForRestore(e) && QByteArray::fromStdString(e.removed) == bytes;
        });
        if (int(inFile) + int(offered) != 1) {
            return QStringLiteral("record %1: in the file %2, offered by the history %3 times")
                .arg(number)
                .arg(inFile)
                .arg(offered);
        }
    }
    return {};
}

QStringList temporariesIn(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.merivox-*.tmp")}, QDir::Files | QDir::Hidden);
}

} // namespace

class TestRemoveFaults final : public QObject
{
    Q_OBJECT

private slots:
    void removalsWhileFourAppend();
    void removerKilledAtRandomMoments();
    void removerKilledBetweenHistoryAndReplace_data();
    void removerKilledBetweenHistoryAndReplace();
};

void TestRemoveFaults::removalsWhileFourAppend()
{
    constexpr int kSeed = 250;
    constexpr int kRemovals = 200;
    constexpr int kWriters = 4;
    constexpr int kEach = 250;
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    qInfo("seed %u", seed);

    QTemporaryDir folder;
    writeAll(fileIn(folder.path()), seedFile(kSeed));
    QList<int> numbers;
    for (int number = 0; number < kSeed; ++number) {
        numbers << number;
    }
    std::shuffle(numbers.begin(), numbers.end(), random);
    numbers.resize(kRemovals);

    QStringList removeArguments{QStringLiteral("--remove"), folder.path()};
    for (const int number : numbers) {
        removeArguments << QString::number(number);
    }
    QProcess *remover = startHelper(this, removeArguments);
    QList<QProcess *> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers << startHelper(
            this, {QStringLiteral("--append"), QString::number(kEach), QStringLiteral("W%1").arg(w), folder.path()});
    }
    for (QProcess *writer : writers) {
        QVERIFY(writer->waitForFinished(90000));
        QCOMPARE(writer->exitCode(), 0);
        QCOMPARE(writer->readAllStandardOutput().count('\n'), kEach);
    }
    QVERIFY(remover->waitForFinished(90000));
    QCOMPARE(remover->exitCode(), 0);
    std::set<int> removed;
    int changed = 0;
    int inUse = 0;
    for (const QByteArray &line : remover->readAllStandardOutput().split('\n')) {
        if (line.startsWith("R ")) {
            removed.insert(line.mid(2).toInt());
        }
        changed += line == "C";
        inUse += line == "U";
    }
    QCOMPARE(int(removed.size()), kRemovals);

    // The seed less exactly the confirmed removals, in its order; every append whole, in order.
    std::map<QString, int> next;
    int seedFound = 0;
    for (const FoundRecord &record : recordsIn(readAll(fileIn(folder.path())))) {
        QVERIFY2(record.whole, qPrintable(QStringLiteral("%1-%2").arg(record.tag).arg(record.number)));
        if (record.tag == kSeedTag) {
            QVERIFY2(!removed.contains(record.number), qPrintable(QString::number(record.number)));
            QVERIFY(record.number >= next[kSeedTag]);
            next[kSeedTag] = record.number + 1;
            ++seedFound;
        } else {
            QCOMPARE(record.number, next[record.tag]++);
        }
    }
    QCOMPARE(seedFound, kSeed - kRemovals);
    for (int w = 0; w < kWriters; ++w) {
        QCOMPARE(next[QStringLiteral("W%1").arg(w)], kEach);
    }
    QVERIFY(temporariesIn(folder.path()).isEmpty());
    qInfo("%d removals confirmed while %d writers appended %d records; refused and tried again: %d times because "
          "the file had changed, %d times because it was in use",
          kRemovals, kWriters, kWriters * kEach, changed, inUse);
}

void TestRemoveFaults::removerKilledAtRandomMoments()
{
    constexpr int kKills = 50;
    constexpr int kSeed = 50;
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    qInfo("seed %u", seed);

    QTemporaryDir folder;
    const QString path = fileIn(folder.path());
    const QByteArray whole = seedFile(kSeed);
    const QByteArray lessFirst = whole.mid(crlf(recordLines(kSeedTag, 0)).size());
    writeAll(path, whole);

    QByteArray confirmedState = whole;
    int confirmedTotal = 0;
    int withoutConfirmation = 0;
    int leftBehind = 0;
    QStringList leftovers;
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess *remover = startHelper(this, {QStringLiteral("--toggle"), folder.path()});
        QVERIFY(remover->waitForReadyRead(30000)); // removing has begun
        std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(20000)));
        remover->kill();
        QVERIFY(remover->waitForFinished(30000));
        QCOMPARE(remover->exitStatus(), QProcess::CrashExit);
        const QByteArray steps = remover->readAllStandardOutput();
        const int confirmed = int(steps.count('\n'));
        confirmedTotal += confirmed;
        delete remover;

        // The path holds the old or the new content, whole: the one the last confirmed step
        // left, unless the next step replaced it without its confirmation. In place, once the next
        // copy has finished what the kill cut short.
        if (detail::inPlaceForced()) {
            mendByNextCopy(path);
        }
        const QByteArray content = readAll(path);
        if (confirmed > 0) {
            confirmedState = steps.endsWith("R\n") ? lessFirst : whole;
        }
        QVERIFY2(content == whole || content == lessFirst,
                 qPrintable(QStringLiteral("kill %1: %2 bytes, %3 confirmed: %4")
                                .arg(kill)
                                .arg(content.size())
                                .arg(confirmed)
                                .arg(QString::fromLatin1(content.left(300)))));
        if (content != confirmedState) {
            ++withoutConfirmation;
            confirmedState = content;
        }
        const QString backupPath = path + QStringLiteral(".bak");
        const QByteArray backup = readAll(backupPath);
        QVERIFY(backup == whole || backup == lessFirst || (kill == 0 && !QFile::exists(backupPath)));

        // A temporary file that a kill left is gone once the next copy has removed something.
        if (confirmed > 0) {
            for (const QString &name : std::as_const(leftovers)) {
                QVERIFY2(!QFile::exists(QDir(folder.path()).filePath(name)), qPrintable(name));
            }
        }
        leftovers = temporariesIn(folder.path());
        leftBehind += int(leftovers.size());
    }
    const QByteArray content = readAll(path);
    QVERIFY(removeFromFile(nativePath(path), contentHash({content.constData(), size_t(content.size())}), 0, 0).ok());
    QVERIFY(temporariesIn(folder.path()).isEmpty());
    qInfo("%d kills, %d steps confirmed; the file replaced without its confirmation %d times, a temporary file "
          "left %d times and removed by the next removal",
          kKills, confirmedTotal, withoutConfirmation, leftBehind);
}

void TestRemoveFaults::removerKilledBetweenHistoryAndReplace_data()
{
    QTest::addColumn<QByteArray>("stage");
    QTest::addColumn<bool>("replaced"); // the kill comes after the new content took the path's place
    if (detail::inPlaceForced()) {
        // In place there is no new file; the steps of the rewrite come instead, and every kill
        // from the note on is finished by the next copy.
        for (const char *stage : {"history", "rescued", "backup"}) {
            QTest::newRow(stage) << QByteArray(stage) << false;
        }
        for (const char *stage : {"note", "half", "rewritten", "cut", "replaced"}) {
            QTest::newRow(stage) << QByteArray(stage) << true;
        }
        return;
    }
    for (const char *stage : {"history", "written", "flushed", "rescued", "backup"}) {
        QTest::newRow(stage) << QByteArray(stage) << false;
    }
    QTest::newRow("replaced") << QByteArrayLiteral("replaced") << true;
}

void TestRemoveFaults::removerKilledBetweenHistoryAndReplace()
{
    QFETCH(QByteArray, stage);
    QFETCH(bool, replaced);
    constexpr int kSeed = 6;
    QTemporaryDir folder;
    const QString path = fileIn(folder.path());
    writeAll(path, seedFile(kSeed));
    // A removal before: the .bak and the history exist, so that the kill meets their replacement.
    QVERIFY(removeSeed(path, 0));
    const QByteArray before = readAll(path);
    const QByteArray second = crlf(recordLines(kSeedTag, 2));

    QProcess *remover = startHelper(this, {QStringLiteral("--remove-hang"), folder.path(), QString::fromLatin1(stage),
                                           QStringLiteral("2")});
    QVERIFY(remover->waitForReadyRead(30000));
    QCOMPARE(remover->readAllStandardOutput(), QByteArrayLiteral("K\n"));
    remover->kill();
    QVERIFY(remover->waitForFinished(30000));
    delete remover;

    QByteArray expected = before;
    if (replaced) {
        expected.remove(expected.indexOf(second), second.size());
    }
    if (hasUnfinishedChange(nativePath(path))) {
        mendByNextCopy(path); // in place, cut short
    }
    QCOMPARE(readAll(path), expected);
    QVERIFY2(lostOrTwice(path, kSeed).isEmpty(), qPrintable(lostOrTwice(path, kSeed)));

    // The next copy mends it: its removal answers the killed one's entry, and still nothing is
    // lost or offered twice.
    QVERIFY(removeSeed(path, 4));
    QVERIFY2(lostOrTwice(path, kSeed).isEmpty(), qPrintable(lostOrTwice(path, kSeed)));
    QVERIFY(temporariesIn(folder.path()).isEmpty());
    const QByteArray history = readAll(path + QStringLiteral(".history"));
    const std::vector<HistoryEntry> entries = parseHistory({history.constData(), size_t(history.size())});
    QCOMPARE(int(entries.size()), 3);
    QVERIFY(entries[1].marked);
    QCOMPARE(QByteArray::fromStdString(entries[1].removed), second);
    QCOMPARE(entries[1].outcome, replaced ? HistoryOutcome::Done : HistoryOutcome::NotDone);
}

int main(int argc, char *argv[])
{
    if (argc == 5 && qstrcmp(argv[1], "--remove-hang") == 0) {
        return removeAndHang(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]), QByteArray(argv[4]).toInt());
    }
    if (argc == 5 && qstrcmp(argv[1], "--append") == 0) {
        return appendRecords(QByteArray(argv[2]).toInt(), QString::fromLatin1(argv[3]),
                             QString::fromLocal8Bit(argv[4]));
    }
    if (argc >= 3 && qstrcmp(argv[1], "--remove") == 0) {
        QList<int> numbers;
        for (int i = 3; i < argc; ++i) {
            numbers << QByteArray(argv[i]).toInt();
        }
        return removeRecords(QString::fromLocal8Bit(argv[2]), numbers);
    }
    if (argc == 3 && qstrcmp(argv[1], "--toggle") == 0) {
        return toggleFirst(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestRemoveFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_removefaults.moc"
