// Reading whole files: records of all six kinds in both locales, each kind of problem with its
// line, and lines written by hand in ways that the program itself does not write them.
#include "ByteMasks.h"
#include "ProbeFile.h"
#include "ReaderTestSupport.h"
#include "SampleRecords.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace merivox;
using namespace merivox::test;

Q_DECLARE_METATYPE(merivox::LineKind)

namespace {


// The ball record with line n (1-based) replaced by text.
QByteArray ballWith(int n, const QByteArray &text)
{
    QList<QByteArray> lines = kBall.split('\n');
    lines[n - 1] = text + '\r';
    return lines.join('\n');
}

QByteArray cutAfter(const QByteArray &bytes, int lines)
{
    qsizetype at = 0;
    for (int i = 0; i < lines; ++i) {
        at = bytes.indexOf('\n', at) + 1;
    }
    return bytes.left(at);
}

} // namespace

class TestProbeFile final : public QObject
{
    Q_OBJECT

private slots:
    void allKinds();
    void problems_data();
    void problems();
    void handMadeLines_data();
    void handMadeLines();
    void checkStreamsAsWholeFile_data();
    void checkStreamsAsWholeFile();
    void quickWayAsFullRules();
    void byteMasks();
    void lineMasks();
    void linesFromTheBytes_data();
    void linesFromTheBytes();
    void changedOnDisk_data();
    void changedOnDisk();
    void duplicatesAsCounted_data();
    void duplicatesAsCounted();
    void longestKeys_data();
    void longestKeys();
};

// One file of all six kinds; each kind alone, in both locales, is read back in the round trip.
void TestProbeFile::allKinds()
{
    QByteArray bytes;
    QList<QStringList> records;
    QStringList allLines;
    for (const TipKind kind : kAllKinds) {
        records << built(kind, example(kind, kGermanLocale, true), kGermanLocale);
        allLines << records.last();
        bytes += encoded(records.last());
    }
    const QStringList kinds{"Tastkugel", "Zylindertaster", "Halbkugel", "Scheibentaster", "Würfel", "Verlängerung"};
    const QStringList names{"TIP", "ZT1", "HK1", "SC1", "W10", "V50"};

    // From the file's bytes and from the same lines in memory, as the editor's preview reads them.
    for (const ProbeFile &file : {ProbeFile::fromBytes(bytes), ProbeFile::fromLines(allLines)}) {
        QCOMPARE(file.problems(), QList<Problem>());
        QCOMPARE(file.recordCount(), 6);
        QCOMPARE(file.lineCount(), allLines.size());
        int firstLine = 1;
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(kindText(file.record(i)), kinds.at(i));
            QCOMPARE(file.name(i), names.at(i));
            QCOMPARE(file.thread(i), i == 0 ? QStringLiteral("M3") : QStringLiteral("M3ANALOG"));
            QCOMPARE(file.text(i), records.at(i).join(QLatin1Char('\n')));
            QCOMPARE(int(file.record(i).firstLine) + 1, firstLine);
            QCOMPARE(file.recordAtLine(firstLine + int(records.at(i).size()) - 1), i);
            QCOMPARE(file.record(i).decimal, Decimal::Comma);
            firstLine += int(records.at(i).size());
        }
    }
}

void TestProbeFile::problems_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("records");
    // Each problem as "line: start of its text".
    QTest::addColumn<QStringList>("expected");
    const auto row = [](const char *name, const QByteArray &bytes, int records, const QStringList &expected) {
        QTest::newRow(name) << bytes << records << expected;
    };

    row("none", kBall + kExtension, 2, {});
    row("empty file", QByteArray(), 0, {});
    row("unknown line", ballWith(3, "ribcounter 10"), 1, {"3: Unbekannte Zeile: „ribcounter 10“."});
    row("blank line", ballWith(5, "  "), 1, {"5: Leere Zeile."});
    row("line before the first item", "Color 1 2 3\r\n" + kBall, 1,
        {"1: Zeile außerhalb eines Eintrags (vor ihr fehlt eine Zeile ITEM:)"});
    row("line after endtip", kBall + "endtip\r\n" + kExtension, 2,
        {"12: Zeile außerhalb eines Eintrags (sie steht nach dem Ende (endtip) des Eintrags, der in Zeile 1 beginnt)"});
    row("endtip missing, next record follows", cutAfter(kBall, 10) + kExtension, 2,
        {"1: Eintrag „TIP“ ist abgeschnitten: endtip fehlt."});
    row("file ends inside a line", kBall.left(kBall.size() - 4), 1,
        {"1: Eintrag „TIP“ ist abgeschnitten: endtip fehlt.", "11: Unbekannte Zeile: „endt“.",
         "11: Die letzte Zeile hat kein Zeilenende"});
    row("extension without connect", cutAfter(kExtension, 4), 1,
        {"1: Eintrag „V50“ ist abgeschnitten: connect fehlt."});
    row("solid with four of six faces",
        QByteArray("ITEM:W10MM M3\nsolid 6\nColor 1 2 3\n" +
                   QByteArray("face 4 0 0 0 1 0 0 1 1 0 0 1 0\n").repeated(4)),
        1, {"1: Eintrag „W10“ ist abgeschnitten: 2 von 6 Flächen fehlen."});
    row("item line alone", "ITEM:XMM M3\r\n" + kBall, 2,
        {"1: Eintrag „X“ ist abgeschnitten: nach der Zeile ITEM: folgt kein Teil."});
    row("two lines on one line", ballWith(5, "cylinder 0 0 0 0 0 -10 4cone 0 0 -10 4 0 0 -15 2"), 1,
        {"5: Zwei Zeilen in einer (Zeilenende fehlt?): „4cone“ steht mitten in der Zeile."});
    row("two keywords run together", ballWith(2, "begintipribcount 10"), 1,
        {"2: Zwei Zeilen in einer", "1: Eintrag „TIP“ ist abg"});
    row("two records on one line", kBall.left(kBall.size() - 2) + kExtension, 2,
        {"11: Zwei Zeilen in einer (Zeilenende fehlt?): „ITEM:V50MM M3ANALOG“ steht mitten in der Zeile."});
    row("item line runs into begintip", "ITEM:AMM M3begintip\r\n" + kBall.mid(kBall.indexOf("ribcount")), 1,
        {"1: Zwei Zeilen in einer (Zeilenende fehlt?): „M3begintip“",
         "1: Eintrag „A“ ist abgeschnitten: connect fehlt."});
    row("item line without MM", "ITEM:TIP M3" + kBall.mid(kBall.indexOf("\r\n")), 1,
        {"1: Falsche Zahl der Felder: der Zeile ITEM: fehlt „MM “"});
    row("number that does not read", ballWith(7, "cylinder 0 0 -15 0 0 -4O 2"), 1,
        {"7: Keine Zahl: „-4O“ (Feld 6 der Zeile cylinder)."});
    row("group separator", ballWith(9, "sphere 0 0 -1.000,5 3"), 1, {"9: Keine Zahl: „-1.000,5“"});
    row("not finite", ballWith(9, "sphere 0 0 inf 3"), 1, {"9: Keine Zahl: „inf“"});
    // Plain numbers up to 308 characters are read by a quick test, all others by the full grammar.
    row("308 digits", ballWith(9, "sphere 0 0 -40 " + QByteArray(308, '9')), 1, {});
    row("309 digits, beyond a double", ballWith(9, "sphere 0 0 -40 " + QByteArray(309, '9')), 1,
        {"9: Zahl außerhalb des darstellbaren Bereichs"});
    row("sign, separator, no integer digits", ballWith(9, "sphere 0 0 +,5 -.5"), 1, {});
    row("sign and separator only", ballWith(9, "sphere 0 0 -40 -."), 1, {"9: Keine Zahl: „-.“"});
    row("exponent", ballWith(9, "sphere 0 0 -4e1 3E-0"), 1, {});
    row("face with another line run into it",
        QByteArray("ITEM:W1MM M3\nsolid 1\nface 1 0 0 0cone 0 0 -10 4 0 0 -15 2\n"), 1,
        {"3: Zwei Zeilen in einer (Zeilenende fehlt?): „0cone“"});
    row("colour out of range", ballWith(8, "Color 256 0 0"), 1, {"8: Farbwert „256“ liegt nicht zwischen 0 und 255."});
    row("too few fields", ballWith(9, "sphere 0 0 -40"), 1, {"9: Falsche Zahl der Felder: sphere braucht 4 Felder, hier 3."});
    row("too many fields", ballWith(11, "endtip 1"), 1,
        {"11: Falsche Zahl der Felder: endtip braucht keine Felder, hier 1."});
    row("hot spot without shape", ballWith(10, "hotspot 0 0 -40 0 0 1 3 3"), 1,
        {"10: Falsche Zahl der Felder: hotspot braucht 8 Zahlen"});
    row("face with a corner short", QByteArray("ITEM:W10MM M3\nsolid 1\nface 4 0 0 0 1 0 0 1 1 0 0 1\n"), 1,
        {"3: Falsche Zahl der Felder: face mit 4 Ecken braucht 12 Koordinaten, hier 11."});
    row("same name and thread twice", kBall + kExtension + kBall, 3,
        {"17: Name „TIP“ mit Gewinde „M3“ steht schon in Zeile 1."});
    row("same name and thread, trailing blank", kBall + QByteArray(kBall).replace("MM M3", "MM M3 "), 2,
        {"12: Name „TIP“ mit Gewinde „M3“"});
    row("same name, other thread", kBall + QByteArray(kBall).replace("MM M3", "MM M4"), 2, {});
}

void TestProbeFile::problems()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, records);
    QFETCH(QStringList, expected);

    // CR LF or LF alone: the same problems on the same lines.
    for (const QByteArray &variant : {bytes, QByteArray(bytes).replace("\r\n", "\n")}) {
        const ProbeFile file = ProbeFile::fromBytes(variant);
        QStringList found;
        for (const Problem &p : file.problems()) {
            found << QStringLiteral("%1: %2").arg(p.line).arg(p.text);
        }
        QCOMPARE(file.recordCount(), records);
        QCOMPARE(found.size(), expected.size());
        for (const QString &e : expected) {
            QVERIFY2(std::any_of(found.cbegin(), found.cend(), [&](const QString &f) { return f.startsWith(e); }),
                     qPrintable(QStringLiteral("missing „%1“ in\n%2").arg(e, found.join(QLatin1Char('\n')))));
        }
    }
}

void TestProbeFile::handMadeLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<LineKind>("kind");
    QTest::addColumn<QStringList>("fields");
    const auto row = [](const char *name, const QByteArray &line, LineKind kind, const QStringList &fields) {
        QTest::newRow(name) << line << kind << fields;
    };

    row("item, name with MM and blanks", QByteArray("ITEM:2 MM WIDE\xe4MM M3 X"), LineKind::Item,
        {"2 MM WIDEä", "M3 X"});
    row("item, euro sign", QByteArray("ITEM:\x80-TasterMM M5"), LineKind::Item, {"€-Taster", "M5"});
    row("ribcount, other count", QByteArray("ribcount 24"), LineKind::RibCount, {"24"});
    row("solid, tabs", QByteArray("solid\t8"), LineKind::Solid, {"8"});
    row("cylinder off the axis", QByteArray("cylinder 1.5 -2 0 1.5 -2 -7,25 3"), LineKind::Cylinder,
        {"1.5", "-2", "0", "1.5", "-2", "-7,25", "3"});
    row("cone, exponent", QByteArray("cone 0 0 -1e1 4 0 0 -15 +2"), LineKind::Cone,
        {"0", "0", "-1e1", "4", "0", "0", "-15", "+2"});
    row("cutsphere, print zone", QByteArray("cutsphere 0 0 -30 0 0 1 8       2 -10000"), LineKind::CutSphere,
        {"0", "0", "-30", "0", "0", "1", "8", "2", "-10000"});
    row("hotspot, other shape", QByteArray("hotspot 0 0 -30 0 0 1 8 8 star"), LineKind::HotSpot,
        {"0", "0", "-30", "0", "0", "1", "8", "8", "star"});
    row("connect, thread with blank", QByteArray("connect 0 0 -50 0 0 1 M2 FEIN"), LineKind::LowerConnect,
        {"0", "0", "-50", "0", "0", "1", "M2 FEIN"});
    row("connect, no thread", QByteArray("connect  0  0 -50 0  0  1 "), LineKind::LowerConnect,
        {"0", "0", "-50", "0", "0", "1", ""});
    row("face, triangle", QByteArray("face 3 0 0 0 1 0 0 0 1 -1"), LineKind::Face,
        {"3", "0", "0", "0", "1", "0", "0", "0", "1", "-1"});
}

void TestProbeFile::handMadeLines()
{
    QFETCH(QByteArray, line);
    QFETCH(LineKind, kind);
    QFETCH(QStringList, fields);

    // The line inside a complete stylus, or as the item line of one.
    const QByteArray bytes = kind == LineKind::Item ? line + "\r\nbegintip\r\nendtip\r\n"
                                                    : "ITEM:HMM M3\r\nbegintip\r\n" + line + "\r\nendtip\r\n";
    const ProbeFile file = ProbeFile::fromBytes(bytes);
    QCOMPARE(file.problems(), QList<Problem>());
    QCOMPARE(file.recordCount(), 1);
    const RecordLine read = file.lines(0).at(kind == LineKind::Item ? 0 : 2);
    QCOMPARE(read.kind, kind);
    QCOMPARE(read.number, kind == LineKind::Item ? 1 : 3);
    QCOMPARE(read.fields, fields);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        bool isNumber = false;
        const double value = QString(fields.at(i)).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&isNumber);
        QCOMPARE(std::isnan(read.value(i)), !isNumber || kind == LineKind::Item);
        if (isNumber && kind != LineKind::Item) {
            QCOMPARE(read.value(i), value);
        }
    }
}

// A note as the check prints it.
QString noteText(const Problem &p)
{
    return QStringLiteral("%1: %2%3").arg(p.line).arg(p.hint ? "Hinweis: " : "", p.text);
}

QStringList noteTexts(const QList<Problem> &notes)
{
    QStringList out;
    for (const Problem &p : notes) {
        out << noteText(p);
    }
    return out;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// What the whole-file model finds, each note as the check prints it, then the counts.
QStringList wholeFileNotes(const QByteArray &bytes)
{
    ProbeFile::Keep all;
    all.keep = qsizetype(1) << 30;
    const ProbeFile file = ProbeFile::fromBytes(bytes, all);
    QStringList out = noteTexts(file.notes());
    out << QStringLiteral("%1 %2 %3").arg(file.recordCount()).arg(file.problemCount()).arg(file.hintCount());
    return out;
}

// What the check finds reading the file piece by piece, in the order it hands the notes on.
QStringList streamedNotes(const QString &path)
{
    QStringList out;
    const auto totals = ProbeFile::check(path, [&out](const Problem &p) { out << noteText(p); });
    if (!totals) {
        return {QStringLiteral("not read")};
    }
    out << QStringLiteral("%1 %2 %3").arg(totals->records).arg(totals->problems).arg(totals->hints);
    return out;
}

// A file read with its bytes left on disk gives what the same bytes read in memory give: every
// record, line and note, and the bytes themselves.
void compareWithMemory(const QString &path, const QByteArray &bytes)
{
    const ProbeFile::Keep onDisk{.bytesOnDisk = true};
    const std::optional<ProbeFile> disk = ProbeFile::read(path, nullptr, onDisk);
    QVERIFY(disk);
    const ProbeFile memory = ProbeFile::fromBytes(bytes);
    QCOMPARE(disk->notes(), memory.notes());
    QCOMPARE(disk->lineCount(), memory.lineCount());
    QCOMPARE(disk->recordCount(), memory.recordCount());
    QCOMPARE(disk->endsInLineEnd(), bytes.endsWith('\n'));
    QCOMPARE(disk->fingerprint(), memory.fingerprint());
    for (qsizetype r = 0; r < memory.recordCount(); ++r) {
        QCOMPARE(disk->record(r).firstLine, memory.record(r).firstLine);
        QCOMPARE(disk->record(r).lineCount, memory.record(r).lineCount);
        QCOMPARE(disk->name(r), memory.name(r));
        QCOMPARE(disk->thread(r), memory.thread(r));
        QCOMPARE(disk->text(r), memory.text(r));
        const QList<RecordLine> a = disk->lines(r);
        const QList<RecordLine> b = memory.lines(r);
        QCOMPARE(a.size(), b.size());
        for (qsizetype i = 0; i < a.size(); ++i) {
            QCOMPARE(a.at(i).number, b.at(i).number);
            QCOMPARE(a.at(i).kind, b.at(i).kind);
            QCOMPARE(a.at(i).fields, b.at(i).fields);
        }
    }
    for (int n = 1; n <= memory.lineCount(); n += std::max<qsizetype>(1, memory.lineCount() / 500)) {
        QCOMPARE(disk->lineText(n), memory.lineText(n));
    }
    QCOMPARE(disk->bytes(), bytes);
}

// The check reads the file in pieces and holds back what an open record may still change; the
// whole-file model sees everything at once. Both must give the same notes in the same order, and
// a reading that leaves the bytes on disk the same as one that keeps them: on
// every damaged file above, with LF line ends alone and mixed, and on files cut at every byte of
// a record (here the third, which repeats the first's name and thread), on a file larger than
// the check's first buffer, with a line longer than it, and on a record with many notes.
void TestProbeFile::checkStreamsAsWholeFile_data()
{
    problems_data();
    const QByteArray three = kBall + kExtension + QByteArray(kBall).replace("ribcount", "ribcount ");
    for (qsizetype cut = kBall.size() + kExtension.size(); cut <= three.size(); ++cut) {
        QTest::addRow("cut at byte %d", int(cut)) << three.left(cut) << 0 << QStringList();
    }
    QTest::newRow("LF first, CR LF much later")
        << QByteArray(cutAfter(kBall, 3)).replace("\r\n", "\n") + QByteArray(kBall).repeated(2000) << 0 << QStringList();
    QByteArray large;
    for (int i = 0; large.size() < 3'000'000; ++i) {
        large += QByteArray(kBall).replace("TIP", QByteArray::number(i % 5000));
        if (i % 997 == 0) {
            large += "Color 1 2\r\n";
        }
        if (i == 4000) {
            large += "cylinder " + QByteArray(1'500'000, '7') + "\r\n";
        }
    }
    QTest::newRow("larger than a buffer") << large << 0 << QStringList();
    // More notes in one open record than the check holds in memory: the later ones wait in a
    // file until the record is found cut off, twice, the second time named as before.
    QByteArray damaged = "ITEM:AMM M3\r\nbegintip\r\n";
    for (int i = 0; i < 9000; ++i) {
        damaged += i % 3 ? QByteArray("sphere 0 0 x 3\r\n") : QByteArray("sphere 0,5 0 1.5 3\r\n");
    }
    QTest::newRow("many notes in an open record") << damaged + damaged << 0 << QStringList();
}

void TestProbeFile::checkStreamsAsWholeFile()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    QByteArray mixed = bytes;
    mixed.replace(mixed.size() / 2, mixed.size() - mixed.size() / 2,
                  QByteArray(bytes.mid(bytes.size() / 2)).replace("\r\n", "\n"));
    for (const QByteArray &variant : {bytes, QByteArray(bytes).replace("\r\n", "\n"), mixed}) {
        QVERIFY(writeFile(path, variant));
        const QStringList expected = wholeFileNotes(variant);
        QCOMPARE(streamedNotes(path), expected);
        compareWithMemory(path, variant);
        if (QTest::currentTestFailed()) {
            return;
        }
    }
}


// Most lines are read the quick way, the rest by the full rules. Lines of every kind, damaged at
// random in one to three bytes by what the rules look at (blanks, signs, separators, digits,
// colons, letters that make keywords), each in its record: both ways find the same records and
// notes, with a mixed-separator hint in every fourth file and a sign put in front of a field of
// another line in every second (negative sizes among them).
void TestProbeFile::quickWayAsFullRules()
{
    QByteArray all;
    for (const TipKind kind : kAllKinds) {
        all += encoded(built(kind, example(kind, kEnglishLocale, true), kEnglishLocale));
    }
    const QList<QByteArray> lines = all.split('\n');
    const QByteArray alphabet(" \t\r0123456789.,+-:eEITMadenpsr");
    QRandomGenerator random(17);
    const auto picked = [&](const QByteArray &from) { return from.at(random.bounded(int(from.size()))); };
    int intact = 0;
    int negativeSizes = 0;
    for (int round = 0; round < 6000; ++round) {
        QList<QByteArray> damaged = lines;
        const int at = random.bounded(int(lines.size()) - 1);
        QByteArray &line = damaged[at];
        for (int edits = 1 + random.bounded(3); edits > 0; --edits) {
            const int where = random.bounded(int(line.size()) + 1);
            switch (random.bounded(3)) {
            case 0:
                line.insert(where, picked(alphabet));
                break;
            case 1:
                line.remove(where, 1);
                break;
            default:
                line.replace(where, 1, QByteArray(1, picked(alphabet)));
            }
        }
        if (round % 4 == 0) {
            damaged[at == 4 ? 5 : 4].replace('.', ',');
        }
        if (round % 2 == 1) {
            // A sign put in front of a field of another line: a size that turns negative (a hint),
            // a coordinate that becomes "--10" or "-0", a count that turns negative.
            QByteArray &other = damaged[random.bounded(int(lines.size()) - 1)];
            const QList<QByteArray> fields = other.split(' ');
            qsizetype where = 0;
            for (int f = 1 + random.bounded(int(fields.size())); f > 1; --f) {
                where = other.indexOf(' ', where) + 1;
            }
            other.insert(where, round % 6 == 1 ? '+' : '-');
        }
        if (round % 3 == 0) {
            // Longer lines: past the 62 bytes that one word of masks holds (read on two), and
            // past the 126 of two words (the full rules alone).
            const int blanks = round % 5 == 0 ? 100 : 40;
            line.insert(std::max<qsizetype>(line.indexOf(' '), 0), QByteArray(blanks, round % 2 ? ' ' : '\t'));
        }
        const QByteArray bytes = damaged.join('\n');
        ProbeFile::Keep full;
        full.quickLines = false;
        const ProbeFile quick = ProbeFile::fromBytes(bytes);
        const ProbeFile slow = ProbeFile::fromBytes(bytes, full);
        QCOMPARE(quick.notes(), slow.notes());
        QCOMPARE(quick.recordCount(), slow.recordCount());
        for (qsizetype r = 0; r < quick.recordCount(); ++r) {
            const ProbeFile::Record &a = quick.record(r);
            const ProbeFile::Record &b = slow.record(r);
            QVERIFY2(a.firstLine == b.firstLine && a.lineCount == b.lineCount && a.kind == b.kind &&
                         a.shape == b.shape && a.decimal == b.decimal && a.faces == b.faces,
                     line.constData());
        }
        intact += quick.problems().isEmpty() ? 1 : 0;
        for (const Problem &note : quick.notes()) {
            negativeSizes += note.hint && note.text.startsWith(QStringLiteral("Negative Größe")) ? 1 : 0;
        }
    }
    // Both sides of the line between the two ways are reached, and a negative size is told often.
    QVERIFY(intact > 300 && intact < 5700);
    QVERIFY2(negativeSizes > 50, qPrintable(QString::number(negativeSizes)));
}

// The masks of a line's bytes, made as quickly as the processor allows, against a byte at a time:
// every byte value at every place of a block, with and without bytes past the line.
void TestProbeFile::byteMasks()
{
    for (int size : {1, 15, 16, 17, 40, 62, 64}) {
        for (int value = 0; value < 256; ++value) {
            QByteArray bytes(syntax::ByteMasks::kLongest, char(value));
            for (int i = 0; i < size; i += 3) {
                bytes[i] = " \t0.,+-:9A"[i % 11];
            }
            const syntax::ByteMasks quick = syntax::byteMasks(bytes.constData(), size);
            const syntax::ByteMasks byByte = syntax::byteMasksByByte(bytes.constData(), size);
            QVERIFY2(quick.blank == byByte.blank && quick.digit == byByte.digit && quick.point == byByte.point &&
                         quick.comma == byByte.comma && quick.sign == byByte.sign && quick.colon == byByte.colon,
                     qPrintable(QStringLiteral("size %1, byte %2").arg(size).arg(value)));
        }
    }
}

// A short line's end found with its masks, against a search and the masks a byte at a time: an LF
// at every place of the bytes looked at, just past them, or none, and a second LF after the first.
void TestProbeFile::lineMasks()
{
    for (int size : {1, 16, 17, 33, 64}) {
        for (int lf = 0; lf <= syntax::ByteMasks::kLongest; ++lf) {
            QByteArray bytes(syntax::ByteMasks::kLongest, ' ');
            for (int i = 0; i < bytes.size(); ++i) {
                bytes[i] = " \t0.,+-:9A\r"[i % 12];
            }
            if (lf < bytes.size()) {
                bytes[lf] = '\n';
            }
            if (lf + 5 < bytes.size()) {
                bytes[lf + 5] = '\n';
            }
            syntax::ByteMasks quick;
            syntax::ByteMasks byByte;
            const int length = syntax::lineMasks(bytes.constData(), size, quick);
            const QString where = QStringLiteral("size %1, LF at %2").arg(size).arg(lf);
            QCOMPARE(length, syntax::lineMasksByByte(bytes.constData(), size, byByte));
            QCOMPARE(length, lf < size ? lf : -1);
            if (length >= 0) {
                QVERIFY2(quick.blank == byByte.blank && quick.digit == byByte.digit && quick.point == byByte.point &&
                             quick.comma == byByte.comma && quick.sign == byByte.sign && quick.colon == byByte.colon,
                         qPrintable(where));
            }
        }
    }
}

// Lines are found again in the bytes from a mark every few lines: every line and every record's
// parts, wherever the records stand against the marks, with two records on one line.
void TestProbeFile::linesFromTheBytes_data()
{
    QTest::addColumn<int>("before"); // lines outside every record before the first one
    QTest::addColumn<QByteArray>("end"); // the line end
    QTest::addColumn<int>("length"); // of each line before
    QTest::addColumn<int>("firstLength"); // lines of the first record; 0: those of a ball

    for (const int before : {0, 20, 31, 32, 33, 63}) {
        QTest::addRow("%d lines before, CR LF", before) << before << QByteArray("\r\n") << 10 << 0;
    }
    QTest::newRow("31 lines before, LF") << 31 << QByteArray("\n") << 10 << 0;
    // Records more than 64 KiB after the mark of their line.
    QTest::newRow("3 long lines before") << 3 << QByteArray("\r\n") << 30000 << 0;
    // Line numbers and counts that take more than 16 bits.
    QTest::newRow("65,540 lines before") << 65540 << QByteArray("\r\n") << 1 << 0;
    for (const int length : {65534, 65535, 65536, 70000}) {
        QTest::addRow("first record of %d lines", length) << 1 << QByteArray("\r\n") << 1 << length;
    }
}

void TestProbeFile::linesFromTheBytes()
{
    QFETCH(int, before);
    QFETCH(QByteArray, end);
    QFETCH(int, length);
    QFETCH(int, firstLength);

    QList<QByteArray> lines(before, QByteArray(length, 'x'));
    QList<QByteArray> ball = kBall.split('\n');
    ball.removeLast(); // after the last line end
    for (QByteArray &line : ball) {
        line.chop(1); // CR
    }
    // Three balls: the second one's item line run into the first one's endtip.
    QList<QList<QByteArray>> records{ball, ball, ball};
    records[1][0] = "ITEM:TIP2MM M3";
    records[2][0] = "ITEM:TIP3MM M3";
    // The first record drawn out by unknown lines after its item line.
    if (firstLength > 0) {
        records[0].insert(1, firstLength - ball.size(), "ribcounter 10");
    }
    lines << records[0].mid(0, records[0].size() - 1) << "endtip" + records[1][0] << records[1].mid(1) << records[2];
    // Read in memory, and read with the bytes left on disk.
    const QByteArray bytes = lines.join(end) + end;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
    out.close();
    const ProbeFile::Keep onDisk{.bytesOnDisk = true};
    const std::optional<ProbeFile> disk = ProbeFile::read(path, nullptr, onDisk);
    QVERIFY(disk);
    const ProbeFile memory = ProbeFile::fromBytes(bytes);
    for (const ProbeFile *file : {&memory, &*disk}) {
        QCOMPARE(file->lineCount(), lines.size());
        for (int n = 0; n <= lines.size() + 1; ++n) {
            QCOMPARE(file->lineText(n), n >= 1 && n <= lines.size() ? QString::fromLatin1(lines.at(n - 1)) : QString());
        }
        QCOMPARE(file->recordCount(), 3);
        const int first = int(records[0].size());
        const QList<int> firstLines{before + 1, before + first, before + first + int(ball.size())};
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(int(file->record(r).firstLine) + 1, firstLines.at(r));
            QCOMPARE(int(file->record(r).lineCount), records.at(r).size());
            QCOMPARE(file->recordAtLine(firstLines.at(r) + int(records.at(r).size()) - 1, r == 1), r);
            QCOMPARE(file->startsMidLine(r), r == 1);
            QCOMPARE(file->itemLine(r), QByteArrayView(records.at(r).at(0)));
            QCOMPARE(file->text(r), QString::fromLatin1(records.at(r).join('\n')));
            const QList<RecordLine> read = file->lines(r);
            QCOMPARE(read.size(), records.at(r).size());
            QCOMPARE(read.first().kind, LineKind::Item);
            QCOMPARE(read.last().kind, LineKind::EndTip);
            QCOMPARE(read.last().number, firstLines.at(r) + int(records.at(r).size()) - 1);
        }
    }
}

void TestProbeFile::changedOnDisk_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("same"); // whether the bytes read are still there

    QTest::newRow("a record appended") << QStringLiteral("append") << true;
    QTest::newRow("a byte changed in a later block") << QStringLiteral("byte") << false;
    QTest::newRow("cut back") << QStringLiteral("cut") << false;
    QTest::newRow("replaced by a file of the same size") << QStringLiteral("replace") << false;
    QTest::newRow("removed") << QStringLiteral("remove") << false;
}

// A file whose bytes stay on disk and change there after the reading: whatever is read again is
// either what was read first or nothing, never other bytes.
void TestProbeFile::changedOnDisk()
{
    QFETCH(QString, change);
    QFETCH(bool, same);
    QByteArray bytes;
    for (int i = 0; i < 4000; ++i) {
        bytes += QByteArray(kBall).replace("TIP", "T" + QByteArray::number(i));
    }
    QVERIFY(bytes.size() > 6 * BytesOnDisk::kBlock);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    const auto write = [&path](const QByteArray &content, QIODevice::OpenMode mode) {
        QFile file(path);
        return file.open(mode) && file.write(content) == content.size();
    };
    QVERIFY(write(bytes, QIODevice::WriteOnly));
    const ProbeFile::Keep onDisk{.bytesOnDisk = true};
    const std::optional<ProbeFile> file = ProbeFile::read(path, nullptr, onDisk);
    QVERIFY(file);
    const ProbeFile memory = ProbeFile::fromBytes(bytes);
    QCOMPARE(file->name(0), memory.name(0)); // the first block is in the window now

    if (change == QLatin1String("append")) {
        QVERIFY(write(kBall, QIODevice::Append));
    } else if (change == QLatin1String("byte")) {
        QByteArray changed = bytes;
        changed[3 * BytesOnDisk::kBlock + 10] = changed[3 * BytesOnDisk::kBlock + 10] == '1' ? '2' : '1';
        QVERIFY(write(changed, QIODevice::WriteOnly));
    } else if (change == QLatin1String("cut")) {
        QVERIFY(QFile::resize(path, bytes.size() / 2));
    } else if (change == QLatin1String("replace")) {
        QVERIFY(write(QByteArray(bytes).replace("ITEM:T", "ITEM:X"), QIODevice::WriteOnly));
    } else {
        QVERIFY(QFile::remove(path));
    }
    const qsizetype last = memory.recordCount() - 1;
    for (qsizetype r = last; r >= 0; r -= 97) {
        const QString text = file->text(r);
        QVERIFY2(text == memory.text(r) || (!same && text.isEmpty()), qPrintable(QString::number(r)));
        const QString name = file->name(r);
        QVERIFY(name == memory.name(r) || (!same && name.isEmpty()));
    }
    QCOMPARE(file->text(last) == memory.text(last), same);
    QCOMPARE(file->bytes(), same ? bytes : QByteArray());
}

// The duplicate rule against a count of its own: thousands of names of every length from 1 to 25
// bytes, some repeated, in records smaller and larger than the check's table is made for (it
// grows, or is emptier). Every repeat is named with the line of the first record, both when the
// file is checked and when it is read.
void TestProbeFile::duplicatesAsCounted_data()
{
    QTest::addColumn<QByteArray>("body"); // the lines after the item line
    QTest::newRow("small records") << QByteArray("begintip\r\nendtip\r\n");
    QTest::newRow("large records") << "begintip\r\n" + QByteArray("Color 1 2 3\r\n").repeated(30) + "endtip\r\n";
}

void TestProbeFile::duplicatesAsCounted()
{
    QFETCH(QByteArray, body);
    const int lines = 1 + int(body.count('\n'));
    QByteArray bytes;
    QHash<QByteArray, int> first; // name: the line of its first record
    QStringList expected;
    QRandomGenerator random(17);
    for (int i = 0; i < 6000; ++i) {
        const int earlier = int(random.bounded(i + 1));
        const int n = i % 5 == 4 ? earlier : i; // a fifth repeat an earlier record's name, or their own
        const QByteArray name = QByteArray::number(n, 36) + QByteArray(n % 23, char('a' + n % 26));
        const int line = i * lines + 1;
        if (const auto seen = first.constFind(name); seen != first.cend()) {
            expected << QStringLiteral("%1: Name „%2“ mit Gewinde „M3“ steht schon in Zeile %3.")
                            .arg(line).arg(QString::fromLatin1(name)).arg(*seen);
        } else {
            first.insert(name, line);
        }
        bytes += "ITEM:" + name + "MM M3\r\n" + body;
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    QVERIFY(writeFile(path, bytes));
    const QStringList checked = streamedNotes(path);
    QCOMPARE(checked.mid(0, checked.size() - 1), expected);
    const std::optional<ProbeFile> read = ProbeFile::read(path, nullptr, {.keep = qsizetype(1) << 30, .bytesOnDisk = true});
    QVERIFY(read);
    QCOMPARE(noteTexts(read->notes()), expected);
}

void TestProbeFile::longestKeys_data()
{
    // Each record's item line after "ITEM:"; the records expected, longest first.
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QList<quint32>>("expected");
    const auto row = [](const char *name, const QStringList &items, const QList<quint32> &expected) {
        QTest::newRow(name) << items << expected;
    };
    row("empty file", {}, {});
    row("one record", {"AMM M3"}, {0});
    row("longest first", {"AMM M3", "CCCMM M3", "BBMM M3"}, {1, 2, 0});
    row("equal ones as met", {"BBMM M3", "AAMM M3", "CMM M3", "DDMM M3"}, {0, 1, 3, 2});
    row("the thread counts", {"BBBMM M3", "AMM M10x1"}, {1, 0});
    row("blanks at the end do not count", {"AMM M3   ", "BBMM M3"}, {1, 0});
    row("a twin once, at its first", {"XMM M3", "ZYLINDER D2 L40MM M3", "ZYLINDER D2 L40MM M3"}, {1, 0});
    row("twins apart by their end", {"Zylinder D2 L40 alt MM M3", "Zylinder D2 L40 neu MM M3"}, {0, 1});
    row("an item line at fault left out", {"AMM M3", "SEHR LANGER NAME M3", "BBMM M3"}, {2, 0});
    QStringList many;
    QList<quint32> longest;
    for (int i = 0; i < 40; ++i) {
        many << QString(i % 2 == 0 ? 40 - i : i, QLatin1Char('N')) + QStringLiteral("MM M3");
    }
    // Names of 40, 1, 38, 3, ... letters: the 32 longest of them, from the longest down.
    for (int length = 40; length > 40 - int(ProbeFile::kLongestKeys); --length) {
        longest << quint32(length % 2 == 0 ? 40 - length : length);
    }
    row("at most as many as kept", many, longest);
}

void TestProbeFile::longestKeys()
{
    QFETCH(QStringList, items);
    QFETCH(QList<quint32>, expected);
    QByteArray bytes;
    for (const QString &item : items) {
        bytes += "ITEM:" + item.toLatin1() + "\r\nbegintip\r\nendtip\r\n";
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    QVERIFY(writeFile(path, bytes));
    const std::optional<ProbeFile> onDisk = ProbeFile::read(path, nullptr, {.bytesOnDisk = true});
    QVERIFY(onDisk);
    // The quick way and the full rules, the bytes in memory or on disk: the same records.
    for (const ProbeFile &file :
         {ProbeFile::fromBytes(bytes), ProbeFile::fromBytes(bytes, {.quickLines = false}), *onDisk}) {
        QCOMPARE(file.recordCount(), items.size());
        const std::vector<quint32> &found = file.longestKeys();
        QCOMPARE(QList<quint32>(found.begin(), found.end()), expected);
    }
}

QTEST_GUILESS_MAIN(TestProbeFile)
#include "tst_probefile.moc"
