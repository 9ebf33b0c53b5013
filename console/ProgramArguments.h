#pragma once

#include <QStringList>

namespace merivox {

// The program's arguments as text, its own name first, before any application object exists. On
// Linux each argument is decoded as a file name; on Windows they come from the process's own
// command line in UTF-16, so that a file name outside the ANSI code page arrives whole (the
// bytes of argv have lost what the code page lacks). A caller whose argv is not the process's
// own (a test calling a program's entry) gets its argv decoded from the code page instead.
QStringList programArguments(int argc, char *argv[]);

} // namespace merivox
