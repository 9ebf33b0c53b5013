// Replacing the file in one step, the same cases against the POSIX file natively and against the
// Windows file under Wine: exact bytes out and back in, the content check, the backup and whose
// backup may be replaced, permissions kept, a kill at each stage, and an append that waits for a
// removal's lock. Other processes are this executable started again as "remove" or "append".
#include "FileLayerTest.h"
#include "InPlaceChange.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>

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

// Three records that each end with CR LF, for the changes in place and what is appended after.
const std::string kPlainFirst = "ITEM:P1\r\nbegintip\r\nendtip\r\n";
const std::string kPlainSecond = "ITEM:P2\r\nx\r\nendtip\r\n";
const std::string kPlainSeed = kPlainFirst + kPlainSecond + "ITEM:P3\r\nendtip\r\n";
const std::string kInserted = "ITEM:N1\r\nk\xe4put\r\nbegintip\r\nlonger than the second record\r\nendtip\r\n";
const std::string kRecovering = "ITEM:R1\r\nendtip\r\n";

// The changes of the kill tests in place, by name: what replaces [begin, end) of kPlainSeed.
struct PlainChange
{
    const char *name;
    std::uint64_t begin, end;
    std::string insert;
};
const PlainChange kPlainChanges[] = {
    {"shrinks", kPlainFirst.size(), kPlainFirst.size() + kPlainSecond.size(), ""}, // the second record out
    {"grows", kPlainFirst.size(), kPlainFirst.size(), kInserted},                  // a record in before it
    {"same length", kPlainFirst.size(), kPlainFirst.size() + kPlainSecond.size(),  // the second changed
     "ITEM:Q2\r\ny\r\nendtip\r\n"},
};

const PlainChange &plainChange(const char *name)
{
    for (const PlainChange &change : kPlainChanges) {
        if (std::strcmp(change.name, name) == 0) {
            return change;
        }
    }
    std::abort();
}

// remove FILE MARKERS STAGE WAIT: takes out the second record, exits with the cause.
// append FILE MARKERS: appends one record, exits with the cause.
// change FILE MARKERS STAGE CHANGE: makes the change of kPlainChanges, stopping at the stage for ever.
// recover FILE MARKERS STAGE: appends kRecovering (finishing a change first), stopping at the stage.
// Both of the last write the marker "end" when they return.
int childMain(char **argv)
{
    g_markers = argv[3];
    if (std::strcmp(argv[1], "append") == 0) {
        setAppendHook(appendHook);
        return int(appendToFile(argv[2], "ITEM:DMM M3\r\nendtip\r\n").cause);
    }
    if (std::strcmp(argv[1], "change") == 0 || std::strcmp(argv[1], "recover") == 0) {
        g_stage = argv[4];
        setReplaceHook(childHook);
        const fs::path file = argv[2];
        FileCause cause;
        if (std::strcmp(argv[1], "change") == 0) {
            const PlainChange &change = plainChange(argv[5]);
            cause = spliceFile(file, contentHash(fileBytes(file)), change.begin, change.end, change.insert).cause;
        } else {
            cause = appendToFile(file, kRecovering).cause;
        }
        writeBytes(g_markers + "-end", {});
        return int(cause);
    }
    g_stage = argv[4];
    g_wait = std::strcmp(argv[5], "wait") == 0;
    setReplaceHook(childHook);
    const fs::path file = argv[2];
    return int(removeFromFile(file, contentHash(fileBytes(file)), kFirst.size(), kFirst.size() + kSecond.size()).cause);
}

// Whether removals here take the path in place (InPlaceChange.h): forced for the test, or where
// the volume cannot replace a file in one step (Wine). Found out by the same scratch removal.
bool g_inPlace = false;

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
        {"usrprobe.dat.merivox-change", false}, // the recovery note: never taken for a leftover
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
    const std::vector<ReplaceStage> stages = g_inPlace
                                                 ? std::vector{ReplaceStage::HistoryWritten, ReplaceStage::BackupKept}
                                                 : std::vector{ReplaceStage::NewWritten, ReplaceStage::NewFlushed};
    for (const ReplaceStage stage : stages) {
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
        // The note of a change in place has the file's permissions, as the new file has.
        if (stage == (g_inPlace ? ReplaceStage::NoteWritten : ReplaceStage::NewFlushed)) {
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
        CHECK(g_names == (g_inPlace ? 1ul : names)); // in place, the .bak is always a copy
        CHECK(fileBytes(folder.backup()) == kSeed);
        CHECK(folder.temporaries().empty());
    }
}

TEST_CASE("a link refused for another reason than missing hard links changes nothing")
{
    HookGuard hook([](ReplaceStage stage) { return stage == ReplaceStage::Linking ? g_refuseLinks : 0; });
    // The link's error, and the cause it ends with; a file system without hard links gets a copy.
    const std::pair<int, FileCause> cases[] = {
        {kNoLinks, FileCause::None}, {kAccessDenied, FileCause::AccessDenied}, {kDiskFull, FileCause::DiskFull}};
    const std::string earlier = kSeed + kFirst; // an earlier .bak, which must survive a failure
    for (const auto &[refused, cause] : cases) {
        CAPTURE(refused);
        g_refuseLinks = refused;
        Folder folder;
        writeBytes(folder.file(), kSeed);
        writeBytes(folder.backup(), earlier);
        const ReplaceResult result = removeSecond(folder);
        CHECK(folder.temporaries().empty());
        // In place the .bak is always a copy: the link is never tried.
        if (g_inPlace || cause == FileCause::None) {
            if (replacedHere(result)) {
                CHECK(fileBytes(folder.file()) == kFirst + kThird);
                CHECK(fileBytes(folder.backup()) == kSeed);
            }
            continue;
        }
        CHECK(result.cause == cause);
        CHECK(result.systemError == refused);
        CHECK_FALSE(result.replaced);
        CHECK(fileBytes(folder.file()) == kSeed);
        CHECK(fileBytes(folder.backup()) == earlier);
        // The removal's entry says that it was not made.
        std::string history;
        REQUIRE(readHistory(folder.file(), history).ok());
        const std::vector<HistoryEntry> entries = parseHistory(history);
        const auto removal = std::find_if(entries.begin(), entries.end(),
                                          [](const HistoryEntry &e) { return e.action == HistoryAction::Remove; });
        REQUIRE(removal != entries.end());
        CHECK(removal->marked);
        CHECK(removal->outcome == HistoryOutcome::NotDone);
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
    // The new file's, or in place the recovery note's.
    HookGuard hook([](ReplaceStage stage) {
        if (stage == ReplaceStage::NewFlushed) {
            g_newAccessList = accessListOf(detail::temporaryPath(g_looked->file(), GetCurrentProcessId(), false));
        } else if (stage == ReplaceStage::NoteWritten) {
            g_newAccessList = accessListOf(changeNotePath(g_looked->file()));
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
        if (g_inPlace && c.temporary && !c.backup) {
            MESSAGE("a change in place writes no new file and links no .bak: see the kills in place");
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
        CHECK(!folder.temporaries().empty() == (c.temporary && !g_inPlace));
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

TEST_CASE("a recovery note reads back whole, and a torn or damaged one not at all")
{
    const std::string odd("ITEM:X\r\n\0\x1a\xe4\r", 12);
    struct Case
    {
        std::string before, after;
        std::uint64_t at; // where the two first differ
    };
    const Case cases[] = {
        {kPlainSeed, kPlainFirst + "ITEM:P3\r\nendtip\r\n", kPlainFirst.size() + 6}, // "ITEM:P" is shared
        {kPlainSeed, kPlainSeed + kInserted, kPlainSeed.size()},
        {"", odd, 0},
        {odd, "", 0},
        {odd + "a", odd + "b", odd.size()},
    };
    for (const Case &c : cases) {
        CAPTURE(c.before);
        CAPTURE(c.after);
        detail::RecoveryNote note = detail::noteFor("12i34", c.before, c.after);
        CHECK(note.at == c.at);
        CHECK(note.tail == c.after.substr(c.at));
        const std::string bytes = detail::formatNote(note);
        const std::optional<detail::RecoveryNote> back = detail::parseNote(bytes);
        REQUIRE(back.has_value());
        CHECK(back->file == "12i34");
        CHECK(back->at == note.at);
        CHECK(back->oldLength == c.before.size());
        CHECK(back->oldHash == contentHash(c.before));
        CHECK(back->newLength == c.after.size());
        CHECK(back->newHash == contentHash(c.after));
        CHECK(back->tail == note.tail);
        CHECK(back->step == 0);
        // The step digit is written in place, outside the crc.
        std::string stepped = bytes;
        const std::uint64_t step = detail::stepOffset(bytes);
        REQUIRE(bytes[size_t(step)] == '0');
        stepped[size_t(step)] = '3';
        REQUIRE(detail::parseNote(stepped).has_value());
        CHECK(detail::parseNote(stepped)->step == 3);
        stepped[size_t(step)] = '5';
        CHECK_FALSE(detail::parseNote(stepped).has_value());
        // Every torn note, and every damaged byte but the step's, is rejected.
        for (size_t length = 0; length < bytes.size(); ++length) {
            CHECK_FALSE(detail::parseNote(std::string_view(bytes).substr(0, length)).has_value());
        }
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (i == step) {
                continue;
            }
            std::string damaged = bytes;
            damaged[i] = char(damaged[i] ^ 0x04);
            CAPTURE(i);
            CHECK_FALSE(detail::parseNote(damaged).has_value());
        }
        CHECK_FALSE(detail::parseNote(bytes + "x").has_value());
    }
}

TEST_CASE("the state a killed change in place left is found by its step and the file's bytes")
{
    const std::string old = kPlainSeed;
    const std::string shorter = kPlainFirst + "ITEM:P3\r\nendtip\r\n";
    const std::string longer = kPlainFirst + kInserted + kPlainSecond + "ITEM:P3\r\nendtip\r\n";
    const std::string same = kPlainFirst + "ITEM:Q2\r\ny\r\nendtip\r\n" + "ITEM:P3\r\nendtip\r\n";
    const std::string appended = "ITEM:OLD\r\nendtip\r\n"; // by a copy that knows no note
    const auto mixed = [&](const std::string &to) { // half of the new bytes written
        std::string bytes = old;
        bytes.resize(std::max(old.size(), to.size()), '\0');
        const size_t at = kPlainFirst.size();
        const size_t half = (to.size() - at) / 2;
        bytes.replace(at, half, to.substr(at, half));
        return bytes;
    };
    struct Case
    {
        const char *what;
        const std::string &to;
        int step;
        std::string file;                  // the state, before what was appended
        std::optional<std::uint64_t> ends; // where the state ends; nothing: not this change's file
    };
    const std::string zeros(longer.size() - old.size(), '\0');
    const Case cases[] = {
        {"nothing done", shorter, 0, old, old.size()},
        {"nothing done, growing", longer, 1, old, old.size()},
        {"extended", longer, 1, old + zeros, longer.size()},
        {"half written, shrinking", shorter, 2, mixed(shorter), old.size()},
        {"half written, growing", longer, 2, mixed(longer), longer.size()},
        {"half written, same length", same, 2, mixed(same), old.size()},
        {"written, not cut", shorter, 3, shorter + old.substr(shorter.size()), old.size()},
        {"cut", shorter, 3, shorter, shorter.size()},
        {"done", longer, 4, longer, longer.size()},
        {"done, same length", same, 4, same, same.size()},
        // Files that no state of the change explains: replaced by a copy that knows no note.
        {"start changed", shorter, 2, "ITEM:P0" + old.substr(7), std::nullopt},
        {"other content at step 0", shorter, 0, same, std::nullopt},
        {"shorter than the larger length while writing", shorter, 2, shorter, std::nullopt},
        {"not the new content at step 4", shorter, 4, old, std::nullopt},
    };
    for (const Case &c : cases) {
        const std::string what = c.what;
        CAPTURE(what);
        detail::RecoveryNote note = detail::noteFor("1i1", old, c.to);
        note.step = c.step;
        for (const std::string &after : {std::string(), appended}) {
            CAPTURE(after);
            CHECK(detail::stateLength(note, c.file + after) == c.ends);
        }
    }
}

namespace {

// Appends as a copy of the program that knows no recovery note would, without the lock's hook.
void appendAsOlderCopy(const fs::path &file, const std::string &bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << bytes;
}

// Children started after this make their changes in place.
void forceInPlaceInChildren()
{
#ifdef _WIN32
    SetEnvironmentVariableA("MERIVOX_TEST_IN_PLACE", "1");
#else
    setenv("MERIVOX_TEST_IN_PLACE", "1", 1);
#endif
}

// Waits until the child stops at its stage (then kills it: true) or returns (false).
bool killAtStage(Child &child, const std::string &stage)
{
    for (int i = 0; i < 4000; ++i) {
        if (fs::exists(child.marker(stage))) {
            child.kill();
            return true;
        }
        if (fs::exists(child.marker("end"))) {
            child.result();
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    FAIL("the child neither stopped nor returned");
    return false;
}

const std::string kOlderAppend = "ITEM:OLD\r\nendtip\r\n";
const std::string kLater = "ITEM:Z9\r\nendtip\r\n";

std::string plainResult(const PlainChange &change)
{
    return kPlainSeed.substr(0, change.begin) + change.insert + kPlainSeed.substr(change.end);
}

} // namespace

TEST_CASE("a change in place killed at any step, and its finishing killed too, is finished by the next copy, "
          "keeping later appends")
{
    forceInPlaceInChildren();
    // The stages in their order, whether the file is changed once a kill there is mended, and
    // whether the finishing of a kill there is killed in turn at the stages of recoveryKills.
#ifdef _WIN32
    // Fewer kills of the finishing under Wine, where every process takes a while to start.
    const std::vector<const char *> recoveryKills = {"note", "half", "rewritten", "unnoted"};
    const bool extendedToo = false, rewrittenToo = false;
#else
    const std::vector<const char *> recoveryKills = {"note", "extended", "half", "rewritten", "cut", "unnoted"};
    const bool extendedToo = true, rewrittenToo = true;
#endif
    const struct
    {
        const char *stage;
        bool changed, recoveryKilled;
    } stages[] = {
        {"locked", false, false},          {"history", false, false},
        {"backup", false, false},          {"note", true, true},
        {"extended", true, extendedToo},   {"half", true, true},
        {"rewritten", true, rewrittenToo}, {"cut", true, true},
        {"unnoted", true, false},          {"replaced", true, false},
        {"marked", true, false},
    };
    const std::string second = "ITEM:OLD2\r\nendtip\r\n";
    int round = 0;
    for (const PlainChange &change : kPlainChanges) {
        for (const auto &[stage, changed, recoveryKilled] : stages) {
            std::vector<const char *> during = {nullptr};
            if (recoveryKilled) {
                during.insert(during.end(), recoveryKills.begin(), recoveryKills.end());
            }
            for (const char *again : during) {
                const std::string name = change.name, at = stage, killedAgainAt = again ? again : "-";
                CAPTURE(name);
                CAPTURE(at);
                CAPTURE(killedAgainAt);
                // A finishing killed is followed by an append; other kills by an append or a removal in turn.
                const bool byAppend = again || round++ % 2 == 0;
                CAPTURE(byAppend);
                Folder folder;
                writeBytes(folder.file(), kPlainSeed);
                Child changer(folder, "change", {stage, change.name}, "c");
                REQUIRE(killAtStage(changer, stage));
                appendAsOlderCopy(folder.file(), kOlderAppend);
                std::string mended = (changed ? plainResult(change) : kPlainSeed) + kOlderAppend;
                if (again) {
                    // The next copy's append finishes the change first; it is killed there, or it
                    // finds nothing left to rewrite and appends its record.
                    Child recoverer(folder, "recover", {again}, "r");
                    const bool stopped = killAtStage(recoverer, again);
                    appendAsOlderCopy(folder.file(), second);
                    mended += (stopped ? "" : kRecovering) + second;
                }

                if (byAppend) {
                    REQUIRE(appendToFile(folder.file(), kLater).ok());
                    CHECK(fileBytes(folder.file()) == mended + kLater);
                } else {
                    // A removal of the first record, by a caller who saw the mended content.
                    CHECK(replacedHere(removeFromFile(folder.file(), contentHash(mended), 0, kPlainFirst.size())));
                    CHECK(fileBytes(folder.file()) == mended.substr(kPlainFirst.size()));
                }
                CHECK(folder.temporaries().empty()); // no note, no temporary file left
                CHECK_FALSE(hasUnfinishedChange(folder.file()));
            }
        }
    }
}

TEST_CASE("a note that another file took the name of, or a torn note, is removed and the file left alone")
{
    struct Case
    {
        const char *what;
        bool torn; // else whole, but naming another file than the one at the path
    };
    const Case cases[] = {{"another file", false}, {"torn", true}};
    for (const Case &c : cases) {
        const std::string what = c.what;
        CAPTURE(what);
        Folder folder;
        writeBytes(folder.file(), kPlainSeed);
        // A note from a change whose file is not this one, or one whose writing was cut short.
        std::string note = detail::formatNote(detail::noteFor("1i2", kPlainSeed, kPlainFirst));
        if (c.torn) {
            note.resize(note.size() - 3);
        }
        writeBytes(changeNotePath(folder.file()), note);
        REQUIRE(hasUnfinishedChange(folder.file()));
        REQUIRE(appendToFile(folder.file(), kLater).ok());
        CHECK(fileBytes(folder.file()) == kPlainSeed + kLater);
        CHECK_FALSE(hasUnfinishedChange(folder.file()));
    }
}


int main(int argc, char **argv)
{
    if (argc >= 4 && (std::strcmp(argv[1], "remove") == 0 || std::strcmp(argv[1], "append") == 0 ||
                      std::strcmp(argv[1], "change") == 0 || std::strcmp(argv[1], "recover") == 0)) {
        return childMain(argv);
    }
    {
        Folder scratch;
        writeBytes(scratch.file(), "xy");
        static bool s_noted = false;
        HookGuard hook([](ReplaceStage stage) {
            s_noted = s_noted || stage == ReplaceStage::NoteWritten;
            return 0;
        });
        g_replaces = removeFromFile(scratch.file(), contentHash("xy"), 0, 1).cause != FileCause::InUse;
        g_inPlace = s_noted;
#ifdef _WIN32
        // Whether the volume said it cannot rename over an open file, or the rename was refused.
        DWORD flags = 0;
        const HANDLE probe = CreateFileW(scratch.file().c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, 0, nullptr);
        if (GetVolumeInformationByHandleW(probe, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
            std::printf("The volume's flags: 0x%lx.\n", static_cast<unsigned long>(flags));
        } else {
            std::printf("The volume does not tell its flags (error %lu).\n", static_cast<unsigned long>(GetLastError()));
        }
        CloseHandle(probe);
#endif
    }
    if (g_inPlace) {
        std::printf("Removals here change the file in place.\n");
    }
    if (!g_replaces) {
        std::printf("This system cannot replace a file in one step: removals are refused as in use.\n");
    }
    return runCases(argc, argv);
}
