// The open and save dialogs and the folder chooser. Every showing goes through Execute /
// SelectDirectory, so a test can answer them through a responder instead of a user.
#pragma once

#include "platform/TStringList.h"
#include "platform/Text.h"
#include <QStringList>
#include <functional>
#include <vector>

enum : unsigned {
    ofOverwritePrompt = 0x0001,
    ofHideReadOnly = 0x0002,      // Qt's dialog has no read-only box: accepted and ignored
    ofAllowMultiSelect = 0x0004,
    ofPathMustExist = 0x0008,
    ofFileMustExist = 0x0010,
    ofEnableSizing = 0x0020,      // always sizeable
    ofNoChangeDir = 0x0040,       // the current folder is never changed
};

class TFileDialog
{
public:
    enum TKind { fdOpen, fdSave };

    AnsiString InitialDir;
    AnsiString Filter;            // "Name (*.ext)|*.ext|Name2|*.a;*.b"
    int FilterIndex = 1;          // 1-based; after Execute the filter the user chose
    AnsiString FileName;
    AnsiString DefaultExt;        // without the dot
    AnsiString Title;
    unsigned Options = ofHideReadOnly | ofEnableSizing;
    TStringList Files;            // every chosen file (one unless ofAllowMultiSelect)

    TKind Kind() const { return DialogKind; }
    // Shows the dialog; true when the user chose a file (FileName, Files, FilterIndex then set).
    bool Execute();

protected:
    explicit TFileDialog(TKind kind) : DialogKind(kind) {}

private:
    bool ExecuteReal();
    AnsiString Completed(const AnsiString &name) const;
    TKind DialogKind;
};

class TOpenDialog : public TFileDialog
{
public:
    TOpenDialog() : TFileDialog(fdOpen) {}
};

class TSaveDialog : public TFileDialog
{
public:
    TSaveDialog() : TFileDialog(fdSave) {}
};

// One "Name|patterns" pair of a filter; the patterns split at ";" and trimmed.
struct FileFilter
{
    AnsiString Name;
    std::vector<AnsiString> Patterns;
};
std::vector<FileFilter> ParseFileFilter(const AnsiString &filter);
// Qt name filters, one per pair: "Name (p1 p2)"; the dialog hides the bracket it adds.
QStringList QtNameFilters(const AnsiString &filter);
// 1-based index of a Qt name filter (or of its shown name) in a filter; 1 when it is not there.
int FilterIndexOf(const AnsiString &filter, const QString &nameFilter);
// A name whose last part has no extension gets "." + defaultExt.
AnsiString ApplyDefaultExt(const AnsiString &fileName, const AnsiString &defaultExt);

// The responder plays the user: it reads the dialog's settings, sets FileName (and FilterIndex,
// Files) and returns true for OK. DefaultExt is applied to its FileName as the dialog would.
using FileDialogResponder = std::function<bool(TFileDialog &)>;
void SetFileDialogResponder(FileDialogResponder responder);
const FileDialogResponder &CurrentFileDialogResponder();

// The folder chooser: true and dir set (no trailing "/") when the user chose a folder.
// An empty dir starts at root.
bool SelectDirectory(const AnsiString &caption, const AnsiString &root, AnsiString &dir);

struct SelectDirectoryCall
{
    AnsiString Caption;
    AnsiString Root;
    AnsiString Dir;               // the folder shown first
};
// Returns true for OK after setting dir.
using SelectDirectoryResponder = std::function<bool(const SelectDirectoryCall &, AnsiString &dir)>;
void SetSelectDirectoryResponder(SelectDirectoryResponder responder);

// For tests: records a copy of each file dialog as it was shown and answers with the given function
// (none: Cancel); restores the previous responder on destruction.
class FileDialogRecorder
{
public:
    explicit FileDialogRecorder(FileDialogResponder answer = nullptr);
    ~FileDialogRecorder();
    FileDialogRecorder(const FileDialogRecorder &) = delete;
    FileDialogRecorder &operator=(const FileDialogRecorder &) = delete;

    std::vector<TFileDialog> Calls;

private:
    FileDialogResponder Previous;
};
