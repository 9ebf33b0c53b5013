#pragma once

// Records of every kind, made by the program's own builders and encoder, for the reader, drawing
// and viewer tests.

#include "Builders.h"
#include "NumberText.h"
#include "ProbeFileWriter.h"

#include <QLocale>
#include <QTest>

#include <array>
#include <functional>
#include <utility>
#include <vector>

namespace merivox::test {

inline const QLocale kGermanLocale(QLocale::German, QLocale::Germany);
inline const QLocale kEnglishLocale(QLocale::English, QLocale::UnitedStates);

inline constexpr std::array<TipKind, 6> kAllKinds{TipKind::Ball, TipKind::Cylinder, TipKind::HalfSphere,
                                                  TipKind::Disc, TipKind::Cube,     TipKind::Extension};

inline QLocale plainNumbers(QLocale locale)
{
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

// A dimension as typed in the editor, read as the editor reads it.
inline Dimension typed(const QString &text, const QLocale &locale)
{
    const auto read = parseNumber(text, locale);
    if (!read) {
        qFatal("test input %s is not a number", qPrintable(text));
    }
    return {text, *read};
}

inline Dimension typed(double value, const QLocale &locale)
{
    return typed(plainNumbers(locale).toString(value, 'g', 10), locale);
}

// The inputs of the worked example of a kind; with fraction, a few dimensions get a half, so
// that the record shows the locale's decimal separator.
inline TipInputs example(TipKind kind, const QLocale &locale, bool fraction = false)
{
    const double half = fraction ? 0.5 : 0.0;
    TipInputs in;
    in.thread = QStringLiteral("M3ANALOG");
    in.shaft_rgb = kCarbonFibreShaft;
    in.ball_rgb = kRubyBall;
    const auto stylus = [&](const char *name, double L1, double L2, double L3, double D1, double D2, double ball) {
        in.name = QString::fromLatin1(name);
        in.L1 = typed(L1, locale);
        in.L2 = typed(L2 + half, locale);
        in.L3 = typed(L3, locale);
        in.D1 = typed(D1, locale);
        in.D2 = typed(D2, locale);
        in.ball_diameter = typed(ball, locale);
    };
    switch (kind) {
    case TipKind::Ball:
        stylus("TIP", 10, 15, 40, 4, 2, 3);
        in.thread = QStringLiteral("M3");
        in.shaft_rgb = kSteelShaft;
        break;
    case TipKind::Cylinder:
        stylus("ZT1", 10, 20, 30, 6, 3, 2);
        in.L4 = typed(45, locale);
        break;
    case TipKind::HalfSphere:
        stylus("HK1", 10, 20, 30, 6, 3, 8);
        break;
    case TipKind::Disc:
        stylus("SC1", 10, 20, 30, 6, 3, 0);
        in.length = typed(12, locale);
        in.width = typed(2, locale);
        break;
    case TipKind::Cube:
        in.name = QStringLiteral("W10");
        in.L1 = typed(10 + half, locale);
        in.shaft_rgb = kSteelShaft;
        break;
    case TipKind::Extension:
        in.name = QStringLiteral("V50");
        in.thread2 = QStringLiteral("M2ANALOG");
        in.D1 = typed(4, locale);
        in.length = typed(50 + half, locale);
        in.shaft_rgb = kSteelShaft;
        break;
    }
    return in;
}

inline QStringList built(TipKind kind, const TipInputs &in, const QLocale &locale)
{
    const auto record = buildRecord(kind, in, locale);
    if (!record) {
        qFatal("the builder refused the test inputs");
    }
    return record->lines;
}

// The bytes that the writer would append for these lines.
inline QByteArray encoded(const QStringList &lines)
{
    const auto bytes = ProbeFileWriter::encode(TipRecord{lines});
    if (!bytes) {
        qFatal("a test record holds a character outside the code page");
    }
    return *bytes;
}

// A change to a worked example's inputs, for tables of cases.
using InputChange = std::function<void(TipInputs &)>;

// Sets dimensions to texts as typed under the locale.
inline InputChange setTyped(std::vector<std::pair<Dimension TipInputs::*, const char *>> values,
                            const QLocale &locale = kEnglishLocale)
{
    return [values, locale](TipInputs &in) {
        for (const auto &[field, text] : values) {
            in.*field = typed(QString::fromUtf8(text), locale);
        }
    };
}

// A stylus of hand-made lines: one shaft primitive, one head primitive and the hot spot.
inline QStringList handMadeStylus(const char *shaft, const char *head, const char *hotSpot)
{
    return {"ITEM:XMM M3",
            "begintip",
            "ribcount 10",
            "Color 142 142 142",
            QString::fromLatin1(shaft),
            "Color 255 0 0",
            QString::fromLatin1(head),
            QString::fromLatin1(hotSpot),
            "endtip"};
}

} // namespace merivox::test

Q_DECLARE_METATYPE(merivox::test::InputChange)
