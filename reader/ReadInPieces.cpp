#include "ReadInPieces.h"

#include <cstring>
#include <span>
#include <vector>

namespace merivox {

// One function for every reading, called through std::function once a piece: the line loop is
// then made once, with the finding of line ends and the checker's quick way inlined into it.
Fed feedPieces(InputFile &file, LineChecker &checker, const std::function<bool(quint64, QByteArrayView, bool)> &seen,
               const std::function<quint64(quint64)> &keepFrom)
{
    Fed fed;
    std::vector<char> buffer(std::size_t(1) << 20);
    std::size_t have = 0;
    std::size_t pos = 0; // where the next line starts in the buffer
    quint64 base = 0;    // where buffer[0] stands in the file
    for (;;) {
        const auto drop = std::size_t(keepFrom(base + pos) - base);
        std::memmove(buffer.data(), buffer.data() + drop, have - drop);
        have -= drop;
        pos -= drop;
        base += drop;
        if (have == buffer.size()) {
            buffer.resize(2 * buffer.size());
        }
        std::size_t got = 0;
        fed.result = file.read(std::span(buffer).subspan(have), got);
        if (!fed.result.ok()) {
            return fed;
        }
        have += got;
        fed.last = have > 0 ? buffer[have - 1] : fed.last;
        if (!seen(base, QByteArrayView(buffer.data(), qsizetype(have)), got == 0)) {
            fed.stopped = true;
            return fed;
        }
        if (got == 0) {
            break;
        }
        const char *const data = buffer.data();
        const char *const readable = data + buffer.size();
        while (pos < have) {
            // A short line is found with the masks of its bytes, a longer one by a search.
            syntax::ByteMasks masks;
            const std::size_t room = buffer.size() - pos;
            const int length =
                room >= std::size_t(syntax::ByteMasks::kLongest)
                    ? syntax::lineMasks(data + pos, int(std::min<std::size_t>(have - pos, syntax::ByteMasks::kLongest)),
                                        masks)
                    : -1;
            if (length >= 0) {
                checker.feed(base + pos, QByteArrayView(data + pos, length), true, readable, &masks);
                pos += std::size_t(length) + 1;
                continue;
            }
            const auto *newline = static_cast<const char *>(std::memchr(data + pos, '\n', have - pos));
            if (!newline) {
                break;
            }
            const auto end = std::size_t(newline - data);
            checker.feed(base + pos, QByteArrayView(data + pos, qsizetype(end - pos)), true, readable);
            pos = end + 1;
        }
    }
    if (pos < have) {
        checker.feed(base + pos, QByteArrayView(buffer.data() + pos, qsizetype(have - pos)), false,
                     buffer.data() + buffer.size());
    }
    return fed;
}

bool crLfFromFile(InputFile &file, quint64 offset)
{
    const std::uint64_t back = file.position();
    file.seek(offset);
    std::vector<char> piece(std::size_t(1) << 16);
    char last = 0;
    bool found = false;
    std::size_t got = 0;
    while (!found && file.read(piece, got).ok() && got > 0) {
        const QByteArrayView read(piece.data(), qsizetype(got));
        found = (last == '\r' && read.front() == '\n') || read.indexOf(QByteArrayView("\r\n")) >= 0;
        last = read.back();
    }
    file.seek(back);
    return found;
}

} // namespace merivox
