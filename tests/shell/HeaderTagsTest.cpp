#include "shell/HeaderTags.h"

#include <gtest/gtest.h>

#include <span>
#include <string>

namespace {

using Lines = std::vector<AnsiString>;

TStringList ListOf(const Lines &lines)
{
    TStringList list;
    for (const AnsiString &s : lines) list.Add(s);
    return list;
}

Lines LinesOf(const TStringList &list) { return {list.begin(), list.end()}; }

TEST(HeaderTags, ValueIsFoundLikeANameValueList)
{
    const TStringList lines = ListOf({"QUIL_X", " QUIL_ScriptDate=no", "quil_scriptdate=1.2.=3", "QUIL_ScriptDate=2"});
    EXPECT_EQ(HeaderTagValue(lines, ScriptDateTag), "1.2.=3");   // first line of the name, any case
    EXPECT_EQ(HeaderTagValue(lines, "QUIL_X"), "");               // no "=": not a tag
    EXPECT_EQ(HeaderTagValue(lines, "QUIL_Script"), "");
    EXPECT_EQ(HeaderTagValue(TStringList(), ScriptDateTag), "");
}

TEST(HeaderTags, SetTag)
{
    struct Case
    {
        const char *name;
        Lines before;
        int caretY;
        AnsiString tag, value;
        Lines after;
        int caretAfter;
    };
    const Case cases[] = {
        {"new tag under the magic line", {"// JOTE", "a", "b"}, 2, "QUIL_ScriptDate", "2024",
         {"// JOTE", "QUIL_ScriptDate=2024", "a", "b"}, 3},
        {"caret above the new line stays", {"a", "b JOTE", "c"}, 1, "QUIL_X", "v", {"a", "b JOTE", "QUIL_X=v", "c"}, 1},
        {"caret on the magic line stays on it", {"JOTE", "a"}, 1, "QUIL_X", "v", {"JOTE", "QUIL_X=v", "a"}, 1},
        {"caret on the last line: an empty line is appended", {"JOTE", "a"}, 2, "QUIL_X", "v",
         {"JOTE", "QUIL_X=v", "a", ""}, 3},
        {"first magic line wins", {"a", "JOTE 1", "JOTE 2"}, 1, "QUIL_X", "v", {"a", "JOTE 1", "QUIL_X=v", "JOTE 2"}, 1},
        {"magic word is case-sensitive", {"jote", "a"}, 1, "QUIL_X", "v", {"QUIL_X=v", "jote", "a"}, 2},
        {"no magic word: first line", {"a", "b"}, 1, "QUIL_X", "v", {"QUIL_X=v", "a", "b"}, 2},
        {"no magic word, caret on the last line", {"a", "b"}, 2, "QUIL_X", "v", {"QUIL_X=v", "a", "b"}, 3},
        {"empty text", {}, 1, "QUIL_X", "v", {"QUIL_X=v"}, 1},
        {"existing tag rewritten in place, any case", {"JOTE", "a", "quil_scriptdate=old", "b"}, 4, "QUIL_ScriptDate",
         "new", {"JOTE", "a", "QUIL_ScriptDate=new", "b"}, 4},
        {"only the first of two is rewritten", {"QUIL_X=1", "QUIL_X=2"}, 1, "QUIL_X", "3", {"QUIL_X=3", "QUIL_X=2"}, 1},
        {"empty value removes the line", {"JOTE", "QUIL_X=v", "a"}, 3, "QUIL_X", "", {"JOTE", "a"}, 2},
        {"empty value on an empty-valued tag removes it", {"JOTE", "a", "QUIL_X="}, 1, "QUIL_X", "", {"JOTE", "a"}, 1},
        {"empty value on a missing tag changes nothing", {"JOTE", "a"}, 2, "QUIL_X", "", {"JOTE", "a"}, 2},
        {"empty-valued tag below: the new line takes the value", {"JOTE", "a", "QUIL_X="}, 1, "QUIL_X", "v",
         {"JOTE", "QUIL_X=v", "a", "QUIL_X="}, 1},
        {"empty-valued tag above: it takes the value", {"QUIL_X=", "JOTE", "a"}, 1, "QUIL_X", "v",
         {"QUIL_X=v", "JOTE", "QUIL_X=", "a"}, 1},
        {"line without = is not the tag", {"JOTE", "QUIL_X"}, 1, "QUIL_X", "v", {"JOTE", "QUIL_X=v", "QUIL_X"}, 1},
        {"value holding =", {"JOTE"}, 1, "QUIL_X", "a=b", {"JOTE", "QUIL_X=a=b", ""}, 1},
    };
    for (const Case &c : cases) {
        TStringList lines = ListOf(c.before);
        int caretY = c.caretY;
        SetScriptHeaderTag(lines, c.tag, c.value, caretY);
        EXPECT_EQ(LinesOf(lines), c.after) << c.name;
        EXPECT_EQ(caretY, c.caretAfter) << c.name;
    }
}

TEST(HeaderTags, APlaceFollowsItsTextThroughTheEdits)
{
    using E = LineEdit;
    const struct
    {
        const char *Name;
        TextPlace Before;
        std::vector<LineEdit> Edits;
        TextPlace After;
    } cases[] = {
        {"line inserted above", {2, 4}, {{E::Insert, 1, "QUIL_X=v"}}, {3, 4}},
        {"line inserted at its own line pushes it down", {1, 0}, {{E::Insert, 1, "QUIL_X=v"}}, {2, 0}},
        {"line inserted below", {1, 7}, {{E::Insert, 2, "QUIL_X=v"}}, {1, 7}},
        {"appended line", {1, 3}, {{E::Append, 0, ""}}, {1, 3}},
        {"line deleted above", {3, 2}, {{E::Delete, 1, ""}}, {2, 2}},
        {"own line deleted: start of the next", {1, 5}, {{E::Delete, 1, ""}}, {1, 0}},
        {"own line rewritten, column still there", {1, 3}, {{E::Replace, 1, "QUIL_X=new"}}, {1, 3}},
        {"own line rewritten shorter", {1, 12}, {{E::Replace, 1, "QUIL_X=v"}}, {1, 8}},
        {"several edits in order", {2, 1}, {{E::Append, 0, ""}, {E::Insert, 1, "a="}, {E::Replace, 0, "b=c"}}, {3, 1}},
    };
    for (const auto &c : cases) EXPECT_EQ(PlaceAfterEdits(c.Before, c.Edits), c.After) << c.Name;
}

TEST(HeaderTags, SavingTagsEndUpInReverseOrderBelowTheMagicLine)
{
    TStringList lines = ListOf({"; JOTE script", "begin", "end"});
    int caretY = 2;
    SetScriptHeaderTag(lines, ScriptDateTag, "01.02.2024", caretY);
    SetScriptHeaderTag(lines, PoweredByTag, "Quillet v. 1.0", caretY);
    SetScriptHeaderTag(lines, Warning1Tag, "IMPORTANT!", caretY);
    EXPECT_EQ(LinesOf(lines), (Lines{"; JOTE script", "_WARNING_#1=IMPORTANT!", "QUIL_PoweredBy=Quillet v. 1.0",
                                     "QUIL_ScriptDate=01.02.2024", "begin", "end"}));
    EXPECT_EQ(lines[caretY - 1], "begin");

    // A second save rewrites the lines in place.
    SetScriptHeaderTag(lines, ScriptDateTag, "02.02.2024", caretY);
    EXPECT_EQ(lines[3], "QUIL_ScriptDate=02.02.2024");
    EXPECT_EQ(lines.Count(), 6);
}

// Texts on which setting one tag can change what the next one finds: the anchor word in a tag
// line, tags with empty values above and below the anchor, other letter cases, no anchor at all.
const struct
{
    const char *Name;
    Lines Text;
    int CaretY;
} TagTexts[] = {
    {"anchor, no tags", {"// JOTE", "body", "end"}, 2},
    {"caret on the last line", {"// JOTE", "body"}, 2},
    {"no anchor", {"body", "more"}, 1},
    {"empty text", {}, 1},
    {"the date line is the anchor", {"QUIL_ScriptDate=JOTE", "body", "JOTE later"}, 2},
    {"the powered-by line is the anchor", {"a", "QUIL_PoweredBy=JOTE", "body"}, 3},
    {"the warning line is the anchor", {"_WARNING_#1=JOTE", "body"}, 1},
    {"empty-valued tags below the anchor", {"JOTE", "body", "QUIL_PoweredBy=", "_WARNING_#1="}, 1},
    {"empty-valued tags above the anchor", {"_warning_#1=", "quil_scriptdate=", "x JOTE", "body"}, 4},
    {"tags in other letter cases", {"jote", "QUIL_POWEREDBY=x", "quil_scriptdate=1", "JOTE"}, 2},
};

// The values as a save sets them; the warning names the anchor word, as a user's text may.
const HeaderTagSetting SaveTags[] = {
    {ScriptDateTag, "02.02.2024"}, {PoweredByTag, "Quillet v. 1.0"}, {Warning1Tag, "Not for JOTE editors"}};

// The facts of the later tags, found in one pass before the first tag is set and moved along with
// each tag's edits, are what a new search of the edited text finds, unless the moving declines.
TEST(HeaderTags, FactsMovedWithTheEditsOfEarlierTagsAreTheFactsFoundAnew)
{
    const HeaderTagSetting clearing[] = {{ScriptDateTag, "1"}, {PoweredByTag, ""}, {Warning1Tag, ""}};
    for (const std::span<const HeaderTagSetting> tags : {std::span(SaveTags), std::span(clearing)}) {
        for (const auto &c : TagTexts) {
            SCOPED_TRACE(std::string(c.Name) + ", setting " + tags.front().Value);
            TStringList lines = ListOf(c.Text);
            int caretY = c.CaretY;
            std::vector<HeaderTagFacts> facts = FindHeaderTagFacts(lines, tags);
            for (size_t t = 0; t < tags.size(); ++t) {
                const HeaderTagFacts fresh = FindHeaderTagFacts(lines, tags[t].Name);
                EXPECT_EQ(facts[t].Count, fresh.Count);
                EXPECT_EQ(facts[t].Named, fresh.Named);
                EXPECT_EQ(facts[t].NamedLine, fresh.NamedLine);
                EXPECT_EQ(facts[t].Anchor, fresh.Anchor);
                const HeaderTagChange change = PlanScriptHeaderTag(fresh, tags[t].Name, tags[t].Value, caretY);
                ApplyLineEdits(lines, change.Edits);
                caretY = change.CaretY;
                for (size_t later = t + 1; later < tags.size(); ++later)
                    if (!MoveFactsWithEdits(facts[later], tags[later].Name, change.Edits))
                        facts[later] = FindHeaderTagFacts(lines, tags[later].Name);
            }
        }
    }
}

// Where an edit rewrites or removes the anchor line, or makes a line the anchor, the facts are
// not moved: what the next tag finds there needs a new search.
TEST(HeaderTags, FactsAreNotMovedOverAnEditOfTheAnchorLine)
{
    HeaderTagFacts facts = FindHeaderTagFacts(ListOf({"QUIL_ScriptDate=JOTE", "body"}), PoweredByTag);
    EXPECT_FALSE(MoveFactsWithEdits(facts, PoweredByTag, {{LineEdit::Replace, 0, "QUIL_ScriptDate=1"}}));
    EXPECT_FALSE(MoveFactsWithEdits(facts, PoweredByTag, {{LineEdit::Delete, 0, ""}}));
    EXPECT_FALSE(MoveFactsWithEdits(facts, PoweredByTag, {{LineEdit::Insert, 0, "_WARNING_#1=JOTE"}}));
    EXPECT_FALSE(MoveFactsWithEdits(facts, PoweredByTag, {{LineEdit::Insert, 2, "quil_poweredby=x"}}));
    EXPECT_TRUE(MoveFactsWithEdits(facts, PoweredByTag, {{LineEdit::Insert, 0, "_WARNING_#1=x"}}));
    EXPECT_EQ(facts.Anchor, 1);
    EXPECT_EQ(facts.Count, 3);
}

TEST(HeaderTags, PlanIsAFewLineEditsForTheTextPane)
{
    TStringList lines;
    lines.Add("JOTE");
    for (int i = 0; i < 200000; ++i) lines.Add("line " + IntToStr(i));
    lines.Add("QUIL_ScriptDate=old");

    HeaderTagChange change = PlanScriptHeaderTag(lines, ScriptDateTag, "new", 5);
    EXPECT_EQ(change.Edits, (std::vector<LineEdit>{{LineEdit::Replace, 200001, "QUIL_ScriptDate=new"}}));
    EXPECT_EQ(change.CaretY, 5);

    change = PlanScriptHeaderTag(lines, PoweredByTag, "Q", 200002);
    EXPECT_EQ(change.Edits, (std::vector<LineEdit>{{LineEdit::Append, 0, ""}, {LineEdit::Insert, 1, "QUIL_PoweredBy=Q"}}));
    EXPECT_EQ(change.CaretY, 200003);

    change = PlanScriptHeaderTag(lines, ScriptDateTag, "", 5);
    EXPECT_EQ(change.Edits, (std::vector<LineEdit>{{LineEdit::Delete, 200001, ""}}));
}

TEST(HeaderTags, ConvertAutoTags)
{
    struct Case { AnsiString text; AnsiString converted; };
    const Case cases[] = {
        {"AUTO_ScriptName=a\r\nx\r\nAUTO_ScriptName=b\r\n", "QUIL_ScriptName=a\r\nx\r\nQUIL_ScriptName=b\r\n"},
        {"AUTO_Other=1\r\n", "AUTO_Other=1\r\n"},
        {"; see AUTO_ScriptDate=1", "; see QUIL_ScriptDate=1"},       // anywhere, not only at line starts
        {"auto_ScriptDate=1 AUTO_scriptdate=1", "auto_ScriptDate=1 AUTO_scriptdate=1"},
        {"AUTO_ScriptName AUTO_ScriptNameX=", "AUTO_ScriptName AUTO_ScriptNameX="},
        {"AUTO_AUTO_ScriptName=", "AUTO_QUIL_ScriptName="},
        {"AUTO_ScriptUsedFlags=", "QUIL_ScriptUsedFlags="},
        {"AUTO_ScriptUsedFlags", "AUTO_ScriptUsedFlags"},
        {"AUTO_", "AUTO_"},
        {"", ""},
    };
    for (const Case &c : cases) {
        AnsiString text = c.text;
        EXPECT_EQ(ConvertAutoTagsInPlace(text), c.text != c.converted) << c.text;
        EXPECT_EQ(text, c.converted);
    }

    const char *names[] = {"PoweredBy", "ScriptName", "ScriptVersion", "ScriptDate", "ScriptAuthor",
                           "ScriptKASVersion", "ScriptLanguage", "ScriptUsedVariables", "ScriptUsedFunctions",
                           "ScriptUsedMacroNames", "ScriptUsedTimers", "ScriptUsedFlags"};
    AnsiString all, expected;
    for (const char *n : names) {
        all += AnsiString("AUTO_") + n + "=v\r\n";
        expected += AnsiString("QUIL_") + n + "=v\r\n";
    }
    EXPECT_EQ(ConvertAutoTags(all), expected);
}

TEST(HeaderTags, Outline)
{
    struct Case
    {
        const char *name;
        Lines text;
        Lines outlineLines, outlineItems, declarationLines, declarationItems;
    };
    const Case cases[] = {
        {"tags only", {"JOTE", "QUIL_ScriptDate=1", "x", "QUIL_PoweredBy=Q"},
         {"\t\t\t", "QUIL_ScriptDate", "QUIL_PoweredBy"}, {"  QUIL TAGS:", "ScriptDate", "PoweredBy"}, {}, {}},
        {"sections in fixed order, entries in text order",
         {"_DECLARATION_b=2", "QUIL_A=1", "_WARNING_#1=w", "_DECLARATION_a=1", "_WARNING_#2="},
         {"\t\t\t", "_WARNING_#1", "_WARNING_#2", "\t\t\t", "QUIL_A", "\t\t\t", "_DECLARATION_b", "_DECLARATION_a"},
         {"  WARNINGS:", "#1", "#2", "  QUIL TAGS:", "A", "  DECLARATIONS:", "b", "a"},
         {"_DECLARATION_b", "_DECLARATION_a"}, {"b", "a"}},
        {"not tag lines", {" QUIL_X=1", "_DECLARATION_x", "quil_y=1", "x=QUIL_z", "_WARNING_", "QUIL_ScriptName"},
         {}, {}, {}, {}},
        {"name ends at the first =", {"QUIL_A=b=c", "QUIL_="}, {"\t\t\t", "QUIL_A", "QUIL_"}, {"  QUIL TAGS:", "A", ""},
         {}, {}},
        {"empty text", {}, {}, {}, {}, {}},
    };
    for (const Case &c : cases) {
        const ScriptOutline outline = BuildScriptOutline(ListOf(c.text));
        EXPECT_EQ(LinesOf(outline.OutlineLines), c.outlineLines) << c.name;
        EXPECT_EQ(LinesOf(outline.OutlineItems), c.outlineItems) << c.name;
        EXPECT_EQ(LinesOf(outline.DeclarationLines), c.declarationLines) << c.name;
        EXPECT_EQ(LinesOf(outline.DeclarationItems), c.declarationItems) << c.name;
    }
}

} // namespace
