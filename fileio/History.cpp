#include "History.h"

#include "ReadFile.h"
#include "ReplaceFile.h"

#include <algorithm>
#include <array>
#include <unordered_set>

namespace merivox {

namespace {

constexpr std::string_view kEntryStart = "\n@merivox-history ";
constexpr std::string_view kMarkerStart = "\n@merivox-done ";
constexpr std::string_view kVersion = "1";

constexpr std::array<std::uint32_t, 256> makeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = makeCrcTable();

constexpr char kHex[] = "0123456789abcdef";

std::string hex(std::uint64_t value, int digits)
{
    std::string out(size_t(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) {
        out[size_t(i)] = kHex[value & 15];
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Exactly digits lowercase hex digits.
bool parseHex(std::string_view text, size_t digits, std::uint64_t &value)
{
    if (text.size() != digits) {
        return false;
    }
    value = 0;
    for (const char c : text) {
        if ((c < '0' || c > '9') && (c < 'a' || c > 'f')) {
            return false;
        }
        value = value << 4 | std::uint64_t(hexDigit(c));
    }
    return true;
}

// A decimal number without sign or leading zero, that fits.
bool parseNumber(std::string_view text, std::uint64_t &value)
{
    if (text.empty() || text.size() > 20 || (text.size() > 1 && text[0] == '0')) {
        return false;
    }
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        const std::uint64_t digit = std::uint64_t(c - '0');
        if (value > (UINT64_MAX - digit) / 10) {
            return false;
        }
        value = value * 10 + digit;
    }
    return true;
}

std::string escape(std::string_view bytes)
{
    std::string out;
    for (const char c : bytes) {
        const auto byte = std::uint8_t(c);
        if (byte < '!' || byte > '~' || c == '%') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

bool unescape(std::string_view text, std::string &out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return false;
        }
        const int high = hexDigit(text[i + 1]), low = hexDigit(text[i + 2]);
        if (high < 0 || low < 0) {
            return false;
        }
        out += char(high * 16 + low);
        i += 2;
    }
    return true;
}

bool validId(std::string_view id)
{
    return !id.empty() && id.size() <= 64 && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
    });
}

// The header line from "@merivox-history" up to the thread's value: what the crc covers with
// the payload.
std::string headerWithoutCrc(const HistoryEntry &e)
{
    std::string h = std::string(kEntryStart.substr(1));
    h += std::string(kVersion) + ' ' + e.id + ' ' + std::string(actionWord(e.action)) + ' ' + e.when;
    h += " at=" + std::to_string(e.at);
    h += " lines=" + std::to_string(e.firstLine) + '-' + std::to_string(e.lastLine);
    h += " before=" + std::to_string(e.beforeLength) + ':' + hex(e.beforeHash, 16);
    h += " after=" + std::to_string(e.afterLength) + ':' + hex(e.afterHash, 16);
    h += " removed=" + std::to_string(e.removed.size());
    h += " inserted=" + std::to_string(e.inserted.size());
    h += " name=" + escape(e.name);
    h += " thread=" + escape(e.thread);
    if (e.prefixHash) {
        h += " prefix=" + hex(*e.prefixHash, 16);
    }
    return h;
}

std::vector<std::string_view> splitSpaces(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t from = 0;
    for (;;) {
        const size_t space = line.find(' ', from);
        words.push_back(line.substr(from, space == std::string_view::npos ? std::string_view::npos : space - from));
        if (space == std::string_view::npos) {
            return words;
        }
        from = space + 1;
    }
}

// The value of "key=value", or nothing.
std::optional<std::string_view> field(std::string_view word, std::string_view key)
{
    if (word.size() <= key.size() || !word.starts_with(key) || word[key.size()] != '=') {
        return std::nullopt;
    }
    return word.substr(key.size() + 1);
}

bool parsePair(std::string_view text, char separator, std::uint64_t &first, std::uint64_t &second, bool hashSecond)
{
    const size_t at = text.find(separator);
    if (at == std::string_view::npos) {
        return false;
    }
    return parseNumber(text.substr(0, at), first) &&
           (hashSecond ? parseHex(text.substr(at + 1), 16, second) : parseNumber(text.substr(at + 1), second));
}

bool validWhen(std::string_view when)
{
    // 2026-12-08T17:56:48Z
    constexpr std::string_view shape = "dddd-dd-ddTdd:dd:ddZ";
    if (when.size() != shape.size()) {
        return false;
    }
    for (size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == 'd' ? (when[i] < '0' || when[i] > '9') : when[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

// Reads the entry whose "\n@merivox-history " starts at start; on success, end is the position
// after its "\n@end <id>\n".
bool parseEntry(std::string_view history, size_t start, HistoryEntry &e, size_t &end)
{
    const size_t lineFrom = start + 1;
    const size_t lineEnd = history.find('\n', lineFrom);
    if (lineEnd == std::string_view::npos) {
        return false;
    }
    const std::string_view line = history.substr(lineFrom, lineEnd - lineFrom);
    const std::vector<std::string_view> w = splitSpaces(line);
    // Without or with the prefix's hash before the crc.
    if ((w.size() != 14 && w.size() != 15) || w[0] != kEntryStart.substr(1, kEntryStart.size() - 2) ||
        w[1] != kVersion) {
        return false;
    }
    e = HistoryEntry{};
    e.id = std::string(w[2]);
    const std::optional<HistoryAction> action = actionOf(w[3]);
    if (!validId(e.id) || !action || !validWhen(w[4])) {
        return false;
    }
    e.action = *action;
    e.when = std::string(w[4]);
    const auto at = field(w[5], "at");
    const auto lines = field(w[6], "lines");
    const auto before = field(w[7], "before");
    const auto after = field(w[8], "after");
    const auto removed = field(w[9], "removed");
    const auto inserted = field(w[10], "inserted");
    const auto name = field(w[11], "name");
    const auto thread = field(w[12], "thread");
    const auto crcText = field(w.back(), "crc");
    if (w.size() == 15) {
        const auto prefix = field(w[13], "prefix");
        std::uint64_t hash = 0;
        if (!prefix || !parseHex(*prefix, 16, hash)) {
            return false;
        }
        e.prefixHash = hash;
    }
    std::uint64_t removedSize = 0, insertedSize = 0, crc = 0;
    if (!at || !lines || !before || !after || !removed || !inserted || !name || !thread || !crcText ||
        !parseNumber(*at, e.at) || !parsePair(*lines, '-', e.firstLine, e.lastLine, false) ||
        !parsePair(*before, ':', e.beforeLength, e.beforeHash, true) ||
        !parsePair(*after, ':', e.afterLength, e.afterHash, true) || !parseNumber(*removed, removedSize) ||
        !parseNumber(*inserted, insertedSize) || !unescape(*name, e.name) || !unescape(*thread, e.thread) ||
        !parseHex(*crcText, 8, crc)) {
        return false;
    }
    const size_t payload = lineEnd + 1;
    const size_t left = history.size() - payload;
    if (removedSize > left || insertedSize > left - removedSize) {
        return false;
    }
    e.removed = std::string(history.substr(payload, size_t(removedSize)));
    e.inserted = std::string(history.substr(payload + size_t(removedSize), size_t(insertedSize)));
    const std::string closing = "\n@end " + e.id + '\n';
    const size_t closingAt = payload + size_t(removedSize + insertedSize);
    if (history.substr(closingAt, closing.size()) != closing) {
        return false;
    }
    std::uint32_t sum = crc32(line.substr(0, line.size() - w.back().size() - 1));
    sum = crc32(e.removed, sum);
    sum = crc32(e.inserted, sum);
    if (sum != crc) {
        return false;
    }
    e.offset = start;
    // The closing "\n" may also be the next entry's leading one, when a kill tore this one there.
    end = closingAt + closing.size() - 1;
    return true;
}

// Reads the marker whose "\n@merivox-done " starts at start.
bool parseMarker(std::string_view history, size_t start, std::string &id, bool &done, size_t &end)
{
    const size_t lineFrom = start + kMarkerStart.size();
    const size_t lineEnd = history.find('\n', lineFrom);
    if (lineEnd == std::string_view::npos) {
        return false;
    }
    const std::vector<std::string_view> w = splitSpaces(history.substr(lineFrom, lineEnd - lineFrom));
    if (w.size() != 2 || !validId(w[0]) || (w[1] != "yes" && w[1] != "no")) {
        return false;
    }
    id = std::string(w[0]);
    done = w[1] == "yes";
    end = lineEnd; // the line's end may start what follows
    return true;
}

} // namespace

std::string historyName(std::string_view fileName)
{
    return std::string(fileName) + ".history";
}

std::uint32_t crc32(std::string_view bytes, std::uint32_t crc)
{
    crc = ~crc;
    for (const char c : bytes) {
        crc = kCrcTable[(crc ^ std::uint8_t(c)) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

std::string_view actionWord(HistoryAction action)
{
    switch (action) {
    case HistoryAction::Remove:
        return "remove";
    case HistoryAction::Undo:
        return "undo";
    case HistoryAction::Restore:
        return "restore";
    case HistoryAction::Repair:
        return "repair";
    case HistoryAction::Backup:
        return "bak";
    }
    return "remove";
}

std::optional<HistoryAction> actionOf(std::string_view word)
{
    for (const HistoryAction action : {HistoryAction::Remove, HistoryAction::Undo, HistoryAction::Restore,
                                       HistoryAction::Repair, HistoryAction::Backup}) {
        if (actionWord(action) == word) {
            return action;
        }
    }
    return std::nullopt;
}

std::string historyTime(std::chrono::system_clock::time_point when)
{
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(when);
    const auto day = floor<days>(seconds);
    const year_month_day date(day);
    const hh_mm_ss<std::chrono::seconds> time(seconds - day);
    const auto two = [](long value) {
        return std::string(1, char('0' + value / 10)) + char('0' + value % 10);
    };
    const int year = int(date.year());
    std::string out = std::to_string(year);
    out.insert(0, out.size() < 4 ? 4 - out.size() : 0, '0');
    out += '-' + two(long(unsigned(date.month()))) + '-' + two(long(unsigned(date.day())));
    out += 'T' + two(long(time.hours().count())) + ':' + two(long(time.minutes().count())) + ':' +
           two(long(time.seconds().count())) + 'Z';
    return out;
}

std::string historyId(unsigned long pid, std::uint64_t nanoseconds)
{
    return hex(nanoseconds, 16) + '-' + std::to_string(pid);
}

std::string formatEntry(const HistoryEntry &entry)
{
    const std::string header = headerWithoutCrc(entry);
    std::uint32_t crc = crc32(header);
    crc = crc32(entry.removed, crc);
    crc = crc32(entry.inserted, crc);
    std::string out;
    out.reserve(header.size() + entry.removed.size() + entry.inserted.size() + 64);
    out += '\n';
    out += header;
    out += " crc=" + hex(crc, 8) + '\n';
    out += entry.removed;
    out += entry.inserted;
    out += "\n@end " + entry.id + '\n';
    return out;
}

std::string formatMarker(std::string_view id, bool done)
{
    return std::string(kMarkerStart) + std::string(id) + (done ? " yes\n" : " no\n");
}

std::vector<HistoryEntry> parseHistory(std::string_view history)
{
    std::vector<HistoryEntry> entries;
    size_t from = 0;
    while (from < history.size()) {
        const size_t next = history.find("\n@merivox-", from);
        if (next == std::string_view::npos) {
            break;
        }
        const std::string_view rest = history.substr(next);
        HistoryEntry entry;
        std::string id;
        bool done = false;
        size_t end = 0;
        if (rest.starts_with(kEntryStart) && parseEntry(history, next, entry, end)) {
            entries.push_back(std::move(entry));
            from = end;
            continue;
        }
        if (rest.starts_with(kMarkerStart) && parseMarker(history, next, id, done, end)) {
            const auto it = std::find_if(entries.begin(), entries.end(),
                                         [&](const HistoryEntry &e) { return e.id == id && !e.marked; });
            if (it != entries.end()) {
                it->outcome = done ? HistoryOutcome::Done : HistoryOutcome::NotDone;
                it->marked = true;
            }
            from = end;
            continue;
        }
        // Torn or damaged: look for the next start after this one's.
        from = next + 1;
    }
    return entries;
}

HistoryOutcome resolveOutcome(const HistoryEntry &entry, std::string_view current)
{
    if (entry.action == HistoryAction::Backup) {
        return HistoryOutcome::Done;
    }
    if (entry.beforeLength <= current.size() &&
        contentHash(current.substr(0, size_t(entry.beforeLength))) == entry.beforeHash) {
        return HistoryOutcome::NotDone;
    }
    if (entry.afterLength <= current.size() &&
        contentHash(current.substr(0, size_t(entry.afterLength))) == entry.afterHash) {
        return HistoryOutcome::Done;
    }
    return HistoryOutcome::Open;
}

std::vector<HistoryEntry> historyNewestFirst(std::string_view history, std::string_view current)
{
    std::vector<HistoryEntry> entries = parseHistory(history);
    std::reverse(entries.begin(), entries.end());
    for (HistoryEntry &entry : entries) {
        if (!entry.marked) {
            entry.outcome = resolveOutcome(entry, current);
        }
    }
    return entries;
}

bool offeredForRestore(const HistoryEntry &entry)
{
    return !entry.removed.empty() && entry.outcome != HistoryOutcome::NotDone;
}

std::vector<HistoryEntry> unresolvedEntries(std::string_view history)
{
    std::vector<HistoryEntry> entries = parseHistory(history);
    std::erase_if(entries, [](const HistoryEntry &e) { return e.marked || e.action == HistoryAction::Backup; });
    return entries;
}

namespace {

// Calls each(start, end, firstLine, lastLine) for every record of text as recordsOnlyIn counts
// them: runs of lines from one line that starts with "ITEM:" to the next, the lines before the
// first such line as one run of their own.
template <typename Each> void forEachRecord(std::string_view text, Each each)
{
    size_t start = 0;
    std::uint64_t line = 1, startLine = 1;
    for (size_t at = 0; at < text.size(); ++line) {
        const size_t lineEnd = text.find('\n', at);
        const size_t next = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
        if (at > start && text.substr(at).starts_with("ITEM:")) {
            each(start, at, startLine, line - 1);
            start = at;
            startLine = line;
        }
        at = next;
    }
    if (start < text.size()) {
        each(start, text.size(), startLine, line - 1);
    }
}

} // namespace

std::vector<BackupRecord> recordsOnlyIn(std::string_view backup, std::string_view current, std::string_view history)
{
    // Every record of the file and of the history's payloads, looked up whole: one pass over each,
    // however large the .bak. A record that stands there only inside a longer run of other bytes
    // (a line end added after it, a stray line taken away) counts as not found and is kept once
    // more, which costs a few bytes and loses nothing.
    std::unordered_set<std::string_view> known;
    forEachRecord(current, [&](size_t start, size_t end, std::uint64_t, std::uint64_t) {
        known.insert(current.substr(start, end - start));
    });
    const std::vector<HistoryEntry> entries = parseHistory(history);
    for (const HistoryEntry &entry : entries) {
        const std::string_view removed = entry.removed;
        known.insert(removed);
        forEachRecord(removed, [&](size_t start, size_t end, std::uint64_t, std::uint64_t) {
            known.insert(removed.substr(start, end - start));
        });
    }
    std::vector<BackupRecord> found;
    forEachRecord(backup, [&](size_t start, size_t end, std::uint64_t firstLine, std::uint64_t lastLine) {
        const std::string_view bytes = backup.substr(start, end - start);
        if (known.contains(bytes)) {
            return;
        }
        BackupRecord record{start, firstLine, lastLine, bytes, {}};
        if (bytes.starts_with("ITEM:")) {
            const size_t nameEnd = bytes.find_first_of("\r\n");
            record.name = std::string(bytes.substr(5, nameEnd == std::string_view::npos ? nameEnd : nameEnd - 5));
        }
        found.push_back(std::move(record));
    });
    return found;
}

std::filesystem::path historyPath(const std::filesystem::path &file)
{
    std::filesystem::path history = detail::followLink(file);
    history += ".history";
    return history;
}

FileResult readHistory(const std::filesystem::path &file, std::string &out)
{
    const std::filesystem::path history = historyPath(file);
    out.clear();
    std::uint64_t got = 0;
    const ReadResult read = readWholeFile(
        history, UINT64_MAX,
        [&](std::uint64_t size) {
            out.resize(size_t(size));
            return out.data();
        },
        got);
    if (read.cause == FileCause::Missing) {
        return {};
    }
    out.resize(size_t(got));
    return read;
}

} // namespace merivox
