#include "ProbeFileEditor.h"

#include "Windows1252.h"

#include "AppendFile.h"
#include "ProbeFileWriter.h"
#include "ReadFile.h"

#include <QDir>
#include <QFileInfo>

namespace merivox {

namespace {

std::filesystem::path nativePath(const QString &path)
{
    return std::filesystem::path(QDir::toNativeSeparators(path).toStdU16String());
}

std::string_view bytesOf(const QByteArray &bytes)
{
    return {bytes.constData(), size_t(bytes.size())};
}

std::string stringOf(const QByteArray &bytes)
{
    return std::string(bytesOf(bytes));
}

QByteArray arrayOf(std::string_view bytes)
{
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// "usrprobe.dat.history" for the file at path.
QString historyFileName(const QString &path)
{
    return QFileInfo(path).fileName() + QStringLiteral(".history");
}

// How often the file is read again when it changed between reading it and taking its lock: each
// time another station appended meanwhile.
constexpr int kAttempts = 5;

// Below this size the whole file is read to put bytes back; a larger one is refused as the reader
// refuses it.
constexpr std::uint64_t kLargest = std::uint64_t(4) << 30;

} // namespace

ProbeFileEditor::Removed ProbeFileEditor::Removed::fromHistory(const HistoryEntry &entry)
{
    Removed removed;
    removed.bytes = arrayOf(entry.removed);
    removed.at = qint64(entry.at);
    // What is known of the bytes before its place: their own hash, or in an entry without it the
    // whole content that the change left. A record rescued from a .bak was never at this place of
    // the file: it only goes to the end.
    removed.knownLength = entry.action == HistoryAction::Backup ? -1
                          : entry.prefixHash                    ? qint64(entry.at)
                                                                : qint64(entry.afterLength);
    removed.knownHash = entry.prefixHash.value_or(entry.afterHash);
    removed.name = arrayOf(entry.name);
    removed.thread = arrayOf(entry.thread);
    return removed;
}

QString ProbeFileEditor::reasonText(FileCause cause, int systemError, const QString &path)
{
    switch (cause) {
    case FileCause::Changed:
        return QStringLiteral("Die Datei wurde geändert, seit sie eingelesen wurde.");
    case FileCause::BadRange:
        return QStringLiteral("Der Eintrag steht nicht in der Datei.");
    case FileCause::InUse:
        return QStringLiteral("Die Datei wird von einem anderen Programm verwendet, oder das Laufwerk kann sie nicht "
                              "in einem Schritt ersetzen.");
    case FileCause::ForeignBackup:
        return QStringLiteral("Die Sicherung %1 lässt sich nicht lesen und wird nicht überschrieben.")
            .arg(QFileInfo(path + QStringLiteral(".bak")).fileName());
    case FileCause::NoPermissions:
        return QStringLiteral("Die Zugriffsrechte der Datei lassen sich nicht auf die neue Fassung übertragen.");
    case FileCause::Missing:
        return QStringLiteral("Die Datei existiert nicht.");
    // The same causes as when a record is appended, in the same words.
    case FileCause::None:
    case FileCause::FolderMissing:
    case FileCause::AccessDenied:
    case FileCause::FolderAccessDenied:
    case FileCause::DiskFull:
    case FileCause::SizeLimit:
    case FileCause::IsFolder:
    case FileCause::NotRegular:
    case FileCause::TooLarge:
    case FileCause::Other:
        break;
    }
    return ProbeFileWriter::reasonText(cause, systemError);
}

QString ProbeFileEditor::historyReasonText(FileCause cause, int systemError, const QString &path)
{
    QString why;
    switch (cause) {
    case FileCause::NoPermissions:
        why = QStringLiteral("Die Zugriffsrechte der Datei lassen sich nicht auf ihn übertragen.");
        break;
    case FileCause::IsFolder:
        why = QStringLiteral("Unter seinem Namen besteht ein Ordner.");
        break;
    case FileCause::NotRegular:
        why = QStringLiteral("Er ist keine gewöhnliche Datei.");
        break;
    // As when a record is appended, in the same words.
    case FileCause::None:
    case FileCause::Missing:
    case FileCause::FolderMissing:
    case FileCause::AccessDenied:
    case FileCause::FolderAccessDenied:
    case FileCause::DiskFull:
    case FileCause::SizeLimit:
    case FileCause::TooLarge:
    case FileCause::InUse:
    case FileCause::Changed:
    case FileCause::BadRange:
    case FileCause::ForeignBackup:
    case FileCause::Other:
        why = ProbeFileWriter::reasonText(cause, systemError);
        break;
    }
    return QStringLiteral("Der Verlauf %1 ließ sich nicht lesen oder schreiben; die Datei wurde nicht geändert.\n%2")
        .arg(historyFileName(path), why);
}

ProbeFileEditor::Outcome ProbeFileEditor::finish(const ReplaceResult &result, const QString &failedText)
{
    m_cause = result.cause;
    m_error.clear();
    if (result.ok()) {
        return Outcome::Done;
    }
    const QString where = QDir::toNativeSeparators(m_path);
    const QString reason = result.historyFailed ? historyReasonText(result.cause, result.systemError, m_path)
                                                : reasonText(result.cause, result.systemError, m_path);
    m_error = result.replaced
                  ? QStringLiteral("Die Datei %1 wurde ersetzt, aber nicht sicher auf den Datenträger geschrieben.\n%2")
                        .arg(where, reason)
                  : failedText.arg(where, reason);
    if (result.historyFailed) {
        return Outcome::Failed;
    }
    const bool refused =
        result.cause == FileCause::Changed || result.cause == FileCause::InUse || result.cause == FileCause::BadRange;
    return refused && !result.replaced ? Outcome::Refused : Outcome::Failed;
}

ProbeFileEditor::Outcome ProbeFileEditor::remove(const QString &path, const QByteArray &seen, qint64 begin, qint64 end,
                                                 const QByteArray &name, const QByteArray &thread)
{
    m_path = path;
    m_canUndo = false;
    ChangeNote note{HistoryAction::Remove, 0, 0, stringOf(name), stringOf(thread)};
    const ReplaceResult result =
        removeFromFile(nativePath(path), contentHash(bytesOf(seen)), std::uint64_t(begin), std::uint64_t(end), note);
    if (result.replaced) {
        m_last =
            Removed{seen.mid(begin, end - begin), begin, begin, contentHash(bytesOf(seen.first(begin))), name, thread};
        m_canUndo = true;
    }
    return finish(result, QStringLiteral("Der Eintrag konnte nicht aus der Datei %1 entfernt werden.\n%2"));
}

ProbeFileEditor::Outcome ProbeFileEditor::repair(const QString &path, const QByteArray &seen, qint64 begin, qint64 end,
                                                 const QByteArray &insert)
{
    m_path = path;
    m_canUndo = false;
    const ReplaceResult result =
        spliceFile(nativePath(path), contentHash(bytesOf(seen)), std::uint64_t(begin), std::uint64_t(end),
                   bytesOf(insert), ChangeNote{HistoryAction::Repair, 0, 0, {}, {}});
    return finish(result, QStringLiteral("Die Datei %1 konnte nicht ausgebessert werden.\n%2"));
}

ProbeFileEditor::Outcome ProbeFileEditor::putBack(const QString &path, const Removed &removed, Place place,
                                                  HistoryAction action, const AlreadyThere &alreadyThere)
{
    m_path = path;
    m_oldPlaceGone = false;
    m_alreadyInFile = false;
    const QString failedText = QStringLiteral("Der Eintrag konnte nicht wieder in die Datei %1 eingefügt werden.\n%2\n"
                                              "Er bleibt im Verlauf %3 aufbewahrt.")
                                   .arg(QStringLiteral("%1"), QStringLiteral("%2"), historyFileName(path));
    const std::filesystem::path file = nativePath(path);
    ReplaceResult result;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string content;
        std::uint64_t got = 0;
        const ReadResult read = readWholeFile(
            file, kLargest,
            [&content](std::uint64_t size) {
                content.resize(size_t(size));
                return content.data();
            },
            got);
        if (!read.ok()) {
            return finish(ReplaceResult{{read.cause, read.systemError}}, failedText);
        }
        content.resize(size_t(got));
        if (alreadyThere && alreadyThere(content)) {
            m_alreadyInFile = true;
            m_cause = FileCause::Changed;
            m_error = QStringLiteral("Ein Eintrag %1 mit Gewinde %2 steht schon in der Datei; nichts eingefügt.\n"
                                     "Er bleibt im Verlauf %3 aufbewahrt.")
                          .arg(windows1252::decode(removed.name), windows1252::decode(removed.thread),
                               historyFileName(path));
            return Outcome::Refused;
        }

        std::string bytes = stringOf(removed.bytes);
        std::uint64_t at = content.size();
        if (place == Place::OldPlace) {
            const bool known =
                removed.knownLength >= 0 && removed.at <= removed.knownLength &&
                std::uint64_t(removed.knownLength) <= content.size() &&
                contentHash(std::string_view(content).substr(0, size_t(removed.knownLength))) == removed.knownHash;
            const bool lineStart = known && (removed.at == 0 || content[size_t(removed.at) - 1] == '\n' ||
                                             content[size_t(removed.at) - 1] == '\r');
            if (!lineStart) {
                m_oldPlaceGone = true;
                m_cause = FileCause::Changed;
                m_error = QStringLiteral("Die Datei vor der Stelle, an der der Eintrag stand, wurde seither geändert; "
                                         "er kann nur am Ende der Datei wieder eingefügt werden.\n"
                                         "Er bleibt im Verlauf %1 aufbewahrt.")
                              .arg(historyFileName(path));
                return Outcome::Refused;
            }
            at = std::uint64_t(removed.at);
            // Bytes that ended without a line end (the file's last line) get one when lines follow now.
            if (at < content.size() && !bytes.empty()) {
                bytes += detail::lineEndAfter(bytes.back());
            }
        } else if (!content.empty()) {
            bytes.insert(0, detail::lineEndAfter(content.back()));
        }
        result = spliceFile(file, contentHash(content), at, at, bytes,
                            ChangeNote{action, 0, 0, stringOf(removed.name), stringOf(removed.thread)});
        // Changed between reading and locking: another station appended; read again.
        if (result.replaced || result.cause != FileCause::Changed) {
            break;
        }
    }
    return finish(result, failedText);
}

ProbeFileEditor::Outcome ProbeFileEditor::undo(const AlreadyThere &alreadyThere)
{
    if (!m_canUndo) {
        return Outcome::Refused;
    }
    const Outcome outcome = putBack(m_path, m_last, Place::OldPlace, HistoryAction::Undo, alreadyThere);
    if (outcome == Outcome::Done) {
        m_canUndo = false;
    }
    return outcome;
}

ProbeFileEditor::Outcome ProbeFileEditor::undoAtEnd(const AlreadyThere &alreadyThere)
{
    if (!m_canUndo) {
        return Outcome::Refused;
    }
    const Outcome outcome = putBack(m_path, m_last, Place::End, HistoryAction::Undo, alreadyThere);
    if (outcome == Outcome::Done) {
        m_canUndo = false;
    }
    return outcome;
}

bool ProbeFileEditor::stillUndoable(const QByteArray &current)
{
    if (!m_canUndo) {
        return false;
    }
    std::string history;
    if (!readHistory(nativePath(m_path), history).ok()) {
        m_canUndo = false;
        return false;
    }
    const std::string bytes = stringOf(m_last.bytes);
    for (const HistoryEntry &entry : historyNewestFirst(history, bytesOf(current))) {
        if (entry.action == HistoryAction::Remove && entry.at == std::uint64_t(m_last.at) && entry.removed == bytes) {
            break; // the removal itself: nothing put it back since
        }
        if ((entry.action == HistoryAction::Undo || entry.action == HistoryAction::Restore) &&
            entry.outcome != HistoryOutcome::NotDone && entry.inserted.find(bytes) != std::string::npos) {
            m_canUndo = false;
            break;
        }
    }
    return m_canUndo;
}

} // namespace merivox
