// Two copies of the program: the second hands its command line to the first and ends.
#include "shell/MainTestSupport.h"

#include "platform/SingleInstance.h"
#include "platform/WindowMessages.h"
#include "shell/Main.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QThread>
#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Lines = std::vector<AnsiString>;

class SecondCopy : public ShellTest
{
protected:
    void TearDown() override
    {
        for (QProcess *p : Running) {
            p->kill();
            p->waitForFinished(5000);
            delete p;
        }
        ShellTest::TearDown();
    }

    QProcess *Launch(const AnsiString &exe, const QStringList &args, const QProcessEnvironment &env)
    {
        auto *p = new QProcess;
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(ToQPath(Root));
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(ToQPath(exe), args);
        EXPECT_TRUE(p->waitForStarted(10000));
        Running.push_back(p);
        return p;
    }
    QProcess *Launch(const AnsiString &exe, const QStringList &args = {})
    {
        return Launch(exe, args, CopyEnvironment());
    }

    // The started copy has gone through its whole start-up.
    static bool WaitForCompleteLog(const AnsiString &log, int timeoutMs)
    {
        const AnsiString end = "======\r\n Done\r\n======";
        const QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            const AnsiString text = ReadFileBytes(log);
            if (text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0) return true;
            QThread::msleep(50);
        }
        return false;
    }

    static AnsiString LogOf(const AnsiString &exe) { return ExtractFilePath(exe) + "QUIL_Loading.txt"; }

    QStringList BackupCopies() const
    {
        return QDir(ToQPath(Root)).entryList({"*_COPY*"}, QDir::Files);
    }

    std::vector<QProcess *> Running;
};

TEST_F(SecondCopy, HandsEveryArgumentOverInOrderAndEndsWithoutOpeningAnything)
{
    const AnsiString kas = MakeFile("a.kas"), kat = MakeFile("c.kat"), cmd = MakeFile("rel.cmd");
    WithSettings([](TRegistry &reg) { reg.WriteBool("NeedBackup", true); });
    HoldLockAsFirstCopy();
    Start();
    Show();
    Form->showMinimized();
    const AnsiString second = CopyProgram("second");

    QProcess *copy = Launch(second, {ToQPath(kas), ToQPath(Root + "/missing.txt"), ToQPath(Root + "/b.xyz"),
                                     ToQPath(kat), "rel.cmd"});
    ASSERT_TRUE(WaitWhileRunning(*copy, 60000));

    EXPECT_EQ(copy->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(copy->exitCode(), 0);
    // Every argument with a kind, in order, existing or not; a relative one from the second copy's folder.
    EXPECT_EQ(Captions(), Lines({kas, Root + "/missing.txt", kat, cmd}));
    EXPECT_FALSE(Form->isMinimized());
    EXPECT_FALSE(QFileInfo::exists(ToQPath(LogOf(second))));
    // The first copy backs up each existing file it opens, once: the second copy opened none.
    EXPECT_EQ(BackupCopies().size(), 3);
}

TEST_F(SecondCopy, WaitsForAFirstCopyThatIsStillStarting)
{
    const AnsiString kas = MakeFile("a.kas");
    HoldLockAsFirstCopy();
    const AnsiString second = CopyProgram("second");
    QProcess *copy = Launch(second, {ToQPath(kas)});
    QThread::msleep(1000);   // the lock is held, the channel not open yet
    Start();
    Show();
    ASSERT_TRUE(WaitWhileRunning(*copy, 60000));
    EXPECT_EQ(copy->exitCode(), 0);
    EXPECT_EQ(Captions(), Lines({kas}));
}

TEST_F(SecondCopy, RunsNormallyWhenMoreCopiesAreAllowed)
{
    WithSettings([](TRegistry &reg) { reg.WriteBool("AllowOnlyOneCopy", false); });
    HoldLockAsFirstCopy();
    Start();
    Show();
    const AnsiString second = CopyProgram("second");
    QProcess *copy = Launch(second, {ToQPath(MakeFile("a.kas"))});
    EXPECT_TRUE(WaitForCompleteLog(LogOf(second), 30000));
    QCoreApplication::processEvents();
    EXPECT_EQ(copy->state(), QProcess::Running);
    EXPECT_TRUE(Captions().empty());
}

TEST_F(SecondCopy, ACrashedFirstCopyLeavesNoMarkerBehind)
{
    const AnsiString first = CopyProgram("first");
    QProcess *crashed = Launch(first);
    ASSERT_TRUE(WaitForCompleteLog(LogOf(first), 30000));
    crashed->kill();
    ASSERT_TRUE(crashed->waitForFinished(10000));

    // The next copy is a first copy: it goes through its whole start-up ...
    const AnsiString next = CopyProgram("next");
    QProcess *running = Launch(next);
    ASSERT_TRUE(WaitForCompleteLog(LogOf(next), 30000));

    // ... and takes over the channel: a copy after it hands over and ends.
    const AnsiString third = CopyProgram("third");
    QProcess *handing = Launch(third, {ToQPath(MakeFile("x.kas"))});
    ASSERT_TRUE(handing->waitForFinished(30000));
    EXPECT_EQ(handing->exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(ToQPath(LogOf(third))));
    EXPECT_EQ(running->state(), QProcess::Running);
}

TEST_F(SecondCopy, AFirstCopyThatNeverAnswersDoesNotHoldTheSecondForEver)
{
    HoldLockAsFirstCopy();
    // Listens but never answers: this test runs no events while the second copy waits.
    QLocalServer silent;
    const QString channel = ToQPath(InstanceChannelPath(SemaphoreName, SettingsFile));
    QLocalServer::removeServer(channel);
    ASSERT_TRUE(silent.listen(channel));
    const AnsiString second = CopyProgram("second");
    QProcessEnvironment env = CopyEnvironment();
    env.insert("QUILLET_HANDOVER_TIMEOUT_MS", "1000");
    QProcess *copy = Launch(second, {ToQPath(MakeFile("a.kas")), ToQPath(MakeFile("b.kas"))}, env);
    ASSERT_TRUE(copy->waitForFinished(30000));
    EXPECT_EQ(copy->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(copy->exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(ToQPath(LogOf(second))));
}

TEST_F(SecondCopy, TheFirstCopysChannelIsOpenToItsOwnUserOnly)
{
    HoldLockAsFirstCopy();
    Start();
    struct stat st;
    ASSERT_EQ(stat(InstanceChannelPath(SemaphoreName, SettingsFile).c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_uid, getuid());
    EXPECT_EQ(st.st_mode & (S_IRWXG | S_IRWXO), 0u);
}

// Runs as another user: connects to the channel and sends a file name. Exit code 1 when the
// first copy answered that it handled the message.
int SendAsAnotherUser(const AnsiString &channel, const AnsiString &name, const AnsiString &data)
{
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        // Only system calls from here on: this is a copy of a threaded process.
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, channel.c_str(), std::min(channel.size(), sizeof address.sun_path - 1));
        if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) _exit(0);
        std::string frame;
        for (const AnsiString *part : {&name, &data}) {
            const uint32_t length = htonl(uint32_t(part->size()));
            frame.append(reinterpret_cast<const char *>(&length), 4);
            frame += *part;
        }
        // The first copy may already have closed the refused connection: no SIGPIPE for that.
        if (send(fd, frame.data(), frame.size(), MSG_NOSIGNAL) < 0) _exit(0);
        char answer = 0;
        _exit(read(fd, &answer, 1) == 1 && answer == 1 ? 1 : 0);
    }
    int status = 0;
    const QDeadlineTimer deadline(10000);
    while (waitpid(child, &status, WNOHANG) == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Another user cannot reach the channel, and gets nothing handled even where it can connect.
TEST_F(SecondCopy, AnotherUserCannotHandFilesOver)
{
    if (getuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    HoldLockAsFirstCopy();
    Start();
    Show();
    const AnsiString channel = InstanceChannelPath(SemaphoreName, SettingsFile);
    EXPECT_EQ(SendAsAnotherUser(channel, "WM_QUIL_FileNameToOpen", Root + "/foreign.kas"), 0);
    ASSERT_EQ(chmod(channel.c_str(), 0777), 0);   // past the socket's permissions, the peer is checked
    EXPECT_EQ(SendAsAnotherUser(channel, "WM_QUIL_FileNameToOpen", Root + "/foreign.kas"), 0);
    EXPECT_EQ(SendAsAnotherUser(channel, "WM_QUIL_PasteTextFromClipboard", ""), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Captions().empty());
}

TEST_F(SecondCopy, WithoutTheLockThereIsNoChannel)
{
    Start();
    struct stat st;
    EXPECT_NE(stat(InstanceChannelPath(SemaphoreName, SettingsFile).c_str(), &st), 0);
}

} // namespace
