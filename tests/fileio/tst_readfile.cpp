// The operating-system half of reading, the same cases against the POSIX file natively and
// against the Windows file under Wine: the whole file and the file in pieces, each cause of a
// refusal, and a read beside an append of another process that holds its lock.
#include "FileLayerTest.h"
#include "SameFile.h"

#include <future>

namespace {

ReadResult readAll(const fs::path &path, std::string &out, std::uint64_t limit = 1u << 30)
{
    std::uint64_t got = 0;
    const ReadResult result = readWholeFile(
        path, limit,
        [&](std::uint64_t size) {
            out.resize(size);
            return out.data();
        },
        got);
    out.resize(got);
    return result;
}

// Injected system errors at the open and at the look that follows a refused open.
int g_openError = 0, g_lookError = 0;
int injected(ReadStage stage)
{
    return stage == ReadStage::Open ? g_openError : stage == ReadStage::Look ? g_lookError : 0;
}

// The child: appends TEXT to FILE and stops with the lock held until MARKER-go exists.
std::string g_marker;
int holdLock(AppendStage stage)
{
    if (stage == AppendStage::Locked) {
        writeBytes(g_marker + "-locked", {});
        waitFor(g_marker + "-go");
    }
    return 0;
}

// Another copy of this executable appending TEXT to FILE, holding the lock until MARKER-go.
class Child
{
public:
    Child(const fs::path &file, const std::string &text, const fs::path &marker)
        : m_process({selfPath(), "child", file.string(), text, marker.string()})
    {
        REQUIRE(m_process.started());
    }
    int result()
    {
        return m_process.exitCode();
    }

private:
    ChildProcess m_process;
};

} // namespace

TEST_CASE("the whole file, and the same bytes in pieces")
{
    Folder folder;
    std::string bytes;
    for (int i = 0; i < 5000; ++i) {
        bytes += "ITEM:T" + std::to_string(i) + "MM M3\r\n";
    }
    bytes += std::string("\0\x1b\xff", 3);
    writeBytes(folder.file(), bytes);

    std::string whole;
    REQUIRE(readAll(folder.file(), whole).ok());
    CHECK(whole == bytes);

    for (const std::size_t piece : {std::size_t(1), std::size_t(7), std::size_t(4096), bytes.size() + 10}) {
        CAPTURE(piece);
        InputFile file;
        REQUIRE(file.open(folder.file()).ok());
        CHECK(file.size() == bytes.size());
        std::string joined;
        std::vector<char> buffer(piece);
        std::size_t got = 0;
        do {
            REQUIRE(file.read(buffer, got).ok());
            joined.append(buffer.data(), got);
        } while (got > 0);
        CHECK(joined == bytes);
    }

    std::string small;
    CHECK(readAll(folder.file(), small, 100).cause == FileCause::TooLarge);
    writeBytes(folder.file(), {});
    std::string empty = "x";
    CHECK(readAll(folder.file(), empty).ok());
    CHECK(empty.empty());
}

TEST_CASE("the cause of a refusal")
{
    Folder folder;
    writeBytes(folder.file(), "R\r\n");
    fs::create_directory(folder.path / "sub");
#ifdef _WIN32
    const fs::path device = "NUL";
#else
    const fs::path device = "/dev/zero";
    const fs::path fifo = folder.path / "pipe.dat";
    REQUIRE(mkfifo(fifo.c_str(), 0600) == 0);
#endif
    struct Case
    {
        const char *what;
        fs::path path;
        int openError, lookError;
        FileCause cause;
    };
    const std::vector<Case> cases{
        {"missing file", folder.path / "none.dat", 0, 0, FileCause::Missing},
        {"missing folder", folder.path / "gone" / "usrprobe.dat", 0, 0, FileCause::FolderMissing},
        {"a folder", folder.path / "sub", 0, 0, FileCause::IsFolder},
        {"a device", device, 0, 0, FileCause::NotRegular},
#ifndef _WIN32
        // A pipe without a writer: refused at once, not waited on.
        {"a pipe", fifo, 0, 0, FileCause::NotRegular},
#endif
        // Root reads every file, so these two are injected: the open refused, and the look at
        // the path allowed (the file is closed) or refused as well (its folder is closed).
        {"file without rights", folder.file(), kAccessDenied, 0, FileCause::AccessDenied},
        {"folder without rights", folder.file(), kAccessDenied, kAccessDenied, FileCause::FolderAccessDenied},
    };
    for (const Case &c : cases) {
        CAPTURE(c.what);
        g_openError = c.openError;
        g_lookError = c.lookError;
        setReadHook(injected);
        std::string out;
        const auto started = std::chrono::steady_clock::now();
        const ReadResult result = readAll(c.path, out);
        setReadHook(nullptr);
        CHECK(result.cause == c.cause);
        CHECK(out.empty());
        CHECK(std::chrono::steady_clock::now() - started < 2s);
    }
#ifndef _WIN32
    // Without root, the same two causes for real.
    if (geteuid() != 0) {
        fs::permissions(folder.file(), fs::perms::none);
        std::string out;
        CHECK(readAll(folder.file(), out).cause == FileCause::AccessDenied);
        fs::permissions(folder.file(), fs::perms::owner_all);
        fs::permissions(folder.path / "sub", fs::perms::owner_read);
        writeBytes(folder.path / "sub" / "x", "x");
        CHECK(readAll(folder.path / "sub" / "x", out).cause == FileCause::FolderAccessDenied);
        fs::permissions(folder.path / "sub", fs::perms::owner_all);
    }
#endif
}

TEST_CASE("a read beside another process's append")
{
    Folder folder;
    writeBytes(folder.file(), "OLD\r\n");

    // A reader that holds the file open does not keep an append from writing, nor from ending.
    {
        InputFile reader;
        REQUIRE(reader.open(folder.file()).ok());
        Child append(folder.file(), "NEW\r\n", folder.path / "a");
        writeBytes(folder.path.string() + "/a-go", {});
        CHECK(append.result() == int(FileCause::None));
        CHECK(fileBytes(folder.file()) == "OLD\r\nNEW\r\n");
        std::vector<char> buffer(64);
        std::size_t got = 0;
        REQUIRE(reader.read(buffer, got).ok());
        CHECK(std::string(buffer.data(), got) == "OLD\r\n");
    }

    // A read that starts while an append holds its lock waits for it (Windows locks are
    // mandatory) and then reads the file as it was when it was opened.
    Child append(folder.file(), "LATE\r\n", folder.path / "b");
    waitFor(folder.path.string() + "/b-locked");
    auto reading = std::async(std::launch::async, [&] {
        std::string out;
        const ReadResult result = readAll(folder.file(), out);
        return result.ok() ? out : std::string("failed");
    });
    std::this_thread::sleep_for(300ms);
    writeBytes(folder.path.string() + "/b-go", {});
    CHECK(append.result() == int(FileCause::None));
    const std::string seen = reading.get();
    CHECK((seen == "OLD\r\nNEW\r\n" || seen == "OLD\r\nNEW\r\nLATE\r\n"));
    CHECK(fileBytes(folder.file()) == "OLD\r\nNEW\r\nLATE\r\n");
}

namespace {
// The first reads meet a lock, as on Windows while an append writes; Wine does not hold a read
// to another process's lock, so the waiting is shown this way on both systems.
int g_lockedReads = 0;
int lockedReads(ReadStage stage)
{
#ifdef _WIN32
    constexpr int kLocked = ERROR_LOCK_VIOLATION;
#else
    constexpr int kLocked = 0;
#endif
    return stage == ReadStage::Read && g_lockedReads-- > 0 ? kLocked : 0;
}
} // namespace

TEST_CASE("a read that meets a lock waits for it")
{
    Folder folder;
    writeBytes(folder.file(), "OLD\r\n");
    g_lockedReads = 20;
    setReadHook(lockedReads);
    std::string out;
    [[maybe_unused]] const auto started = std::chrono::steady_clock::now();
    const ReadResult result = readAll(folder.file(), out);
    setReadHook(nullptr);
    CHECK(result.ok());
    CHECK(out == "OLD\r\n");
#ifdef _WIN32
    CHECK(std::chrono::steady_clock::now() - started >= 150ms);
#endif
    g_lockedReads = 1 << 20; // longer than any append
    setReadHook(lockedReads);
    const ReadResult given = readAll(folder.file(), out);
    setReadHook(nullptr);
#ifdef _WIN32
    CHECK(given.cause == FileCause::InUse);
#else
    CHECK(given.ok());
#endif
}

// Whether two paths name one file, which is what keeps an output from being written over the file
// being read. A link that the system does not let this user make is left out.
TEST_CASE("two paths that name one file")
{
    Folder folder;
    const fs::path file = folder.file();
    writeBytes(file, "R\r\n");
    fs::create_directories(folder.path / "sub");
    const fs::path copy = folder.path / "sub" / file.filename();
    writeBytes(copy, "R\r\n");
    std::error_code failed;
    const fs::path hard = folder.path / "hard.dat";
    fs::create_hard_link(file, hard, failed);
    const bool hardMade = !failed;
    const fs::path symbolic = folder.path / "link.dat";
    fs::create_symlink(file, symbolic, failed);
    const bool symbolicMade = !failed;
    // Relative paths start in the folder beside the file.
    const fs::path working = fs::current_path();
    fs::current_path(folder.path / "sub");

    struct Case
    {
        std::string what;
        fs::path other;
        bool same;
        bool made = true;
    };
    const Case cases[] = {
        {"the same path", file, true},
        {"through a folder and back", folder.path / "sub" / ".." / file.filename(), true},
        {"relative to the working folder", fs::path("..") / file.filename(), true},
        {"a hard link", hard, true, hardMade},
        {"a symbolic link", symbolic, true, symbolicMade},
        {"a file of the same name and content in another folder", copy, false},
        {"a file that does not exist", folder.path / "neu.pdf", false},
        {"the folder it is in", folder.path, false},
    };
    for (const Case &c : cases) {
        if (!c.made) {
            MESSAGE("left out, the link could not be made: " << c.what);
            continue;
        }
        CAPTURE(c.what);
        CHECK(sameFileOnDisk(file, c.other) == c.same);
        CHECK(sameFileOnDisk(c.other, file) == c.same);
    }
    CHECK(!sameFileOnDisk(folder.path / "fehlt.dat", folder.path / "fehlt.dat"));
    fs::current_path(working);
}

int main(int argc, char **argv)
{
    if (argc == 5 && std::strcmp(argv[1], "child") == 0) {
        g_marker = argv[4];
        setAppendHook(holdLock);
        return int(appendToFile(argv[2], argv[3]).cause);
    }
    return runCases(argc, argv);
}
