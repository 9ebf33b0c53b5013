#pragma once

#include <QByteArray>
#include <QString>
#include <QTextStream>

namespace merivox {

enum class ConsoleStream { Output, Error };

// Writes a command-line answer (--help, --version, --check) where the operator sees it. On
// Windows both programs are GUI programs: started from a console they attach to it and write
// to it as Unicode text; output redirected to a file or pipe gets the bytes below.
void writeConsole(ConsoleStream stream, const QString &text);

// The bytes that text becomes in a file or pipe: UTF-8 with LF on Linux, the ANSI code page with
// CR LF on Windows (a character the code page lacks becomes "?").
QByteArray redirectedBytes(const QString &text);

// Collects what is printed through stream() and writes it with writeConsole when it goes.
class ConsoleText final
{
public:
    explicit ConsoleText(ConsoleStream which) : m_which(which), m_stream(&m_text) {}
    ~ConsoleText()
    {
        m_stream.flush();
        if (!m_text.isEmpty()) {
            writeConsole(m_which, m_text);
        }
    }
    ConsoleText(const ConsoleText &) = delete;
    ConsoleText &operator=(const ConsoleText &) = delete;

    QTextStream &stream() { return m_stream; }

private:
    ConsoleStream m_which;
    QString m_text;
    QTextStream m_stream;
};

} // namespace merivox
