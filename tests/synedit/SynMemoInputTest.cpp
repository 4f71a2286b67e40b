// Text that reaches the pane from the keyboard, an input method, the clipboard or a drop: a
// character the 8-bit document cannot hold is refused by name and nothing goes in (the selection
// stays too); characters it can hold go in as single bytes.
#include "synedit/SynMemo.h"
#include "platform/Dialogs.h"
#include "KeyTyping.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTest>
#include <functional>

namespace {

void Paste(TSynMemo &memo, const QString &text, int key, Qt::KeyboardModifiers mods)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(&memo, Qt::Key(key), mods);
}

// An input method that commits what it composes at once (no text shown while composing).
void CommitInputMethodText(TSynMemo &memo, const QString &text)
{
    QInputMethodEvent committed;
    committed.setCommitString(text);
    QApplication::sendEvent(&memo, &committed);
}

// What a drag from another program delivers: it enters at the start of the second line, moves
// there and drops, offering to move its text.
Qt::DropAction Drop(TSynMemo &memo, const QString &text)
{
    QMimeData data;
    data.setText(text);
    const QPoint at = memo.RowColumnToPixels({1, 2}) - memo.viewport()->geometry().topLeft() + QPoint(1, 1);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

struct InputCase
{
    const char *Name;
    const char *Refused;       // UTF-8
    const char *Accepted;      // UTF-8, every character in ISO 8859-1
    const char *Source;        // how the message names the text
    std::function<void(TSynMemo &, const QString &)> Enter;
};

const InputCase InputCases[] = {
    {"typed letter", "я", "é", "the typed text", [](TSynMemo &m, const QString &t) { TypeKeys(&m, t); }},
    {"typed character beyond U+FFFF", "😀", "ÿ", "the typed text",
     [](TSynMemo &m, const QString &t) { TypeKeys(&m, t); }},
    {"input method", "aя", "aé", "the typed text", CommitInputMethodText},
    {"Ctrl+V", "x\r\nyя", "x\r\nyé", "the pasted text",
     [](TSynMemo &m, const QString &t) { Paste(m, t, Qt::Key_V, Qt::ControlModifier); }},
    {"Shift+Insert", "Ωmega", "Émega", "the pasted text",
     [](TSynMemo &m, const QString &t) { Paste(m, t, Qt::Key_Insert, Qt::ShiftModifier); }},
    {"the paste command", "€5", "£5", "the pasted text",
     [](TSynMemo &m, const QString &t) {
         QGuiApplication::clipboard()->setText(t);
         m.PasteFromClipboard();
     }},
    {"drop", "dropped я", "dropped é", "the dropped text", [](TSynMemo &m, const QString &t) { Drop(m, t); }},
};

class SynMemoInputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Memo.resize(600, 400);
        Memo.show();
        Memo.setFocus();
        QApplication::processEvents();
    }
    // Two lines, "b" selected.
    void Reset()
    {
        Memo.SetText("ab\r\ncd");
        Memo.ClearUndo();
        Memo.SetModified(false);
        Memo.SetSelStart(1);
        Memo.SetSelLength(1);
    }

    MessageBoxRecorder Boxes;
    TSynMemo Memo;
};

} // namespace

TEST_F(SynMemoInputTest, ACharacterTheDocumentCannotHoldIsRefusedByName)
{
    for (const InputCase &c : InputCases) {
        SCOPED_TRACE(c.Name);
        Reset();
        const QString refused = QString::fromUtf8(c.Refused);
        c.Enter(Memo, refused);
        EXPECT_EQ(Memo.Text(), "ab\r\ncd\r\n");
        EXPECT_EQ(Memo.SelText(), "b");
        EXPECT_FALSE(Memo.Modified());
        EXPECT_EQ(Memo.UndoCount(), 0);
        EXPECT_EQ(Boxes.Calls.size(), 1u);
        if (!Boxes.Calls.empty()) {
            EXPECT_EQ(Boxes.Calls[0].Text, RefusedInputText(CheckedFromQ(refused), c.Source));
            EXPECT_EQ(Boxes.Calls[0].Flags, unsigned(MB_OK | MB_ICONWARNING));
        }
        Boxes.Calls.clear();

        Reset();
        const AnsiString accepted = FromQ(QString::fromUtf8(c.Accepted));
        c.Enter(Memo, QString::fromUtf8(c.Accepted));
        EXPECT_NE(Memo.Text().find(accepted), AnsiString::npos) << Memo.Text();
        EXPECT_TRUE(Memo.Modified());
        EXPECT_TRUE(Boxes.Calls.empty());
        Boxes.Calls.clear();
    }
}

TEST_F(SynMemoInputTest, TheMessageCountsTheCharacterInTheWholeText)
{
    Reset();
    QGuiApplication::clipboard()->setText(QString::fromUtf8("ok\r\nnot я"));
    QTest::keyClick(&Memo, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(Boxes.Calls.size(), 1u);
    EXPECT_EQ(Boxes.Calls[0].Text,
              "The character U+044F (character 9 of the pasted text) cannot be used: this text is kept in the 8-bit "
              "code of the documents, which holds only the characters U+0000 to U+00FF (ISO 8859-1).");
}

// The pane shows the text being composed in place; a refused commit takes it away again.
TEST_F(SynMemoInputTest, AComposedTextThatIsRefusedLeavesNothing)
{
    Reset();
    Memo.SetSelStart(2);
    const QString text = QString::fromUtf8("dя");
    QInputMethodEvent composing(text, {});
    QApplication::sendEvent(&Memo, &composing);
    QInputMethodEvent committed;
    committed.setCommitString(text);
    QApplication::sendEvent(&Memo, &committed);
    EXPECT_EQ(Memo.Text(), "ab\r\ncd\r\n");
    EXPECT_EQ(Memo.SelStart(), 2);
    ASSERT_EQ(Boxes.Calls.size(), 1u);
    EXPECT_EQ(Boxes.Calls[0].Text, RefusedInputText(CheckedFromQ(text), "the typed text"));
}

TEST_F(SynMemoInputTest, ARefusedDropLeavesTheTextWithItsSource)
{
    Reset();
    EXPECT_EQ(Drop(Memo, QString::fromUtf8("я")), Qt::IgnoreAction);
    EXPECT_EQ(Memo.Text(), "ab\r\ncd\r\n");
    EXPECT_NE(Drop(Memo, "fine"), Qt::IgnoreAction);
    EXPECT_EQ(Memo.Text(), "ab\r\nfinecd\r\n");
}

TEST_F(SynMemoInputTest, AReadOnlyPaneTakesNothingAndSaysNothing)
{
    Reset();
    Memo.SetReadOnly(true);
    for (const InputCase &c : InputCases) {
        SCOPED_TRACE(c.Name);
        c.Enter(Memo, QString::fromUtf8(c.Refused));
    }
    EXPECT_EQ(Memo.Text(), "ab\r\ncd\r\n");
    EXPECT_TRUE(Boxes.Calls.empty());
}
