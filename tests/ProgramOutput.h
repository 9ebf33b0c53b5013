#pragma once

#include <QByteArray>
#include <QOperatingSystemVersion>
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

} // namespace merivox::test
