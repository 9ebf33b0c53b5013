// What the reader says about files made by hand or by accident: counts in the right number,
// lines run together and records split where an item line follows a whole line, hints, numbers
// of any length or out of range, control characters, the causes of a refused read, and how many
// problems a reading keeps.
#include "LineSyntax.h"
#include "ProbeFile.h"
#include "ReadFile.h"
#include "ReaderTexts.h"
#include "SampleRecords.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <clocale>
#include <sys/stat.h>

using namespace merivox;
using namespace merivox::test;

namespace {


// The ball record with its last line end taken away, so that the next text runs into endtip.
QByteArray ballRunningInto(const QByteArray &next)
{
    return kBall.first(kBall.size() - 2) + next;
}

QStringList texts(const QList<Problem> &notes)
{
    QStringList out;
    for (const Problem &p : notes) {
        out << QStringLiteral("%1%2: %3").arg(p.line).arg(p.midLine ? "+" : "").arg(p.text);
    }
    return out;
}

// Every expected text is the start of one found text, and there are as many.
void compareStarts(const QStringList &found, const QStringList &expected)
{
    QVERIFY2(found.size() == expected.size(), qPrintable(found.join('\n')));
    for (qsizetype i = 0; i < found.size(); ++i) {
        QVERIFY2(found.at(i).startsWith(expected.at(i)), qPrintable(found.join('\n')));
    }
}

int g_openError = 0, g_lookError = 0;
[[maybe_unused]] int injected(ReadStage stage)
{
    return stage == ReadStage::Open ? g_openError : stage == ReadStage::Look ? g_lookError : 0;
}

} // namespace

class TestReaderTexts final : public QObject
{
    Q_OBJECT

private slots:
    void plurals_data();
    void plurals();
    void splits_data();
    void splits();
    void hints_data();
    void hints();
    void numbers_data();
    void numbers();
    void numbersInAnyCLocale();
    void keepsAThousand();
    void causes_data();
    void causes();
};

void TestReaderTexts::plurals_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("problem");
    QTest::newRow("1 Feld") << QByteArray(kBall).replace("hotspot 0 0 -40 0 0 1 3 3 ball", "hotspot 0")
                            << "10: Falsche Zahl der Felder: hotspot braucht 8 Zahlen und eine Form, hier 1 Feld.";
    QTest::newRow("0 Felder") << QByteArray(kBall).replace("ribcount 10", "ribcount")
                              << "3: Falsche Zahl der Felder: ribcount braucht 1 Feld, hier 0.";
    QTest::newRow("1 Ecke") << QByteArray("ITEM:WMM M3\r\nsolid 1\r\nface 1 0 0\r\n")
                            << "3: Falsche Zahl der Felder: face mit 1 Ecke braucht 3 Koordinaten, hier 2.";
    QTest::newRow("1 von 6 Flächen fehlt")
        << QByteArray("ITEM:WMM M3\r\nsolid 6\r\n" + QByteArray("face 1 0 0 0\r\n").repeated(5))
        << "1: Eintrag „W“ ist abgeschnitten: 1 von 6 Flächen fehlt.";
    QTest::newRow("1 von 1 Fläche fehlt") << QByteArray("ITEM:WMM M3\r\nsolid 1\r\nColor 1 2 3\r\n")
                                          << "1: Eintrag „W“ ist abgeschnitten: 1 von 1 Fläche fehlt.";
}

void TestReaderTexts::plurals()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);
    QCOMPARE(texts(ProbeFile::fromBytes(bytes).problems()), QStringList{problem});
    QCOMPARE(counted(0, "Eintrag", "Einträge"), QStringLiteral("0 Einträge"));
    QCOMPARE(counted(1, "Eintrag", "Einträge"), QStringLiteral("1 Eintrag"));
    QCOMPARE(counted(2, "Eintrag", "Einträge"), QStringLiteral("2 Einträge"));
}

void TestReaderTexts::splits_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("problems"); // "LINE: start", "+" after LINE for the record that starts mid-line
    QTest::addColumn<int>("lastStart");        // first line of the last record

    const QString run = "Zwei Zeilen in einer (Zeilenende fehlt?): ";
    QTest::newRow("endtip, then the next item line")
        << ballRunningInto(kExtension) << QStringList{"TIP", "V50"}
        << QStringList{"11: " + run + "„ITEM:V50MM M3ANALOG“ steht mitten in der Zeile."} << 11;
    QTest::newRow("a number, then the item line")
        << QByteArray(kBall).replace("cylinder 0 0 -15 0 0 -40 2\r\n", "cylinder 0 0 -15 0 0 -40 2" + kExtension.first(21))
        << QStringList{"TIP", "V50"}
        << QStringList{"1: Eintrag „TIP“ ist abgeschnitten: endtip fehlt.", "7: " + run + "„ITEM:V50MM M3ANALOG“",
                       "7+: Eintrag „V50“ ist abgeschnitten: connect fehlt."}
        << 7;
    QTest::newRow("the item line of a twin, mid-line")
        << ballRunningInto(kBall) << QStringList{"TIP", "TIP"}
        << QStringList{"11: " + run + "„ITEM:TIPMM M3“", "11+: Name „TIP“ mit Gewinde „M3“ steht schon in Zeile 1."}
        << 11;
    QTest::newRow("an item line cut short, mid-line")
        << ballRunningInto("ITEM:XMM M3\r\n") << QStringList{"TIP", "X"}
        << QStringList{"11: " + run + "„ITEM:XMM M3“", "11+: Eintrag „X“ ist abgeschnitten: nach der Zeile ITEM:"}
        << 11;
    // Not split: a blank before it, a line that is not whole, or a thread or shape before it.
    QTest::newRow("blank before the item line")
        << QByteArray(kBall).replace("endtip\r\n", "endtip ITEM:XMM M3\r\n") << QStringList{"TIP"}
        << QStringList{"11: " + run + "„ITEM:XMM"} << 1;
    QTest::newRow("unknown text before")
        << QByteArray(kBall).replace("endtip\r\n", "endtiITEM:XMM M3\r\n") << QStringList{"TIP"}
        << QStringList{"1: Eintrag „TIP“ ist abgeschnitten: endtip fehlt.", "11: " + run + "„ITEM:XMM M3“"} << 1;
    QTest::newRow("thread of a connection")
        << QByteArray(kExtension).replace("M2ANALOG", "M2ITEM:XMM M3") << QStringList{"V50"}
        << QStringList{"5: " + run + "„M2ITEM:XMM“"} << 1;
    QTest::newRow("item line inside a name")
        << QByteArray("ITEM:AITEM:BMM M3\r\n") + kBall.mid(15) << QStringList{"AITEM:B"}
        << QStringList{"1: " + run + "„ITEM:BMM M3“"} << 1;
    QTest::newRow("two keywords, the second quoted")
        << QByteArray(kBall).replace("begintip\r\nribcount 10", "begintipribcount 10") << QStringList{"TIP"}
        << QStringList{"1: Eintrag „TIP“ ist abgeschnitten", "2: " + run + "„ribcount 10“"} << 1;
}

void TestReaderTexts::splits()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QFETCH(QStringList, problems);
    QFETCH(int, lastStart);

    const ProbeFile file = ProbeFile::fromBytes(bytes);
    QStringList found;
    for (qsizetype i = 0; i < file.recordCount(); ++i) {
        found << file.name(i);
    }
    QCOMPARE(found, names);
    compareStarts(texts(file.problems()), problems);
    const qsizetype last = file.recordCount() - 1;
    QCOMPARE(int(file.record(last).firstLine) + 1, lastStart);
    if (file.startsMidLine(last)) {
        // Both records hold the shared line; its text is told apart by the problem's flag.
        QCOMPARE(file.recordAtLine(lastStart, true), last);
        QCOMPARE(file.recordAtLine(lastStart, false), last - 1);
        QCOMPARE(file.lines(last).first().kind, LineKind::Item);
        QCOMPARE(file.lines(last).first().fields.first(), names.last());
        QVERIFY(file.lines(last - 1).last().kind != LineKind::Item);
        QVERIFY(file.text(last).startsWith("ITEM:"));
    }
}

void TestReaderTexts::hints_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("hints");

    QByteArray lf = kBall + kExtension;
    lf.replace("\r\n", "\n");
    QByteArray mixed = kBall + kExtension;
    mixed.replace("cone 0 0 -10 4 0 0 -15 2\r\n", "cone 0 0 -10 4 0 0 -15 2\n");
    mixed.replace("Color 255 0 0\r\n", "Color 255 0 0\n");
    QTest::newRow("CR LF") << kBall + kExtension << QStringList{};
    QTest::newRow("LF alone, one hint") << lf << QStringList{"1: Die Zeilen enden mit LF allein statt mit CR LF"};
    QTest::newRow("mixed, at the first LF") << mixed << QStringList{"6: Gemischte Zeilenenden"};
    QTest::newRow("UTF-8 name") << QByteArray(kBall).replace("ITEM:TIP", "ITEM:W\xc3\xbc" "rfel10")
                                << QStringList{"1: Der Name „WÃ¼rfel10“ sieht nach UTF-8 aus (gemeint wohl „Würfel10“)"};
    QTest::newRow("UTF-8 thread") << QByteArray(kBall).replace("MM M3", "MM M3\xc2\xb0")
                                  << QStringList{"1: Das Gewinde „M3Â°“ sieht nach UTF-8 aus"};
    QTest::newRow("Windows-1252 name") << QByteArray(kBall).replace("ITEM:TIP", "ITEM:W\xfc" "rfel") << QStringList{};
    QTest::newRow("point and comma, once per record")
        << QByteArray(kBall).replace("cone 0 0 -10 4 0 0 -15 2", "cone 0 0 -10 4,5 0 0 -15 2.5")
                .replace("sphere 0 0 -40 3", "sphere 0 0 -40,5 3.5") +
               QByteArray(kExtension).replace("cylinder 0 0 0 0 0 -50 4", "cylinder 0 0 0 0 0 -50,5 4.5")
        << QStringList{"6: Dezimalpunkt und Dezimalkomma gemischt: hier „2.5“",
                       "15: Dezimalpunkt und Dezimalkomma gemischt: hier „4.5“"};
}

void TestReaderTexts::hints()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, hints);
    const ProbeFile file = ProbeFile::fromBytes(bytes);
    compareStarts(texts(file.hints()), hints);
    QCOMPARE(file.hintCount(), hints.size());
    QVERIFY(std::all_of(file.hints().begin(), file.hints().end(), [](const Problem &p) { return p.hint; }));
    QCOMPARE(file.problems(), QList<Problem>()); // a hint is no problem
}

void TestReaderTexts::numbers_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("value"); // NaN: none
    QTest::addColumn<bool>("tooLarge");
    const QByteArray digits = QByteArray("1").append(QByteArray(99, '0'));
    QTest::newRow("comma") << QByteArray("-12,5") << -12.5 << false;
    QTest::newRow("plus") << QByteArray("+0.25") << 0.25 << false;
    QTest::newRow("100 digits") << digits << 1e99 << false;
    QTest::newRow("100 digits after the comma") << "0," + QByteArray(98, '0') + "1" << 1e-99 << false;
    QTest::newRow("long zeros before a small exponent") << QByteArray(80, '0') + "5e-1" << 0.5 << false;
    QTest::newRow("beyond a double") << QByteArray("1e400") << qQNaN() << true;
    QTest::newRow("beyond a double, written out") << QByteArray("2").append(QByteArray(310, '0')) << qQNaN() << true;
    QTest::newRow("below the smallest double") << QByteArray("1e-400") << 0.0 << false;
    QTest::newRow("huge exponent of zero") << QByteArray("0e99999999999") << 0.0 << false;
    QTest::newRow("not a number") << QByteArray("1,2,3") << qQNaN() << false;
}

void TestReaderTexts::numbers()
{
    QFETCH(QByteArray, text);
    QFETCH(double, value);
    QFETCH(bool, tooLarge);
    const double read = syntax::toNumber(text);
    QVERIFY2(std::isnan(value) ? std::isnan(read) : read == value, qPrintable(QString::number(read)));
    QCOMPARE(syntax::isTooLarge(text), tooLarge);
    // In a record: a value beyond a double is a problem, never a silently missing shape.
    const ProbeFile file = ProbeFile::fromBytes(QByteArray(kBall).replace("sphere 0 0 -40 3", "sphere 0 0 -40 " + text));
    QCOMPARE(file.problems().isEmpty(), !std::isnan(value));
    if (tooLarge) {
        QVERIFY(file.problems().first().text.startsWith("Zahl außerhalb des darstellbaren Bereichs"));
    }
}

void TestReaderTexts::numbersInAnyCLocale()
{
    // The C library's locale decides the decimal separator of strtod, never the reader's.
    const QByteArray before = std::setlocale(LC_ALL, nullptr);
    bool set = false;
    for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8"}) {
        if (std::setlocale(LC_ALL, name)) {
            set = true;
            break;
        }
    }
    const double point = syntax::toNumber("1.5");
    const double comma = syntax::toNumber("1,5");
    const double long_ = syntax::toNumber("1." + QByteArray(90, '5'));
    std::setlocale(LC_ALL, before.constData());
    if (!set) {
        QSKIP("no other C locale installed");
    }
    QCOMPARE(point, 1.5);
    QCOMPARE(comma, 1.5);
    QCOMPARE(long_, 1.5555555555555556);
}

void TestReaderTexts::keepsAThousand()
{
    // 5000 blank lines and a control character: a thousand problems kept, all counted, and the
    // rest read from the first line not kept.
    const QByteArray bytes = "ITEM:AMM M3\x1b\r\nx\x07\r\n" + QByteArray("\r\n").repeated(5000);
    const ProbeFile file = ProbeFile::fromBytes(bytes);
    QCOMPARE(file.problemCount(), 5000 + 1 + 1); // blank lines, the unknown one, the record cut short
    QCOMPARE(file.problems().size(), 1000);
    QCOMPARE(file.problems().last().line, 1000);
    QCOMPARE(file.nextLine(), 1001);
    QCOMPARE(file.problems().at(0).text, QStringLiteral("Eintrag „A“ ist abgeschnitten: nach der Zeile ITEM: folgt kein Teil."));
    QCOMPARE(file.problems().at(1).text, QStringLiteral("Unbekannte Zeile: „x\\x07“."));
    QCOMPARE(visible(file.thread(0)), QStringLiteral("M3\\x1b"));

    ProbeFile::Keep rest;
    rest.fromLine = file.nextLine();
    rest.keep = 100000;
    const ProbeFile second = ProbeFile::fromBytes(bytes, rest);
    QCOMPARE(second.problems().size(), 5002 - 1000);
    QCOMPARE(second.problems().first().line, 1001);
    QCOMPARE(second.problemCount(), file.problemCount());
    QCOMPARE(second.nextLine(), 0);
}

void TestReaderTexts::causes_data()
{
    QTest::addColumn<QString>("path"); // in a fresh folder holding usrprobe.dat, sub/ and pipe.dat
    QTest::addColumn<int>("openError");
    QTest::addColumn<int>("lookError");
    QTest::addColumn<QString>("error"); // after the path
    QTest::newRow("missing") << "none.dat" << 0 << 0 << " existiert nicht.";
    QTest::newRow("folder missing") << "gone/usrprobe.dat" << 0 << 0
                                    << " kann nicht gelesen werden: Der Ordner existiert nicht.";
    QTest::newRow("a folder") << "sub" << 0 << 0 << " ist ein Ordner, keine Datei.";
    QTest::newRow("a pipe") << "pipe.dat" << 0 << 0
                            << " ist keine gewöhnliche Datei (sondern ein Gerät, eine Pipe oder ein Socket) und wird "
                               "nicht gelesen.";
    QTest::newRow("a device") << "/dev/zero" << 0 << 0
                              << " ist keine gewöhnliche Datei (sondern ein Gerät, eine Pipe oder ein Socket) und wird "
                                 "nicht gelesen.";
    // Root may read everything: these two are injected.
    QTest::newRow("no rights on the file") << "usrprobe.dat" << EACCES << 0
                                           << " kann nicht gelesen werden: Zugriff verweigert.";
    QTest::newRow("no rights on the folder") << "usrprobe.dat" << EACCES << EACCES
                                             << " kann nicht gelesen werden: Zugriff auf den Ordner verweigert.";
}

void TestReaderTexts::causes()
{
#ifdef Q_OS_WIN
    QSKIP("The causes are injected as POSIX error numbers, and Windows has no named pipes in folders; "
          "the Windows read layer's causes are tested in tst_readfile.");
#else
    QFETCH(QString, path);
    QFETCH(int, openError);
    QFETCH(int, lookError);
    QFETCH(QString, error);

    QTemporaryDir folder;
    QFile file(folder.filePath("usrprobe.dat"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kBall);
    file.close();
    QVERIFY(QDir(folder.path()).mkdir("sub"));
    QCOMPARE(mkfifo(QFile::encodeName(folder.filePath("pipe.dat")).constData(), 0600), 0);
    const QString full = path.startsWith('/') ? path : folder.filePath(path);

    g_openError = openError;
    g_lookError = lookError;
    setReadHook(injected);
    QString message;
    QElapsedTimer timer;
    timer.start();
    const std::optional<ProbeFile> read = ProbeFile::read(full, &message);
    setReadHook(nullptr);
    QVERIFY(!read);
    QCOMPARE(message, QDir::toNativeSeparators(full) + error);
    QVERIFY(timer.elapsed() < 2000); // refused before reading: no wait for a writer, no endless read
#endif
}

QTEST_GUILESS_MAIN(TestReaderTexts)
#include "tst_readertexts.moc"
