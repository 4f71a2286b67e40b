#include "FileWatch.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

FileStamp StampOf(const AnsiString &path)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return {};
    return {(long long)st.st_size, (long long)st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
            (unsigned long long)st.st_ino};
}

FileTree ScanFiles(const AnsiString &folder)
{
    FileTree tree;
    QDirIterator it(ToQPath(folder), QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const AnsiString path = FromQPath(it.next());
        tree[path] = StampOf(path);
    }
    return tree;
}

FileChanges Compare(const FileTree &before, const FileTree &after)
{
    FileChanges changes;
    for (const auto &[path, stamp] : after) {
        const auto old = before.find(path);
        if (old == before.end())
            changes.Added.push_back(path);
        else if (!(old->second == stamp))
            changes.Changed.push_back(path);
    }
    for (const auto &[path, stamp] : before)
        if (!after.count(path)) changes.Removed.push_back(path);
    return changes;
}

FileContents ReadFiles(const AnsiString &place)
{
    FileContents contents;
    const FileTree files = QFileInfo(ToQPath(place)).isDir() ? ScanFiles(place) : FileTree{{place, StampOf(place)}};
    for (const auto &[path, stamp] : files) {
        QFile file(ToQPath(path));
        if (stamp.Size >= 0 && file.open(QIODevice::ReadOnly)) contents[path] = file.readAll().toStdString();
    }
    return contents;
}
