// The text-resource commands change a script as many replacements made as one edit of its pane:
// one undo step, undone and redone by the keys, marks following their lines, and the pane's
// change notifications given as for any other edit.
#include "synedit/SynMemo.h"
#include "textres/KatIndexing.h"
#include "textres/TRM.h"
#include "textres/TextScanner.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

std::vector<KatItem> ItemsOf(std::string_view script)
{
    std::vector<KatItem> items;
    for (const FoundText &f : ScanTexts(script).Texts) items.push_back({f.Kind, f.Letter, f.Start, f.End, f.Text, true});
    return items;
}

struct PaneFixture : ::testing::Test
{
    TSynMemo Pane;
    int Changes = 0;
    PaneFixture()
    {
        QObject::connect(&Pane, &TSynMemo::OnChange, [this] { ++Changes; });
        Pane.resize(400, 300);
        Pane.show();
    }
    // A key as the keyboard sends it: the shortcut question first, then press and release.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QString text = modifiers == Qt::NoModifier ? QString(QChar(key)).toLower() : QString();
        for (QEvent::Type type : {QEvent::ShortcutOverride, QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, key, modifiers, text);
            QCoreApplication::sendEvent(&Pane, &event);
        }
    }
    int BookmarkLine(int number) const
    {
        int line = 0, column = 0;
        return Pane.GetBookmark(number, line, column) ? line : -1;
    }
};

// A text over two lines before the bookmarked line: KATtify takes a line away, the undo gives it
// back, and the mark stays on its own text all the time.
TEST_F(PaneFixture, KattifyIsOneStepThatTheKeysUndoAndRedo)
{
    const AnsiString script = "!!IF:M^one^;\r\n!!IF:M^two\r\nlines^;\r\nmarked line\r\n!!IF:S^three^;\r\n";
    const AnsiString kattified = "!!IF:M1/z107000;\r\n!!IF:M1/z107001;\r\nmarked line\r\n!!IF:Sz107002;\r\n";
    Pane.LoadText(script);
    Pane.SetBookmark(1, 4, 1);
    ASSERT_EQ(BookmarkLine(1), 4);
    Changes = 0;
    std::array<TStringList, 6> types;
    for (TStringList &t : types)
        for (const char *v : {"TRUE", "1", "0"}) t.Add(v);
    TStringList common;
    for (const char *v : {"07", "1", "S"}) common.Add(v);

    ApplyScriptEdits(&Pane, Kattify(Pane.TextView(), ItemsOf(Pane.TextView()), types, common).Edits);
    EXPECT_EQ(Pane.Text(), kattified);
    EXPECT_EQ(BookmarkLine(1), 3);
    EXPECT_TRUE(Pane.Modified());
    EXPECT_EQ(Pane.UndoCount(), 1);
    EXPECT_EQ(Changes, 1);

    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Pane.Text(), script);
    EXPECT_EQ(BookmarkLine(1), 4);
    EXPECT_EQ(Pane.UndoCount(), 0);
    EXPECT_EQ(Pane.RedoCount(), 1);
    EXPECT_EQ(Changes, 2);

    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Pane.Text(), kattified);
    EXPECT_EQ(BookmarkLine(1), 3);
    EXPECT_EQ(Pane.UndoCount(), 1);
    EXPECT_EQ(Changes, 3);

    Pane.Undo();
    EXPECT_EQ(Pane.Text(), script);
    // The pane's notifications are on again: a typed character is an edit of its own.
    Pane.SetSelStart(0);
    Key(Qt::Key_X);
    EXPECT_EQ(Pane.Text(), "x" + script);
    EXPECT_EQ(Pane.UndoCount(), 1);
    EXPECT_EQ(Pane.RedoCount(), 0);
    EXPECT_EQ(Changes, 5);
    Pane.Undo();
    EXPECT_EQ(Pane.Text(), script);
}

TEST_F(PaneFixture, EditsTakeTheDocumentsLineBreaksAndStayInsideIt)
{
    struct Case
    {
        const char *Name;
        AnsiString Script;
        std::vector<ScriptEdit> Edits;
        AnsiString Expected;
    };
    const Case cases[] = {
        {"texts restored with line breaks of every kind", "a M1/z5 b z6 c\r\n",
         {{2, 7, "^x\ny^"}, {10, 12, "^p\rq\r\nr^"}},
         "a ^x\r\ny^ b ^p\r\nq\r\nr^ c\r\n"},
        {"a range past the end stops at the end", "abc\r\n", {{1, 40, "Z"}}, "aZ\r\n"},
        {"an empty edit changes nothing", "abc\r\n", {{1, 1, ""}}, "abc\r\n"},
        {"insertions at both ends", "abc\r\n", {{0, 0, "<"}, {3, 3, ">"}}, "<abc>\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        Pane.LoadText(c.Script);
        ApplyScriptEdits(&Pane, c.Edits);
        EXPECT_EQ(Pane.Text(), c.Expected);
        EXPECT_EQ(Pane.UndoCount(), c.Expected == c.Script ? 0 : 1);
        Pane.Undo();
        EXPECT_EQ(Pane.Text(), c.Script);
    }
}

} // namespace
