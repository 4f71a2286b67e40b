#include "platform/Files.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool FileExists(const AnsiString &path) { return !path.empty() && QFileInfo(ToQPath(path)).isFile(); }

bool FileExistsWithFolder(const AnsiString &path) { return !ExtractFilePath(path).empty() && FileExists(path); }

AnsiString FolderOfFile(const AnsiString &path)
{
    AnsiString folder = ExtractFilePath(path);
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

AnsiString AbsolutePath(const AnsiString &path)
{
    if (path.empty() || path[0] == '/') return path;
    return FromQPath(QFileInfo(ToQPath(path)).absoluteFilePath());
}

bool ReadFileBytes(const AnsiString &path, AnsiString &bytes, AnsiString &error)
{
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat st;
    const size_t size = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? size_t(st.st_size) : 0;
    bytes.resize(std::max<size_t>(size + 1, 65536));   // one byte more: the end shows without growing
    size_t done = 0;
    for (;;) {
        if (done == bytes.size()) bytes.resize(bytes.size() * 2);
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            error = std::strerror(errno);
            ::close(fd);
            bytes.clear();
            return false;
        }
        done += size_t(n);
    }
    ::close(fd);
    bytes.resize(done);
    return true;
}
