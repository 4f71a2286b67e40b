// Table cells as clipboard text and back.
#include "editing/CellClipboard.h"

#include "shell/DocumentFiles.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace {

// The cells a paste of the text stores, by (column, row).
std::map<std::pair<int, int>, AnsiString> Pasted(const AnsiString &text)
{
    std::map<std::pair<int, int>, AnsiString> cells;
    ForEachClipboardCell(text, [&](int c, int r, AnsiString &&cell) { cells[{c, r}] = std::move(cell); });
    return cells;
}

using Cells = std::map<std::pair<int, int>, AnsiString>;

} // namespace

TEST(CellClipboard, CopiesABlockRowByRowWithTabsAndCrLfAfterEveryRow)
{
    // 3 x 3 table; the block is its lower right 2 x 2 corner.
    const std::vector<AnsiString> cells = {"-", "-", "-", "-", "a", "b", "-", "c", "d"};
    EXPECT_EQ(CellsToClipboardText(cells, 3, {1, 1, 2, 2}), "a\tb\r\nc\td\r\n");
    EXPECT_EQ(CellsToClipboardText(cells, 3, {2, 0, 2, 0}), "-\r\n");
    const std::vector<AnsiString> empty(6);
    EXPECT_EQ(CellsToClipboardText(empty, 3, {0, 0, 2, 1}), "\t\t\r\n\t\t\r\n");
}

TEST(CellClipboard, AnInCellLineBreakTravelsAsALoneLfAndComesBack)
{
    const std::vector<AnsiString> cells = {"x\x1Dy", "\x1D"};
    const AnsiString text = CellsToClipboardText(cells, 2, {0, 0, 1, 0});
    EXPECT_EQ(text, "x\ny\t\n\r\n");
    EXPECT_EQ(Pasted(text), (Cells{{{0, 0}, "x\x1Dy"}, {{1, 0}, "\x1D"}}));
}

TEST(CellClipboard, PastingReadsTheBytesByTheCellRules)
{
    const struct
    {
        const char *Name;
        AnsiString Text;
        Cells Expected;
    } cases[] = {
        {"two rows", "a\tb\r\nc\td\r\n", {{{0, 0}, "a"}, {{1, 0}, "b"}, {{0, 1}, "c"}, {{1, 1}, "d"}}},
        {"text after the last row end is the last row", "a\tb\r\nc\td",
         {{{0, 0}, "a"}, {{1, 0}, "b"}, {{0, 1}, "c"}, {{1, 1}, "d"}}},
        {"no row end at all is one row", "a\tb\tc", {{{0, 0}, "a"}, {{1, 0}, "b"}, {{2, 0}, "c"}}},
        {"a last row of a line break", "M1\nM2\r\nM3\n", {{{0, 0}, "M1\x1DM2"}, {{0, 1}, "M3\x1D"}}},
        {"a last row of empty cells", "a\r\n\t", {{{0, 0}, "a"}, {{0, 1}, ""}, {{1, 1}, ""}}},
        {"a last line of dropped bytes is no row", "a\r\n\x01\r", {{{0, 0}, "a"}}},
        {"LF first is a line break", "\nx\r\n", {{{0, 0}, "\x1Dx"}}},
        {"CR alone is dropped", "a\rb\r\n", {{{0, 0}, "ab"}}},
        {"CR CR LF ends a row", "a\r\r\nb\r\n", {{{0, 0}, "a"}, {{0, 1}, "b"}}},
        {"control bytes are dropped, 0x15 and up kept", AnsiString("\x01\x14\x15\x1D\x7F\xFF\0z\r\n", 10),
         {{{0, 0}, "\x15\x1D\x7F\xFFz"}}},
        {"empty cells", "\t\r\n\r\n", {{{0, 0}, ""}, {{1, 0}, ""}, {{0, 1}, ""}}},
    };
    for (const auto &c : cases) EXPECT_EQ(Pasted(c.Text), c.Expected) << c.Name;
}

TEST(CellClipboard, TheShapeCountsTheRowsAndTheWidestOfThem)
{
    const ClipboardShape shape = MeasureClipboardCells("a\r\nb\tc\td\r\ne\r\nf\tg\th\ti");
    EXPECT_EQ(shape.Rows, 4);
    EXPECT_EQ(shape.Widest, 3);   // the last row, without its row end, counts too
    EXPECT_EQ(MeasureClipboardCells("").Rows, 0);
    EXPECT_EQ(MeasureClipboardCells("\x01").Rows, 0);
    EXPECT_EQ(MeasureClipboardCells("\n").Rows, 1);   // a cell of one line break
    EXPECT_EQ(MeasureClipboardCells("a\r\n").Rows, 1);
}

// A paste and the opening of a table file read the same bytes into the same cells.
TEST(CellClipboard, PastedTextGivesTheCellsATableFileOfTheSameBytesHas)
{
    const AnsiString texts[] = {"a\tb\r\nc\td", "M1\nM2\r\nM3\n", "x\r\n\t", "\ny\r\r\n\x01z\t\x1D",
                                "a\r\n\x01", "p\tq\tr\r\ns\r\n"};
    for (const AnsiString &text : texts) {
        const std::optional<TableData> file = TableFromFileBytes(text, CMD_Document);
        ASSERT_TRUE(file);
        Cells fromFile;
        for (int r = 0; r < file->RowCount; ++r)
            for (int c = 0; c < file->ColCount; ++c)
                if (!file->Cell(c, r).empty()) fromFile[{c, r}] = file->Cell(c, r);
        Cells pasted = Pasted(text);
        std::erase_if(pasted, [](const auto &cell) { return cell.second.empty(); });
        EXPECT_EQ(pasted, fromFile) << text;
        const ClipboardShape shape = MeasureClipboardCells(text);
        EXPECT_EQ(shape.Rows, file->RowCount) << text;
        EXPECT_EQ(shape.Widest + 1, file->ColCount) << text;
    }
}

TEST(CellClipboard, TextWithOnlyLoneLfsHasThemReadAsRowEnds)
{
    // As spreadsheets on this platform copy a block.
    EXPECT_EQ(ClipboardTextWithRowEnds("a\tb\nc\td\n"), "a\tb\r\nc\td\r\n");
    // Once the text has a CR LF, lone LFs are line breaks inside cells.
    EXPECT_EQ(ClipboardTextWithRowEnds("x\ny\r\n"), "x\ny\r\n");
    EXPECT_EQ(ClipboardTextWithRowEnds("plain"), "plain");
}

TEST(CellClipboard, HugeTextsAreReadInOnePass)
{
    const AnsiString line(10 * 1024 * 1024, 'q');
    EXPECT_EQ(MeasureClipboardCells(line).Rows, 1);
    EXPECT_EQ(Pasted(line), (Cells{{{0, 0}, line}}));

    AnsiString binary(1 << 20, '\0');
    unsigned state = 12345;
    for (char &b : binary) {
        state = state * 1103515245u + 12345u;
        b = char(state >> 24);
    }
    const ClipboardShape shape = MeasureClipboardCells(binary);
    long long stored = 0;
    ForEachClipboardCell(binary, [&](int, int r, AnsiString &&) {
        EXPECT_LT(r, shape.Rows);
        ++stored;
    });
    EXPECT_GT(stored, 0);
}

TEST(CellClipboard, TheCellEditorShowsLineBreaksAsCrLf)
{
    EXPECT_EQ(CellToEditorText("a\x1D\x1D" "b\x1D"), "a\r\n\r\nb\r\n");
    EXPECT_EQ(CellToEditorText(""), "");
    EXPECT_EQ(EditorTextToCell("a\r\n\r\nb\r\n"), "a\x1D\x1D" "b\x1D");
    // Nothing that would split the file's cells or rows gets into a cell.
    EXPECT_EQ(EditorTextToCell("a\tb\rc\nd"), "a b\x1D" "c\x1D" "d");
}
