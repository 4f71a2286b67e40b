// The header-line block of the add-tag dialog, the function number check and the line lookups.
#include "script/TagBlock.h"

#include <gtest/gtest.h>

namespace {

TStringList Lines(std::initializer_list<const char *> lines)
{
    TStringList list;
    for (const char *line : lines) list.Add(line);
    return list;
}

} // namespace

TEST(TagBlockTest, FunctionDeclarationWithBothSeparators)
{
    TagBlockRequest request;
    request.TagType = ttDeclaration;
    request.DeclarationType = dtFunction;
    request.Name = "Function3";
    request.Description = "Shows the map";
    request.FunctionNumber = "3";
    request.TopSeparator = request.BottomSeparator = true;
    request.RightEdge = 80;
    const AnsiString stars(80, '*');
    const TagBlock block = ComposeTagBlock(request);
    EXPECT_EQ(block.Text, "\r\n" + stars + "\r\n_DECLARATION_Function3=Shows the map\r\n!?FU3;\r\n\r\n" + stars + "\r\n");
    EXPECT_EQ(block.CaretLineOffset, 4);
}

TEST(TagBlockTest, PrefixesAndOptionalLines)
{
    struct Case
    {
        int TagType, DeclarationType;
        bool Top, Bottom;
        AnsiString Text;
        int Offset;
    };
    const Case cases[] = {
        {ttWarning, dtFunction, false, false, "\r\n_WARNING_N=d\r\n\r\n", 2},
        {ttQuilTag, dtFunction, true, false, "\r\n***\r\nQUIL_N=d\r\n\r\n", 3},
        {ttDeclaration, dtOther, false, true, "\r\n_DECLARATION_N=d\r\n\r\n***\r\n", 2},
    };
    for (const Case &c : cases) {
        TagBlockRequest request;
        request.TagType = c.TagType;
        request.DeclarationType = c.DeclarationType;
        request.Name = "N";
        request.Description = "d";
        request.FunctionNumber = "1";
        request.TopSeparator = c.Top;
        request.BottomSeparator = c.Bottom;
        request.RightEdge = 3;
        const TagBlock block = ComposeTagBlock(request);
        EXPECT_EQ(block.Text, c.Text);
        EXPECT_EQ(block.CaretLineOffset, c.Offset);
    }
}

TEST(TagBlockTest, FunctionNumberMustBeANumberWithoutLeadingZero)
{
    EXPECT_EQ(CheckedFunctionNumber("12"), "12");
    EXPECT_EQ(CheckedFunctionNumber(""), "");
    EXPECT_EQ(CheckedFunctionNumber("05"), "");
    EXPECT_EQ(CheckedFunctionNumber("0"), "");
    EXPECT_EQ(CheckedFunctionNumber("1a"), "");
    EXPECT_EQ(CheckedFunctionNumber("-1"), "");
}

TEST(TagBlockTest, LinesAreFoundByNameWithoutLetterCase)
{
    const TStringList lines = Lines({"QUIL_A=first", "x", "quil_b=2", "QUIL_Bx", "QUIL_B=3"});
    EXPECT_EQ(OutlineEntryLine(lines, "QUIL_B"), 2);
    EXPECT_EQ(OutlineEntryLine(lines, "QUIL_A"), 0);
    EXPECT_EQ(OutlineEntryLine(lines, "QUIL_Gone"), 0);   // a deleted line: the first line
    EXPECT_TRUE(TagNameExists(lines, "QUIL_b"));
    EXPECT_FALSE(TagNameExists(lines, "QUIL_A"));         // the first line does not count
    EXPECT_FALSE(TagNameExists(lines, "QUIL_Bx"));        // a line without "=" has no name
}
