#include "platform/TStringList.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

namespace {

std::vector<AnsiString> ItemsOf(const TStringList &l) { return {l.begin(), l.end()}; }

TEST(TStringList, TextSplitsAtEveryLineBreakKind)
{
    struct Case { AnsiString text; std::vector<AnsiString> items; };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\rc", {"a", "b", "c"}},
        {"\r\n", {""}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"\xE9\xFF\r\n\x80", {"\xE9\xFF", "\x80"}},
    };
    for (const Case &c : cases) {
        TStringList l;
        l.SetText(c.text);
        EXPECT_EQ(ItemsOf(l), c.items) << c.text;
    }
    TStringList l;
    l.SetText("x\ny");
    EXPECT_EQ(l.Text(), "x\r\ny\r\n");
}

TEST(TStringList, SortedListOrdersWithoutCaseAndHandlesDuplicates)
{
    TStringList l;
    l.SetSorted(true);
    l.Duplicates = dupIgnore;
    l.Add("b");
    l.Add("a");
    EXPECT_EQ(l.Add("B"), -1);
    l.Add("C");
    EXPECT_EQ(ItemsOf(l), (std::vector<AnsiString>{"a", "b", "C"}));
    EXPECT_EQ(l.IndexOf("c"), 2);

    TStringList accept;
    accept.SetSorted(true);
    accept.Add("x");
    accept.Add("X");
    EXPECT_EQ(accept.Count(), 2);

    TStringList error;
    error.SetSorted(true);
    error.Duplicates = dupError;
    error.Add("x");
    EXPECT_THROW(error.Add("X"), EListError);
    EXPECT_THROW(error.Insert(0, "y"), EListError);
}

TEST(TStringList, NameValueAccess)
{
    TStringList l;
    l.SetText("KASVersion=1.2\r\nVALUE_SEPARATOR=\r\nEq=a=b\r\nplain");
    EXPECT_EQ(l.Values("kasversion"), "1.2");
    EXPECT_EQ(l.Values("Eq"), "a=b");
    EXPECT_EQ(l.Values("plain"), "");
    EXPECT_EQ(l.IndexOfName("VALUE_SEPARATOR"), 1);
    EXPECT_EQ(l.IndexOfName("VALUE"), -1);
    EXPECT_EQ(l.Names(2), "Eq");
    l.SetValue("New", "v");
    EXPECT_EQ(l[l.Count() - 1], "New=v");
    l.SetValue("KASVersion", "");
    EXPECT_EQ(l.IndexOfName("KASVersion"), -1);
}

TEST(TStringList, FilesRoundTripEveryByte)
{
    QTemporaryDir dir;
    const AnsiString path = FromQPath(dir.filePath("l.txt"));
    TStringList l;
    l.Add("\x01\x80\xFF");
    l.Add("");
    l.SaveToFile(path);
    TStringList back;
    back.LoadFromFile(path);
    EXPECT_EQ(ItemsOf(back), ItemsOf(l));
    EXPECT_THROW(back.LoadFromFile(path + ".missing"), EFOpenError);
    EXPECT_THROW(l.SaveToFile(FromQPath(dir.filePath("no/such/dir/x"))), EFCreateError);
}

} // namespace
