#pragma once

#include "ProbeFile.h"

namespace merivox {

// The record the operator has chosen, named so that it is found again in the file read anew after
// a change: by its name and thread and which of several records of that name and thread it is,
// not by its row, which records added or taken out before it move.
struct RecordKey
{
    QString name;
    QString thread;
    qsizetype occurrence = 0; // 0 for the first record of that name and thread
    qsizetype row = -1;       // where it stood; -1: no record chosen
};

RecordKey recordKey(const ProbeFile &file, qsizetype record);

// The record of file that the key names. Where there is none (it was taken out), the one now at
// the key's row, or the last one; -1 when the key names nothing or the file has no records.
qsizetype findRecord(const ProbeFile &file, const RecordKey &key);

} // namespace merivox
