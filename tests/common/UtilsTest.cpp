#include "TestFiles.h"
#include "common/Utils.h"

#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/SystemInfo.h"
#include "platform/TRegistry.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

AnsiString Joined(const TStringList &list) { return list.Join("|"); }

std::vector<AnsiString> SplitCrLf(const AnsiString &text)
{
    std::vector<AnsiString> lines;
    size_t start = 0;
    for (size_t at; (at = text.find("\r\n", start)) != AnsiString::npos; start = at + 2)
        lines.push_back(text.substr(start, at - start));
    lines.push_back(text.substr(start));
    return lines;
}

} // namespace

TEST(Utils, SplitToStringsEndsAtTheFirstEmptyItem)
{
    struct Case
    {
        AnsiString Text;
        char Separator;
        AnsiString Items;
    };
    const Case cases[] = {
        {"a;b;", ';', "a|b"}, {"a;b", ';', "a|b"},  {"a;;b", ';', "a"}, {"", ';', ""},
        {";a", ';', ""},      {"a", ';', "a"},      {";", ';', ""},     {"x,y z,", ',', "x|y z"},
        {"a;b", ',', "a;b"},  {"\xE4;\xC4", ';', "\xE4|\xC4"},
    };
    for (const Case &c : cases) {
        TStringList list;
        SplitToStrings(c.Text, c.Separator, list);
        EXPECT_EQ(Joined(list), c.Items) << c.Text;
    }
}

TEST(Utils, SplitToStringsAddsThroughTheListsOwnAdd)
{
    TStringList plain;
    plain.Add("z");
    SplitToStrings("b;a;b", ';', plain);
    EXPECT_EQ(Joined(plain), "z|b|a|b");

    TStringList sorted;
    sorted.SetSorted(true);
    sorted.Duplicates = dupIgnore;
    SplitToStrings("b;a;B;c", ';', sorted);
    EXPECT_EQ(Joined(sorted), "a|b|c");
}

TEST(Utils, IsNumber)
{
    struct Case
    {
        AnsiString Text;
        bool AllowMinus;
        bool Expected;
    };
    const Case cases[] = {
        {"", false, false},   {"", true, false},    {"0", false, true},      {"0123456789", false, true},
        {"-", true, true},    {"-", false, false},  {"-12", true, true},     {"-5", false, false},
        {"1-2", true, false}, {"--1", true, false}, {" 1", false, false},    {"1 ", false, false},
        {"+1", true, false},  {"1.5", false, false}, {"\xB2", false, false}, {"99999999999999999999", false, true},
    };
    for (const Case &c : cases) EXPECT_EQ(IsNumber(c.Text, c.AllowMinus), c.Expected) << "'" << c.Text << "'";
}

TEST(Utils, IntToTextAndStripLeadingZeros)
{
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(-42), "-42");
    EXPECT_EQ(IntToText(INT_MIN), "-2147483648");
    EXPECT_EQ(IntToText(INT_MAX), "2147483647");

    const std::pair<AnsiString, AnsiString> cases[] = {
        {"0012", "12"}, {"000", "0"}, {"", "0"}, {"0", "0"}, {"-01", "-01"}, {"100", "100"}, {"0a0", "a0"},
    };
    for (const auto &[text, expected] : cases) EXPECT_EQ(StripLeadingZeros(text), expected) << text;
}

TEST(Utils, ReplaceLineBreaks)
{
    EXPECT_EQ(ReplaceLineBreaks("a\r\nb\nc\rd", '|'), "a|b|cd");
    EXPECT_EQ(ReplaceLineBreaks("\r\n\r\n", ' '), "  ");
    EXPECT_EQ(ReplaceLineBreaks("no breaks", ' '), "no breaks");
    EXPECT_EQ(ReplaceLineBreaks(AnsiString("x\ny", 3), '\x1D'), "x\x1Dy");
}

TEST(Utils, AddCommonItemsCountsEveryPairAndKeepsOrder)
{
    TStringList a, b;
    for (const char *s : {"x", "y", "x", "w"}) a.Add(s);
    for (const char *s : {"y", "x", "x", "X"}) b.Add(s);

    TStringList out;
    out.Add("kept");
    AddCommonItems(a, b, out);
    EXPECT_EQ(Joined(out), "kept|x|x|y|x|x");   // letter case counts: "X" matches nothing

    TStringList unique;
    unique.SetSorted(true);
    unique.Duplicates = dupIgnore;
    AddCommonItems(a, b, unique);
    EXPECT_EQ(Joined(unique), "x|y");

    TStringList none;
    AddCommonItems(a, TStringList(), none);
    EXPECT_EQ(none.Count(), 0);
}

// The definition word for word: every item of a against every item of b.
void AddCommonItemsByDefinition(const TStringList &a, const TStringList &b, TStringList &output)
{
    for (const AnsiString &x : a)
        for (const AnsiString &y : b)
            if (x == y) output.Add(x);
}

TStringList ListOf(const AnsiString &items)
{
    TStringList list;
    size_t start = 0;
    while (start <= items.size() && !items.empty()) {
        const size_t bar = std::min(items.find('|', start), items.size());
        list.Add(items.substr(start, bar - start));
        start = bar + 1;
    }
    return list;
}

TEST(Utils, AddCommonItemsGivesWhatTheDefinitionGives)
{
    const std::pair<const char *, const char *> cases[] = {
        {"", ""},           {"a", ""},            {"", "a"},               {"a|b|c", "c|b|a"},
        {"a|a|b", "a"},     {"a", "a|a|a"},       {"a|A|a", "A|a|A|a"},    {"x|y|x|w", "y|x|x|X"},
        {"Ab|aB|AB", "ab"}, {"|a|", "|"},         {"\xE9|\xC9", "\xC9"}, {"1|10|01", "01|1|1"},
    };
    for (const auto &[a, b] : cases) {
        for (const bool sortedOutput : {false, true}) {
            TStringList fast, literal;
            fast.SetSorted(sortedOutput);
            literal.SetSorted(sortedOutput);
            fast.Duplicates = literal.Duplicates = sortedOutput ? dupIgnore : dupAccept;
            fast.Add("before");
            literal.Add("before");
            AddCommonItems(ListOf(a), ListOf(b), fast);
            AddCommonItemsByDefinition(ListOf(a), ListOf(b), literal);
            EXPECT_EQ(Joined(fast), Joined(literal)) << a << " / " << b << (sortedOutput ? " sorted" : "");
        }
    }
}

TEST(Utils, ExpandNumberRange)
{
    struct Case
    {
        AnsiString Text;
        int Prefix;
        AnsiString Expected;
    };
    const Case cases[] = {
        {"y3-5", 1, "y3;y4;y5"},
        {"y5-3", 1, "y3;y4;y5"},
        {"3-3", 0, "3"},
        {"y7-7", 1, "y7"},
        {"y9-7", 1, "y7;y8;y9"},
        {"y3", 1, "y3"},
        {"y3-", 1, "y3-"},
        {"y3-x", 1, "y3-x"},
        {"y-5", 1, "y-5"},       // nothing between the prefix and the dash
        {"-5", 0, "-5"},
        {"1-2-3", 0, "1-2-3"},
        {"ab007-010", 2, "ab7;ab8;ab9;ab10"},
        {"9-11", 0, "9;10;11"},
        {"xy1-2", 1, "xy1-2"},   // prefix too short: "y1" is no number
        {"y1-2", 5, "y1-2"},     // prefix longer than the text
        {"", 0, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ExpandNumberRange(c.Text, c.Prefix), c.Expected) << c.Text << " / " << c.Prefix;
    // A negative prefix length counts as none.
    EXPECT_EQ(ExpandNumberRange("1-2", -1), "1;2");
    EXPECT_EQ(ExpandNumberRange("y1-2", -1), "y1-2");
}

TEST(Utils, ExpandNumberRangeLeavesHugeRangesUnchanged)
{
    // A million members still expand; anything bigger would cost gigabytes and stays as written.
    const AnsiString million = ExpandNumberRange("v1-1000000", 1);
    EXPECT_EQ(million.substr(0, 9), "v1;v2;v3;");
    EXPECT_EQ(million.substr(million.size() - 16), "v999999;v1000000");
    EXPECT_EQ(std::count(million.begin(), million.end(), ';'), 999999);

    for (const char *text : {"v1-1000001", "v1000001-1", "v1-2000000000", "v0-2147483647", "0-2147483647"})
        EXPECT_EQ(ExpandNumberRange(text, text[0] == 'v' ? 1 : 0), text) << text;
    EXPECT_EQ(ExpandNumberRange("2147483646-2147483647", 0), "2147483646;2147483647");
}

TEST(Utils, ExpandNumberRangeRaisesForBoundsBeyondInt)
{
    for (const char *text : {"v1-2147483648", "v99999999999-1", "v1-00000000000000000002147483648"})
        EXPECT_THROW(ExpandNumberRange(text, 1), EConvertError) << text;
    // Leading zeros alone do not overflow.
    EXPECT_EQ(ExpandNumberRange("v000000000000000000001-2", 1), "v1;v2");
}

TEST(Utils, SortSemicolonList)
{
    const std::pair<AnsiString, AnsiString> cases[] = {
        {"b;a;B", "a;b"}, {"", ""},           {"x", "x"},           {"A;a", "A"},
        {"c;a;;b", "a;c"}, {"b;a;", "a;b"},   {"x10;x9;x1", "x1;x10;x9"},
    };
    for (const auto &[text, expected] : cases) EXPECT_EQ(SortSemicolonList(text), expected) << text;
}

TEST(Utils, SortSemicolonListGivesWhatASortedListGives)
{
    const auto byDefinition = [](const AnsiString &text) {
        TStringList list;
        list.SetSorted(true);
        list.Duplicates = dupIgnore;
        SplitToStrings(text, ';', list);
        return list.Join(";");
    };
    const char *cases[] = {"b;a;B", "B;b;A;a", "x;X;x", "\xE9;\xC9;e", "a1;A1;a10;a2;A2", "z;;a", ";a", "c;b;a;b;c",
                           "ab;Ab;aB;AB;a", "1;01;001;1"};
    for (const char *text : cases) EXPECT_EQ(SortSemicolonList(text), byDefinition(text)) << text;
    // A large expanded range (members far from sorted order) comes out whole.
    const AnsiString members = ExpandNumberRange("v1-200000", 1);
    const AnsiString sorted = SortSemicolonList(members);
    EXPECT_EQ(sorted.size(), members.size());
    EXPECT_EQ(sorted.substr(0, 17), "v1;v10;v100;v1000");
}

TEST(Utils, DateTextAndTodayText)
{
    const char *months[] = {"January", "February", "March",     "April",   "May",      "June",
                            "July",    "August",   "September", "October", "November", "December"};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(DateText(QDate(2025, m, 1)), "1." + IntToText(m) + "(" + months[m - 1] + ").2025");
    EXPECT_EQ(DateText(QDate(2026, 12, 8)), "8.12(December).2026");
    EXPECT_EQ(DateText(QDate(2024, 2, 29)), "29.2(February).2024");
    EXPECT_EQ(DateText(QDate(999, 5, 3)), "3.5(May).0999");

    const QDate before = QDate::currentDate();
    const AnsiString today = TodayText();
    const QDate after = QDate::currentDate();
    EXPECT_TRUE(today == DateText(before) || today == DateText(after)) << today;
}

TEST(Utils, PathExists)
{
    QTemporaryDir dir;
    WriteAll(dir.filePath("f.txt"), "x");
    EXPECT_TRUE(PathExists(FromQPath(dir.filePath("f.txt"))));
    EXPECT_TRUE(PathExists(FromQPath(dir.path())));
    EXPECT_TRUE(PathExists(FromQPath(dir.path()) + "/"));
    EXPECT_FALSE(PathExists(FromQPath(dir.filePath("missing"))));
    EXPECT_FALSE(PathExists(""));
}

TEST(Utils, GetFileVersionText)
{
    EXPECT_EQ(GetFileVersionText(FromQPath(QCoreApplication::applicationFilePath())), QUILLET_VERSION);
    QTemporaryDir dir;
    WriteAll(dir.filePath("plain.exe"), "no executable");
    EXPECT_EQ(GetFileVersionText(FromQPath(dir.filePath("plain.exe"))), "?");
    EXPECT_EQ(GetFileVersionText(FromQPath(dir.filePath("missing.dll"))), "?");
}

class BackupCopyTest : public ::testing::Test
{
protected:
    QTemporaryDir Dir;
    AnsiString Path(const char *name) const { return FromQPath(Dir.filePath(name)); }
    QStringList Files() const { return QDir(Dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot); }
};

TEST_F(BackupCopyTest, NumbersCopiesAndNeverTouchesOldOnes)
{
    WriteAll(Dir.filePath("a.kas"), "one");
    MakeBackupCopy(Path("a.kas"));
    WriteAll(Dir.filePath("a.kas"), "two");
    MakeBackupCopy(Path("a.kas"));
    EXPECT_EQ(ReadAll(Dir.filePath("a_COPY0.kas")), "one");
    EXPECT_EQ(ReadAll(Dir.filePath("a_COPY1.kas")), "two");
    EXPECT_EQ(ReadAll(Dir.filePath("a.kas")), "two");
    EXPECT_EQ(Files(), QStringList({"a.kas", "a_COPY0.kas", "a_COPY1.kas"}));
}

TEST_F(BackupCopyTest, SkipsNamesTakenByFilesFoldersAndLinks)
{
    WriteAll(Dir.filePath("t.KAT"), AnsiString("row\t\xE4\0end", 9));
    WriteAll(Dir.filePath("t_COPY0.KAT"), "keep");
    QDir(Dir.path()).mkdir("t_COPY1.KAT");
    ASSERT_TRUE(QFile::link(Dir.filePath("nowhere"), Dir.filePath("t_COPY2.KAT")));
    MakeBackupCopy(Path("t.KAT"));
    EXPECT_EQ(ReadAll(Dir.filePath("t_COPY0.KAT")), "keep");
    EXPECT_EQ(ReadAll(Dir.filePath("t_COPY3.KAT")), AnsiString("row\t\xE4\0end", 9));
    EXPECT_FALSE(QFile::exists(Dir.filePath("nowhere")));
}

TEST_F(BackupCopyTest, MissingFilesAndFoldersAreLeftAlone)
{
    MakeBackupCopy(Path("missing.kas"));
    QDir(Dir.path()).mkdir("dir.kas");
    MakeBackupCopy(Path("dir.kas"));
    EXPECT_EQ(Files(), QStringList({"dir.kas"}));
}

TEST_F(BackupCopyTest, ShortNamesHaveAnEmptyStem)
{
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Dir.path()));
    WriteAll("a.k", "k");
    WriteAll("ab", "b");
    MakeBackupCopy("a.k");
    MakeBackupCopy("ab");
    QDir::setCurrent(old);
    EXPECT_EQ(ReadAll(Dir.filePath("_COPY0.k")), "k");
    EXPECT_EQ(ReadAll(Dir.filePath("_COPY0")), "b");
}

class LogFileTest : public ::testing::Test
{
protected:
    QTemporaryDir Dir;
    QString File = Dir.filePath("QUIL_Loading.txt");
    AnsiString Name = FromQPath(File);
    MessageBoxRecorder Boxes;
};

TEST_F(LogFileTest, NewFileGetsTheHeaderAndNoFinalLineBreak)
{
    AppendToLogFile("Start", Name);
    const std::vector<AnsiString> lines = SplitCrLf(ReadAll(File));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(QRegularExpression("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d$").match(ToQ(lines[0])).hasMatch())
        << lines[0];
    EXPECT_EQ(lines[1], SystemVersionLine());
    EXPECT_TRUE(QRegularExpression("^\\S+ \\d+\\.\\d+$").match(ToQ(lines[1])).hasMatch()) << lines[1];
    EXPECT_EQ(lines[2], "Quillet v. " QUILLET_VERSION);
    EXPECT_EQ(lines[3], "Start");
    EXPECT_TRUE(Boxes.Calls.empty());
    EXPECT_EQ(QFile::permissions(File) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ReadOwner | QFile::WriteOwner),
              QFile::Permissions());
}

TEST_F(LogFileTest, LaterTextsStartWithCrLf)
{
    AppendToLogFile("one", Name);
    const AnsiString first = ReadAll(File);
    AppendToLogFile("two", Name);
    AppendToLogFile(AnsiString("\xE4\0", 2), Name);
    EXPECT_EQ(ReadAll(File), first + "\r\ntwo\r\n" + AnsiString("\xE4\0", 2));

    WriteAll(File, "old");
    AppendToLogFile("new", Name);
    EXPECT_EQ(ReadAll(File), "old\r\nnew");
}

TEST_F(LogFileTest, EmptyFileGetsTheHeaderToo)
{
    WriteAll(File, "");
    AppendToLogFile("x", Name);
    const std::vector<AnsiString> lines = SplitCrLf(ReadAll(File));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "Quillet v. " QUILLET_VERSION);
    EXPECT_EQ(lines[3], "x");
}

// One box with the system's reason, however many lines follow; nothing is written.
TEST_F(LogFileTest, FileThatCannotBeOpenedIsToldOnceWithTheReason)
{
    ASSERT_TRUE(QDir(Dir.path()).mkdir("folder"));
    const std::pair<QString, AnsiString> cases[] = {
        {Dir.filePath("no/such/folder/log.txt"), std::strerror(ENOENT)},
        {Dir.filePath("folder"), std::strerror(EISDIR)},
    };
    for (const auto &[file, reason] : cases) {
        SCOPED_TRACE(reason);
        const AnsiString name = FromQPath(file);
        Boxes.Calls.clear();
        for (const char *line : {"one", "two", "three"}) AppendToLogFile(line, name);
        ASSERT_EQ(Boxes.Calls.size(), 1u);
        EXPECT_EQ(Boxes.Calls[0].Caption, "Error!");
        EXPECT_EQ(Boxes.Calls[0].Text, "Error at opening file \"" + name + "\"\r\n" + reason);
        EXPECT_EQ(Boxes.Calls[0].Flags & MB_ICONMASK, unsigned(MB_ICONERROR));
        EXPECT_FALSE(Boxes.Calls[0].HasOwner);
    }
    EXPECT_FALSE(QFile::exists(Dir.filePath("no")));
}

TEST_F(LogFileTest, ShortWriteShowsAWarningBoxOnce)
{
    if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    WriteAll(File, "");   // the header's length, as the full device would get it
    AppendToLogFile("text", Name);
    const size_t length = ReadAll(File).size();

    AppendToLogFile("text", "/dev/full");
    AppendToLogFile("more", "/dev/full");
    ASSERT_EQ(Boxes.Calls.size(), 1u);
    EXPECT_EQ(Boxes.Calls[0].Caption, "Warning!");
    EXPECT_EQ(Boxes.Calls[0].Text, "Error writing to the file (" + IntToText(int(length)) + "/0) \"/dev/full\".\r\n" +
                                       std::strerror(ENOSPC));
    EXPECT_EQ(Boxes.Calls[0].Flags & MB_ICONMASK, unsigned(MB_ICONWARNING));
    EXPECT_FALSE(Boxes.Calls[0].HasOwner);
}

class FileTypeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char *old = std::getenv("QUILLET_REGISTRY");
        HadOld = old != nullptr;
        if (old) Old = old;
        setenv("QUILLET_REGISTRY", FromQPath(Dir.filePath("registry.reg")).c_str(), 1);
    }
    void TearDown() override
    {
        if (HadOld) setenv("QUILLET_REGISTRY", Old.c_str(), 1);
        else unsetenv("QUILLET_REGISTRY");
    }

    AnsiString Default(const AnsiString &key)
    {
        TRegistry reg;
        reg.RootKey = HKEY_CLASSES_ROOT;
        if (!reg.OpenKeyReadOnly(key) || !reg.ValueExists("")) return "<none>";
        return reg.ReadString("");
    }
    bool Exists(const AnsiString &key)
    {
        TRegistry reg;
        reg.RootKey = HKEY_CLASSES_ROOT;
        return reg.KeyExists(key);
    }

    QTemporaryDir Dir;
    bool HadOld = false;
    std::string Old;
};

TEST_F(FileTypeTest, RegisterWritesTheFourKeys)
{
    RegisterFileType(".kas", "Quillet.KAS", "KAS event script", "/opt/q/quillet", 2, "/opt/q/quillet");
    EXPECT_EQ(Default("\\.kas"), "Quillet.KAS");
    EXPECT_EQ(Default("\\Quillet.KAS"), "KAS event script");
    EXPECT_EQ(Default("\\Quillet.KAS\\DefaultIcon"), "/opt/q/quillet,2");
    EXPECT_EQ(Default("\\Quillet.KAS\\shell\\Open\\command"), "\"/opt/q/quillet\" \"%1\"");
    TRegistry machine;   // nothing lands under the other root
    EXPECT_FALSE(machine.KeyExists("\\.kas"));
}

TEST_F(FileTypeTest, RegisterReplacesWhatWasThere)
{
    {
        TRegistry reg;
        reg.RootKey = HKEY_CLASSES_ROOT;
        ASSERT_TRUE(reg.OpenKey("\\.kas\\OpenWithList\\other", true));
        reg.WriteString("x", "y");
        ASSERT_TRUE(reg.OpenKey("\\Quillet.KAS\\shell\\Edit", true));
        reg.WriteString("", "old");
    }
    RegisterFileType(".kas", "Quillet.KAS", "Script", "icon", -1, "/p");
    EXPECT_FALSE(Exists("\\.kas\\OpenWithList"));
    EXPECT_FALSE(Exists("\\Quillet.KAS\\shell\\Edit"));
    EXPECT_EQ(Default("\\Quillet.KAS\\DefaultIcon"), "icon,-1");
    EXPECT_EQ(Default("\\Quillet.KAS\\shell\\Open\\command"), "\"/p\" \"%1\"");
}

TEST_F(FileTypeTest, UnregisterRemovesBothKeysAndToleratesMissingOnes)
{
    RegisterFileType(".kat", "Quillet.KAT", "Table", "i", 0, "/p");
    RegisterFileType(".kao", "Quillet.KAO", "Table", "i", 0, "/p");
    UnregisterFileType(".kat", "Quillet.KAT");
    EXPECT_FALSE(Exists("\\.kat"));
    EXPECT_FALSE(Exists("\\Quillet.KAT"));
    EXPECT_TRUE(Exists("\\Quillet.KAO\\shell\\Open\\command"));
    UnregisterFileType(".kat", "Quillet.KAT");
    UnregisterFileType(".none", "Nothing");
    EXPECT_EQ(Default("\\.kao"), "Quillet.KAO");
}
