// Times one update of the editor's preview, for the worked example of every kind:
//   content: the Create command's checks and builder (no effects), reading the lines back,
//            the plausibility notes, and painting the drawing to scale into an image of the
//            drawing's size;
//   window:  a real editor with its preview: one changed character in a field, which refreshes
//            the preview, and the preview window painted whole into a pixmap; the editor's
//            folder is the working folder, and its usrprobe.dat (if any) is read first;
//   stall:   how long the editor took to open, then the longest the GUI thread went without
//            turning its event loop (a 1 ms timer) while its preview read the working folder's
//            usrprobe.dat, with the thread's processor time within that pause: a pause with
//            little processor time is waiting (for a core, or for the kernel), not work.
// Prints the median, the 95th percentile and the largest of many single updates by the clock,
// the processor time of that largest one, and the median and largest processor time of the GUI
// thread, in microseconds. One frame at 60 Hz is 16,667 us. On a machine that others share,
// the largest by the clock is mostly time spent waiting for a core; run it under `nice -n -20`
// (as root) to see the updates with little of that. (Under `chrt -f` the kernel stops the
// process for 50 ms after 950 ms of processor time in a second: the pause figure shows that.)
// An argument names one kind ("cube"): only its window update is measured, then the update and
// the painting apart (for a profiler).
#include "EditorPreview.h"
#include "EditorWindow.h"
#include "PreviewWindow.h"
#include "RecordDrawing.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QTimer>
#include <QLineEdit>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

using namespace merivox;

namespace {

struct Example
{
    const char *name;
    TipKind kind;
    std::map<DimensionField, const char *> texts;
    const char *changed; // objectName of the field that the window benchmark edits
};

using F = DimensionField;
const Example kExamples[] = {
    {"ball",
     TipKind::Ball,
     {{F::L1, "10"}, {F::L2, "15"}, {F::L3, "40"}, {F::D1, "4"}, {F::D2, "2"}, {F::BallDiameter, "3"}},
     "txt_l3"},
    {"cylinder",
     TipKind::Cylinder,
     {{F::L1, "10"}, {F::L2, "20"}, {F::L3, "30"}, {F::L4, "45"}, {F::D1, "6"}, {F::D2, "3"}, {F::BallDiameter, "2"}},
     "txt_l4"},
    {"half sphere",
     TipKind::HalfSphere,
     {{F::L1, "10"}, {F::L2, "20"}, {F::L3, "30"}, {F::D1, "6"}, {F::D2, "3"}, {F::BallDiameter, "8"}},
     "txt_l3"},
    {"disc",
     TipKind::Disc,
     {{F::L1, "10"}, {F::L2, "20"}, {F::L3, "30"}, {F::D1, "6"}, {F::D2, "3"}, {F::Length, "12"}, {F::Width, "2"}},
     "txt_l3"},
    {"cube", TipKind::Cube, {{F::L1, "10"}}, "txt_L1"},
    {"extension", TipKind::Extension, {{F::D1, "4"}, {F::Length, "50"}}, "txt_l"},
};

class ExampleEditor final : public EditorPort
{
public:
    explicit ExampleEditor(const Example &example) : m_example(example) {}
    QString nameText() const override { return QStringLiteral("TIP"); }
    QString threadText() const override { return QStringLiteral("M3ANALOG"); }
    QString thread2Text() const override { return QStringLiteral("M2ANALOG"); }
    QString dimensionText(DimensionField field) const override
    {
        const auto found = m_example.texts.find(field);
        return found == m_example.texts.end() ? QString() : QString::fromLatin1(found->second);
    }
    bool isDimensionEnabled(DimensionField field) const override
    {
        return findTipKind(m_example.kind)->dimensions.contains(field);
    }
    void clearDimension(DimensionField) override {}
    bool isBallMaterialSelected(BallMaterial material) const override { return material == BallMaterial::Ruby; }
    bool isWithoutHalfSphere() const override { return false; }
    QString folder() const override { return QStringLiteral("/nonexistent"); }
    void closeEditor() override {}

private:
    const Example &m_example;
};

// Processor time of the calling thread, in microseconds: what an update costs, apart from the
// time the thread waited for a core that others were using.
double threadCpuUs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1000.0;
}

struct Figures
{
    double median, p95, max;       // wall clock
    double cpuMedian, cpuMax;      // processor time of the GUI thread
    double cpuOfSlowest;           // processor time of the update that took longest by the clock
};

template <typename Update> Figures measure(int runs, Update update)
{
    std::vector<double> us;
    std::vector<double> cpu;
    us.reserve(size_t(runs));
    cpu.reserve(size_t(runs));
    for (int i = 0; i < 20; ++i) {
        update(i); // warm up caches, fonts and glyphs
    }
    QElapsedTimer timer;
    double slowest = -1;
    double cpuOfSlowest = 0;
    for (int i = 0; i < runs; ++i) {
        const double cpuStart = threadCpuUs();
        timer.start();
        update(i);
        const double wall = double(timer.nsecsElapsed()) / 1000.0;
        const double used = threadCpuUs() - cpuStart;
        if (wall > slowest) {
            slowest = wall;
            cpuOfSlowest = used;
        }
        us.push_back(wall);
        cpu.push_back(used);
    }
    std::sort(us.begin(), us.end());
    std::sort(cpu.begin(), cpu.end());
    return {us[us.size() / 2], us[us.size() * 95 / 100], us.back(), cpu[cpu.size() / 2], cpu.back(), cpuOfSlowest};
}

void print(const char *what, const char *kind, const Figures &f)
{
    std::printf("%-8s %-12s median %7.1f us  p95 %7.1f us  max %8.1f us (processor %7.1f us)   processor: median %7.1f "
                "us  max %8.1f us\n",
                what, kind, f.median, f.p95, f.max, f.cpuOfSlowest, f.cpuMedian, f.cpuMax);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // An argument names the one kind whose window update is measured (for a profiler).
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const QLocale locale(QLocale::German, QLocale::Germany);
    constexpr int kRuns = 2000;

    for (const Example &example : kExamples) {
        ExampleEditor editor(example);
        EditorState state;
        state.tip_type = example.kind;
        QImage image(QSize(364, 330), QImage::Format_ARGB32_Premultiplied);
        const Figures figures = measure(kRuns, [&](int) {
            const PreviewContent content = previewContent(editor, state, locale);
            if (content.lines.isEmpty()) {
                qFatal("no record for %s", example.name);
            }
            const RecordDrawing drawing(content.readBack);
            image.fill(Qt::white);
            QPainter painter(&image);
            drawing.paintFitted(painter, QRectF(image.rect()).adjusted(6, 6, -6, -6));
        });
        print("content", example.name, figures);
    }

    {
        // The event loop's longest pause while the file is read in the background.
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 opening = -1; // the first pause: the editor made and shown, before the loop turns
        qint64 longest = 0;  // the longest pause after that, while the file is read
        double lastCpu = threadCpuUs();
        double longestCpu = 0; // the GUI thread's processor time within the longest pause
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            const double cpu = threadCpuUs();
            if (opening < 0) {
                opening = now - last;
            } else if (now - last > longest) {
                longest = now - last;
                longestCpu = cpu - lastCpu;
            }
            last = now;
            lastCpu = cpu;
        });
        tick.start(1);
        EditorState state;
        auto *window = new EditorWindow(TipKind::Ball, state, locale);
        window->show();
        const QLabel *status = window->findChild<QLabel *>(QStringLiteral("vorschau_datei"));
        while (status->text().endsWith(QStringLiteral("wird gelesen …")) && clock.elapsed() < 60000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        const qint64 loaded = clock.elapsed();
        tick.stop();
        std::printf("stall       editor opened in %.1f ms; then longest event-loop pause %.1f ms (processor %.1f ms); "
                    "file read after %lld ms: %s\n",
                    opening / 1e6, longest / 1e6, longestCpu / 1000.0, static_cast<long long>(loaded),
                    qPrintable(status->text()));
        delete window;
    }

    for (const Example &example : kExamples) {
        if (!only.isEmpty() && only != QLatin1String(example.name)) {
            continue;
        }
        EditorState state;
        EditorWindow window(example.kind, state, locale);
        window.show();
        const auto fill = [&](const char *name, const QString &text) {
            window.findChild<QLineEdit *>(QString::fromLatin1(name))->setText(text);
        };
        const char *const names[] = {"txt_L1", "txt_l2", "txt_l3", "txt_d1", "txt_d2",
                                     "txt_kd", "txt_l",  "txt_b",  "txt_l4"};
        fill("txt_id", QStringLiteral("TIP"));
        window.findChild<QComboBox *>(QStringLiteral("cb_gew"))->setEditText(QStringLiteral("M3ANALOG"));
        for (const auto &[field, text] : example.texts) {
            fill(names[int(field)], QString::fromLatin1(text));
        }
        PreviewWindow *preview = window.findChild<PreviewWindow *>(QStringLiteral("Vorschau"));
        // The file's summary first, so that every update below looks the record up in it.
        const QLabel *status = preview->findChild<QLabel *>(QStringLiteral("vorschau_datei"));
        QElapsedTimer reading;
        reading.start();
        while (status->text().endsWith(QStringLiteral("wird gelesen …")) && reading.elapsed() < 30000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        QLineEdit *changed = window.findChild<QLineEdit *>(QString::fromLatin1(example.changed));
        const QString base = changed->text();
        QPixmap pixmap(preview->size());
        const Figures figures = measure(kRuns / 4, [&](int i) {
            changed->setText(base + QString::number(i % 2)); // one character more or another
            preview->render(&pixmap);
        });
        if (preview->recordText().isEmpty()) {
            qFatal("the preview shows no record for %s", example.name);
        }
        print("window", example.name, figures);
        if (!only.isEmpty()) {
            print("update", example.name, measure(kRuns / 4, [&](int i) { changed->setText(base + QString::number(i % 2)); }));
            print("paint", example.name, measure(kRuns / 4, [&](int) { preview->render(&pixmap); }));
        }
    }
    return 0;
}
