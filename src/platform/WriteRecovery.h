// A file written in place has no old copy to fall back on: before its first old byte is
// overwritten, the new content goes, synced, into a record of the program's own, so that a write
// cut short (a crash, a kill, a power cut) can be completed at the next start.
#pragma once

#include "platform/Text.h"

#include <string_view>
#include <sys/stat.h>
#include <vector>

// The program's state folder, where the records live: $QUILLET_STATE_DIR, else
// $XDG_STATE_HOME/Quillet, else ~/.local/state/Quillet.
AnsiString StateFolder();

// The record of one in-place write, held (locked against the start of another copy) while the
// write runs. Dropped when the write is done or never began; kept for the next start when the
// write stopped half way.
class WriteRecord
{
public:
    WriteRecord() = default;
    ~WriteRecord();
    WriteRecord(const WriteRecord &) = delete;
    WriteRecord &operator=(const WriteRecord &) = delete;

    // Writes the document's path, its state before the write (old) and the new bytes, synced.
    // False, with the reason, when the record cannot be kept.
    bool Create(const AnsiString &path, const struct stat &old, std::string_view bytes, AnsiString &error);
    void Drop();
    // The write failed after it began: the record stays until the same file is written again in
    // this run, or until the next start completes it.
    void Keep();
    const AnsiString &FileName() const { return RecordFile; }

private:
    AnsiString Document;
    AnsiString RecordFile;
    int Handle = -1;
};

// What the start made of a record left behind.
struct InterruptedWrite
{
    enum class Outcome { Completed, LeftAlone, Failed };
    Outcome Result = Outcome::Completed;
    AnsiString Document;
    AnsiString TextKeptIn;   // where the text being saved now is, when it is not in the document
    AnsiString Reason;       // why it could not be completed (Failed)
};

// Goes through the records that no running write holds: each document still as the write left it
// gets the new bytes, in place; a document changed since is left alone and the text being saved is
// put in a file of its own in the state folder.
std::vector<InterruptedWrite> CompleteInterruptedWrites();

// The message that tells the user about one of them.
AnsiString InterruptedWriteMessage(const InterruptedWrite &write);

// The start-up step: completes what was cut short and tells the user about each file.
void CompleteInterruptedWritesAndTell();
