#include "platform/SingleInstance.h"
#include "platform/WindowMessages.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <future>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const AnsiString LockName = "Quillet_01_Semaphore";

TEST(RegisterWindowMessage, SameNameSameNumberInTheRegisteredRange)
{
    const unsigned open = RegisterWindowMessage("WM_QUIL_FileNameToOpen");
    const unsigned text = RegisterWindowMessage("WM_QUIL_PasteTextFromClipboard");
    const unsigned cell = RegisterWindowMessage("WM_QUIL_PasteTblCellFromClipboard");
    for (unsigned n : {open, text, cell})
        EXPECT_GE(n, 0xC000u);
    EXPECT_NE(open, text);
    EXPECT_NE(text, cell);
    EXPECT_NE(open, cell);
    EXPECT_EQ(RegisterWindowMessage("WM_QUIL_FileNameToOpen"), open);
    EXPECT_EQ(RegisterWindowMessage("wm_quil_filenametoopen"), open);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

struct TSent
{
    AnsiString Message;
    AnsiString Data;
};

class Channel : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    AnsiString settings = FromQPath(dir.path()) + "/registry.reg";
    AnsiString lockFile = InstanceLockFilePath(LockName, settings);
    std::unique_ptr<TNamedSemaphore> lock = std::make_unique<TNamedSemaphore>(LockName, settings);
    TMessageServer server;
    std::mutex logGuard;
    std::vector<std::string> log;   // "send N", "got N", "done N" in the order they happened
    std::vector<TSent> received;

    ~Channel() override
    {
        unlink(lockFile.c_str());
        unlink(InstanceChannelPath(LockName, settings).c_str());
    }

    void Log(const std::string &line)
    {
        const std::lock_guard<std::mutex> hold(logGuard);
        log.push_back(line);
    }

    void RecordMessages()
    {
        server.OnMessage = [this](unsigned msg, const AnsiString &message, const AnsiString &data) {
            EXPECT_EQ(msg, RegisterWindowMessage(message));
            Log("got " + std::to_string(received.size()));
            received.push_back({message, data});
        };
    }

    // The second copy's sends, from another thread while this one runs its event loop.
    std::vector<bool> SendFromOtherThread(const std::vector<TSent> &messages, int timeoutMs = 30000)
    {
        std::vector<bool> results;
        std::atomic<bool> done{false};
        std::unique_ptr<QThread> sender(QThread::create([&] {
            for (size_t i = 0; i < messages.size(); ++i) {
                Log("send " + std::to_string(i));
                results.push_back(SendMessageToFirstCopy(LockName, settings, messages[i].Message,
                                                         messages[i].Data, timeoutMs));
                Log("done " + std::to_string(i));
            }
            done = true;
        }));
        sender->start();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done)
                loop.quit();
        });
        poll.start(5);
        loop.exec();
        sender->wait();
        return results;
    }

    // A socket file without a listener, as a crashed copy leaves it.
    void LeaveStaleSocket()
    {
        const AnsiString path = InstanceChannelPath(LockName, settings);
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0) << path;
        close(fd);
    }
};

AnsiString AllBytes()
{
    AnsiString s;
    for (int i = 0; i < 256; ++i)
        s += char(i);
    return s;
}

TEST_F(Channel, MessagesArriveInOrderWithEveryByteAndEachIsAnsweredFirst)
{
    ASSERT_TRUE(server.Listen(*lock));
    RecordMessages();
    AnsiString big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = char(i * 7 % 251);
    const std::vector<TSent> sent = {
        {"WM_QUIL_FileNameToOpen", AllBytes()},
        {"WM_QUIL_PasteTextFromClipboard", ""},
        {"WM_QUIL_FileNameToOpen", big},
        {"WM_QUIL_FileNameToOpen", "/home/u/\xE4nderung \x1D.kas"},
    };
    EXPECT_EQ(SendFromOtherThread(sent), std::vector<bool>(sent.size(), true));
    ASSERT_EQ(received.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(received[i].Message, sent[i].Message) << i;
        EXPECT_EQ(received[i].Data, sent[i].Data) << i;
    }
    std::vector<std::string> expected;
    for (size_t i = 0; i < sent.size(); ++i)
        for (const char *step : {"send ", "got ", "done "})
            expected.push_back(step + std::to_string(i));
    EXPECT_EQ(log, expected);
}

TEST_F(Channel, UnhandledMessageAnswersFalseAndTheServerGoesOn)
{
    ASSERT_TRUE(server.Listen(*lock));
    int calls = 0;
    server.OnMessage = [&](unsigned, const AnsiString &, const AnsiString &data) {
        ++calls;
        if (data == "throw")
            throw std::runtime_error("cannot open");
    };
    EXPECT_EQ(SendFromOtherThread({{"WM_QUIL_FileNameToOpen", "throw"}, {"WM_QUIL_FileNameToOpen", "ok"}}),
              (std::vector<bool>{false, true}));
    EXPECT_EQ(calls, 2);
    server.OnMessage = nullptr;
    EXPECT_EQ(SendFromOtherThread({{"WM_QUIL_FileNameToOpen", "x"}}), std::vector<bool>{false});
}

TEST_F(Channel, NoListenerGivesFalseAtOnce)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(SendMessageToFirstCopy(LockName, settings, "WM_QUIL_FileNameToOpen", "a.kas"));
    LeaveStaleSocket();
    EXPECT_FALSE(SendMessageToFirstCopy(LockName, settings, "WM_QUIL_FileNameToOpen", "a.kas"));
    EXPECT_LT(clock.elapsed(), 5000);   // far below the 30 s a hung copy is given
}

TEST_F(Channel, SilentFirstCopyMakesTheSenderGiveUp)
{
    // Listening, but its thread never comes back to the event loop while the sender waits.
    QLocalServer hung;
    ASSERT_TRUE(hung.listen(ToQPath(InstanceChannelPath(LockName, settings))));
    for (const AnsiString &data : {AnsiString("a.kas"), AnsiString(4 << 20, 'x')}) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(SendMessageToFirstCopy(LockName, settings, "WM_QUIL_FileNameToOpen", data, 300));
        EXPECT_GE(clock.elapsed(), 290);
        EXPECT_LT(clock.elapsed(), 10000);
    }
}

TEST_F(Channel, BrokenConnectionGivesFalse)
{
    std::promise<void> listening;
    std::unique_ptr<QThread> peer(QThread::create([&] {
        QLocalServer closer;
        closer.listen(ToQPath(InstanceChannelPath(LockName, settings)));
        listening.set_value();
        if (closer.waitForNewConnection(10000)) {
            QLocalSocket *socket = closer.nextPendingConnection();
            socket->waitForReadyRead(10000);
            socket->abort();
        }
    }));
    peer->start();
    listening.get_future().wait();
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(SendMessageToFirstCopy(LockName, settings, "WM_QUIL_FileNameToOpen", "a.kas"));
    EXPECT_LT(clock.elapsed(), 5000);
    peer->wait();
}

TEST_F(Channel, StaleSocketOfACrashedCopyIsReplaced)
{
    LeaveStaleSocket();
    EXPECT_FALSE(QLocalServer().listen(ToQPath(InstanceChannelPath(LockName, settings))));
    ASSERT_TRUE(server.Listen(*lock));
    RecordMessages();
    EXPECT_EQ(SendFromOtherThread({{"WM_QUIL_FileNameToOpen", "a.kas"}}), std::vector<bool>{true});
    struct stat st;
    ASSERT_EQ(stat(InstanceChannelPath(LockName, settings).c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 077, 0u) << "the socket is for this user only";
}

TEST_F(Channel, SecondCopyCannotTakeOverTheLiveChannel)
{
    ASSERT_TRUE(server.Listen(*lock));
    RecordMessages();
    TNamedSemaphore secondLock(LockName, settings);
    ASSERT_TRUE(secondLock.AlreadyExisted());
    TMessageServer second;
    EXPECT_FALSE(second.Listen(secondLock));
    EXPECT_EQ(SendFromOtherThread({{"WM_QUIL_FileNameToOpen", "a.kas"}}), std::vector<bool>{true});
    EXPECT_EQ(received.size(), 1u);
}

TEST_F(Channel, ClosedServerRemovesItsSocket)
{
    {
        TMessageServer first;
        ASSERT_TRUE(first.Listen(*lock));
    }
    struct stat st;
    EXPECT_NE(stat(InstanceChannelPath(LockName, settings).c_str(), &st), 0);
}

} // namespace
