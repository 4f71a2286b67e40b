// Printing the text pane: the print dialog's options and caption, the pages and footers of a real
// print into a PDF file, and a printer that fails.
#include "shell/DocumentTestSupport.h"

#include "editing/PrintDlg.h"
#include "platform/Dialogs.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynEditPrint.h"
#include "synedit/SynMemo.h"

#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QStandardPaths>
#include <QPageSize>
#include <QPrinter>
#include <QRegularExpression>

namespace {

// Page objects of a PDF file ("/Type /Page", not the "/Type /Pages" tree).
int PdfPageCount(const AnsiString &path)
{
    QFile file(ToQPath(path));
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QString bytes = QString::fromLatin1(file.readAll());
    return int(bytes.count(QRegularExpression("/Type\\s*/Page(?![s\\w])")));
}

// The text of each page of a PDF file, read by pdftotext (poppler-utils); empty when it is missing.
std::vector<AnsiString> PdfPageTexts(const AnsiString &path)
{
    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty()) return {};
    QProcess p;
    p.start(tool, {"-layout", ToQPath(path), "-"});
    if (!p.waitForFinished(30000)) return {};
    std::vector<AnsiString> pages;
    for (const QByteArray &page : p.readAllStandardOutput().split('\f'))
        if (!page.trimmed().isEmpty()) pages.push_back(page.toStdString());
    return pages;
}

void PrintToPdf(QPrinter &printer, const AnsiString &path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(ToQPath(path));
    printer.setPageSize(QPageSize(QPageSize::A4));
}

class Print : public DocumentTest
{
protected:
    TForm_Editor *OpenFixture()
    {
        return OpenFile("script250.kas", ReadAll(QUILLET_FIXTURES "/print/script250.kas"), "KAS_Document");
    }

    // Runs the print command; the dialog is handed to the test's function instead of the user.
    void RunPrintDialog(const std::function<void(TPrintForm &)> &user)
    {
        ModalRecorder modal([&](QDialog *dialog) {
            auto *form = qobject_cast<TPrintForm *>(dialog);
            EXPECT_NE(form, nullptr);
            if (form) user(*form);
            return int(mrOk);
        });
        ASSERT_TRUE(Form->PrintAction1->Execute());
        ASSERT_EQ(modal.ClassNames, std::vector<AnsiString>{"TPrintForm"});
    }

    std::vector<AnsiString> BoxTexts() const
    {
        std::vector<AnsiString> texts;
        for (const MessageBoxCall &c : Boxes->Calls) texts.push_back(c.Text);
        return texts;
    }
};

TEST_F(Print, TwoHundredFiftyLinesGoToPdfWithPageFooters)
{
    OpenFixture();
    const AnsiString pdf = Root + "/out.pdf";
    std::vector<TSynPrintedPage> pages;
    int countBefore = 0;
    RunPrintDialog([&](TPrintForm &form) {
        PrintToPdf(form.Printer(), pdf);
        countBefore = form.SynEditPrint1.PageCount(form.Printer());
        form.ToolButton1Click();
        pages = form.SynEditPrint1.PrintedPages();
    });

    ASSERT_GT(pages.size(), 1u);
    EXPECT_EQ(int(pages.size()), countBefore);
    EXPECT_EQ(PdfPageCount(pdf), int(pages.size()));
    const AnsiString total = IntToStr((long long)pages.size());
    for (size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(pages[i].Footer.size(), 2u);
        EXPECT_EQ(pages[i].Footer[0].rfind("Quillet v. ", 0), 0u);
        EXPECT_EQ(pages[i].Footer[1], "Page: " + IntToStr((long long)i + 1) + "/" + total);
        ASSERT_EQ(pages[i].Header.size(), 2u);
        EXPECT_EQ(pages[i].Header[0], "script250.kas");
    }
    // What really is on the pages, when poppler's pdftotext is there to read it.
    const std::vector<AnsiString> texts = PdfPageTexts(pdf);
    if (!QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        ASSERT_EQ(texts.size(), pages.size());
        for (size_t i = 0; i < texts.size(); ++i)
            EXPECT_NE(texts[i].find("Page: " + IntToStr((long long)i + 1) + "/" + total), AnsiString::npos) << i;
        EXPECT_NE(texts.front().find("Line 4 of the print fixture"), AnsiString::npos);
        EXPECT_NE(texts.back().find("250"), AnsiString::npos);
    }
    EXPECT_EQ(pages.front().FirstLine, 1);
    EXPECT_EQ(pages.back().LastLine, 250);
    for (size_t i = 1; i < pages.size(); ++i) EXPECT_GE(pages[i].FirstLine, pages[i - 1].LastLine);
    EXPECT_EQ(BoxTexts(), std::vector<AnsiString>{"Document \"script250.kas\": Printing done."});
    EXPECT_EQ(Boxes->Calls.at(0).Caption, "Quillet");
}

TEST_F(Print, WithoutPageNumbersTheFooterHasOnlyTheVersion)
{
    OpenFixture();
    std::vector<TSynPrintedPage> pages;
    RunPrintDialog([&](TPrintForm &form) {
        PrintToPdf(form.Printer(), Root + "/plain.pdf");
        form.SetChecked(TPrintForm::poPageNumbers, false);
        form.ToolButton1Click();
        pages = form.SynEditPrint1.PrintedPages();
    });
    ASSERT_FALSE(pages.empty());
    for (const TSynPrintedPage &p : pages) EXPECT_EQ(p.Footer.size(), 1u);
}

TEST_F(Print, PrinterThatFailsIsReportedAndNeverDone)
{
    OpenFixture();
    bool done = true;
    RunPrintDialog([&](TPrintForm &form) {
        PrintToPdf(form.Printer(), Root + "/no/such/folder/out.pdf");
        form.ToolButton1Click();
        done = form.Done();
    });
    EXPECT_FALSE(done);
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text.rfind("Document \"script250.kas\": Printing failed.", 0), 0u);
    EXPECT_EQ(Boxes->Calls[0].Flags & MB_ICONMASK, unsigned(MB_ICONSTOP));
}

// Qt's warnings while it lives (the program's own handler is put back after).
class QtMessageRecorder
{
public:
    QtMessageRecorder() { Previous = qInstallMessageHandler(&Record); }
    ~QtMessageRecorder()
    {
        qInstallMessageHandler(Previous);
        Messages().clear();
    }
    static std::vector<AnsiString> &Messages()
    {
        static std::vector<AnsiString> messages;
        return messages;
    }

private:
    static void Record(QtMsgType, const QMessageLogContext &, const QString &text)
    {
        Messages().push_back(FromQ(text));
    }
    QtMessageHandler Previous = nullptr;
};

// A failed print leaves the printer as it was: a second print of the same dialog starts clean (no
// "cannot be changed while printer is active") and fails with the same reason. A PDF printer
// without a file is what Qt gives when no printer is installed.
TEST_F(Print, APrintAfterAFailedOneStartsClean)
{
    const struct
    {
        const char *Name;
        std::function<void(QPrinter &)> SetUp;
        AnsiString Reason;
    } cases[] = {
        {"no printer", [](QPrinter &p) { p.setOutputFormat(QPrinter::PdfFormat); }, "No printer is available."},
        {"a file in a missing folder", [&](QPrinter &p) { PrintToPdf(p, Root + "/no/such/folder/out.pdf"); },
         "The print file \"" + Root + "/no/such/folder/out.pdf\" could not be written: No such file or directory"},
    };
    OpenFixture();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        Boxes->Calls.clear();
        std::vector<std::vector<AnsiString>> messages;
        RunPrintDialog([&](TPrintForm &form) {
            c.SetUp(form.Printer());
            for (int attempt = 0; attempt < 2; ++attempt) {
                QtMessageRecorder recorder;
                form.ToolButton1Click();
                messages.push_back(QtMessageRecorder::Messages());
                EXPECT_FALSE(form.Done());
                EXPECT_NE(form.Printer().printerState(), QPrinter::Active);
            }
        });
        ASSERT_EQ(messages.size(), 2u);
        for (const AnsiString &m : messages[1]) EXPECT_EQ(m.find("active"), AnsiString::npos) << m;
        EXPECT_EQ(messages[1], messages[0]);
        const AnsiString failed = "Document \"script250.kas\": Printing failed.\r\n" + c.Reason;
        EXPECT_EQ(BoxTexts(), std::vector<AnsiString>(2, failed));
    }
}

TEST_F(Print, CaptionCountsPagesAndLinesOfWhatIsPrinted)
{
    TForm_Editor *w = OpenFixture();
    w->Memo1->SetSelStart(0);
    w->Memo1->SetSelEnd(int(w->Memo1->Lines[0].size() + 2 + w->Memo1->Lines[1].size()));
    RunPrintDialog([&](TPrintForm &form) {
        EXPECT_EQ(form.windowTitle().toStdString(),
                  "Print: pages - " + IntToStr(form.SynEditPrint1.PageCount(form.Printer())) + "; lines - 250");
        for (int o : {0, 1, 3, 4, 5}) EXPECT_TRUE(form.Checked(TPrintForm::TOption(o))) << o;
        EXPECT_FALSE(form.Checked(TPrintForm::poSelectedOnly));
        EXPECT_EQ(form.SynEditPrint1.DocTitle, "Quillet: printing \"script250.kas\"");

        form.SetChecked(TPrintForm::poSelectedOnly, true);   // a click on the option
        EXPECT_EQ(form.windowTitle().toStdString(), "Print: pages - 1; lines - 2");
        EXPECT_EQ(form.SynEditPrint1.Lines, (std::vector<AnsiString>{w->Memo1->Lines[0], w->Memo1->Lines[1]}));
    });
}

TEST_F(Print, SelectedOnlyWithoutSelectionPrintsEverything)
{
    OpenFixture();
    RunPrintDialog([&](TPrintForm &form) {
        form.SetChecked(TPrintForm::poSelectedOnly, true);
        EXPECT_EQ(form.SynEditPrint1.Lines.size(), 250u);
    });
}

TEST_F(Print, ActionNeedsTheTextPane)
{
    Form->ActionList1->UpdateActions();
    EXPECT_FALSE(Form->PrintAction1->Enabled());
    OpenNew("t.kat", "KAT_Document");
    Form->ActionList1->UpdateActions();
    EXPECT_FALSE(Form->PrintAction1->Enabled());
    OpenNew("t.txt", "TXT_Document");
    Form->ActionList1->UpdateActions();
    EXPECT_TRUE(Form->PrintAction1->Enabled());
}

// ---- The engine on its own ----

TEST(SynEditPrint, WrapTakesMoreRowsAndUnwrappedLinesStayOneRow)
{
    TSynEditPrint print;
    print.Lines.assign(60, AnsiString(400, 'x'));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    print.Wrap = false;
    const int unwrapped = print.PageCount(printer);
    print.Wrap = true;
    const int wrapped = print.PageCount(printer);
    EXPECT_EQ(unwrapped, 1);
    EXPECT_GT(wrapped, unwrapped);
}

TEST(SynEditPrint, MacrosAreExpanded)
{
    TSynEditPrint print;
    print.Title = "a.kas";
    EXPECT_EQ(print.ExpandMacros("$TITLE$ Page: $PAGENUM$/$PAGECOUNT$", 2, 7), "a.kas Page: 2/7");
    EXPECT_EQ(print.ExpandMacros("$PAGENUM$$PAGENUM$", 3, 3), "33");
    EXPECT_EQ(print.ExpandMacros("no macros", 1, 1), "no macros");
    EXPECT_NE(print.ExpandMacros("$DATETIME$", 1, 1), "$DATETIME$");
}

TEST(SynEditPrint, EmptyDocumentIsOnePage)
{
    TSynEditPrint print;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    EXPECT_EQ(print.PageCount(printer), 1);
}

} // namespace
