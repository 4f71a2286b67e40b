#include "platform/Files.h"

#include <QFileInfo>

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
