#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

class QTextStream;

namespace merivox {

// What merivox-view is asked to do, read from its arguments without any application object.
struct ViewerRequest final
{
    enum class Action { Help, Version, Check, Remove, Repair, History, Restore, Sheet, Catalogue, Window, Refused };
    Action action = Action::Window;
    QString path;     // the probe file; for the window empty when the file dialog is to ask for it
    int line = 0;     // --remove, --pdf: the line whose record is meant
    int entry = 0;    // --restore: the number of the entry in --history's list
    QString pdfPath;  // --pdf, the data sheet's or the catalogue's
    QString refusal;  // Refused: what is wrong, one line, printed before the pointer to --help
};

// Reads merivox-view's arguments, the program's own name first. Every option is one of the
// program's option definitions, which the help lists too. A command line that cannot be read
// (an unknown option, a missing or a wrong value, an argument too many, two options that
// exclude each other) is refused with what is wrong, naming the value; otherwise --help wins,
// then --version, wherever they stand.
ViewerRequest readViewerArguments(const QStringList &arguments);

// The same for the process's own arguments, as text (programArguments in ProgramArguments.h).
ViewerRequest readViewerArguments(int argc, char *argv[]);

// The text of --help: the calls, what the program does, and every option with its description.
QString viewerHelpText();

// Answers what needs neither a window nor fonts (--help, --version, --check, --remove, --repair,
// --history, --restore, a refused
// command line, a data sheet or catalogue refused for where it would be written) on out and err
// and returns the exit code; nullopt for the window, the data sheet and the catalogue. Needs Qt
// Core only.
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
