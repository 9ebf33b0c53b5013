#include "Console.h"

namespace merivox {

namespace {

constexpr qsizetype kPassAt = 64 * 1024;

} // namespace

ConsoleText::ConsoleText(ConsoleStream which) : m_lines(which)
{
    m_lines.open(QIODevice::WriteOnly);
    m_stream.setDevice(&m_lines);
    m_stream.setEncoding(QStringConverter::Utf8);
}

ConsoleText::~ConsoleText()
{
    m_stream.flush();
    m_lines.pass(true);
}

qint64 ConsoleText::Lines::writeData(const char *data, qint64 size)
{
    m_pending.append(data, qsizetype(size));
    if (m_pending.size() >= kPassAt) {
        pass(false);
    }
    return size;
}

void ConsoleText::Lines::pass(bool all)
{
    const qsizetype end = all ? m_pending.size() : m_pending.lastIndexOf('\n') + 1;
    if (end <= 0) {
        return;
    }
    writeConsole(m_which, QString::fromUtf8(m_pending.constData(), end));
    m_pending.remove(0, end);
}

} // namespace merivox
