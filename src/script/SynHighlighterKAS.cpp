#include "script/SynHighlighterKAS.h"

#include <array>

namespace {

// Letters and "_" (digits are not letters here).
constexpr std::array<bool, 256> MakeIdentifiers()
{
    std::array<bool, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[size_t(c)] = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    return t;
}

// A letter's upper-case value minus 64 ("A" and "a" 1 ... "Z" and "z" 26, "_" 31); 0 otherwise.
constexpr std::array<std::uint8_t, 256> MakeHashTable()
{
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        if (c >= 'a' && c <= 'z')
            t[size_t(c)] = std::uint8_t(c - 32 - 64);
        else if ((c >= 'A' && c <= 'Z') || c == '_')
            t[size_t(c)] = std::uint8_t(c - 64);
    }
    return t;
}

constexpr std::array<bool, 256> MakeLineEnds()
{
    std::array<bool, 256> t{};
    t[0] = t['\n'] = t['\r'] = true;
    return t;
}

constexpr std::array<bool, 256> Identifiers = MakeIdentifiers();
constexpr std::array<bool, 256> LineEnds = MakeLineEnds();
constexpr std::array<std::uint8_t, 256> mHashTable = MakeHashTable();

inline unsigned char ByteAt(const char *p) { return static_cast<unsigned char>(*p); }
inline bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
inline bool IsCapital(unsigned char c) { return c >= 'A' && c <= 'Z'; }
// Bytes that continue an identifier once it has begun.
inline bool IsIdentByte(unsigned char c) { return Identifiers[c] || IsDigit(c); }
// The code page is single-byte: no byte leads a two-byte character.
inline bool IsLeadByte(unsigned char) { return false; }

bool StartsWith(const char *line, const char *prefix)
{
    for (; *prefix; ++line, ++prefix)
        if (*line != *prefix) return false;   // also stops at the line's terminating NUL
    return true;
}

// Placed once per program, before main.
const bool registered = [] {
    RegisterPlaceableHighlighter(TSynKASSyn::GetLanguageName(),
                                 [](QObject *owner) { return new TSynKASSyn(owner); });
    return true;
}();

} // namespace

TSynKASSyn::TSynKASSyn(QObject *owner) : TSynCustomHighlighter(owner)
{
    (void)registered;
    fCommentAttri = MakeAttribute("Comment", clSilver, clWindow, 0);
    fRemarkAttri = MakeAttribute("Remark", clGreen, clWindow, fsItalic);
    fIdentifierAttri = MakeAttribute("Identifier", clBlack, clWindow, 0);
    fKey_MagicAttri = MakeAttribute("Key_Magic", clBlue, clWindow, fsBold);
    fKey_TriggerAttri = MakeAttribute("Key_Trigger", clMaroon, clWindow, fsBold);
    fKey_PostTriggerAttri = MakeAttribute("Key_PostTrigger", clTeal, clWindow, fsBold);
    fKey_ReceiverAttri = MakeAttribute("Key_Receiver", clPurple, clWindow, fsBold);
    fKey_InstructionAttri = MakeAttribute("Key_Instruction", clOlive, clWindow, fsBold);
    fSpaceAttri = MakeAttribute("Space", clNone, clNone, 0);
    fSymbolAttri = MakeAttribute("Symbol", clBlack, clWindow, fsBold);
    fMacroAttri = MakeAttribute("Macro", clNavy, clWindow, fsBold);
    fWarningAttri = MakeAttribute("QUIL Warning", clRed, clWindow, 0);
    fDeclarationAttri = MakeAttribute("QUIL Declaration", clGray, clWindow, 0);
    fStringAttri = MakeAttribute("String", clNone, clWindow, 0);
    SetAttributesOnChange([this] { DefHighlightChange(); });
    InitIdent();
    fRange = rsUnknown;
    MakeMethodTables();
    SetDefaultFilter("Keyed Action Script files (*.kas)|*.KAS");
}

TSynHighlighterAttributes *TSynKASSyn::MakeAttribute(const AnsiString &name, TColor foreground,
                                                     TColor background, TFontStyles style)
{
    auto *a = new TSynHighlighterAttributes(name);
    a->SetForeground(foreground);
    a->SetBackground(background);
    a->SetStyle(style);
    AddAttribute(a);
    return a;
}

void TSynKASSyn::InitIdent()
{
    for (TIdentFuncTableFunc &f : fIdentFuncTable) f = &TSynKASSyn::AltFunc;
    fIdentFuncTable[50] = &TSynKASSyn::Func50;   // J 10 + O 15 + T 20 + E 5
}

void TSynKASSyn::MakeMethodTables()
{
    for (int c = 0; c < 256; ++c) {
        TProcTableProc p = &TSynKASSyn::UnknownProc;
        switch (c) {
        case 0: p = &TSynKASSyn::NullProc; break;
        case '\n': p = &TSynKASSyn::LFProc; break;
        case '\r': p = &TSynKASSyn::CRProc; break;
        case '!': case '%': case '&': case '+': case '-': case '/': case ':': case ';': case '?':
        case '|':
            p = &TSynKASSyn::SymbolProc;
            break;
        case '$': p = &TSynKASSyn::MacroProc1; break;
        case '@': p = &TSynKASSyn::MacroProc2; break;
        case '*': p = &TSynKASSyn::Remark1Proc; break;
        case 'Q': p = &TSynKASSyn::QUILProc; break;
        case '_': p = &TSynKASSyn::QUILWarDec; break;
        default:
            if (c <= 0x20)
                p = &TSynKASSyn::SpaceProc;
            else if ((c >= 'B' && c <= 'Z') || (c >= 'a' && c <= 'z'))
                p = &TSynKASSyn::IdentProc;
            break;
        }
        fProcTable[c] = p;
    }
}

// ---- identifiers ----

unsigned TSynKASSyn::KeyHash(const char *toHash)
{
    unsigned hash = 0;
    const char *p = toHash;
    for (; IsIdentByte(ByteAt(p)); ++p) {
        // Anything that long is no keyword; saturating keeps the sum from wrapping round.
        if (hash < kIdentFuncCount) hash += mHashTable[ByteAt(p)];
    }
    fToIdent = toHash;
    fStringLen = std::size_t(p - toHash);
    return hash;
}

bool TSynKASSyn::KeyComp(const char *key) const
{
    std::size_t i = 0;
    for (; key[i]; ++i)
        if (i >= fStringLen || mHashTable[ByteAt(fToIdent + i)] != mHashTable[ByteAt(key + i)])
            return false;
    return i == fStringLen;
}

TtkTokenKind TSynKASSyn::IdentKind(const char *maybeKeyword)
{
    const unsigned hash = KeyHash(maybeKeyword);
    if (hash >= kIdentFuncCount) return tkIdentifier;
    return (this->*fIdentFuncTable[hash])();
}

TtkTokenKind TSynKASSyn::AltFunc()
{
    return tkIdentifier;
}

TtkTokenKind TSynKASSyn::Func50()
{
    return KeyComp("JOTE") ? tkKey_Magic : tkIdentifier;
}

// ---- scanning ----

inline bool TSynKASSyn::AtLineEnd(std::size_t pos) const
{
    return LineEnds[ByteAt(fLine + pos)];
}

void TSynKASSyn::RunToLineEnd()
{
    while (!AtLineEnd(fRun)) ++fRun;
}

void TSynKASSyn::SetLine(const char *line, int lineNumber)
{
    fLine = line ? line : "";
    fLineNumber = lineNumber;
    fRun = 0;
    // Every line starts in normal scanning (no rule carries a range over a line end, and one
    // left by a line abandoned after ";" must not colour the next) with no token before it.
    fRange = rsUnknown;
    fTokenID = tkNull;
    Next();
}

void TSynKASSyn::Next()
{
    fTokenPos = fRun;
    if (fRange == rsRemark)
        RemarkProc();
    else
        (this->*fProcTable[ByteAt(fLine + fRun)])();
}

void TSynKASSyn::NullProc()
{
    fTokenID = tkNull;
}

void TSynKASSyn::SpaceProc()
{
    fTokenID = tkSpace;
    ++fRun;
    while (ByteAt(fLine + fRun) <= 0x20 && !AtLineEnd(fRun)) ++fRun;
}

void TSynKASSyn::LFProc()
{
    fTokenID = tkSpace;
    ++fRun;
}

void TSynKASSyn::CRProc()
{
    fTokenID = tkSpace;
    ++fRun;
    if (fLine[fRun] == '\n') ++fRun;
}

void TSynKASSyn::SymbolProc()
{
    const char *p = fLine + fRun;
    switch (*p) {
    case ';':
        fTokenID = fRun == 0 ? tkRemark : tkSymbol;
        ++fRun;
        fRange = rsRemark;
        return;
    case '!': {
        // Each test stops at the line's NUL, so nothing past the line is read.
        TtkTokenKind command = tkNull;
        switch (p[1]) {
        case '!': command = tkKey_Receiver; break;
        case '#': command = tkKey_Instruction; break;
        case '$': command = tkKey_PostTrigger; break;
        case '?': command = tkKey_Trigger; break;
        default: break;
        }
        if (command != tkNull && IsCapital(ByteAt(p + 2)) && IsCapital(ByteAt(p + 3))) {
            fTokenID = command;
            fRun += 4;
        } else {
            if (fTokenID != tkRemark) fTokenID = tkIdentifier;
            ++fRun;
        }
        return;
    }
    default:
        fTokenID = fRun == 0 ? tkIdentifier : tkSymbol;
        ++fRun;
        return;
    }
}

void TSynKASSyn::RemarkProc()
{
    fTokenID = tkRemark;
    while (!AtLineEnd(fRun) && fLine[fRun] != '!') ++fRun;
    fRange = rsUnknown;
}

void TSynKASSyn::MacroProc(char opener)
{
    fTokenID = tkMacro;
    if (fLine[fRun + 1] == opener && fLine[fRun + 2] == opener) fRun += 2;
    ++fRun;   // the opener (or the third of three) is always a byte of the line
    while (!AtLineEnd(fRun) && fLine[fRun] != opener) ++fRun;
    if (fLine[fRun] == opener) ++fRun;
}

void TSynKASSyn::MacroProc1()
{
    MacroProc('$');
}

void TSynKASSyn::MacroProc2()
{
    MacroProc('@');
}

void TSynKASSyn::Remark1Proc()
{
    if (fRun == 0) {
        fTokenID = tkRemark;
        RunToLineEnd();
    } else {
        fTokenID = tkSymbol;
        ++fRun;
    }
}

void TSynKASSyn::WholeLine(TtkTokenKind kind)
{
    fTokenID = kind;
    RunToLineEnd();
}

void TSynKASSyn::QUILProc()
{
    if (fRun == 0 && StartsWith(fLine, "QUIL_")) {
        WholeLine(tkComment);
    } else {
        fTokenID = tkIdentifier;
        ++fRun;
    }
}

void TSynKASSyn::QUILWarDec()
{
    if (fRun == 0 && StartsWith(fLine, "_WARNING_")) {
        WholeLine(tkWarning);
    } else if (fRun == 0 && StartsWith(fLine, "_DECLARATION_")) {
        WholeLine(tkDeclaration);
    } else {
        fTokenID = tkIdentifier;
        ++fRun;
    }
}

void TSynKASSyn::IdentProc()
{
    fTokenID = IdentKind(fLine + fRun);
    fRun += fStringLen;
}

void TSynKASSyn::UnknownProc()
{
    fTokenID = tkIdentifier;
    fRun += IsLeadByte(ByteAt(fLine + fRun)) && !AtLineEnd(fRun + 1) ? 2 : 1;
}

// ---- token queries ----

AnsiString TSynKASSyn::GetToken() const
{
    return AnsiString(fLine + fTokenPos, fRun - fTokenPos);
}

void TSynKASSyn::GetTokenEx(const char *&tokenStart, int &tokenLength) const
{
    tokenStart = fLine + fTokenPos;
    tokenLength = int(fRun - fTokenPos);
}

TSynHighlighterAttributes *TSynKASSyn::GetTokenAttribute() const
{
    switch (fTokenID) {
    case tkComment: return fCommentAttri;
    case tkSymbol: return fSymbolAttri;
    case tkRemark: return fRemarkAttri;
    case tkMacro: return fMacroAttri;
    case tkIdentifier: case tkUnknown: return fIdentifierAttri;
    case tkString: return fStringAttri;
    case tkKey_Magic: return fKey_MagicAttri;
    case tkKey_Trigger: return fKey_TriggerAttri;
    case tkKey_PostTrigger: return fKey_PostTriggerAttri;
    case tkKey_Receiver: return fKey_ReceiverAttri;
    case tkKey_Instruction: return fKey_InstructionAttri;
    case tkSpace: return fSpaceAttri;
    case tkWarning: return fWarningAttri;
    case tkDeclaration: return fDeclarationAttri;
    case tkNull: break;
    }
    return nullptr;
}

TSynHighlighterAttributes *TSynKASSyn::GetDefaultAttribute(int index) const
{
    switch (index) {
    case SYN_ATTR_COMMENT: return fCommentAttri;
    case SYN_ATTR_IDENTIFIER: return fIdentifierAttri;
    case SYN_ATTR_STRING: return fStringAttri;
    case SYN_ATTR_WHITESPACE: return fSpaceAttri;
    case 6: return fWarningAttri;
    case 7: return fDeclarationAttri;
    case 8: return fKey_MagicAttri;
    case 9: return fKey_TriggerAttri;
    case 10: return fKey_PostTriggerAttri;
    case 11: return fKey_ReceiverAttri;
    case 12: return fKey_InstructionAttri;
    default: return nullptr;   // keyword, symbol and the rest
    }
}

TSynIdentChars TSynKASSyn::GetIdentChars() const
{
    TSynIdentChars chars = TSynCustomHighlighter::GetIdentChars();
    for (int c = 0xC0; c <= 0xFF; ++c)
        if (c != 0xD7 && c != 0xF7) chars.set(size_t(c));
    return chars;
}
