#include "platform/TRegistry.h"

#include "platform/Exception.h"
#include "platform/RegistryStore.h"

#include <QDir>
#include <cstdlib>
#include <vector>

namespace {

using KeyPath = std::vector<AnsiString>;

AnsiString RootName(HKEY root)
{
    return root == HKEY_CLASSES_ROOT ? "HKEY_CLASSES_ROOT" : "HKEY_LOCAL_MACHINE";
}

// Appends the parts of a key path; empty parts (doubled or trailing "\") are skipped.
bool AppendKeyPath(const AnsiString &key, KeyPath &path)
{
    size_t pos = 0;
    while (pos <= key.size()) {
        const size_t sep = std::min(key.find('\\', pos), key.size());
        const AnsiString part = key.substr(pos, sep - pos);
        if (!IsValidRegistryName(part))
            return false;
        if (!part.empty())
            path.push_back(part);
        pos = sep + 1;
    }
    return true;
}

RegistryKey *FindKey(RegistryKey &top, HKEY root, const KeyPath &path)
{
    RegistryKey *key = top.FindSubKey(RootName(root));
    for (size_t i = 0; key && i < path.size(); ++i)
        key = key->FindSubKey(path[i]);
    return key;
}

const RegistryKey *FindKey(const RegistryKey &top, HKEY root, const KeyPath &path)
{
    static const RegistryKey EmptyRoot;
    if (path.empty() && !top.FindSubKey(RootName(root)))
        return &EmptyRoot;   // the roots always exist
    return FindKey(const_cast<RegistryKey &>(top), root, path);
}

RegistryKey &MakeKey(RegistryKey &top, HKEY root, const KeyPath &path)
{
    RegistryKey *key = &top.SubKey(RootName(root));
    for (const AnsiString &part : path)
        key = &key->SubKey(part);
    return *key;
}

bool SameData(const RegistryValue &a, const RegistryValue &b)
{
    if (a.Type != b.Type)
        return false;
    return a.Type == RegistryValue::Kind::Number ? a.Number == b.Number : a.Data == b.Data;
}

RegistryValue TextValue(const AnsiString &text)
{
    RegistryValue v;
    v.Data = text;
    return v;
}

RegistryValue NumberValue(uint32_t number)
{
    RegistryValue v;
    v.Type = RegistryValue::Kind::Number;
    v.Number = number;
    return v;
}

// A failure that a registry call could only answer with false, kept for the caller to tell.
AnsiString &LastWriteFailure()
{
    static AnsiString failure;
    return failure;
}

} // namespace

AnsiString LastRegistryWriteFailure() { return LastWriteFailure(); }

struct TRegistry::State
{
    explicit State(const AnsiString &file) : Store(file) {}

    RegistryStore Store;
    bool IsOpen = false;
    bool ReadOnly = false;
    HKEY OpenRoot = HKEY_LOCAL_MACHINE;
    KeyPath Path;   // below the root, in the letter case the file holds

    // Changing RootKey closes the current key.
    const KeyPath &Current(HKEY root)
    {
        if (IsOpen && OpenRoot != root)
            Close();
        return Path;
    }

    void Close()
    {
        IsOpen = false;
        ReadOnly = false;
        Path.clear();
    }

    // A path from "\" starts at the root, any other one at the current key.
    bool Resolve(HKEY root, const AnsiString &key, KeyPath &path)
    {
        path.clear();
        if (key.empty() || key[0] != '\\')
            path = Current(root);
        return AppendKeyPath(key, path);
    }

    const RegistryKey *Find(HKEY root, const KeyPath &path) { return FindKey(Store.Current(), root, path); }

    const RegistryKey *CurrentKey(HKEY root) { return Find(root, Current(root)); }

    bool Create(HKEY root, const KeyPath &path)
    {
        try {
            // Changes may be kept for a batch and applied again later: they hold copies, not references.
            Store.Modify([root, path](RegistryKey &top) {
                if (FindKey(top, root, path))
                    return false;
                MakeKey(top, root, path);
                return true;
            });
            return true;
        } catch (const ERegistryException &e) {
            LastWriteFailure() = e.Message();
            WarnOnStderrOnce(e.Message());
            return false;
        }
    }

    void Open(HKEY root, const KeyPath &path, bool readOnly)
    {
        IsOpen = true;
        ReadOnly = readOnly;
        OpenRoot = root;
        Path.clear();
        const RegistryKey *key = Store.Current().FindSubKey(RootName(root));
        for (const AnsiString &part : path) {
            key = key ? key->FindSubKey(part) : nullptr;
            Path.push_back(key ? key->Name : part);
        }
    }

    RegistryValue Read(HKEY root, const AnsiString &name, RegistryValue::Kind type)
    {
        const RegistryKey *key = CurrentKey(root);
        const RegistryValue *value = key ? key->FindValue(name) : nullptr;
        if (!value)
            throw ERegistryException("Failed to get data for '" + name + "'");
        if (value->Type != type)
            throw ERegistryException("Invalid data type for '" + name + "'");
        return *value;
    }

    void Write(HKEY root, const AnsiString &name, const RegistryValue &wanted)
    {
        const KeyPath &path = Current(root);
        if (!IsOpen || ReadOnly)
            throw ERegistryException("Failed to set data for '" + name + "': no key is open for writing");
        if (!IsValidRegistryName(name))
            throw ERegistryException("Failed to set data for '" + name + "': invalid value name");
        // Rewriting a stored value as it is costs no disk write.
        if (const RegistryKey *key = Find(root, path))
            if (const RegistryValue *old = key->FindValue(name); old && SameData(*old, wanted))
                return;
        try {
            Store.Modify([root, path = KeyPath(path), name, wanted](RegistryKey &top) {
                RegistryKey &key = MakeKey(top, root, path);
                RegistryValue *value = key.FindValue(name);
                if (value && SameData(*value, wanted))
                    return false;
                const AnsiString firstName = value ? value->Name : name;
                value = &key.ValueNamed(name);
                *value = wanted;
                value->Name = firstName;
                return true;
            });
        } catch (const ERegistryException &e) {
            throw ERegistryException("Failed to set data for '" + name + "': " + e.Message());
        }
    }
};

TRegistry::TRegistry() : d(new State(RegistryFilePath())) {}

TRegistry::~TRegistry()
{
    // A batch left open (an exception on the way) still reaches the disk.
    if (d->Store.HasPendingChanges()) {
        try {
            d->Store.EndUpdate();
        } catch (const ERegistryException &e) {
            LastWriteFailure() = e.Message();
            WarnOnStderrOnce(e.Message());
        }
    }
    delete d;
}

void TRegistry::BeginUpdate()
{
    d->Store.BeginUpdate();
}

void TRegistry::EndUpdate()
{
    d->Store.EndUpdate();
}

bool TRegistry::OpenKey(const AnsiString &key, bool canCreate)
{
    KeyPath path;
    if (!d->Resolve(RootKey, key, path))
        return false;
    if (!d->Find(RootKey, path) && (!canCreate || !d->Create(RootKey, path)))
        return false;
    d->Open(RootKey, path, false);
    return true;
}

bool TRegistry::OpenKeyReadOnly(const AnsiString &key)
{
    KeyPath path;
    if (!d->Resolve(RootKey, key, path) || !d->Find(RootKey, path))
        return false;
    d->Open(RootKey, path, true);
    return true;
}

bool TRegistry::CreateKey(const AnsiString &key)
{
    KeyPath path;
    if (!d->Resolve(RootKey, key, path))
        return false;
    return d->Find(RootKey, path) || d->Create(RootKey, path);
}

bool TRegistry::KeyExists(const AnsiString &key)
{
    KeyPath path;
    return d->Resolve(RootKey, key, path) && d->Find(RootKey, path);
}

bool TRegistry::DeleteKey(const AnsiString &key)
{
    KeyPath path;
    if (!d->Resolve(RootKey, key, path) || path.empty() || !d->Find(RootKey, path))
        return false;
    const HKEY root = RootKey;
    return d->Store.Modify([root, path](RegistryKey &top) {
        const KeyPath parentPath(path.begin(), path.end() - 1);
        RegistryKey *parent = FindKey(top, root, parentPath);
        return parent && parent->RemoveSubKey(path.back());
    });
}

void TRegistry::CloseKey()
{
    d->Close();
}

AnsiString TRegistry::CurrentPath() const
{
    const KeyPath &path = d->Current(RootKey);
    if (!d->IsOpen)
        return "";
    AnsiString result;
    for (const AnsiString &part : path)
        result += "\\" + part;
    return result.empty() ? "\\" : result;
}

bool TRegistry::ValueExists(const AnsiString &name)
{
    const RegistryKey *key = d->CurrentKey(RootKey);
    return key && key->FindValue(name);
}

AnsiString TRegistry::ReadString(const AnsiString &name)
{
    return d->Read(RootKey, name, RegistryValue::Kind::Text).Data;
}

int TRegistry::ReadInteger(const AnsiString &name)
{
    return int(d->Read(RootKey, name, RegistryValue::Kind::Number).Number);
}

bool TRegistry::ReadBool(const AnsiString &name)
{
    return ReadInteger(name) != 0;
}

void TRegistry::WriteString(const AnsiString &name, const AnsiString &value)
{
    d->Write(RootKey, name, TextValue(value));
}

void TRegistry::WriteInteger(const AnsiString &name, int value)
{
    d->Write(RootKey, name, NumberValue(uint32_t(value)));
}

void TRegistry::WriteBool(const AnsiString &name, bool value)
{
    d->Write(RootKey, name, NumberValue(value ? 1 : 0));
}

bool TRegistry::DeleteValue(const AnsiString &name)
{
    const KeyPath path = d->Current(RootKey);
    if (!d->IsOpen || d->ReadOnly || !ValueExists(name))
        return false;
    const HKEY root = RootKey;
    return d->Store.Modify([root, path, name](RegistryKey &top) {
        RegistryKey *key = FindKey(top, root, path);
        return key && key->RemoveValue(name);
    });
}

void TRegistry::GetKeyNames(TStringList &names)
{
    names.Clear();
    if (const RegistryKey *key = d->CurrentKey(RootKey))
        for (const auto &entry : key->SubKeys)
            names.Add(entry.second->Name);
}

void TRegistry::GetValueNames(TStringList &names)
{
    names.Clear();
    if (const RegistryKey *key = d->CurrentKey(RootKey))
        for (const RegistryValue &value : key->Values)
            names.Add(value.Name);
}

std::optional<int> ReadIntegerIfValid(TRegistry &reg, const AnsiString &name)
{
    if (!reg.ValueExists(name))
        return std::nullopt;
    try {
        return reg.ReadInteger(name);
    } catch (const ERegistryException &) {
        return std::nullopt;
    }
}

int ReadIntegerOr(TRegistry &reg, const AnsiString &name, int fallback)
{
    return ReadIntegerIfValid(reg, name).value_or(fallback);
}

bool ReadBoolOr(TRegistry &reg, const AnsiString &name, bool fallback)
{
    const std::optional<int> value = ReadIntegerIfValid(reg, name);
    return value ? *value != 0 : fallback;
}

AnsiString ReadStringOr(TRegistry &reg, const AnsiString &name, const AnsiString &fallback)
{
    if (!reg.ValueExists(name))
        return fallback;
    try {
        return reg.ReadString(name);
    } catch (const ERegistryException &) {
        return fallback;
    }
}

AnsiString RegistryFilePath()
{
    const char *own = std::getenv("QUILLET_REGISTRY");
    if (own && *own)
        return own;
    // A relative XDG_CONFIG_HOME is ignored, as the XDG base-directory rules say.
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return AnsiString(config) + "/Quillet/registry.reg";
    const char *home = std::getenv("HOME");
    const AnsiString base = home && *home ? AnsiString(home) : FromQPath(QDir::homePath());
    return base + "/.config/Quillet/registry.reg";
}
