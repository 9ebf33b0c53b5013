// The window part of merivox-view (see WindowPart.h): a module whose one exported function the
// program calls when it needs a window or fonts.
#include "ViewerStartup.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT int merivoxViewerMain(int argc, char *argv[])
{
    return merivox::runViewer(argc, argv);
}
