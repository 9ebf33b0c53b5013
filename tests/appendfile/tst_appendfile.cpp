// The operating-system half of appending, the same cases against the POSIX file natively and
// against the Windows file under Wine: line ends, rolling back, the lock between two processes,
// removing a failed new file under the lock, following a replaced file, and the causes of failure.
// Other processes are this executable started again as "child": it appends one text and stops at
// the stages it is told to, announcing each by a marker file and waiting for a "go" file.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include "AppendFile.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using namespace merivox;
using namespace std::chrono_literals;

namespace {

#ifdef _WIN32
constexpr int kDiskFull = ERROR_DISK_FULL;
#else
constexpr int kDiskFull = ENOSPC;
#endif

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

void waitFor(const fs::path &marker)
{
    for (int i = 0; i < 2000 && !fs::exists(marker); ++i) {
        std::this_thread::sleep_for(5ms);
    }
}

// A fresh folder for one case, removed afterwards.
struct Folder
{
    fs::path path;
    Folder()
    {
        static int count = 0;
#ifdef _WIN32
        const auto pid = GetCurrentProcessId();
#else
        const auto pid = getpid();
#endif
        path = fs::temp_directory_path() / ("appendfile-" + std::to_string(pid) + "-" + std::to_string(++count));
        fs::create_directories(path);
    }
    ~Folder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path file() const
    {
        return path / "usrprobe.dat";
    }
};

// In a child: the stages to announce, and to wait at until the parent says go.
fs::path g_markers;
std::string g_announce;
std::string g_stopAt;
bool g_failFlush = false;

const char *stageName(AppendStage stage)
{
    switch (stage) {
    case AppendStage::Opened:
        return "opened";
    case AppendStage::Locked:
        return "locked";
    case AppendStage::Written:
        return "written";
    case AppendStage::Removing:
        return "removing";
    }
    return "";
}

int childHook(AppendStage stage)
{
    const std::string name = stageName(stage);
    if (g_announce.find(name) != std::string::npos) {
        writeFile(g_markers.string() + "-" + name, {});
    }
    if (name == g_stopAt) {
        waitFor(g_markers.string() + "-go");
    }
    return stage == AppendStage::Written && g_failFlush ? kDiskFull : 0;
}

// child FILE TEXT MARKERS ANNOUNCE STOPAT FAIL: exits with the cause of the append.
int childMain(char **argv)
{
    g_markers = argv[4];
    g_announce = argv[5];
    g_stopAt = argv[6];
    g_failFlush = std::strcmp(argv[7], "fail") == 0;
    setAppendHook(childHook);
    return int(appendToFile(argv[2], argv[3]).cause);
}

std::string g_self;

// Another copy of this executable appending one text.
class Child
{
public:
    Child(const Folder &folder, const std::string &text, const std::string &name, const std::string &announce,
          const std::string &stopAt, bool failFlush)
        : m_markers(folder.path / name)
    {
        const std::vector<std::string> args{g_self,
                                            "child",
                                            folder.file().string(),
                                            text,
                                            m_markers.string(),
                                            announce.empty() ? "-" : announce,
                                            stopAt.empty() ? "-" : stopAt,
                                            failFlush ? "fail" : "-"};
#ifdef _WIN32
        std::string line;
        for (const std::string &arg : args) {
            line += "\"" + arg + "\" ";
        }
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        REQUIRE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_info));
        CloseHandle(m_info.hThread);
#else
        m_pid = fork();
        REQUIRE(m_pid >= 0);
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
    fs::path marker(const std::string &event) const
    {
        return m_markers.string() + "-" + event;
    }
    void go() const
    {
        writeFile(marker("go"), {});
    }
    bool running()
    {
#ifdef _WIN32
        return WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
#else
        if (m_pid > 0 && waitpid(m_pid, &m_status, WNOHANG) == m_pid) {
            m_pid = 0; // ended; its status is kept
        }
        return m_pid > 0;
#endif
    }
    // The cause the child's append ended with.
    AppendCause result()
    {
#ifdef _WIN32
        WaitForSingleObject(m_info.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(m_info.hProcess, &code);
        CloseHandle(m_info.hProcess);
        return AppendCause(code);
#else
        if (m_pid > 0 && waitpid(m_pid, &m_status, 0) != m_pid) {
            return AppendCause::Other;
        }
        m_pid = 0;
        return WIFEXITED(m_status) ? AppendCause(WEXITSTATUS(m_status)) : AppendCause::Other;
#endif
    }

private:
    fs::path m_markers;
#ifdef _WIN32
    PROCESS_INFORMATION m_info{};
#else
    pid_t m_pid = 0;
    int m_status = 0;
#endif
};

// In this process: a hook that makes the flush fail.
int failFlush(AppendStage stage)
{
    return stage == AppendStage::Written ? kDiskFull : 0;
}

struct HookGuard
{
    explicit HookGuard(AppendHook hook) { setAppendHook(hook); }
    ~HookGuard() { setAppendHook(nullptr); }
};

} // namespace

TEST_CASE("appends after the last byte, starting a line of its own")
{
    struct Case
    {
        const char *name;
        bool exists;
        std::string before;
        std::string after;
    };
    const Case cases[] = {
        {"no file", false, "", "R\r\n"},
        {"empty file", true, "", "R\r\n"},
        {"ends with CR LF", true, "a\r\n", "a\r\nR\r\n"},
        {"ends with LF", true, "a\n", "a\nR\r\n"},
        {"no line end", true, "a", "a\r\nR\r\n"},
        {"lone CR", true, "a\r", "a\r\nR\r\n"},
    };
    for (const Case &c : cases) {
        CAPTURE(c.name);
        Folder folder;
        if (c.exists) {
            writeFile(folder.file(), c.before);
        }
        CHECK(appendToFile(folder.file(), "R\r\n").ok());
        CHECK(readFile(folder.file()) == c.after);
    }
}

TEST_CASE("a failed flush leaves the file as it was, and removes a file it created")
{
    HookGuard hook(failFlush);
    for (const char *before : {"", "ITEM:OLD\r\n", "ITEM:OLD"}) {
        for (const bool exists : {false, true}) {
            if (!exists && *before) {
                continue;
            }
            CAPTURE(before);
            CAPTURE(exists);
            Folder folder;
            if (exists) {
                writeFile(folder.file(), before);
            }
            const AppendResult result = appendToFile(folder.file(), "ITEM:NEW\r\nendtip\r\n");
            CHECK(result.cause == AppendCause::DiskFull);
            CHECK(result.systemError == kDiskFull);
            CHECK(fs::exists(folder.file()) == exists);
            CHECK(readFile(folder.file()) == before);
        }
    }
}

TEST_CASE("a second process waits for the first one's lock")
{
    // The first process stops while it holds the lock; the second has opened the same file and
    // waits for the lock. In the second row the first created the file, failed, and stops just
    // before removing it: when it lets go, the second must find the file gone and write into a
    // new one, not into the removed file.
    struct Case
    {
        const char *name;
        const char *stopAt;
        bool fails;
        AppendCause firstCause;
        std::string after;
    };
    const Case cases[] = {
        {"both append in turn", "locked", false, AppendCause::None, "FIRST\r\nSECOND\r\n"},
        {"a failed new file is removed under the lock", "removing", true, AppendCause::DiskFull, "SECOND\r\n"},
    };
    for (const Case &c : cases) {
        CAPTURE(c.name);
        Folder folder;
        Child first(folder, "FIRST\r\n", "a", c.stopAt, c.stopAt, c.fails);
        waitFor(first.marker(c.stopAt));
        Child second(folder, "SECOND\r\n", "b", "opened", "", false);
        waitFor(second.marker("opened"));
        std::this_thread::sleep_for(300ms);
        CHECK(second.running());
        CHECK(readFile(folder.file()).empty());
        first.go();
        CHECK(first.result() == c.firstCause);
        CHECK(second.result() == AppendCause::None);
        CHECK(readFile(folder.file()) == c.after);
    }
}

namespace {
Folder *g_replaceIn = nullptr;

// Moves the opened file aside and puts a new one in its place, once.
int replaceOnce(AppendStage stage)
{
    if (stage == AppendStage::Opened && g_replaceIn) {
        fs::rename(g_replaceIn->file(), g_replaceIn->path / "old.dat");
        writeFile(g_replaceIn->file(), "NEW\r\n");
        g_replaceIn = nullptr;
    }
    return 0;
}
} // namespace

TEST_CASE("a file replaced while the lock was awaited is left for the one the path names")
{
    Folder folder;
    writeFile(folder.file(), "OLD\r\n");
    g_replaceIn = &folder;
    HookGuard hook(replaceOnce);
    CHECK(appendToFile(folder.file(), "R\r\n").ok());
    CHECK(readFile(folder.file()) == "NEW\r\nR\r\n");
    CHECK(readFile(folder.path / "old.dat") == "OLD\r\n");
}

TEST_CASE("the cause of a failure")
{
    SUBCASE("missing folder")
    {
        Folder folder;
        CHECK(appendToFile(folder.path / "gone" / "usrprobe.dat", "R\r\n").cause == AppendCause::FolderMissing);
        CHECK_FALSE(fs::exists(folder.path / "gone"));
    }
    SUBCASE("a folder in the file's place")
    {
        Folder folder;
        fs::create_directory(folder.file());
        CHECK(appendToFile(folder.file(), "R\r\n").cause == AppendCause::IsFolder);
        CHECK(fs::is_directory(folder.file()));
    }
    SUBCASE("access denied")
    {
        Folder folder;
        writeFile(folder.file(), "OLD\r\n");
#ifdef _WIN32
        // Wine keeps a read-only file read-only through the Unix permissions, which root ignores.
        SetFileAttributesW(folder.file().c_str(), FILE_ATTRIBUTE_READONLY);
        const HANDLE probe = CreateFileW(folder.file().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (probe != INVALID_HANDLE_VALUE) {
            CloseHandle(probe);
            SetFileAttributesW(folder.file().c_str(), FILE_ATTRIBUTE_NORMAL);
            MESSAGE("skipped: a read-only file can be written here (Wine as root)");
            return;
        }
#else
        if (geteuid() == 0) {
            MESSAGE("skipped: root may write to a read-only file");
            return;
        }
        fs::permissions(folder.file(), fs::perms::owner_read);
#endif
        CHECK(appendToFile(folder.file(), "R\r\n").cause == AppendCause::AccessDenied);
        CHECK(readFile(folder.file()) == "OLD\r\n");
#ifdef _WIN32
        SetFileAttributesW(folder.file().c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
    }
}

int main(int argc, char **argv)
{
    if (argc == 8 && std::strcmp(argv[1], "child") == 0) {
        return childMain(argv);
    }
#ifdef _WIN32
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    g_self = self;
#else
    g_self = fs::read_symlink("/proc/self/exe").string();
#endif
    doctest::Context context(argc, argv);
    return context.run();
}
