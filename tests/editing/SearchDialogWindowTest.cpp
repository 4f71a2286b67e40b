// The search and replace dialogs as a keyboard user meets them: every text whole, Tab through the
// fields in reading order, and the history boxes taking what is typed.
#include "editing/ConfirmReplaceDlg.h"
#include "editing/FindDlg.h"
#include "editing/ReplaceDlg.h"
#include "shell/DocumentTestSupport.h"
#include "shell/LayoutTestSupport.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"
#include "KeyTyping.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTest>

namespace {

using Names = std::vector<std::string>;

class SearchDialogWindow : public DocumentTest
{
protected:
    bool Run(TAction *action)
    {
        Form->ActionList1->UpdateActions();
        return action->Execute();
    }

    // Runs the action; its dialog is shown to the test's user, who presses keys.
    void WithDialog(TAction *action, const std::function<void(TTextSearchDialog &)> &user)
    {
        ModalRecorder dialogs([&](QDialog *d) {
            if (qobject_cast<TConfirmReplaceDialog *>(d)) return TConfirmReplaceDialog::ResultReplaceAll;
            auto *search = qobject_cast<TTextSearchDialog *>(d);
            EXPECT_NE(search, nullptr);
            if (!search) return int(mrCancel);
            ShowActive(search);
            user(*search);
            return search->result() == QDialog::Accepted ? int(mrOk) : int(mrCancel);
        });
        ASSERT_TRUE(Run(action));
        ASSERT_FALSE(dialogs.ClassNames.empty());
    }

    // Replaces what the focused box holds by the typed text.
    static void TypeOver(const QString &text)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    static void Press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
};

struct DialogCase
{
    const char *Name;
    bool Replace;
    Names TabChain;   // from the first field, which has the focus at the start
};

} // namespace

TEST_F(SearchDialogWindow, OpenInTheSearchTextWithEveryTextWholeAndTabInReadingOrder)
{
    OpenFile("vr.kas", "!!VR1:S5;\r\n", "KAS_Document");
    Form->SearchText = Form->ReplaceSearchText = "VR";
    Form->SearchBackwards = Form->ReplaceBackwards = true;   // Tab enters the direction at Backward
    const DialogCase cases[] = {
        {"find", false,
         {"cbSearchCaseSensitive", "cbSearchWholeWords", "cbSearchFromCaret", "rbBackward", "btnOK", "btnCancel"}},
        {"replace", true,
         {"cbReplaceText", "cbSearchCaseSensitive", "cbSearchWholeWords", "cbSearchFromCaret", "cbSearchSelectedOnly",
          "rbBackward", "btnOK", "btnCancel"}},
    };
    for (const DialogCase &c : cases) {
        SCOPED_TRACE(c.Name);
        WithDialog(c.Replace ? Form->ReplaceAction1 : Form->SearhAction1, [&](TTextSearchDialog &dialog) {
            EXPECT_EQ(ClippedTexts(&dialog), Names());
            EXPECT_EQ(FocusedField(), "cbSearchText");
            EXPECT_EQ(TabChain(&dialog), c.TabChain);
        });
    }
    TConfirmReplaceDialog confirm(Form);
    confirm.PlaceNearText(QRect(0, 0, 800, 600), 10, 10, 26, "VR");
    ShowActive(&confirm);
    EXPECT_EQ(ClippedTexts(&confirm), Names());
}

// After a search for xabcx, a typed x is searched for as x; after the replacement yzz, a typed y
// is written as y. The history still offers the older entries.
TEST_F(SearchDialogWindow, HistoryBoxesTakeTheTextAsTyped)
{
    TForm_Editor *w = OpenFile("x.kas", "xabcx a1 a2 x\r\n", "KAS_Document");
    Form->SearchFromCaret = Form->ReplaceFromCaret = false;
    WithDialog(Form->SearhAction1, [](TTextSearchDialog &) {
        TypeOver("xabcx");
        Press(Qt::Key_Return);
    });
    EXPECT_EQ(Form->SearchText, "xabcx");
    WithDialog(Form->SearhAction1, [](TTextSearchDialog &dialog) {
        EXPECT_EQ(dialog.cbSearchText->count(), 1);
        TypeOver("x");
        Press(Qt::Key_Return);
    });
    EXPECT_EQ(Form->SearchText, "x");
    EXPECT_EQ(Form->SearchTextHistory, "x\r\nxabcx\r\n");
    EXPECT_EQ(w->Memo1->SelText(), "x");

    WithDialog(Form->ReplaceAction1, [](TTextSearchDialog &dialog) {
        TypeOver("a1");
        Press(Qt::Key_Tab);
        TypeOver("yzz");
        ASSERT_TRUE(dialog.cbSearchSelectedOnly->isChecked());   // the x found is selected
        QTest::mouseClick(dialog.cbSearchSelectedOnly, Qt::LeftButton);
        Press(Qt::Key_Return);
    });
    WithDialog(Form->ReplaceAction1, [](TTextSearchDialog &dialog) {
        EXPECT_EQ(static_cast<TTextReplaceDialog &>(dialog).cbReplaceText->count(), 1);
        TypeOver("a2");
        Press(Qt::Key_Tab);
        EXPECT_EQ(FocusedField(), "cbReplaceText");
        TypeOver("y");
        Press(Qt::Key_Return);
    });
    EXPECT_EQ(Form->ReplaceSearchText, "a2");
    EXPECT_EQ(Form->ReplaceText, "y");
    EXPECT_EQ(Form->ReplaceTextHistory, "y\r\nyzz\r\n");
    EXPECT_EQ(w->Memo1->Text(), "xabcx yzz y x\r\n");
}

// A letter the document cannot hold is never searched for or written as "?": OK tells the user
// which character it is, the dialog stays open with it selected, and nothing is searched,
// replaced or put into a history.
TEST_F(SearchDialogWindow, ALetterTheDocumentCannotHoldIsRefusedByName)
{
    const AnsiString text = "Why? Because. say ya\r\nOK?\r\n";
    TForm_Editor *w = OpenFile("q.txt", text, "TXT_Document");
    const struct
    {
        const char *Name;
        bool Replace;
        const char *Search, *With;   // typed, UTF-8
        const char *Field;           // the field named
    } cases[] = {
        {"find", false, "я", nullptr, "Search for"},
        {"replace what", true, "я", "YA", "Search for"},
        {"replace with", true, "ya", "я", "Replace with"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        Boxes->Calls.clear();
        w->Memo1->SetCaretXY({1, 1});
        WithDialog(c.Replace ? Form->ReplaceAction1 : Form->SearhAction1, [&](TTextSearchDialog &dialog) {
            TypeOver("");
            TypeKeys(QApplication::focusWidget(), QString::fromUtf8(c.Search));
            if (c.With) {
                Press(Qt::Key_Tab);
                TypeOver("");
                TypeKeys(QApplication::focusWidget(), QString::fromUtf8(c.With));
            }
            Press(Qt::Key_Return);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(FocusedField(), std::string(c.Field) == "Replace with" ? "cbReplaceText" : "cbSearchText");
            Press(Qt::Key_Escape);
        });
        ASSERT_EQ(Boxes->Calls.size(), 1u);
        EXPECT_EQ(Boxes->Calls[0].Text, RefusedCharacterText(CheckedFromQ(QString::fromUtf8("я")), c.Field));
        EXPECT_NE(Boxes->Calls[0].Text.find("U+044F"), AnsiString::npos);
        EXPECT_EQ(Boxes->Calls[0].Caption, c.Replace ? "Replace Text" : "Search Text");
        EXPECT_EQ(w->Memo1->Text(), text);
        EXPECT_FALSE(w->Memo1->SelAvail());
    }
    EXPECT_EQ(Form->SearchText, "");
    EXPECT_EQ(Form->SearchTextHistory, "");
    EXPECT_EQ(Form->ReplaceSearchText, "");
    EXPECT_EQ(Form->ReplaceSearchTextHistory, "");
    EXPECT_EQ(Form->ReplaceText, "");
    EXPECT_EQ(Form->ReplaceTextHistory, "");
}
