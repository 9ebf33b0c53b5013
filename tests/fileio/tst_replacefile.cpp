// Replacing the file in one step, the same cases against the POSIX file natively and against the
// Windows file under Wine: exact bytes out and back in, the content check, the backup and whose
// backup may be replaced, permissions kept, a kill at each stage, and an append that waits for a
// removal's lock. Other processes are this executable started again as "remove" or "append".
#include "FileLayerTest.h"

#include <cstdio>

#ifdef _WIN32
#include <aclapi.h>
#endif

namespace {

// Three records, with the line ends and a damaged line that a removal must leave alone.
const std::string kFirst = "ITEM:AMM M3\r\nbegintip\r\nendtip\r\n";
const std::string kSecond = "ITEM:BMM M3\nbegintip\r\nendtip\r\n";
const std::string kThird = "ITEM:CMM M3\r\nk\xe4put\r\nendtip";
const std::string kSeed = kFirst + kSecond + kThird;

ReplaceResult removeSecond(const Folder &folder)
{
    return removeFromFile(folder.file(), contentHash(fileBytes(folder.file())), kFirst.size(),
                          kFirst.size() + kSecond.size());
}

constexpr const char *kStageNames[] = {"locked",   "linking", "backup",   "written",   "flushed", "replaced",
                                       "folder",   "history", "rescued",  "marked",    "note",    "extended",
                                       "half",     "rewritten", "cut",    "unnoted"};

std::string g_markers, g_stage;
bool g_wait = false;

// In a child: announce the stage by a marker file, then wait there for a "go" file, or for
// ever (until killed).
int childHook(ReplaceStage stage)
{
    if (g_stage == kStageNames[int(stage)]) {
        writeBytes(g_markers + "-" + g_stage, {});
        if (g_wait) {
            waitFor(g_markers + "-go");
        } else {
            for (;;) { // until killed
                std::this_thread::sleep_for(1s);
            }
        }
    }
    return 0;
}

int appendHook(AppendStage stage)
{
    if (stage == AppendStage::Opened) {
        writeBytes(g_markers + "-opened", {});
    }
    return 0;
}

// remove FILE MARKERS STAGE WAIT: takes out the second record, exits with the cause.
// append FILE MARKERS: appends one record, exits with the cause.
int childMain(char **argv)
{
    g_markers = argv[3];
    if (std::strcmp(argv[1], "append") == 0) {
        setAppendHook(appendHook);
        return int(appendToFile(argv[2], "ITEM:DMM M3\r\nendtip\r\n").cause);
    }
    g_stage = argv[4];
    g_wait = std::strcmp(argv[5], "wait") == 0;
    setReplaceHook(childHook);
    const fs::path file = argv[2];
    return int(removeFromFile(file, contentHash(fileBytes(file)), kFirst.size(), kFirst.size() + kSecond.size()).cause);
}

// Whether this system replaces a file in one step. Windows 10 1607 and later do on NTFS; Wine 8
// and older Windows refuse the rename, and every removal there must end as "in use" with the file
// unchanged. Found out by a removal of nothing from a scratch file.
bool g_replaces = true;

// A removal that should have replaced the file: true when it did, false when this system
// refused it as it must.
bool replacedHere(const ReplaceResult &result)
{
    if (g_replaces) {
        CHECK(result.ok());
        CHECK(result.replaced);
    } else {
        CHECK(result.cause == FileCause::InUse);
        CHECK_FALSE(result.replaced);
    }
    return result.replaced;
}

class Child
{
public:
    Child(const Folder &folder, const std::string &mode, const std::vector<std::string> &extra, const std::string &name)
        : m_markers(folder.path / name), m_process(arguments(folder, mode, extra))
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
    void kill()
    {
        m_process.kill();
    }
    int result()
    {
        return m_process.exitCode();
    }

private:
    std::vector<std::string> arguments(const Folder &folder, const std::string &mode,
                                       const std::vector<std::string> &extra) const
    {
        std::vector<std::string> args{selfPath(), mode, folder.file().string(), m_markers.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }

    fs::path m_markers;
    ChildProcess m_process;
};

} // namespace

TEST_CASE("the content hash is 64-bit FNV-1a")
{
    CHECK(contentHash("") == 0xcbf29ce484222325ull);
    CHECK(contentHash("a") == 0xaf63dc4c8601ec8cull);
    CHECK(contentHash("foobar") == 0x85944171f73967e8ull);
}

TEST_CASE("replacing a .bak of any content keeps in the history what only the .bak held")
{
    const std::string a = "ITEM:A\r\n", b = "ITEM:B\r\n", c = "ITEM:C\r\n", d = "ITEM:D\r\n";
    const std::string odd("ITEM:B\r\nx\0\x1a\xe4\r", 13);
    struct Case
    {
        std::string backup, current;
        std::vector<std::string> rescued; // what the history must hold besides the removal's entry
    };
    const Case cases[] = {
        {a + b + c, a + b + c + d, {}},                 // appended since: every byte still in the file
        {a + c, a + b + c, {}},                         // put back since
        {a + b + c, a + c + d, {b}},                    // taken out by an older copy without a history
        {a + b + c + d, a + d, {b, c}},                 // two records taken out
        {a + "ITEM:X\r\n" + c, a + b + c, {"ITEM:X\r\n"}}, // a line changed by hand
        {"saved by hand\r\n" + a, a + b, {"saved by hand\r\n"}}, // text before the first record
        {a + odd, a + c, {odd}}, // odd bytes kept exactly
    };
    for (const Case &c : cases) {
        CAPTURE(c.backup);
        Folder folder;
        writeBytes(folder.file(), c.current);
        writeBytes(folder.backup(), c.backup);
        // Takes out the first record; its bytes go into the history as the removal's entry.
        if (!replacedHere(removeFromFile(folder.file(), contentHash(c.current), 0, a.size()))) {
            continue; // refused before the .bak was touched
        }
        CHECK(fileBytes(folder.backup()) == c.current);
        std::string history;
        REQUIRE(readHistory(folder.file(), history).ok());
        const std::vector<HistoryEntry> entries = parseHistory(history);
        std::vector<std::string> rescued;
        for (const HistoryEntry &entry : entries) {
            if (entry.action == HistoryAction::Backup) {
                rescued.push_back(entry.removed);
            }
        }
        CHECK(rescued == c.rescued);
    }
    // A .bak that cannot be read is left alone, and nothing is changed.
    Folder folder;
    writeBytes(folder.file(), kSeed);
    fs::create_directory(folder.backup());
    CHECK(removeSecond(folder).cause == FileCause::ForeignBackup);
    CHECK(fileBytes(folder.file()) == kSeed);
}

TEST_CASE("temporary names are recognised only for this file")
{
    const fs::path file = fs::path("folder") / "usrprobe.dat";
    CHECK(detail::temporaryPath(file, 42, false).filename() == "usrprobe.dat.merivox-42.tmp");
    CHECK(detail::temporaryPath(file, 42, true).filename() == "usrprobe.dat.bak.merivox-42.tmp");
    const std::pair<const char *, bool> names[] = {
        {"usrprobe.dat.merivox-42.tmp", true}, {"usrprobe.dat.bak.merivox-7.tmp", true},
        {"usrprobe.dat.merivox-.tmp", false},  {"usrprobe.dat.merivox-4x.tmp", false},
        {"other.dat.merivox-42.tmp", false},   {"usrprobe.dat.42.tmp", false}, // an append's name
        {"usrprobe.dat.bak", false},           {"usrprobe.dat", false},
    };
    for (const auto &[name, temporary] : names) {
        const std::string text = name;
        CAPTURE(text);
        CHECK(detail::isTemporaryName(file, name) == temporary);
    }
}

TEST_CASE("a record comes out byte for byte, the old content stays as .bak, and goes back in")
{
    Folder folder;
    writeBytes(folder.file(), kSeed);
    const ReplaceResult removed = removeSecond(folder);
    CHECK(fileBytes(folder.backup()) == kSeed);
    CHECK(folder.temporaries().empty());
    if (!replacedHere(removed)) {
        CHECK(fileBytes(folder.file()) == kSeed);
        return;
    }
    CHECK(fileBytes(folder.file()) == kFirst + kThird);
    CHECK(removed.newHash == contentHash(kFirst + kThird));

    // Undo by the same steps; the backup it replaces is the one the removal wrote.
    const ReplaceResult undone = insertIntoFile(folder.file(), removed.newHash, kFirst.size(), kSecond);
    REQUIRE(undone.ok());
    CHECK(fileBytes(folder.file()) == kSeed);
    CHECK(fileBytes(folder.backup()) == kFirst + kThird);
    // The undo's hash no longer matches once the file changed.
    CHECK(insertIntoFile(folder.file(), removed.newHash, kFirst.size(), kSecond).cause == FileCause::Changed);
}

TEST_CASE("nothing is changed when the content, the range or the backup is not as expected")
{
    struct Case
    {
        const char *what;
        std::uint64_t hash, begin, end;
        std::string backup; // empty: none
        FileCause cause;
    };
    const Case cases[] = {
        {"changed", contentHash(kSeed + "x"), 0, 5, "", FileCause::Changed},
        {"past the end", contentHash(kSeed), 5, kSeed.size() + 1, "", FileCause::BadRange},
        {"backwards", contentHash(kSeed), 6, 5, "", FileCause::BadRange},
    };
    for (const Case &c : cases) {
        const std::string what = c.what;
        CAPTURE(what);
        Folder folder;
        writeBytes(folder.file(), kSeed);
        if (!c.backup.empty()) {
            writeBytes(folder.backup(), c.backup);
        }
        const ReplaceResult result = removeFromFile(folder.file(), c.hash, c.begin, c.end);
        CHECK(result.cause == c.cause);
        CHECK_FALSE(result.replaced);
        CHECK(fileBytes(folder.file()) == kSeed);
        CHECK(fs::exists(folder.backup()) == !c.backup.empty());
        CHECK(fileBytes(folder.backup()) == c.backup);
        CHECK(folder.temporaries().empty());
    }
    Folder empty;
    CHECK(removeFromFile(empty.file(), 0, 0, 0).cause == FileCause::Missing);
}

TEST_CASE("a step that fails leaves the old content and no temporary file")
{
    for (const ReplaceStage stage : {ReplaceStage::NewWritten, ReplaceStage::NewFlushed}) {
        const std::string name = kStageNames[int(stage)];
        CAPTURE(name);
        static ReplaceStage s_failing;
        s_failing = stage;
        HookGuard hook([](ReplaceStage at) { return at == s_failing ? kDiskFull : 0; });
        Folder folder;
        writeBytes(folder.file(), kSeed);
        const ReplaceResult result = removeSecond(folder);
        CHECK(result.cause == FileCause::DiskFull);
        CHECK(result.systemError == kDiskFull);
        CHECK(fileBytes(folder.file()) == kSeed);
        CHECK(folder.temporaries().empty());
    }
}

namespace {
Folder *g_looked = nullptr;
std::vector<unsigned> g_seen; // the new file's permissions, looked at once it is flushed

unsigned permissionsOf(const fs::path &path)
{
#ifdef _WIN32
    return GetFileAttributesW(path.c_str());
#else
    return unsigned(fs::status(path).permissions());
#endif
}
} // namespace

TEST_CASE("the new file keeps the old one's permissions")
{
#ifdef _WIN32
    const unsigned kinds[] = {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_ARCHIVE};
#else
    const unsigned kinds[] = {0640, 0604, 0660};
#endif
    HookGuard hook([](ReplaceStage stage) {
        if (stage == ReplaceStage::NewFlushed) {
            for (const auto &entry : fs::directory_iterator(g_looked->path)) {
                if (entry.path().filename().string().find(".merivox-") != std::string::npos) {
                    g_seen.push_back(permissionsOf(entry.path()));
                }
            }
        }
        return 0;
    });
    for (const unsigned kind : kinds) {
        CAPTURE(kind);
        Folder folder;
        g_looked = &folder;
        g_seen.clear();
        writeBytes(folder.file(), kSeed);
#ifdef _WIN32
        REQUIRE(SetFileAttributesW(folder.file().c_str(), kind));
#else
        fs::permissions(folder.file(), fs::perms(kind));
#endif
        const bool replaced = replacedHere(removeSecond(folder));
        CHECK(g_seen == std::vector<unsigned>{kind});
        CHECK(permissionsOf(folder.file()) == kind);
        CHECK(fileBytes(folder.file()) == (replaced ? kFirst + kThird : kSeed));
    }
}

namespace {
#ifdef _WIN32
constexpr int kNoLinks = ERROR_NOT_SUPPORTED;
#else
constexpr int kNoLinks = EPERM;
#endif
int g_refuseLinks = 0;
unsigned long g_names = 0; // the old file's number of names once the backup is kept

unsigned long namesOf(const fs::path &path)
{
#ifdef _WIN32
    const HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return info.nNumberOfLinks;
#else
    return fs::hard_link_count(path);
#endif
}
} // namespace

TEST_CASE("where the file system has no hard links, the backup is a flushed copy")
{
    HookGuard hook([](ReplaceStage stage) {
        if (stage == ReplaceStage::BackupKept) {
            g_names = namesOf(g_looked->file());
        }
        return stage == ReplaceStage::Linking ? g_refuseLinks : 0;
    });
    // The link refused or not, and the old file's names then: a link is a second name, a copy not.
    for (const auto &[refused, names] : {std::pair{0, 2ul}, std::pair{kNoLinks, 1ul}}) {
        CAPTURE(refused);
        g_refuseLinks = refused;
        Folder folder;
        g_looked = &folder;
        writeBytes(folder.file(), kSeed);
        replacedHere(removeSecond(folder));
        CHECK(g_names == names);
        CHECK(fileBytes(folder.backup()) == kSeed);
        CHECK(folder.temporaries().empty());
    }
}

#ifdef _WIN32
namespace {
// The access list of a file as bytes, protected or not.
std::string accessListOf(const fs::path &path)
{
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                              &descriptor) != ERROR_SUCCESS) {
        return "unreadable";
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    std::string bytes = (control & SE_DACL_PROTECTED) ? "protected:" : "inherited:";
    if (dacl) {
        bytes.append(reinterpret_cast<const char *>(dacl), dacl->AclSize);
    }
    LocalFree(descriptor);
    return bytes;
}

std::string g_newAccessList;
} // namespace

TEST_CASE("the new file takes the old one's access list")
{
    Folder folder;
    writeBytes(folder.file(), kSeed);
    // Everyone may do anything, and the users may read: an access list no new file gets by itself.
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    BYTE users[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof everyone;
    REQUIRE(CreateWellKnownSid(WinWorldSid, nullptr, everyone, &size));
    size = sizeof users;
    REQUIRE(CreateWellKnownSid(WinBuiltinUsersSid, nullptr, users, &size));
    std::vector<BYTE> buffer(1024);
    auto *acl = reinterpret_cast<PACL>(buffer.data());
    REQUIRE(InitializeAcl(acl, DWORD(buffer.size()), ACL_REVISION));
    REQUIRE(AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, everyone));
    REQUIRE(AddAccessAllowedAce(acl, ACL_REVISION, FILE_GENERIC_READ, users));
    std::wstring name = folder.file().wstring();
    REQUIRE(SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                  acl, nullptr) == ERROR_SUCCESS);
    // Wine keeps the list, though not its protected flag.
    const std::string before = accessListOf(folder.file());
    writeBytes(folder.path / "plain.dat", "");
    REQUIRE(before != accessListOf(folder.path / "plain.dat"));

    g_looked = &folder;
    g_newAccessList.clear();
    HookGuard hook([](ReplaceStage stage) {
        if (stage == ReplaceStage::NewFlushed) {
            g_newAccessList = accessListOf(detail::temporaryPath(g_looked->file(), GetCurrentProcessId(), false));
        }
        return 0;
    });
    replacedHere(removeSecond(folder));
    CHECK(g_newAccessList == before);
    CHECK(accessListOf(folder.file()) == before);
}
#endif

#ifndef _WIN32
TEST_CASE("a symbolic link at the path is followed and stays a link")
{
    Folder folder;
    fs::create_directory(folder.path / "real");
    writeBytes(folder.path / "real" / "usrprobe.dat", kSeed);
    fs::create_symlink(fs::path("real") / "usrprobe.dat", folder.file());
    REQUIRE(removeSecond(folder).ok());
    CHECK(fs::is_symlink(folder.file()));
    CHECK(fileBytes(folder.file()) == kFirst + kThird);
    CHECK(fileBytes(folder.path / "real" / "usrprobe.dat.bak") == kSeed);
    CHECK_FALSE(fs::exists(folder.backup()));
}
#endif

TEST_CASE("a kill at each stage leaves the old or the new content whole; the next removal cleans up")
{
    const std::string removedContent = kFirst + kThird;
    struct Case
    {
        const char *stage;
        bool replaced;  // the new content stands at the path
        bool backup;    // the .bak holds the old content
        bool temporary; // a temporary file is left
        bool entry;     // the history holds the removal's entry
    };
    // In the order the stages come.
    const Case cases[] = {
        {"locked", false, false, false, false}, {"history", false, false, false, true},
        {"written", false, false, true, true},  {"flushed", false, false, true, true},
        {"linking", false, false, true, true},  {"backup", false, true, true, true},
        {"replaced", true, true, false, true},  {"folder", true, true, false, true},
        {"marked", true, true, false, true},
    };
    for (const Case &c : cases) {
        const std::string stage = c.stage;
        CAPTURE(stage);
        if (c.replaced && !g_replaces) {
            MESSAGE("a kill after the replace cannot be shown: this system refuses the replace");
            continue;
        }
        Folder folder;
        writeBytes(folder.file(), kSeed);
        Child remover(folder, "remove", {c.stage, "-"}, "r");
        waitFor(remover.marker(c.stage));
        REQUIRE(fs::exists(remover.marker(c.stage)));
        remover.kill();

        CHECK(fileBytes(folder.file()) == (c.replaced ? removedContent : kSeed));
        CHECK(fs::exists(folder.backup()) == c.backup);
        if (c.backup) {
            CHECK(fileBytes(folder.backup()) == kSeed);
        }
        CHECK(!folder.temporaries().empty() == c.temporary);
        const fs::path history = folder.file().string() + ".history";
        const std::vector<HistoryEntry> killed = parseHistory(fs::exists(history) ? fileBytes(history) : "");
        REQUIRE(killed.size() == (c.entry ? 1u : 0u));
        if (c.entry) {
            CHECK(killed[0].removed == kSecond);
            CHECK(killed[0].marked == (stage == "marked"));
        }

        // The next removal (of the first record) finds the backup its own and the leftover gone,
        // and answers the killed one's entry by what the file shows.
        const std::string now = fileBytes(folder.file());
        const ReplaceResult next = removeFromFile(folder.file(), contentHash(now), 0, kFirst.size());
        CHECK(folder.temporaries().empty());
        CHECK(fileBytes(folder.backup()) == now);
        CHECK(fileBytes(folder.file()) == (replacedHere(next) ? now.substr(kFirst.size()) : now));
        const std::vector<HistoryEntry> after = parseHistory(fileBytes(history));
        REQUIRE(after.size() == (c.entry ? 2u : 1u));
        if (c.entry) {
            CHECK(after[0].marked);
            CHECK(after[0].outcome == (c.replaced ? HistoryOutcome::Done : HistoryOutcome::NotDone));
        }
        CHECK(after.back().removed == kFirst);
    }
}

TEST_CASE("an append that meets a removal's lock waits, then appends to the new file")
{
    Folder folder;
    writeBytes(folder.file(), kSeed + "\r\n");
    Child remover(folder, "remove", {"locked", "wait"}, "r");
    waitFor(remover.marker("locked"));
    Child appender(folder, "append", {}, "a");
    waitFor(appender.marker("opened"));
    std::this_thread::sleep_for(300ms);
    remover.go();
    // The removal saw the file without the appended record, and the record went into the file
    // that stands at the path afterwards: the append waited for the lock.
    const bool replaced = remover.result() == int(FileCause::None);
    CHECK(replaced == g_replaces);
    CHECK(appender.result() == int(FileCause::None));
    CHECK(fileBytes(folder.file()) == (replaced ? kFirst + kThird : kSeed) + "\r\nITEM:DMM M3\r\nendtip\r\n");
    // The backup is a link to the old file: where that stayed at the path, it has the record too.
    CHECK(fileBytes(folder.backup()) == (replaced ? kSeed + "\r\n" : fileBytes(folder.file())));
}

#ifdef _WIN32
TEST_CASE("a file another program holds without sharing delete is in use")
{
    Folder folder;
    writeBytes(folder.file(), kSeed);
    const HANDLE held = CreateFileW(folder.file().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    REQUIRE(held != INVALID_HANDLE_VALUE);
    CHECK(removeSecond(folder).cause == FileCause::InUse);
    // Refused at the open, before anything was done: no backup either.
    CHECK_FALSE(fs::exists(folder.backup()));
    CloseHandle(held);
    CHECK(fileBytes(folder.file()) == kSeed);
    CHECK(folder.temporaries().empty());
}
#endif

int main(int argc, char **argv)
{
    if (argc >= 4 && (std::strcmp(argv[1], "remove") == 0 || std::strcmp(argv[1], "append") == 0)) {
        return childMain(argv);
    }
    {
        Folder scratch;
        writeBytes(scratch.file(), "x");
        g_replaces = removeFromFile(scratch.file(), contentHash("x"), 0, 0).cause != FileCause::InUse;
    }
    if (!g_replaces) {
        std::printf("This system cannot replace a file in one step: removals are refused as in use.\n");
    }
    return runCases(argc, argv);
}
