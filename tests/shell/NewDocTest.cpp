// The new-document dialog: new documents of each kind, the companion tables of the active script,
// and the favourites list with its command.
#include "shell/DocumentTestSupport.h"

#include "platform/TRegistry.h"
#include "platform/TStringGrid.h"
#include "shell/DocumentCommands.h"
#include "shell/Main.h"
#include "shell/NewDocWin.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include "platform/ToolBar.h"

#include <QDir>
#include <QMdiArea>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>

namespace {

class NewDoc : public DocumentTest
{
protected:
    // Runs the command; the dialog goes to the test's function instead of the user.
    void RunDialog(const std::function<void(TNewDocForm &)> &user)
    {
        ModalRecorder modal([&](QDialog *dialog) {
            auto *form = qobject_cast<TNewDocForm *>(dialog);
            EXPECT_NE(form, nullptr);
            if (form) user(*form);
            return int(mrOk);
        });
        ASSERT_TRUE(Form->NewDoc->Execute());
    }
    static void SelectEntry(TNewDocForm &form, int row)
    {
        form.ListView1->setCurrentRow(row);
        form.ListView1->item(row)->setSelected(true);
    }
    static std::vector<AnsiString> EntryCaptions(TNewDocForm &form)
    {
        std::vector<AnsiString> captions;
        for (int i = 0; i < form.ListView1->count(); ++i) captions.push_back(FromQ(form.ListView1->item(i)->text()));
        return captions;
    }
    AnsiString StoredFavourites()
    {
        TRegistry reg;
        EXPECT_TRUE(reg.OpenKey(SettingsKeyPath(), false));
        return reg.ValueExists("FavouritesFileList") ? reg.ReadString("FavouritesFileList") : "<none>";
    }
    void StoreFavourites(const AnsiString &text)
    {
        WithSettings([&](TRegistry &reg) { reg.WriteString("FavouritesFileList", text); });
    }
};

TEST_F(NewDoc, EachStandardEntryCreatesAnUnnamedDocumentOfItsKind)
{
    const char *kinds[] = {"KAS_Document", "TXT_Document", "CMD_Document", "KAO_Document", "KAT_Document"};
    for (int row = 0; row < 5; ++row) {
        SCOPED_TRACE(row);
        const int number = Form->DocumentWindowCounter;
        RunDialog([&](TNewDocForm &form) {
            SelectEntry(form, row);
            EXPECT_TRUE(form.ToolButton1->isEnabled());
            form.ToolButton1Click();
        });
        TForm_Editor *w = Form->ActiveEditor();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->Caption(), "Document_" + IntToStr(number));
        EXPECT_EQ(w->DocumentKind, kinds[row]);
        EXPECT_FALSE(w->IsModified());
        EXPECT_FALSE(QFile::exists(ToQPath(w->Caption())));
    }
    EXPECT_EQ(EditorCount(), 5);
}

TEST_F(NewDoc, DescriptionFollowsTheSelection)
{
    RunDialog([&](TNewDocForm &form) {
        EXPECT_EQ(form.windowTitle(), "New document / Favourites");
        EXPECT_EQ(EntryCaptions(form),
                  (std::vector<AnsiString>{"KAS Document", "Text Document", "CMD Document", "KAO Document",
                                           "KAT Document"}));
        SelectEntry(form, 1);
        EXPECT_EQ(form.Label1->text(), "Plane text or text table (*.TXT).");
        form.ListView1->clearSelection();
        EXPECT_FALSE(form.ToolButton1->isEnabled());
    });
}

TEST_F(NewDoc, ScriptGetsItsCompanionTablesSeeded)
{
    OpenFile("quest.kas", "JOTE\r\n", "KAS_Document");
    RunDialog([&](TNewDocForm &form) {
        EXPECT_EQ(EntryCaptions(form).size(), 7u);
        EXPECT_EQ(EntryCaptions(form)[5], "KAO document for \"quest.kas\" script.");
        EXPECT_EQ(EntryCaptions(form)[6], "KAT document for \"quest.kas\" script.");
        SelectEntry(form, 5);
        EXPECT_EQ(form.Label1->text().toStdString(),
                  "KAO document for \"quest.kas\" script.\r\nTab-delineated setup file for including a Qalify "
                  "script option in the Qalify Options Dialogue box.");
        form.ToolButton1Click();
    });
    EXPECT_EQ(ReadFileBytes(Root + "/quest.kao"), "\t\t\t\t\t\t\t\t\t\t\r\n");
    EXPECT_EQ(Form->ActiveEditor()->Caption(), Root + "/quest.kao");
    EXPECT_EQ(Form->ActiveEditor()->DocumentKind, "KAO_Document");
    EXPECT_EQ(Form->ActiveEditor()->StringGrid1->RowCount(), 1);

    // With the KAO table open, only the KAT table is offered, and its seed is written.
    Form->MdiArea->setActiveSubWindow(Editor(0));
    RunDialog([&](TNewDocForm &form) {
        ASSERT_EQ(EntryCaptions(form).size(), 6u);
        EXPECT_EQ(EntryCaptions(form)[5], "KAT document for \"quest.kas\" script.");
        SelectEntry(form, 5);
        form.ToolButton1Click();
    });
    EXPECT_EQ(ReadFileBytes(Root + "/quest.kat"), "\t\t\r\n");
    EXPECT_EQ(Form->ActiveEditor()->DocumentKind, "KAT_Document");
}

TEST_F(NewDoc, ExistingCompanionFileIsOpenedNotOverwritten)
{
    WriteBytes(Root + "/quest.kat", "1\tz1\ttext\r\n");
    OpenFile("quest.kas", "JOTE\r\n", "KAS_Document");
    RunDialog([&](TNewDocForm &form) {
        SelectEntry(form, 6);
        form.ToolButton1Click();
    });
    EXPECT_EQ(ReadFileBytes(Root + "/quest.kat"), "1\tz1\ttext\r\n");
    EXPECT_EQ(Form->ActiveEditor()->StringGrid1->Cells(2, 0), "text");
}

TEST_F(NewDoc, CompanionThatCannotBeCreatedIsReportedAndStillOpened)
{
    const AnsiString folder = Root + "/locked";
    ASSERT_TRUE(QDir().mkpath(ToQPath(folder)));
    WriteBytes(folder + "/quest.kas", "JOTE\r\n");
    Form->OpenDocument(folder + "/quest.kas", "KAS_Document");
    QFile::setPermissions(ToQPath(folder), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    OpenToEveryone(Root);
    {
        QFile::setPermissions(ToQPath(folder), QFileDevice::Permissions(0x5555));
        QFile::setPermissions(ToQPath(SettingsFile), QFileDevice::Permissions(0x6666));
        UnprivilegedScope user;
        ASSERT_TRUE(user.Active());
        RunDialog([&](TNewDocForm &form) {
            SelectEntry(form, 5);
            form.ToolButton1Click();
        });
    }
    ASSERT_FALSE(Boxes->Calls.empty());
    EXPECT_EQ(Boxes->Calls[0].Text, "Error at creating the file \"" + folder + "/quest.kao\"!");
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONERROR));
    EXPECT_EQ(Form->ActiveEditor()->Caption(), folder + "/quest.kao");
    QFile::setPermissions(ToQPath(folder), QFileDevice::Permissions(0x7700));
}

// ---- Favourites ----

TEST_F(NewDoc, AddingFavouritesKeepsThemSortedAndUnique)
{
    Form->ActionList1->UpdateActions();
    EXPECT_FALSE(Form->FFLAction1->Enabled());
    OpenNew("unsaved.kas", "KAS_Document");
    Form->ActionList1->UpdateActions();
    EXPECT_FALSE(Form->FFLAction1->Enabled());

    OpenFile("b.kas", "JOTE\r\n", "KAS_Document");
    Form->FFLAction1->Execute();
    Form->FFLAction1->Execute();
    EXPECT_EQ(StoredFavourites(), Root + "/b.kas\tKAS_Document\r\n");
    OpenFile("A.txt", "x\r\n", "TXT_Document");
    Form->FFLAction1->Execute();
    EXPECT_EQ(StoredFavourites(), Root + "/A.txt\tTXT_Document\r\n" + Root + "/b.kas\tKAS_Document\r\n");
}

TEST(Favourites, SplitAndKind)
{
    const struct
    {
        const char *Line, *Path, *Kind, *Opens;
    } cases[] = {
        {"/s/a.kas\tKAS_Document", "/s/a.kas", "KAS_Document", "KAS_Document"},
        {"/s/a.txt\tCMD_Document", "/s/a.txt", "CMD_Document", "CMD_Document"},
        {"/s/run.log\tsomething", "/s/run.log", "something", "TXT_Document"},
        {"/s/a.kat", "/s/a.kat", "", "KAT_Document"},
        {"/s/a.doc\t?", "/s/a.doc", "?", ""},
        {"/s/a.kao\tKAO_Document_and_more", "/s/a.kao", "KAO_Document", "KAO_Document"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Line);
        const Favourite f = SplitFavourite(c.Line);
        EXPECT_EQ(f.Path, c.Path);
        EXPECT_EQ(f.Kind, c.Kind);
        EXPECT_EQ(FavouriteOpeningKind(f), c.Opens);
    }
}

TEST_F(NewDoc, SelectedFavouritesOpenAndMissingOnesStaySelected)
{
    ASSERT_TRUE(QDir().mkpath(ToQPath(Root + "/one")));
    ASSERT_TRUE(QDir().mkpath(ToQPath(Root + "/two")));
    WriteBytes(Root + "/one/same.kas", "JOTE\r\n");
    WriteBytes(Root + "/two/same.kas", "JOTE\r\n");
    WriteBytes(Root + "/two/run.log", "log\r\n");
    StoreFavourites(Root + "/gone.kas\tKAS_Document\r\n" + Root + "/one/same.kas\tKAS_Document\r\n" + Root +
                    "/two/run.log\tunknown\r\n" + Root + "/two/same.kas\tKAS_Document\r\n");
    std::vector<bool> stillSelected;
    RunDialog([&](TNewDocForm &form) {
        ASSERT_EQ(form.ListBox1->count(), 4);
        EXPECT_EQ(form.ListBox1->item(1)->text(), "same.kas");
        EXPECT_EQ(form.ListBox1->item(3)->text(), "same.kas");
        form.PageControl1->setCurrentIndex(1);
        EXPECT_FALSE(form.ToolButton1->isEnabled());
        form.ListBox1->setCurrentRow(3);
        EXPECT_EQ(form.Label4->toolTip().toStdString(), Root + "/two/same.kas\tKAS_Document");
        EXPECT_TRUE(form.ToolButton5->isEnabled());
        form.ListBox1->selectAll();
        form.ToolButton1Click();
        for (int i = 0; i < form.ListBox1->count(); ++i) stillSelected.push_back(form.ListBox1->item(i)->isSelected());
    });
    EXPECT_EQ(Captions(), (std::vector<AnsiString>{Root + "/one/same.kas", Root + "/two/run.log",
                                                   Root + "/two/same.kas"}));
    EXPECT_EQ(Editor(1)->DocumentKind, "TXT_Document");
    EXPECT_EQ(stillSelected, (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(Form->LastWorkDir, Root + "/two");
}

TEST_F(NewDoc, DeletingAFavouriteWritesTheListAtOnce)
{
    StoreFavourites("/a.kas\tKAS_Document\r\n/b.kas\tKAS_Document\r\n");
    RunDialog([&](TNewDocForm &form) {
        form.PageControl1->setCurrentIndex(1);
        form.ListBox1->setCurrentRow(0);
        form.ToolButton5Click();
        EXPECT_EQ(form.ListBox1->count(), 1);
    });
    EXPECT_EQ(StoredFavourites(), "/b.kas\tKAS_Document\r\n");
}

} // namespace
