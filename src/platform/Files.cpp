#include "platform/Files.h"
#include "platform/WriteRecovery.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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

AnsiString FileBeyondMemoryReason() { return "The file does not fit in memory."; }

namespace {

// Reads the open file to its end. Empty when every byte was read, else the reason.
AnsiString ReadToEnd(int fd, AnsiString &bytes)
{
    struct stat st;
    const size_t size = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? size_t(st.st_size) : 0;
    if (size >= bytes.max_size() / 2) return FileBeyondMemoryReason();
    try {
        bytes.resize(std::max<size_t>(size + 1, 65536));   // one byte more: the end shows without growing
        size_t done = 0;
        for (;;) {
            if (done == bytes.size()) bytes.resize(bytes.size() * 2);
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n == 0) break;
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return std::strerror(errno);
            done += size_t(n);
        }
        bytes.resize(done);
    } catch (const std::bad_alloc &) {   // a file bigger than memory is refused, not a crash
        return FileBeyondMemoryReason();
    }
    return AnsiString();
}

} // namespace

bool ReadFileBytes(const AnsiString &path, AnsiString &bytes, AnsiString &error)
{
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    const AnsiString reason = ReadToEnd(fd, bytes);
    ::close(fd);
    if (reason.empty()) return true;
    error = reason;
    AnsiString().swap(bytes);
    return false;
}

namespace {

AnsiString SystemError(int error) { return std::strerror(error); }
AnsiString SystemError() { return SystemError(errno); }

FileWriteFault &WriteFault()
{
    static FileWriteFault fault;
    return fault;
}

// Writes every byte at the offset. 0, or the error number with done telling how far it got.
int WriteAt(int fd, std::string_view bytes, off_t offset, size_t &done)
{
    done = 0;
    while (done < bytes.size()) {
        long long length = (long long)(bytes.size() - done);
        if (const int error = InjectedFileWriteError(FileWriteStep::Write, offset + (long long)done, length)) return error;
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
    if (const int error = InjectedFileWriteError(FileWriteStep::Sync, 0, length)) return error;
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
    int error = InjectedFileWriteError(FileWriteStep::Reserve, 0, length);
    if (error == 0) error = ::posix_fallocate(fd, 0, off_t(bytes.size()));
    if (error == EOPNOTSUPP || error == ENOSYS || error == EINVAL) error = WriteTailFirst(fd, bytes, oldSize);
    // Giving the old length back can only fail on an I/O error, which is then the reason to tell.
    struct stat st;
    if (error != 0 && ::fstat(fd, &st) == 0 && st.st_size != oldSize && ::ftruncate(fd, oldSize) != 0) return errno;
    return error;
}

// Over the old content, then cut to the new length. The new content is kept in a record first,
// so an interruption can be made good; the room is reserved next, so a full disk stops the write
// before it begins, not half way through the old content.
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
    if (::fstat(fd, &st) != 0) {
        result.ErrorText = SystemError();
        ::close(fd);
        return result;
    }
    WriteRecord record;
    if (!record.Create(path, st, bytes, result.ErrorText)) {
        ::close(fd);
        return result;
    }
    int error = ReserveNewLength(fd, bytes, st.st_size);
    const bool begun = error == 0;   // from here on old bytes are overwritten
    if (error == 0) {
        size_t done = 0;
        error = WriteAt(fd, bytes, 0, done);
        result.Written = (long long)done;
    }
    if (error == 0 && ::ftruncate(fd, off_t(bytes.size())) != 0) error = errno;
    if (error == 0) error = SyncFile(fd, result.ToWrite);
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0) return result;   // the record goes with the write done
    result.ErrorText = SystemError(error);
    if (begun) {
        // Neither old nor new now: the record stays, for a later save or the next start.
        record.Keep();
        result.ErrorText = WithReason(result.ErrorText, "The text being saved is kept in \"" + PathInMessage(record.FileName()) +
                                                            "\"; the next start of the program completes the save.");
    }
    return result;
}

// Writes the pieces of a content one after the other from the start of the file. After the first
// fault nothing more is written; the pieces are still counted, so the whole length is known.
class PieceWriter
{
public:
    explicit PieceWriter(int fd) : Fd(fd) {}

    void operator()(std::string_view piece)
    {
        if (Error == 0) {
            size_t done = 0;
            Error = WriteAt(Fd, piece, off_t(Written), done);
            Written += (long long)done;
        }
        Total += (long long)piece.size();
    }

    int Error = 0;
    long long Written = 0;
    long long Total = 0;

private:
    const int Fd;
};

// Through a temporary file beside the target, renamed over it once every byte is on disk, so a
// power cut leaves the old file or the new one, never an empty one.
FileWriteResult WriteThroughTemporary(QSaveFile &file, const FileContentProducer &content)
{
    FileWriteResult result;
    result.Opened = true;
    PieceWriter writer(file.handle());
    content(std::ref(writer));
    result.ToWrite = writer.Total;
    int error = writer.Error;
    if (error == 0) error = SyncFile(file.handle(), result.ToWrite);
    if (error != 0) {
        result.Written = writer.Written;
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

// The whole content in memory, for a write in place (its record needs every byte first).
AnsiString WholeContent(const FileContentProducer &content)
{
    AnsiString bytes;
    content([&bytes](std::string_view piece) { bytes.append(piece); });
    return bytes;
}

long long ContentLength(const FileContentProducer &content)
{
    long long length = 0;
    content([&length](std::string_view piece) { length += (long long)piece.size(); });
    return length;
}

// Copies every extended attribute of the file onto the handle (ACLs are among them). False when
// one cannot be read or set.
bool CopyAttributes(const AnsiString &path, int fd)
{
    ssize_t size = ::listxattr(path.c_str(), nullptr, 0);
    if (size == 0) return true;
    if (size < 0) return errno == ENOTSUP;   // a file system without attributes has none to keep
    std::string names(size_t(size), '\0');
    size = ::listxattr(path.c_str(), names.data(), names.size());
    if (size < 0) return false;
    names.resize(size_t(size));
    std::string value;
    for (size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1) {
        const char *name = names.c_str() + at;
        const ssize_t length = ::getxattr(path.c_str(), name, nullptr, 0);
        if (length < 0) return false;
        value.resize(size_t(length));
        if (length > 0 && ::getxattr(path.c_str(), name, value.data(), value.size()) != length) return false;
        if (::fsetxattr(fd, name, value.data(), value.size(), 0) != 0) return false;
    }
    return true;
}

// Gives the temporary file the replaced file's owner, group, mode and extended attributes. False
// where the system does not permit it (another user's file, an attribute the user may not set).
bool TakeOverIdentity(const AnsiString &path, const struct stat &old, int fd)
{
    struct stat now;
    if (::fstat(fd, &now) != 0) return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    // A change of owner clears the set-id bits; the mode is given again after it.
    if ((now.st_mode & 07777) != (old.st_mode & 07777) || now.st_uid != old.st_uid || now.st_gid != old.st_gid)
        if (::fchmod(fd, old.st_mode & 07777) != 0) return false;
    return CopyAttributes(path, fd);
}

bool IsWritable(const AnsiString &path) { return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0; }

} // namespace

FileWriteResult WriteFileSafely(const AnsiString &path, const FileContentProducer &content)
{
    FileWriteResult result;
    struct stat st;
    const bool exists = ::stat(path.c_str(), &st) == 0;
    // A read-only file is not replaced behind its owner's back (a rename alone would allow it).
    // Tested with the effective user, as opening the file would be.
    if (exists && !IsWritable(path)) {
        result.ToWrite = ContentLength(content);
        result.ErrorText = "The file is read-only.";
        return result;
    }
    const bool regular = exists && S_ISREG(st.st_mode);
    if (regular && st.st_nlink > 1) return WriteInPlace(path, WholeContent(content));

    // Written by hand on the file's own handle: nothing is buffered, and a fault shows at once.
    QSaveFile file(ToQPath(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // A folder that refuses new files (no temporary file there): the file itself, in place.
        if (regular) return WriteInPlace(path, WholeContent(content));
        result.ToWrite = ContentLength(content);
        result.ErrorText = FromQ(file.errorString());
        return result;
    }
    // A temporary file that cannot take the old one's owner, group and attributes would hand the
    // file to whoever saved it: then the file itself is written, which keeps them.
    if (regular && !TakeOverIdentity(path, st, file.handle())) {
        file.cancelWriting();
        return WriteInPlace(path, WholeContent(content));
    }
    return WriteThroughTemporary(file, content);
}

FileWriteResult WriteFileSafely(const AnsiString &path, std::string_view bytes)
{
    return WriteFileSafely(path, [bytes](const FileContentSink &sink) { sink(bytes); });
}

FileWriteResult WriteFileInPlace(const AnsiString &path, std::string_view bytes) { return WriteInPlace(path, bytes); }

bool CanWriteFile(const AnsiString &path, long long size, AnsiString &reason)
{
    struct stat st;
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        reason = SystemError(EISDIR);
        return false;
    }
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

int InjectedFileWriteError(FileWriteStep step, long long offset, long long &length)
{
    const FileWriteFault &fault = WriteFault();
    return fault ? fault(step, offset, length) : 0;
}
