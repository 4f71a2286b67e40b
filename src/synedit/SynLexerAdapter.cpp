#include "synedit/SynLexerAdapter.h"

#include <Qsci/qsciscintilla.h>
#include <QEvent>
#include <QFontDatabase>
#include <algorithm>
#include <cstring>

namespace {

using SB = QsciScintillaBase;

// A line state packs the range a line was styled with and the range at its end; 0 means the
// line must be styled again.
constexpr int kStateValid = 1 << 30;
constexpr int kRangeMask = 0x7FFF;
constexpr long kHandOverBytes = 1 << 20;

int PackState(int startRange, int endRange)
{
    if ((startRange & ~kRangeMask) || (endRange & ~kRangeMask)) return 0;   // cannot keep it
    return kStateValid | (startRange << 15) | endRange;
}
bool StateValid(int state) { return (state & kStateValid) != 0; }
int StartRangeOf(int state) { return (state >> 15) & kRangeMask; }
int EndRangeOf(int state) { return state & kRangeMask; }

QFont StyledFont(const QFont &base, TFontStyles style)
{
    QFont f(base);
    f.setBold(style & fsBold);
    f.setItalic(style & fsItalic);
    f.setUnderline(style & fsUnderline);
    f.setStrikeOut(style & fsStrikeOut);
    return f;
}

QColor ColorOr(TColor color, const QColor &fallback)
{
    const QColor c = ColorToQColor(color);
    return c.isValid() ? c : fallback;
}

} // namespace

TSynLexerAdapter::TSynLexerAdapter(TSynCustomHighlighter *highlighter, QObject *parent)
    : QsciLexerCustom(parent), fHighlighter(highlighter),
      fFont(QFontDatabase::systemFont(QFontDatabase::FixedFont)),
      fText(ColorToQColor(clWindowText)), fPaper(ColorToQColor(clWindow))
{
    fLanguage = highlighter ? QByteArray::fromStdString(highlighter->LanguageName()) : "None";
    if (highlighter) {
        const TSynIdentChars chars = highlighter->GetIdentChars();
        for (int c = 1; c < 256; ++c)
            if (chars.test(size_t(c))) fWordChars.append(char(c));
        connect(highlighter, &TSynCustomHighlighter::HighlightChanged, this,
                &TSynLexerAdapter::HighlighterChanged);
        connect(highlighter, &QObject::destroyed, this, &TSynLexerAdapter::HighlighterDestroyed);
    }
    fStyledEnabled = Highlighting();
    fLinesIndependent = highlighter && StartsEveryLineAfresh(*highlighter);
    fGapTimer.setSingleShot(true);
    fGapTimer.setInterval(0);
    connect(&fGapTimer, &QTimer::timeout, this, &TSynLexerAdapter::StyleGapSlice);
    ApplyStyles();
}

// A highlighter that forgets, on each new line, the range it was left in colours every line on
// its own: a line can then be styled without styling the lines above it. Tried on an empty line
// with each range the highlighter can be put in.
bool TSynLexerAdapter::StartsEveryLineAfresh(TSynCustomHighlighter &h)
{
    h.ResetRange();
    const int initial = h.GetRange();
    bool fresh = true;
    for (int range = 1; range <= 8 && fresh; ++range) {
        h.ResetRange();
        h.SetRange(range);
        if (h.GetRange() == initial) continue;   // a range it does not have
        h.SetLine("", 0);
        fresh = h.GetRange() == initial;
    }
    h.ResetRange();
    return fresh;
}

long TSynLexerAdapter::Send(unsigned int msg, unsigned long wParam, long lParam) const
{
    return editor()->SendScintilla(msg, wParam, lParam);
}

int TSynLexerAdapter::StyleOfAttribute(int attributeIndex)
{
    int style = attributeIndex + 1;
    if (style >= SB::STYLE_DEFAULT) style += SB::STYLE_LASTPREDEFINED - SB::STYLE_DEFAULT + 1;
    return attributeIndex >= 0 && style <= SB::STYLE_MAX ? style : 0;
}

const char *TSynLexerAdapter::language() const
{
    return fLanguage.constData();
}

QString TSynLexerAdapter::description(int style) const
{
    if (style == 0) return QStringLiteral("Default");
    if (fHighlighter)
        for (int i = 0; i < fHighlighter->AttrCount(); ++i)
            if (StyleOfAttribute(i) == style) return ToQ(fHighlighter->Attribute(i)->Name());
    return QString();
}

const char *TSynLexerAdapter::wordCharacters() const
{
    return fWordChars.isEmpty() ? nullptr : fWordChars.constData();
}

// ---- appearance ----

void TSynLexerAdapter::SetFont(const QFont &font)
{
    fFont = font;
    ApplyStyles();
}

void TSynLexerAdapter::SetColors(const QColor &text, const QColor &paper)
{
    fText = text;
    fPaper = paper;
    ApplyStyles();
}

void TSynLexerAdapter::ApplyStyles()
{
    setDefaultFont(fFont);
    setDefaultColor(fText);
    setDefaultPaper(fPaper);
    for (int style : {0, int(SB::STYLE_DEFAULT)}) {
        setFont(fFont, style);
        setColor(fText, style);
        setPaper(fPaper, style);
    }
    if (!fHighlighter) return;
    for (int i = 0; i < fHighlighter->AttrCount(); ++i) {
        const int style = StyleOfAttribute(i);
        if (style == 0) continue;
        const TSynHighlighterAttributes *a = fHighlighter->Attribute(i);
        setFont(StyledFont(fFont, a->Style()), style);
        setColor(ColorOr(a->Foreground(), fText), style);
        setPaper(ColorOr(a->Background(), fPaper), style);
        setEolFill(false, style);
    }
}

void TSynLexerAdapter::HighlighterChanged()
{
    ApplyStyles();
    if (Highlighting() != fStyledEnabled) RestyleAll();
}

void TSynLexerAdapter::HighlighterDestroyed()
{
    fHighlighter = nullptr;
    RestyleAll();
}

// ---- keeping track of what needs styling ----

void TSynLexerAdapter::setEditor(QsciScintilla *newEditor)
{
    if (QsciScintilla *old = editor()) {
        disconnect(old, &QsciScintillaBase::SCN_MODIFIED, this, &TSynLexerAdapter::TextModified);
        old->viewport()->removeEventFilter(this);
    }
    QsciLexerCustom::setEditor(newEditor);
    if (newEditor) {
        connect(newEditor, &QsciScintillaBase::SCN_MODIFIED, this, &TSynLexerAdapter::TextModified);
        newEditor->viewport()->installEventFilter(this);
        RestyleAll();   // whatever states and styles the text carries are not ours
    }
}

void TSynLexerAdapter::ClearLineStates(long firstLine, long lastLine)
{
    // Lines past the last one that ever had a state have none.
    lastLine = std::min(lastLine, Send(SB::SCI_GETMAXLINESTATE) - 1);
    for (long line = firstLine; line <= lastLine; ++line)
        if (Send(SB::SCI_GETLINESTATE, (unsigned long)line) != 0)
            Send(SB::SCI_SETLINESTATE, (unsigned long)line, 0);
}

void TSynLexerAdapter::RestyleAll()
{
    fStyledEnabled = Highlighting();
    if (!editor()) return;
    ClearLineStates(0, Send(SB::SCI_GETLINECOUNT) - 1);
    startStyling(0);   // everything is unstyled now; the visible part is styled on the repaint
    editor()->viewport()->update();
}

void TSynLexerAdapter::TextModified(int position, int modificationType, const char *, int length,
                                    int, int, int, int, int, int)
{
    if (!(modificationType & (SB::SC_MOD_INSERTTEXT | SB::SC_MOD_DELETETEXT))) return;
    const long first = Send(SB::SCI_LINEFROMPOSITION, (unsigned long)position);
    const long last = (modificationType & SB::SC_MOD_INSERTTEXT)
                          ? Send(SB::SCI_LINEFROMPOSITION, (unsigned long)(position + length))
                          : first;
    ClearLineStates(first, last);
}

// ---- styling ----

void TSynLexerAdapter::styleText(int start, int end)
{
    if (!editor()) return;
    const long length = Send(SB::SCI_GETLENGTH);
    const long stopAt = std::min<long>(end, length);
    if (start < 0) start = 0;
    if (stopAt <= start) return;
    // Whole lines: from the start of start's line through the line break of the last line asked.
    const long firstLine = Send(SB::SCI_LINEFROMPOSITION, (unsigned long)start);
    const long lastLine = Send(SB::SCI_LINEFROMPOSITION, (unsigned long)(stopAt - 1));
    const long from = Send(SB::SCI_POSITIONFROMLINE, (unsigned long)firstLine);
    const long lineCount = Send(SB::SCI_GETLINECOUNT);
    const long stop = lastLine + 1 < lineCount
                          ? Send(SB::SCI_POSITIONFROMLINE, (unsigned long)(lastLine + 1))
                          : length;
    if (!Highlighting()) return StylePlain(from, stop, firstLine, lastLine);
    const long styleFrom = FirstLineWorthStyling(firstLine, lastLine);
    if (styleFrom > firstLine) {
        RememberGap(firstLine, styleFrom - 1);
        StyleLines(Send(SB::SCI_POSITIONFROMLINE, (unsigned long)styleFrom), stop, styleFrom, lastLine);
    } else
        StyleLines(from, stop, firstLine, lastLine);
}

TSynLexerAdapter::VisibleLines TSynLexerAdapter::LinesOnScreen() const
{
    const long top = Send(SB::SCI_DOCLINEFROMVISIBLE, (unsigned long)Send(SB::SCI_GETFIRSTVISIBLELINE));
    const long bottomVisible = Send(SB::SCI_GETFIRSTVISIBLELINE) + Send(SB::SCI_LINESONSCREEN) + 1;
    const long bottom = Send(SB::SCI_DOCLINEFROMVISIBLE, (unsigned long)bottomVisible);
    return {top, std::min(bottom, Send(SB::SCI_GETLINECOUNT) - 1)};
}

// A request to style everything from far above the screen down to it (a jump to the end of a
// big text) styles only what is shown, when lines are coloured on their own; the lines passed
// over keep an invalid state and are styled when they come into view.
long TSynLexerAdapter::FirstLineWorthStyling(long firstLine, long lastLine) const
{
    constexpr long Margin = 100;
    if (!fLinesIndependent || lastLine - firstLine < LinesPerSlice) return firstLine;
    const VisibleLines screen = LinesOnScreen();
    if (lastLine > screen.Last + Margin || screen.First - Margin <= firstLine) return firstLine;
    return std::min(screen.First - Margin, lastLine);
}

bool TSynLexerAdapter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && editor() && watched == editor()->viewport()) StyleLinesPassedOver();
    return QsciLexerCustom::eventFilter(watched, event);
}

// Before a paint: lines on screen that a jump passed over are styled now (the component counts
// them as styled already, so it would not ask).
void TSynLexerAdapter::StyleLinesPassedOver()
{
    if (!fLinesIndependent || !Highlighting()) return;
    const VisibleLines screen = LinesOnScreen();
    StyleInvalidLines(screen.First, screen.Last);
}

// The lines passed over are also styled in the background, a slice at a time, so that the whole
// text is coloured soon for anything that reads the styles (printing), not only what is shown.
void TSynLexerAdapter::StyleGapSlice()
{
    if (fGapFirst < 0 || !editor() || !Highlighting()) {
        fGapFirst = fGapLast = -1;
        return;
    }
    const long last = std::min(fGapLast, fGapFirst + LinesPerSlice - 1);
    StyleInvalidLines(fGapFirst, last);
    fGapFirst = last + 1;
    if (fGapFirst > fGapLast || fGapFirst >= Send(SB::SCI_GETLINECOUNT))
        fGapFirst = fGapLast = -1;
    else
        fGapTimer.start();
}

void TSynLexerAdapter::RememberGap(long firstLine, long lastLine)
{
    fGapFirst = fGapFirst < 0 ? firstLine : std::min(fGapFirst, firstLine);
    fGapLast = std::max(fGapLast, lastLine);
    fGapTimer.start();
}

// Styles the lines of first..last whose state is not valid; what the component counts as styled
// stays as it was.
void TSynLexerAdapter::StyleInvalidLines(long first, long last)
{
    const long lineCount = Send(SB::SCI_GETLINECOUNT);
    last = std::min(last, lineCount - 1);
    const long endStyled = Send(SB::SCI_GETENDSTYLED);
    bool styled = false;
    for (long line = std::max(first, 0L); line <= last; ++line) {
        if (StateValid(int(Send(SB::SCI_GETLINESTATE, (unsigned long)line)))) continue;
        long runEnd = line;
        while (runEnd < last && !StateValid(int(Send(SB::SCI_GETLINESTATE, (unsigned long)(runEnd + 1))))) ++runEnd;
        const long start = Send(SB::SCI_POSITIONFROMLINE, (unsigned long)line);
        const long stop = runEnd + 1 < lineCount ? Send(SB::SCI_POSITIONFROMLINE, (unsigned long)(runEnd + 1))
                                                 : Send(SB::SCI_GETLENGTH);
        StyleLines(start, stop, line, runEnd);
        styled = true;
        line = runEnd;
    }
    if (styled) startStyling(int(endStyled));
}

void TSynLexerAdapter::StylePlain(long start, long stop, long firstLine, long lastLine)
{
    startStyling(int(start));
    setStyling(int(stop - start), 0);
    fStyledBytes += stop - start;
    ClearLineStates(firstLine, lastLine);
}

void TSynLexerAdapter::StyleLines(long start, long stop, long firstLine, long lastLine)
{
    int range = 0;
    if (firstLine > 0) {
        const int before = int(Send(SB::SCI_GETLINESTATE, (unsigned long)(firstLine - 1)));
        if (StateValid(before)) range = EndRangeOf(before);
    }
    bool inSegment = false;   // restyled lines not yet handed over begin at fStylesStart
    long pos = start;         // the start of the line, while in a segment
    for (long line = firstLine; line <= lastLine; ++line) {
        const int state = int(Send(SB::SCI_GETLINESTATE, (unsigned long)line));
        // An unchanged line asked to start as it did before keeps its styles and end range.
        // The first line is always styled: QScintilla asks from there.
        if (line > firstLine && StateValid(state) && StartRangeOf(state) == range) {
            if (inSegment) HandOver(pos);
            inSegment = false;
            range = EndRangeOf(state);
            continue;
        }
        if (!inSegment) {
            if (line > firstLine) pos = Send(SB::SCI_POSITIONFROMLINE, (unsigned long)line);
            fStylesStart = pos;
            fCursor = 0;
            inSegment = true;
        }
        const long next =
            line < lastLine ? Send(SB::SCI_POSITIONFROMLINE, (unsigned long)(line + 1)) : stop;
        const long lineEnd =
            std::min(next, long(Send(SB::SCI_GETLINEENDPOSITION, (unsigned long)line)));
        if (fStyles.size() < fCursor + (next - pos)) fStyles.resize(qsizetype(fCursor + (next - pos)));
        const int endRange = StyleLine(pos, lineEnd, line, range);
        Emit(0, next - lineEnd);   // the line break
        const int newState = PackState(range, endRange);
        if (newState != state) Send(SB::SCI_SETLINESTATE, (unsigned long)line, newState);
        range = endRange;
        pos = next;
        if (fCursor >= kHandOverBytes) {   // keeps the styles buffer small on long requests
            HandOver(pos);
            fStylesStart = pos;
            fCursor = 0;
        }
    }
    if (inSegment)
        HandOver(stop);
    else
        startStyling(int(stop));   // the rest was already right: mark it styled
}

void TSynLexerAdapter::HandOver(long to)
{
    if (to <= fStylesStart) return;
    startStyling(int(fStylesStart));
    editor()->SendScintilla(SB::SCI_SETSTYLINGEX, (unsigned long)(to - fStylesStart),
                            (void *)fStyles.constData());
    fStyledBytes += to - fStylesStart;
}

int TSynLexerAdapter::StyleLine(long start, long end, long lineNumber, int startRange)
{
    // Only the line's own bytes are fetched: never the whole range asked for.
    const long length = end - start;
    if (fLine.size() < length + 1) fLine.resize(qsizetype(length) + 1);
    editor()->SendScintilla(SB::SCI_GETTEXTRANGE, start, end, fLine.data());   // NUL-terminated
    const char *text = fLine.constData();
    TSynCustomHighlighter &h = *fHighlighter;
    h.ResetRange();
    h.SetRange(startRange);
    h.SetLine(text, int(lineNumber));
    long done = 0;
    // Every token but an occasional empty one advances; the bound only guards against a
    // highlighter that would never reach the line end.
    for (long guard = 2 * length + 16; !h.GetEol() && guard > 0; --guard) {
        const char *tokenStart = nullptr;
        int tokenLength = 0;
        h.GetTokenEx(tokenStart, tokenLength);
        const long tokenEnd = std::min<long>(long(h.GetTokenPos()) + tokenLength, length);
        if (tokenEnd > done) {
            const TSynHighlighterAttributes *a = h.GetTokenAttribute();
            Emit(a ? StyleOfAttribute(a->Index()) : 0, tokenEnd - done);
            done = tokenEnd;
        }
        h.Next();
    }
    Emit(0, length - done);   // after a NUL byte: the highlighter's line ends there
    return h.GetRange();
}

void TSynLexerAdapter::Emit(int style, long length)
{
    if (length <= 0) return;
    std::memset(fStyles.data() + fCursor, style, size_t(length));
    fCursor += length;
}
