#pragma once

// Why an operation on the file failed, in the terms the operator's messages name: one list for
// appending, replacing and reading, and one table per platform from the system's error code to
// it (FileCause_posix.cpp for errno, FileCause_win32.cpp for GetLastError()). An operation refines
// the table's answer where it knows more, as a read that looks whether the folder exists; each
// message names the causes its operation ends with and gives the system's own text for the rest.
// No Qt here.

namespace merivox {

enum class FileCause {
    None,               // it went well
    Missing,            // no file of that name in an existing folder
    FolderMissing,      // the folder on the way to it does not exist
    AccessDenied,       // the file may not be read or written
    FolderAccessDenied, // the folder that holds it may not be looked into
    DiskFull,           // no room left on the disk
    SizeLimit,          // a write past the largest file the system allows
    IsFolder,           // a folder of that name
    NotRegular,         // a pipe, a device or a socket
    TooLarge,           // more than the caller takes
    InUse,              // another program or an append's lock holds the file; a replacement counts the file
                        // system that cannot replace it in one step as well
    Changed,            // the content is not the one the caller saw; nothing changed
    BadRange,           // the range lies outside the content the caller saw
    ForeignBackup,      // a .bak that cannot be read (a folder, no permission) stands in the way
    NoPermissions,      // the new file could not be given the old one's permissions
    Other,              // what the system says, in its own words
};

struct FileResult
{
    FileCause cause = FileCause::None;
    int systemError = 0; // errno, or GetLastError() on Windows
    bool ok() const { return cause == FileCause::None; }
};

namespace detail {

// The table: the cause that a system error code names by itself.
FileCause causeOf(int systemError);

inline FileResult failure(int systemError)
{
    return {causeOf(systemError), systemError};
}

inline FileResult failure(FileCause cause, int systemError = 0)
{
    return {cause, systemError};
}

} // namespace detail

} // namespace merivox
