// Saving where the file may be written although its folder takes no new file.
#include "shell/DocumentTestSupport.h"

#include "shell/DocumentFiles.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QDir>
#include <QFile>

namespace {

using SaveDocumentFiles = DocumentTest;

TEST_F(SaveDocumentFiles, AWritableFileInAFolderWithoutWritePermissionIsSavedInPlace)
{
    const AnsiString folder = Root + "/shared";
    ASSERT_TRUE(QDir().mkpath(ToQPath(folder)));
    const AnsiString path = folder + "/s.kas";
    TForm_Editor *w = OpenFile("shared/s.kas", "old text\n\r", KAS_Document);
    w->Memo1->SetText("new text");
    QFile::setPermissions(ToQPath(path), QFile::Permissions(0x6666));
    OpenToEveryone(Root);
    QFile::setPermissions(ToQPath(folder), QFile::Permissions(0x5555));
    bool saved = false;
    {
        UnprivilegedScope user;
        if (!user.Active()) GTEST_SKIP() << "no ordinary user to act as";
        saved = Form->SaveDocumentToFile(KAS_Document, path, w->Memo1);
    }
    QFile::setPermissions(ToQPath(folder), QFile::Permissions(0x7755));
    EXPECT_TRUE(saved);
    EXPECT_TRUE(Boxes->Calls.empty());
    EXPECT_EQ(ReadAll(ToQPath(path)), "new text\n\r");
    EXPECT_EQ(QDir(ToQPath(folder)).entryList(QDir::Files | QDir::Hidden), QStringList{"s.kas"});
}

} // namespace
