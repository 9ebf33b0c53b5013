#include "FileCauseText.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace merivox {

namespace {

// One row a cause. An empty cell: Change and History take Append's words; Append and Read the
// system's text. A Read cell that starts with "%1" is a sentence about the file (its path); any
// other follows "<path> kann nicht gelesen werden: ".
struct CauseWords
{
    FileCause cause;
    const char *append;
    const char *change;
    const char *history;
    const char *read;
};

constexpr std::array kWords{
    CauseWords{FileCause::Missing, "Der Ordner existiert nicht.", "Die Datei existiert nicht.", nullptr,
               "%1 existiert nicht."},
    CauseWords{FileCause::FolderMissing, "Der Ordner existiert nicht.", nullptr, nullptr,
               "Der Ordner existiert nicht."},
    CauseWords{FileCause::AccessDenied, "Zugriff verweigert.", nullptr, nullptr, "Zugriff verweigert."},
    CauseWords{FileCause::FolderAccessDenied, nullptr, nullptr, nullptr, "Zugriff auf den Ordner verweigert."},
    CauseWords{FileCause::DiskFull, "Auf dem Datenträger ist nicht genügend Speicherplatz frei.", nullptr, nullptr,
               nullptr},
    CauseWords{FileCause::SizeLimit, "Die Datei hat die erlaubte Größe erreicht.", nullptr, nullptr, nullptr},
    CauseWords{FileCause::IsFolder, "Unter diesem Namen besteht bereits ein Ordner.", nullptr,
               "Unter seinem Namen besteht ein Ordner.", "%1 ist ein Ordner, keine Datei."},
    CauseWords{FileCause::NotRegular, nullptr, nullptr, "Er ist keine gewöhnliche Datei.",
               "%1 ist keine gewöhnliche Datei (sondern ein Gerät, eine Pipe oder ein Socket) und wird nicht "
               "gelesen."},
    CauseWords{FileCause::TooLarge, nullptr, nullptr, nullptr, "%1 ist zu groß (über 4 GB)."},
    // An append held up by another program gets the system's words; a change says what else it may mean.
    CauseWords{FileCause::InUse, nullptr,
               "Die Datei wird von einem anderen Programm verwendet, oder das Laufwerk kann sie nicht in einem "
               "Schritt ersetzen.",
               nullptr, "Die Datei wird gerade von einem anderen Programm beschrieben."},
    CauseWords{FileCause::Changed, nullptr, "Die Datei wurde geändert, seit sie eingelesen wurde.", nullptr, nullptr},
    CauseWords{FileCause::BadRange, nullptr, "Der Eintrag steht nicht in der Datei.", nullptr, nullptr},
    CauseWords{FileCause::ForeignBackup, nullptr,
               "Die Sicherung %1 lässt sich nicht lesen und wird nicht überschrieben.", nullptr, nullptr},
    CauseWords{FileCause::NoPermissions, nullptr,
               "Die Zugriffsrechte der Datei lassen sich nicht auf die neue Fassung übertragen.",
               "Die Zugriffsrechte der Datei lassen sich nicht auf ihn übertragen.", nullptr},
};

const CauseWords *wordsOf(FileCause cause)
{
    for (const CauseWords &row : kWords) {
        if (row.cause == cause) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace

QString causeText(FileTask task, FileCause cause, int systemError, const QString &path)
{
    const CauseWords *row = wordsOf(cause);
    const char *own = nullptr;
    switch (task) {
    case FileTask::Append:
        own = row ? row->append : nullptr;
        break;
    case FileTask::Change:
        own = row ? (row->change ? row->change : row->append) : nullptr;
        break;
    case FileTask::History:
        own = row ? (row->history ? row->history : row->append) : nullptr;
        break;
    case FileTask::Read: {
        const QString shown = QDir::toNativeSeparators(path);
        const QString words = row && row->read ? QString::fromUtf8(row->read) : qt_error_string(systemError);
        return words.startsWith(QLatin1String("%1"))
                   ? words.arg(shown)
                   : QStringLiteral("%1 kann nicht gelesen werden: %2").arg(shown, words);
    }
    }
    if (!own) {
        return qt_error_string(systemError);
    }
    const QString words = QString::fromUtf8(own);
    // The backup that stands in a change's way is named beside the file.
    return words.contains(QLatin1String("%1")) ? words.arg(QFileInfo(path).fileName() + QStringLiteral(".bak")) : words;
}

} // namespace merivox
