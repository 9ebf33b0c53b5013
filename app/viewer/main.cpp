#include "ViewerStartup.h"

int main(int argc, char *argv[])
{
    return merivox::runViewer(argc, argv);
}
