#pragma once
// What the file layer's doctest tests (tests/fileio) share, natively and cross-compiled for Wine:
// doctest with its own main, the system's error codes that they inject, a scratch folder for one
// case, and a hook of the layer set for one case. Included once, by the test's only source.

#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include "AppendFile.h"
#include "ChildProcess.h"
#include "ReadFile.h"
#include "ReplaceFile.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace merivox::test {

#ifdef _WIN32
constexpr int kDiskFull = ERROR_DISK_FULL;
constexpr int kAccessDenied = ERROR_ACCESS_DENIED;
#else
constexpr int kDiskFull = ENOSPC;
constexpr int kAccessDenied = EACCES;
#endif

// A fresh folder for one case, named for the test executable, removed afterwards.
struct Folder : ScratchFolder
{
    Folder() : ScratchFolder(std::filesystem::path(selfPath()).stem().string()) {}
    // The temporary files of a replacement in the folder.
    std::vector<std::string> temporaries() const
    {
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(path)) {
            const std::string name = entry.path().filename().string();
            if (name.find(".merivox-") != std::string::npos) {
                names.push_back(name);
            }
        }
        return names;
    }
};

// A hook of the file layer for one case: set now, taken away again at the end of the scope.
class HookGuard final
{
public:
    explicit HookGuard(AppendHook hook) : m_unset([] { setAppendHook(nullptr); }) { setAppendHook(hook); }
    explicit HookGuard(ReplaceHook hook) : m_unset([] { setReplaceHook(nullptr); }) { setReplaceHook(hook); }
    explicit HookGuard(ReadHook hook) : m_unset([] { setReadHook(nullptr); }) { setReadHook(hook); }
    ~HookGuard() { m_unset(); }
    HookGuard(const HookGuard &) = delete;
    HookGuard &operator=(const HookGuard &) = delete;

private:
    void (*m_unset)();
};

// The doctest cases of this executable, with doctest's options from the command line.
inline int runCases(int argc, char **argv)
{
    doctest::Context context(argc, argv);
    return context.run();
}

} // namespace merivox::test

namespace fs = std::filesystem;
using namespace merivox;
using namespace merivox::test;
using namespace std::chrono_literals;
