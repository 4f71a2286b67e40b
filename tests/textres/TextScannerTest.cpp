#include "textres/TextScanner.h"

#include <gtest/gtest.h>

namespace {

struct ScanCase
{
    const char *Name;
    AnsiString Script;
    std::vector<FoundText> Expected;
    bool Unpaired = false;
};

void PrintTo(const ScanCase &c, std::ostream *os) { *os << c.Name; }

class ScannerCases : public ::testing::TestWithParam<ScanCase>
{
};

TEST_P(ScannerCases, FindsTextsWithKindLetterAndPositions)
{
    const ScanCase &c = GetParam();
    const ScanResult result = ScanTexts(c.Script);
    ASSERT_EQ(result.Texts.size(), c.Expected.size());
    for (size_t i = 0; i < c.Expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(result.Texts[i].Text, c.Expected[i].Text);
        EXPECT_EQ(result.Texts[i].Kind, c.Expected[i].Kind);
        EXPECT_EQ(result.Texts[i].Letter, c.Expected[i].Letter);
        EXPECT_EQ(result.Texts[i].Start, c.Expected[i].Start);
        EXPECT_EQ(result.Texts[i].End, c.Expected[i].End);
    }
    EXPECT_EQ(result.Unpaired, c.Unpaired);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ScannerCases,
    ::testing::Values(
        ScanCase{"Simple", "!!IF:M^Hello^;\r\n", {{'!', 'M', 8, 13, "Hello"}}},
        ScanCase{"SemicolonInsideQuote", "!!VR:S^a;b^;\r\n", {{'!', 'S', 8, 11, "a;b"}}},
        ScanCase{"CaretsOutsideCommand", "Text ^x^ here\r\n!!IF:M;^y^\r\n", {}},
        ScanCase{"QuestionKindWithoutColon", "!?FU^x^;", {{'?', '-', 6, 7, "x"}}},
        ScanCase{"LetterFromEarlierLine", "!!VR:Q1;\r\n!#FU^x^;", {{'#', 'Q', 16, 17, "x"}}},
        ScanCase{"TextOverLineBreak", "!!IF:M^a\r\nb^;", {{'!', 'M', 8, 12, "a\r\nb"}}},
        ScanCase{"NewCommandWhileOneIsOpen", "!!IF:M !$OB^x^;", {{'$', 'M', 13, 14, "x"}}},
        ScanCase{"BangInsideQuoteOpensNothing", "!!IF:M^a !!b^;", {{'!', 'M', 8, 13, "a !!b"}}},
        ScanCase{"Unpaired", "Text ^x^ !!IF:M^unclosed", {{'!', 'M', 17, 24, "unclose"}}, true},
        ScanCase{"CaretAsLastCharacter", "!!IF:M^", {{'!', 'M', 8, 7, ""}}, true}),
    [](const ::testing::TestParamInfo<ScanCase> &info) { return info.param.Name; });

TEST(TextScanner, StopEndsTheScanAtTheNextClosingCaret)
{
    int asked = 0;
    ScanHooks hooks;
    hooks.StopRequested = [&] { return ++asked == 2; };
    const ScanResult result = ScanTexts("!!IF:M^a^;!!IF:M^b^;!!IF:M^c^;", hooks);
    ASSERT_EQ(result.Texts.size(), 2u);
    EXPECT_EQ(result.Texts[1].Text, "b");
}

TEST(TextScanner, ReportsProgressPerBatchOfLines)
{
    AnsiString script;
    for (int i = 0; i < 1000; ++i) script += "!!IF:M^t^;\r\n";
    std::vector<int> batches;
    ScanHooks hooks;
    hooks.LinesPerBatch = 300;
    hooks.Progress = [&](int lines, int found) {
        batches.push_back(lines);
        EXPECT_EQ(found, lines);
    };
    EXPECT_EQ(ScanTexts(script, hooks).Texts.size(), 1000u);
    EXPECT_EQ(batches, (std::vector<int>{300, 600, 900}));
    EXPECT_EQ(CountScanLines(script), 1000);
}

// Many texts and no ":" at all: the letter of each is found without walking back over the text.
TEST(TextScanner, TextsWithoutAnyColonGetTheDash)
{
    AnsiString script;
    for (int i = 0; i < 20000; ++i) script += "!!FU^t^;";
    const ScanResult result = ScanTexts(script);
    ASSERT_EQ(result.Texts.size(), 20000u);
    EXPECT_EQ(result.Texts.back().Letter, '-');
}

} // namespace
