#include "ProbeFile.h"

#include "AnsiText.h"
#include "ItemKeys.h"
#include "LargePages.h"
#include "LineSyntax.h"
#include "ReadFile.h"
#include "ReaderTexts.h"

#include <QByteArrayMatcher>
#include <QDataStream>
#include <QTemporaryFile>
#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <algorithm>
#include <deque>
#include <cstring>
#include <type_traits>
#include <limits>

namespace merivox {

namespace {

QByteArrayView trimmedRight(QByteArrayView text)
{
    while (!text.isEmpty() && syntax::isBlank(text.back())) {
        text.chop(1);
    }
    return text;
}

QString quoted(QByteArrayView text)
{
    constexpr qsizetype kLongest = 40;
    QString shown = visible(fromAnsi(text.first(std::min(text.size(), kLongest))));
    if (text.size() > kLongest) {
        shown += QStringLiteral("…");
    }
    return QStringLiteral("„%1“").arg(shown);
}

// Where "ITEM:" first stands in the text from from on, or -1. Looks for the colon, which other
// lines seldom hold: quicker on every line than a general search.
qsizetype findItem(QByteArrayView text, qsizetype from = 0)
{
    const char *const data = text.data();
    for (qsizetype at = from + 4; at < text.size();) {
        const auto *colon = static_cast<const char *>(std::memchr(data + at, ':', size_t(text.size() - at)));
        if (!colon) {
            return -1;
        }
        at = colon - data;
        if (std::memcmp(colon - 4, "ITEM", 4) == 0) {
            return at - 4;
        }
        ++at;
    }
    return -1;
}

TipShape shapeOf(QByteArrayView word)
{
    return hotSpotShape(std::string_view(word.data(), size_t(word.size())));
}

} // namespace

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

// One pass over the lines, fed one by one: gives each its kind, groups them into records and
// notes every problem. At most one problem is noted per line; a record that is cut off is noted
// at its item line. What the lines and records become, and where the notes go, is the sink's
// business: the whole-file model keeps them, the check prints the notes as they come. Apart from
// its one open record, the checker keeps per distinct name and thread only a slot of what the
// duplicate rule needs: a hash, and the sink's number for where they stand.
class ProbeFile::Checker final
{
public:
    class Sink
    {
    public:
        virtual ~Sink() = default;
        // Line index starts at offset; asked only of a sink that wants the lines.
        virtual void line(quint32, quint64) {}
        bool wantsLines() const { return m_wantsLines; }
        // Each record once it is complete, in order, with where its first line starts.
        virtual void record(const Record &, quint64) {}
        // Whether the notes of the line (1-based) are wanted; else they are only counted.
        virtual bool keeps(int) const { return true; }
        virtual void note(Problem note) = 0;
        // No note comes any more for lines before this one (1-based).
        virtual void settled(int) {}
        // The open record, its item line on line index (0-based), holds a name and thread not seen
        // before, length bytes from offset on: the sink's number for them, not 0.
        virtual quint32 remember(quint64 offset, quint32 length, quint32 index) = 0;
        // The name and thread of that number as they stand in the file, and their line index.
        virtual QByteArrayView remembered(quint32 number, quint32 &index, QByteArray &scratch) = 0;
        // Whether a line from offset on ends in CR LF.
        virtual bool crLfFrom(quint64 offset) = 0;
        // About this many records are coming: room for what the sink keeps of each can be made.
        virtual void expectRecords(quint64) {}

    protected:
        bool m_wantsLines = true;
    };

    explicit Checker(Sink &sink, bool quickLines = true) : m_sink(sink), m_quickLines(quickLines) {}

    // One line from offset on, with its CR but without its LF; newline says whether an LF ended it.
    // readable: the end of the memory that the line lies in, which may be read past the line.
    // masks: those of the line's bytes when they were made with finding its end, else null.
    void feed(quint64 offset, QByteArrayView line, bool newline, const char *readable,
              const syntax::ByteMasks *masks = nullptr)
    {
        if (!line.isEmpty() && line.back() == '\r') {
            line.chop(1);
            m_crLf = m_crLf || newline;
        } else if (newline && !m_lfNoted) {
            m_lfNoted = true;
            m_lfLine = m_lines;
        }
        m_lastNewline = newline;
        // A CR is in none of the masks' classes: those of the line with it hold for it without.
        readLine(offset, line, readable, masks);
        if (m_lfLine == m_lines - 1) {
            // The notes of a line come in the order they are found; this one after the line's own.
            const quint64 next = offset + quint64(line.size()) + 1; // an LF alone ended this line
            const bool mixed = m_crLf || m_sink.crLfFrom(next);
            hint(m_lfLine, mixed ? QStringLiteral("Gemischte Zeilenenden: diese Zeile endet mit LF allein, andere "
                                                  "mit CR LF (mit einem Texteditor bearbeitet?).")
                                 : QStringLiteral("Die Zeilen enden mit LF allein statt mit CR LF (mit einem "
                                                  "Texteditor gespeichert?)."));
            m_lfLine = kNone;
        }
        settle();
    }

    // The end of the file.
    void finish()
    {
        if (m_lines > 0 && !m_lastNewline) {
            problem(m_lines - 1,
                    QStringLiteral("Die letzte Zeile hat kein Zeilenende: die Datei endet mitten in einer Zeile."));
        }
        finishRecord();
        m_sink.settled(std::numeric_limits<int>::max());
    }

    // A file of size bytes is to be read: the duplicate table is made once at about the size it
    // will grow to, instead of growing to it in steps that each move every slot. Made whole at
    // once, it is made no larger than 8 MiB this way: a file of few records but long lines does
    // not take more.
    void expectBytes(quint64 size)
    {
        constexpr quint64 kMost = 3 << 18; // records that fill a table of 2^20 slots
        const quint64 records = std::min(size / kBytesPerRecord, kMost);
        size_t wanted = 1024;
        while (3 * wanted < 4 * records) {
            wanted *= 2;
        }
        if (wanted > m_slots.size()) {
            rehash(wanted);
        }
        m_sink.expectRecords(records);
    }

    quint32 lineCount() const { return m_lines; }
    qsizetype recordCount() const { return m_records; }
    qsizetype problemCount() const { return m_problemCount; }
    qsizetype hintCount() const { return m_hintCount; }

private:
    static constexpr quint32 kNone = std::numeric_limits<quint32>::max();
    // What a record takes in a file, about: a stylus some 250 bytes, an extension or a cube more.
    static constexpr quint64 kBytesPerRecord = 256;

    // Tells the sink which lines are done: all when no record is open, else those before it.
    // The sink hears only of a change: a later line, or a note since it last heard.
    void settle()
    {
        const int line = m_open ? int(m_record.firstLine) + 1 : int(m_lines) + 1;
        if (line != m_settledLine || m_notedSince) {
            m_settledLine = line;
            m_notedSince = false;
            m_sink.settled(line);
        }
    }

    struct Open
    {
        bool begin = false, end = false, solid = false, other = false, connect = false, cutSphere = false;
        int facesExpected = 0;
        int faces = 0;
        TipShape hotSpot = TipShape::None;
        bool point = false, comma = false, mixedNoted = false;
    };

    void readLine(quint64 offset, QByteArrayView line, const char *readable, const syntax::ByteMasks *masks)
    {
        if (!(m_open && m_quickLines && readIntact(offset, line, readable, masks))) {
            readByRules(offset, line);
        }
    }

    // The full rules, for every line that the quick way leaves; kept out of the way of the lines
    // that take the quick way, which then need none of its set-up.
    [[gnu::noinline]] void readByRules(quint64 offset, QByteArrayView line)
    {
        const quint32 index = m_lines++;
        m_index = index;
        LineKind kind = LineKind::Unknown;
        QString trouble;
        // An item line at the start of its line, as every record begins, needs no fields.
        const bool itemLine = m_quickLines && syntax::isItemLine(line);
        if (!itemLine) {
            syntax::split(line, m_fields);
        }
        const qsizetype item = !itemLine && m_fields.colon ? findItem(line) : -1;
        QByteArrayView next; // the item line that follows this line's own text, when it does
        if (itemLine) {
            kind = LineKind::Item;
        } else if (m_fields.count == 0) {
            trouble = QStringLiteral("Leere Zeile.");
        } else if (m_fields.colon && m_fields.at[0].startsWith(QByteArrayView("ITEM:"))) {
            kind = LineKind::Item;
        } else if (item > 0 && completeBefore(line.first(item), kind)) {
            // "endtipITEM:…": a whole line and then the next record's item line, whose line end
            // got lost. Both records are read; the line is the damage.
            next = line.sliced(item);
            trouble = runTogether(next);
        } else {
            if (item > 0) {
                syntax::split(line, m_fields); // completeBefore split only the text before the item line
            }
            kind = syntax::kindOf(m_fields.at[0]);
            trouble = checkFields(kind, line);
        }
        if (m_sink.wantsLines()) {
            m_sink.line(index, offset);
        }

        if (kind == LineKind::Item) {
            finishRecord();
            m_recordStart = offset;
            startRecord(index, offset, line, false);
            return;
        }
        if (!next.isEmpty()) {
            if (m_open) {
                m_record.lineCount++;
                follow(kind, true);
            }
            problem(index, trouble);
            finishRecord();
            m_recordStart = offset;
            startRecord(index, offset + quint64(item), next, true);
            return;
        }
        if (m_open) {
            m_record.lineCount++;
            // A damaged line still stands where it stands: an endtip with a stray field still
            // ends its stylus, a face with a corner short is still one of the solid's faces.
            follow(kind, trouble.isEmpty());
        } else if (trouble.isEmpty()) {
            trouble = say([&] {
                return QStringLiteral("Zeile außerhalb eines Eintrags (vor ihr fehlt eine Zeile ITEM:): %1.")
                    .arg(quoted(line));
            });
        }
        if (!trouble.isEmpty()) {
            problem(index, trouble);
        }
    }

    // Nearly every line of a file is an intact part of the open record: such a line is read in
    // one pass, and the full rules below read only the others. False, with nothing changed, for
    // a line that is not plainly intact, or that brings the record its second decimal separator
    // (a hint that names the number).
    bool readIntact(quint64 offset, QByteArrayView line, const char *readable, const syntax::ByteMasks *masks)
    {
        syntax::IntactLine intact;
        if (!(masks ? syntax::readIntact(line, *masks, intact) : syntax::readIntact(line, readable, intact))) {
            return false;
        }
        const bool point = m_state.point || intact.point;
        const bool comma = m_state.comma || intact.comma;
        if (point && comma && !m_state.mixedNoted) {
            return false;
        }
        const quint32 index = m_lines++;
        m_index = index;
        if (m_sink.wantsLines()) {
            m_sink.line(index, offset);
        }
        m_state.point = point;
        m_state.comma = comma;
        m_record.lineCount++;
        follow(intact.kind, intact.count, intact.kind == LineKind::HotSpot ? shapeOf(intact.word) : TipShape::Other);
        return true;
    }

    // Whether the text before an item line is a whole line of a kind that ends in a number or
    // in its keyword, so that the item line cannot be part of a thread or a shape.
    bool completeBefore(QByteArrayView text, LineKind &kind)
    {
        syntax::split(text, m_fields);
        if (m_fields.count == 0 || m_fields.count > syntax::Fields::kMax) {
            return false;
        }
        kind = syntax::kindOf(m_fields.at[0]);
        const syntax::FieldRule rule = syntax::ruleOf(kind);
        if (kind == LineKind::Unknown || rule.trailingWord || rule.restIsText) {
            return false;
        }
        if (syntax::isBlank(text.back())) {
            return false; // "endtip ITEM:" would be a field holding the item line
        }
        return checkFields(kind, text).isEmpty();
    }

    QString runTogether(QByteArrayView field) const
    {
        return say([&] { return QStringLiteral("Zwei Zeilen in einer (Zeilenende fehlt?): %1 steht mitten in der Zeile.")
            .arg(quoted(field)); });
    }

    // The problem of a line other than the item line, or nothing.
    QString checkFields(LineKind kind, QByteArrayView line)
    {
        const syntax::Fields &f = m_fields;
        if (kind == LineKind::Unknown) {
            // Quote what stands where the second line begins.
            if (const qsizetype item = line.indexOf(QByteArrayView("ITEM:")); item > 0) {
                return runTogether(line.sliced(item));
            }
            if (syntax::isTwoKeywords(f.at[0])) {
                return runTogether(line.sliced(syntax::secondKeywordAt(f.at[0]) + (f.at[0].data() - line.data())));
            }
            return say([&] { return QStringLiteral("Unbekannte Zeile: %1.").arg(quoted(line)); });
        }
        const syntax::FieldRule rule = syntax::ruleOf(kind);
        const QString trouble = checkLayout(kind, rule);
        // A damaged line is best explained by the start of another line inside it; in an intact
        // line only a thread or a shape can hide one ("M3endtip"): its numbers were read as
        // numbers, and an intact face is numbers only.
        const int shown = std::min(f.count, syntax::Fields::kMax);
        const int firstWord = kind == LineKind::Face ? shown : rule.numbers + 1;
        for (int i = trouble.isEmpty() ? firstWord : 1; i < shown; ++i) {
            const bool text = i > rule.numbers && (rule.trailingWord || rule.restIsText);
            if (syntax::holdsAnotherLine(f.at[i], text)) {
                return runTogether(f.at[i]);
            }
        }
        return trouble;
    }

    // The problem with the count or the numbers of a line's fields, or nothing.
    QString checkLayout(LineKind kind, const syntax::FieldRule &rule)
    {
        const syntax::Fields &f = m_fields;
        const auto keyword = [kind] {
            return lineKeyword(kind);
        };
        const auto fieldsText = [](int n) {
            return counted(n, QStringLiteral("Feld"), QStringLiteral("Felder"));
        };
        const int fields = f.count - 1;
        int numbers = rule.numbers;
        if (kind == LineKind::Face) {
            int corners = 0;
            if (fields < 1 || !syntax::toInteger(f.at[1], corners) || corners < 1) {
                return say([&] { return QStringLiteral("face: die Zahl der Ecken fehlt oder ist keine ganze Zahl größer 0."); });
            }
            if (corners > syntax::Fields::kMax || fields != 1 + 3 * corners || f.count > syntax::Fields::kMax) {
                return say([&] { return QStringLiteral("Falsche Zahl der Felder: face mit %1 braucht %2 Koordinaten, hier %3.")
                    .arg(counted(corners, QStringLiteral("Ecke"), QStringLiteral("Ecken")))
                    .arg(qint64(corners) * 3)
                    .arg(fields - 1); });
            }
            return checkNumbers(2, fields, kind);
        }
        if (rule.trailingWord && fields != numbers + 1) {
            return say([&] { return QStringLiteral("Falsche Zahl der Felder: %1 braucht %2 Zahlen und eine Form, hier %3.")
                .arg(keyword())
                .arg(numbers)
                .arg(fieldsText(fields)); });
        }
        if (rule.restIsText && fields < numbers) {
            return say([&] { return QStringLiteral("Falsche Zahl der Felder: %1 braucht %2 Zahlen und ein Gewinde, hier %3.")
                .arg(keyword())
                .arg(numbers)
                .arg(fieldsText(fields)); });
        }
        if (!rule.trailingWord && !rule.restIsText && fields != numbers) {
            return say([&] { return QStringLiteral("Falsche Zahl der Felder: %1 braucht %2, hier %3.")
                .arg(keyword(), numbers == 0 ? QStringLiteral("keine Felder") : fieldsText(numbers))
                .arg(fields); });
        }
        if (kind == LineKind::RibCount || kind == LineKind::Solid || kind == LineKind::Color) {
            for (int i = 1; i <= numbers; ++i) {
                int value = 0;
                if (!syntax::toInteger(f.at[i], value)) {
                    return say([&] { return QStringLiteral("Keine ganze Zahl: %1 (Feld %2 der Zeile %3).")
                        .arg(quoted(f.at[i]))
                        .arg(i)
                        .arg(keyword()); });
                }
                if (kind == LineKind::Color && (value < 0 || value > 255)) {
                    return say([&] { return QStringLiteral("Farbwert %1 liegt nicht zwischen 0 und 255.").arg(quoted(f.at[i])); });
                }
            }
            return {};
        }
        return checkNumbers(1, numbers, kind);
    }

    QString checkNumbers(int first, int last, LineKind kind)
    {
        for (int i = first; i <= last; ++i) {
            char separator = 0;
            bool exponent = false;
            if (syntax::isPlainNumber(m_fields.at[i], separator)) {
                // a number, and not too large
            } else if (!syntax::isNumber(m_fields.at[i], separator, exponent)) {
                return say([&] { return QStringLiteral("Keine Zahl: %1 (Feld %2 der Zeile %3).")
                    .arg(quoted(m_fields.at[i]))
                    .arg(i)
                    .arg(lineKeyword(kind)); });
            } else if (syntax::mayBeTooLarge(m_fields.at[i], exponent) && syntax::isTooLarge(m_fields.at[i])) {
                return say([&] { return QStringLiteral("Zahl außerhalb des darstellbaren Bereichs: %1 (Feld %2 der Zeile %3).")
                    .arg(quoted(m_fields.at[i]))
                    .arg(i)
                    .arg(lineKeyword(kind)); });
            }
            if (separator != 0 && m_open) {
                m_state.point = m_state.point || separator == '.';
                m_state.comma = m_state.comma || separator == ',';
                if (m_state.point && m_state.comma && !m_state.mixedNoted) {
                    m_state.mixedNoted = true;
                    hint(m_index, [&] {
                        return QStringLiteral("Dezimalpunkt und Dezimalkomma gemischt: hier %1, vorher im Eintrag "
                                              "das andere Zeichen.")
                            .arg(quoted(m_fields.at[i]));
                    });
                }
            }
        }
        return {};
    }

    void startRecord(quint32 index, quint64 offset, QByteArrayView line, bool midLine)
    {
        m_record = {index, 1};
        m_recordMidLine = midLine;
        m_twinOf = 0;
        m_twin = {};
        // The open record's item line, for its notes when it ends: the line itself may be gone.
        m_item.resize(line.size());
        std::copy(line.begin(), line.end(), m_item.begin());
        m_open = true;
        m_state = {};
        // The duplicate table is far larger than the processor's caches: its slot for this name
        // and thread is fetched now, while the line is checked, not waited for at the end.
        const QByteArrayView key = itemKey(line);
        const quint32 hash = hashOf(key);
        if (!m_slots.empty()) {
            __builtin_prefetch(&m_slots[size_t(hash) & (m_slots.size() - 1)]);
        }
        // Notes on this item line belong to the record that starts mid-line, when it does.
        m_midLine = midLine;
        const auto done = qScopeGuard([this] { m_midLine = false; });
        if (const qsizetype again = findItem(line, 1); again > 0) {
            problem(index, runTogether(line.sliced(again)));
            return;
        }
        QByteArrayView name;
        QByteArrayView thread;
        if (!syntax::splitItem(line, name, thread)) {
            problem(index, QStringLiteral("Falsche Zahl der Felder: der Zeile ITEM: fehlt „MM “ zwischen Name und "
                                          "Gewinde."));
            return;
        }
        syntax::Fields &words = m_words;
        syntax::split(thread, words);
        for (int i = 0; i < std::min(words.count, syntax::Fields::kMax); ++i) {
            if (syntax::holdsAnotherLine(words.at[i], true)) {
                problem(index, runTogether(words.at[i]));
                return;
            }
        }
        for (const auto &[text, what] : {std::pair{name, QStringLiteral("Der Name")}, {thread, QStringLiteral("Das Gewinde")}}) {
            if (syntax::looksLikeUtf8(text)) {
                hint(index, QStringLiteral("%1 %2 sieht nach UTF-8 aus (gemeint wohl %3): die Datei ist in Windows-1252 "
                                           "geschrieben.")
                                .arg(what, quoted(text), visible(QStringLiteral("„%1“").arg(QString::fromUtf8(text)))));
                break;
            }
        }
        // The table's slot is looked at when the record ends: by then it has come from memory.
        m_twin = {true, hash, index, offset + 5};
    }

    // Eight bytes at a time, each mixed in by a multiplication, the whole folded to 32 bits: only
    // a first sieve, as keys of equal hash are compared byte by byte. A key of eight bytes or more
    // ends on its last eight, which may overlap the word before; a shorter one is put together in
    // a register (a partial word copied through memory would make the processor wait for it).
    static quint32 hashOf(QByteArrayView key)
    {
        constexpr quint64 kMix = 0xff51afd7ed558ccdull;
        const auto mix = [](quint64 hash, quint64 word) {
            hash = (hash ^ word) * kMix;
            return hash ^ (hash >> 29);
        };
        const auto load = [](const char *p) {
            quint64 word;
            std::memcpy(&word, p, 8);
            return word;
        };
        const qsizetype size = key.size();
        const char *const p = key.data();
        quint64 hash = 0x9e3779b97f4a7c15ull ^ quint64(size);
        if (size >= 8) {
            for (qsizetype at = 0; at + 8 < size; at += 8) {
                hash = mix(hash, load(p + at));
            }
            hash = mix(hash, load(p + size - 8));
        } else {
            quint64 word = 0;
            for (qsizetype i = 0; i < size; ++i) {
                word |= quint64(quint8(p[i])) << (8 * i);
            }
            hash = mix(hash, word);
        }
        hash *= kMix;
        return quint32(hash ^ (hash >> 32));
    }

    // The same name and thread twice: the line (1-based) of the first record that has the key,
    // else 0, and the key is remembered as the first of its kind. Only distinct keys are kept, in
    // an open-addressing table of 8 bytes a slot that a lookup walks without leaving it until a
    // hash matches; a match is confirmed by the sink's bytes of the earlier key.
    int findTwin(quint32 index, quint64 keyOffset, QByteArrayView key, quint32 hash)
    {
        if (4 * (m_keyCount + 1) > 3 * m_slots.size()) {
            rehash(std::max<size_t>(1024, 2 * m_slots.size()));
        }
        const size_t mask = m_slots.size() - 1;
        size_t at = size_t(hash) & mask;
        for (; m_slots[at].number != 0; at = (at + 1) & mask) {
            if (m_slots[at].hash != hash) {
                continue;
            }
            quint32 line = 0;
            if (m_sink.remembered(m_slots[at].number, line, m_scratch) == key) {
                return int(line) + 1;
            }
        }
        m_slots[at] = {hash, m_sink.remember(keyOffset, quint32(key.size()), index)};
        ++m_keyCount;
        return 0;
    }

    void rehash(size_t size)
    {
        std::vector<Slot, LargePageAllocator<Slot>> table(size);
        const size_t mask = size - 1;
        for (const Slot &slot : m_slots) {
            if (slot.number == 0) {
                continue;
            }
            size_t at = size_t(slot.hash) & mask;
            while (table[at].number != 0) {
                at = (at + 1) & mask;
            }
            table[at] = slot;
        }
        m_slots = std::move(table);
    }

    // What the line tells about its record; intact says whether its fields can be read.
    void follow(LineKind kind, bool intact)
    {
        int faces = m_state.facesExpected;
        if (kind == LineKind::Solid && intact) {
            syntax::toInteger(m_fields.at[1], faces);
        }
        follow(kind, faces, kind == LineKind::HotSpot && intact ? shapeOf(m_fields.at[9]) : TipShape::Other);
    }

    // The same, with a solid's count of faces and a hot spot's shape read from the line.
    void follow(LineKind kind, int faces, TipShape shape)
    {
        switch (kind) {
        case LineKind::BeginTip:
            m_state.begin = true;
            break;
        case LineKind::EndTip:
            m_state.end = true;
            finishRecord();
            break;
        case LineKind::Solid:
            m_state.solid = true;
            m_state.facesExpected = faces;
            break;
        case LineKind::Face:
            m_state.faces++;
            m_state.other = true;
            break;
        case LineKind::LowerConnect:
        case LineKind::CubeConnect:
            m_state.connect = true;
            m_state.other = true;
            break;
        case LineKind::HotSpot:
            m_state.hotSpot = shape;
            m_state.other = true;
            break;
        case LineKind::CutSphere:
            m_state.cutSphere = true;
            m_state.other = true;
            break;
        case LineKind::Item:
        case LineKind::Unknown:
            break;
        default:
            m_state.other = true;
            break;
        }
    }

    void finishRecord()
    {
        if (!m_open) {
            return;
        }
        m_open = false;
        if (m_twin.pending) {
            m_twinOf = findTwin(m_twin.index, m_twin.keyOffset, itemKey(QByteArrayView(m_item)), m_twin.hash);
        }
        Record &r = m_record;
        r.faces = quint8(std::clamp(m_state.faces, 0, 255));
        r.decimal = m_state.point ? (m_state.comma ? Decimal::Mixed : Decimal::Point)
                                  : (m_state.comma ? Decimal::Comma : Decimal::None);
        QString missing;
        if (m_state.begin) {
            r.kind = RecordKind::Stylus;
            r.shape = m_state.hotSpot == TipShape::Ball && m_state.cutSphere ? TipShape::HalfSphere : m_state.hotSpot;
            if (!m_state.end) {
                missing = QStringLiteral("endtip fehlt.");
            }
        } else if (m_state.solid) {
            r.kind = RecordKind::Solid;
            if (m_state.faces < m_state.facesExpected) {
                const int absent = m_state.facesExpected - m_state.faces;
                missing = QStringLiteral("%1 von %2 %3.")
                              .arg(absent)
                              .arg(counted(m_state.facesExpected, QStringLiteral("Fläche"), QStringLiteral("Flächen")))
                              .arg(absent == 1 ? QStringLiteral("fehlt") : QStringLiteral("fehlen"));
            }
        } else if (m_state.other) {
            r.kind = RecordKind::Extension;
            if (!m_state.connect) {
                missing = QStringLiteral("connect fehlt.");
            }
        } else {
            r.kind = RecordKind::Unknown;
            missing = QStringLiteral("nach der Zeile ITEM: folgt kein Teil.");
        }
        QByteArrayView name;
        QByteArrayView thread;
        const QByteArrayView item(m_item);
        m_midLine = m_recordMidLine;
        if (!missing.isEmpty()) {
            const auto who = [&] { return syntax::splitItem(item, name, thread) ? quoted(name) : quoted(item); };
            problem(r.firstLine, [&] { return QStringLiteral("Eintrag %1 ist abgeschnitten: %2").arg(who(), missing); });
        }
        if (m_twinOf > 0) {
            syntax::splitItem(item, name, thread);
            problem(r.firstLine, [&] {
                return QStringLiteral("Name %1 mit Gewinde %2 steht schon in Zeile %3.")
                    .arg(quoted(name), quoted(trimmedRight(thread)))
                    .arg(m_twinOf);
            });
        }
        m_midLine = false;
        ++m_records;
        m_sink.record(r, m_recordStart);
    }

    // A note's text is given as a text or as a function that makes it, called only when the
    // note is kept.
    template <typename Text> void problem(quint32 index, const Text &text) { note(index, text, false); }
    template <typename Text> void hint(quint32 index, const Text &text) { note(index, text, true); }

    bool keeps(quint32 index) const { return m_sink.keeps(int(index) + 1); }

    // The text of a note on the line being read, made only when the note is kept: a reading that
    // keeps the notes of some lines only passes over the others quickly.
    template <typename Make> QString say(const Make &make) const
    {
        return keeps(m_index) ? QString(make()) : QStringLiteral("-");
    }

    // Counts every problem and hint, and hands on those the sink keeps.
    template <typename Text> void note(quint32 index, const Text &text, bool isHint)
    {
        ++(isHint ? m_hintCount : m_problemCount);
        if (!keeps(index)) {
            return;
        }
        QString made;
        if constexpr (std::is_invocable_v<Text>) {
            made = text();
        } else {
            made = text;
        }
        m_notedSince = true;
        m_sink.note({int(index) + 1, made, isHint, m_midLine});
    }

    // A distinct name and thread: its hash and the sink's number for it (0: a free slot).
    struct Slot
    {
        quint32 hash = 0;
        quint32 number = 0;
    };

    Sink &m_sink;
    const bool m_quickLines;
    syntax::Fields m_fields;
    syntax::Fields m_words; // the words of an item line's thread
    quint32 m_lines = 0;
    quint32 m_index = 0; // the line being read
    qsizetype m_records = 0;
    qsizetype m_problemCount = 0;
    qsizetype m_hintCount = 0;
    bool m_crLf = false;       // a line so far ended in CR LF
    bool m_lfNoted = false;    // the first line that ends in LF alone was found
    quint32 m_lfLine = kNone;  // that line, until its hint is given
    bool m_lastNewline = true; // the last line read ended in LF
    bool m_open = false;
    int m_settledLine = 0;     // the line the sink last heard was settled
    bool m_notedSince = false; // and whether a note went to it after that
    bool m_midLine = false; // the note being made belongs to a record that starts mid-line
    Record m_record;        // the open record, or the last one
    bool m_recordMidLine = false;
    quint64 m_recordStart = 0; // where its first line starts
    QByteArray m_item;      // its item line (from "ITEM:" on)
    int m_twinOf = 0;       // the line of the first record with its name and thread, or 0
    struct
    {
        bool pending = false; // its name and thread are still to be looked up
        quint32 hash = 0;
        quint32 index = 0;      // its item line
        quint64 keyOffset = 0;  // where its name starts
    } m_twin;
    Open m_state;
    std::vector<Slot, LargePageAllocator<Slot>> m_slots;
    size_t m_keyCount = 0;
    QByteArray m_scratch;
};

namespace {

// Line offsets are 32 bits wide.
constexpr std::uint64_t kLargest = std::numeric_limits<quint32>::max();

// Whether the file holds a CR LF from offset on; it is read from there, and left where it stood.
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

QString readFailure(const QString &path, const ReadResult &result)
{
    const QString shown = QDir::toNativeSeparators(path);
    const auto unreadable = [&](const QString &reason) {
        return QStringLiteral("%1 kann nicht gelesen werden: %2").arg(shown, reason);
    };
    switch (result.cause) {
    case FileCause::Missing:
        return QStringLiteral("%1 existiert nicht.").arg(shown);
    // The same causes as when the file is written, in the same words.
    case FileCause::FolderMissing:
        return unreadable(QStringLiteral("Der Ordner existiert nicht."));
    case FileCause::AccessDenied:
        return unreadable(QStringLiteral("Zugriff verweigert."));
    case FileCause::FolderAccessDenied:
        return unreadable(QStringLiteral("Zugriff auf den Ordner verweigert."));
    case FileCause::IsFolder:
        return QStringLiteral("%1 ist ein Ordner, keine Datei.").arg(shown);
    case FileCause::NotRegular:
        return QStringLiteral("%1 ist keine gewöhnliche Datei (sondern ein Gerät, eine Pipe oder ein Socket) und wird "
                              "nicht gelesen.")
            .arg(shown);
    case FileCause::TooLarge:
        return QStringLiteral("%1 ist zu groß (über 4 GB).").arg(shown);
    case FileCause::InUse:
        return unreadable(QStringLiteral("Die Datei wird gerade von einem anderen Programm beschrieben."));
    case FileCause::None:
    case FileCause::DiskFull:
    case FileCause::SizeLimit:
    case FileCause::Changed:
    case FileCause::BadRange:
    case FileCause::ForeignBackup:
    case FileCause::NoPermissions:
    case FileCause::Other:
        break;
    }
    return unreadable(qt_error_string(result.systemError));
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
    const ReadResult result = readWholeFile(native, kLargest,
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

namespace {

// What a record is, in 16 bits: its kind (2 bits), tip shape (3), decimal separator (2) and faces
// (8).
static_assert(int(RecordKind::Unknown) < 4 && int(TipShape::Other) < 8 && int(Decimal::Mixed) < 4);

quint16 packWhat(const ProbeFile::Record &record)
{
    return quint16(int(record.kind) | int(record.shape) << 2 | int(record.decimal) << 5 | int(record.faces) << 7);
}

void unpackWhat(quint16 what, ProbeFile::Record &record)
{
    record.kind = RecordKind(what & 3);
    record.shape = TipShape(what >> 2 & 7);
    record.decimal = Decimal(what >> 5 & 3);
    record.faces = quint8(what >> 7);
}

} // namespace

// Keeps the lines, the records and the notes asked for in the file.
class ProbeFile::Keeper final : public ProbeFile::Checker::Sink
{
public:
    // input: the file being read, when its bytes are not in memory.
    Keeper(ProbeFile &file, Keep keep, InputFile *input = nullptr)
        : m_file(file), m_input(input), m_keep(std::max<qsizetype>(keep.keep, 1)), m_from(keep.fromLine)
    {
    }
    void line(quint32 index, quint64 offset) override
    {
        if (index % kMarkStep == 0) {
            m_file.m_marks.push_back(quint32(offset));
        }
    }
    void record(const Record &record, quint64 start) override
    {
        Kept kept;
        kept.firstLine[0] = quint16(record.firstLine);
        kept.firstLine[1] = quint16(record.firstLine >> 16);
        kept.lineCount = quint16(std::min<quint32>(record.lineCount, kLong));
        if (record.lineCount >= kLong) {
            m_file.m_long.emplace_back(quint32(m_file.m_records.size()), record.lineCount);
        }
        // Mostly a few hundred bytes after its line's mark; else its line is looked for.
        kept.start = quint16(std::min<quint64>(start - m_file.m_marks[record.firstLine / kMarkStep], kFar));
        kept.what = packWhat(record);
        m_file.m_records.push_back(kept);
    }
    bool keeps(int line) const override { return line >= m_from && line < m_ceiling; }
    void note(Problem note) override
    {
        m_notes.append(std::move(note));
        if (m_notes.size() >= 2 * m_keep) {
            trim();
        }
    }
    // A key is named by its record: the open one is the next to come.
    quint32 remember(quint64, quint32, quint32) override { return quint32(m_file.m_records.size()) + 1; }
    QByteArrayView remembered(quint32 number, quint32 &index, QByteArray &) override
    {
        index = m_file.firstLineOf(qsizetype(number) - 1);
        return itemKey(m_file.itemLine(qsizetype(number) - 1));
    }
    bool crLfFrom(quint64 offset) override
    {
        if (m_input) {
            return crLfFromFile(*m_input, offset);
        }
        return QByteArrayView(m_file.m_bytes).sliced(qsizetype(offset)).indexOf(QByteArrayView("\r\n")) >= 0;
    }
    void done(const Checker &checker)
    {
        trim();
        for (Problem &note : m_notes) {
            (note.hint ? m_file.m_hints : m_file.m_problems).append(std::move(note));
        }
        m_file.m_lineCount = checker.lineCount();
        m_file.m_problemCount = checker.problemCount();
        m_file.m_hintCount = checker.hintCount();
        m_file.m_nextLine = m_ceiling == kNoCeiling ? 0 : m_ceiling;
        if (m_input) {
            // Read without knowing their number beforehand: no room to grow is kept.
            m_file.m_records.shrink_to_fit();
            m_file.m_marks.shrink_to_fit();
        }
    }

private:
    // Keeps the first m_keep notes by line, whole lines only; later lines are no longer kept.
    void trim()
    {
        std::stable_sort(m_notes.begin(), m_notes.end(), [](const Problem &a, const Problem &b) {
            return a.line < b.line;
        });
        if (m_notes.size() > m_keep) {
            m_ceiling = m_notes.at(m_keep).line;
            const auto cut = std::lower_bound(m_notes.begin(), m_notes.end(), m_ceiling,
                                              [](const Problem &p, int line) { return p.line < line; });
            m_notes.erase(cut, m_notes.end());
        }
    }

    static constexpr int kNoCeiling = std::numeric_limits<int>::max();
    ProbeFile &m_file;
    InputFile *const m_input;
    const qsizetype m_keep;
    const int m_from;
    int m_ceiling = kNoCeiling; // notes from this line on are counted, not kept
    QList<Problem> m_notes;
};

// Hands on the notes in line order. Only the notes from the open record's item line on wait:
// that line may still learn that its record is cut off, or named twice.
class ProbeFile::Stream final : public ProbeFile::Checker::Sink
{
public:
    Stream(InputFile &file, const std::function<void(const Problem &)> &each) : m_file(file), m_each(each)
    {
        m_wantsLines = false;
    }
    void note(Problem note) override
    {
        m_first = std::min(m_first, note.line);
        m_held.push_back(std::move(note));
    }
    void settled(int line) override
    {
        if (m_first < line || m_spillFirst < line) {
            sortHeld();
            auto done = m_held.begin();
            // Spilled notes are of lines after the held ones that came before them, and before
            // the held ones that came after.
            for (; done != m_held.end() && done->line < std::min(line, m_spillFirst); ++done) {
                m_each(*done);
            }
            if (m_spillFirst < line) {
                unspill();
            }
            for (; done != m_held.end() && done->line < line; ++done) {
                m_each(*done);
            }
            m_held.erase(m_held.begin(), done);
            m_first = m_held.empty() ? kNone : m_held.front().line;
        }
        if (m_held.size() > kHeld) {
            spill(line);
        }
    }
    quint32 remember(quint64 offset, quint32 length, quint32 index) override
    {
        m_keys.push_back({quint32(offset), length, index});
        return quint32(m_keys.size());
    }
    QByteArrayView remembered(quint32 number, quint32 &index, QByteArray &scratch) override
    {
        const Key &key = m_keys[number - 1];
        index = key.line;
        return bytesAt(key.offset, key.length, scratch);
    }
    bool crLfFrom(quint64 offset) override { return crLfFromFile(m_file, offset); }
    void expectRecords(quint64 records) override { m_keys.reserve(records); }

private:
    // Where a distinct name and thread stand in the file, and its line index. The file is at
    // most 4 GB.
    struct Key
    {
        quint32 offset = 0;
        quint32 length = 0;
        quint32 line = 0;
    };

    // length bytes of the file from offset, read before.
    QByteArrayView bytesAt(quint64 offset, quint32 length, QByteArray &scratch)
    {
        const std::uint64_t back = m_file.position();
        m_file.seek(offset);
        scratch.resize(length);
        qsizetype have = 0;
        std::size_t got = 1;
        while (have < length && got > 0 && m_file.read({scratch.data() + have, size_t(length - have)}, got).ok()) {
            have += qsizetype(got);
        }
        m_file.seek(back);
        return QByteArrayView(scratch).first(have);
    }

    InputFile &m_file;
    const std::function<void(const Problem &)> &m_each;
    // Problems of a line before its hints, else in the order they came.
    void sortHeld()
    {
        std::stable_sort(m_held.begin(), m_held.end(), [](const Problem &a, const Problem &b) {
            return a.line != b.line ? a.line < b.line : a.hint < b.hint;
        });
    }

    // A record open over many damaged lines: the notes of its later lines go to a temporary
    // file until the record ends, so that memory holds at most kHeld of them. Only its item
    // line's notes stay, which its end may still add to. Each line's notes are whole in one
    // batch, and the batches come in line order.
    void spill(int itemLine)
    {
        sortHeld();
        const auto later = std::upper_bound(m_held.begin(), m_held.end(), itemLine,
                                            [](int line, const Problem &p) { return line < p.line; });
        if (later == m_held.end()) {
            return;
        }
        if (!m_spill.isOpen() && !m_spill.open()) {
            return; // no room for a temporary file: the notes stay in memory
        }
        QDataStream out(&m_spill);
        for (auto p = later; p != m_held.end(); ++p) {
            out << p->line << p->hint << p->midLine << p->text;
        }
        m_spillFirst = std::min(m_spillFirst, later->line);
        m_held.erase(later, m_held.end());
        m_first = m_held.empty() ? kNone : m_held.front().line;
    }

    void unspill()
    {
        m_spill.seek(0);
        QDataStream in(&m_spill);
        Problem p;
        while (!in.atEnd()) {
            in >> p.line >> p.hint >> p.midLine >> p.text;
            m_each(p);
        }
        m_spill.resize(0);
        m_spill.seek(0);
        m_spillFirst = kNone;
    }

    static constexpr int kNone = std::numeric_limits<int>::max();
    static constexpr size_t kHeld = 4096;
    std::vector<Problem> m_held;
    int m_first = kNone; // the first line that a held note is on
    QTemporaryFile m_spill;
    int m_spillFirst = kNone; // the first line of a spilled note
    // Made at once for the records the file's length suggests (expectRecords): grown, and for a
    // moment held twice, only for a file of more records than that.
    std::vector<Key, LargePageAllocator<Key>> m_keys;
};

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
    Checker checker(keeper, keep.quickLines);
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

// How a reading in pieces ended: with the read's result, stopped by its caller, and the last byte.
struct Fed
{
    ReadResult result;
    bool stopped = false;
    char last = 0;
};

// Feeds the lines of an open file to the checker, read in pieces into a buffer that grows only
// for a line longer than it. After each read, seen(base, bytes, ended) is shown all the bytes in
// the buffer (bytes[0] stands at base in the file; ended at the file's end) and stops the reading
// by returning false. keepFrom(offset) tells how far back the buffer must keep the bytes when the
// next line starts at offset.
// One function for every reading, called through std::function once a piece: the line loop is
// then made once, with the finding of line ends inlined into it.
template <typename Checker>
Fed feedPieces(InputFile &file, Checker &checker, const std::function<bool(quint64, QByteArrayView, bool)> &seen,
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
            const int length = room >= std::size_t(syntax::ByteMasks::kLongest)
                ? syntax::lineMasks(data + pos, int(std::min<std::size_t>(have - pos, syntax::ByteMasks::kLongest)), masks)
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

} // namespace

std::optional<ProbeFile::Totals> ProbeFile::check(const QString &path, const std::function<void(const Problem &)> &each,
                                                  QString *error)
{
    const std::filesystem::path native(QDir::toNativeSeparators(path).toStdU16String());
    InputFile file;
    ReadResult result = openForPieces(file, native);
    if (result.ok()) {
        Stream stream(file, each);
        Checker checker(stream);
        checker.expectBytes(file.size());
        result = feedPieces(
            file, checker, [](quint64, QByteArrayView, bool) { return true; }, [](quint64 next) { return next; })
                     .result;
        if (result.ok()) {
            checker.finish();
            return Totals{checker.recordCount(), checker.problemCount(), checker.hintCount()};
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
    Checker checker(keeper, keep.quickLines);
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
    const auto keepFrom = [&disk](quint64 next) { return std::min(next, quint64(disk.hashed())); };
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
        record.lineCount = std::lower_bound(m_long.begin(), m_long.end(), quint32(i),
                                            [](const auto &entry, quint32 r) { return entry.first < r; })
                               ->second;
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
        line.kind = f.count == 0 ? LineKind::Unknown
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
    if (record < 0 || quint32(line) > firstLineOf(record) + this->record(record).lineCount) {
        return refuse(QStringLiteral("Zeile %1 gehört zu keinem Eintrag: vor ihr steht keine Zeile ITEM:.").arg(line));
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
