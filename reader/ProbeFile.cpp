#include "ProbeFile.h"

#include "AnsiText.h"
#include "FileCauseText.h"
#include "LineChecker.h"
#include "LineSyntax.h"
#include "NoteStream.h"
#include "ProbeFileKeeper.h"
#include "ReadFile.h"
#include "ReadInPieces.h"

#include <QByteArrayMatcher>
#include <QDir>

#include <algorithm>
#include <cstring>
#include <limits>

namespace merivox {

QString lineKeyword(LineKind kind)
{
    switch (kind) {
    case LineKind::Item:
        return QStringLiteral("ITEM:");
    case LineKind::BeginTip:
        return QStringLiteral("begintip");
    case LineKind::EndTip:
        return QStringLiteral("endtip");
    case LineKind::RibCount:
        return QStringLiteral("ribcount");
    case LineKind::Solid:
        return QStringLiteral("solid");
    case LineKind::Color:
        return QStringLiteral("Color");
    case LineKind::Cylinder:
        return QStringLiteral("cylinder");
    case LineKind::Cone:
        return QStringLiteral("cone");
    case LineKind::Sphere:
        return QStringLiteral("sphere");
    case LineKind::CutSphere:
        return QStringLiteral("cutsphere");
    case LineKind::HotSpot:
        return QStringLiteral("hotspot");
    case LineKind::LowerConnect:
        return QStringLiteral("connect");
    case LineKind::Face:
        return QStringLiteral("face");
    case LineKind::CubeConnect:
        return QStringLiteral("Connect");
    case LineKind::Unknown:
        break;
    }
    return {};
}

QString kindText(const ProbeFile::Record &record)
{
    // A solid is the cube only with the cube's six faces.
    const TipKindDescription *kind = findRecordKind(record.kind, record.shape);
    if (kind && (record.kind != RecordKind::Solid || record.faces == 6)) {
        return QString::fromUtf8(kind->name);
    }
    switch (record.kind) {
    case RecordKind::Stylus:
        return QStringLiteral("Taster");
    case RecordKind::Solid:
        return QStringLiteral("Körper");
    case RecordKind::Extension:
    case RecordKind::Unknown:
        break;
    }
    return QStringLiteral("unvollständig");
}

namespace {

// Line offsets are 32 bits wide.
constexpr std::uint64_t kLargest = std::numeric_limits<quint32>::max();

QString readFailure(const QString &path, const ReadResult &result)
{
    return causeText(FileTask::Read, result.cause, result.systemError, path);
}

} // namespace

std::optional<ProbeFile> ProbeFile::read(const QString &path, QString *error, Keep keep, const ReadProgress *progress)
{
    if (keep.bytesOnDisk) {
        return readLeavingOnDisk(path, error, keep, progress);
    }
    // The path as the operating system spells it, as the writer names the file.
    const std::filesystem::path native(QDir::toNativeSeparators(path).toStdU16String());
    QByteArray bytes;
    std::uint64_t got = 0;
    // Line offsets are 32 bits wide.
    const ReadResult result = readWholeFile(
        native, kLargest,
        [&bytes](std::uint64_t size) {
            // Exactly the file's size: resize() would reserve
            // room to grow as well.
            bytes = QByteArray(qsizetype(size), Qt::Uninitialized);
            return bytes.data();
        },
        got);
    if (!result.ok()) {
        if (error) {
            *error = readFailure(path, result);
        }
        return std::nullopt;
    }
    bytes.truncate(qsizetype(got));
    std::optional<ProbeFile> file = fromBytes(std::move(bytes), keep, progress);
    if (progress && progress->cancel && progress->cancel->load()) {
        if (error) {
            error->clear();
        }
        return std::nullopt;
    }
    return file;
}

ProbeFile ProbeFile::fromBytes(QByteArray bytes, Keep keep, const ReadProgress *progress)
{
    ProbeFile file;
    file.m_bytes = std::move(bytes);
    const QByteArray &all = file.m_bytes;
    const char *const data = all.constData();
    const qsizetype size = all.size();
    // Every record starts at an "ITEM:": room for all of them at once, not twice as much after
    // growing.
    qsizetype items = 0;
    const QByteArrayMatcher item(QByteArrayView("ITEM:"));
    for (qsizetype at = item.indexIn(all); at >= 0; at = item.indexIn(all, at + 5)) {
        ++items;
    }
    file.m_records.reserve(size_t(items));

    Keeper keeper(file, keep);
    LineChecker checker(keeper, keep.quickLines);
    qsizetype pos = 0;
    // Every MiB a look at the reader in the background: how far, and whether to go on.
    constexpr qsizetype kStep = qsizetype(1) << 20;
    qsizetype nextLook = kStep;
    int percent = 0;
    while (pos < size) {
        const auto *newline = static_cast<const char *>(std::memchr(data + pos, '\n', size_t(size - pos)));
        const qsizetype end = newline ? newline - data : size;
        checker.feed(quint64(pos), QByteArrayView(data + pos, end - pos), newline != nullptr, data + size);
        pos = end + 1;
        if (progress && pos >= nextLook) {
            nextLook = pos + kStep;
            if (progress->cancel && progress->cancel->load()) {
                return {};
            }
            if (const int now = int(qint64(pos) * 100 / size); now > percent && progress->report) {
                percent = now;
                progress->report(percent);
            }
        }
    }
    checker.finish();
    keeper.done(checker);
    return file;
}

namespace {

// Opens the file for a reading in pieces; refuses one too large for 32-bit line offsets.
ReadResult openForPieces(InputFile &file, const std::filesystem::path &native)
{
    const ReadResult result = file.open(native);
    return result.ok() && file.size() > kLargest ? ReadResult{FileCause::TooLarge, 0} : result;
}

} // namespace

std::optional<ProbeFile::Totals> ProbeFile::check(const QString &path, const std::function<void(const Problem &)> &each,
                                                  QString *error)
{
    const std::filesystem::path native(QDir::toNativeSeparators(path).toStdU16String());
    InputFile file;
    ReadResult result = openForPieces(file, native);
    if (result.ok()) {
        NoteStream stream(file, each);
        LineChecker checker(stream);
        checker.expectBytes(file.size());
        result =
            feedPieces(
                file, checker, [](quint64, QByteArrayView, bool) { return true; }, [](quint64 next) { return next; })
                .result;
        if (result.ok()) {
            checker.finish();
            return checker.totals();
        }
    }
    if (error) {
        *error = readFailure(path, result);
    }
    return std::nullopt;
}

std::optional<ProbeFile> ProbeFile::readLeavingOnDisk(const QString &path, QString *error, Keep keep,
                                                      const ReadProgress *progress)
{
    const std::filesystem::path native(QDir::toNativeSeparators(path).toStdU16String());
    InputFile input;
    if (const ReadResult opened = openForPieces(input, native); !opened.ok()) {
        if (error) {
            *error = readFailure(path, opened);
        }
        return std::nullopt;
    }
    ProbeFile file;
    file.m_disk.emplace(native, input);
    BytesOnDisk &disk = *file.m_disk;
    Keeper keeper(file, keep, &input);
    LineChecker checker(keeper, keep.quickLines);
    checker.expectBytes(input.size());
    int percent = 0;
    // Every piece is hashed before it is let go; after each, a look at how far, and whether to go
    // on.
    const auto seen = [&](quint64 base, QByteArrayView bytes, bool ended) {
        disk.hashFrom(qint64(base), bytes, ended);
        if (!progress) {
            return true;
        }
        if (progress->cancel && progress->cancel->load()) {
            return false;
        }
        const quint64 read = base + quint64(bytes.size());
        if (const int now = int(read * 100 / std::max<quint64>(input.size(), 1)); now > percent && progress->report) {
            percent = now;
            progress->report(percent);
        }
        return true;
    };
    const auto keepFrom = [&disk](quint64 next) {
        return std::min(next, quint64(disk.hashed()));
    };
    const Fed fed = feedPieces(input, checker, seen, keepFrom);
    if (fed.stopped || !fed.result.ok()) {
        if (error) {
            *error = fed.stopped ? QString() : readFailure(path, fed.result);
        }
        return std::nullopt;
    }
    checker.finish();
    keeper.done(checker);
    disk.finishReading(disk.hashed(), fed.last == '\n');
    return file;
}

ProbeFile ProbeFile::fromLines(const QStringList &lines)
{
    // The bytes that the writer appends for these lines.
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += toAnsi(line).value_or(line.toLatin1());
        bytes += "\r\n";
    }
    return fromBytes(std::move(bytes));
}

QByteArray ProbeFile::bytes() const
{
    return m_disk ? m_disk->all() : m_bytes;
}

qsizetype ProbeFile::size() const
{
    return m_disk ? qsizetype(m_disk->size()) : m_bytes.size();
}

bool ProbeFile::endsInLineEnd() const
{
    return m_disk ? m_disk->endsInLineEnd() : m_bytes.endsWith('\n');
}

ProbeFile::Fingerprint ProbeFile::fingerprint() const
{
    return m_disk ? m_disk->fingerprint() : BytesOnDisk::fingerprintOf(m_bytes);
}

QByteArrayView ProbeFile::from(qsizetype offset) const
{
    if (m_disk) {
        return m_disk->from(offset);
    }
    return offset < m_bytes.size() ? QByteArrayView(m_bytes).sliced(offset) : QByteArrayView();
}

namespace {

// The line at the start of the bytes, with its CR but without its LF.
QByteArrayView firstLine(QByteArrayView bytes)
{
    const auto *newline =
        bytes.isEmpty() ? nullptr : static_cast<const char *>(std::memchr(bytes.data(), '\n', size_t(bytes.size())));
    return newline ? bytes.first(newline - bytes.data()) : bytes;
}

} // namespace

QByteArrayView ProbeFile::lineFrom(qsizetype offset) const
{
    QByteArrayView line = firstLine(from(offset));
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    return line;
}

qsizetype ProbeFile::startOfLine(int line) const
{
    return line > lineCount() ? size() : lineStart(quint32(std::max(line, 1) - 1));
}

qsizetype ProbeFile::lineStart(quint32 index) const
{
    qsizetype at = m_marks[index / kMarkStep];
    for (quint32 i = index % kMarkStep; i > 0; --i) {
        at += firstLine(from(at)).size() + 1;
    }
    return at;
}

quint32 ProbeFile::firstLineOf(qsizetype record) const
{
    const Kept &kept = m_records[size_t(record)];
    return quint32(kept.firstLine[0]) | quint32(kept.firstLine[1]) << 16;
}

ProbeFile::Record ProbeFile::record(qsizetype i) const
{
    const Kept &kept = m_records[size_t(i)];
    Record record;
    record.firstLine = firstLineOf(i);
    record.lineCount = kept.lineCount;
    if (kept.lineCount == kLong) {
        record.lineCount = std::lower_bound(m_long.begin(), m_long.end(), quint32(i), [](const auto &entry, quint32 r) {
                               return entry.first < r;
                           })->second;
    }
    unpackWhat(kept.what, record);
    return record;
}

qsizetype ProbeFile::firstLineStart(qsizetype record) const
{
    // Where its first line starts is kept, unless too far from the mark.
    const quint32 first = firstLineOf(record);
    if (const quint16 start = m_records[size_t(record)].start; start != kFar) {
        return qsizetype(m_marks[first / kMarkStep]) + start;
    }
    return lineStart(first);
}

// A record's first line is an item line, or the line that its item line follows directly
// ("endtipITEM:…"): then the line's first field does not start with "ITEM:".
bool ProbeFile::startsMidLine(qsizetype record) const
{
    QByteArrayView line = lineFrom(firstLineStart(record));
    while (!line.isEmpty() && syntax::isBlank(line.front())) {
        line = line.sliced(1);
    }
    return !line.isEmpty() && !line.startsWith(QByteArrayView("ITEM:"));
}

qsizetype ProbeFile::itemStart(qsizetype record) const
{
    const qsizetype start = firstLineStart(record);
    return startsMidLine(record) ? start + lineFrom(start).indexOf(QByteArrayView("ITEM:"), 1) : start;
}

template <typename Each> void ProbeFile::eachPart(qsizetype record, const Each &each) const
{
    const Record r = this->record(record);
    const quint32 last = r.firstLine + r.lineCount - 1;
    // The next record may start in this one's last line.
    const bool cut = last > r.firstLine && record + 1 < recordCount() && firstLineOf(record + 1) == last;
    qsizetype at = itemStart(record);
    for (quint32 i = r.firstLine; i <= last; ++i) {
        QByteArrayView line = firstLine(from(at));
        at += line.size() + 1; // with its LF
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        // Bytes that are no longer those read have no "ITEM:" to cut at.
        const qsizetype next = i == last && cut ? line.indexOf(QByteArrayView("ITEM:"), 1) : -1;
        each(i, next > 0 ? line.first(next) : line);
    }
}

QByteArrayView ProbeFile::itemLine(qsizetype record) const
{
    return lineFrom(itemStart(record));
}

std::pair<QByteArrayView, QByteArrayView> ProbeFile::nameAndThreadBytes(qsizetype record) const
{
    QByteArrayView name;
    QByteArrayView thread;
    const QByteArrayView item = itemLine(record);
    if (item.size() < 5) {
        return {}; // its bytes could not be read again
    }
    if (!syntax::splitItem(item, name, thread)) {
        return {item.sliced(5), {}};
    }
    return {name, thread};
}

QString ProbeFile::name(qsizetype record) const
{
    return fromAnsi(nameAndThreadBytes(record).first);
}

QString ProbeFile::thread(qsizetype record) const
{
    return fromAnsi(nameAndThreadBytes(record).second);
}

QList<Problem> ProbeFile::notes() const
{
    QList<Problem> all;
    all.reserve(m_problems.size() + m_hints.size());
    std::merge(m_problems.begin(), m_problems.end(), m_hints.begin(), m_hints.end(), std::back_inserter(all),
               [](const Problem &a, const Problem &b) { return a.line < b.line; });
    return all;
}

QString ProbeFile::lineText(int line) const
{
    if (line < 1 || line > lineCount()) {
        return {};
    }
    return fromAnsi(bytesOf(quint32(line - 1)));
}

QString ProbeFile::text(qsizetype record) const
{
    QStringList lines;
    const quint64 failures = this->failures();
    eachPart(record, [&lines](quint32, QByteArrayView part) { lines << fromAnsi(part); });
    // Not a record of empty lines where its bytes could not be read again.
    return failures == this->failures() ? lines.join(QLatin1Char('\n')) : QString();
}

QList<RecordLine> ProbeFile::lines(qsizetype record) const
{
    const quint32 first = firstLineOf(record);
    QList<RecordLine> out;
    const quint64 failures = this->failures();
    syntax::Fields f;
    eachPart(record, [&](quint32 i, QByteArrayView bytes) {
        RecordLine line;
        line.number = int(i) + 1;
        // A record's first line is its item line; the kind of any other is read again as the
        // reading found it.
        if (i == first) {
            line.kind = LineKind::Item;
            QByteArrayView name;
            QByteArrayView thread;
            if (syntax::splitItem(bytes, name, thread)) {
                line.fields = {fromAnsi(name), fromAnsi(thread)};
            }
            line.values = {qQNaN(), qQNaN()};
            out.append(line);
            return;
        }
        syntax::split(bytes, f);
        line.kind = f.count == 0                                  ? LineKind::Unknown
                    : f.at[0].startsWith(QByteArrayView("ITEM:")) ? LineKind::Item
                                                                  : syntax::kindOf(f.at[0]);
        const syntax::FieldRule rule = syntax::ruleOf(line.kind);
        const int first = line.kind == LineKind::Unknown ? 0 : 1;
        int last = std::min(f.count, syntax::Fields::kMax);
        if (rule.restIsText) {
            last = std::min(last, 1 + rule.numbers);
        }
        for (int k = first; k < last; ++k) {
            line.fields.append(fromAnsi(f.at[k]));
            line.values.append(syntax::toNumber(f.at[k]));
        }
        if (rule.restIsText) {
            line.fields.append(fromAnsi(syntax::restAfter(bytes, 1 + rule.numbers)));
            line.values.append(qQNaN());
        }
        out.append(line);
    });
    // Nothing where its bytes could not be read again.
    return failures == this->failures() ? out : QList<RecordLine>();
}

qsizetype ProbeFile::recordAtLine(int line, bool midLine) const
{
    const auto index = quint32(std::max(line - 1, 0));
    // The first record that starts after the line, found by halving.
    qsizetype low = 0;
    qsizetype high = recordCount();
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        if (firstLineOf(middle) <= index) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    qsizetype found = low - 1;
    if (found > 0 && !midLine && firstLineOf(found) == index && startsMidLine(found)) {
        --found; // the line's own text belongs to the record before
    }
    return found;
}

std::optional<qsizetype> ProbeFile::recordOfLine(int line, QString *reason) const
{
    const auto refuse = [&](const QString &why) -> std::optional<qsizetype> {
        if (reason) {
            *reason = why;
        }
        return std::nullopt;
    };
    if (line < 1 || line > lineCount()) {
        return refuse(QStringLiteral("Zeile %1 gibt es nicht: die Datei hat %2 Zeilen.").arg(line).arg(lineCount()));
    }
    const qsizetype record = recordAtLine(line);
    if (record < 0) {
        return refuse(QStringLiteral("Zeile %1 gehört zu keinem Eintrag: vor ihr steht keine Zeile ITEM:.").arg(line));
    }
    if (quint32(line) > firstLineOf(record) + this->record(record).lineCount) {
        return refuse(QStringLiteral("Zeile %1 gehört zu keinem Eintrag: sie steht nach dem Ende (endtip) des "
                                     "Eintrags, der in Zeile %2 beginnt.")
                          .arg(line)
                          .arg(firstLineOf(record) + 1));
    }
    // A second item line run into this one: the line belongs to two records.
    if (bytesOf(quint32(line - 1)).indexOf(QByteArrayView("ITEM:"), 1) > 0) {
        return refuse(QStringLiteral("Zeile %1 gehört zu zwei Einträgen: in ihr beginnt ein weiterer Eintrag "
                                     "(Zeilenende fehlt?).")
                          .arg(line));
    }
    return record;
}

} // namespace merivox
