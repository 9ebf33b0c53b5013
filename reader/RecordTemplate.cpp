#include "RecordTemplate.h"

#include "Builders.h"
#include "DecodedRecord.h"
#include "NumberText.h"
#include "ReaderTexts.h"

#include <cmath>
#include <functional>

namespace merivox {

namespace {

const QLocale kPointLocale = QLocale::c();
const QLocale kCommaLocale(QLocale::German, QLocale::Germany);

// How far around a position rounded to 15 digits the value it came from may lie, in steps of
// the last bit: a 15-digit text is exact to within 23 of them.
constexpr int kUlpReach = 32;

// A double written exactly and without a decimal separator, so that either locale reads it:
// its 17 significant digits and an exponent ("12345678901234567e-16").
QString exactText(double value)
{
    const QString written = QString::number(value, 'e', 16);
    const qsizetype e = written.indexOf(u'e');
    QString digits = written.first(e);
    int exponent = written.sliced(e + 1).toInt() - 16;
    const bool negative = digits.startsWith(u'-');
    digits.remove(u'-');
    digits.remove(u'.');
    while (digits.size() > 1 && digits.endsWith(u'0')) {
        digits.chop(1);
        ++exponent;
    }
    return (negative ? QStringLiteral("-") : QString()) + digits +
           (exponent != 0 ? QStringLiteral("e%1").arg(exponent) : QString());
}

QLocale localeOf(Decimal decimal)
{
    return decimal == Decimal::Comma ? kCommaLocale : kPointLocale;
}

// A number of the record in either separator.
std::optional<double> numberOf(const QString &text)
{
    return parseNumber(text, text.contains(u',') ? kCommaLocale : kPointLocale);
}

// A colour as the editor writes it: three whole numbers from 0 to 255, nothing more.
std::optional<Rgb> colourOf(const RecordTokens &line)
{
    if (line.size() != 4) {
        return std::nullopt;
    }
    int parts[3] = {};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        parts[i] = line.at(i + 1).toInt(&ok);
        if (!ok || parts[i] < 0 || parts[i] > 255 || QString::number(parts[i]) != line.at(i + 1)) {
            return std::nullopt;
        }
    }
    return Rgb{parts[0], parts[1], parts[2]};
}

class Recovery final
{
public:
    Recovery(TipKind kind, const QStringList &lines) : m_kind(kind)
    {
        for (const QString &line : lines) {
            m_lines.append(RecordTokens(line));
        }
        m_original = lines;
        m_decoded = decodeRecord(m_lines, {.as = kind});
        m_decimal = m_decoded.decimal;
        // Mixed: rebuilt with the separator that most numbers have.
        m_mostly = m_decimal != Decimal::Mixed           ? m_decimal
                   : m_decoded.commas > m_decoded.points ? Decimal::Comma
                                                         : Decimal::Point;
    }

    RecordTemplate run(int firstLine)
    {
        RecordTemplate best = base(m_decoded);
        best.line = firstLine;
        best.decimal = m_decimal;
        std::optional<QStringList> rebuilt = rebuild(best);
        if (rebuilt != m_original) {
            // Another reading of the same lines, or a position rounded to 15 digits.
            for (const auto &alternative : alternatives(best, rebuilt)) {
                if (std::optional<RecordTemplate> found = alternative()) {
                    best = *found;
                    rebuilt = rebuild(best);
                    break;
                }
            }
        }
        best.exact = rebuilt == m_original;
        if (!best.exact) {
            best.differences = differences(rebuilt, firstLine);
        }
        return best;
    }

private:
    // The editor's inputs from the record's reading: its name and thread, the kind's dimensions
    // as typed, and its colours where the editor writes them so.
    RecordTemplate base(const DecodedRecord &decoded) const
    {
        const TipKindDescription *kind = findTipKind(m_kind);
        RecordTemplate t;
        t.kind = m_kind;
        QString connectThread;
        if (kind->record == RecordKind::Solid) {
            // The connections on the solid's faces repeat the item's thread.
            for (const RecordTokens &line : m_lines) {
                if (line.keyword() == u"Connect") {
                    connectThread = line.restAfter(6);
                    break;
                }
            }
        }
        splitItem(m_original.value(0), connectThread, t);
        for (const DimensionField field : kDimensionFields) {
            t.dimensions[size_t(field)] = decoded[field].typed;
        }
        if (kind->record == RecordKind::Stylus && !decoded.shaft) {
            // A shaft that the record leaves out was typed as 0.
            t.dimensions[size_t(DimensionField::D1)] = t.dimensions[size_t(DimensionField::D2)] = QStringLiteral("0");
        }
        const auto colour = [this, &decoded](int i) {
            const qsizetype at = decoded.colourLines[i];
            return at > 0 ? colourOf(m_lines[at]) : std::nullopt;
        };
        t.shaftColour = colour(0);
        if (kind->record == RecordKind::Stylus) {
            t.ballColour = colour(1);
        }
        t.withoutHalfSphere = decoded.withoutRoundEnd;
        t.thread2 = decoded.thread2;
        return t;
    }

    // "ITEM:" name "MM " thread: where "MM " stands more than once, any cut gives the same line;
    // the reader's (the last) is taken, or the one whose thread the cube's connections repeat.
    static void splitItem(const QString &line, const QString &connectThread, RecordTemplate &t)
    {
        if (!line.startsWith(QLatin1String("ITEM:"))) {
            return;
        }
        const QString body = line.sliced(5);
        // Neither the name nor the thread is empty in a record that the editor made.
        qsizetype cut = body.lastIndexOf(QLatin1String("MM "));
        while (cut > 0 && cut + 3 == body.size()) {
            cut = body.lastIndexOf(QLatin1String("MM "), cut - 1);
        }
        if (cut == 0) {
            cut = body.indexOf(QLatin1String("MM "), 1);
            cut = cut < 0 ? 0 : cut;
        }
        if (!connectThread.isEmpty() && body.endsWith(QLatin1String("MM ") + connectThread)) {
            cut = body.size() - connectThread.size() - 3;
        }
        if (cut < 0) {
            t.name = body;
            return;
        }
        t.name = body.first(cut);
        t.thread = body.sliced(cut + 3);
    }

    // The record that these inputs build, in the record's own decimal separator.
    std::optional<QStringList> rebuild(const RecordTemplate &t) const
    {
        const QLocale locale = localeOf(m_mostly);
        TipInputs in;
        in.name = t.name;
        in.thread = t.thread;
        in.thread2 = t.thread2;
        in.tip_type = m_kind;
        in.Check_zyl = t.withoutHalfSphere;
        in.shaft_rgb = t.shaftColour.value_or(kSteelShaft);
        in.ball_rgb = t.ballColour.value_or(kRubyBall);
        Dimension *fields[] = {&in.L1,     &in.L2,    &in.L3, &in.D1, &in.D2, &in.ball_diameter,
                               &in.length, &in.width, &in.L4};
        for (const DimensionField field : kDimensionFields) {
            const QString &typed = t.dimensions[size_t(field)];
            // A text that is no number in the record's separator counts as 0, as in the editor.
            std::optional<double> value = parseNumber(typed, locale);
            value = value ? value : numberOf(typed);
            *fields[size_t(field)] = {value ? typed : QStringLiteral("0"), value.value_or(0.0)};
        }
        if (const std::optional<TipRecord> record = buildRecord(m_kind, in, locale)) {
            return record->lines;
        }
        return std::nullopt;
    }

    // Whether the lines built differ from the record's only in the last digits of numbers.
    bool onlyRounding(const std::optional<QStringList> &rebuilt) const
    {
        if (!rebuilt || rebuilt->size() != m_lines.size()) {
            return false;
        }
        for (qsizetype l = 0; l < m_lines.size(); ++l) {
            const RecordTokens built(rebuilt->at(l));
            if (built.size() != m_lines[l].size()) {
                return false;
            }
            for (qsizetype i = 0; i < built.size(); ++i) {
                const QString a = built.at(i);
                const QString b = m_lines[l].at(i);
                if (a == b) {
                    continue;
                }
                const std::optional<double> x = numberOf(a);
                const std::optional<double> y = numberOf(b);
                if (!x || !y || std::abs(*x - *y) > 1e-12 * std::max(std::abs(*x), std::abs(*y))) {
                    return false;
                }
            }
        }
        return true;
    }

    // The values near the positions' numbers that rebuild the record, each written exactly.
    std::optional<RecordTemplate> searchNear(RecordTemplate t, std::initializer_list<DimensionField> fields) const
    {
        const QLocale locale = localeOf(m_mostly);
        QList<DimensionField> order(fields);
        QList<double> bases;
        for (const DimensionField field : order) {
            const std::optional<double> value = parseNumber(t.dimensions[size_t(field)], locale);
            if (!value) {
                return std::nullopt;
            }
            bases.append(*value);
        }
        // One field after the other: each keeps only the values that write its own position
        // unchanged, so that the second field is searched for few values of the first.
        const std::function<bool(qsizetype)> search = [&](qsizetype k) -> bool {
            if (k == order.size()) {
                return rebuild(t) == m_original;
            }
            QString &typed = t.dimensions[size_t(order[k])];
            const QString own = formatNumber(-bases[k], locale);
            double below = bases[k];
            double above = bases[k];
            for (int step = 0; step <= kUlpReach; ++step) {
                const double values[] = {below, above};
                for (int c = 0; c < (step == 0 ? 1 : 2); ++c) {
                    if (formatNumber(-values[c], locale) != own) {
                        continue;
                    }
                    typed = exactText(values[c]);
                    if (search(k + 1)) {
                        return true;
                    }
                }
                below = std::nextafter(below, -HUGE_VAL);
                above = std::nextafter(above, HUGE_VAL);
            }
            return false;
        };
        if (search(0)) {
            return t;
        }
        return std::nullopt;
    }

    QList<std::function<std::optional<RecordTemplate>()>> alternatives(const RecordTemplate &t,
                                                                       const std::optional<QStringList> &rebuilt) const
    {
        QList<std::function<std::optional<RecordTemplate>()>> out;
        // A lone shaft cylinder read the other way round: the upper cylinder of a stylus without
        // neck, or the neck of one whose neck does not run down to its head.
        if (findTipKind(m_kind)->record == RecordKind::Stylus) {
            out.append([this, t]() -> std::optional<RecordTemplate> {
                RecordTemplate other = base(decodeRecord(m_lines, {.as = m_kind, .otherLoneCylinder = true}));
                other.line = t.line;
                other.decimal = t.decimal;
                return rebuild(other) == m_original ? std::optional(other) : std::nullopt;
            });
        }
        if (onlyRounding(rebuilt)) {
            using F = DimensionField;
            switch (m_kind) {
            case TipKind::Cube:
                out.append([this, t] { return searchNear(t, {F::L1}); });
                break;
            case TipKind::Disc:
                out.append([this, t] { return searchNear(t, {F::L3}); });
                break;
            case TipKind::Cylinder:
                out.append([this, t] { return searchNear(t, {F::L3, F::L4}); });
                break;
            default:
                break;
            }
        }
        return out;
    }

    QStringList differences(const std::optional<QStringList> &rebuilt, int firstLine) const
    {
        if (!rebuilt) {
            return {QStringLiteral("Aus diesem Eintrag lässt sich kein Eintrag bauen, wie Merivox ihn schreibt.")};
        }
        QStringList out;
        const qsizetype common = std::min(rebuilt->size(), m_original.size());
        for (qsizetype i = 0; i < common && out.size() < 2; ++i) {
            // A colour that does not read has a note of its own.
            if (rebuilt->at(i) != m_original.at(i) && (m_lines[i].keyword() != u"Color" || colourOf(m_lines[i]))) {
                out.append(QStringLiteral("Zeile %1 „%2“ schreibt Merivox so nicht; der neue Eintrag hat dort „%3“.")
                               .arg(firstLine + int(i))
                               .arg(visible(m_original.at(i)), visible(rebuilt->at(i))));
            }
        }
        if (out.isEmpty() && rebuilt->size() != m_original.size()) {
            out.append(QStringLiteral("Der Eintrag hat %1, der neue wird %2 haben.")
                           .arg(counted(m_original.size(), QStringLiteral("Zeile"), QStringLiteral("Zeilen")),
                                counted(rebuilt->size(), QStringLiteral("Zeile"), QStringLiteral("Zeilen"))));
        }
        return out;
    }

    TipKind m_kind;
    QList<RecordTokens> m_lines;
    DecodedRecord m_decoded; // the lines as the kind reads them
    QStringList m_original;
    Decimal m_decimal = Decimal::None;
    Decimal m_mostly = Decimal::None; // the separator that the record is built again with
};

} // namespace

std::optional<TipKind> templateKind(RecordKind kind, TipShape shape)
{
    const TipKindDescription *description = findRecordKind(kind, shape);
    return description ? std::optional(description->kind) : std::nullopt;
}

RecordTemplate recoverTemplate(TipKind kind, const QStringList &lines, int firstLine)
{
    return Recovery(kind, lines).run(firstLine);
}

TemplateFill templateFill(const RecordTemplate &record, const QLocale &locale)
{
    TemplateFill fill;
    fill.name = record.name;
    fill.thread = record.thread;
    fill.thread2 = record.thread2;
    fill.withoutHalfSphere = record.withoutHalfSphere;
    const TipKindDescription *kind = findTipKind(record.kind);
    const QChar decimal = locale.decimalPoint().front();
    const QChar other = decimal == u',' ? u'.' : u',';
    QStringList converted;
    QStringList unread;
    QStringList absent;
    for (const DimensionField field : kDimensionFields) {
        if (!kind || !kind->dimensions.contains(field)) {
            continue;
        }
        QString typed = record.dimensions[size_t(field)];
        if (typed.isEmpty()) {
            absent.append(dimensionCaption(field));
            continue;
        }
        if (const std::optional<QString> swapped = withLocaleSeparator(typed, locale)) {
            typed = *swapped;
            converted.append(dimensionCaption(field));
        }
        if (!parseNumber(typed, locale)) {
            unread.append(QStringLiteral("%1 („%2“)").arg(dimensionCaption(field), visible(typed.trimmed())));
            continue;
        }
        fill.dimensions[size_t(field)] = typed;
    }
    if (!absent.isEmpty()) {
        fill.notes.append(QStringLiteral("Nicht im Eintrag gefunden, bleibt leer: %1.").arg(absent.join(u", ")));
    }
    if (!unread.isEmpty()) {
        fill.notes.append(QStringLiteral("Keine Zahl, bleibt leer: %1.").arg(unread.join(u", ")));
    }
    if (!converted.isEmpty()) {
        fill.notes.append(
            QStringLiteral("Der Eintrag schreibt Zahlen mit %1, dieser Rechner mit %2: umgeschrieben bei %3; der "
                           "neue Eintrag schreibt dort und in den berechneten Lagen %2 statt %1.")
                .arg(other == u',' ? QStringLiteral("Komma") : QStringLiteral("Punkt"),
                     decimal == u',' ? QStringLiteral("Komma") : QStringLiteral("Punkt"), converted.join(u", ")));
    }
    const auto material = [&](const std::optional<Rgb> &colour, ColourRole role, const QString &what) {
        if (!colour) {
            fill.notes.append(
                QStringLiteral("Der Eintrag hat keine lesbare %1; die Auswahl bleibt, wie sie ist.").arg(what));
            return std::optional<MaterialChoice>();
        }
        std::optional<MaterialChoice> choice = materialChoice(*colour, role);
        if (!choice) {
            fill.notes.append(QStringLiteral("Die %1 %2 %3 %4 gehört zu keinem Material des Editors; der neue Eintrag "
                                             "bekommt die des gewählten Materials.")
                                  .arg(what)
                                  .arg(colour->red)
                                  .arg(colour->green)
                                  .arg(colour->blue));
        }
        return choice;
    };
    if (const auto shaft = material(record.shaftColour, ColourRole::Shaft, QStringLiteral("Schaftfarbe"))) {
        fill.shaft = shaft->shaft;
    }
    if (kind && kind->record == RecordKind::Stylus) {
        if (const auto ball = material(record.ballColour, ColourRole::Ball, QStringLiteral("Kugelfarbe"))) {
            fill.ball = ball->ball;
        }
    }
    if (!record.exact) {
        fill.notes.append(record.differences);
    }
    return fill;
}

QString templateTitle(const RecordTemplate &record)
{
    return QStringLiteral("%1 – %2 (Zeile %3)").arg(visible(record.name), visible(record.thread)).arg(record.line);
}

} // namespace merivox
