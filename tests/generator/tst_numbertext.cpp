#include "NumberText.h"
#include "TestSupport.h"

#include <clocale>

using namespace merivox;
using namespace merivox::test;

class TestNumberText final : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void format_data();
    void format();
    void formatIgnoresTheCLibraryLocale();
};

void TestNumberText::parse_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");

    QTest::newRow("de integer") << kGerman << "40" << true << 40.0;
    QTest::newRow("de comma") << kGerman << "2,5" << true << 2.5;
    QTest::newRow("de point is a group separator") << kGerman << "2.5" << false << 0.0;
    QTest::newRow("de thousands with point") << kGerman << "1.000" << false << 0.0;
    QTest::newRow("de 1,000 is one") << kGerman << "1,000" << true << 1.0;
    QTest::newRow("de blanks around") << kGerman << "  4,0 " << true << 4.0;
    QTest::newRow("de plus sign") << kGerman << "+3" << true << 3.0;
    QTest::newRow("de minus sign") << kGerman << "-50" << true << -50.0;
    QTest::newRow("de exponent") << kGerman << "1,5e2" << true << 150.0;
    QTest::newRow("de letters after digits") << kGerman << "12mm" << false << 0.0;
    QTest::newRow("de two separators") << kGerman << "1,2,3" << false << 0.0;
    QTest::newRow("de empty") << kGerman << "" << false << 0.0;
    QTest::newRow("de blanks only") << kGerman << "   " << false << 0.0;
    QTest::newRow("de inf") << kGerman << "inf" << false << 0.0;
    QTest::newRow("de nan") << kGerman << "nan" << false << 0.0;
    QTest::newRow("de overflow") << kGerman << "1e999" << false << 0.0;
    QTest::newRow("en point") << kEnglish << "12.50" << true << 12.5;
    QTest::newRow("en comma is a group separator") << kEnglish << "1,000" << false << 0.0;
    QTest::newRow("en comma decimal") << kEnglish << "2,5" << false << 0.0;
    QTest::newRow("en -inf") << kEnglish << "-inf" << false << 0.0;
    QTest::newRow("en zero") << kEnglish << "0" << true << 0.0;
    // Blanks around a number are U+0020 only; other white space would go into the record.
    QTest::newRow("de no-break space before") << kGerman << QStringLiteral("\u00A04,0") << false << 0.0;
    QTest::newRow("de no-break space after") << kGerman << QStringLiteral("4,0\u00A0") << false << 0.0;
    QTest::newRow("en no-break space after blank") << kEnglish << QStringLiteral("4.0 \u00A0") << false << 0.0;
    QTest::newRow("en tab after") << kEnglish << "4.0\t" << false << 0.0;
    QTest::newRow("en tab before") << kEnglish << "\t4.0" << false << 0.0;
    QTest::newRow("en line feed after") << kEnglish << "4.0\n" << false << 0.0;
    QTest::newRow("en carriage return before") << kEnglish << "\r4.0" << false << 0.0;
    QTest::newRow("en vertical tab") << kEnglish << "\v4.0" << false << 0.0;
    QTest::newRow("en form feed") << kEnglish << "4.0\f" << false << 0.0;
    QTest::newRow("en next line U+0085") << kEnglish << QStringLiteral("4.0\u0085") << false << 0.0;
    QTest::newRow("en figure space U+2007") << kEnglish << QStringLiteral("\u20074.0") << false << 0.0;
    QTest::newRow("en thin space U+2009") << kEnglish << QStringLiteral("4.0\u2009") << false << 0.0;
    QTest::newRow("en narrow no-break space U+202F") << kEnglish << QStringLiteral("\u202F4.0") << false << 0.0;
    QTest::newRow("en ideographic space U+3000") << kEnglish << QStringLiteral("4.0\u3000") << false << 0.0;
    QTest::newRow("en line separator U+2028") << kEnglish << QStringLiteral("4.0\u2028") << false << 0.0;
    QTest::newRow("en plain blanks both sides") << kEnglish << "  -4.5  " << true << -4.5;
}

void TestNumberText::parse()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);

    const auto parsed = parseNumber(text, locale);
    QCOMPARE(parsed.has_value(), isNumber);
    if (isNumber) {
        QCOMPARE(*parsed, value);
    }
}

void TestNumberText::format_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("negated 20") << kEnglish << -20.0 << "-20";
    QTest::newRow("negated 12.50") << kEnglish << -12.5 << "-12.5";
    QTest::newRow("negated 0.3") << kEnglish << -0.3 << "-0.3";
    QTest::newRow("de negated 0.3") << kGerman << -0.3 << "-0,3";
    QTest::newRow("zero") << kGerman << 0.0 << "0";
    QTest::newRow("negative zero") << kGerman << -0.0 << "0";
    QTest::newRow("de fraction") << kGerman << -28.5 << "-28,5";
    QTest::newRow("de no group separator") << kGerman << -1234.5 << "-1234,5";
    QTest::newRow("en no group separator") << kEnglish << 1234567.25 << "1234567.25";
    QTest::newRow("15 digits kept") << kEnglish << 123456789012345.0 << "123456789012345";
    QTest::newRow("just below 1e15") << kEnglish << 999999999999999.0 << "999999999999999";
    QTest::newRow("1e15 without exponent") << kEnglish << 1e15 << "1000000000000000";
    QTest::newRow("binary noise rounded away") << kEnglish << 0.1 + 0.2 << "0.3";
    QTest::newRow("a third") << kEnglish << 1.0 / 3.0 << "0.333333333333333";
    QTest::newRow("two thirds rounds up") << kGerman << -2.0 / 3.0 << "-0,666666666666667";
    QTest::newRow("1e-9 without exponent") << kEnglish << 1e-9 << "0.000000001";
    QTest::newRow("small with digits") << kGerman << -1.25e-7 << "-0,000000125";
    QTest::newRow("half") << kEnglish << 0.5 << "0.5";
    QTest::newRow("rounding carries") << kEnglish << 9.9999999999999999 << "10";
}

void TestNumberText::format()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formatNumber(value, locale), text);
}

void TestNumberText::formatIgnoresTheCLibraryLocale()
{
    // The application sets the C library's locale to the user's; a German one would make
    // printf write commas. The number text must follow only the QLocale it is given.
    if (!setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        QSKIP("no German C library locale on this machine");
    }
    const QString text = formatNumber(-12.5, kEnglish);
    setlocale(LC_NUMERIC, "C");
    QCOMPARE(text, QStringLiteral("-12.5"));
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
