#pragma once

class QTextStream;
class QString;

namespace merivox {

// Everything merivox-view does from its start to its end: --help, --version, --check and --remove
// without a display, otherwise the viewer window with the file named on the command line or chosen in a
// file dialog. main only calls this.
int runViewer(int argc, char *argv[]);

// Checks the file: prints each problem as "LINE: text", then "N Einträge, M Probleme". Returns 0
// when there is no problem, 1 when there is one or more, 2 when the file cannot be read (the
// reason goes to err).
int checkFile(const QString &path, QTextStream &out, QTextStream &err);

} // namespace merivox
