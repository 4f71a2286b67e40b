// A text pane styled by the shared highlighter, and back to plain text without it.
#include "script/SynHighlighterKAS.h"
#include "synedit/SynMemo.h"

#include <gtest/gtest.h>

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

} // namespace
