#pragma once

// The data sheet of one record for the stylus cabinet: one A4 page with the component drawn to
// scale and its scale printed, the dimensions of its kind read back from the record, its name,
// threads and materials, the record's text, the file's name and the date of printing. All texts
// German; the PDF holds them as text.

#include "ProbeFile.h"

#include <QDate>
#include <QRectF>
#include <QString>

class QPainter;
class QPdfWriter;
class QSaveFile;

namespace merivox {

struct DataSheetSource
{
    const ProbeFile *file = nullptr;
    qsizetype record = 0;
    QString fileName; // shown on the sheet, without its folder
    QDate printed;
};

// The drawing's scale on paper for a part whose larger extent is partMm and that fits its box up
// to the scale fitScale: 1:1 where it fits, unless the part would come out under 20 mm, else the
// largest scale of the 1-2-5 series that fits (1:2, 1:5, ... or 2:1, 5:1, ...). 0 when the part
// cannot be drawn at any scale.
double sheetScale(double partMm, double fitScale);

// Paints the sheet on a page of pageMm (A4) whose painter is set up in millimetres times
// dotsPerMm. Returns the drawing's scale on paper (0 when the part was not drawn). With
// tableEnd, says in millimetres from the page's top where the table on the right ends: below it,
// down to the record's text, the right-hand column is free.
double paintDataSheet(QPainter &painter, double dotsPerMm, const DataSheetSource &source, double *tableEnd = nullptr);

// Writes the sheet as a one-page PDF to path. An existing file is replaced only once the whole
// new one is written. False with a German reason when it cannot be written.
bool writeDataSheet(const QString &path, const DataSheetSource &source, QString *error = nullptr);

// What a sheet and a catalogue share on their way to disk. openPdfOutput opens out (made on the
// PDF's path) so that the file takes its name only when committed; a folder, a missing folder or
// a file that cannot be opened is refused with a German reason. setUpPages lays A4 pages without
// margins, kSheetDotsPerInch to the inch, on the writer.
constexpr int kSheetDotsPerInch = 96;
bool openPdfOutput(QSaveFile &out, QString *error);
void setUpPages(QPdfWriter &writer);

} // namespace merivox
