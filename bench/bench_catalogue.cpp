// The catalogue of a whole file against one record's data sheet: seconds per 100 pages and the
// process's peak memory (VmHWM). Peak memory only grows, so each figure wants a process of its
// own, and the file is built by another one: bench/bench_catalogue.sh runs one per size.
//
//   bench_catalogue --write FILE RECORDS   writes a file of RECORDS records of all six kinds,
//                                          built with the real builders
//   bench_catalogue FILE [--in-memory]     writes FILE's catalogue as merivox-view --pdf OUT FILE
//                                          does (the file's bytes left on disk), or with its bytes
//                                          read into memory
//   bench_catalogue FILE --sheet           the first record's data sheet, as merivox-view --pdf
//                                          OUT 1 FILE
#include "BenchFiles.h"
#include "Catalogue.h"
#include "DataSheet.h"
#include "ProbeFile.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

using namespace merivox;
using namespace merivox::bench;

namespace {

// A file of exactly records records: a larger one cut after the last of them.
QByteArray fileOf(qsizetype records)
{
    QByteArray bytes = makeFile(qint64(records) * 400 + 1000);
    const ProbeFile file = ProbeFile::fromBytes(bytes);
    if (file.recordCount() > records) {
        bytes.truncate(file.startOfItem(records));
    }
    return bytes;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.value(0) == QLatin1String("--write") && args.size() == 3) {
        return writeFile(args.at(1), fileOf(args.at(2).toLongLong())) ? 0 : 1;
    }
    if (args.isEmpty()) {
        out << "bench_catalogue --write FILE RECORDS | FILE [--in-memory | --sheet]" << Qt::endl;
        return 2;
    }
    const QString path = args.first();
    const bool sheet = args.contains(QStringLiteral("--sheet"));
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("katalog.pdf"));
    const long before = peakKiB();
    ProbeFile::Keep keep;
    keep.bytesOnDisk = !args.contains(QStringLiteral("--in-memory"));
    const std::optional<ProbeFile> file = ProbeFile::read(path, nullptr, keep);
    if (!file || file->recordCount() == 0) {
        return 1;
    }
    const long read = peakKiB();
    QElapsedTimer timer;
    timer.start();
    QString error;
    const bool written =
        sheet ? writeDataSheet(pdf, {&*file, 0, QStringLiteral("usrprobe.dat"), QDate::currentDate()}, &error)
              : writeCatalogue(pdf, {&*file, path, QDate::currentDate()}, {}, &error);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!written) {
        out << error << Qt::endl;
        return 1;
    }
    const qsizetype pages = sheet ? 1 : cataloguePageCount(file->recordCount());
    out << (sheet ? "sheet" : "catalogue") << (keep.bytesOnDisk ? "" : " (bytes in memory)") << ": "
        << file->recordCount() << " records, " << pages << " pages, " << QFileInfo(pdf).size() << " bytes of PDF\n"
        << "  " << QString::number(seconds, 'f', 3) << " s, " << QString::number(seconds * 100 / pages, 'f', 3)
        << " s per 100 pages\n"
        << "  peak memory (VmHWM): " << before << " KiB at start, " << read << " KiB with the file read, " << peakKiB()
        << " KiB written" << Qt::endl;
    return 0;
}
