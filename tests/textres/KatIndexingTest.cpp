#include "textres/KatIndexing.h"
#include "textres/TextScanner.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// Settings as the manager window sets them up, in lists of the test's own.
struct Settings
{
    std::array<TStringList, 6> Types;
    TStringList Common;
    explicit Settings(const AnsiString &scriptNumber = "07")
    {
        for (TStringList &t : Types) {
            t.Add("TRUE");
            t.Add("1");
            t.Add("0");
        }
        Common.Add(scriptNumber);
        Common.Add("1");
        Common.Add("S");
    }
    std::vector<AnsiString> Postfixes() const
    {
        std::vector<AnsiString> p;
        for (const TStringList &t : Types) p.push_back(t[2]);
        return p;
    }
};

std::vector<KatItem> ItemsOf(const AnsiString &script)
{
    std::vector<KatItem> items;
    for (const FoundText &f : ScanTexts(script).Texts) items.push_back({f.Kind, f.Letter, f.Start, f.End, f.Text, true});
    return items;
}

std::vector<AnsiString> IndexesOf(const KattifyResult &r)
{
    std::vector<AnsiString> v;
    for (const KatRow &row : r.Rows) v.push_back(row.Index);
    return v;
}

TEST(KatIndexing, ScriptNumberFromFileName)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/maps/SCRIPT12.KAS", "12"}, {"/maps/Script07.kas", "07"}, {"SCRIPTAB.KAS", "0"},
        {"SCRIPT.KAS", "0"},          {"/x/MYSCRIPT7.KAS", "0"},    {"/script99/a.kas", "0"},
    };
    for (const auto &[caption, number] : cases) EXPECT_EQ(ScriptNumberOf(caption), number) << caption;
}

// Two M texts and an S text of "!!" commands in a script numbered 07.
TEST(KatIndexing, NumbersTextsWithTheSharedCounter)
{
    Settings s;
    const AnsiString script = "!!IF:M^one^;\r\n!!VR:S^two^;\r\n!!IF:M^three^;\r\n";
    const KattifyResult r = Kattify(script, ItemsOf(script), s.Types, s.Common);
    EXPECT_EQ(IndexesOf(r), (std::vector<AnsiString>{"107000", "107001", "107002"}));
    EXPECT_EQ(EditedScript(script, r.Edits), "!!IF:M1/z107000;\r\n!!VR:Sz107001;\r\n!!IF:M1/z107002;\r\n");
    EXPECT_EQ(r.Rows[1].Type, 2);
    EXPECT_EQ(s.Postfixes(), (std::vector<AnsiString>{"3", "1", "2", "1", "1", "1"}));
}

TEST(KatIndexing, IndexScheme)
{
    TStringList common;
    for (const char *v : {"07", "1", "S"}) common.Add(v);
    EXPECT_EQ(ComposeIndex("0", common, 0), "7000");
    EXPECT_EQ(ComposeIndex("1", common, 1000), "1071000");
    common.SetString(0, "0");
    EXPECT_EQ(ComposeIndex("1", common, 5), "100005");
    EXPECT_EQ(common[0], "00");
    common.SetString(0, "");
    EXPECT_EQ(ComposeIndex("1", common, 42), "1042");
}

TEST(KatIndexing, PostfixGrowsPastThreeDigits)
{
    Settings s;
    s.Types[0].SetString(2, "998");
    const AnsiString script = "!!IF:M^a^;!!IF:M^b^;";
    const KattifyResult r = Kattify(script, ItemsOf(script), s.Types, s.Common);
    EXPECT_EQ(IndexesOf(r), (std::vector<AnsiString>{"107998", "107999"}));
    EXPECT_EQ(s.Types[0][2], "1000");
    const AnsiString next = "!!IF:M^c^;";
    EXPECT_EQ(IndexesOf(Kattify(next, ItemsOf(next), s.Types, s.Common)), (std::vector<AnsiString>{"1071000"}));
}

TEST(KatIndexing, TextsThatStayInTheScript)
{
    struct Case
    {
        const char *Name;
        AnsiString Script;
        std::function<void(Settings &)> Setup;
    };
    const Case cases[] = {
        {"question and dollar commands", "!?FU:M^a^;!$OB:M^b^;", {}},
        {"disabled type", "!!IF:Q^a^;", [](Settings &s) { s.Types[1].SetString(0, "FALSE"); }},
        {"unknown letter left alone", "!!FU:X^a^;", [](Settings &s) { s.Common.SetString(2, "-"); }},
        {"no colon before it", "!!FU^a^;", [](Settings &s) { s.Common.SetString(2, "-"); }},
        {"a digit after the closing caret", "!!IF:M^a^5;", {}},
        {"unpaired caret", "!!IF:M^never closed", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        Settings s;
        if (c.Setup) c.Setup(s);
        const KattifyResult r = Kattify(c.Script, ItemsOf(c.Script), s.Types, s.Common);
        EXPECT_EQ(EditedScript(c.Script, r.Edits), c.Script);
        EXPECT_TRUE(r.Rows.empty());
        EXPECT_EQ(s.Postfixes(), std::vector<AnsiString>(6, "1"));
    }
}

TEST(KatIndexing, DisabledTypeDoesNotAdvanceTheCounter)
{
    Settings s;
    s.Types[1].SetString(0, "FALSE");
    const AnsiString script = "!!IF:Q^skip^;!!IF:M^a^;!#IF:S^b^;";
    const KattifyResult r = Kattify(script, ItemsOf(script), s.Types, s.Common);
    EXPECT_EQ(IndexesOf(r), (std::vector<AnsiString>{"107000", "107001"}));
    EXPECT_EQ(EditedScript(script, r.Edits), "!!IF:Q^skip^;!!IF:M1/z107000;!#IF:Sz107001;");
}

TEST(KatIndexing, UnknownLetterTakesTheConfiguredType)
{
    Settings s;
    const AnsiString script = "!#FU:X^a^;";
    const KattifyResult r = Kattify(script, ItemsOf(script), s.Types, s.Common);
    ASSERT_EQ(r.Rows.size(), 1u);
    EXPECT_EQ(TypeText(r.Rows[0].Type), "!#S");
    EXPECT_EQ(EditedScript(script, r.Edits), "!#FU:Xz107000;");
}

TEST(KatIndexing, UncheckedAndLineBreakTexts)
{
    Settings s;
    const AnsiString script = "!!IF:M^skip^;!!IF:M^two\r\nlines^;";
    std::vector<KatItem> items = ItemsOf(script);
    items[0].Checked = false;
    const KattifyResult r = Kattify(script, items, s.Types, s.Common);
    ASSERT_EQ(r.Rows.size(), 1u);
    EXPECT_EQ(r.Rows[0].Cell, "two\x1Dlines");
    EXPECT_EQ(EditedScript(script, r.Edits), "!!IF:M^skip^;!!IF:M1/z107000;");
}

TEST(KatIndexing, PostfixThatIsNoNumberStopsWithoutChangingAnything)
{
    Settings s;
    s.Types[0].SetString(2, "x1");
    const AnsiString script = "!!IF:M^a^;";
    EXPECT_THROW(Kattify(script, ItemsOf(script), s.Types, s.Common), EConvertError);
    EXPECT_EQ(s.Types[0][2], "x1");
}

TEST(KatIndexing, CommentColumn)
{
    EXPECT_EQ(KatComment("old", 0, true, "2.1", true), "!!M; Script version = 2.1");
    EXPECT_EQ(KatComment("old", 4, true, "", true), "!#Q");
    EXPECT_EQ(KatComment("old", 0, false, "2.1", true), "old; Script version = 2.1");
    EXPECT_EQ(KatComment("", 0, false, "2.1", true), "Script version = 2.1");
    EXPECT_EQ(KatComment("old", 0, false, "2.1", false), "old");
}

TEST(KatIndexing, ScriptVersionFromTheHeader)
{
    EXPECT_EQ(ScriptVersionIn("a\r\nquil_scriptversion=2.1\r\nQUIL_ScriptVersion=9\r\n"), "2.1");
    EXPECT_EQ(ScriptVersionIn("AUTO_ScriptVersion=1.5\r\nQUIL_ScriptVersion=\r\n"), "1.5");
    EXPECT_EQ(ScriptVersionIn("QUIL_ScriptVersion=3\r\nAUTO_ScriptVersion=1.5\r\n"), "3");
    EXPECT_EQ(ScriptVersionIn("x=1\r\nQUIL_ScriptVersion 2\r\n"), "");
    EXPECT_EQ(ScriptVersionIn("QUIL_ScriptVersion=a=b"), "a=b");
}

TEST(KatIndexing, HeaderOfTheScript)
{
    EXPECT_EQ(KatHeaderText("/maps/Script07.kas"), "Text resource for \"Script07.kas\" document");
    EXPECT_TRUE(IsKatHeaderOf("a#b", "x Text resource for \"Script07.kas\" document y", "/m/Script07.kas"));
    EXPECT_FALSE(IsKatHeaderOf("#", "Text resource for \"Other.kas\" document", "/m/Script07.kas"));
    EXPECT_FALSE(IsKatHeaderOf("", "Text resource for \"Script07.kas\" document", "/m/Script07.kas"));
}

// ---- Write back and the clipboard list ----

TEST(KatIndexing, WriteBackMovesLaterPositions)
{
    const AnsiString script = "!!IF:M^a^;!!IF:M^bb^;!!IF:M^c^;";
    std::vector<KatItem> items = ItemsOf(script);
    items[0].Text = "longer";
    items[2].Checked = false;
    items[2].Text = "ignored";
    const AnsiString written = EditedScript(script, WriteBackTexts(script, items));
    EXPECT_EQ(written, "!!IF:M^longer^;!!IF:M^bb^;!!IF:M^c^;");
    // A second run finds every text at its new place and changes nothing.
    std::vector<KatItem> again = items;
    EXPECT_TRUE(WriteBackTexts(written, again).empty());
    const std::vector<KatItem> rescanned = ItemsOf(written);
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].Start, rescanned[i].Start);
        EXPECT_EQ(items[i].End, rescanned[i].End);
    }
}

// A pane's text ends with a line break its document does not hold; an unpaired caret's text runs
// into it. Left as it is, it changes nothing; edited, it replaces the script's part only.
TEST(KatIndexing, WriteBackOfATextThatRunsIntoTheFinalLineBreak)
{
    const AnsiString document = "!!IF:M^a^;\r\n!!IF:M^tail";
    std::vector<KatItem> items = ItemsOf(document + "\r\n");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].Text, "tail\r");
    EXPECT_TRUE(WriteBackTexts(document, items, "\r\n").empty());
    items[1].Text = "new";
    EXPECT_EQ(EditedScript(document, WriteBackTexts(document, items, "\r\n")), "!!IF:M^a^;\r\n!!IF:M^new");
}

TEST(KatIndexing, CopyList)
{
    EXPECT_EQ(JoinMessageList({"a", "b"}, true, "<<<_END_OF_MESSAGE_>>>"), "a\r\n<<<_END_OF_MESSAGE_>>>\r\nb");
    EXPECT_EQ(JoinMessageList({"a", "b"}, false, "<<<_END_OF_MESSAGE_>>>"), "a\r\nb");
    EXPECT_EQ(JoinMessageList({}, true, "<<<_END_OF_MESSAGE_>>>"), "");
}

TEST(KatIndexing, PasteList)
{
    const AnsiString sep = "<<<_END_OF_MESSAGE_>>>";
    std::vector<AnsiString> texts = {"1", "2", "3"};
    PasteMessageList("\r\n\r\nx\r\ny\r\n" + sep + "\r\nz", sep, texts);
    EXPECT_EQ(texts, (std::vector<AnsiString>{"x\r\ny", "z", "3"}));
    std::vector<AnsiString> lf = {"1", "2"};
    PasteMessageList("p\n" + sep + "\nq\n", sep, lf);
    EXPECT_EQ(lf, (std::vector<AnsiString>{"p", "q"}));
}

// ---- De-KATtify ----

TEST(KatIndexing, RestoresEachFormOfReference)
{
    const std::vector<AnsiString> indexes = {"#", "5", "7"};
    const std::vector<AnsiString> texts = {"header", "Hello", "two\x1Dlines"};
    const AnsiString script = "!!IF:M1/z5;!!IF:Q/z7;!!VR:Sz5;!!IF:M1/z9;";
    const RestoreResult r = RestoreKatReferences(script, indexes, texts);
    EXPECT_EQ(EditedScript(script, r.Edits), "!!IF:M^Hello^;!!IF:Q^two\r\nlines^;!!VR:S^Hello^;!!IF:M1/z9;");
    EXPECT_EQ(r.Restored, (std::vector<bool>{false, true, true}));
}

// The rows are found by their index wherever they stand in the table and in whatever order the
// script names them; of equal indexes the first row counts, and "07" is not "7".
TEST(KatIndexing, RestoreFindsRowsInAnyOrder)
{
    struct Case
    {
        std::vector<AnsiString> Indexes, Texts;
        AnsiString Script, Restored;
        std::vector<bool> RowsRestored;
    };
    const Case cases[] = {
        {{"30", "4", "200"}, {"thirty", "four", "two hundred"}, "z200 z4 z30 z4", "^two hundred^ ^four^ ^thirty^ ^four^",
         {true, true, true}},
        {{"9", "5", "9", "5"}, {"a", "b", "c", "d"}, "z5 z9 z5", "^b^ ^a^ ^b^", {true, true, false, false}},
        {{"07", "7", "007"}, {"x", "y", "w"}, "z7 z07 z007 z0007", "^y^ ^x^ ^w^ z0007", {true, true, true}},
        {{"10", "20", "x"}, {"ten", "twenty", "none"}, "z5 z15 z25 z20 z10", "z5 z15 z25 ^twenty^ ^ten^", {true, true, false}},
        {{"1", "2"}, {"a\x1D" "b", "c"}, "z1;z1;z2;z1", "^a\r\nb^;^a\r\nb^;^c^;^a\r\nb^", {true, true}},
        {{}, {}, "z1", "z1", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Script);
        const RestoreResult r = RestoreKatReferences(c.Script, c.Indexes, c.Texts);
        EXPECT_EQ(EditedScript(c.Script, r.Edits), c.Restored);
        EXPECT_EQ(r.Restored, c.RowsRestored);
    }
}

// Rows 1 and 10: z1 must not match inside z10, nor %Z1 inside %Z10.
TEST(KatIndexing, ReferencesMatchOnlyWholeIndexes)
{
    const std::vector<AnsiString> indexes = {"1", "10"};
    std::vector<AnsiString> texts = {"one", "ten %Z1 and %Z10"};
    ExpandKatReferences(indexes, texts);
    EXPECT_EQ(texts[1], "ten one and %Z10");
    const AnsiString script = "M1/z10;M1/z1;z10 z1";
    const RestoreResult r = RestoreKatReferences(script, indexes, texts);
    EXPECT_EQ(EditedScript(script, r.Edits), "M^ten one and %Z10^;M^one^;^ten one and %Z10^ ^one^");
}

// A text that holds its own reference: each reference is replaced once, and the run ends.
TEST(KatIndexing, SelfReferenceEnds)
{
    const AnsiString script = "!!IF:M1/z5;z5";
    const RestoreResult r = RestoreKatReferences(script, {"5"}, {"see z5 and M1/z5"});
    EXPECT_EQ(EditedScript(script, r.Edits), "!!IF:M^see z5 and M1/z5^;^see z5 and M1/z5^");
}

TEST(KatIndexing, RowsWithoutANumberTakeNoPart)
{
    const std::vector<AnsiString> indexes = {"#5", "", "-5", "5a"};
    std::vector<AnsiString> texts = {"a", "b", "c", "d %Z5"};
    EXPECT_EQ(ExpandKatReferences(indexes, texts), std::vector<bool>(4, false));
    const AnsiString script = "M1/z5 z5 /z5";
    EXPECT_EQ(EditedScript(script, RestoreKatReferences(script, indexes, texts).Edits), script);
}

TEST(KatIndexing, ExpansionInGridOrder)
{
    // Row 9 names row 7, which comes first: row 9 gets row 7's text with its two %Z8. Then
    // row 8 goes into the first %Z8 of each row that holds one, row 9's included.
    const std::vector<AnsiString> indexes = {"7", "8", "9"};
    std::vector<AnsiString> texts = {"A %Z8 %Z8", "B", "C %Z7"};
    const std::vector<bool> sources = ExpandKatReferences(indexes, texts);
    EXPECT_EQ(texts[0], "A B %Z8");
    EXPECT_EQ(texts[2], "C A B %Z8");
    EXPECT_EQ(sources, (std::vector<bool>{true, true, false}));
}

TEST(KatIndexing, ExpansionOfASelfReferringTextEnds)
{
    const std::vector<AnsiString> indexes = {"1", "2"};
    std::vector<AnsiString> texts = {"x %Z1", "y %Z1"};
    ExpandKatReferences(indexes, texts);
    EXPECT_EQ(texts[0], "x %Z1");
    EXPECT_EQ(texts[1], "y x %Z1");
}

// KATtify then restore gives the script back, texts of every form included.
TEST(KatIndexing, RoundTrip)
{
    const AnsiString script = "; head\r\n!#IF:M^Welcome!^;\r\n!!IF:Q2^Fight?^;\r\n!!VR:z5:S^a ; b^;\r\n"
                              "!!IF:M^two\r\nlines^;\r\n!#VR:z3:Q^hash^;\r\n!#IF:S^s^;\r\n!!FU:X^unknown^;\r\n"
                              "!?FU^never^;\r\n!$OB^dollar^;\r\n!!IF:M^^;\r\n!!IF:M^a^5;\r\n";
    Settings s;
    const KattifyResult k = Kattify(script, ItemsOf(script), s.Types, s.Common);
    EXPECT_EQ(k.Rows.size(), 8u);
    std::vector<AnsiString> indexes = {"#"}, texts = {KatHeaderText("Script07.kas")};
    for (const KatRow &row : k.Rows) {
        indexes.push_back(row.Index);
        texts.push_back(row.Cell);
    }
    ExpandKatReferences(indexes, texts);
    const AnsiString kattified = EditedScript(script, k.Edits);
    const RestoreResult r = RestoreKatReferences(kattified, indexes, texts);
    EXPECT_EQ(EditedScript(kattified, r.Edits), script);
}

} // namespace

namespace {

// Texts whose reference would read as another form stay in the script.
TEST(KatIndexing, TextsWhoseReferenceWouldReadAsAnotherFormStay)
{
    const char *const scripts[] = {"!!IF:M1/^a^;", "!!IF:M ^a^;", "!!IF:QM1^a^;", "!!VR:S/^a^;", "!!IF:M1/^a^;"};
    for (const char *script : scripts) {
        SCOPED_TRACE(script);
        Settings s;
        const KattifyResult r = Kattify(script, ItemsOf(script), s.Types, s.Common);
        EXPECT_EQ(EditedScript(script, r.Edits), script);
        EXPECT_TRUE(r.Rows.empty());
    }
}

// Any script made of the characters that matter gives itself back after KATtify and
// De-KATtify, whatever texts were moved (its digits 1 and 5 never make an index of 107...).
TEST(KatIndexing, RoundTripOfRandomScripts)
{
    const AnsiString pieces[] = {"!", "!!", "!#", "!?", "!$", ":", "M", "Q", "S", "X", ";", "^", "/", "1", "5",
                                 "z", "a", " ", "\r\n", "M1/", "%Z", "!!IF:M", "!#VR:S", "!!FU:Q", "^", "^;"};
    std::mt19937 random(7);
    size_t moved = 0;
    for (int round = 0; round < 3000; ++round) {
        AnsiString script;
        const int length = int(random() % 40);
        for (int i = 0; i < length; ++i) script += pieces[random() % std::size(pieces)];
        Settings s;
        std::vector<KatItem> items = ItemsOf(script);
        for (KatItem &item : items) item.Checked = random() % 4 != 0;
        const KattifyResult k = Kattify(script, items, s.Types, s.Common);
        std::vector<AnsiString> indexes, texts;
        for (const KatRow &row : k.Rows) {
            indexes.push_back(row.Index);
            texts.push_back(row.Cell);
        }
        const AnsiString kattified = EditedScript(script, k.Edits);
        const RestoreResult r = RestoreKatReferences(kattified, indexes, texts);
        ASSERT_EQ(EditedScript(kattified, r.Edits), script) << "round " << round;
        ASSERT_EQ(std::count(r.Restored.begin(), r.Restored.end(), true), long(k.Rows.size()));
        moved += k.Rows.size();
    }
    EXPECT_GT(moved, 500u);   // the scripts did give texts to move
}

} // namespace

namespace {

// A text holding the cell's line break 0x1D would come back with CR LF in its place: it stays in
// the script, and the texts beside it still move and come back.
TEST(KatIndexing, TextWithTheCellLineBreakStays)
{
    const AnsiString script = "!!IF:M^a^;\r\n!!IF:M^b\x1D" "c^;\r\n!!IF:S^d^;\r\n";
    Settings s;
    const KattifyResult k = Kattify(script, ItemsOf(script), s.Types, s.Common);
    ASSERT_EQ(k.Rows.size(), 2u);
    const AnsiString kattified = EditedScript(script, k.Edits);
    EXPECT_EQ(kattified, "!!IF:M1/z107000;\r\n!!IF:M^b\x1D" "c^;\r\n!!IF:Sz107001;\r\n");
    std::vector<AnsiString> texts;
    for (const KatRow &row : k.Rows) texts.push_back(row.Cell);
    EXPECT_EQ(EditedScript(kattified, RestoreKatReferences(kattified, IndexesOf(k), texts).Edits), script);
}

} // namespace

namespace {

KatTakenIndexes TableOf(const std::vector<std::pair<AnsiString, AnsiString>> &rows)
{
    KatTakenIndexes taken;
    for (const auto &[index, text] : rows) taken.AddRow(index, text);
    return taken;
}

// Numbers whose index is taken are passed over, as if their rows had been written: by the rows
// of the table (restored ones too), by the references the table's texts make, by the script's
// own "z" + digits and "%Z" + digits, by a moved text and by an earlier text of the same run.
TEST(KatIndexing, TakenIndexesArePassedOver)
{
    struct Case
    {
        const char *Name;
        AnsiString Script;
        std::vector<std::pair<AnsiString, AnsiString>> Table;
        std::vector<AnsiString> Indexes;
        std::vector<AnsiString> Postfixes;
    };
    const Case cases[] = {
        {"the table's rows", "!!VR:S^a^;!!VR:S^b^;", {{"#", "header"}, {"107000", "x"}, {"#107002", "y"}},
         {"107001", "107003"}, {"1", "1", "4", "1", "1", "1"}},
        {"a table text's reference", "!!VR:S^a^;", {{"5", "see %Z107000"}}, {"107001"}, {"1", "1", "2", "1", "1", "1"}},
        {"the script's own z and %Z", "!!VRz107000:S^a^;!!IF:M^b^;!!VR:S^%Z107002^;", {},
         {"107001", "107003", "107004"}, {"4", "1", "5", "1", "1", "1"}},
        {"a moved text's reference", "!!VR:S^a^;!!VR:S^b %Z107001 z107002^;", {}, {"107000", "107003"},
         {"1", "1", "4", "1", "1", "1"}},
        {"numbers with a leading zero are no index", "!!VR:S^a^;z0107000 %Z0107000", {{"0107000", ""}}, {"107000"},
         {"1", "1", "1", "1", "1", "1"}},
        {"a run of one type blocks another", "!!IF:M^a^;!!IF:Q^b^;", {{"107001", ""}}, {"107000", "107002"},
         {"1", "3", "1", "1", "1", "1"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        Settings s;
        const KattifyResult r = Kattify(c.Script, ItemsOf(c.Script), s.Types, s.Common, TableOf(c.Table));
        EXPECT_EQ(IndexesOf(r), c.Indexes);
        EXPECT_EQ(s.Postfixes(), c.Postfixes);
        EXPECT_EQ(r.Stayed, (std::array<int, KatStayReasonCount>{}));
    }
}

// A second run with the Postfix values the first left: the numbering goes on past what the
// first gave, here through the references it put into the script.
TEST(KatIndexing, ASecondRunNeverRepeatsTheFirstsIndexes)
{
    Settings s;
    const AnsiString script = "!!VR:S^a^;!!VR:S^b^;!!IF:M^c^;";
    std::vector<KatItem> items = ItemsOf(script);
    items[2].Checked = false;
    const KattifyResult first = Kattify(script, items, s.Types, s.Common);
    const AnsiString once = EditedScript(script, first.Edits);
    const KattifyResult second = Kattify(once, ItemsOf(once), s.Types, s.Common);
    EXPECT_EQ(IndexesOf(first), (std::vector<AnsiString>{"107000", "107001"}));
    EXPECT_EQ(IndexesOf(second), (std::vector<AnsiString>{"107002"}));
}

// The numbers of a type run out: the text stays and is counted; the settings are those of the
// last number given. An increment of 0 cannot step past a taken number.
TEST(KatIndexing, NoFreeIndexLeft)
{
    struct Case
    {
        const char *Name;
        AnsiString Postfix, Increment, Script;
        std::vector<AnsiString> Indexes;
        AnsiString PostfixAfter;
    };
    const Case cases[] = {
        {"the greatest number taken", "999999999999999998", "1",
         "!!VR:S^a^;!!VR:S^b^;!!VR:S^c^;z107999999999999999999", {"107999999999999999998"}, "999999999999999999"},
        {"past the greatest number", "999999999999999999", "1", "!!VR:S^a^;!!VR:S^b^;!!VR:S^c^;",
         {"107999999999999999999"}, "1000000000000000000"},
        {"increment 0", "0", "0", "!!VR:S^a^;!!VR:S^b^;!!VR:S^c^;", {"107000"}, "1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        Settings s;
        s.Types[2].SetString(2, c.Postfix);
        s.Common.SetString(1, c.Increment);
        const KattifyResult r = Kattify(c.Script, ItemsOf(c.Script), s.Types, s.Common);
        EXPECT_EQ(IndexesOf(r), c.Indexes);
        EXPECT_EQ(r.Stayed[KatStayNoFreeIndex], 2);
        EXPECT_EQ(s.Types[2][2], c.PostfixAfter);
        EXPECT_EQ(EditedScript(c.Script, r.Edits).substr(0, 10), "!!VR:Sz" + c.Indexes[0].substr(0, 3));
    }
}

TEST(KatIndexing, BytesACellKeeps)
{
    const std::pair<AnsiString, bool> cases[] = {
        {"plain ; text !", true},        {"two\r\nlines\r\n", true},   {"\r\nfirst", true},
        {"\x15\x1C\x1E\x1F\x7F\xFF", true}, {"tab\there", false},       {"lone\rcr", false},
        {"lone\nlf", false},             {"cr\r\r\nlf", false},        {"ends in cr\r", false},
        {AnsiString("nul\0", 4), false}, {"ff\x0c", false},            {"\x14", false},
        {"cell break\x1D", false},
    };
    for (const auto &[text, keeps] : cases) EXPECT_EQ(CellCanKeep(text), keeps) << text;
}

// Each checked text of an enabled type that stays is counted once, by its first reason.
TEST(KatIndexing, TextsThatStayAreCountedByReason)
{
    const AnsiString script = "!!IF:M^unclosed-later^;!!IF:M^a^5;!!IF:M1/^b^;!!VR:S^tab\tc^;!!VR:S^\x1D^;"
                              "!!VR:S^moves^;!?FU:M^no type^;!!IF:M^never closed";
    Settings s;
    std::vector<KatItem> items = ItemsOf(script);
    items[0].Start += 1;   // no longer where the search found it
    const KattifyResult r = Kattify(script, items, s.Types, s.Common);
    EXPECT_EQ(IndexesOf(r), (std::vector<AnsiString>{"107000"}));
    EXPECT_EQ(r.Stayed, (std::array<int, KatStayReasonCount>{2, 2, 2, 0}));
}

TEST(KatIndexing, MessageOfTheTextsThatStayed)
{
    EXPECT_EQ(KatStayedMessage({}), "");
    EXPECT_EQ(KatStayedMessage({0, 0, 0, 1}),
              "Attention! 1 selected text stayed in the script:\r\n1 - no free index is left for its string type.");
    EXPECT_EQ(KatStayedMessage({1, 2, 0, 3}),
              "Attention! 6 selected texts stayed in the script:\r\n"
              "1 - it is not closed, or not where the search found it;\r\n"
              "2 - a digit after it, or the text before it, would make its index reference read as another one;\r\n"
              "3 - no free index is left for its string type.");
}

TEST(KatIndexing, RepeatedIndexes)
{
    struct Case
    {
        std::vector<AnsiString> Indexes, Repeated;
    };
    const Case cases[] = {
        {{"#", "1", "2", "3"}, {}},
        {{"5", "10", "5", "10", "10", "9"}, {"5", "10"}},
        {{"7", "07", "#7", "", "7a"}, {}},
        {{"1", "1", "2", "2", "3"}, {"1", "2"}},
    };
    for (const Case &c : cases) EXPECT_EQ(RepeatedKatIndexes(c.Indexes), c.Repeated);
    std::vector<AnsiString> many;
    for (int i = 0; i < 12; ++i) many.insert(many.end(), 2, std::to_string(100 + i));
    const AnsiString question = RepeatedKatIndexesQuestion(RepeatedKatIndexes(many));
    EXPECT_NE(question.find("index: 100, 101, 102, 103, 104, 105, 106, 107, 108, 109 and 2 more.\r\n"), AnsiString::npos);
}

// Scripts of the pieces that matter, with reference-like code of their own, texts with TAB,
// control bytes and ";", and a table that already holds rows, under every Prefix 0..9: KATtify
// never gives a taken index, and De-KATtify of the new rows gives the script back byte for byte.
TEST(KatIndexing, RoundTripWithTakenIndexes)
{
    const AnsiString pieces[] = {"!!IF:M", "!#VR:S", "!!FU:Q", "^", "^;", ";", "z", "%Z", "1", "0", "10",
                                 "100000", "100001", "1000", "/", "M1/", "a", "\t", "\x07", "\x1D", "\r\n", " "};
    std::mt19937 random(11);
    size_t moved = 0, skipped = 0;
    for (int round = 0; round < 4000; ++round) {
        AnsiString script;
        const int length = int(random() % 40);
        for (int i = 0; i < length; ++i) script += pieces[random() % std::size(pieces)];
        Settings s("0");
        const AnsiString prefix = std::to_string(random() % 10);
        for (TStringList &t : s.Types) t.SetString(1, prefix);
        std::vector<AnsiString> tableIndexes;
        KatTakenIndexes table;
        for (int i = int(random() % 4); i > 0; --i) {
            TStringList common = s.Common;
            tableIndexes.push_back(ComposeIndex(prefix, common, long(random() % 4)));
            table.AddRow(tableIndexes.back(), "");
        }
        std::vector<KatItem> items = ItemsOf(script);
        for (KatItem &item : items) item.Checked = random() % 4 != 0;
        const KattifyResult k = Kattify(script, items, s.Types, s.Common, table);

        std::vector<AnsiString> indexes, texts;
        for (const KatRow &row : k.Rows) {
            ASSERT_EQ(std::count(tableIndexes.begin(), tableIndexes.end(), row.Index), 0) << "round " << round;
            ASSERT_EQ(std::count(indexes.begin(), indexes.end(), row.Index), 0) << "round " << round;
            indexes.push_back(row.Index);
            texts.push_back(row.Cell);
            skipped += row.Index != ComposeIndex(prefix, s.Common, long(indexes.size() - 1));
        }
        std::vector<AnsiString> expanded = texts;
        ExpandKatReferences(indexes, expanded);
        ASSERT_EQ(expanded, texts) << "round " << round;
        const AnsiString kattified = EditedScript(script, k.Edits);
        const RestoreResult r = RestoreKatReferences(kattified, indexes, texts);
        ASSERT_EQ(EditedScript(kattified, r.Edits), script) << "round " << round;
        ASSERT_EQ(std::count(r.Restored.begin(), r.Restored.end(), true), long(k.Rows.size()));
        moved += k.Rows.size();
    }
    EXPECT_GT(moved, 300u);   // many texts hold a byte a cell cannot keep, and stay
    EXPECT_GT(skipped, 100u);   // taken indexes did come up
}

} // namespace
