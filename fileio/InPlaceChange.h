#pragma once

// Changing the file where it stands, for volumes that cannot replace a file in one step while the
// lock's handle keeps it open (FAT and exFAT, many network shares). All of it runs under the lock
// that appending and replacing take, after the history entry of the change is written and the
// old content is kept as a flushed copy in the .bak. No Qt here, for the same reason as
// AppendFile.h; the sequence is here and in InPlaceChange.cpp, the system's steps on the file and
// its note are those of LockedFile.h.
//
// The recovery note "<file>.merivox-change" says that a change is under way. It is written under
// the temporary name of a replacement's new file ("<file>.merivox-<pid>.tmp", ReplaceFile.h), with
// the file's permissions, flushed, and renamed into place, so that it is whole or absent. One header line, then the new
// content from the byte where the change starts:
//   "@merivox-change 1 file=<id> at=<byte> old=<length>:<hash> new=<length>:<hash> head=<hash>
//    tail=<hash> crc=<crc32> step=<digit>\n"   (one line; broken here for reading)
// <id> names the file itself (POSIX: device and inode; Windows: volume serial and file index), so
// that a note is never applied to another file that took the name meanwhile.
// <hash> is contentHash as 16 lowercase hex digits: of the old content, of the new content, of
// their common start [0, at) (head) and of the old bytes [new length, old length) that a
// shrinking change cuts (tail; that of nothing otherwise). The crc (8 hex digits) covers the header
// up to the tail's value and the payload. The step is the one digit not under the crc, written
// in place and flushed before each step of the rewrite begins:
//   0 nothing done yet;  1 the file is being extended to the new length (when it grows);
//   2 the new bytes are being written (the file has the larger of both lengths meanwhile);
//   3 the file is being cut to the new length (when it shrinks);  4 all done, the note goes next.
//
// The rewrite: extend first when it grows, write the new bytes from <at> on, flush, cut last when
// it shrinks, flush; then the note is removed (and the folder flushed on POSIX). A kill leaves
// the file as one of those states followed by whatever an older copy of the program, which knows
// no note, appended after the kill. Whoever takes the lock next and finds the note finishes the
// change (recoverChange): it finds the state's length by the step and the file's own bytes,
// keeps every byte past it, and writes a new note for "current bytes -> new content followed by
// those bytes", which the same rewrite then carries out. A note whose file no longer starts with
// <head>, or that another file took the name of (replaced by a copy that knows no note, or by
// hand), is removed and the file left alone.

#include "FileCause.h"
#include "LockedFile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace merivox {

// The recovery note's name beside the file (usrprobe.dat -> usrprobe.dat.merivox-change).
std::filesystem::path changeNotePath(const std::filesystem::path &file);

// Whether the file at path has a note of an unfinished change beside it (a reader's look; it does
// not finish it).
bool hasUnfinishedChange(const std::filesystem::path &file);

namespace detail {

// Whether changes take the in-place path even where the volume could replace the file in one
// step: set by the environment variable MERIVOX_TEST_IN_PLACE=1, read once per process. Tests use
// it to run the in-place path, its kills and its recovery natively; nothing else sets it.
bool inPlaceForced();

// What the note says, read back.
struct RecoveryNote
{
    std::string file; // the file's identity: letters and digits
    std::uint64_t at = 0;
    std::uint64_t oldLength = 0, oldHash = 0;
    std::uint64_t newLength = 0, newHash = 0;
    std::uint64_t headHash = 0, tailHash = 0;
    int step = 0;
    std::string tail; // the new content from <at> on
};

// The note that changes content into replacement: at is where the two first differ (at most the
// shorter length); the step is 0. formatNote gives its bytes, stepOffset where its step digit is.
RecoveryNote noteFor(std::string_view fileId, std::string_view content, std::string_view replacement);
std::string formatNote(const RecoveryNote &note);
std::uint64_t stepOffset(std::string_view noteBytes);
// A whole, undamaged note; nothing for a torn or damaged one.
std::optional<RecoveryNote> parseNote(std::string_view bytes);

// Where the state a kill left ends in the current bytes, by the note's step and the file's own
// bytes (what follows was appended since); nothing when the file fits no state of the change.
std::optional<std::uint64_t> stateLength(const RecoveryNote &note, std::string_view current);

// Changes the file's content into replacement where it stands, through a note (see above), and
// passes the in-place stages of ReplaceFile.h. content is what the file holds now. 0 or the
// system's error of the step that failed; begun says whether the note was in place by then (it
// stays, and the next copy that takes the lock finishes the change) or nothing was changed.
int changeInPlace(LockedFile &locked, std::string_view content, std::string_view replacement, bool &begun);

// Finishes the change that a note beside the file describes, if there is one; called right after
// the lock is taken, before anything else reads or changes the file. 0 when no note was found or
// the change is finished (or the note was stale and removed), else the system's error.
int recoverChange(LockedFile &locked);

} // namespace detail

} // namespace merivox
