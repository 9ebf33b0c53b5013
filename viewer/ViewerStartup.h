#pragma once

#include <QtGlobal>

class QTextStream;
class QString;

namespace merivox {

// Everything merivox-view does from its start to its end: --help, --version, --check and --remove
// without a display, otherwise the viewer window with the file named on the command line or chosen in a
// file dialog. main only calls this.
int runViewer(int argc, char *argv[]);

// Checks the file: prints each problem as "LINE: text" and each hint as "LINE: Hinweis: text", by
// line, then "N Einträge, M Probleme" and, when there are hints, ", K Hinweise". Returns 0 when
// there is no problem (hints do not count), 1 when there is one or more, 2 when the file cannot be
// read (the reason goes to err).
int checkFile(const QString &path, QTextStream &out, QTextStream &err);

// "1 Eintrag, 2 Probleme", and ", 3 Hinweise" when there are any.
QString countText(qsizetype records, qsizetype problems, qsizetype hints);

// Writes the data sheet of the record whose lines include line (1-based) of the file at path as
// a PDF to pdfPath. Returns 0 when it is written, 1 when the line names no single record (outside
// every record, or shared by two), 2 when the file cannot be read or the PDF not written; the
// reason goes to err. Needs a QGuiApplication.
int writeSheetFile(const QString &pdfPath, int line, const QString &path, QTextStream &out, QTextStream &err);

} // namespace merivox
