// The history's entries as bytes and back: a worked example byte for byte, payloads kept exactly
// whatever their bytes, an entry torn at every length or damaged at every byte skipped without
// taking the next one with it, markers, and the outcome of an unanswered entry from the file's
// current bytes.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include "History.h"
#include "ReplaceFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace merivox;

namespace fs = std::filesystem;

namespace {

// A fresh folder for one case, removed afterwards.
struct Scratch
{
#ifdef _WIN32
    fs::path path = fs::temp_directory_path() / ("tst_history-" + std::to_string(GetCurrentProcessId()));
#else
    fs::path path = fs::temp_directory_path() / ("tst_history-" + std::to_string(::getpid()));
#endif
    Scratch()
    {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~Scratch() { fs::remove_all(path); }
    fs::path file() const { return path / "usrprobe.dat"; }
    fs::path history() const { return path / "usrprobe.dat.history"; }
};

void writeBytes(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string bytesOf(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

HistoryEntry makeEntry(std::string id, std::string removed, std::string inserted = {})
{
    HistoryEntry e;
    e.id = std::move(id);
    e.action = HistoryAction::Remove;
    e.when = "2026-12-08T17:56:48Z";
    e.at = 31;
    e.firstLine = 12;
    e.lastLine = 21;
    e.beforeLength = 100;
    e.beforeHash = 0x0123456789abcdefull;
    e.afterLength = 100 - removed.size();
    e.afterHash = 0xfedcba9876543210ull;
    e.name = "Zylinder D2";
    e.thread = "M3";
    e.removed = std::move(removed);
    e.inserted = std::move(inserted);
    return e;
}

std::vector<std::string> ids(const std::vector<HistoryEntry> &entries)
{
    std::vector<std::string> out;
    for (const HistoryEntry &e : entries) {
        out.push_back(e.id);
    }
    return out;
}

} // namespace

TEST_CASE("crc32 of known inputs")
{
    const struct
    {
        std::string bytes;
        std::uint32_t crc;
    } cases[] = {
        {"", 0x00000000u},
        {"a", 0xe8b7be43u},
        {"123456789", 0xcbf43926u},
        {std::string("\0", 1), 0xd202ef8du},
        {"The quick brown fox jumps over the lazy dog", 0x414fa339u},
    };
    for (const auto &c : cases) {
        CAPTURE(c.bytes);
        CHECK(crc32(c.bytes) == c.crc);
    }
    // Continuing from an earlier result is the crc of the joined bytes.
    CHECK(crc32("6789", crc32("12345")) == 0xcbf43926u);
}

TEST_CASE("an entry written byte for byte")
{
    HistoryEntry e = makeEntry("1-2", "ITEM:Z1\r\nendtip\r\n");
    e.name = "Zyl 50%\xe4";
    const std::string header = "@merivox-history 1 1-2 remove 2026-12-08T17:56:48Z at=31 lines=12-21 "
                               "before=100:0123456789abcdef after=83:fedcba9876543210 removed=17 inserted=0 "
                               "name=Zyl%2050%25%e4 thread=M3";
    const std::string crc = [&] {
        static const char hex[] = "0123456789abcdef";
        std::uint32_t v = crc32(header + e.removed);
        std::string s(8, '0');
        for (int i = 7; i >= 0; --i, v >>= 4) {
            s[size_t(i)] = hex[v & 15];
        }
        return s;
    }();
    CHECK(formatEntry(e) == "\n" + header + " crc=" + crc + "\nITEM:Z1\r\nendtip\r\n\n@end 1-2\n");
    CHECK(formatMarker("1-2", true) == "\n@merivox-done 1-2 yes\n");
    CHECK(formatMarker("1-2", false) == "\n@merivox-done 1-2 no\n");
    CHECK(historyName("usrprobe.dat") == "usrprobe.dat.history");
}

TEST_CASE("payloads, names, threads, times and ids come back exactly")
{
    using namespace std::chrono;
    constexpr auto kDefaultWhen = sys_days{2026y / 12 / 8} + 17h + 56min + 48s;
    const struct
    {
        const char *what;
        std::string removed, inserted, name;
        system_clock::time_point when = kDefaultWhen;
        const char *whenText = "2026-12-08T17:56:48Z"; // a moment within a second is written as its second
        unsigned long pid = 0;
        std::uint64_t stamp = 0;
        const char *id = nullptr; // historyId(pid, stamp); none: an id of the test's own
    } cases[] = {
        {"CR only", "ITEM:A\rbegintip\rendtip\r", "", "A", sys_days{1970y / 1 / 1}, "1970-01-01T00:00:00Z"},
        {"LF only", "ITEM:B\nbegintip\nendtip\n", "", "B", sys_days{2024y / 2 / 29} + 23h + 59min + 59s,
         "2024-02-29T23:59:59Z"},
        {"NUL bytes", std::string("ITEM:C\r\n\0\0\r\n", 12), "", std::string("C\0", 2), kDefaultWhen + 999ms,
         "2026-12-08T17:56:48Z", 4711, 0x1234, "0000000000001234-4711"},
        {"end-of-file mark", "ITEM:D\r\n\x1a\r\n", "", "D\x1a", kDefaultWhen, "2026-12-08T17:56:48Z", 4712, 0x1234,
         "0000000000001234-4712"},
        {"8-bit bytes", "ITEM:K\xe4put\r\n\xff\x80\r\n", "", "K\xe4put \xfc"},
        {"looks like an entry", "\n@merivox-history 1 x remove\n@end x\n\n@merivox-done x no\n", "", "%41"},
        {"inserted too", "old\r\n", "new\n\0line\r", "N"},
        {"nothing removed", "", "ITEM:E\r\n", ""},
        {"no end of line", "ITEM:F\r\nendtip", "", " "},
    };
    std::string history;
    std::vector<std::string> written;
    for (const auto &c : cases) {
        const std::string id = c.id ? historyId(c.pid, c.stamp) : "e" + std::to_string(written.size());
        if (c.id) {
            CHECK(id == c.id);
        }
        HistoryEntry e = makeEntry(id, c.removed, c.inserted);
        e.when = historyTime(c.when);
        e.name = c.name;
        e.thread = c.name + "/t";
        history += formatEntry(e);
        written.push_back(id);
    }
    const std::vector<HistoryEntry> read = parseHistory(history);
    REQUIRE(read.size() == std::size(cases));
    for (size_t i = 0; i < read.size(); ++i) {
        const std::string what = cases[i].what;
        CAPTURE(what);
        CHECK(read[i].id == written[i]);
        CHECK(read[i].removed == cases[i].removed);
        CHECK(read[i].inserted == cases[i].inserted);
        CHECK(read[i].name == cases[i].name);
        CHECK(read[i].thread == cases[i].name + "/t");
        CHECK(read[i].at == 31);
        CHECK(read[i].firstLine == 12);
        CHECK(read[i].lastLine == 21);
        CHECK(read[i].beforeHash == 0x0123456789abcdefull);
        CHECK(read[i].afterLength == 100 - cases[i].removed.size());
        CHECK(read[i].when == cases[i].whenText);
        CHECK(read[i].offset == history.find("\n@merivox-history 1 " + written[i] + " "));
    }
}

TEST_CASE("an entry torn at any length is skipped and the next one is read")
{
    const std::string first = formatEntry(makeEntry("a", "ITEM:K1\r\nendtip\r\n"));
    const std::string torn = formatEntry(makeEntry("b", "ITEM:Z1\rk\xe4\0put\n endtip", "x\r\n"));
    const std::string next = formatEntry(makeEntry("c", "ITEM:S1\r\nendtip\r\n")) + formatMarker("c", true);
    for (size_t cut = 0; cut < torn.size(); ++cut) {
        CAPTURE(cut);
        // A torn last entry, and a torn entry that a later one follows.
        CHECK(ids(parseHistory(first + torn.substr(0, cut))) == std::vector<std::string>{"a"});
        const std::vector<HistoryEntry> read = parseHistory(first + torn.substr(0, cut) + next);
        // Torn just before its last "\n", the entry is whole: that "\n" is also the next one's first.
        const std::vector<std::string> expected =
            cut == torn.size() - 1 ? std::vector<std::string>{"a", "b", "c"} : std::vector<std::string>{"a", "c"};
        REQUIRE(ids(read) == expected);
        CHECK(read.back().removed == "ITEM:S1\r\nendtip\r\n");
        CHECK(read.back().marked);
    }
}

TEST_CASE("an entry damaged at any byte is skipped and the next one is read")
{
    const std::string first = formatEntry(makeEntry("a", "ITEM:K1\r\nendtip\r\n"));
    const std::string damaged = formatEntry(makeEntry("b", "ITEM:Z1\r\nendtip\r\n"));
    const std::string next = formatEntry(makeEntry("c", "ITEM:S1\r\nendtip\r\n"));
    for (size_t at = 0; at < damaged.size(); ++at) {
        for (const char flip : {'\x01', '\x20'}) {
            CAPTURE(at);
            CAPTURE(int(flip));
            std::string bytes = damaged;
            bytes[at] = char(bytes[at] ^ flip);
            CHECK(ids(parseHistory(first + bytes + next)) == std::vector<std::string>{"a", "c"});
        }
    }
}

TEST_CASE("the hash of the bytes before the place: written when known, read back, old entries without it")
{
    HistoryEntry e = makeEntry("p-1", "ITEM:Z1\r\nendtip\r\n");
    const std::string without = formatEntry(e);
    e.prefixHash = 0x00000000000000a1ull;
    const std::string with = formatEntry(e);
    CHECK(with.find(" thread=M3 prefix=00000000000000a1 crc=") != std::string::npos);
    CHECK(without.find(" prefix=") == std::string::npos);
    const struct
    {
        const char *what;
        std::string bytes;
        bool read;
        std::optional<std::uint64_t> prefix;
    } cases[] = {
        {"with it", with, true, 0xa1},
        {"an older entry without it", without, true, std::nullopt},
        {"hash too short", std::string(with).replace(with.find("prefix=0"), 8, "prefix="), false, {}},
        {"hash changed: the crc does not fit", std::string(with).replace(with.find("a1 crc"), 2, "a2"), false, {}},
        {"another word in its place", std::string(with).replace(with.find("prefix="), 7, "prefiks="), false, {}},
    };
    for (const auto &c : cases) {
        const std::string what = c.what;
        CAPTURE(what);
        const std::vector<HistoryEntry> read = parseHistory(c.bytes);
        REQUIRE(read.size() == (c.read ? 1u : 0u));
        if (c.read) {
            CHECK(read.front().prefixHash == c.prefix);
            CHECK(read.front().removed == e.removed);
        }
    }
}

TEST_CASE("damaged headers are not read")
{
    const std::string good = formatEntry(makeEntry("g", "x"));
    const struct
    {
        const char *what;
        std::string from, to;
    } cases[] = {
        {"another version", "history 1 ", "history 2 "},
        {"unknown action", " remove ", " delete "},
        {"time without zone", "48Z", "48 "},
        {"leading zero", " at=31 ", " at=031 "},
        {"hash too short", ":0123456789abcdef", ":123456789abcdef"},
        {"number too large", " at=31 ", " at=99999999999999999999 "},
        {"bad escape", " thread=M3", " thread=M%3"},
        {"id with a space", " g ", " g  "},
    };
    for (const auto &c : cases) {
        const std::string what = c.what;
        CAPTURE(what);
        std::string bytes = good;
        const size_t at = bytes.find(c.from);
        REQUIRE(at != std::string::npos);
        bytes.replace(at, c.from.size(), c.to);
        CHECK(parseHistory(bytes).empty());
    }
    REQUIRE(parseHistory(good).size() == 1);
}

TEST_CASE("markers and the outcome of an unanswered entry")
{
    const std::string before = "ITEM:K1\r\nendtip\r\nITEM:Z1\r\nendtip\r\nITEM:H1\r\nendtip\r\n";
    const std::string record = "ITEM:Z1\r\nendtip\r\n";
    const std::string after = "ITEM:K1\r\nendtip\r\nITEM:H1\r\nendtip\r\n";
    const std::string appended = "ITEM:S1\r\nendtip\r\n";
    HistoryEntry e = makeEntry("r", record);
    e.beforeLength = before.size();
    e.beforeHash = contentHash(before);
    e.afterLength = after.size();
    e.afterHash = contentHash(after);
    HistoryEntry bak = e;
    bak.id = "k";
    bak.action = HistoryAction::Backup;

    const struct
    {
        const char *what;
        std::string markers, current;
        HistoryOutcome outcome;
        bool marked;
    } cases[] = {
        {"not changed", "", before, HistoryOutcome::NotDone, false},
        {"not changed, appended since", "", before + appended, HistoryOutcome::NotDone, false},
        {"changed", "", after, HistoryOutcome::Done, false},
        {"changed, appended since", "", after + appended, HistoryOutcome::Done, false},
        {"neither", "", "ITEM:X\r\n", HistoryOutcome::Open, false},
        {"empty file", "", "", HistoryOutcome::Open, false},
        {"marker yes beats the bytes", formatMarker("r", true), before, HistoryOutcome::Done, true},
        {"marker no beats the bytes", formatMarker("r", false), after, HistoryOutcome::NotDone, true},
        {"first marker counts", formatMarker("r", false) + formatMarker("r", true), after, HistoryOutcome::NotDone,
         true},
        {"marker of another id", formatMarker("q", true), before, HistoryOutcome::NotDone, false},
        {"torn marker", "\n@merivox-done r ye", before, HistoryOutcome::NotDone, false},
        {"marker without its end, judged by the bytes", "\n@merivox-done r no", after, HistoryOutcome::Done, false},
    };
    for (const auto &c : cases) {
        const std::string what = c.what;
        CAPTURE(what);
        const std::string history = formatEntry(bak) + formatEntry(e) + c.markers;
        const std::vector<HistoryEntry> list = historyNewestFirst(history, c.current);
        REQUIRE(ids(list) == std::vector<std::string>{"r", "k"});
        CHECK(list[0].outcome == c.outcome);
        CHECK(list[0].marked == c.marked);
        CHECK(offeredForRestore(list[0]) == (c.outcome != HistoryOutcome::NotDone));
        // A rescued .bak record is always offered; it changed nothing.
        CHECK(list[1].outcome == HistoryOutcome::Done);
        CHECK(offeredForRestore(list[1]));
        CHECK(unresolvedEntries(history).size() == (c.marked ? 0u : 1u));
    }
}

#ifndef _WIN32 // modes and owners; the access list on Windows is shared with the replacement's temporary file
TEST_CASE("the history is appended to, created with the file's permissions")
{
    const std::string one = formatEntry(makeEntry("a", std::string("ITEM:A\r\n\0\x1a\xe4\r", 12)));
    const std::string two = formatMarker("a", true);
    const struct
    {
        mode_t mode;
        uid_t owner;
        gid_t group;
        bool existing; // a history already stands there, with mode 0600: it keeps its own
    } cases[] = {
        {0640, 0, 0, false},
        {0604, 0, 0, false},
        {0666, 1234, 4321, false},
        {0644, 1234, 4321, true},
    };
    for (const auto &c : cases) {
        CAPTURE(c.mode);
        Scratch scratch;
        writeBytes(scratch.file(), "ITEM:K1\r\n");
        REQUIRE(::chmod(scratch.file().c_str(), c.mode) == 0);
        const bool root = ::geteuid() == 0;
        if (root) {
            REQUIRE(::chown(scratch.file().c_str(), c.owner, c.group) == 0);
        }
        std::string before;
        if (c.existing) {
            before = "older";
            writeBytes(scratch.history(), before);
            REQUIRE(::chmod(scratch.history().c_str(), 0600) == 0);
        }
        REQUIRE(appendToHistory(scratch.file(), one).ok());
        REQUIRE(appendToHistory(scratch.file(), two).ok());
        CHECK(bytesOf(scratch.history()) == before + one + two);
        struct stat made;
        REQUIRE(::stat(scratch.history().c_str(), &made) == 0);
        CHECK((made.st_mode & 0777) == (c.existing ? 0600u : unsigned(c.mode)));
        if (root && !c.existing) {
            CHECK(made.st_uid == c.owner);
            CHECK(made.st_gid == c.group);
        }
        std::string read;
        REQUIRE(readHistory(scratch.file(), read).ok());
        CHECK(read == before + one + two);
        REQUIRE(parseHistory(read).size() == 1);
        CHECK(parseHistory(read)[0].marked);
    }
}

#endif

TEST_CASE("a history that cannot be written leaves everything as it was")
{
    const struct
    {
        const char *what;
        bool file;   // the data file exists
        bool folder; // a folder stands at the history's name
        FileCause cause;
    } cases[] = {
        {"no file", false, false, FileCause::Missing},
        {"a folder of the history's name", true, true, FileCause::IsFolder},
    };
    for (const auto &c : cases) {
        const std::string what = c.what;
        CAPTURE(what);
        Scratch scratch;
        if (c.file) {
            writeBytes(scratch.file(), "ITEM:K1\r\n");
        }
        if (c.folder) {
            fs::create_directory(scratch.history());
        }
        CHECK(appendToHistory(scratch.file(), formatMarker("a", true)).cause == c.cause);
        CHECK(fs::is_directory(scratch.history()) == c.folder);
        CHECK(fs::exists(scratch.history()) == c.folder);
        if (c.file) {
            CHECK(bytesOf(scratch.file()) == "ITEM:K1\r\n");
        }
    }
    // No history yet reads as an empty one.
    Scratch scratch;
    std::string read = "left over";
    CHECK(readHistory(scratch.file(), read).ok());
    CHECK(read.empty());
}

TEST_CASE("a record removed before an append and a second removal stays in the history")
{
    const std::string k1 = "ITEM:K1 M3\r\nbegintip\r\nendtip\r\n";
    const std::string z1 = "ITEM:Z1 M3\r\nk\xe4put\rendtip\n";
    const std::string h1 = "ITEM:H1 M3\r\nbegintip\r\nendtip\r\n";
    const std::string s1 = "ITEM:S1 M3\r\nbegintip\r\nendtip\r\n";
    const struct
    {
        const char *what;
        bool olderRemoved; // the first removal was made by a copy that writes no history
        HistoryAction keptBy;
    } cases[] = {
        {"every removal writes the history", false, HistoryAction::Remove},
        {"the first removal wrote none", true, HistoryAction::Backup},
    };
    for (const auto &c : cases) {
        const std::string what = c.what;
        CAPTURE(what);
        Scratch scratch;
        writeBytes(scratch.file(), k1 + z1 + h1);
        REQUIRE(removeFromFile(scratch.file(), contentHash(k1 + z1 + h1), k1.size(), k1.size() + z1.size()).ok());
        if (c.olderRemoved) {
            fs::remove(scratch.history());
        }
        CHECK(bytesOf(scratch.path / "usrprobe.dat.bak") == k1 + z1 + h1);
        // A second station appends, then the appended record is removed again.
        writeBytes(scratch.file(), k1 + h1 + s1);
        REQUIRE(removeFromFile(scratch.file(), contentHash(k1 + h1 + s1), k1.size() + h1.size(),
                               k1.size() + h1.size() + s1.size())
                    .ok());
        CHECK(bytesOf(scratch.file()) == k1 + h1);
        CHECK(bytesOf(scratch.path / "usrprobe.dat.bak").find(z1) == std::string::npos);

        const std::vector<HistoryEntry> list = historyNewestFirst(bytesOf(scratch.history()), bytesOf(scratch.file()));
        std::vector<HistoryEntry> z1Entries;
        std::copy_if(list.begin(), list.end(), std::back_inserter(z1Entries),
                     [&](const HistoryEntry &e) { return e.removed == z1; });
        REQUIRE(z1Entries.size() == 1);
        CHECK(z1Entries[0].action == c.keptBy);
        CHECK(offeredForRestore(z1Entries[0]));
        const auto s1Entry =
            std::find_if(list.begin(), list.end(), [&](const HistoryEntry &e) { return e.removed == s1; });
        REQUIRE(s1Entry != list.end());
        CHECK(s1Entry->action == HistoryAction::Remove);
        CHECK(s1Entry->marked);
        CHECK(s1Entry->outcome == HistoryOutcome::Done);
    }
}

TEST_CASE("a change whose history cannot be written changes nothing")
{
    const std::string seed = "ITEM:K1\r\nendtip\r\nITEM:Z1\r\nendtip\r\n";
    const struct
    {
        const char *what;
        bool insert;
    } cases[] = {
        {"a removal", false},
        {"an insertion", true},
    };
    for (const auto &c : cases) {
        const std::string what = c.what;
        CAPTURE(what);
        Scratch scratch;
        writeBytes(scratch.file(), seed);
        writeBytes(scratch.path / "usrprobe.dat.bak", seed.substr(0, 17));
        fs::create_directory(scratch.history());
        const ReplaceResult result = c.insert ? insertIntoFile(scratch.file(), contentHash(seed), 0, "ITEM:N\r\n")
                                              : removeFromFile(scratch.file(), contentHash(seed), 0, 17);
        CHECK(result.cause == FileCause::IsFolder);
        CHECK_FALSE(result.replaced);
        CHECK(bytesOf(scratch.file()) == seed);
        CHECK(bytesOf(scratch.path / "usrprobe.dat.bak") == seed.substr(0, 17));
        CHECK(std::distance(fs::directory_iterator(scratch.path), fs::directory_iterator()) == 3);
    }
}
