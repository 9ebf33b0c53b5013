#include "HeadlessPlatform.h"

namespace merivox {

// Windows' own platform needs no display server: nothing to choose.
void chooseHeadlessPlatform() {}

} // namespace merivox
