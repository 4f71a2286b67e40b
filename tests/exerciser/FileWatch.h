// Which files of a folder tree were written: snapshots of their size, time of last change and
// inode (a file replaced through a temporary one gets a new inode), compared step by step.
#pragma once

#include "platform/Text.h"

#include <map>
#include <string>
#include <vector>

struct FileStamp
{
    long long Size = -1;
    long long ChangedNs = 0;
    unsigned long long Inode = 0;
    bool operator==(const FileStamp &) const = default;
};

// Full path -> stamp, files only.
using FileTree = std::map<std::string, FileStamp>;

// The files below the folder (a missing folder gives none).
FileTree ScanFiles(const AnsiString &folder);
// One file; Size -1 when it is not there.
FileStamp StampOf(const AnsiString &path);

struct FileChanges
{
    std::vector<std::string> Added, Removed, Changed;
    bool Empty() const { return Added.empty() && Removed.empty() && Changed.empty(); }
};
FileChanges Compare(const FileTree &before, const FileTree &after);

// The bytes of every file below a folder, or of the one file (none when it is not there). Places
// that a build may copy again compare by content, not by time.
using FileContents = std::map<std::string, std::string>;
FileContents ReadFiles(const AnsiString &place);
