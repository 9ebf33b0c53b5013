#pragma once

#include <QByteArray>
#include <QFile>
#include <QOperatingSystemVersion>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QtTest>

namespace merivox::test {

inline bool onWindows()
{
    return QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows;
}

// What a program of the project wrote into a pipe, as text. Linux: UTF-8 with LF line ends.
// Windows: the ANSI code page with CR LF line ends, each of which must be whole.
inline QString programText(const QByteArray &bytes)
{
    if (!onWindows()) {
        if (bytes.contains('\r')) {
            qWarning("a CR in output on Linux");
            return QStringLiteral("<CR in output>");
        }
        return QString::fromUtf8(bytes);
    }
    QByteArray lines = bytes;
    lines.replace("\r\n", "\n");
    if (lines.count('\n') != bytes.count('\n') || lines.contains('\r')) {
        qWarning("a line end without its CR, or a stray CR: %s", bytes.toHex(' ').constData());
        return QStringLiteral("<line ends not CR LF>");
    }
    // Decoding the system code page is sound in Qt (only its encoder misses unmappable characters).
    return QString::fromLocal8Bit(lines);
}

// This process's environment with no display to reach, on a window system that needs one: a
// program that makes a window or an application object with a display then fails at once.
inline QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return environment;
}

// Starts PROCESS on PROGRAM and waits up to TIMEOUT ms for it to end by itself. A start that the
// system refuses says nothing of the program and is tried once more. Says why on failure.
inline bool runToEnd(QProcess &process, const QString &program, const QStringList &arguments, int timeout = 30000)
{
    process.start(program, arguments);
    if (!process.waitForStarted(timeout) && process.error() == QProcess::FailedToStart) {
        qWarning("%s did not start (%s); once more", qPrintable(program), qPrintable(process.errorString()));
        process.start(program, arguments);
    }
    if (!process.waitForFinished(timeout)) {
        qWarning("%s did not finish: %s", qPrintable(program), qPrintable(process.errorString()));
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        qWarning("%s crashed: %s", qPrintable(program), qPrintable(process.errorString()));
        return false;
    }
    return true;
}

// What one run of a program left: its exit code (-1 when it did not run to its end) and its
// standard output and error as text.
struct ProgramRun
{
    int exitCode = -1;
    QString out, err;
};

// Runs PROGRAM with ARGUMENTS and no display to reach, as the command-line modes need none.
inline ProgramRun runProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessEnvironment(withoutDisplay());
    if (!runToEnd(process, program, arguments)) {
        return {-1, {}, QStringLiteral("did not run")};
    }
    return {process.exitCode(), programText(process.readAllStandardOutput()),
            programText(process.readAllStandardError())};
}

// A whole file's bytes; empty when it cannot be read.
inline QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Makes BYTES the whole content of the file at PATH.
inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace merivox::test
