#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

AnsiString InstanceRuntimeDir()
{
    const char *dir = std::getenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (dir && *dir == '/' && stat(dir, &st) == 0 && S_ISDIR(st.st_mode))
        return dir;
    return "/tmp";
}

static AnsiString FileNamePart(const AnsiString &name)
{
    AnsiString out;
    for (unsigned char c : name)
    {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '_' || c == '-' || c == '.';
        out += plain ? char(c) : '_';
    }
    return out.substr(0, 64);
}

AnsiString InstanceKey(const AnsiString &name, const AnsiString &settingsPath)
{
    // The same settings file reached by another spelling of its path is the same settings file.
    const QString absolute = QDir::cleanPath(QFileInfo(ToQPath(settingsPath)).absoluteFilePath());
    const QByteArray hash =
        QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return FileNamePart(name) + "-" + IntToStr(getuid()) + "-" + hash.toStdString();
}

AnsiString InstanceLockFilePath(const AnsiString &name, const AnsiString &settingsPath)
{
    return InstanceRuntimeDir() + "/" + InstanceKey(name, settingsPath) + ".lock";
}

TNamedSemaphore::TNamedSemaphore(const AnsiString &name, const AnsiString &settingsPath)
    : FName(name), FSettingsPath(settingsPath)
{
    // No symlinks followed (the folder may be /tmp); close-on-exec, so that a started tool does not
    // keep the lock after this copy has ended.
    const AnsiString path = InstanceLockFilePath(name, settingsPath);
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_uid != getuid() || !S_ISREG(st.st_mode)) {
        close(fd);
        return;
    }
    int rc;
    do
        rc = flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        FFd = fd;
        return;
    }
    FAlreadyExisted = errno == EWOULDBLOCK;
    close(fd);
}

TNamedSemaphore::~TNamedSemaphore()
{
    if (FFd >= 0)
        close(FFd);
}
