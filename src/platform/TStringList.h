// The class library's string list: 8-bit items, optional case-insensitive sorting, name=value access.
#pragma once

#include "platform/Text.h"
#include <vector>

enum TDuplicates { dupAccept, dupIgnore, dupError };

class TStringList
{
public:
    TStringList() = default;

    int Count() const { return int(Items.size()); }
    const AnsiString &operator[](int i) const { return Items.at(size_t(i)); }
    const AnsiString &Strings(int i) const { return Items.at(size_t(i)); }
    void SetString(int i, const AnsiString &s);   // a sorted list re-sorts the item

    int Add(const AnsiString &s);                 // index of the item; -1 when a duplicate is ignored
    void Insert(int index, const AnsiString &s);  // plain position; not allowed on a sorted list
    void Delete(int index);
    void Clear() { Items.clear(); }
    void AddStrings(const TStringList &other);
    void Assign(const TStringList &other);
    void Exchange(int a, int b);
    void Move(int from, int to);

    int IndexOf(const AnsiString &s) const;
    // Binary search of a sorted list: true when found; index = position found or to insert at.
    bool Find(const AnsiString &s, int &index) const;

    // Every item followed by CR LF.
    AnsiString Text() const;
    // Split at CR LF, LF or a lone CR; a final line break adds no empty item.
    void SetText(const AnsiString &text);
    // Items joined by the delimiter, no trailing one.
    AnsiString Join(const AnsiString &delimiter) const;

    // Name = text before the first "=" (compared as the list compares).
    AnsiString Names(int index) const;
    AnsiString ValueFromIndex(int index) const;
    int IndexOfName(const AnsiString &name) const;
    AnsiString Values(const AnsiString &name) const;
    // An empty value deletes the item; a missing name is appended.
    void SetValue(const AnsiString &name, const AnsiString &value);

    bool Sorted() const { return IsSorted; }
    void SetSorted(bool sorted);
    void Sort();
    TDuplicates Duplicates = dupAccept;
    bool CaseSensitive() const { return IsCaseSensitive; }
    void SetCaseSensitive(bool on);

    // Raise EFOpenError / EFCreateError when the file cannot be read / written whole.
    void LoadFromFile(const AnsiString &path);
    void SaveToFile(const AnsiString &path) const;

    std::vector<AnsiString>::const_iterator begin() const { return Items.begin(); }
    std::vector<AnsiString>::const_iterator end() const { return Items.end(); }

private:
    int Compare(const AnsiString &a, const AnsiString &b) const;

    std::vector<AnsiString> Items;
    bool IsSorted = false;
    bool IsCaseSensitive = false;
};
