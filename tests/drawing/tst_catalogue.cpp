// The catalogue of a whole file: its pages counted by pdfinfo, the overview's rows and each
// sheet's problems read back with pdftotext, and a catalogue stopped or failed leaving nothing
// behind. (The two forms of merivox-view --pdf and their exit codes: tst_viewercommandline.)
#include "Catalogue.h"
#include "ProbeFile.h"
#include "ReaderTestSupport.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace merivox;
using namespace merivox::test;

namespace {

QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        qWarning() << program << process.readAllStandardError();
        return {};
    }
    return process.readAllStandardOutput();
}

// One page's text (1-based), each run of blanks made one.
QString pageText(const QString &pdf, qsizetype page)
{
    const QString number = QString::number(page);
    QString text =
        QString::fromUtf8(run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"), number,
                                                            QStringLiteral("-l"), number, pdf, QStringLiteral("-")}));
    text.replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
    return text;
}

qsizetype pageCount(const QString &pdf)
{
    const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)\\n"));
    return pages.match(QString::fromUtf8(run(QStringLiteral("pdfinfo"), {pdf}))).captured(1).toLongLong();
}

// The records of a file of the worked examples: kinds in order, each named as given.
QStringList records(const QList<std::pair<TipKind, QString>> &wanted)
{
    QStringList lines;
    for (const auto &[kind, name] : wanted) {
        TipInputs in = example(kind, kGermanLocale, true);
        in.name = name;
        lines += built(kind, in, kGermanLocale);
    }
    return lines;
}

QStringList balls(int count, const QString &prefix = QStringLiteral("K"))
{
    QList<std::pair<TipKind, QString>> wanted;
    for (int i = 1; i <= count; ++i) {
        wanted.append({TipKind::Ball, prefix + QString::number(i)});
    }
    return records(wanted);
}

// The worked ball example with one of its lines turned into one that no record has.
QStringList brokenBall(const QString &name)
{
    QStringList lines = records({{TipKind::Ball, name}});
    lines[6] = QStringLiteral("Quatsch");
    return lines;
}

QByteArray fileBytes(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += line.toLatin1() + "\r\n";
    }
    return bytes;
}

} // namespace

class TestCatalogue final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pages_data();
    void pages();
    void catalogue_data();
    void catalogue();
    void stopped_data();
    void stopped();

private:
    QString writeProbeFile(const QStringList &lines);

    QTemporaryDir m_folder;
};

void TestCatalogue::initTestCase()
{
    QLocale::setDefault(kGermanLocale);
    QVERIFY(m_folder.isValid());
}

QString TestCatalogue::writeProbeFile(const QStringList &lines)
{
    const QString path = m_folder.filePath(QStringLiteral("usrprobe.dat"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(fileBytes(lines)) < 0) {
        qFatal("cannot write the test's probe file");
    }
    return path;
}

void TestCatalogue::pages_data()
{
    QTest::addColumn<qsizetype>("records");
    QTest::addColumn<qsizetype>("overview");
    QTest::addColumn<qsizetype>("total");

    QTest::newRow("none: the title block alone") << qsizetype(0) << qsizetype(1) << qsizetype(1);
    QTest::newRow("one") << qsizetype(1) << qsizetype(1) << qsizetype(2);
    QTest::newRow("first page full") << qsizetype(36) << qsizetype(1) << qsizetype(37);
    QTest::newRow("one more") << qsizetype(37) << qsizetype(2) << qsizetype(39);
    QTest::newRow("second page full") << qsizetype(81) << qsizetype(2) << qsizetype(83);
    QTest::newRow("third page") << qsizetype(82) << qsizetype(3) << qsizetype(85);
    QTest::newRow("5000") << qsizetype(5000) << qsizetype(112) << qsizetype(5112);
}

void TestCatalogue::pages()
{
    QFETCH(qsizetype, records);
    QFETCH(qsizetype, overview);
    QFETCH(qsizetype, total);
    QCOMPARE(overviewPageCount(records), overview);
    QCOMPARE(cataloguePageCount(records), total);
}

void TestCatalogue::catalogue_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<qsizetype>("keep");            // problems kept by the reading
    QTest::addColumn<qsizetype>("pages");           // as pdfinfo counts them
    QTest::addColumn<QStringList>("rows");          // "LINE NAME THREAD KIND", on the overview's pages
    QTest::addColumn<QStringList>("marked");        // names of rows with the mark, among rows
    QTest::addColumn<QStringList>("titleBlock");    // texts on the first page
    QTest::addColumn<QList<QStringList>>("sheets"); // per record, texts on its page

    const QStringList all = records({{TipKind::Ball, "Kugel"},
                                     {TipKind::Cylinder, "Zylinder"},
                                     {TipKind::HalfSphere, "Halb"},
                                     {TipKind::Disc, "Scheibe"},
                                     {TipKind::Cube, "Wuerfel"},
                                     {TipKind::Extension, "Verl"}});
    // Where each record starts, counted on the builders' own lines.
    QList<qsizetype> starts{1};
    for (const auto kind : kAllKinds) {
        starts.append(starts.last() + built(kind, example(kind, kGermanLocale, true), kGermanLocale).size());
    }
    const auto at = [&](int record, const char *rest) {
        return QStringLiteral("%1 %2").arg(starts.at(record)).arg(QString::fromUtf8(rest));
    };
    QTest::newRow("every kind") << all << qsizetype(1000) << qsizetype(7)
                                << QStringList{at(0, "Kugel M3 Tastkugel 3 mm 41,5 mm Stahl / Rubin"),
                                               at(1, "Zylinder M3ANALOG Zylindertaster"),
                                               at(2, "Halb M3ANALOG Halbkugel"),
                                               at(3, "Scheibe M3ANALOG Scheibentaster"),
                                               at(4, "Wuerfel M3ANALOG Würfel"),
                                               at(5, "Verl M3ANALOG Verlängerung – 50,5 mm Stahl")}
                                << QStringList{} << QStringList{"Katalog",    "Datei usrprobe.dat", "Einträge 6",
                                                                "Probleme 0", "Hinweise 0",         "Seite 1 von 7"}
                                << QList<QStringList>{{"Kugel – Tastkugel", "Seite 2 von 7"},
                                                      {"Zylinder – Zylindertaster", "L4 45 mm"},
                                                      {"Halb – Halbkugel"},
                                                      {"Scheibe – Scheibentaster"},
                                                      {"Wuerfel – Würfel", "Maßstab 5:1"},
                                                      {"Verl – Verlängerung", "Gewinde 2 M2ANALOG", "Seite 7 von 7"}};

    // A line of no record between two records is a problem of the file, not of either of them.
    QStringList problems = records({{TipKind::Ball, "Gut"}}) + brokenBall("Kaputt");
    problems.insert(11, QStringLiteral("Streuner"));
    problems += records({{TipKind::Ball, "Danach"}});
    QTest::newRow("with problems") << problems << qsizetype(1000) << qsizetype(4)
                                   << QStringList{"1 Gut M3 Tastkugel", "13 Kaputt M3 Tastkugel",
                                                  "24 Danach M3 Tastkugel"}
                                   << QStringList{"Kaputt"} << QStringList{"Einträge 3", "Probleme 2"}
                                   << QList<QStringList>{
                                          {"Gut – Tastkugel"},
                                          {"Problem dieses Eintrags", "Zeile 19: Unbekannte Zeile: „Quatsch“."},
                                          {"Danach – Tastkugel"}};

    // Five broken records read keeping the problems of two: the others are read again.
    QStringList many;
    QList<QStringList> manySheets;
    QStringList manyRows;
    for (int i = 1; i <= 5; ++i) {
        many += brokenBall(QStringLiteral("B%1").arg(i));
        const int first = 1 + (i - 1) * 11;
        manyRows.append(QStringLiteral("%1 B%2 M3 Tastkugel").arg(first).arg(i));
        manySheets.append({QStringLiteral("Zeile %1: Unbekannte Zeile: „Quatsch“.").arg(first + 6)});
    }
    QTest::newRow("more problems than the reading kept")
        << many << qsizetype(2) << qsizetype(6) << manyRows << QStringList{"B1", "B2", "B3", "B4", "B5"}
        << QStringList{"Probleme 5"} << manySheets;

    QTest::newRow("one record") << balls(1) << qsizetype(1000) << qsizetype(2) << QStringList{"1 K1 M3 Tastkugel"}
                                << QStringList{} << QStringList{"Einträge 1", "Seite 1 von 2"}
                                << QList<QStringList>{{"K1 – Tastkugel", "Seite 2 von 2"}};
    QTest::newRow("none") << QStringList{} << qsizetype(1000) << qsizetype(1) << QStringList{} << QStringList{}
                          << QStringList{"Einträge 0", "Die Datei enthält keine Einträge.", "Seite 1 von 1"}
                          << QList<QStringList>{};

    // 40 records: the overview runs on to a second page, whose rows point past it.
    QStringList rows40{"1 K1 M3 Tastkugel", "386 K36 M3 Tastkugel", "397 K37 M3 Tastkugel", "430 K40 M3 Tastkugel"};
    QTest::newRow("overview over two pages") << balls(40) << qsizetype(1000) << qsizetype(42) << rows40 << QStringList{}
                                             << QStringList{"Einträge 40"} << QList<QStringList>{};
}

void TestCatalogue::catalogue()
{
    QFETCH(QStringList, lines);
    QFETCH(qsizetype, keep);
    QFETCH(qsizetype, pages);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, marked);
    QFETCH(QStringList, titleBlock);
    QFETCH(QList<QStringList>, sheets);

    const QString path = writeProbeFile(lines);
    ProbeFile::Keep kept;
    kept.keep = keep;
    QString error;
    const std::optional<ProbeFile> file = ProbeFile::read(path, &error, kept);
    QVERIFY2(file, qPrintable(error));
    const QString pdf = m_folder.filePath(QStringLiteral("katalog.pdf"));
    QList<std::pair<qsizetype, qsizetype>> told;
    const auto progress = [&](qsizetype done, qsizetype total) {
        told.append({done, total});
        return true;
    };
    QVERIFY2(writeCatalogue(pdf, {&*file, path, QDate(2026, 12, 8)}, progress, &error), qPrintable(error));

    QCOMPARE(pageCount(pdf), pages);
    QCOMPARE(cataloguePageCount(file->recordCount()), pages);
    // Told once a page, in order.
    QCOMPARE(told.size(), pages);
    for (qsizetype i = 0; i < told.size(); ++i) {
        QCOMPARE(told.at(i), std::make_pair(i + 1, pages));
    }

    const qsizetype overviewPages = overviewPageCount(file->recordCount());
    QString overview;
    for (qsizetype page = 1; page <= overviewPages; ++page) {
        overview += pageText(pdf, page);
    }
    const QString first = pageText(pdf, 1);
    for (const QString &piece : titleBlock + QStringList{"Gedruckt am 08.12.2026", "Ordner"}) {
        QVERIFY2(first.contains(piece), qPrintable(piece + QStringLiteral(" not in:\n") + first));
    }
    // Each row on a line of its own, marked where the record has a problem, its sheet's page last.
    for (const QString &row : rows) {
        const QString name = row.section(u' ', 1, 1);
        const QRegularExpression line(QStringLiteral("^ ?%1.*?( !)? (\\d+)$").arg(QRegularExpression::escape(row)),
                                      QRegularExpression::MultilineOption);
        const QRegularExpressionMatch match = line.match(overview);
        QVERIFY2(match.hasMatch(), qPrintable(row + QStringLiteral(" not in:\n") + overview));
        QCOMPARE(match.hasCaptured(1), marked.contains(name));
        // The page it names is the record's sheet.
        const qsizetype sheet = match.captured(2).toLongLong();
        QVERIFY2(sheet > overviewPages && sheet <= pages, qPrintable(row));
        QVERIFY2(pageText(pdf, sheet).contains(QStringLiteral("%1 – ").arg(name)), qPrintable(row));
    }
    QCOMPARE(sheets.size() == 0 || sheets.size() == file->recordCount(), true);
    for (qsizetype record = 0; record < sheets.size(); ++record) {
        const QString text = pageText(pdf, overviewPages + record + 1);
        QVERIFY2(text.contains(QStringLiteral("Datenblatt")), qPrintable(text));
        for (const QString &piece : sheets.at(record)) {
            QVERIFY2(text.contains(piece), qPrintable(piece + QStringLiteral(" not in:\n") + text));
        }
        // A record without a problem has no problem named on its page.
        QCOMPARE(text.contains(QStringLiteral("dieses Eintrags")), marked.contains(file->name(record)));
    }
}

void TestCatalogue::stopped_data()
{
    QTest::addColumn<qsizetype>("stopAfter"); // pages; 0: never stopped
    QTest::addColumn<bool>("existing");       // a file under the name before
    QTest::addColumn<bool>("intoFolder");     // the name is a folder's

    QTest::newRow("after the first page") << qsizetype(1) << false << false;
    QTest::newRow("after the overview, over an older file") << qsizetype(2) << true << false;
    QTest::newRow("at the last page") << qsizetype(41) << true << false;
    QTest::newRow("a folder's name") << qsizetype(0) << false << true;
}

void TestCatalogue::stopped()
{
    QFETCH(qsizetype, stopAfter);
    QFETCH(bool, existing);
    QFETCH(bool, intoFolder);

    QTemporaryDir out;
    QVERIFY(out.isValid());
    const QString path = writeProbeFile(balls(40));
    const std::optional<ProbeFile> file = ProbeFile::read(path);
    QVERIFY(file);
    const QString pdf = out.filePath(QStringLiteral("katalog.pdf"));
    const QByteArray before = "%PDF-1.4 an older catalogue";
    if (existing) {
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(before) == before.size());
    }
    if (intoFolder) {
        QVERIFY(QDir(out.path()).mkdir(QStringLiteral("katalog.pdf")));
    }
    qsizetype last = 0;
    const auto progress = [&](qsizetype done, qsizetype) {
        last = done;
        return stopAfter == 0 || done < stopAfter;
    };
    QString error = QStringLiteral("unchanged");
    QVERIFY(!writeCatalogue(pdf, {&*file, path, QDate(2026, 12, 8)}, progress, &error));
    if (intoFolder) {
        QCOMPARE(error, QStringLiteral("%1 ist ein Ordner, keine Datei.").arg(pdf));
        QCOMPARE(last, 0);
    } else {
        // Stopped: no reason, and not one page more.
        QCOMPARE(error, QString());
        QCOMPARE(last, stopAfter);
    }
    // Nothing left behind but what was there before.
    const QStringList left = QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QCOMPARE(left, (existing || intoFolder ? QStringList{"katalog.pdf"} : QStringList{}));
    if (existing) {
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), before);
    }
}

QTEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
