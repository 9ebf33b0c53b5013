#include "CommandLine.h"

#include "Console.h"
#include "ProgramArguments.h"

#include <QCommandLineParser>

namespace merivox {

namespace {

QString versionText()
{
    return QStringLiteral("Merivox %1.%2.%3\n")
        .arg(MERIVOX_VERSION_MAJOR)
        .arg(MERIVOX_VERSION_MINOR)
        .arg(MERIVOX_VERSION_PATCH);
}

QString helpText()
{
    return QStringLiteral("Aufruf: merivox [OPTION]\n"
                          "\n"
                          "Erstellt die Definition eines selbst gebauten Tastelements (Tastspitze oder\n"
                          "Verlängerung) und hängt sie an die Datei usrprobe.dat im gewählten Ordner an.\n"
                          "Ohne Option öffnet sich das Programmfenster.\n"
                          "\n"
                          "Optionen:\n"
                          "  -h, --help     diese Hilfe anzeigen und beenden\n"
                          "  -v, --version  Namen und Version anzeigen und beenden\n");
}

} // namespace

CommandLineAnswer answerCommandLine(const QStringList &arguments)
{
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    QCommandLineParser parser;
    parser.addOptions({help, version});
    const bool parsed = parser.parse(arguments);

    if (parsed && parser.positionalArguments().isEmpty()) {
        if (parser.isSet(help)) {
            return {false, 0, helpText(), {}};
        }
        if (parser.isSet(version)) {
            return {false, 0, versionText(), {}};
        }
        if (arguments.size() <= 1) {
            return {};
        }
    }

    // Name the first argument that is none of the options, as the operator typed it.
    static const QStringList known = {QStringLiteral("-h"), QStringLiteral("--help"), QStringLiteral("-v"),
                                      QStringLiteral("--version")};
    QString wrong;
    for (qsizetype i = 1; i < arguments.size() && wrong.isNull(); ++i) {
        if (!known.contains(arguments.at(i))) {
            wrong = arguments.at(i);
        }
    }
    return {false,
            2,
            {},
            QStringLiteral("merivox: unbekanntes Argument „%1“\n"
                           "„merivox --help“ zeigt, welche Optionen es gibt.\n")
                .arg(wrong)};
}

std::optional<int> handleCommandLine(int argc, char *argv[])
{
    const CommandLineAnswer answer = answerCommandLine(programArguments(argc, argv));
    if (answer.openWindows) {
        return std::nullopt;
    }
    if (!answer.standardOutput.isEmpty()) {
        writeConsole(ConsoleStream::Output, answer.standardOutput);
    }
    if (!answer.standardError.isEmpty()) {
        writeConsole(ConsoleStream::Error, answer.standardError);
    }
    return answer.exitCode;
}

} // namespace merivox
