#pragma once

#include <QByteArray>
#include <QString>

namespace merivox {

// The kind of file that an option or a menu command writes, as far as an existing file of that
// name may be written over: only when it starts with the kind's first bytes.
struct OutputKind final
{
    QByteArray start; // "%PDF-"
    QString name;     // "PDF-Datei", in "… ist keine PDF-Datei"
};

// The PDF of a data sheet.
OutputKind pdfOutput();

// Whether a file may be written at output while the probe file at input is read. Refused, with
// the German reason naming the path, when output is the input file itself (also through a link
// or another spelling of its path), when output is named usrprobe.dat in any folder and any
// case (a probe file, never an output), and when output already exists as a file that does not
// start as kind's files do, or cannot be read to see that. Empty when it may be written; a
// folder or a missing folder is left to the writer, which names it.
QString outputRefusal(const QString &output, const QString &input, const OutputKind &kind);

} // namespace merivox
