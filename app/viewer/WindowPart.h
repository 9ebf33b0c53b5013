#pragma once

class QString;

namespace merivox {

// merivox-view's window, its data sheet and everything else that needs Qt Gui or Widgets live in
// a module of their own, loaded only when needed, so that --check and the other answers without a
// display start with Qt Core alone. The module lies at a path relative to the program's folder
// that the build sets (MERIVOX_VIEW_WINDOW_PART): the same in the build tree and once installed.
// Loads it and hands it the command line, unchanged; returns its exit code. When it is missing
// or cannot be loaded, says so on standard error and returns 2.
int runWindowPart(int argc, char *argv[]);

// The folder of the running program's executable, with '/' separators; empty when the system
// does not say. Needs no application object.
QString programFolder();

} // namespace merivox
