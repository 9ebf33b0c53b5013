#pragma once

#include "NumberText.h"
#include "TipInputs.h"

#include <QFile>
#include <QLocale>
#include <QStringList>
#include <QTest>

namespace merivox::test {

inline const QLocale kGerman(QLocale::German, QLocale::Germany);
inline const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

// A dimension as the Create command would hand it on: the text and the number read from it.
inline Dimension dim(const QString &text, const QLocale &locale = kEnglish)
{
    const auto value = parseNumber(text, locale);
    if (!value) {
        qFatal("test input %s is not a number", qPrintable(text));
    }
    return {text, *value};
}

// The bytes that a record of these lines occupies in the file.
inline QByteArray crlf(const QStringList &lines)
{
    QByteArray out;
    for (const QString &line : lines) {
        out += line.toLatin1() + "\r\n";
    }
    return out;
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

inline void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace merivox::test
