// Opening document files made by other programs: nothing of a table is lost without a word, and a
// text is read into its pane with the same lines however it gets there.
#include "shell/DocumentTestSupport.h"

#include "platform/TStringGrid.h"
#include "shell/DocumentFiles.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <vector>

namespace {

AnsiString Fixture(const char *name) { return ReadAll(QString(QUILLET_FIXTURES) + "/documentfiles/" + name); }

using OpenDocumentFiles = DocumentTest;

TEST_F(OpenDocumentFiles, AnUnterminatedLastRowIsKeptAndWrittenBackWithItsLineEnd)
{
    TForm_Editor *w = OpenFile("other.cmd", Fixture("unterminated-last-row.cmd"), CMD_Document);
    EXPECT_EQ(w->StringGrid1->RowCount(), 2);
    EXPECT_EQ(w->StringGrid1->Cells(0, 1), "c");
    EXPECT_EQ(w->StringGrid1->Cells(1, 1), "d");
    EXPECT_TRUE(Boxes->Calls.empty());   // nothing was dropped
    EXPECT_FALSE(w->IsModified());
    ASSERT_TRUE(Form->SaveDocumentToFile(CMD_Document, w->Caption(), w->StringGrid1));
    EXPECT_EQ(ReadAll(ToQPath(w->Caption())), "a\tb\r\nc\td\r\n");
}

TEST_F(OpenDocumentFiles, CellsBeyondTheColumnsAreNamedInOneMessageAndMarkTheDocumentChanged)
{
    TForm_Editor *w = OpenFile("wide.kao", Fixture("twelve-cells.kao"), KAO_Document);
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Caption, "Quillet");
    EXPECT_EQ(Boxes->Calls[0].Text, "Document: \"" + w->Caption() +
                                        "\".\r\nThe file holds more than the table keeps: 1 cell beyond column 11 "
                                        "(first in row 1) were left out.\r\nSaving the document writes the table "
                                        "without them.");
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONWARNING));
    EXPECT_TRUE(w->IsModified());
    EXPECT_EQ(w->StringGrid1->ColCount(), 11);
    EXPECT_EQ(w->StringGrid1->Cells(10, 0), "10");
}

TEST_F(OpenDocumentFiles, DroppedBytesAndCellsShareTheOneMessage)
{
    TForm_Editor *w = OpenFile("both.kat", AnsiString("a\x01\tb\tc\td\te\r\n", 12), KAT_Document);
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_NE(Boxes->Calls[0].Text.find("1 cell beyond column 4 (first in row 1) and 1 control byte"), AnsiString::npos)
        << Boxes->Calls[0].Text;
    EXPECT_TRUE(w->IsModified());
}

// The pane gets the lines that loading the file and then removing the blanks before every line
// end gives, whichever line ends the file has.
TEST_F(OpenDocumentFiles, AScriptGetsTheLinesOfTheFileLessTrailingBlanks)
{
    const AnsiString files[] = {
        "", " ", "   ", "a", "a   ", "a\n", "a \n  ", "a\n   ", "a \r\nb  \rc\t \n", "x\n\r", "x  \n\r",
        "  \n  \n", AnsiString("n\0 \n", 4), "\r\n \r\n", "tab\t\n",
    };
    int n = 0;
    for (const AnsiString &bytes : files) {
        TForm_Editor *w = OpenFile("f" + IntToStr(n++) + ".kas", bytes, KAS_Document);
        TSynMemo expected;
        expected.LoadText(bytes);
        expected.SetText(RemoveBlanksBeforeLineEnds(expected.Text()));
        EXPECT_EQ(w->Memo1->Text(), expected.Text()) << bytes;
        EXPECT_EQ(w->Memo1->Lines.Count(), expected.Lines.Count()) << bytes;
        EXPECT_FALSE(w->IsModified()) << bytes;
        EXPECT_FALSE(w->Memo1->CanUndo()) << bytes;
    }
}

// A TAB before a line end is written as a blank; the next opening takes that blank off, as it
// takes off every blank before a line end, and the save after it writes the line without it.
TEST_F(OpenDocumentFiles, ATabBeforeALineEndIsSavedAsABlankThatTheNextOpeningRemoves)
{
    struct Case { AnsiString File, FirstSave, SecondSave; };
    const Case cases[] = {
        {"x\t\r\ny\r\n", "x \ny\n\r", "x\ny\n\r"},
        {"x\t \r\ny\r\n", "x \ny\n\r", "x\ny\n\r"},       // the blank after the TAB goes at opening
        {"a \t\r\nb\r\n", "a  \nb\n\r", "a\nb\n\r"},
        {"\t\nx\n\r", " \nx\n\r", "\nx\n\r"},
        {"JOTE\t\nkeep  \t  inner\nend\t \t\n\r", "JOTE \nkeep     inner\nend\n\r", "JOTE\nkeep     inner\nend\n\r"},
        {"x\ny\t\n\r", "x\ny\n\r", "x\ny\n\r"},            // at the end of the text: cut
    };
    int n = 0;
    for (const Case &c : cases) {
        const AnsiString path = Root + "/tabs" + IntToStr(n++) + ".kas";
        WriteBytes(path, c.File);
        AnsiString saved[2];
        for (AnsiString &bytes : saved) {
            TForm_Editor *w = Form->OpenDocument(path, KAS_Document);
            ASSERT_TRUE(Form->SaveDocumentToFile(KAS_Document, path, w->Memo1));
            bytes = ReadAll(ToQPath(path));
            w->close();
        }
        EXPECT_EQ(saved[0], c.FirstSave) << c.File;
        EXPECT_EQ(saved[1], c.SecondSave) << c.File;
    }
}

} // namespace
