// Several processes change one file at once, at random: append records (and now and then a
// garbage line, or text without a line end that the next record runs into), remove records,
// undo their own last removal, restore records from the history and repair the lines the reader
// finds at fault. After every step, each record any process ever wrote must stand in the file or
// in the history, and the reader may find problems only on the garbage lines the processes put
// in. At the end, no record stands in the file twice. Run on the one-step replace and, with the
// file layer's test switch, on the in-place change.
#include "History.h"
#include "LineRepair.h"
#include "ProbeFile.h"
#include "ProbeFileEditor.h"
#include "RemovedRecords.h"
#include "ReplaceFile.h"
#include "SampleRecords.h"

#include <AppendFile.h>
#include <ReadFile.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstdio>

using namespace merivox;

namespace {

constexpr const char *kWorker = "--worker";
constexpr int kWorkers = 3;

// The record a process writes as its n-th: the sample ball stylus under a name of its own.
QByteArray recordOf(const QByteArray &name)
{
    QByteArray bytes = test::kBall;
    bytes.replace("ITEM:TIPMM", "ITEM:" + name + "MM");
    return bytes;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The file's bytes through the file layer's reader, which waits for an append's lock where the
// system refuses to read locked bytes (Windows) instead of reading less.
QByteArray readProbeFile(const QString &path)
{
    QByteArray bytes;
    std::uint64_t got = 0;
    const ReadResult read = readWholeFile(
        std::filesystem::path(path.toStdU16String()), UINT64_MAX,
        [&](std::uint64_t size) {
            bytes.resize(qsizetype(size));
            return bytes.data();
        },
        got);
    bytes.resize(read.ok() ? qsizetype(got) : 0);
    return bytes;
}

// The names every process has logged as appended: each line of each log, once its append returned.
QList<QByteArray> loggedNames(const QDir &folder)
{
    QList<QByteArray> names;
    for (const QString &log : folder.entryList({QStringLiteral("log-*")})) {
        for (const QByteArray &line : readAll(folder.filePath(log)).split('\n')) {
            if (!line.isEmpty()) {
                names += line;
            }
        }
    }
    return names;
}

// Lines that garbage put there may hold problems: a line with garbage, and the lines of a record
// whose item line the garbage ran into, up to the next line that starts a record.
QSet<int> garbageLines(const ProbeFile &file)
{
    QSet<int> lines;
    bool inRunTogether = false;
    for (int line = 1; line <= file.lineCount(); ++line) {
        const QString text = file.lineText(line);
        if (text.startsWith(QStringLiteral("ITEM:"))) {
            inRunTogether = false;
        }
        if (text.contains(QStringLiteral("Müll"))) {
            lines += line;
            inRunTogether = text.contains(QStringLiteral("ITEM:"));
        } else if (inRunTogether) {
            lines += line;
        }
    }
    return lines;
}

// What the rule demands of the folder now; empty when it holds. The file is read before the
// history: a record taken out after the file was read still stands in what was read, and one
// taken out before is in the history, which gets its entry before the file changes.
QString violation(const QDir &folder, const QString &path)
{
    const QList<QByteArray> names = loggedNames(folder);
    const QByteArray content = readProbeFile(path);
    std::string history;
    readHistory(path.toStdString(), history);
    QList<QByteArray> kept;
    for (const HistoryEntry &entry : parseHistory(history)) {
        kept += QByteArray::fromStdString(entry.removed);
    }
    for (const QByteArray &name : names) {
        const QByteArray record = recordOf(name);
        if (!content.contains(record) &&
            std::none_of(kept.begin(), kept.end(), [&](const QByteArray &bytes) { return bytes.contains(record); })) {
            return QStringLiteral("%1 is neither in the file nor in the history").arg(QString::fromLatin1(name));
        }
    }
    const ProbeFile file = ProbeFile::fromBytes(content);
    const QSet<int> garbage = garbageLines(file);
    for (const Problem &problem : file.problems()) {
        if (!garbage.contains(problem.line)) {
            return QStringLiteral("line %1: %2").arg(problem.line).arg(problem.text);
        }
    }
    return {};
}

// The rule, read again a few times before it counts as broken: on the in-place path a reader
// may meet the file half rewritten, as the measuring software could; what was lost stays lost.
QString lastingViolation(const QDir &folder, const QString &path)
{
    QString found;
    for (int attempt = 0; attempt < 5; ++attempt) {
        found = violation(folder, path);
        if (found.isEmpty()) {
            return {};
        }
        QThread::msleep(20);
    }
    return found;
}

// The byte range of a record in the file as read.
std::pair<qint64, qint64> rangeOf(const ProbeFile &file, qsizetype record)
{
    const ProbeFile::Record r = file.record(record);
    return {file.startOfItem(record), file.startOfLine(int(r.firstLine + r.lineCount) + 1)};
}

// Undoes the editor's last removal as the window does when the operator agrees to the end but not
// to a second copy.
bool undo(ProbeFileEditor &editor)
{
    FixedAnswers answers;
    return editor.undo(answers).done();
}

// One process's random steps. Returns its exit code: 0, or 1 with the broken rule on stderr.
int work(const QString &folderPath, int worker, quint32 seed, int steps)
{
    const QDir folder(folderPath);
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    QFile log(folder.filePath(QStringLiteral("log-%1").arg(worker)));
    if (!log.open(QIODevice::Append)) {
        return 1;
    }
    QRandomGenerator random(seed);
    ProbeFileEditor editor;
    int written = 0;
    // How many steps of each kind changed the file: appended, removed, undone, restored, repaired.
    int done[5] = {};
    for (int step = 0; step < steps; ++step) {
        const QByteArray seen = readProbeFile(path);
        const ProbeFile file = ProbeFile::fromBytes(seen);
        const int dice = int(random.bounded(100));
        if (dice < 30) {
            const QByteArray name = "w" + QByteArray::number(worker) + "n" + QByteArray::number(++written);
            if (appendToFile(path.toStdString(), recordOf(name).toStdString()).ok()) {
                log.write(name + '\n');
                log.flush();
                ++done[0];
            }
        } else if (dice < 36) {
            // A garbage line, or half of one that the next record runs into.
            const QByteArray garbage = dice < 33 ? "M\xfcll\r\n" : "M\xfcll"; // in the file's code page
            appendToFile(path.toStdString(), garbage.toStdString());
        } else if (dice < 60) {
            if (file.recordCount() > 0) {
                const qsizetype record = qsizetype(random.bounded(int(file.recordCount())));
                RemovalPlan plan;
                std::tie(plan.begin, plan.end) = rangeOf(file, record);
                const auto [name, thread] = file.nameAndThreadBytes(record);
                plan.nameBytes = name.toByteArray();
                plan.threadBytes = thread.toByteArray();
                if (editor.remove(path, seen, plan).done()) {
                    ++done[1];
                    // Now and then undone at once, before the others have changed much.
                    if (random.bounded(3) == 0) {
                        done[2] += undo(editor);
                    }
                }
            }
        } else if (dice < 70) {
            // As the window offers it: not once the history says the bytes went back meanwhile.
            if (editor.canUndo() && editor.stillUndoable(seen)) {
                done[2] += undo(editor);
            }
        } else if (dice < 85) {
            // Restores a record that the history keeps, as the window's list does: at its old place
            // or else at the end, never as a second copy of a name and thread in the file.
            std::string history;
            readHistory(path.toStdString(), history);
            const RemovedRecords list = RemovedRecords::of(history, file);
            QList<qsizetype> records;
            for (qsizetype row = 0; row < list.rows().size(); ++row) {
                if (!list.rows().at(row).nameBytes.isEmpty() && !list.alreadyInFile(row)) {
                    records += row;
                }
            }
            if (!records.isEmpty()) {
                const qsizetype row = records.at(qsizetype(random.bounded(int(records.size()))));
                FixedAnswers answers;
                done[3] += ProbeFileEditor().restore(path, list, row, answers).done();
            }
        } else if (!file.problems().isEmpty()) {
            const QList<Problem> &problems = file.problems();
            const Problem &problem = problems.at(qsizetype(random.bounded(int(problems.size()))));
            if (const std::optional<LineRepair> repair = LineRepair::of(file, problem.line)) {
                done[4] += editor.repair(path, seen, *repair).done();
            }
        }
        if (const QString broken = lastingViolation(folder, path); !broken.isEmpty()) {
            std::fprintf(stderr, "worker %d, step %d: %s\n", worker, step, qPrintable(broken));
            return 1;
        }
    }
    std::printf("done %d %d %d %d %d\n", done[0], done[1], done[2], done[3], done[4]);
    return 0;
}

} // namespace

class TestNeverLost final : public QObject
{
    Q_OBJECT

private slots:
    void randomChanges_data();
    void randomChanges();
};

void TestNeverLost::randomChanges_data()
{
    QTest::addColumn<bool>("inPlace");
    QTest::newRow("one-step replace") << false;
    QTest::newRow("in place") << true;
}

void TestNeverLost::randomChanges()
{
    QFETCH(bool, inPlace);
    // Under Wine every change takes the in-place path anyway; both rows stay well within a minute there.
    const int steps = 120;
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (inPlace) {
        environment.insert(QStringLiteral("MERIVOX_TEST_IN_PLACE"), QStringLiteral("1"));
    }
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("seed %u", seed);
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int worker = 0; worker < kWorkers; ++worker) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QCoreApplication::applicationFilePath(),
                       {QString::fromLatin1(kWorker), folder.path(), QString::number(worker),
                        QString::number(seed + quint32(worker)), QString::number(steps)});
        workers.push_back(std::move(process));
    }
    int done[5] = {};
    for (const auto &process : workers) {
        QVERIFY(process->waitForFinished(100000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 0);
        const QList<QByteArray> counts = process->readAllStandardOutput().trimmed().split(' ');
        QCOMPARE(counts.size(), 6);
        for (int kind = 0; kind < 5; ++kind) {
            done[kind] += counts.at(kind + 1).toInt();
        }
    }
    qInfo("appended %d, removed %d, undone %d, restored %d, repaired %d", done[0], done[1], done[2], done[3], done[4]);
    // Every kind of change took place, so that the rule was tried on each.
    for (const int count : done) {
        QVERIFY(count > 0);
    }
    const QString path = QDir(folder.path()).filePath(QStringLiteral("usrprobe.dat"));
    QCOMPARE(violation(QDir(folder.path()), path), QString());
    // Nothing twice: every record that any process wrote stands in the file at most once.
    const QByteArray content = readProbeFile(path);
    const QList<QByteArray> names = loggedNames(QDir(folder.path()));
    QVERIFY(!names.isEmpty());
    for (const QByteArray &name : names) {
        QVERIFY2(content.count(recordOf(name)) <= 1, name.constData());
    }
    QVERIFY(!QFile::exists(path + QStringLiteral(".merivox-change")));
}

int main(int argc, char **argv)
{
    if (argc == 6 && qstrcmp(argv[1], kWorker) == 0) {
        QCoreApplication application(argc, argv);
        return work(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt(), QByteArray(argv[4]).toUInt(),
                    QByteArray(argv[5]).toInt());
    }
    QCoreApplication application(argc, argv);
    TestNeverLost test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_neverlost.moc"
