// A QScintilla lexer that styles one editor's text with a shared TSynCustomHighlighter: one
// QScintilla style per attribute (style 0 is plain text), every style in the pane's fixed-pitch
// font. Styling is incremental: only the range QScintilla asks for, from a line start; each
// line keeps the highlighter's range at its start and end (SCI_SETLINESTATE), an edit clears
// the state of the lines it touched, and a line whose text is unchanged and whose start range
// is the one it was styled with is skipped. So an edit restyles the changed lines and those that
// follow while a line's end range differs. The document is 8-bit with CR LF line breaks.
#pragma once

#include "synedit/SynHighlighter.h"

#include <Qsci/qscilexercustom.h>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QPointer>
#include <QTimer>

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
    static bool StartsEveryLineAfresh(TSynCustomHighlighter &h);
    VisibleLines LinesOnScreen() const;
    long FirstLineWorthStyling(long firstLine, long lastLine) const;
    void StyleLinesPassedOver();
    void RememberGap(long firstLine, long lastLine);
    void StyleGapSlice();
    void StyleInvalidLines(long first, long last);
    static constexpr long LinesPerSlice = 2000;   // styled in a few milliseconds
    long Send(unsigned int msg, unsigned long wParam = 0, long lParam = 0) const;
    bool Highlighting() const { return fHighlighter && fHighlighter->Enabled(); }
    void ApplyStyles();
    void RestyleAll();
    void ClearLineStates(long firstLine, long lastLine);
    void StylePlain(long start, long stop, long firstLine, long lastLine);
    void StyleLines(long start, long stop, long firstLine, long lastLine);
    // Styles the line at [start, end) (without its line break) with the highlighter started in
    // startRange; returns the range at the line's end.
    int StyleLine(long start, long end, long lineNumber, int startRange);
    // Puts length bytes of style into the styles being built.
    void Emit(int style, long length);
    // Hands the styles built from fStylesStart up to to over to the document in one go.
    void HandOver(long to);

    QPointer<TSynCustomHighlighter> fHighlighter;
    QByteArray fLanguage;
    QByteArray fWordChars;
    QFont fFont;
    QColor fText, fPaper;
    bool fStyledEnabled = false;    // whether the styles in the text come from the highlighter
    bool fLinesIndependent = false; // each line is coloured without the lines above it
    long fGapFirst = -1, fGapLast = -1;   // lines passed over by a jump, not yet styled
    QTimer fGapTimer;
    QByteArray fLine;               // the bytes of the line being styled
    QByteArray fStyles;             // the styles of the lines being restyled, one byte each
    long fStylesStart = 0;          // their document position
    long fCursor = 0;               // where Emit writes next, relative to fStylesStart
    long long fStyledBytes = 0;
};
