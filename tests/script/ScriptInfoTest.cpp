// "About document" and "Edit document information" on real document windows.
#include "shell/DocumentTestSupport.h"

#include "common/Utils.h"
#include "platform/ActionList.h"
#include "platform/Shell.h"
#include "platform/StatusBar.h"
#include "platform/SystemInfo.h"
#include "platform/TStringGrid.h"
#include "script/DocumentInfo.h"
#include "script/EdInfoWin.h"
#include "script/InfoWin.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>

namespace {

TEST(DocumentInfo, ListFieldsAreNormalised)
{
    const std::pair<const char *, const char *> cases[] = {
        {"x3, x1 ,x2", "x1;x2;x3"},
        {"b;A;a;B", "A;a;b;B"},       // sorted without regard to case, repeats kept
        {"c;;a", "a;c"},              // items after a doubled separator are kept
        {";b,,a;", "a;b"},
        {"  ", ""},
        {"v1-5", "v1-5"},
    };
    for (const auto &[text, expected] : cases) EXPECT_EQ(NormalizeTagList(text), expected) << text;
}

TEST(DocumentInfo, Proposals)
{
    EXPECT_EQ(ProposedScriptName("/a.b/My.Script.kas"), "My");
    EXPECT_EQ(ProposedScriptName("/x/noext"), "noext");
    const AnsiString user = UserName();
    EXPECT_EQ(ProposedAuthor(), user.size() <= 20 ? user : "");
    EXPECT_EQ(ProposedLanguage(), LanguageName() + " or " + NativeLanguageName() + " (native)");
}

class ScriptInfo : public DocumentTest
{
protected:
    // Runs the action; the dialog of the given class is looked at while it is shown.
    template <class Form>
    void Run(TAction *action, const std::function<void(Form &)> &look)
    {
        ModalRecorder modal([&](QDialog *dialog) {
            auto *form = qobject_cast<Form *>(dialog);
            EXPECT_NE(form, nullptr);
            if (form) look(*form);
            return int(mrOk);
        });
        this->Form->ActionList1->UpdateActions();
        ASSERT_TRUE(action->Execute());
        ASSERT_EQ(modal.ClassNames.size(), 1u);
    }
};

TEST_F(ScriptInfo, AboutAScript)
{
    const AnsiString text = "// JOTE\r\nQUIL_ScriptName=Door\r\nQUIL_ScriptAuthor=Ann\r\n"
                            "QUIL_ScriptUsedVariables=v1;v2\r\nquil_scriptusedflags=3-4\r\n!$ x;\r\n";
    OpenFile("door.kas", text, "KAS_Document");
    Run<TInfoScriptForm>(Form->InformScr_Action1, [&](TInfoScriptForm &f) {
        EXPECT_EQ(f.windowTitle(), "About document");
        EXPECT_EQ(f.RowValue(TInfoScriptForm::rowFileName), Root + "/door.kas ");
        EXPECT_EQ(f.RowValue(TInfoScriptForm::rowScriptName), "Door ");
        EXPECT_EQ(f.RowValue(TInfoScriptForm::rowVersion), "? ");
        EXPECT_EQ(f.RowValue(TInfoScriptForm::rowPoweredBy), "? ");
        EXPECT_EQ(f.RowValue(TInfoScriptForm::rowVariables), "v1;v2");
        EXPECT_EQ(f.RowValue(TInfoScriptForm::rowTimers), "");
        EXPECT_EQ(f.RowValue(TInfoScriptForm::rowSymbols), IntToStr((long long)text.size()) + " ");
        EXPECT_EQ(f.RowValue(TInfoScriptForm::rowLines), "6 ");
        EXPECT_FALSE(f.RowShown(TInfoScriptForm::rowColumns));
        f.ToolButton2Click();
        EXPECT_EQ(FromQ(QGuiApplication::clipboard()->text()),
                  " File name: " + Root + "/door.kas \r\n Script name: Door \r\n Script version: ? \r\n"
                  " Date of script realise: ? \r\n Author: Ann \r\n KAS version: ? \r\n Script language: ? \r\n"
                  " Powered by: ? \r\n Used variables: v1;v2\r\n Used functions: \r\n Used macro names: \r\n"
                  " Document type: KAS_Document \r\n Symbols: " + IntToStr((long long)text.size()) +
                  " \r\n Lines: 6 \r\n Used timers: \r\n Used flags: 3-4\r\n Additional files: ");
    });
}

TEST_F(ScriptInfo, AboutATableShowsFourRows)
{
    OpenFile("t.kat", "1\ta\tx\r\n2\tb\ty\r\n", "KAT_Document");
    Form->ActionList1->UpdateActions();
    EXPECT_FALSE(Form->EdInformScr_Action1->Enabled());
    Run<TInfoScriptForm>(Form->InformScr_Action1, [&](TInfoScriptForm &f) {
        const AnsiString rows = IntToStr(Form->ActiveEditor()->StringGrid1->RowCount());
        const AnsiString cols = IntToStr(Form->ActiveEditor()->StringGrid1->ColCount());
        EXPECT_EQ(f.CopyText(), " File name: " + Root + "/t.kat \r\n Document type: KAT_Document \r\n Lines: " + rows +
                                    " \r\n Columns: " + cols + " ");
        for (int row = TInfoScriptForm::rowScriptName; row <= TInfoScriptForm::rowSymbols; ++row)
            EXPECT_FALSE(f.RowShown(row)) << row;
    });
}

TEST_F(ScriptInfo, ActionsNeedADocument)
{
    Form->ActionList1->UpdateActions();
    EXPECT_FALSE(Form->InformScr_Action1->Enabled());
    EXPECT_FALSE(Form->EdInformScr_Action1->Enabled());
    OpenFile("a.txt", "x\r\n", "TXT_Document");
    Form->ActionList1->UpdateActions();
    EXPECT_TRUE(Form->InformScr_Action1->Enabled());
    EXPECT_TRUE(Form->EdInformScr_Action1->Enabled());
}

TEST_F(ScriptInfo, TheEditWindowProposesValuesForAScriptWithoutTags)
{
    OpenFile("plain.script.kas", "JOTE\r\nQUIL_ScriptDate=1.1(January).2001\r\n", "KAS_Document");
    Run<TVersionForm>(Form->EdInformScr_Action1, [&](TVersionForm &f) {
        EXPECT_EQ(f.windowTitle(), "Edit document information");
        EXPECT_EQ(FromQ(f.EditName->text()), "plain");
        EXPECT_EQ(FromQ(f.EditVersion->text()), "1.0.0");
        EXPECT_EQ(FromQ(f.EditDate->text()), TodayText());
        EXPECT_EQ(FromQ(f.EditAuthor->text()), ProposedAuthor());
        EXPECT_EQ(FromQ(f.EditKASVer->text()), "2.70");
        EXPECT_EQ(FromQ(f.EditLang->text()), ProposedLanguage());
        EXPECT_TRUE(f.EditUsVar->text().isEmpty());
        EXPECT_TRUE(f.EditAddFiles->text().isEmpty());
        EXPECT_NE(FromQ(f.EditUsVar->toolTip()).find("Analyzer (Ctrl+Alt+V)"), AnsiString::npos);
    });
}

TEST_F(ScriptInfo, SaveAndCloseWritesTheTagsBelowTheAnchorLine)
{
    WithKey(ProductKey, [](TRegistry &reg) {
        reg.WriteBool("WriteWarning1", true);
        reg.WriteString("Warning1Text", "Keep out");
    });
    TForm_Editor *w = OpenFile("s.kas", "// JOTE\r\nQUIL_ScriptUsedFlags=old\r\nQUIL_ScriptDate=1.1(January).2001\r\nbody\r\n",
                               "KAS_Document");
    Run<TVersionForm>(Form->EdInformScr_Action1, [&](TVersionForm &f) {
        f.EditName->setText("Name");
        f.EditAuthor->setText("Ann");
        f.EditVersion->setText("2");
        f.EditKASVer->setText("2.80");
        f.EditLang->setText("English");
        f.EditUsVar->setText("x3, x1 ,x2");
        f.EditUsFunc->setText("");
        f.EditUsMacro->setText("b;a");
        f.EditUsTimer->setText("");
        f.EditUsFlags->setText("");
        f.EditAddFiles->setText("z.kat,a.txt");
        f.ToolButton1Click();
        EXPECT_EQ(FromQ(f.EditUsVar->text()), "x1;x2;x3");
    });
    EXPECT_EQ(w->Memo1->Text(), "// JOTE\r\n_WARNING_#1=Keep out\r\nQUIL_ScriptName=Name\r\nQUIL_ScriptAuthor=Ann\r\n"
                                "QUIL_ScriptVersion=2\r\nQUIL_ScriptDate=" + TodayText() + "\r\n"
                                "QUIL_ScriptKASVersion=2.80\r\nQUIL_ScriptLanguage=English\r\n"
                                "QUIL_ScriptUsedVariables=x1;x2;x3\r\nQUIL_AdditionalFiles=a.txt;z.kat\r\n"
                                "QUIL_ScriptUsedMacroNames=a;b\r\nQUIL_ScriptUsedFlags=old\r\nbody\r\n");
    EXPECT_TRUE(w->IsModified());
    EXPECT_EQ(w->StatusBar1->Panels[11].Text(), "Script date: " + TodayText());
}

TEST_F(ScriptInfo, AnExistingWarningKeepsItsPlaceAndTheFlagCanBeOff)
{
    TForm_Editor *w = OpenFile("s.kas", "JOTE\r\nbody\r\n_WARNING_#1=old\r\n", "KAS_Document");
    Run<TVersionForm>(Form->EdInformScr_Action1, [&](TVersionForm &f) {
        for (QLineEdit *e : {f.EditName, f.EditAuthor, f.EditVersion, f.EditKASVer, f.EditLang}) e->clear();
        f.EditDate->setText("d");
        f.ToolButton1Click();
    });
    EXPECT_EQ(w->Memo1->Text(), "JOTE\r\nQUIL_ScriptDate=d\r\nbody\r\n_WARNING_#1=IMPORTANT! This file is not in a plain "
                                "text format. NEVER use any editor except QUILL for making any kind of changes!\r\n");

    WithKey(ProductKey, [](TRegistry &reg) { reg.WriteBool("WriteWarning1", false); });
    TForm_Editor *other = OpenFile("t.kas", "JOTE\r\n", "KAS_Document");
    Run<TVersionForm>(Form->EdInformScr_Action1, [&](TVersionForm &f) {
        for (QLineEdit *e : {f.EditName, f.EditAuthor, f.EditVersion, f.EditKASVer, f.EditLang, f.EditDate}) e->clear();
        f.FormKeyDown(Qt::Key_Return);
    });
    EXPECT_EQ(other->Memo1->Text(), "JOTE\r\n");
}

TEST_F(ScriptInfo, CloseChangesNothingAndHelpOpensTheContext)
{
    TForm_Editor *w = OpenFile("s.kas", "JOTE\r\n", "KAS_Document");
    ShellRecording shell;
    Run<TVersionForm>(Form->EdInformScr_Action1, [&](TVersionForm &f) {
        f.FormKeyDown(Qt::Key_F1);
        f.ToolButton2Click();
    });
    EXPECT_EQ(w->Memo1->Text(), "JOTE\r\n");
    EXPECT_FALSE(w->IsModified());
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].Data, 118);
}

} // namespace
