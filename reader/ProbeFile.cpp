#include "ProbeFile.h"

#include "AnsiText.h"
#include "ItemKeys.h"
#include "LineSyntax.h"
#include "ReadFile.h"
#include "ReaderTexts.h"

#include <QByteArrayMatcher>
#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <algorithm>
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

TipShape shapeOf(QByteArrayView word)
{
    if (word == QByteArrayView("ball")) {
        return TipShape::Ball;
    }
    if (word == QByteArrayView("shank")) {
        return TipShape::Shank;
    }
    if (word == QByteArrayView("disk")) {
        return TipShape::Disk;
    }
    return TipShape::Other;
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
    switch (record.kind) {
    case RecordKind::Stylus:
        switch (record.shape) {
        case TipShape::Ball:
            return QStringLiteral("Tastkugel");
        case TipShape::HalfSphere:
            return QStringLiteral("Halbkugel");
        case TipShape::Shank:
            return QStringLiteral("Zylindertaster");
        case TipShape::Disk:
            return QStringLiteral("Scheibentaster");
        case TipShape::None:
        case TipShape::Other:
            break;
        }
        return QStringLiteral("Taster");
    case RecordKind::Solid:
        return record.faces == 6 ? QStringLiteral("Würfel") : QStringLiteral("Körper");
    case RecordKind::Extension:
        return QStringLiteral("Verlängerung");
    case RecordKind::Unknown:
        break;
    }
    return QStringLiteral("unvollständig");
}

// One pass over the bytes: splits the lines, gives each its kind, groups them into records and
// notes every problem. At most one problem is noted per line; a record that is cut off is noted
// at its item line.
class ProbeFile::Checker final
{
public:
    Checker(ProbeFile &file, Keep keep) : m_file(file), m_keep(std::max<qsizetype>(keep.keep, 1)), m_from(keep.fromLine)
    {
    }

    void run()
    {
        const QByteArray &bytes = m_file.m_bytes;
        const char *const data = bytes.constData();
        const qsizetype size = bytes.size();
        m_file.m_lines.reserve(size_t(std::count(data, data + size, '\n')) + 1);
        // Every record starts at an "ITEM:": room for all of them at once, not twice as much
        // after growing.
        qsizetype items = 0;
        const QByteArrayMatcher item(QByteArrayView("ITEM:"));
        for (qsizetype at = item.indexIn(bytes); at >= 0; at = item.indexIn(bytes, at + 5)) {
            ++items;
        }
        m_file.m_records.reserve(size_t(items));

        qsizetype pos = 0;
        qsizetype firstLf = -1; // the first line that ends in LF alone
        bool crLf = false;
        while (pos < size) {
            const auto *newline = static_cast<const char *>(std::memchr(data + pos, '\n', size_t(size - pos)));
            const qsizetype end = newline ? newline - data : size;
            qsizetype length = end - pos;
            if (length > 0 && data[end - 1] == '\r') {
                --length;
                crLf = crLf || newline;
            } else if (newline && firstLf < 0) {
                firstLf = qsizetype(m_file.m_lines.size());
            }
            readLine(quint32(pos), QByteArrayView(data + pos, length));
            pos = end + 1;
        }
        if (size > 0 && data[size - 1] != '\n') {
            problem(quint32(m_file.m_lines.size() - 1),
                    QStringLiteral("Die letzte Zeile hat kein Zeilenende: die Datei endet mitten in einer Zeile."));
        }
        if (firstLf >= 0) {
            hint(quint32(firstLf), crLf ? QStringLiteral("Gemischte Zeilenenden: diese Zeile endet mit LF allein, andere "
                                                         "mit CR LF (mit einem Texteditor bearbeitet?).")
                                        : QStringLiteral("Die Zeilen enden mit LF allein statt mit CR LF (mit einem "
                                                         "Texteditor gespeichert?)."));
        }
        finishRecord();
        findTwins();
        trim();
        for (Problem &note : m_notes) {
            (note.hint ? m_file.m_hints : m_file.m_problems).append(std::move(note));
        }
        m_file.m_nextLine = m_ceiling == kNoCeiling ? 0 : m_ceiling;
    }

private:
    struct Open
    {
        bool begin = false, end = false, solid = false, other = false, connect = false, cutSphere = false;
        int facesExpected = 0;
        int faces = 0;
        TipShape hotSpot = TipShape::None;
        bool point = false, comma = false, mixedNoted = false;
    };

    void readLine(quint32 offset, QByteArrayView line)
    {
        const auto index = quint32(m_file.m_lines.size());
        m_index = index;
        syntax::split(line, m_fields);
        LineKind kind = LineKind::Unknown;
        QString trouble;
        const qsizetype item = line.indexOf(QByteArrayView("ITEM:"));
        QByteArrayView next; // the item line that follows this line's own text, when it does
        if (m_fields.count == 0) {
            trouble = QStringLiteral("Leere Zeile.");
        } else if (m_fields.at[0].startsWith(QByteArrayView("ITEM:"))) {
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
        m_file.m_lines.push_back({offset, quint32(line.size()), kind, !next.isEmpty()});

        if (kind == LineKind::Item) {
            finishRecord();
            startRecord(index, line, false);
            return;
        }
        if (!next.isEmpty()) {
            if (m_open) {
                m_file.m_records.back().lineCount++;
                follow(kind, true);
            }
            problem(index, trouble);
            finishRecord();
            startRecord(index, next, true);
            return;
        }
        if (m_open) {
            m_file.m_records.back().lineCount++;
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
        // line only a thread or a shape can hide one ("M3endtip").
        const int shown = std::min(f.count, syntax::Fields::kMax);
        for (int i = trouble.isEmpty() ? rule.numbers + 1 : 1; i < shown; ++i) {
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
            if (!syntax::isNumber(m_fields.at[i], separator)) {
                return say([&] { return QStringLiteral("Keine Zahl: %1 (Feld %2 der Zeile %3).")
                    .arg(quoted(m_fields.at[i]))
                    .arg(i)
                    .arg(lineKeyword(kind)); });
            }
            if (syntax::isTooLarge(m_fields.at[i])) {
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

    void startRecord(quint32 index, QByteArrayView line, bool midLine)
    {
        m_file.m_records.push_back({index, 1});
        m_open = true;
        m_state = {};
        // Notes on this item line belong to the record that starts mid-line, when it does.
        m_midLine = midLine;
        const auto done = qScopeGuard([this] { m_midLine = false; });
        if (line.indexOf(QByteArrayView("ITEM:"), 1) > 0) {
            problem(index, runTogether(line.sliced(line.indexOf(QByteArrayView("ITEM:"), 1))));
            return;
        }
        QByteArrayView name;
        QByteArrayView thread;
        if (!syntax::splitItem(line, name, thread)) {
            problem(index, QStringLiteral("Falsche Zahl der Felder: der Zeile ITEM: fehlt „MM “ zwischen Name und "
                                          "Gewinde."));
            return;
        }
        syntax::Fields words;
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
        m_items.push_back({hashOf(itemKey(line)), quint32(m_file.m_records.size() - 1)});
    }

    QByteArrayView itemOf(quint32 record) const
    {
        const Record &r = m_file.m_records[record];
        return m_file.partOf(r.firstLine, r);
    }

    // FNV-1a: quick on short keys, and only a first sieve; equal keys are compared byte by byte.
    static quint64 hashOf(QByteArrayView key)
    {
        quint64 hash = 14695981039346656037ull;
        for (const char c : key) {
            hash = (hash ^ quint8(c)) * 1099511628211ull;
        }
        return hash;
    }

    // The same name and thread twice: sorting the item lines by their hash brings equal ones
    // together, which is quicker on many records than a hash table filled line by line.
    void findTwins()
    {
        std::sort(m_items.begin(), m_items.end());
        for (size_t i = 0; i < m_items.size();) {
            size_t end = i + 1;
            while (end < m_items.size() && m_items[end].first == m_items[i].first) {
                ++end;
            }
            for (size_t later = i + 1; later < end; ++later) {
                const QByteArrayView key = itemKey(itemOf(m_items[later].second));
                for (size_t earlier = i; earlier < later; ++earlier) {
                    if (itemKey(itemOf(m_items[earlier].second)) == key) {
                        QByteArrayView name;
                        QByteArrayView thread;
                        syntax::splitItem(itemOf(m_items[later].second), name, thread);
                        const Record &r = m_file.m_records[m_items[later].second];
                        m_midLine = m_file.startsMidLine(r);
                        problem(r.firstLine, QStringLiteral("Name %1 mit Gewinde %2 steht schon in Zeile %3.")
                                                 .arg(quoted(name), quoted(trimmedRight(thread)))
                                                 .arg(m_file.m_records[m_items[earlier].second].firstLine + 1));
                        break;
                    }
                }
            }
            i = end;
        }
        m_midLine = false;
    }

    // What the line tells about its record; intact says whether its fields can be read.
    void follow(LineKind kind, bool intact)
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
            if (intact) {
                syntax::toInteger(m_fields.at[1], m_state.facesExpected);
            }
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
            m_state.hotSpot = intact ? shapeOf(m_fields.at[9]) : TipShape::Other;
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
        Record &r = m_file.m_records.back();
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
        if (!missing.isEmpty()) {
            QByteArrayView name;
            QByteArrayView thread;
            const QByteArrayView item = m_file.partOf(r.firstLine, r);
            const auto who = [&] { return syntax::splitItem(item, name, thread) ? quoted(name) : quoted(item); };
            m_midLine = m_file.startsMidLine(r);
            problem(r.firstLine, [&] { return QStringLiteral("Eintrag %1 ist abgeschnitten: %2").arg(who(), missing); });
            m_midLine = false;
        }
    }

    // A note's text is given as a text or as a function that makes it, called only when the
    // note is kept.
    template <typename Text> void problem(quint32 index, const Text &text) { note(index, text, false); }
    template <typename Text> void hint(quint32 index, const Text &text) { note(index, text, true); }

    bool keeps(quint32 index) const
    {
        const int line = int(index) + 1;
        return line >= m_from && line < m_ceiling;
    }

    // The text of a note on the line being read, made only when the note is kept: a reading that
    // keeps the notes of some lines only passes over the others quickly.
    template <typename Make> QString say(const Make &make) const
    {
        return keeps(m_index) ? QString(make()) : QStringLiteral("-");
    }

    // Counts every problem and hint, and keeps those of the lines asked for, at most about m_keep.
    template <typename Text> void note(quint32 index, const Text &text, bool isHint)
    {
        ++(isHint ? m_file.m_hintCount : m_file.m_problemCount);
        if (!keeps(index)) {
            return;
        }
        QString made;
        if constexpr (std::is_invocable_v<Text>) {
            made = text();
        } else {
            made = text;
        }
        m_notes.append({int(index) + 1, made, isHint, m_midLine});
        if (m_notes.size() >= 2 * m_keep) {
            trim();
        }
    }

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
    const qsizetype m_keep;
    const int m_from;
    int m_ceiling = kNoCeiling; // notes from this line on are counted, not kept
    QList<Problem> m_notes;
    syntax::Fields m_fields;
    quint32 m_index = 0; // the line being read
    bool m_open = false;
    bool m_midLine = false; // the note being made belongs to a record that starts mid-line
    Open m_state;
    std::vector<std::pair<quint64, quint32>> m_items; // hash of name and thread, record index
};

namespace {

QString readFailure(const QString &path, const ReadResult &result)
{
    const QString shown = QDir::toNativeSeparators(path);
    const auto unreadable = [&](const QString &reason) {
        return QStringLiteral("%1 kann nicht gelesen werden: %2").arg(shown, reason);
    };
    switch (result.cause) {
    case ReadCause::Missing:
        return QStringLiteral("%1 existiert nicht.").arg(shown);
    // The same causes as when the file is written, in the same words.
    case ReadCause::FolderMissing:
        return unreadable(QStringLiteral("Der Ordner existiert nicht."));
    case ReadCause::AccessDenied:
        return unreadable(QStringLiteral("Zugriff verweigert."));
    case ReadCause::FolderAccessDenied:
        return unreadable(QStringLiteral("Zugriff auf den Ordner verweigert."));
    case ReadCause::IsFolder:
        return QStringLiteral("%1 ist ein Ordner, keine Datei.").arg(shown);
    case ReadCause::NotRegular:
        return QStringLiteral("%1 ist keine gewöhnliche Datei (sondern ein Gerät, eine Pipe oder ein Socket) und wird "
                              "nicht gelesen.")
            .arg(shown);
    case ReadCause::TooLarge:
        return QStringLiteral("%1 ist zu groß (über 4 GB).").arg(shown);
    case ReadCause::Locked:
        return unreadable(QStringLiteral("Die Datei wird gerade von einem anderen Programm beschrieben."));
    case ReadCause::None:
    case ReadCause::Other:
        break;
    }
    return unreadable(qt_error_string(result.systemError));
}

} // namespace

std::optional<ProbeFile> ProbeFile::read(const QString &path, QString *error, Keep keep)
{
    // The path as the operating system spells it, as the writer names the file.
    const std::filesystem::path native(QDir::toNativeSeparators(path).toStdU16String());
    QByteArray bytes;
    std::uint64_t got = 0;
    // Line offsets are 32 bits wide.
    const ReadResult result = readWholeFile(native, std::numeric_limits<quint32>::max(),
                                            [&bytes](std::uint64_t size) {
                                                bytes.resize(qsizetype(size));
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
    return fromBytes(std::move(bytes), keep);
}

ProbeFile ProbeFile::fromBytes(QByteArray bytes, Keep keep)
{
    ProbeFile file;
    file.m_bytes = std::move(bytes);
    Checker(file, keep).run();
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

QByteArrayView ProbeFile::bytesOf(quint32 index) const
{
    const Line &line = m_lines[index];
    return QByteArrayView(m_bytes.constData() + line.offset, line.length);
}

QByteArrayView ProbeFile::partOf(quint32 index, const Record &record) const
{
    const QByteArrayView bytes = bytesOf(index);
    if (!m_lines[index].split) {
        return bytes;
    }
    const qsizetype item = bytes.indexOf(QByteArrayView("ITEM:"), 1);
    return index == record.firstLine ? bytes.sliced(item) : bytes.first(item);
}

QByteArrayView ProbeFile::itemLine(qsizetype record) const
{
    const Record &r = m_records[size_t(record)];
    return partOf(r.firstLine, r);
}

QString ProbeFile::name(qsizetype record) const
{
    QByteArrayView name;
    QByteArrayView thread;
    const Record &r = m_records[size_t(record)];
    const QByteArrayView item = partOf(r.firstLine, r);
    return syntax::splitItem(item, name, thread) ? fromAnsi(name) : fromAnsi(item.sliced(5));
}

QString ProbeFile::thread(qsizetype record) const
{
    QByteArrayView name;
    QByteArrayView thread;
    const Record &r = m_records[size_t(record)];
    return syntax::splitItem(partOf(r.firstLine, r), name, thread) ? fromAnsi(thread) : QString();
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
    const Record &r = m_records[size_t(record)];
    QStringList lines;
    for (quint32 i = r.firstLine; i < r.firstLine + r.lineCount; ++i) {
        lines << fromAnsi(partOf(i, r));
    }
    return lines.join(QLatin1Char('\n'));
}

QList<RecordLine> ProbeFile::lines(qsizetype record) const
{
    const Record &r = m_records[size_t(record)];
    QList<RecordLine> out;
    syntax::Fields f;
    for (quint32 i = r.firstLine; i < r.firstLine + r.lineCount; ++i) {
        const QByteArrayView bytes = partOf(i, r);
        RecordLine line;
        line.number = int(i) + 1;
        line.kind = m_lines[i].split && i == r.firstLine ? LineKind::Item : m_lines[i].kind;
        if (line.kind == LineKind::Item) {
            QByteArrayView name;
            QByteArrayView thread;
            if (syntax::splitItem(bytes, name, thread)) {
                line.fields = {fromAnsi(name), fromAnsi(thread)};
            }
            line.values = {qQNaN(), qQNaN()};
            out.append(line);
            continue;
        }
        syntax::split(bytes, f);
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
    }
    return out;
}

qsizetype ProbeFile::recordAtLine(int line, bool midLine) const
{
    const auto index = quint32(std::max(line - 1, 0));
    const auto after = std::upper_bound(m_records.begin(), m_records.end(), index,
                                        [](quint32 i, const Record &r) { return i < r.firstLine; });
    qsizetype found = after - m_records.begin() - 1;
    if (found > 0 && !midLine && startsMidLine(m_records[size_t(found)]) && m_records[size_t(found)].firstLine == index) {
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
    if (record < 0 || quint32(line) > m_records[size_t(record)].firstLine + m_records[size_t(record)].lineCount) {
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
