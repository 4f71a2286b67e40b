// The tag bar of a script window: its lists jump to tag lines, its buttons open the add-tag
// dialog, which puts its block into the script and keeps its options in the registry.
#include "platform/Shell.h"
#include "platform/TRegistry.h"
#include "platform/ToolBar.h"
#include "script/AddTagWin.h"
#include "shell/DocumentTestSupport.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QToolBar>
#include <QAbstractItemView>
#include <QImage>
#include <QTest>

namespace {

const AnsiString TaggedScript =
    "// JOTE script\r\n"
    "QUIL_ScriptName=Test\r\n"
    "_WARNING_#1=careful\r\n"
    "code\r\n"
    "_DECLARATION_Function1=Opens\r\n"
    "!?FU1;\r\n"
    "end\r\n";

class TagBarTest : public DocumentTest
{
protected:
    TForm_Editor *OpenScript(const AnsiString &text = TaggedScript)
    {
        TForm_Editor *w = OpenFile("s.kas", text, "KAS_Document");
        w->Memo1->SetRightEdge(80);
        return w;
    }

    static std::vector<AnsiString> Items(const QComboBox *box)
    {
        std::vector<AnsiString> items;
        for (int i = 0; i < box->count(); ++i) items.push_back(FromQ(box->itemText(i)));
        return items;
    }

    // Chooses an item as the user does.
    static void Choose(QComboBox *box, int index)
    {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    // Opens the dialog with a button, lets fill() fill it, then presses Add (or, with add false, Close).
    void AddWith(TToolButton *button, const std::function<void(TAddTagForm &)> &fill, bool add = true)
    {
        ModalRecorder dialogs([&](QDialog *d) {
            auto *form = qobject_cast<TAddTagForm *>(d);
            EXPECT_NE(form, nullptr);
            if (!form) return int(mrCancel);
            fill(*form);
            (add ? form->ToolButton1 : form->ToolButton2)->click();
            return form->result() == QDialog::Accepted ? int(mrOk) : int(mrCancel);
        });
        button->click();
        EXPECT_EQ(dialogs.ClassNames, (std::vector<AnsiString>{"TAddTagForm"}));
    }
};

} // namespace

TEST_F(TagBarTest, BarHoldsItsControlsInOrder)
{
    TForm_Editor *w = OpenScript();
    std::vector<QWidget *> order;
    for (QAction *a : w->ToolBar2->actions()) order.push_back(w->ToolBar2->widgetForAction(a));
    const std::vector<QWidget *> expected = {w->ToolButton25, w->Label1, w->ComboBox1, w->ToolButton27, w->Label2,
                                             w->ComboBox2, w->ToolButton26, w->ToolButton23, w->ToolButton32, w->ToolButton31};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(w->ToolButton25->Hint(), "Refresh tags and declarations lists (Shift+Ctrl+F)");
    EXPECT_EQ(w->ToolButton27->Hint(), "Add tag (Shift+Ctrl+T)");
    EXPECT_EQ(w->ToolButton26->Hint(), "Add declaration (Shift+Ctrl+D)");
    EXPECT_EQ(w->ToolButton31->Hint(), "Get help about this window");
    EXPECT_EQ(w->Label1->text(), " All tags: ");
    EXPECT_EQ(w->Label2->text(), " Declarations: ");
    EXPECT_EQ(w->ComboBox1->focusPolicy(), Qt::NoFocus);

    ShellRecording shell;
    w->ToolButton31->click();
    ASSERT_EQ(ShellCalls().Calls.size(), 1u);
    EXPECT_EQ(ShellCalls().Calls[0].Data, 106);
}

namespace {

// Whether some pixel of the image is navy (the outline's section captions), allowing for smoothing.
bool HasNavyPixel(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() > 90 && c.red() < 50 && c.green() < 50) return true;
        }
    return false;
}

} // namespace

// Both lists open under a click and paint their entries; the outline draws its section captions
// navy. Opening a list that has entries once ended the program.
TEST_F(TagBarTest, ClickedListsOpenAndPaintTheirEntries)
{
    TForm_Editor *w = OpenScript("JOTE\r\nQUIL_ScriptName=Demo\r\nQUIL_Author=Me\r\n_WARNING_#1=careful\r\n"
                                 "_DECLARATION_Function1=Opens\r\n!?FU1;\r\n");
    ASSERT_TRUE(w->ToolBar2->isVisible());
    struct Case { QComboBox *box; int entries; bool navyCaptions; };
    for (const Case &c : {Case{w->ComboBox1, 7, true}, Case{w->ComboBox2, 1, false}}) {
        SCOPED_TRACE(c.box->objectName().toStdString());
        ASSERT_EQ(c.box->count(), c.entries);
        QTest::mouseClick(c.box, Qt::LeftButton);
        QAbstractItemView *view = c.box->view();
        ASSERT_TRUE(view->isVisible());
        const QImage image = view->grab().toImage();
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(HasNavyPixel(image), c.navyCaptions);
        c.box->hidePopup();
        EXPECT_FALSE(view->isVisible());
    }
}

TEST_F(TagBarTest, ChoosingAnEntryJumpsToItsLine)
{
    TForm_Editor *w = OpenScript();
    EXPECT_EQ(Items(w->ComboBox1), (std::vector<AnsiString>{"  WARNINGS:", "#1", "  QUIL TAGS:", "ScriptName",
                                                            "  DECLARATIONS:", "Function1"}));
    EXPECT_EQ(w->ComboBox1->currentIndex(), -1);   // no choice shown, not a section caption
    EXPECT_EQ(w->ComboBox2->currentIndex(), -1);
    w->Memo1->SetCaretXY({3, 7});
    Choose(w->ComboBox1, 3);   // ScriptName
    EXPECT_EQ(w->Memo1->CaretXY(), (TBufferCoord{1, 2}));
    Choose(w->ComboBox2, 0);   // Function1
    EXPECT_EQ(w->Memo1->CaretXY(), (TBufferCoord{1, 5}));
    EXPECT_EQ(w->Memo1->TopLine(), 1);   // a short text cannot scroll
    // A section caption is no place to go: the choice is cleared.
    Choose(w->ComboBox1, 2);
    EXPECT_EQ(w->ComboBox1->currentIndex(), -1);
    EXPECT_EQ(w->Memo1->CaretXY(), (TBufferCoord{1, 5}));

    // A tag whose line has gone meanwhile: the first line.
    w->Memo1->Lines.Delete(2);
    Choose(w->ComboBox1, 1);   // #1
    EXPECT_EQ(w->Memo1->CaretXY(), (TBufferCoord{1, 1}));
    // Refresh rebuilds the lists from the text.
    w->ToolButton25->click();
    EXPECT_EQ(Items(w->ComboBox1), (std::vector<AnsiString>{"  QUIL TAGS:", "ScriptName", "  DECLARATIONS:", "Function1"}));
}

TEST_F(TagBarTest, JumpScrollsTheLineToTheTop)
{
    AnsiString text = "// JOTE\r\n";
    for (int i = 0; i < 300; ++i) text += "line " + std::to_string(i) + "\r\n";
    text += "QUIL_Far=1\r\n";
    for (int i = 0; i < 300; ++i) text += "more " + std::to_string(i) + "\r\n";
    TForm_Editor *w = OpenScript(text);
    Choose(w->ComboBox1, 1);
    EXPECT_EQ(w->Memo1->CaretXY(), (TBufferCoord{1, 302}));
    EXPECT_EQ(w->Memo1->TopLine(), 302);
}

TEST_F(TagBarTest, AddDeclarationPutsTheBlockAtTheCaret)
{
    AnsiString text;
    for (int i = 1; i <= 12; ++i) text += "line" + std::to_string(i) + "xyz\r\n";
    TForm_Editor *w = OpenScript(text);
    w->Memo1->SetCaretXY({5, 10});
    AddWith(w->ToolButton26, [](TAddTagForm &f) {
        EXPECT_EQ(f.windowTitle(), "Add declaration");
        EXPECT_EQ(f.Tag, 2);
        EXPECT_FALSE(f.ComboBox1->isEnabled());
        EXPECT_EQ(f.ComboBox1->currentText(), "Declaration");
        EXPECT_EQ(f.ComboBox2->currentText(), "Function");
        EXPECT_EQ(f.Edit1->text(), "Function1");
        EXPECT_FALSE(f.GroupBox5->isHidden());
        f.SetTagPosition(0);
        f.SetChecked(0, true);
        f.SetChecked(1, true);
        f.Edit3->setText("3");
        EXPECT_EQ(f.Edit1->text(), "Function3");
        f.Edit2->setText("Shows the map");
    });
    const AnsiString stars(80, '*');
    EXPECT_EQ(w->Memo1->Lines[9], "line");
    EXPECT_EQ(w->Memo1->Lines[10], stars);
    EXPECT_EQ(w->Memo1->Lines[11], "_DECLARATION_Function3=Shows the map");
    EXPECT_EQ(w->Memo1->Lines[12], "!?FU3;");
    EXPECT_EQ(w->Memo1->Lines[13], "");
    EXPECT_EQ(w->Memo1->Lines[14], stars);
    EXPECT_EQ(w->Memo1->Lines[15], "10xyz");
    EXPECT_EQ(w->Memo1->CaretXY(), (TBufferCoord{1, 14}));
    EXPECT_TRUE(w->IsModified());
    // The outline knows the new declaration.
    EXPECT_EQ(w->DeclarationLines->Count(), 1);
    EXPECT_EQ((*w->DeclarationLines)[0], "_DECLARATION_Function3");
}

TEST_F(TagBarTest, AddTagAtTheBottomOrInPlaceOfTheSelection)
{
    TForm_Editor *w = OpenScript("// JOTE\r\nabcdef\r\nxy\r\n");
    w->Memo1->SetCaretXY({3, 1});
    AddWith(w->ToolButton27, [](TAddTagForm &f) {
        EXPECT_EQ(f.windowTitle(), "Add tag");
        EXPECT_EQ(f.Tag, 1);
        EXPECT_EQ(f.ComboBox1->currentText(), "Warning");
        EXPECT_TRUE(f.GroupBox4->isHidden());
        EXPECT_TRUE(f.GroupBox5->isHidden());
        EXPECT_EQ(f.TagPosition(), 1);   // at the bottom by default
        f.SetChecked(0, false);
        f.Edit1->setText("#2");
        f.Edit2->setText("x");
    });
    // The last line, at the caret's column.
    EXPECT_EQ(w->Memo1->Text(), "// JOTE\r\nabcdef\r\nxy\r\n_WARNING_#2=x\r\n\r\n\r\n");
    EXPECT_EQ(w->Memo1->CaretXY(), (TBufferCoord{1, 5}));

    w->Memo1->SetText("// JOTE\r\nabcdef\r\n");
    w->Memo1->SetBlockBegin({2, 2});
    w->Memo1->SetBlockEnd({4, 2});
    AddWith(w->ToolButton27, [](TAddTagForm &f) {
        f.SetTagPosition(0);
        f.SetChecked(0, false);
        f.ComboBox1->setCurrentIndex(1);   // QUIL tag
        f.Edit1->setText("Mine");
        f.Edit2->setText("v");
    });
    EXPECT_EQ(w->Memo1->Text(), "// JOTE\r\na\r\nQUIL_Mine=v\r\n\r\ndef\r\n");
}

TEST_F(TagBarTest, FieldChecksAndTheExistsLabel)
{
    TForm_Editor *w = OpenScript("QUIL_Dup=first line does not count\r\nx\r\n_WARNING_Old=1\r\n");
    AddWith(w->ToolButton27, [](TAddTagForm &f) {
        f.Edit1->setText("Dup");
        f.ComboBox1->setCurrentIndex(1);
        EXPECT_TRUE(f.Label1->isHidden());
        f.ComboBox1->setCurrentIndex(0);
        f.Edit1->setText("old");
        EXPECT_FALSE(f.Label1->isHidden());   // _WARNING_Old, whatever the letter case
        f.Edit1->setText("new");
        EXPECT_TRUE(f.Label1->isHidden());

        f.ComboBox1->setCurrentIndex(2);     // Declaration: both declaration groups, Function1
        EXPECT_FALSE(f.GroupBox4->isHidden());
        EXPECT_EQ(f.Edit1->text(), "Function1");
        f.Edit3->setText("05");
        EXPECT_EQ(f.Edit3->text(), "");
        EXPECT_FALSE(f.ToolButton1->isEnabled());
        f.Edit3->setText("12");
        EXPECT_EQ(f.Edit1->text(), "Function12");
        EXPECT_TRUE(f.ToolButton1->isEnabled());
        f.ComboBox2->setCurrentIndex(1);     // Other: no function number, TagName
        EXPECT_TRUE(f.GroupBox5->isHidden());
        EXPECT_EQ(f.Edit1->text(), "TagName");
        EXPECT_EQ(f.Edit3->text(), "1");
        f.Edit1->setText("");
        EXPECT_FALSE(f.ToolButton1->isEnabled());
    }, false);
}

TEST_F(TagBarTest, OptionsLiveInTheRegistry)
{
    TForm_Editor *w = OpenScript();
    {
        TAddTagForm f(Form);
        EXPECT_TRUE(f.Checked(0));
        EXPECT_FALSE(f.Checked(1));
        EXPECT_EQ(f.TagPosition(), 1);
        f.SetChecked(1, true);   // a click in the list writes both
        f.AtCursorButton->click();
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(SettingsKey));
    EXPECT_TRUE(reg.ReadBool("AddTagWin_AddTopLineSep"));
    EXPECT_TRUE(reg.ReadBool("AddTagWin_AddBottomLineSep"));
    EXPECT_EQ(reg.ReadInteger("AddTagWin_TagPos"), 0);
    reg.CloseKey();
    TAddTagForm f(Form);
    EXPECT_TRUE(f.Checked(1));
    EXPECT_EQ(f.TagPosition(), 0);

    ShellRecording shell;
    f.Tag = 2;
    f.ToolButton9->click();
    ASSERT_EQ(ShellCalls().Calls.size(), 1u);
    EXPECT_EQ(ShellCalls().Calls[0].Data, 115);
    (void)w;
}

TEST_F(TagBarTest, TableWindowsGetNoInsertion)
{
    TForm_Editor *script = OpenScript();
    TForm_Editor *table = OpenFile("t.kat", "a\tb\tc\td\r\n", "KAT_Document");
    const AnsiString before = script->Memo1->Text();
    AddWith(script->ToolButton27, [](TAddTagForm &) {});
    EXPECT_EQ(script->Memo1->Text(), before);
    EXPECT_FALSE(table->IsModified());
}

// Shift+Ctrl+D / T / F in the text pane run the tag bar's buttons, and the pane's own commands on
// those keys (line copy among them) never run as well.
TEST_F(TagBarTest, KeysInTheTextPaneRunTheTagBar)
{
    TForm_Editor *w = OpenScript();
    const AnsiString before = w->Memo1->Text();
    const auto press = [&](Qt::Key key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::ControlModifier | Qt::ShiftModifier);
        QCoreApplication::sendEvent(w->Memo1, &event);
    };
    for (Qt::Key key : {Qt::Key_D, Qt::Key_T}) {
        ModalRecorder dialogs([](QDialog *) { return int(mrCancel); });
        press(key);
        EXPECT_EQ(dialogs.ClassNames, (std::vector<AnsiString>{"TAddTagForm"})) << key;
    }
    w->Memo1->Lines.Delete(2);
    press(Qt::Key_F);
    EXPECT_EQ(Items(w->ComboBox1), (std::vector<AnsiString>{"  QUIL TAGS:", "ScriptName", "  DECLARATIONS:", "Function1"}));
    w->Memo1->Lines.Insert(2, "_WARNING_#1=careful");
    EXPECT_EQ(w->Memo1->Text(), before);
}
