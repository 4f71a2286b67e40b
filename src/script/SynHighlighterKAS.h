// The KAS script highlighter: the magic word, the four command forms, remarks, macros and the
// header lines. Scanning is table-driven and allocation-free: one call through the byte dispatch
// table per token, and identifiers classified by one hash sum and one call through a hash table.
#pragma once

#include "synedit/SynHighlighter.h"

#include <cstdint>

enum TtkTokenKind : std::uint8_t {
    tkComment,
    tkSymbol,
    tkRemark,
    tkMacro,
    tkIdentifier,
    tkString,
    tkKey_Magic,
    tkKey_Trigger,
    tkKey_PostTrigger,
    tkKey_Receiver,
    tkKey_Instruction,
    tkNull,
    tkSpace,
    tkUnknown,
    tkWarning,
    tkDeclaration
};

enum TRangeState : std::uint8_t { rsUnknown, rsString, rsRemark };

class TSynKASSyn : public TSynCustomHighlighter
{
    Q_OBJECT

public:
    explicit TSynKASSyn(QObject *owner = nullptr);

    static AnsiString GetLanguageName() { return "KAS"; }
    AnsiString LanguageName() const override { return GetLanguageName(); }
    TSynHighlighterAttributes *GetDefaultAttribute(int index) const override;
    TSynIdentChars GetIdentChars() const override;

    using TSynCustomHighlighter::SetLine;
    void SetLine(const char *line, int lineNumber) override;
    void Next() override;
    bool GetEol() const override { return fTokenID == tkNull; }
    AnsiString GetToken() const override;
    void GetTokenEx(const char *&tokenStart, int &tokenLength) const override;
    int GetTokenPos() const override { return int(fTokenPos); }
    int GetTokenKind() const override { return fTokenID; }
    TtkTokenKind GetTokenID() const { return fTokenID; }
    TSynHighlighterAttributes *GetTokenAttribute() const override;
    void ResetRange() override { fRange = rsUnknown; }

    TSynHighlighterAttributes *CommentAttri() const { return fCommentAttri; }
    TSynHighlighterAttributes *IdentifierAttri() const { return fIdentifierAttri; }
    TSynHighlighterAttributes *Key_MagicAttri() const { return fKey_MagicAttri; }
    TSynHighlighterAttributes *Key_TriggerAttri() const { return fKey_TriggerAttri; }
    TSynHighlighterAttributes *Key_PostTriggerAttri() const { return fKey_PostTriggerAttri; }
    TSynHighlighterAttributes *Key_ReceiverAttri() const { return fKey_ReceiverAttri; }
    TSynHighlighterAttributes *Key_InstructionAttri() const { return fKey_InstructionAttri; }
    TSynHighlighterAttributes *RemarkAttri() const { return fRemarkAttri; }
    TSynHighlighterAttributes *SpaceAttri() const { return fSpaceAttri; }
    TSynHighlighterAttributes *SymbolAttri() const { return fSymbolAttri; }
    TSynHighlighterAttributes *MacroAttri() const { return fMacroAttri; }
    TSynHighlighterAttributes *StringAttri() const { return fStringAttri; }
    TSynHighlighterAttributes *WarningAttri() const { return fWarningAttri; }
    TSynHighlighterAttributes *DeclarationAttri() const { return fDeclarationAttri; }

private:
    using TProcTableProc = void (TSynKASSyn::*)();
    using TIdentFuncTableFunc = TtkTokenKind (TSynKASSyn::*)();
    static constexpr int kIdentFuncCount = 148;

    void InitIdent();
    void MakeMethodTables();
    TSynHighlighterAttributes *MakeAttribute(const AnsiString &name, TColor foreground,
                                             TColor background, TFontStyles style);

    unsigned KeyHash(const char *toHash);
    bool KeyComp(const char *key) const;
    TtkTokenKind IdentKind(const char *maybeKeyword);
    TtkTokenKind AltFunc();
    TtkTokenKind Func50();

    void NullProc();
    void SpaceProc();
    void LFProc();
    void CRProc();
    void SymbolProc();
    void RemarkProc();
    void MacroProc1();
    void MacroProc2();
    void MacroProc(char opener);
    void Remark1Proc();
    void QUILProc();
    void QUILWarDec();
    void WholeLine(TtkTokenKind kind);   // to the end of the line
    void IdentProc();
    void UnknownProc();

    bool AtLineEnd(std::size_t pos) const;
    void RunToLineEnd();

    const char *fLine = "";
    int fLineNumber = 0;
    std::size_t fRun = 0;
    std::size_t fTokenPos = 0;
    const char *fToIdent = nullptr;
    std::size_t fStringLen = 0;
    TtkTokenKind fTokenID = tkNull;
    TRangeState fRange = rsUnknown;
    TProcTableProc fProcTable[256];
    TIdentFuncTableFunc fIdentFuncTable[kIdentFuncCount];

    TSynHighlighterAttributes *fCommentAttri;
    TSynHighlighterAttributes *fRemarkAttri;
    TSynHighlighterAttributes *fIdentifierAttri;
    TSynHighlighterAttributes *fKey_MagicAttri;
    TSynHighlighterAttributes *fKey_TriggerAttri;
    TSynHighlighterAttributes *fKey_PostTriggerAttri;
    TSynHighlighterAttributes *fKey_ReceiverAttri;
    TSynHighlighterAttributes *fKey_InstructionAttri;
    TSynHighlighterAttributes *fSpaceAttri;
    TSynHighlighterAttributes *fSymbolAttri;
    TSynHighlighterAttributes *fMacroAttri;
    TSynHighlighterAttributes *fWarningAttri;
    TSynHighlighterAttributes *fDeclarationAttri;
    TSynHighlighterAttributes *fStringAttri;
};
