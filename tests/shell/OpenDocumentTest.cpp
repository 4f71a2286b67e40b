// Opening documents: layout per kind, reading, backups, the table layout from the settings, the
// Open command and the reopen list.
#include "UnderAddressSanitizer.h"
#include "shell/DocumentTestSupport.h"

#include "platform/StatusBar.h"
#include "platform/TRegistry.h"
#include "platform/TStringGrid.h"
#include "platform/ToolBar.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QMenu>
#include <QTabBar>
#include <QToolButton>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

using Lines = std::vector<AnsiString>;

class OpenDocument : public DocumentTest
{
protected:
    Lines ReopenEntries(QMenu *menu) const
    {
        Lines paths;
        for (const QAction *entry : menu->actions()) paths.push_back(FromQ(entry->text()));
        return paths;
    }
    Lines ReopenEntries() const
    {
        Lines paths;
        for (const QString &p : Form->ReopenList()) paths.push_back(FromQPath(p));
        return paths;
    }
    AnsiString OpenAnswer;   // the Open dialog's chosen file; empty: Cancel
    void SetUp() override
    {
        DocumentTest::SetUp();
        FileDialogs.reset();   // restores the real dialogs before the next recorder takes over
        FileDialogs = std::make_unique<FileDialogRecorder>([this](TFileDialog &dialog) {
            if (dialog.Kind() != TFileDialog::fdOpen || OpenAnswer.empty()) return false;
            dialog.FileName = OpenAnswer;
            return true;
        });
    }
};

TEST_F(OpenDocument, EachKindGetsItsLayout)
{
    struct Case
    {
        const char *Kind;
        bool Text;
        int Cols;
        bool KatTools;
        bool ColumnButtons;
    };
    const Case cases[] = {
        {"KAS_Document", true, 1, false, true}, {"TXT_Document", true, 1, false, true},
        {"CMD_Document", false, 1, false, true}, {"KAO_Document", false, 11, false, false},
        {"KAT_Document", false, 4, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Kind);
        TForm_Editor *w = OpenNew(AnsiString("new.") + c.Kind, c.Kind);
        EXPECT_EQ(w->DocumentKind, c.Kind);
        EXPECT_EQ(w->Caption(), Root + "/new." + c.Kind);
        EXPECT_EQ(w->Memo1->isHidden(), !c.Text);
        EXPECT_EQ(w->ToolBar2->isHidden(), !c.Text);
        EXPECT_EQ(w->StringGridPanel->isHidden(), c.Text);
        EXPECT_EQ(w->ToolBar1->isHidden(), c.Text);
        EXPECT_FALSE(w->windowIcon().isNull());
        EXPECT_EQ(w->IsModified(), false);
        if (c.Text) continue;
        EXPECT_EQ(w->StringGrid1->ColCount(), c.Cols);
        EXPECT_EQ(w->StringGrid1->RowCount(), 1);
        EXPECT_EQ(w->StringGrid1->FixedCols(), 0);
        EXPECT_EQ(w->StringGrid1->FixedRows(), 0);
        EXPECT_EQ(w->ToolButton10->Visible(), c.KatTools);
        EXPECT_EQ(w->ToolButton19->Visible(), c.KatTools);
        EXPECT_EQ(w->Addingofnewline1->isVisible(), c.KatTools);
        for (TToolButton *b : {w->ToolButton6, w->ToolButton7, w->ToolButton17, w->ToolButton18}) {
            EXPECT_EQ(b->Visible(), c.ColumnButtons);
            if (!c.ColumnButtons) {
                EXPECT_FALSE(b->Enabled());
            }
        }
    }
}

TEST_F(OpenDocument, TheWindowIsActiveWithItsTabAndTheStatusBarIsRestored)
{
    TForm_Editor *w = OpenFile("t.cmd", "a\tbb\r\nc\td\r\ne\r\n", "CMD_Document");
    EXPECT_EQ(Form->ActiveEditor(), w);
    EXPECT_EQ(Form->TabSet1->count(), 1);
    EXPECT_FALSE(Form->TabSet1->isHidden());
    EXPECT_EQ(FromQ(Form->TabSet1->tabText(0)), "t.cmd");
    EXPECT_EQ(FromQPath(Form->TabSet1->toolTip()), Root + "/t.cmd (Ctrl+Tab)");
    EXPECT_EQ(Form->OperationProgressBar, nullptr);
    EXPECT_GT(Form->StatusBar1->Panels[0].Width(), 150);
    EXPECT_EQ(w->StatusBar2->Panels[2].Text(), "1/3");
    EXPECT_EQ(w->StatusBar2->Panels[5].Text(), "1/2");
    EXPECT_EQ(w->StatusBar2->Panels[8].Text(), "1");
    EXPECT_EQ(w->Memo2->Text(), "a\r\n");
    EXPECT_EQ(FromQ(w->Edit1->text()), IntToStr(w->StringGrid1->ColWidths(w->StringGrid1->Col())));
}

TEST_F(OpenDocument, AScriptIsReadWithBlanksBeforeLineEndsRemoved)
{
    Form->EditorHighlightKAS = true;
    TForm_Editor *w = OpenFile("s.kas", "a  \nb\t \r\nQUIL_ScriptDate=5.6(June).2022 \n\xE9\xFF\n\r", "KAS_Document");
    EXPECT_EQ(w->Memo1->Lines.Strings(0), "a");
    EXPECT_EQ(w->Memo1->Lines.Strings(1), "b\t");
    EXPECT_EQ(w->Memo1->Lines.Strings(3), "\xE9\xFF");
    EXPECT_FALSE(w->IsModified());
    EXPECT_EQ(w->Memo1->UndoCount(), 0);
    EXPECT_TRUE(w->HighlighterButton->isChecked());
    EXPECT_EQ(w->StatusBar1->Panels[11].Text(), "Script date: 5.6(June).2022");
    EXPECT_FALSE(w->StatusBar1->Panels[3].Text().empty());
}

TEST_F(OpenDocument, ATextDocumentFollowsItsOwnHighlightSetting)
{
    Form->EditorHighlightKAS = true;
    Form->EditorHighlightTXT = false;
    TForm_Editor *w = OpenFile("t.txt", "x  \r\n", "TXT_Document");
    EXPECT_FALSE(w->HighlighterButton->isChecked());
    EXPECT_EQ(w->Memo1->Highlighter(), nullptr);
    EXPECT_EQ(w->Memo1->Text(), "x\r\n");
    EXPECT_TRUE(w->StatusBar1->Panels[11].Text().empty());
}

// Every byte a script may hold comes back from an unchanged open and save.
TEST_F(OpenDocument, AScriptRoundTripsEveryByte)
{
    AnsiString bytes;
    for (int c = 0x21; c <= 0xFF; ++c) bytes += char(c);
    bytes = "first\n" + bytes + "\nlast line\n\r";
    TForm_Editor *w = OpenFile("all.kas", bytes, "KAS_Document");
    ASSERT_TRUE(Form->SaveDocumentToFile("KAS_Document", w->Caption(), w->Memo1));
    EXPECT_EQ(ReadFileBytes(Root + "/all.kas"), bytes);
}

TEST_F(OpenDocument, ATableRoundTripsEveryByteACellMayHold)
{
    AnsiString cell;
    for (int c = 0x15; c <= 0xFF; ++c)
        if (c != 0x1D) cell += char(c);
    const AnsiString bytes = cell + "\t\nin\nbreaks\n\r\n\t" + cell + "\r\n";
    TForm_Editor *w = OpenFile("all.cmd", bytes, "CMD_Document");
    EXPECT_EQ(w->StringGrid1->Cells(1, 0), "\x1Din\x1D" "breaks\x1D");
    ASSERT_TRUE(Form->SaveDocumentToFile("CMD_Document", w->Caption(), w->StringGrid1));
    EXPECT_EQ(ReadFileBytes(Root + "/all.cmd"), bytes);
}

TEST_F(OpenDocument, OpeningTwiceGivesTwoWindowsAndOneReopenEntry)
{
    const AnsiString path = MakeFile("a.kas", "x\n\r");
    MakeFile("b.kas", "y\n\r");
    Form->OpenDocument(path, "KAS_Document");
    Form->OpenDocument(Root + "/b.kas", "KAS_Document");
    Form->OpenDocument(path, "KAS_Document");
    EXPECT_EQ(EditorCount(), 3);
    EXPECT_EQ(ReopenEntries(), Lines({path, Root + "/b.kas"}));
    EXPECT_EQ(ReopenEntries(Form->PopupMenu4), Lines({path, Root + "/b.kas"}));
    EXPECT_EQ(FromQ(Form->Reopen1->actions()[0]->statusTip()), "Reopen: " + path);
    EXPECT_TRUE(Form->Reopen1->isEnabled());
}

TEST_F(OpenDocument, AnotherLetterCaseReplacesTheEntry)
{
    const AnsiString lower = MakeFile("dir/a.kas", "x\n\r");
    const AnsiString upper = Root + "/DIR/A.KAS";
    QDir().mkpath(ToQPath(Root + "/DIR"));
    QFile::link(ToQPath(lower), ToQPath(upper));
    Form->OpenDocument(lower, "KAS_Document");
    Form->OpenDocument(upper, "KAS_Document");
    EXPECT_EQ(ReopenEntries(), Lines({upper}));
}

TEST_F(OpenDocument, ANewDocumentEntersTheReopenListOnlyWhenSaved)
{
    TForm_Editor *w = OpenNew("fresh.kas", "KAS_Document");
    EXPECT_TRUE(ReopenEntries().empty());
    EXPECT_EQ(w->Memo1->Text(), "");
    ASSERT_TRUE(Form->SaveDocumentToFile("KAS_Document", w->Caption(), w->Memo1));
    EXPECT_EQ(ReopenEntries(), Lines({Root + "/fresh.kas"}));
}

TEST_F(OpenDocument, BackupIsMadeBeforeReadingOnlyForExistingFiles)
{
    WithSettings([](TRegistry &reg) { reg.WriteBool("NeedBackup", true); });
    TForm_Editor *w = OpenFile("s.kas", "AUTO_ScriptName=x\n\r", "KAS_Document");
    EXPECT_EQ(ReadFileBytes(Root + "/s_COPY0.kas"), "AUTO_ScriptName=x\n\r");
    EXPECT_EQ(w->Memo1->Lines.Strings(0), "QUIL_ScriptName=x");
    OpenNew("none.kas", "KAS_Document");
    EXPECT_FALSE(QFileInfo::exists(ToQPath(Root + "/none_COPY0.kas")));
}

TEST_F(OpenDocument, FixedRowsAndColumnsStopShortOfTheLastOne)
{
    WithSettings([](TRegistry &reg) {
        reg.WriteInteger("KAO_Document_FixedCols", 15);
        reg.WriteInteger("KAO_Document_FixedRows", 3);
        reg.WriteInteger("KAO_Document_ColumnWidth2", 33);
    });
    TForm_Editor *one = OpenFile("one.kao", "a\r\n", "KAO_Document");
    EXPECT_EQ(one->StringGrid1->FixedCols(), 10);
    EXPECT_EQ(one->StringGrid1->FixedRows(), 0);
    EXPECT_EQ(one->StringGrid1->ColWidths(2), 33);
    TForm_Editor *five = OpenFile("five.kao", "1\r\n2\r\n3\r\n4\r\n5\r\n", "KAO_Document");
    EXPECT_EQ(five->StringGrid1->FixedRows(), 3);

    WithSettings([](TRegistry &reg) {
        reg.WriteBool("RememberFixColsRows", false);
        reg.WriteBool("RememberColWidth", false);
    });
    TForm_Editor *off = OpenFile("off.kao", "1\r\n2\r\n", "KAO_Document");
    EXPECT_EQ(off->StringGrid1->FixedCols(), 0);
    EXPECT_NE(off->StringGrid1->ColWidths(2), 33);
}

TEST_F(OpenDocument, CellEditorHeightIsKeptWithinBounds)
{
    struct Case { int Stored; const char *Name; };
    for (const Case &c : {Case{5, "small"}, Case{5000, "huge"}, Case{40, "within"}}) {
        WithSettings([&](TRegistry &reg) { reg.WriteInteger("EditCellFied_Height", c.Stored); });
        TForm_Editor *w = OpenNew(AnsiString(c.Name) + ".cmd", "CMD_Document");
        const int half = w->widget()->height() / 2;
        const int expected = c.Stored < 20 ? 20 : std::min(c.Stored, half);
        EXPECT_EQ(w->CellEditorHeight(), expected) << c.Name;
        QCoreApplication::processEvents();
        EXPECT_EQ(w->Memo2->height(), expected) << c.Name;   // as laid out, not only as wanted
    }
}

TEST_F(OpenDocument, AutoSizeFitsColumnsToTheirWidestCell)
{
    WithSettings([](TRegistry &reg) {
        reg.WriteBool("AutoAutosizeAllCollsForCMDTab", true);
        reg.WriteInteger("CMD_Document_ColumnWidth0", 300);
    });
    TForm_Editor *w = OpenFile("a.cmd", "short\t\tw\r\nlonger text\t\t\r\n", "CMD_Document");
    TStringGrid *g = w->StringGrid1;
    EXPECT_EQ(g->ColWidths(0), g->TextWidth("longer text") + 6);
    EXPECT_EQ(g->ColWidths(1), 6);
    EXPECT_EQ(g->ColWidths(2), g->TextWidth("w") + 6);
}

TEST_F(OpenDocument, TheOpenCommandTakesTheKindFromTheExtension)
{
    struct Case { const char *Name; bool TxtAsCmd; const char *Kind; };
    const Case cases[] = {{"a.txt", false, "TXT_Document"}, {"b.txt", true, "CMD_Document"},
                          {"c.log", true, "TXT_Document"}, {"d.doc", false, ""}};
    for (const Case &c : cases) {
        WithSettings([&](TRegistry &reg) { reg.WriteBool("OpenTXTAsCMD", c.TxtAsCmd); });
        const AnsiString sub = MakeFile(AnsiString("sub/") + c.Name, "x\r\n");
        const int before = EditorCount();
        OpenAnswer = sub;
        Form->LastWorkDir = Root;
        Form->FileOpen1->trigger();
        ASSERT_FALSE(FileDialogs->Calls.empty());
        const TFileDialog &shown = FileDialogs->Calls.back();
        EXPECT_EQ(shown.Title, "Open document");
        EXPECT_EQ(shown.InitialDir, Root);
        EXPECT_EQ(shown.DefaultExt, "kas");
        EXPECT_EQ(EditorCount(), before + (*c.Kind ? 1 : 0)) << c.Name;
        if (*c.Kind) {
            EXPECT_EQ(Form->ActiveEditor()->DocumentKind, c.Kind);
        }
        EXPECT_EQ(Form->LastWorkDir, Root + "/sub");
    }
    OpenAnswer.clear();
    const int before = EditorCount();
    Form->LastWorkDir = Root;
    Form->FileOpen1Execute();
    EXPECT_EQ(EditorCount(), before);
    EXPECT_EQ(Form->LastWorkDir, Root);
}

TEST_F(OpenDocument, AMissingFileInAFolderNamedWithAnAccentIsNamedAsTheFolderIs)
{
    const AnsiString gone = Root + "/d\xC3\xA9/gone.kas";
    Form->ReopenListUpdate(gone);
    Form->ReOpenItemsClick(Form->PopupMenu4->actions()[0]);
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(ToQ(Boxes->Calls[0].Text), "File \"" + ToQPath(gone) + "\" not found!");
}

TEST_F(OpenDocument, AReopenEntryOpensOrGoesWhenItsFileIsMissing)
{
    const AnsiString kept = MakeFile("kept.kat", "\t\t\r\n");
    Form->ReopenListUpdate(Root + "/gone.kas");
    Form->ReopenListUpdate(kept);
    ASSERT_EQ(ReopenEntries(), Lines({kept, Root + "/gone.kas"}));
    Form->ReOpenItemsClick(Form->PopupMenu4->actions()[1]);
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, "File \"" + Root + "/gone.kas\" not found!");
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(ReopenEntries(), Lines({kept}));
    EXPECT_EQ(ReopenEntries(Form->PopupMenu4), Lines({kept}));
    EXPECT_EQ(EditorCount(), 0);

    Form->ReOpenItemsClick(Form->Reopen1->actions()[0]);
    ASSERT_EQ(EditorCount(), 1);
    EXPECT_EQ(Form->ActiveEditor()->DocumentKind, "KAT_Document");
}

TEST_F(OpenDocument, AllEntriesAreStoredAndTheNextStartShowsTwenty)
{
    for (int i = 0; i < 25; ++i) Form->OpenDocument(MakeFile("f" + IntToStr(i) + ".kas", "x\n\r"), "KAS_Document");
    for (int i = 0; i < EditorCount(); ++i) Editor(i)->SetModified(false);
    Close();
    WithSettings([&](TRegistry &reg) {
        EXPECT_EQ(reg.ReadString("ReOpen0"), Root + "/f24.kas");
        EXPECT_EQ(reg.ReadString("ReOpen24"), Root + "/f0.kas");
        EXPECT_FALSE(reg.ValueExists("ReOpen25"));
    });
    Start();
    ASSERT_EQ(Form->ReopenList().size(), 20);
    EXPECT_EQ(FromQPath(Form->ReopenList().front()), Root + "/f24.kas");
    EXPECT_EQ(FromQPath(Form->ReopenList().back()), Root + "/f5.kas");
}

// Failures while opening: the messages, the window open and empty, nothing else changed.
TEST_F(OpenDocument, UnreadableFilesGiveTheirMessagesAndAnEmptyWindow)
{
    const AnsiString script = MakeFile("locked.kas", "secret\n\r");
    const AnsiString table = MakeFile("locked.kat", "a\tb\r\n");
    WithSettings([](TRegistry &reg) { reg.WriteBool("NeedBackup", false); });
    TForm_Editor *s = nullptr;
    TForm_Editor *t = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenUnreadable(script, table, s, t));
    ASSERT_EQ(Boxes->Calls.size(), 2u);
    // The program's message, then the system's reason.
    EXPECT_EQ(Boxes->Calls[0].Text, "File: \"" + script + "\".\r\nReading failed.\r\n" + std::strerror(EACCES));
    EXPECT_EQ(Boxes->Calls[1].Text, "Error at opening the file  \"" + table + "\"!\r\n" + std::strerror(EACCES));
    for (const MessageBoxCall &call : Boxes->Calls) {
        EXPECT_EQ(call.Caption, "Quillet");
        EXPECT_EQ(call.Flags, unsigned(MB_OK | MB_ICONSTOP));
    }
    EXPECT_EQ(s->Memo1->Text(), "");
    EXPECT_FALSE(s->IsModified());
    EXPECT_EQ(t->StringGrid1->ColCount(), 4);
    EXPECT_EQ(t->StringGrid1->RowCount(), 1);
    EXPECT_EQ(EditorCount(), 2);
}

// A file bigger than memory is a reading failure with its reason, like any other: the window
// opens empty and the file is kept from being replaced by it.
TEST_F(OpenDocument, AFileBeyondMemoryGivesTheReadingFailureAndAnEmptyWindow)
{
#if UNDER_ADDRESS_SANITIZER
    GTEST_SKIP() << "the address sanitizer stops the process at a request this big";
#endif
    const qint64 terabyte = qint64(1) << 40;   // holes only, asking for more than memory holds
    const struct
    {
        const char *Name, *Kind;
        bool Table;
    } cases[] = {{"sparse.kas", "KAS_Document", false},
                 {"sparse.txt", "TXT_Document", false},
                 {"sparse.kao", "KAO_Document", true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Kind);
        const AnsiString path = MakeFile(c.Name, "");
        ASSERT_TRUE(QFile::resize(ToQPath(path), terabyte));
        Boxes->Calls.clear();
        const QPointer<TForm_Editor> w = Form->OpenDocument(path, c.Kind);
        ASSERT_TRUE(w);
        ASSERT_EQ(Boxes->Calls.size(), 1u);
        EXPECT_EQ(Boxes->Calls[0].Text, "File: \"" + path + "\".\r\nReading failed.\r\nThe file does not fit in memory.");
        EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONSTOP));
        EXPECT_TRUE(w->FileNotRead);
        EXPECT_FALSE(w->IsModified());
        if (c.Table)
            EXPECT_EQ(w->StringGrid1->RowCount(), 1);
        else
            EXPECT_EQ(w->Memo1->Text(), "");
        EXPECT_EQ(QFileInfo(ToQPath(path)).size(), terabyte);
        w->close();
        QFile::remove(ToQPath(path));
    }
}

// A hand-edited settings file may hold any type under any name: such a value counts as missing.
TEST_F(OpenDocument, StoredValuesOfTheWrongTypeCountAsMissing)
{
    WithSettings([](TRegistry &reg) {
        reg.WriteString("CMD_Document_ColumnWidth0", "x");
        reg.WriteInteger("CMD_Document_ColumnWidth1", 55);
        reg.WriteString("CMD_Document_FixedRows", "1");
        reg.WriteString("EditCellFied_Height", "tall");
        reg.WriteString("RememberColWidth", "no");   // default: on
        reg.WriteString("NeedBackup", "yes");        // default: off
    });
    const int untouched = OpenNew("plain.cmd", "CMD_Document")->StringGrid1->ColWidths(0);
    TForm_Editor *w = OpenFile("a.cmd", "1\t2\r\n3\t4\r\n", "CMD_Document");
    EXPECT_EQ(w->StringGrid1->ColWidths(0), untouched);
    EXPECT_EQ(w->StringGrid1->ColWidths(1), 55);
    EXPECT_EQ(w->StringGrid1->FixedRows(), 0);
    EXPECT_EQ(w->CellEditorHeight(), OpenNew("plain2.cmd", "CMD_Document")->CellEditorHeight());
    EXPECT_FALSE(QFileInfo::exists(ToQPath(Root + "/a_COPY0.cmd")));
    EXPECT_EQ(w->StatusBar2->Panels[2].Text(), "1/2");   // the opening ran to its end
    EXPECT_EQ(Form->OperationProgressBar, nullptr);
    EXPECT_GT(Form->StatusBar1->Panels[0].Width(), 150);
}

// The user closes the new window while its opening lets events run: the opening stops without
// touching it, says so by giving no window, and leaves the main window as it was.
TEST_F(OpenDocument, AWindowClosedWhileItOpensIsLeftAlone)
{
    const struct
    {
        const char *Name, *Kind;
        int Round;   // of the opening's event processing
    } cases[] = {
        {"s.kas", "KAS_Document", 1}, {"s.kas", "KAS_Document", 2},
        {"t.kat", "KAT_Document", 1}, {"t.kat", "KAT_Document", 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.Name) + " round " + std::to_string(c.Round));
        const AnsiString path = MakeFile(c.Name, "a\tb\r\n");
        CloseWhileEventsRun([this] { return Form->ActiveEditor(); }, c.Round);
        EXPECT_EQ(Form->OpenDocument(path, c.Kind), nullptr);
        QCoreApplication::processEvents();
        EXPECT_EQ(EditorCount(), 0);
        EXPECT_EQ(Form->TabSet1->count(), 0);
        EXPECT_EQ(Form->OperationProgressBar, nullptr);
        EXPECT_GT(Form->StatusBar1->Panels[0].Width(), 150);
    }
}

// The user closes the new window while a message about its file is shown (the box runs its own
// event loop): the opening stops there, gives no window, and leaves the main window as it was.
TEST_F(OpenDocument, AWindowClosedWhileAMessageAboutItsFileIsShownIsLeftAlone)
{
    const struct
    {
        const char *Name, *Kind, *Content;
        bool Unreadable;
    } cases[] = {
        {"unreadable.kas", "KAS_Document", "x", true},
        {"unreadable.kat", "KAT_Document", "a\tb\r\n", true},
        {"control-byte.kat", "KAT_Document", "a\x01\tb\r\n", false},
    };
    // The closing window stores its settings as the ordinary user too.
    QFile::setPermissions(ToQPath(Root), QFileDevice::Permissions(0x7777));
    QFile::setPermissions(ToQPath(SettingsFile), QFileDevice::Permissions(0x6666));
    const MessageBoxResponder recorder = CurrentMessageBoxResponder();
    SetMessageBoxResponder({});
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        const AnsiString path = MakeFile(c.Name, c.Content);
        if (c.Unreadable) QFile::setPermissions(ToQPath(path), QFileDevice::WriteOwner);
        QStringList shown;   // every box is answered, so that none can hang the test
        bool closed = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            const QPointer<QMessageBox> box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box) return;
            if (!closed) {
                box->grab();
                shown << box->text();
                closed = true;
                // As the window's close button does, from the box's event loop.
                QTimer::singleShot(0, [this] {
                    if (TForm_Editor *w = Form->ActiveEditor()) w->close();
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                });
                return;
            }
            if (!shown.contains(box->text())) shown << box->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        watch.start(10);
        {
            UnprivilegedScope user;
            ASSERT_TRUE(user.Active());
            EXPECT_EQ(Form->OpenDocument(path, c.Kind), nullptr);
        }
        QCoreApplication::processEvents();
        ASSERT_EQ(shown.size(), 1) << shown.join("\n").toStdString();
        EXPECT_TRUE(shown[0].contains(ToQPath(path))) << shown[0].toStdString();
        EXPECT_EQ(EditorCount(), 0);
        EXPECT_EQ(Form->OperationProgressBar, nullptr);
        EXPECT_GT(Form->StatusBar1->Panels[0].Width(), 150);
    }
    SetMessageBoxResponder(recorder);
}

// Whatever stops an opening halfway, the progress bar goes and the status bar is widened back.
TEST_F(OpenDocument, AnOpeningThatThrowsStillRestoresTheStatusBar)
{
    const AnsiString table = MakeFile("locked.kat", "a\tb\r\n");
    QFile::setPermissions(ToQPath(table), QFileDevice::WriteOwner);
    OpenToEveryone(Root);
    QFile::setPermissions(ToQPath(SettingsFile), QFileDevice::Permissions(0x6644));
    const MessageBoxResponder recorder = CurrentMessageBoxResponder();
    SetMessageBoxResponder([](const MessageBoxCall &) -> int { throw std::runtime_error("no answer"); });
    {
        UnprivilegedScope user;
        ASSERT_TRUE(user.Active());
        EXPECT_THROW(Form->OpenDocument(table, "KAT_Document"), std::runtime_error);
    }
    SetMessageBoxResponder(recorder);
    EXPECT_EQ(Form->OperationProgressBar, nullptr);
    EXPECT_GT(Form->StatusBar1->Panels[0].Width(), 150);
}

TEST_F(OpenDocument, AFileThatVanishedOpensAsANewDocument)
{
    const AnsiString path = MakeFile("vanishing.kas", "x\n\r");
    OpenAnswer = path;
    // The file goes between the dialog and the reading.
    FileDialogs.reset();
    FileDialogs = std::make_unique<FileDialogRecorder>([&](TFileDialog &dialog) {
        dialog.FileName = path;
        QFile::remove(ToQPath(path));
        return true;
    });
    Form->FileOpen1Execute();
    ASSERT_EQ(EditorCount(), 1);
    EXPECT_EQ(Form->ActiveEditor()->Memo1->Text(), "");
    EXPECT_TRUE(Boxes->Calls.empty());
    EXPECT_TRUE(ReopenEntries().empty());

    TForm_Editor *w = Form->OpenDocument(Root + "/no/such/folder/x.kat", "KAT_Document");
    EXPECT_EQ(w->StringGrid1->ColCount(), 4);
    EXPECT_TRUE(Boxes->Calls.empty());
}

} // namespace
