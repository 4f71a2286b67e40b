// Loading a text into a pane: the lines it gives, nothing to undo and nothing of the text before
// kept; a highlighted pane colours only what is shown, also right after a jump to the end.
#include "script/SynHighlighterKAS.h"
#include "synedit/SynLexerAdapter.h"
#include "synedit/SynMemo.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>

#include <algorithm>
#include <vector>

namespace {

using SB = QsciScintillaBase;

std::vector<AnsiString> LinesOf(const TSynMemo &memo)
{
    std::vector<AnsiString> lines;
    for (int i = 0; i < memo.Lines.Count(); ++i) lines.push_back(memo.Lines[i]);
    return lines;
}

TEST(SynMemoLoad, LoadedTextSplitsAsAFileDoes)
{
    struct Case
    {
        AnsiString Text;
        std::vector<AnsiString> Lines;
    };
    const Case cases[] = {
        {"", {}},
        {"\r\n", {""}},
        {"\n", {""}},
        {"\r", {""}},
        {"a", {"a"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\n", {"a"}},
        {"a\n\r", {"a", ""}},          // a script's own ending: LF CR
        {"a\r\r\n", {"a", ""}},
        {"\n\n", {"", ""}},
        {AnsiString("x\0y\n\xE9", 5), {AnsiString("x\0y", 3), "\xE9"}},
    };
    TSynMemo memo;
    TSynMemo viaFile;
    for (const Case &c : cases) {
        memo.LoadText(c.Text);
        EXPECT_EQ(LinesOf(memo), c.Lines) << c.Text;
        // The same as the string list's split of a text, which SetText follows.
        viaFile.SetText(c.Text);
        EXPECT_EQ(LinesOf(viaFile), c.Lines) << c.Text;
        EXPECT_EQ(memo.Text(), viaFile.Text()) << c.Text;
    }
}

TEST(SynMemoLoad, LoadingLeavesNothingToUndoAndNothingOfTheTextBefore)
{
    TSynMemo memo;
    memo.SetText("first");
    memo.SetText("second");
    ASSERT_TRUE(memo.CanUndo());
    memo.LoadText("loaded\r\ntext");
    QCoreApplication::processEvents();
    EXPECT_FALSE(memo.CanUndo());
    EXPECT_FALSE(memo.CanRedo());
    EXPECT_EQ(memo.UndoCount(), 0);
    EXPECT_FALSE(memo.Modified());
    EXPECT_EQ(memo.CaretXY(), (TBufferCoord{1, 1}));

    // An edit after loading undoes back to the loaded text, never further.
    memo.SetText("edited");
    memo.Undo();
    EXPECT_EQ(memo.Text(), "loaded\r\ntext\r\n");
    EXPECT_FALSE(memo.CanUndo());
}

TEST(SynMemoLoad, LookupsByNameAndLineSeeEveryKindOfLine)
{
    TSynMemo memo;
    memo.LoadText("JOTE\nquil_scriptdate=1.1\r\nQUIL_ScriptDate=2.2\rx=y");
    EXPECT_EQ(memo.Lines.IndexOfName("QUIL_ScriptDate"), 1);
    EXPECT_EQ(memo.Lines.Values("QUIL_SCRIPTDATE"), "1.1");
    EXPECT_EQ(memo.Lines.Values("x"), "y");
    EXPECT_EQ(memo.Lines.Values("missing"), "");
    EXPECT_EQ(memo.Lines.IndexOf("jote"), 0);
    EXPECT_EQ(memo.Lines.IndexOf("X=Y"), 3);
    memo.LoadText("\r\n");   // one empty line
    EXPECT_EQ(memo.Lines.IndexOf(""), 0);
    EXPECT_EQ(memo.Lines.IndexOfName(""), -1);
}

// A shown pane of a long script with the highlighter set before the text went in.
struct BigHighlightedPane : ::testing::Test
{
    static constexpr int LineCount = 60000;
    TSynKASSyn Kas;
    TSynMemo Memo;

    void SetUp() override
    {
        Memo.resize(600, 400);
        Memo.show();
        Memo.SetHighlighter(&Kas);
        AnsiString text;
        for (int i = 0; i < LineCount; ++i) text += "!!VRv" + std::to_string(i) + ":S1; remark\n";
        text += "JOTE";
        Memo.LoadText(text);
        Paint();
    }
    void Paint()
    {
        QCoreApplication::processEvents();
        Memo.viewport()->repaint();
    }
    TSynLexerAdapter *Adapter() { return qobject_cast<TSynLexerAdapter *>(Memo.lexer()); }
    int StyleAt(long pos) { return int(Memo.SendScintilla(SB::SCI_GETSTYLEAT, (unsigned long)pos)); }
    long Length() { return Memo.SendScintilla(SB::SCI_GETLENGTH); }
    long LineStart(long line) { return Memo.SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)line); }
    void JumpToTheEnd()
    {
        QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
        QCoreApplication::sendEvent(&Memo, &end);
        Memo.viewport()->repaint();
    }
    // Runs the event loop until the lines a jump passed over are coloured (bounded).
    void WaitForTheBackground(const std::vector<long> &lines)
    {
        const auto coloured = [&] {
            return std::all_of(lines.begin(), lines.end(), [&](long l) { return StyleAt(LineStart(l) + 1) != 0; });
        };
        QElapsedTimer waited;
        waited.start();
        while (!coloured() && waited.elapsed() < 10000) QCoreApplication::processEvents();
        for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    }
    std::vector<int> Styles()
    {
        std::vector<int> styles(static_cast<size_t>(Length()));
        for (long pos = 0; pos < Length(); ++pos) styles[size_t(pos)] = StyleAt(pos);
        return styles;
    }
};

// Counts the paint events a widget receives.
struct PaintCounter : QObject
{
    int Count = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint) ++Count;
        return false;
    }
};

TEST_F(BigHighlightedPane, OnlyTheShownLinesAreStyled)
{
    ASSERT_NE(Adapter(), nullptr);
    EXPECT_GT(Adapter()->StyledByteCount(), 0);
    EXPECT_LT(Adapter()->StyledByteCount(), Length() / 50);
    EXPECT_NE(StyleAt(0), 0);   // "!!VR" on the first line is coloured
}

TEST_F(BigHighlightedPane, AJumpToTheEndStylesTheLastPageOnly)
{
    const long before = Adapter()->StyledByteCount();
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QCoreApplication::sendEvent(&Memo, &end);
    Memo.viewport()->repaint();
    EXPECT_EQ(Memo.CaretY(), LineCount + 1);
    EXPECT_LT(Adapter()->StyledByteCount() - before, Length() / 50);
    const int magic = StyleAt(Length() - 1);       // "JOTE" on the last line
    const int command = StyleAt(LineStart(LineCount - 1));
    EXPECT_NE(magic, 0);
    EXPECT_NE(command, 0);

    // A line in the middle, passed over by the jump, is coloured once it is shown.
    const long middle = LineCount / 2;
    Memo.SetTopLine(int(middle));
    Memo.viewport()->repaint();
    EXPECT_EQ(StyleAt(LineStart(middle) + 1), command);

    // The rest is coloured in the background soon, the same as when styled from the top.
    const long unseen = LineCount / 4;
    QElapsedTimer waited;
    waited.start();
    while (StyleAt(LineStart(unseen) + 1) == 0 && waited.elapsed() < 10000) QCoreApplication::processEvents();
    EXPECT_EQ(StyleAt(LineStart(unseen) + 1), command);
    Memo.SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
    EXPECT_EQ(StyleAt(LineStart(unseen) + 1), command);
    EXPECT_EQ(StyleAt(LineStart(middle) + 1), command);
    EXPECT_EQ(StyleAt(Length() - 1), magic);
}

// The background styling of the lines passed over repaints the pane once at most, not once for
// every slice of lines it styles: each repaint costs the whole pane, and more with a reader of the
// screen attached.
TEST_F(BigHighlightedPane, ThePassedOverLinesAreColouredWithoutRepaintingThePaneForThem)
{
    JumpToTheEnd();
    PaintCounter paints;
    Memo.viewport()->installEventFilter(&paints);
    WaitForTheBackground({1, LineCount / 2, LineCount - 200});
    Memo.viewport()->removeEventFilter(&paints);
    EXPECT_NE(StyleAt(LineStart(1) + 1), 0);
    EXPECT_NE(StyleAt(LineStart(LineCount - 200) + 1), 0);
    EXPECT_LE(paints.Count, 2);
}

// Edits while the lines passed over are being coloured in the background: every line ends up with
// the styles that colouring the whole text from the top gives.
TEST_F(BigHighlightedPane, EditsWhileThePassedOverLinesAreColouredKeepEveryLineRight)
{
    JumpToTheEnd();
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    const auto insert = [&](long pos, const char *text) {
        Memo.SendScintilla(SB::SCI_INSERTTEXT, (unsigned long)pos, text);
    };
    const auto remove = [&](long from, long to) {
        Memo.SendScintilla(SB::SCI_DELETERANGE, (unsigned long)from, to - from);
    };
    insert(LineStart(3000), "JOTE ;remark\r\n* whole-line remark\r\n");
    QCoreApplication::processEvents();
    remove(LineStart(20000), LineStart(20002));
    remove(LineStart(100), LineStart(100) + 4);
    insert(LineStart(100), "$m$");
    WaitForTheBackground({1, 2999, 3000, 3001, 19999, LineCount / 2, LineCount - 200});
    const std::vector<int> background = Styles();
    Memo.SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
    const std::vector<int> fromTheTop = Styles();
    ASSERT_EQ(background.size(), fromTheTop.size());
    const auto differs = std::mismatch(background.begin(), background.end(), fromTheTop.begin());
    EXPECT_EQ(differs.first - background.begin(), long(background.size())) << "first wrong style at that position";
}

} // namespace
