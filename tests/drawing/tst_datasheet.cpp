// The data sheet: its text read back from the PDF with pdftotext, its scale measured on the page
// rendered by pdftoppm, and quick pages for hostile records. (Replacing an earlier sheet, and the
// reasons when it cannot be written: merivox-view --pdf.)
#include "DataSheet.h"
#include "ProbeFile.h"
#include "ReaderTestSupport.h"
#include "RecordDrawing.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace merivox;
using namespace merivox::test;

Q_DECLARE_METATYPE(merivox::TipKind)

namespace {

QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        qWarning() << program << process.readAllStandardError();
        return {};
    }
    return process.readAllStandardOutput();
}

// The page's text, each run of blanks made one.
QString pageText(const QString &pdf)
{
    QString text =
        QString::fromUtf8(run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}));
    text.replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
    return text;
}

} // namespace

class TestDataSheet final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sheet_data();
    void sheet();
    void hostile_data();
    void hostile();

private:
    QTemporaryDir m_folder;
};

void TestDataSheet::initTestCase()
{
    // The record's separator wins over the locale's wherever the record has one.
    QLocale::setDefault(kGermanLocale);
    QVERIFY(m_folder.isValid());
}

void TestDataSheet::sheet_data()
{
    QTest::addColumn<TipKind>("kind");
    QTest::addColumn<bool>("german");
    QTest::addColumn<InputChange>("change");
    QTest::addColumn<QStringList>("expected"); // texts on the page
    QTest::addColumn<double>("steelLength");   // the steel part's length on paper in mm; 0: not measured

    const InputChange none = [](TipInputs &) {
    };
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    const QStringList always{"Datenblatt", "Merivox", "Datei: usrprobe.dat", "Gedruckt am " + today};

    QTest::newRow("ball") << TipKind::Ball << true << none
                          << always + QStringList{"TIP – Tastkugel",
                                                  "Art Tastkugel",
                                                  "Benennung TIP",
                                                  "Gewinde 1 M3",
                                                  "Schaft Stahl",
                                                  "Tastelement Rubin",
                                                  "L1 10 mm",
                                                  "L2 15,5 mm",
                                                  "L3 40 mm",
                                                  "D1 4 mm",
                                                  "D2 2 mm",
                                                  "Kugeldurchmesser 3 mm",
                                                  "Gesamtlänge 41,5 mm",
                                                  "Maßstab 1:1",
                                                  "Eintrag in der Datei, Zeilen 1–11",
                                                  "ITEM:TIPMM M3",
                                                  "cone 0 0 -10 4 0 0 -15,5 2",
                                                  "hotspot 0 0 -40 0 0 1 3 3 ball",
                                                  "L = 41,5 mm",
                                                  "Ø 3 mm",
                                                  "Ø 4 mm"}
                          << 0.0;
    QTest::newRow("ball, point") << TipKind::Ball << false << none
                                 << QStringList{"L2 15.5 mm", "Gesamtlänge 41.5 mm", "L = 41.5 mm"} << 0.0;
    QTest::newRow("0,3 mm ball on 50 mm")
        << TipKind::Ball << true
        << setTyped({{&TipInputs::L3, "50"}, {&TipInputs::ball_diameter, "0,3"}}, kGermanLocale)
        << QStringList{"Kugeldurchmesser 0,3 mm", "Maßstab 1:1", "Detail 20:1", "Ø 0,3 mm"} << 0.0;
    QTest::newRow("cylinder without rounded end")
        << TipKind::Cylinder << true << InputChange([](TipInputs &in) { in.Check_zyl = true; })
        << QStringList{"ZT1 – Zylindertaster",
                       "Schaft Kohlefaser",
                       "Ausführung ohne Halbkugel",
                       "L3 30 mm",
                       "L4 45 mm",
                       "Kugeldurchmesser 2 mm",
                       "Eintrag in der Datei, Zeilen 1–11"}
        << 0.0;
    QTest::newRow("cube, enlarged") << TipKind::Cube << true << none
                                    << QStringList{"W10 – Würfel", "Werkstoff Stahl",
                                                   "L1 10,5 mm",   "Maßstab 5:1",
                                                   "Zeilen 1–14",  "Connect 0 -5,25 -5,25 0 1 0 M3ANALOG"}
                                    << 52.5;
    QTest::newRow("extension")
        << TipKind::Extension << true << none
        << QStringList{"V50 – Verlängerung", "Gewinde 1 M3ANALOG", "Gewinde 2 M2ANALOG", "Werkstoff Stahl", "D1 4 mm",
                       "Länge 50,5 mm",      "Maßstab 1:1"}
        << 50.5;
    QTest::newRow("extension, reduced") << TipKind::Extension << true
                                        << setTyped({{&TipInputs::length, "400"}, {&TipInputs::D1, "40"}},
                                                    kGermanLocale)
                                        << QStringList{"Länge 400 mm", "Maßstab 1:5"} << 80.0;
    QTest::newRow("name with umlauts") << TipKind::Ball << true
                                       << InputChange([](TipInputs &in) { in.name = QStringLiteral("Prüfkugel Ø3"); })
                                       << QStringList{"Prüfkugel Ø3 – Tastkugel", "ITEM:Prüfkugel Ø3MM M3"} << 0.0;
}

void TestDataSheet::sheet()
{
    QFETCH(TipKind, kind);
    QFETCH(bool, german);
    QFETCH(InputChange, change);
    QFETCH(QStringList, expected);
    QFETCH(double, steelLength);

    const QLocale &locale = german ? kGermanLocale : kEnglishLocale;
    TipInputs in = example(kind, locale, true);
    change(in);
    const ProbeFile file = ProbeFile::fromBytes(encoded(built(kind, in, locale)));
    const QString pdf = m_folder.filePath(QStringLiteral("sheet.pdf"));
    QString error;
    QVERIFY2(writeDataSheet(pdf, {&file, 0, QStringLiteral("usrprobe.dat"), QDate::currentDate()}, &error),
             qPrintable(error));

    const QString text = pageText(pdf);
    for (const QString &piece : expected) {
        QVERIFY2(text.contains(piece), qPrintable(piece + QStringLiteral(" not in:\n") + text));
    }
    QVERIFY(QString::fromUtf8(run(QStringLiteral("pdfinfo"), {pdf}))
                .contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));
    if (steelLength == 0.0) {
        return;
    }
    // The scale on paper: rendered at 100 dots per inch, the steel part is as many dots tall as
    // its length at that scale (less a dot or three where the diameter's line and the mounting
    // face cross it).
    const QString base = m_folder.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"),
                                     QStringLiteral("-singlefile"), pdf, base});
    const QImage page(base + QStringLiteral(".png"));
    QVERIFY(!page.isNull());
    int tallest = 0;
    for (int x = 0; x < page.width(); ++x) {
        int steel = 0;
        for (int y = 0; y < page.height(); ++y) {
            steel += page.pixelColor(x, y) == QColor(142, 142, 142) ? 1 : 0;
        }
        tallest = std::max(tallest, steel);
    }
    const double expectedDots = steelLength * 100 / 25.4;
    QVERIFY2(tallest >= expectedDots - 4 && tallest <= expectedDots + 1.5,
             qPrintable(QStringLiteral("%1 dots, expected %2").arg(tallest).arg(expectedDots)));
}

void TestDataSheet::hostile_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("scale"); // the scale row of the table

    QTest::newRow("tiny ball at a huge depth")
        << handMadeStylus("cylinder 0 0 0 0 0 -1e300 4", "sphere 0 0 -1e300 1e-300",
                          "hotspot 0 0 -1e300 0 0 1 1e-300 1e-300 ball")
        << "Maßstab nicht gezeichnet";
    QTest::newRow("too wide to draw") << handMadeStylus("cylinder 0 0 0 0 0 -50 1e308", "sphere 0 0 -50 1e-9",
                                                        "hotspot 0 0 -50 0 0 1 1e-9 1e-9 ball")
                                      << "Maßstab nicht gezeichnet";
    QTest::newRow("far off the axis") << handMadeStylus("cylinder 1e300 0 0 -1e300 0 -1e300 1",
                                                        "sphere 1e300 0 -1e300 1e-3",
                                                        "hotspot 0 0 -1e300 0 0 1 1e-3 1e-3 ball")
                                      << "Maßstab nicht gezeichnet";
    QStringList many = handMadeStylus("cylinder 0 0 0 0 0 -50 4", "sphere 0 0 -50 3", "hotspot 0 0 -50 0 0 1 3 3 ball");
    for (int i = 0; i < 500; ++i) {
        many.insert(5, QStringLiteral("cone 0 0 -%1 4 0 0 -%2 3").arg(i * 0.1).arg(i * 0.1 + 0.1));
    }
    QTest::newRow("many lines") << many << "weitere Zeilen";
}

void TestDataSheet::hostile()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, scale);
    const ProbeFile file = ProbeFile::fromLines(lines);
    const DataSheetSource source{&file, 0, QStringLiteral("usrprobe.dat"), QDate(2026, 12, 7)};

    // The page at the PDF's resolution, the drawing fitted and at any scale: each paint quick,
    // whatever the record holds.
    QImage page(794, 1123, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    const RecordDrawing drawing(file.lines(0));
    for (const double scale : {-1.0, 0.0, 1e-300, 1e-3, 4.0, 1e6, 1e300}) {
        QElapsedTimer timer;
        timer.start();
        if (scale < 0) {
            paintDataSheet(painter, 96 / 25.4, source);
        } else if (scale == 0) {
            drawing.paintFitted(painter, QRectF(0, 0, 400, 600));
        } else {
            drawing.paintScaled(painter, QRectF(0, 0, 400, 600), scale, 0.5);
        }
        QVERIFY2(timer.elapsed() < 50, qPrintable(QStringLiteral("%1 ms at %2").arg(timer.elapsed()).arg(scale)));
    }

    const QString pdf = m_folder.filePath(QStringLiteral("hostile.pdf"));
    QVERIFY(writeDataSheet(pdf, source));
    QVERIFY2(pageText(pdf).contains(scale), qPrintable(pageText(pdf)));
}

QTEST_MAIN(TestDataSheet)
#include "tst_datasheet.moc"
