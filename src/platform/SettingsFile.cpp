#include "platform/SettingsFile.h"
#include "platform/Files.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A write holds the lock for milliseconds; a lock this old belongs to a program that hangs.
constexpr int StaleLockMs = 15000;
constexpr int LockWaitMs = 20000;

AnsiString SystemError() { return std::strerror(errno); }

int64_t Nanoseconds(const timespec &t) { return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; }

// The settings file may be written but its folder takes no new file (no lock file, no temporary).
bool FolderRefusesNewFiles(const AnsiString &path)
{
    const AnsiString folder = FromQPath(QFileInfo(ToQPath(path)).absolutePath());
    return faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) != 0 &&
           faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

} // namespace

FileStamp StampOfFile(const AnsiString &path)
{
    FileStamp s;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return s;
    s.Exists = true;
    s.Device = uint64_t(st.st_dev);
    s.Inode = uint64_t(st.st_ino);
    s.Size = int64_t(st.st_size);
    s.ModifiedNs = Nanoseconds(st.st_mtim);
    s.ChangedNs = Nanoseconds(st.st_ctim);
    return s;
}

FileReadResult ReadWholeFile(const AnsiString &path, AnsiString &bytes, AnsiString &error)
{
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return FileReadResult::Missing;
        error = SystemError();
        return FileReadResult::Failed;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = SystemError();
            ::close(fd);
            bytes.clear();
            return FileReadResult::Failed;
        }
        bytes.append(buffer, size_t(n));
    }
    ::close(fd);
    return FileReadResult::Ok;
}

bool WriteFileAtomically(const AnsiString &path, const AnsiString &bytes, AnsiString &error)
{
    const QString folder = QFileInfo(ToQPath(path)).absolutePath();
    if (!QDir().mkpath(folder)) {
        error = "cannot create the folder \"" + FromQPath(folder) + "\"";
        return false;
    }
    // Replaced through a synced temporary file where the folder allows it, so a power cut leaves
    // the old file or the new one; written in place where the folder refuses new files.
    const FileWriteResult result = WriteFileSafely(path, bytes);
    if (!result.Ok()) error = result.ErrorText.empty() ? AnsiString("short write") : result.ErrorText;
    return result.Ok();
}

bool CanWriteSettingsFile(const AnsiString &path, AnsiString &reason)
{
    // Settings grow by a value at a time; a disk without even this much room keeps none of them.
    constexpr long long GrowthRoom = 65536;
    const QString folder = QFileInfo(ToQPath(path)).absolutePath();
    if (!QDir().mkpath(folder)) {
        reason = "cannot create the folder \"" + FromQPath(folder) + "\"";
        return false;
    }
    SettingsFileLock lock(path);
    if (!lock.Locked()) {
        reason = lock.Error();
        return false;
    }
    return CanWriteFile(path, StampOfFile(path).Size + GrowthRoom, reason);
}

AnsiString MoveFileAside(const AnsiString &path)
{
    AnsiString target = path + ".bad";
    for (int n = 1; StampOfFile(target).Exists; ++n)
        target = path + ".bad" + IntToStr(n);
    if (::rename(path.c_str(), target.c_str()) != 0)
        return "";
    return target;
}

SettingsFileLock::SettingsFileLock(const AnsiString &path) : Lock(ToQPath(path + ".lock"))
{
    Lock.setStaleLockTime(StaleLockMs);
    // QLockFile's own waiting sleeps 100 ms and more between tries; writes are short, so poll
    // briefly instead to keep concurrent writers quick.
    QDeadlineTimer deadline(LockWaitMs);
    int pauseMs = 1;
    for (;;) {
        IsLocked = Lock.tryLock(0);
        if (IsLocked)
            return;
        if (Lock.error() == QLockFile::PermissionError && FolderRefusesNewFiles(path)) {
            // No program can lock the file there, so there is no other writer to wait for; the
            // write goes on, in place.
            IsLocked = true;
            return;
        }
        if (Lock.error() != QLockFile::LockFailedError) {
            ErrorText = Lock.error() == QLockFile::PermissionError
                            ? "no permission to create the lock file \"" + path + ".lock\""
                            : "cannot create the lock file \"" + path + ".lock\"";
            return;
        }
        if (deadline.hasExpired()) {
            ErrorText = "the lock file \"" + path + ".lock\" is held by another program";
            return;
        }
        QThread::msleep(unsigned(pauseMs));
        pauseMs = std::min(pauseMs * 2, 20);
    }
}

SettingsFileLock::~SettingsFileLock()
{
    if (IsLocked && Lock.isLocked())
        Lock.unlock();
}

AnsiString TrimBlanks(const AnsiString &s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    size_t b = 0, e = s.size();
    while (b < e && blank(s[b]))
        ++b;
    while (e > b && blank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

void WarnOnStderr(const AnsiString &message)
{
    std::fprintf(stderr, "Quillet: %s\n", message.c_str());
    std::fflush(stderr);
}

void WarnOnStderrOnce(const AnsiString &message)
{
    static std::set<AnsiString> told;
    if (told.insert(message).second) WarnOnStderr(message);
}
