// The bytes that a command-line answer becomes in a file or pipe, on each platform: UTF-8 with
// LF on Linux, the ANSI code page (here Windows-1252) with CR LF on Windows.
#include "../support/ProgramOutput.h"
#include "Console.h"

#include <QtTest>

using namespace merivox;

class TestConsole final : public QObject
{
    Q_OBJECT

private slots:
    void redirected_data();
    void redirected();
};

void TestConsole::redirected_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("linux");
    QTest::addColumn<QByteArray>("windows");

    QTest::newRow("version") << u"Merivox 1.0.4\n"_qs << QByteArray("Merivox 1.0.4\n")
                             << QByteArray("Merivox 1.0.4\r\n");
    QTest::newRow("count") << u"7 Einträge, 4 Probleme\n"_qs << QByteArray("7 Eintr\xC3\xA4ge, 4 Probleme\n")
                           << QByteArray("7 Eintr\xE4ge, 4 Probleme\r\n");
    QTest::newRow("quotes, two lines") << u"„M3“\n\nß"_qs << QByteArray("\xE2\x80\x9EM3\xE2\x80\x9C\n\n\xC3\x9F")
                                       << QByteArray("\x84M3\x93\r\n\r\n\xDF");
    // A name from another code page reaches a pipe on Windows as "?", never as a look-alike.
    QTest::newRow("outside the code page") << u"Ωā\n"_qs << QByteArray("\xCE\xA9\xC4\x81\n") << QByteArray("??\r\n");
    QTest::newRow("empty") << QString() << QByteArray() << QByteArray();
}

void TestConsole::redirected()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, linux);
    QFETCH(QByteArray, windows);
    QCOMPARE(redirectedBytes(text), test::onWindows() ? windows : linux);
}

QTEST_APPLESS_MAIN(TestConsole)
#include "tst_console.moc"
