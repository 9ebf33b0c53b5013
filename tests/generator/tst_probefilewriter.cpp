// Appending to usrprobe.dat: line ends, the code page, the lock, and every failure leaving the
// file exactly as it was.
#include "ProbeFileWriter.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace merivox;
using namespace merivox::test;

namespace {

const TipRecord kRecord{
    {"ITEM:AMM M3", "ribcount 10", "Color 142 142 142", "cylinder 0 0 0 0 0 -5 4", "connect  0  0 -5 0  0  1 M3"}};

// Limits how large a file this process may make, so that a write stops part-way.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_previous); }

private:
    rlimit m_previous{};
};

} // namespace

class TestProbeFileWriter final : public QObject
{
    Q_OBJECT

private slots:
    void appendsAfterExistingContent_data();
    void appendsAfterExistingContent();
    void twoRecordsInOrder();
    void writesTheCodePage();
    void refusesCharactersOutsideTheCodePage();
    void failuresLeaveTheFileAsItWas_data();
    void failuresLeaveTheFileAsItWas();
    void halfWrittenRecordIsCutOff_data();
    void halfWrittenRecordIsCutOff();
    void waitsForAnotherCopysLock();
    void followsAFileReplacedWhileWaiting();
};

void TestProbeFileWriter::appendsAfterExistingContent_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("separator");

    QTest::newRow("empty file") << QByteArray() << QByteArray();
    QTest::newRow("ends with CR LF") << QByteArray("endtip\r\n") << QByteArray();
    QTest::newRow("ends with LF") << QByteArray("endtip\n") << QByteArray();
    QTest::newRow("no line end") << QByteArray("endtip") << QByteArray("\r\n");
    QTest::newRow("half a line end") << QByteArray("endtip\r") << QByteArray("\n");
    QTest::newRow("single byte") << QByteArray("x") << QByteArray("\r\n");
}

void TestProbeFileWriter::appendsAfterExistingContent()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, separator);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    writeAll(path, before);

    ProbeFileWriter writer;
    QVERIFY2(writer.append(folder.path(), kRecord), qPrintable(writer.errorString()));
    QCOMPARE(readAll(path), before + separator + crlf(kRecord.lines));
}

void TestProbeFileWriter::twoRecordsInOrder()
{
    QTemporaryDir folder;
    const TipRecord second{{"ITEM:BMM M4", "ribcount 10"}};
    ProbeFileWriter writer;
    QVERIFY(writer.append(folder.path(), kRecord));
    QVERIFY(writer.append(folder.path(), second));
    QCOMPARE(readAll(folder.filePath(QStringLiteral("usrprobe.dat"))), crlf(kRecord.lines) + crlf(second.lines));
}

void TestProbeFileWriter::writesTheCodePage()
{
    QTemporaryDir folder;
    ProbeFileWriter writer;
    QVERIFY(writer.append(folder.path(), TipRecord{{QStringLiteral("ITEM:Stößel Ü €MM M3")}}));
    // Windows-1252: ö F6, ß DF, Ü DC, and the euro sign at 80, where Latin-1 has none.
    QCOMPARE(readAll(folder.filePath(QStringLiteral("usrprobe.dat"))), QByteArray("ITEM:St\xF6\xDF"
                                                                                  "el \xDC \x80MM M3\r\n"));
}

void TestProbeFileWriter::refusesCharactersOutsideTheCodePage()
{
    QTemporaryDir folder;
    ProbeFileWriter writer;
    QVERIFY(!ProbeFileWriter::encode(TipRecord{{QStringLiteral("ITEM:ΩMM M3")}}));
    QVERIFY(!writer.append(folder.path(), TipRecord{{QStringLiteral("ITEM:ΩMM M3")}}));
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("usrprobe.dat"))));
    QVERIFY(writer.errorString().startsWith(QStringLiteral("Die Datei ")));
}

void TestProbeFileWriter::failuresLeaveTheFileAsItWas_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("reason");

    QTest::newRow("folder missing") << "missing"
                                    << "Der Ordner existiert nicht.";
    QTest::newRow("name taken by a folder") << "folder"
                                            << "Unter diesem Namen besteht bereits ein Ordner.";
    QTest::newRow("disk full") << "full"
                               << "Auf dem Datenträger ist nicht genügend Speicherplatz frei.";
    QTest::newRow("file size limit") << "limit"
                                     << "Die Datei hat die erlaubte Größe erreicht.";
    QTest::newRow("access denied") << "denied"
                                   << "Zugriff verweigert.";
    QTest::newRow("any other cause in the system's words") << "loop" << qt_error_string(ELOOP);
}

void TestProbeFileWriter::failuresLeaveTheFileAsItWas()
{
    QFETCH(QString, situation);
    QFETCH(QString, reason);

    QTemporaryDir root;
    QString folder = root.path();
    const QString path = root.filePath(QStringLiteral("usrprobe.dat"));
    if (situation == QLatin1String("missing")) {
        folder = root.filePath(QStringLiteral("gone"));
    } else if (situation == QLatin1String("folder")) {
        QVERIFY(QDir(root.path()).mkdir(QStringLiteral("usrprobe.dat")));
    } else if (situation == QLatin1String("full")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), path));
    } else if (situation == QLatin1String("limit")) {
        writeAll(path, "ITEM:OLDMM M2\r\n");
    } else if (situation == QLatin1String("denied")) {
        if (geteuid() == 0) {
            QSKIP("root may write into a read-only folder");
        }
        QVERIFY(QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::ExeOwner));
    } else {
        QVERIFY(QFile::link(path, path)); // a link to itself: too many levels of links
    }

    ProbeFileWriter writer;
    {
        FileSizeLimit limit(situation == QLatin1String("limit") ? 20 : RLIM_INFINITY);
        QVERIFY(!writer.append(folder, kRecord));
    }
    QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString expectedPath = QDir::toNativeSeparators(QDir(folder).filePath(QStringLiteral("usrprobe.dat")));
    QCOMPARE(writer.errorString(),
             QStringLiteral("Die Datei %1 konnte nicht geschrieben werden.\n%2").arg(expectedPath, reason));
    QVERIFY(!QFileInfo::exists(root.filePath(QStringLiteral("gone"))));
    if (situation == QLatin1String("full")) {
        QCOMPARE(QFileInfo(path).symLinkTarget(), QStringLiteral("/dev/full"));
    }
    if (situation == QLatin1String("limit")) {
        QCOMPARE(readAll(path), QByteArray("ITEM:OLDMM M2\r\n"));
    }
}

void TestProbeFileWriter::halfWrittenRecordIsCutOff_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("existed");

    QTest::newRow("existing file") << QByteArray("ITEM:OLDMM M2\r\nendtip\r\n") << true;
    QTest::newRow("existing file without line end") << QByteArray("ITEM:OLDMM M2\r\nendtip") << true;
    QTest::newRow("new file") << QByteArray() << false;
}

void TestProbeFileWriter::halfWrittenRecordIsCutOff()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, existed);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    if (existed) {
        writeAll(path, before);
    }
    ProbeFileWriter writer;
    {
        // Room for a few bytes of the record only: the write stops part-way.
        FileSizeLimit limit(rlim_t(before.size() + 10));
        QVERIFY(!writer.append(folder.path(), kRecord));
    }
    QVERIFY(writer.errorString().contains(QStringLiteral("konnte nicht geschrieben werden")));
    QCOMPARE(QFile::exists(path), existed);
    if (existed) {
        QCOMPARE(readAll(path), before);
    }
}

void TestProbeFileWriter::waitsForAnotherCopysLock()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    writeAll(path, "ITEM:OTHERMM M3\r\n");

    // Another copy of the program holds the lock while it writes its record.
    const int other = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND);
    QVERIFY(other >= 0);
    QCOMPARE(::flock(other, LOCK_EX), 0);

    std::atomic<bool> done = false;
    bool appended = false;
    std::thread copy([&] {
        ProbeFileWriter writer;
        appended = writer.append(folder.path(), kRecord);
        done = true;
    });
    QTest::qWait(300);
    const bool finishedWhileLocked = done;
    const QByteArray whileLocked = readAll(path);
    const auto otherWrote = ::write(other, "endtip\r\n", 8);
    ::close(other);
    copy.join();

    QCOMPARE(otherWrote, 8);
    QVERIFY(!finishedWhileLocked);
    QCOMPARE(whileLocked, QByteArray("ITEM:OTHERMM M3\r\n"));
    QVERIFY(appended);
    QCOMPARE(readAll(path), QByteArray("ITEM:OTHERMM M3\r\n") + crlf(kRecord.lines).prepend("endtip\r\n"));
}

void TestProbeFileWriter::followsAFileReplacedWhileWaiting()
{
    // Another copy holds the lock on a file that it then removes (as after a failed first
    // record), and a new file takes its name: the record must land in the file that the path
    // names, not in the removed one.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    writeAll(path, QByteArray());
    const int other = ::open(QFile::encodeName(path).constData(), O_RDWR);
    QVERIFY(other >= 0);
    QCOMPARE(::flock(other, LOCK_EX), 0);

    bool appended = false;
    std::thread copy([&] { appended = ProbeFileWriter().append(folder.path(), kRecord); });
    QTest::qWait(300);
    QVERIFY(QFile::remove(path));
    writeAll(path, "ITEM:NEWMM M3\r\n");
    ::close(other);
    copy.join();

    QVERIFY(appended);
    QCOMPARE(readAll(path), QByteArray("ITEM:NEWMM M3\r\n") + crlf(kRecord.lines));
}

QTEST_GUILESS_MAIN(TestProbeFileWriter)
#include "tst_probefilewriter.moc"
