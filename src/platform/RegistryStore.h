// The registry file on disk as one program sees it: read again whenever another program (or
// another registry object) changed it, and changed one step at a time under the writers' lock.
#pragma once

#include "platform/RegistryFile.h"
#include "platform/SettingsFile.h"

#include <functional>
#include <vector>

class RegistryStore
{
public:
    explicit RegistryStore(const AnsiString &path) : FilePath(path) {}

    const AnsiString &Path() const { return FilePath; }

    // The content as the file holds it now. A missing file is an empty store; a file that
    // cannot be parsed is moved aside (a warning on stderr) and the store is empty.
    const RegistryKey &Current();

    // Takes the lock, reads the file's latest content, applies the change and writes the result
    // atomically, so concurrent writers never lose each other's values. The change returns false
    // when it left the tree alone; nothing is written then. Raises ERegistryException when the
    // file cannot be locked, read or written; the file on disk is then unchanged.
    // Between BeginUpdate and EndUpdate the changes are applied to the content at once (reads see
    // them) and gathered; EndUpdate writes them in one step, under the lock, onto the file's latest
    // content. Pairs nest; only the outermost EndUpdate writes, and it raises as Modify does.
    using Change = std::function<bool(RegistryKey &)>;
    bool Modify(const Change &change);
    void BeginUpdate();
    void EndUpdate();
    bool HasPendingChanges() const { return !Pending.empty(); }

private:
    bool Commit(const std::vector<Change> &changes);
    enum class LoadResult { Ok, Unreadable };
    LoadResult Load(bool locked);
    LoadResult SetBroken(const AnsiString &error, bool locked);

    AnsiString FilePath;
    RegistryKey Tree;
    FileStamp Stamp;
    bool Loaded = false;
    int UpdateDepth = 0;
    std::vector<Change> Pending;   // gathered since BeginUpdate, not yet on disk
    AnsiString ReadError;          // why the file could not be read, when it could not
};
