// The add-tag dialog, the Analyzer and the two document information windows at their first size:
// every text whole, and the keyboard focus where a user starts typing.
#include "platform/ToolBar.h"
#include "script/AddTagWin.h"
#include "script/EdInfoWin.h"
#include "script/InfoWin.h"
#include "script/InfoWindowParts.h"
#include "script/VarMan.h"
#include "shell/KeyboardTestSupport.h"
#include "shell/LayoutTestSupport.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

using Names = std::vector<std::string>;

class ScriptDialogLayout : public KeyboardTest
{
protected:
    TForm_Editor *OpenScripts()
    {
        const AnsiString text = "// JOTE\r\nQUIL_ScriptUsedVariables=v1-5;w3\r\nQUIL_ScriptUsedFunctions=1-3\r\n";
        OpenFile("one.kas", text, "KAS_Document");
        return OpenFile("two.kas", text, "KAS_Document");
    }

    // Opens the add-tag dialog with a click and looks at it while it is shown.
    void LookAtAddTag(QWidget *button, const std::function<void(TAddTagForm &)> &look)
    {
        const auto shown = LookAtModal<TAddTagForm>([&] { QTest::mouseClick(button, Qt::LeftButton); }, look);
        ASSERT_EQ(shown, std::vector<AnsiString>{"TAddTagForm"});
    }

    // Presses the shortcut in the document's text pane; the dialog is looked at while it is shown.
    template <typename Dialog> void LookAfterKey(Qt::Key key, const std::function<void(Dialog &)> &look)
    {
        const auto shown = LookAtModal<Dialog>([&] { Key(key, Qt::ControlModifier | Qt::AltModifier); }, look);
        ASSERT_EQ(shown.size(), 1u);
    }
};

struct AddTagCase
{
    const char *Name;
    bool Declaration;
    const char *FirstField;
    Names TabChain;
};

} // namespace

// The dialog opens in its first field (the tag type, or the name where the type is fixed); Tab
// walks the fields from the top down, to the chosen tag position, then to the tool bar.
TEST_F(ScriptDialogLayout, AddTagDialogsStartInTheFirstFieldWithEveryTextWhole)
{
    TForm_Editor *w = OpenScripts();
    const AddTagCase cases[] = {
        {"add tag", false, "ComboBox1",
         {"Edit1", "Edit2", "AtBottomButton", "CheckListBox1", "ToolButton1", "ToolButton2", "ToolButton9"}},
        {"add declaration", true, "Edit1",
         {"Edit2", "ComboBox2", "Edit3", "AtBottomButton", "CheckListBox1", "ToolButton1", "ToolButton2",
          "ToolButton9"}},
    };
    for (const AddTagCase &c : cases) {
        SCOPED_TRACE(c.Name);
        LookAtAddTag(c.Declaration ? w->ToolButton26 : w->ToolButton27, [&](TAddTagForm &dialog) {
            EXPECT_EQ(ClippedTexts(&dialog), Names());
            EXPECT_EQ(FocusedField(), c.FirstField);
            EXPECT_EQ(TabChain(&dialog), c.TabChain);
        });
    }
}

// Every page's column captions show whole, also with the sort picture moved to the last column.
TEST_F(ScriptDialogLayout, AnalyzerShowsEveryColumnCaptionWhole)
{
    OpenScripts();
    ModalRecorder modal([&](QDialog *d) {
        auto *analyzer = qobject_cast<TVarManForm *>(d);
        EXPECT_NE(analyzer, nullptr);
        if (!analyzer) return int(mrCancel);
        ShowActive(analyzer);
        EXPECT_GE(analyzer->width(), 480);
        EXPECT_GE(analyzer->height(), 350);
        EXPECT_EQ(FocusedField(), "qt_tabwidget_tabbar");
        QTabBar *tabs = analyzer->PageControl1->tabBar();
        for (int page = 0; page < tabs->count(); ++page) {
            SCOPED_TRACE(page);
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
            EXPECT_EQ(analyzer->PageControl1->currentIndex(), page);
            EXPECT_EQ(ClippedTexts(analyzer), Names());
        }
        QHeaderView *header = analyzer->ListViews[5]->header();
        const QPoint last(header->sectionViewportPosition(3) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, last);
        EXPECT_FALSE(analyzer->ListViews[5]->headerItem()->icon(3).isNull());   // sorted by it
        EXPECT_EQ(ClippedTexts(analyzer), Names());
        return int(mrOk);
    });
    Form->ActionList1->UpdateActions();
    ASSERT_TRUE(Form->VarManAction1->Execute());
    ASSERT_EQ(modal.ClassNames, std::vector<AnsiString>{"TVarManForm"});
}

// Ctrl+Alt+E: typing goes into the first field at once; Tab walks the twelve fields from the top
// down, then the tool bar.
TEST_F(ScriptDialogLayout, EditDocumentInformationStartsInItsFirstField)
{
    OpenForKeys("gate.kas", "// JOTE\r\n", "KAS_Document");
    LookAfterKey<TVersionForm>(Qt::Key_E, [&](TVersionForm &dialog) {
        EXPECT_EQ(ClippedTexts(&dialog), Names());
        EXPECT_EQ(FocusedField(), "EditName");
        QTest::keyClicks(QApplication::focusWidget(), "2");
        EXPECT_TRUE(dialog.EditName->text().endsWith("2")) << FromQ(dialog.EditName->text());
        EXPECT_EQ(TabChain(&dialog),
                  (Names{"EditAuthor", "EditVersion", "EditDate", "EditKASVer", "EditLang", "EditUsVar", "EditUsFunc",
                         "EditUsMacro", "EditUsTimer", "EditUsFlags", "EditAddFiles", "Save && Close", "Close",
                         "Help"}));
    });
}

struct AboutDocumentCase
{
    const char *Name;
    AnsiString FileName, ScriptName;
    bool Elided;   // both names too long for the window
};

// Ctrl+Alt+I: a file name or script name too long for the window is cut in its middle with an
// ellipsis and shows whole as its hint, a short one shows as it is; Tab goes from list to list
// and to the tool bar.
TEST_F(ScriptDialogLayout, AboutDocumentShowsLongNamesWhole)
{
    const AboutDocumentCase cases[] = {
        {"short", "gate.kas", "Gate", false},
        {"long", "Tarrowmere_campaign_of_the_northern_provinces_chapter_01.kas",
         "The long road to the castle of the northern king, part one of three", true},
    };
    for (const AboutDocumentCase &c : cases) {
        SCOPED_TRACE(c.Name);
        TForm_Editor *w = OpenForKeys(c.FileName, "// JOTE\r\nQUIL_ScriptName=" + c.ScriptName + "\r\n", "KAS_Document");
        LookAfterKey<TInfoScriptForm>(Qt::Key_I, [&](TInfoScriptForm &dialog) {
            EXPECT_EQ(ClippedTexts(&dialog), Names());
            for (const auto &[row, whole] : {std::pair{int(TInfoScriptForm::rowFileName), w->Caption() + " "},
                                             std::pair{int(TInfoScriptForm::rowScriptName), c.ScriptName + " "}}) {
                SCOPED_TRACE(row);
                const QLabel *value = dialog.Rows[row].Value;
                EXPECT_EQ(dialog.RowValue(row), whole);
                EXPECT_EQ(value->text().contains(QChar(0x2026)), c.Elided);
                if (!c.Elided) {
                    EXPECT_EQ(FromQ(value->text()), whole);
                }
                EXPECT_EQ(FromQ(value->toolTip()), c.Elided ? whole : AnsiString());
            }
            EXPECT_EQ(FocusedField(), "QPlainTextEdit");
            EXPECT_EQ(TabChain(&dialog), (Names{"QPlainTextEdit", "QPlainTextEdit", "QPlainTextEdit", "QPlainTextEdit",
                                               "QPlainTextEdit", "Ok", "Copy", "Help"}));
        });
    }
}
