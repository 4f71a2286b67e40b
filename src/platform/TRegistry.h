// The Windows registry, kept in one text file in the registry export format (see registry file store).
// Key paths use "\" as in the registry; a path that begins with "\" is taken from the root key,
// any other path from the current key. Key and value names compare without regard to letter case.
#pragma once

#include "platform/Text.h"
#include "platform/TStringList.h"

#include <optional>

enum class HKEY { HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT };
constexpr HKEY HKEY_LOCAL_MACHINE = HKEY::HKEY_LOCAL_MACHINE;
constexpr HKEY HKEY_CLASSES_ROOT = HKEY::HKEY_CLASSES_ROOT;

class TRegistry
{
public:
    TRegistry();
    ~TRegistry();
    TRegistry(const TRegistry &) = delete;
    TRegistry &operator=(const TRegistry &) = delete;

    HKEY RootKey = HKEY_LOCAL_MACHINE;

    // True when the key is now the current key. canCreate makes missing keys on the way.
    bool OpenKey(const AnsiString &key, bool canCreate);
    bool OpenKeyReadOnly(const AnsiString &key);
    bool CreateKey(const AnsiString &key);
    bool KeyExists(const AnsiString &key);
    bool DeleteKey(const AnsiString &key);   // with everything below it
    void CloseKey();
    AnsiString CurrentPath() const;          // without the root, e.g. "\SOFTWARE\Pellanor\Quillet"

    bool ValueExists(const AnsiString &name);
    // "" names the key's default value (@= in the file).
    // Reading a missing value or one of another type raises ERegistryException.
    AnsiString ReadString(const AnsiString &name);
    int ReadInteger(const AnsiString &name);
    bool ReadBool(const AnsiString &name);
    // Writes go to disk at once, atomically; they raise ERegistryException when no key is open
    // (or it was opened read-only) or the file cannot be written.
    void WriteString(const AnsiString &name, const AnsiString &value);
    void WriteInteger(const AnsiString &name, int value);
    void WriteBool(const AnsiString &name, bool value);
    bool DeleteValue(const AnsiString &name);
    void GetKeyNames(TStringList &names);
    void GetValueNames(TStringList &names);

    // Between these, writes and deletions are gathered and go to disk in one atomic write at
    // EndUpdate, onto the file's latest content (other writers' values made meanwhile stay); reads
    // see them at once. Pairs nest. EndUpdate raises ERegistryException when the file cannot be
    // written; the file is then unchanged. A batch still open when the object goes is written then.
    void BeginUpdate();
    void EndUpdate();

private:
    struct State;
    State *d;
};

// Reads that give the fallback when the value is missing or holds another type, so a hand-edited
// settings file cannot stop the program; the key must be open.
std::optional<int> ReadIntegerIfValid(TRegistry &reg, const AnsiString &name);
int ReadIntegerOr(TRegistry &reg, const AnsiString &name, int fallback);
bool ReadBoolOr(TRegistry &reg, const AnsiString &name, bool fallback);
AnsiString ReadStringOr(TRegistry &reg, const AnsiString &name, const AnsiString &fallback);

// Why the last key that had to be made (OpenKey with canCreate, CreateKey) or the last batch
// written as its registry object went could not be written; "" when none failed.
AnsiString LastRegistryWriteFailure();

// The settings file in use: $QUILLET_REGISTRY, else $XDG_CONFIG_HOME/Quillet/registry.reg
// (~/.config/Quillet/registry.reg).
AnsiString RegistryFilePath();
