#include "platform/TStringList.h"
#include "platform/Exception.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>

int TStringList::Compare(const AnsiString &a, const AnsiString &b) const
{
    if (IsCaseSensitive) return a.compare(b);
    return AnsiCompareText(a, b);
}

bool TStringList::Find(const AnsiString &s, int &index) const
{
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = Compare(Items[size_t(mid)], s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) found = true;   // keep going left: the first of equal items
        }
    }
    index = lo;
    return found;
}

int TStringList::Add(const AnsiString &s)
{
    if (!IsSorted) {
        Items.push_back(s);
        return Count() - 1;
    }
    int index = 0;
    if (Find(s, index)) {
        if (Duplicates == dupIgnore) return -1;
        if (Duplicates == dupError) throw EListError("String list does not allow duplicates");
    }
    Items.insert(Items.begin() + index, s);
    return index;
}

void TStringList::Insert(int index, const AnsiString &s)
{
    if (IsSorted) throw EListError("Operation not allowed on sorted list");
    if (index < 0 || index > Count()) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    Items.insert(Items.begin() + index, s);
}

void TStringList::SetString(int i, const AnsiString &s)
{
    if (i < 0 || i >= Count()) throw EListError("List index out of bounds (" + IntToStr(i) + ")");
    if (IsSorted) {
        Items.erase(Items.begin() + i);
        Add(s);
    } else {
        Items[size_t(i)] = s;
    }
}

void TStringList::Delete(int index)
{
    if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    Items.erase(Items.begin() + index);
}

void TStringList::AddStrings(const TStringList &other)
{
    for (const AnsiString &s : other.Items) Add(s);
}

void TStringList::Assign(const TStringList &other)
{
    Items = other.Items;
    IsSorted = other.IsSorted;
    IsCaseSensitive = other.IsCaseSensitive;
    Duplicates = other.Duplicates;
}

void TStringList::Exchange(int a, int b)
{
    if (a < 0 || a >= Count() || b < 0 || b >= Count()) throw EListError("List index out of bounds");
    std::swap(Items[size_t(a)], Items[size_t(b)]);
}

void TStringList::Move(int from, int to)
{
    if (from == to) return;
    const AnsiString s = Items.at(size_t(from));
    Items.erase(Items.begin() + from);
    if (to < 0 || to > Count()) throw EListError("List index out of bounds");
    Items.insert(Items.begin() + to, s);
}

int TStringList::IndexOf(const AnsiString &s) const
{
    if (IsSorted) {
        int index = 0;
        return Find(s, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (Compare(Items[size_t(i)], s) == 0) return i;
    return -1;
}

AnsiString TStringList::Text() const
{
    size_t total = 0;
    for (const AnsiString &s : Items) total += s.size() + 2;
    AnsiString r;
    r.reserve(total);
    for (const AnsiString &s : Items) {
        r += s;
        r += "\r\n";
    }
    return r;
}

void TStringList::SetText(const AnsiString &text)
{
    Items.clear();
    size_t start = 0;
    const size_t n = text.size();
    while (start < n) {
        size_t end = start;
        while (end < n && text[end] != '\r' && text[end] != '\n') ++end;
        AnsiString line = text.substr(start, end - start);
        if (IsSorted) Add(line); else Items.push_back(std::move(line));
        if (end < n && text[end] == '\r' && end + 1 < n && text[end + 1] == '\n') end += 2;
        else if (end < n) ++end;
        start = end;
    }
}

AnsiString TStringList::Join(const AnsiString &delimiter) const
{
    AnsiString r;
    for (int i = 0; i < Count(); ++i) {
        if (i > 0) r += delimiter;
        r += Items[size_t(i)];
    }
    return r;
}

AnsiString TStringList::Names(int index) const
{
    const AnsiString &s = Items.at(size_t(index));
    const size_t eq = s.find('=');
    return eq == AnsiString::npos ? AnsiString() : s.substr(0, eq);
}

AnsiString TStringList::ValueFromIndex(int index) const
{
    const AnsiString &s = Items.at(size_t(index));
    const size_t eq = s.find('=');
    return eq == AnsiString::npos ? AnsiString() : s.substr(eq + 1);
}

int TStringList::IndexOfName(const AnsiString &name) const
{
    for (int i = 0; i < Count(); ++i) {
        const AnsiString &s = Items[size_t(i)];
        const size_t eq = s.find('=');
        if (eq != AnsiString::npos && eq == name.size() && Compare(s.substr(0, eq), name) == 0) return i;
    }
    return -1;
}

AnsiString TStringList::Values(const AnsiString &name) const
{
    const int i = IndexOfName(name);
    return i < 0 ? AnsiString() : ValueFromIndex(i);
}

void TStringList::SetValue(const AnsiString &name, const AnsiString &value)
{
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    if (i < 0) Add(name + "=" + value);
    else SetString(i, name + "=" + value);
}

void TStringList::Sort()
{
    std::stable_sort(Items.begin(), Items.end(),
                     [this](const AnsiString &a, const AnsiString &b) { return Compare(a, b) < 0; });
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted && !IsSorted) {
        IsSorted = true;
        Sort();
    }
    IsSorted = sorted;
}

void TStringList::SetCaseSensitive(bool on)
{
    if (on == IsCaseSensitive) return;
    IsCaseSensitive = on;
    if (IsSorted) Sort();
}

void TStringList::LoadFromFile(const AnsiString &path)
{
    QFile f(ToQPath(path));
    if (!f.open(QIODevice::ReadOnly))
        throw EFOpenError("Cannot open file \"" + PathInMessage(path) + "\". " + FromQ(f.errorString()));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw EFOpenError("Cannot read file \"" + PathInMessage(path) + "\". " + FromQ(f.errorString()));
    SetText(AnsiString(bytes.constData(), size_t(bytes.size())));
}

void TStringList::SaveToFile(const AnsiString &path) const
{
    QSaveFile f(ToQPath(path));
    if (!f.open(QIODevice::WriteOnly))
        throw EFCreateError("Cannot create file \"" + PathInMessage(path) + "\". " + FromQ(f.errorString()));
    const AnsiString text = Text();
    if (f.write(text.data(), qint64(text.size())) != qint64(text.size()) || !f.commit())
        throw EFCreateError("Cannot write file \"" + PathInMessage(path) + "\". " + FromQ(f.errorString()));
}
