// The settings dialog on a real main window: what it shows, what Save && Close stores and applies.
#include "editing/SettingsDlg.h"
#include "editing/SettingsValues.h"
#include "platform/Shell.h"
#include "platform/TRegistry.h"
#include "platform/ToolBar.h"
#include "script/InsListEditor.h"
#include "script/SynHighlighterKAS.h"
#include "shell/DocumentTestSupport.h"
#include "shell/LayoutTestSupport.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynCompletionProposal.h"
#include "synedit/SynLexerAdapter.h"
#include "synedit/SynMemo.h"
#include "KeyTyping.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <functional>

namespace {

class SettingsDialog : public DocumentTest
{
protected:
    // Opens the dialog through its menu action; the function plays the user, then the dialog is
    // confirmed (Save && Close) or closed.
    void RunDialog(const std::function<void(TSettings_Form &)> &user, bool save = true)
    {
        ModalRecorder modal([&](QDialog *dialog) {
            auto *form = qobject_cast<TSettings_Form *>(dialog);
            EXPECT_NE(form, nullptr);
            if (!form) return int(mrCancel);
            user(*form);
            if (save)
                form->ToolButton1Click();
            else
                form->ToolButton2Click();
            return save ? int(mrOk) : int(mrCancel);
        });
        ASSERT_TRUE(Form->Settings1->Execute());
        ASSERT_EQ(modal.ClassNames, std::vector<AnsiString>{"TSettings_Form"});
    }

    static void PickColor(TSettings_Form &form, const char *element, QComboBox *list, const char *colorName)
    {
        form.ListBox1->setCurrentRow(RowOf(element));
        list->setCurrentIndex(list->findText(colorName));
    }

    static int RowOf(const char *element)
    {
        for (size_t i = 0; i < HighlighterElements().size(); ++i)
            if (AnsiString(HighlighterElements()[i].Name) == element) return int(i);
        return -1;
    }

    static QColor PaneColor(TForm_Editor *editor, TSynHighlighterAttributes *attr)
    {
        auto *lexer = qobject_cast<TSynLexerAdapter *>(editor->Memo1->lexer());
        return lexer ? lexer->color(TSynLexerAdapter::StyleOfAttribute(attr->Index())) : QColor();
    }

    template <typename T> T Stored(const char *name, const AnsiString &key = SettingsKey)
    {
        TRegistry reg;
        EXPECT_TRUE(reg.OpenKeyReadOnly(key));
        if constexpr (std::is_same_v<T, int>)
            return reg.ReadInteger(name);
        else if constexpr (std::is_same_v<T, bool>)
            return reg.ReadBool(name);
        else
            return reg.ReadString(name);
    }

    bool StoredExists(const char *name, const AnsiString &key = SettingsKey)
    {
        TRegistry reg;
        return reg.OpenKeyReadOnly(key) && reg.ValueExists(name);
    }

    // A key pressed on a control of the dialog, as the keyboard sends it.
    static void Press(QWidget *target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString &text = {})
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(target, &press);
    }

    static void Type(QWidget *target, const QString &text)
    {
        for (const QChar c : text) Press(target, c.unicode(), Qt::NoModifier, QString(c));
    }
};

} // namespace

// The font size and a token colour chosen in the dialog show at once in the open script, stay in
// the settings file, and show again after a restart.
TEST_F(SettingsDialog, FontSizeAndTokenColourReachTheOpenScriptAndSurviveARestart)
{
    const AnsiString script = "JOTE\r\n!?CM0;\r\n";
    TForm_Editor *editor = OpenFile("s.kas", script, "KAS_Document");
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor->Memo1->FontSize(), 17);
    ASSERT_NE(PaneColor(editor, Form->SynKASSyn1->Key_MagicAttri()), QColor(Qt::red));

    RunDialog([&](TSettings_Form &form) {
        form.UpDown1->setValue(17);
        EXPECT_EQ(form.Example->FontSize(), 17);   // the example previews it
        PickColor(form, "Magic Word", form.ColorComboBox1, "Red");
        EXPECT_EQ(form.SynKASSyn1->Key_MagicAttri()->Foreground(), clRed);
        // Nothing reaches the open document before Save && Close.
        EXPECT_NE(editor->Memo1->FontSize(), 17);
        EXPECT_NE(Form->SynKASSyn1->Key_MagicAttri()->Foreground(), clRed);
    });

    EXPECT_EQ(editor->Memo1->FontSize(), 17);
    EXPECT_EQ(PaneColor(editor, Form->SynKASSyn1->Key_MagicAttri()), QColor(Qt::red));
    EXPECT_EQ(Stored<int>("EditorFontSize"), 17);
    EXPECT_EQ(Stored<int>("Foreground", AnsiString(SettingsKey) + "\\Hightlights\\Key_Magic"), clRed);

    editor->SetModified(false);
    Close();
    Start();
    Show();
    TForm_Editor *again = Form->OpenDocument(Root + "/s.kas", "KAS_Document");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Memo1->FontSize(), 17);
    EXPECT_EQ(PaneColor(again, Form->SynKASSyn1->Key_MagicAttri()), QColor(Qt::red));
}

TEST_F(SettingsDialog, EveryEditorValueIsStoredAndAppliedToTheMainWindowAndOpenPanes)
{
    TForm_Editor *editor = OpenFile("t.txt", "text\r\n", "TXT_Document");
    const int tabBefore = editor->Memo1->TabWidth();
    RunDialog([&](TSettings_Form &form) {
        form.UpDown2->setValue(64);
        PickColor(form, "Whitespace", form.ColorComboBox2, "Yellow");
        PickColor(form, "Selection", form.ColorComboBox1, "White");
        PickColor(form, "Selection", form.ColorComboBox2, "Navy");
        PickColor(form, "RightEdge", form.ColorComboBox1, "Red");
        SetChecked(form.CheckListBox5, 0, false);   // gutter
        SetChecked(form.CheckListBox5, 1, false);   // highlight TXT
        form.TabsOFF1Click(form.TabItems->actions()[3]);   // TAB = 4 symbols
    });
    EXPECT_EQ(Form->EditorRightEdge, 64);
    EXPECT_EQ(Form->EditorColor, clYellow);
    EXPECT_EQ(Form->EditorSelectedColourForeground, clWhite);
    EXPECT_EQ(Form->EditorSelectedColourBackground, clNavy);
    EXPECT_EQ(Form->EditorRightEdgeColor, clRed);
    EXPECT_FALSE(Form->EditorGutterVisible);
    EXPECT_FALSE(Form->EditorHighlightTXT);
    EXPECT_EQ(Form->EditorTabWidth, 4);

    EXPECT_EQ(editor->Memo1->RightEdge(), 64);
    EXPECT_EQ(editor->Memo1->Color(), clYellow);
    EXPECT_EQ(editor->Memo1->SelectedBackground(), clNavy);
    EXPECT_EQ(editor->Memo1->RightEdgeColor(), clRed);
    EXPECT_FALSE(editor->Memo1->Gutter.Visible());
    // The tab width reaches only documents opened later.
    EXPECT_EQ(editor->Memo1->TabWidth(), tabBefore);
    EXPECT_EQ(Form->OpenDocument(Root + "/u.txt", "TXT_Document")->Memo1->TabWidth(), 4);

    EXPECT_EQ(Stored<int>("EditorRightEdge"), 64);
    EXPECT_EQ(Stored<int>("EditorColor"), clYellow);
    EXPECT_EQ(Stored<int>("EditorSelectedColourBackground"), clNavy);
    EXPECT_EQ(Stored<int>("EditorSelectedColourForeground"), clWhite);
    EXPECT_EQ(Stored<int>("EditorRightEdgeColor"), clRed);
    EXPECT_FALSE(Stored<bool>("EditorGutterVisible"));
    EXPECT_EQ(Stored<int>("EditorTabWidth"), 4);
    EXPECT_FALSE(Stored<bool>("EditorHighlightTXT"));
    EXPECT_TRUE(Stored<bool>("EditorHighlightKAS"));
}

TEST_F(SettingsDialog, AFreshMachineShowsTheDefaultChecksTheLiveDelayAndTheDefaultWarning)
{
    Form->SynCompletionProposal2->TimerInterval = 1234;
    RunDialog(
        [&](TSettings_Form &form) {
            for (size_t i = 0; i < ServiceItems().size(); ++i)
                EXPECT_EQ(IsChecked(form.CheckListBox2, int(i)), ServiceItems()[i].Default) << i;
            for (int i = 0; i < 5; ++i) EXPECT_FALSE(IsChecked(form.CheckListBox1, i));
            EXPECT_EQ(form.UpDown3->value(), 1234);
            EXPECT_EQ(form.Edit3->text().toStdString(), DefaultWarning1Text);
            EXPECT_FALSE(form.ColorComboBox1->isEnabled());
            EXPECT_EQ(form.ColorComboBox1->currentIndex(), -1);
            EXPECT_FALSE(form.CheckListBox3->isEnabled());
            EXPECT_EQ(form.PageControl1->currentIndex(), 0);
            EXPECT_TRUE(form.Panel5->isHidden());
        },
        false);
    // Close stores nothing.
    EXPECT_FALSE(StoredExists("EditorFontSize"));
    EXPECT_FALSE(StoredExists("OpenLastFile"));
}

TEST_F(SettingsDialog, TheStoredTabWidthChecksItsMenuItem)
{
    const struct
    {
        int Width;
        const char *Item;
    } cases[] = {{1, "Tabs OFF"}, {0, "Tabs OFF"}, {11, "Tabs OFF"}, {7, "TAB = 7 symbols"}, {2, "TAB = 2 symbols"}};
    for (const auto &c : cases) {
        Form->EditorTabWidth = c.Width;
        RunDialog(
            [&](TSettings_Form &form) {
                QAction *checked = form.TabItems->checkedAction();
                ASSERT_NE(checked, nullptr) << c.Width;
                EXPECT_EQ(checked->text().toStdString(), c.Item) << c.Width;
            },
            false);
    }
}

TEST_F(SettingsDialog, TheDelaySetsOrClearsTheContextPopupsTimer)
{
    for (int delay : {0, 500}) {
        RunDialog([&](TSettings_Form &form) { form.UpDown3->setValue(delay); });
        EXPECT_EQ(Form->SynCompletionProposal2->TimerInterval, delay);
        EXPECT_EQ(Form->SynCompletionProposal2->HasOption(scoUseBuiltInTimer), delay != 0);
        EXPECT_EQ(Stored<int>("SCL_Delay"), delay);
    }
}

TEST_F(SettingsDialog, ServiceChecksAreStoredAndShownNextTime)
{
    RunDialog([&](TSettings_Form &form) {
        SetChecked(form.CheckListBox2, 0, true);    // OpenLastFile
        SetChecked(form.CheckListBox2, 3, false);   // AllowOnlyOneCopy
    });
    EXPECT_TRUE(Stored<bool>("OpenLastFile"));
    EXPECT_FALSE(Stored<bool>("AllowOnlyOneCopy"));
    EXPECT_TRUE(Stored<bool>("RememberColWidth"));
    EXPECT_FALSE(Stored<bool>("NeedBackup"));
    RunDialog(
        [&](TSettings_Form &form) {
            EXPECT_TRUE(IsChecked(form.CheckListBox2, 0));
            EXPECT_FALSE(IsChecked(form.CheckListBox2, 3));
        },
        false);
}

TEST_F(SettingsDialog, AdditionalSettingsAreWrittenOnlyWhenTheProductKeyExists)
{
    RunDialog([&](TSettings_Form &form) {
        SetChecked(form.CheckListBox4, 0, false);
        form.Edit3->setText("Hands off");
    });
    EXPECT_FALSE(Stored<bool>("WritePoweredBy", ProductKey));
    EXPECT_EQ(Stored<AnsiString>("Warning1Text", ProductKey), "Hands off");

    {
        TRegistry reg;
        ASSERT_TRUE(reg.DeleteKey(ProductKey));
    }
    RunDialog([&](TSettings_Form &form) {
        EXPECT_EQ(form.Edit3->text().toStdString(), DefaultWarning1Text);
        form.Edit3->setText("Not stored");
    });
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists(ProductKey));
}

TEST_F(SettingsDialog, CtrlAltClickOnTheToolBarShowsTheAdditionalPanelAndHideHidesIt)
{
    RunDialog(
        [&](TSettings_Form &form) {
            form.ToolBar1MouseDown(Qt::ControlModifier);
            EXPECT_TRUE(form.Panel5->isHidden());
            form.ToolBar1MouseDown(Qt::ControlModifier | Qt::AltModifier);
            EXPECT_FALSE(form.Panel5->isHidden());
            form.Edit3->clear();
            form.SpeedButton1Click();
            EXPECT_EQ(form.Edit3->text().toStdString(), DefaultWarning1Text);
            form.ToolButton16Click();
            EXPECT_TRUE(form.Panel5->isHidden());
        },
        false);
}

TEST_F(SettingsDialog, SelectingAnElementShowsItsColoursAndStyleAndPicksApplyToTheExample)
{
    RunDialog(
        [&](TSettings_Form &form) {
            form.ListBox1->setCurrentRow(RowOf("Comments"));   // "Remark": green, italic
            EXPECT_EQ(form.ColorComboBox1->currentText().toStdString(), "Green");
            EXPECT_TRUE(IsChecked(form.CheckListBox3, 1));
            EXPECT_FALSE(IsChecked(form.CheckListBox3, 0));
            SetChecked(form.CheckListBox3, 0, true);
            EXPECT_EQ(form.SynKASSyn1->RemarkAttri()->Style(), TFontStyles(fsBold | fsItalic));

            // "None" as the foreground of "Text" is the example's background; "Default" is black.
            form.Example->SetColor(clAqua);
            PickColor(form, "Text", form.ColorComboBox1, "None");
            EXPECT_EQ(form.SynKASSyn1->IdentifierAttri()->Foreground(), clAqua);
            PickColor(form, "Text", form.ColorComboBox1, "Default");
            EXPECT_EQ(form.SynKASSyn1->IdentifierAttri()->Foreground(), clBlack);

            form.ListBox1->setCurrentRow(RowOf("Whitespace"));
            EXPECT_FALSE(form.ColorComboBox1->isEnabled());
            EXPECT_FALSE(form.CheckListBox3->isEnabled());
            EXPECT_EQ(form.ColorComboBox2->currentText().toStdString(), "Aqua");
            form.ColorComboBox2->setCurrentIndex(form.ColorComboBox2->findText("None"));
            EXPECT_EQ(form.Example->Color(), clWindow);

            form.ListBox1->setCurrentRow(RowOf("RightEdge"));
            EXPECT_FALSE(form.ColorComboBox2->isEnabled());
            EXPECT_TRUE(form.ColorComboBox1->isEnabled());
        },
        false);
    // Close discards the dialog's highlighter.
    EXPECT_EQ(Form->SynKASSyn1->RemarkAttri()->Style(), TFontStyles(fsItalic));
}

// A font this system lacks stays the chosen one instead of becoming whichever font sorts first.
TEST_F(SettingsDialog, AStoredFontMissingHereIsKeptBySaving)
{
    Form->EditorFontName = "No Such Font 123";
    RunDialog([&](TSettings_Form &form) {
        EXPECT_EQ(form.FontComboBox->currentText().toStdString(), "No Such Font 123");
        EXPECT_GT(form.FontComboBox->count(), 1);
    });
    EXPECT_EQ(Form->EditorFontName, "No Such Font 123");
    EXPECT_EQ(Stored<AnsiString>("EditorFontName"), "No Such Font 123");
}

TEST_F(SettingsDialog, TheFastInsertFileNameGetsItsExtensionAndIsStored)
{
    const struct
    {
        const char *Typed, *Stored;
    } cases[] = {{"mylist", "mylist.il"}, {"Other.IL", "Other.IL"}, {"", "inslist.il"}, {"dé", "d\xC3\xA9.il"}};
    for (const auto &c : cases) {
        RunDialog([&](TSettings_Form &form) { form.InsListEditor->ComboBox1->setEditText(QString::fromUtf8(c.Typed)); });
        EXPECT_EQ(Stored<AnsiString>("InsertListFile"), ProgramFolder + "/" + c.Stored) << c.Typed;
    }
}

// A list whose name has a letter beyond ASCII is found under that name, shown by it when the
// dialog opens again, and loaded.
TEST_F(SettingsDialog, AFastInsertListNamedWithAnAccentIsLoadedAndShownByItsName)
{
    const AnsiString list = ProgramFolder + "/d\xC3\xA9.il";
    WriteBytes(list, "[Information]\r\nDescription=accent\r\n[Captions]\r\n0=One\r\n[Items]\r\n0=one\r\n");
    RunDialog([](TSettings_Form &form) { form.InsListEditor->ComboBox1->setEditText(QString::fromUtf8("dé.il")); });
    EXPECT_TRUE(Boxes->Calls.empty()) << (Boxes->Calls.empty() ? "" : Boxes->Calls[0].Text);
    EXPECT_EQ(Stored<AnsiString>("InsertListFile"), list);
    EXPECT_EQ(Form->SynCompletionProposal1->InsertList.Count(), 1);
    RunDialog(
        [](TSettings_Form &form) {
            EXPECT_EQ(form.InsListEditor->ComboBox1->currentText(), QString::fromUtf8("dé.il"));
            EXPECT_EQ(form.InsListEditor->Edit5->text(), "accent");
        },
        false);
}

// The warning text goes into every saved script: a letter a script cannot hold is refused by
// name, with nothing stored or applied, and the dialog stays open.
TEST_F(SettingsDialog, AWarningTextWithALetterAScriptCannotHoldIsRefusedByName)
{
    const AnsiString before = Stored<AnsiString>("Warning1Text", ProductKey);
    const int fontSize = Form->EditorFontSize;
    bool acceptedWithTheLetter = true;
    ModalRecorder modal([&](QDialog *dialog) {
        auto *form = qobject_cast<TSettings_Form *>(dialog);
        ShowActive(form);
        form->ToolBar1MouseDown(Qt::ControlModifier | Qt::AltModifier);
        form->UpDown1->setValue(23);
        form->Edit3->setFocus();
        Press(form->Edit3, Qt::Key_A, Qt::ControlModifier);
        TypeKeys(form->Edit3, QString::fromUtf8("Не трогать"));
        QTest::mouseClick(form->ToolButton1, Qt::LeftButton);
        acceptedWithTheLetter = dialog->result() == QDialog::Accepted;
        EXPECT_EQ(Stored<AnsiString>("Warning1Text", ProductKey), before);
        EXPECT_EQ(Form->EditorFontSize, fontSize);
        EXPECT_TRUE(form->Edit3->hasFocus());
        EXPECT_EQ(form->Edit3->selectedText(), QString::fromUtf8("Н"));
        Press(form->Edit3, Qt::Key_A, Qt::ControlModifier);
        TypeKeys(form->Edit3, QString::fromUtf8("Hände weg"));
        QTest::mouseClick(form->ToolButton1, Qt::LeftButton);
        return dialog->result() == QDialog::Accepted ? int(mrOk) : int(mrCancel);
    });
    ASSERT_TRUE(Form->Settings1->Execute());
    EXPECT_FALSE(acceptedWithTheLetter);
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text, RefusedCharacterText(CheckedFromQ(QString::fromUtf8("Н")), "Warning #1 text"));
    EXPECT_EQ(Boxes->Calls[0].Caption, "Settings");
    EXPECT_NE(before, "H\xE4nde weg");
    EXPECT_EQ(Stored<AnsiString>("Warning1Text", ProductKey), "H\xE4nde weg");
    EXPECT_EQ(Form->EditorFontSize, 23);
}

TEST_F(SettingsDialog, EnterSavesEscClosesAndF1OpensTheHelpAtContext113)
{
    ShellRecording shell;
    Form->QUILHelpPath = Root + "/quill.hlp";
    RunDialog(
        [&](TSettings_Form &form) {
            EXPECT_TRUE(form.FormKeyDown(Qt::Key_F1));
            EXPECT_FALSE(form.FormKeyDown(Qt::Key_A));
        },
        false);
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].Kind, ShellCall::scWinHelp);
    EXPECT_EQ(shell.Calls()[0].Target, Root + "/quill.hlp");
    EXPECT_EQ(shell.Calls()[0].Data, 113);
    ModalRecorder modal([&](QDialog *dialog) {
        auto *form = qobject_cast<TSettings_Form *>(dialog);
        form->UpDown1->setValue(21);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(form->UpDown1, &enter);
        return dialog->result();
    });
    Form->Settings1->Execute();
    EXPECT_EQ(Form->EditorFontSize, 21);
}

// The right edge typed into its up-down and stepped with the arrow key is what Enter stores and
// applies, and what the dialog shows the next time.
TEST_F(SettingsDialog, TheRightEdgeTypedIntoItsUpDownIsStoredAppliedAndShownAgain)
{
    TForm_Editor *editor = OpenFile("t.txt", "text\r\n", "TXT_Document");
    ModalRecorder modal([&](QDialog *dialog) {
        auto *form = qobject_cast<TSettings_Form *>(dialog);
        Press(form->UpDown2, Qt::Key_A, Qt::ControlModifier);   // select the number
        Type(form->UpDown2, "64");
        Press(form->UpDown2, Qt::Key_Up);
        Press(form->UpDown2, Qt::Key_Return);
        return dialog->result();
    });
    ASSERT_TRUE(Form->Settings1->Execute());
    EXPECT_EQ(Stored<int>("EditorRightEdge"), 65);
    EXPECT_EQ(Form->EditorRightEdge, 65);
    EXPECT_EQ(editor->Memo1->RightEdge(), 65);
    RunDialog(
        [](TSettings_Form &form) {
            EXPECT_EQ(form.UpDown2->value(), 65);
            EXPECT_EQ(form.Example->RightEdge(), 65);
        },
        false);
}

// A settings file that cannot be written: the user is told why, the dialog stays open with the
// choices made, and none of them reaches the program or the file.
TEST_F(SettingsDialog, SettingsThatCannotBeStoredKeepTheDialogOpenAndAreNotApplied)
{
    TForm_Editor *editor = OpenFile("s.kas", "JOTE\r\n", "KAS_Document");
    const int fontSize = Form->EditorFontSize;
    const AnsiString settingsBefore = ReadAll(ToQPath(SettingsFile));
    bool acceptedWhileFull = true;
    ModalRecorder modal([&](QDialog *dialog) {
        auto *form = qobject_cast<TSettings_Form *>(dialog);
        form->UpDown1->setValue(23);
        PickColor(*form, "Magic Word", form->ColorComboBox1, "Red");
        {
            // As on a full disk: the settings file cannot grow.
            FileSizeLimit full(settingsBefore.size());
            form->ToolButton1->click();
        }
        acceptedWhileFull = dialog->result() == QDialog::Accepted;
        EXPECT_EQ(form->UpDown1->value(), 23);
        form->ToolButton2->click();
        return dialog->result();
    });
    Form->Settings1->Execute();

    EXPECT_FALSE(acceptedWhileFull);
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    const MessageBoxCall &box = Boxes->Calls[0];
    EXPECT_EQ(box.Caption, "Settings");
    EXPECT_EQ(box.Flags, unsigned(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(box.Text.rfind(SettingsNotSavedText, 0), 0u) << box.Text;
    EXPECT_NE(box.Text.find(SettingsFile), AnsiString::npos) << box.Text;   // the reason follows
    EXPECT_EQ(Form->EditorFontSize, fontSize);
    EXPECT_NE(editor->Memo1->FontSize(), 23);
    EXPECT_NE(Form->SynKASSyn1->Key_MagicAttri()->Foreground(), clRed);
    EXPECT_EQ(ReadAll(ToQPath(SettingsFile)), settingsBefore);
}

// A chosen fast-insert list that cannot be read: the settings are kept and applied, and the user
// learns why the list is empty.
TEST_F(SettingsDialog, AChosenInsertListThatCannotBeReadIsReported)
{
    const AnsiString list = ProgramFolder + "/folder.il";
    ASSERT_TRUE(QDir().mkpath(ToQPath(list)));
    RunDialog([](TSettings_Form &form) {
        form.UpDown1->setValue(19);
        form.InsListEditor->ComboBox1->setEditText("folder.il");
    });
    EXPECT_EQ(Form->EditorFontSize, 19);
    EXPECT_EQ(Stored<AnsiString>("InsertListFile"), list);
    ASSERT_EQ(Boxes->Calls.size(), 1u);
    EXPECT_EQ(Boxes->Calls[0].Text,
              "The fast insert list \"" + list + "\" cannot be read: " + AnsiString(std::strerror(EISDIR)));
    EXPECT_EQ(Boxes->Calls[0].Flags, unsigned(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(Form->SynCompletionProposal1->InsertList.Count(), 0);
}
