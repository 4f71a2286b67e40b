// The settings file is written like a document: replaced whole where its folder allows it, in
// place where the folder takes no new file (no lock file, no temporary) but the file may be written.
#include "platform/SettingsFile.h"
#include "shell/DocumentTestSupport.h"
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList Entries(const QString &dir) { return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

TEST(SettingsFileWrite, AFolderThatRefusesNewFilesGetsTheWriteInPlace)
{
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::Permissions(0x7755));
    const QString folder = dir.filePath("cfg");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString writable = folder + "/registry.reg";
    const QString readOnly = folder + "/other.reg";
    WriteAll(writable, "old");
    WriteAll(readOnly, "old");
    QFile::setPermissions(writable, QFile::Permissions(0x6666));
    QFile::setPermissions(readOnly, QFile::Permissions(0x4444));
    QFile::setPermissions(folder, QFile::Permissions(0x5555));

    bool lockedWritable = false, lockedReadOnly = true, wroteWritable = false, wroteReadOnly = true;
    AnsiString error;
    {
        UnprivilegedScope user;
        if (!user.Active()) GTEST_SKIP() << "no ordinary user to act as";
        {
            SettingsFileLock lock(FromQPath(writable));
            lockedWritable = lock.Locked();
            wroteWritable = WriteFileAtomically(FromQPath(writable), "new settings", error);
        }
        {
            SettingsFileLock lock(FromQPath(readOnly));
            lockedReadOnly = lock.Locked();
            wroteReadOnly = WriteFileAtomically(FromQPath(readOnly), "new settings", error);
        }
    }
    QFile::setPermissions(folder, QFile::Permissions(0x7755));
    EXPECT_TRUE(lockedWritable);
    EXPECT_TRUE(wroteWritable);
    EXPECT_EQ(ReadAll(writable), "new settings");
    EXPECT_FALSE(lockedReadOnly);
    EXPECT_FALSE(wroteReadOnly);
    EXPECT_EQ(ReadAll(readOnly), "old");
    EXPECT_EQ(Entries(folder), (QStringList{"other.reg", "registry.reg"}));
}

TEST(SettingsFileWrite, ASettingsFileWithAnotherNameKeepsIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("registry.reg");
    const QString other = dir.filePath("linked.reg");
    WriteAll(path, "old");
    ASSERT_EQ(::link(path.toLocal8Bit().constData(), other.toLocal8Bit().constData()), 0);
    AnsiString error;
    ASSERT_TRUE(WriteFileAtomically(FromQPath(path), "new", error)) << error;
    EXPECT_EQ(ReadAll(other), "new");
}

} // namespace
