// Where a written output may go: never over the probe file being read (by any path to it), never
// over a file named usrprobe.dat, never over an existing file of another kind; each refusal with
// its German reason naming the path.
#include "OutputCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>

using namespace merivox;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

std::filesystem::path native(const QString &path)
{
    return {QDir::toNativeSeparators(path).toStdU16String()};
}

} // namespace

class TestOutputCheck final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refusal_data();
    void refusal();

private:
    QTemporaryDir m_folder;
    QString m_input;
};

void TestOutputCheck::initTestCase()
{
    QVERIFY(m_folder.isValid());
    QVERIFY(QDir(m_folder.path()).mkpath(QStringLiteral("andere")));
    m_input = m_folder.filePath(QStringLiteral("usrprobe.dat"));
    writeFile(m_input, "ITEM:AMM M3\r\n");
    writeFile(m_folder.filePath(QStringLiteral("Notiz.pdf")), "keine PDF\r\n");
    writeFile(m_folder.filePath(QStringLiteral("alt.pdf")), "%PDF-1.4\n%alt\n");
    writeFile(m_folder.filePath(QStringLiteral("leer.pdf")), {});
    writeFile(m_folder.filePath(QStringLiteral("kurz.pdf")), "%PD");
    // The probe file under another name, copied to another folder, where relative paths start.
    writeFile(m_folder.filePath(QStringLiteral("andere/Kopie.dat")), "ITEM:AMM M3\r\n");
    QVERIFY(QDir::setCurrent(m_folder.filePath(QStringLiteral("andere"))));
}

void TestOutputCheck::refusal_data()
{
    // DIR stands for the test's folder, the probe file read is mostly DIR/usrprobe.dat, relative
    // paths start in DIR/andere. An empty reason: the output may be written. LINK.pdf and
    // HARD.pdf are made by the case as links to DIR/usrprobe.dat.
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("reason");

    const QString same = QStringLiteral(" ist die Datei, die gelesen wird: sie wird nicht überschrieben.");
    const QString probe = QStringLiteral(" ist eine Tasterdatei (usrprobe.dat): sie wird nicht überschrieben.");
    const auto other = [](const QString &input) {
        return QStringLiteral(" ist dieselbe Datei wie %1, die gelesen wird: sie wird nicht überschrieben.").arg(input);
    };
    const QString notPdf = QStringLiteral(" gibt es schon und ist keine PDF-Datei: sie wird nicht überschrieben.");
    const auto row = [](const char *name, const QString &output, const QString &input, const QString &reason) {
        QTest::newRow(name) << output << input << (reason.isEmpty() ? QString() : output + reason);
    };
    row("the same path", "DIR/usrprobe.dat", "DIR/usrprobe.dat", same);
    row("relative against absolute", "../usrprobe.dat", "DIR/usrprobe.dat", other("DIR/usrprobe.dat"));
    row("through a folder and back", "DIR/andere/../usrprobe.dat", "DIR/usrprobe.dat", other("DIR/usrprobe.dat"));
    row("symbolic link", "DIR/LINK.pdf", "DIR/usrprobe.dat", other("DIR/usrprobe.dat"));
    row("hard link", "DIR/HARD.pdf", "DIR/usrprobe.dat", other("DIR/usrprobe.dat"));
    row("read through a link, written to the file", "DIR/usrprobe.dat", "DIR/LINK.pdf", other("DIR/LINK.pdf"));
    row("USRPROBE.DAT in another folder", "DIR/andere/USRPROBE.DAT", "DIR/usrprobe.dat", probe);
    row("usrprobe.dat not yet there", "DIR/andere/usrprobe.dat", "DIR/andere/Kopie.dat", probe);
    row("existing text file", "DIR/Notiz.pdf", "DIR/usrprobe.dat", notPdf);
    row("existing empty file", "DIR/leer.pdf", "DIR/usrprobe.dat", notPdf);
    row("existing file shorter than the start", "DIR/kurz.pdf", "DIR/usrprobe.dat", notPdf);
    row("another file of the same content", "DIR/andere/Kopie.dat", "DIR/usrprobe.dat", notPdf);
    row("existing PDF", "DIR/alt.pdf", "DIR/usrprobe.dat", {});
    row("new file", "DIR/neu.pdf", "DIR/usrprobe.dat", {});
    row("new file, name outside the code page", "DIR/Prüfung_Ω_漢.pdf", "DIR/usrprobe.dat", {});
    row("a folder, left to the writer", "DIR/andere", "DIR/usrprobe.dat", {});
    row("no input yet", "DIR/neu.pdf", "", {});
}

void TestOutputCheck::refusal()
{
    QFETCH(QString, output);
    QFETCH(QString, input);
    QFETCH(QString, reason);

    const QString link = m_folder.filePath(QStringLiteral("LINK.pdf"));
    const QString hard = m_folder.filePath(QStringLiteral("HARD.pdf"));
    QFile::remove(link);
    QFile::remove(hard);
    std::error_code failed;
    if (output.contains(QLatin1String("LINK")) || input.contains(QLatin1String("LINK"))) {
        std::filesystem::create_symlink(native(m_input), native(link), failed);
    } else if (output.contains(QLatin1String("HARD"))) {
        std::filesystem::create_hard_link(native(m_input), native(hard), failed);
    }
    if (failed) {
        QSKIP(qPrintable(QStringLiteral("the link cannot be made here: ") + QString::fromStdString(failed.message())));
    }
    for (QString *text : {&output, &input, &reason}) {
        text->replace(QStringLiteral("DIR"), m_folder.path());
    }
    reason = QDir::toNativeSeparators(reason);

    QFile file(output);
    const bool existed = file.exists();
    const bool isFile = QFileInfo(output).isFile();
    const QByteArray before = isFile && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();
    QCOMPARE(outputRefusal(output, input, pdfOutput()), reason);
    // Looking never writes.
    QCOMPARE(file.exists(), existed);
    if (isFile) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
}

QTEST_GUILESS_MAIN(TestOutputCheck)
#include "tst_outputcheck.moc"
