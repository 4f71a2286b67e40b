// The start-up log: its lines and their order for a fresh and for populated settings.
#include "shell/MainTestSupport.h"

#include "platform/Dialogs.h"
#include "platform/TStringList.h"
#include "shell/Main.h"
#include "synedit/SynCompletionProposal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace {

// The parts of the log that depend on the settings; the rest is fixed.
struct LogParts
{
    std::vector<AnsiString> Old;    // before the first "======"
    std::vector<AnsiString> Game;   // the game key's lines (none without the key)
    AnsiString KASHelp, HTMLHelp, QUILHelp;
    int Reopen = 0;
    int Delay = 1000;
    AnsiString InsertList;
    std::vector<AnsiString> InsertListProblem;   // after the list file's line
    std::vector<AnsiString> Scl;    // between "Loading "SCL" settings..." and its "done."
};

std::vector<AnsiString> ExpectedBody(const LogParts &p)
{
    std::vector<AnsiString> lines = p.Old;
    const auto add = [&](std::initializer_list<AnsiString> more) { lines.insert(lines.end(), more); };
    add({"======", "Main settings loading started.", "Main settings loading finished.",
         "Registry settings loading started.", " Registry: version & spec. sets..."});
    lines.insert(lines.end(), p.Game.begin(), p.Game.end());
    add({" Registry: sizes and settings...", "  KAS help path: \"" + p.KASHelp + "\".",
         "  KAS help (HTML) path: \"" + p.HTMLHelp + "\".", "  Quillet help path: \"" + p.QUILHelp + "\".",
         " Registry: Reopen history...", "  Reopen history: " + IntToStr(p.Reopen) + " items.",
         " Registry: Search\\Replace settings...", " Registry: Editor settings...",
         " SCL_Delay: " + IntToStr(p.Delay), " Registry: Tools settings...", " Registry: Misc settings...",
         " Registry: \"InsertList\" settings loading started.", "  \"Insert List\" file = \"" + p.InsertList + "\""});
    lines.insert(lines.end(), p.InsertListProblem.begin(), p.InsertListProblem.end());
    add({" Registry: \"InsertList\" settings loading finished.", "Registry settings loading finished.",
         "KAS_Syn settings loading started.", "KAS_Syn settings loading finished.", "Creating \"Tools\" menu...",
         "Creating \"Tools\" menu: done.", "Loading \"SCL\" settings..."});
    lines.insert(lines.end(), p.Scl.begin(), p.Scl.end());
    add({"Loading \"SCL\" settings: done.", "======", " Done", "======"});
    return lines;
}

class StartupLog : public ShellTest
{
protected:
    LogParts Defaults() const
    {
        LogParts p;
        // The settings key lies below the game key, so creating it makes the game key exist.
        p.Game = {" Registry: Tarrow path...", "  Tarrow path not found."};
        p.KASHelp = ProgramFolder + "/kas.hlp";
        p.HTMLHelp = "none/kas_help/index.htm";
        p.QUILHelp = ProgramFolder + "/quill.hlp";
        p.InsertList = ProgramFolder + "/InsList.il";
        p.Scl = {" File \"" + ProgramFolder + "/Syntax/SCL.CFG\" not found."};
        return p;
    }
    AnsiString Scl(const AnsiString &content) { return MakeFile("prog/Syntax/SCL.CFG", content); }
};

TEST_F(StartupLog, FreshSettingsGiveTheDefaultLines)
{
    Start();
    EXPECT_EQ(LogBody(), ExpectedBody(Defaults()));
    const std::vector<AnsiString> header = LogHeader();
    ASSERT_EQ(header.size(), 3u);
    EXPECT_FALSE(header[0].empty());
    EXPECT_EQ(header[2].rfind("Quillet v. ", 0), 0u) << header[2];
    EXPECT_EQ(Form->SclTable->Count(), 0);
    EXPECT_EQ(Form->GameFolder, "none");
    EXPECT_TRUE(Form->SynCompletionProposal2->HasOption(scoUseBuiltInTimer));
}

TEST_F(StartupLog, ExistingHelpFilesGameFolderAndCompletionTable)
{
    const AnsiString game = Root + "/game";
    QDir().mkpath(ToQPath(game));
    const AnsiString kasHelp = MakeFile("help/kas.hlp");
    const AnsiString quilHelp = MakeFile("help/quill.hlp");
    WithKey(GameKey, [&](TRegistry &reg) { reg.WriteString("AppPath", game + "/"); });
    WithSettings([&](TRegistry &reg) {
        reg.WriteString("KASHelpPath", kasHelp);
        reg.WriteString("KASHelpHTMLPath", Root + "/help/missing.htm");
        reg.WriteString("QUILHelpPath", quilHelp);
        for (int i : {0, 1, 2, 4}) reg.WriteString("ReOpen" + IntToStr(i), Root + "/f" + IntToStr(i) + ".kas");
        reg.WriteInteger("SCL_Delay", 0);
        reg.WriteString("InsertListFile", Root + "/my.il");
    });
    Scl("KASVersion=2.80\r\nVALUE_SEPARATOR=|#\r\nEOT_Symbols= :\r\nMAIN_LIST=Main|#MI|#MD\r\nMI=a|#b\r\n");

    Start();

    LogParts p = Defaults();
    p.Game = {" Registry: Tarrow path...", "  Tarrow path: \"" + game + "\"."};
    p.KASHelp = kasHelp;
    p.HTMLHelp = game + "/kas_help/index.htm";
    p.QUILHelp = quilHelp;
    p.Reopen = 3;
    p.Delay = 0;
    p.InsertList = Root + "/my.il";
    p.Scl = {" SCL settings file: \"" + ProgramFolder + "/Syntax/SCL.CFG\".", " KAS version: 2.80",
             " Value separator: \"|\"", " EOT_Symbols: \" :\"", " SCL_TriggerChars: \":!$#?\" (default value)",
             " Ok, 6 lines."};
    EXPECT_EQ(LogBody(), ExpectedBody(p));

    EXPECT_EQ(Form->GameFolder, game);
    EXPECT_EQ(Form->SynCompletionProposal2->EndOfTokenChr, " :");
    EXPECT_FALSE(Form->SynCompletionProposal2->HasOption(scoUseBuiltInTimer));
    EXPECT_TRUE(Form->SclTable->Sorted());
    EXPECT_EQ(Form->SclTable->Duplicates, dupIgnore);
    EXPECT_EQ(Form->SclTable->Values("TriggerChars"), ":!$#?");
}

TEST_F(StartupLog, MissingGameFolderExistingHtmlHelpAndEmptyTableValues)
{
    const AnsiString html = MakeFile("help/index.htm");
    WithKey(GameKey, [&](TRegistry &reg) { reg.WriteString("AppPath", Root + "/no-such-game"); });
    WithSettings([&](TRegistry &reg) {
        reg.WriteString("KASHelpPath", Root + "/help/missing.hlp");
        reg.WriteString("KASHelpHTMLPath", html);
    });
    Scl("KASVersion=\r\nTriggerChars=!\r\nX=1\r\n");

    Start();

    LogParts p = Defaults();
    p.HTMLHelp = html;
    p.Scl = {" SCL settings file: \"" + ProgramFolder + "/Syntax/SCL.CFG\".", " KAS version: ?",
             " Value separator: \"`\" (default value)", " EOT_Symbols: \" :;!$#?\" (default value)",
             " SCL_TriggerChars: \"!\"", " Ok, 5 lines."};
    EXPECT_EQ(LogBody(), ExpectedBody(p));
    EXPECT_EQ(Form->GameFolder, "none");
    EXPECT_EQ(Form->SynCompletionProposal2->TriggerChars, "!");
    EXPECT_EQ(Form->SclTable->Values("VALUE_SEPARATOR"), "`");
}

// A completion table or a fast-insert list that is there but cannot be read leaves its popup
// empty, and the log says so with the reason.
TEST_F(StartupLog, ACompletionTableAndAnInsertListThatCannotBeReadAreReportedWithTheReason)
{
    // Reading this file at its start fails for every user, root included.
    ASSERT_TRUE(QDir().mkpath(ToQPath(ProgramFolder + "/Syntax")));
    ASSERT_TRUE(QFile::link("/proc/self/mem", ToQPath(ProgramFolder + "/Syntax/SCL.CFG")));
    const AnsiString list = Root + "/lists/folder.il";
    ASSERT_TRUE(QDir().mkpath(ToQPath(list)));
    WithSettings([&](TRegistry &reg) { reg.WriteString("InsertListFile", list); });

    Start();

    LogParts p = Defaults();
    p.InsertList = list;
    p.InsertListProblem = {"  \"Insert List\" file cannot be read: " + AnsiString(std::strerror(EISDIR)) +
                           ". The list is empty."};
    const AnsiString scl = ProgramFolder + "/Syntax/SCL.CFG";
    p.Scl = {" SCL settings file: \"" + scl + "\".",
             " Cannot read file \"" + scl + "\". " + std::strerror(EIO) + ". The completion table is empty.",
             " KAS version: ?", " Value separator: \"`\" (default value)",
             " EOT_Symbols: \" :;!$#?\" (default value)", " SCL_TriggerChars: \":!$#?\" (default value)",
             " Ok, 4 lines."};
    EXPECT_EQ(LogBody(), ExpectedBody(p));
    EXPECT_EQ(Form->SynCompletionProposal1->InsertList.Count(), 0);
}

TEST_F(StartupLog, AnOldLogIsReplaced)
{
    MakeFile("prog/QUIL_Loading.txt", "old run\r\nmore");
    Start();
    LogParts p = Defaults();
    p.Old = {"Old version of this file is deleted successfully."};
    EXPECT_EQ(LogBody(), ExpectedBody(p));
    EXPECT_EQ(ReadFileBytes(LogPath()).find("old run"), AnsiString::npos);
}

// A log that cannot be written (a folder in its place stops root too) is told once, with the
// reason, and the start goes on without it.
TEST_F(StartupLog, ALogThatCannotBeWrittenIsToldOnce)
{
    ASSERT_TRUE(QDir().mkpath(ToQPath(LogPath())));
    Scl("KASVersion=2.80\r\n");
    MessageBoxRecorder boxes;
    Start();
    ASSERT_EQ(boxes.Calls.size(), 1u);
    EXPECT_EQ(boxes.Calls[0].Text, "Error at opening file \"" + LogPath() + "\"\r\n" + std::strerror(EISDIR));
    EXPECT_EQ(Form->SclTable->Values("KASVersion"), "2.80");   // the start ran to its last step
    EXPECT_TRUE(QFileInfo(ToQPath(LogPath())).isDir());
}

} // namespace
