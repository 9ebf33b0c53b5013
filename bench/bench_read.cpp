// Times reading and checking a large probe file against a plain read of the same file, in the
// same run. The file (about 50 MB, some 200,000 records of all six kinds, half of them with a
// decimal comma) is built with the real builders and encoder.
//
//   bench_read [MEGABYTES]        build the file in a temporary folder, time both reads
//   bench_read --write FILE [MB]  only write the file (for measuring merivox-view --check on it)
#include "Builders.h"
#include "NumberText.h"
#include "ProbeFile.h"
#include "ProbeFileWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>

using namespace merivox;

namespace {

Dimension dimension(double value, const QLocale &locale)
{
    const QString text = locale.toString(value, 'f', 1);
    return {text, *parseNumber(text, locale)};
}

TipInputs inputs(int i, TipKind kind, const QLocale &locale)
{
    TipInputs in;
    in.name = QStringLiteral("T%1").arg(i, 6, 10, QLatin1Char('0'));
    in.thread = QStringLiteral("M3ANALOG");
    in.thread2 = QStringLiteral("M2");
    const double s = 1.0 + (i % 17) * 0.5;
    in.L1 = dimension(10 * s, locale);
    in.L2 = dimension(15 * s, locale);
    in.L3 = dimension(40 * s, locale);
    in.L4 = dimension(45 * s, locale);
    in.D1 = dimension(4, locale);
    in.D2 = dimension(2.5, locale);
    in.ball_diameter = dimension(3, locale);
    in.length = dimension(12 * s, locale);
    in.width = dimension(2.5, locale);
    in.Check_zyl = kind == TipKind::Cylinder && i % 2;
    return in;
}

QByteArray makeFile(qint64 bytes)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QByteArray out;
    out.reserve(bytes + 1024);
    for (int i = 0; out.size() < bytes; ++i) {
        const auto kind = TipKind(1 + i % 6);
        const QLocale &locale = i % 2 ? german : english;
        out += *ProbeFileWriter::encode(*buildRecord(kind, inputs(i, kind, locale), locale));
    }
    return out;
}

long peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

// CPU time of this process: on a busy machine the wall clock also counts the time spent waiting
// for a core.
qint64 cpuNanoseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QStringList args = QCoreApplication::arguments().mid(1);
    QString target;
    if (args.size() >= 2 && args.first() == QLatin1String("--write")) {
        target = args.at(1);
        args = args.mid(2);
    }
    const qint64 megabytes = args.isEmpty() ? 50 : args.first().toLongLong();
    const QByteArray bytes = makeFile(megabytes * 1000 * 1000);
    if (!target.isEmpty()) {
        return writeFile(target, bytes) ? 0 : 1;
    }

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("usrprobe.dat"));
    if (!writeFile(path, bytes)) {
        return 1;
    }
    out << "file: " << bytes.size() << " bytes" << Qt::endl;

    constexpr int kRuns = 5;
    qint64 plainBest = std::numeric_limits<qint64>::max();
    qint64 readBest = std::numeric_limits<qint64>::max();
    qint64 plainCpuBest = std::numeric_limits<qint64>::max();
    qint64 readCpuBest = std::numeric_limits<qint64>::max();
    qsizetype records = 0;
    qsizetype problems = 0;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        qint64 cpu = cpuNanoseconds();
        {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly) || file.readAll().size() != bytes.size()) {
                return 1;
            }
        }
        plainBest = std::min(plainBest, timer.nsecsElapsed());
        plainCpuBest = std::min(plainCpuBest, cpuNanoseconds() - cpu);

        timer.restart();
        cpu = cpuNanoseconds();
        const std::optional<ProbeFile> file = ProbeFile::read(path);
        readBest = std::min(readBest, timer.nsecsElapsed());
        readCpuBest = std::min(readCpuBest, cpuNanoseconds() - cpu);
        if (!file) {
            return 1;
        }
        records = file->recordCount();
        problems = file->problems().size();
    }
    out << "records: " << records << ", problems: " << problems << Qt::endl;
    out << "best of " << kRuns << " runs, wall clock / CPU time:" << Qt::endl;
    out << "  plain read:     " << plainBest / 1000000.0 << " ms / " << plainCpuBest / 1000000.0 << " ms" << Qt::endl;
    out << "  read and check: " << readBest / 1000000.0 << " ms / " << readCpuBest / 1000000.0 << " ms" << Qt::endl;
    out << "peak memory of this process (VmHWM, includes the generated bytes): " << peakKiB() << " KiB" << Qt::endl;
    return problems == 0 ? 0 : 1;
}
