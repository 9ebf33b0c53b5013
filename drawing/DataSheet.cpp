#include "DataSheet.h"

#include "DecodedRecord.h"
#include "DimensionLabels.h"
#include "Materials.h"
#include "RecordDrawing.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cmath>

namespace merivox {

namespace {

constexpr double kPageWidth = 210.0; // A4, millimetres
constexpr double kPageHeight = 297.0;
constexpr double kMargin = 15.0;
// A part under this length at 1:1 is drawn larger.
constexpr double kSmallest = 20.0;
// The PDF's own resolution: painter units of 1/96 inch, as on a screen, so that the drawing's
// lines, arrows and gaps come out as they do there.
constexpr int kDotsPerInch = kSheetDotsPerInch;

QFont sheetFont(double points, bool bold = false)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont fixedFont(double points)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(points);
    return font;
}

QString linesText(const ProbeFile::Record &record)
{
    const quint32 first = record.firstLine + 1;
    const quint32 last = record.firstLine + record.lineCount;
    return first == last ? QStringLiteral("Zeile %1").arg(first) : QStringLiteral("Zeilen %1–%2").arg(first).arg(last);
}

// The sheet's table: a caption and its value per row.
struct Row
{
    QString caption;
    QString value;
};

QList<Row> tableRows(const DataSheetSource &source, const DecodedRecord &dimensions, const QString &length,
                     double scale)
{
    const ProbeFile &file = *source.file;
    const TipKindDescription *kind = dimensions.kind ? findTipKind(*dimensions.kind) : nullptr;
    QList<Row> rows{{QStringLiteral("Art"), kindName(dimensions.kind)},
                    {QStringLiteral("Benennung"), file.name(source.record)},
                    {QStringLiteral("Gewinde 1"), file.thread(source.record)}};
    if (kind && kind->secondThread) {
        rows.append({QStringLiteral("Gewinde 2"), dimensions.thread2});
    }
    // A record of no kind with a second colour is taken for a stylus too.
    const bool stylus = (!kind || kind->record == RecordKind::Stylus) && dimensions.ballColour.has_value();
    if (dimensions.shaftColour) {
        rows.append({stylus ? QStringLiteral("Schaft") : QStringLiteral("Werkstoff"),
                     materialText(*dimensions.shaftColour, ColourRole::Shaft)});
    }
    if (stylus) {
        rows.append({QStringLiteral("Tastelement"), materialText(*dimensions.ballColour, ColourRole::Ball)});
    }
    if (kind && kind->withoutHalfSphere && dimensions.withoutRoundEnd) {
        rows.append({QStringLiteral("Ausführung"), QStringLiteral("ohne Halbkugel")});
    }
    rows.append(Row{});
    for (const LabelledDimension &dimension : dimensions.labelled()) {
        rows.append({dimension.label, dimension.text + QStringLiteral(" mm")});
    }
    rows.append({QStringLiteral("Gesamtlänge"), length});
    rows.append({QStringLiteral("Maßstab"), scale > 0.0 ? scaleText(scale) : QStringLiteral("nicht gezeichnet")});
    return rows;
}

} // namespace

double sheetScale(double partMm, double fitScale)
{
    if (!(fitScale > 0.0) || !std::isfinite(fitScale) || !(partMm >= 0.0) || !std::isfinite(partMm)) {
        return 0.0;
    }
    if (fitScale >= 1.0 && partMm >= kSmallest) {
        return 1.0;
    }
    if (fitScale >= 1.0) {
        // Small: enlarged, until it is about three times the smallest length, as far as it fits.
        return seriesFloor(std::min(fitScale, 3 * kSmallest / std::max(partMm, 1e-9)));
    }
    return seriesFloor(fitScale);
}

double paintDataSheet(QPainter &painter, double dotsPerMm, const DataSheetSource &source, double *tableEnd)
{
    const ProbeFile &file = *source.file;
    const ProbeFile::Record &record = file.record(source.record);
    const QList<RecordLine> lines = file.lines(source.record);
    RecordDrawing drawing(lines);
    const DecodedRecord &dimensions = drawing.dimensions();
    // The sheet names numbers as the record writes them; the default locale where it has none.
    const QChar separator = labelSeparator(dimensions.decimal, QLocale());
    const auto mm = [dotsPerMm](double x, double y) {
        return QPointF(x * dotsPerMm, y * dotsPerMm);
    };
    const auto box = [dotsPerMm](double x, double y, double w, double h) {
        return QRectF(x * dotsPerMm, y * dotsPerMm, w * dotsPerMm, h * dotsPerMm);
    };
    const double right = kPageWidth - kMargin;

    painter.save();
    // Heading.
    painter.setPen(Qt::black);
    painter.setFont(sheetFont(16, true));
    painter.drawText(box(kMargin, kMargin, 120, 10), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Datenblatt"));
    painter.setFont(sheetFont(10));
    painter.drawText(box(kMargin + 100, kMargin, right - kMargin - 100, 10), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Merivox"));
    painter.setFont(sheetFont(13, true));
    const QString title = QStringLiteral("%1 – %2").arg(file.name(source.record), kindName(dimensions.kind));
    painter.drawText(box(kMargin, kMargin + 10, right - kMargin, 9), Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(painter.font()).elidedText(title, Qt::ElideRight, (right - kMargin) * dotsPerMm));
    painter.setPen(QPen(Qt::black, 0.3 * dotsPerMm));
    painter.drawLine(mm(kMargin, kMargin + 21), mm(right, kMargin + 21));

    // The drawing, to scale, in its box on the left.
    const QRectF drawingBox = box(kMargin, kMargin + 25, 105, 160);
    painter.setFont(sheetFont(8));
    double scale = 0.0;
    // A part drawn without some of its solids would not be the component to scale.
    if (!drawing.isEmpty() && drawing.isComplete()) {
        const QRectF extent = drawing.extent();
        const double fit = drawing.fittedScale(QFontMetricsF(painter.font()), drawingBox) / dotsPerMm;
        scale = sheetScale(std::max(drawing.overallLength(), extent.width()), fit);
        // Only a part that lies in its box at that scale is drawn: the fit has a lower bound,
        // and a part far wider than long at that bound would not.
        const double dots = scale * dotsPerMm;
        if (!(extent.width() * dots <= drawingBox.width()) ||
            !(drawing.overallLength() * dots <= drawingBox.height())) {
            scale = 0.0;
        }
    }
    if (scale > 0.0) {
        painter.save();
        painter.setClipRect(drawingBox);
        drawing.paintScaled(painter, drawingBox, scale * dotsPerMm, scale);
        painter.restore();
    } else {
        painter.setPen(Qt::gray);
        painter.drawText(drawingBox, Qt::AlignCenter, QStringLiteral("Nicht maßstäblich zu zeichnen"));
    }
    painter.setPen(Qt::black);
    painter.setFont(sheetFont(9, true));
    painter.drawText(box(kMargin, kMargin + 186, 105, 6), Qt::AlignLeft | Qt::AlignVCenter,
                     scale > 0.0 ? QStringLiteral("Maßstab %1").arg(scaleText(scale)) : QString());

    // The table on the right.
    const double tableLeft = kMargin + 110;
    const double tableWidth = right - tableLeft;
    double y = kMargin + 25;
    const QList<Row> rows = tableRows(source, dimensions, millimetresText(drawing.overallLength(), separator), scale);
    for (const Row &row : rows) {
        if (row.caption.isEmpty()) {
            y += 3;
            continue;
        }
        painter.setFont(sheetFont(9, true));
        painter.drawText(box(tableLeft, y, 30, 6), Qt::AlignLeft | Qt::AlignVCenter, row.caption);
        painter.setFont(sheetFont(9));
        const QFontMetricsF metrics(painter.font());
        painter.drawText(box(tableLeft + 31, y, tableWidth - 31, 6), Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(row.value, Qt::ElideRight, (tableWidth - 31) * dotsPerMm));
        y += 6;
    }
    if (tableEnd) {
        *tableEnd = y;
    }

    // The record as it stands in the file.
    double textTop = kMargin + 195;
    painter.setFont(sheetFont(9, true));
    painter.drawText(box(kMargin, textTop, right - kMargin, 6), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Eintrag in der Datei, %1").arg(linesText(record)));
    textTop += 7;
    painter.setFont(fixedFont(8));
    const QFontMetricsF fixed(painter.font());
    const double lineHeight = fixed.height() / dotsPerMm;
    const double textBottom = kPageHeight - kMargin - 8;
    const auto room = qsizetype((textBottom - textTop) / lineHeight);
    const QStringList text = file.text(source.record).split(QLatin1Char('\n'));
    const qsizetype shown = text.size() <= room ? text.size() : std::max<qsizetype>(room - 1, 0);
    for (qsizetype i = 0; i < shown; ++i) {
        painter.drawText(mm(kMargin, textTop + i * lineHeight) + QPointF(0, fixed.ascent()),
                         fixed.elidedText(text.at(i), Qt::ElideRight, (right - kMargin) * dotsPerMm));
    }
    if (shown < text.size()) {
        painter.drawText(mm(kMargin, textTop + shown * lineHeight) + QPointF(0, fixed.ascent()),
                         QStringLiteral("… und %1 weitere Zeilen").arg(text.size() - shown));
    }

    // Footer: where it comes from and when it was printed.
    painter.setPen(QPen(Qt::black, 0.2 * dotsPerMm));
    painter.drawLine(mm(kMargin, kPageHeight - kMargin - 6), mm(right, kPageHeight - kMargin - 6));
    painter.setFont(sheetFont(8));
    painter.drawText(box(kMargin, kPageHeight - kMargin - 5, 120, 5), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Datei: %1").arg(source.fileName));
    painter.drawText(box(kMargin + 100, kPageHeight - kMargin - 5, right - kMargin - 100, 5),
                     Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Gedruckt am %1").arg(source.printed.toString(QStringLiteral("dd.MM.yyyy"))));
    painter.restore();
    return scale;
}

bool openPdfOutput(QSaveFile &out, QString *error)
{
    const auto fail = [&](const QString &reason) {
        if (error) {
            *error = reason;
        }
        return false;
    };
    const QString path = out.fileName();
    const QFileInfo target(path);
    if (target.isDir()) {
        return fail(QStringLiteral("%1 ist ein Ordner, keine Datei.").arg(path));
    }
    if (!target.absoluteDir().exists()) {
        return fail(
            QStringLiteral("Der Ordner %1 existiert nicht.").arg(QDir::toNativeSeparators(target.absolutePath())));
    }
    if (!out.open(QIODevice::WriteOnly)) {
        return fail(QStringLiteral("%1 kann nicht geschrieben werden: %2").arg(path, out.errorString()));
    }
    return true;
}

void setUpPages(QPdfWriter &writer)
{
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(kSheetDotsPerInch);
}

bool writeDataSheet(const QString &path, const DataSheetSource &source, QString *error)
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
    {
        QPdfWriter writer(&out);
        setUpPages(writer);
        writer.setTitle(QStringLiteral("Datenblatt %1").arg(source.file->name(source.record)));
        writer.setCreator(QStringLiteral("Merivox"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            out.cancelWriting();
            return fail(QStringLiteral("%1 kann nicht geschrieben werden.").arg(path));
        }
        paintDataSheet(painter, kDotsPerInch / 25.4, source);
        painter.end();
    }
    if (!out.commit()) {
        return fail(QStringLiteral("%1 kann nicht geschrieben werden: %2").arg(path, out.errorString()));
    }
    return true;
}

} // namespace merivox
