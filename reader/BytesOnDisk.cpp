#include "BytesOnDisk.h"

#include "ReadFile.h"

#include <QHashFunctions>

#include <algorithm>
#include <cstring>

namespace merivox {

namespace {

quint64 hashOf(QByteArrayView block)
{
    return quint64(qHash(block, 0));
}

// Whether the bytes hold an LF at from or after it.
bool lineEndFrom(QByteArrayView bytes, qsizetype from)
{
    return from < bytes.size() && std::memchr(bytes.data() + from, '\n', size_t(bytes.size() - from)) != nullptr;
}

} // namespace

BytesOnDisk::Fingerprint BytesOnDisk::fingerprintOf(QByteArrayView bytes)
{
    Fingerprint print;
    print.size = bytes.size();
    for (qsizetype at = 0; at < bytes.size(); at += kBlock) {
        print.blocks.push_back(hashOf(bytes.sliced(at, std::min(kBlock, bytes.size() - at))));
    }
    return print;
}

BytesOnDisk::BytesOnDisk(std::filesystem::path path, InputFile &reading) : m_path(std::move(path)), m_reading(&reading)
{
}

void BytesOnDisk::hashFrom(qint64 offset, QByteArrayView bytes, bool end)
{
    while (m_hashed >= offset && m_hashed < offset + bytes.size()) {
        const qsizetype at = qsizetype(m_hashed - offset);
        const qsizetype length = std::min(kBlock, bytes.size() - at);
        if (length < kBlock && !end) {
            return;
        }
        m_print.blocks.push_back(hashOf(bytes.sliced(at, length)));
        m_hashed += length;
    }
}

void BytesOnDisk::finishReading(qint64 size, bool endsInLineEnd)
{
    m_reading = nullptr;
    m_print.size = size;
    m_lineEnd = endsInLineEnd;
    m_lost = m_hashed != size;
    m_window = QByteArray();
}

bool BytesOnDisk::readAt(InputFile &file, qint64 offset, qint64 length)
{
    const qsizetype have = m_window.size();
    m_window.resize(have + qsizetype(length));
    file.seek(std::uint64_t(offset));
    qint64 done = 0;
    while (done < length) {
        std::size_t got = 0;
        if (!file.read({m_window.data() + have + done, std::size_t(length - done)}, got).ok() || got == 0) {
            m_window.truncate(have + qsizetype(done));
            return false;
        }
        done += qint64(got);
    }
    return true;
}

bool BytesOnDisk::readBlock(InputFile &file, qint64 block)
{
    const qint64 start = block * kBlock;
    const qint64 length = std::min<qint64>(kBlock, m_print.size - start);
    const qsizetype have = m_window.size();
    return readAt(file, start, length) && hashOf(QByteArrayView(m_window).sliced(have)) == m_print.blocks[size_t(block)];
}

QByteArrayView BytesOnDisk::from(qint64 offset)
{
    const qint64 end = m_reading ? qint64(m_reading->size()) : m_print.size;
    if (offset < 0 || offset >= end) {
        return {};
    }
    if (m_lost) {
        ++m_failures;
        return {};
    }
    const qint64 windowEnd = m_windowStart + m_window.size();
    if (offset >= m_windowStart && offset < windowEnd &&
        (windowEnd == end || lineEndFrom(m_window, qsizetype(offset - m_windowStart)))) {
        return QByteArrayView(m_window).sliced(qsizetype(offset - m_windowStart));
    }
    m_window.clear();
    if (m_reading) {
        // The first reading is still under way: a short piece from the open file, longer until
        // it holds the line's end. It is read back to where that reading stands.
        const std::uint64_t back = m_reading->position();
        m_windowStart = offset;
        qint64 length = 256;
        bool ok = true;
        for (qint64 at = offset; ok && at < end && !lineEndFrom(m_window, 0); at += length, length *= 2) {
            ok = readAt(*m_reading, at, std::min(length, end - at));
        }
        m_reading->seek(back);
        m_failures += ok ? 0 : 1;
        return ok ? QByteArrayView(m_window) : QByteArrayView();
    }
    InputFile file;
    if (!file.open(m_path).ok()) {
        ++m_failures; // perhaps for a moment only: the file is not given up
        return {};
    }
    bool ok = true;
    m_windowStart = offset / kBlock * kBlock;
    for (qint64 block = offset / kBlock; ok; ++block) {
        ok = readBlock(file, block);
        if (ok && (m_windowStart + m_window.size() == end || lineEndFrom(m_window, qsizetype(offset - m_windowStart)))) {
            return QByteArrayView(m_window).sliced(qsizetype(offset - m_windowStart));
        }
    }
    m_lost = true;
    ++m_failures;
    m_window = QByteArray();
    return {};
}

QByteArray BytesOnDisk::all()
{
    if (m_lost || m_reading) {
        return {};
    }
    const QByteArray kept = std::exchange(m_window, QByteArray());
    const qint64 keptStart = std::exchange(m_windowStart, 0);
    InputFile file;
    bool ok = file.open(m_path).ok();
    m_window.reserve(qsizetype(m_print.size));
    for (qint64 block = 0; ok && block * kBlock < m_print.size; ++block) {
        ok = readBlock(file, block);
    }
    QByteArray bytes = std::exchange(m_window, kept);
    m_windowStart = keptStart;
    if (!ok) {
        return {};
    }
    // An empty file is empty, not null.
    return bytes.isNull() ? QByteArray("") : bytes;
}

} // namespace merivox
