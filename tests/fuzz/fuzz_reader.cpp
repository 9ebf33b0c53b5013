// libFuzzer's entry: scripts/fuzz-reader.sh builds and runs it with clang's sanitizers.
#include "FuzzEntry.h"

#include <QGuiApplication>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    merivox::fuzz::readAndPaint(data, size);
    return 0;
}
