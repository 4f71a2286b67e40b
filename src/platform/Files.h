// Facts about file names and files that several windows ask for.
#pragma once

#include "platform/Text.h"

#include <functional>
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
// False, with the system's reason, when it cannot be opened or read, and with
// FileBeyondMemoryReason() when its bytes cannot be held.
bool ReadFileBytes(const AnsiString &path, AnsiString &bytes, AnsiString &error);

// The reason a file is not read when its bytes do not fit in memory.
AnsiString FileBeyondMemoryReason();

// Outcome of writing a file's new content.
struct FileWriteResult
{
    bool Opened = false;      // the file could be opened (or created) for writing
    long long ToWrite = 0;
    long long Written = 0;    // bytes written before the write stopped: ToWrite after a whole write
    AnsiString ErrorText;     // the system's reason; empty exactly when the write succeeded
    bool Ok() const { return Opened && Written == ToWrite && ErrorText.empty(); }
};

// Writes the bytes as the file's whole new content. As a rule through a temporary file beside it
// that replaces it only once every byte is on disk (given the old file's owner, group, mode and
// extended attributes), so a failed write leaves the old file whole. In place where that cannot be
// or must not be: in a folder that refuses new files while the file itself may be written, for a
// file with other names (hard links), which a replacement would part from them, and where the
// temporary file may not be given the old one's owner or attributes. In place, the new content is
// first kept in a record (see WriteFileInPlace), and the whole new length is reserved on the disk
// before the first old byte is overwritten; when that fails the file is left as it was. A
// read-only file is not written (not opened).
FileWriteResult WriteFileSafely(const AnsiString &path, std::string_view bytes);

// A file's new content made while it is written: the producer hands its bytes, in order, to the
// sink, in pieces of any size. So a big content need not lie whole in memory first.
using FileContentSink = std::function<void(std::string_view piece)>;
using FileContentProducer = std::function<void(const FileContentSink &sink)>;
// WriteFileSafely with the content made while it is written. The producer runs once and whole
// however the write goes (so whatever it reports happens as for bytes at hand); after a failure
// its bytes are only counted. In place, its bytes are first gathered whole.
FileWriteResult WriteFileSafely(const AnsiString &path, const FileContentProducer &content);

// The in-place write of WriteFileSafely on an existing file. The new content is first kept, synced,
// in a record in the state folder (see WriteRecovery.h), so a write cut short is completed at the
// next start; a record that cannot be kept stops the write before the file is touched.
FileWriteResult WriteFileInPlace(const AnsiString &path, std::string_view bytes);

// Whether a write of about this many bytes could go through now, tried the way a write would go
// (a temporary file beside the file, else the file itself in place) without changing the file:
// the room is reserved and given back. False, with the system's reason, when not.
bool CanWriteFile(const AnsiString &path, long long size, AnsiString &reason);

// The program's message followed by the system's reason on a line of its own (nothing added when
// the reason is empty).
AnsiString WithReason(const AnsiString &message, const AnsiString &reason);

// For tests: a fault at one step of a file write. The hook is asked before each step with the
// byte range concerned; a non-zero answer is the error number (errno) the step then fails with,
// as if the system had refused it, and a write whose length it lowers is a short write (so a
// disk with little room can be played). An empty hook (the default) injects nothing.
// Recovery is the record of the new content that an in-place write keeps first.
enum class FileWriteStep { Recovery, Reserve, Write, Sync };
using FileWriteFault = std::function<int(FileWriteStep step, long long offset, long long &length)>;
void SetFileWriteFault(FileWriteFault fault);
// What the hook answers for this step (0 without one), for the writers beside this file.
int InjectedFileWriteError(FileWriteStep step, long long offset, long long &length);
