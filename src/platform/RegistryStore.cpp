#include "platform/RegistryStore.h"

#include "platform/Exception.h"

#include <QDir>

const RegistryKey &RegistryStore::Current()
{
    if (!Loaded || StampOfFile(FilePath) != Stamp) {
        Load(false);
        for (const Change &change : Pending)
            change(Tree);
    }
    return Tree;
}

bool RegistryStore::Modify(const Change &change)
{
    if (UpdateDepth == 0)
        return Commit({change});
    Current();
    Pending.push_back(change);
    return change(Tree);
}

void RegistryStore::BeginUpdate()
{
    ++UpdateDepth;
}

void RegistryStore::EndUpdate()
{
    if (UpdateDepth == 0 || --UpdateDepth > 0 || Pending.empty())
        return;
    const std::vector<Change> changes = std::move(Pending);
    Pending.clear();
    try {
        Commit(changes);
    } catch (...) {
        Loaded = false;   // the tree holds the batch's changes, the file does not
        throw;
    }
}

bool RegistryStore::Commit(const std::vector<Change> &changes)
{
    // The lock file lives beside the registry file, so its folder must exist first.
    AnsiString error;
    const AnsiString folder = ExtractFilePath(FilePath);
    if (!folder.empty() && !QDir().mkpath(ToQPath(folder)))
        throw ERegistryException("Cannot create the folder \"" + folder + "\" of the registry file");
    SettingsFileLock lock(FilePath);
    if (!lock.Locked())
        throw ERegistryException("Cannot lock the registry file \"" + FilePath + "\": " + lock.Error());
    // Always read again under the lock: the stamp cannot tell two writes within one clock tick apart.
    if (Load(true) == LoadResult::Unreadable)
        throw ERegistryException("Cannot read the registry file \"" + FilePath + "\" (" + ReadError +
                                 "); it is left unchanged");
    bool changed = false;
    for (const Change &change : changes)
        changed = change(Tree) || changed;
    if (!changed)
        return false;
    if (!WriteFileAtomically(FilePath, RegistryText(Tree), error)) {
        Loaded = false;   // the tree holds a change the file lacks
        throw ERegistryException("Cannot write the registry file \"" + FilePath + "\": " + error);
    }
    // Still under the lock, so this stamp belongs to exactly what was written.
    Stamp = StampOfFile(FilePath);
    return true;
}

RegistryStore::LoadResult RegistryStore::Load(bool locked)
{
    const FileStamp stamp = StampOfFile(FilePath);
    AnsiString bytes, error;
    const FileReadResult read = ReadWholeFile(FilePath, bytes, error);
    Loaded = true;
    Stamp = stamp;
    if (read == FileReadResult::Failed) {
        ReadError = error;
        WarnOnStderrOnce("cannot read the settings file \"" + FilePath + "\" (" + error
                     + "); going on with default settings.");
        Tree = RegistryKey();
        return LoadResult::Unreadable;
    }
    RegistryKey parsed;
    if (read == FileReadResult::Missing || bytes.empty() || ParseRegistryText(bytes, parsed, error)) {
        Tree = std::move(parsed);
        return LoadResult::Ok;
    }
    return SetBroken(error, locked);
}

// Only a holder of the lock may move the file aside, and only after reading it again: meanwhile
// another program may have replaced the broken file by a good one.
RegistryStore::LoadResult RegistryStore::SetBroken(const AnsiString &error, bool locked)
{
    if (!locked) {
        SettingsFileLock lock(FilePath);
        if (lock.Locked())
            return Load(true);
    }
    Tree = RegistryKey();
    const AnsiString aside = locked ? MoveFileAside(FilePath) : AnsiString();
    if (aside.empty()) {
        ReadError = error;
        WarnOnStderrOnce("the settings file \"" + FilePath + "\" cannot be read (" + error
                     + ") nor moved aside; going on with default settings and leaving it unchanged.");
        return LoadResult::Unreadable;
    }
    WarnOnStderr("the settings file \"" + FilePath + "\" cannot be read (" + error + "); it was moved to \""
                 + aside + "\" and the program goes on with default settings.");
    Stamp = StampOfFile(FilePath);
    return LoadResult::Ok;
}
