// Reading a file in the background: finished with the file, cancelled with neither file nor
// error, failed with the read's German cause; the progress only grows and never passes 100. Read
// again with the bytes shown, it hands over no file when they did not change.
#include "FileLoader.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace merivox;

class TestFileLoader final : public QObject
{
    Q_OBJECT

private slots:
    void loads_data();
    void loads();
    void newReadingReplacesOld_data();
    void newReadingReplacesOld();
};

void TestFileLoader::loads_data()
{
    QTest::addColumn<int>("records"); // of the file written; -1: no file
    QTest::addColumn<bool>("cancel"); // cancelled at once
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("error"); // the start of the error, empty for none
    QTest::addColumn<QByteArray>("shown"); // the bytes shown before, null for none; "=" for the file's
    QTest::addColumn<bool>("unchanged");

    QTest::newRow("small file") << 3 << false << true << QString() << QByteArray() << false;
    QTest::newRow("file of several MiB") << 200000 << false << true << QString() << QByteArray() << false;
    QTest::newRow("cancelled") << 200000 << true << false << QString() << QByteArray() << false;
    QTest::newRow("missing") << -1 << false << false << QStringLiteral("fehlt.dat existiert nicht.") << QByteArray()
                             << false;
    QTest::newRow("read again, unchanged") << 3 << false << true << QString() << QByteArray("=") << true;
    QTest::newRow("read again, a byte more") << 3 << false << true << QString() << QByteArray("=+") << false;
    QTest::newRow("read again, was empty") << 3 << false << true << QString() << QByteArray("") << false;
}

void TestFileLoader::loads()
{
    QFETCH(int, records);
    QFETCH(bool, cancel);
    QFETCH(bool, ok);
    QFETCH(QString, error);
    QFETCH(QByteArray, shown);
    QFETCH(bool, unchanged);

    QTemporaryDir folder;
    QString path = folder.filePath(records < 0 ? QStringLiteral("fehlt.dat") : QStringLiteral("usrprobe.dat"));
    if (records >= 0) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < records; ++i) {
            file.write("ITEM:T" + QByteArray::number(i) + "MM M3\r\nbegintip\r\nendtip\r\n");
        }
    }
    if (shown.startsWith('=')) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        shown = file.readAll() + shown.sliced(1);
    }
    path = QDir::toNativeSeparators(path);

    FileLoader loader;
    QSignalSpy finished(&loader, &FileLoader::finished);
    QList<int> progress;
    connect(&loader, &FileLoader::progress, this, [&progress](int percent) { progress << percent; });
    std::optional<ProbeFile::Fingerprint> print;
    if (!shown.isNull()) {
        print = ProbeFile::fromBytes(shown).fingerprint();
    }
    loader.start(path, print);
    QVERIFY(loader.isLoading());
    if (cancel) {
        loader.cancel();
    }
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), ok);
    QVERIFY2(finished.at(0).at(1).toString().endsWith(error), qPrintable(finished.at(0).at(1).toString()));
    QCOMPARE(finished.at(0).at(1).toString().isEmpty(), error.isEmpty());
    QVERIFY(!loader.isLoading());
    QCOMPARE(loader.unchanged(), unchanged);
    const std::optional<ProbeFile> file = loader.takeFile();
    QCOMPARE(file.has_value(), ok && !unchanged);
    if (file) {
        QCOMPARE(file->recordCount(), records);
        QCOMPARE(file->problemCount(), 0);
    }
    QVERIFY(!loader.takeFile()); // handed over once
    QVERIFY(std::is_sorted(progress.cbegin(), progress.cend()));
    QVERIFY(progress.isEmpty() || (progress.first() > 0 && progress.last() <= 100));
    if (records >= 200000 && !cancel) {
        QVERIFY(!progress.isEmpty()); // a file of several MiB tells how far it got
    }
}

// Readings started while another one reads: the one under way is given up without waiting for
// it, the next starts when it has stopped, and only the last one finishes, with its own file;
// a cancel gives up the waiting one too.
void TestFileLoader::newReadingReplacesOld_data()
{
    QTest::addColumn<QStringList>("files"); // started one after the other
    QTest::addColumn<bool>("cancel");
    QTest::newRow("big, then small") << QStringList{"big", "small"} << false;
    QTest::newRow("big twice, then small") << QStringList{"big", "big", "small"} << false;
    QTest::newRow("big, small, cancelled") << QStringList{"big", "small"} << true;
}

void TestFileLoader::newReadingReplacesOld()
{
    QFETCH(QStringList, files);
    QFETCH(bool, cancel);
    QTemporaryDir folder;
    for (const auto &[name, records] : {std::pair{"big", 200000}, std::pair{"small", 2}}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < records; ++i) {
            file.write("ITEM:T" + QByteArray::number(i) + "MM M3\r\nbegintip\r\nendtip\r\n");
        }
    }
    FileLoader loader;
    QSignalSpy finished(&loader, &FileLoader::finished);
    for (const QString &name : files) {
        loader.start(folder.filePath(name));
    }
    if (cancel) {
        loader.cancel();
    }
    QVERIFY(finished.wait(60000));
    QTest::qWait(200); // time for a stray signal of an earlier reading
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), !cancel);
    QCOMPARE(finished.at(0).at(1).toString(), QString());
    QCOMPARE(loader.path(), folder.filePath(files.last()));
    const std::optional<ProbeFile> file = loader.takeFile();
    QCOMPARE(file.has_value(), !cancel);
    if (file) {
        QCOMPARE(file->recordCount(), 2);
    }
}

QTEST_GUILESS_MAIN(TestFileLoader)
#include "tst_fileloader.moc"
