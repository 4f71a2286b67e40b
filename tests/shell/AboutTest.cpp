// The about box with its environment report, the author window, and the help commands with their
// path choosers.
#include "shell/DocumentTestSupport.h"

#include "platform/Shell.h"
#include "platform/TRegistry.h"
#include "shell/About.h"
#include "shell/I_win.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

TEST(AboutReport, LinesAndColumns)
{
    AboutEnvironment env;
    env.SclVersion = "2.80";
    env.GameExeVersion = "unknown";
    env.GameLibVersion = "1.2.3.4";
    env.Forms = 2;
    env.Components = 41;
    env.EditorVersion = "QScintilla 2.13.3";
    EXPECT_EQ(AboutEnvironmentReport(env),
              "\r\n \"Code Completion\" KAS version:   2.80"
              "\r\n\r\n Tarrowmere versions:\r\n    trqal.exe     unknown,"
              "\r\n    jotlib1.dll   1.2.3.4\r\n"
              "\r\n Current forms count:         2"
              "\r\n Current components count:    41"
              "\r\n\r\n SynEdit version:             QScintilla 2.13.3");
}

TEST(AboutReport, GameFilesOfTheGameFolder)
{
    QTemporaryDir dir;
    const AnsiString folder = FromQPath(dir.path());
    TStringList scl;
    scl.Add("KASVersion=2.80");
    AboutEnvironment none = GatherAboutEnvironment("none", &scl);
    EXPECT_EQ(none.GameExeVersion, "unknown");
    EXPECT_EQ(none.GameLibVersion, "unknown");
    EXPECT_EQ(none.SclVersion, "2.80");
    EXPECT_EQ(GatherAboutEnvironment("none", nullptr).SclVersion, "");

    WriteAll(ToQPath(folder + "/trqal.exe"), "not a program with a version");
    AboutEnvironment game = GatherAboutEnvironment(folder, &scl);
    EXPECT_EQ(game.GameExeVersion, "?");
    EXPECT_EQ(game.GameLibVersion, "unknown");
}

TEST(AboutReport, CreditsNameTheToolsWithTheirAddresses)
{
    const AnsiString credits = AboutCreditsText();
    for (const char *part : {"Credits", "Technical details", "Qt ", "https://www.qt.io/", "QScintilla ",
                             "https://www.riverbankcomputing.com/software/qscintilla/", "GoogleTest",
                             "https://github.com/google/googletest", "https://cmake.org/"})
        EXPECT_NE(credits.find(part), AnsiString::npos) << part;
}

class About : public DocumentTest
{
};

TEST_F(About, BoxShowsVersionCreditsAndReport)
{
    Form->GameFolder = "none";
    ModalRecorder modal([&](QDialog *dialog) {
        auto *box = qobject_cast<TAboutBox *>(dialog);
        EXPECT_NE(box, nullptr);
        if (!box) return int(mrCancel);
        EXPECT_EQ(box->windowTitle(), "About");
        EXPECT_GE(box->width(), 400);   // wider where the credits need it
        EXPECT_EQ(box->height(), 300);
        EXPECT_TRUE(box->Label5->text().startsWith("v. "));
        EXPECT_EQ(box->Label3->text(), "KAS v. 2.80 compatible");
        const AnsiString text = FromQ(box->Memo1->toPlainText());
        EXPECT_EQ(text.rfind(" Credits", 0), 0u);
        EXPECT_NE(text.find("    trqal.exe     unknown,\n    jotlib1.dll   unknown\n"), AnsiString::npos);
        EXPECT_NE(text.find(" Current forms count:         "), AnsiString::npos);
        EXPECT_NE(text.find(" SynEdit version:             QScintilla "), AnsiString::npos);
        return int(mrOk);
    });
    ASSERT_TRUE(Form->HelpAbout1->Execute());
    EXPECT_EQ(modal.ClassNames, std::vector<AnsiString>{"TAboutBox"});
}

TEST_F(About, EscClosesEnterDoesNothingLinksOpenAndCopy)
{
    TAboutBox box(Form);
    box.show();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&box, &enter);
    EXPECT_TRUE(box.isVisible());
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&box, &esc);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), int(QDialog::Accepted));

    ShellRecording shell;
    box.Label4Click();
    box.MailtoQUILauthor1Click();
    ASSERT_EQ(shell.Calls().size(), 2u);
    EXPECT_EQ(shell.Calls()[0].Target, QuilletLinks::VelmoraSite);
    EXPECT_EQ(shell.Calls()[1].Target, QuilletLinks::AuthorMail);
    box.Copylink1Click();
    EXPECT_EQ(QApplication::clipboard()->text(), QString(QuilletLinks::VelmoraSite));
    box.Copy1Click();
    EXPECT_EQ(QApplication::clipboard()->text(), box.Memo1->toPlainText());
}

TEST_F(About, AuthorWindowLinksAndPictureClickCloses)
{
    ModalRecorder modal([&](QDialog *dialog) {
        auto *form = qobject_cast<TI_Form *>(dialog);
        EXPECT_NE(form, nullptr);
        if (!form) return int(mrCancel);
        ShellRecording shell;
        form->ToolButton1Click();
        form->ToolButton2Click();
        form->ToolButton3Click();
        EXPECT_EQ(shell.Calls().size(), 3u);
        form->show();
        form->Image1Click();
        EXPECT_FALSE(form->isVisible());
        return int(mrOk);
    });
    ASSERT_TRUE(Form->I_Action1->Execute());
    EXPECT_EQ(modal.ClassNames, std::vector<AnsiString>{"TI_Form"});
}

// ---- Help ----

class Help : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        FileDialogs.reset();
        FileDialogs = std::make_unique<FileDialogRecorder>([this](TFileDialog &dialog) {
            if (OpenAnswer.empty()) return false;
            dialog.FileName = OpenAnswer;
            return true;
        });
    }
    AnsiString OpenAnswer;
    AnsiString StoredSetting(const AnsiString &name)
    {
        TRegistry reg;
        EXPECT_TRUE(reg.OpenKey(SettingsKeyPath(), false));
        return reg.ValueExists(name) ? reg.ReadString(name) : "<none>";
    }
};

TEST_F(Help, LanguageHelpShowsContentsOrSearchesTheSelection)
{
    Form->KASHelpPath = MakeFile("kas.hlp");
    ShellRecording shell;
    Form->KASHelp1->Execute();   // no document
    OpenFile("t.kat", "a\tb\tc\td\r\n", "KAT_Document");
    Form->KASHelp1->Execute();   // a table
    TForm_Editor *w = OpenFile("s.kas", "SETVAR here\r\n", "KAS_Document");
    w->Memo1->SetSelStart(0);
    w->Memo1->SetSelEnd(6);
    Form->KASHelp1->Execute();
    ASSERT_EQ(shell.Calls().size(), 3u);
    for (int i : {0, 1}) {
        EXPECT_EQ(shell.Calls()[i].Kind, ShellCall::scWinHelp);
        EXPECT_EQ(shell.Calls()[i].Target, Form->KASHelpPath);
        EXPECT_EQ(shell.Calls()[i].Command, unsigned(HELP_CONTENTS));
    }
    EXPECT_EQ(shell.Calls()[2].Command, unsigned(HELP_PARTIALKEY));
    EXPECT_EQ(shell.Calls()[2].Key, "SETVAR");
    EXPECT_TRUE(Boxes->Calls.empty());
}

TEST_F(Help, HtmlHelpOpensInTheBrowser)
{
    Form->KASHelpHTMLPath = MakeFile("kas_help/index.htm", "<html></html>");
    ShellRecording shell;
    Form->KASHTMLAction1->Execute();
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].Kind, ShellCall::scShellOpen);
    EXPECT_EQ(shell.Calls()[0].Target, Form->KASHelpHTMLPath);
}

TEST_F(Help, MissingHelpFilesAreNamed)
{
    Form->KASHelpPath = Root + "/no/kas.hlp";
    Form->QUILHelpPath = Root + "/no/quill.hlp";
    Form->GameFolder = "none";
    Form->KASHelpHTMLPath = "none/kas_help/index.htm";
    ShellRecording shell;
    Form->KASHelp1->Execute();
    Form->QUILHelp1->Execute();
    Form->KASHTMLAction1->Execute();
    ASSERT_EQ(Boxes->Calls.size(), 3u);
    EXPECT_EQ(Boxes->Calls[0].Text, "File \"" + Root + "/no/kas.hlp\" not found.");
    EXPECT_EQ(Boxes->Calls[1].Text, "File \"" + Root + "/no/quill.hlp\" not found.");
    // No game folder is known: the user is told so, not shown a folder named "none".
    EXPECT_EQ(Boxes->Calls[2].Text, "File \"kas_help/index.htm\" not found: no game folder is set.");
    for (const MessageBoxCall &c : Boxes->Calls) {
        EXPECT_EQ(c.Caption, FromQ(Form->windowTitle()));
        EXPECT_EQ(c.Flags, unsigned(MB_OK | MB_ICONWARNING));
    }
    for (const ShellCall &c : shell.Calls()) EXPECT_NE(c.Kind, ShellCall::scShellOpen);
}

TEST_F(Help, PathChoosersSetAndStoreThePaths)
{
    ASSERT_TRUE(QDir().mkpath(ToQPath(Root + "/game/kas_help")));
    Form->GameFolder = Root + "/game";
    const struct
    {
        TAction *TMainForm::*Action;
        AnsiString TMainForm::*Field;
        const char *Value, *Filter, *FileName, *Title;
        bool GameStart;
    } cases[] = {
        {&TMainForm::SetpathtoKASHelp1, &TMainForm::KASHelpPath, "KASHelpPath", "Windows Help files (*.hlp)|*.hlp",
         "kas.hlp", "Select KAS help file", false},
        {&TMainForm::SetpathtoKASHelpHTML1, &TMainForm::KASHelpHTMLPath, "KASHelpHTMLPath",
         "HTML or HTM files |*.html;*.htm", "index.htm", "Select HTML KAS help file", true},
        {&TMainForm::SetpathtoQuillethelp1, &TMainForm::QUILHelpPath, "QUILHelpPath",
         "Windows HTML Help files (*.hlp)|*.hlp", "quill.hlp", "Select Quillet help file", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Value);
        OpenAnswer = Root + "/chosen-" + c.Value;
        FileDialogs->Calls.clear();
        (Form->*c.Action)->Execute();
        ASSERT_EQ(FileDialogs->Calls.size(), 1u);
        const TFileDialog &shown = FileDialogs->Calls[0];
        EXPECT_EQ(shown.Filter, c.Filter);
        EXPECT_EQ(shown.FileName, c.FileName);
        EXPECT_EQ(shown.Title, c.Title);
        EXPECT_EQ(shown.InitialDir, c.GameStart ? Root + "/game/kas_help" : Form->ProgramFolder);
        EXPECT_EQ(Form->*c.Field, OpenAnswer);
        EXPECT_EQ(StoredSetting(c.Value), OpenAnswer);
    }
    // Cancel changes nothing.
    const AnsiString before = Form->KASHelpPath;
    OpenAnswer.clear();
    Form->SetpathtoKASHelp1->Execute();
    EXPECT_EQ(Form->KASHelpPath, before);
}

} // namespace
