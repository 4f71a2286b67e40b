// The text pane's list of key lines must give the same first match as reading the lines one by
// one upward, after any edit: typing, line breaks, joins, pasted blocks, undo and redo.
#include "script/CompletionKeyLines.h"
#include "synedit/SynMemo.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace {

TSclIndex KeyTable()
{
    TStringList list;
    for (const char *line : {"VALUE_SEPARATOR=`", "!!VR=V`I`D", "!!IF=I`I`D", "!#=O`I`D", "!!=R`I`D", "x=X`I`D"})
        list.Add(line);
    list.SetSorted(true);
    return TSclIndex(list);
}

// The reference: the lines read one by one.
int LiteralNearest(TSynMemo &memo, int index, size_t length, const TSclIndex &table)
{
    std::vector<AnsiString> lines;
    for (int i = 0; i < memo.Lines.Count(); ++i) lines.push_back(memo.Lines.Strings(i));
    return TStringLines(lines).TScriptLines::NearestKeyLine(index, length, table);
}

void ExpectSameAsLiteral(TSynMemo &memo, const TSclIndex &table, const std::string &step)
{
    const TSynMemoScriptLines lines(&memo);
    for (int i = -1; i < memo.Lines.Count(); ++i)
        for (size_t length : {size_t(4), size_t(2)})
            ASSERT_EQ(lines.NearestKeyLine(i, length, table), LiteralNearest(memo, i, length, table))
                << "line " << i << ", length " << length << ", after " << step << "\n" << memo.Text();
}

TEST(CompletionKeyLinesTest, FollowsEveryKindOfEdit)
{
    const TSclIndex table = KeyTable();
    TSynMemo memo;
    memo.SetText("zz\r\n!!VR:S1;\r\nqq !!IF\r\n!#\r\nplain\r\n;x\r\n");
    ExpectSameAsLiteral(memo, table, "loading");

    const std::vector<AnsiString> pieces = {"!!VR", "\r\n", "x", ";", " ", "!#", "q", "\r\n!!IF\r\nzz", "!", ":"};
    std::mt19937 random(12345);
    for (int step = 0; step < 300; ++step) {
        const int length = memo.GetTextLen();
        const int a = length ? int(random() % unsigned(length)) : 0;
        const int b = std::min(length, a + int(random() % 6));
        switch (random() % 4) {
        case 0:   // typing or pasting at a place
        case 1:
            memo.SetSelStart(a);
            memo.SetSelText(pieces[random() % pieces.size()]);
            break;
        case 2:   // deleting a range (line breaks included)
            memo.SetSelStart(a);
            memo.SetSelEnd(b);
            memo.SetSelText("");
            break;
        default:
            if (random() % 2) memo.Undo();
            else memo.Redo();
            break;
        }
        ExpectSameAsLiteral(memo, table, "step " + std::to_string(step));
        if (HasFatalFailure()) return;
    }
    memo.Lines.BeginUpdate();
    memo.Lines.Insert(0, "!!VR");
    memo.Lines.Delete(3);
    memo.Lines.EndUpdate();
    ExpectSameAsLiteral(memo, table, "a list update");
    memo.SetText("");
    ExpectSameAsLiteral(memo, table, "emptying");
}

// A whole new text, however it comes into the pane, is what the next request looks at; the list
// is built first from the old text, so that a stale one would show.
TEST(CompletionKeyLinesTest, FollowsEveryWayTheWholeTextIsReplaced)
{
    const TSclIndex table = KeyTable();
    const AnsiString before = "JOTE\r\n!!VR\r\na\r\nx\r\n";
    const AnsiString after = "JOTE\r\n!!VR\r\n!!IF\r\nx\r\n";
    const struct
    {
        const char *Name;
        std::function<void(TSynMemo &)> Replace;
    } cases[] = {
        {"loaded", [&](TSynMemo &m) { m.LoadText(after); }},
        {"loaded, fewer lines", [](TSynMemo &m) { m.LoadText("!#\r\n"); }},
        {"loaded, more lines", [](TSynMemo &m) { m.LoadText("q\r\n!!IF\r\n\r\n!#\r\nz\r\n!!VR\r\n"); }},
        {"set", [&](TSynMemo &m) { m.SetText(after); }},
        {"assigned", [&](TSynMemo &m) {
             TStringList list;
             list.SetText(after);
             m.Lines.Assign(list);
         }},
        {"replaced in ranges", [](TSynMemo &m) {
             m.ReplaceRanges({{0, 4, "!#"}, {12, 13, "!!IF\r\nq"}});
         }},
        {"replaced in ranges, then undone", [](TSynMemo &m) {
             m.ReplaceRanges({{12, 13, "!!IF"}});
             m.Undo();
         }},
        {"replaced in ranges, undone and redone", [](TSynMemo &m) {
             m.ReplaceRanges({{12, 13, "!!IF"}});
             m.Undo();
             m.Redo();
         }},
    };
    for (const auto &c : cases) {
        TSynMemo memo;
        memo.LoadText(before);
        ExpectSameAsLiteral(memo, table, "the first text");
        c.Replace(memo);
        ExpectSameAsLiteral(memo, table, c.Name);
    }
}

} // namespace
