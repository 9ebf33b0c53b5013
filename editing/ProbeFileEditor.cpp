#include "ProbeFileEditor.h"

#include "AppendFile.h"
#include "LineRepair.h"
#include "ProbeFile.h"
#include "ReadFile.h"
#include "ReaderTexts.h"
#include "RecordBytes.h"
#include "RemovedRecords.h"

#include <QDir>

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

std::string stringOf(QByteArrayView bytes)
{
    return std::string(bytes.constData(), size_t(bytes.size()));
}

// How often the file is read again when it changed between reading it and taking its lock: each
// time another station appended meanwhile.
constexpr int kAttempts = 5;

// Below this size the whole file is read to put bytes back; a larger one is refused as the reader
// refuses it.
constexpr std::uint64_t kLargest = std::uint64_t(4) << 30;

// Bytes to put back, with what is known of the bytes before their old place.
struct PutBack
{
    HistoryAction action = HistoryAction::Undo;
    std::string bytes; // exactly as taken out
    std::uint64_t at = 0;
    // The file's first knownLength bytes as the removal left them hash to knownHash, and at <=
    // knownLength: while the file still starts with them, the bytes before at are the same as when
    // the bytes were taken out, and the old place is still their place. -1: no old place.
    qint64 knownLength = -1;
    std::uint64_t knownHash = 0;
    std::string nameBytes, threadBytes; // the record's, as its bytes stood in the file, for the history
    // The record that the bytes hold as the reader reads them: its name and thread as they stand
    // in the file, for the duplicate rule (empty for lines of no record), and for the questions.
    QByteArray keyName, keyThread;
    QString name, thread;

    PutBack(const HistoryEntry &entry, HistoryAction as)
        : action(as), bytes(entry.removed), at(entry.at),
          // A record rescued from a .bak was never at this place of the file: it only goes to the
          // end. An entry without the hash of the bytes before its place has the whole content
          // that the change left.
          knownLength(entry.action == HistoryAction::Backup ? -1
                      : entry.prefixHash                    ? qint64(entry.at)
                                                            : qint64(entry.afterLength)),
          knownHash(entry.prefixHash.value_or(entry.afterHash)), nameBytes(entry.name), threadBytes(entry.thread),
          keyName(QByteArray::fromStdString(entry.name)), keyThread(QByteArray::fromStdString(entry.thread))
    {}

    // Whether content still has the old place, at the start of a line.
    bool oldPlaceIn(std::string_view content) const
    {
        const bool known = knownLength >= 0 && at <= std::uint64_t(knownLength) &&
                           std::uint64_t(knownLength) <= content.size() &&
                           contentHash(content.substr(0, size_t(knownLength))) == knownHash;
        return known && (at == 0 || content[at - 1] == '\n' || content[at - 1] == '\r');
    }
};

// Whether a record of the name and thread stands in content, by the reader's reading of it.
bool standsIn(const ProbeFile &file, QByteArrayView name, QByteArrayView thread)
{
    for (qsizetype i = 0; i < file.recordCount(); ++i) {
        const auto [hasName, hasThread] = file.nameAndThreadBytes(i);
        if (hasName == name && hasThread == thread) {
            return true;
        }
    }
    return false;
}

ReadResult readWhole(const QString &path, QByteArray &content)
{
    std::uint64_t got = 0;
    const ReadResult read = readWholeFile(
        nativePath(path), kLargest,
        [&content](std::uint64_t size) {
            content.resize(qsizetype(size));
            return content.data();
        },
        got);
    content.resize(read.ok() ? qsizetype(got) : 0);
    return read;
}

// Puts the bytes back into the file at path. content is the file as last read (null: not read
// yet), there whether it holds a record of the bytes' name and thread (not known: looked up).
ChangeOutcome putBack(const QString &path, const PutBack &back, ChangeQuestions &questions, QByteArray content,
                      std::optional<bool> there)
{
    // Lines of no record are never a second copy of one.
    bool secondCopyAgreed = back.keyName.isEmpty();
    bool atEnd = false;
    ReplaceResult result;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0 || content.isNull()) {
            const ReadResult read = readWhole(path, content);
            if (!read.ok()) {
                return ChangeOutcome::of(detail::notReplaced(read.cause, read.systemError),
                                         ChangeOutcome::Action::PutBack, path);
            }
            there.reset();
        }
        if (!secondCopyAgreed) {
            if (!there) {
                there = standsIn(ProbeFile::fromBytes(content), back.keyName, back.keyThread);
            }
            if (*there) {
                if (!questions.putSecondCopy(recordText(back.name, back.thread))) {
                    return ChangeOutcome::alreadyInFile(back.name, back.thread, true);
                }
                secondCopyAgreed = true;
            }
        }
        const std::string_view now = bytesOf(content);
        if (!atEnd && !back.oldPlaceIn(now)) {
            if (!questions.putAtEnd(ChangeOutcome::oldPlaceGone(path, false).text)) {
                return ChangeOutcome::oldPlaceGone(path, true);
            }
            atEnd = true;
        }
        std::string bytes = back.bytes;
        std::uint64_t at = now.size();
        if (!atEnd) {
            at = back.at;
            // Bytes that ended without a line end (the file's last line) get one when lines follow now.
            if (at < now.size() && !bytes.empty()) {
                bytes += detail::lineEndAfter(bytes.back());
            }
        } else if (!now.empty()) {
            bytes.insert(0, detail::lineEndAfter(now.back()));
        }
        result = spliceFile(nativePath(path), contentHash(now), at, at, bytes,
                            ChangeNote{back.action, 0, 0, back.nameBytes, back.threadBytes});
        // Changed between reading and locking: another station appended; read again.
        if (result.replaced || result.cause != FileCause::Changed) {
            break;
        }
    }
    ChangeOutcome outcome = ChangeOutcome::of(result, ChangeOutcome::Action::PutBack, path);
    outcome.atEnd = atEnd;
    return outcome;
}

} // namespace

std::optional<RemovalPlan> RemovalPlan::of(const ProbeFile &file, qsizetype record, QString *why)
{
    if (record < 0 || record >= file.recordCount()) {
        return std::nullopt;
    }
    const std::optional<ByteRange> range = recordBytes(file, record, why);
    if (!range) {
        return std::nullopt;
    }
    RemovalPlan plan;
    plan.begin = range->begin;
    plan.end = range->end;
    plan.firstLine = int(file.record(record).firstLine) + 1;
    plan.lastLine = plan.firstLine + int(file.record(record).lineCount) - 1;
    plan.name = file.name(record);
    plan.thread = file.thread(record);
    const auto [name, thread] = file.nameAndThreadBytes(record);
    plan.nameBytes = name.toByteArray();
    plan.threadBytes = thread.toByteArray();
    return plan;
}

QString RemovalPlan::what() const
{
    return QStringLiteral("%1 (Gewinde %2), Zeilen %3 bis %4")
        .arg(visible(name), visible(thread))
        .arg(firstLine)
        .arg(lastLine);
}

ChangeOutcome ProbeFileEditor::remove(const QString &path, const QByteArray &seen, const RemovalPlan &plan)
{
    m_path = path;
    m_canUndo = false;
    const ChangeNote note{HistoryAction::Remove, 0, 0, stringOf(plan.nameBytes), stringOf(plan.threadBytes)};
    ChangeOutcome outcome = ChangeOutcome::of(removeFromFile(nativePath(path), contentHash(bytesOf(seen)),
                                                             std::uint64_t(plan.begin), std::uint64_t(plan.end), note),
                                              ChangeOutcome::Action::Remove, path);
    if (outcome.changed) {
        m_last = outcome.entry;
        m_lastName = plan.name;
        m_lastThread = plan.thread;
        m_canUndo = true;
    }
    return outcome;
}

ChangeOutcome ProbeFileEditor::repair(const QString &path, const QByteArray &seen, const LineRepair &repair)
{
    const ReplaceResult result =
        spliceFile(nativePath(path), contentHash(bytesOf(seen)), std::uint64_t(repair.begin), std::uint64_t(repair.end),
                   bytesOf(repair.insert), ChangeNote{HistoryAction::Repair, 0, 0, {}, {}});
    return ChangeOutcome::of(result, ChangeOutcome::Action::Repair, path);
}

ChangeOutcome ProbeFileEditor::restore(const QString &path, const RemovedRecords &list, qsizetype row,
                                       ChangeQuestions &questions)
{
    const RemovedRecords::Row &chosen = list.rows().at(row);
    PutBack back(chosen.entry, HistoryAction::Restore);
    // As the list read the bytes: the record they hold, whatever the entry was written with.
    back.keyName = chosen.nameBytes;
    back.keyThread = chosen.threadBytes;
    back.name = chosen.name;
    back.thread = chosen.thread;
    // The list was read with the file: its content and whether the record stands in it.
    return putBack(path, back, questions, list.content(), list.alreadyInFile(row));
}

ChangeOutcome ProbeFileEditor::undo(ChangeQuestions &questions)
{
    if (!m_canUndo) {
        return ChangeOutcome::of(detail::notReplaced(FileCause::BadRange), ChangeOutcome::Action::PutBack, m_path);
    }
    PutBack back(m_last, HistoryAction::Undo);
    back.name = m_lastName;
    back.thread = m_lastThread;
    ChangeOutcome outcome = putBack(m_path, back, questions, QByteArray(), std::nullopt);
    if (outcome.changed) {
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
    for (const HistoryEntry &entry : historyNewestFirst(history, bytesOf(current))) {
        if (entry.action == HistoryAction::Remove && entry.at == m_last.at && entry.removed == m_last.removed) {
            break; // the removal itself: nothing put it back since
        }
        if ((entry.action == HistoryAction::Undo || entry.action == HistoryAction::Restore) &&
            entry.outcome != HistoryOutcome::NotDone && entry.inserted.find(m_last.removed) != std::string::npos) {
            m_canUndo = false;
            break;
        }
    }
    return m_canUndo;
}

} // namespace merivox
