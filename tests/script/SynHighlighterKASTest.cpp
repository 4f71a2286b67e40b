#include "script/SynHighlighterKAS.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Counts the change notices of a highlighter.
struct ChangeCounter
{
    explicit ChangeCounter(TSynCustomHighlighter &h)
    {
        QObject::connect(&h, &TSynCustomHighlighter::HighlightChanged, [this] { ++count; });
    }
    int count = 0;
};

struct Tok
{
    AnsiString text;
    TtkTokenKind kind;
};

struct Scanned
{
    AnsiString text;
    int kind;
    int pos;
};

// Pulls every token of the line the way a pane does, up to and including the end-of-line token.
std::vector<Scanned> Scan(TSynKASSyn &h, const char *line, int lineNumber = 0)
{
    std::vector<Scanned> out;
    h.SetLine(line, lineNumber);
    for (int guard = 0; guard < 100000; ++guard) {
        out.push_back({h.GetToken(), h.GetTokenKind(), h.GetTokenPos()});
        if (h.GetEol()) break;
        h.Next();
    }
    return out;
}

AnsiString Show(const std::vector<Scanned> &tokens)
{
    AnsiString s;
    for (const Scanned &t : tokens)
        s += "[" + t.text + "|" + std::to_string(t.kind) + "@" + std::to_string(t.pos) + "]";
    return s;
}

// The expected tokens follow each other from position 0; the line ends with one tkNull token
// at the end of the last token.
std::vector<Scanned> Expected(const std::vector<Tok> &tokens)
{
    std::vector<Scanned> out;
    int pos = 0;
    for (const Tok &t : tokens) {
        out.push_back({t.text, t.kind, pos});
        pos += int(t.text.size());
    }
    out.push_back({"", tkNull, pos});
    return out;
}

struct LineCase
{
    AnsiString line;
    std::vector<Tok> tokens;
};

const LineCase kLineCases[] = {
    // commands
    {"!!VR", {{"!!VR", tkKey_Receiver}}},
    {"!!VR1:", {{"!!VR", tkKey_Receiver}, {"1", tkIdentifier}, {":", tkSymbol}}},
    {"!!vr", {{"!", tkIdentifier}, {"!", tkIdentifier}, {"vr", tkIdentifier}}},
    {"!!V", {{"!", tkIdentifier}, {"!", tkIdentifier}, {"V", tkIdentifier}}},
    {"!%AB", {{"!", tkIdentifier}, {"%", tkSymbol}, {"A", tkIdentifier}, {"B", tkIdentifier}}},
    {"!?FU1", {{"!?FU", tkKey_Trigger}, {"1", tkIdentifier}}},
    {"!$OB2", {{"!$OB", tkKey_PostTrigger}, {"2", tkIdentifier}}},
    {"!#VA", {{"!#VA", tkKey_Instruction}}},
    {"x !!VRab", {{"x", tkIdentifier}, {" ", tkSpace}, {"!!VR", tkKey_Receiver}, {"ab", tkIdentifier}}},
    {"x!#", {{"x", tkIdentifier}, {"!", tkIdentifier}, {"#", tkIdentifier}}},
    {"!", {{"!", tkIdentifier}}},
    {"!!", {{"!", tkIdentifier}, {"!", tkIdentifier}}},
    {"!!A", {{"!", tkIdentifier}, {"!", tkIdentifier}, {"A", tkIdentifier}}},
    // remarks
    {"abc;text!!VR",
     {{"abc", tkIdentifier}, {";", tkSymbol}, {"text", tkRemark}, {"!!VR", tkKey_Receiver}}},
    {";comment", {{";", tkRemark}, {"comment", tkRemark}}},
    {";text! x",
     {{";", tkRemark}, {"text", tkRemark}, {"!", tkRemark}, {" ", tkSpace}, {"x", tkIdentifier}}},
    {"x ! y",
     {{"x", tkIdentifier}, {" ", tkSpace}, {"!", tkIdentifier}, {" ", tkSpace}, {"y", tkIdentifier}}},
    {"abc;", {{"abc", tkIdentifier}, {";", tkSymbol}, {"", tkRemark}}},
    {";", {{";", tkRemark}, {"", tkRemark}}},
    {";!!x", {{";", tkRemark}, {"", tkRemark}, {"!", tkRemark}, {"!", tkRemark}, {"x", tkIdentifier}}},
    {"a;!!VR x", {{"a", tkIdentifier}, {";", tkSymbol}, {"", tkRemark}, {"!!VR", tkKey_Receiver},
                  {" ", tkSpace}, {"x", tkIdentifier}}},
    {"x;a!b", {{"x", tkIdentifier}, {";", tkSymbol}, {"a", tkRemark}, {"!", tkRemark},
               {"b", tkIdentifier}}},
    {"* whole line; !!VR", {{"* whole line; !!VR", tkRemark}}},
    {"a * b", {{"a", tkIdentifier}, {" ", tkSpace}, {"*", tkSymbol}, {" ", tkSpace}, {"b", tkIdentifier}}},
    {"*", {{"*", tkRemark}}},
    // header lines
    {"QUIL_ScriptName=Test", {{"QUIL_ScriptName=Test", tkComment}}},
    {" QUIL_ScriptName=Test", {{" ", tkSpace}, {"Q", tkIdentifier}, {"UIL_ScriptName", tkIdentifier},
                               {"=", tkIdentifier}, {"Test", tkIdentifier}}},
    {"QUILT", {{"Q", tkIdentifier}, {"UILT", tkIdentifier}}},
    {"QUIL", {{"Q", tkIdentifier}, {"UIL", tkIdentifier}}},
    {"quil_x", {{"quil_x", tkIdentifier}}},
    {"Q", {{"Q", tkIdentifier}}},
    {"_WARNING_ do not edit", {{"_WARNING_ do not edit", tkWarning}}},
    {"_DECLARATION_ v1", {{"_DECLARATION_ v1", tkDeclaration}}},
    {"_warning_", {{"_", tkIdentifier}, {"warning_", tkIdentifier}}},
    {"_WARNING", {{"_", tkIdentifier}, {"WARNING", tkIdentifier}}},
    {" _WARNING_", {{" ", tkSpace}, {"_", tkIdentifier}, {"WARNING_", tkIdentifier}}},
    {"_", {{"_", tkIdentifier}}},
    // symbols at and after column 0
    {"+x", {{"+", tkIdentifier}, {"x", tkIdentifier}}},
    {"x+", {{"x", tkIdentifier}, {"+", tkSymbol}}},
    {":|/-&?", {{":", tkIdentifier}, {"|", tkSymbol}, {"/", tkSymbol}, {"-", tkSymbol},
                {"&", tkSymbol}, {"?", tkSymbol}}},
    // the magic word
    {"JOTE", {{"JOTE", tkKey_Magic}}},
    {"jote", {{"jote", tkKey_Magic}}},
    {"JoTe x", {{"JoTe", tkKey_Magic}, {" ", tkSpace}, {"x", tkIdentifier}}},
    {"JOTE1", {{"JOTE1", tkIdentifier}}},
    {"JOTE_", {{"JOTE_", tkIdentifier}}},
    {"XJOTE", {{"XJOTE", tkIdentifier}}},
    {"AJOTE", {{"A", tkIdentifier}, {"JOTE", tkKey_Magic}}},
    {"9JOTE", {{"9", tkIdentifier}, {"JOTE", tkKey_Magic}}},
    {"KOTD", {{"KOTD", tkIdentifier}}},   // the same hash as JOTE
    {"JOT", {{"JOT", tkIdentifier}}},
    {"JOTE;x", {{"JOTE", tkKey_Magic}, {";", tkSymbol}, {"x", tkRemark}}},
    // everything else
    {"123", {{"1", tkIdentifier}, {"2", tkIdentifier}, {"3", tkIdentifier}}},
    {"^text^", {{"^", tkIdentifier}, {"text", tkIdentifier}, {"^", tkIdentifier}}},
    {"\"s\"", {{"\"", tkIdentifier}, {"s", tkIdentifier}, {"\"", tkIdentifier}}},
    {"", {}},
    {"\t\x01 x", {{"\t\x01 ", tkSpace}, {"x", tkIdentifier}}},
    {"\xE9t\xE9", {{"\xE9", tkIdentifier}, {"t", tkIdentifier}, {"\xE9", tkIdentifier}}},
    {"\x7F\x80\xFF", {{"\x7F", tkIdentifier}, {"\x80", tkIdentifier}, {"\xFF", tkIdentifier}}},
    // macros
    {"$x$", {{"$x$", tkMacro}}},
    {"$$", {{"$$", tkMacro}}},
    {"$$$$", {{"$$$$", tkMacro}}},
    {"$$$abc$", {{"$$$abc$", tkMacro}}},
    {"$abc", {{"$abc", tkMacro}}},
    {"$", {{"$", tkMacro}}},
    {"$$$", {{"$$$", tkMacro}}},
    {"a$b$c", {{"a", tkIdentifier}, {"$b$", tkMacro}, {"c", tkIdentifier}}},
    {"@v1@ x", {{"@v1@", tkMacro}, {" ", tkSpace}, {"x", tkIdentifier}}},
    {"@a$b@", {{"@a$b@", tkMacro}}},
    {"$a@b$", {{"$a@b$", tkMacro}}},
    // line breaks handed in with the line
    {"a\r\nb", {{"a", tkIdentifier}, {"\r\n", tkSpace}, {"b", tkIdentifier}}},
    {"a\rb", {{"a", tkIdentifier}, {"\r", tkSpace}, {"b", tkIdentifier}}},
    {"a\n\nb", {{"a", tkIdentifier}, {"\n", tkSpace}, {"\n", tkSpace}, {"b", tkIdentifier}}},
    {" \r\n", {{" ", tkSpace}, {"\r\n", tkSpace}}},
    {";ab\r\ncd", {{";", tkRemark}, {"ab", tkRemark}, {"\r\n", tkSpace}, {"cd", tkIdentifier}}},
    {"$ab\ncd$", {{"$ab", tkMacro}, {"\n", tkSpace}, {"cd", tkIdentifier}, {"$", tkMacro}}},
    {"*ab\r\ncd", {{"*ab", tkRemark}, {"\r\n", tkSpace}, {"cd", tkIdentifier}}},
    {"QUIL_a\nx", {{"QUIL_a", tkComment}, {"\n", tkSpace}, {"x", tkIdentifier}}},
};

TEST(TSynKASSyn, TokenStreamsOfLines)
{
    TSynKASSyn h;
    for (const LineCase &c : kLineCases) {
        const std::vector<Scanned> got = Scan(h, c.line.c_str());
        const std::vector<Scanned> want = Expected(c.tokens);
        EXPECT_EQ(Show(got), Show(want)) << "line: " << c.line;
    }
}

TEST(TSynKASSyn, NulByteEndsTheLine)
{
    TSynKASSyn h;
    const char line[] = "ab\0!!VR";
    h.SetLine(AnsiString(line, sizeof line - 1), 0);
    EXPECT_EQ(h.GetToken(), "ab");
    h.Next();
    EXPECT_TRUE(h.GetEol());
    EXPECT_EQ(h.GetTokenPos(), 2);
}

TEST(TSynKASSyn, StringLineIsCopiedAndEachLineStartsFresh)
{
    TSynKASSyn h;
    // A remark range left by a line abandoned after ";" does not reach the next line.
    h.SetLine(AnsiString("a;"), 0);
    h.Next();
    ASSERT_EQ(h.GetTokenID(), tkSymbol);
    h.SetLine(AnsiString("x"), 1);
    EXPECT_EQ(h.GetTokenID(), tkIdentifier);
    EXPECT_EQ(h.GetToken(), "x");
    // "!" at the start of a line follows no remark, whatever the previous line ended with.
    Scan(h, ";remark");
    const auto tokens = Scan(h, "!x");
    EXPECT_EQ(tokens[0].kind, tkIdentifier);
}

TEST(TSynKASSyn, AttributesInOrderWithDefaults)
{
    struct Attr { const char *name; TColor fg, bg; TFontStyles style; };
    const Attr want[] = {
        {"Comment", clSilver, clWindow, 0},
        {"Remark", clGreen, clWindow, fsItalic},
        {"Identifier", clBlack, clWindow, 0},
        {"Key_Magic", clBlue, clWindow, fsBold},
        {"Key_Trigger", clMaroon, clWindow, fsBold},
        {"Key_PostTrigger", clTeal, clWindow, fsBold},
        {"Key_Receiver", clPurple, clWindow, fsBold},
        {"Key_Instruction", clOlive, clWindow, fsBold},
        {"Space", clNone, clNone, 0},
        {"Symbol", clBlack, clWindow, fsBold},
        {"Macro", clNavy, clWindow, fsBold},
        {"QUIL Warning", clRed, clWindow, 0},
        {"QUIL Declaration", clGray, clWindow, 0},
        {"String", clNone, clWindow, 0},
    };
    TSynKASSyn h;
    ASSERT_EQ(h.AttrCount(), 14);
    for (int i = 0; i < 14; ++i) {
        const TSynHighlighterAttributes *a = h.Attribute(i);
        EXPECT_EQ(a->Name(), want[i].name);
        EXPECT_EQ(a->Foreground(), want[i].fg) << want[i].name;
        EXPECT_EQ(a->Background(), want[i].bg) << want[i].name;
        EXPECT_EQ(a->Style(), want[i].style) << want[i].name;
        EXPECT_EQ(a->Index(), i);
    }
    EXPECT_EQ(clBlue, 0xFF0000);
    EXPECT_EQ(std::uint32_t(clWindow), 0x80000005u);
    EXPECT_EQ(h.Key_MagicAttri(), h.AttributeByName("Key_Magic"));
    EXPECT_EQ(h.WarningAttri(), h.AttributeByName("QUIL Warning"));
}

TEST(TSynKASSyn, TokenAttributeByKind)
{
    TSynKASSyn h;
    struct Case { const char *line; TSynHighlighterAttributes *attr; };
    const Case cases[] = {
        {"QUIL_x", h.CommentAttri()},   {"a+", nullptr},
        {";x", h.RemarkAttri()},        {"$m$", h.MacroAttri()},
        {"word", h.IdentifierAttri()},  {"JOTE", h.Key_MagicAttri()},
        {"!?AB", h.Key_TriggerAttri()}, {"!$AB", h.Key_PostTriggerAttri()},
        {"!!AB", h.Key_ReceiverAttri()}, {"!#AB", h.Key_InstructionAttri()},
        {" x", h.SpaceAttri()},         {"_WARNING_", h.WarningAttri()},
        {"_DECLARATION_", h.DeclarationAttri()},
    };
    for (const Case &c : cases) {
        h.SetLine(c.line, 0);
        if (c.attr) {
            EXPECT_EQ(h.GetTokenAttribute(), c.attr) << c.line;
        }
    }
    h.SetLine("a+", 0);
    h.Next();
    EXPECT_EQ(h.GetTokenAttribute(), h.SymbolAttri());
    h.Next();
    EXPECT_TRUE(h.GetEol());
    EXPECT_EQ(h.GetTokenAttribute(), nullptr);
}

TEST(TSynKASSyn, DefaultAttributesIdentCharsAndNames)
{
    TSynKASSyn h;
    TSynHighlighterAttributes *const want[] = {
        h.CommentAttri(), h.IdentifierAttri(), nullptr, h.StringAttri(), h.SpaceAttri(), nullptr,
        h.WarningAttri(), h.DeclarationAttri(), h.Key_MagicAttri(), h.Key_TriggerAttri(),
        h.Key_PostTriggerAttri(), h.Key_ReceiverAttri(), h.Key_InstructionAttri(), nullptr};
    for (int i = 0; i < 14; ++i) EXPECT_EQ(h.GetDefaultAttribute(i), want[i]) << i;
    EXPECT_EQ(h.GetDefaultAttribute(-1), nullptr);

    const TSynIdentChars chars = h.GetIdentChars();
    for (int c = 0; c < 256; ++c) {
        const bool want = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '_' ||
                          (c >= 'a' && c <= 'z') || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
        EXPECT_EQ(chars.test(size_t(c)), want) << c;
    }
    EXPECT_EQ(TSynKASSyn::GetLanguageName(), "KAS");
    EXPECT_EQ(h.DefaultFilter(), "Keyed Action Script files (*.kas)|*.KAS");
    bool placed = false;
    for (const TSynHighlighterClass &c : GetPlaceableHighlighters())
        if (c.LanguageName == "KAS") {
            std::unique_ptr<TSynCustomHighlighter> made(c.Create(nullptr));
            placed = made && made->LanguageName() == "KAS";
        }
    EXPECT_TRUE(placed);
}

TEST(TSynKASSyn, ChangeNotification)
{
    TSynKASSyn h;
    ChangeCounter spy(h);
    h.Key_MagicAttri()->SetForeground(clRed);
    EXPECT_EQ(spy.count, 1);
    h.Key_MagicAttri()->SetForeground(clRed);   // no change, no notice
    h.RemarkAttri()->SetStyle(fsItalic);
    EXPECT_EQ(spy.count, 1);
    h.RemarkAttri()->SetStyle(fsBold | fsUnderline | 0x30);
    EXPECT_EQ(h.RemarkAttri()->Style(), fsBold | fsUnderline);
    h.SetEnabled(false);
    EXPECT_EQ(spy.count, 3);
    EXPECT_FALSE(h.Enabled());

    // Copying a whole highlighter: attributes by name, one notice.
    TSynKASSyn copy;
    ChangeCounter copySpy(copy);
    copy.Assign(h);
    EXPECT_EQ(copySpy.count, 1);
    EXPECT_EQ(copy.Key_MagicAttri()->Foreground(), clRed);
    EXPECT_EQ(copy.RemarkAttri()->Style(), fsBold | fsUnderline);
    EXPECT_TRUE(copy.Enabled());   // the switch is not an attribute
}

// ---- robustness: bytes 0x80-0xFF and NUL never crash the scanner or read past the line ----

// A line placed so that its terminating NUL is the last readable byte before an inaccessible
// page: any read past the line faults at once.
class GuardedLine
{
public:
    GuardedLine()
    {
        page_ = size_t(sysconf(_SC_PAGESIZE));
        mem_ = static_cast<char *>(
            mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(mem_ + page_, page_, PROT_NONE);
    }
    ~GuardedLine() { munmap(mem_, 2 * page_); }
    const char *Put(const AnsiString &line)
    {
        char *p = mem_ + page_ - line.size() - 1;
        std::memcpy(p, line.data(), line.size());
        p[line.size()] = '\0';
        return p;
    }

private:
    size_t page_;
    char *mem_;
};

// Scans a line and checks the tokens: they follow each other without gap or overlap, stay
// within the line, and the last one is the line end at the first NUL.
void CheckScan(TSynKASSyn &h, GuardedLine &guard, const AnsiString &line)
{
    const char *p = guard.Put(line);
    const size_t nul = std::min(line.size(), std::strlen(p));
    h.ResetRange();
    h.SetLine(p, 0);
    size_t pos = 0;
    size_t tokens = 0;
    while (!h.GetEol()) {
        ASSERT_LE(++tokens, 2 * nul + 2) << "no end: " << line;
        const char *start = nullptr;
        int length = -1;
        h.GetTokenEx(start, length);
        ASSERT_EQ(size_t(h.GetTokenPos()), pos) << line;
        ASSERT_EQ(start, p + pos);
        ASSERT_GE(length, 0);
        ASSERT_LE(pos + size_t(length), nul) << line;
        ASSERT_LE(h.GetTokenKind(), int(tkDeclaration));
        ASSERT_NE(h.GetTokenAttribute(), nullptr);
        pos += size_t(length);
        h.Next();
    }
    EXPECT_EQ(pos, nul) << line;
    EXPECT_EQ(size_t(h.GetTokenPos()), nul);
}

TEST(TSynKASSyn, EveryByteAtEveryPlaceOfShortLines)
{
    TSynKASSyn h;
    GuardedLine guard;
    const char *const frames[] = {"%c", "%c%c", "!%c", "!!%c", "!!V%c", "!#%c", "$%c", "$$%c",
                                  "@@%c", ";%c", "x;%c", "*%c", "Q%c", "QUIL%c", "_%c",
                                  "_WARNING%c", "JOT%c", "a%c!", " %c"};
    for (const char *frame : frames) {
        for (int c = 0; c < 256; ++c) {
            AnsiString line;
            for (const char *f = frame; *f; ++f) {
                if (f[0] == '%' && f[1] == 'c') {
                    line += char(c);
                    ++f;
                } else {
                    line += *f;
                }
            }
            CheckScan(h, guard, line);
            if (HasFailure()) return;
        }
    }
}

TEST(TSynKASSyn, RandomLinesDeterministic)
{
    // Bytes that start rules, bytes that continue them, NUL, line breaks and 8-bit bytes.
    AnsiString alphabet = "!#$?@;*_QUIL_WARNING_DECLARATION_JOTEjoteAZaz09 \t\r\n\x01\x80\xC0\xD7\xE9\xFF"
                          "+-:|%&/^\"";
    alphabet += '\0';
    std::mt19937 rng(20240611u);
    std::uniform_int_distribution<int> len(0, 40), pick(0, int(alphabet.size()) - 1), any(0, 255),
        mode(0, 9);
    TSynKASSyn h;
    GuardedLine guard;
    for (int i = 0; i < 20000; ++i) {
        AnsiString line;
        for (int n = len(rng); n > 0; --n)
            line += mode(rng) < 7 ? alphabet[size_t(pick(rng))] : char(any(rng));
        if (i % 5 == 0) line += '\0';   // a NUL inside the line as well as at its end
        if (i % 7 == 0) line += "!!VR";
        CheckScan(h, guard, line);
        if (HasFailure()) return;
    }
}

TEST(TSynKASSyn, LongIdentifierKeepsItsHashInRange)
{
    TSynKASSyn h;
    const AnsiString word(100000, 'z');
    h.SetLine(word, 0);
    EXPECT_EQ(h.GetTokenID(), tkIdentifier);
    EXPECT_EQ(h.GetToken().size(), word.size());
}

} // namespace
