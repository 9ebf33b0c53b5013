// The viewer reading a large file in the background: the longest time the window's thread did not
// get to its events while the file loaded and was shown (measured by a timer due every
// millisecond), against the goal of 50 ms, and the peak memory against the file's size; then the
// same longest time while the file is read again, unchanged and with a record appended, the
// last record chosen, and the peak memory while it is read again.
//
//   bench_viewer_load [MEGABYTES]  a file of that size (200 by default) as bench_read makes it
//   bench_viewer_load FILE         any file
#include "BenchFiles.h"
#include "FileLoader.h"
#include "ViewerWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTableView>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <functional>

using namespace merivox;
using namespace merivox::bench;

namespace {

// The peak memory from now on: what making the file took does not count.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QString arg = argc < 2 ? QStringLiteral("200") : QString::fromLocal8Bit(argv[1]);
    bool isSize = false;
    const qint64 megabytes = arg.toLongLong(&isSize);
    QTemporaryDir folder;
    QString path = arg;
    if (isSize) {
        path = folder.filePath(QStringLiteral("usrprobe.dat"));
        if (!writeFile(path, makeFile(megabytes * 1000 * 1000))) {
            out << "cannot write " << path << Qt::endl;
            return 1;
        }
        resetPeak();
    }
    const long before = peakKiB();
    ViewerWindow window;
    window.show();
    QApplication::processEvents();

    // The longest time between the window thread's events from start() until the file is read
    // and shown, measured by a timer due every millisecond.
    const auto *loader = window.findChild<FileLoader *>();
    const auto longestStall = [&](const std::function<void()> &start) {
        QElapsedTimer sinceTick;
        qint64 longest = 0;
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longest = std::max(longest, sinceTick.restart());
            if (!loader->isLoading()) {
                QApplication::quit();
            }
        });
        sinceTick.start();
        tick.start();
        start();
        QApplication::exec();
        return longest;
    };

    QElapsedTimer clock;
    clock.start();
    const qint64 longest = longestStall([&] { window.loadFile(path); });
    const qint64 elapsed = clock.elapsed();
    const qint64 bytes = QFileInfo(path).size();
    const long peak = peakKiB();
    out << "file: " << bytes << " bytes; loaded and shown after " << elapsed << " ms" << Qt::endl;
    if (const auto *counts = window.findChild<QLabel *>(QStringLiteral("lbl_anzahlen"))) {
        out << "status: " << counts->text() << Qt::endl;
    }
    if (const auto *table = window.findChild<QTableView *>()) {
        out << "name column: " << table->columnWidth(0) << " px" << Qt::endl;
    }
    out << "longest time between the window thread's events: " << longest << " ms (goal: at most 50)" << Qt::endl;
    out << "peak memory: " << peak << " KiB, " << (peak - before) << " KiB above the start; ratio to the file: "
        << double(peak) * 1024 / double(bytes) << " (goal: at most 1.2)" << Qt::endl;

    // Read again, as after F5 or a change noticed: unchanged, then with a record appended (the
    // file that was shown is then freed), with the last record chosen, which is the longest way to
    // find it again. Only a file made here is changed.
    if (auto *table = window.findChild<QTableView *>(); table && table->model()->rowCount() > 0) {
        table->setCurrentIndex(table->model()->index(table->model()->rowCount() - 1, 0));
    }
    out << "read again unchanged, longest time between events: "
        << longestStall([&] { window.reloadFile(); }) << " ms" << Qt::endl;
    if (isSize) {
        QFile file(path);
        if (file.open(QIODevice::Append)) {
            file.write(makeFile(1));
            file.close();
            // The window also notices the change itself and reads again: the two readings
            // must not hold the file twice beside the one shown.
            resetPeak();
            out << "read again with a record more, longest time between events: "
                << longestStall([&] { window.reloadFile(); }) << " ms" << Qt::endl;
            QElapsedTimer settle;
            settle.start();
            while (settle.elapsed() < 1000 || loader->isLoading()) {
                QApplication::processEvents(QEventLoop::AllEvents, 10);
            }
            out << "peak memory while reading again: " << peakKiB() << " KiB, ratio to the file: "
                << double(peakKiB()) * 1024 / double(QFileInfo(path).size()) << Qt::endl;
        }
    }
    return 0;
}
