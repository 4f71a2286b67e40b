// Reckoned text widths against real measurements in the grid's own font.
#include "platform/TStringGrid.h"

#include <gtest/gtest.h>
#include <random>

namespace {

AnsiString RandomText(std::mt19937 &random, const AnsiString &alphabet)
{
    AnsiString text(random() % 25, ' ');
    for (char &c : text) c = alphabet[random() % alphabet.size()];
    return text;
}

AnsiString Bytes(int from, int to)
{
    AnsiString s;
    for (int c = from; c <= to; ++c) s += char(c);
    return s;
}

// A reckoned width is the measured one, or -1; returns how many of the texts were reckoned.
int CheckRandomTexts(const TStringGrid &grid, const AnsiString &alphabet, int count)
{
    std::mt19937 random(7);
    int reckoned = 0;
    for (int i = 0; i < count; ++i) {
        const AnsiString text = RandomText(random, alphabet);
        const int width = grid.ReckonedTextWidth(text);
        if (width < 0) continue;
        ++reckoned;
        EXPECT_EQ(width, grid.TextWidth(text)) << QByteArray::fromStdString(text).toHex().constData();
    }
    return reckoned;
}

TEST(TextWidthModel, ReckonedWidthsAreTheMeasuredOnesInTheGridsFont)
{
    const AnsiString printable = Bytes(0x20, 0x7E) + Bytes(0xA0, 0xAC) + Bytes(0xAE, 0xFF) + "\x1D";
    const struct
    {
        const char *Name;
        AnsiString Alphabet;
        int LeastReckoned;   // of 3000 texts
    } cases[] = {
        {"every byte", Bytes(0, 255), 0},
        {"printable Latin-1 and the cell line break", printable, 2500},
        {"letters that kern", "AVTWYLPJaeoyrvw.,-'\"147 \xC0\xC6\xDD", 3000},
        {"digits and signs, no letter", "0123456789.,:;-/()'\" \xB0\xB1\xD7", 3000},
        {"ligatures", "ffilAT ", 0},
    };
    TStringGrid grid;
    QFont bold = grid.font();
    bold.setPointSize(bold.pointSize() + 5);
    bold.setBold(true);
    for (const QFont &font : {grid.font(), bold}) {
        grid.setFont(font);
        for (const auto &c : cases) EXPECT_GE(CheckRandomTexts(grid, c.Alphabet, 3000), c.LeastReckoned) << c.Name;
    }
}

TEST(TextWidthModel, TextsWhoseWidthDependsOnTheirPlaceAreLeftToAMeasurement)
{
    TStringGrid grid;
    for (const AnsiString text :
         {"a\tb", "a\rb", "a\nb", "ab\x01", "soft\xADhyphen", "cut\x9Chere", "fine", "fix", "off"})
        EXPECT_EQ(grid.ReckonedTextWidth(text), -1) << text;
    EXPECT_EQ(grid.ReckonedTextWidth(""), 0);
    EXPECT_EQ(grid.ReckonedTextWidth("AVe 1.0\x1D"), grid.TextWidth("AVe 1.0\x1D"));
}

} // namespace
