// Facts about file names and files that several windows ask for.
#pragma once

#include "platform/Text.h"

#include <string_view>

// A regular file exists under the name (a folder does not count).
bool FileExists(const AnsiString &path);
// A file exists under the name and the name has a folder part: the test for a document that has
// been saved under a real name.
bool FileExistsWithFolder(const AnsiString &path);
// The folder of a file name, without the trailing "/" (the root stays "/").
AnsiString FolderOfFile(const AnsiString &path);
// A relative name taken against the current folder; an absolute one is kept byte for byte.
AnsiString AbsolutePath(const AnsiString &path);

// The whole file in one read of its size (a file that grows meanwhile is read to its end).
// False, with the system's reason, when it cannot be opened or read.
bool ReadFileBytes(const AnsiString &path, AnsiString &bytes, AnsiString &error);

// Outcome of writing a file's new content.
struct FileWriteResult
{
    bool Opened = false;      // the file could be opened (or created) for writing
    long long ToWrite = 0;
    long long Written = 0;    // bytes that reached the target: ToWrite after a whole write, else less
    AnsiString ErrorText;     // the system's reason, for logs
    bool Ok() const { return Opened && Written == ToWrite; }
};

// Writes the bytes as the file's whole new content. As a rule through a temporary file beside it
// that replaces it only once every byte is on disk (the mode is kept), so a failed write leaves
// the old file whole. In place where that cannot be or must not be: in a folder that refuses new
// files while the file itself may be written, and for a file with other names (hard links), which
// a replacement would part from them. A read-only file is not written (not opened).
FileWriteResult WriteFileSafely(const AnsiString &path, std::string_view bytes);
