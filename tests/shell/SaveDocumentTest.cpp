// The document writer on real windows: the bytes of each kind, status and progress, the reopen
// list, and what a failed write leaves behind. Also the table reader step.
#include "shell/DocumentTestSupport.h"

#include "platform/Files.h"
#include "platform/StatusBar.h"
#include "platform/TStringGrid.h"
#include "shell/DocumentFiles.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cerrno>
#include <cstring>

namespace {

class SaveDocument : public DocumentTest
{
protected:
    QStringList FolderEntries() const
    {
        return QDir(ToQPath(Root)).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
    static std::vector<AnsiString> Cells(TStringGrid *grid)
    {
        return grid->CellsRowMajor();
    }
};

TEST_F(SaveDocument, ScriptBytes)
{
    struct Case { const char *Name; AnsiString Text; AnsiString Bytes; };
    const Case cases[] = {
        {"tab, trailing blanks", "a\tb\r\nc   \r\n", AnsiString("a b\nc\n\r")},
        {"high byte at the end stays", "x\xE9\r\n", "x\xE9\n\r"},
        {"control bytes at the end go", AnsiString("end\x01\x1F \t\r\n\r\n", 10), "end\n\r"},
        {"empty", "", "\n\r"},
        {"inner CR LF and blank lines", "a\r\n\r\n  b\r\n", "a\n\n  b\n\r"},
        {"every high byte", "\x80\x9F\xA0\xFF\r\n", "\x80\x9F\xA0\xFF\n\r"},
    };
    for (const Case &c : cases) {
        TForm_Editor *w = OpenNew("s.kas", "KAS_Document");
        w->Memo1->SetText(c.Text);
        EXPECT_TRUE(Form->SaveDocumentToFile("KAS_Document", Root + "/s.kas", w->Memo1)) << c.Name;
        EXPECT_EQ(ReadFileBytes(Root + "/s.kas"), c.Bytes) << c.Name;
    }
}

TEST_F(SaveDocument, PlainTextIsWrittenAsTheMemoHoldsIt)
{
    TForm_Editor *w = OpenNew("t.txt", "TXT_Document");
    const AnsiString text = "a\tb  \r\n\x80\xFF\r\n";
    w->Memo1->SetText(text);
    ASSERT_TRUE(Form->SaveDocumentToFile("TXT_Document", Root + "/t.txt", w->Memo1));
    EXPECT_EQ(ReadFileBytes(Root + "/t.txt"), text);
}

TEST_F(SaveDocument, TableBytesAndBackAgain)
{
    TForm_Editor *w = OpenNew("t.kat", "KAT_Document");
    std::vector<AnsiString> cells = {"1", "two\x1Dlines", "", "\xE9\x80\xFF",
                                     "", "", "ends in break\x1D", "\x1D"};
    w->StringGrid1->Assign(4, 2, std::vector<AnsiString>(cells));
    ASSERT_TRUE(Form->SaveDocumentToFile("KAT_Document", Root + "/t.kat", w->StringGrid1));
    EXPECT_EQ(ReadFileBytes(Root + "/t.kat"),
              "1\ttwo\nlines\t\t\xE9\x80\xFF\r\n\t\tends in break\n\t\n\r\n");

    TForm_Editor *back = Form->OpenDocument(Root + "/t.kat", "KAT_Document");
    EXPECT_EQ(back->StringGrid1->ColCount(), 4);
    EXPECT_EQ(back->StringGrid1->RowCount(), 2);
    EXPECT_EQ(Cells(back->StringGrid1), cells);
}

TEST_F(SaveDocument, StatusBarIsRestoredAndTheScriptDateShown)
{
    TForm_Editor *w = OpenNew("s.kas", "KAS_Document");
    w->Memo1->SetText("QUIL_ScriptDate=3.4(April).2021\r\nbody\r\n");
    ASSERT_TRUE(Form->SaveDocumentToFile("KAS_Document", Root + "/s.kas", w->Memo1));
    EXPECT_EQ(Form->OperationProgressBar, nullptr);
    EXPECT_EQ(Form->StatusBar1->Panels[0].Width(), Form->width());
    EXPECT_EQ(Form->StatusBar1->Panels[1].Text(), "Saving data in file ...");
    EXPECT_EQ(w->StatusBar1->Panels[11].Text(), "Script date: 3.4(April).2021");

    TForm_Editor *t = OpenNew("t.txt", "TXT_Document");
    ASSERT_TRUE(Form->SaveDocumentToFile("TXT_Document", Root + "/t.txt", t->Memo1));
    EXPECT_EQ(Form->StatusBar1->Panels[1].Text(), "Saving document...");
    EXPECT_EQ(Form->StatusBar1->Panels[0].Width(), Form->width());
}

TEST_F(SaveDocument, AWholeWritePutsThePathFirstInTheReopenList)
{
    TForm_Editor *w = OpenNew("s.kas", "KAS_Document");
    Form->ReopenListUpdate(Root + "/other.kas");
    ASSERT_TRUE(Form->SaveDocumentToFile("KAS_Document", Root + "/S.KAS.kas", w->Memo1));
    ASSERT_TRUE(Form->SaveDocumentToFile("KAS_Document", Root + "/s.kas", w->Memo1));
    EXPECT_EQ(Form->ReopenList(), QStringList({ToQPath(Root + "/s.kas"), ToQPath(Root + "/S.KAS.kas"),
                                               ToQPath(Root + "/other.kas")}));
}

TEST_F(SaveDocument, AnEmptyPathWritesNothing)
{
    TForm_Editor *w = OpenNew("s.kas", "KAS_Document");
    EXPECT_FALSE(Form->SaveDocumentToFile("KAS_Document", "", w->Memo1));
    EXPECT_TRUE(Boxes->Calls.empty());
}

TEST_F(SaveDocument, AFolderThatDoesNotExistGivesTheOpeningError)
{
    TForm_Editor *w = OpenNew("t.cmd", "CMD_Document");
    Form->ReopenListUpdate(Root + "/kept.kas");
    const AnsiString path = Root + "/no/such/folder/t.cmd";
    EXPECT_FALSE(Form->SaveDocumentToFile("CMD_Document", path, w->StringGrid1));
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, "Error at opening the file \"" + path + "\"!\r\n" + std::strerror(ENOENT));
    EXPECT_EQ(Boxes->Calls[0].Caption, "Quillet");
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(Form->ReopenList(), QStringList({ToQPath(Root + "/kept.kas")}));
    EXPECT_EQ(Form->OperationProgressBar, nullptr);
}

// A write that stops part way leaves the old file whole, no temporary file, and the reopen list
// as it was; the message gives the bytes to write and those written.
TEST_F(SaveDocument, AShortWriteKeepsTheOldFile)
{
    TForm_Editor *w = OpenNew("big.kas", "KAS_Document");
    WriteBytes(Root + "/big.kas", "old\n\r");
    w->Memo1->SetText(AnsiString(300000, 'x') + "\r\n");
    const QStringList before = FolderEntries();
    bool ok = true;
    {
        FileSizeLimit limit(65536);
        ok = Form->SaveDocumentToFile("KAS_Document", Root + "/big.kas", w->Memo1);
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadFileBytes(Root + "/big.kas"), "old\n\r");
    EXPECT_EQ(FolderEntries(), before);
    EXPECT_FALSE(Form->ReopenList().contains(ToQPath(Root + "/big.kas")));
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    const AnsiString &text = Boxes->Calls[0].Text;
    EXPECT_EQ(text.substr(0, 34), "Error writing to the file (300002/");
    EXPECT_NE(text.find("); file: \"Main\", line: 465.\r\n" + AnsiString(std::strerror(EFBIG))), AnsiString::npos)
        << text;
    EXPECT_EQ(Boxes->Calls[0].Caption, FromQ(Form->windowTitle()));
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONEXCLAMATION));
}

// Ctrl+S on a full disk, typed by the user: the message gives the system's reason after the
// program's own text, and the file keeps its old bytes.
TEST_F(SaveDocument, CtrlSOnAFullDiskTellsWhy)
{
    TForm_Editor *w = OpenFile("s.txt", "old\r\n", "TXT_Document");
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form));
    QTest::keyClicks(w->Memo1, "new ");
    Form->ActionList1->UpdateActions();   // as when the program goes idle: Save is enabled
    const AnsiString bytes = PlainTextToFileBytes(w->Memo1->Text());
    SetFileWriteFault([](FileWriteStep step, long long, long long &) { return step == FileWriteStep::Write ? ENOSPC : 0; });
    QTest::keyClick(w->Memo1, Qt::Key_S, Qt::ControlModifier);
    SetFileWriteFault({});
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, "Error writing to the file (" + IntToStr((long long)bytes.size()) +
                                        "/0); file: \"Main\", line: 395.\r\n" + std::strerror(ENOSPC));
    EXPECT_EQ(ReadFileBytes(Root + "/s.txt"), "old\r\n");
    EXPECT_TRUE(w->IsModified());
}

// A script is written a part at a time: a disk that fills up after the first part leaves the old
// file whole and no temporary file; the message tells the whole length and the part written.
TEST_F(SaveDocument, AScriptWriteFailingAfterItsFirstPartKeepsTheOldFile)
{
    TForm_Editor *w = OpenNew("big.kas", "KAS_Document");
    WriteBytes(Root + "/big.kas", "old\n\r");
    w->Memo1->SetText(AnsiString(2 * ScriptFileChunkSize + 100, 'x') + "\r\n");
    Form->ReopenListUpdate(Root + "/kept.kas");
    const QStringList before = FolderEntries();
    SetFileWriteFault([](FileWriteStep step, long long offset, long long &) {
        return step == FileWriteStep::Write && offset >= (long long)ScriptFileChunkSize ? ENOSPC : 0;
    });
    const bool ok = Form->SaveDocumentToFile("KAS_Document", Root + "/big.kas", w->Memo1);
    SetFileWriteFault({});
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadFileBytes(Root + "/big.kas"), "old\n\r");
    EXPECT_EQ(FolderEntries(), before);
    EXPECT_EQ(Form->ReopenList(), QStringList({ToQPath(Root + "/kept.kas")}));
    EXPECT_EQ(Form->OperationProgressBar, nullptr);
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, "Error writing to the file (" + IntToStr(2 * (long long)ScriptFileChunkSize + 102) +
                                        "/" + IntToStr((long long)ScriptFileChunkSize) +
                                        "); file: \"Main\", line: 465.\r\n" + std::strerror(ENOSPC));
}

TEST_F(SaveDocument, AFailedSaveKeepsTheDocumentMarkedChanged)
{
    TForm_Editor *w = OpenFile("s.kas", "body\n\r", "KAS_Document");
    w->Memo1->SetText(AnsiString(300000, 'y') + "\r\n");
    ASSERT_TRUE(w->IsModified());
    const int undo = w->Memo1->UndoCount();
    bool ok = true;
    {
        FileSizeLimit limit(65536);
        ok = Form->FileSave1Execute();
    }
    EXPECT_FALSE(ok);
    EXPECT_TRUE(w->IsModified());
    EXPECT_GE(w->Memo1->UndoCount(), undo);
    EXPECT_EQ(ReadFileBytes(Root + "/s.kas"), "body\n\r");

    EXPECT_TRUE(Form->FileSave1Execute());
    EXPECT_FALSE(w->IsModified());
    EXPECT_EQ(w->Memo1->UndoCount(), 0);
}

TEST_F(SaveDocument, TableReaderMessagesLeaveThePreparedTable)
{
    // A folder in place of the file: it opens but cannot be read.
    QDir().mkpath(ToQPath(Root + "/dir.kao"));
    TForm_Editor *w = Form->OpenDocument(Root + "/dir.kao", "KAO_Document");
    EXPECT_EQ(w->StringGrid1->ColCount(), 11);
    EXPECT_EQ(w->StringGrid1->RowCount(), 1);
    // OpenDocument takes a folder for a missing file, so the reader is run on it directly.
    Boxes->Calls.clear();
    Form->ReadTableDocument(w, "KAO_Document", Root + "/dir.kao");
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Caption, "Quillet");
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(w->StringGrid1->ColCount(), 11);
    EXPECT_EQ(w->StringGrid1->RowCount(), 1);

    Boxes->Calls.clear();
    Form->ReadTableDocument(w, "KAO_Document", Root + "/missing.kao");
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text,
              "Error at opening the file  \"" + Root + "/missing.kao\"!\r\n" + std::strerror(ENOENT));
}

// A read-only table is read (it was once opened for writing too, and came up empty).
TEST_F(SaveDocument, AReadOnlyTableOpensWithItsCells)
{
    const AnsiString path = Root + "/ro.cmd";
    WriteBytes(path, "a\tb\r\nc\r\n");
    QFile::setPermissions(ToQPath(path), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    OpenToEveryone(Root);
    TForm_Editor *w = Form->OpenDocument(path, "CMD_Document");
    w->StringGrid1->Assign(1, 1, {""});
    {
        UnprivilegedScope user;
        ASSERT_TRUE(user.Active());
        Form->ReadTableDocument(w, "CMD_Document", path);
    }
    EXPECT_TRUE(Boxes->Calls.empty());
    EXPECT_EQ(w->StringGrid1->ColCount(), 2);
    EXPECT_EQ(Cells(w->StringGrid1), std::vector<AnsiString>({"a", "b", "c", ""}));
}

} // namespace
