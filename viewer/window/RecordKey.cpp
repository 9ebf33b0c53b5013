#include "RecordKey.h"

namespace merivox {

namespace {
// Whether the record has the key's name and thread, compared as the bytes they are read from: a
// search through a large file then makes no text per record.
bool sameEntry(const ProbeFile &file, qsizetype record, const RecordKey &key)
{
    const auto [name, thread] = file.nameAndThreadBytes(record);
    return name == key.nameBytes && thread == key.threadBytes;
}
} // namespace

RecordKey recordKey(const ProbeFile &file, qsizetype record)
{
    if (record < 0 || record >= file.recordCount()) {
        return {};
    }
    const auto [name, thread] = file.nameAndThreadBytes(record);
    // The bytes are taken before the texts are read: a file left on disk reads them anew.
    QByteArray nameBytes = name.toByteArray();
    QByteArray threadBytes = thread.toByteArray();
    RecordKey key{file.name(record), file.thread(record), 0, record, std::move(nameBytes), std::move(threadBytes)};
    for (qsizetype i = 0; i < record; ++i) {
        if (sameEntry(file, i, key)) {
            ++key.occurrence;
        }
    }
    return key;
}

qsizetype findRecord(const ProbeFile &file, const RecordKey &key)
{
    if (key.row < 0 || file.recordCount() == 0) {
        return -1;
    }
    qsizetype seen = 0;
    qsizetype last = -1;
    for (qsizetype i = 0; key.occurrence >= 0 && i < file.recordCount(); ++i) {
        if (sameEntry(file, i, key)) {
            if (seen++ == key.occurrence) {
                return i;
            }
            last = i;
        }
    }
    return last >= 0 ? last : std::min(key.row, file.recordCount() - 1);
}

} // namespace merivox
