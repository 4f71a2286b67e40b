#include "platform/WriteRecovery.h"

#include "platform/Dialogs.h"
#include "platform/Files.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr const char *RecordTitle = "Quillet write record";
constexpr const char *RecordPattern = "write-*.recovery";
// File systems keep times coarser than the clock (some to two seconds): a document torn by the
// write may show a time a little before the one the record took.
constexpr int64_t TimeSlackNs = 2'000'000'000;

AnsiString SystemError(int error) { return std::strerror(error); }

int64_t Nanoseconds(const timespec &t) { return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

int64_t Now()
{
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return Nanoseconds(t);
}

// What the record holds besides the bytes.
struct RecordFacts
{
    AnsiString Document;
    uint64_t Device = 0;
    uint64_t Inode = 0;
    int64_t OldSize = 0;
    int64_t OldModifiedNs = 0;
    int64_t NewSize = 0;
    int64_t BegunNs = 0;
};

AnsiString Header(const RecordFacts &f)
{
    AnsiString h = AnsiString(RecordTitle) + "\n";
    h += "path " + IntToStr((long long)f.Document.size()) + " " + f.Document + "\n";
    h += "device " + std::to_string(f.Device) + "\n";
    h += "inode " + std::to_string(f.Inode) + "\n";
    h += "old-size " + std::to_string(f.OldSize) + "\n";
    h += "old-modified " + std::to_string(f.OldModifiedNs) + "\n";
    h += "new-size " + std::to_string(f.NewSize) + "\n";
    h += "begun " + std::to_string(f.BegunNs) + "\n\n";
    return h;
}

// Reads "name value\n" at pos into the number.
template <typename Number> bool ReadField(const AnsiString &text, size_t &pos, const char *name, Number &value)
{
    const AnsiString prefix = AnsiString(name) + " ";
    if (text.compare(pos, prefix.size(), prefix) != 0) return false;
    const char *begin = text.data() + pos + prefix.size();
    const char *end = text.data() + text.size();
    const auto [at, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || at == end || *at != '\n') return false;
    pos = size_t(at - text.data()) + 1;
    return true;
}

// The facts and the bytes of a record; false when it is not one written whole.
bool ParseRecord(const AnsiString &text, RecordFacts &f, size_t &bytesAt)
{
    size_t pos = std::strlen(RecordTitle) + 1;
    if (text.compare(0, pos, AnsiString(RecordTitle) + "\n") != 0) return false;
    size_t pathLength = 0;
    if (text.compare(pos, 5, "path ") != 0) return false;
    const auto [at, error] = std::from_chars(text.data() + pos + 5, text.data() + text.size(), pathLength);
    pos = size_t(at - text.data());
    if (error != std::errc() || pos >= text.size() || text[pos] != ' ' || text.size() - pos - 1 < pathLength + 1)
        return false;
    f.Document = text.substr(pos + 1, pathLength);
    pos += 1 + pathLength;
    if (text[pos++] != '\n' || f.Document.empty()) return false;
    if (!ReadField(text, pos, "device", f.Device) || !ReadField(text, pos, "inode", f.Inode) ||
        !ReadField(text, pos, "old-size", f.OldSize) || !ReadField(text, pos, "old-modified", f.OldModifiedNs) ||
        !ReadField(text, pos, "new-size", f.NewSize) || !ReadField(text, pos, "begun", f.BegunNs))
        return false;
    if (pos >= text.size() || text[pos++] != '\n') return false;
    bytesAt = pos;
    return f.NewSize >= 0 && text.size() - pos == size_t(f.NewSize);
}

int WriteWhole(int fd, std::string_view bytes, off_t offset)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        done += size_t(n);
    }
    return 0;
}

// The folder and the ones above it; a new one is the user's alone (it holds documents' texts).
int MakeFolder(const AnsiString &folder)
{
    struct stat st;
    if (::stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    const AnsiString parent = FolderOfFile(folder);
    if (parent != folder && !parent.empty())
        if (const int error = MakeFolder(parent)) return error;
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

int SyncFolder(const AnsiString &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

// Records whose write failed half way, held (and locked) until the file is written again.
struct KeptRecord
{
    AnsiString Document;
    AnsiString RecordFile;
    int Handle;
};
std::vector<KeptRecord> &KeptRecords()
{
    static std::vector<KeptRecord> kept;
    return kept;
}

void DropKeptRecords(const AnsiString &document)
{
    auto &kept = KeptRecords();
    for (auto it = kept.begin(); it != kept.end();) {
        if (it->Document != document) {
            ++it;
            continue;
        }
        ::unlink(it->RecordFile.c_str());
        ::close(it->Handle);
        it = kept.erase(it);
    }
}

} // namespace

AnsiString StateFolder()
{
    if (const char *own = std::getenv("QUILLET_STATE_DIR"); own && *own) return own;
    if (const char *state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        return AnsiString(state) + "/Quillet";
    return FromQPath(QDir::homePath()) + "/.local/state/Quillet";
}

// ---- WriteRecord ----

WriteRecord::~WriteRecord() { Drop(); }

bool WriteRecord::Create(const AnsiString &path, const struct stat &old, std::string_view bytes, AnsiString &error)
{
    const AnsiString folder = StateFolder();
    const auto fail = [&](int code) {
        error = "The text cannot be kept safe in \"" + folder + "\" while the file is written in place: " +
                SystemError(code);
        return false;
    };
    if (const int code = MakeFolder(folder)) return fail(code);
    RecordFacts facts;
    facts.Document = AbsolutePath(path);
    facts.Device = uint64_t(old.st_dev);
    facts.Inode = uint64_t(old.st_ino);
    facts.OldSize = int64_t(old.st_size);
    facts.OldModifiedNs = Nanoseconds(old.st_mtim);
    facts.NewSize = int64_t(bytes.size());
    facts.BegunNs = Now();
    const AnsiString header = Header(facts);
    long long length = (long long)(header.size() + bytes.size());
    if (const int code = InjectedFileWriteError(FileWriteStep::Recovery, 0, length)) return fail(code);

    // Locked from its first moment under a name the start does not take up: the start never
    // mistakes a record being written for one left behind.
    AnsiString part = folder + "/write-XXXXXX.part";
    const int fd = ::mkostemps(part.data(), 5, O_CLOEXEC);
    if (fd < 0) return fail(errno);
    int code = ::flock(fd, LOCK_EX) == 0 ? 0 : errno;
    if (code == 0) code = WriteWhole(fd, header, 0);
    if (code == 0) code = WriteWhole(fd, bytes, off_t(header.size()));
    if (code == 0 && ::fsync(fd) != 0) code = errno;
    const AnsiString record = part.substr(0, part.size() - 5) + ".recovery";
    if (code == 0 && ::rename(part.c_str(), record.c_str()) != 0) code = errno;
    if (code == 0) code = SyncFolder(folder);
    if (code != 0) {
        ::unlink(part.c_str());
        ::unlink(record.c_str());
        ::close(fd);
        return fail(code);
    }
    DropKeptRecords(facts.Document);   // this write supersedes one that failed before
    Document = facts.Document;
    RecordFile = record;
    Handle = fd;
    return true;
}

void WriteRecord::Drop()
{
    if (Handle < 0) return;
    ::unlink(RecordFile.c_str());
    ::close(Handle);
    Handle = -1;
}

void WriteRecord::Keep()
{
    if (Handle < 0) return;
    KeptRecords().push_back({Document, RecordFile, Handle});
    Handle = -1;
}

// ---- the start ----

namespace {

struct LeftRecord
{
    AnsiString FileName;
    int Handle = -1;
    AnsiString Text;
    RecordFacts Facts;
    size_t BytesAt = 0;   // where the new bytes begin in the text
    bool Readable = false;
    AnsiString ReadError;
    std::string_view Bytes() const { return std::string_view(Text).substr(BytesAt); }
};

// The document is as this write found it or as it left it: not replaced, not written by others.
bool StillAsTheWriteLeftIt(const RecordFacts &f, const struct stat &now)
{
    if (uint64_t(now.st_dev) != f.Device || uint64_t(now.st_ino) != f.Inode) return false;
    const int64_t size = int64_t(now.st_size), modified = Nanoseconds(now.st_mtim);
    if (size == f.OldSize && modified == f.OldModifiedNs) return true;   // not touched yet
    const bool sizeOfTheWrite = size == f.NewSize || size == std::max(f.OldSize, f.NewSize);
    return sizeOfTheWrite && modified >= f.BegunNs - TimeSlackNs;
}

// A name in the state folder for the text, after the document's, that no file has yet.
AnsiString FreeNameFor(const AnsiString &document)
{
    const AnsiString name = ExtractFileName(document);
    const AnsiString ext = ExtractFileExt(name);
    const AnsiString stem = name.substr(0, name.size() - ext.size());
    AnsiString candidate = StateFolder() + "/" + name;
    for (int n = 1; QFileInfo::exists(ToQPath(candidate)); ++n)
        candidate = StateFolder() + "/" + stem + "." + IntToStr(n) + ext;
    return candidate;
}

// The text being saved, in a file of its own. Its name, "" with the reason when it cannot be.
AnsiString PutTextAside(const LeftRecord &r, AnsiString &error)
{
    const AnsiString target = FreeNameFor(r.Facts.Document);
    const FileWriteResult written = WriteFileSafely(target, r.Bytes());
    if (written.Ok()) return target;
    error = written.ErrorText;
    return "";
}

InterruptedWrite Complete(const LeftRecord &r, bool &handled)
{
    InterruptedWrite w;
    w.Document = r.Facts.Document;
    handled = true;
    if (!r.Readable) {
        w.Result = InterruptedWrite::Outcome::Failed;
        w.Document.clear();
        w.TextKeptIn = r.FileName;
        w.Reason = r.ReadError;
        handled = false;
        return w;
    }
    struct stat now;
    if (::stat(w.Document.c_str(), &now) == 0 && StillAsTheWriteLeftIt(r.Facts, now)) {
        const FileWriteResult written = WriteFileInPlace(w.Document, r.Bytes());
        if (written.Ok()) return w;
        w.Result = InterruptedWrite::Outcome::Failed;
        w.Reason = written.ErrorText;
    } else {
        w.Result = InterruptedWrite::Outcome::LeftAlone;
    }
    AnsiString error;
    w.TextKeptIn = PutTextAside(r, error);
    if (w.TextKeptIn.empty()) {   // the record itself keeps the text, and the next start tries again
        w.Result = InterruptedWrite::Outcome::Failed;
        w.Reason = WithReason(w.Reason, error);
        w.TextKeptIn = r.FileName;
        handled = false;
    }
    return w;
}

// The records no running write holds, oldest first, each locked by this program.
std::vector<LeftRecord> TakeLeftRecords()
{
    std::vector<LeftRecord> records;
    const AnsiString folder = StateFolder();
    const QStringList names = QDir(ToQPath(folder)).entryList({RecordPattern}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        LeftRecord r;
        r.FileName = folder + "/" + FromQPath(name);
        r.Handle = ::open(r.FileName.c_str(), O_RDONLY | O_CLOEXEC);
        if (r.Handle < 0) continue;   // taken by another start meanwhile
        struct stat st;
        if (::flock(r.Handle, LOCK_EX | LOCK_NB) != 0 || ::fstat(r.Handle, &st) != 0 || st.st_nlink == 0) {
            ::close(r.Handle);   // a write that is running, or a record already dealt with
            continue;
        }
        if (!ReadFileBytes(r.FileName, r.Text, r.ReadError)) {
            r.ReadError = WithReason("It cannot be read.", r.ReadError);
        } else if (!ParseRecord(r.Text, r.Facts, r.BytesAt)) {
            r.ReadError = "It is not a whole record of a save.";
        } else {
            r.Readable = true;
        }
        records.push_back(std::move(r));
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const LeftRecord &a, const LeftRecord &b) { return a.Facts.BegunNs < b.Facts.BegunNs; });
    return records;
}

} // namespace

std::vector<InterruptedWrite> CompleteInterruptedWrites()
{
    std::vector<InterruptedWrite> done;
    for (LeftRecord &r : TakeLeftRecords()) {
        bool handled = false;
        done.push_back(Complete(r, handled));
        if (handled) ::unlink(r.FileName.c_str());
        ::close(r.Handle);
    }
    return done;
}

AnsiString InterruptedWriteMessage(const InterruptedWrite &w)
{
    const AnsiString saving = "The last save of \"" + w.Document + "\" was cut short";
    switch (w.Result) {
    case InterruptedWrite::Outcome::Completed:
        return saving + ". It has now been completed: the file holds the text that was being saved.";
    case InterruptedWrite::Outcome::LeftAlone:
        return saving + ", and the file has changed since: it was left as it is. The text that was being saved is in \"" +
               w.TextKeptIn + "\".";
    case InterruptedWrite::Outcome::Failed:
        break;
    }
    if (w.Document.empty())
        return WithReason("The record of a save that was cut short, \"" + w.TextKeptIn +
                              "\", was left as it is.",
                          w.Reason);
    return WithReason(saving + " and cannot be completed. The text that was being saved is in \"" + w.TextKeptIn +
                          "\".",
                      w.Reason);
}

void CompleteInterruptedWritesAndTell()
{
    for (const InterruptedWrite &w : CompleteInterruptedWrites()) {
        const unsigned icon =
            w.Result == InterruptedWrite::Outcome::Completed ? MB_ICONINFORMATION : MB_ICONWARNING;
        MessageBox(nullptr, InterruptedWriteMessage(w), "Quillet", MB_OK | icon);
    }
}
