#include "shell/DocumentTestSupport.h"

#include "shell/Main.h"
#include "shell/_EditorWin.h"

#include <QCoreApplication>
#include <QFile>
#include <QMdiSubWindow>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

void WriteBytes(const AnsiString &path, const AnsiString &bytes)
{
    QFile file(ToQPath(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
}

void CloseWhileEventsRun(std::function<TForm_Editor *()> which, int round)
{
    QTimer::singleShot(0, qApp, [which = std::move(which), round]() mutable {
        if (round > 1) return CloseWhileEventsRun(std::move(which), round - 1);
        if (TForm_Editor *w = which()) {
            w->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    });
}

void DocumentTest::SetUp()
{
    ShellTest::SetUp();
    Boxes = std::make_unique<MessageBoxRecorder>();
    FileDialogs = std::make_unique<FileDialogRecorder>([this](TFileDialog &dialog) {
        if (dialog.Kind() != TFileDialog::fdSave) return false;
        if (SaveTakesProposed) {
            // As Enter in the dialog: the folder it shows and the name it proposes.
            if (ExtractFilePath(dialog.FileName).empty()) dialog.FileName = dialog.InitialDir + "/" + dialog.FileName;
            return true;
        }
        if (SaveAnswer.empty()) return false;
        dialog.FileName = SaveAnswer;
        if (SaveFilterAnswer > 0) dialog.FilterIndex = SaveFilterAnswer;
        return true;
    });
    Start();
    Show();
}

void DocumentTest::TearDown()
{
    // Windows left changed are closed without their prompts.
    if (Form)
        for (int i = 0; i < EditorCount(); ++i)
            if (TForm_Editor *w = Editor(i)) w->SetModified(false);
    ShellTest::TearDown();
    FileDialogs.reset();
    Boxes.reset();
}

TForm_Editor *DocumentTest::OpenFile(const AnsiString &name, const AnsiString &bytes, const AnsiString &kind)
{
    const AnsiString path = Root + "/" + name;
    WriteBytes(path, bytes);
    return Form->OpenDocument(path, kind);
}

TForm_Editor *DocumentTest::OpenNew(const AnsiString &name, const AnsiString &kind)
{
    return Form->OpenDocument(Root + "/" + name, kind);
}

int DocumentTest::EditorCount() const { return Form->MDIChildCount(); }

TForm_Editor *DocumentTest::Editor(int index) const
{
    for (int i = 0; i < Form->MDIChildCount(); ++i)
        if (auto *w = qobject_cast<TForm_Editor *>(Form->MDIChildren(i)); w && w->Tag == index) return w;
    return nullptr;
}

UnprivilegedScope::UnprivilegedScope()
{
    if (geteuid() != 0) return;
    Dropped = setegid(65534) == 0 && seteuid(65534) == 0;
}

UnprivilegedScope::~UnprivilegedScope()
{
    if (!Dropped) return;
    [[maybe_unused]] const int a = seteuid(0);
    [[maybe_unused]] const int b = setegid(0);
}

bool UnprivilegedScope::Active() const { return Dropped || geteuid() != 0; }

void OpenToEveryone(const AnsiString &folder)
{
    QFile::setPermissions(ToQPath(folder), QFile::Permissions(0x7755));
}

void DocumentTest::OpenUnreadable(const AnsiString &script, const AnsiString &table, TForm_Editor *&s,
                                  TForm_Editor *&t)
{
    for (const AnsiString &p : {script, table}) QFile::setPermissions(ToQPath(p), QFileDevice::WriteOwner);
    OpenToEveryone(Root);
    QFile::setPermissions(ToQPath(SettingsFile), QFileDevice::Permissions(0x6644));
    UnprivilegedScope user;
    ASSERT_TRUE(user.Active());
    s = Form->OpenDocument(script, "KAS_Document");
    t = Form->OpenDocument(table, "KAT_Document");
}
