// The viewer reading a large file in the background: the longest time the window's thread did not
// get to its events while the file loaded and was shown (measured by a timer due every
// millisecond), against the goal of 50 ms, and the peak memory against the file's size.
//
//   bench_viewer_load [MEGABYTES]  a file of that size (200 by default) as bench_read makes it
//   bench_viewer_load FILE         any file
#include "BenchFiles.h"
#include "ViewerWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

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

    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.restart());
        // Loaded and shown: the status bar no longer says that it reads.
        if (!window.statusBar()->currentMessage().endsWith(QStringLiteral("wird gelesen …"))) {
            QApplication::quit();
        }
    });
    clock.start();
    sinceTick.start();
    tick.start();
    window.loadFile(path);
    QApplication::exec();

    const qint64 bytes = QFileInfo(path).size();
    const long peak = peakKiB();
    out << "file: " << bytes << " bytes; loaded and shown after " << clock.elapsed() << " ms" << Qt::endl;
    out << "status: " << window.statusBar()->currentMessage() << Qt::endl;
    out << "longest time between the window thread's events: " << longest << " ms (goal: at most 50)" << Qt::endl;
    out << "peak memory: " << peak << " KiB, " << (peak - before) << " KiB above the start; ratio to the file: "
        << double(peak) * 1024 / double(bytes) << " (goal: at most 1.2)" << Qt::endl;
    return 0;
}
