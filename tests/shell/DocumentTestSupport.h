// Document windows opened for real in a main window of the test's own, with the message boxes and
// file dialogs answered by the test.
#pragma once

#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "shell/MainTestSupport.h"
#include "TestFiles.h"

#include <functional>
#include <memory>

class TForm_Editor;

class DocumentTest : public ShellTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A file under the test's folder with these bytes, opened through OpenDocument.
    TForm_Editor *OpenFile(const AnsiString &name, const AnsiString &bytes, const AnsiString &kind);
    // A path under the test's folder that does not exist, opened as a new document.
    TForm_Editor *OpenNew(const AnsiString &name, const AnsiString &kind);
    TForm_Editor *Editor(int index) const;   // window number index
    // Makes the script and the table unreadable to an ordinary user and opens both as one
    // (script as "KAS_Document", table as "KAT_Document").
    void OpenUnreadable(const AnsiString &script, const AnsiString &table, TForm_Editor *&s, TForm_Editor *&t);
    int EditorCount() const;

    // Every message box is recorded; answers are taken from Boxes->Answers (then the first button).
    std::unique_ptr<MessageBoxRecorder> Boxes;
    // File dialogs: none answers Cancel until a test sets SaveAnswer / OpenAnswer.
    std::unique_ptr<FileDialogRecorder> FileDialogs;
    AnsiString SaveAnswer;     // chosen file name; empty: Cancel
    int SaveFilterAnswer = 0;  // chosen filter index; 0 keeps the dialog's
    bool SaveTakesProposed = false;   // the save dialog is confirmed as it opens (SaveAnswer unused)
};

// Closes a document window as its close button does, while the program processes events: at the
// given round of event processing from now on (1: the next one). The window is destroyed at once,
// as it is when the event loop that closed it returns. which() names the window at that time.
void CloseWhileEventsRun(std::function<TForm_Editor *()> which, int round = 1);

// A file written byte for byte.
void WriteBytes(const AnsiString &path, const AnsiString &bytes);

// As root, file permissions stop nothing; while it lives the process acts as an ordinary user.
class UnprivilegedScope
{
public:
    UnprivilegedScope();
    ~UnprivilegedScope();
    bool Active() const;

private:
    bool Dropped = false;
};

// Makes a folder enterable and readable by an ordinary user.
void OpenToEveryone(const AnsiString &folder);
