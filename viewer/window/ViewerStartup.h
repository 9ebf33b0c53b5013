#pragma once

class QTextStream;
class QString;

namespace merivox {

// Everything merivox-view does from its start to its end: what needs no display through
// answerWithoutDisplay (ViewerCommand.h), --pdf with fonts but no window, otherwise the viewer
// window with the file named on the command line or chosen in a file dialog. The window part's
// entry only calls this.
int runViewer(int argc, char *argv[]);

// Writes the data sheet of the record whose lines include line (1-based) of the file at path as
// a PDF to pdfPath. Returns 0 when it is written, 1 when the line names no single record (outside
// every record, or shared by two), 2 when the file cannot be read, the PDF may not be written
// there (outputRefusal in OutputCheck.h) or cannot be; the reason goes to err. Needs a
// QGuiApplication.
int writeSheetFile(const QString &pdfPath, int line, const QString &path, QTextStream &out, QTextStream &err);

// Writes the catalogue of the whole file at path (Catalogue.h) as a PDF to pdfPath. Returns 0
// when it is written, whatever problems the file has (the catalogue names them); 2 when the file
// cannot be read, the PDF may not be written there (outputRefusal in OutputCheck.h) or cannot be;
// the reason goes to err. The file's bytes stay on disk while the pages are made. Needs a
// QGuiApplication.
int writeCatalogueFile(const QString &pdfPath, const QString &path, QTextStream &out, QTextStream &err);

} // namespace merivox
