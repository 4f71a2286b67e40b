// The text pane's list of key lines must give the same first match as reading the lines one by
// one upward, after any edit: typing, line breaks, joins, pasted blocks, undo and redo.
#include "script/CompletionKeyLines.h"
#include "synedit/SynMemo.h"

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

} // namespace
