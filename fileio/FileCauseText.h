#pragma once

// The operator's words for every cause of a failed file operation, in one table: what each task
// (appending a record, changing the file, writing its history, reading it) says of a cause, and
// the system's own text where a task has no words of its own.

#include "FileCause.h"

#include <QString>

namespace merivox {

enum class FileTask {
    Append,  // a record appended; a missing file is made, so "not found" means the folder
    Change,  // the file replaced or changed in place (remove, put back, repair)
    History, // the history beside the file read or written ("ihn": the history)
    Read,    // the file read: a whole sentence that names the file
};

// Why task failed on the file at path (path is named by Read, and by Change for its backup).
QString causeText(FileTask task, FileCause cause, int systemError, const QString &path = {});

} // namespace merivox
