// Writing a file's new content where it must be written in place (a file with other names, a
// folder that refuses new files): a write that does not fit leaves the file as it was.
#include "platform/Files.h"
#include "platform/SettingsFile.h"
#include "shell/DocumentTestSupport.h"
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <ostream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

QStringList Entries(const QString &dir) { return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

// Text of the given length in numbered lines, so a cut or a mix of old and new shows.
AnsiString Lines(const char *word, size_t length)
{
    AnsiString s;
    for (int i = 0; s.size() < length; ++i) s += AnsiString(word) + " line " + IntToStr(i) + "\r\n";
    s.resize(length);
    return s;
}

// Compares file contents and tells only the lengths and where they first differ: a cut file is
// tens of kilobytes.
::testing::AssertionResult SameBytes(const AnsiString &actual, const AnsiString &expected)
{
    if (actual == expected) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    return ::testing::AssertionFailure() << actual.size() << " bytes instead of " << expected.size()
                                         << ", first difference at byte " << at;
}

// While it lives, every file write meets the injected fault.
class InjectedFault
{
public:
    explicit InjectedFault(FileWriteFault fault) { SetFileWriteFault(std::move(fault)); }
    ~InjectedFault() { SetFileWriteFault({}); }
    InjectedFault(const InjectedFault &) = delete;
    InjectedFault &operator=(const InjectedFault &) = delete;
};

// A disk with room for this many bytes of the file: a reservation beyond it fails, a write is
// cut there. unsupported plays a file system that reserves nothing itself.
FileWriteFault DiskOfSize(long long room, bool unsupported)
{
    return [room, unsupported](FileWriteStep step, long long offset, long long &length) {
        if (step == FileWriteStep::Reserve) return unsupported ? EOPNOTSUPP : offset + length > room ? ENOSPC : 0;
        if (step == FileWriteStep::Write) {
            if (offset >= room) return ENOSPC;
            length = std::min(length, room - offset);
        }
        return 0;
    };
}

using Writer = std::function<bool(const AnsiString &path, const AnsiString &bytes, AnsiString &error)>;

bool WriteDocument(const AnsiString &path, const AnsiString &bytes, AnsiString &error)
{
    const FileWriteResult r = WriteFileSafely(path, bytes);
    error = r.ErrorText;
    if (!r.Ok()) {
        EXPECT_TRUE(r.Opened);
    }
    return r.Ok();
}

bool WriteSettings(const AnsiString &path, const AnsiString &bytes, AnsiString &error)
{
    return WriteFileAtomically(path, bytes, error);
}

const struct
{
    const char *Name;
    Writer Write;
} Writers[] = {{"document", WriteDocument}, {"settings", WriteSettings}};

TEST(InPlaceWrite, ANewContentThatDoesNotFitLeavesTheFileAsItWas)
{
    const struct
    {
        const char *Name;
        size_t NewLength;
        bool Unsupported;   // the file system reserves nothing: the part beyond the old end goes first
        bool Fits;
    } cases[] = {
        {"longer, no room", 120000, false, false},
        {"longer, no room, nothing reserved by the file system", 120000, true, false},
        {"longer, room enough", 60000, false, true},
        {"longer, room enough, nothing reserved by the file system", 60000, true, true},
        {"shorter", 1000, false, true},
    };
    const AnsiString old = Lines("old", 40000);
    for (const auto &writer : Writers) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(writer.Name) + ": " + c.Name);
            QTemporaryDir dir;
            const QString path = dir.filePath("a.kas");
            WriteAll(path, old);
            ASSERT_EQ(::link(path.toLocal8Bit().constData(), dir.filePath("b.kas").toLocal8Bit().constData()), 0);
            const AnsiString bytes = Lines("new", c.NewLength);
            AnsiString error;
            bool ok = false;
            {
                InjectedFault disk(DiskOfSize(65536, c.Unsupported));
                ok = writer.Write(FromQPath(path), bytes, error);
            }
            EXPECT_EQ(ok, c.Fits);
            EXPECT_TRUE(SameBytes(ReadAll(path), c.Fits ? bytes : old));
            EXPECT_TRUE(SameBytes(ReadAll(dir.filePath("b.kas")), c.Fits ? bytes : old));
            EXPECT_EQ(error, c.Fits ? AnsiString() : AnsiString(std::strerror(ENOSPC)));
            EXPECT_EQ(Entries(dir.path()), (QStringList{"a.kas", "b.kas"}));
        }
    }
}

// A failure after the room was reserved (an I/O error) is told; the file keeps every name.
TEST(InPlaceWrite, AFailedSyncIsReported)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.kat");
    WriteAll(path, "old\r\n");
    ASSERT_EQ(::link(path.toLocal8Bit().constData(), dir.filePath("b.kat").toLocal8Bit().constData()), 0);
    InjectedFault fault([](FileWriteStep step, long long, long long &) { return step == FileWriteStep::Sync ? EIO : 0; });
    const FileWriteResult r = WriteFileSafely(FromQPath(path), "new\r\n");
    EXPECT_TRUE(r.Opened);
    EXPECT_FALSE(r.Ok());
    // The text is neither old nor new now; the reason comes first, then where the new text is kept.
    EXPECT_EQ(r.ErrorText.substr(0, r.ErrorText.find("\r\n")), std::strerror(EIO));
}

// Through a temporary file, a fault at any step leaves the old file and no temporary behind.
TEST(AtomicWrite, AFaultAtAnyStepLeavesTheOldFile)
{
    const FileWriteStep steps[] = {FileWriteStep::Write, FileWriteStep::Sync};
    for (const FileWriteStep step : steps) {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.kas");
        WriteAll(path, "old\r\n");
        FileWriteResult r;
        {
            InjectedFault fault([step](FileWriteStep at, long long, long long &) { return at == step ? ENOSPC : 0; });
            r = WriteFileSafely(FromQPath(path), Lines("new", 5000));
        }
        EXPECT_TRUE(r.Opened);
        EXPECT_FALSE(r.Ok());
        EXPECT_EQ(r.ErrorText, std::strerror(ENOSPC));
        EXPECT_EQ(ReadAll(path), "old\r\n");
        EXPECT_EQ(Entries(dir.path()), QStringList{"a.kas"});
    }
}

// A content made while it is written, in parts, as a save makes a script's bytes. Records the
// parts it gave, so a test sees that it ran whole.
struct PartsOfContent
{
    std::vector<AnsiString> Parts;
    size_t Given = 0;
    AnsiString Whole() const
    {
        AnsiString whole;
        for (const AnsiString &part : Parts) whole += part;
        return whole;
    }
    FileContentProducer Producer()
    {
        return [this](const FileContentSink &sink) {
            for (const AnsiString &part : Parts) {
                sink(part);
                ++Given;
            }
        };
    }
};

PartsOfContent FiveParts()
{
    PartsOfContent content;
    for (const char *word : {"one", "two", "three", "four", "five"}) content.Parts.push_back(Lines(word, 1000));
    return content;
}

// A write that fails part way through (a disk full after two parts, a folder gone) leaves the
// old file whole and no temporary file; the whole content is still made and counted, so the
// message can tell how much there was to write and how much was written.
TEST(AtomicWrite, AContentMadeWhileWrittenThatFailsPartWayLeavesTheOldFile)
{
    const struct
    {
        const char *Name;
        bool FolderGone;
        bool Opened;
        long long Written;
        int Error;
    } cases[] = {
        {"disk full after two parts", false, true, 2000, ENOSPC},
        {"folder removed", true, false, 0, ENOENT},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir;
        const QString folder = dir.filePath("docs");
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString path = folder + "/a.kas";
        WriteAll(path, "old\r\n");
        if (c.FolderGone) {
            ASSERT_TRUE(QDir(folder).removeRecursively());
        }
        PartsOfContent content = FiveParts();
        FileWriteResult r;
        {
            InjectedFault disk(DiskOfSize(2000, false));
            r = WriteFileSafely(FromQPath(path), content.Producer());
        }
        EXPECT_EQ(content.Given, 5u);
        EXPECT_EQ(r.Opened, c.Opened);
        EXPECT_FALSE(r.Ok());
        EXPECT_EQ(r.ToWrite, 5000);
        EXPECT_EQ(r.Written, c.Written);
        EXPECT_EQ(r.ErrorText, std::strerror(c.Error));
        if (!c.FolderGone) {
            EXPECT_EQ(ReadAll(path), "old\r\n");
            EXPECT_EQ(Entries(folder), QStringList{"a.kas"});
        }
    }
}

// Whichever way the file is written, a content made in parts gives the file the parts joined.
TEST(AtomicWrite, AContentMadeInPartsIsWrittenWholeEitherWay)
{
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "in place (the file has another name)" : "through a temporary file");
        QTemporaryDir dir;
        const QString path = dir.filePath("a.kas");
        WriteAll(path, Lines("old", 9000));
        if (inPlace) {
            ASSERT_EQ(::link(path.toLocal8Bit().constData(), dir.filePath("b.kas").toLocal8Bit().constData()), 0);
        }
        PartsOfContent content = FiveParts();
        const FileWriteResult r = WriteFileSafely(FromQPath(path), content.Producer());
        EXPECT_TRUE(r.Ok()) << r.ErrorText;
        EXPECT_EQ(r.ToWrite, 5000);
        EXPECT_EQ(r.Written, 5000);
        EXPECT_TRUE(SameBytes(ReadAll(path), content.Whole()));
        if (inPlace) {
            EXPECT_TRUE(SameBytes(ReadAll(dir.filePath("b.kas")), content.Whole()));
        }
    }
}

TEST(CanWriteFile, TriesTheRoomAWriteNeedsWithoutChangingTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("registry.reg");
    WriteAll(path, "REGEDIT4\r\n");
    AnsiString reason;
    EXPECT_TRUE(CanWriteFile(FromQPath(path), 100000, reason)) << reason;
    EXPECT_TRUE(CanWriteFile(FromQPath(dir.filePath("new.reg")), 100, reason)) << reason;
    {
        InjectedFault disk(DiskOfSize(4096, false));
        EXPECT_FALSE(CanWriteFile(FromQPath(path), 100000, reason));
        EXPECT_EQ(reason, std::strerror(ENOSPC));
    }
    {
        InjectedFault disk(DiskOfSize(4096, true));
        EXPECT_FALSE(CanWriteFile(FromQPath(path), 100000, reason));
        EXPECT_EQ(reason, std::strerror(ENOSPC));
    }
    EXPECT_FALSE(CanWriteFile(FromQPath(dir.filePath("no/such/registry.reg")), 100, reason));
    EXPECT_EQ(reason, std::strerror(ENOENT));
    QFile::setPermissions(path, QFile::Permissions(0x4444));
    QFile::setPermissions(dir.path(), QFile::Permissions(0x7755));
    {
        UnprivilegedScope user;   // as root a read-only file may still be written
        if (!user.Active()) GTEST_SKIP() << "no ordinary user to act as, for a read-only file";
        EXPECT_FALSE(CanWriteFile(FromQPath(path), 100, reason));
        EXPECT_EQ(reason, "The file is read-only.");
    }
    EXPECT_EQ(ReadAll(path), "REGEDIT4\r\n");
    EXPECT_EQ(Entries(dir.path()), QStringList{"registry.reg"});
}

// Whose a file is and what may be done with it, as a save must leave it.
struct Identity
{
    uid_t Owner;
    gid_t Group;
    mode_t Mode;
    bool operator==(const Identity &) const = default;
};

Identity IdentityOf(const QString &path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.toLocal8Bit().constData(), &st), 0) << path.toStdString();
    return {st.st_uid, st.st_gid, mode_t(st.st_mode & 07777)};
}

std::ostream &operator<<(std::ostream &out, const Identity &i)
{
    return out << i.Owner << ":" << i.Group << " mode " << std::oct << i.Mode << std::dec;
}

constexpr uid_t Nobody = 65534;
constexpr gid_t NoGroup = 65534;

// A save replaces the file by a new one where it can: the new one must be the old one's in owner,
// group and mode, or the file is written in place, which keeps them.
TEST(ReplacedFile, KeepsItsOwnerGroupAndMode)
{
    if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another owner, as this test needs";
    const struct
    {
        const char *Name;
        Identity Old;
        bool AsOrdinaryUser;   // who saves: the temporary file cannot be given the old owner then
    } cases[] = {
        {"another user's shared file, saved by root", {Nobody, NoGroup, 0664}, false},
        {"a file with a set-group-id bit and another group", {0, NoGroup, 02664}, false},
        {"a private file", {0, 0, 0600}, false},
        {"root's file writable by all, saved by an ordinary user", {0, 0, 0666}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFile::Permissions(0x7777));   // an ordinary user may add files
        const QString path = dir.filePath("shared.txt");
        WriteAll(path, "old\r\n");
        ASSERT_EQ(::chown(path.toLocal8Bit().constData(), c.Old.Owner, c.Old.Group), 0);
        ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), c.Old.Mode), 0);
        FileWriteResult r;
        {
            std::optional<UnprivilegedScope> user;
            if (c.AsOrdinaryUser) {
                user.emplace();
                if (!user->Active()) GTEST_SKIP() << "no ordinary user to act as";
            }
            r = WriteFileSafely(FromQPath(path), "new text\r\n");
        }
        EXPECT_TRUE(r.Ok()) << r.ErrorText;
        EXPECT_EQ(ReadAll(path), "new text\r\n");
        EXPECT_EQ(IdentityOf(path), c.Old);
        EXPECT_EQ(Entries(dir.path()), QStringList{"shared.txt"});
    }
}

// Extended attributes (access lists among them) stay with the file.
TEST(ReplacedFile, KeepsItsExtendedAttributes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("notes.kas");
    WriteAll(path, "old\r\n");
    const QByteArray name = path.toLocal8Bit();
    const char tag[] = "reviewed by the team";
    if (::setxattr(name.constData(), "user.quillet.note", tag, sizeof tag - 1, 0) != 0)
        GTEST_SKIP() << "this file system takes no user attributes: " << std::strerror(errno);
    const FileWriteResult r = WriteFileSafely(FromQPath(path), "new text\r\n");
    EXPECT_TRUE(r.Ok()) << r.ErrorText;
    EXPECT_EQ(ReadAll(path), "new text\r\n");
    char value[64] = {};
    const ssize_t length = ::getxattr(name.constData(), "user.quillet.note", value, sizeof value);
    EXPECT_EQ(AnsiString(value, size_t(std::max<ssize_t>(length, 0))), tag) << std::strerror(errno);
}

TEST(WithReason, TheSystemsReasonFollowsOnALineOfItsOwn)
{
    EXPECT_EQ(WithReason("Error at opening the file \"a\"!", "Permission denied"),
              "Error at opening the file \"a\"!\r\nPermission denied");
    EXPECT_EQ(WithReason("Message.", ""), "Message.");
}

// A real small file system, where this machine lets a test mount one.
class SmallDisk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        QFile::setPermissions(Dir.path(), QFile::Permissions(0x7755));   // an ordinary user may enter
        Mount = Dir.filePath("disk");
        ASSERT_TRUE(QDir().mkpath(Mount));
        if (::mount("quillet-test", Mount.toLocal8Bit().constData(), "tmpfs", 0, "size=64k,mode=0777") != 0)
            GTEST_SKIP() << "no small file system to write on: mounting a 64 KiB tmpfs failed ("
                         << std::strerror(errno) << ")";
        Mounted = true;
    }
    void TearDown() override
    {
        if (Mounted && ::umount2(Mount.toLocal8Bit().constData(), MNT_DETACH) != 0)
            ADD_FAILURE() << "cannot unmount " << Mount.toStdString() << ": " << std::strerror(errno);
    }

    QTemporaryDir Dir;
    QString Mount;
    bool Mounted = false;
};

TEST_F(SmallDisk, AFileWithOtherNamesKeepsItsContentWhenTheNewOneDoesNotFit)
{
    const AnsiString old = Lines("old", 40000);
    const AnsiString bytes = Lines("new", 120000);
    for (const auto &writer : Writers) {
        SCOPED_TRACE(writer.Name);
        const QString path = Mount + "/a.kas", other = Mount + "/b.kas";
        QFile::remove(path);
        QFile::remove(other);
        WriteAll(path, old);
        ASSERT_EQ(::link(path.toLocal8Bit().constData(), other.toLocal8Bit().constData()), 0);
        AnsiString error;
        EXPECT_FALSE(writer.Write(FromQPath(path), bytes, error));
        EXPECT_EQ(error, std::strerror(ENOSPC));
        EXPECT_TRUE(SameBytes(ReadAll(path), old));
        EXPECT_EQ(Entries(Mount), (QStringList{"a.kas", "b.kas"}));
        const AnsiString fits = Lines("new", 50000);
        EXPECT_TRUE(writer.Write(FromQPath(other), fits, error)) << error;
        EXPECT_TRUE(SameBytes(ReadAll(path), fits));
    }
}

TEST_F(SmallDisk, AFileInAFolderThatRefusesNewFilesKeepsItsContentWhenTheNewOneDoesNotFit)
{
    const QString folder = Mount + "/ro";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "/registry.reg";
    const AnsiString old = Lines("old", 40000);
    for (const auto &writer : Writers) {
        SCOPED_TRACE(writer.Name);
        QFile::setPermissions(folder, QFile::Permissions(0x7777));
        WriteAll(path, old);
        QFile::setPermissions(path, QFile::Permissions(0x6666));
        QFile::setPermissions(folder, QFile::Permissions(0x5555));
        AnsiString error;
        bool tooBig = true, fits = false;
        {
            UnprivilegedScope user;
            if (!user.Active()) GTEST_SKIP() << "no ordinary user to act as, for a folder that refuses new files";
            tooBig = writer.Write(FromQPath(path), Lines("new", 120000), error);
            EXPECT_EQ(error, std::strerror(ENOSPC));
            EXPECT_TRUE(SameBytes(ReadAll(path), old));
            fits = writer.Write(FromQPath(path), Lines("new", 50000), error);
        }
        EXPECT_FALSE(tooBig);
        EXPECT_TRUE(fits) << error;
        EXPECT_TRUE(SameBytes(ReadAll(path), Lines("new", 50000)));
        EXPECT_EQ(Entries(folder), QStringList{"registry.reg"});
    }
}

} // namespace
