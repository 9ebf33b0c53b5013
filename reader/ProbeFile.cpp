#include "ProbeFile.h"

#include "AnsiText.h"
#include "LineSyntax.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
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
    QString shown = fromAnsi(text.first(std::min(text.size(), kLongest)));
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
    explicit Checker(ProbeFile &file) : m_file(file) {}

    void run()
    {
        const QByteArray &bytes = m_file.m_bytes;
        const char *const data = bytes.constData();
        const qsizetype size = bytes.size();
        m_file.m_lines.reserve(size_t(std::count(data, data + size, '\n')) + 1);

        qsizetype pos = 0;
        while (pos < size) {
            const auto *newline = static_cast<const char *>(std::memchr(data + pos, '\n', size_t(size - pos)));
            const qsizetype end = newline ? newline - data : size;
            qsizetype length = end - pos;
            if (length > 0 && data[end - 1] == '\r') {
                --length;
            }
            readLine(quint32(pos), QByteArrayView(data + pos, length));
            pos = end + 1;
        }
        if (size > 0 && data[size - 1] != '\n') {
            problem(quint32(m_file.m_lines.size() - 1),
                    QStringLiteral("Die letzte Zeile hat kein Zeilenende: die Datei endet mitten in einer Zeile."));
        }
        finishRecord();
        findTwins();
        std::stable_sort(m_file.m_problems.begin(), m_file.m_problems.end(),
                         [](const Problem &a, const Problem &b) { return a.line < b.line; });
    }

private:
    struct Open
    {
        bool begin = false, end = false, solid = false, other = false, connect = false, cutSphere = false;
        int facesExpected = 0;
        int faces = 0;
        TipShape hotSpot = TipShape::None;
        bool point = false, comma = false;
    };

    void readLine(quint32 offset, QByteArrayView line)
    {
        const auto index = quint32(m_file.m_lines.size());
        syntax::split(line, m_fields);
        LineKind kind = LineKind::Unknown;
        QString trouble;
        if (m_fields.count == 0) {
            trouble = QStringLiteral("Leere Zeile.");
        } else if (m_fields.at[0].startsWith(QByteArrayView("ITEM:"))) {
            kind = LineKind::Item;
        } else {
            kind = syntax::kindOf(m_fields.at[0]);
            trouble = checkFields(kind, line);
        }
        m_file.m_lines.push_back({offset, quint32(line.size()), kind});

        if (kind == LineKind::Item) {
            finishRecord();
            startRecord(index, line);
            return;
        }
        if (m_open) {
            m_file.m_records.back().lineCount++;
            // A damaged line still stands where it stands: an endtip with a stray field still
            // ends its stylus, a face with a corner short is still one of the solid's faces.
            follow(kind, trouble.isEmpty());
        } else if (trouble.isEmpty()) {
            trouble = QStringLiteral("Zeile außerhalb eines Eintrags (vor ihr fehlt eine Zeile ITEM:): %1.")
                          .arg(quoted(line));
        }
        if (!trouble.isEmpty()) {
            problem(index, trouble);
        }
    }

    static QString runTogether(QByteArrayView field)
    {
        return QStringLiteral("Zwei Zeilen in einer (Zeilenende fehlt?): %1 steht mitten in der Zeile.")
            .arg(quoted(field));
    }

    // The problem of a line other than the item line, or nothing.
    QString checkFields(LineKind kind, QByteArrayView line)
    {
        const syntax::Fields &f = m_fields;
        if (kind == LineKind::Unknown) {
            if (line.indexOf(QByteArrayView("ITEM:")) > 0 || syntax::isTwoKeywords(f.at[0])) {
                return runTogether(line);
            }
            return QStringLiteral("Unbekannte Zeile: %1.").arg(quoted(line));
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
        const int fields = f.count - 1;
        int numbers = rule.numbers;
        if (kind == LineKind::Face) {
            int corners = 0;
            if (fields < 1 || !syntax::toInteger(f.at[1], corners) || corners < 1) {
                return QStringLiteral("face: die Zahl der Ecken fehlt oder ist keine ganze Zahl größer 0.");
            }
            if (fields != 1 + 3 * corners || f.count > syntax::Fields::kMax) {
                return QStringLiteral("Falsche Zahl der Felder: face mit %1 Ecken braucht %2 Koordinaten, hier %3.")
                    .arg(corners)
                    .arg(3 * corners)
                    .arg(fields - 1);
            }
            return checkNumbers(2, fields, kind);
        }
        if (rule.trailingWord && fields != numbers + 1) {
            return QStringLiteral("Falsche Zahl der Felder: %1 braucht %2 Zahlen und eine Form, hier %3 Felder.")
                .arg(keyword())
                .arg(numbers)
                .arg(fields);
        }
        if (rule.restIsText && fields < numbers) {
            return QStringLiteral("Falsche Zahl der Felder: %1 braucht %2 Zahlen und ein Gewinde, hier %3 Felder.")
                .arg(keyword())
                .arg(numbers)
                .arg(fields);
        }
        if (!rule.trailingWord && !rule.restIsText && fields != numbers) {
            return QStringLiteral("Falsche Zahl der Felder: %1 braucht %2, hier %3.")
                .arg(keyword(), numbers == 0 ? QStringLiteral("keine Felder") : QString::number(numbers))
                .arg(fields);
        }
        if (kind == LineKind::RibCount || kind == LineKind::Solid || kind == LineKind::Color) {
            for (int i = 1; i <= numbers; ++i) {
                int value = 0;
                if (!syntax::toInteger(f.at[i], value)) {
                    return QStringLiteral("Keine ganze Zahl: %1 (Feld %2 der Zeile %3).")
                        .arg(quoted(f.at[i]))
                        .arg(i)
                        .arg(keyword());
                }
                if (kind == LineKind::Color && (value < 0 || value > 255)) {
                    return QStringLiteral("Farbwert %1 liegt nicht zwischen 0 und 255.").arg(quoted(f.at[i]));
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
                return QStringLiteral("Keine Zahl: %1 (Feld %2 der Zeile %3).")
                    .arg(quoted(m_fields.at[i]))
                    .arg(i)
                    .arg(lineKeyword(kind));
            }
            m_state.point = m_state.point || separator == '.';
            m_state.comma = m_state.comma || separator == ',';
        }
        return {};
    }

    void startRecord(quint32 index, QByteArrayView line)
    {
        m_file.m_records.push_back({index, 1});
        m_open = true;
        m_state = {};
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
        m_items.push_back({hashOf(itemKey(line)), index});
    }

    // Name and thread as they stand in the item line; blanks after the thread do not count.
    static QByteArrayView itemKey(QByteArrayView line) { return trimmedRight(line.sliced(5)); }

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
                const QByteArrayView key = itemKey(m_file.bytesOf(m_items[later].second));
                for (size_t earlier = i; earlier < later; ++earlier) {
                    if (itemKey(m_file.bytesOf(m_items[earlier].second)) == key) {
                        QByteArrayView name;
                        QByteArrayView thread;
                        syntax::splitItem(m_file.bytesOf(m_items[later].second), name, thread);
                        problem(m_items[later].second, QStringLiteral("Name %1 mit Gewinde %2 steht schon in Zeile %3.")
                                                           .arg(quoted(name), quoted(trimmedRight(thread)))
                                                           .arg(m_items[earlier].second + 1));
                        break;
                    }
                }
            }
            i = end;
        }
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
        r.faces = quint8(std::min(m_state.faces, 255));
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
                missing = QStringLiteral("%1 von %2 Flächen fehlen.")
                              .arg(m_state.facesExpected - m_state.faces)
                              .arg(m_state.facesExpected);
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
            const QByteArrayView item = m_file.bytesOf(r.firstLine);
            const QString who = syntax::splitItem(item, name, thread) ? quoted(name) : quoted(item);
            problem(r.firstLine, QStringLiteral("Eintrag %1 ist abgeschnitten: %2").arg(who, missing));
        }
    }

    void problem(quint32 index, const QString &text) { m_file.m_problems.append({int(index) + 1, text}); }

    ProbeFile &m_file;
    syntax::Fields m_fields;
    bool m_open = false;
    Open m_state;
    std::vector<std::pair<quint64, quint32>> m_items; // hash of name and thread, line index
};

std::optional<ProbeFile> ProbeFile::read(const QString &path, QString *error)
{
    const auto fail = [&](const QString &reason) -> std::optional<ProbeFile> {
        if (error) {
            *error = reason;
        }
        return std::nullopt;
    };
    const QFileInfo info(path);
    if (info.isDir()) {
        return fail(QStringLiteral("%1 ist ein Ordner, keine Datei.").arg(path));
    }
    if (!info.exists()) {
        return fail(QStringLiteral("%1 existiert nicht.").arg(path));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString reason =
            file.error() == QFileDevice::PermissionsError ? QStringLiteral("Zugriff verweigert.") : file.errorString();
        return fail(QStringLiteral("%1 kann nicht gelesen werden: %2").arg(path, reason));
    }
    if (file.size() > qint64(std::numeric_limits<quint32>::max())) {
        return fail(QStringLiteral("%1 ist zu groß (über 4 GB).").arg(path));
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return fail(QStringLiteral("%1 kann nicht gelesen werden: %2").arg(path, file.errorString()));
    }
    return fromBytes(std::move(bytes));
}

ProbeFile ProbeFile::fromBytes(QByteArray bytes)
{
    ProbeFile file;
    file.m_bytes = std::move(bytes);
    Checker(file).run();
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

QString ProbeFile::name(qsizetype record) const
{
    QByteArrayView name;
    QByteArrayView thread;
    const QByteArrayView item = bytesOf(m_records[size_t(record)].firstLine);
    return syntax::splitItem(item, name, thread) ? fromAnsi(name) : fromAnsi(item.sliced(5));
}

QString ProbeFile::thread(qsizetype record) const
{
    QByteArrayView name;
    QByteArrayView thread;
    return syntax::splitItem(bytesOf(m_records[size_t(record)].firstLine), name, thread) ? fromAnsi(thread) : QString();
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
        lines << fromAnsi(bytesOf(i));
    }
    return lines.join(QLatin1Char('\n'));
}

QList<RecordLine> ProbeFile::lines(qsizetype record) const
{
    const Record &r = m_records[size_t(record)];
    QList<RecordLine> out;
    syntax::Fields f;
    for (quint32 i = r.firstLine; i < r.firstLine + r.lineCount; ++i) {
        const QByteArrayView bytes = bytesOf(i);
        RecordLine line;
        line.number = int(i) + 1;
        line.kind = m_lines[i].kind;
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

qsizetype ProbeFile::recordAtLine(int line) const
{
    const auto index = quint32(std::max(line - 1, 0));
    const auto after = std::upper_bound(m_records.begin(), m_records.end(), index,
                                        [](quint32 i, const Record &r) { return i < r.firstLine; });
    return after - m_records.begin() - 1;
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
