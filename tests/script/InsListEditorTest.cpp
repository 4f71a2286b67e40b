// The fast-insert list editor: list file names, reading and writing list files, the editor page
// and its effect on the fast-insert popup.
#include "editing/SettingsDlg.h"
#include "platform/Dialogs.h"
#include "platform/TIniFile.h"
#include "platform/ToolBar.h"
#include "script/InsListEditor.h"
#include "script/InsListFiles.h"
#include "shell/DocumentTestSupport.h"
#include "shell/Main.h"
#include "synedit/SynCompletionProposal.h"
#include "TestFiles.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTreeWidget>

using Rows = std::vector<std::pair<AnsiString, AnsiString>>;

// Caption and item of each entry.
static Rows Pairs(const std::vector<TFastInsertEntry> &entries)
{
    Rows rows;
    for (const TFastInsertEntry &e : entries) rows.emplace_back(e.Caption, e.Item);
    return rows;
}

TEST(InsListFileNames, ForbiddenCharactersAreRemovedAndTheExtensionAdded)
{
    const struct
    {
        const char *Typed, *Clean;
    } cleaned[] = {
        {"my list?.il", "mylist.il"},
        {"a**b", "ab"},
        {" \"'*/:?\\`", ""},
        {"plain.il", "plain.il"},
    };
    for (const auto &c : cleaned) EXPECT_EQ(CleanListFileName(c.Typed), c.Clean) << c.Typed;

    const struct
    {
        const char *Name, *Full;
    } extended[] = {{"", "inslist.il"}, {"list", "list.il"}, {"List.IL", "List.IL"}, {"a.txt", "a.txt.il"}};
    for (const auto &c : extended) EXPECT_EQ(ListFileNameWithExtension(c.Name), c.Full) << c.Name;
}

class InsListFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Folder = FromQPath(Dir.path());
    }
    AnsiString Path(const AnsiString &name) const { return Folder + "/" + name; }
    // A list file that must be readable.
    static InsList ReadList(const AnsiString &path)
    {
        AnsiString error;
        InsList list = ReadInsList(path, error);
        EXPECT_EQ(error, "") << path;
        return list;
    }

    QTemporaryDir Dir;
    AnsiString Folder;
};

TEST_F(InsListFile, ReadingStopsAtTheFirstEntryWithBothHalvesEmpty)
{
    WriteAll(ToQPath(Path("a.il")), "[Captions]\r\n0=A\r\n1=B\r\n3=D\r\n[Items]\r\n0=a\r\n1=\r\n3=d\r\n");
    const InsList list = ReadList(Path("a.il"));
    EXPECT_EQ(Pairs(list.Entries), (Rows{{"A", "a"}, {"B", ""}}));
    EXPECT_EQ(list.Description, "");
    AnsiString error;
    EXPECT_TRUE(ReadInsList(Path("missing.il"), error).Entries.empty());
    EXPECT_EQ(error, "");   // no list yet is no failure
}

TEST_F(InsListFile, WritingReplacesTheEntriesAndKeepsOtherSections)
{
    WriteAll(ToQPath(Path("a.il")), "[Mine]\r\nk=v\r\n[Captions]\r\n0=0\r\n1=1\r\n2=2\r\n3=3\r\n4=4\r\n"
                                     "[Items]\r\n0=0\r\n1=1\r\n2=2\r\n3=3\r\n4=4\r\n");
    WriteInsList(Path("a.il"), {"Three rows", {{"A", "a"}, {"B", "b"}, {"C", "c"}}});
    TIniFile ini(Path("a.il"));
    for (const char *section : {"Captions", "Items"}) {
        TStringList keys;
        ini.ReadSection(section, keys);
        EXPECT_EQ(keys.Text(), "0\r\n1\r\n2\r\n") << section;
    }
    EXPECT_EQ(ini.ReadString("Mine", "k", ""), "v");
    EXPECT_EQ(ini.ReadString("Information", "Description", ""), "Three rows");
    EXPECT_FALSE(ini.ReadString("Information", "DateTime", "").empty());
    EXPECT_EQ(ReadList(Path("a.il")).Entries.size(), 3u);
}

// The reader stops at the first pair with both halves empty (as the file keeps them: blanks at
// the ends are not kept, a line break becomes a blank), so the writer never puts one before other
// entries: the entries after it would be lost.
TEST_F(InsListFile, AnEmptyPairIsNotWrittenBeforeOtherEntries)
{
    const struct
    {
        const char *Caption, *Item;
    } empties[] = {{"", ""}, {"  ", " "}, {"\t", ""}, {"\r\n", " \r"}};
    for (const auto &e : empties) {
        WriteInsList(Path("e.il"), {"", {{"A", "a"}, {e.Caption, e.Item}, {"C", "c"}, {"", "d"}, {"E", ""}}});
        EXPECT_EQ(Pairs(ReadList(Path("e.il")).Entries), (Rows{{"A", "a"}, {"C", "c"}, {"", "d"}, {"E", ""}}))
            << "[" << e.Caption << "][" << e.Item << "]";
        TIniFile ini(Path("e.il"));
        TStringList keys;
        ini.ReadSection("Captions", keys);
        EXPECT_EQ(keys.Text(), "0\r\n1\r\n2\r\n3\r\n");
    }
}

TEST_F(InsListFile, TheFolderScanFindsListFilesOnly)
{
    WriteAll(ToQPath(Path("a.il")), "");
    WriteAll(ToQPath(Path("B.IL")), "");
    WriteAll(ToQPath(Path("c.txt")), "");
    std::vector<AnsiString> names = ListFilesOf(Folder);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<AnsiString>{"B.IL", "a.il"}));
}

// ---------------------------------------------------------------------------------------------
// The editor page on its own

class InsListPage : public InsListFile
{
protected:
    void SetUp() override
    {
        InsListFile::SetUp();
        Page = std::make_unique<TInsListEditor>(Folder);
    }
    void Type(const AnsiString &name) { Page->ComboBox1->setEditText(ToQ(name)); }
    void AddEntry(const AnsiString &caption, const AnsiString &item)
    {
        Page->Edit7->setText(ToQ(caption));
        Page->Edit8->setText(ToQ(item));
        ASSERT_TRUE(Page->ToolButton10->Enabled());
        Page->ToolButton10Click();
    }
    Rows TableRows() const
    {
        Rows rows;
        for (int i = 0; i < Page->RowCount(); ++i) rows.emplace_back(Page->RowCaption(i), Page->RowItem(i));
        return rows;
    }
    QStringList FileList() const
    {
        QStringList names;
        for (int i = 0; i < Page->ComboBox1->count(); ++i) names << Page->ComboBox1->itemText(i);
        names.sort();
        return names;
    }

    // five.il with the rows (c0, i0) to (c4, i4), shown for keys and clicks.
    const Rows Five{{"c0", "i0"}, {"c1", "i1"}, {"c2", "i2"}, {"c3", "i3"}, {"c4", "i4"}};
    void ShowFive()
    {
        AnsiString text = "[Captions]\r\n";
        for (int i = 0; i < 5; ++i) text += IntToStr(i) + "=c" + IntToStr(i) + "\r\n";
        text += "[Items]\r\n";
        for (int i = 0; i < 5; ++i) text += IntToStr(i) + "=i" + IntToStr(i) + "\r\n";
        WriteAll(ToQPath(Path("five.il")), text);
        Page->FormCreate("five.il");
        Page->resize(600, 500);
        Page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Page.get()));
        ASSERT_EQ(TableRows(), Five);
    }
    void ClickRow(int row)
    {
        QTreeWidgetItem *item = Page->ListView1->topLevelItem(row);
        QTest::mouseClick(Page->ListView1->viewport(), Qt::LeftButton, {},
                          Page->ListView1->visualItemRect(item).center());
    }
    static void Retype(QLineEdit *field, const char *typed)
    {
        QTest::mouseClick(field, Qt::LeftButton);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, typed);
    }

    std::unique_ptr<TInsListEditor> Page;
};

TEST_F(InsListPage, OpeningLoadsTheCurrentFileWithItsDescription)
{
    WriteAll(ToQPath(Path("InsList.il")), "[Information]\r\nDescription=Mine\r\n[Captions]\r\n0=Hello\r\n"
                                          "[Items]\r\n0=!?CM0;\r\n");
    Page->FormCreate("InsList.il");
    EXPECT_EQ(TableRows(), (Rows{{"Hello", "!?CM0;"}}));
    EXPECT_EQ(Page->Edit5->text(), "Mine");
    EXPECT_EQ(Page->SavedDescription, "Mine");
    EXPECT_TRUE(Page->Label5->isHidden());
    EXPECT_EQ(FileList(), QStringList{"InsList.il"});
    EXPECT_TRUE(Page->ToolButton14->Enabled());
    EXPECT_FALSE(Page->ToolButton10->Enabled());

    Page->Edit5->setText("Changed");
    EXPECT_FALSE(Page->Label5->isHidden());
}

// A list file that cannot be read shows no rows, and the user is told why: saved as shown, the
// file would lose its entries.
TEST_F(InsListPage, AnUnreadableListIsReportedWithItsReason)
{
    MessageBoxRecorder boxes;
    const AnsiString path = Path("locked.il");
    WriteAll(ToQPath(path), "[Captions]\r\n0=A\r\n[Items]\r\n0=a\r\n");
    QFile::setPermissions(ToQPath(path), QFileDevice::WriteOwner);
    OpenToEveryone(Folder);
    {
        UnprivilegedScope user;
        ASSERT_TRUE(user.Active());
        Page->FormCreate("locked.il");
    }
    EXPECT_TRUE(TableRows().empty());
    ASSERT_EQ(boxes.Calls.size(), 1u);
    const AnsiString message = "Cannot read the file \"" + path + "\".";
    EXPECT_EQ(boxes.Calls[0].Text.substr(0, message.size()), message);
    EXPECT_GT(boxes.Calls[0].Text.size(), message.size() + 2) << "no reason given";
}

TEST_F(InsListPage, ATypedNameLosesBlanksAndForbiddenCharacters)
{
    Page->FormCreate("");
    EXPECT_FALSE(Page->ToolButton13->Enabled());
    Type("my li?st");
    EXPECT_EQ(Page->ComboBox1->currentText(), "mylist");
    EXPECT_TRUE(Page->ToolButton13->Enabled());
    Type("a*/b");
    EXPECT_EQ(Page->ComboBox1->currentText(), "ab");
}

TEST_F(InsListPage, ANewNameKeepsTheRowsAndWritingStoresThemUnderIt)
{
    WriteAll(ToQPath(Path("old.il")), "[Captions]\r\n0=A\r\n[Items]\r\n0=a\r\n");
    Page->FormCreate("old.il");
    Type("new");
    EXPECT_EQ(TableRows().size(), 1u);
    EXPECT_FALSE(Page->Label5->isHidden());
    Page->ToolButton13Click();
    EXPECT_EQ(Page->ComboBox1->currentText(), "new.il");
    EXPECT_TRUE(Page->Label5->isHidden());
    EXPECT_EQ(Pairs(ReadList(Path("new.il")).Entries), (Rows{{"A", "a"}}));
    EXPECT_EQ(FileList(), (QStringList{"new.il", "old.il"}));
}

TEST_F(InsListPage, WritingWithAnEmptyNameWritesInslist)
{
    Page->FormCreate("");
    AddEntry("C", "i");
    Page->ToolButton13Click();
    EXPECT_EQ(Page->ComboBox1->currentText(), "inslist.il");
    EXPECT_TRUE(QFile::exists(ToQPath(Path("inslist.il"))));
}

TEST_F(InsListPage, EntryButtonsFollowTheTableAndTheFields)
{
    Page->FormCreate("x.il");
    EXPECT_FALSE(Page->ToolButton10->Enabled());
    Page->Edit7->setText("C");
    EXPECT_FALSE(Page->ToolButton10->Enabled());
    Page->Edit8->setText("I");
    EXPECT_TRUE(Page->ToolButton10->Enabled());
    EXPECT_FALSE(Page->Label6->isHidden());
    Page->ToolButton10Click();
    EXPECT_TRUE(Page->Label6->isHidden());
    EXPECT_FALSE(Page->Label5->isHidden());
    EXPECT_TRUE(Page->ToolButton14->Enabled());
    AddEntry("D", "J");

    Page->ListView1->setCurrentItem(Page->ListView1->topLevelItem(0));
    EXPECT_EQ(Page->Edit7->text(), "C");
    EXPECT_TRUE(Page->ToolButton9->Enabled());
    EXPECT_TRUE(Page->ToolButton8->Enabled());
    Page->Edit8->setText("changed");
    Page->ToolButton9Click();
    EXPECT_EQ(TableRows()[0], (std::pair<AnsiString, AnsiString>{"C", "changed"}));
    // After a change "Delete all items" waits for the table to change again.
    EXPECT_FALSE(Page->ToolButton14->Enabled());
    EXPECT_FALSE(Page->ToolButton9->Enabled());

    Page->ListView1->setCurrentItem(Page->ListView1->topLevelItem(1));
    Page->ToolButton8Click();
    EXPECT_EQ(TableRows().size(), 1u);
    EXPECT_TRUE(Page->Edit7->text().isEmpty());
    EXPECT_TRUE(Page->ToolButton14->Enabled());
    Page->ToolButton14Click();
    EXPECT_EQ(TableRows().size(), 0u);
    for (TToolButton *b : {Page->ToolButton14, Page->ToolButton8, Page->ToolButton9, Page->ToolButton10})
        EXPECT_FALSE(b->Enabled());
}

// Emptying a row's fields leaves nothing that Change could store: the row keeps its texts, and
// a list written and read back keeps every row. Fields are edited with keys, buttons clicked.
TEST_F(InsListPage, ChangeNeedsWhatAddNeedsSoNoRowIsEmptied)
{
    ASSERT_NO_FATAL_FAILURE(ShowFive());

    const struct
    {
        const char *Caption, *Item;
        bool CanChange;
    } fields[] = {
        {"", "", false}, {"", "x", false}, {"x", "", false}, {" ", "  ", false}, {" ", "x", false},
        {"x", "y", true},
    };
    for (const auto &f : fields) {
        ClickRow(0);   // a row chosen again fills the fields again
        ClickRow(1);
        ASSERT_EQ(Page->Edit7->text(), "c1");
        EXPECT_TRUE(Page->ToolButton9->isEnabled());
        Retype(Page->Edit7, f.Caption);
        Retype(Page->Edit8, f.Item);
        EXPECT_EQ(Page->ToolButton9->isEnabled(), f.CanChange) << "[" << f.Caption << "][" << f.Item << "]";
        EXPECT_EQ(Page->ToolButton10->isEnabled(), f.CanChange) << "[" << f.Caption << "][" << f.Item << "]";
        if (f.CanChange) break;
        QTest::mouseClick(Page->ToolButton9, Qt::LeftButton);
        EXPECT_EQ(TableRows(), Five) << "[" << f.Caption << "][" << f.Item << "]";
    }
    // After a change the button waits for the next row chosen, whatever the fields hold.
    QTest::mouseClick(Page->ToolButton9, Qt::LeftButton);
    EXPECT_EQ(TableRows()[1], (std::pair<AnsiString, AnsiString>{"x", "y"}));
    EXPECT_FALSE(Page->ToolButton9->isEnabled());
    QTest::keyClicks(Page->Edit8, "z");
    EXPECT_FALSE(Page->ToolButton9->isEnabled());

    QTest::mouseClick(Page->ToolButton13, Qt::LeftButton);
    Rows written = Five;
    written[1] = {"x", "y"};
    EXPECT_EQ(Pairs(ReadList(Path("five.il")).Entries), written);
    Type("");
    Type("five.il");   // read back into the page
    EXPECT_EQ(TableRows(), written);
}

// A list file keeps no blank at either end of a caption or an item: such a text is not stored, and
// the user is told why, instead of finding it changed after the next reading.
TEST_F(InsListPage, ATextTheFileWouldChangeIsNotStored)
{
    MessageBoxRecorder boxes;
    ASSERT_NO_FATAL_FAILURE(ShowFive());
    const struct
    {
        const char *Caption, *Item, *Field;
    } fields[] = {{" x", "y", "caption"}, {"x", "y ", "item"}, {"x ", " y", "caption"}};
    for (TToolButton *button : {Page->ToolButton10, Page->ToolButton9})
        for (const auto &f : fields) {
            boxes.Calls.clear();
            ClickRow(0);
            ClickRow(1);
            Retype(Page->Edit7, f.Caption);
            Retype(Page->Edit8, f.Item);
            ASSERT_TRUE(button->isEnabled()) << f.Caption << "|" << f.Item;
            QTest::mouseClick(button, Qt::LeftButton);
            EXPECT_EQ(TableRows(), Five) << f.Caption << "|" << f.Item;
            ASSERT_EQ(boxes.Calls.size(), 1u) << f.Caption << "|" << f.Item;
            const AnsiString text = AnsiString("The ") + f.Field + " \"";
            EXPECT_EQ(boxes.Calls[0].Text.substr(0, text.size()), text);
            EXPECT_NE(boxes.Calls[0].Text.find("blank"), AnsiString::npos) << boxes.Calls[0].Text;
        }
    EXPECT_TRUE(Page->Label5->isHidden());   // nothing to save

    // The description likewise: the file is not written.
    const AnsiString before = ReadFileBytes(Path("five.il"));
    boxes.Calls.clear();
    Retype(Page->Edit5, "Mine ");
    QTest::mouseClick(Page->ToolButton13, Qt::LeftButton);
    EXPECT_EQ(ReadFileBytes(Path("five.il")), before);
    ASSERT_EQ(boxes.Calls.size(), 1u);
    EXPECT_EQ(boxes.Calls[0].Text.substr(0, 17), "The description \"");
    EXPECT_FALSE(Page->Label5->isHidden());
}

TEST_F(InsListPage, PresetsReplaceOrAppendByTheMode)
{
    Page->FormCreate("x.il");
    QAction *trigger = nullptr;
    for (QAction *group : Page->PopupMenu4->actions())
        if (group->menu() && group->text() == "KAS")
            for (QAction *item : group->menu()->actions())
                if (item->text() == "Trigger (!?)") trigger = item;
    ASSERT_NE(trigger, nullptr);

    EXPECT_TRUE(Page->Replacemode1->isChecked());
    Page->Edit8->setText("x");
    trigger->trigger();
    EXPECT_EQ(Page->Edit8->text(), "!?");
    EXPECT_EQ(Page->Edit7->text(), "Trigger");

    Page->Replacemode1->trigger();   // clicking the checked mode switches to the other
    EXPECT_TRUE(Page->Insertmode1->isChecked());
    EXPECT_FALSE(Page->Replacemode1->isChecked());
    Page->Edit7->setText("kept");
    Page->Edit8->setText("x");
    trigger->trigger();
    trigger->trigger();
    EXPECT_EQ(Page->Edit8->text(), "x!?!?");
    EXPECT_EQ(Page->Edit7->text(), "kept");
    Page->Insertmode1->trigger();
    EXPECT_TRUE(Page->Replacemode1->isChecked());
}

TEST_F(InsListPage, TheSeparatorItemsCarryTheirCrossedTokens)
{
    Page->FormCreate("x.il");
    Page->Replacemode1->setChecked(true);
    for (QAction *group : Page->PopupMenu4->actions())
        if (group->menu() && group->text() == "Separators")
            for (QAction *item : group->menu()->actions()) {
                if (item->text().startsWith("Separator (=)")) {
                    item->trigger();
                    EXPECT_EQ(Page->Edit8->text(), "[_SEPAR4_]");
                    EXPECT_EQ(Page->Edit7->text(), "Separator (=====)");
                }
                if (item->text().startsWith("Separator (#)")) {
                    item->trigger();
                    EXPECT_EQ(Page->Edit8->text(), "[_SEPAR5_]");
                }
            }
}

TEST_F(InsListPage, DeletingTheFileClearsThePageAndTheFileList)
{
    WriteAll(ToQPath(Path("gone.il")), "[Captions]\r\n0=A\r\n[Items]\r\n0=a\r\n");
    Page->FormCreate("gone.il");
    Page->ToolButton7Click();
    EXPECT_FALSE(QFile::exists(ToQPath(Path("gone.il"))));
    EXPECT_EQ(TableRows().size(), 0u);
    EXPECT_TRUE(Page->ComboBox1->currentText().isEmpty());
    EXPECT_TRUE(FileList().isEmpty());
    EXPECT_FALSE(Page->ToolButton14->Enabled());
}

// Delete is there only while the name is that of an existing list file: after a deletion a
// second click has nothing to delete (not the program folder), and no other file is ever deleted.
TEST_F(InsListPage, DeleteIsOnlyForAnExistingListFile)
{
    MessageBoxRecorder boxes;
    for (const char *name : {"gone.il", "UP.IL", "notes.txt"}) WriteAll(ToQPath(Path(name)), "[Captions]\r\n0=A\r\n");
    ASSERT_TRUE(QDir().mkdir(ToQPath(Path("folder.il"))));
    Page->FormCreate("gone.il");
    Page->show();
    const struct
    {
        const char *Name;
        bool CanDelete;
    } names[] = {{"notes.txt", false}, {"missing.il", false}, {"folder.il", false}, {"UP.IL", true}, {"gone.il", true}};
    for (const auto &n : names) {
        Page->ComboBox1->lineEdit()->clear();
        QTest::keyClicks(Page->ComboBox1->lineEdit(), n.Name);
        EXPECT_EQ(Page->ToolButton7->isEnabled(), n.CanDelete) << n.Name;
        const bool existed = QFileInfo::exists(ToQPath(Path(n.Name)));
        QTest::mouseClick(Page->ToolButton7, Qt::LeftButton);
        EXPECT_EQ(QFileInfo::exists(ToQPath(Path(n.Name))), existed && !n.CanDelete) << n.Name;
    }
    EXPECT_TRUE(Page->ComboBox1->currentText().isEmpty());
    EXPECT_FALSE(Page->ToolButton7->isEnabled());
    QTest::mouseClick(Page->ToolButton7, Qt::LeftButton);
    Page->ToolButton7Click();   // even when reached otherwise, an empty name deletes nothing
    EXPECT_TRUE(QFileInfo(ToQPath(Folder)).isDir());
    EXPECT_TRUE(QFile::exists(ToQPath(Path("notes.txt"))));
    EXPECT_TRUE(boxes.Calls.empty());

    // A list that is written can be deleted at once.
    QTest::keyClicks(Page->ComboBox1->lineEdit(), "fresh");
    EXPECT_FALSE(Page->ToolButton7->isEnabled());
    QTest::mouseClick(Page->ToolButton13, Qt::LeftButton);
    EXPECT_TRUE(QFile::exists(ToQPath(Path("fresh.il"))));
    EXPECT_TRUE(Page->ToolButton7->isEnabled());
}

// ---------------------------------------------------------------------------------------------
// Through the settings dialog into the fast-insert popup

namespace {

class InsListPopup : public DocumentTest
{
protected:
    void RunDialog(const std::function<void(TInsListEditor &)> &user)
    {
        ModalRecorder modal([&](QDialog *dialog) {
            auto *form = qobject_cast<TSettings_Form *>(dialog);
            if (!form) return int(mrCancel);
            user(*form->InsListEditor);
            form->ToolButton1Click();
            return int(mrOk);
        });
        ASSERT_TRUE(Form->Settings1->Execute());
    }
    const TStringList &PopupInserts() const { return Form->SynCompletionProposal1->InsertList; }
};

} // namespace

TEST_F(InsListPopup, CreatingAddingAndDeletingAListShowInThePopup)
{
    // The popup's own loader must read a list first: what follows looks at the popup.
    WriteAll(ToQPath(ProgramFolder + "/probe.il"), "[Captions]\r\n0=p\r\n[Items]\r\n0=p\r\n");
    EXPECT_EQ(LoadFastInsertList(Form, ProgramFolder + "/probe.il"), "");
    ASSERT_EQ(PopupInserts().Count(), 1) << "the fast-insert popup does not read list files";

    RunDialog([](TInsListEditor &page) {
        page.ComboBox1->setEditText("mine");
        page.Edit7->setText("Greeting");
        page.Edit8->setText("Hello [_EOL_]");
        page.ToolButton10Click();
        page.ToolButton13Click();
    });
    ASSERT_EQ(PopupInserts().Count(), 1);
    EXPECT_EQ(PopupInserts()[0], "Hello [_EOL_]");
    EXPECT_NE(Form->SynCompletionProposal1->Title.find("mine.il"), AnsiString::npos);

    RunDialog([](TInsListEditor &page) {
        EXPECT_EQ(page.ComboBox1->currentText(), "mine.il");
        page.Edit7->setText("Two");
        page.Edit8->setText("!!VR");
        page.ToolButton10Click();
        page.ToolButton13Click();
    });
    ASSERT_EQ(PopupInserts().Count(), 2);
    EXPECT_EQ(PopupInserts()[1], "!!VR");

    RunDialog([](TInsListEditor &page) {
        page.ToolButton7Click();
        page.ComboBox1->setEditText("mine.il");
    });
    EXPECT_FALSE(QFile::exists(ToQPath(ProgramFolder + "/mine.il")));
    EXPECT_EQ(PopupInserts().Count(), 0);
}
