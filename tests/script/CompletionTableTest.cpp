// The context completion without a window: which record key the text before the caret chooses,
// and the lists that a record gives.
#include "script/CompletionTable.h"

#include <gtest/gtest.h>

namespace {

// A table as start-up leaves it: sorted, case-insensitively.
TSclIndex Table(const std::vector<AnsiString> &lines)
{
    TStringList list;
    for (const AnsiString &line : lines) list.Add(line);
    list.SetSorted(true);
    return TSclIndex(list);
}

const TSclIndex &Standard()
{
    static const TSclIndex table = Table({
        "VALUE_SEPARATOR=`",
        "MAIN_LIST=Main`MAIN_I`MAIN_D",
        "!!VR=Variable`VR_I`VR_D",
        "!!=Receivers`R_I`R_D",
        "!#=Instructions`R_I`R_D",
        "!!vr=lower-case key`VR_I`VR_D",
        "b!!V=cut to four`VR_I`VR_D",
        "x=short name`VR_I`VR_D",
        "a note without an equals sign",
    });
    return table;
}

struct KeyCase
{
    const char *Name;
    std::vector<AnsiString> Lines;
    int CaretX, CaretY;
    const char *Key;   // "" for nothing shown
};

void PrintTo(const KeyCase &c, std::ostream *os) { *os << c.Name; }

class ChooseRecordKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ChooseRecordKeyTest, ChoosesTheRecordOfTheTextBeforeTheCaret)
{
    const KeyCase &c = GetParam();
    const TStringLines lines(c.Lines);
    EXPECT_EQ(ChooseRecordKey(lines, c.CaretX, c.CaretY, Standard()), c.Key);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChooseRecordKeyTest,
    ::testing::Values(
        KeyCase{"ReceiverBeforeColon", {"!!VR:"}, 6, 1, "!!VR"},
        KeyCase{"TextAfterLastSemicolon", {"x;!!VR:"}, 8, 1, "!!VR"},
        KeyCase{"TextAfterLastBlankCutToFour", {"a b!!VR:"}, 9, 1, "b!!V"},
        KeyCase{"NumberAfterReceiverIsCut", {"!!VR1:"}, 7, 1, "!!VR"},
        KeyCase{"InstructionOpener", {"!#"}, 3, 1, "!#"},
        KeyCase{"ReceiverOpener", {"!!"}, 3, 1, "!!"},
        KeyCase{"OpenerAfterBlank", {"x !!"}, 5, 1, "!!"},
        KeyCase{"KeysAreCaseSensitive", {"!!Vr:"}, 6, 1, ""},
        KeyCase{"LowerCaseKeyMatchesOnlyItself", {"!!vr:"}, 6, 1, "!!vr"},
        KeyCase{"ColumnOneGivesMainList", {"!!VR:"}, 1, 1, "MAIN_LIST"},
        KeyCase{"EmptyPaneGivesMainList", {}, 1, 1, "MAIN_LIST"},
        KeyCase{"CaretBeyondLineEndGivesMainList", {"ab"}, 5, 1, "MAIN_LIST"},
        KeyCase{"ColumnTwoAfterOtherCharacterShowsNothing", {"a"}, 2, 1, ""},
        KeyCase{"ColumnTwoAfterColonSearches", {"!!VR", ":"}, 2, 2, "!!VR"},
        KeyCase{"PlainTextGivesMainList", {"abc"}, 4, 1, "MAIN_LIST"},
        KeyCase{"ColonSearchesUpward", {"!!VR", "zz", "qq:"}, 4, 3, "!!VR"},
        KeyCase{"UpwardSearchTakesNearestLine", {"!!VR", "!#", "qq:"}, 4, 3, "!#"},
        KeyCase{"UpwardSearchUsesWholeLinesAbove", {"!!VR:S1;x", "qq:"}, 4, 2, "x"},
        KeyCase{"NoKeyAnywhereShowsNothing", {"zz", "yy", "qq:"}, 4, 3, ""},
        KeyCase{"ExclamationSearchUsesTwoCharacters", {"!!VR", "!q"}, 3, 2, "!!"},
        KeyCase{"TextAfterCaretIsIgnored", {"!!VR:!#"}, 6, 1, "!!VR"}),
    [](const ::testing::TestParamInfo<KeyCase> &info) { return std::string(info.param.Name); });

TEST(KeyWordOfTest, TakesTheTextAfterTheLastSemicolonOrBlankCut)
{
    EXPECT_EQ(KeyWordOf("x;!!VR1", 4), "!!VR");
    EXPECT_EQ(KeyWordOf("a b!!VR", 4), "b!!V");
    EXPECT_EQ(KeyWordOf("a;b c;d", 4), "d");
    EXPECT_EQ(KeyWordOf("a\t!!VR", 4), "a\t!!");   // tabs do not count
    EXPECT_EQ(KeyWordOf("!!VR;", 4), "");
    EXPECT_EQ(KeyWordOf("!#", 2), "!#");
}

TEST(CompletionListsTest, RecordGivesTitleInsertsAndDescriptionsOfEqualLength)
{
    const TSclIndex table = Table({"VALUE_SEPARATOR=`", "!!VR=Variable`VR_I`VR_D", "VR_I=S`+`-`R`H",
                                   "VR_D=set`add`subtract"});
    TCompletionLists lists;
    ASSERT_TRUE(BuildCompletionLists(table, "!!VR", lists));
    EXPECT_EQ(lists.Title, "Variable");
    EXPECT_EQ(lists.Inserts.Join("|"), "S|+|-");
    EXPECT_EQ(lists.Items.Join("|"), "S\tset|+\tadd|-\tsubtract");
}

TEST(CompletionListsTest, RecordNameLookedUpWithoutLetterCaseListsEndAtEmptyItem)
{
    const TSclIndex table = Table({"VALUE_SEPARATOR=;", "main_list=Main;INS;DSC;ignored", "ins=a;b;;c", "DSC=one;two;three"});
    TCompletionLists lists;
    ASSERT_TRUE(BuildCompletionLists(table, "MAIN_LIST", lists));
    EXPECT_EQ(lists.Items.Join("|"), "a\tone|b\ttwo");
}

struct EmptyCase
{
    const char *Name;
    std::vector<AnsiString> Lines;
    const char *Key;
};

void PrintTo(const EmptyCase &c, std::ostream *os) { *os << c.Name; }

class CompletionListsEmptyTest : public ::testing::TestWithParam<EmptyCase> {};

TEST_P(CompletionListsEmptyTest, ShowsNothing)
{
    TCompletionLists lists;
    EXPECT_FALSE(BuildCompletionLists(Table(GetParam().Lines), GetParam().Key, lists));
    EXPECT_EQ(lists.Items.Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompletionListsEmptyTest,
    ::testing::Values(EmptyCase{"TwoFields", {"VALUE_SEPARATOR=`", "!!VR=Variable`VR_I", "VR_I=S"}, "!!VR"},
                      EmptyCase{"EmptyFieldEndsRecord", {"VALUE_SEPARATOR=`", "!!VR=Variable``VR_I`VR_D", "VR_I=S", "VR_D=d"}, "!!VR"},
                      EmptyCase{"KeyAbsent", {"VALUE_SEPARATOR=`", "VR_I=S"}, "!!VR"},
                      EmptyCase{"InsertListMissing", {"VALUE_SEPARATOR=`", "!!VR=V`VR_I`VR_D", "VR_D=d"}, "!!VR"},
                      EmptyCase{"NoSeparator", {"!!VR=V`VR_I`VR_D", "VR_I=S", "VR_D=d"}, "!!VR"},
                      EmptyCase{"EmptyTable", {}, "MAIN_LIST"},
                      EmptyCase{"NoKey", {"VALUE_SEPARATOR=`", "=V`VR_I`VR_D", "VR_I=S", "VR_D=d"}, ""}),
    [](const ::testing::TestParamInfo<EmptyCase> &info) { return std::string(info.param.Name); });

TEST(CompletionStatusTextTest, TabBecomesDashUnlessItEndsTheItem)
{
    EXPECT_EQ(CompletionStatusText("VR\tvariable"), "VR - variable (<Esc> for close)");
    EXPECT_EQ(CompletionStatusText("VR\t"), "VR\t (<Esc> for close)");
    EXPECT_EQ(CompletionStatusText("VR"), "VR (<Esc> for close)");
    EXPECT_EQ(CompletionStatusText("a\tb\tc"), "a - b\tc (<Esc> for close)");
}

TEST(SclIndexTest, FirstLineOfANameInSortedOrderWins)
{
    // Sorted case-insensitively, "!!VR=b..." comes before "!!VR=c..."; "!!vr=a..." sorts first.
    const TSclIndex table = Table({"!!VR=c", "!!VR=b", "!!vr=a"});
    EXPECT_EQ(table.Value("!!VR"), "a");
    EXPECT_TRUE(table.IsName("!!VR"));
    EXPECT_TRUE(table.IsName("!!vr"));
    EXPECT_FALSE(table.IsName("!!Vr"));
    EXPECT_FALSE(table.IsName(""));
}

} // namespace
