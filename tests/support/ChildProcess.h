#pragma once
// What the file layer's tests share, natively and under Wine: whole files in and out, a scratch
// folder for one case, marker files between processes, and this executable started again as a
// second process.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace merivox::test {

inline std::string fileBytes(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Waits up to ten seconds for another process's marker file.
inline void waitFor(const std::filesystem::path &marker)
{
    for (int i = 0; i < 2000 && !std::filesystem::exists(marker); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// A fresh folder for one case, named for the test and this process, removed afterwards.
struct ScratchFolder
{
    std::filesystem::path path;
    explicit ScratchFolder(const std::string &test)
    {
        static int count = 0;
#ifdef _WIN32
        const auto pid = GetCurrentProcessId();
#else
        const auto pid = getpid();
#endif
        path = std::filesystem::temp_directory_path() /
               (test + "-" + std::to_string(pid) + "-" + std::to_string(++count));
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;
    std::filesystem::path file() const { return path / "usrprobe.dat"; }
    std::filesystem::path backup() const { return path / "usrprobe.dat.bak"; }
};

// This test executable's own path, for starting it again.
inline std::string selfPath()
{
#ifdef _WIN32
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return self;
#else
    return std::filesystem::read_symlink("/proc/self/exe").string();
#endif
}

// Another process running ARGS (the program first), waited for once.
class ChildProcess final
{
public:
    explicit ChildProcess(const std::vector<std::string> &args)
    {
#ifdef _WIN32
        std::string line;
        for (const std::string &arg : args) {
            line += "\"" + arg + "\" ";
        }
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_info)) {
            CloseHandle(m_info.hThread);
        }
#else
        m_pid = fork();
        if (m_pid == 0) {
            std::vector<char *> argv;
            for (const std::string &arg : args) {
                argv.push_back(const_cast<char *>(arg.c_str()));
            }
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
#endif
    }
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    bool started() const
    {
#ifdef _WIN32
        return m_info.hProcess != nullptr;
#else
        return m_pid > 0;
#endif
    }
    void kill()
    {
#ifdef _WIN32
        TerminateProcess(m_info.hProcess, 9);
#else
        ::kill(m_pid, SIGKILL);
#endif
        exitCode();
    }
    // The exit code; -1 when the process ended by a signal or was never started.
    int exitCode()
    {
        if (!started()) {
            return -1;
        }
#ifdef _WIN32
        WaitForSingleObject(m_info.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(m_info.hProcess, &code);
        CloseHandle(m_info.hProcess);
        m_info.hProcess = nullptr;
        return int(code);
#else
        int status = 0;
        const bool exited = waitpid(m_pid, &status, 0) == m_pid && WIFEXITED(status);
        m_pid = 0;
        return exited ? WEXITSTATUS(status) : -1;
#endif
    }

private:
#ifdef _WIN32
    PROCESS_INFORMATION m_info{};
#else
    pid_t m_pid = 0;
#endif
};

} // namespace merivox::test
