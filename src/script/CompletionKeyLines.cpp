#include "script/CompletionKeyLines.h"

#include "synedit/SynMemo.h"

#include <algorithm>

TKeyLineCache::TKeyLineCache(TSynMemo *memo, const TSclIndex &table) : QObject(memo), Memo(memo), Table(&table)
{
    Sets[0].Length = 4;
    Sets[1].Length = 2;
    connect(memo, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char *, int, int linesAdded) { Modified(position, type, linesAdded); });
    // A text loaded whole tells of no single change: the list is built again at the next request.
    connect(memo, &TSynMemo::OnTextLoaded, this, [this] { Built = false; });
}

TKeyLineCache *TKeyLineCache::Of(TSynMemo *memo, const TSclIndex &table)
{
    for (TKeyLineCache *cache : memo->findChildren<TKeyLineCache *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (cache->Table == &table) return cache;
        delete cache;   // made for a table that is gone
    }
    return new TKeyLineCache(memo, table);
}

TKeyLineCache::KeyLines *TKeyLineCache::Find(size_t length)
{
    for (KeyLines &set : Sets)
        if (set.Length == length) return &set;
    return nullptr;
}

bool TKeyLineCache::YieldsKey(int line, size_t length) const
{
    const long start = Memo->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, (unsigned long)line);
    const long end = Memo->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, (unsigned long)line);
    if (end <= start) return false;
    const auto *text = reinterpret_cast<const char *>(
        Memo->SendScintilla(QsciScintillaBase::SCI_GETRANGEPOINTER, (unsigned long)start, end - start));
    return text && Table->IsName(KeyWordOf(std::string_view(text, size_t(end - start)), length));
}

void TKeyLineCache::Build()
{
    for (KeyLines &set : Sets) set.Lines.clear();
    const long length = Memo->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    const auto *text = reinterpret_cast<const char *>(Memo->SendScintilla(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    if (text) {
        // Lines end at CR LF, LF or a lone CR, as the component counts them.
        int line = 0;
        long start = 0;
        for (long i = 0; i <= length; ++i) {
            if (i < length && text[i] != '\r' && text[i] != '\n') continue;
            const std::string_view content(text + start, size_t(i - start));
            for (KeyLines &set : Sets)
                if (Table->IsName(KeyWordOf(content, set.Length))) set.Lines.push_back(line);
            if (i < length && text[i] == '\r' && i + 1 < length && text[i + 1] == '\n') ++i;
            start = i + 1;
            ++line;
        }
    }
    Built = true;
}

void TKeyLineCache::Rescan(int first, int last)
{
    for (KeyLines &set : Sets) {
        for (int line = first; line <= last; ++line) {
            const auto at = std::lower_bound(set.Lines.begin(), set.Lines.end(), line);
            const bool listed = at != set.Lines.end() && *at == line;
            const bool yields = YieldsKey(line, set.Length);
            if (yields && !listed) set.Lines.insert(at, line);
            else if (!yields && listed) set.Lines.erase(at);
        }
    }
}

// The numbers of the lines below an edit move with it; the lines the edit touched are read again.
void TKeyLineCache::Modified(int position, int type, int linesAdded)
{
    if (!Built || !(type & (QsciScintillaBase::SC_MOD_INSERTTEXT | QsciScintillaBase::SC_MOD_DELETETEXT))) return;
    const int line = int(Memo->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, (unsigned long)position));
    for (KeyLines &set : Sets) {
        if (linesAdded < 0) {
            // Lines line+1 .. line-linesAdded were joined into line.
            const auto first = std::upper_bound(set.Lines.begin(), set.Lines.end(), line);
            const auto last = std::upper_bound(first, set.Lines.end(), line - linesAdded);
            const auto rest = set.Lines.erase(first, last);
            for (auto it = rest; it != set.Lines.end(); ++it) *it += linesAdded;
        } else if (linesAdded > 0) {
            for (auto it = std::upper_bound(set.Lines.begin(), set.Lines.end(), line); it != set.Lines.end(); ++it)
                *it += linesAdded;
        }
    }
    Rescan(line, line + std::max(linesAdded, 0));
}

int TKeyLineCache::NearestKeyLine(int index, size_t length)
{
    KeyLines *set = Find(length);
    if (!set) return -1;
    if (!Built) Build();
    const auto after = std::upper_bound(set->Lines.begin(), set->Lines.end(), index);
    return after == set->Lines.begin() ? -1 : *(after - 1);
}

int TSynMemoScriptLines::Count() const { return Memo->Lines.Count(); }

AnsiString TSynMemoScriptLines::Line(int index) const { return Memo->Lines.Strings(index); }

int TSynMemoScriptLines::NearestKeyLine(int index, size_t length, const TSclIndex &table) const
{
    if (index < 0) return -1;
    if (length != 4 && length != 2) return TScriptLines::NearestKeyLine(index, length, table);
    return TKeyLineCache::Of(Memo, table)->NearestKeyLine(index, length);
}
