#include "RecordKey.h"

namespace merivox {

RecordKey recordKey(const ProbeFile &file, qsizetype record)
{
    if (record < 0 || record >= file.recordCount()) {
        return {};
    }
    RecordKey key{file.name(record), file.thread(record), 0, record};
    for (qsizetype i = 0; i < record; ++i) {
        if (file.name(i) == key.name && file.thread(i) == key.thread) {
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
        if (file.name(i) == key.name && file.thread(i) == key.thread) {
            if (seen++ == key.occurrence) {
                return i;
            }
            last = i;
        }
    }
    return last >= 0 ? last : std::min(key.row, file.recordCount() - 1);
}

} // namespace merivox
