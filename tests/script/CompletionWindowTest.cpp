// The two completion popups in a real main window with a script window: typed keys, the delay
// of the trigger characters, the status panel, insertion and undo.
#include "platform/ActionList.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/StatusBar.h"
#include "platform/TRegistry.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynCompletionProposal.h"
#include "synedit/SynMemo.h"
#include "TestFiles.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

class CompletionWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Root = FromQPath(QDir(Dir.path()).canonicalPath());
        ProgramFolder = Root + "/prog";
        ASSERT_TRUE(QDir().mkpath(ToQPath(ProgramFolder + "/Syntax")));
        setenv("QUILLET_REGISTRY", (Root + "/settings.reg").c_str(), 1);
        Application->SetCommandLine({ProgramFolder + "/quillet"});
        Boxes = std::make_unique<MessageBoxRecorder>();
        SetDelay(60);
    }

    void TearDown() override
    {
        delete Form;
        Form = nullptr;
        Boxes.reset();
        Application->SetCommandLine({});
        unsetenv("QUILLET_REGISTRY");
    }

    void InstallShippedTable()
    {
        ASSERT_TRUE(QFile::copy(QUILLET_DATA "/Syntax/SCL.CFG", ToQPath(ProgramFolder + "/Syntax/SCL.CFG")));
    }

    void Setting(const std::function<void(TRegistry &)> &write)
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
        write(reg);
    }
    void SetDelay(int ms) { Setting([&](TRegistry &r) { r.WriteInteger("SCL_Delay", ms); }); }

    // The main window with one script window holding the text; returns its text pane.
    TSynMemo *StartWithScript(const AnsiString &text)
    {
        Form = new TMainForm;
        Form->resize(900, 700);
        Form->show();
        const AnsiString path = Root + "/script.kas";
        WriteAll(ToQPath(path), text);
        Form->OpenDocument(path, "KAS_Document");
        QCoreApplication::processEvents();
        TSynMemo *memo = Form->ActiveEditor()->Memo1;
        memo->setFocus();
        QCoreApplication::processEvents();
        return memo;
    }

    static void Key(QWidget *target, int key, const QString &text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent override(QEvent::ShortcutOverride, key, mods, text);
        QCoreApplication::sendEvent(target, &override);
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QCoreApplication::sendEvent(target, &release);
    }

    static void Type(QWidget *target, const char *text)
    {
        for (const char *c = text; *c; ++c) {
            const QChar ch = QChar::fromLatin1(*c);
            Key(target, ch.toUpper().unicode(), QString(ch));
        }
    }

    static bool WaitFor(const std::function<bool()> &done, int ms = 3000)
    {
        const QDeadlineTimer deadline(ms);
        while (!done()) {
            if (deadline.hasExpired()) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(2);
        }
        return true;
    }

    TSynCompletionProposal *Context() const { return Form->SynCompletionProposal2; }
    TSynCompletionProposal *FastInsert() const { return Form->SynCompletionProposal1; }
    AnsiString Status() const { return Form->StatusBar1->Panels[0].Text(); }

    QTemporaryDir Dir;
    AnsiString Root, ProgramFolder;
    TMainForm *Form = nullptr;
    std::unique_ptr<MessageBoxRecorder> Boxes;
};

TEST_F(CompletionWindowTest, ColonAfterReceiverOpensItsRecordAfterTheDelayAndEnterInserts)
{
    InstallShippedTable();
    SetDelay(150);
    TSynMemo *memo = StartWithScript("");
    Type(memo, "!!VR:");
    EXPECT_FALSE(Context()->Active()) << "opens only after the delay";
    EXPECT_TRUE(Context()->TimerPending());
    ASSERT_TRUE(WaitFor([&] { return Context()->Active(); }));

    EXPECT_EQ(Context()->Title, "Variable");
    ASSERT_GE(Context()->ItemList.Count(), 2);
    EXPECT_EQ(Context()->ItemList[0], "S\tset the value (number, variable or ^text^)");
    EXPECT_EQ(Status(), "S - set the value (number, variable or ^text^) (<Esc> for close)");
    // Placed below the caret line, in the pane's screen.
    const QPoint caret = memo->mapToGlobal(memo->RowColumnToPixels(memo->CaretXY()));
    EXPECT_GE(Context()->Form()->geometry().top(), caret.y() + memo->LineHeight() - 1);
    EXPECT_NEAR(Context()->Form()->geometry().left(), caret.x(), 2);
    EXPECT_GE(Context()->Form()->width(), Context()->Width);
    const auto *list = Context()->Form()->findChild<QListWidget *>();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->viewport()->height() / list->sizeHintForRow(0), Context()->NbLinesInWindow);

    Key(memo, Qt::Key_Down);
    EXPECT_EQ(Context()->Position(), 1);
    EXPECT_EQ(Status(), "+ - add (<Esc> for close)");
    Key(memo, Qt::Key_Return);
    EXPECT_FALSE(Context()->Active());
    EXPECT_EQ(memo->Lines.Strings(0), "!!VR:+");
    EXPECT_EQ(memo->CaretX(), 7);
    EXPECT_EQ(Status(), "");
    EXPECT_TRUE(Boxes->Calls.empty());
}

TEST_F(CompletionWindowTest, PageKeysMoveByAWindowAndStopAtTheEnds)
{
    InstallShippedTable();
    TSynMemo *memo = StartWithScript("!!VR:\r\n");
    memo->SetCaretXY({6, 1});
    Key(memo, Qt::Key_Space, " ", Qt::ControlModifier);
    ASSERT_TRUE(Context()->Active());
    const int last = Context()->ItemList.Count() - 1;
    struct Step
    {
        int Key;
        int Position;
    };
    for (const Step step : {Step{Qt::Key_Up, 0}, Step{Qt::Key_PageDown, 9}, Step{Qt::Key_PageDown, last},
                            Step{Qt::Key_Down, last}, Step{Qt::Key_PageUp, last - 9}, Step{Qt::Key_PageUp, 0}}) {
        Key(memo, step.Key);
        EXPECT_EQ(Context()->Position(), step.Position) << "after key " << step.Key;
    }
    EXPECT_EQ(memo->CaretXY(), (TBufferCoord{6, 1})) << "the pane did not see the keys";
}

TEST_F(CompletionWindowTest, ClickSelectsAndDoubleClickInserts)
{
    InstallShippedTable();
    TSynMemo *memo = StartWithScript("!!TM:\r\n");
    memo->SetCaretXY({6, 1});
    Key(memo, Qt::Key_Space, " ", Qt::ControlModifier);
    ASSERT_TRUE(Context()->Active());
    auto *list = Context()->Form()->findChild<QListWidget *>();
    ASSERT_NE(list, nullptr);
    const QPoint third = list->visualItemRect(list->item(2)).center();
    QMouseEvent press(QEvent::MouseButtonPress, third, list->viewport()->mapToGlobal(third), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, third, list->viewport()->mapToGlobal(third), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &release);
    EXPECT_EQ(Context()->Position(), 2);
    EXPECT_EQ(Status(), "D - disable for the players (<Esc> for close)");
    QMouseEvent twice(QEvent::MouseButtonDblClick, third, list->viewport()->mapToGlobal(third), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &twice);
    EXPECT_FALSE(Context()->Active());
    EXPECT_EQ(memo->Lines.Strings(0), "!!TM:D");
}

TEST_F(CompletionWindowTest, EscClosesAndClearsTheStatusPanel)
{
    InstallShippedTable();
    TSynMemo *memo = StartWithScript("!!IF:\r\n");
    memo->SetCaretXY({6, 1});
    Key(memo, Qt::Key_Space, " ", Qt::ControlModifier);
    ASSERT_TRUE(Context()->Active());
    EXPECT_EQ(Context()->Title, "Conditions and messages");
    EXPECT_NE(Status(), "");
    Key(memo, Qt::Key_Escape);
    EXPECT_FALSE(Context()->Active());
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(memo->Lines.Strings(0), "!!IF:");
}

TEST_F(CompletionWindowTest, CtrlSpaceOnAnEmptyLineShowsTheMainList)
{
    InstallShippedTable();
    TSynMemo *memo = StartWithScript("");
    Key(memo, Qt::Key_Space, " ", Qt::ControlModifier);
    ASSERT_TRUE(Context()->Active());
    EXPECT_EQ(Context()->Title, "KAS script");
    EXPECT_EQ(Context()->InsertList[0], "JOTE");
    Key(memo, Qt::Key_Return);
    EXPECT_EQ(memo->Lines.Strings(0), "JOTE");
}

TEST_F(CompletionWindowTest, TheWordBeingTypedIsReplacedAndOtherKeysReachThePane)
{
    InstallShippedTable();
    TSynMemo *memo = StartWithScript("");
    Type(memo, "JO");
    Key(memo, Qt::Key_Space, " ", Qt::ControlModifier);
    ASSERT_TRUE(Context()->Active());
    EXPECT_EQ(Context()->CurrentString(), "JO");
    Key(memo, Qt::Key_Return);
    EXPECT_EQ(memo->Lines.Strings(0), "JOTE");

    // A typed letter goes into the pane, and a change of the text closes the context popup.
    Key(memo, Qt::Key_Return);
    Key(memo, Qt::Key_Space, " ", Qt::ControlModifier);
    ASSERT_TRUE(Context()->Active());
    Type(memo, "Q");
    EXPECT_EQ(memo->Lines.Strings(1), "Q");
    EXPECT_FALSE(Context()->Active());
    EXPECT_EQ(Status(), "");
}

TEST_F(CompletionWindowTest, EndOfTokenCharacterCompletesAndTypesItself)
{
    InstallShippedTable();
    SetDelay(40);
    TSynMemo *memo = StartWithScript("");
    Type(memo, "!!");
    ASSERT_TRUE(WaitFor([&] { return Context()->Active(); }));
    EXPECT_EQ(Context()->Title, "Receivers");
    EXPECT_EQ(Context()->InsertList[0], "VR");
    Type(memo, ":");
    EXPECT_EQ(memo->Lines.Strings(0), "!!VR:");
    // The colon is a trigger character too: the receiver's record follows.
    ASSERT_TRUE(WaitFor([&] { return Context()->Active(); }));
    EXPECT_EQ(Context()->Title, "Variable");
}

TEST_F(CompletionWindowTest, WithoutTableThePopupNeverOpensAndSaysNothing)
{
    TSynMemo *memo = StartWithScript("");
    Type(memo, "!!VR:");
    EXPECT_FALSE(WaitFor([&] { return Context()->Active(); }, 300));
    Key(memo, Qt::Key_Space, " ", Qt::ControlModifier);
    EXPECT_FALSE(Context()->Active());
    EXPECT_EQ(memo->Lines.Strings(0), "!!VR:");
    EXPECT_EQ(Status(), "");
    EXPECT_TRUE(Boxes->Calls.empty());
}

TEST_F(CompletionWindowTest, ZeroDelaySwitchesTheTriggerCharactersOff)
{
    InstallShippedTable();
    SetDelay(0);
    TSynMemo *memo = StartWithScript("");
    Type(memo, "!!VR:");
    EXPECT_FALSE(Context()->TimerPending());
    EXPECT_FALSE(WaitFor([&] { return Context()->Active(); }, 200));
    Key(memo, Qt::Key_Space, " ", Qt::ControlModifier);
    EXPECT_TRUE(Context()->Active());
}

TEST_F(CompletionWindowTest, KeyFoundLinesAboveAfterEditsBelowIt)
{
    InstallShippedTable();
    TSynMemo *memo = StartWithScript("!!TM1\r\n\r\n");
    memo->SetCaretXY({1, 2});
    Key(memo, Qt::Key_Space, " ", Qt::ControlModifier);   // builds the pane's key lines
    Key(memo, Qt::Key_Escape);
    Type(memo, "x;");
    Key(memo, Qt::Key_Return);
    Type(memo, ":");
    ASSERT_EQ(memo->Lines.Strings(2), ":");
    Key(memo, Qt::Key_Space, " ", Qt::ControlModifier);
    ASSERT_TRUE(Context()->Active());
    EXPECT_EQ(Context()->Title, "Timer");
}

TEST_F(CompletionWindowTest, PopupsFollowTheActiveDocumentWindow)
{
    InstallShippedTable();
    TSynMemo *first = StartWithScript("");
    WriteAll(ToQPath(Root + "/second.kas"), "");
    Form->OpenDocument(Root + "/second.kas", "KAS_Document");
    QCoreApplication::processEvents();
    TSynMemo *second = Form->ActiveEditor()->Memo1;
    ASSERT_NE(first, second);
    EXPECT_EQ(static_cast<TSynMemo *>(Context()->Editor), second);
    EXPECT_EQ(static_cast<TSynMemo *>(FastInsert()->Editor), second);
    Key(first, Qt::Key_Space, " ", Qt::ControlModifier);
    EXPECT_FALSE(Context()->Active()) << "a pane the popup is not attached to does not open it";
    Key(second, Qt::Key_Space, " ", Qt::ControlModifier);
    EXPECT_TRUE(Context()->Active());
    delete Form->ActiveMDIChild();   // the pane goes while the popup is open
    QCoreApplication::processEvents();
    EXPECT_FALSE(Context()->Active());
}

// Reopen document reads the pane's text from the file again: a colon typed after it looks at the
// lines above as the file now has them, not as they were when the popup last opened.
TEST_F(CompletionWindowTest, AfterReopenDocumentTheKeyComesFromTheTextAsItNowReads)
{
    InstallShippedTable();
    SetDelay(20);
    TSynMemo *memo = StartWithScript("JOTE\r\n!!VR\r\na\r\nx\r\n");
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form));
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, mods);
        QCoreApplication::processEvents();
        Form->ActionList1->UpdateActions();
    };
    const auto colonAfterX = [&] {
        press(Qt::Key_End, Qt::ControlModifier);
        ASSERT_EQ(memo->CaretXY(), (TBufferCoord{2, 4}));
        QTest::keyClicks(memo, ":");
        ASSERT_TRUE(WaitFor([&] { return Context()->Active(); }));
        EXPECT_FALSE(Context()->Form()->grab().isNull());
    };
    colonAfterX();
    EXPECT_EQ(Context()->Title, "Variable");
    press(Qt::Key_Escape);
    press(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(memo->Lines.Strings(3), "x");

    WriteAll(ToQPath(Root + "/script.kas"), "JOTE\r\n!!VR\r\n!!IF\r\nx\r\n");
    Boxes->Answers = {IDYES};   // should the text count as changed, its changes may go
    press(Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(Form->ActiveEditor()->Memo1, memo);
    ASSERT_EQ(memo->Lines.Strings(2), "!!IF");
    colonAfterX();
    EXPECT_EQ(Context()->Title, "Conditions and messages");
    press(Qt::Key_Return);
    EXPECT_EQ(memo->Lines.Strings(3), "x:M^^");
}

// ---- The fast-insert popup ----

TEST_F(CompletionWindowTest, InsertKeyInsertsTheExpandedEntryAsOneUndoStep)
{
    const AnsiString list = Root + "/mine.il";
    WriteAll(ToQPath(list), "[Captions]\r\n0=Line twice\r\n1=Separator\r\n[Items]\r\n0=[_LINE#_]:[_LINE#_]\r\n"
                            "1=[_SEPAR4_][_EOL_][_FILENAME_]\r\n");
    Setting([&](TRegistry &r) {
        r.WriteString("InsertListFile", list);
        r.WriteInteger("EditorRightEdge", 10);
    });
    AnsiString text;
    for (int i = 1; i <= 12; ++i) text += "line" + IntToStr(i) + ";\r\n";
    TSynMemo *memo = StartWithScript(text);
    EXPECT_EQ(FastInsert()->Title, "Fast insert list: \"mine.il\"");
    EXPECT_EQ(FastInsert()->ItemList[0], "[_LINE#_]:...\tLine twice");

    memo->SetCaretXY({8, 12});
    const int undoBefore = memo->UndoCount();
    Key(memo, Qt::Key_Insert);
    ASSERT_TRUE(FastInsert()->Active());
    EXPECT_TRUE(memo->InsertMode()) << "the popup's shortcut does not reach the pane";
    Key(memo, Qt::Key_Return);
    EXPECT_FALSE(FastInsert()->Active());
    EXPECT_EQ(memo->Lines.Strings(11), "line12;12:12 ");
    EXPECT_EQ(memo->UndoCount(), undoBefore + 1);
    memo->Undo();
    EXPECT_EQ(memo->Lines.Strings(11), "line12;");

    memo->SetCaretXY({1, 1});
    Key(memo, Qt::Key_Insert);
    Key(memo, Qt::Key_Down);
    Key(memo, Qt::Key_Return);
    EXPECT_EQ(memo->Lines.Strings(0), ";=========");
    EXPECT_EQ(memo->Lines.Strings(1), "script.kasline1; ");
}

TEST_F(CompletionWindowTest, TypingWhileTheFastInsertListIsOpenSelectsTheMatchingEntry)
{
    const AnsiString list = Root + "/mine.il";
    WriteAll(ToQPath(list), "[Items]\r\n0=alpha\r\n1=beta\r\n2=Bet2\r\n");
    Setting([&](TRegistry &r) { r.WriteString("InsertListFile", list); });
    TSynMemo *memo = StartWithScript("x ");
    memo->SetCaretXY({3, 1});
    Key(memo, Qt::Key_Insert);
    ASSERT_TRUE(FastInsert()->Active());
    const auto typeAndWait = [&](const char *text) {
        Type(memo, text);
        QCoreApplication::processEvents();
    };
    typeAndWait("b");
    EXPECT_EQ(FastInsert()->Position(), 1);
    typeAndWait("et2");
    EXPECT_EQ(FastInsert()->Position(), 2) << "matched without letter case";
    EXPECT_EQ(FastInsert()->CurrentString(), "bet2");
    Key(memo, Qt::Key_Return);
    EXPECT_EQ(memo->Lines.Strings(0), "x Bet2 ") << "the typed word is replaced";

    memo->SetCaretXY({3, 1});
    Key(memo, Qt::Key_Insert);
    ASSERT_TRUE(FastInsert()->Active());
    Key(memo, Qt::Key_Left);
    QCoreApplication::processEvents();
    EXPECT_FALSE(FastInsert()->Active()) << "the caret left the word";
}

TEST_F(CompletionWindowTest, UnreadableListLeavesTheFastInsertPopupEmpty)
{
    Setting([&](TRegistry &r) { r.WriteString("InsertListFile", Root); });   // a folder, not a file
    TSynMemo *memo = StartWithScript("");
    EXPECT_EQ(FastInsert()->ItemList.Count(), 0);
    Key(memo, Qt::Key_Insert);
    EXPECT_FALSE(FastInsert()->Active());
    EXPECT_TRUE(Boxes->Calls.empty());
}

} // namespace
