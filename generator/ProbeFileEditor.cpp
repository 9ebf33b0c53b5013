#include "ProbeFileEditor.h"

#include "AppendFile.h"
#include "ProbeFileWriter.h"

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

} // namespace

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

ProbeFileEditor::Outcome ProbeFileEditor::finish(const ReplaceResult &result, const QString &failedText)
{
    m_cause = result.cause;
    m_error.clear();
    if (result.replaced) {
        m_hashAfter = result.newHash;
    }
    if (result.ok()) {
        return Outcome::Done;
    }
    const QString where = QDir::toNativeSeparators(m_path);
    m_error = result.replaced
                  ? QStringLiteral("Die Datei %1 wurde ersetzt, aber nicht sicher auf den Datenträger geschrieben.\n%2")
                        .arg(where, reasonText(result.cause, result.systemError, m_path))
                  : failedText.arg(where, reasonText(result.cause, result.systemError, m_path));
    const bool refused =
        result.cause == FileCause::Changed || result.cause == FileCause::InUse || result.cause == FileCause::BadRange;
    return refused && !result.replaced ? Outcome::Refused : Outcome::Failed;
}

ProbeFileEditor::Outcome ProbeFileEditor::remove(const QString &path, const QByteArray &seen, qint64 begin, qint64 end)
{
    m_path = path;
    m_canUndo = false;
    const ReplaceResult result =
        removeFromFile(nativePath(path), contentHash(bytesOf(seen)), std::uint64_t(begin), std::uint64_t(end));
    if (result.replaced) {
        m_removed = seen.mid(begin, end - begin);
        m_begin = begin;
        m_canUndo = true;
    }
    return finish(result, QStringLiteral("Der Eintrag konnte nicht aus der Datei %1 entfernt werden.\n%2"));
}

ProbeFileEditor::Outcome ProbeFileEditor::repair(const QString &path, const QByteArray &seen, qint64 begin,
                                                 qint64 end, const QByteArray &insert)
{
    m_path = path;
    m_canUndo = false;
    const ReplaceResult result = spliceFile(nativePath(path), contentHash(bytesOf(seen)), std::uint64_t(begin),
                                            std::uint64_t(end), bytesOf(insert));
    return finish(result, QStringLiteral("Die Datei %1 konnte nicht ausgebessert werden.\n%2"));
}

ProbeFileEditor::Outcome ProbeFileEditor::undo()
{
    if (!m_canUndo) {
        return Outcome::Refused;
    }
    const ReplaceResult result =
        insertIntoFile(nativePath(m_path), m_hashAfter, std::uint64_t(m_begin), bytesOf(m_removed));
    // Once the file has changed since the removal, or the bytes went back, there is nothing to undo.
    if (result.replaced || result.cause == FileCause::Changed) {
        m_canUndo = false;
    }
    return finish(result, QStringLiteral("Der Eintrag konnte nicht wieder in die Datei %1 eingefügt werden.\n%2"));
}

} // namespace merivox
