#include "script/SynHighlighterKAS.h"
#include "synedit/SynLexerAdapter.h"

#include <gtest/gtest.h>
#include <Qsci/qsciscintilla.h>
#include <QDir>
#include <QImage>

#include <cstdlib>
#include <map>
#include <random>

namespace {

using SB = QsciScintillaBase;

// A plain QScintilla pane in 8-bit mode with CR LF line breaks, styled by a highlighter.
struct Pane
{
    explicit Pane(TSynCustomHighlighter *h)
    {
        editor.setUtf8(false);
        editor.SendScintilla(SB::SCI_SETCODEPAGE, 0UL);
        editor.setEolMode(QsciScintilla::EolWindows);
        editor.resize(640, 400);
        if (h) {
            lexer = qobject_cast<TSynLexerAdapter *>(h->CreateLexer(&editor));
            editor.setLexer(lexer);
        }
    }
    void SetText(const AnsiString &text)
    {
        editor.SendScintilla(SB::SCI_CLEARALL);
        editor.SendScintilla(SB::SCI_APPENDTEXT, (unsigned long)text.size(), (void *)text.data());
    }
    AnsiString Text() const
    {
        const long n = Length();
        AnsiString s(size_t(n) + 1, '\0');
        editor.SendScintilla(SB::SCI_GETTEXTRANGE, 0L, n, s.data());
        s.resize(size_t(n));
        return s;
    }
    void Insert(long pos, const AnsiString &text)
    {
        editor.SendScintilla(SB::SCI_SETTARGETSTART, (unsigned long)pos);
        editor.SendScintilla(SB::SCI_SETTARGETEND, (unsigned long)pos);
        editor.SendScintilla(SB::SCI_REPLACETARGET, (unsigned long)text.size(), (void *)text.data());
    }
    void Delete(long pos, long length)
    {
        editor.SendScintilla(SB::SCI_DELETERANGE, (unsigned long)pos, length);
    }
    void StyleAll() { editor.SendScintilla(SB::SCI_COLOURISE, 0UL, -1L); }
    long Length() const { return editor.SendScintilla(SB::SCI_GETLENGTH); }
    long LineStart(long line) const
    {
        return editor.SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)line);
    }
    int StyleAt(long pos) const
    {
        return int(editor.SendScintilla(SB::SCI_GETSTYLEAT, (unsigned long)pos));
    }
    std::vector<int> Styles() const
    {
        std::vector<int> s;
        for (long p = 0; p < Length(); ++p) s.push_back(StyleAt(p));
        return s;
    }
    long StyleColor(unsigned msg, int style) const
    {
        return editor.SendScintilla(msg, (unsigned long)style);
    }
    long long Styled() const { return lexer->StyledByteCount(); }
    // QScintilla keeps Qt's font weight, negated, as the style's weight.
    bool Bold(int style) const
    {
        return std::abs(editor.SendScintilla(SB::SCI_STYLEGETWEIGHT, (unsigned long)style)) >=
               SB::SC_WEIGHT_BOLD;
    }

    QsciScintilla editor;
    TSynLexerAdapter *lexer = nullptr;
};

int StyleOf(const TSynHighlighterAttributes *a)
{
    return TSynLexerAdapter::StyleOfAttribute(a->Index());
}

// Scintilla colours are 0x00BBGGRR, like plain colour integers.
long Bgr(const QColor &c)
{
    return long(c.red()) | (long(c.green()) << 8) | (long(c.blue()) << 16);
}

// One letter per byte: the attribute whose style the byte must have ("." plain).
std::map<char, TSynHighlighterAttributes *> Letters(TSynKASSyn &h)
{
    return {{'c', h.CommentAttri()},       {'s', h.SymbolAttri()},
            {'r', h.RemarkAttri()},        {'m', h.MacroAttri()},
            {'i', h.IdentifierAttri()},    {'J', h.Key_MagicAttri()},
            {'T', h.Key_TriggerAttri()},   {'P', h.Key_PostTriggerAttri()},
            {'V', h.Key_ReceiverAttri()},  {'N', h.Key_InstructionAttri()},
            {'_', h.SpaceAttri()},         {'W', h.WarningAttri()},
            {'D', h.DeclarationAttri()},   {'.', nullptr}};
}

const char kScriptBytes[] = "JOTE\r\n"
                         "QUIL_Name=x\r\n"
                         "!?FU1;go!!VRab\r\n"
                         " !$OB $x$ @y@\r\n"
                         "_WARNING_ w\r\n"
                         "_DECLARATION_ d\r\n"
                         "* remark line\r\n"
                         "!#VA+1\r\n"
                         "\xE9" "a\0b\r\n"
                         "x";
const AnsiString kScript(kScriptBytes, sizeof kScriptBytes - 1);
const char *const kScriptStyles = "JJJJ.."
                                  "ccccccccccc.."
                                  "TTTTisrrVVVVii.."
                                  "_PPPP_mmm_mmm.."
                                  "WWWWWWWWWWW.."
                                  "DDDDDDDDDDDDDDD.."
                                  "rrrrrrrrrrrrr.."
                                  "NNNNsi.."
                                  "ii...."   // after the NUL byte the rest of the line is plain
                                  "i";

void ExpectStyles(const Pane &pane, TSynKASSyn &h, const AnsiString &letters)
{
    const auto map = Letters(h);
    ASSERT_EQ(long(letters.size()), pane.Length());
    for (size_t p = 0; p < letters.size(); ++p) {
        const TSynHighlighterAttributes *a = map.at(letters[p]);
        EXPECT_EQ(pane.StyleAt(long(p)), a ? StyleOf(a) : 0) << "at " << p << " '" << letters[p] << "'";
    }
}

TEST(SynLexerAdapter, StylesEveryTokenKind)
{
    TSynKASSyn h;
    Pane pane(&h);
    ASSERT_NE(pane.lexer, nullptr);
    pane.SetText(kScript);
    pane.StyleAll();
    ExpectStyles(pane, h, kScriptStyles);
    EXPECT_STREQ(pane.lexer->language(), "KAS");
    EXPECT_EQ(pane.lexer->description(StyleOf(h.WarningAttri())), "QUIL Warning");
}

TEST(SynLexerAdapter, StylesCarryTheAttributes)
{
    TSynKASSyn h;
    Pane pane(&h);
    pane.SetText(kScript);
    const int magic = StyleOf(h.Key_MagicAttri());
    EXPECT_EQ(pane.StyleColor(SB::SCI_STYLEGETFORE, magic), 0xFF0000);   // clBlue
    EXPECT_EQ(pane.StyleColor(SB::SCI_STYLEGETBACK, magic), Bgr(ColorToQColor(clWindow)));
    EXPECT_EQ(pane.Bold(magic), true);
    EXPECT_EQ(pane.StyleColor(SB::SCI_STYLEGETITALIC, StyleOf(h.RemarkAttri())), 1);
    EXPECT_EQ(pane.Bold(StyleOf(h.RemarkAttri())), false);
    EXPECT_EQ(pane.StyleColor(SB::SCI_STYLEGETFORE, StyleOf(h.Key_ReceiverAttri())), 0x800080);

    // clNone shows the pane's own colours, and follows them.
    pane.lexer->SetColors(QColor(1, 2, 3), QColor(250, 240, 230));
    const int space = StyleOf(h.SpaceAttri());
    EXPECT_EQ(pane.StyleColor(SB::SCI_STYLEGETFORE, space), 0x030201);
    EXPECT_EQ(pane.StyleColor(SB::SCI_STYLEGETBACK, space), 0xE6F0FA);
    EXPECT_EQ(pane.StyleColor(SB::SCI_STYLEGETBACK, 0), 0xE6F0FA);
    EXPECT_EQ(pane.StyleColor(SB::SCI_STYLEGETBACK, SB::STYLE_DEFAULT), 0xE6F0FA);
    EXPECT_EQ(pane.StyleColor(SB::SCI_STYLEGETFORE, StyleOf(h.StringAttri())), 0x030201);
    EXPECT_EQ(pane.StyleColor(SB::SCI_STYLEGETBACK, magic), Bgr(ColorToQColor(clWindow)));

    // One fixed-pitch font for every style, with each attribute's own font style.
    pane.lexer->SetFont(QFont("DejaVu Sans Mono", 13));
    for (int i = -1; i < h.AttrCount(); ++i) {
        const int style = i < 0 ? 0 : TSynLexerAdapter::StyleOfAttribute(i);
        char name[128] = {};
        pane.editor.SendScintilla(SB::SCI_STYLEGETFONT, (unsigned long)style, (void *)name);
        EXPECT_STREQ(name, "DejaVu Sans Mono") << style;
        EXPECT_EQ(pane.StyleColor(SB::SCI_STYLEGETSIZE, style), 13) << style;
    }
    EXPECT_EQ(pane.Bold(magic), true);
}

TEST(SynLexerAdapter, AttributeChangesReachEveryPane)
{
    TSynKASSyn h;
    Pane one(&h), two(&h);
    h.Key_MagicAttri()->SetForeground(clRed);
    h.Key_MagicAttri()->SetStyle(fsUnderline);
    h.CommentAttri()->SetBackground(clNone);
    for (const Pane *p : {&one, &two}) {
        const int magic = StyleOf(h.Key_MagicAttri());
        EXPECT_EQ(p->StyleColor(SB::SCI_STYLEGETFORE, magic), 0x0000FF);
        EXPECT_EQ(p->Bold(magic), false);
        EXPECT_EQ(p->StyleColor(SB::SCI_STYLEGETUNDERLINE, magic), 1);
        EXPECT_EQ(p->StyleColor(SB::SCI_STYLEGETBACK, StyleOf(h.CommentAttri())),
                  Bgr(p->lexer->PaperColor()));
    }
}

TEST(SynLexerAdapter, DisabledHighlighterLeavesPlainText)
{
    TSynKASSyn h;
    Pane pane(&h);
    pane.SetText(kScript);
    pane.StyleAll();
    h.SetEnabled(false);
    pane.editor.grab();   // the repaint styles what is shown
    for (int s : pane.Styles()) ASSERT_EQ(s, 0);
    h.SetEnabled(true);
    pane.editor.grab();
    ExpectStyles(pane, h, kScriptStyles);

    // A pane whose highlighter is gone shows plain text too.
    auto *gone = new TSynKASSyn;
    Pane orphan(gone);
    orphan.SetText(kScript);
    orphan.StyleAll();
    delete gone;
    orphan.editor.grab();
    for (int s : orphan.Styles()) ASSERT_EQ(s, 0);
}

TEST(SynLexerAdapter, RequestsBeyondTheTextAreHarmless)
{
    TSynKASSyn h;
    Pane pane(&h);
    pane.lexer->styleText(0, 50);   // empty document
    pane.SetText("JOTE\r\nx");
    pane.lexer->styleText(0, 1000);
    pane.lexer->styleText(3, 7);
    pane.lexer->styleText(7, 9);
    pane.lexer->styleText(-5, 2);
    EXPECT_EQ(pane.StyleAt(0), StyleOf(h.Key_MagicAttri()));
    EXPECT_EQ(pane.StyleAt(6), StyleOf(h.IdentifierAttri()));
    EXPECT_EQ(AnsiString(pane.lexer->wordCharacters()).size(), h.GetIdentChars().count());
}

// ---- incremental styling ----

AnsiString ScriptLines(int count)
{
    const char *const lines[] = {"!?FU1;", "!!VRv1:S1;", "!#VA+1 ; note", "$x$ @y@ JOTE",
                                 "* a remark line", "QUIL_Tag=v", " !!UN:P$z$/1", ""};
    AnsiString text;
    for (int i = 0; i < count; ++i) {
        text += lines[i % 8];
        if (i + 1 < count) text += "\r\n";
    }
    return text;
}

TEST(SynLexerAdapter, AKeystrokeRestylesOnlyItsLine)
{
    TSynKASSyn h;
    Pane pane(&h);
    pane.SetText(ScriptLines(20000));
    pane.StyleAll();
    const long length = pane.Length();
    ASSERT_GE(pane.Styled(), length);

    // Even a request for the whole text after one keystroke styles only the changed line.
    const long at = pane.LineStart(10000);
    long long before = pane.Styled();
    pane.Insert(at, "J");
    pane.StyleAll();
    const long long oneKey = pane.Styled() - before;
    EXPECT_LT(oneKey, 100) << "of " << length;
    EXPECT_EQ(pane.StyleAt(at), StyleOf(h.IdentifierAttri()));   // "J!?FU1;" starts with a word
    EXPECT_EQ(pane.StyleAt(at + 1), StyleOf(h.Key_TriggerAttri()));

    // The same through painting: the pane styles what it shows.
    pane.editor.SendScintilla(SB::SCI_SETFIRSTVISIBLELINE, 9990UL);
    pane.editor.grab();
    before = pane.Styled();
    pane.Insert(at, "\r\n");
    pane.editor.grab();
    EXPECT_LT(pane.Styled() - before, 200);

    // A line that changes what follows it: the lines after are restyled while their start
    // range changes (here every line ends in normal scanning, so just the lines touched).
    before = pane.Styled();
    pane.Insert(pane.LineStart(20), "JOTE\r\n_WARNING_\r\nQUIL_a\r\n");
    pane.StyleAll();
    EXPECT_LT(pane.Styled() - before, 200);
    EXPECT_EQ(pane.StyleAt(pane.LineStart(20)), StyleOf(h.Key_MagicAttri()));
    EXPECT_EQ(pane.StyleAt(pane.LineStart(21)), StyleOf(h.WarningAttri()));
    EXPECT_EQ(pane.StyleAt(pane.LineStart(22)), StyleOf(h.CommentAttri()));
}

TEST(SynLexerAdapter, LongRequestsAreHandedOverInParts)
{
    TSynKASSyn h;
    Pane pane(&h);
    pane.SetText(ScriptLines(160000));   // well over a megabyte
    pane.StyleAll();
    const TSynHighlighterAttributes *first[] = {h.Key_TriggerAttri(), h.Key_ReceiverAttri(),
                                                h.Key_InstructionAttri(), h.MacroAttri(),
                                                h.RemarkAttri(), h.CommentAttri(),
                                                h.SpaceAttri(), nullptr};
    for (long line = 0; line < 160000; line += 997) {
        const TSynHighlighterAttributes *a = first[line % 8];
        EXPECT_EQ(pane.StyleAt(pane.LineStart(line)), a ? StyleOf(a) : 0) << line;
    }
    EXPECT_EQ(pane.editor.SendScintilla(SB::SCI_GETENDSTYLED), pane.Length());
}

// A highlighter whose state crosses lines: "{" opens a block that "}" closes, perhaps many lines
// further down.
class TBlockSyn : public TSynCustomHighlighter
{
public:
    TBlockSyn()
    {
        AddAttribute(plain = new TSynHighlighterAttributes("Plain"));
        AddAttribute(block = new TSynHighlighterAttributes("Block"));
    }
    TSynHighlighterAttributes *GetDefaultAttribute(int) const override { return nullptr; }
    AnsiString LanguageName() const override { return "Block"; }
    using TSynCustomHighlighter::SetLine;
    void SetLine(const char *text, int) override
    {
        line = text;
        run = 0;
        Next();
    }
    void Next() override
    {
        pos = run;
        if (!line[run]) {
            kind = 0;
        } else if (inBlock) {
            kind = 2;
            while (line[run] && line[run] != '}') ++run;
            if (line[run] == '}') {
                ++run;
                inBlock = false;
            }
        } else if (line[run] == '{') {
            kind = 2;
            ++run;
            inBlock = true;
        } else {
            kind = 1;
            while (line[run] && line[run] != '{') ++run;
        }
    }
    bool GetEol() const override { return kind == 0; }
    AnsiString GetToken() const override { return AnsiString(line + pos, run - pos); }
    void GetTokenEx(const char *&start, int &length) const override
    {
        start = line + pos;
        length = int(run - pos);
    }
    int GetTokenPos() const override { return int(pos); }
    int GetTokenKind() const override { return kind; }
    TSynHighlighterAttributes *GetTokenAttribute() const override
    {
        return kind == 1 ? plain : kind == 2 ? block : nullptr;
    }
    int GetRange() const override { return inBlock; }
    void SetRange(int range) override { inBlock = range != 0; }
    void ResetRange() override { inBlock = false; }

    TSynHighlighterAttributes *plain, *block;

private:
    const char *line = "";
    size_t run = 0, pos = 0;
    int kind = 0;
    bool inBlock = false;
};

TEST(SynLexerAdapter, ARangeCarriedOverLinesRestylesWhatFollowsUntilItEnds)
{
    TBlockSyn h;
    Pane pane(&h);
    AnsiString text;
    for (int i = 0; i < 1000; ++i) text += "abcdefgh\r\n";   // 10 bytes a line
    pane.SetText(text);
    pane.StyleAll();
    const int plain = StyleOf(h.plain), block = StyleOf(h.block);

    long long before = pane.Styled();
    pane.Insert(pane.LineStart(100) + 4, "{");   // a block from here to the end
    pane.StyleAll();
    EXPECT_GE(pane.Styled() - before, 900 * 10);
    EXPECT_EQ(pane.StyleAt(pane.LineStart(100) + 3), plain);
    EXPECT_EQ(pane.StyleAt(pane.LineStart(100) + 5), block);
    EXPECT_EQ(pane.StyleAt(pane.LineStart(999)), block);

    before = pane.Styled();
    pane.Insert(pane.LineStart(200), "}");   // closed again: only the lines up to 999 change
    pane.StyleAll();
    EXPECT_GE(pane.Styled() - before, 799 * 10);
    EXPECT_EQ(pane.StyleAt(pane.LineStart(200)), block);
    EXPECT_EQ(pane.StyleAt(pane.LineStart(200) + 1), plain);
    EXPECT_EQ(pane.StyleAt(pane.LineStart(999)), plain);

    before = pane.Styled();
    pane.Insert(pane.LineStart(150) + 2, "}{");   // the block ends and starts again in one line
    pane.StyleAll();
    EXPECT_LT(pane.Styled() - before, 3 * 10);
    EXPECT_EQ(pane.StyleAt(pane.LineStart(151)), block);
}

// The styles after any series of edits and requests for parts of the text are those of styling
// the final text from scratch.
void CheckIncrementalStyling(TSynCustomHighlighter &h, const AnsiString &text,
                             const std::vector<AnsiString> &snippets, unsigned seed)
{
    Pane pane(&h);
    pane.SetText(text);
    pane.StyleAll();
    std::mt19937 rng(seed);
    for (int step = 0; step < 1000; ++step) {
        const long length = pane.Length();
        const long pos = long(rng() % unsigned(length + 1));
        if (rng() % 3 == 0 && length > 0)
            pane.Delete(pos, std::min<long>(long(rng() % 8) + 1, length - pos));
        else
            pane.Insert(pos, snippets[rng() % snippets.size()]);
        if (rng() % 4 == 0) pane.editor.SendScintilla(SB::SCI_UNDO);
        // Part of the text is asked for: from where the styled text ends, as a pane showing
        // a part does, or from the start.
        const long upTo = long(rng() % unsigned(pane.Length() + 1));
        const long endStyled = pane.editor.SendScintilla(SB::SCI_GETENDSTYLED);
        switch (rng() % 3) {
        case 0: pane.editor.SendScintilla(SB::SCI_COLOURISE, 0UL, upTo); break;
        case 1: if (upTo > endStyled) pane.lexer->styleText(int(endStyled), int(upTo)); break;
        default: break;
        }
        if (step % 50 == 49) {
            pane.StyleAll();
            Pane fresh(&h);
            fresh.SetText(pane.Text());
            fresh.StyleAll();
            ASSERT_EQ(pane.Styles(), fresh.Styles()) << "step " << step;
        }
    }
}

TEST(SynLexerAdapter, IncrementalStylingMatchesStylingFromScratch)
{
    TSynKASSyn kas;
    CheckIncrementalStyling(kas, ScriptLines(200),
                            {"\r\n", ";", "!!VR", "QUIL_", "_WARNING_", "*", "$", "@", "JOTE", "x y",
                             "\r\n*", "\r\nQUIL_t\r\n", "!", "\xE9", "\n", "\r", AnsiString("a\0b", 3)},
                            77);
    TBlockSyn blocks;
    AnsiString text;
    for (int i = 0; i < 200; ++i) text += i % 17 == 0 ? "a{b\r\n" : i % 23 == 0 ? "c}d\r\n" : "xyz\r\n";
    CheckIncrementalStyling(blocks, text, {"{", "}", "\r\n", "x", "}{", "\r\n{\r\n"}, 78);
}

// ---- how it looks ----

// Grabs a pane showing every token kind; QUILLET_SCREENSHOT names a file to keep the picture.
TEST(SynLexerAdapter, ColoursShowOnScreen)
{
    TSynKASSyn h;
    Pane pane(&h);
    pane.lexer->SetFont(QFont("DejaVu Sans Mono", 14));
    pane.lexer->SetColors(ColorToQColor(clWindowText), QColor(Qt::white));
    pane.editor.resize(560, 330);
    pane.SetText("QUIL_ScriptName=Every token kind\r\n"
                 "_WARNING_ generated text\r\n"
                 "_DECLARATION_ v1 counter\r\n"
                 "JOTE\r\n"
                 "!?FU1; trigger remark\r\n"
                 "!$OB2:S1;\r\n"
                 "!!VRv1:S$macro$ @m@+1;\r\n"
                 "!#VA(x:y);\r\n"
                 "* whole remark line\r\n"
                 "plain words 123 ^text^\r\n");
    const QImage image = pane.editor.grab().toImage();
    if (const char *path = std::getenv("QUILLET_SCREENSHOT")) image.save(QString::fromLocal8Bit(path));

    auto shows = [&](TColor color) {
        const QRgb want = ColorToQColor(color).rgb();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb got = image.pixel(x, y);
                if (std::abs(qRed(got) - qRed(want)) + std::abs(qGreen(got) - qGreen(want)) +
                        std::abs(qBlue(got) - qBlue(want)) < 24)
                    return true;
            }
        return false;
    };
    for (const TSynHighlighterAttributes *a :
         {h.CommentAttri(), h.WarningAttri(), h.DeclarationAttri(), h.Key_MagicAttri(),
          h.Key_TriggerAttri(), h.Key_PostTriggerAttri(), h.Key_ReceiverAttri(),
          h.Key_InstructionAttri(), h.RemarkAttri(), h.MacroAttri()})
        EXPECT_TRUE(shows(a->Foreground())) << a->Name();
}

} // namespace
