#include "RecordTemplate.h"

#include "Builders.h"
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

constexpr const char16_t *kCaptions[] = {u"L1",    u"L2",     u"L3", u"D1", u"D2", u"Kugeldurchmesser",
                                         u"Länge", u"Breite", u"L4"};
static_assert(std::size(kCaptions) == std::size(kDimensionFields));

QString captionOf(DimensionField field)
{
    return QString::fromUtf16(kCaptions[size_t(field)]);
}

QString &text(DimensionTexts &texts, DimensionField field)
{
    return texts[size_t(field)];
}

// A line cut at its runs of blanks, each piece by its place in the line.
class Tokens final
{
public:
    explicit Tokens(const QString &line) : m_line(line)
    {
        for (qsizetype i = 0; i < line.size();) {
            if (line[i] == u' ') {
                ++i;
                continue;
            }
            const qsizetype start = i;
            while (i < line.size() && line[i] != u' ') {
                ++i;
            }
            m_pieces.append({start, i});
        }
    }
    qsizetype size() const { return m_pieces.size(); }
    QString keyword() const { return at(0); }
    // A computed number or a fixed text: the piece itself.
    QString at(qsizetype i) const
    {
        return i < size() ? m_line.sliced(m_pieces[i].first, m_pieces[i].second - m_pieces[i].first) : QString();
    }
    // A size written as typed: the piece with the blanks around it that are not the single
    // blanks separating it from its neighbours.
    QString typed(qsizetype i) const
    {
        if (i >= size()) {
            return {};
        }
        const qsizetype from = i == 0 ? 0 : m_pieces[i - 1].second + 1;
        const qsizetype to = i + 1 < size() ? m_pieces[i + 1].first - 1 : m_line.size();
        return m_line.sliced(from, std::max(to - from, qsizetype(0)));
    }
    // The rest of the line after piece i and its single blank: a thread.
    QString restAfter(qsizetype i) const
    {
        if (i >= size()) {
            return {};
        }
        const qsizetype from = m_pieces[i].second + 1;
        return from < m_line.size() ? m_line.sliced(from) : QString();
    }
    const QString &line() const { return m_line; }

private:
    QString m_line;
    QList<std::pair<qsizetype, qsizetype>> m_pieces;
};

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

// A length measured down from the mounting face, from its position: the negation, made on the
// text so that it keeps the record's digits.
QString depthOf(const QString &position)
{
    if (position.isEmpty()) {
        return {};
    }
    if (position.startsWith(u'-')) {
        return position.sliced(1);
    }
    if (position.startsWith(u'+')) {
        return u'-' + position.sliced(1);
    }
    if (const std::optional<double> value = numberOf(position); value && *value == 0.0) {
        return position;
    }
    return u'-' + position;
}

std::optional<Rgb> colourOf(const Tokens &line)
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

// The separator of the record's numbers; where both stand, mostly is the one that most have.
Decimal decimalOfNumbers(const QList<Tokens> &lines, Decimal &mostly)
{
    int points = 0;
    int commas = 0;
    for (qsizetype l = 1; l < lines.size(); ++l) {
        const Tokens &line = lines[l];
        // The threads of the connections are no numbers.
        const qsizetype numbers = line.keyword().compare(u"connect", Qt::CaseInsensitive) == 0 ? 7 : line.size();
        for (qsizetype i = 1; i < std::min(numbers, line.size()); ++i) {
            const QString piece = line.at(i);
            points += piece.contains(u'.') ? 1 : 0;
            commas += piece.contains(u',') ? 1 : 0;
        }
    }
    if (points > 0 && commas > 0) {
        // Mixed: rebuilt with the separator that most numbers have.
        mostly = commas > points ? Decimal::Comma : Decimal::Point;
        return Decimal::Mixed;
    }
    return points > 0 ? Decimal::Point : commas > 0 ? Decimal::Comma : Decimal::None;
}

class Recovery final
{
public:
    Recovery(TipKind kind, const QStringList &lines) : m_kind(kind)
    {
        for (const QString &line : lines) {
            m_lines.append(Tokens(line));
        }
        m_original = lines;
        m_decimal = decimalOfNumbers(m_lines, m_mostly);
        m_mostly = m_decimal == Decimal::Mixed ? m_mostly : m_decimal;
    }

    RecordTemplate run(int firstLine)
    {
        RecordTemplate best = base();
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
    const Tokens *find(const char16_t *keyword, qsizetype from = 1, qsizetype to = -1) const
    {
        to = to < 0 ? m_lines.size() : to;
        for (qsizetype i = from; i < to; ++i) {
            if (m_lines[i].keyword() == QStringView(keyword)) {
                return &m_lines[i];
            }
        }
        return nullptr;
    }

    RecordTemplate base() const
    {
        RecordTemplate t;
        t.kind = m_kind;
        QString connectThread;
        if (m_kind == TipKind::Cube) {
            if (const Tokens *connect = find(u"Connect")) {
                connectThread = connect->restAfter(6);
            }
        }
        splitItem(m_original.value(0), connectThread, t);
        switch (m_kind) {
        case TipKind::Cube:
            cube(t);
            break;
        case TipKind::Extension:
            extension(t);
            break;
        default:
            stylus(t, false);
            break;
        }
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

    void stylus(RecordTemplate &t, bool loneCylinderIsFirst) const
    {
        using F = DimensionField;
        qsizetype colours[2] = {-1, -1};
        for (qsizetype i = 1, n = 0; i < m_lines.size() && n < 2; ++i) {
            if (m_lines[i].keyword() == u"Color") {
                colours[n++] = i;
            }
        }
        if (colours[0] > 0) {
            t.shaftColour = colourOf(m_lines[colours[0]]);
        }
        if (colours[1] > 0) {
            t.ballColour = colourOf(m_lines[colours[1]]);
        }
        const qsizetype headFrom = colours[1] > 0 ? colours[1] + 1 : m_lines.size();
        // The shaft: first cylinder, cone, neck; each may be missing.
        QList<const Tokens *> cylinders;
        const Tokens *cone = nullptr;
        const Tokens *first = nullptr;
        const Tokens *neck = nullptr;
        for (qsizetype i = std::max(colours[0] + 1, qsizetype(1)); i < headFrom && colours[0] > 0; ++i) {
            const Tokens &line = m_lines[i];
            if (line.keyword() == u"cone" && !cone) {
                cone = &line;
                first = cylinders.value(0);
            } else if (line.keyword() == u"cylinder") {
                if (cone) {
                    neck = neck ? neck : &line;
                } else {
                    cylinders.append(&line);
                }
            }
        }
        if (!cone) {
            if (cylinders.size() >= 2) {
                first = cylinders[0];
                neck = cylinders[1];
            } else if (cylinders.size() == 1) {
                (loneCylinderIsFirst ? first : neck) = cylinders[0];
            }
        }
        DimensionTexts &d = t.dimensions;
        text(d, F::L1) = first ? depthOf(first->at(6)) : cone ? depthOf(cone->at(3)) : QStringLiteral("0");
        text(d, F::L2) = cone ? depthOf(cone->at(7)) : QStringLiteral("0");
        text(d, F::D1) = first ? first->typed(7) : cone ? cone->typed(4) : neck ? neck->typed(7) : QStringLiteral("0");
        text(d, F::D2) = cone ? cone->typed(8) : neck ? neck->typed(7) : text(d, F::D1);

        const Tokens *hotSpot = find(u"hotspot", headFrom);
        const QString hotSpotDepth = hotSpot ? depthOf(hotSpot->at(3)) : QString();
        const Tokens *sphere = find(u"sphere", headFrom);
        const Tokens *headCylinder = find(u"cylinder", headFrom);
        switch (m_kind) {
        case TipKind::Ball:
            text(d, F::L3) = sphere ? depthOf(sphere->at(3)) : hotSpotDepth;
            text(d, F::BallDiameter) = sphere ? sphere->typed(4) : hotSpot ? hotSpot->at(7) : QString();
            break;
        case TipKind::HalfSphere: {
            const Tokens *cut = find(u"cutsphere", headFrom);
            text(d, F::L3) = cut ? depthOf(cut->at(3)) : hotSpotDepth;
            text(d, F::BallDiameter) = cut ? cut->typed(7) : hotSpot ? hotSpot->at(7) : QString();
            break;
        }
        case TipKind::Cylinder:
            text(d, F::L3) = headCylinder ? depthOf(headCylinder->at(3)) : QString();
            text(d, F::L4) = headCylinder ? depthOf(headCylinder->at(6)) : hotSpotDepth;
            text(d, F::BallDiameter) = headCylinder ? headCylinder->typed(7) : hotSpot ? hotSpot->at(7) : QString();
            t.withoutHalfSphere = sphere == nullptr;
            break;
        case TipKind::Disc: {
            text(d, F::L3) = headCylinder ? depthOf(headCylinder->at(6)) : QString();
            const QString length = headCylinder ? headCylinder->typed(7) : hotSpot ? hotSpot->at(7) : QString();
            text(d, F::Length) = length;
            if (hotSpot) {
                // The width follows the diameter, which is known to its last blank.
                const QString before = QStringLiteral("hotspot 0 0 %1 0 0 1 %2 ").arg(hotSpot->at(3), length);
                const QString after = QStringLiteral(" disk");
                const QString &line = hotSpot->line();
                text(d, F::Width) =
                    line.startsWith(before) && line.endsWith(after) && line.size() > before.size() + after.size()
                        ? line.sliced(before.size(), line.size() - before.size() - after.size())
                        : hotSpot->at(8);
            }
            break;
        }
        default:
            break;
        }
    }

    void cube(RecordTemplate &t) const
    {
        if (const Tokens *colour = find(u"Color")) {
            t.shaftColour = colourOf(*colour);
        }
        // The bottom connection lies at -L1.
        if (const Tokens *connect = find(u"Connect")) {
            text(t.dimensions, DimensionField::L1) = depthOf(connect->at(3));
        } else {
            // The second face is the bottom one, at -L1.
            int faces = 0;
            for (const Tokens &line : m_lines) {
                if (line.keyword() == u"face" && ++faces == 2) {
                    text(t.dimensions, DimensionField::L1) = depthOf(line.at(4));
                }
            }
        }
    }

    void extension(RecordTemplate &t) const
    {
        if (const Tokens *colour = find(u"Color")) {
            t.shaftColour = colourOf(*colour);
        }
        if (const Tokens *rod = find(u"cylinder")) {
            text(t.dimensions, DimensionField::D1) = rod->typed(7);
            text(t.dimensions, DimensionField::Length) = depthOf(rod->at(6));
        }
        if (const Tokens *connect = find(u"connect")) {
            t.thread2 = connect->restAfter(6);
        }
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
            const Tokens built(rebuilt->at(l));
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
        if (m_kind == TipKind::HalfSphere) {
            // A lone shaft cylinder is the neck, or the first cylinder of a half sphere without neck.
            out.append([this, t]() -> std::optional<RecordTemplate> {
                RecordTemplate other = t;
                other.dimensions = {};
                stylus(other, true);
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
    QList<Tokens> m_lines;
    QStringList m_original;
    Decimal m_decimal = Decimal::None;
    Decimal m_mostly = Decimal::None; // the separator that the record is built again with
};

} // namespace

std::optional<TipKind> templateKind(RecordKind kind, TipShape shape)
{
    switch (kind) {
    case RecordKind::Solid:
        return TipKind::Cube;
    case RecordKind::Extension:
        return TipKind::Extension;
    case RecordKind::Stylus:
        switch (shape) {
        case TipShape::Ball:
            return TipKind::Ball;
        case TipShape::HalfSphere:
            return TipKind::HalfSphere;
        case TipShape::Shank:
            return TipKind::Cylinder;
        case TipShape::Disk:
            return TipKind::Disc;
        case TipShape::None:
        case TipShape::Other:
            break;
        }
        break;
    case RecordKind::Unknown:
        break;
    }
    return std::nullopt;
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
            absent.append(captionOf(field));
            continue;
        }
        if (const std::optional<QString> swapped = withLocaleSeparator(typed, locale)) {
            typed = *swapped;
            converted.append(captionOf(field));
        }
        if (!parseNumber(typed, locale)) {
            unread.append(QStringLiteral("%1 („%2“)").arg(captionOf(field), visible(typed.trimmed())));
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
    if (record.kind != TipKind::Cube && record.kind != TipKind::Extension) {
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
