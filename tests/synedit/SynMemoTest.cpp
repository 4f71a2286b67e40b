#include "synedit/SynMemo.h"
#include "platform/Exception.h"
#include "platform/TStringList.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>

namespace {

using Sci = QsciScintillaBase;

void Key(QWidget *w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
}

void Type(QWidget *w, const QString &text)
{
    for (QChar c : text) {
        if (c == '\r') Key(w, Qt::Key_Return, Qt::NoModifier, "\r");
        else Key(w, c.toUpper().unicode(), Qt::NoModifier, QString(c));   // Qt's key codes of Latin-1
    }
}

void Mouse(TSynMemo &m, QEvent::Type type, QPoint widgetPoint, Qt::MouseButtons buttons)
{
    const QPoint vp = widgetPoint - m.viewport()->geometry().topLeft();
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(vp), QPointF(m.viewport()->mapToGlobal(vp)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(m.viewport(), &e);
}

AnsiString RawSelText(const TSynMemo &m)
{
    const long n = m.SendScintilla(Sci::SCI_GETSELTEXT, 0UL, (void *)nullptr);
    AnsiString s(size_t(n), '\0');
    m.SendScintilla(Sci::SCI_GETSELTEXT, 0UL, (void *)s.data());
    s.resize(size_t(n > 0 ? n - 1 : 0));
    return s;
}

std::vector<AnsiString> LinesOf(const TSynMemo &m)
{
    std::vector<AnsiString> r;
    for (int i = 0; i < m.Lines.Count(); ++i) r.push_back(m.Lines[i]);
    return r;
}

AnsiString AllBytesButBreaks()
{
    AnsiString s;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n') s += char(b);
    return s;
}

class SynMemoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Memo.resize(600, 400);
        Memo.show();
        QApplication::processEvents();
    }
    void WriteFile(const QString &name, const QByteArray &bytes)
    {
        QFile f(Dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    AnsiString PathOf(const QString &name) { return FromQPath(Dir.filePath(name)); }

    QTemporaryDir Dir;
    TSynMemo Memo;
};

// ---------------------------------------------------------------------------------------------

TEST_F(SynMemoTest, EveryByteSurvivesTextLinesSelectionAndFile)
{
    const AnsiString bytes = AllBytesButBreaks();
    ASSERT_EQ(bytes.size(), 254u);
    Memo.SetText(bytes + "\r\n" + bytes);
    EXPECT_EQ(Memo.Text(), bytes + "\r\n" + bytes + "\r\n");
    ASSERT_EQ(Memo.Lines.Count(), 2);
    EXPECT_EQ(Memo.Lines[1], bytes);
    Memo.SelectAll();
    EXPECT_EQ(Memo.SelText(), bytes + "\r\n" + bytes);

    // Inserting, replacing a line and loading keep NUL and high bytes too.
    Memo.SetSelStart(1);
    Memo.SetSelText(AnsiString("\0\xE9\xFF", 3));
    EXPECT_EQ(Memo.Lines[0].substr(0, 5), AnsiString("\0\0\xE9\xFF\x01", 5));
    Memo.Lines.SetString(1, AnsiString("x\0y", 3));
    EXPECT_EQ(Memo.Lines[1], AnsiString("x\0y", 3));

    WriteFile("bin.txt", QByteArray(bytes.data(), int(bytes.size())));
    Memo.LoadFromFile(PathOf("bin.txt"));
    EXPECT_EQ(Memo.Text(), bytes + "\r\n");
}

TEST_F(SynMemoTest, TypedLatin1CharactersAreSingleBytes)
{
    Type(&Memo, QString::fromLatin1("\xE9t\xE9\r\xDF"));
    EXPECT_EQ(Memo.Text(), "\xE9t\xE9\r\n\xDF\r\n");
    EXPECT_EQ(Memo.SelStart(), 6);
}

TEST_F(SynMemoTest, PositionsCountALineBreakAsTwoCharacters)
{
    Memo.SetText("ab\r\ncd\r\n\r\nefg");
    struct Case { int pos; int x; int y; };
    const Case cases[] = {{0, 1, 1}, {2, 3, 1}, {4, 1, 2}, {6, 3, 2}, {8, 1, 3}, {10, 1, 4}, {13, 4, 4}};
    for (const Case &c : cases) {
        Memo.SetSelStart(c.pos);
        EXPECT_EQ(Memo.CaretX(), c.x) << c.pos;
        EXPECT_EQ(Memo.CaretY(), c.y) << c.pos;
        EXPECT_EQ(Memo.SelStart(), c.pos);
    }
    Memo.SetCaretXY({2, 2});
    EXPECT_EQ(Memo.SelStart(), 5);
    EXPECT_EQ(Memo.GetTextLen(), 15);
    EXPECT_EQ(int(Memo.Text().size()), Memo.GetTextLen());

    // A selection between two positions selects exactly the bytes between them.
    Memo.SetSelStart(1);
    Memo.SetSelEnd(5);
    EXPECT_EQ(Memo.SelText(), "b\r\nc");
    EXPECT_EQ(Memo.SelLength(), 4);
    EXPECT_EQ(Memo.BlockBegin(), (TBufferCoord{2, 1}));
    EXPECT_EQ(Memo.BlockEnd(), (TBufferCoord{2, 2}));
    EXPECT_EQ(Memo.CaretXY(), (TBufferCoord{2, 2}));
    // Past the end: clamped to the document.
    Memo.SetSelStart(1000);
    EXPECT_EQ(Memo.SelStart(), 13);
}

TEST_F(SynMemoTest, LoadFromFileSplitsAtEveryLineBreakKind)
{
    struct Case { QByteArray file; std::vector<AnsiString> lines; AnsiString text; };
    const Case cases[] = {
        {"", {}, ""},
        {"a", {"a"}, "a\r\n"},
        {"a\r\n", {"a"}, "a\r\n"},
        {"a\nb", {"a", "b"}, "a\r\nb\r\n"},
        {"a\rb\r", {"a", "b"}, "a\r\nb\r\n"},
        {"a\r\r\nb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
        {"\r\n", {""}, "\r\n"},
        {"\n\n", {"", ""}, "\r\n\r\n"},
        {"a\n\r", {"a", ""}, "a\r\n\r\n"},   // a script's own ending LF CR
        {"x\n\ny\n", {"x", "", "y"}, "x\r\n\r\ny\r\n"},
    };
    for (const Case &c : cases) {
        WriteFile("t.txt", c.file);
        Memo.LoadFromFile(PathOf("t.txt"));
        EXPECT_EQ(LinesOf(Memo), c.lines) << c.file.toStdString();
        EXPECT_EQ(Memo.Text(), c.text) << c.file.toStdString();
        EXPECT_FALSE(Memo.Modified());
        EXPECT_FALSE(Memo.CanUndo());
    }
    EXPECT_THROW(Memo.LoadFromFile(PathOf("missing.txt")), EFOpenError);
    EXPECT_EQ(Memo.Text(), "x\r\n\r\ny\r\n");   // a failed load leaves the text alone
}

TEST_F(SynMemoTest, SetTextAndInsertedTextGetCrLfBreaks)
{
    Memo.SetText("a\nb\rc");
    EXPECT_EQ(Memo.Text(), "a\r\nb\r\nc\r\n");
    Memo.SetSelStart(1);
    Memo.SetSelText("1\n2\r3");
    EXPECT_EQ(Memo.Text(), "a1\r\n2\r\n3\r\nb\r\nc\r\n");
    EXPECT_EQ(Memo.Lines.Count(), 5);
}

TEST_F(SynMemoTest, LinesBehaveAsAStringList)
{
    EXPECT_EQ(Memo.Lines.Count(), 0);
    Memo.Lines.Add("");
    EXPECT_EQ(Memo.Lines.Count(), 1);
    EXPECT_EQ(Memo.Text(), "\r\n");
    Memo.Lines.Add("Name=Value");
    Memo.Lines.Insert(0, "JOTE");
    Memo.Lines.Add("QUIL_ScriptDate=01.02.2003");
    EXPECT_EQ(LinesOf(Memo), (std::vector<AnsiString>{"JOTE", "", "Name=Value", "QUIL_ScriptDate=01.02.2003"}));
    EXPECT_EQ(Memo.Lines.IndexOfName("quil_scriptdate"), 3);
    EXPECT_EQ(Memo.Lines.Values("NAME"), "Value");
    EXPECT_EQ(Memo.Lines.Names(2), "Name");
    EXPECT_EQ(Memo.Lines.Names(0), "");
    EXPECT_EQ(Memo.Lines.IndexOfName("Missing"), -1);
    Memo.Lines.SetString(1, "second");
    Memo.Lines.Delete(3);
    EXPECT_EQ(Memo.Text(), "JOTE\r\nsecond\r\nName=Value\r\n");
    Memo.Lines.Delete(0);
    EXPECT_EQ(Memo.Text(), "second\r\nName=Value\r\n");
    Memo.Lines.Insert(2, "end");
    EXPECT_EQ(Memo.Lines[2], "end");
    EXPECT_THROW(Memo.Lines[3], EListError);
    EXPECT_THROW(Memo.Lines.Insert(5, "x"), EListError);

    TStringList list;
    Memo.Lines.AssignTo(list);
    EXPECT_EQ(list.Count(), 3);
    list.Add("more");
    Memo.Lines.Assign(list);
    EXPECT_EQ(Memo.Lines.Count(), 4);
    Memo.Lines.Clear();
    EXPECT_EQ(Memo.Lines.Count(), 0);
    EXPECT_EQ(Memo.Text(), "");
}

TEST_F(SynMemoTest, LinesChangedInAnUpdateGoInAsOneStep)
{
    AnsiString text;
    for (int i = 0; i < 20000; ++i) text += "line " + IntToStr(i) + "   \r\n";
    Memo.SetText(text);
    Memo.ClearUndo();
    Memo.SetCaretXY({3, 5});
    int changes = 0;
    QObject::connect(&Memo, &TSynMemo::OnChange, [&] { ++changes; });
    Memo.Lines.BeginUpdate();
    for (int i = 0; i < Memo.Lines.Count(); ++i) Memo.Lines.SetString(i, TrimRight(Memo.Lines[i]));
    Memo.Lines.Insert(0, "JOTE");
    Memo.Lines.Delete(Memo.Lines.Count() - 1);
    EXPECT_EQ(Memo.Lines[1], "line 0");
    EXPECT_EQ(Memo.Lines.Values("x"), "");
    EXPECT_EQ(changes, 0);
    Memo.Lines.EndUpdate();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Memo.Lines.Count(), 20000);
    EXPECT_EQ(Memo.Lines[0], "JOTE");
    EXPECT_EQ(Memo.Lines[19999], "line 19998");
    EXPECT_EQ(Memo.CaretXY(), (TBufferCoord{3, 5}));
    EXPECT_EQ(Memo.UndoCount(), 1);
    Memo.Undo();
    EXPECT_EQ(Memo.Text(), text);
}

TEST_F(SynMemoTest, CaretBeyondTheLineEndOnlyWithScrollPastEol)
{
    Memo.SetText("abc\r\nx");
    Memo.SetCaretXY({10, 1});
    EXPECT_EQ(Memo.CaretX(), 4);
    Memo.SetOptions(eoScrollPastEol);
    Memo.SetCaretXY({10, 1});
    EXPECT_EQ(Memo.CaretX(), 10);
    EXPECT_EQ(Memo.CaretY(), 1);
    Type(&Memo, "Z");
    EXPECT_EQ(Memo.Lines[0], "abc      Z");
    Memo.SetCaretY(99);
    EXPECT_EQ(Memo.CaretY(), 2);
}

TEST_F(SynMemoTest, ColumnSelectionIsARectangle)
{
    Memo.SetText("abcdef\r\nghijkl\r\nmnopqr");
    Memo.SetSelectionMode(smColumn);
    Memo.SetBlockBegin({2, 1});
    Memo.SetBlockEnd({4, 3});
    EXPECT_TRUE(Memo.SendScintilla(Sci::SCI_SELECTIONISRECTANGLE));
    EXPECT_EQ(RawSelText(Memo), "bc\r\nhi\r\nno\r\n");
    EXPECT_EQ(Memo.SelText(), "bc\r\nhi\r\nno");
    EXPECT_EQ(Memo.BlockBegin(), (TBufferCoord{2, 1}));
    EXPECT_EQ(Memo.BlockEnd(), (TBufferCoord{4, 3}));
    // A corner beyond a line end stands in virtual space.
    Memo.Lines.Insert(2, "xy");
    Memo.SetBlockBegin({2, 2});
    Memo.SetBlockEnd({5, 4});
    EXPECT_EQ(Memo.SelText(), "hij\r\ny\r\nnop");
    EXPECT_EQ(Memo.BlockEnd(), (TBufferCoord{5, 4}));
    Memo.Lines.Delete(2);

    // Shift with the caret keys extends a rectangle too, and plain keys do not.
    Memo.SetCaretXY({1, 1});
    Key(&Memo, Qt::Key_Right, Qt::ShiftModifier);
    Key(&Memo, Qt::Key_Right, Qt::ShiftModifier);
    Key(&Memo, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(RawSelText(Memo), "ab\r\ngh\r\n");
    Key(&Memo, Qt::Key_Right);
    EXPECT_FALSE(Memo.SelAvail());

    // So does a drag with the mouse.
    const QPoint from = Memo.RowColumnToPixels({2, 1}) + QPoint(1, 2);
    const QPoint to = Memo.RowColumnToPixels({5, 2}) + QPoint(1, 2);
    Mouse(Memo, QEvent::MouseButtonPress, from, Qt::LeftButton);
    Mouse(Memo, QEvent::MouseMove, to, Qt::LeftButton);
    Mouse(Memo, QEvent::MouseButtonRelease, to, Qt::NoButton);
    EXPECT_EQ(RawSelText(Memo), "bcd\r\nhij\r\n");

    Memo.SetSelectionMode(smNormal);
    Memo.SetBlockBegin({2, 1});
    Memo.SetBlockEnd({4, 3});
    EXPECT_FALSE(Memo.SendScintilla(Sci::SCI_SELECTIONISRECTANGLE));
    EXPECT_EQ(Memo.SelText(), "bcdef\r\nghijkl\r\nmno");
}

TEST_F(SynMemoTest, LineModeSelectsWholeLines)
{
    Memo.SetText("abcdef\r\nghijkl\r\nmnopqr");
    Memo.SetSelectionMode(smLine);
    Memo.SetCaretXY({3, 1});
    Key(&Memo, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Memo.SelStart(), 0);
    EXPECT_GE(Memo.SelEnd(), 14);
    EXPECT_EQ(RawSelText(Memo).substr(0, 14), "abcdef\r\nghijkl");
    // A plain caret move ends the selection instead of extending it.
    Key(&Memo, Qt::Key_Down);
    EXPECT_FALSE(Memo.SelAvail());
}

TEST_F(SynMemoTest, OverwriteModeReplacesTypedOverCharacters)
{
    Memo.SetText("abc");
    int statusChanges = 0;
    QObject::connect(&Memo, &TSynMemo::OnStatusChange, [&] { ++statusChanges; });
    Memo.SetInsertMode(false);
    EXPECT_FALSE(Memo.InsertMode());
    EXPECT_GT(statusChanges, 0);
    Memo.SetSelStart(0);
    Type(&Memo, "XY");
    EXPECT_EQ(Memo.Text(), "XYc\r\n");
    Key(&Memo, Qt::Key_Insert);
    EXPECT_TRUE(Memo.InsertMode());
    Type(&Memo, "Z");
    EXPECT_EQ(Memo.Text(), "XYZc\r\n");
}

TEST_F(SynMemoTest, UndoAndRedoCountsFollowTheSteps)
{
    Type(&Memo, "ab");                 // typing runs together into one step
    EXPECT_EQ(Memo.UndoCount(), 1);
    Memo.SetSelText("x");
    Memo.Lines.Add("line");
    EXPECT_EQ(Memo.UndoCount(), 3);
    EXPECT_EQ(Memo.RedoCount(), 0);
    Memo.Undo();
    Memo.Undo();
    EXPECT_EQ(Memo.Text(), "ab\r\n");
    EXPECT_EQ(Memo.UndoCount(), 1);
    EXPECT_EQ(Memo.RedoCount(), 2);
    Memo.Redo();
    EXPECT_EQ(Memo.Text(), "abx\r\n");
    EXPECT_EQ(Memo.UndoCount(), 2);
    EXPECT_EQ(Memo.RedoCount(), 1);
    Memo.SetText("new");               // a new change drops what could be redone
    EXPECT_EQ(Memo.UndoCount(), 3);
    EXPECT_EQ(Memo.RedoCount(), 0);
    EXPECT_FALSE(Memo.CanRedo());
    Memo.Undo();
    Memo.Undo();
    Memo.Undo();
    EXPECT_EQ(Memo.Text(), "");
    EXPECT_FALSE(Memo.CanUndo());
    EXPECT_EQ(Memo.UndoCount(), 0);
    EXPECT_EQ(Memo.RedoCount(), 3);
    Memo.ClearUndo();
    EXPECT_EQ(Memo.RedoCount(), 0);
    EXPECT_FALSE(Memo.CanRedo());
    EXPECT_TRUE(Memo.Modified());
    Memo.SetModified(false);
    EXPECT_FALSE(Memo.Modified());
}

TEST_F(SynMemoTest, ChangeHandlerRunsAfterTheEditAndMayEditToo)
{
    // A handler that edits the text must not be refused by the component.
    int changes = 0;
    AnsiString seen;
    QObject::connect(&Memo, &TSynMemo::OnChange, [&] {
        ++changes;
        seen = Memo.Text();
        if (Memo.Lines.Count() == 1 && Memo.Lines[0] == "ab") Memo.Lines.Add("added");
    });
    Type(&Memo, "a");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(seen, "a\r\n");
    Type(&Memo, "b");
    EXPECT_EQ(Memo.Text(), "ab\r\nadded\r\n");
    EXPECT_EQ(changes, 3);
    Memo.SetSelStart(0);
    EXPECT_EQ(changes, 3);   // moving the caret is no change
}

TEST_F(SynMemoTest, TabKeyFollowsWantTabsAndTabWidth)
{
    Memo.SetText("ab");
    Memo.SetTabWidth(4);
    Memo.SetSelStart(2);
    Key(&Memo, Qt::Key_Tab);
    EXPECT_EQ(Memo.Text(), "ab\t\r\n");
    EXPECT_EQ(Memo.SendScintilla(Sci::SCI_GETTABWIDTH), 4);

    Memo.SetOptions(eoTabsToSpaces);
    Key(&Memo, Qt::Key_Tab);           // from the TAB's stop at column 4 to the next at 8
    EXPECT_EQ(Memo.Text(), "ab\t    \r\n");
    Key(&Memo, Qt::Key_Left);
    Key(&Memo, Qt::Key_Tab);           // from column 7 to 8
    EXPECT_EQ(Memo.Text(), "ab\t     \r\n");

    Memo.SetWantTabs(false);
    Key(&Memo, Qt::Key_Tab);
    EXPECT_EQ(Memo.Text(), "ab\t     \r\n");
}

TEST_F(SynMemoTest, EnterTrimsTrailingBlanksWithTheOption)
{
    Memo.SetText("abc   ");
    Memo.SetSelStart(6);
    Key(&Memo, Qt::Key_Return, Qt::NoModifier, "\r");
    EXPECT_EQ(Memo.Text(), "abc   \r\n\r\n");
    Memo.SetText("abc   ");
    Memo.SetOptions(eoTrimTrailingSpaces);
    Memo.SetSelStart(6);
    Key(&Memo, Qt::Key_Return, Qt::NoModifier, "\r");
    EXPECT_EQ(Memo.Text(), "abc\r\n\r\n");
    EXPECT_EQ(Memo.CaretY(), 2);
    Memo.Undo();
    EXPECT_EQ(Memo.Text(), "abc   \r\n");   // the break and the trim are one step
}

TEST_F(SynMemoTest, MarksFollowTheirLinesAndBookmarksAreNumbered)
{
    Memo.SetText("l1\r\nl2\r\nl3\r\nl4");
    TSynEditMark m;
    m.SetLine(3);
    m.Char = 2;
    m.SetImageIndex(56);
    Memo.Marks.Place(m);
    m.SetLine(4);
    Memo.Marks.Place(m);
    ASSERT_EQ(Memo.Marks.Count(), 2);
    EXPECT_EQ(Memo.markersAtLine(2) != 0, true);

    Memo.Lines.Insert(0, "new");
    EXPECT_EQ(Memo.Marks[0].Line(), 4);
    EXPECT_EQ(Memo.Marks[1].Line(), 5);
    EXPECT_EQ(Memo.Marks.MarksOnLine(5), std::vector<int>{1});
    Memo.Marks.ClearLine(4);
    ASSERT_EQ(Memo.Marks.Count(), 1);
    EXPECT_EQ(Memo.Marks[0].Line(), 5);
    EXPECT_EQ(Memo.markersAtLine(3), 0u);

    Memo.SetBookmark(1, 2, 2);
    Memo.SetBookmark(1, 3, 1);         // a number stands on one line only
    int line = 0, col = 0;
    ASSERT_TRUE(Memo.GetBookmark(1, line, col));
    EXPECT_EQ(line, 3);
    EXPECT_EQ(Memo.Marks.Count(), 2);
    Memo.GotoBookmark(1);
    EXPECT_EQ(Memo.CaretXY(), (TBufferCoord{1, 3}));

    // Reloading keeps the marks on their line numbers.
    WriteFile("m.txt", "a\nb\nc\nd\ne\nf\n");
    Memo.LoadFromFile(PathOf("m.txt"));
    EXPECT_EQ(Memo.Marks[0].Line(), 5);
    EXPECT_EQ(Memo.Marks[1].Line(), 3);
    EXPECT_NE(Memo.markersAtLine(4), 0u);
    Memo.ClearBookmark(1);
    Memo.Marks.Clear();
    EXPECT_EQ(Memo.Marks.Count(), 0);
    EXPECT_EQ(Memo.markersAtLine(4), 0u);
}

TEST_F(SynMemoTest, GutterClickReportsTheLine)
{
    Memo.SetText("a\r\nb\r\nc");
    int clickedLine = 0, clickedX = -1, clicks = 0;
    QObject::connect(&Memo, &TSynMemo::OnGutterClick, [&](Qt::MouseButton, int x, int, int line) {
        clickedLine = line;
        clickedX = x;
    });
    QObject::connect(&Memo, &TSynMemo::OnClick, [&] { ++clicks; });
    const QPoint p = Memo.RowColumnToPixels({1, 3});
    const QPoint inGutter(Memo.viewport()->geometry().left() + 5, p.y() + 2);
    Mouse(Memo, QEvent::MouseButtonPress, inGutter, Qt::LeftButton);
    Mouse(Memo, QEvent::MouseButtonRelease, inGutter, Qt::NoButton);
    EXPECT_EQ(clickedLine, 3);
    EXPECT_LT(clickedX, TSynGutter::MarkAreaWidth);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(Memo.SelAvail());   // the gutter selects nothing by itself
    Memo.Gutter.SetVisible(false);
    EXPECT_EQ(Memo.Gutter.Width(), 0);
}

TEST_F(SynMemoTest, KeyHandlersSeeAndMaySwallowKeys)
{
    QObject::connect(&Memo, &TSynMemo::OnKeyPress, [](char &c) {
        if (c == 'q') c = 0;
        if (c == 'a') c = 'A';
    });
    QObject::connect(&Memo, &TSynMemo::OnKeyDown, [](int &key, Qt::KeyboardModifiers m) {
        if (key == Qt::Key_L && (m & Qt::ControlModifier) && (m & Qt::ShiftModifier)) key = 0;
    });
    Memo.SetText("line");
    Type(&Memo, "qab");
    EXPECT_EQ(Memo.Text(), "Abline\r\n");
    Key(&Memo, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);   // not the component's line delete
    EXPECT_EQ(Memo.Text(), "Abline\r\n");
}

TEST_F(SynMemoTest, SearchFindsForwardBackwardAndByWord)
{
    Memo.SetText("z1 z10 Z1\r\n\xE9t\xE9 \xC9T\xC9");
    Memo.SetSelStart(0);
    EXPECT_EQ(Memo.SearchReplace("z1", "", ssoMatchCase), 1);
    EXPECT_EQ(Memo.SelStart(), 0);
    EXPECT_EQ(Memo.SearchReplace("z1", "", ssoMatchCase), 1);
    EXPECT_EQ(Memo.SelStart(), 3);     // the plain match also stops at z10
    EXPECT_EQ(Memo.SearchReplace("z1", "", ssoMatchCase), 0);
    EXPECT_EQ(Memo.SearchReplace("z1", "", 0), 1);
    EXPECT_EQ(Memo.SelStart(), 7);
    EXPECT_EQ(Memo.SearchReplace("z1", "", ssoWholeWord | ssoEntireScope), 1);
    EXPECT_EQ(Memo.SelStart(), 0);
    EXPECT_EQ(Memo.SearchReplace("z1", "", ssoWholeWord), 1);
    EXPECT_EQ(Memo.SelStart(), 7);
    EXPECT_EQ(Memo.SearchReplace("z1", "", ssoBackwards | ssoMatchCase), 1);
    EXPECT_EQ(Memo.SelStart(), 3);
    EXPECT_EQ(Memo.CaretX(), 4);       // a backward hit leaves the caret at its start
    // Letter case folds by the code page, not only in ASCII.
    EXPECT_EQ(Memo.SearchReplace("\xC9T\xC9", "", ssoEntireScope | ssoWholeWord), 1);
    EXPECT_EQ(Memo.SelStart(), 11);
    EXPECT_EQ(Memo.SearchReplace("t\xE9\r\n", "", ssoEntireScope), 0);
    EXPECT_EQ(Memo.SearchReplace("1\r\n\xE9", "", ssoEntireScope), 1);
    EXPECT_EQ(Memo.SelText(), "1\r\n\xE9");
}

TEST_F(SynMemoTest, ReplaceAllCountsAndAsksForEveryHit)
{
    Memo.SetText("a-a-a-a");
    Memo.SetSelStart(0);
    EXPECT_EQ(Memo.SearchReplace("a", "bb", ssoReplace | ssoReplaceAll | ssoEntireScope), 4);
    EXPECT_EQ(Memo.Text(), "bb-bb-bb-bb\r\n");
    Memo.Undo();
    EXPECT_EQ(Memo.Text(), "a-a-a-a\r\n");   // one undo step

    // Prompted: skip, replace, then the rest without asking.
    std::vector<TSynReplaceAction> answers = {raSkip, raReplace, raReplaceAll};
    std::vector<int> columns;
    std::vector<AnsiString> found, selected;
    QObject::connect(&Memo, &TSynMemo::OnReplaceText,
                     [&](const AnsiString &text, const AnsiString &, int line, int col, TSynReplaceAction &a) {
                         EXPECT_EQ(line, 1);
                         found.push_back(text);
                         selected.push_back(Memo.SelText());   // the hit is shown selected
                         columns.push_back(col);
                         a = answers[columns.size() - 1];
                     });
    EXPECT_EQ(Memo.SearchReplace("A", "xyz", ssoReplace | ssoReplaceAll | ssoPrompt | ssoEntireScope), 3);
    EXPECT_EQ(Memo.Text(), "a-xyz-xyz-xyz\r\n");
    EXPECT_EQ(columns, (std::vector<int>{1, 3, 7}));
    EXPECT_EQ(found, (std::vector<AnsiString>{"a", "a", "a"}));
    EXPECT_EQ(selected, found);

    EXPECT_EQ(Memo.UndoCount(), 2);

    // Backwards, "all" from the third hit on includes that hit.
    Memo.SetText("b b b b b");
    columns.clear();
    found.clear();
    selected.clear();
    answers = {raSkip, raReplaceAll};
    EXPECT_EQ(Memo.SearchReplace("b", "c", ssoReplace | ssoReplaceAll | ssoPrompt | ssoEntireScope | ssoBackwards), 4);
    EXPECT_EQ(Memo.Text(), "c c c c b\r\n");
    EXPECT_EQ(columns, (std::vector<int>{9, 7}));

    Memo.SetText("a-xyz-xyz-xyz");
    columns.clear();
    answers = {raReplace, raCancel};
    EXPECT_EQ(Memo.SearchReplace("xyz", "Q", ssoReplace | ssoReplaceAll | ssoPrompt | ssoEntireScope | ssoMatchCase), 1);
    EXPECT_EQ(Memo.Text(), "a-Q-xyz-xyz\r\n");
    EXPECT_EQ(columns, (std::vector<int>{3, 5}));
}

TEST_F(SynMemoTest, ReplaceInsideTheSelectionOnly)
{
    Memo.SetText("aaa\r\naaa\r\naaa");
    Memo.SetSelStart(5);
    Memo.SetSelEnd(8);
    EXPECT_EQ(Memo.SearchReplace("a", "b", ssoReplace | ssoReplaceAll | ssoSelectedOnly | ssoEntireScope), 3);
    EXPECT_EQ(Memo.Text(), "aaa\r\nbbb\r\naaa\r\n");
    // A replacement holding the search text is not searched again.
    Memo.SetSelStart(0);
    EXPECT_EQ(Memo.SearchReplace("b", "bb", ssoReplace | ssoReplaceAll), 3);
    EXPECT_EQ(Memo.Text(), "aaa\r\nbbbbbb\r\naaa\r\n");
}

TEST_F(SynMemoTest, ClipboardCarriesLatin1AndReadOnlyStopsOnlyTheUser)
{
    Memo.SetText("caf\xE9 \xFF");
    Memo.SelectAll();
    Memo.CopyToClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromLatin1("caf\xE9 \xFF"));
    Memo.SetSelStart(0);
    Memo.PasteFromClipboard();
    EXPECT_EQ(Memo.Text(), "caf\xE9 \xFF" "caf\xE9 \xFF\r\n");
    EXPECT_EQ(Memo.UndoCount(), 2);

    Memo.SetReadOnly(true);
    Type(&Memo, "x");
    EXPECT_EQ(Memo.Lines.Count(), 1);
    EXPECT_EQ(Memo.Lines[0], "caf\xE9 \xFF" "caf\xE9 \xFF");
    Memo.SetText("set by the program");
    Memo.Lines.Add("and more");
    EXPECT_EQ(Memo.Text(), "set by the program\r\nand more\r\n");
    EXPECT_TRUE(Memo.ReadOnly());
}

TEST_F(SynMemoTest, AppearanceSettingsReachTheComponent)
{
    Memo.SetRightEdge(60);
    EXPECT_EQ(Memo.edgeColumn(), 60);
    EXPECT_EQ(Memo.edgeMode(), QsciScintilla::EdgeLine);
    Memo.SetRightEdge(0);
    EXPECT_EQ(Memo.edgeMode(), QsciScintilla::EdgeNone);
    Memo.SetRightEdgeColor(clRed);
    EXPECT_EQ(Memo.edgeColor(), QColor(255, 0, 0));
    Memo.SetColor(clYellow);
    EXPECT_EQ(Memo.paper(), QColor(255, 255, 0));
    Memo.SetFontName("NoSuchFontAnywhere");
    Memo.SetFontSize(14);
    const QFontMetrics metrics(Memo.Font());
    EXPECT_EQ(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));
    EXPECT_EQ(Memo.FontSize(), 14);
    EXPECT_GT(Memo.LineHeight(), 10);
    Memo.Gutter.SetShowLineNumbers(true);
    EXPECT_EQ(Memo.marginType(1), QsciScintilla::NumberMargin);
    EXPECT_GE(Memo.Gutter.Width(), 30);
}

} // namespace
