#include "TestFiles.h"
#include "platform/TIniFile.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

namespace {

std::vector<AnsiString> Items(const TStringList &l) { return {l.begin(), l.end()}; }

class IniFileTest : public ::testing::Test
{
protected:
    AnsiString Path() const { return FromQPath(Dir.path()) + "/lists/InsList.il"; }

    AnsiString FileText() const
    {
        QFile f(ToQPath(Path()));
        if (!f.open(QIODevice::ReadOnly))
            return "<missing>";
        const QByteArray b = f.readAll();
        return AnsiString(b.constData(), size_t(b.size()));
    }

    void PutFile(const AnsiString &text) const
    {
        QDir().mkpath(ToQPath(ExtractFilePath(Path())));
        QFile f(ToQPath(Path()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text.data(), qint64(text.size()));
    }

    std::vector<AnsiString> FolderEntries() const
    {
        std::vector<AnsiString> names;
        for (const QString &n : QDir(ToQPath(ExtractFilePath(Path()))).entryList(QDir::Files | QDir::Hidden))
            names.push_back(FromQPath(n));
        return names;
    }

    QTemporaryDir Dir;
};

TEST_F(IniFileTest, AMissingFileReadsAsEmptyAndIsMadeOnTheFirstWrite)
{
    {
        TIniFile ini(Path());
        EXPECT_EQ(ini.ReadString("Information", "Description", "none"), "none");
        EXPECT_FALSE(ini.SectionExists("Information"));
        TStringList names;
        names.Add("stale");
        ini.ReadSections(names);
        EXPECT_EQ(names.Count(), 0);
        ini.EraseSection("Captions");
        ini.DeleteKey("Captions", "0");
    }
    EXPECT_FALSE(QDir(ToQPath(ExtractFilePath(Path()))).exists());

    TIniFile ini(Path());
    ini.WriteString("Captions", "0", "first");
    ini.WriteString("Items", "0", "text");
    ini.WriteString("Captions", "1", "second");
    ini.WriteString("Information", "Description", "");
    EXPECT_EQ(FileText(), "[Captions]\r\n0=first\r\n1=second\r\n[Items]\r\n0=text\r\n[Information]\r\nDescription=\r\n");
    EXPECT_EQ(FolderEntries(), (std::vector<AnsiString>{"InsList.il"}));
}

TEST_F(IniFileTest, NamesIgnoreLetterCaseAndValuesAreTrimmed)
{
    PutFile("[Information]\n"
            "  Description =  spaced value \t\n"
            "Empty=\n"
            "Formula=a=b=c\n"
            "[captions]\r\n"
            "0=one\r\n");
    TIniFile ini(Path());
    EXPECT_EQ(ini.ReadString("INFORMATION", "description", "?"), "spaced value");
    EXPECT_EQ(ini.ReadString("Information", "Empty", "default"), "");
    EXPECT_EQ(ini.ReadString("Information", "Formula", ""), "a=b=c");
    EXPECT_EQ(ini.ReadString("Information", "Missing", "default"), "default");
    EXPECT_EQ(ini.ReadString("Captions", "0", ""), "one");
    EXPECT_TRUE(ini.ValueExists("information", "EMPTY"));
    EXPECT_FALSE(ini.ValueExists("Information", "Missing"));

    // The existing spelling of section and ident stays.
    ini.WriteString("CAPTIONS", "0", "uno");
    ini.WriteString("information", "DESCRIPTION", "new");
    EXPECT_EQ(FileText(), "[Information]\r\n"
                          "Description=new\r\n"
                          "Empty=\r\n"
                          "Formula=a=b=c\r\n"
                          "[captions]\r\n"
                          "0=uno\r\n");
}

TEST_F(IniFileTest, EightBitValuesRoundTrip)
{
    const AnsiString values[] = {"\xE9\xFF\x80\xA0", "\x01\x02", "cell\x1D" "cell", "tab\tinside",
                                 "[not a section]", ";not a comment", "quotes \"kept\"", "back\\slash"};
    {
        TIniFile ini(Path());
        int n = 0;
        for (const AnsiString &v : values)
            ini.WriteString("Items", IntToStr(n++), v);
        ini.WriteString("Items", "broken", "line1\r\nline2\rline3\nend");
    }
    TIniFile ini(Path());
    int n = 0;
    for (const AnsiString &v : values)
        EXPECT_EQ(ini.ReadString("Items", IntToStr(n++), ""), v);
    // A line break would end the line and spill the rest into the file as lines of its own.
    EXPECT_EQ(ini.ReadString("Items", "broken", ""), "line1  line2 line3 end");
    TStringList idents;
    ini.ReadSection("Items", idents);
    EXPECT_EQ(idents.Count(), int(std::size(values)) + 1);
}

TEST_F(IniFileTest, UnknownLinesStayAndEraseTakesTheWholeSection)
{
    PutFile("; list made by hand\r\n"
            "[Information]\r\n"
            "Description=d\r\n"
            "\r\n"
            "[Captions]\r\n"
            "; caption comment\r\n"
            "0=a\r\n"
            "junk without equals\r\n"
            "\r\n"
            "[Items]\r\n"
            "0=x\r\n"
            "[CAPTIONS]\r\n"
            "9=duplicate section\r\n");
    TIniFile ini(Path());
    TStringList names;
    ini.ReadSections(names);
    EXPECT_EQ(Items(names), (std::vector<AnsiString>{"Information", "Captions", "Items"}));
    ini.ReadSection("captions", names);
    EXPECT_EQ(Items(names), (std::vector<AnsiString>{"0"}));   // the first section of a name counts
    EXPECT_EQ(ini.ReadString("Captions", "9", "none"), "none");

    ini.WriteString("Information", "DateTime", "now");
    ini.EraseSection("captions");
    EXPECT_EQ(FileText(), "; list made by hand\r\n"
                          "[Information]\r\n"
                          "Description=d\r\n"
                          "DateTime=now\r\n"
                          "\r\n"
                          "[Items]\r\n"
                          "0=x\r\n");
    ini.DeleteKey("Items", "0");
    EXPECT_TRUE(ini.SectionExists("Items"));
    EXPECT_FALSE(ini.ValueExists("Items", "0"));
}

TEST_F(IniFileTest, ABatchIsWrittenOnceAtTheEnd)
{
    TIniFile ini(Path());
    ini.WriteString("Information", "Description", "old");
    ini.WriteString("Captions", "0", "old caption");
    ini.WriteString("Captions", "5", "stale");
    const AnsiString before = FileText();

    ini.BeginUpdate();
    ini.EraseSection("Captions");
    ini.EraseSection("Items");
    for (int i = 0; i < 3; ++i) {
        ini.WriteString("Captions", IntToStr(i), "c" + IntToStr(i));
        ini.WriteString("Items", IntToStr(i), "i" + IntToStr(i));
    }
    EXPECT_EQ(ini.ReadString("Captions", "2", ""), "c2");      // seen at once
    EXPECT_EQ(ini.ReadString("Captions", "5", "gone"), "gone");
    EXPECT_EQ(FileText(), before);                              // not yet on disk
    {
        TIniFile other(Path());                                  // another writer meanwhile
        other.WriteString("Other", "x", "kept");
    }
    ini.EndUpdate();
    EXPECT_EQ(FileText(), "[Information]\r\n"
                          "Description=old\r\n"
                          "[Other]\r\n"
                          "x=kept\r\n"
                          "[Captions]\r\n"
                          "0=c0\r\n"
                          "1=c1\r\n"
                          "2=c2\r\n"
                          "[Items]\r\n"
                          "0=i0\r\n"
                          "1=i1\r\n"
                          "2=i2\r\n");
}

TEST_F(IniFileTest, TwoObjectsSeeAndKeepEachOthersWrites)
{
    TIniFile a(Path()), b(Path());
    for (int i = 0; i < 50; ++i) {
        a.WriteString("A", IntToStr(i), "a");
        ASSERT_EQ(b.ReadString("A", IntToStr(i), ""), "a");
        b.WriteString("B", IntToStr(i), "b");
        ASSERT_EQ(a.ReadString("B", IntToStr(i), ""), "b");
    }
    TStringList idents;
    TIniFile c(Path());
    c.ReadSection("A", idents);
    EXPECT_EQ(idents.Count(), 50);
    c.ReadSection("B", idents);
    EXPECT_EQ(idents.Count(), 50);
}

TEST_F(IniFileTest, AFailedWriteRaisesAndLeavesTheOldFile)
{
    TIniFile ini(Path());
    ini.WriteString("Information", "Description", "old");
    const AnsiString before = FileText();

    {
        FileSizeLimit limit(4096);
        EXPECT_THROW(ini.WriteString("Items", "0", AnsiString(100000, 'x')), EIniFileException);
    }

    EXPECT_EQ(FileText(), before);
    EXPECT_EQ(FolderEntries(), (std::vector<AnsiString>{"InsList.il"}));
    EXPECT_FALSE(ini.ValueExists("Items", "0"));
}

TEST_F(IniFileTest, NamesThatCannotStandInALineRaise)
{
    TIniFile ini(Path());
    const std::pair<AnsiString, AnsiString> bad[] = {
        {"", "x"}, {"Sec]tion", "x"}, {"Sec\r\ntion", "x"}, {"S", ""}, {"S", "a=b"},
        {"S", ";x"}, {"S", "[x"}, {"S", "a\nb"}, {"  ", "x"},
    };
    for (const auto &[section, ident] : bad)
        EXPECT_THROW(ini.WriteString(section, ident, "v"), EIniFileException) << section << "/" << ident;
    EXPECT_EQ(FileText(), "<missing>");
}

} // namespace
