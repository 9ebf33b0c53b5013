#pragma once

// Random editor inputs for property tests, hostile ones included: names and threads that hold
// "MM ", "ITEM:", keywords, blanks, characters above ASCII and text that looks like UTF-8 read as
// Windows-1252; numbers with signs, blanks, exponents and many digits. One seeded generator per
// test keeps every run the same. RandomEditor hands them to the Create command as the editor would.

#include "CreateCommand.h"
#include "TipKinds.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QStringList>

#include <map>

namespace merivox::test {

// Plain text as an operator types it.
inline QString randomText(QRandomGenerator &random, int length)
{
    static const QString characters = QStringLiteral("ABCXYZabcxyz0123456789 _-äöüÄÖÜß€µ°M");
    QString text;
    for (int i = 0; i < length; ++i) {
        text += characters.at(random.bounded(int(characters.size())));
    }
    return text;
}

// Text built from pieces that mean something to the file's grammar.
inline QString hostileText(QRandomGenerator &random)
{
    static const QStringList pieces{
        "MM ", "MM",     "M",      " ",     "  ",    "ITEM:",   "endtip", "begintip", "cone",  "Connect",
        "4",   "-1,5",   "2.5",    "ball",  "Ã¼",    "WÃ¼rfel", "ü",      "€",        "x",     "M3",
        "\t",  "solid ", "face 4", "€MM ",  "ITEM",  "MM M3",   "0",      "e",        "hotspot"};
    QString text;
    const int count = 1 + random.bounded(5);
    for (int i = 0; i < count; ++i) {
        text += pieces.at(random.bounded(int(pieces.size())));
    }
    return text;
}

inline QString randomNameOrThread(QRandomGenerator &random)
{
    return random.bounded(3) == 0 ? randomText(random, 1 + random.bounded(12)) : hostileText(random);
}

// A dimension as an operator might type it, in the locale: mostly plain, sometimes dressed with a
// sign or blanks, with an exponent, or with very many digits.
inline QString randomNumberText(QRandomGenerator &random, const QLocale &locale)
{
    const QString separator = locale.decimalPoint();
    switch (random.bounded(8)) {
    case 0:
        return QStringLiteral("+%1").arg(random.bounded(1, 100));
    case 1:
        return QStringLiteral(" %1%2%3 ").arg(random.bounded(1, 100)).arg(separator).arg(random.bounded(10));
    case 2:
        return QStringLiteral("%1e%2").arg(random.bounded(1, 9)).arg(random.bounded(-3, 3));
    case 3: {
        QString digits = QStringLiteral("1");
        for (int i = 0, n = 40 + random.bounded(60); i < n; ++i) {
            digits += QChar(u'0' + random.bounded(10));
        }
        return random.bounded(2) ? digits : QStringLiteral("0") + separator + digits;
    }
    default: {
        const int decimals = random.bounded(3);
        QLocale plain = locale;
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
        return plain.toString(random.bounded(1, 20000) / std::pow(10.0, decimals + 1), 'f', decimals);
    }
    }
}

// A shaft colour that the editor's shaft boxes write: the only ones a record made by the editor
// holds in its shaft line.
inline Rgb randomShaftMaterial(QRandomGenerator &random)
{
    static constexpr Rgb materials[] = {kCarbonFibreShaft, kCeramicShaft, kSteelShaft};
    return materials[random.bounded(3)];
}

// The editor of a kind with random inputs in every field that the kind enables.
class RandomEditor final : public EditorPort
{
public:
    RandomEditor(QRandomGenerator &random, TipKind kind, const QLocale &locale)
    {
        state.tip_type = kind;
        const TipKindDescription *description = findTipKind(kind);
        name = randomNameOrThread(random);
        thread = randomNameOrThread(random);
        thread2 = random.bounded(4) == 0 ? QString() : randomNameOrThread(random);
        for (const DimensionField field : kDimensionFields) {
            if (description && description->dimensions.contains(field)) {
                m_texts[field] = randomNumberText(random, locale);
            }
        }
        m_ball = BallMaterial(random.bounded(3));
        m_withoutHalfSphere = random.bounded(2) == 1;
        state.shaft_rgb = {random.bounded(256), random.bounded(256), random.bounded(256)};
    }

    QString name, thread, thread2;
    EditorState state;

    QString nameText() const override { return name; }
    QString threadText() const override { return thread; }
    QString thread2Text() const override { return thread2; }
    QString dimensionText(DimensionField field) const override
    {
        const auto found = m_texts.find(field);
        return found == m_texts.end() ? QString() : found->second;
    }
    bool isDimensionEnabled(DimensionField field) const override { return m_texts.count(field) > 0; }
    void clearDimension(DimensionField field) override { m_texts[field].clear(); }
    bool isBallMaterialSelected(BallMaterial material) const override { return material == m_ball; }
    bool isWithoutHalfSphere() const override { return m_withoutHalfSphere; }
    QString folder() const override { return {}; }
    void closeEditor() override {}

private:
    std::map<DimensionField, QString> m_texts;
    BallMaterial m_ball = BallMaterial::Ruby;
    bool m_withoutHalfSphere = false;
};

} // namespace merivox::test
