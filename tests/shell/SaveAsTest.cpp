// Save As from the File menu: where the dialog starts, and what a write that fails leaves of the
// window (nothing changed: name, kind, look, text and marker as before).
#include "shell/KeyboardTestSupport.h"

#include "platform/TStringGrid.h"
#include "shell/DocumentFiles.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QDir>
#include <QFileInfo>
#include <QTabBar>
#include <QTest>

namespace {

// What a user sees of a document window.
struct Look
{
    AnsiString Caption, Tab, Kind, Text;
    bool Modified = false;
    bool Highlighted = false;
    qint64 Icon = 0;
    friend bool operator==(const Look &, const Look &) = default;
};

std::ostream &operator<<(std::ostream &out, const Look &l)
{
    return out << l.Caption << " | tab " << l.Tab << " | " << l.Kind << " | " << l.Text.size() << " bytes | "
               << (l.Modified ? "modified" : "not modified") << " | " << (l.Highlighted ? "coloured" : "plain");
}

class SaveAs : public KeyboardTest
{
protected:
    void SetUp() override
    {
        KeyboardTest::SetUp();
        WithKey(ProductKey, [](TRegistry &reg) {
            reg.WriteBool("WritePoweredBy", true);
            reg.WriteBool("WriteWarning1", true);
        });
        // Plain texts shown without colours: a change of kind then changes the look.
        Form->EditorHighlightTXT = false;
    }
    void SaveAsFromMenu() { ChooseFromMenu(Form->File1, Form->FileSaveAs1); }
    const TFileDialog &LastDialog() const { return FileDialogs->Calls.back(); }

    Look LookOf(TForm_Editor *w) const
    {
        const bool text = w->StringGridPanel->isHidden();
        return {w->Caption(),
                FromQPath(Form->TabSet1->tabText(w->Tag)),
                w->DocumentKind,
                text ? w->Memo1->Text() : w->StringGrid1->Cells(0, 0),
                w->IsModified(),
                w->Memo1->Highlighter() != nullptr,
                w->windowIcon().cacheKey()};
    }
};

// The folder does not exist: the file cannot be opened for writing, and the window stays as it
// was; Ctrl+S then goes where it went before the failed Save As.
TEST_F(SaveAs, AFailedWriteLeavesTheWindowAsItWas)
{
    const struct
    {
        const char *Name;
        AnsiString Opened;    // a name in the test's folder; without ".": a new document's bare name
        AnsiString Kind;
        AnsiString Bytes;     // the file's bytes; empty: a new document
        AnsiString Chosen;    // under the folder that does not exist
    } cases[] = {
        {"script to a script (tags set for the write)", "s.kas", "KAS_Document", "JOTE\nbody\n\r", "new.kas"},
        {"script to a text (kind and look)", "s2.kas", "KAS_Document", "JOTE\nbody\n\r", "notes.txt"},
        {"new text to a script (kind, look and tags)", "Document_8", "TXT_Document", "", "new.kas"},
        {"table", "t.kat", "KAT_Document", "a\tb\t\t\r\n", "t2.kat"},
    };
    for (const auto &c : cases) {
        TForm_Editor *w = nullptr;
        if (c.Bytes.empty()) {
            w = Form->OpenDocument(c.Opened, c.Kind);
            Form->activateWindow();
            Idle();
        } else {
            w = OpenForKeys(c.Opened, c.Bytes, c.Kind);
        }
        ASSERT_TRUE(w) << c.Name;
        if (w->StringGridPanel->isHidden()) Key(Qt::Key_End, Qt::ControlModifier);
        Type("x");
        const Look before = LookOf(w);
        ASSERT_TRUE(before.Modified) << c.Name;

        const AnsiString chosen = Root + "/missing/" + c.Chosen;
        SaveAnswer = chosen;
        Boxes->Calls.clear();
        SaveAsFromMenu();
        ASSERT_EQ(Boxes->Calls.size(), 1u) << c.Name;
        EXPECT_EQ(Boxes->Calls[0].Text.rfind("Error at opening the file \"" + chosen + "\"!", 0), 0u) << c.Name;
        EXPECT_GT(Boxes->Calls[0].Text.size(), chosen.size() + 32) << "the reason follows: " << Boxes->Calls[0].Text;
        EXPECT_FALSE(QFileInfo::exists(ToQPath(chosen)));
        EXPECT_EQ(LookOf(w), before) << c.Name;

        // Ctrl+S: a named document is written where it was; a new one asks again, as before.
        const size_t dialogs = FileDialogs->Calls.size();
        SaveAnswer = Root + "/" + c.Opened + "-saved" + (c.Kind == "KAT_Document" ? ".kat" : ".kas");
        Key(Qt::Key_S, Qt::ControlModifier);
        if (c.Bytes.empty()) {
            ASSERT_EQ(FileDialogs->Calls.size(), dialogs + 1) << c.Name;
            EXPECT_EQ(LastDialog().FileName, c.Opened + ".txt") << c.Name;
            EXPECT_EQ(w->Caption(), SaveAnswer) << c.Name;
        } else {
            EXPECT_EQ(FileDialogs->Calls.size(), dialogs) << c.Name;
            EXPECT_EQ(w->Caption(), Root + "/" + c.Opened) << c.Name;
            EXPECT_NE(ReadFileBytes(Root + "/" + c.Opened), c.Bytes) << c.Name;
        }
        EXPECT_FALSE(w->IsModified()) << c.Name;
        w->close();
    }
}

// A document with a folder of its own is offered there under its own name, wherever the last
// work folder is; a new document and one whose folder is gone start in the last work folder.
TEST_F(SaveAs, TheDialogStartsInTheDocumentsOwnFolder)
{
    ASSERT_TRUE(QDir().mkpath(ToQPath(Root + "/elsewhere")));
    ASSERT_TRUE(QDir().mkpath(ToQPath(Root + "/sub")));
    const struct
    {
        const char *Name;
        AnsiString Path;        // the document's caption
        bool Exists;            // its file is written first
        AnsiString InitialDir;
        AnsiString FileName;
    } cases[] = {
        {"saved script", Root + "/sub/a.kas", true, Root + "/sub", "a.kas"},
        {"new document named with a folder", Root + "/sub/b.kas", false, Root + "/sub", "b.kas"},
        {"folder that is gone", Root + "/gone/c.kas", false, Root + "/elsewhere", "c.kas"},
        {"new document", "Document_5", false, Root + "/elsewhere", "Document_5.kas"},
    };
    for (const auto &c : cases) {
        if (c.Exists) WriteBytes(c.Path, "JOTE\n\r");
        TForm_Editor *w = Form->OpenDocument(c.Path, KAS_Document);
        Form->activateWindow();
        Idle();
        Form->LastWorkDir = Root + "/elsewhere";
        SaveAnswer.clear();   // Cancel
        SaveAsFromMenu();
        ASSERT_FALSE(FileDialogs->Calls.empty()) << c.Name;
        EXPECT_EQ(LastDialog().InitialDir, c.InitialDir) << c.Name;
        EXPECT_EQ(LastDialog().FileName, c.FileName) << c.Name;
        EXPECT_EQ(w->Caption(), c.Path) << c.Name;
        w->close();
    }
}

// A companion table created from a script and saved with Ctrl+S and Enter lands beside the
// script, not in the program's folder.
TEST_F(SaveAs, ACompanionCreatedFromAScriptIsSavedBesideIt)
{
    ASSERT_TRUE(QDir().mkpath(ToQPath(Root + "/quests")));
    TForm_Editor *script = OpenForKeys("quests/quest.kas", "JOTE\n\r", KAS_Document);
    ASSERT_TRUE(script);
    Form->LastWorkDir = ProgramFolder;
    Boxes->Answers = {IDOK};   // create the file
    ChooseFromMenu(Form->Window1, Form->OpenKAOAction1);
    TForm_Editor *kao = Form->ActiveEditor();
    ASSERT_NE(kao, script);
    EXPECT_EQ(kao->Caption(), Root + "/quests/quest.kao");

    SaveTakesProposed = true;
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_FALSE(FileDialogs->Calls.empty());
    EXPECT_EQ(LastDialog().InitialDir, Root + "/quests");
    EXPECT_EQ(LastDialog().FileName, "quest.kao");
    EXPECT_TRUE(QFileInfo::exists(ToQPath(Root + "/quests/quest.kao")));
    EXPECT_FALSE(QFileInfo::exists(ToQPath(ProgramFolder + "/quest.kao")));
    EXPECT_EQ(kao->Caption(), Root + "/quests/quest.kao");
    EXPECT_EQ(Form->LastWorkDir, Root + "/quests");
    EXPECT_FALSE(kao->IsModified());
}

} // namespace
