#include "platform/Files.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
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

AnsiString SystemError(int error) { return std::strerror(error); }
AnsiString SystemError() { return SystemError(errno); }

FileWriteFault &WriteFault()
{
    static FileWriteFault fault;
    return fault;
}

// The error a test injects at this step (it may also shorten a write); 0: go on.
int InjectedError(FileWriteStep step, long long offset, long long &length)
{
    const FileWriteFault &fault = WriteFault();
    if (!fault) return 0;
    return fault(step, offset, length);
}

// Writes every byte at the offset. 0, or the error number with done telling how far it got.
int WriteAt(int fd, std::string_view bytes, off_t offset, size_t &done)
{
    done = 0;
    while (done < bytes.size()) {
        long long length = (long long)(bytes.size() - done);
        if (const int error = InjectedError(FileWriteStep::Write, offset + (long long)done, length)) return error;
        const ssize_t n = ::pwrite(fd, bytes.data() + done, size_t(length), offset + off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        done += size_t(n);
    }
    return 0;
}

int SyncFile(int fd, long long length)
{
    if (const int error = InjectedError(FileWriteStep::Sync, 0, length)) return error;
    return ::fsync(fd) == 0 ? 0 : errno;
}

// Where the file system reserves no room itself, the part beyond the old end is written first
// and synced, so a disk that only finds out on writing back says so before anything old changes.
int WriteTailFirst(int fd, std::string_view bytes, off_t oldSize)
{
    if (off_t(bytes.size()) <= oldSize) return 0;
    size_t done = 0;
    if (const int error = WriteAt(fd, bytes.substr(size_t(oldSize)), oldSize, done)) return error;
    return SyncFile(fd, (long long)bytes.size());
}

// Room on the disk for the whole new content, before the first old byte is overwritten. On
// failure the file has its old length again and its old bytes: nothing of it was touched.
int ReserveNewLength(int fd, std::string_view bytes, off_t oldSize)
{
    if (bytes.empty()) return 0;
    long long length = (long long)bytes.size();
    int error = InjectedError(FileWriteStep::Reserve, 0, length);
    if (error == 0) error = ::posix_fallocate(fd, 0, off_t(bytes.size()));
    if (error == EOPNOTSUPP || error == ENOSYS || error == EINVAL) error = WriteTailFirst(fd, bytes, oldSize);
    // Giving the old length back can only fail on an I/O error, which is then the reason to tell.
    struct stat st;
    if (error != 0 && ::fstat(fd, &st) == 0 && st.st_size != oldSize && ::ftruncate(fd, oldSize) != 0) return errno;
    return error;
}

// Over the old content, then cut to the new length; the room is reserved first, so a full disk
// stops the write before it begins, not half way through the old content.
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
    struct stat st;
    int error = ::fstat(fd, &st) == 0 ? 0 : errno;
    if (error == 0) error = ReserveNewLength(fd, bytes, st.st_size);
    if (error == 0) {
        size_t done = 0;
        error = WriteAt(fd, bytes, 0, done);
        result.Written = (long long)done;
    }
    if (error == 0 && ::ftruncate(fd, off_t(bytes.size())) != 0) error = errno;
    if (error == 0) error = SyncFile(fd, result.ToWrite);
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) result.ErrorText = SystemError(error);
    return result;
}

// Through a temporary file beside the target, renamed over it once every byte is on disk, so a
// power cut leaves the old file or the new one, never an empty one.
FileWriteResult WriteThroughTemporary(QSaveFile &file, std::string_view bytes)
{
    FileWriteResult result;
    result.ToWrite = (long long)bytes.size();
    result.Opened = true;
    size_t done = 0;
    int error = WriteAt(file.handle(), bytes, 0, done);
    if (error == 0) error = SyncFile(file.handle(), result.ToWrite);
    if (error != 0) {
        result.Written = (long long)done;
        result.ErrorText = SystemError(error);
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {   // nothing reached the target
        result.ErrorText = file.errorString().isEmpty() ? AnsiString("The file could not be replaced.")
                                                        : FromQ(file.errorString());
        return result;
    }
    result.Written = result.ToWrite;
    return result;
}

bool IsWritable(const AnsiString &path) { return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0; }

} // namespace

FileWriteResult WriteFileSafely(const AnsiString &path, std::string_view bytes)
{
    FileWriteResult result;
    result.ToWrite = (long long)bytes.size();
    struct stat st;
    const bool exists = ::stat(path.c_str(), &st) == 0;
    // A read-only file is not replaced behind its owner's back (a rename alone would allow it).
    // Tested with the effective user, as opening the file would be.
    if (exists && !IsWritable(path)) {
        result.ErrorText = "The file is read-only.";
        return result;
    }
    const bool regular = exists && S_ISREG(st.st_mode);
    if (regular && st.st_nlink > 1) return WriteInPlace(path, bytes);

    // Written by hand on the file's own handle: nothing is buffered, and a fault shows at once.
    QSaveFile file(ToQPath(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // A folder that refuses new files (no temporary file there): the file itself, in place.
        if (regular) return WriteInPlace(path, bytes);
        result.ErrorText = FromQ(file.errorString());
        return result;
    }
    return WriteThroughTemporary(file, bytes);
}

bool CanWriteFile(const AnsiString &path, long long size, AnsiString &reason)
{
    struct stat st;
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !IsWritable(path)) {
        reason = "The file is read-only.";
        return false;
    }
    const std::string room(size_t(std::max(size, 1LL)), '\0');
    AnsiString probe = FolderOfFile(AbsolutePath(path)) + "/." + ExtractFileName(path) + ".probe-XXXXXX";
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd >= 0) {
        int error = ReserveNewLength(fd, room, 0);
        if (::close(fd) != 0 && error == 0) error = errno;
        if (::unlink(probe.c_str()) != 0 && error == 0) error = errno;
        if (error != 0) reason = SystemError(error);
        return error == 0;
    }
    const int createError = errno;
    if (!exists || !S_ISREG(st.st_mode)) {
        reason = SystemError(createError);
        return false;
    }
    // Written in place there: only opening the file can be tried without changing it.
    const int file = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (file < 0 || ::close(file) != 0) {
        reason = SystemError();
        return false;
    }
    return true;
}

AnsiString WithReason(const AnsiString &message, const AnsiString &reason)
{
    return reason.empty() ? message : message + "\r\n" + reason;
}

void SetFileWriteFault(FileWriteFault fault) { WriteFault() = std::move(fault); }
