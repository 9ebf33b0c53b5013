#pragma once

#include <QByteArray>
#include <QIODevice>
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

// Hands what is printed through stream() to writeConsole, in whole lines of at most about 64 KiB
// and the rest when it goes, so that a long answer (--check on a file with a million problems)
// is never held in memory whole.
class ConsoleText final
{
public:
    explicit ConsoleText(ConsoleStream which);
    ~ConsoleText();
    ConsoleText(const ConsoleText &) = delete;
    ConsoleText &operator=(const ConsoleText &) = delete;

    QTextStream &stream() { return m_stream; }

private:
    // Receives the stream's UTF-8 and passes on whole lines; a line end never splits a character.
    class Lines final : public QIODevice
    {
    public:
        explicit Lines(ConsoleStream which) : m_which(which) {}
        void pass(bool all);

    protected:
        qint64 readData(char *, qint64) override { return -1; }
        qint64 writeData(const char *data, qint64 size) override;

    private:
        ConsoleStream m_which;
        QByteArray m_pending;
    };

    Lines m_lines;
    QTextStream m_stream;
};

} // namespace merivox
