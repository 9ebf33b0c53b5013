// Times one Create command's file work: building a ball tip record and appending it through
// ProbeFileWriter (encode, lock, check the last byte, write, flush to disk, close), against a
// plain open, write and close of the same bytes, in the same run.
#include "Builders.h"
#include "NumberText.h"
#include "ProbeFileWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace merivox;

namespace {

TipInputs ballTip()
{
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    const auto dim = [&](const char *text) {
        const QString t = QString::fromLatin1(text);
        return Dimension{t, parseNumber(t, locale).value_or(0.0)};
    };
    TipInputs in;
    in.name = QStringLiteral("TIP");
    in.thread = QStringLiteral("M3");
    in.L1 = dim("10");
    in.L2 = dim("15");
    in.L3 = dim("40");
    in.D1 = dim("4");
    in.D2 = dim("2");
    in.ball_diameter = dim("3");
    return in;
}

} // namespace

class BenchAppend final : public QObject
{
    Q_OBJECT

private slots:
    void buildAndAppend();
    void plainOpenWriteClose();
#ifdef Q_OS_UNIX
    void plainOpenWriteSyncClose();
#endif

private:
    QTemporaryDir m_folder;
    const QLocale m_locale{QLocale::English, QLocale::UnitedStates};
};

void BenchAppend::buildAndAppend()
{
    const TipInputs in = ballTip();
    ProbeFileWriter writer;
    QBENCHMARK
    {
        const auto record = buildRecord(TipKind::Ball, in, m_locale);
        if (!record || !writer.append(m_folder.path(), *record)) {
            QFAIL("append failed");
        }
    }
}

void BenchAppend::plainOpenWriteClose()
{
    const QByteArray bytes = *ProbeFileWriter::encode(*buildRecord(TipKind::Ball, ballTip(), m_locale));
    const QString path = m_folder.filePath(QStringLiteral("plain.dat"));
    QBENCHMARK
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(bytes) != bytes.size()) {
            QFAIL("write failed");
        }
        file.close();
    }
}

#ifdef Q_OS_UNIX
// The same plain write, flushed to disk as the writer does: shows how much of the writer's time
// is the flush itself.
void BenchAppend::plainOpenWriteSyncClose()
{
    const QByteArray bytes = *ProbeFileWriter::encode(*buildRecord(TipKind::Ball, ballTip(), m_locale));
    const QString path = m_folder.filePath(QStringLiteral("synced.dat"));
    QBENCHMARK
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(bytes) != bytes.size() ||
            !file.flush() || ::fsync(file.handle()) != 0) {
            QFAIL("write failed");
        }
        file.close();
    }
}
#endif

QTEST_GUILESS_MAIN(BenchAppend)
#include "bench_append.moc"
