// Fields whose text goes into a script or a list, typed into with real keys: a letter the
// documents' 8-bit code cannot hold is refused by name and nothing is written; letters it can
// hold go in unchanged.
#include "editing/SettingsDlg.h"
#include "platform/ActionList.h"
#include "platform/ToolBar.h"
#include "script/AddTagWin.h"
#include "script/EdInfoWin.h"
#include "script/InsListEditor.h"
#include "shell/DocumentTestSupport.h"
#include "shell/LayoutTestSupport.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"
#include "textres/TRM.h"
#include "KeyTyping.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

class TypedTextBoundary : public DocumentTest
{
protected:
    // Replaces the field's text by what is typed.
    static void TypeInto(QWidget *field, const char *utf8)
    {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        TypeKeys(field, QString::fromUtf8(utf8));
    }

    void ExpectRefused(const char *typed, const AnsiString &field)
    {
        ASSERT_EQ(Boxes->Calls.size(), 1u);
        EXPECT_EQ(Boxes->Calls[0].Text, RefusedCharacterText(CheckedFromQ(QString::fromUtf8(typed)), field));
        EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONWARNING));
        Boxes->Calls.clear();
    }
};

} // namespace

TEST_F(TypedTextBoundary, AddTagWritesNothingForALetterTheScriptCannotHold)
{
    const AnsiString text = "JOTE\r\nbody\r\n";
    TForm_Editor *w = OpenFile("t.kas", text, "KAS_Document");
    bool acceptedWithTheLetter = true;
    ModalRecorder dialogs([&](QDialog *d) {
        auto *form = qobject_cast<TAddTagForm *>(d);
        EXPECT_NE(form, nullptr);
        if (!form) return int(mrCancel);
        ShowActive(form);
        TypeInto(form->Edit1, "Name");
        TypeInto(form->Edit2, "Карта");
        QTest::mouseClick(form->ToolButton1, Qt::LeftButton);
        acceptedWithTheLetter = form->result() == QDialog::Accepted;
        ExpectRefused("Карта", "Tag description");
        EXPECT_EQ(w->Memo1->Text(), text);
        TypeInto(form->Edit2, "Café");
        QTest::mouseClick(form->ToolButton1, Qt::LeftButton);
        return form->result() == QDialog::Accepted ? int(mrOk) : int(mrCancel);
    });
    w->ToolButton27->click();
    ASSERT_EQ(dialogs.ClassNames, (std::vector<AnsiString>{"TAddTagForm"}));
    EXPECT_FALSE(acceptedWithTheLetter);
    EXPECT_TRUE(Boxes->Calls.empty());
    EXPECT_NE(w->Memo1->Text().find("Caf\xE9"), AnsiString::npos) << w->Memo1->Text();
}

TEST_F(TypedTextBoundary, DocumentInformationWritesNoTagWhileAFieldHoldsALetterTheScriptCannotHold)
{
    // The file name proposes the script name, with its accent.
    const AnsiString text = "JOTE\r\nbody\r\n";
    TForm_Editor *w = OpenFile("d\xC3\xA9mo.kas", text, "KAS_Document");
    bool acceptedWithTheLetter = true;
    ModalRecorder dialogs([&](QDialog *d) {
        auto *form = qobject_cast<TVersionForm *>(d);
        EXPECT_NE(form, nullptr);
        if (!form) return int(mrCancel);
        ShowActive(form);
        EXPECT_EQ(form->EditName->text(), QString::fromUtf8("démo"));
        TypeInto(form->EditAuthor, "Иван");
        QTest::mouseClick(form->ToolButton1, Qt::LeftButton);
        acceptedWithTheLetter = form->result() == QDialog::Accepted;
        ExpectRefused("Иван", "Author");
        EXPECT_EQ(w->Memo1->Text(), text);
        EXPECT_TRUE(form->EditAuthor->hasFocus());
        TypeInto(form->EditAuthor, "Ann");
        QTest::mouseClick(form->ToolButton1, Qt::LeftButton);
        return form->result() == QDialog::Accepted ? int(mrOk) : int(mrCancel);
    });
    Form->ActionList1->UpdateActions();
    ASSERT_TRUE(Form->EdInformScr_Action1->Execute());
    ASSERT_EQ(dialogs.ClassNames, (std::vector<AnsiString>{"TVersionForm"}));
    EXPECT_FALSE(acceptedWithTheLetter);
    EXPECT_NE(w->Memo1->Text().find("QUIL_ScriptName=d\xE9mo\r\n"), AnsiString::npos) << w->Memo1->Text();
    EXPECT_NE(w->Memo1->Text().find("QUIL_ScriptAuthor=Ann\r\n"), AnsiString::npos) << w->Memo1->Text();
}

// The fast-insert list editor of the settings dialog: a caption or an item with such a letter is
// not added, a description with one is not written.
TEST_F(TypedTextBoundary, TheInsertListEditorTakesNoEntryOrDescriptionItCannotWrite)
{
    const AnsiString list = ProgramFolder + "/mine.il";
    ModalRecorder modal([&](QDialog *dialog) {
        auto *form = qobject_cast<TSettings_Form *>(dialog);
        EXPECT_NE(form, nullptr);
        if (!form) return int(mrCancel);
        ShowActive(form);
        TInsListEditor *editor = form->InsListEditor;
        form->PageControl1->setCurrentIndex(2);
        TypeInto(editor->ComboBox1, "mine.il");
        TypeInto(editor->Edit7, "Greeting");
        TypeInto(editor->Edit8, "Привет");
        QTest::mouseClick(editor->ToolButton10, Qt::LeftButton);
        ExpectRefused("Привет", "Item");
        EXPECT_EQ(editor->ListView1->topLevelItemCount(), 0);
        TypeInto(editor->Edit8, "Grüß");
        QTest::mouseClick(editor->ToolButton10, Qt::LeftButton);
        EXPECT_EQ(editor->ListView1->topLevelItemCount(), 1);
        TypeInto(editor->Edit5, "Список");
        QTest::mouseClick(editor->ToolButton13, Qt::LeftButton);
        ExpectRefused("Список", "Description");
        EXPECT_FALSE(QFile::exists(ToQPath(list)));
        TypeInto(editor->Edit5, "Liste");
        QTest::mouseClick(editor->ToolButton13, Qt::LeftButton);
        return int(mrCancel);
    });
    ASSERT_TRUE(Form->Settings1->Execute());
    EXPECT_TRUE(Boxes->Calls.empty());
    const AnsiString written = ReadFileBytes(list);
    EXPECT_NE(written.find("Description=Liste"), AnsiString::npos) << written;
    EXPECT_NE(written.find("=Gr\xFC\xDF"), AnsiString::npos) << written;
}

// The text-resource manager's text box: a letter the script cannot hold is refused and the text
// keeps what it held.
TEST_F(TypedTextBoundary, TheTextResourceBoxKeepsItsTextWhenALetterCannotGoIntoTheScript)
{
    OpenFile("Script07.kas", "!!IF:M^Hello^;\r\n", "KAS_Document");
    TTxtResMan manager(Form);
    ShowActive(&manager);
    manager.ToolButton3Click();
    ASSERT_EQ(manager.ItemCount(), 1);
    manager.ListBox1->setCurrentRow(0);
    manager.Memo1->setFocus();
    manager.Memo1->moveCursor(QTextCursor::End);
    TypeKeys(manager.Memo1, QString::fromUtf8("!я"));
    ExpectRefused("Hello!я", "Text");
    EXPECT_EQ(manager.ItemText(0), "Hello!");
    EXPECT_EQ(manager.Memo1->toPlainText(), "Hello!");
    TypeKeys(manager.Memo1, QString::fromUtf8("é"));
    EXPECT_EQ(manager.ItemText(0), "Hello!\xE9");
    EXPECT_TRUE(Boxes->Calls.empty());
}
