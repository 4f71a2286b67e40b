// Histories, messages, the table cell scan and the place of the replace question.
#include "editing/TextSearch.h"

#include <gtest/gtest.h>

TEST(SearchHistoryTest, PuttingOnTopDropsEveryEqualEntryAndKeepsTheRest)
{
    EXPECT_EQ(PutOnTopOfHistory("", "VR"), "VR\r\n");
    EXPECT_EQ(PutOnTopOfHistory("a\r\nVR\r\nb\r\nVR\r\n", "VR"), "VR\r\na\r\nb\r\n");
    // Exact comparison: another letter case is another entry.
    EXPECT_EQ(PutOnTopOfHistory("vr\r\n", "VR"), "VR\r\nvr\r\n");
    // No cap here: the next dialog OK trims.
    AnsiString long20;
    for (int i = 0; i < 25; ++i) long20 += "e" + std::to_string(i) + "\r\n";
    EXPECT_EQ(HistoryEntries(PutOnTopOfHistory(long20, "new")).size(), 26u);
}

TEST(SearchHistoryTest, DialogItemsMoveToTopWithoutLetterCaseAndKeepTwentyNonEmpty)
{
    std::vector<AnsiString> items{"abc", "VR", "x", "vr"};
    MoveItemToTop(items, "Vr");
    EXPECT_EQ(items, (std::vector<AnsiString>{"Vr", "abc", "x", "vr"}));   // only the first equal item goes
    MoveItemToTop(items, "");
    EXPECT_EQ(items.size(), 4u);

    std::vector<AnsiString> many{"", "a"};
    for (int i = 0; i < 30; ++i) many.push_back("i" + std::to_string(i));
    const auto entries = HistoryEntries(HistoryFromItems(many));
    ASSERT_EQ(entries.size(), size_t(MaxHistoryEntries));
    EXPECT_EQ(entries.front(), "a");
    EXPECT_EQ(entries.back(), "i18");
    EXPECT_EQ(HistoryFromItems({"a", "b"}), "a\r\nb\r\n");
}

TEST(SearchMessageTest, NotFoundTexts)
{
    EXPECT_EQ(NotFoundMessage("/d/s.kas", "VR", false), "Document: \"/d/s.kas\".\r\nText \"VR\" not found.");
    EXPECT_EQ(NotFoundMessage("/d/s.kas", "", true), "Document: \"/d/s.kas\".\r\nText \"\" not found!");
}

TEST(CellMatchTest, CaseLineBreaksAndCodePageLetters)
{
    struct Case
    {
        AnsiString Cell, Pattern;
        bool CaseSensitive;
        int Position;
    };
    const Case cases[] = {
        {"xABCy", "abc", false, 2},
        {"xABCy", "abc", true, 0},
        {"xABCy", "ABC", true, 2},
        {"one\x1Dtwo", "e\r\nt", false, 3},       // an in-cell line break matches CR LF
        {"one\x1Dtwo\x1DVR", "vr", false, 11},    // positions count the CR LF as two
        {"caf\xE9", "CAF\xC9", false, 1},          // Latin-1 letters fold too
        {"caf\xE9", "CAF\xC9", true, 0},
        {"", "a", false, 0},
        {"ab", "abc", false, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CellMatchPosition(c.Cell, c.Pattern, AnsiUpperCase(c.Pattern), c.CaseSensitive), c.Position)
            << c.Cell << " / " << c.Pattern;
}

namespace {

struct Table
{
    std::vector<AnsiString> Cells;
    TableShape Shape;
    Table(int cols, int rows, int fixedCols = 0, int fixedRows = 0)
        : Cells(size_t(cols) * size_t(rows)), Shape{cols, rows, fixedCols, fixedRows}
    {
    }
    AnsiString &At(int col, int row) { return Cells[size_t(row) * size_t(Shape.ColCount) + size_t(col)]; }
    std::optional<CellHit> Find(int col, int row, bool backward, const AnsiString &text = "vr")
    {
        return FindInTable({Cells, Shape}, col, row, backward, text, false);
    }
};

} // namespace

TEST(TableScanTest, ForwardAndBackwardFromTheStartCellWithoutWrapping)
{
    Table t(3, 3);
    t.At(0, 0) = "VR first";
    t.At(2, 1) = "xvr";
    t.At(1, 2) = "last VR";
    EXPECT_EQ(t.Find(0, 0, false), (CellHit{0, 0, 1}));   // the start cell itself is tested
    EXPECT_EQ(t.Find(1, 0, false), (CellHit{2, 1, 2}));
    EXPECT_EQ(t.Find(0, 2, false), (CellHit{1, 2, 6}));
    EXPECT_EQ(t.Find(2, 2, false), std::nullopt);          // no wrap-around
    EXPECT_EQ(t.Find(2, 2, true), (CellHit{1, 2, 6}));
    EXPECT_EQ(t.Find(0, 2, true), (CellHit{2, 1, 2}));
    EXPECT_EQ(t.Find(1, 1, true), (CellHit{0, 0, 1}));
    EXPECT_EQ(t.Find(0, 0, true, "zz"), std::nullopt);
    EXPECT_EQ(t.Find(0, 0, false, ""), std::nullopt);
}

TEST(TableScanTest, FixedCellsAreNeverHitsAndStepsPassThem)
{
    Table t(3, 3, 1, 1);
    t.At(0, 0) = "vr";
    t.At(0, 2) = "vr";
    t.At(1, 2) = "vr";
    EXPECT_EQ(t.Find(0, 0, false), (CellHit{1, 2, 1}));
    EXPECT_EQ(t.Find(1, 2, true), (CellHit{1, 2, 1}));
    EXPECT_EQ(t.Find(2, 1, true), std::nullopt);

    struct Step
    {
        int Col, Row;
        bool Backward;
        int ToCol, ToRow;
    };
    const Step steps[] = {
        {1, 1, false, 2, 1}, {2, 1, false, 1, 2},   // the fixed column is passed over
        {2, 2, false, 2, 2},                        // the last cell stays
        {1, 2, true, 2, 1}, {1, 1, true, 1, 1},     // nothing before the first cell that is not fixed
    };
    for (const Step &s : steps) {
        int col = s.Col, row = s.Row;
        StepCell(col, row, t.Shape, s.Backward);
        EXPECT_EQ(col, s.ToCol) << s.Col << "," << s.Row;
        EXPECT_EQ(row, s.ToRow) << s.Col << "," << s.Row;
    }
    Table plain(2, 2);
    int col = 0, row = 0;
    StepCell(col, row, plain.Shape, true);   // cell (0, 0) stays
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 0);
    col = 1;
    StepCell(col, row, plain.Shape, false);  // from the last column to column 0 of the next row
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 1);
}

TEST(ConfirmPlacementTest, BesideTheHitInsideTheWindow)
{
    const QRect area(100, 100, 600, 300);   // lower third begins below y = 300
    const QSize dialog(350, 100);
    struct Case
    {
        int X, LineTop, LineBottom;
        QPoint Expected;
    };
    const Case cases[] = {
        {150, 120, 136, {150, 140}},            // below the line, at the hit
        {500, 120, 136, {700 - 350, 140}},      // kept inside the right edge
        {150, 290, 306, {150, 290 - 100 - 4}},  // lower third: above the line
        {150, 284, 300, {150, 304}},            // bottom exactly at two thirds: still below
    };
    for (const Case &c : cases) EXPECT_EQ(ConfirmDialogPosition(area, c.X, c.LineTop, c.LineBottom, dialog), c.Expected);
    // A window narrower than the dialog: centred over it.
    EXPECT_EQ(ConfirmDialogPosition(QRect(100, 100, 250, 300), 150, 120, 136, dialog).x(), 100 - 50);
}

#include "synedit/SynMemo.h"

// The text pane's own search: letter cases of the first byte mixed or missing, whole words,
// both directions, and the count of hits met beside the replacements.
TEST(PaneSearchTest, FindsEveryLetterCaseInBothDirections)
{
    TSynMemo memo;
    memo.SetText("VR xvr Vr\r\nvR VRVR");
    struct Case
    {
        AnsiString Search;
        TSynSearchOptions Options;
        int Replaced;
        AnsiString Text;
    };
    const Case cases[] = {
        {"vr", ssoReplace | ssoReplaceAll | ssoEntireScope, 6, "# x# #\r\n# ##\r\n"},
        {"vr", ssoReplace | ssoReplaceAll | ssoEntireScope | ssoBackwards, 6, "# x# #\r\n# ##\r\n"},
        {"VR", ssoReplace | ssoReplaceAll | ssoEntireScope | ssoMatchCase, 3, "# xvr Vr\r\nvR ##\r\n"},
        {"vr", ssoReplace | ssoReplaceAll | ssoEntireScope | ssoWholeWord, 3, "# xvr #\r\n# VRVR\r\n"},
        {"R\r\nV", ssoReplace | ssoReplaceAll | ssoEntireScope | ssoMatchCase, 0, "VR xvr Vr\r\nvR VRVR\r\n"},
        {"r\r\nv", ssoReplace | ssoReplaceAll | ssoEntireScope, 1, "VR xvr V#R VRVR\r\n"},
    };
    for (const Case &c : cases) {
        memo.SetText("VR xvr Vr\r\nvR VRVR");
        int hits = -1;
        EXPECT_EQ(memo.SearchReplace(c.Search, "#", c.Options, &hits), c.Replaced) << c.Search;
        EXPECT_EQ(hits, c.Replaced);
        EXPECT_EQ(memo.Text(), c.Text) << c.Search;
    }
    // Find walks forward, then backward, over hits of either letter case.
    memo.SetText("aVb vR");
    memo.SetSelStart(0);
    EXPECT_EQ(memo.SearchReplace("vr", "", 0), 1);
    EXPECT_EQ(memo.SelStart(), 4);
    EXPECT_EQ(memo.SearchReplace("vr", "", 0), 0);
    EXPECT_EQ(memo.SearchReplace("v", "", ssoBackwards), 1);   // backward from the selection's start
    EXPECT_EQ(memo.SelStart(), 1);
    EXPECT_EQ(memo.SearchReplace("v", "", ssoBackwards), 0);
    EXPECT_EQ(memo.SearchReplace("V", "", ssoBackwards | ssoEntireScope), 1);
    EXPECT_EQ(memo.SelStart(), 4);
    EXPECT_EQ(memo.SearchReplace("", "", ssoEntireScope), 0);
}
