// Fast-insert list files and the text macros, without a window; and the list chooser dialog.
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/TRegistry.h"
#include "script/FastInsertList.h"
#include "script/FastInsertListChooser.h"
#include "shell/Main.h"
#include "synedit/SynCompletionProposal.h"
#include "TestFiles.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace {

class FastInsertListFileTest : public ::testing::Test
{
protected:
    AnsiString File(const AnsiString &name, const AnsiString &content)
    {
        const AnsiString path = FromQPath(Dir.path()) + "/" + name;
        WriteAll(ToQPath(path), content);
        return path;
    }
    static AnsiString Joined(const std::vector<TFastInsertEntry> &entries)
    {
        AnsiString text;
        for (const auto &e : entries) text += "(" + e.Caption + "|" + e.Item + ")";
        return text;
    }
    QTemporaryDir Dir;
};

TEST_F(FastInsertListFileTest, EntriesRunToTheFirstKeyWithBothHalvesEmpty)
{
    EXPECT_EQ(Joined(ReadFastInsertList(File("a.il", "[Captions]\r\n0=c0\r\n1=c1\r\n2=c2\r\n3=c3\r\n4=c4\r\n"
                                                     "[Items]\r\n0=i0\r\n1=i1\r\n2=i2\r\n"))),
              "(c0|i0)(c1|i1)(c2|i2)(c3|)(c4|)");
    EXPECT_EQ(Joined(ReadFastInsertList(File("b.il", "[Items]\r\n0=a\r\n1=b\r\n3=never\r\n"))), "(|a)(|b)");
    EXPECT_EQ(Joined(ReadFastInsertList(File("c.il", "[Captions]\r\n0=\r\n1=x\r\n[Items]\r\n0=\r\n"))), "");
}

TEST_F(FastInsertListFileTest, MissingUnreadableOrMalformedFilesGiveAnEmptyList)
{
    EXPECT_TRUE(ReadFastInsertList(FromQPath(Dir.path()) + "/missing.il").empty());
    EXPECT_TRUE(ReadFastInsertList(FromQPath(Dir.path())).empty());   // a folder
    EXPECT_TRUE(ReadFastInsertList(File("bin.il", AnsiString("\0\xFF[Items\r\n0\r\n=x\0\r\n[", 19))).empty());
    // Broken lines around good ones do not hide the good ones.
    EXPECT_EQ(Joined(ReadFastInsertList(File("mixed.il", "garbage\r\n[Items]\r\nno equals\r\n0=kept\r\n"))), "(|kept)");
}

// Only a file that is there and cannot be read comes back with a reason: a missing or malformed
// list is no fault.
TEST_F(FastInsertListFileTest, AFileThatCannotBeReadGivesTheReason)
{
    const struct
    {
        AnsiString Path;
        AnsiString Error;
    } cases[] = {
        {FromQPath(Dir.path()) + "/missing.il", ""},
        {FromQPath(Dir.path()), std::strerror(EISDIR)},
        // Reading this file at its start fails for every user, root included.
        {"/proc/self/mem", std::strerror(EIO)},
        {File("mixed.il", "garbage\r\n[Items]\r\nno equals\r\n0=kept\r\n"), ""},
    };
    for (const auto &c : cases) {
        AnsiString error = "not set";
        ReadFastInsertList(c.Path, error);
        EXPECT_EQ(error, c.Error) << c.Path;
    }
}

TEST(FastInsertShortTextTest, ThirteenCharactersStayWholeLongerAreCut)
{
    EXPECT_EQ(FastInsertShortText("1234567890123"), "1234567890123");
    EXPECT_EQ(FastInsertShortText("12345678901234"), "1234567890...");
    EXPECT_EQ(FastInsertShortText(""), "");
}

TEST(FastInsertListTitleTest, FileNameOfThePath)
{
    EXPECT_EQ(FastInsertListTitle("/opt/quillet/InsList.il"), "Fast insert list: \"InsList.il\"");
    EXPECT_EQ(FastInsertListTitle("mine.il"), "Fast insert list: \"mine.il\"");
}

TTextMacroContext Context()
{
    TTextMacroContext c;
    c.CaretLine = 12;
    c.FileName = "a.kas";
    c.ProgramVersion = "1.2.3.4";
    c.RightEdge = 80;
    c.Date = "10.12.26";
    c.Time = "12:34:56";
    return c;
}

struct MacroCase
{
    const char *Name;
    AnsiString Value;
    AnsiString Expanded;
};

void PrintTo(const MacroCase &c, std::ostream *os) { *os << c.Name; }

class ExpandTextMacrosTest : public ::testing::TestWithParam<MacroCase> {};

TEST_P(ExpandTextMacrosTest, Expands)
{
    EXPECT_EQ(ExpandTextMacros(GetParam().Value, Context()), GetParam().Expanded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpandTextMacrosTest,
    ::testing::Values(
        MacroCase{"LineTwice", "[_LINE#_]:[_LINE#_]", "12:12"},
        MacroCase{"FileAndVersion", "[_FILENAME_] by v.[_QuVER_]", "a.kas by v.1.2.3.4"},
        MacroCase{"SeparatorAsLongAsTheRightEdge", "[_SEPAR4_]", ";" + AnsiString(79, '=')},
        MacroCase{"EverySeparator", "[_SEPAR1_][_SEPAR2_][_SEPAR3_][_SEPAR5_][_SEPAR6_][_SEPAR7_]",
                  ";" + AnsiString(79, '-') + ";" + AnsiString(79, '*') + ";" + AnsiString(79, '/') + ";" +
                      AnsiString(79, '#') + ";" + AnsiString(79, '+') + ";" + AnsiString(79, ':')},
        MacroCase{"TwoLineBreaks", "a[_EOL_]b[_EOL_]", "a\r\nb\r\n"},
        MacroCase{"DateAndTime", "[_CURDATE_] [_CURTIME_]", "10.12.26 12:34:56"},
        MacroCase{"IncompleteTokensStayAsTyped", "[_LINE#_ [_SEPAR_] [_SEPAR8_] [_EOL]", "[_LINE#_ [_SEPAR_] [_SEPAR8_] [_EOL]"},
        MacroCase{"TokenSplitByAnExpansionIsNotJoined", "[_LI[_EOL_]NE#_]", "[_LI\r\nNE#_]"},
        MacroCase{"TextWithoutMacros", "!!VR1:S5;", "!!VR1:S5;"}),
    [](const ::testing::TestParamInfo<MacroCase> &info) { return std::string(info.param.Name); });

TEST(ExpandTextMacrosRulesTest, ReplacementsAreNotSearchedAgainForTheirOwnTokenButLaterMacrosApply)
{
    TTextMacroContext c = Context();
    c.FileName = "[_FILENAME_][_EOL_][_LINE#_]";
    EXPECT_EQ(ExpandTextMacros("<[_FILENAME_]>", c), "<[_FILENAME_]\r\n[_LINE#_]>");
}

TEST(ExpandTextMacrosRulesTest, SeparatorWithoutARightEdgeStaysAsTyped)
{
    TTextMacroContext c = Context();
    c.RightEdge = 0;
    EXPECT_EQ(ExpandTextMacros("[_SEPAR1_]x[_EOL_]", c), "[_SEPAR1_]x\r\n");
    c.RightEdge = 1;
    EXPECT_EQ(ExpandTextMacros("[_SEPAR1_]", c), ";");
}

TEST(ExpandTextMacrosRulesTest, ContactMacrosAreFixedNonEmptyTexts)
{
    for (const char *token : {"[_QALMAIL1_]", "[_QALMAIL2_]", "[_QALWWW1_]", "[_QALWWW2_]", "[_QuAUTHOR_]"}) {
        const AnsiString text = ExpandTextMacros(token, Context());
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find("[_"), AnsiString::npos) << token;
    }
    EXPECT_EQ(TextMacroTokens().size(), 18u);
}

// ---- The chooser ----

class FastInsertChooserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Root = FromQPath(QDir(Dir.path()).canonicalPath());
        ProgramFolder = Root + "/prog";
        QDir().mkpath(ToQPath(ProgramFolder));
        setenv("QUILLET_REGISTRY", (Root + "/settings.reg").c_str(), 1);
        Application->SetCommandLine({ProgramFolder + "/quillet"});
    }
    void TearDown() override
    {
        delete Form;
        Application->SetCommandLine({});
        unsetenv("QUILLET_REGISTRY");
    }
    AnsiString StoredList()
    {
        TRegistry reg;
        reg.OpenKey(SettingsKey, true);
        return reg.ValueExists("InsertListFile") ? reg.ReadString("InsertListFile") : "<none>";
    }

    QTemporaryDir Dir;
    AnsiString Root, ProgramFolder;
    TMainForm *Form = nullptr;
};

TEST_F(FastInsertChooserTest, OkStoresTheClickedListAndLoadsIt)
{
    WriteAll(ToQPath(ProgramFolder + "/InsList.il"), "[Information]\r\nDescription=Default\r\nDateTime=1.1.2026 10:00:00\r\n");
    WriteAll(ToQPath(ProgramFolder + "/other.il"),
             "[Information]\r\nDescription=Other list\r\nDateTime=2.2.2026\r\n[Items]\r\n0=one\r\n1=two\r\n");
    QDir().mkpath(ToQPath(ProgramFolder + "/folder.il"));
    Form = new TMainForm;

    TFIL_Form chooser(Form);
    EXPECT_EQ(chooser.windowTitle(), "Select \"Fast Insert List\"");
    EXPECT_EQ(chooser.Panel1->text(), "InsList.il");
    EXPECT_EQ(FromQ(chooser.Label1->text()), "Description: Default\nDate\\Time: 1.1.2026 10:00:00");
    EXPECT_EQ(FastInsertListInformation(ProgramFolder + "/InsList.il"),
              "Description: Default\r\nDate\\Time: 1.1.2026 10:00:00");
    QStringList names;
    for (int i = 0; i < chooser.ListBox1->count(); ++i) names << chooser.ListBox1->item(i)->text();
    names.sort();
    EXPECT_EQ(names, QStringList({"InsList.il", "folder.il", "other.il"}));
    EXPECT_EQ(chooser.ListBox1->selectedItems().size(), 0);

    const auto click = [&](const QString &name) {
        QListWidgetItem *item = chooser.ListBox1->findItems(name, Qt::MatchExactly).value(0);
        chooser.ListBox1->setCurrentItem(item);
        chooser.ListBox1Click();
    };
    click("folder.il");
    EXPECT_EQ(chooser.Panel1->text(), "folder.il");
    EXPECT_EQ(chooser.Label1->text(), "") << "a folder has no information";
    click("other.il");
    EXPECT_EQ(FromQ(chooser.Label1->text()), "Description: Other list\nDate\\Time: 2.2.2026");

    int key = Qt::Key_Return;
    chooser.FormKeyDown(key, Qt::NoModifier);
    EXPECT_EQ(StoredList(), ProgramFolder + "/other.il");
    EXPECT_EQ(Form->SynCompletionProposal1->InsertList.Join("|"), "one|two");
    EXPECT_EQ(Form->SynCompletionProposal1->Title, "Fast insert list: \"other.il\"");
}

TEST_F(FastInsertChooserTest, OkWithoutAClickStoresTheCurrentNameInTheProgramFolder)
{
    {
        TRegistry reg;
        reg.OpenKey(SettingsKey, true);
        reg.WriteString("InsertListFile", Root + "/elsewhere/mine.il");
    }
    Form = new TMainForm;
    TFIL_Form chooser(Form);
    EXPECT_EQ(chooser.Panel1->text(), "mine.il");
    chooser.ToolButton1Click();
    EXPECT_EQ(StoredList(), ProgramFolder + "/mine.il");
}

TEST_F(FastInsertChooserTest, ActionShowsTheChooserAndHelpOpensItsContext)
{
    Form = new TMainForm;
    Form->QUILHelpPath = Root + "/quill.hlp";
    ShellRecording shell;
    MessageBoxRecorder boxes;
    ModalRecorder modal([](QDialog *dialog) {
        static_cast<TFIL_Form *>(dialog)->ToolButton3Click();
        return int(mrCancel);
    });
    Form->FIL_Action1->Execute();
    ASSERT_EQ(modal.ClassNames, std::vector<AnsiString>({"TFIL_Form"}));
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].Command, unsigned(HELP_CONTEXT));
    EXPECT_EQ(shell.Calls()[0].Data, 105);
    // The help file is missing, and the user is told so.
    ASSERT_EQ(boxes.Calls.size(), 1u);
    EXPECT_EQ(boxes.Calls[0].Text, "File \"" + Root + "/quill.hlp\" not found.");
    EXPECT_EQ(StoredList(), "<none>") << "Cancel stores nothing";
}

} // namespace
