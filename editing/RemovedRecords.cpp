#include "RemovedRecords.h"

#include "ChangeOutcome.h"
#include "FileCauseText.h"
#include "ProbeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace merivox {

namespace {

QString actionText(HistoryAction action)
{
    switch (action) {
    case HistoryAction::Remove:
        return QStringLiteral("entfernt");
    case HistoryAction::Repair:
        return QStringLiteral("ausgebessert");
    case HistoryAction::Backup:
        return QStringLiteral("aus der Sicherung gerettet");
    case HistoryAction::Undo:
    case HistoryAction::Restore:
        return QStringLiteral("ersetzt");
    }
    return {};
}

QString linesText(const HistoryEntry &entry)
{
    if (entry.lastLine <= entry.firstLine) {
        return QString::number(entry.firstLine);
    }
    return QStringLiteral("%1 bis %2").arg(entry.firstLine).arg(entry.lastLine);
}

QString whenText(const std::string &when)
{
    const QDateTime moment = QDateTime::fromString(QString::fromLatin1(when), Qt::ISODate);
    return moment.isValid() ? moment.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                            : QString::fromLatin1(when);
}

} // namespace

RemovedRecords RemovedRecords::of(std::string_view history, const ProbeFile &file)
{
    RemovedRecords list;
    for (qsizetype i = 0; i < file.recordCount(); ++i) {
        const auto [name, thread] = file.nameAndThreadBytes(i);
        list.m_inFile.append({name.toByteArray(), thread.toByteArray()});
    }
    const QByteArray current = file.bytes();
    list.m_content = current;
    for (HistoryEntry &entry :
         historyNewestFirst(history, std::string_view(current.constData(), size_t(current.size())))) {
        if (!offeredForRestore(entry)) {
            continue;
        }
        Row row;
        // Read as the reader reads the file, so that the names look as in the window's table.
        const ProbeFile removed =
            ProbeFile::fromBytes(QByteArray(entry.removed.data(), qsizetype(entry.removed.size())));
        if (removed.recordCount() > 0) {
            row.name = removed.name(0);
            row.thread = removed.thread(0);
            const auto [name, thread] = removed.nameAndThreadBytes(0);
            row.nameBytes = name.toByteArray();
            row.threadBytes = thread.toByteArray();
        }
        row.when = whenText(entry.when);
        row.lines = linesText(entry);
        row.action = actionText(entry.action);
        row.entry = std::move(entry);
        list.m_rows.append(std::move(row));
    }
    return list;
}

std::optional<RemovedRecords> RemovedRecords::read(const QString &path, QString *error)
{
    const std::optional<ProbeFile> file = ProbeFile::read(path, error);
    if (!file) {
        return std::nullopt;
    }
    std::string history;
    const FileResult read = readHistory(QDir::toNativeSeparators(path).toStdU16String(), history);
    if (!read.ok()) {
        if (error) {
            *error = QStringLiteral("Der Verlauf %1 lässt sich nicht lesen: %2")
                         .arg(QDir::toNativeSeparators(path) + QStringLiteral(".history"),
                              causeText(FileTask::History, read.cause, read.systemError, path));
        }
        return std::nullopt;
    }
    return of(history, *file);
}

bool RemovedRecords::alreadyInFile(qsizetype row) const
{
    const Row &shown = m_rows.at(row);
    return !shown.nameBytes.isEmpty() && m_inFile.contains(std::pair{shown.nameBytes, shown.threadBytes});
}

QString RemovedRecords::listLine(qsizetype row) const
{
    const Row &shown = m_rows.at(row);
    return QStringLiteral("%1: %2, %3, %4 am %5")
        .arg(row + 1)
        .arg(recordText(shown.name, shown.thread), shown.linesNamed(), shown.action, shown.when);
}

} // namespace merivox
