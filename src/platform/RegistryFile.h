// The registry's content and its text form, the registry export format:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Pellanor]
//   @="default value"
//   "Name"="text with \\ and \" escaped"
//   "Count"=dword:0000000a
//   "Lines"=hex(1):61,0d,0a,62,00
//
// A text holding a byte below 0x20 is written as hex(1): its bytes and a final 00, so CR LF and
// the in-cell line break survive; bytes 0x80-0xFF stand raw (the file is Latin-1). Other hex types
// found in a file are kept unchanged. The top of the tree holds the root keys by name.
#pragma once

#include "platform/Text.h"

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

struct RegistryValue
{
    enum class Kind { Text, Number, Other };
    AnsiString Name;   // "" is the key's default value
    Kind Type = Kind::Text;
    AnsiString Data;   // Text: the bytes; Other: the file's data after "=", e.g. "hex(2):41,00"
    uint32_t Number = 0;
};

struct RegistryKey
{
    AnsiString Name;   // letter case of the first writer
    std::vector<RegistryValue> Values;   // in file order; changed only through the functions below
    std::map<AnsiString, std::unique_ptr<RegistryKey>> SubKeys;   // by upper-case name

    RegistryValue *FindValue(const AnsiString &name);
    const RegistryValue *FindValue(const AnsiString &name) const;
    // The value of that name, appended when missing.
    RegistryValue &ValueNamed(const AnsiString &name);
    bool RemoveValue(const AnsiString &name);

    RegistryKey *FindSubKey(const AnsiString &name);
    const RegistryKey *FindSubKey(const AnsiString &name) const;
    // The subkey of that name, made when missing.
    RegistryKey &SubKey(const AnsiString &name);
    bool RemoveSubKey(const AnsiString &name);

private:
    // Upper-case value name to its place in Values: a key with thousands of values (the column
    // widths of a wide table) is read and written in linear time.
    std::unordered_map<AnsiString, size_t> ValueIndex;
};

// Key and value names hold no byte below 0x20 (they stand on one line of the file).
bool IsValidRegistryName(const AnsiString &name);

// False (and the tree untouched) when the text is not a registry file; error tells the line.
bool ParseRegistryText(const AnsiString &text, RegistryKey &top, AnsiString &error);
AnsiString RegistryText(const RegistryKey &top);
