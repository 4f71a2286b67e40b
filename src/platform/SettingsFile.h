// Disk side of the settings files (registry store, INI files): change detection, the writers' lock,
// whole-file reads and atomic replacement.
#pragma once

#include "platform/Text.h"

#include <QLockFile>
#include <cstdint>

// What tells one version of a file from the next without reading it: a replacement through a
// temporary file changes the inode, an edit in place the size or the times.
struct FileStamp
{
    bool Exists = false;
    uint64_t Device = 0;
    uint64_t Inode = 0;
    int64_t Size = 0;
    int64_t ModifiedNs = 0;
    int64_t ChangedNs = 0;
    bool operator==(const FileStamp &) const = default;
};
FileStamp StampOfFile(const AnsiString &path);

enum class FileReadResult { Ok, Missing, Failed };
FileReadResult ReadWholeFile(const AnsiString &path, AnsiString &bytes, AnsiString &error);

// Creates missing folders, writes a temporary file beside the target and renames it over the
// target, so the old file stays whole when anything fails; where the folder refuses new files
// (or the file has other hard links) the file is written in place, once the room for the whole
// new content is reserved (a full disk leaves it as it was).
bool WriteFileAtomically(const AnsiString &path, const AnsiString &bytes, AnsiString &error);

// Whether the file could be written now, tried the way a write goes without changing it: its
// folder made, its lock taken, room for its content and some growth reserved. False, with the
// reason (the system's words where it has them), when not.
bool CanWriteSettingsFile(const AnsiString &path, AnsiString &reason);

// Renames a file that must not be overwritten to path.bad (path.bad1, path.bad2 ... when that
// exists, so no earlier copy is lost). Returns the new name, "" when the rename failed.
AnsiString MoveFileAside(const AnsiString &path);

// Serialises the writers of one file, also across processes: path.lock beside the file. A lock
// left behind by a crashed program is taken over (dead owner, or older than the stale time). In
// a folder that refuses new files, where no program can lock, a writable file counts as locked.
class SettingsFileLock
{
public:
    explicit SettingsFileLock(const AnsiString &path);
    ~SettingsFileLock();
    SettingsFileLock(const SettingsFileLock &) = delete;
    SettingsFileLock &operator=(const SettingsFileLock &) = delete;

    bool Locked() const { return IsLocked; }
    AnsiString Error() const { return ErrorText; }

private:
    QLockFile Lock;
    bool IsLocked = false;
    AnsiString ErrorText;
};

// Blanks and tabs off both ends (unlike Trim, control bytes such as 0x1D stay).
AnsiString TrimBlanks(const AnsiString &s);

void WarnOnStderr(const AnsiString &message);
// For a state that every later try meets again (a settings file that cannot be read or written):
// the log tells it once per run.
void WarnOnStderrOnce(const AnsiString &message);
