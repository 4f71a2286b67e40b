// The document window: its two layouts, status figures and buttons, bookmarks, closing.
#include "shell/DocumentTestSupport.h"

#include "platform/StatusBar.h"
#include "platform/TRegistry.h"
#include "platform/TStringGrid.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynCompletionProposal.h"
#include "synedit/SynMemo.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QTabBar>
#include <QToolButton>

namespace {

class EditorWin : public DocumentTest
{
protected:
    TForm_Editor *Script(const AnsiString &text = "first\r\nsecond\r\nthird\r\n")
    {
        return OpenFile("doc.kas", text, "KAS_Document");
    }

    static std::vector<AnsiString> MenuCaptions(const QMenu *menu)
    {
        std::vector<AnsiString> captions;
        for (const QAction *item : menu->actions())
            captions.push_back(item->isSeparator() ? "-" : FromQ(item->text()));
        return captions;
    }
};

TEST_F(EditorWin, TextLayoutShowsTheFourButtonsAndHidesTheMarker)
{
    TForm_Editor *w = Script();
    EXPECT_FALSE(w->StatusBar1->isHidden());
    EXPECT_TRUE(w->StatusBar2->isHidden());
    ASSERT_EQ(w->StatusBar1->Panels.Count(), 12);
    ASSERT_EQ(w->StatusBar2->Panels.Count(), 11);

    const std::vector<std::pair<QToolButton *, const char *>> buttons = {
        {w->HighlighterButton, "H"}, {w->SelectionModeButton, "N"}, {w->EditModeButton, "I"}, {w->TabWidthButton, "T"}};
    int left = w->StatusBar1->PanelRect(7).left() + 3;
    int widths = 0;
    for (const auto &[button, caption] : buttons) {
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(FromQ(button->text()), caption);
        EXPECT_EQ(button->x(), left);
        EXPECT_EQ(button->y(), 2);
        EXPECT_EQ(button->width(), button->height());
        left += button->width() + 1;
        widths += button->width();
    }
    EXPECT_EQ(FromQ(w->HighlighterButton->toolTip()), "Current window properties: Highlighter ON/OFF");
    EXPECT_EQ(FromQ(w->TabWidthButton->toolTip()), "Current window properties: Tabs width");
    EXPECT_EQ(w->StatusBar1->Panels[7].Width(), widths + 8);

    ASSERT_NE(w->ModifiedMarker, nullptr);
    EXPECT_EQ(w->ModifiedMarker->parentWidget(), w->StatusBar1);
    EXPECT_EQ(w->ModifiedMarker->x(), w->StatusBar1->PanelRect(9).left() + 3);
    EXPECT_FALSE(w->IsModified());
    EXPECT_EQ(w->ModifiedHint(), "Document was changed");
    EXPECT_EQ(w->GridPropertiesButton, nullptr);
}

TEST_F(EditorWin, TableLayoutShowsThePropertiesButtonAndTheRowColumnPanels)
{
    TForm_Editor *w = OpenFile("t.kao", "a\tb\r\n", "KAO_Document");
    EXPECT_TRUE(w->StatusBar1->isHidden());
    EXPECT_FALSE(w->StatusBar2->isHidden());
    EXPECT_EQ(w->StatusBar2->Panels[1].Text(), "Row:");
    EXPECT_EQ(w->StatusBar2->Panels[4].Text(), "Column:");
    EXPECT_EQ(w->StatusBar2->Panels[7].Text(), "Symbols:");
    ASSERT_NE(w->GridPropertiesButton, nullptr);
    EXPECT_EQ(FromQ(w->GridPropertiesButton->toolTip()), "Current window properties");
    const int left = w->StatusBar2->PanelRect(10).left();
    EXPECT_EQ(w->GridPropertiesButton->x(), left + 3);
    EXPECT_EQ(w->ModifiedMarker->parentWidget(), w->StatusBar2);
    EXPECT_EQ(w->ModifiedMarker->x(), left + w->GridPropertiesButton->width() + 13);
    EXPECT_EQ(w->HighlighterButton, nullptr);
}

TEST_F(EditorWin, TabWidthSettingChecksItsMenuItemAndRulesTheTabKey)
{
    struct Case { int Width; const char *Checked; bool WantTabs; };
    const Case cases[] = {{1, "Tabs OFF", false}, {4, "TAB = 4 symbols", true}, {10, "TAB = 10 symbols", true},
                          {12, "Tabs OFF", true}};
    for (const Case &c : cases) {
        Form->EditorTabWidth = c.Width;
        TForm_Editor *w = OpenNew("w" + IntToStr(c.Width) + ".kas", "KAS_Document");
        AnsiString checked;
        for (const QAction *item : w->PopupMenu7->actions())
            if (item->isChecked()) checked = FromQ(item->text());
        EXPECT_EQ(checked, c.Checked) << c.Width;
        EXPECT_EQ(w->Memo1->WantTabs(), c.WantTabs) << c.Width;
        EXPECT_EQ(w->StatusBar1->Panels[8].Text(), IntToStr(c.Width));
    }
}

TEST_F(EditorWin, TabMenuItemsSetTheWidthAndTheTabKey)
{
    TForm_Editor *w = Script();
    w->TAB2symbols1Click(w->TABsymbols[4]);
    EXPECT_EQ(w->Memo1->TabWidth(), 6);
    EXPECT_TRUE(w->Memo1->WantTabs());
    EXPECT_TRUE(w->TABsymbols[4]->isChecked());
    EXPECT_EQ(w->StatusBar1->Panels[8].Text(), "6");
    w->TabsOFF1Click();
    EXPECT_EQ(w->Memo1->TabWidth(), 1);
    EXPECT_FALSE(w->Memo1->WantTabs());
    EXPECT_TRUE(w->TabsOFF1->isChecked());
    EXPECT_EQ(w->StatusBar1->Panels[8].Text(), "1");
}

TEST_F(EditorWin, AChangeShowsTheMarkerWithTheUndoAndRedoCounts)
{
    TForm_Editor *w = Script();
    w->Memo1->SetCaretXY({1, 2});
    w->Memo1->SetSelText("x");
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->IsModified());
    EXPECT_EQ(w->ModifiedHint(), "Document was changed: Undo count=1, Redo count=0");
    w->Memo1->Undo();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->ModifiedHint(), "Document was changed: Undo count=0, Redo count=1");
}

TEST_F(EditorWin, StatusPanelsShowSelectionCaretAndSelectionLength)
{
    TForm_Editor *w = Script("abc\r\ndefg\r\n");
    w->Memo1->SetSelStart(6);
    w->Memo1->SetSelLength(2);
    w->Memo1Click();
    EXPECT_EQ(w->StatusBar1->Panels[1].Text(), "6/11");
    EXPECT_EQ(w->StatusBar1->Panels[3].Text(), IntToStr(w->Memo1->CaretX()) + " : 2/2");
    EXPECT_EQ(w->StatusBar1->Panels[5].Text(), "2");
}

TEST_F(EditorWin, SelectionModesByMenuAndByKeys)
{
    TForm_Editor *w = Script();
    struct Case { int Key; TSynSelectionMode Mode; const char *Caption; QAction *TForm_Editor::*Item; };
    const Case cases[] = {{Qt::Key_L, smLine, "L", &TForm_Editor::Line1},
                          {Qt::Key_C, smColumn, "C", &TForm_Editor::Column1},
                          {Qt::Key_N, smNormal, "N", &TForm_Editor::Normal1}};
    for (const Case &c : cases) {
        int key = c.Key;
        w->Memo1KeyDown(key, Qt::ShiftModifier | Qt::ControlModifier);
        EXPECT_EQ(w->Memo1->SelectionMode(), c.Mode);
        EXPECT_EQ(FromQ(w->SelectionModeButton->text()), c.Caption);
        EXPECT_TRUE((w->*c.Item)->isChecked()) << c.Caption;
    }
    int key = Qt::Key_L;
    w->Memo1KeyDown(key, Qt::ControlModifier);   // Ctrl alone switches nothing
    EXPECT_EQ(w->Memo1->SelectionMode(), smNormal);
    w->Line1Click();
    EXPECT_EQ(w->Memo1->SelectionMode(), smLine);
    EXPECT_TRUE(w->Line1->isChecked());
}

TEST_F(EditorWin, HighlighterButtonAttachesTheSharedHighlighter)
{
    Form->EditorHighlightKAS = true;
    TForm_Editor *w = Script();
    EXPECT_TRUE(w->HighlighterButton->isChecked());
    EXPECT_NE(w->Memo1->Highlighter(), nullptr);
    w->HighlighterButton->click();
    EXPECT_FALSE(w->HighlighterButton->isChecked());
    EXPECT_EQ(w->Memo1->Highlighter(), nullptr);
}

TEST_F(EditorWin, PadLeftWithZeros)
{
    EXPECT_EQ(PadLeftWithZeros("7", 3), "007");
    EXPECT_EQ(PadLeftWithZeros("", 2), "00");
    EXPECT_EQ(PadLeftWithZeros("1234", 3), "1234");
    EXPECT_EQ(PadLeftWithZeros("12", 0), "12");
}

TEST_F(EditorWin, ActivationSelectsTheWindowsTab)
{
    TForm_Editor *a = OpenNew("a.kas", "KAS_Document");
    OpenNew("b.kas", "KAS_Document");
    EXPECT_EQ(Form->TabSet1->currentIndex(), 1);
    Form->MdiArea->setActiveSubWindow(a);
    EXPECT_EQ(Form->TabSet1->currentIndex(), 0);
    EXPECT_EQ(Form->SynCompletionProposal1->Editor, a->Memo1);
    EXPECT_EQ(Form->SynCompletionProposal2->Editor, a->Memo1);
    EXPECT_EQ(FromQPath(Form->TabSet1->toolTip()), Root + "/a.kas (Ctrl+Tab)");
}

// ---------------------------------------------------------------------------------------------
// Bookmarks

TEST_F(EditorWin, GutterClickBeyondTheMarkAreaOnlyMovesTheCaret)
{
    TForm_Editor *w = Script();
    w->Memo1GutterClick(Qt::LeftButton, 20, 5, 3);
    EXPECT_EQ(w->Memo1->CaretY(), 3);
    EXPECT_FALSE(w->PopupMenu1->isVisible());
    w->Memo1GutterClick(Qt::LeftButton, 4, 5, 2);
    EXPECT_EQ(w->Memo1->CaretY(), 2);
    EXPECT_EQ(FromQ(w->Createbookmark1->text()), "Create bookmark");
    w->PopupMenu1->hide();
}

TEST_F(EditorWin, BookmarkCaptionsAreTrimmedQuotedAndCut)
{
    EXPECT_EQ(BookmarkCaption("  hello  ", 4), "\"hello\"");
    EXPECT_EQ(BookmarkCaption("   ", 9), "9");
    EXPECT_EQ(BookmarkCaption(AnsiString(55, 'a'), 1), "\"" + AnsiString(55, 'a') + "\"");
    EXPECT_EQ(BookmarkCaption(AnsiString(50, 'b'), 1), "\"" + AnsiString(50, 'b') + "\"");
    EXPECT_EQ(BookmarkCaption(AnsiString(80, 'c'), 1), "\"" + AnsiString(60, 'c') + "\"");
}

TEST_F(EditorWin, BookmarksCreateReplaceGoToAndDelete)
{
    TForm_Editor *w = Script("one\r\n  two  \r\nthree\r\n\r\n");
    auto create = [&](int line, int column) {
        w->Memo1->SetCaretXY({column, line});
        w->Createbookmark1->setData(0);
        w->Createbookmark1Click();
    };
    w->Memo1->SetCaretXY({3, 2});
    w->Memo1GutterClick(Qt::LeftButton, 2, 2, 2);
    w->PopupMenu1->hide();
    EXPECT_EQ(w->Createbookmark1->data().toInt(), 0);
    w->Createbookmark1Click();
    EXPECT_EQ(MenuCaptions(w->PopupMenu1), std::vector<AnsiString>({"Create bookmark", "Delete all bookmarks", "-", "\"two\""}));
    create(4, 1);
    create(2, 5);   // a line holds one bookmark: the new one replaces the old, menu item included
    EXPECT_EQ(MenuCaptions(w->PopupMenu1),
              std::vector<AnsiString>({"Create bookmark", "Delete all bookmarks", "-", "4", "\"two\""}));
    ASSERT_EQ(w->Memo1->Marks.Count(), 2);
    EXPECT_EQ(w->Memo1->Marks[1].Line(), 2);
    EXPECT_EQ(w->Memo1->Marks[1].ImageIndex(), 56);

    QAction *two = w->PopupMenu1->actions().at(4);
    EXPECT_EQ(two->data().toInt(), 2);
    w->Memo1->SetCaretXY({1, 1});
    w->BookmarkMenuClick(two);
    EXPECT_EQ(w->Memo1->CaretY(), 2);
    EXPECT_EQ(w->Memo1->CaretX(), 5);

    // A click on a marked line offers deleting; the later items are renumbered.
    w->Memo1->SetCaretXY({1, 4});
    w->Memo1GutterClick(Qt::LeftButton, 2, 2, 4);
    w->PopupMenu1->hide();
    EXPECT_EQ(FromQ(w->Createbookmark1->text()), "Delete bookmark");
    w->Createbookmark1Click();
    EXPECT_EQ(MenuCaptions(w->PopupMenu1), std::vector<AnsiString>({"Delete bookmark", "Delete all bookmarks", "-", "\"two\""}));
    EXPECT_EQ(w->PopupMenu1->actions().at(3)->data().toInt(), 1);
    w->BookmarkMenuClick(w->PopupMenu1->actions().at(3));
    EXPECT_EQ(w->Memo1->CaretY(), 2);

    // Deleting the last one removes "Delete all bookmarks" and the separator.
    w->Memo1GutterClick(Qt::LeftButton, 2, 2, 2);
    w->PopupMenu1->hide();
    w->Createbookmark1Click();
    EXPECT_EQ(MenuCaptions(w->PopupMenu1), std::vector<AnsiString>({"Delete bookmark"}));
    EXPECT_EQ(w->Memo1->Marks.Count(), 0);
}

TEST_F(EditorWin, DeleteAllRemovesEveryMarkAndItem)
{
    TForm_Editor *w = Script();
    for (int line : {1, 3}) {
        w->Memo1->SetCaretXY({1, line});
        w->Createbookmark1->setData(0);
        w->Createbookmark1Click();
    }
    ASSERT_EQ(w->PopupMenu1->actions().size(), 5);
    w->DeleteAllMenuClick();
    EXPECT_EQ(MenuCaptions(w->PopupMenu1), std::vector<AnsiString>({"Create bookmark"}));
    EXPECT_EQ(w->Memo1->Marks.Count(), 0);
}

TEST_F(EditorWin, PointerNearTheLeftEdgeHintsAtBookmarks)
{
    TForm_Editor *w = Script();
    w->Memo1MouseMove({}, 15, 3);
    EXPECT_EQ(FromQ(w->Memo1->toolTip()), "Click the left button of the mouse for bookmarks management");
    w->Memo1MouseMove({}, 16, 3);
    EXPECT_TRUE(w->Memo1->toolTip().isEmpty());
}

// ---------------------------------------------------------------------------------------------
// Closing

TEST_F(EditorWin, ClosingRenumbersTheLaterWindowsAndRemovesTheTab)
{
    for (const char *name : {"a.kas", "b.cmd", "c.kas"}) OpenNew(name, name[2] == 'k' ? "KAS_Document" : "CMD_Document");
    TForm_Editor *b = Editor(1);
    TForm_Editor *c = Editor(2);
    ASSERT_TRUE(b && c);
    EXPECT_TRUE(b->close());
    QCoreApplication::processEvents();
    EXPECT_EQ(c->Tag, 1);
    EXPECT_EQ(Editor(0)->Tag, 0);
    ASSERT_EQ(Form->TabSet1->count(), 2);
    EXPECT_EQ(FromQ(Form->TabSet1->tabText(1)), "c.kas");
    EXPECT_TRUE(Editor(0)->close());
    EXPECT_TRUE(c->close());
    QCoreApplication::processEvents();
    EXPECT_EQ(Form->TabSet1->count(), 0);
    EXPECT_TRUE(Form->TabSet1->isHidden());
    EXPECT_EQ(EditorCount(), 0);
}

TEST_F(EditorWin, WindowNumbersFollowTheWindowCount)
{
    const int before = Form->DocumentWindowCounter;
    OpenNew("a.kas", "KAS_Document");
    OpenNew("b.kas", "KAS_Document");
    Editor(0)->close();
    QCoreApplication::processEvents();
    TForm_Editor *c = OpenNew("c.kas", "KAS_Document");
    EXPECT_EQ(c->Tag, 1);
    EXPECT_EQ(Form->DocumentWindowCounter, before + 3);
}

TEST_F(EditorWin, CloseQueryStoresTheTableLayout)
{
    TForm_Editor *w = OpenFile("t.kao", "a\tb\r\nc\td\r\n", "KAO_Document");
    for (int c = 0; c < 11; ++c) w->StringGrid1->SetColWidth(c, 40 + c);
    w->StringGrid1->SetFixedCols(2);
    w->StringGrid1->SetFixedRows(1);
    w->SetCellEditorHeight(77);
    ASSERT_TRUE(w->close());
    WithSettings([](TRegistry &reg) {
        for (int c = 0; c < 11; ++c) EXPECT_EQ(reg.ReadInteger("KAO_Document_ColumnWidth" + IntToStr(c)), 40 + c);
        EXPECT_FALSE(reg.ValueExists("KAO_Document_ColumnWidth11"));
        EXPECT_EQ(reg.ReadInteger("KAO_Document_FixedCols"), 2);
        EXPECT_EQ(reg.ReadInteger("KAO_Document_FixedRows"), 1);
        EXPECT_EQ(reg.ReadInteger("EditCellFied_Height"), 77);
    });
}

TEST_F(EditorWin, OnlyTheActiveSavedDocumentBecomesTheLastFile)
{
    TForm_Editor *saved = Script();
    TForm_Editor *fresh = OpenNew("new.kas", "KAS_Document");
    ASSERT_EQ(Form->ActiveEditor(), fresh);
    bool canClose = false;
    saved->FormCloseQuery(canClose);   // not the active window
    EXPECT_TRUE(canClose);
    fresh->FormCloseQuery(canClose);   // active, but never saved
    WithSettings([](TRegistry &reg) { EXPECT_FALSE(reg.ValueExists("LastFile")); });

    Form->MdiArea->setActiveSubWindow(saved);
    ASSERT_EQ(Form->ActiveEditor(), saved);
    saved->FormCloseQuery(canClose);
    WithSettings([&](TRegistry &reg) { EXPECT_EQ(reg.ReadString("LastFile"), Root + "/doc.kas"); });
}

// The shut-down asks every window in turn, and a changed window's prompt makes itself active: the
// window that was active before any prompt is the one that stores "LastFile".
TEST_F(EditorWin, AtShutDownTheWindowActiveBeforeThePromptsStoresTheLastFile)
{
    TForm_Editor *changed = OpenFile("changed.kas", "a\r\n", "KAS_Document");
    TForm_Editor *active = OpenFile("active.kas", "b\r\n", "KAS_Document");
    changed->Memo1->SetSelText("x");
    ASSERT_TRUE(changed->IsModified());
    ASSERT_EQ(Form->ActiveEditor(), active);
    Boxes->Answers = {IDNO};
    Close();
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    WithSettings([&](TRegistry &reg) { EXPECT_EQ(ReadStringOr(reg, "LastFile", "<none>"), Root + "/active.kas"); });
}

// Destroying a document window activates the next one; that must not reach a main window whose
// destructor has already run.
TEST_F(EditorWin, DocumentWindowsGoWhileTheMainWindowIsStillWhole)
{
    OpenNew("a.kas", "KAS_Document");
    OpenNew("b.cmd", "CMD_Document");
    std::vector<bool> mainWindowWhole;
    QObject *main = Form;
    for (int i = 0; i < EditorCount(); ++i)
        QObject::connect(Form->MDIChildren(i), &QObject::destroyed,
                         [&mainWindowWhole, main] { mainWindowWhole.push_back(qobject_cast<TMainForm *>(main) != nullptr); });
    delete Form;
    Form = nullptr;
    EXPECT_EQ(mainWindowWhole, std::vector<bool>({true, true}));
}

// The close prompt of a changed document, answered every way.
TEST_F(EditorWin, ClosePromptClosesOnlyWhenTheDocumentIsSafe)
{
    struct Case
    {
        const char *Name;
        int Answer;
        AnsiString SaveAs;   // dialog answer; empty: cancelled
        bool Closes;
        bool Written;
    };
    const Case cases[] = {
        {"no", IDNO, "", true, false},
        {"cancel", IDCANCEL, "", false, false},
        {"yes, dialog cancelled", IDYES, "", false, false},
        {"yes, folder missing", IDYES, "/missing/dir/out.kas", false, false},
        {"yes, saved", IDYES, "/out.kas", true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        QFile::remove(ToQPath(Root + "/out.kas"));
        TForm_Editor *w = Script("body\r\n");
        w->Memo1->SetCaretXY({1, 1});
        w->Memo1->SetSelText("changed ");
        ASSERT_TRUE(w->IsModified());
        Boxes->Calls.clear();
        Boxes->Answers = {c.Answer};
        SaveAnswer = c.SaveAs.empty() ? "" : Root + c.SaveAs;
        const int before = EditorCount();

        EXPECT_EQ(w->close(), c.Closes);
        QCoreApplication::processEvents();
        EXPECT_EQ(EditorCount(), c.Closes ? before - 1 : before);
        ASSERT_GE(Boxes->Calls.size(), 1u);
        const MessageBoxCall &prompt = Boxes->Calls[0];
        EXPECT_EQ(prompt.Text, "Document \"" + Root + "/doc.kas\" changed. Do you want to save the document?");
        EXPECT_EQ(prompt.Caption, "Quillet");
        EXPECT_EQ(prompt.Flags, unsigned(MB_YESNOCANCEL | MB_ICONQUESTION));
        EXPECT_FALSE(prompt.HasOwner);
        EXPECT_EQ(QFileInfo::exists(ToQPath(Root + "/out.kas")), c.Written);
        if (c.Written) {
            EXPECT_NE(ReadFileBytes(Root + "/out.kas").find("\nchanged body\n"), AnsiString::npos);
        }
        if (!c.Closes) {
            EXPECT_TRUE(w->IsModified());
            w->SetModified(false);
            w->close();
            QCoreApplication::processEvents();
        }
    }
}

TEST_F(EditorWin, AFailedSaveAtTheClosePromptStopsTheShutDown)
{
    TForm_Editor *w = Script();
    w->Memo1->SetSelText("x");
    Boxes->Answers = {IDYES};
    SaveAnswer = "";   // the dialog is cancelled
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(EditorCount(), 1);
    EXPECT_TRUE(w->IsModified());
    WithSettings([](TRegistry &reg) { EXPECT_FALSE(reg.ValueExists("MWinTop")); });
}

} // namespace
