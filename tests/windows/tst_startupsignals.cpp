// The program's start-up lets a write past the file size limit fail instead of ending the
// process. A child process runs the real start-up under a small RLIMIT_FSIZE and, once the
// application object exists, appends a record that does not fit; the parent checks that the child
// lived, that the file kept its bytes and that the German reason was given.
#include "ProbeFileWriter.h"
#include "Startup.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

using namespace merivox;

namespace {

const QByteArray kBefore = "ITEM:OLDMM M2\r\nendtip\r\n";
QString g_folder; // set in the child only

// Runs inside the child's start-up when the application object is made: append, report, end.
void appendFromInsideTheProgram()
{
    if (g_folder.isEmpty()) {
        return;
    }
    QTimer::singleShot(0, [] {
        ProbeFileWriter writer;
        const bool appended =
            writer.append(g_folder, TipRecord{{"ITEM:TIPMM M3", "begintip", "ribcount 10", "Color 142 142 142"}});
        const QByteArray report = appended ? QByteArray("appended") : writer.errorString().toUtf8();
        std::fwrite(report.constData(), 1, size_t(report.size()), stdout);
        std::fflush(stdout);
        QCoreApplication::exit(appended ? 0 : 2);
    });
}
Q_COREAPP_STARTUP_FUNCTION(appendFromInsideTheProgram)

} // namespace

class TestStartupSignals final : public QObject
{
    Q_OBJECT

private slots:
    void writePastTheFileSizeLimitIsReported();
};

void TestStartupSignals::writePastTheFileSizeLimitIsReported()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(kBefore), kBefore.size());
    }

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--start-program-in"), folder.path()});
    QVERIFY(child.waitForFinished(60000));
    const QString report = QString::fromUtf8(child.readAllStandardOutput());

    QCOMPARE(child.exitStatus(), QProcess::NormalExit); // not ended by SIGXFSZ
    QCOMPARE(child.exitCode(), 2);
    QVERIFY2(report.endsWith(QStringLiteral("\nDie Datei hat die erlaubte Größe erreicht.")), qPrintable(report));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), kBefore);
}

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--start-program-in") == 0) {
        g_folder = QString::fromLocal8Bit(argv[2]);
        // As a program starts: SIGXFSZ at its default, which ends the process, and room in the
        // file for a few more bytes only.
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = rlim_t(kBefore.size() + 10);
        setrlimit(RLIMIT_FSIZE, &limit);
        int programArgc = 1;
        return runProgram(programArgc, argv);
    }
    QCoreApplication app(argc, argv);
    TestStartupSignals test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startupsignals.moc"
