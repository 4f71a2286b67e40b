#include "platform/FileDialogs.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <utility>

namespace {

FileDialogResponder &FileResponder()
{
    static FileDialogResponder responder;
    return responder;
}

SelectDirectoryResponder &FolderResponder()
{
    static SelectDirectoryResponder responder;
    return responder;
}

std::vector<AnsiString> Split(const AnsiString &s, char separator)
{
    std::vector<AnsiString> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = s.find(separator, start);
        parts.push_back(s.substr(start, at == AnsiString::npos ? AnsiString::npos : at - start));
        if (at == AnsiString::npos) return parts;
        start = at + 1;
    }
}

QWidget *DialogParent()
{
    if (QWidget *active = QApplication::activeWindow()) return active;
    return ApplicationWindow();
}

QFileDialog::FileMode FileModeOf(TFileDialog::TKind kind, unsigned options)
{
    if (kind == TFileDialog::fdSave) return QFileDialog::AnyFile;
    if (options & ofAllowMultiSelect) return QFileDialog::ExistingFiles;
    return (options & ofFileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile;
}

} // namespace

std::vector<FileFilter> ParseFileFilter(const AnsiString &filter)
{
    std::vector<FileFilter> result;
    if (filter.empty()) return result;
    const std::vector<AnsiString> parts = Split(filter, '|');
    for (size_t i = 0; i < parts.size(); i += 2) {
        FileFilter f{parts[i], {}};
        if (i + 1 < parts.size())
            for (const AnsiString &p : Split(parts[i + 1], ';'))
                if (!Trim(p).empty()) f.Patterns.push_back(Trim(p));
        if (f.Patterns.empty()) f.Patterns.push_back("*");
        result.push_back(f);
    }
    return result;
}

QStringList QtNameFilters(const AnsiString &filter)
{
    QStringList list;
    for (const FileFilter &f : ParseFileFilter(filter)) {
        QStringList patterns;
        for (const AnsiString &p : f.Patterns) patterns << ToQ(p);
        list << ToQ(f.Name) + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return list;
}

int FilterIndexOf(const AnsiString &filter, const QString &nameFilter)
{
    // The dialog may give back the filter as shown, without the bracket it hides.
    const QStringList full = QtNameFilters(filter);
    const std::vector<FileFilter> pairs = ParseFileFilter(filter);
    for (int i = 0; i < int(full.size()); ++i)
        if (full[i] == nameFilter) return i + 1;
    for (int i = 0; i < int(pairs.size()); ++i)
        if (ToQ(pairs[size_t(i)].Name).trimmed() == nameFilter.trimmed()) return i + 1;
    return 1;
}

AnsiString ApplyDefaultExt(const AnsiString &fileName, const AnsiString &defaultExt)
{
    if (fileName.empty() || defaultExt.empty() || fileName.back() == '/') return fileName;
    if (!ExtractFileExt(fileName).empty()) return fileName;
    return fileName + "." + defaultExt;
}

// An open dialog takes an existing file as it is; only a name that is not there gets the extension.
AnsiString TFileDialog::Completed(const AnsiString &name) const
{
    if (DialogKind == fdOpen && QFileInfo::exists(ToQPath(name))) return name;
    return ApplyDefaultExt(name, DefaultExt);
}

bool TFileDialog::Execute()
{
    Files.Clear();
    const FileDialogResponder responder = FileResponder();
    if (!responder) return ExecuteReal();
    if (!responder(*this)) return false;
    if (Files.Count() == 0) {
        Files.Add(FileName);
    } else if (FileName.empty()) {
        FileName = Files[0];
    }
    TStringList chosen;
    for (const AnsiString &f : Files) chosen.Add(Completed(f));
    Files.Assign(chosen);
    FileName = Completed(FileName);
    return true;
}

bool TFileDialog::ExecuteReal()
{
    QFileDialog dialog(DialogParent());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (!Title.empty()) dialog.setWindowTitle(ToQ(Title));
    dialog.setAcceptMode(DialogKind == fdSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(FileModeOf(DialogKind, Options));
    if (DialogKind == fdSave) {
        // The dialog then asks about overwriting under the completed name.
        dialog.setDefaultSuffix(ToQ(DefaultExt));
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !(Options & ofOverwritePrompt));
    }

    const QStringList filters = QtNameFilters(Filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(FilterIndex - 1, filters.first()));
    }
    // A file name with a folder starts there, as the system dialog does.
    const AnsiString folder = ExtractFilePath(FileName).empty() ? InitialDir : ExtractFilePath(FileName);
    if (!folder.empty()) dialog.setDirectory(ToQPath(folder));
    if (!ExtractFileName(FileName).empty()) dialog.selectFile(ToQPath(ExtractFileName(FileName)));

    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList selected = dialog.selectedFiles();
    if (selected.isEmpty()) return false;
    for (const QString &f : selected) Files.Add(Completed(FromQPath(f)));
    FileName = Files[0];
    if (!filters.isEmpty()) FilterIndex = FilterIndexOf(Filter, dialog.selectedNameFilter());
    return true;
}

void SetFileDialogResponder(FileDialogResponder responder) { FileResponder() = std::move(responder); }
const FileDialogResponder &CurrentFileDialogResponder() { return FileResponder(); }

bool SelectDirectory(const AnsiString &caption, const AnsiString &root, AnsiString &dir)
{
    const AnsiString start = dir.empty() ? root : dir;
    if (const SelectDirectoryResponder responder = FolderResponder())
        return responder(SelectDirectoryCall{caption, root, start}, dir);

    const QString chosen = QFileDialog::getExistingDirectory(
        DialogParent(), ToQ(caption), ToQPath(start),
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (chosen.isEmpty()) return false;
    dir = FromQPath(chosen);
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return true;
}

void SetSelectDirectoryResponder(SelectDirectoryResponder responder) { FolderResponder() = std::move(responder); }

FileDialogRecorder::FileDialogRecorder(FileDialogResponder answer) : Previous(FileResponder())
{
    SetFileDialogResponder([this, answer = std::move(answer)](TFileDialog &dialog) {
        Calls.push_back(dialog);
        return answer ? answer(dialog) : false;
    });
}

FileDialogRecorder::~FileDialogRecorder() { SetFileDialogResponder(std::move(Previous)); }
