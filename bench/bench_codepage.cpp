// Times the file's code page both ways on the lines of a record: the program's own table against
// a converter of Qt's made for each line, as the writer did before the table, in the same run.
// Prints the median of 5 runs of each and their ratio. Needs Qt's converter for Windows-1252,
// which comes with ICU (Linux).
#include "Builders.h"
#include "NumberText.h"
#include "Windows1252.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <vector>

using namespace merivox;

namespace {

qint64 cpuNanoseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

template <typename Work> double medianMilliseconds(const Work &work)
{
    std::vector<qint64> runs;
    for (int run = 0; run < 5; ++run) {
        const qint64 start = cpuNanoseconds();
        work();
        runs.push_back(cpuNanoseconds() - start);
    }
    std::sort(runs.begin(), runs.end());
    return runs[2] / 1e6;
}

} // namespace

int main()
{
    QTextStream out(stdout);
    if (!QStringEncoder("windows-1252").isValid()) {
        out << "Qt has no Windows-1252 converter here: nothing to compare with." << Qt::endl;
        return 1;
    }
    // A cube's lines: the longest record, with a name holding an umlaut.
    const QLocale locale(QLocale::German, QLocale::Germany);
    TipInputs in;
    in.name = QStringLiteral("Würfel10");
    in.thread = QStringLiteral("M3ANALOG");
    in.length = Dimension{QStringLiteral("10"), 10.0};
    const std::optional<TipRecord> record = buildRecord(TipKind::Cube, in, locale);
    if (!record) {
        return 1;
    }
    const QStringList &lines = record->lines;
    constexpr int kRounds = 20000;
    qsizetype sink = 0;

    const double table = medianMilliseconds([&] {
        for (int i = 0; i < kRounds; ++i) {
            for (const QString &line : lines) {
                const std::optional<QByteArray> bytes = windows1252::encode(line);
                sink += windows1252::decode(*bytes).size();
            }
        }
    });
    const double converter = medianMilliseconds([&] {
        for (int i = 0; i < kRounds; ++i) {
            for (const QString &line : lines) {
                QStringEncoder encoder("windows-1252", QStringConverter::Flag::Stateless);
                const QByteArray bytes = encoder.encode(line);
                thread_local QStringDecoder decoder("windows-1252", QStringConverter::Flag::Stateless);
                sink += QString(decoder.decode(bytes)).size();
            }
        }
    });
    out << kRounds << " x " << lines.size() << " lines encoded and decoded, CPU time, median of 5 runs:" << Qt::endl;
    out << "  table:                    " << table << " ms" << Qt::endl;
    out << "  converter made per line:  " << converter << " ms" << Qt::endl;
    out << "  ratio converter / table:  " << converter / table << " (" << sink % 2 << ")" << Qt::endl;
    return 0;
}
