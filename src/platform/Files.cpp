#include "platform/Files.h"

#include <QFileInfo>
#include <QSaveFile>

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

namespace {

AnsiString SystemError() { return std::strerror(errno); }

// Over the old content, then cut to the new length: as long as the new content is no longer than
// the old, a full disk cannot stop it part way.
FileWriteResult WriteInPlace(const AnsiString &path, std::string_view bytes)
{
    FileWriteResult result;
    result.ToWrite = (long long)bytes.size();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        result.ErrorText = SystemError();
        return result;
    }
    result.Opened = true;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            result.ErrorText = n < 0 ? SystemError() : AnsiString("nothing written");
            break;
        }
        done += size_t(n);
    }
    result.Written = (long long)done;
    if (done == bytes.size() && (::ftruncate(fd, off_t(done)) != 0 || ::fsync(fd) != 0)) {
        result.ErrorText = SystemError();
        result.Written = 0;   // the end of the old content may still be there
    }
    ::close(fd);
    return result;
}

} // namespace

FileWriteResult WriteFileSafely(const AnsiString &path, std::string_view bytes)
{
    FileWriteResult result;
    result.ToWrite = (long long)bytes.size();
    struct stat st;
    const bool exists = ::stat(path.c_str(), &st) == 0;
    // A read-only file is not replaced behind its owner's back (a rename alone would allow it).
    // Tested with the effective user, as opening the file would be.
    if (exists && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        result.ErrorText = "The file is read-only.";
        return result;
    }
    if (exists && S_ISREG(st.st_mode) && st.st_nlink > 1) return WriteInPlace(path, bytes);

    QSaveFile file(ToQPath(path));
    file.setDirectWriteFallback(true);   // a folder that refuses new files: the file is written in place
    if (!file.open(QIODevice::WriteOnly)) {
        result.ErrorText = FromQ(file.errorString());
        return result;
    }
    result.Opened = true;
    const qint64 written = file.write(bytes.data(), qint64(bytes.size()));
    // The last bytes may still sit in the file's buffer: a write that fails there (a full disk)
    // shows only in the flush. On disk before the rename, so a power cut leaves the old file or
    // the new one, never an empty one.
    if (written != qint64(bytes.size()) || !file.flush() || ::fsync(file.handle()) != 0) {
        result.Written = std::clamp<qint64>(written, 0, std::max<qint64>(qint64(bytes.size()) - 1, 0));
        result.ErrorText = file.error() != QFileDevice::NoError ? FromQ(file.errorString()) : SystemError();
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {   // nothing reached the target
        result.ErrorText = FromQ(file.errorString());
        return result;
    }
    result.Written = written;
    return result;
}
