// A text pane styled by the shared highlighter, and back to plain text without it.
#include "script/SynHighlighterKAS.h"
#include "synedit/SynMemo.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

int StyleAt(TSynMemo &memo, long pos)
{
    memo.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0UL, -1L);
    return int(memo.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, (unsigned long)pos));
}

TEST(SynMemoHighlighter, PanesShareOneHighlighterAndCanDropIt)
{
    TSynKASSyn kas;
    TSynMemo first, second;
    for (TSynMemo *memo : {&first, &second}) {
        memo->SetText("JOTE x\r\n");
        memo->SetHighlighter(&kas);
    }
    EXPECT_NE(StyleAt(first, 0), 0);                  // the magic word is a styled token
    EXPECT_EQ(StyleAt(first, 0), StyleAt(second, 0));
    EXPECT_NE(first.lexer(), second.lexer());         // each pane has a lexer of its own

    const long plainWordChars = long(TSynMemo().SendScintilla(QsciScintillaBase::SCI_GETWORDCHARS, 0UL, (void *)nullptr));
    EXPECT_NE(long(first.SendScintilla(QsciScintillaBase::SCI_GETWORDCHARS, 0UL, (void *)nullptr)), plainWordChars);
    first.SetHighlighter(nullptr);
    // Without the language the pane's words are a plain pane's again.
    EXPECT_EQ(long(first.SendScintilla(QsciScintillaBase::SCI_GETWORDCHARS, 0UL, (void *)nullptr)), plainWordChars);
    EXPECT_EQ(first.lexer(), nullptr);
    EXPECT_EQ(StyleAt(first, 0), 0);
    EXPECT_NE(StyleAt(second, 0), 0);
}

std::vector<int> StylesOf(TSynMemo &memo)
{
    memo.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0UL, -1L);
    std::vector<int> styles;
    const long length = long(memo.SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    for (long p = 0; p < length; ++p) styles.push_back(int(memo.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, (unsigned long)p)));
    return styles;
}

// The styles of a pane given the text afresh.
std::vector<int> FreshStylesOf(const AnsiString &text, TSynCustomHighlighter &h)
{
    TSynMemo fresh;
    fresh.SetText(text);
    fresh.SetHighlighter(&h);
    return StylesOf(fresh);
}

// A replace all that changes the styles of many lines goes in as one step of only the hits: the
// lines it touched are styled anew after it, after its undo and after its redo, as a pane given
// each text afresh styles them, and the pane still repaints.
TEST(SynMemoHighlighter, ReplaceAllRestylesEveryLineItChanged)
{
    TSynKASSyn kas;
    TSynMemo memo;
    memo.resize(600, 400);
    memo.show();
    AnsiString text;
    for (int i = 0; i < 300; ++i) text += i % 7 == 3 ? "JOTE x\r\n" : "!!VRv1:S1; go\r\n";
    memo.SetText(text);
    memo.SetHighlighter(&kas);
    const std::vector<int> before = StylesOf(memo);
    const int undoBefore = memo.UndoCount();

    struct Case
    {
        const char *search, *replacement;
    };
    for (const Case &c : {Case{"!!", "* "}, Case{"VR", "VRVR"}, Case{"x", "!!VR"}}) {
        SCOPED_TRACE(c.search);
        memo.SetSelStart(0);
        ASSERT_GT(memo.SearchReplace(c.search, c.replacement, ssoReplace | ssoReplaceAll | ssoEntireScope), 1);
        const AnsiString replaced = memo.Text();
        EXPECT_NE(replaced, text);
        EXPECT_EQ(memo.UndoCount(), undoBefore + 1);
        EXPECT_EQ(StylesOf(memo), FreshStylesOf(replaced, kas));
        EXPECT_TRUE(memo.viewport()->updatesEnabled());

        memo.Undo();
        EXPECT_EQ(memo.Text(), text);
        EXPECT_EQ(memo.UndoCount(), undoBefore);
        EXPECT_EQ(StylesOf(memo), before);
        memo.Redo();
        EXPECT_EQ(memo.Text(), replaced);
        EXPECT_EQ(StylesOf(memo), FreshStylesOf(replaced, kas));
        memo.Undo();
    }
}

} // namespace
