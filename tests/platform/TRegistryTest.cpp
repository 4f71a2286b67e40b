#include "TestFiles.h"
#include "platform/TRegistry.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cerrno>
#include <climits>
#include <cstring>
#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const AnsiString SettingsKey = "\\SOFTWARE\\Velmora\\Tarrowmere\\3.5\\Quillet\\v.01";

AnsiString FileText(const AnsiString &path)
{
    QFile f(ToQPath(path));
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    const QByteArray b = f.readAll();
    return AnsiString(b.constData(), size_t(b.size()));
}

void PutFile(const AnsiString &path, const AnsiString &text)
{
    QFile f(ToQPath(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(text.data(), qint64(text.size())), qint64(text.size()));
}

std::vector<AnsiString> Items(const TStringList &l) { return {l.begin(), l.end()}; }

// Keeps an environment variable for the length of a test.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const AnsiString &value) : Name(name)
    {
        if (const char *old = std::getenv(name))
            Old = old, HadOld = true;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (HadOld)
            setenv(Name, Old.c_str(), 1);
        else
            unsetenv(Name);
    }

private:
    const char *Name;
    AnsiString Old;
    bool HadOld = false;
};

class RegistryTest : public ::testing::Test
{
protected:
    AnsiString Folder() const { return FromQPath(Dir.path()) + "/cfg"; }
    AnsiString File() const { return Folder() + "/registry.reg"; }
    std::vector<AnsiString> FolderEntries() const
    {
        std::vector<AnsiString> names;
        for (const QString &n : QDir(ToQPath(Folder())).entryList(QDir::Files | QDir::Hidden | QDir::System))
            names.push_back(FromQPath(n));
        return names;
    }

    QTemporaryDir Dir;
    ScopedEnv Env{"QUILLET_REGISTRY", File()};
};

TEST_F(RegistryTest, ValuesKeepTheirTypeAndWrongTypesRaise)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
    reg.WriteString("Text", "abc");
    reg.WriteInteger("Number", 42);
    reg.WriteBool("On", true);
    reg.WriteBool("Off", false);

    TRegistry other;
    ASSERT_TRUE(other.OpenKey(SettingsKey, false));
    EXPECT_EQ(other.ReadString("Text"), "abc");
    EXPECT_EQ(other.ReadInteger("Number"), 42);
    EXPECT_TRUE(other.ReadBool("On"));
    EXPECT_FALSE(other.ReadBool("Off"));
    EXPECT_TRUE(other.ReadBool("Number"));      // any integer but 0 is true
    EXPECT_EQ(other.ReadInteger("On"), 1);

    EXPECT_THROW(other.ReadInteger("Text"), ERegistryException);
    EXPECT_THROW(other.ReadBool("Text"), ERegistryException);
    EXPECT_THROW(other.ReadString("Number"), ERegistryException);
    EXPECT_THROW(other.ReadString("Missing"), ERegistryException);
    EXPECT_THROW(other.ReadInteger("Missing"), ERegistryException);
    EXPECT_THROW(other.ReadString(""), ERegistryException);
    EXPECT_FALSE(other.ValueExists("Missing"));
    EXPECT_TRUE(other.ValueExists("text"));

    // A new type replaces the old one.
    reg.WriteInteger("Text", 7);
    EXPECT_EQ(other.ReadInteger("Text"), 7);
    EXPECT_THROW(other.ReadString("Text"), ERegistryException);
}

TEST_F(RegistryTest, IntegersRoundTripOverTheWholeRange)
{
    const int values[] = {0, 1, -1, 10, INT_MAX, INT_MIN, 0x7FFF0000};
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Numbers", true));
    for (int v : values)
        reg.WriteInteger("N" + IntToStr(v), v);
    TRegistry other;
    ASSERT_TRUE(other.OpenKey("\\SOFTWARE\\Numbers", false));
    for (int v : values)
        EXPECT_EQ(other.ReadInteger("N" + IntToStr(v)), v);
    const AnsiString text = FileText(File());
    EXPECT_NE(text.find("\"N-1\"=dword:ffffffff\r\n"), AnsiString::npos);
    EXPECT_NE(text.find("\"N10\"=dword:0000000a\r\n"), AnsiString::npos);
    EXPECT_NE(text.find("\"N-2147483648\"=dword:80000000\r\n"), AnsiString::npos);
}

TEST_F(RegistryTest, EveryByteOfTextsAndNamesRoundTrips)
{
    const AnsiString texts[] = {
        "",
        "plain",
        "back\\slash",
        "\\",
        "ends in \\",
        "\\\\server\\share\\",
        "\"",
        "say \"hi\"",
        "\"\\\"",
        "line\r\nbreak",
        "\r\n",
        "lone\rCR and lone\nLF",
        "\x01",
        "cell\x1D" "cell",
        "tab\there",
        "\x1F\x7F",
        "\x80\x81\xA0\xE9\xFF",
        AnsiString("nul\0inside", 10),
        AnsiString("\0", 1),
        " blanks around ",
        "hex(1):61,00",
        "dword:00000001",
        "[HKEY_LOCAL_MACHINE\\SOFTWARE]",
        "\"Name\"=\"Value\"",
        "@=\"x\"",
        "; not a comment",
        "REGEDIT4",
        AnsiString(5000, 'x') + "\r\n" + AnsiString(5000, '\xE9'),
    };
    const AnsiString names[] = {"", "@", "a \"quoted\" name", "back\\slash\\", "\xC9t\xE9", "=", "[x]", ";"};
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Hostile", true));
        int i = 0;
        for (const AnsiString &t : texts)
            reg.WriteString("T" + IntToStr(i++), t);
        for (const AnsiString &n : names)
            reg.WriteString(n, "named " + n);
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Hostile", false));
    int i = 0;
    for (const AnsiString &t : texts)
        EXPECT_EQ(reg.ReadString("T" + IntToStr(i++)), t) << "text " << i - 1;
    for (const AnsiString &n : names)
        EXPECT_EQ(reg.ReadString(n), "named " + n) << n;
    TStringList valueNames;
    reg.GetValueNames(valueNames);
    EXPECT_EQ(valueNames.Count(), int(std::size(texts) + std::size(names)));

    // Raw Latin-1 in the file, control bytes only as hex.
    const AnsiString file = FileText(File());
    EXPECT_NE(file.find("\"T16\"=\"\x80\x81\xA0\xE9\xFF\"\r\n"), AnsiString::npos);
    EXPECT_NE(file.find("\"T9\"=hex(1):6c,69,6e,65,0d,0a,62,72,65,61,6b,00\r\n"), AnsiString::npos);
    EXPECT_NE(file.find("\"T6\"=\"\\\"\"\r\n"), AnsiString::npos);
    EXPECT_NE(file.find("@=\"named \"\r\n"), AnsiString::npos);
    EXPECT_NE(file.find("\"@\"=\"named @\"\r\n"), AnsiString::npos);
}

TEST_F(RegistryTest, FileTextIsTheRegistryExportFormat)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Pellanor\\Quillet", true));
    reg.WriteString("Warning1Text", "C:\\Games \"Q\"");
    reg.WriteInteger("Width", 300);
    reg.WriteBool("WriteWarning1", true);
    reg.WriteString("", "default");
    reg.WriteString("Lines", "a\r\nb");
    reg.RootKey = HKEY_CLASSES_ROOT;
    ASSERT_TRUE(reg.OpenKey(".kas", true));
    reg.WriteString("", "KAS_Document");
    ASSERT_TRUE(reg.CreateKey("\\KAS_Document\\shell"));

    EXPECT_EQ(FileText(File()),
              "REGEDIT4\r\n"
              "\r\n"
              "[HKEY_CLASSES_ROOT\\.kas]\r\n"
              "@=\"KAS_Document\"\r\n"
              "\r\n"
              "[HKEY_CLASSES_ROOT\\KAS_Document]\r\n"
              "\r\n"
              "[HKEY_CLASSES_ROOT\\KAS_Document\\shell]\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellanor]\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellanor\\Quillet]\r\n"
              "\"Warning1Text\"=\"C:\\\\Games \\\"Q\\\"\"\r\n"
              "\"Width\"=dword:0000012c\r\n"
              "\"WriteWarning1\"=dword:00000001\r\n"
              "@=\"default\"\r\n"
              "\"Lines\"=hex(1):61,0d,0a,62,00\r\n"
              "\r\n");
}

TEST_F(RegistryTest, ForeignButValidFilesAreReadAndOtherTypesKept)
{
    ASSERT_TRUE(QDir().mkpath(ToQPath(Folder())));
    PutFile(File(), "REGEDIT4\n"
                    "; written by hand\n"
                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Game]\n"
                    "\"AppPath\"=\"D:\\\\Game\"\n"
                    "\"Big\"=DWORD:0000FFFF\n"
                    "\"Short\"=dword:a\n"
                    "\"Long\"=hex(1):61,62,\\\n"
                    "  63,00\n"
                    "\"Expand\"=hex(2):25,00\n"
                    "\"Raw\"=hex:01,02\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\Game"));
    EXPECT_EQ(reg.ReadString("AppPath"), "D:\\Game");
    EXPECT_EQ(reg.ReadInteger("Big"), 0xFFFF);
    EXPECT_EQ(reg.ReadInteger("Short"), 10);
    EXPECT_EQ(reg.ReadString("Long"), "abc");
    EXPECT_TRUE(reg.ValueExists("Expand"));
    EXPECT_THROW(reg.ReadString("Expand"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("Raw"), ERegistryException);

    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Game", false));
    reg.WriteString("New", "n");
    const AnsiString text = FileText(File());
    EXPECT_NE(text.find("\"Expand\"=hex(2):25,00\r\n"), AnsiString::npos);
    EXPECT_NE(text.find("\"Raw\"=hex:01,02\r\n"), AnsiString::npos);
    EXPECT_NE(text.find("\"Long\"=\"abc\"\r\n"), AnsiString::npos);
}

TEST_F(RegistryTest, KeyPathsAreAbsoluteOrRelativeAndIgnoreLetterCase)
{
    TRegistry reg;
    EXPECT_EQ(reg.CurrentPath(), "");
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Pellanor", true));
    EXPECT_EQ(reg.CurrentPath(), "\\SOFTWARE\\Pellanor");
    ASSERT_TRUE(reg.OpenKey("Quillet", true));                 // relative
    EXPECT_EQ(reg.CurrentPath(), "\\SOFTWARE\\Pellanor\\Quillet");
    ASSERT_TRUE(reg.OpenKey("Sub\\Deeper\\", true));
    EXPECT_EQ(reg.CurrentPath(), "\\SOFTWARE\\Pellanor\\Quillet\\Sub\\Deeper");
    EXPECT_FALSE(reg.OpenKey("Missing", false));
    EXPECT_EQ(reg.CurrentPath(), "\\SOFTWARE\\Pellanor\\Quillet\\Sub\\Deeper");   // unchanged

    ASSERT_TRUE(reg.OpenKey("\\software\\PELLANOR", false));
    EXPECT_EQ(reg.CurrentPath(), "\\SOFTWARE\\Pellanor");      // first writer's letter case
    EXPECT_TRUE(reg.KeyExists("quillet\\sub"));
    EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\Pellanor\\Quillet"));
    EXPECT_FALSE(reg.KeyExists("\\Quillet"));
    EXPECT_FALSE(reg.KeyExists("SOFTWARE"));                    // relative: below Pellanor
    EXPECT_TRUE(reg.KeyExists("\\"));
    EXPECT_FALSE(reg.OpenKeyReadOnly("\\SOFTWARE\\Nothing"));

    reg.WriteString("Name", "one");
    reg.WriteString("NAME", "two");
    TStringList names;
    reg.GetValueNames(names);
    EXPECT_EQ(Items(names), (std::vector<AnsiString>{"Name"}));
    EXPECT_EQ(reg.ReadString("name"), "two");

    reg.CloseKey();
    EXPECT_EQ(reg.CurrentPath(), "");
    EXPECT_TRUE(reg.KeyExists("SOFTWARE\\Pellanor"));          // relative to the root again
    EXPECT_FALSE(reg.OpenKey("bad\nname", true));
}

TEST_F(RegistryTest, RootsAreSeparateAndChangingTheRootClosesTheKey)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Shared", true));
    reg.WriteString("Where", "machine");
    reg.RootKey = HKEY_CLASSES_ROOT;
    EXPECT_EQ(reg.CurrentPath(), "");
    EXPECT_THROW(reg.WriteString("Where", "x"), ERegistryException);
    EXPECT_FALSE(reg.KeyExists("\\Shared"));
    ASSERT_TRUE(reg.OpenKey("\\Shared", true));
    reg.WriteString("Where", "classes");
    reg.RootKey = HKEY_LOCAL_MACHINE;
    ASSERT_TRUE(reg.OpenKey("\\Shared", false));
    EXPECT_EQ(reg.ReadString("Where"), "machine");
}

TEST_F(RegistryTest, DeleteKeyTakesEverythingBelow)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\A\\B\\C", true));
    reg.WriteString("deep", "x");
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\A", false));
    reg.WriteInteger("top", 1);
    ASSERT_TRUE(reg.CreateKey("\\SOFTWARE\\A2"));

    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE", false));
    EXPECT_TRUE(reg.DeleteKey("a"));
    EXPECT_FALSE(reg.DeleteKey("A"));
    EXPECT_FALSE(reg.KeyExists("A\\B\\C"));
    EXPECT_TRUE(reg.KeyExists("A2"));
    EXPECT_FALSE(reg.DeleteKey("\\"));

    TRegistry other;
    EXPECT_FALSE(other.KeyExists("\\SOFTWARE\\A\\B"));
    EXPECT_EQ(FileText(File()).find("SOFTWARE\\A\\"), AnsiString::npos);
    // A key made again starts empty.
    ASSERT_TRUE(other.OpenKey("\\SOFTWARE\\A", true));
    EXPECT_FALSE(other.ValueExists("top"));
    EXPECT_FALSE(other.KeyExists("B"));
}

TEST_F(RegistryTest, KeyAndValueNamesAreListed)
{
    TRegistry reg;
    TStringList names;
    names.Add("stale");
    reg.GetKeyNames(names);
    EXPECT_EQ(names.Count(), 0);
    for (const char *k : {"zeta", "Alpha", "beta\\inner", "\xC9t\xE9"})
        ASSERT_TRUE(reg.CreateKey(AnsiString("\\List\\") + k));
    ASSERT_TRUE(reg.OpenKey("\\List", false));
    reg.GetKeyNames(names);
    EXPECT_EQ(Items(names), (std::vector<AnsiString>{"Alpha", "beta", "zeta", "\xC9t\xE9"}));
    reg.WriteInteger("second", 2);
    reg.WriteInteger("first", 1);
    reg.GetValueNames(names);
    EXPECT_EQ(Items(names), (std::vector<AnsiString>{"second", "first"}));
    EXPECT_TRUE(reg.DeleteValue("SECOND"));
    EXPECT_FALSE(reg.DeleteValue("second"));
    reg.GetValueNames(names);
    EXPECT_EQ(Items(names), (std::vector<AnsiString>{"first"}));
}

TEST_F(RegistryTest, WritesNeedAKeyOpenForWriting)
{
    TRegistry reg;
    EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException);
    ASSERT_TRUE(reg.CreateKey("\\SOFTWARE\\RO"));
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\RO"));
    EXPECT_THROW(reg.WriteInteger("x", 1), ERegistryException);
    EXPECT_THROW(reg.WriteBool("x", true), ERegistryException);
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\RO", false));
    reg.WriteInteger("x", 1);
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\RO"));
    EXPECT_FALSE(reg.DeleteValue("x"));
    EXPECT_EQ(reg.ReadInteger("x"), 1);
    reg.CloseKey();
    EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException);
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\RO", false));
    EXPECT_THROW(reg.WriteString("bad\r\nname", "y"), ERegistryException);
}

TEST_F(RegistryTest, ReadingNeverCreatesTheFile)
{
    {
        TRegistry reg;
        EXPECT_FALSE(reg.OpenKey(SettingsKey, false));
        EXPECT_FALSE(reg.OpenKeyReadOnly(SettingsKey));
        EXPECT_FALSE(reg.KeyExists(SettingsKey));
        EXPECT_FALSE(reg.ValueExists("x"));
        EXPECT_THROW(reg.ReadString("x"), ERegistryException);
        EXPECT_FALSE(reg.DeleteKey(SettingsKey));
        TStringList names;
        reg.GetKeyNames(names);
    }
    EXPECT_FALSE(QDir(ToQPath(Folder())).exists());
    // The first write makes the missing folders.
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(SettingsKey, true));
    EXPECT_NE(FileText(File()).find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Velmora\\Tarrowmere\\3.5\\Quillet\\v.01]"),
              AnsiString::npos);
}

TEST_F(RegistryTest, WritesLeaveNoTemporaryFiles)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\T", true));
    for (int i = 0; i < 20; ++i)
        reg.WriteInteger("v" + IntToStr(i), i);
    reg.DeleteValue("v3");
    reg.DeleteKey("\\SOFTWARE\\T");
    EXPECT_EQ(FolderEntries(), (std::vector<AnsiString>{"registry.reg"}));
}

TEST_F(RegistryTest, AFailedWriteLeavesTheOldFileWhole)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\T", true));
    reg.WriteString("kept", "old");
    const AnsiString before = FileText(File());

    // Files may grow to 4 KB only: the new content cannot be written.
    bool raised = false;
    {
        FileSizeLimit limit(4096);
        try {
            reg.WriteString("big", AnsiString(100000, 'b'));
        } catch (const ERegistryException &e) {
            raised = true;
            EXPECT_NE(e.Message().find("big"), AnsiString::npos) << e.Message();
        }
    }

    EXPECT_TRUE(raised);
    EXPECT_EQ(FileText(File()), before);
    EXPECT_EQ(FolderEntries(), (std::vector<AnsiString>{"registry.reg"}));
    EXPECT_FALSE(reg.ValueExists("big"));   // the object does not pretend it was stored
    EXPECT_EQ(reg.ReadString("kept"), "old");
}

// A read-only folder takes no lock or temporary file: a writable settings file is written in
// place, a read-only one is left as it was.
TEST_F(RegistryTest, AReadOnlyFolderRaisesAndKeepsTheFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\T", true));
    reg.WriteString("kept", "old");
    ASSERT_EQ(chmod(Folder().c_str(), 0555), 0);
    reg.WriteString("new", "x");
    ASSERT_EQ(chmod(File().c_str(), 0444), 0);
    const AnsiString before = FileText(File());
    EXPECT_THROW(reg.WriteString("newer", "x"), ERegistryException);
    EXPECT_FALSE(reg.CreateKey("\\SOFTWARE\\Other"));
    chmod(Folder().c_str(), 0755);
    chmod(File().c_str(), 0644);
    EXPECT_NE(before.find("\"new\"=\"x\""), AnsiString::npos);
    EXPECT_EQ(FileText(File()), before);
    EXPECT_EQ(FolderEntries(), (std::vector<AnsiString>{"registry.reg"}));
}

// Every start-up step and dialog meets the same unreadable file: stderr says so once, and the
// reason is there for the message the user gets.
TEST_F(RegistryTest, AFileThatCannotBeReadIsToldOnceOnStderrWithItsReason)
{
    ASSERT_TRUE(QDir().mkpath(ToQPath(File())));   // a folder where the file should be
    StderrCapture err;
    for (int i = 0; i < 3; ++i) {
        TRegistry reg;
        EXPECT_FALSE(reg.OpenKey(SettingsKey, true));
        EXPECT_FALSE(reg.CreateKey("\\SOFTWARE\\Other"));
    }
    const std::vector<AnsiString> lines = err.Lines("Quillet: ");
    EXPECT_TRUE(SaidOnce(lines));
    EXPECT_FALSE(lines.empty());
    EXPECT_EQ(LastRegistryWriteFailure(),
              "Cannot read the registry file \"" + File() + "\" (" + std::strerror(EISDIR) + "); it is left unchanged");
}

TEST_F(RegistryTest, AnotherObjectSeesEachWriteAtOnce)
{
    TRegistry a, b;
    ASSERT_TRUE(a.OpenKey("\\SOFTWARE\\Race", true));
    ASSERT_TRUE(b.OpenKey("\\SOFTWARE\\Race", false));
    // Interleaved writes through stale views: neither object may drop the other's values.
    for (int i = 0; i < 200; ++i) {
        a.WriteInteger("a" + IntToStr(i), i);
        b.WriteString("b" + IntToStr(i), IntToStr(i));
        ASSERT_TRUE(b.ValueExists("a" + IntToStr(i)));
        ASSERT_EQ(a.ReadString("b" + IntToStr(i)), IntToStr(i));
    }
    a.WriteString("same", "1");
    EXPECT_EQ(b.ReadString("same"), "1");
    b.WriteString("same", "2");
    EXPECT_EQ(a.ReadString("same"), "2");
    EXPECT_TRUE(b.DeleteKey("\\SOFTWARE\\Race"));
    EXPECT_FALSE(a.ValueExists("a0"));

    TRegistry c;
    EXPECT_FALSE(c.KeyExists("\\SOFTWARE\\Race"));
}

TEST_F(RegistryTest, ABatchReachesTheDiskInOneWriteOntoTheLatestFile)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Batch", true));
    reg.WriteString("gone", "old");
    const AnsiString before = FileText(File());

    reg.BeginUpdate();
    reg.BeginUpdate();
    for (int i = 0; i < 50; ++i)
        reg.WriteInteger("w" + IntToStr(i), i);
    EXPECT_TRUE(reg.DeleteValue("gone"));
    reg.EndUpdate();   // inner: nothing written yet
    EXPECT_EQ(reg.ReadInteger("w49"), 49);   // seen at once
    EXPECT_FALSE(reg.ValueExists("gone"));
    EXPECT_EQ(FileText(File()), before);
    {
        TRegistry other;   // another writer meanwhile
        ASSERT_TRUE(other.OpenKey("\\SOFTWARE\\Batch", false));
        other.WriteString("theirs", "kept");
        EXPECT_FALSE(other.ValueExists("w0"));
    }
    EXPECT_EQ(reg.ReadString("theirs"), "kept");
    EXPECT_EQ(reg.ReadInteger("w0"), 0);   // the batch survives the reread
    reg.EndUpdate();

    TRegistry fresh;
    ASSERT_TRUE(fresh.OpenKey("\\SOFTWARE\\Batch", false));
    EXPECT_EQ(fresh.ReadString("theirs"), "kept");
    EXPECT_FALSE(fresh.ValueExists("gone"));
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(fresh.ReadInteger("w" + IntToStr(i)), i);
    EXPECT_EQ(FolderEntries(), (std::vector<AnsiString>{"registry.reg"}));

    // A batch left open still reaches the disk when the object goes.
    {
        TRegistry late;
        ASSERT_TRUE(late.OpenKey("\\SOFTWARE\\Batch", false));
        late.BeginUpdate();
        late.WriteString("late", "1");
    }
    EXPECT_EQ(fresh.ReadString("late"), "1");
}

TEST_F(RegistryTest, AFailedBatchLeavesTheFileAsItWas)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Batch", true));
    reg.WriteString("kept", "old");
    const AnsiString before = FileText(File());
    {
        // Each value alone would fit under the limit, all of them do not.
        FileSizeLimit limit(4096);
        reg.BeginUpdate();
        for (int i = 0; i < 20; ++i)
            reg.WriteString("v" + IntToStr(i), AnsiString(300, 'x'));
        EXPECT_THROW(reg.EndUpdate(), ERegistryException);
    }
    EXPECT_EQ(FileText(File()), before);
    EXPECT_EQ(FolderEntries(), (std::vector<AnsiString>{"registry.reg"}));
    EXPECT_FALSE(reg.ValueExists("v0"));   // the object does not pretend it was stored
    EXPECT_EQ(reg.ReadString("kept"), "old");
}

// Run only as a child of TwoProcessesWritingAtOnceKeepAllValues.
TEST(DISABLED_RegistryChild, WriteValues)
{
    const char *prefix = std::getenv("QUILLET_REGISTRY_CHILD");
    if (!prefix)
        GTEST_SKIP();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Race", true));
    for (int i = 0; i < 200; ++i)
        reg.WriteString(AnsiString(prefix) + IntToStr(i), "value " + IntToStr(i));
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceKeepAllValues)
{
    QProcess children[2];
    const char *prefixes[2] = {"first", "second"};
    for (int i = 0; i < 2; ++i) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QUILLET_REGISTRY_CHILD", prefixes[i]);
        children[i].setProcessEnvironment(env);
        children[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        children[i].start(QCoreApplication::applicationFilePath(),
                          {"--gtest_also_run_disabled_tests", "--gtest_filter=DISABLED_RegistryChild.WriteValues"});
    }
    for (QProcess &child : children) {
        ASSERT_TRUE(child.waitForFinished(120000));
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Race", false));
    TStringList names;
    reg.GetValueNames(names);
    EXPECT_EQ(names.Count(), 400);
    for (const char *prefix : prefixes)
        for (int i = 0; i < 200; ++i)
            EXPECT_EQ(reg.ReadString(AnsiString(prefix) + IntToStr(i)), "value " + IntToStr(i));
}

TEST_F(RegistryTest, ABrokenFileIsMovedAsideAndNeverOverwritten)
{
    const AnsiString broken[] = {
        "not a registry file\r\n",
        "\xEF\xBB\xBFREGEDIT4\r\n",
        "REGEDIT4\r\n\"x\"=\"value before any key\"\r\n",
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"unterminated\r\n",
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"bad \\n escape\"\r\n",
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=dword:123456789\r\n",
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=dword:12g4\r\n",
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=hex(1):61,6\r\n",
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=hex(1):61,\\\r\n",
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=text\r\n",
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A\r\n",
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\\\A]\r\n",
        "REGEDIT4\r\n[SOFTWARE\\A]\r\n",
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\nx=1\r\n",
        AnsiString("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"cut\0", 43),   // cut off at a NUL byte
    };
    ASSERT_TRUE(QDir().mkpath(ToQPath(Folder())));
    for (const AnsiString &text : broken) {
        QFile::remove(ToQPath(File() + ".bad"));
        PutFile(File(), text);
        testing::internal::CaptureStderr();
        TRegistry reg;
        EXPECT_FALSE(reg.KeyExists("\\A")) << text;
        const std::string warning = testing::internal::GetCapturedStderr();
        EXPECT_NE(warning.find(File() + ".bad"), std::string::npos) << text << warning;
        EXPECT_EQ(FileText(File() + ".bad"), text);
        EXPECT_FALSE(QFile::exists(ToQPath(File())));
    }

    // Later broken files do not replace the first one kept aside; writing starts a new file.
    PutFile(File(), "second broken file");
    testing::internal::CaptureStderr();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE", true));
    reg.WriteString("fresh", "1");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(FileText(File() + ".bad"), broken[std::size(broken) - 1]);
    EXPECT_EQ(FileText(File() + ".bad1"), "second broken file");
    EXPECT_EQ(reg.ReadString("fresh"), "1");
    EXPECT_NE(FileText(File()).find("\"fresh\"=\"1\""), AnsiString::npos);
}

TEST_F(RegistryTest, AnEmptyFileIsAnEmptyStore)
{
    ASSERT_TRUE(QDir().mkpath(ToQPath(Folder())));
    PutFile(File(), "");
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("\\SOFTWARE"));
    EXPECT_FALSE(QFile::exists(ToQPath(File() + ".bad")));
}

TEST(RegistryFilePath, ComesFromTheEnvironment)
{
    {
        ScopedEnv own("QUILLET_REGISTRY", "/tmp/own.reg");
        EXPECT_EQ(RegistryFilePath(), "/tmp/own.reg");
    }
    ScopedEnv noOwn("QUILLET_REGISTRY", "");
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg");
        EXPECT_EQ(RegistryFilePath(), "/xdg/Quillet/registry.reg");
    }
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv relative("XDG_CONFIG_HOME", "relative");
        EXPECT_EQ(RegistryFilePath(), "/home/someone/.config/Quillet/registry.reg");
    }
    ScopedEnv xdgEmpty("XDG_CONFIG_HOME", "");
    EXPECT_EQ(RegistryFilePath(), "/home/someone/.config/Quillet/registry.reg");
}

} // namespace
