// A QScintilla lexer that styles one editor's text with a shared TSynCustomHighlighter: one
// QScintilla style per attribute (style 0 is plain text), every style in the pane's fixed-pitch
// font. Styling is incremental: only the range QScintilla asks for, from a line start; each
// line keeps the highlighter's range at its start and end (SCI_SETLINESTATE), an edit clears
// the state of the lines it touched, and a line whose text is unchanged and whose start range
// is the one it was styled with is skipped. So an edit restyles the changed lines and those that
// follow while a line's end range differs. When lines are coloured on their own, a jump far down
// styles only the lines shown; the lines passed over are styled in the background without
// repainting the pane for them. The document is 8-bit with CR LF line breaks.
#pragma once

#include "synedit/SynHighlighter.h"

#include <Qsci/qscilexercustom.h>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QPointer>
#include <QTimer>
#include <vector>

class TSynLexerAdapter : public QsciLexerCustom
{
    Q_OBJECT

public:
    TSynLexerAdapter(TSynCustomHighlighter *highlighter, QObject *parent = nullptr);

    TSynCustomHighlighter *Highlighter() const { return fHighlighter; }
    // The pane's font and colours: every style uses the font (with the attribute's bold, italic,
    // underline and strike-out), and attributes whose colour is clNone show these colours.
    // QsciScintilla ignores its own setFont/setColor/setPaper while a lexer is set, so the pane
    // passes them here.
    void SetFont(const QFont &font);
    void SetColors(const QColor &text, const QColor &paper);
    QFont Font() const { return fFont; }
    QColor TextColor() const { return fText; }
    QColor PaperColor() const { return fPaper; }

    // The QScintilla style of an attribute index; style 0 is plain text.
    static int StyleOfAttribute(int attributeIndex);

    // Bytes styled since the adapter was made (for measuring how much an edit restyles).
    long long StyledByteCount() const { return fStyledBytes; }

    const char *language() const override;
    QString description(int style) const override;
    const char *wordCharacters() const override;
    int styleBitsNeeded() const override { return 8; }
    void setEditor(QsciScintilla *editor) override;
    void styleText(int start, int end) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void HighlighterChanged();
    void HighlighterDestroyed();
    void TextModified(int position, int modificationType, const char *text, int length,
                      int linesAdded, int line, int foldLevelNow, int foldLevelPrev, int token,
                      int annotationLinesAdded);

private:
    struct VisibleLines
    {
        long First = 0;
        long Last = 0;
    };
    // Styles being built for a run of lines, one byte per document byte, from position Start.
    struct StyleBuffer
    {
        QByteArray Bytes;
        long Start = 0;
        long Cursor = 0;   // where Emit writes next, relative to Start
        void Begin(long start);
        void Reserve(long more);
        void Emit(int style, long length);
    };
    struct LineRange
    {
        long First = 0;
        long Last = 0;
    };
    static bool StartsEveryLineAfresh(TSynCustomHighlighter &h);
    VisibleLines LinesOnScreen() const;
    long FirstLineWorthStyling(long firstLine, long lastLine) const;
    void StyleLinesPassedOver();
    void RememberGap(long firstLine, long lastLine);
    void ForgetGap(long firstLine, long lastLine);
    void ForgetGapsFrom(long line);
    void DropGaps();
    void StyleGapSlice();
    void HandOverBackgroundStyles();
    static constexpr long LinesPerSlice = 2000;           // styled in a few milliseconds
    static constexpr long BackgroundBytes = 16 << 20;   // styles held back at most
    long Send(unsigned int msg, unsigned long wParam = 0, long lParam = 0) const;
    long LineStart(long line) const;
    long LineEnd(long line) const;
    long NextLineStart(long line) const;
    bool Highlighting() const { return fHighlighter && fHighlighter->Enabled(); }
    void ApplyStyles();
    void RestyleAll();
    void ClearLineStates(long firstLine, long lastLine);
    void ClearLineStatesQuietly(long firstLine, long lastLine);
    void StylePlain(long start, long stop, long firstLine, long lastLine);
    void StyleLines(long start, long stop, long firstLine, long lastLine);
    // Puts the styles of the line at [start, end) (without its line break), the highlighter
    // started in startRange, into out; returns the range at the line's end.
    int StyleLine(StyleBuffer &out, long start, long end, long lineNumber, int startRange);
    // Hands the styles built in out up to document position `to` over to the document in one go.
    void HandOver(const StyleBuffer &out, long to);

    QPointer<TSynCustomHighlighter> fHighlighter;
    QByteArray fLanguage;
    QByteArray fWordChars;
    QFont fFont;
    QColor fText, fPaper;
    bool fStyledEnabled = false;    // whether the styles in the text come from the highlighter
    bool fLinesIndependent = false; // each line is coloured without the lines above it
    // Lines a jump passed over, not yet styled, in order and apart. They all lie before the
    // component's end of styling, which counts them as styled.
    std::vector<LineRange> fGaps;
    // The styles of gap lines made in the background, from line fBackgroundFirst up to (not
    // including) fBackgroundNext, not yet handed over: a handover of styles above the shown lines
    // makes the component repaint the pane, so it happens once per BackgroundBytes, not per slice.
    StyleBuffer fBackground;
    long fBackgroundFirst = -1, fBackgroundNext = -1;
    QTimer fGapTimer;
    QByteArray fLine;               // the bytes of the line being styled
    StyleBuffer fStyles;            // the styles of the lines being restyled now
    long long fStyledBytes = 0;
};
