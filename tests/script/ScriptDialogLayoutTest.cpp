// The add-tag dialog and the Analyzer at their first size: every text whole, and the keyboard
// focus where a user starts typing.
#include "platform/ToolBar.h"
#include "script/AddTagWin.h"
#include "script/VarMan.h"
#include "shell/DocumentTestSupport.h"
#include "shell/LayoutTestSupport.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"

#include <QHeaderView>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

using Names = std::vector<std::string>;

class ScriptDialogLayout : public DocumentTest
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
