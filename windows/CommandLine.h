#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace merivox {

// The program opens its window when started without arguments. Like every installed program it
// also answers --help and --version, and refuses anything else, all before an application
// object (and with it a display) exists.
struct CommandLineAnswer
{
    bool openWindows = true;
    int exitCode = 0;
    QString standardOutput;
    QString standardError;
};

// The answer to the arguments, the program's own name first.
CommandLineAnswer answerCommandLine(const QStringList &arguments);

// Reads argv, prints the answer and returns the exit code when the program ends without a window.
std::optional<int> handleCommandLine(int argc, char *argv[]);

} // namespace merivox
