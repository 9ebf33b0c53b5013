#pragma once

// Whether "Erstellen" may append to usrprobe.dat in a folder, asked of the operating system
// without writing anything: for the file when it exists, else for adding a file to the folder.
// One implementation file per platform (WriteAccess_posix.cpp, WriteAccess_win32.cpp).

#include <QString>

namespace merivox {

enum class Writable {
    Yes,
    No,
    Unknown, // the system did not answer; nothing is said then
};

Writable appendAccess(const QString &folder, bool fileExists);

} // namespace merivox
