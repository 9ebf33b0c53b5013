#pragma once

namespace merivox {

// Everything the program does from its start to its end: the process settings, the application
// object, the locale, the editor's state that outlives every window, and the first window.
// main only calls this; tests call it too.
int runProgram(int argc, char *argv[]);

} // namespace merivox
