#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

class QTextStream;

namespace merivox {

// What merivox-view is asked to do, read from its arguments without any application object.
struct ViewerRequest final
{
    enum class Action { Help, Version, Check, Remove, Sheet, Window, Refused };
    Action action = Action::Window;
    QString path;     // the probe file; for the window empty when the file dialog is to ask for it
    int line = 0;     // --remove, --pdf: the line whose record is meant
    QString pdfPath;  // --pdf
    QString refusal;  // Refused: what is wrong, printed before the help text
};

// Reads merivox-view's arguments. --help and --version answer at once, wherever they stand, unless an
// argument before them is refused already.
ViewerRequest readViewerArguments(int argc, char *argv[]);

// Answers what needs neither a window nor fonts (--help, --version, --check, --remove, a refused
// command line) on out and err and returns the exit code; nullopt for the window and the data sheet.
// Needs Qt Core only.
std::optional<int> answerWithoutDisplay(const ViewerRequest &request, int &argc, char *argv[], QTextStream &out,
                                        QTextStream &err);

// Checks the file: prints each problem as "LINE: text" and each hint as "LINE: Hinweis: text", by
// line, then "N Einträge, M Probleme" and, when there are hints, ", K Hinweise". Returns 0 when
// there is no problem (hints do not count), 1 when there is one or more, 2 when the file cannot be
// read (the reason goes to err).
int checkFile(const QString &path, QTextStream &out, QTextStream &err);

// "1 Eintrag, 2 Probleme", and ", 3 Hinweise" when there are any.
QString countText(qsizetype records, qsizetype problems, qsizetype hints);

} // namespace merivox
