// The marker of a running copy: a lock file held with flock() for the life of the process. The
// kernel drops the lock when the process ends in any way, so a crashed copy never makes later
// starts believe that a copy is still running.
#pragma once

#include "platform/Text.h"

// The folder for the lock and the channel: $XDG_RUNTIME_DIR when it names a folder, else /tmp.
AnsiString InstanceRuntimeDir();
// The name shared by the lock file and the channel between copies, made from the given name, the
// user id and the settings file, so that a test with its own settings file never meets a real copy.
AnsiString InstanceKey(const AnsiString &name, const AnsiString &settingsPath);
AnsiString InstanceLockFilePath(const AnsiString &name, const AnsiString &settingsPath);

class TNamedSemaphore
{
public:
    // Takes the lock when nobody holds it. When the lock file cannot be used at all (no folder,
    // another user's file) the copy counts as the first one: a broken marker must not stop it.
    TNamedSemaphore(const AnsiString &name, const AnsiString &settingsPath);
    ~TNamedSemaphore();
    TNamedSemaphore(const TNamedSemaphore &) = delete;
    TNamedSemaphore &operator=(const TNamedSemaphore &) = delete;

    // True when another holder (another process, or another object in this one) has the lock.
    bool AlreadyExisted() const { return FAlreadyExisted; }
    // True while this object holds the lock.
    bool Held() const { return FFd >= 0; }
    const AnsiString &Name() const { return FName; }
    const AnsiString &SettingsPath() const { return FSettingsPath; }

private:
    AnsiString FName;
    AnsiString FSettingsPath;
    int FFd = -1;
    bool FAlreadyExisted = false;
};
