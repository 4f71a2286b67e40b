// The registry file on disk as one program sees it: read again whenever another program (or
// another registry object) changed it, and changed one step at a time under the writers' lock.
#pragma once

#include "platform/RegistryFile.h"
#include "platform/SettingsFile.h"

#include <functional>

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
    bool Modify(const std::function<bool(RegistryKey &)> &change);

private:
    enum class LoadResult { Ok, Unreadable };
    LoadResult Load(bool locked);
    LoadResult SetBroken(const AnsiString &error, bool locked);

    AnsiString FilePath;
    RegistryKey Tree;
    FileStamp Stamp;
    bool Loaded = false;
};
