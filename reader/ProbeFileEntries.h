#pragma once

// The Create command's look into usrprobe.dat right before it appends: which records already name
// the entry that the new record's item line names, by the rule the reader's check applies (ItemKeys.h).
// The file is read anew each time, its bytes left on disk; nothing of it is kept.

#include "CreateCommand.h"

#include <QByteArrayView>

namespace merivox {

// The records of the file at path whose item line names the same entry as itemLine (its bytes in
// the file's code page), as the reader counts them: an item line that the reader finds at fault
// is not looked up, and so does not count. Nothing found when the file cannot be read.
SameEntries findSameEntries(const QString &path, QByteArrayView itemLine);

class ProbeFileEntries final : public EntryLookup
{
public:
    SameEntries sameEntries(const QString &folder, const QString &itemLine) const override;
};

} // namespace merivox
