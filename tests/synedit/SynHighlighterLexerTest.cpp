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

// The styles after any series of edits and partial requests are those of styling the final
// text from scratch.
TEST(SynLexerAdapter, IncrementalStylingMatchesStylingFromScratch)
{
    const std::vector<AnsiString> snippets = {"\r\n", ";", "!!VR", "QUIL_", "_WARNING_", "*", "$",
                                              "@", "JOTE", "x y", "\r\n*", "\r\nQUIL_t\r\n", "!",
                                              "\xE9", "\n", "\r", AnsiString("a\0b", 3)};
    TSynKASSyn h;
    Pane pane(&h);
    pane.SetText(ScriptLines(200));
    pane.StyleAll();
    std::mt19937 rng(77);
    for (int step = 0; step < 400; ++step) {
        const long length = pane.Length();
        const long pos = long(rng() % unsigned(length + 1));
        if (rng() % 3 == 0 && length > 0) {
            pane.Delete(pos, std::min<long>(long(rng() % 8) + 1, length - pos));
        } else {
            pane.Insert(pos, snippets[rng() % snippets.size()]);
        }
        if (rng() % 4 == 0) pane.editor.SendScintilla(SB::SCI_UNDO);
        // Sometimes only part of the text is asked for, as a pane showing a part would.
        const long upTo = long(rng() % unsigned(pane.Length() + 1));
        if (rng() % 2)
            pane.editor.SendScintilla(SB::SCI_COLOURISE, 0UL, upTo);
        if (step % 40 == 39) {
            pane.StyleAll();
            Pane fresh(&h);
            fresh.SetText(pane.Text());
            fresh.StyleAll();
            ASSERT_EQ(pane.Styles(), fresh.Styles()) << "step " << step;
        }
    }
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
