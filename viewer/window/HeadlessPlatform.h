#pragma once

namespace merivox {

// Before the application object of a run that needs fonts but no window (the data sheet from
// the command line): where no display is there to connect to, Qt is told to use its offscreen
// platform, so that the run works on a server or in a terminal without one.
void chooseHeadlessPlatform();

} // namespace merivox
