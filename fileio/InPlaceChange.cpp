#include "InPlaceChange.h"

#include "History.h"
#include "ReplaceFile.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace merivox {

namespace fs = std::filesystem;

fs::path changeNotePath(const fs::path &file)
{
    fs::path note = file;
    note += ".merivox-change";
    return note;
}

bool hasUnfinishedChange(const fs::path &file)
{
    std::error_code error;
    return fs::exists(changeNotePath(detail::followLink(file)), error); // beside a link's target
}

namespace detail {

namespace {

constexpr std::string_view kMagic = "@merivox-change 1 ";
constexpr std::string_view kStepField = " step=";

std::string hex(std::uint64_t value, int digits)
{
    std::string text(size_t(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) {
        text[size_t(i)] = "0123456789abcdef"[value & 0xf];
    }
    return text;
}

// Reads "<key>=<number>" (decimal, or hex when base is 16) at the front of text, and moves past it
// and the space or ':' after it.
bool take(std::string_view &text, std::string_view key, std::uint64_t &value, int base)
{
    if (text.substr(0, key.size()) != key || text.size() <= key.size() || text[key.size()] != '=') {
        return false;
    }
    text.remove_prefix(key.size() + 1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end == text.data()) {
        return false;
    }
    text.remove_prefix(size_t(end - text.data()));
    return true;
}

bool takeHash(std::string_view &text, std::uint64_t &value)
{
    if (text.size() < 17 || text[0] != ':') {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data() + 1, text.data() + 17, value, 16);
    if (error != std::errc() || end != text.data() + 17) {
        return false;
    }
    text.remove_prefix(17);
    return true;
}

bool skip(std::string_view &text, char c)
{
    if (text.empty() || text[0] != c) {
        return false;
    }
    text.remove_prefix(1);
    return true;
}

std::uint64_t hashOf(std::string_view bytes, std::uint64_t from, std::uint64_t to)
{
    return contentHash(bytes.substr(size_t(from), size_t(to - from)));
}

// The header up to the tail's value: what the crc covers besides the payload.
std::string headerFields(const RecoveryNote &note)
{
    return std::string(kMagic) + "file=" + note.file + " at=" + std::to_string(note.at) +
           " old=" + std::to_string(note.oldLength) + ":" + hex(note.oldHash, 16) +
           " new=" + std::to_string(note.newLength) + ":" + hex(note.newHash, 16) + " head=" + hex(note.headHash, 16) +
           " tail=" + hex(note.tailHash, 16);
}

} // namespace

bool inPlaceForced()
{
    static const bool forced = [] {
        const char *value = std::getenv("MERIVOX_TEST_IN_PLACE");
        return value && std::strcmp(value, "1") == 0;
    }();
    return forced;
}

RecoveryNote noteFor(std::string_view fileId, std::string_view content, std::string_view replacement)
{
    RecoveryNote note;
    note.file = std::string(fileId);
    const size_t shorter = std::min(content.size(), replacement.size());
    note.at = std::uint64_t(
        std::mismatch(content.begin(), content.begin() + std::ptrdiff_t(shorter), replacement.begin()).first -
        content.begin());
    note.oldLength = content.size();
    note.oldHash = contentHash(content);
    note.newLength = replacement.size();
    note.newHash = contentHash(replacement);
    note.headHash = hashOf(content, 0, note.at);
    note.tailHash = note.newLength < note.oldLength ? hashOf(content, note.newLength, note.oldLength) : contentHash({});
    note.tail = std::string(replacement.substr(size_t(note.at)));
    return note;
}

std::string formatNote(const RecoveryNote &note)
{
    const std::string fields = headerFields(note);
    const std::uint32_t crc = crc32(note.tail, crc32(fields));
    std::string bytes = fields + " crc=" + hex(crc, 8) + std::string(kStepField) + char('0' + note.step) + "\n";
    bytes += note.tail;
    return bytes;
}

std::uint64_t stepOffset(std::string_view noteBytes)
{
    return noteBytes.find('\n') - 1;
}

std::optional<RecoveryNote> parseNote(std::string_view bytes)
{
    const size_t lineEnd = bytes.find('\n');
    if (bytes.substr(0, kMagic.size()) != kMagic || lineEnd == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view text = bytes.substr(kMagic.size(), lineEnd - kMagic.size());
    RecoveryNote note;
    std::uint64_t crc = 0, step = 0;
    // head=<hash> tail=<hash>: hashes without a length before them.
    const auto fixedHash = [&](std::string_view key, std::uint64_t &value) {
        if (text.substr(0, key.size()) != key || text.size() < key.size() + 16) {
            return false;
        }
        const char *first = text.data() + key.size();
        const auto [end, error] = std::from_chars(first, first + 16, value, 16);
        if (error != std::errc() || end != first + 16) {
            return false;
        }
        text.remove_prefix(key.size() + 16);
        return true;
    };
    const size_t idEnd = text.find(' ');
    if (text.substr(0, 5) != "file=" || idEnd == std::string_view::npos || idEnd == 5 ||
        !std::all_of(text.begin() + 5, text.begin() + std::ptrdiff_t(idEnd),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); })) {
        return std::nullopt;
    }
    note.file = std::string(text.substr(5, idEnd - 5));
    text.remove_prefix(idEnd + 1);
    if (!take(text, "at", note.at, 10) || !skip(text, ' ') || !take(text, "old", note.oldLength, 10) ||
        !takeHash(text, note.oldHash) || !skip(text, ' ') || !take(text, "new", note.newLength, 10) ||
        !takeHash(text, note.newHash) || !fixedHash(" head=", note.headHash) || !fixedHash(" tail=", note.tailHash) ||
        !skip(text, ' ') || !take(text, "crc", crc, 16) || !skip(text, ' ') || !take(text, "step", step, 10) ||
        !text.empty() || step > 4 || note.at > note.newLength || note.at > note.oldLength) {
        return std::nullopt;
    }
    note.step = int(step);
    note.tail = std::string(bytes.substr(lineEnd + 1));
    if (note.tail.size() != note.newLength - note.at || crc32(note.tail, crc32(headerFields(note))) != crc) {
        return std::nullopt;
    }
    return note;
}

std::optional<std::uint64_t> stateLength(const RecoveryNote &note, std::string_view current)
{
    const std::uint64_t size = current.size();
    const auto starts = [&](std::uint64_t length, std::uint64_t hash) {
        return size >= length && hashOf(current, 0, length) == hash;
    };
    // The rewrite never touches the common start: a file without it was replaced meanwhile.
    if (!starts(note.at, note.headHash)) {
        return std::nullopt;
    }
    const std::uint64_t larger = std::max(note.oldLength, note.newLength);
    const bool grows = note.newLength > note.oldLength;
    switch (note.step) {
    case 0:
        return starts(note.oldLength, note.oldHash) ? std::optional(note.oldLength) : std::nullopt;
    case 1:
        // Extended or not: the extension reads as zero bytes, which no append of a record writes.
        if (grows && starts(note.oldLength, note.oldHash) && size >= larger &&
            std::all_of(current.begin() + std::ptrdiff_t(note.oldLength), current.begin() + std::ptrdiff_t(larger),
                        [](char c) { return c == 0; })) {
            return larger;
        }
        return starts(note.oldLength, note.oldHash) ? std::optional(note.oldLength) : std::nullopt;
    case 2:
        // Anything of new and old bytes below the larger length; it stays that long throughout.
        return size >= larger ? std::optional(larger) : std::nullopt;
    case 3:
        if (!starts(note.newLength, note.newHash)) {
            return std::nullopt;
        }
        if (note.newLength < note.oldLength && size >= note.oldLength &&
            hashOf(current, note.newLength, note.oldLength) == note.tailHash) {
            return note.oldLength; // not cut yet
        }
        return note.newLength;
    default:
        return starts(note.newLength, note.newHash) ? std::optional(note.newLength) : std::nullopt;
    }
}

namespace {

// Writes the note under the temporary name of a replacement's new file, which the change in place
// has none of (a killed copy's is removed as its leftover under the lock), with the file's
// permissions, flushed, and renames it over the note's name, replacing an earlier note.
int writeNote(LockedFile &locked, std::string_view bytes)
{
    const fs::path temporary = temporaryPath(locked.path(), processId(), false);
    locked.remove(temporary); // a dead copy's of the same process id
    if (const ReplaceResult written = locked.writeNew(temporary, bytes, NewFile::Note); !written.ok()) {
        return written.systemError;
    }
    if (const int error = locked.moveOver(temporary, changeNotePath(locked.path()))) {
        locked.remove(temporary);
        return error;
    }
    return locked.flushFolder();
}

// No note is no error.
int removeNote(LockedFile &locked)
{
    if (const int error = locked.remove(changeNotePath(locked.path()))) {
        return error;
    }
    return locked.flushFolder();
}

int rewrite(LockedFile &locked, const RecoveryNote &note, bool &begun)
{
    const std::string bytes = formatNote(note);
    const std::uint64_t step = stepOffset(bytes);
    begun = false;
    if (const int error = writeNote(locked, bytes)) {
        return error;
    }
    begun = true;
    if (const int error = atStage(ReplaceStage::NoteWritten)) {
        return error;
    }
    if (note.newLength > note.oldLength) {
        if (const int error = locked.setStep(step, '1')) {
            return error;
        }
        if (const int error = locked.setLength(note.newLength)) {
            return error;
        }
        if (const int error = locked.flushFile()) {
            return error;
        }
    }
    if (const int error = atStage(ReplaceStage::Extended)) {
        return error;
    }
    if (const int error = locked.setStep(step, '2')) {
        return error;
    }
    // In two halves, so that a test can stop the rewrite between them.
    const std::string_view tail = note.tail;
    const size_t half = tail.size() / 2;
    if (const int error = locked.writeAt(note.at, tail.substr(0, half))) {
        return error;
    }
    if (const int error = atStage(ReplaceStage::HalfWritten)) {
        return error;
    }
    if (const int error = locked.writeAt(note.at + half, tail.substr(half))) {
        return error;
    }
    if (const int error = locked.flushFile()) {
        return error;
    }
    if (const int error = atStage(ReplaceStage::Rewritten)) {
        return error;
    }
    if (note.newLength < note.oldLength) {
        if (const int error = locked.setStep(step, '3')) {
            return error;
        }
        if (const int error = locked.setLength(note.newLength)) {
            return error;
        }
        if (const int error = locked.flushFile()) {
            return error;
        }
    }
    if (const int error = atStage(ReplaceStage::Cut)) {
        return error;
    }
    if (const int error = locked.setStep(step, '4')) {
        return error;
    }
    if (const int error = removeNote(locked)) {
        return error;
    }
    return atStage(ReplaceStage::NoteRemoved);
}

} // namespace

int changeInPlace(LockedFile &locked, std::string_view content, std::string_view replacement, bool &begun)
{
    return rewrite(locked, noteFor(locked.identity(), content, replacement), begun);
}

int recoverChange(LockedFile &locked)
{
    std::string bytes;
    bool found = false;
    if (const int error = locked.readNote(bytes, found); error || !found) {
        return error;
    }
    const std::optional<RecoveryNote> note = parseNote(bytes);
    if (!note) {
        // Torn or damaged: it is renamed into place whole, before the rewrite starts.
        return removeNote(locked);
    }
    if (note->file != locked.identity()) {
        return removeNote(locked); // another file took the name: the note is not this file's
    }
    std::string current;
    if (const int error = locked.readFile(current)) {
        return error;
    }
    const std::optional<std::uint64_t> length = stateLength(*note, current);
    if (!length) {
        // The file was replaced by a copy that knows no note; the history keeps the change.
        return removeNote(locked);
    }
    // The new content, then what was appended after the kill.
    std::string target = std::string(std::string_view(current).substr(0, size_t(note->at))) + note->tail;
    target.append(std::string_view(current).substr(size_t(*length)));
    if (target == current) {
        return removeNote(locked);
    }
    bool begun = false;
    return rewrite(locked, noteFor(note->file, current, target), begun);
}

} // namespace detail

} // namespace merivox
