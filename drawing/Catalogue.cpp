#include "Catalogue.h"

#include "DataSheet.h"
#include "DecodedRecord.h"
#include "DimensionLabels.h"
#include "Materials.h"
#include "RecordDrawing.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <utility>
#include <vector>

namespace merivox {

namespace {

constexpr double kPageWidth = 210.0; // A4, millimetres, as the data sheet
constexpr double kPageHeight = 297.0;
constexpr double kMargin = 15.0;
constexpr double kRight = kPageWidth - kMargin;
constexpr int kDotsPerInch = kSheetDotsPerInch;
constexpr double kDotsPerMm = kDotsPerInch / 25.4;
constexpr double kRowHeight = 5.0;
// Where the overview's column heads stand on its first page (beneath the title block) and on
// the pages after it.
constexpr double kFirstHeads = 84.0;
constexpr double kHeads = kMargin + 25;
// The free right-hand column of a data sheet, beneath its table: the record's problems go there.
constexpr double kSheetColumnLeft = kMargin + 110;
constexpr double kSheetColumnBottom = kMargin + 192;
// Of one record's problems, those beyond this many are counted only.
constexpr qsizetype kProblemsKept = 40;

QFont pageFont(double points, bool bold = false)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QRectF box(double x, double y, double w, double h)
{
    return {x * kDotsPerMm, y * kDotsPerMm, w * kDotsPerMm, h * kDotsPerMm};
}

QPointF at(double x, double y)
{
    return {x * kDotsPerMm, y * kDotsPerMm};
}

// The problems of a file in line order: those that its reading kept, then, where it kept not
// all of them, those that a reading of the same bytes from the first line not kept finds, a
// thousand or so at a time.
class ProblemCursor final
{
public:
    ProblemCursor(const ProbeFile &file, QString path)
        : m_file(file), m_path(std::move(path)), m_batch(file.problems()), m_next(file.nextLine())
    {}

    // The next problem, nullptr after the last.
    const Problem *peek()
    {
        while (m_index >= m_batch.size()) {
            if (!readMore()) {
                return nullptr;
            }
        }
        return &m_batch.at(m_index);
    }
    void advance() { ++m_index; }

private:
    bool readMore()
    {
        const int from = m_next;
        m_next = 0;
        if (from <= 0 || m_path.isEmpty()) {
            return false;
        }
        ProbeFile::Keep keep;
        keep.fromLine = from;
        keep.bytesOnDisk = true; // only the notes are wanted of this reading
        const std::optional<ProbeFile> again = ProbeFile::read(m_path, nullptr, keep);
        // Another file's problems would be named on the wrong records.
        if (!again || again->fingerprint() != m_file.fingerprint()) {
            return false;
        }
        m_batch.clear();
        for (const Problem &problem : again->problems()) {
            if (problem.line >= from) {
                m_batch.append(problem);
            }
        }
        m_index = 0;
        // A reading that got no further would be read again for ever.
        m_next = again->nextLine() > from ? again->nextLine() : 0;
        return true;
    }

    const ProbeFile &m_file;
    QString m_path;
    QList<Problem> m_batch;
    qsizetype m_index = 0;
    int m_next = 0;
};

// The record whose lines hold the problem's line; -1 for a line outside every record.
qsizetype recordOf(const ProbeFile &file, const Problem &problem)
{
    const qsizetype found = file.recordAtLine(problem.line, problem.midLine);
    if (found < 0) {
        return -1;
    }
    const ProbeFile::Record record = file.record(found);
    return qint64(problem.line) <= qint64(record.firstLine) + record.lineCount ? found : -1;
}

// One row of the overview.
struct OverviewRow
{
    QStringList cells; // as the columns
    bool problem = false;
};

struct Column
{
    const char16_t *head;
    double width; // millimetres
    Qt::Alignment align;
};

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kRightAligned = Qt::AlignRight | Qt::AlignVCenter;
// 180 mm in all, the page's width between its margins.
constexpr Column kColumns[] = {
    {u"Zeile", 13, kRightAligned}, {u"Benennung", 37, kLeft},      {u"Gewinde", 24, kLeft},
    {u"Art", 24, kLeft},           {u"Tast-Ø", 14, kRightAligned}, {u"Gesamtlänge", 22, kRightAligned},
    {u"Werkstoffe", 30, kLeft},    {u"!", 5, Qt::AlignCenter},     {u"Seite", 11, kRightAligned},
};
constexpr qsizetype kMarkColumn = 7;
// Between a cell's text and its column's edges.
constexpr double kCellPadding = 1.0;

OverviewRow overviewRow(const ProbeFile &file, qsizetype index, bool problem, qsizetype page)
{
    const ProbeFile::Record record = file.record(index);
    const RecordDrawing drawing(file.lines(index));
    const DecodedRecord &dimensions = drawing.dimensions();
    const QChar separator = labelSeparator(dimensions.decimal, QLocale());
    const TipKindDescription *kind = dimensions.kind ? findTipKind(*dimensions.kind) : nullptr;

    // The probing element's size: as the record writes it where it is typed, else as measured.
    QString element = QStringLiteral("–");
    const DecodedDimension &ball = dimensions[DimensionField::BallDiameter];
    if (!ball.text.isEmpty() && ball.value > 0.0) {
        element = ball.text + QStringLiteral(" mm");
    } else if (dimensions.elementSize > 0.0) {
        element = millimetresText(dimensions.elementSize, separator);
    }
    // The materials as the data sheet names them: the shaft's, and the element's of a stylus.
    const bool stylus = (!kind || kind->record == RecordKind::Stylus) && dimensions.ballColour.has_value();
    QStringList materials;
    if (dimensions.shaftColour) {
        materials.append(materialText(*dimensions.shaftColour, ColourRole::Shaft));
    }
    if (stylus) {
        materials.append(materialText(*dimensions.ballColour, ColourRole::Ball));
    }
    return {{QString::number(qint64(record.firstLine) + 1), file.name(index), file.thread(index),
             kindName(dimensions.kind), element,
             drawing.isEmpty() ? QStringLiteral("–") : millimetresText(drawing.overallLength(), separator),
             materials.join(QStringLiteral(" / ")), problem ? QStringLiteral("!") : QString(), QString::number(page)},
            problem};
}

void paintRow(QPainter &painter, double y, const QStringList &cells, bool bold, bool problem)
{
    painter.setFont(pageFont(8, bold));
    const QFontMetricsF metrics(painter.font());
    double x = kMargin;
    for (qsizetype column = 0; column < qsizetype(std::size(kColumns)); ++column) {
        const Column &shape = kColumns[column];
        const double width = shape.width - 2 * kCellPadding;
        painter.setPen(problem && column == kMarkColumn ? QColor(180, 0, 0) : QColor(Qt::black));
        painter.drawText(box(x + kCellPadding, y, width, kRowHeight), shape.align,
                         metrics.elidedText(cells.value(column), Qt::ElideRight, width * kDotsPerMm));
        x += shape.width;
    }
}

// What every page of the catalogue has: its head on the overview's pages, the footer and the
// page's number on all.
void paintHead(QPainter &painter, const QString &fileName)
{
    painter.setPen(Qt::black);
    painter.setFont(pageFont(16, true));
    painter.drawText(box(kMargin, kMargin, 120, 10), kLeft, QStringLiteral("Katalog"));
    painter.setFont(pageFont(10));
    painter.drawText(box(kMargin + 100, kMargin, kRight - kMargin - 100, 10), kRightAligned, QStringLiteral("Merivox"));
    painter.setFont(pageFont(13, true));
    painter.drawText(
        box(kMargin, kMargin + 10, kRight - kMargin, 9), kLeft,
        QFontMetricsF(painter.font()).elidedText(fileName, Qt::ElideMiddle, (kRight - kMargin) * kDotsPerMm));
    painter.setPen(QPen(Qt::black, 0.3 * kDotsPerMm));
    painter.drawLine(at(kMargin, kMargin + 21), at(kRight, kMargin + 21));
}

void paintFooter(QPainter &painter, const QString &fileName, const QDate &printed)
{
    painter.setPen(QPen(Qt::black, 0.2 * kDotsPerMm));
    painter.drawLine(at(kMargin, kPageHeight - kMargin - 6), at(kRight, kPageHeight - kMargin - 6));
    painter.setFont(pageFont(8));
    painter.drawText(box(kMargin, kPageHeight - kMargin - 5, 120, 5), kLeft, QStringLiteral("Datei: %1").arg(fileName));
    painter.drawText(box(kMargin + 100, kPageHeight - kMargin - 5, kRight - kMargin - 100, 5), kRightAligned,
                     QStringLiteral("Gedruckt am %1").arg(printed.toString(QStringLiteral("dd.MM.yyyy"))));
}

// Beneath the footer, so that it meets nothing that the page holds.
void paintPageNumber(QPainter &painter, qsizetype page, qsizetype total)
{
    painter.setPen(Qt::black);
    painter.setFont(pageFont(8));
    painter.drawText(box(kMargin, kPageHeight - kMargin + 1, kRight - kMargin, 5), Qt::AlignCenter,
                     QStringLiteral("Seite %1 von %2").arg(page).arg(total));
}

void paintTitleBlock(QPainter &painter, const CatalogueSource &source, const QFileInfo &info)
{
    const ProbeFile &file = *source.file;
    const QList<std::pair<QString, QString>> rows{
        {QStringLiteral("Datei"), info.fileName()},
        {QStringLiteral("Ordner"),
         source.path.isEmpty() ? QStringLiteral("–") : QDir::toNativeSeparators(info.absolutePath())},
        {QStringLiteral("Gedruckt am"), source.printed.toString(QStringLiteral("dd.MM.yyyy"))},
        {QStringLiteral("Einträge"), QString::number(file.recordCount())},
        {QStringLiteral("Probleme"), QString::number(file.problemCount())},
        {QStringLiteral("Hinweise"), QString::number(file.hintCount())},
    };
    double y = kMargin + 25;
    painter.setPen(Qt::black);
    for (const auto &[caption, value] : rows) {
        painter.setFont(pageFont(9, true));
        painter.drawText(box(kMargin, y, 30, 6), kLeft, caption);
        painter.setFont(pageFont(9));
        const double width = kRight - kMargin - 31;
        painter.drawText(box(kMargin + 31, y, width, 6), kLeft,
                         QFontMetricsF(painter.font()).elidedText(value, Qt::ElideMiddle, width * kDotsPerMm));
        y += 6;
    }
    painter.setFont(pageFont(8));
    painter.drawText(box(kMargin, y + 1, kRight - kMargin, 5), kLeft,
                     file.recordCount() == 0
                         ? QStringLiteral("Die Datei enthält keine Einträge.")
                         : QStringLiteral("Je Eintrag folgt ein Datenblatt. „!“: der Eintrag hat ein Problem; "
                                          "sein Datenblatt nennt es."));
}

// The overview's page (0 for the first) with the records from first on, as many as it holds.
void paintOverviewPage(QPainter &painter, const CatalogueSource &source, const QFileInfo &info,
                       const std::vector<bool> &marked, qsizetype overviewPage, qsizetype overviewPages)
{
    const ProbeFile &file = *source.file;
    paintHead(painter, info.fileName());
    qsizetype first = 0;
    qsizetype count = kOverviewFirstRows;
    double y = kFirstHeads;
    if (overviewPage == 0) {
        paintTitleBlock(painter, source, info);
    } else {
        first = kOverviewFirstRows + (overviewPage - 1) * kOverviewRows;
        count = kOverviewRows;
        y = kHeads;
    }
    const qsizetype end = std::min(file.recordCount(), first + count);
    if (first < end) {
        QStringList heads;
        for (const Column &column : kColumns) {
            heads.append(QString::fromUtf16(column.head));
        }
        paintRow(painter, y, heads, true, false);
        y += kRowHeight;
        painter.setPen(QPen(Qt::black, 0.2 * kDotsPerMm));
        painter.drawLine(at(kMargin, y), at(kRight, y));
        for (qsizetype index = first; index < end; ++index) {
            const OverviewRow row = overviewRow(file, index, marked[size_t(index)], overviewPages + index + 1);
            paintRow(painter, y, row.cells, false, row.problem);
            y += kRowHeight;
        }
    }
    paintFooter(painter, info.fileName(), source.printed);
}

// The record's problems in the free column of its data sheet, beneath its table, as many as
// there is room for.
void paintProblems(QPainter &painter, double top, const QList<Problem> &problems, qsizetype count)
{
    if (count == 0) {
        return;
    }
    const double width = kRight - kSheetColumnLeft;
    double y = top;
    painter.setPen(QColor(180, 0, 0));
    painter.setFont(pageFont(9, true));
    painter.drawText(box(kSheetColumnLeft, y, width, 6), kLeft,
                     count == 1 ? QStringLiteral("Problem dieses Eintrags")
                                : QStringLiteral("Probleme dieses Eintrags"));
    y += 7;
    painter.setPen(Qt::black);
    painter.setFont(pageFont(8));
    const QFontMetricsF metrics(painter.font());
    const double lineHeight = metrics.height() / kDotsPerMm;
    qsizetype shown = 0;
    for (const Problem &problem : problems) {
        const QString text = QStringLiteral("Zeile %1: %2").arg(problem.line).arg(problem.text);
        const QRectF needed = metrics.boundingRect(box(kSheetColumnLeft, y, width, 1000), Qt::TextWordWrap, text);
        // The last line of the room is kept for the count of those not shown.
        if (y + needed.height() / kDotsPerMm > kSheetColumnBottom - lineHeight && shown + 1 < count) {
            break;
        }
        painter.drawText(box(kSheetColumnLeft, y, width, kSheetColumnBottom - y), Qt::TextWordWrap, text);
        y += needed.height() / kDotsPerMm + 1;
        ++shown;
    }
    if (shown < count) {
        painter.drawText(box(kSheetColumnLeft, y, width, lineHeight), kLeft,
                         QStringLiteral("… und %1 weitere").arg(count - shown));
    }
}

} // namespace

qsizetype overviewPageCount(qsizetype records)
{
    if (records <= kOverviewFirstRows) {
        return 1;
    }
    return 1 + (records - kOverviewFirstRows + kOverviewRows - 1) / kOverviewRows;
}

qsizetype cataloguePageCount(qsizetype records)
{
    return overviewPageCount(records) + records;
}

bool writeCatalogue(const QString &path, const CatalogueSource &source, const CatalogueProgress &progress,
                    QString *error)
{
    const auto fail = [&](const QString &reason) {
        if (error) {
            *error = reason;
        }
        return false;
    };
    QSaveFile out(path);
    if (!openPdfOutput(out, error)) {
        return false;
    }
    const ProbeFile &file = *source.file;
    const QFileInfo info(source.path);
    const qsizetype records = file.recordCount();
    const qsizetype overviewPages = overviewPageCount(records);
    const qsizetype total = overviewPages + records;
    const quint64 failures = file.failures();

    // The overview marks a record with a problem before the sheets name them: a bit per record.
    std::vector<bool> marked(size_t(records), false);
    {
        ProblemCursor problems(file, source.path);
        for (const Problem *problem = problems.peek(); problem; problems.advance(), problem = problems.peek()) {
            const qsizetype record = recordOf(file, *problem);
            if (record >= 0) {
                marked[size_t(record)] = true;
            }
        }
    }

    bool stopped = false;
    {
        QPdfWriter writer(&out);
        setUpPages(writer);
        writer.setTitle(QStringLiteral("Katalog %1").arg(info.fileName()));
        writer.setCreator(QStringLiteral("Merivox"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            out.cancelWriting();
            return fail(QStringLiteral("%1 kann nicht geschrieben werden.").arg(path));
        }
        qsizetype page = 0;
        // Each page but the first starts with a new one; the one before is then written out.
        const auto startPage = [&] {
            if (page > 0) {
                writer.newPage();
            }
        };
        const auto pageDone = [&] {
            paintPageNumber(painter, ++page, total);
            stopped = progress && !progress(page, total);
            return !stopped;
        };
        for (qsizetype overviewPage = 0; overviewPage < overviewPages && !stopped; ++overviewPage) {
            startPage();
            paintOverviewPage(painter, source, info, marked, overviewPage, overviewPages);
            pageDone();
        }
        ProblemCursor problems(file, source.path);
        QList<Problem> carried; // read with a record's last line, but a later record's
        for (qsizetype index = 0; index < records && !stopped; ++index) {
            const ProbeFile::Record record = file.record(index);
            const qint64 lastLine = qint64(record.firstLine) + record.lineCount;
            QList<Problem> own;
            qsizetype count = 0;
            const auto take = [&](const Problem &problem) {
                const qsizetype of = recordOf(file, problem);
                if (of == index) {
                    if (own.size() < kProblemsKept) {
                        own.append(problem);
                    }
                    ++count;
                } else if (of > index) {
                    carried.append(problem);
                }
            };
            for (const Problem &problem : std::exchange(carried, {})) {
                take(problem);
            }
            for (const Problem *problem = problems.peek(); problem && problem->line <= lastLine;
                 problems.advance(), problem = problems.peek()) {
                take(*problem);
            }
            startPage();
            double tableEnd = kMargin + 25;
            paintDataSheet(painter, kDotsPerMm, {&file, index, info.fileName(), source.printed}, &tableEnd);
            paintProblems(painter, tableEnd + 4, own, count);
            pageDone();
        }
        if (stopped || file.failures() != failures) {
            out.cancelWriting();
        }
        painter.end();
    }
    if (stopped) {
        if (error) {
            error->clear();
        }
        return false;
    }
    if (file.failures() != failures) {
        // Pages read from a file left on disk that has since changed would show what is no longer there.
        return fail(QStringLiteral("%1 hat sich geändert, während der Katalog geschrieben wurde; er ist nicht "
                                   "geschrieben.")
                        .arg(info.fileName()));
    }
    if (!out.commit()) {
        return fail(QStringLiteral("%1 kann nicht geschrieben werden: %2").arg(path, out.errorString()));
    }
    return true;
}

} // namespace merivox
