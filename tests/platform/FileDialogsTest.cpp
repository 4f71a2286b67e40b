#include "platform/FileDialogs.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

namespace {

const AnsiString OpenFilter =
    "KAS scripts (*.kas)|*.kas|Texts (*.txt)|*.txt|Scripts and texts (*.kas; *.txt)|*.kas;*.txt|"
    "CMD documents (*.cmd)|*.cmd";

// Runs the action on the first modal widget of type T that comes up.
template <class T>
void WhenModalShows(std::function<void(T *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(w);
        }
    });
    timer->start();
}

// Types the name into the dialog's file-name field and presses OK, as a user would.
void TypeAndAccept(QFileDialog *d, const QString &name)
{
    QLineEdit *edit = d->findChild<QLineEdit *>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
    static_cast<QDialog *>(d)->accept();   // QFileDialog::accept, as the OK button runs it
}

void Touch(const QString &path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

TEST(FileFilter, PairsBecomeQtNameFiltersAndIndexesComeBack)
{
    struct Case { AnsiString filter; QStringList qt; };
    const Case cases[] = {
        {OpenFilter,
         {"KAS scripts (*.kas) (*.kas)", "Texts (*.txt) (*.txt)",
          "Scripts and texts (*.kas; *.txt) (*.kas *.txt)", "CMD documents (*.cmd) (*.cmd)"}},
        {"HTML or HTM files |*.html;*.htm", {"HTML or HTM files  (*.html *.htm)"}},
        {"Spaced|*.a ; *.b;;", {"Spaced (*.a *.b)"}},
        {"No pattern|", {"No pattern (*)"}},
        {"Lone name", {"Lone name (*)"}},
        {"Latin \xE9|*.k\xE9", {QString::fromLatin1("Latin \xE9 (*.k\xE9)")}},
        {"", {}},
    };
    for (const Case &c : cases) {
        const QStringList qt = QtNameFilters(c.filter);
        EXPECT_EQ(qt, c.qt) << c.filter;
        const std::vector<FileFilter> pairs = ParseFileFilter(c.filter);
        for (int i = 0; i < qt.size(); ++i) {
            EXPECT_EQ(FilterIndexOf(c.filter, qt[i]), i + 1) << c.filter;
            EXPECT_EQ(FilterIndexOf(c.filter, ToQ(pairs[size_t(i)].Name)), i + 1) << c.filter;
        }
    }
    EXPECT_EQ(FilterIndexOf(OpenFilter, "Something else (*)"), 1);

    const std::vector<FileFilter> parsed = ParseFileFilter(OpenFilter);
    ASSERT_EQ(parsed.size(), 4u);
    EXPECT_EQ(parsed[2].Name, "Scripts and texts (*.kas; *.txt)");
    EXPECT_EQ(parsed[2].Patterns, (std::vector<AnsiString>{"*.kas", "*.txt"}));
}

TEST(FileFilter, DefaultExtIsAppendedOnlyToANameWithoutExtension)
{
    struct Case { AnsiString name, ext, result; };
    const Case cases[] = {
        {"a", "kas", "a.kas"},
        {"/tmp/a", "kas", "/tmp/a.kas"},
        {"/tmp/dir.x/a", "kas", "/tmp/dir.x/a.kas"},
        {"a.txt", "kas", "a.txt"},
        {"a.abc", "kas", "a.abc"},
        {"a.", "kas", "a."},
        {"a", "", "a"},
        {"", "kas", ""},
        {"/tmp/dir/", "kas", "/tmp/dir/"},
    };
    for (const Case &c : cases) EXPECT_EQ(ApplyDefaultExt(c.name, c.ext), c.result) << c.name;
}

TEST(FileDialog, RecorderSeesTheSettingsAndItsAnswerIsCompleted)
{
    FileDialogRecorder rec([](TFileDialog &d) {
        d.FileName = "/tmp/new name";
        d.FilterIndex = 3;
        return true;
    });
    TSaveDialog save;
    save.Title = "Save as";
    save.Filter = OpenFilter;
    save.FilterIndex = 2;
    save.InitialDir = "/work/dir";
    save.FileName = "old.txt";
    save.DefaultExt = "kas";
    save.Options |= ofOverwritePrompt;
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName, "/tmp/new name.kas");
    EXPECT_EQ(save.FilterIndex, 3);
    ASSERT_EQ(save.Files.Count(), 1);
    EXPECT_EQ(save.Files[0], "/tmp/new name.kas");

    ASSERT_EQ(rec.Calls.size(), 1u);
    const TFileDialog &shown = rec.Calls[0];
    EXPECT_EQ(shown.Kind(), TFileDialog::fdSave);
    EXPECT_EQ(shown.Title, "Save as");
    EXPECT_EQ(shown.FilterIndex, 2);
    EXPECT_EQ(shown.FileName, "old.txt");
    EXPECT_EQ(shown.InitialDir, "/work/dir");
    EXPECT_TRUE(shown.Options & ofOverwritePrompt);
}

TEST(FileDialog, OpenKeepsAnExistingFileWithoutExtensionAndCancelKeepsTheName)
{
    QTemporaryDir dir;
    const AnsiString existing = FromQPath(dir.filePath("Makefile"));
    Touch(ToQPath(existing));
    AnsiString answer = existing;
    FileDialogRecorder rec([&](TFileDialog &d) {
        if (answer.empty()) return false;
        d.FileName = answer;
        return true;
    });
    TOpenDialog open;
    open.DefaultExt = "kas";
    ASSERT_TRUE(open.Execute());
    EXPECT_EQ(open.FileName, existing);

    answer = FromQPath(dir.filePath("missing"));
    ASSERT_TRUE(open.Execute());
    EXPECT_EQ(open.FileName, answer + ".kas");

    answer.clear();
    open.FileName = "kept";
    EXPECT_FALSE(open.Execute());
    EXPECT_EQ(open.FileName, "kept");
    EXPECT_EQ(rec.Calls.size(), 3u);
}

TEST(FileDialog, RealSaveDialogStartsWhereAskedAndReturnsTheChosenFilter)
{
    QTemporaryDir tmp;
    const QString folder = tmp.filePath("dir.with.dots");
    ASSERT_TRUE(QDir().mkpath(folder));
    TSaveDialog save;
    save.Title = "Save document";
    save.Filter = OpenFilter;
    save.FilterIndex = 2;
    save.InitialDir = FromQPath(folder);
    save.DefaultExt = "kas";
    save.FileName = "proposed \xE9.txt";

    QString title, startFilter, startDir, proposed;
    WhenModalShows<QFileDialog>([&](QFileDialog *d) {
        title = d->windowTitle();
        proposed = d->findChild<QLineEdit *>("fileNameEdit")->text();
        startFilter = d->selectedNameFilter();
        startDir = d->directory().absolutePath();
        d->selectNameFilter(QtNameFilters(OpenFilter)[2]);
        TypeAndAccept(d, "doc");
    });
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(title, "Save document");
    EXPECT_EQ(FilterIndexOf(OpenFilter, startFilter), 2);
    EXPECT_EQ(startDir, folder);
    EXPECT_EQ(proposed, ToQPath("proposed \xE9.txt"));
    EXPECT_EQ(save.FileName, FromQPath(folder + "/doc.kas"));
    EXPECT_EQ(save.FilterIndex, 3);
}

TEST(FileDialog, RealSaveDialogAsksBeforeOverwritingOnlyWithTheOption)
{
    QTemporaryDir tmp;
    Touch(tmp.filePath("doc.kas"));
    for (bool prompt : {true, false}) {
        TSaveDialog save;
        save.InitialDir = FromQPath(tmp.path());
        save.DefaultExt = "kas";
        if (prompt) save.Options |= ofOverwritePrompt;
        bool asked = false;
        WhenModalShows<QFileDialog>([&](QFileDialog *d) {
            if (prompt)
                WhenModalShows<QMessageBox>([&](QMessageBox *box) {
                    asked = true;
                    box->button(QMessageBox::Yes)->click();
                });
            TypeAndAccept(d, "doc");
        });
        ASSERT_TRUE(save.Execute()) << prompt;
        EXPECT_EQ(asked, prompt);
        EXPECT_EQ(save.FileName, FromQPath(tmp.filePath("doc.kas")));
    }
}

TEST(FileDialog, RealOpenDialogCancelsAndSelectsSeveralFiles)
{
    QTemporaryDir tmp;
    Touch(tmp.filePath("a.kas"));
    Touch(tmp.filePath("b.kas"));
    TOpenDialog open;
    open.InitialDir = FromQPath(tmp.path());
    open.Filter = OpenFilter;
    open.FileName = "unchanged";
    WhenModalShows<QFileDialog>([](QFileDialog *d) { d->reject(); });
    EXPECT_FALSE(open.Execute());
    EXPECT_EQ(open.FileName, "unchanged");

    open.FileName.clear();
    open.Options |= ofAllowMultiSelect | ofFileMustExist;
    WhenModalShows<QFileDialog>([](QFileDialog *d) {
        TypeAndAccept(d, "\"a.kas\" \"b.kas\"");
    });
    ASSERT_TRUE(open.Execute());
    ASSERT_EQ(open.Files.Count(), 2);
    EXPECT_EQ(open.Files[0], FromQPath(tmp.filePath("a.kas")));
    EXPECT_EQ(open.Files[1], FromQPath(tmp.filePath("b.kas")));
    EXPECT_EQ(open.FileName, open.Files[0]);
}

TEST(SelectDirectory, ResponderAnswersAndRealChooserReturnsTheFolder)
{
    SelectDirectoryCall seen;
    SetSelectDirectoryResponder([&](const SelectDirectoryCall &call, AnsiString &dir) {
        seen = call;
        dir = "/chosen";
        return true;
    });
    AnsiString dir;
    EXPECT_TRUE(SelectDirectory("Select destination directory:", "/root", dir));
    SetSelectDirectoryResponder(nullptr);
    EXPECT_EQ(dir, "/chosen");
    EXPECT_EQ(seen.Caption, "Select destination directory:");
    EXPECT_EQ(seen.Dir, "/root");

    QTemporaryDir tmp;
    ASSERT_TRUE(QDir().mkpath(tmp.filePath("sub")));
    dir = FromQPath(tmp.path());
    QString title;
    WhenModalShows<QFileDialog>([&](QFileDialog *d) {
        title = d->windowTitle();
        TypeAndAccept(d, "sub");
    });
    ASSERT_TRUE(SelectDirectory("Pick", "", dir));
    EXPECT_EQ(title, "Pick");
    EXPECT_EQ(dir, FromQPath(tmp.filePath("sub")));

    WhenModalShows<QFileDialog>([](QFileDialog *d) { d->reject(); });
    EXPECT_FALSE(SelectDirectory("Pick", "", dir));
    EXPECT_EQ(dir, FromQPath(tmp.filePath("sub")));
}

} // namespace
