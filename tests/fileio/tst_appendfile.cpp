// The operating-system half of appending, the same cases against the POSIX file natively and
// against the Windows file under Wine: line ends, rolling back, the lock between two processes,
// removing a failed new file under the lock, following a replaced file, and the causes of failure.
// Other processes are this executable started again as "child": it appends one text, announces
// one stage by a marker file and, if told to, waits there for a "go" file.
#include "FileLayerTest.h"

namespace {

constexpr const char *kStageNames[] = {"opened", "locked", "written", "removing"};

// In a child: the stage to announce, whether to wait there, whether the flush fails.
std::string g_markers, g_stage;
bool g_wait = false;
bool g_failFlush = false;

int childHook(AppendStage stage)
{
    if (g_stage == kStageNames[int(stage)]) {
        writeBytes(g_markers + "-" + g_stage, {});
        if (g_wait) {
            waitFor(g_markers + "-go");
        }
    }
    return stage == AppendStage::Written && g_failFlush ? kDiskFull : 0;
}

// child FILE TEXT MARKERS STAGE WAIT FAIL: exits with the cause of the append.
int childMain(char **argv)
{
    g_markers = argv[4];
    g_stage = argv[5];
    g_wait = std::strcmp(argv[6], "wait") == 0;
    g_failFlush = std::strcmp(argv[7], "fail") == 0;
    setAppendHook(childHook);
    return int(appendToFile(argv[2], argv[3]).cause);
}

// Another copy of this executable appending one text.
class Child
{
public:
    Child(const Folder &folder, const std::string &text, const std::string &name, const std::string &stage, bool wait,
          bool failFlush)
        : m_markers(folder.path / name),
          m_process({selfPath(), "child", folder.file().string(), text, m_markers.string(), stage, wait ? "wait" : "-",
                     failFlush ? "fail" : "-"})
    {
        REQUIRE(m_process.started());
    }
    fs::path marker(const std::string &event) const
    {
        return m_markers.string() + "-" + event;
    }
    void go() const
    {
        writeBytes(marker("go"), {});
    }
    // The cause the child's append ended with.
    FileCause result()
    {
        const int code = m_process.exitCode();
        return code < 0 ? FileCause::Other : FileCause(code);
    }

private:
    fs::path m_markers;
    ChildProcess m_process;
};

} // namespace

TEST_CASE("appends after the last byte, starting a line of its own")
{
    // Before: nullptr for no file.
    const std::pair<const char *, std::string> cases[] = {
        {nullptr, "R\r\n"},  {"", "R\r\n"},       {"a\r\n", "a\r\nR\r\n"},
        {"a\n", "a\nR\r\n"}, {"a", "a\r\nR\r\n"}, {"a\r", "a\r\nR\r\n"},
    };
    for (const auto &[before, after] : cases) {
        CAPTURE(after);
        Folder folder;
        if (before) {
            writeBytes(folder.file(), before);
        }
        CHECK(appendToFile(folder.file(), "R\r\n").ok());
        CHECK(fileBytes(folder.file()) == after);
    }
}

TEST_CASE("a failed flush leaves the file as it was, and removes a file it created")
{
    HookGuard hook([](AppendStage stage) { return stage == AppendStage::Written ? kDiskFull : 0; });
    for (const char *before : {static_cast<const char *>(nullptr), "", "ITEM:OLD\r\n", "ITEM:OLD"}) {
        CAPTURE(before ? before : "no file");
        Folder folder;
        if (before) {
            writeBytes(folder.file(), before);
        }
        const AppendResult result = appendToFile(folder.file(), "ITEM:NEW\r\nendtip\r\n");
        CHECK(result.cause == FileCause::DiskFull);
        CHECK(result.systemError == kDiskFull);
        CHECK(fs::exists(folder.file()) == bool(before));
        CHECK(fileBytes(folder.file()) == (before ? before : ""));
    }
}

TEST_CASE("a second process waits for the first one's lock")
{
    // The first process stops while it holds the lock; the second has opened the same file and
    // waits for the lock: it has written nothing, and ends well once the first lets go. In the second row the first
    // created the file, failed, and stops just before removing it: when it lets go, the second must find the file gone
    // and write into a new one, not into the removed file.
    struct Case
    {
        const char *stopAt;
        bool fails;
        FileCause firstCause;
        std::string after;
    };
    for (const Case &c : {Case{"locked", false, FileCause::None, "FIRST\r\nSECOND\r\n"},
                          Case{"removing", true, FileCause::DiskFull, "SECOND\r\n"}}) {
        CAPTURE(c.stopAt);
        Folder folder;
        Child first(folder, "FIRST\r\n", "a", c.stopAt, true, c.fails);
        waitFor(first.marker(c.stopAt));
        Child second(folder, "SECOND\r\n", "b", "opened", false, false);
        waitFor(second.marker("opened"));
        std::this_thread::sleep_for(300ms);
        CHECK(fileBytes(folder.file()).empty());
        first.go();
        CHECK(first.result() == c.firstCause);
        CHECK(second.result() == FileCause::None);
        CHECK(fileBytes(folder.file()) == c.after);
    }
}

namespace {
Folder *g_replaceIn = nullptr;
} // namespace

TEST_CASE("a file replaced while the lock was awaited is left for the one the path names")
{
    Folder folder;
    writeBytes(folder.file(), "OLD\r\n");
    g_replaceIn = &folder;
    // Moves the opened file aside and puts a new one in its place, once.
    HookGuard hook([](AppendStage stage) {
        if (stage == AppendStage::Opened && g_replaceIn) {
            fs::rename(g_replaceIn->file(), g_replaceIn->path / "old.dat");
            writeBytes(g_replaceIn->file(), "NEW\r\n");
            g_replaceIn = nullptr;
        }
        return 0;
    });
    CHECK(appendToFile(folder.file(), "R\r\n").ok());
    CHECK(fileBytes(folder.file()) == "NEW\r\nR\r\n");
    CHECK(fileBytes(folder.path / "old.dat") == "OLD\r\n");
}

TEST_CASE("the cause of a failure")
{
    Folder folder;
    CHECK(appendToFile(folder.path / "gone" / "usrprobe.dat", "R\r\n").cause == FileCause::FolderMissing);
    CHECK_FALSE(fs::exists(folder.path / "gone"));
    fs::create_directory(folder.file());
    CHECK(appendToFile(folder.file(), "R\r\n").cause == FileCause::IsFolder);
    CHECK(fs::is_directory(folder.file()));

    const fs::path readOnly = folder.path / "readonly.dat";
    writeBytes(readOnly, "OLD\r\n");
#ifdef _WIN32
    // Wine keeps a read-only file read-only through the Unix permissions, which root ignores.
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    const HANDLE probe = CreateFileW(readOnly.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool writable = probe != INVALID_HANDLE_VALUE;
    if (writable) {
        CloseHandle(probe);
    }
#else
    fs::permissions(readOnly, fs::perms::owner_read);
    const bool writable = geteuid() == 0;
#endif
    if (writable) {
        MESSAGE("access denied skipped: a read-only file can be written here (root)");
    } else {
        CHECK(appendToFile(readOnly, "R\r\n").cause == FileCause::AccessDenied);
        CHECK(fileBytes(readOnly) == "OLD\r\n");
    }
#ifdef _WIN32
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
}

int main(int argc, char **argv)
{
    if (argc == 8 && std::strcmp(argv[1], "child") == 0) {
        return childMain(argv);
    }
    return runCases(argc, argv);
}
