#include "ProbeFileEntries.h"

#include "AnsiText.h"
#include "ItemKeys.h"
#include "ProbeFile.h"
#include "RecordRules.h"

#include <QDir>

namespace merivox {

SameEntries findSameEntries(const QString &path, QByteArrayView itemLine)
{
    SameEntries found;
    // Only an item line without a problem is looked up for a duplicate: the new record's, and
    // each earlier one's.
    RecordRules rules([](quint32) { return true; });
    if (!rules.readItem(itemLine, 0).problem.isEmpty()) {
        return found;
    }
    const QByteArrayView key = itemKey(itemLine);
    // The notes are not wanted here, only the records.
    const ProbeFile::Keep keep{.keep = 0, .fromLine = 1, .bytesOnDisk = true};
    const std::optional<ProbeFile> file = ProbeFile::read(path, nullptr, keep);
    if (!file) {
        return found;
    }
    for (qsizetype i = 0; i < file->recordCount(); ++i) {
        const QByteArrayView item = file->itemLine(i);
        if (itemKey(item) != key || !rules.readItem(item, 0).problem.isEmpty()) {
            continue;
        }
        if (found.count++ == 0) {
            found.firstLine = int(file->record(i).firstLine) + 1;
        }
    }
    return found;
}

SameEntries ProbeFileEntries::sameEntries(const QString &folder, const QString &itemLine) const
{
    const std::optional<QByteArray> bytes = toAnsi(itemLine);
    if (!bytes) {
        return {};
    }
    return findSameEntries(QDir(folder).filePath(QStringLiteral("usrprobe.dat")), *bytes);
}

} // namespace merivox
