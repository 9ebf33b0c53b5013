#pragma once

// The operating-system half of taking a record out of the file, or putting one back: the file's
// whole content replaced in one step, under the same lock that appendToFile takes. No Qt here,
// for the same reason as AppendFile.h. ReplaceFile.cpp holds the sequence, the same on every
// platform; the system's steps it calls are those of LockedFile.h, in ReplaceFile_posix.cpp and
// ReplaceFile_win32.cpp.
//
// One call, all under the lock, in this order:
//   1. the path (a symbolic link at it is followed) is opened and locked, and must still name the
//      locked file; temporary files that a killed copy left beside it are removed;
//   2. the content is read and its hash compared with the one the caller saw: if it differs,
//      nothing is changed (FileCause::Changed);
//   3. entries of the history that a killed change left unanswered are answered, and this
//      change's entry (the bytes taken out and put in) is appended to the history and flushed;
//      when that fails, nothing is changed;
//   4. the new content goes to "<name>.merivox-<pid>.tmp" in the same folder, with the old file's
//      permissions (Windows: attributes and access list), and is flushed;
//   5. the old content is kept as "<name>.bak": a hard link to the old file, or where the file
//      system has no hard links a flushed copy. Whatever an existing .bak holds that is neither in
//      the file nor in the history (records, and any other run of lines) is appended to the
//      history first, so replacing it loses nothing; a .bak that cannot be read (a folder, no
//      permission) is left alone, and nothing is changed;
//   6. the temporary file takes the path's place in one step (POSIX rename, Windows rename on its
//      handle with POSIX semantics), and the folder is flushed;
//   7. the history's marker says whether the file was changed (also after a failure in 4 to 6).
// A kill at any moment leaves the path with the old or the new content, whole, and the bytes
// taken out in the history.
//
// Where the volume cannot do step 6 while the lock's handle keeps the file open (Windows: a volume
// without POSIX rename, or the rename refused as not supported, a file system limitation or an
// invalid parameter; never a sharing violation or access denied, which mean another program holds
// the file), steps 4 to 6 become the change in place of InPlaceChange.h: the .bak is a flushed copy,
// a recovery note beside the file carries the new content, and the file is rewritten under the
// lock. Every call (and every append) first finishes such a change that a kill cut short. A copy waiting
// for the lock meanwhile finds, once it has it, that the path names another file, and starts
// again with the new one.

#include "FileCause.h"
#include "History.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace merivox {

// What stopped a replacement: Changed, BadRange, InUse (another program holds the file, or the
// file system cannot replace it in one step), ForeignBackup, NoPermissions, Missing (no file at
// the path), FolderMissing, AccessDenied, DiskFull, SizeLimit, IsFolder, else Other.
struct ReplaceResult : FileResult
{
    std::uint64_t newHash = 0;  // the hash of the content now at the path, when replaced
    bool replaced = false;      // the new content stands at the path (also when a later flush failed)
    bool historyFailed = false; // the history beside the file could not be read or written: nothing changed
    HistoryEntry entry;         // when replaced: the history entry of this change, its outcome Done
};

// The hash by which a caller names the content it saw (64-bit FNV-1a).
std::uint64_t contentHash(std::string_view bytes);

// What the history entry of a change says beside its bytes: the kind of change, the lines, and
// the record's name and thread as its bytes stand in the file.
struct ChangeNote
{
    HistoryAction action = HistoryAction::Remove;
    std::uint64_t firstLine = 0, lastLine = 0;
    std::string name, thread;
};

// Replaces the bytes [begin, end) of the file at path by insert, when the file's whole content
// hashes to expectedHash. Every other byte stays as it was. Before anything is replaced, the
// change is appended to the history beside the file (History.h) and flushed; when that fails,
// nothing is changed and the result names why. Once the outcome is known, a marker says whether
// the file was changed.
ReplaceResult spliceFile(const std::filesystem::path &path, std::uint64_t expectedHash, std::uint64_t begin,
                         std::uint64_t end, std::string_view insert, const ChangeNote &note = {});

// Takes the bytes [begin, end) out. Undoing it is insertIntoFile(path, result.newHash, begin,
// the removed bytes): it succeeds while nobody changed the file since.
inline ReplaceResult removeFromFile(const std::filesystem::path &path, std::uint64_t expectedHash, std::uint64_t begin,
                                    std::uint64_t end, const ChangeNote &note = {})
{
    return spliceFile(path, expectedHash, begin, end, {}, note);
}

inline ReplaceResult insertIntoFile(const std::filesystem::path &path, std::uint64_t expectedHash, std::uint64_t at,
                                    std::string_view bytes,
                                    const ChangeNote &note = {HistoryAction::Undo, 0, 0, {}, {}})
{
    return spliceFile(path, expectedHash, at, at, bytes, note);
}

// Points inside spliceFile at which tests look in: to kill the process there, or to make that
// step fail (a non-zero result is taken as the step's system error).
enum class ReplaceStage {
    Locked,        // locked, checked, and the content compared
    Linking,       // the backup's hard link is next; a non-zero result is taken as the link's error
    BackupKept,    // the .bak holds the old content
    NewWritten,    // the new content is written to the temporary file
    NewFlushed,    // and flushed
    Replaced,      // the temporary file stands at the path
    FolderFlushed, // the folder's entries are flushed; the lock is still held
    // Later additions, in the order they are passed among the others:
    HistoryWritten, // after Locked: the change's entry is in the history, flushed; nothing else changed
    BackupRescued,  // after NewFlushed: the records only the old .bak held are in the history
    Marked,         // after FolderFlushed (or after a failure once the entry was written): the marker
    // The in-place path (InPlaceChange.h), in its order; recovering a killed change passes them too:
    NoteWritten, // the recovery note is in place, flushed, step 0; the file not yet touched
    Extended,    // a growing file has its new length (zero bytes at the end), flushed
    HalfWritten, // the first half of the new bytes is written, not yet flushed
    Rewritten,   // all new bytes are written and flushed
    Cut,         // a shrinking file is cut to its new length, flushed
    NoteRemoved, // the note is gone: the change is complete
};
using ReplaceHook = int (*)(ReplaceStage stage);

namespace detail {

inline ReplaceHook replaceHook = nullptr;

inline int atStage(ReplaceStage stage)
{
    return replaceHook ? replaceHook(stage) : 0;
}

// The file that a removal works on: the target of a symbolic link at the path, so that the
// backup and the temporary file go into the target's folder and the link stays a link.
std::filesystem::path followLink(const std::filesystem::path &path);

std::filesystem::path backupPath(const std::filesystem::path &file);
// The temporary file of this process: for the new content (or, in place, the recovery note's on
// its way to its name), or for a backup on its way to .bak.
std::filesystem::path temporaryPath(const std::filesystem::path &file, unsigned long pid, bool backup);
// Whether a name in the file's folder is one of temporaryPath's names, of any process.
bool isTemporaryName(const std::filesystem::path &file, const std::filesystem::path &name);

// Removes every temporary file of the file's name. Only called under the file's lock: every
// temporary file is made and used up under it, so one found then is a killed copy's leftover.
void removeLeftovers(const std::filesystem::path &file);

// A replacement that ended before anything was replaced: for the cause that the table gives the
// system's error, or for a cause of its own.
inline ReplaceResult notReplaced(FileCause cause, int systemError = 0)
{
    ReplaceResult result;
    result.cause = cause;
    result.systemError = systemError;
    return result;
}

inline ReplaceResult notReplaced(int systemError)
{
    return notReplaced(causeOf(systemError), systemError);
}

// What a change becomes once prepared: the new content, its hash (taken once: on a large file it
// costs as much as the reading), and the id of the change's entry in the history.
struct PreparedChange
{
    std::string replacement;
    std::uint64_t newHash = 0;
    std::string entryId;
    HistoryEntry entry; // as written to the history
};

// What spliceFile does between reading the content under the lock and writing the new one, the
// same on every platform: checks the content against the hash the caller saw and the range
// against the content, builds the new content, passes the stage Locked, answers the history's
// entries that a killed change left without marker (by resolveOutcome; one that fits neither hash
// stays open), appends this change's entry (its id to change.entryId) and passes HistoryWritten.
ReplaceResult prepareReplacement(const std::filesystem::path &file, std::string_view content,
                                 std::uint64_t expectedHash, std::uint64_t begin, std::uint64_t end,
                                 std::string_view insert, const ChangeNote &note, unsigned long pid,
                                 PreparedChange &change);

// Before the .bak (backup) is replaced: appends to the history, as "bak" entries, the records of
// the .bak that are neither in the file's current content nor among the history's bytes, and
// passes BackupRescued.
ReplaceResult rescueBackup(const std::filesystem::path &file, std::string_view backup, std::string_view content);

// Once the change's outcome is known: the marker of entry id, and the stage Marked. A marker that
// cannot be written is left to the next change, which judges the entry by the hashes.
void markChange(const std::filesystem::path &file, const std::string &entryId, bool done);

} // namespace detail

inline void setReplaceHook(ReplaceHook hook)
{
    detail::replaceHook = hook;
}

} // namespace merivox
