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
    qsizetype occurrence = 0; // 0 for the first record of that name and thread; -1: by row only
    qsizetype row = -1;       // where it stood; -1: no record chosen
    // The bytes that its name and thread are read from: a large file is searched by them without
    // reading every record's name.
    QByteArray nameBytes;
    QByteArray threadBytes;

    // The record that comes to stand at row, whatever it is: after the chosen one was taken out.
    static RecordKey atRow(qsizetype row) { return {QString(), QString(), -1, row, {}, {}}; }
};

RecordKey recordKey(const ProbeFile &file, qsizetype record);

// The record of file that the key names. Where there are fewer records of its name and thread than
// it counts (an equal one before it was taken out), the last of them; where there is none, the one
// now at the key's row, or the last one; -1 when the key names nothing or the file has no records.
qsizetype findRecord(const ProbeFile &file, const RecordKey &key);

} // namespace merivox
