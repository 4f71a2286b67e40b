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

long TSynLexerAdapter::LineStart(long line) const
{
    return Send(SB::SCI_POSITIONFROMLINE, (unsigned long)line);
}

long TSynLexerAdapter::LineEnd(long line) const
{
    return Send(SB::SCI_GETLINEENDPOSITION, (unsigned long)line);
}

// The start of the next line, or the end of the text after the last line.
long TSynLexerAdapter::NextLineStart(long line) const
{
    return line + 1 < Send(SB::SCI_GETLINECOUNT) ? LineStart(line + 1) : Send(SB::SCI_GETLENGTH);
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
    // Lines past the last one that ever had a state have none. A state that is 0 already is
    // left alone by the component, unannounced.
    lastLine = std::min(lastLine, Send(SB::SCI_GETMAXLINESTATE) - 1);
    for (long line = firstLine; line <= lastLine; ++line) Send(SB::SCI_SETLINESTATE, (unsigned long)line, 0);
}

void TSynLexerAdapter::RestyleAll()
{
    fStyledEnabled = Highlighting();
    DropGaps();
    if (!editor()) return;
    ClearLineStates(0, Send(SB::SCI_GETLINECOUNT) - 1);
    startStyling(0);   // everything is unstyled now; the visible part is styled on the repaint
    editor()->viewport()->update();
}

// Outside painting every cleared state would be told to each listener of the pane and repaint
// it whole; an edit of a big span clears hundreds of thousands of them. Nothing listens for line
// states, and one repaint afterwards does.
void TSynLexerAdapter::ClearLineStatesQuietly(long firstLine, long lastLine)
{
    QWidget *viewport = editor()->viewport();
    const bool updates = viewport->updatesEnabled();
    const long eventMask = Send(SB::SCI_GETMODEVENTMASK);
    Send(SB::SCI_SETMODEVENTMASK, (unsigned long)(eventMask & ~long(SB::SC_MOD_CHANGELINESTATE)));
    viewport->setUpdatesEnabled(false);
    ClearLineStates(firstLine, lastLine);
    viewport->setUpdatesEnabled(updates);
    Send(SB::SCI_SETMODEVENTMASK, (unsigned long)eventMask);
    if (updates) viewport->update();
}

void TSynLexerAdapter::TextModified(int position, int modificationType, const char *, int length,
                                    int, int, int, int, int, int)
{
    if (!(modificationType & (SB::SC_MOD_INSERTTEXT | SB::SC_MOD_DELETETEXT))) return;
    const long first = Send(SB::SCI_LINEFROMPOSITION, (unsigned long)position);
    const long last = (modificationType & SB::SC_MOD_INSERTTEXT)
                          ? Send(SB::SCI_LINEFROMPOSITION, (unsigned long)(position + length))
                          : first;
    if (last > first) ClearLineStatesQuietly(first, last);
    else ClearLineStates(first, last);
    // From the changed line on the component counts nothing as styled any more.
    ForgetGapsFrom(first);
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
    if (fGaps.empty() || !Highlighting()) return;
    const VisibleLines screen = LinesOnScreen();
    std::vector<LineRange> shown;
    for (const LineRange &gap : fGaps)
        if (gap.First <= screen.Last && gap.Last >= screen.First)
            shown.push_back({std::max(gap.First, screen.First), std::min(gap.Last, screen.Last)});
    if (shown.empty()) return;
    const long endStyled = Send(SB::SCI_GETENDSTYLED);
    for (const LineRange &lines : shown) {
        StyleLines(LineStart(lines.First), NextLineStart(lines.Last), lines.First, lines.Last);
        ForgetGap(lines.First, lines.Last);
    }
    startStyling(int(endStyled));   // what the component counts as styled stays as it was
}

void TSynLexerAdapter::RememberGap(long firstLine, long lastLine)
{
    ForgetGap(firstLine, lastLine);
    const auto at = std::find_if(fGaps.begin(), fGaps.end(), [&](const LineRange &g) { return g.First > lastLine; });
    fGaps.insert(at, {firstLine, lastLine});
    fGapTimer.start();
}

// The lines are styled: they leave the gaps.
void TSynLexerAdapter::ForgetGap(long firstLine, long lastLine)
{
    std::vector<LineRange> kept;
    for (const LineRange &gap : fGaps) {
        if (gap.Last < firstLine || gap.First > lastLine) {
            kept.push_back(gap);
            continue;
        }
        if (gap.First < firstLine) kept.push_back({gap.First, firstLine - 1});
        if (gap.Last > lastLine) kept.push_back({lastLine + 1, gap.Last});
    }
    fGaps.swap(kept);
}

// The text changed at the line: the component styles it and everything after it again when
// asked, so gaps end before it, and so do the styles made in the background.
void TSynLexerAdapter::ForgetGapsFrom(long line)
{
    if (fGaps.empty()) return;
    while (!fGaps.empty() && fGaps.back().First >= line) fGaps.pop_back();
    if (!fGaps.empty()) fGaps.back().Last = std::min(fGaps.back().Last, line - 1);
    if (fBackgroundNext > line) {
        if (fBackgroundFirst >= line)
            fBackgroundFirst = fBackgroundNext = -1;
        else {
            fBackground.Cursor = LineStart(line) - fBackground.Start;
            fBackgroundNext = line;
        }
    }
    if (fGaps.empty()) DropGaps();
}

void TSynLexerAdapter::DropGaps()
{
    fGaps.clear();
    fBackgroundFirst = fBackgroundNext = -1;
    fBackground = StyleBuffer();
    fGapTimer.stop();
}

// The lines passed over are also styled in the background, a slice at a time, so that the whole
// text is coloured soon for anything that reads the styles (printing), not only what is shown.
// The slices only build styles; they reach the document in few handovers.
void TSynLexerAdapter::StyleGapSlice()
{
    if (fGaps.empty() || !editor() || !Highlighting()) return DropGaps();
    // The styles built so far continue into the first gap, or are handed over first.
    if (fBackgroundNext >= 0 && !(fBackgroundNext >= fGaps.front().First && fBackgroundNext <= fGaps.front().Last))
        HandOverBackgroundStyles();
    if (fGaps.empty()) return DropGaps();
    const LineRange gap = fGaps.front();
    if (fBackgroundNext < 0) {
        fBackgroundFirst = fBackgroundNext = gap.First;
        fBackground.Begin(LineStart(gap.First));
    }
    const long last = std::min(gap.Last, fBackgroundNext + LinesPerSlice - 1);
    for (long line = fBackgroundNext; line <= last; ++line) {
        const long start = LineStart(line), next = NextLineStart(line);
        const long lineEnd = std::min(next, LineEnd(line));
        fBackground.Reserve(next - start);
        StyleLine(fBackground, start, lineEnd, line, 0);   // lines are coloured on their own here
        fBackground.Emit(0, next - lineEnd);               // the line break
    }
    fBackgroundNext = last + 1;
    if (fBackgroundNext > gap.Last || fBackground.Cursor >= BackgroundBytes) HandOverBackgroundStyles();
    if (fGaps.empty())
        DropGaps();
    else
        fGapTimer.start();
}

void TSynLexerAdapter::HandOverBackgroundStyles()
{
    if (fBackgroundNext > fBackgroundFirst) {
        const long endStyled = Send(SB::SCI_GETENDSTYLED);
        HandOver(fBackground, fBackground.Start + fBackground.Cursor);
        startStyling(int(endStyled));   // what the component counts as styled stays as it was
        ForgetGap(fBackgroundFirst, fBackgroundNext - 1);
    }
    fBackgroundFirst = fBackgroundNext = -1;
    fBackground.Cursor = 0;
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
    bool inSegment = false;   // restyled lines not yet handed over begin at fStyles.Start
    long pos = start;         // the start of the line, while in a segment
    for (long line = firstLine; line <= lastLine; ++line) {
        const int state = int(Send(SB::SCI_GETLINESTATE, (unsigned long)line));
        // An unchanged line asked to start as it did before keeps its styles and end range.
        // The first line is always styled: QScintilla asks from there.
        if (line > firstLine && StateValid(state) && StartRangeOf(state) == range) {
            if (inSegment) HandOver(fStyles, pos);
            inSegment = false;
            range = EndRangeOf(state);
            continue;
        }
        if (!inSegment) {
            if (line > firstLine) pos = LineStart(line);
            fStyles.Begin(pos);
            inSegment = true;
        }
        const long next = line < lastLine ? LineStart(line + 1) : stop;
        const long lineEnd = std::min(next, LineEnd(line));
        fStyles.Reserve(next - pos);
        const int endRange = StyleLine(fStyles, pos, lineEnd, line, range);
        fStyles.Emit(0, next - lineEnd);   // the line break
        const int newState = PackState(range, endRange);
        if (newState != state) Send(SB::SCI_SETLINESTATE, (unsigned long)line, newState);
        range = endRange;
        pos = next;
        if (fStyles.Cursor >= kHandOverBytes) {   // keeps the styles buffer small on long requests
            HandOver(fStyles, pos);
            fStyles.Begin(pos);
        }
    }
    if (inSegment)
        HandOver(fStyles, stop);
    else
        startStyling(int(stop));   // the rest was already right: mark it styled
}

void TSynLexerAdapter::HandOver(const StyleBuffer &out, long to)
{
    if (to <= out.Start) return;
    startStyling(int(out.Start));
    editor()->SendScintilla(SB::SCI_SETSTYLINGEX, (unsigned long)(to - out.Start), (void *)out.Bytes.constData());
    fStyledBytes += to - out.Start;
}

int TSynLexerAdapter::StyleLine(StyleBuffer &out, long start, long end, long lineNumber, int startRange)
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
            out.Emit(a ? StyleOfAttribute(a->Index()) : 0, tokenEnd - done);
            done = tokenEnd;
        }
        h.Next();
    }
    out.Emit(0, length - done);   // after a NUL byte: the highlighter's line ends there
    return h.GetRange();
}

void TSynLexerAdapter::StyleBuffer::Begin(long start)
{
    Start = start;
    Cursor = 0;
}

void TSynLexerAdapter::StyleBuffer::Reserve(long more)
{
    if (Bytes.size() < Cursor + more) Bytes.resize(qsizetype(std::max(Cursor + more, long(Bytes.size()) * 3 / 2)));
}

void TSynLexerAdapter::StyleBuffer::Emit(int style, long length)
{
    if (length <= 0) return;
    std::memset(Bytes.data() + Cursor, style, size_t(length));
    Cursor += length;
}
