#include "RecordRules.h"

#include "AnsiText.h"
#include "ReaderTexts.h"

#include <algorithm>
#include <cstring>
#include <utility>

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

} // namespace

TipShape shapeOf(QByteArrayView word)
{
    return hotSpotShape(std::string_view(word.data(), size_t(word.size())));
}

RecordRules::Verdict RecordRules::readLine(QByteArrayView line, quint32 index, Parts *open, bool quickItem)
{
    m_index = index;
    Verdict verdict;
    LineKind &kind = verdict.kind;
    QString &trouble = verdict.problem;
    // An item line at the start of its line, as every record begins, needs no fields.
    const bool itemLine = quickItem && syntax::isItemLine(line);
    if (!itemLine) {
        syntax::split(line, m_fields);
    }
    const qsizetype item = !itemLine && m_fields.colon ? findItem(line) : -1;
    if (itemLine) {
        kind = LineKind::Item;
    } else if (m_fields.count == 0) {
        trouble = QStringLiteral("Leere Zeile.");
    } else if (m_fields.colon && m_fields.at[0].startsWith(QByteArrayView("ITEM:"))) {
        kind = LineKind::Item;
    } else if (item > 0 && completeBefore(line.first(item), kind, verdict, open)) {
        // "endtipITEM:…": a whole line and then the next record's item line, whose line end
        // got lost. Both records are read; the line is the damage.
        verdict.item = item;
        trouble = runTogether(line.sliced(item));
    } else {
        if (item > 0) {
            syntax::split(line, m_fields); // completeBefore split only the text before the item line
        }
        kind = syntax::kindOf(m_fields.at[0]);
        trouble = checkFields(kind, line, verdict, open);
    }
    // The sizes of a line whose numbers were read (the whole line before an item line inside it).
    if (syntax::ruleOf(kind).sizes != 0 && (trouble.isEmpty() || verdict.item > 0)) {
        verdict.negativeSize = negativeSize(kind, verdict.item > 0 ? line.first(verdict.item) : line);
    }
    return verdict;
}

// The hint on the first size of the line that is below 0 ("-0" is not), or nothing.
QString RecordRules::negativeSize(LineKind kind, QByteArrayView line) const
{
    const unsigned sizes = syntax::ruleOf(kind).sizes;
    for (int ordinal = 0; (sizes >> ordinal) != 0; ++ordinal) {
        const QByteArrayView field = m_fields.at[ordinal + 1];
        if ((sizes >> ordinal & 1u) == 0 || field.isEmpty() || field.front() != '-' || !(syntax::toNumber(field) < 0)) {
            continue;
        }
        return say([&] {
            return QStringLiteral("Negative Größe: %1 in %2 ist %3.")
                .arg(sizeName(kind, ordinal), quoted(trimmedRight(line)), QString::fromLatin1(field));
        });
    }
    return {};
}

QString RecordRules::sizeName(LineKind kind, int ordinal)
{
    switch (kind) {
    case LineKind::Cone:
        return ordinal == 3 ? QStringLiteral("der Durchmesser am Anfang") : QStringLiteral("der Durchmesser am Ende");
    case LineKind::HotSpot:
        return ordinal == 6 ? QStringLiteral("die erste Größe des Antastpunkts")
                            : QStringLiteral("die zweite Größe des Antastpunkts");
    default:
        return QStringLiteral("der Durchmesser");
    }
}

// Whether the text before an item line is a whole line of a kind that ends in a number or
// in its keyword, so that the item line cannot be part of a thread or a shape.
bool RecordRules::completeBefore(QByteArrayView text, LineKind &kind, Verdict &verdict, Parts *open)
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
    return checkFields(kind, text, verdict, open).isEmpty();
}

QString RecordRules::runTogether(QByteArrayView field) const
{
    return say([&] {
        return QStringLiteral("Zwei Zeilen in einer (Zeilenende fehlt?): %1 steht mitten in der Zeile.")
            .arg(quoted(field));
    });
}

// The problem of a line other than the item line, or nothing.
QString RecordRules::checkFields(LineKind kind, QByteArrayView line, Verdict &verdict, Parts *open)
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
    const QString trouble = checkLayout(kind, rule, verdict, open);
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
QString RecordRules::checkLayout(LineKind kind, const syntax::FieldRule &rule, Verdict &verdict, Parts *open)
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
            return say(
                [&] { return QStringLiteral("face: die Zahl der Ecken fehlt oder ist keine ganze Zahl größer 0."); });
        }
        if (corners > syntax::Fields::kMax || fields != 1 + 3 * corners || f.count > syntax::Fields::kMax) {
            return say([&] {
                return QStringLiteral("Falsche Zahl der Felder: face mit %1 braucht %2 Koordinaten, hier %3.")
                    .arg(counted(corners, QStringLiteral("Ecke"), QStringLiteral("Ecken")))
                    .arg(qint64(corners) * 3)
                    .arg(fields - 1);
            });
        }
        return checkNumbers(2, fields, kind, verdict, open);
    }
    if (rule.trailingWord && fields != numbers + 1) {
        return say([&] {
            return QStringLiteral("Falsche Zahl der Felder: %1 braucht %2 Zahlen und eine Form, hier %3.")
                .arg(keyword())
                .arg(numbers)
                .arg(fieldsText(fields));
        });
    }
    if (rule.restIsText && fields < numbers) {
        return say([&] {
            return QStringLiteral("Falsche Zahl der Felder: %1 braucht %2 Zahlen und ein Gewinde, hier %3.")
                .arg(keyword())
                .arg(numbers)
                .arg(fieldsText(fields));
        });
    }
    if (!rule.trailingWord && !rule.restIsText && fields != numbers) {
        return say([&] {
            return QStringLiteral("Falsche Zahl der Felder: %1 braucht %2, hier %3.")
                .arg(keyword(), numbers == 0 ? QStringLiteral("keine Felder") : fieldsText(numbers))
                .arg(fields);
        });
    }
    if (kind == LineKind::RibCount || kind == LineKind::Solid || kind == LineKind::Color) {
        for (int i = 1; i <= numbers; ++i) {
            int value = 0;
            if (!syntax::toInteger(f.at[i], value)) {
                return say([&] {
                    return QStringLiteral("Keine ganze Zahl: %1 (Feld %2 der Zeile %3).")
                        .arg(quoted(f.at[i]))
                        .arg(i)
                        .arg(keyword());
                });
            }
            if (kind == LineKind::Color && (value < 0 || value > 255)) {
                return say(
                    [&] { return QStringLiteral("Farbwert %1 liegt nicht zwischen 0 und 255.").arg(quoted(f.at[i])); });
            }
        }
        return {};
    }
    return checkNumbers(1, numbers, kind, verdict, open);
}

// The problem with a number of fields first to last, or nothing. Each decimal separator counts
// for the open record: the first number that brings it the other one gets the hint.
QString RecordRules::checkNumbers(int first, int last, LineKind kind, Verdict &verdict, Parts *open)
{
    for (int i = first; i <= last; ++i) {
        char separator = 0;
        bool exponent = false;
        if (syntax::isPlainNumber(m_fields.at[i], separator)) {
            // a number, and not too large
        } else if (!syntax::isNumber(m_fields.at[i], separator, exponent)) {
            return say([&] {
                return QStringLiteral("Keine Zahl: %1 (Feld %2 der Zeile %3).")
                    .arg(quoted(m_fields.at[i]))
                    .arg(i)
                    .arg(lineKeyword(kind));
            });
        } else if (syntax::mayBeTooLarge(m_fields.at[i], exponent) && syntax::isTooLarge(m_fields.at[i])) {
            return say([&] {
                return QStringLiteral("Zahl außerhalb des darstellbaren Bereichs: %1 (Feld %2 der Zeile %3).")
                    .arg(quoted(m_fields.at[i]))
                    .arg(i)
                    .arg(lineKeyword(kind));
            });
        }
        if (separator != 0 && open) {
            open->point = open->point || separator == '.';
            open->comma = open->comma || separator == ',';
            if (open->point && open->comma && !open->mixedNoted) {
                open->mixedNoted = true;
                verdict.hint = say([&] {
                    return QStringLiteral("Dezimalpunkt und Dezimalkomma gemischt: hier %1, vorher im Eintrag "
                                          "das andere Zeichen.")
                        .arg(quoted(m_fields.at[i]));
                });
            }
        }
    }
    return {};
}

RecordRules::ItemVerdict RecordRules::readItem(QByteArrayView item, quint32 index)
{
    m_index = index;
    ItemVerdict verdict;
    if (const qsizetype again = findItem(item, 1); again > 0) {
        verdict.problem = runTogether(item.sliced(again));
        return verdict;
    }
    QByteArrayView name;
    QByteArrayView thread;
    if (!syntax::splitItem(item, name, thread)) {
        verdict.problem = QStringLiteral("Falsche Zahl der Felder: der Zeile ITEM: fehlt „MM “ zwischen Name und "
                                         "Gewinde.");
        return verdict;
    }
    syntax::Fields &words = m_words;
    syntax::split(thread, words);
    for (int i = 0; i < std::min(words.count, syntax::Fields::kMax); ++i) {
        if (syntax::holdsAnotherLine(words.at[i], true)) {
            verdict.problem = runTogether(words.at[i]);
            return verdict;
        }
    }
    for (const auto &[text, what] :
         {std::pair{name, QStringLiteral("Der Name")}, {thread, QStringLiteral("Das Gewinde")}}) {
        if (syntax::looksLikeUtf8(text)) {
            verdict.hint = QStringLiteral("%1 %2 sieht nach UTF-8 aus (gemeint wohl %3): die Datei ist in Windows-1252 "
                                          "geschrieben.")
                               .arg(what, quoted(text), visible(QStringLiteral("„%1“").arg(QString::fromUtf8(text))));
            break;
        }
    }
    return verdict;
}

RecordRules::Whole RecordRules::judge(const Parts &parts)
{
    Whole r;
    r.faces = quint8(std::clamp(parts.faces, 0, 255));
    r.decimal =
        parts.point ? (parts.comma ? Decimal::Mixed : Decimal::Point) : (parts.comma ? Decimal::Comma : Decimal::None);
    if (parts.begin) {
        r.kind = RecordKind::Stylus;
        r.shape = parts.hotSpot == TipShape::Ball && parts.cutSphere ? TipShape::HalfSphere : parts.hotSpot;
        if (!parts.end) {
            r.missing = QStringLiteral("endtip fehlt.");
        }
    } else if (parts.solid) {
        r.kind = RecordKind::Solid;
        if (parts.faces < parts.facesExpected) {
            const int absent = parts.facesExpected - parts.faces;
            r.missing = QStringLiteral("%1 von %2 %3.")
                            .arg(absent)
                            .arg(counted(parts.facesExpected, QStringLiteral("Fläche"), QStringLiteral("Flächen")))
                            .arg(absent == 1 ? QStringLiteral("fehlt") : QStringLiteral("fehlen"));
        }
    } else if (parts.other) {
        r.kind = RecordKind::Extension;
        if (!parts.connect) {
            r.missing = QStringLiteral("connect fehlt.");
        }
    } else {
        r.kind = RecordKind::Unknown;
        r.missing = QStringLiteral("nach der Zeile ITEM: folgt kein Teil.");
    }
    return r;
}

QString RecordRules::cutOff(QByteArrayView item, const QString &missing)
{
    QByteArrayView name;
    QByteArrayView thread;
    const QString who = syntax::splitItem(item, name, thread) ? quoted(name) : quoted(item);
    return QStringLiteral("Eintrag %1 ist abgeschnitten: %2").arg(who, missing);
}

QString RecordRules::namedTwice(QByteArrayView item, int earlierLine)
{
    QByteArrayView name;
    QByteArrayView thread;
    syntax::splitItem(item, name, thread);
    return QStringLiteral("Name %1 mit Gewinde %2 steht schon in Zeile %3.")
        .arg(quoted(name), quoted(trimmedRight(thread)))
        .arg(earlierLine);
}

QString RecordRules::outsideRecord(QByteArrayView line, int after)
{
    if (after > 0) {
        return QStringLiteral("Zeile außerhalb eines Eintrags (sie steht nach dem Ende (endtip) des Eintrags, der in "
                              "Zeile %1 beginnt): %2.")
            .arg(after)
            .arg(quoted(line));
    }
    return QStringLiteral("Zeile außerhalb eines Eintrags (vor ihr fehlt eine Zeile ITEM:): %1.").arg(quoted(line));
}

QString RecordRules::lfAlone(bool mixed)
{
    return mixed ? QStringLiteral("Gemischte Zeilenenden: diese Zeile endet mit LF allein, andere "
                                  "mit CR LF (mit einem Texteditor bearbeitet?).")
                 : QStringLiteral("Die Zeilen enden mit LF allein statt mit CR LF (mit einem "
                                  "Texteditor gespeichert?).");
}

QString RecordRules::noLastLineEnd()
{
    return QStringLiteral("Die letzte Zeile hat kein Zeilenende: die Datei endet mitten in einer Zeile.");
}

} // namespace merivox
