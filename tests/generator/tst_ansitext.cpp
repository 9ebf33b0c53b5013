// The file's code page on each platform: Windows-1252 on Linux, the system's ANSI code page on
// Windows (Windows-1252 on a Western system, and under Wine here). A character the code page
// lacks is refused, never written as "?" or as a look-alike.
#include "AnsiText.h"
#include "Windows1252.h"

#include "../support/ProgramOutput.h"

#include <QtTest>

using namespace merivox;

class TestAnsiText final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void encodes_data();
    void encodes();
    void decodesEveryByte();
    void tableAgreesWithConverter_data();
    void tableAgreesWithConverter();
};

void TestAnsiText::initTestCase()
{
    // 0x80 and 0x9F tell Windows-1252 from the other code pages.
    const bool windows1252 = fromAnsi(QByteArrayView("\x80\x9F")) == u"€Ÿ"_qs;
    if (test::onWindows() && !windows1252) {
        QSKIP("the expected bytes are those of Windows-1252; this system's ANSI code page differs");
    }
    QVERIFY(windows1252);
}

void TestAnsiText::encodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("writable"); // may stand in a record
    QTest::addColumn<QByteArray>("bytes"); // in the code page; empty where it has none

    QTest::newRow("plain") << u"ITEM:TIPMM M3"_qs << true << QByteArray("ITEM:TIPMM M3");
    QTest::newRow("empty") << QString() << true << QByteArray();
    QTest::newRow("umlauts, sharp s") << u"Stößel Ü"_qs << true << QByteArray("St\xF6\xDF" "el \xDC");
    // Where Windows-1252 differs from Latin-1: 0x80 to 0x9F.
    QTest::newRow("euro, quotes, dagger") << u"€„“‚†"_qs << true << QByteArray("\x80\x84\x93\x82\x86");
    QTest::newRow("typed question mark") << u"M3?"_qs << true << QByteArray("M3?");
    QTest::newRow("omega") << u"Ωmega"_qs << false << QByteArray();
    // Characters that Windows would otherwise replace by a look-alike ("best fit").
    QTest::newRow("A with macron") << u"Ā1"_qs << false << QByteArray();
    QTest::newRow("full-width a") << u"ａ"_qs << false << QByteArray();
    QTest::newRow("infinity") << u"∞"_qs << false << QByteArray();
    QTest::newRow("L with stroke") << u"Łódź"_qs << false << QByteArray();
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << false << QByteArray();
    QTest::newRow("line break") << u"A\r\nB"_qs << false << QByteArray("A\r\nB");
    QTest::newRow("tab") << u"A\tB"_qs << false << QByteArray("A\tB");
}

void TestAnsiText::encodes()
{
    QFETCH(QString, text);
    QFETCH(bool, writable);
    QFETCH(QByteArray, bytes);

    QCOMPARE(isWritableText(text), writable);
    const std::optional<QByteArray> encoded = toAnsi(text);
    // Control characters are in the code page; only isWritableText keeps them out of a record.
    const bool inCodePage = writable || text.contains(u'\t') || text.contains(u'\n');
    QCOMPARE(encoded.has_value(), inCodePage);
    if (encoded) {
        QCOMPARE(*encoded, bytes);
        QCOMPARE(fromAnsi(*encoded), text);
    }
}

void TestAnsiText::decodesEveryByte()
{
    const QString text = fromAnsi(QByteArrayView("\x80\xE4\xFF\x41"));
    QCOMPARE(text, u"€äÿA"_qs);
}

// The code page's own table against Qt's general converter: each byte's character, and for
// every character of the Basic Multilingual Plane whether it has a byte and which. Both are run
// over the same inputs; the converter stands for what the program wrote and read before.
void TestAnsiText::tableAgreesWithConverter_data()
{
    QTest::addColumn<bool>("bytes"); // all bytes decoded; else all characters encoded
    QTest::newRow("every byte") << true;
    QTest::newRow("every character") << false;
}

void TestAnsiText::tableAgreesWithConverter()
{
    QFETCH(bool, bytes);
    QByteArray all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b) {
        all[b] = char(b);
    }
    // Every byte reads back to itself, here too.
    QCOMPARE(windows1252::encode(windows1252::decode(all)), std::optional<QByteArray>(all));
    QStringDecoder decoder("windows-1252", QStringConverter::Flag::Stateless);
    if (!decoder.isValid()) {
        // Qt has a converter for this code page only with ICU, which its Windows build lacks.
        QSKIP("Qt has no Windows-1252 converter here");
    }
    if (bytes) {
        for (int b = 0; b < 256; ++b) {
            const char one = char(b);
            QCOMPARE(windows1252::decode(QByteArrayView(&one, 1)), decoder.decode(QByteArrayView(&one, 1)));
        }
        QCOMPARE(windows1252::decode(all), QString(decoder.decode(all)));
        return;
    }
    int mapped = 0;
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        if (QChar::isSurrogate(c)) {
            continue;
        }
        const QString text{QChar(char16_t(c))};
        QStringEncoder encoder("windows-1252", QStringConverter::Flag::Stateless);
        const QByteArray expected = encoder.encode(text);
        const std::optional<QByteArray> got = windows1252::encode(text);
        QVERIFY2(got.has_value() == !encoder.hasError(), qPrintable(QString::number(c, 16)));
        if (got) {
            QCOMPARE(*got, expected);
            ++mapped;
        }
    }
    QCOMPARE(mapped, 256); // each byte has exactly one character
}

QTEST_APPLESS_MAIN(TestAnsiText)
#include "tst_ansitext.moc"
