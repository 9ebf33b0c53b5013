#include "ReplaceFile.h"

#include "InPlaceChange.h"
#include "LockedFile.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <system_error>

namespace merivox {

namespace fs = std::filesystem;

std::uint64_t contentHash(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char byte : bytes) {
        hash ^= std::uint8_t(byte);
        hash *= 1099511628211ull;
    }
    return hash;
}

namespace detail {

namespace {

constexpr std::string_view kTag = ".merivox-";
constexpr std::string_view kTemporaryEnd = ".tmp";

// Checks the range against the content and builds the new content.
bool splice(std::string_view content, std::uint64_t begin, std::uint64_t end, std::string_view insert, std::string &out)
{
    if (begin > end || end > content.size()) {
        return false;
    }
    out.clear();
    out.reserve(content.size() - size_t(end - begin) + insert.size());
    out.append(content.substr(0, size_t(begin)));
    out.append(insert);
    out.append(content.substr(size_t(end)));
    return true;
}

} // namespace

fs::path followLink(const fs::path &path)
{
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(path, error))) {
        const fs::path target = fs::canonical(path, error);
        if (!error) {
            return target;
        }
    }
    return path;
}

fs::path backupPath(const fs::path &file)
{
    fs::path backup = file;
    backup += ".bak";
    return backup;
}

fs::path temporaryPath(const fs::path &file, unsigned long pid, bool backup)
{
    fs::path temporary = backup ? backupPath(file) : file;
    temporary += std::string(kTag) + std::to_string(pid) + std::string(kTemporaryEnd);
    return temporary;
}

bool isTemporaryName(const fs::path &file, const fs::path &name)
{
    using Text = fs::path::string_type;
    const Text text = name.native();
    const Text end = fs::path(kTemporaryEnd).native();
    for (const fs::path &base : {file.filename(), backupPath(file).filename()}) {
        const Text start = base.native() + fs::path(kTag).native();
        if (text.size() <= start.size() + end.size() || text.compare(0, start.size(), start) != 0 ||
            text.compare(text.size() - end.size(), end.size(), end) != 0) {
            continue;
        }
        const auto first = text.begin() + std::ptrdiff_t(start.size());
        const auto last = text.end() - std::ptrdiff_t(end.size());
        if (std::all_of(first, last, [](auto c) { return c >= '0' && c <= '9'; })) {
            return true;
        }
    }
    return false;
}

void removeLeftovers(const fs::path &file)
{
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (isTemporaryName(file, it->path().filename())) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

namespace {

// The lines [first, last] that the bytes [begin, end) of content stand on, counted from 1.
std::pair<std::uint64_t, std::uint64_t> linesOf(std::string_view content, std::uint64_t begin, std::uint64_t end)
{
    const auto countTo = [&](std::uint64_t at) {
        return std::uint64_t(std::count(content.begin(), content.begin() + std::ptrdiff_t(at), '\n'));
    };
    const std::uint64_t first = countTo(begin) + 1;
    return {first, end > begin ? countTo(end - 1) + 1 : first};
}

std::string newEntryId(unsigned long pid)
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return historyId(pid, std::uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
}

ReplaceResult historyFailure(const FileResult &failed)
{
    ReplaceResult result = notReplaced(failed.cause, failed.systemError);
    result.historyFailed = true;
    return result;
}

} // namespace

ReplaceResult prepareReplacement(const fs::path &file, std::string_view content, std::uint64_t expectedHash,
                                 std::uint64_t begin, std::uint64_t end, std::string_view insert,
                                 const ChangeNote &note, unsigned long pid, PreparedChange &change)
{
    std::string &replacement = change.replacement;
    if (contentHash(content) != expectedHash) {
        return notReplaced(FileCause::Changed);
    }
    if (!splice(content, begin, end, insert, replacement)) {
        return notReplaced(FileCause::BadRange);
    }
    if (const int error = atStage(ReplaceStage::Locked)) {
        return notReplaced(error);
    }

    std::string history;
    if (const FileResult read = readHistory(file, history); !read.ok()) {
        return historyFailure(read);
    }
    std::string bytes;
    for (const HistoryEntry &open : unresolvedEntries(history)) {
        const HistoryOutcome outcome = resolveOutcome(open, content);
        if (outcome != HistoryOutcome::Open) {
            bytes += formatMarker(open.id, outcome == HistoryOutcome::Done);
        }
    }
    HistoryEntry entry;
    entry.id = newEntryId(pid);
    entry.action = note.action;
    entry.when = historyTime(std::chrono::system_clock::now());
    entry.at = begin;
    const auto [first, last] =
        linesOf(content, begin, note.action == HistoryAction::Remove || end > begin ? end : begin);
    entry.firstLine = note.firstLine ? note.firstLine : first;
    entry.lastLine = note.lastLine ? note.lastLine : last;
    entry.beforeLength = content.size();
    entry.beforeHash = expectedHash;
    entry.afterLength = replacement.size();
    entry.afterHash = change.newHash = contentHash(replacement);
    entry.prefixHash = contentHash(content.substr(0, size_t(begin)));
    entry.name = note.name;
    entry.thread = note.thread;
    entry.removed = std::string(content.substr(size_t(begin), size_t(end - begin)));
    entry.inserted = std::string(insert);
    bytes += formatEntry(entry);
    if (const FileResult written = appendToHistory(file, bytes); !written.ok()) {
        return historyFailure(written);
    }
    change.entryId = entry.id;
    change.entry = std::move(entry);
    change.entry.outcome = HistoryOutcome::Done;
    change.entry.marked = true;
    if (const int error = atStage(ReplaceStage::HistoryWritten)) {
        markChange(file, change.entryId, false);
        return notReplaced(error);
    }
    return {};
}

ReplaceResult rescueBackup(const fs::path &file, std::string_view backup, std::string_view content)
{
    std::string history;
    if (const FileResult read = readHistory(file, history); !read.ok()) {
        return historyFailure(read);
    }
    std::string bytes;
    const std::string when = historyTime(std::chrono::system_clock::now());
    for (const BackupRecord &record : recordsOnlyIn(backup, content, history)) {
        HistoryEntry entry;
        entry.id = newEntryId(0) + "-" + std::to_string(record.at);
        entry.action = HistoryAction::Backup;
        entry.when = when;
        entry.at = record.at;
        entry.firstLine = record.firstLine;
        entry.lastLine = record.lastLine;
        entry.beforeLength = entry.afterLength = content.size();
        entry.beforeHash = entry.afterHash = contentHash(content);
        entry.name = record.name;
        entry.removed = std::string(record.bytes);
        bytes += formatEntry(entry);
    }
    if (!bytes.empty()) {
        if (const FileResult written = appendToHistory(file, bytes); !written.ok()) {
            return historyFailure(written);
        }
    }
    if (const int error = atStage(ReplaceStage::BackupRescued)) {
        return notReplaced(error);
    }
    return {};
}

void markChange(const fs::path &file, const std::string &entryId, bool done)
{
    if (!entryId.empty() && appendToHistory(file, formatMarker(entryId, done)).ok()) {
        atStage(ReplaceStage::Marked);
    }
}

namespace {

// With the new content standing at the path: passes the stage Replaced, flushes the folder's
// entries where asked (not after a change in place, which names nothing new) and passes the
// stage FolderFlushed. The file counts as replaced even when one of these fails; the result names
// that failure beside it.
ReplaceResult replacedBy(LockedFile &locked, const PreparedChange &change, bool flushFolder)
{
    ReplaceResult result{{}, change.newHash, true, false, change.entry};
    int error = atStage(ReplaceStage::Replaced);
    if (error == 0 && flushFolder) {
        error = locked.flushFolder();
    }
    if (error == 0) {
        error = atStage(ReplaceStage::FolderFlushed);
    }
    if (error != 0) {
        result.cause = causeOf(error);
        result.systemError = error;
    }
    return result;
}

// Keeps the old content as the .bak: a hard link to the locked file, made under a temporary name
// and renamed over an earlier .bak of this program's; where the file system has no hard links, or
// where the file is to be changed in place (copy; then also over a link made before), a flushed
// copy. Then the folder is flushed, so that the backup's name is on disk before the path's name
// can change.
ReplaceResult keepBackup(LockedFile &locked, std::string_view content, bool copy)
{
    const fs::path &file = locked.path();
    const fs::path backup = backupPath(file);
    bool found = false, isThisFile = false;
    if (const int error = locked.look(backup, found, isThisFile)) {
        return notReplaced(error);
    }
    if (found) {
        if (isThisFile && !copy) {
            return {}; // a killed removal already linked it
        }
        std::string earlier;
        if (!locked.readBackup(backup, earlier)) {
            return notReplaced(FileCause::ForeignBackup);
        }
        if (const ReplaceResult rescued = rescueBackup(file, earlier, content); !rescued.ok()) {
            return rescued;
        }
    }

    const fs::path temporary = temporaryPath(file, processId(), true);
    bool linked = false;
    if (!copy) {
        int error = atStage(ReplaceStage::Linking);
        if (error == 0) {
            error = locked.link(temporary);
        }
        if (error == 0) {
            const int looked = locked.look(temporary, found, isThisFile);
            if (looked != 0 || !found || !isThisFile) {
                locked.remove(temporary);
                return notReplaced(FileCause::Changed, looked);
            }
            linked = true;
        } else if (!locked.lacksHardLinks(error)) {
            return notReplaced(error);
        }
    }
    if (!linked) {
        if (const ReplaceResult copied = locked.writeNew(temporary, content, NewFile::Backup); !copied.ok()) {
            return copied;
        }
    }
    if (const int error = locked.moveOver(temporary, backup)) {
        locked.remove(temporary);
        return notReplaced(error);
    }
    if (const int error = locked.flushFolder()) {
        return notReplaced(error);
    }
    return {};
}

// The change made where the file stands (InPlaceChange.h), for volumes that cannot replace the
// file in one step: the old content is kept as the .bak as a flushed copy, since the file itself
// is rewritten. A failure once the recovery note is in place leaves the entry open: the next copy
// that takes the lock finishes the change, and the entry is judged by the hashes then.
ReplaceResult changedInPlace(LockedFile &locked, std::string_view content, const PreparedChange &change)
{
    const fs::path &file = locked.path();
    ReplaceResult failed = keepBackup(locked, content, true);
    if (failed.ok()) {
        if (const int error = atStage(ReplaceStage::BackupKept)) {
            failed = notReplaced(error);
        }
    }
    if (!failed.ok()) {
        markChange(file, change.entryId, false);
        return failed;
    }
    bool begun = false;
    if (const int error = changeInPlace(locked, content, change.replacement, begun)) {
        if (!begun) {
            markChange(file, change.entryId, false);
        }
        return notReplaced(error);
    }
    const ReplaceResult replaced = replacedBy(locked, change, false);
    markChange(file, change.entryId, true);
    return replaced;
}

} // namespace

} // namespace detail

ReplaceResult spliceFile(const fs::path &path, std::uint64_t expectedHash, std::uint64_t begin, std::uint64_t end,
                         std::string_view insert, const ChangeNote &note)
{
    using namespace detail;
    const fs::path file = followLink(path);
    std::unique_ptr<LockedFile> locked;
    if (const ReplaceResult opened = openLocked(file, locked); !opened.ok()) {
        return opened;
    }
    removeLeftovers(file);

    // A change in place that a killed copy left is finished before anything else.
    if (const int error = recoverChange(*locked)) {
        return notReplaced(error);
    }
    std::string content;
    if (const int error = locked->readFile(content)) {
        return notReplaced(error);
    }
    PreparedChange change;
    if (const ReplaceResult prepared =
            prepareReplacement(file, content, expectedHash, begin, end, insert, note, processId(), change);
        !prepared.ok()) {
        return prepared;
    }
    const auto notChanged = [&](ReplaceResult result) {
        markChange(file, change.entryId, false);
        return result;
    };

    if (inPlaceForced() || !locked->replacesInOneStep()) {
        return changedInPlace(*locked, content, change);
    }
    if (const ReplaceResult written =
            locked->writeNew(temporaryPath(file, processId(), false), change.replacement, NewFile::Content);
        !written.ok()) {
        return notChanged(written);
    }
    // The .bak is replaced only now that the new content is ready to take the path's place.
    if (const ReplaceResult kept = keepBackup(*locked, content, false); !kept.ok()) {
        locked->removeNew();
        return notChanged(kept);
    }
    if (const int error = atStage(ReplaceStage::BackupKept)) {
        locked->removeNew();
        return notChanged(notReplaced(error));
    }
    bool inPlaceInstead = false;
    if (const ReplaceResult renamed = locked->renameOver(inPlaceInstead); !renamed.ok() || inPlaceInstead) {
        locked->removeNew();
        return inPlaceInstead ? changedInPlace(*locked, content, change) : notChanged(renamed);
    }
    const ReplaceResult replaced = replacedBy(*locked, change, true);
    markChange(file, change.entryId, true);
    // Closing the locked file on return releases the lock.
    return replaced;
}

} // namespace merivox
