#include "platform/Shell.h"

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <cstdlib>

namespace {

TEST(Shell, TargetsBecomeAddressesAndPathsFileUrls)
{
    struct Case { AnsiString target; QUrl url; };
    const Case cases[] = {
        {"http://www.example.org/help?x=1", QUrl("http://www.example.org/help?x=1")},
        {"https://example.org/", QUrl("https://example.org/")},
        {"mailto:someone@example.org", QUrl("mailto:someone@example.org")},
        {"/tmp/kas help/index.htm", QUrl::fromLocalFile("/tmp/kas help/index.htm")},
        {"docs/index#1.htm", QUrl::fromLocalFile(QDir::current().absoluteFilePath("docs/index#1.htm"))},
    };
    for (const Case &c : cases) EXPECT_EQ(ShellTargetUrl(c.target), c.url) << c.target;
    EXPECT_TRUE(ShellTargetUrl("/tmp/a b.htm").isLocalFile());
}

TEST(Shell, RecordingKeepsEveryCallWithoutActing)
{
    QTemporaryDir tmp;
    const AnsiString help = FromQPath(tmp.filePath("quill.hlp"));
    QFile(ToQPath(help)).open(QIODevice::WriteOnly);

    ShellRecording rec;
    EXPECT_TRUE(ShellOpen("/tmp/page.htm"));
    EXPECT_TRUE(WinHelp(help, HELP_CONTEXT, 105));
    EXPECT_TRUE(WinHelp(help, HELP_PARTIALKEY, AnsiString("IF \xE9")));
    EXPECT_FALSE(WinHelp(help + ".missing", HELP_CONTENTS));
    EXPECT_FALSE(WinHelp("", HELP_CONTENTS));
    EXPECT_TRUE(WinHelp("", HELP_QUIT));
    EXPECT_TRUE(StartProcess("/no/such/tool", {"a b", "\"c\""}, "/work", SW_SHOWMAXIMIZED));

    const std::vector<ShellCall> &calls = rec.Calls();
    ASSERT_EQ(calls.size(), 7u);
    EXPECT_EQ(calls[0].Kind, ShellCall::scShellOpen);
    EXPECT_EQ(calls[0].Target, "/tmp/page.htm");
    EXPECT_EQ(calls[1].Kind, ShellCall::scWinHelp);
    EXPECT_EQ(calls[1].Target, help);
    EXPECT_EQ(calls[1].Command, unsigned(HELP_CONTEXT));
    EXPECT_EQ(calls[1].Data, 105);
    EXPECT_EQ(calls[2].Command, unsigned(HELP_PARTIALKEY));
    EXPECT_EQ(calls[2].Key, "IF \xE9");
    EXPECT_EQ(calls[3].Command, unsigned(HELP_CONTENTS));
    EXPECT_EQ(calls[6].Kind, ShellCall::scStartProcess);
    EXPECT_EQ(calls[6].Target, "/no/such/tool");
    EXPECT_EQ(calls[6].Args, (std::vector<AnsiString>{"a b", "\"c\""}));
    EXPECT_EQ(calls[6].WorkDir, "/work");
    EXPECT_EQ(calls[6].ShowMode, SW_SHOWMAXIMIZED);
}

TEST(Shell, StartedProgramGetsEachArgumentUnchangedInItsFolder)
{
    // touch makes one file per argument, named exactly by it, relative to its working folder.
    const std::vector<AnsiString> args = {"two words", "quote\"d 'single'", "semi;colon $HOME |pipe", "*"};
    QTemporaryDir tmp;
    ASSERT_TRUE(StartProcess("/usr/bin/touch", args, FromQPath(tmp.path())));
    ASSERT_EQ(ShellCalls().Calls.back().Args, args);

    QDeadlineTimer deadline(20000);
    auto made = [&] {
        const QStringList names = QDir(tmp.path()).entryList(QDir::Files);
        return names.size() == qsizetype(args.size()) ? names : QStringList();
    };
    while (made().isEmpty() && !deadline.hasExpired()) QThread::msleep(20);
    QStringList expected;
    for (const AnsiString &a : args) expected << ToQPath(a);
    expected.sort();
    EXPECT_EQ(made(), expected);
}

TEST(Shell, AProgramThatCannotStartFails)
{
    QTemporaryDir tmp;
    EXPECT_FALSE(StartProcess(FromQPath(tmp.filePath("missing-tool")), {}, ""));
}

TEST(Shell, WindowsFolderComesFromWindirElseTheRoot)
{
    const char *old = std::getenv("WINDIR");
    const AnsiString saved = old ? old : "";
    struct Case { const char *windir; AnsiString folder; };
    const Case cases[] = {{nullptr, "/"}, {"", "/"}, {"/opt/wine/windows/", "/opt/wine/windows"}, {"/", "/"}};
    for (const Case &c : cases) {
        if (c.windir)
            setenv("WINDIR", c.windir, 1);
        else
            unsetenv("WINDIR");
        EXPECT_EQ(WindowsFolder(), c.folder) << (c.windir ? c.windir : "(unset)");
    }
    if (old)
        setenv("WINDIR", saved.c_str(), 1);
    else
        unsetenv("WINDIR");
}

} // namespace
