#include "platform/SingleInstance.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const ChildEnv = "QUILLET_TEST_LOCK_CHILD";
const AnsiString LockName = "Quillet_01_Semaphore";

// The test binary started again with ChildEnv = settings path: takes the lock, reports the result
// on stdout and holds the lock until it is killed. Runs before main(), without Qt's application.
const bool ChildMode = [] {
    const char *settings = std::getenv(ChildEnv);
    if (!settings)
        return false;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    TNamedSemaphore lock(LockName, settings);
    std::puts(lock.Held() ? "held" : lock.AlreadyExisted() ? "existed" : "failed");
    std::fflush(stdout);
    for (;;)
        pause();
}();

class SingleInstance : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    AnsiString settings = FromQPath(dir.path()) + "/registry.reg";
    std::vector<std::pair<AnsiString, AnsiString>> used{{LockName, settings}};

    ~SingleInstance() override
    {
        for (const auto &[name, path] : used)
            unlink(InstanceLockFilePath(name, path).c_str());
    }

    // Starts a child that tries the lock; returns its report.
    std::string StartChild(QProcess &child)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(ChildEnv, ToQPath(settings));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        if (!child.waitForStarted(10000))
            return "not started";
        while (!child.canReadLine())
            if (!child.waitForReadyRead(10000))
                return "no answer";
        return child.readLine().trimmed().toStdString();
    }
};

TEST_F(SingleInstance, SecondHolderSeesTheFirstUntilItIsGone)
{
    auto first = std::make_unique<TNamedSemaphore>(LockName, settings);
    EXPECT_TRUE(first->Held());
    EXPECT_FALSE(first->AlreadyExisted());
    {
        TNamedSemaphore second(LockName, settings);
        EXPECT_TRUE(second.AlreadyExisted());
        EXPECT_FALSE(second.Held());
    }
    first.reset();
    TNamedSemaphore third(LockName, settings);
    EXPECT_TRUE(third.Held());
    EXPECT_FALSE(third.AlreadyExisted());
}

TEST_F(SingleInstance, OtherSettingsFileOrNameIsAnotherLock)
{
    TNamedSemaphore lock(LockName, settings);
    QTemporaryDir other;
    used.push_back({LockName, FromQPath(other.path()) + "/registry.reg"});
    used.push_back({"Another_Semaphore", settings});
    TNamedSemaphore otherSettings(LockName, used[1].second);
    TNamedSemaphore otherName("Another_Semaphore", settings);
    EXPECT_TRUE(otherSettings.Held());
    EXPECT_TRUE(otherName.Held());
    // The same file reached through another spelling of its path is the same lock.
    TNamedSemaphore sameFile(LockName, FromQPath(dir.path()) + "/./registry.reg");
    EXPECT_TRUE(sameFile.AlreadyExisted());
}

TEST_F(SingleInstance, LockFileIsPrivateAndCarriesTheUserId)
{
    TNamedSemaphore lock(LockName, settings);
    const AnsiString path = InstanceLockFilePath(LockName, settings);
    EXPECT_NE(path.find("-" + IntToStr(getuid()) + "-"), AnsiString::npos) << path;
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0) << path;
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_uid, getuid());
}

TEST_F(SingleInstance, RuntimeFolderComesFromTheEnvironment)
{
    const char *old = std::getenv("XDG_RUNTIME_DIR");
    const AnsiString saved = old ? old : "";
    setenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit().constData(), 1);
    EXPECT_EQ(InstanceRuntimeDir(), FromQPath(dir.path()));
    {
        TNamedSemaphore lock(LockName, settings);
        EXPECT_TRUE(lock.Held());
        EXPECT_EQ(InstanceLockFilePath(LockName, settings).rfind(FromQPath(dir.path()) + "/", 0), 0u);
    }
    setenv("XDG_RUNTIME_DIR", (FromQPath(dir.path()) + "/missing").c_str(), 1);
    EXPECT_EQ(InstanceRuntimeDir(), "/tmp");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(InstanceRuntimeDir(), "/tmp");
    if (old)
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}

TEST_F(SingleInstance, KilledHolderReleasesTheLock)
{
    QProcess child;
    ASSERT_EQ(StartChild(child), "held");
    {
        TNamedSemaphore lock(LockName, settings);
        EXPECT_TRUE(lock.AlreadyExisted());
    }
    child.kill();   // SIGKILL: no clean-up code runs in the holder
    ASSERT_TRUE(child.waitForFinished(10000));
    TNamedSemaphore lock(LockName, settings);
    EXPECT_TRUE(lock.Held());

    // And the other way round: a process started while this one holds the lock is a second copy.
    QProcess second;
    EXPECT_EQ(StartChild(second), "existed");
    second.kill();
    second.waitForFinished(10000);
}

} // namespace
