#include "platform/RegistryFile.h"

#include "platform/SettingsFile.h"

#include <algorithm>
#include <cstdio>

namespace {

const AnsiString Crlf = "\r\n";
const AnsiString Header = "REGEDIT4";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool StartsWithText(const AnsiString &s, size_t pos, const AnsiString &prefix)
{
    return s.size() - pos >= prefix.size() && SameText(s.substr(pos, prefix.size()), prefix);
}

bool HasControlByte(const AnsiString &s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return (unsigned char)c < 0x20; });
}

AnsiString Quoted(const AnsiString &s)
{
    AnsiString r = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"')
            r += '\\';
        r += c;
    }
    return r + '"';
}

AnsiString HexList(const AnsiString &bytes)
{
    static const char Digits[] = "0123456789abcdef";
    AnsiString r;
    r.reserve(bytes.size() * 3);
    for (unsigned char c : bytes) {
        if (!r.empty())
            r += ',';
        r += Digits[c >> 4];
        r += Digits[c & 15];
    }
    return r;
}

AnsiString DataText(const RegistryValue &v)
{
    switch (v.Type) {
    case RegistryValue::Kind::Number: {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", unsigned(v.Number));
        return buffer;
    }
    case RegistryValue::Kind::Other:
        return v.Data;
    case RegistryValue::Kind::Text:
        break;
    }
    if (!HasControlByte(v.Data))
        return Quoted(v.Data);
    return "hex(1):" + HexList(v.Data + '\0');
}

void AppendKey(const RegistryKey &key, const AnsiString &path, bool isRoot, AnsiString &out)
{
    // Every key gets its block, so keys without values survive; a root only when it holds values.
    if (!isRoot || !key.Values.empty()) {
        out += "[" + path + "]" + Crlf;
        for (const RegistryValue &v : key.Values)
            out += (v.Name.empty() ? AnsiString("@") : Quoted(v.Name)) + "=" + DataText(v) + Crlf;
        out += Crlf;
    }
    for (const auto &entry : key.SubKeys)
        AppendKey(*entry.second, path + "\\" + entry.second->Name, false, out);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "61,62,00" (blanks allowed around the items; an empty list is no bytes).
bool ParseHexList(const AnsiString &text, AnsiString &bytes)
{
    bytes.clear();
    const AnsiString all = TrimBlanks(text);
    if (all.empty())
        return true;
    size_t pos = 0;
    for (;;) {
        const size_t comma = std::min(all.find(',', pos), all.size());
        const AnsiString item = TrimBlanks(all.substr(pos, comma - pos));
        if (item.size() != 2)
            return false;
        int byte = 0;
        for (char c : item) {
            const int d = HexDigit(c);
            if (d < 0)
                return false;
            byte = byte * 16 + d;
        }
        bytes += char(byte);
        if (comma == all.size())
            return true;
        pos = comma + 1;
    }
}

// A quoted text starting at pos; on success pos is just after the closing quote.
bool ParseQuoted(const AnsiString &line, size_t &pos, AnsiString &out)
{
    out.clear();
    ++pos;
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == '"')
            return true;
        if (c == '\\') {
            if (pos >= line.size() || (line[pos] != '\\' && line[pos] != '"'))
                return false;
            out += line[pos++];
        } else {
            out += c;
        }
    }
    return false;
}

bool OnlyBlanksFrom(const AnsiString &s, size_t pos)
{
    return std::all_of(s.begin() + std::ptrdiff_t(std::min(pos, s.size())), s.end(), IsBlank);
}

class Parser
{
public:
    explicit Parser(const AnsiString &text) { SplitLines(text); }

    bool Run(RegistryKey &top, AnsiString &error)
    {
        if (Lines.empty() || TrimBlanks(Lines[0]) != Header)
            return Fail(0, "the first line is not " + Header, error);
        RegistryKey *current = nullptr;
        for (Index = 1; Index < Lines.size(); ++Index) {
            const AnsiString line = TrimBlanks(Lines[Index]);
            if (line.empty() || line[0] == ';')
                continue;
            if (line[0] == '[') {
                current = ParseKeyLine(line, top);
                if (!current)
                    return Fail(Index, "bad key line", error);
            } else if (line[0] == '"' || line[0] == '@') {
                if (!current)
                    return Fail(Index, "a value before the first key", error);
                const size_t first = Index;
                if (!ParseValueLine(line, *current))
                    return Fail(first, "bad value line", error);
            } else {
                return Fail(Index, "unknown line", error);
            }
        }
        return true;
    }

private:
    void SplitLines(const AnsiString &text)
    {
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            if (end == AnsiString::npos)
                end = text.size();
            AnsiString line = text.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            Lines.push_back(std::move(line));
            pos = end + 1;
        }
    }

    static bool Fail(size_t index, const AnsiString &what, AnsiString &error)
    {
        error = "line " + IntToStr((long long)(index + 1)) + ": " + what;
        return false;
    }

    static RegistryKey *ParseKeyLine(const AnsiString &line, RegistryKey &top)
    {
        const size_t close = line.rfind(']');
        if (close == AnsiString::npos || close < 2 || !OnlyBlanksFrom(line, close + 1))
            return nullptr;
        const AnsiString path = line.substr(1, close - 1);
        if (!StartsWithText(path, 0, "HKEY_"))
            return nullptr;
        RegistryKey *key = &top;
        size_t pos = 0;
        for (;;) {
            const size_t sep = std::min(path.find('\\', pos), path.size());
            if (sep == pos)
                return nullptr;
            key = &key->SubKey(path.substr(pos, sep - pos));
            if (sep == path.size())
                return key;
            pos = sep + 1;
        }
    }

    bool ParseValueLine(const AnsiString &line, RegistryKey &key)
    {
        size_t pos = 0;
        AnsiString name;
        if (line[0] == '@')
            pos = 1;
        else if (!ParseQuoted(line, pos, name))
            return false;
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        if (pos >= line.size() || line[pos] != '=')
            return false;
        ++pos;
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;

        RegistryValue value;
        value.Name = name;
        if (pos < line.size() && line[pos] == '"') {
            if (!ParseQuoted(line, pos, value.Data) || !OnlyBlanksFrom(line, pos))
                return false;
        } else if (StartsWithText(line, pos, "dword:")) {
            const AnsiString digits = TrimBlanks(line.substr(pos + 6));
            if (digits.empty() || digits.size() > 8)
                return false;
            for (char c : digits) {
                if (HexDigit(c) < 0)
                    return false;
                value.Number = value.Number * 16 + uint32_t(HexDigit(c));
            }
            value.Type = RegistryValue::Kind::Number;
        } else if (StartsWithText(line, pos, "hex")) {
            if (!ParseHexValue(line.substr(pos), value))
                return false;
        } else {
            return false;
        }
        key.ValueNamed(name) = std::move(value);
        return true;
    }

    // hex(1): is a text; any other hex type is kept as it stands. Long lists may go on over
    // following lines, each line but the last ending in "\".
    bool ParseHexValue(const AnsiString &start, RegistryValue &value)
    {
        const size_t colon = start.find(':');
        if (colon == AnsiString::npos)
            return false;
        const AnsiString type = start.substr(0, colon + 1);
        if (!SameText(type, "hex:") && !(type.size() > 6 && SameText(type.substr(0, 4), "hex(")
                                         && type.substr(type.size() - 2) == "):"))
            return false;
        AnsiString list = TrimBlanks(start.substr(colon + 1));
        while (!list.empty() && list.back() == '\\') {
            list.pop_back();
            if (++Index >= Lines.size())
                return false;
            list += TrimBlanks(Lines[Index]);
        }
        AnsiString bytes;
        if (!ParseHexList(list, bytes))
            return false;
        if (SameText(type, "hex(1):")) {
            if (!bytes.empty() && bytes.back() == '\0')
                bytes.pop_back();
            value.Type = RegistryValue::Kind::Text;
            value.Data = bytes;
        } else {
            value.Type = RegistryValue::Kind::Other;
            value.Data = AnsiLowerCase(type) + HexList(bytes);
        }
        return true;
    }

    std::vector<AnsiString> Lines;
    size_t Index = 0;
};

} // namespace

RegistryValue *RegistryKey::FindValue(const AnsiString &name)
{
    const auto it = ValueIndex.find(AnsiUpperCase(name));
    return it == ValueIndex.end() ? nullptr : &Values[it->second];
}

const RegistryValue *RegistryKey::FindValue(const AnsiString &name) const
{
    return const_cast<RegistryKey *>(this)->FindValue(name);
}

RegistryValue &RegistryKey::ValueNamed(const AnsiString &name)
{
    const auto [it, added] = ValueIndex.emplace(AnsiUpperCase(name), Values.size());
    if (!added)
        return Values[it->second];
    Values.emplace_back();
    Values.back().Name = name;
    return Values.back();
}

bool RegistryKey::RemoveValue(const AnsiString &name)
{
    const auto it = ValueIndex.find(AnsiUpperCase(name));
    if (it == ValueIndex.end())
        return false;
    const size_t at = it->second;
    ValueIndex.erase(it);
    Values.erase(Values.begin() + std::ptrdiff_t(at));
    for (auto &entry : ValueIndex)
        if (entry.second > at)
            --entry.second;
    return true;
}

RegistryKey *RegistryKey::FindSubKey(const AnsiString &name)
{
    const auto it = SubKeys.find(AnsiUpperCase(name));
    return it == SubKeys.end() ? nullptr : it->second.get();
}

const RegistryKey *RegistryKey::FindSubKey(const AnsiString &name) const
{
    return const_cast<RegistryKey *>(this)->FindSubKey(name);
}

RegistryKey &RegistryKey::SubKey(const AnsiString &name)
{
    std::unique_ptr<RegistryKey> &slot = SubKeys[AnsiUpperCase(name)];
    if (!slot) {
        slot = std::make_unique<RegistryKey>();
        slot->Name = name;
    }
    return *slot;
}

bool RegistryKey::RemoveSubKey(const AnsiString &name)
{
    return SubKeys.erase(AnsiUpperCase(name)) > 0;
}

bool IsValidRegistryName(const AnsiString &name)
{
    return !HasControlByte(name);
}

bool ParseRegistryText(const AnsiString &text, RegistryKey &top, AnsiString &error)
{
    RegistryKey parsed;
    if (!Parser(text).Run(parsed, error))
        return false;
    top = std::move(parsed);
    return true;
}

AnsiString RegistryText(const RegistryKey &top)
{
    AnsiString out = Header + Crlf + Crlf;
    for (const auto &entry : top.SubKeys)
        AppendKey(*entry.second, entry.second->Name, true, out);
    return out;
}
