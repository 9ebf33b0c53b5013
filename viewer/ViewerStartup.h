#pragma once

#include <QtGlobal>

class QTextStream;
class QString;

namespace merivox {

// Everything merivox-view does from its start to its end: --help, --version and --check without
// a display, otherwise the viewer window with the file named on the command line or chosen in a
// file dialog. main only calls this.
int runViewer(int argc, char *argv[]);

// Checks the file: prints each problem as "LINE: text" and each hint as "LINE: Hinweis: text", by
// line, then "N Einträge, M Probleme" and, when there are hints, ", K Hinweise". Returns 0 when
// there is no problem (hints do not count), 1 when there is one or more, 2 when the file cannot be
// read (the reason goes to err).
int checkFile(const QString &path, QTextStream &out, QTextStream &err);

// "1 Eintrag, 2 Probleme", and ", 3 Hinweise" when there are any.
QString countText(qsizetype records, qsizetype problems, qsizetype hints);

} // namespace merivox
