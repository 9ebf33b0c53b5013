// A removal near the start of a large probe file (nearly every byte moves), timed, and one append
// of a record by another thread's own open and lock, started once the removal holds the lock: how
// long that append ("Erstellen" on another station) waits. Prints the path taken, the file's size,
// and the median and worst of both over the rounds.
#include "AppendFile.h"
#include "BenchFiles.h"
#include "InPlaceChange.h"
#include "ReplaceFile.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

using namespace merivox;
using Clock = std::chrono::steady_clock;

namespace {

std::atomic<bool> g_locked{false};

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

std::string readBytes(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

int main(int argc, char **argv)
{
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 50;
    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 3;
    QTemporaryDir folder;
    const std::filesystem::path file = QDir(folder.path()).filePath(QStringLiteral("usrprobe.dat")).toStdString();
    const QByteArray seed = bench::makeFile(megabytes * 1024 * 1024);
    setReplaceHook([](ReplaceStage stage) {
        if (stage == ReplaceStage::HistoryWritten) {
            g_locked = true;
        }
        return 0;
    });
    std::vector<double> removals, waits;
    for (int round = 0; round < rounds; ++round) {
        bench::writeFile(QString::fromStdString(file.string()), seed);
        std::filesystem::remove(std::filesystem::path(file.string() + ".bak"));
        std::filesystem::remove(std::filesystem::path(file.string() + ".history"));
        const std::string content = readBytes(file);
        // The second record: from the second "ITEM:" line to the third.
        const size_t begin = content.find("\nITEM:") + 1;
        const size_t end = content.find("\nITEM:", begin) + 1;
        g_locked = false;
        double waited = 0;
        std::thread appender([&] {
            while (!g_locked) {
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
            const auto start = Clock::now();
            appendToFile(file, "ITEM:WAITMM M3\r\nendtip\r\n");
            waited = ms(Clock::now() - start);
        });
        const auto start = Clock::now();
        const ReplaceResult result = removeFromFile(file, contentHash(content), begin, end);
        removals.push_back(ms(Clock::now() - start));
        appender.join();
        waits.push_back(waited);
        if (!result.ok()) {
            std::fprintf(stderr, "removal failed: cause %d, error %d\n", int(result.cause), result.systemError);
            return 1;
        }
    }
    std::sort(removals.begin(), removals.end());
    std::sort(waits.begin(), waits.end());
    std::printf("path: %s, file %.1f MB, %d rounds\n", detail::inPlaceForced() ? "in place" : "one-step replace",
                double(seed.size()) / 1048576.0, rounds);
    std::printf("removal: median %.0f ms, worst %.0f ms\n", removals[removals.size() / 2], removals.back());
    std::printf("another copy's append waited: median %.0f ms, worst %.0f ms\n", waits[waits.size() / 2], waits.back());
    return 0;
}
