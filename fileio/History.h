#pragma once

// The history of changes beside the file: "<name>.history" (usrprobe.dat -> usrprobe.dat.history),
// a file that only this program reads. Before a change replaces the file, the bytes it takes out
// and puts in are appended there, under the file's lock, so that no removed record is ever held
// by nothing but a .bak. This program never shortens the history. No Qt here, for the same reason
// as AppendFile.h: this header holds the entry format, writing it as bytes and reading it back.
//
// One entry, binary-safe (the payload is counted, never scanned):
//   "\n@merivox-history 1 <id> <action> <when> at=<byte> lines=<first>-<last>
//    before=<length>:<hash> after=<length>:<hash> removed=<n1> inserted=<n2> name=<name>
//    thread=<thread> prefix=<hash> crc=<crc>\n"   (one line; broken here for reading)
//   then the n1 removed bytes, the n2 inserted bytes, then "\n@end <id>\n".
// <when> is UTC as 2026-12-08T17:56:48Z; <hash> is contentHash of the file's first <length>
// bytes before and after the change, 16 lowercase hex digits; name and thread are the record's,
// every byte outside '!'..'~' and every '%' written as %XX; <crc> is the crc32 (8 lowercase hex
// digits) of the header line from "@merivox-history" up to the word before " crc=", followed by the
// removed and the inserted bytes. prefix, the contentHash of the file's first <at> bytes before
// the change, lets a removal be put back at its place as long as the bytes before it stay as they
// were; entries written before it was added lack it and are read all the same. The leading "\n" keeps a new entry off
// the rest of one that a kill tore: a reader skips the torn one and finds the next at its "\n@merivox-history ".
//
// Once a change's outcome is known, a marker follows: "\n@merivox-done <id> yes\n" when the file
// was changed, "... no\n" when it was not (refused as changed or in use, a full disk). An entry
// that no marker answers (a kill between the entry and its marker) is judged by the file's
// current bytes, whose start can since only have grown by appends: when its first <before length>
// bytes still hash to <before>, the change did not happen; else when its first <after length>
// bytes hash to <after>, it did (resolveOutcome).

#include "FileCause.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace merivox {

enum class HistoryAction {
    Remove,  // a record taken out
    Undo,    // a removal undone
    Restore, // a record from the history put back
    Repair,  // lines that belong to no record taken out, or a line split
    Backup,  // a record of a .bak about to be replaced, found nowhere else ("bak")
};

enum class HistoryOutcome {
    Open,    // no marker, and the file's bytes fit neither hash: it cannot be told
    Done,    // the change was made (marker "yes", or the file starts with the content after it)
    NotDone, // the change was not made (marker "no", or the file still starts with the content before it)
};

struct HistoryEntry
{
    std::string id; // unique in the history: letters, digits and '-'
    HistoryAction action = HistoryAction::Remove;
    std::string when;                               // UTC, 2026-12-08T17:56:48Z
    std::uint64_t at = 0;                           // the byte at which the change starts in the file before it
    std::uint64_t firstLine = 0, lastLine = 0;      // the lines taken out (or put in), counted from 1
    std::uint64_t beforeLength = 0, beforeHash = 0; // the whole file before the change
    std::uint64_t afterLength = 0, afterHash = 0;   // and after it
    std::string name, thread;                       // the record's, exactly as its bytes stand in the file
    std::string removed;                            // the bytes taken out, exactly
    std::string inserted;                           // the bytes put in, exactly
    std::optional<std::uint64_t> prefixHash;        // contentHash of the file's first <at> bytes before the change
    HistoryOutcome outcome = HistoryOutcome::Open;  // from its marker, else Open until resolved
    bool marked = false;                            // a marker gave the outcome
    std::uint64_t offset = 0;                       // where the entry starts in the history's bytes
};

// The history's name beside the file.
std::string historyName(std::string_view fileName);

// The history of the file at path: beside the file that a symbolic link at path names, as every
// change keeps it, so that any path to the file finds the same history.
std::filesystem::path historyPath(const std::filesystem::path &file);

// The crc32 (reflected polynomial 0xEDB88320, start and end inverted) of the bytes, continuing from
// an earlier result.
std::uint32_t crc32(std::string_view bytes, std::uint32_t crc = 0);

// The action's word in an entry ("remove", "undo", "restore", "repair", "bak"), and back.
std::string_view actionWord(HistoryAction action);
std::optional<HistoryAction> actionOf(std::string_view word);

// A moment as an entry writes it: 2026-12-08T17:56:48Z.
std::string historyTime(std::chrono::system_clock::time_point when);

// An id for a new entry, from the process and the moment (in nanoseconds): unique as long as no
// two processes of one id write in the same nanosecond.
std::string historyId(unsigned long pid, std::uint64_t nanoseconds);

// The bytes that append the entry to a history (id, when, the numbers, name, thread, removed and
// inserted are taken; outcome, marked and offset are not).
std::string formatEntry(const HistoryEntry &entry);

// The bytes of the marker that answers entry id.
std::string formatMarker(std::string_view id, bool done);

// Every whole, undamaged entry of the history in the order written (oldest first), with the
// outcome that its first marker gives. A torn or damaged entry is skipped, and reading goes on at
// the next "\n@merivox-history " after its start; a marker for an unknown id is ignored.
std::vector<HistoryEntry> parseHistory(std::string_view history);

// The outcome of an entry from the file's current bytes by its prefix hashes. A "bak" entry
// changed nothing and is always Done (its record is offered for restoring).
HistoryOutcome resolveOutcome(const HistoryEntry &entry, std::string_view current);

// What the history offers for restoring and showing: its entries newest first, where an entry
// without marker has its outcome from resolveOutcome against current (read-only: no marker is
// written). Entries that are NotDone are included; offeredForRestore says which may be offered.
std::vector<HistoryEntry> historyNewestFirst(std::string_view history, std::string_view current);

// Whether an entry's removed bytes may be offered for restoring: it removed something, and its
// change was not found undone-before-it-happened (Open counts as offered: its bytes may be the
// only copy left).
bool offeredForRestore(const HistoryEntry &entry);

// The entries that no marker answers yet, oldest first: what the next locked change resolves.
std::vector<HistoryEntry> unresolvedEntries(std::string_view history);

// A record of a .bak about to be replaced that is found nowhere else.
struct BackupRecord
{
    std::uint64_t at = 0;                      // where it starts in the .bak
    std::uint64_t firstLine = 0, lastLine = 0; // its lines in the .bak, counted from 1
    std::string_view bytes;                    // exactly as in the .bak
    std::string name;                          // the text of its first line after "ITEM:"
};

// The records of backup that are neither a record of current nor a record (or the whole payload)
// of an entry of history. A record is a run of lines of which the first starts with "ITEM:"; lines
// before the first such line count as one record of their own, so that no byte of the .bak is
// left out. Linear in the sizes of the three.
std::vector<BackupRecord> recordsOnlyIn(std::string_view backup, std::string_view current, std::string_view history);

// Appends bytes (entries and markers) to the history beside file, and flushes them. Called only
// under file's lock, which is what keeps two writers of the history apart. A history that does
// not exist yet is created with file's permissions (POSIX: its mode, and its owner and group when
// this process may give them; Windows: its access list), so that whoever may change the file may
// also write its history. On failure the cause is returned; a new history that could not be
// given the permissions is removed again (FileCause::NoPermissions), a folder of the history's
// name gives FileCause::IsFolder. History_posix.cpp and History_win32.cpp implement it.
FileResult appendToHistory(const std::filesystem::path &file, std::string_view bytes);

// Reads the history beside file whole into out; no history is an empty one.
FileResult readHistory(const std::filesystem::path &file, std::string &out);

} // namespace merivox
