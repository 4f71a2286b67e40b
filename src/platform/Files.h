// Facts about file names and files that several windows ask for.
#pragma once

#include "platform/Text.h"

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
