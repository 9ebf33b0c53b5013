#pragma once

class QLocale;

namespace merivox {

class SplashWindow;
struct EditorState;

// Everything the program does from its start to its end: the process settings, the application
// object, the locale, the editor's state that outlives every window, and the first window.
// main only calls this; tests call it too.
int runProgram(int argc, char *argv[]);

// The flow after the splash: once its time is up, the selection window opens with the editor's
// state and the locale, which both outlive it.
void leadOnToSelection(SplashWindow &splash, EditorState &state, const QLocale &locale);

} // namespace merivox
