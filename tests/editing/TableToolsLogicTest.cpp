// The table tools' rules: next KAT index, hints, autosize, width fields, test fill.
#include "editing/TableToolsLogic.h"
#include "platform/TStringGrid.h"

#include <QDate>
#include <QLocale>
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <random>
#include <vector>

namespace {

std::optional<long long> Next(const std::vector<AnsiString> &column, bool fillBlanks)
{
    return NextKatIndex(int(column.size()), [&](int r) -> const AnsiString & { return column[size_t(r)]; }, fillBlanks);
}

} // namespace

TEST(KatIndex, NextIndexContinuesOrFillsTheFirstBlank)
{
    const struct
    {
        std::vector<AnsiString> Column;
        long long Fill, Continue;
    } cases[] = {
        {{"1", "2", "4", ""}, 3, 5},
        {{"", "Index", "x7"}, 1, 1},                      // no numeric index
        {{}, 1, 1},
        {{"007", "7", "8"}, 9, 9},                        // 007 and 7 are one index
        {{"5", "6", "9"}, 7, 10},                         // blanks are looked for above the smallest only
        {{"1234567890123", "2"}, 3, 123456790},           // longer texts count by their first 9 characters
        {{"-3", "+4", "12a", " 5"}, 1, 1},                // no sign, no blanks
        {{"999999998"}, 999999999, 999999999},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Next(c.Column, true), c.Fill) << c.Column.size();
        EXPECT_EQ(Next(c.Column, false), c.Continue) << c.Column.size();
    }
}

TEST(KatIndex, AtTheLimitTheResultIsZeroOnceAndThenNoIndex)
{
    // Past 999999999 an index would read as a smaller one (its first 9 characters) and be given
    // again: counting stops at 0 instead, and once 0 is taken no index is given at all.
    std::vector<AnsiString> column = {"999999999", ""};
    for (bool fill : {false, true}) EXPECT_EQ(Next(column, fill), 0) << fill;
    column.push_back("0");
    EXPECT_EQ(Next(column, false), std::nullopt);
    EXPECT_EQ(Next(column, true), 1);   // the blanks above 0

    // Filling blanks still finds a free index below the limit.
    EXPECT_EQ(Next({"999999997", "999999999"}, true), 999999998);
    // Indexes near 2147483647 are read by their first 9 characters like any other.
    EXPECT_EQ(Next({"2147483647"}, false), 214748365);
    EXPECT_EQ(Next({"2147483647", "4294967296"}, false), 429496730);
}

TEST(KatIndex, ATableOfConsecutiveIndexesIsWalkedOnce)
{
    std::vector<AnsiString> column;
    for (int i = 1; i <= 200000; ++i) column.push_back(std::to_string(i));
    EXPECT_EQ(Next(column, true), 200001);
    EXPECT_EQ(Next(column, false), 200001);
}

TEST(TableHints, HintsByKindAndColumn)
{
    const struct
    {
        const char *Kind;
        int Col, Row;
        AnsiString Hint;
    } cases[] = {
        {"CMD_Document", 0, 0, "Line: 1, Column: 1"},
        {"CMD_Document", 4, 11, "Line: 12, Column: 5"},
        {"KAO_Document", 0, 3, "\"Comment\" column"},
        {"KAO_Document", 1, 0, "\"Script file number\" column (If there is no such file, the item will not appear in the list)"},
        {"KAO_Document", 2, 0, "\"Page number\" column (0...7)"},
        {"KAO_Document", 3, 0, "\"Group number\" column (0..3)"},
        {"KAO_Document", 4, 0, "\"Item number in the group\" column (0...19, -1 add to the end)"},
        {"KAO_Document", 5, 0, "\"Default state\" column"},
        {"KAO_Document", 6, 0, "\"Multiplayer state\" column"},
        {"KAO_Document", 7, 0, "\"KAS Setup variable\" column (0...199)"},
        {"KAO_Document", 8, 0, "\"Text for the item\" column"},
        {"KAO_Document", 9, 0, "\"Hint for the item\" column"},
        {"KAO_Document", 10, 0, "\"Pop up message for the item\" column"},
        {"KAO_Document", 11, 0, ""},
        {"KAO_Document", -1, -1, ""},
        {"KAT_Document", 0, 0, "\"Index\" column"},
        {"KAT_Document", 1, 0, "\"Text resource\" column"},
        {"KAT_Document", 2, 0, "\"Comment\" column"},
        {"KAT_Document", 3, 0, "\"Date\" column"},
        {"KAT_Document", 4, 0, ""},
        {"KAS_Document", 0, 0, ""},
    };
    for (const auto &c : cases) EXPECT_EQ(GridCellHint(c.Kind, c.Col, c.Row), c.Hint) << c.Kind << " " << c.Col;
}

TEST(TableColumns, AutosizeIsTheWidestTextPlusSixAndSixForAnEmptyColumn)
{
    const std::vector<AnsiString> column = {"ab", "", "abcde", "a"};
    const auto width = [](const AnsiString &s) { return int(s.size()) * 7; };
    const auto unreckoned = [](const AnsiString &) { return -1; };
    const auto row = [&](int r) -> const AnsiString & { return column[size_t(r)]; };
    EXPECT_EQ(AutosizedColumnWidth(4, row, width, unreckoned), 41);
    const std::vector<AnsiString> empty(3);
    EXPECT_EQ(AutosizedColumnWidth(3, [&](int r) -> const AnsiString & { return empty[size_t(r)]; }, width, width), 6);
}

// Each text measures 7 pixels a character; the reckoning of a case may leave texts out (-1) or be wrong.
TEST(TableColumns, AutosizeMeasuresTheTextsItCannotReckonAndConfirmsTheWidestReckoned)
{
    const std::vector<AnsiString> column = {"ab", "", "abcde", "ab", "fff", "a", "fff"};
    const auto width = [](const AnsiString &s) { return int(s.size()) * 7; };
    const struct
    {
        const char *Name;
        std::function<int(const AnsiString &)> Reckoned;
        int Width;
        std::vector<AnsiString> Measured;
    } cases[] = {
        {"all reckoned", width, 41, {"abcde"}},
        {"none reckoned", [](const AnsiString &) { return -1; }, 41, {"ab", "abcde", "fff", "a"}},
        {"the widest not reckoned", [&](const AnsiString &s) { return s == "abcde" ? -1 : width(s); }, 41, {"abcde"}},
        {"a repeated text not reckoned",
         [&](const AnsiString &s) { return s == "fff" ? -1 : width(s); }, 41, {"fff", "abcde"}},
        // The measurement of the widest reckoned text disagrees: the reckoning is not trusted.
        {"the widest reckoned wrongly", [&](const AnsiString &s) { return width(s) + (s == "abcde" ? 1 : 0); }, 41,
         {"abcde", "ab", "abcde", "fff", "a"}},
        {"reckoned too wide", [&](const AnsiString &s) { return s == "a" ? 99 : width(s); }, 41,
         {"a", "ab", "abcde", "fff", "a"}},
    };
    for (const auto &c : cases) {
        std::vector<AnsiString> measured;
        const int got = AutosizedColumnWidth(
            int(column.size()), [&](int r) -> const AnsiString & { return column[size_t(r)]; },
            [&](const AnsiString &s) {
                measured.push_back(s);
                return width(s);
            },
            c.Reckoned);
        EXPECT_EQ(got, c.Width) << c.Name;
        EXPECT_EQ(measured, c.Measured) << c.Name;
    }
}

// Columns of random texts in the grid's own font, drawn from every byte value, from the printable
// ones, from letters that kern, and texts of one length with ligatures (whose widths lie close):
// autosizing gives what measuring every text gives.
TEST(TableColumns, AutosizeInTheGridsFontIsTheWidestMeasuredText)
{
    AnsiString everyByte, printable;
    for (int c = 0; c < 256; ++c) everyByte += char(c);
    for (int c = 0x20; c < 256; ++c)
        if (c < 0x7F || c >= 0xA0) printable += char(c);
    const struct
    {
        AnsiString Alphabet;
        size_t Shortest, Longest;
    } columns[] = {
        {everyByte, 0, 8}, {everyByte, 0, 30}, {printable, 0, 8}, {printable, 0, 30},
        {"AVTWYLPaeoyrvw.,-'147 ", 0, 20}, {"fffiilTAV.", 12, 12}, {"0123456789.-/", 6, 10},
    };
    constexpr int Rows = 2000;
    TStringGrid grid;
    grid.SetColCount(int(std::size(columns)));
    grid.SetRowCount(Rows);
    std::mt19937 random(11);
    for (int col = 0; col < grid.ColCount(); ++col) {
        const auto &[alphabet, shortest, longest] = columns[col];
        for (int row = 0; row < Rows; ++row) {
            AnsiString text(shortest + random() % (longest - shortest + 1), ' ');
            for (char &c : text) c = alphabet[random() % alphabet.size()];
            grid.SetCell(col, row, text);
        }
    }
    for (int col = 0; col < grid.ColCount(); ++col) {
        int widest = 0;
        for (int row = 0; row < Rows; ++row) widest = std::max(widest, grid.TextWidth(grid.Cells(col, row)));
        EXPECT_EQ(AutosizedColumnWidth(
                      Rows, [&](int row) -> const AnsiString & { return grid.Cells(col, row); },
                      [&](const AnsiString &s) { return grid.TextWidth(s); },
                      [&](const AnsiString &s) { return grid.ReckonedTextWidth(s); }),
                  widest + 6)
            << col;
    }
}

TEST(TableColumns, AWidthFieldTakesWholeNumbersOnly)
{
    const struct
    {
        AnsiString Text;
        AnsiString Kept;
    } cases[] = {{"120", "120"}, {"0", "7"},        {"012", "7"},         {"", "7"},
                 {"1a", "7"},    {"-5", "7"},       {"999999999", "999999999"}, {"1234567890", "7"}};
    for (const auto &c : cases) EXPECT_EQ(CheckedSpinText(c.Text, 7), c.Kept) << c.Text;
}

TEST(TableColumns, TestFillNamesTheCellOneBased)
{
    EXPECT_EQ(TestFillCellText(0, 0), "Line: 1\x1D" "Column: 1");
    EXPECT_EQ(TestFillCellText(10, 99), "Line: 100\x1D" "Column: 11");
}

TEST(TableColumns, TheDateIsTheSystemsShortDate)
{
    const QDate day(2026, 12, 10);
    EXPECT_EQ(ShortDateText(day), FromQ(QLocale::system().toString(day, QLocale::ShortFormat)));
    EXPECT_FALSE(ShortDateText(day).empty());
}
