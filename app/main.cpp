#include "Startup.h"

int main(int argc, char *argv[])
{
    return merivox::runProgram(argc, argv);
}
