#include "synedit/SynMemo.h"
#include "synedit/SynHighlighter.h"
#include "synedit/SynLexerAdapter.h"
#include "platform/Exception.h"
#include "platform/FieldText.h"
#include "platform/TStringList.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qscilexer.h>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <algorithm>
#include <cstring>
#include <list>
#include <set>
#include <string_view>
#include <tuple>

namespace {

using Sci = QsciScintillaBase;

constexpr int FirstMarker = 0;
constexpr int LastMarker = 23;          // markers 25..31 belong to folding
constexpr int HiddenMarker = 24;        // keeps the line of an invisible mark
constexpr int MarkMarginNo = 0;
constexpr int NumberMarginNo = 1;
constexpr unsigned MarkMask = (1u << (HiddenMarker + 1)) - 1;
const AnsiString CRLF = "\r\n";

// The document form of a text: every line break CR LF, the final one dropped (as the string
// list reads a text). oneEmptyLine tells that the text was a single empty line.
AnsiString ToDocument(const AnsiString &text, bool &oneEmptyLine)
{
    AnsiString r;
    r.reserve(text.size() + text.size() / 16);
    size_t i = 0;
    while (i < text.size()) {
        const size_t brk = text.find_first_of("\r\n", i);
        if (brk == AnsiString::npos) {
            r.append(text, i, AnsiString::npos);
            break;
        }
        r.append(text, i, brk - i);
        r += CRLF;
        i = brk + 1;
        if (text[brk] == '\r' && i < text.size() && text[i] == '\n') ++i;
    }
    oneEmptyLine = r == CRLF;
    if (r.size() >= 2 && r.compare(r.size() - 2, 2, CRLF) == 0) r.resize(r.size() - 2);
    return r;
}

// Line breaks of inserted text become CR LF, the final one kept.
AnsiString WithCrLf(const AnsiString &text)
{
    if (text.find_first_of("\r\n") == AnsiString::npos) return text;
    bool one = false;
    AnsiString r = ToDocument(text, one);
    const char last = text.back();
    if (last == '\n' || last == '\r') r += CRLF;
    return r;
}

bool IsWordChar(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

bool IsFixedPitch(const QFont &f)
{
    const QFontMetrics m(f);
    return m.horizontalAdvance(QChar('i')) == m.horizontalAdvance(QChar('W')) &&
           m.horizontalAdvance(QChar('.')) == m.horizontalAdvance(QChar('M'));
}

// The face the font resolves to, when it is fixed-pitch; else the system's fixed face.
QFont FixedPitch(const QFont &wanted)
{
    const int size = wanted.pointSize() > 0 ? wanted.pointSize() : 10;
    QFont f(wanted);
    f.setStyleHint(QFont::TypeWriter);
    if (IsFixedPitch(f)) {
        QFont resolved(QFontInfo(f).family(), size);
        resolved.setStyleHint(QFont::TypeWriter);
        if (IsFixedPitch(resolved)) return resolved;
    }
    QFont fallback = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fallback.setPointSize(size);
    return fallback;
}

AnsiString NameOf(const AnsiString &line)
{
    const size_t eq = line.find('=');
    return eq == AnsiString::npos ? AnsiString() : line.substr(0, eq);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TSynMemo: set-up

TSynMemo::TSynMemo(QWidget *parent) : QsciScintilla(parent)
{
    setUtf8(false);
    SendScintilla(SCI_SETCODEPAGE, 0UL);
    setEolMode(EolWindows);
    SendScintilla(SCI_SETPASTECONVERTENDINGS, 1UL);
    SendScintilla(SCI_SETMULTIPLESELECTION, 0UL);
    SendScintilla(SCI_SETADDITIONALSELECTIONTYPING, 1UL);

    setMarginType(MarkMarginNo, SymbolMargin);
    setMarginMarkerMask(MarkMarginNo, int(MarkMask));
    setMarginType(NumberMarginNo, NumberMargin);
    setMarginMarkerMask(NumberMarginNo, 0);
    setMarginWidth(2, 0);
    setMarginWidth(3, 0);
    setMarginWidth(4, 0);
    markerDefine(QsciScintilla::Invisible, HiddenMarker);

    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &TSynMemo::HandleModified);
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int updated) {
        if (updated & (SC_UPDATE_SELECTION | SC_UPDATE_CONTENT)) {
            PendingStatus = true;
            if (GuardDepth == 0) FlushNotifications();
        }
    });

    ConfigureKeys();
    PaneFont = FixedPitch(QFont("Courier New", 10));
    ApplyFont();
    ApplyColors();
    SetTabWidth(8);
    SetRightEdge(80);
    SetRightEdgeColor(clSilver);
    ApplyEditorOptions();
    Gutter.Apply();
}

TSynMemo::~TSynMemo()
{
    // Whoever watches the pane lets go now, while it is still whole: the widget's own destruction
    // sends it events that a watcher must not take for a living pane.
    emit OnDestroying();
}

TSynMemo::NotifyGuard::~NotifyGuard()
{
    if (--Memo->GuardDepth == 0) Memo->FlushNotifications();
}

// Keys of the component that the program's own editor does not have are unbound, so that they
// neither edit the text unasked nor hide the program's shortcuts.
void TSynMemo::ConfigureKeys()
{
    using C = QsciCommand;
    static const std::set<int> kept = {
        C::LineDown, C::LineDownExtend, C::LineDownRectExtend, C::LineScrollDown, C::LineUp,
        C::LineUpExtend, C::LineUpRectExtend, C::LineScrollUp, C::CharLeft, C::CharLeftExtend,
        C::CharLeftRectExtend, C::CharRight, C::CharRightExtend, C::CharRightRectExtend,
        C::WordLeft, C::WordLeftExtend, C::WordRight, C::WordRightExtend, C::Home, C::HomeExtend,
        C::HomeRectExtend, C::VCHome, C::VCHomeExtend, C::VCHomeRectExtend, C::LineEnd,
        C::LineEndExtend, C::LineEndRectExtend, C::DocumentStart, C::DocumentStartExtend,
        C::DocumentEnd, C::DocumentEndExtend, C::PageUp, C::PageUpExtend, C::PageUpRectExtend,
        C::PageDown, C::PageDownExtend, C::PageDownRectExtend, C::Delete, C::DeleteBack,
        C::DeleteWordLeft, C::DeleteWordRight, C::SelectAll, C::SelectionCut, C::SelectionCopy,
        C::Paste, C::EditToggleOvertype, C::Newline, C::Tab, C::Backtab, C::Cancel, C::Undo,
        C::Redo};
    for (QsciCommand *cmd : standardCommands()->commands()) {
        if (kept.count(int(cmd->command()))) continue;
        cmd->setKey(0);
        cmd->setAlternateKey(0);
    }
}

// ---------------------------------------------------------------------------------------------
// Document access

long TSynMemo::Length() const { return SendScintilla(SCI_GETLENGTH); }
long TSynMemo::LineCountRaw() const { return SendScintilla(SCI_GETLINECOUNT); }
long TSynMemo::LineStart(long line) const { return SendScintilla(SCI_POSITIONFROMLINE, (unsigned long)line); }
long TSynMemo::LineEnd(long line) const { return SendScintilla(SCI_GETLINEENDPOSITION, (unsigned long)line); }

AnsiString TSynMemo::Range(long start, long end) const
{
    start = std::clamp(start, 0L, Length());
    end = std::clamp(end, start, Length());
    if (end == start) return {};
    AnsiString s(size_t(end - start + 1), '\0');   // room for the terminating NUL
    SendScintilla(SCI_GETTEXTRANGE, start, end, s.data());
    s.resize(size_t(end - start));
    return s;
}

// Replaces bytes start..end by the given bytes (NUL bytes included) as one undo step.
void TSynMemo::Replace(long start, long end, const AnsiString &bytes)
{
    start = std::clamp(start, 0L, Length());
    end = std::clamp(end, start, Length());
    if (start == end && bytes.empty()) return;
    WritableAnyway writable(this);
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_SETTARGETSTART, (unsigned long)start);
    SendScintilla(SCI_SETTARGETEND, (unsigned long)end);
    SendScintilla(SCI_REPLACETARGET, uintptr_t(bytes.size()), bytes.c_str());
    SendScintilla(SCI_ENDUNDOACTION);
}

// The ranges go in back to front, so that the positions of the ones before still hold. The
// component's change notifications are off meanwhile: each costs time in proportion to its place
// in the text (its accessibility support counts the characters before the change). The pane's
// listeners are told once, as if the span from the first start to the last end had been
// replaced in one go. Undo and redo of the step replay every replacement: marks at both ends of
// the step turn the notifications off for them too (ReplaySpan).
void TSynMemo::ReplaceRanges(const std::vector<TReplacement> &ranges)
{
    std::vector<TReplacement> withCrLf = ranges;
    std::list<AnsiString> converted;
    for (TReplacement &r : withCrLf)
        if (r.Bytes.find_first_of("\r\n") != std::string_view::npos) r.Bytes = converted.emplace_back(WithCrLf(AnsiString(r.Bytes)));
    ReplaceRangesAsIs(withCrLf);
}

// ReplaceRanges of bytes whose line breaks are CR LF already.
void TSynMemo::ReplaceRangesAsIs(const std::vector<TReplacement> &ranges)
{
    if (std::all_of(ranges.begin(), ranges.end(), [](const TReplacement &r) { return r.Start >= r.End && r.Bytes.empty(); }))
        return;
    if (!WatchingReplays) {
        connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
                [this](int position, int type, const char *, int, int, int, int, int, int token, int) {
                    ReplaySpan(position, type, token);
                });
        WatchingReplays = true;
    }
    NotifyGuard guard(this);
    WritableAnyway writable(this);
    const long eventMask = SendScintilla(SCI_GETMODEVENTMASK);
    SendScintilla(SCI_SETMODEVENTMASK, 0UL);
    // Room for all the growth at once: the buffer is then copied once at most, not at each step.
    long growth = 0;
    for (const TReplacement &r : ranges) growth += long(r.Bytes.size()) - std::max(0L, r.End - r.Start);
    if (growth > 0) SendScintilla(SCI_ALLOCATE, (unsigned long)(Length() + growth + growth / 8));
    const int token = ReplacedSpans.empty() ? 1 : ReplacedSpans.rbegin()->first + 1;
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_ADDUNDOACTION, (unsigned long)token, 0L);
    long limit = Length();
    TReplacedSpan span{-1, -1, -1, 0, 0};
    long delta = 0;
    for (auto r = ranges.rbegin(); r != ranges.rend(); ++r) {
        const long end = std::clamp(r->End, 0L, limit);
        const long start = std::clamp(r->Start, 0L, end);
        limit = start;
        if (start == end && r->Bytes.empty()) continue;
        if (span.OldEnd < 0) {
            span.OldEnd = end;
            span.OldLines = SendScintilla(SCI_LINEFROMPOSITION, (unsigned long)end);
        }
        span.Start = start;
        SendScintilla(SCI_SETTARGETRANGE, (unsigned long)start, end);
        SendScintilla(SCI_REPLACETARGET, uintptr_t(r->Bytes.size()), r->Bytes.data());
        delta += long(r->Bytes.size()) - (end - start);
    }
    SendScintilla(SCI_ADDUNDOACTION, (unsigned long)token, 0L);
    SendScintilla(SCI_ENDUNDOACTION);
    SendScintilla(SCI_SETMODEVENTMASK, (unsigned long)eventMask);
    if (span.OldEnd < 0) return;
    const long startLine = SendScintilla(SCI_LINEFROMPOSITION, (unsigned long)span.Start);
    span.NewEnd = span.OldEnd + delta;
    span.OldLines -= startLine;
    span.NewLines = SendScintilla(SCI_LINEFROMPOSITION, (unsigned long)span.NewEnd) - startLine;
    ReplacedSpans[token] = span;
    NotifySpanReplaced(span.Start, span.OldEnd, span.OldLines, span.NewEnd, span.NewLines, SC_PERFORMED_USER);
}

// One deletion and one insertion, as the component would report a replacement of the span; the
// insertion ends an undo or redo step.
void TSynMemo::NotifySpanReplaced(long start, long removedEnd, long removedLines, long insertedEnd,
                                  long insertedLines, int performed)
{
    const int line = int(SendScintilla(SCI_LINEFROMPOSITION, (unsigned long)start));
    const int first = performed == SC_PERFORMED_USER ? SC_STARTACTION : 0;
    const int last = performed == SC_PERFORMED_USER ? 0 : SC_LASTSTEPINUNDOREDO;
    emit SCN_MODIFIED(int(start), SC_MOD_DELETETEXT | performed | first, nullptr, int(removedEnd - start),
                      int(-removedLines), line, 0, 0, 0, 0);
    emit SCN_MODIFIED(int(start), SC_MOD_INSERTTEXT | performed | last, nullptr, int(insertedEnd - start),
                      int(insertedLines), line, 0, 0, 0, 0);
}

// The first mark met while a step of ReplaceRanges is undone or redone turns the component's
// text notifications off; the second, met when the step is complete, turns them on again and
// tells of the span.
void TSynMemo::ReplaySpan(int position, int type, int token)
{
    if (!(type & SC_MOD_CONTAINER) || !(type & (SC_PERFORMED_UNDO | SC_PERFORMED_REDO))) return;
    // The component hands the mark's token over in one field or the other.
    auto span = ReplacedSpans.find(token);
    if (span == ReplacedSpans.end()) span = ReplacedSpans.find(position);
    if (span == ReplacedSpans.end()) return;
    if (ReplayingSpan != span->first) {
        ReplayingSpan = span->first;
        ReplayEventMask = SendScintilla(SCI_GETMODEVENTMASK);
        SendScintilla(SCI_SETMODEVENTMASK, (unsigned long)SC_MOD_CONTAINER);
        return;
    }
    ReplayingSpan = 0;
    SendScintilla(SCI_SETMODEVENTMASK, (unsigned long)ReplayEventMask);
    const TReplacedSpan &s = span->second;
    if (type & SC_PERFORMED_UNDO)
        NotifySpanReplaced(s.Start, s.NewEnd, s.NewLines, s.OldEnd, s.OldLines, SC_PERFORMED_UNDO);
    else
        NotifySpanReplaced(s.Start, s.OldEnd, s.OldLines, s.NewEnd, s.NewLines, SC_PERFORMED_REDO);
}

// Only the bytes between the common beginning and end of the old and new text are replaced:
// every change costs the component time in proportion to its place in the text.
void TSynMemo::ReplaceAllBy(const AnsiString &normalized)
{
    const std::string_view old = TextView();
    const size_t limit = std::min(old.size(), normalized.size());
    size_t head = 0;
    while (head < limit && old[head] == normalized[head]) ++head;
    size_t tail = 0;
    while (tail < limit - head && old[old.size() - 1 - tail] == normalized[normalized.size() - 1 - tail]) ++tail;
    Replace(long(head), long(old.size() - tail), normalized.substr(head, normalized.size() - tail - head));
}

// A new text puts the caret at the start and keeps the marks on their line numbers, as for a
// list of lines; an edited text (newText false) keeps the caret, and the marks follow the edit.
void TSynMemo::SetDocument(const AnsiString &normalized, bool oneEmptyLine, bool newText)
{
    NotifyGuard guard(this);
    std::vector<int> markLines;
    for (const auto &m : Marks.Items) markLines.push_back(m->Line());
    const TBufferCoord caret = CaretXY();
    const int top = TopLine();
    ReplaceAllBy(normalized);
    OneEmptyLine = oneEmptyLine;
    if (newText) {
        SendScintilla(SCI_GOTOPOS, 0UL);
        for (size_t i = 0; i < Marks.Items.size(); ++i) Marks.Items[i]->SetLine(markLines[i]);
    } else {
        SetCaretXY(caret);
        SetTopLine(top);
    }
    PendingStatus = true;
}

std::array<std::string_view, 2> TSynMemo::TextPieces() const
{
    if (Length() == 0) return {std::string_view(), OneEmptyLine ? std::string_view(CRLF) : std::string_view()};
    return {TextView(), CRLF};
}

// One copy of the document, made with room for the final line break: the text of a big script is
// tens of megabytes, and every fresh copy of it costs its page faults.
AnsiString TSynMemo::Text() const
{
    const std::array<std::string_view, 2> pieces = TextPieces();
    AnsiString text;
    text.reserve(pieces[0].size() + pieces[1].size());
    text.append(pieces[0]);
    text.append(pieces[1]);
    return text;
}

int TSynMemo::GetTextLen() const
{
    const long len = Length();
    if (len == 0) return OneEmptyLine ? 2 : 0;
    return int(len + 2);
}

void TSynMemo::SetText(const AnsiString &text)
{
    bool one = false;
    const AnsiString doc = ToDocument(text, one);
    SetDocument(doc, one);
}

void TSynMemo::LoadFromFile(const AnsiString &path)
{
    QFile file(ToQPath(path));
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError("Cannot open file \"" + PathInMessage(path) + "\". " + FromQ(file.errorString()));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EFOpenError("Cannot read file \"" + PathInMessage(path) + "\". " + FromQ(file.errorString()));
    LoadText(std::string_view(data.constData(), size_t(data.size())));
}

namespace {

// The text without its final line break (CR LF, LF or a lone CR), which the document does not keep.
std::string_view WithoutFinalLineBreak(std::string_view text)
{
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n") return text.substr(0, text.size() - 2);
    if (!text.empty() && (text.back() == '\n' || text.back() == '\r')) return text.substr(0, text.size() - 1);
    return text;
}

} // namespace

// The whole text goes in as one fresh document: every line break made CR LF in one pass, straight
// into the component's buffer (sized once) in pieces, with undo collection and change
// notifications off while it goes in. Nothing of the previous text stays: neither in the buffer
// nor in the undo history, which is emptied before and after.
void TSynMemo::LoadText(std::string_view text)
{
    const std::string_view body = WithoutFinalLineBreak(text);
    const bool one = body.empty() && !text.empty();

    NotifyGuard guard(this);
    std::vector<int> markLines;
    for (const auto &m : Marks.Items) markLines.push_back(m->Line());
    WritableAnyway writable(this);
    const long eventMask = SendScintilla(SCI_GETMODEVENTMASK);
    SendScintilla(SCI_SETMODEVENTMASK, 0UL);
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_CLEARALL);
    // New lines take the state of the line they are inserted at: start from a clean one, so that a
    // lexer finds every line of the new text unstyled.
    if (SendScintilla(SCI_GETMAXLINESTATE) > 0) SendScintilla(SCI_SETLINESTATE, 0UL, 0L);
    SendScintilla(SCI_ALLOCATE, (unsigned long)(body.size() + body.size() / 8 + 1));

    constexpr size_t PieceSize = 1 << 20;
    std::unique_ptr<char[]> piece(new char[PieceSize + 2]);
    const char *p = body.data();
    const char *const end = p + body.size();
    while (p < end) {
        char *out = piece.get();
        char *const full = out + PieceSize;
        while (p < end && out < full) {
            const char c = *p++;
            if (c == '\r' || c == '\n') {
                *out++ = '\r';
                *out++ = '\n';
                if (c == '\r' && p < end && *p == '\n') ++p;
            } else {
                *out++ = c;
            }
        }
        SendScintilla(SCI_APPENDTEXT, uintptr_t(out - piece.get()), piece.get());
    }

    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETMODEVENTMASK, (unsigned long)eventMask);
    SendScintilla(SCI_SETSAVEPOINT);
    UndoSteps = RedoSteps = 0;
    OneEmptyLine = one;
    IsModified = false;
    SendScintilla(SCI_GOTOPOS, 0UL);
    for (size_t i = 0; i < Marks.Items.size(); ++i) Marks.Items[i]->SetLine(markLines[i]);
    PendingChange = PendingStatus = true;   // the notifications held back during the insert
    emit OnTextLoaded();
}

std::string_view TSynMemo::TextView() const
{
    const char *data = reinterpret_cast<const char *>(SendScintilla(SCI_GETCHARACTERPOINTER));
    return data ? std::string_view(data, size_t(Length())) : std::string_view();
}

// ---------------------------------------------------------------------------------------------
// Notifications

void TSynMemo::HandleModified(int, int type, const char *, int, int, int, int, int, int, int)
{
    if (!(type & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT))) return;
    IsModified = true;
    // OneEmptyLine stays as the text was given: edits that empty the document again (an undone
    // one too) give back the text it had, a single empty line included.
    PendingChange = PendingStatus = true;
    if (CountUndo) {
        // One undo step starts with the first change of a user action and ends with the last
        // change of an undo or redo.
        if (type & SC_PERFORMED_USER) {
            if (type & SC_STARTACTION) ++UndoSteps;
            RedoSteps = 0;
        } else if ((type & SC_PERFORMED_UNDO) && (type & SC_LASTSTEPINUNDOREDO)) {
            --UndoSteps;
            ++RedoSteps;
        } else if ((type & SC_PERFORMED_REDO) && (type & SC_LASTSTEPINUNDOREDO)) {
            --RedoSteps;
            ++UndoSteps;
        }
    }
    if (GuardDepth == 0) ScheduleFlush();
}

void TSynMemo::ScheduleFlush()
{
    if (FlushScheduled) return;
    FlushScheduled = true;
    QMetaObject::invokeMethod(this, [this] { FlushNotifications(); }, Qt::QueuedConnection);
}

void TSynMemo::FlushNotifications()
{
    FlushScheduled = false;
    if (GuardDepth > 0) return;
    if (!CanUndo()) UndoSteps = 0;
    if (!CanRedo()) RedoSteps = 0;
    UndoSteps = std::max(UndoSteps, CanUndo() ? 1 : 0);
    RedoSteps = std::max(RedoSteps, CanRedo() ? 1 : 0);
    const bool change = PendingChange;
    const bool status = PendingStatus || change;
    PendingChange = PendingStatus = false;
    if (change && Gutter.ShowLineNumbers()) Gutter.Apply();   // room for more digits
    if (change) emit OnChange();
    if (status) emit OnStatusChange();
}

// ---------------------------------------------------------------------------------------------
// Selection and caret

int TSynMemo::SelStart() const { return int(SendScintilla(SCI_GETSELECTIONSTART)); }
int TSynMemo::SelEnd() const { return int(SendScintilla(SCI_GETSELECTIONEND)); }

void TSynMemo::SetSelStart(int pos)
{
    NotifyGuard guard(this);
    const long p = std::clamp(long(pos), 0L, Length());
    SendScintilla(SCI_SETSEL, (unsigned long)p, p);
    PendingStatus = true;
}

void TSynMemo::SetSelEnd(int pos)
{
    NotifyGuard guard(this);
    const long a = SelStart();
    const long p = std::clamp(long(pos), 0L, Length());
    SendScintilla(SCI_SETSEL, (unsigned long)a, p);
    PendingStatus = true;
}

void TSynMemo::SetSelLength(int length) { SetSelEnd(SelStart() + std::max(0, length)); }

AnsiString TSynMemo::SelText() const
{
    // The component's own copy turns NUL bytes into blanks, so the text is read by ranges.
    const long count = SendScintilla(SCI_GETSELECTIONS);
    if (!SendScintilla(SCI_SELECTIONISRECTANGLE) || count <= 1) return Range(SelStart(), SelEnd());
    AnsiString s;
    for (long i = 0; i < count; ++i) {
        if (i > 0) s += CRLF;
        s += Range(SendScintilla(SCI_GETSELECTIONNSTART, (unsigned long)i),
                   SendScintilla(SCI_GETSELECTIONNEND, (unsigned long)i));
    }
    return s;
}

void TSynMemo::SetSelText(const AnsiString &text)
{
    NotifyGuard guard(this);
    const AnsiString bytes = WithCrLf(text);
    SendScintilla(SCI_BEGINUNDOACTION);
    if (SendScintilla(SCI_SELECTIONISRECTANGLE) && SelAvail()) SendScintilla(SCI_CLEAR);
    const long start = SelStart(), end = SelEnd();
    // A caret in virtual space first gets the blanks up to its column.
    const long vs = start == end
        ? SendScintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE, (unsigned long)SendScintilla(SCI_GETMAINSELECTION))
        : 0;
    Replace(start, end, AnsiString(size_t(vs), ' ') + bytes);
    SendScintilla(SCI_ENDUNDOACTION);
    SendScintilla(SCI_GOTOPOS, (unsigned long)(start + vs + long(bytes.size())));
    PendingStatus = true;
}

void TSynMemo::SelectAll()
{
    NotifyGuard guard(this);
    SendScintilla(SCI_SELECTALL);
    PendingStatus = true;
}

TBufferCoord TSynMemo::CoordOf(long pos, long virtualSpace) const
{
    const long line = SendScintilla(SCI_LINEFROMPOSITION, (unsigned long)pos);
    return {int(pos - LineStart(line) + virtualSpace + 1), int(line + 1)};
}

long TSynMemo::PositionOf(TBufferCoord p, long *virtualSpace, bool rectangle) const
{
    const long line = std::clamp(long(p.Line) - 1, 0L, LineCountRaw() - 1);
    const long start = LineStart(line), end = LineEnd(line);
    const long col = std::max(0L, long(p.Char) - 1);
    *virtualSpace = 0;
    if (start + col <= end) return start + col;
    // A rectangle's corners may always stand beyond a line end.
    if (rectangle || (EditorOptions & eoScrollPastEol)) *virtualSpace = start + col - end;
    return end;
}

int TSynMemo::CaretX() const
{
    const long sel = SendScintilla(SCI_GETMAINSELECTION);
    return CoordOf(SendScintilla(SCI_GETCURRENTPOS),
                   SendScintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE, (unsigned long)sel)).Char;
}

int TSynMemo::CaretY() const
{
    return int(SendScintilla(SCI_LINEFROMPOSITION, (unsigned long)SendScintilla(SCI_GETCURRENTPOS)) + 1);
}

TBufferCoord TSynMemo::AnchorCoord() const
{
    if (SendScintilla(SCI_SELECTIONISRECTANGLE))
        return CoordOf(SendScintilla(SCI_GETRECTANGULARSELECTIONANCHOR),
                       SendScintilla(SCI_GETRECTANGULARSELECTIONANCHORVIRTUALSPACE));
    const long sel = SendScintilla(SCI_GETMAINSELECTION);
    return CoordOf(SendScintilla(SCI_GETANCHOR),
                   SendScintilla(SCI_GETSELECTIONNANCHORVIRTUALSPACE, (unsigned long)sel));
}

void TSynMemo::Select(TBufferCoord anchor, TBufferCoord caret)
{
    NotifyGuard guard(this);
    long av = 0, cv = 0;
    const bool rectangle = Mode == smColumn && !(anchor == caret);
    const long a = PositionOf(anchor, &av, rectangle), c = PositionOf(caret, &cv, rectangle);
    if (rectangle) {
        SendScintilla(SCI_SETRECTANGULARSELECTIONANCHOR, (unsigned long)a);
        SendScintilla(SCI_SETRECTANGULARSELECTIONCARET, (unsigned long)c);
        SendScintilla(SCI_SETRECTANGULARSELECTIONANCHORVIRTUALSPACE, (unsigned long)av);
        SendScintilla(SCI_SETRECTANGULARSELECTIONCARETVIRTUALSPACE, (unsigned long)cv);
    } else {
        if (SendScintilla(SCI_GETSELECTIONMODE) != SC_SEL_STREAM) {
            SendScintilla(SCI_SETSELECTIONMODE, (unsigned long)SC_SEL_STREAM);
            if (SendScintilla(SCI_GETMOVEEXTENDSSELECTION)) SendScintilla(SCI_CANCEL);
        }
        SendScintilla(SCI_SETSELECTION, (unsigned long)c, a);
        SendScintilla(SCI_SETSELECTIONNANCHORVIRTUALSPACE, 0UL, av);
        SendScintilla(SCI_SETSELECTIONNCARETVIRTUALSPACE, 0UL, cv);
    }
    SendScintilla(SCI_SCROLLCARET);
    EnforceSelectionMode();
    PendingStatus = true;
}

void TSynMemo::SetCaretXY(TBufferCoord p)
{
    const TSynSelectionMode mode = Mode;
    Mode = smNormal;               // a caret is never a block
    Select(p, p);
    Mode = mode;
}

TBufferCoord TSynMemo::BlockBegin() const
{
    const TBufferCoord a = AnchorCoord();
    const TBufferCoord c = SendScintilla(SCI_SELECTIONISRECTANGLE)
        ? CoordOf(SendScintilla(SCI_GETRECTANGULARSELECTIONCARET),
                  SendScintilla(SCI_GETRECTANGULARSELECTIONCARETVIRTUALSPACE))
        : CaretXY();
    return std::tie(a.Line, a.Char) < std::tie(c.Line, c.Char) ? a : c;
}

TBufferCoord TSynMemo::BlockEnd() const
{
    const TBufferCoord a = AnchorCoord();
    const TBufferCoord c = SendScintilla(SCI_SELECTIONISRECTANGLE)
        ? CoordOf(SendScintilla(SCI_GETRECTANGULARSELECTIONCARET),
                  SendScintilla(SCI_GETRECTANGULARSELECTIONCARETVIRTUALSPACE))
        : CaretXY();
    return std::tie(a.Line, a.Char) < std::tie(c.Line, c.Char) ? c : a;
}

void TSynMemo::SetBlockBegin(TBufferCoord p) { Select(p, p); }
void TSynMemo::SetBlockEnd(TBufferCoord p) { Select(BlockBegin(), p); }

int TSynMemo::TopLine() const { return int(SendScintilla(SCI_GETFIRSTVISIBLELINE) + 1); }

void TSynMemo::SetTopLine(int line)
{
    NotifyGuard guard(this);
    SendScintilla(SCI_SETFIRSTVISIBLELINE, (unsigned long)std::max(0, line - 1));
    PendingStatus = true;
}

int TSynMemo::LinesInWindow() const { return int(SendScintilla(SCI_LINESONSCREEN)); }

void TSynMemo::SetSelectionMode(TSynSelectionMode mode)
{
    NotifyGuard guard(this);
    Mode = mode;
    const unsigned long sci = mode == smColumn ? SC_SEL_RECTANGLE : mode == smLine ? SC_SEL_LINES : SC_SEL_STREAM;
    SendScintilla(SCI_SETSELECTIONMODE, sci);
    // Setting the mode also makes plain caret moves extend the selection; the pane's modes
    // extend only with Shift or the mouse.
    if (SendScintilla(SCI_GETMOVEEXTENDSSELECTION)) SendScintilla(SCI_CANCEL);
    PendingStatus = true;
}

// Line mode: any selection made by keys or mouse covers whole lines.
void TSynMemo::EnforceSelectionMode()
{
    if (Mode != smLine || !SelAvail() || SendScintilla(SCI_GETSELECTIONMODE) == SC_SEL_LINES) return;
    SendScintilla(SCI_SETSELECTIONMODE, (unsigned long)SC_SEL_LINES);
    if (SendScintilla(SCI_GETMOVEEXTENDSSELECTION)) SendScintilla(SCI_CANCEL);
}

bool TSynMemo::InsertMode() const { return !SendScintilla(SCI_GETOVERTYPE); }

void TSynMemo::SetInsertMode(bool insert)
{
    NotifyGuard guard(this);
    SendScintilla(SCI_SETOVERTYPE, insert ? 0UL : 1UL);
    PendingStatus = true;
}

void TSynMemo::SetTabWidth(int width)
{
    Tabs = std::max(1, width);
    SendScintilla(SCI_SETTABWIDTH, (unsigned long)Tabs);
    SendScintilla(SCI_SETINDENT, (unsigned long)Tabs);
}

void TSynMemo::SetOptions(TSynEditorOptions options)
{
    EditorOptions = options;
    ApplyEditorOptions();
}

void TSynMemo::ApplyEditorOptions()
{
    setAutoIndent(EditorOptions & eoAutoIndent);
    SendScintilla(SCI_SETUSETABS, (EditorOptions & eoTabsToSpaces) ? 0UL : 1UL);
    unsigned long vs = SCVS_RECTANGULARSELECTION;
    if (EditorOptions & eoScrollPastEol) vs |= SCVS_USERACCESSIBLE;
    SendScintilla(SCI_SETVIRTUALSPACEOPTIONS, vs);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, (EditorOptions & eoAutoSizeMaxScrollWidth) ? 1UL : 0UL);
}

// ---------------------------------------------------------------------------------------------
// Appearance

void TSynMemo::SetRightEdge(int column)
{
    EdgeColumn = std::max(0, column);
    setEdgeMode(EdgeColumn > 0 ? EdgeLine : EdgeNone);
    setEdgeColumn(EdgeColumn);
}

void TSynMemo::SetRightEdgeColor(TColor c)
{
    EdgeColour = c;
    const QColor q = ColorToQColor(c);
    setEdgeColor(q.isValid() ? q : QColor(Qt::gray));
}

void TSynMemo::SetColor(TColor c)
{
    Background = c;
    ApplyColors();
}

void TSynMemo::SetSelectedColor(TColor background, TColor foreground)
{
    SelBack = background;
    SelFore = foreground;
    ApplyColors();
}

void TSynMemo::ApplyColors()
{
    QColor paper = ColorToQColor(Background);
    if (!paper.isValid()) paper = QApplication::palette().color(QPalette::Base);
    const QColor text = ColorToQColor(clWindowText);
    if (auto *adapter = qobject_cast<TSynLexerAdapter *>(lexer())) {
        adapter->SetColors(text, paper);
    } else if (QsciLexer *lex = lexer()) {
        // Styles whose background is the editor's take the lexer's default paper.
        lex->setDefaultPaper(paper);
        SendScintilla(SCI_STYLESETBACK, (unsigned long)STYLE_DEFAULT, paper);
    } else {
        setPaper(paper);
        setColor(text);
    }
    const QColor selBack = ColorToQColor(SelBack), selFore = ColorToQColor(SelFore);
    if (selBack.isValid()) setSelectionBackgroundColor(selBack);
    if (selFore.isValid()) setSelectionForegroundColor(selFore);
    setCaretForegroundColor(text);
    setMarginsBackgroundColor(QApplication::palette().color(QPalette::Button));
    setMarginsForegroundColor(QApplication::palette().color(QPalette::ButtonText));
}

void TSynMemo::SetFont(const QFont &font)
{
    PaneFont = FixedPitch(font);
    ApplyFont();
}

void TSynMemo::SetFontName(const AnsiString &name)
{
    QFont f(PaneFont);
    f.setFamily(ToQ(name));
    SetFont(f);
}

void TSynMemo::SetFontSize(int size)
{
    QFont f(PaneFont);
    f.setPointSize(std::max(1, size));
    SetFont(f);
}

// Every style gets the pane's fixed-pitch face and size; a lexer's styles keep their weight
// and slant.
void TSynMemo::ApplyFont()
{
    if (auto *adapter = qobject_cast<TSynLexerAdapter *>(lexer())) {
        adapter->SetFont(PaneFont);
    } else if (QsciLexer *lex = lexer()) {
        lex->setDefaultFont(PaneFont);
        for (int style = 0; style <= STYLE_MAX; ++style) {
            if (lex->description(style).isEmpty()) continue;
            QFont f(PaneFont);
            const QFont own = lex->font(style);
            f.setBold(own.bold());
            f.setItalic(own.italic());
            f.setUnderline(own.underline());
            lex->setFont(f, style);
        }
    } else {
        QsciScintilla::setFont(PaneFont);
    }
    setMarginsFont(PaneFont);
    Gutter.Apply();
}

void TSynMemo::SetHighlighter(TSynCustomHighlighter *highlighter)
{
    if (highlighter == SynHighlighter) return;
    SynHighlighter = highlighter;
    QsciLexer *old = lexer();
    // One highlighter serves every pane; each pane gets a lexer of its own from it.
    setLexer(highlighter ? highlighter->CreateLexer(this) : nullptr);
    delete old;
    if (!highlighter) {
        SendScintilla(SCI_CLEARDOCUMENTSTYLE);   // the old colours would stay
        SendScintilla(SCI_SETCHARSDEFAULT);      // and so would the language's word characters
    }
    if (highlighter) {
        // Word moves and double clicks take the language's identifier characters.
        const TSynIdentChars ident = highlighter->GetIdentChars();
        AnsiString chars;
        for (int c = 1; c < 256; ++c)
            if (ident[size_t(c)]) chars += char(c);
        SendScintilla(SCI_SETWORDCHARS, 0UL, (void *)chars.c_str());
    }
    ApplyFont();
    ApplyColors();
}

// ---------------------------------------------------------------------------------------------
// Modified flag and undo

void TSynMemo::SetModified(bool on)
{
    IsModified = on;
    if (!on) SendScintilla(SCI_SETSAVEPOINT);
}

bool TSynMemo::CanUndo() const { return SendScintilla(SCI_CANUNDO) != 0; }
bool TSynMemo::CanRedo() const { return SendScintilla(SCI_CANREDO) != 0; }

void TSynMemo::Undo()
{
    NotifyGuard guard(this);
    SendScintilla(SCI_UNDO);
}

void TSynMemo::Redo()
{
    NotifyGuard guard(this);
    SendScintilla(SCI_REDO);
}

void TSynMemo::ClearUndo()
{
    NotifyGuard guard(this);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    UndoSteps = RedoSteps = 0;
}

void TSynMemo::BeginUndoBlock() { SendScintilla(SCI_BEGINUNDOACTION); }
void TSynMemo::EndUndoBlock() { SendScintilla(SCI_ENDUNDOACTION); }

void TSynMemo::DropOwnUndoKeys()
{
    for (QsciCommand *cmd : standardCommands()->commands()) {
        if (cmd->command() != QsciCommand::Undo && cmd->command() != QsciCommand::Redo) continue;
        cmd->setKey(0);
        cmd->setAlternateKey(0);
    }
}

void TSynMemo::CopyToClipboard() { copy(); }

void TSynMemo::CutToClipboard()
{
    NotifyGuard guard(this);
    cut();
}

void TSynMemo::PasteFromClipboard()
{
    if (!isReadOnly() && !DocumentTextOfClipboard(this)) return;
    NotifyGuard guard(this);
    SendScintilla(SCI_BEGINUNDOACTION);
    paste();
    SendScintilla(SCI_ENDUNDOACTION);
}

// ---------------------------------------------------------------------------------------------
// Geometry

QPoint TSynMemo::RowColumnToPixels(TBufferCoord p) const
{
    const long line = std::clamp(long(p.Line) - 1, 0L, LineCountRaw() - 1);
    const long start = LineStart(line), end = LineEnd(line);
    const long col = std::max(0L, long(p.Char) - 1);
    const long pos = std::min(start + col, end);
    const long beyond = start + col - pos;
    const int space = int(SendScintilla(SCI_TEXTWIDTH, (unsigned long)STYLE_DEFAULT, " "));
    const int x = int(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, pos)) + int(beyond) * space;
    const int y = int(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, pos));
    return QPoint(x, y) + viewport()->geometry().topLeft();
}

TBufferCoord TSynMemo::PixelsToRowColumn(QPoint p) const
{
    const QPoint v = p - viewport()->geometry().topLeft();
    const long pos = SendScintilla(SCI_POSITIONFROMPOINT, (unsigned long)std::max(0, v.x()), long(v.y()));
    return CoordOf(pos, 0);
}

int TSynMemo::LineHeight() const { return int(SendScintilla(SCI_TEXTHEIGHT, 0UL)); }

int TSynMemo::MarginsWidth() const
{
    int w = 0;
    for (int m = 0; m < 5; ++m) w += marginWidth(m);
    return w;
}

// ---------------------------------------------------------------------------------------------
// Gutter

void TSynGutter::SetVisible(bool on)
{
    IsVisible = on;
    Apply();
}

void TSynGutter::SetWidth(int width)
{
    RequestedWidth = std::max(MarkAreaWidth, width);
    Apply();
}

void TSynGutter::SetShowLineNumbers(bool on)
{
    Numbers = on;
    Apply();
}

int TSynGutter::Width() const
{
    return IsVisible ? Owner->marginWidth(MarkMarginNo) + Owner->marginWidth(NumberMarginNo) : 0;
}

void TSynGutter::Apply()
{
    if (!IsVisible) {
        Owner->setMarginWidth(MarkMarginNo, 0);
        Owner->setMarginWidth(NumberMarginNo, 0);
        return;
    }
    Owner->setMarginWidth(MarkMarginNo, MarkAreaWidth);
    Owner->setMarginType(NumberMarginNo, Numbers ? QsciScintilla::NumberMargin : QsciScintilla::SymbolMargin);
    int rest = RequestedWidth - MarkAreaWidth;
    if (Numbers) {
        const QString digits = QString(QString::number(Owner->LineCountRaw()).size() + 1, QChar('9'));
        rest = std::max(rest, QFontMetrics(Owner->PaneFont).horizontalAdvance(digits) + 4);
    }
    Owner->setMarginWidth(NumberMarginNo, rest);
}

// ---------------------------------------------------------------------------------------------
// Marks

int TSynEditMark::Line() const
{
    if (Owner && Handle >= 0) {
        const long line = Owner->SendScintilla(Sci::SCI_MARKERLINEFROMHANDLE, (unsigned long)Handle);
        if (line >= 0) return int(line + 1);
    }
    return StoredLine;
}

void TSynEditMark::Reattach()
{
    if (!Owner) return;
    Owner->DetachMarker(*this);
    Owner->AttachMarker(*this);
}

void TSynEditMark::SetLine(int line)
{
    StoredLine = std::max(1, line);
    Reattach();
}

void TSynEditMark::SetImageIndex(int index)
{
    StoredLine = Line();
    Image = index;
    Reattach();
}

void TSynEditMark::SetVisible(bool on)
{
    StoredLine = Line();
    IsVisible = on;
    Reattach();
}

int TSynMemo::MarkerFor(const TSynEditMark &mark)
{
    if (!mark.Visible()) return HiddenMarker;
    const auto found = MarkerOfImage.find(mark.ImageIndex());
    if (found != MarkerOfImage.end()) return found->second;
    const int number = std::min(FirstMarker + int(MarkerOfImage.size()), LastMarker);
    MarkerOfImage[mark.ImageIndex()] = number;
    const auto picture = ImageOfMark.find(mark.ImageIndex());
    if (picture != ImageOfMark.end()) {
        markerDefine(picture->second, number);
    } else {
        markerDefine(QsciScintilla::Bookmark, number);
        setMarkerBackgroundColor(QColor(0x30, 0x60, 0xC0), number);
        setMarkerForegroundColor(QColor(0x10, 0x20, 0x60), number);
    }
    return number;
}

void TSynMemo::SetMarkImage(int imageIndex, const QPixmap &picture)
{
    ImageOfMark[imageIndex] = picture;
    const auto found = MarkerOfImage.find(imageIndex);
    if (found != MarkerOfImage.end()) markerDefine(picture, found->second);
}

void TSynMemo::AttachMarker(TSynEditMark &mark)
{
    const long line = std::clamp(long(mark.StoredLine) - 1, 0L, LineCountRaw() - 1);
    mark.Handle = markerAdd(int(line), MarkerFor(mark));
}

void TSynMemo::DetachMarker(TSynEditMark &mark)
{
    if (mark.Handle < 0) return;
    mark.StoredLine = mark.Line();
    markerDeleteHandle(mark.Handle);
    mark.Handle = -1;
}

TSynEditMark &TSynEditMarkList::Place(const TSynEditMark &mark)
{
    auto placed = std::make_unique<TSynEditMark>();
    placed->Char = mark.Char;
    placed->InternalImage = mark.InternalImage;
    placed->BookmarkNumber = mark.BookmarkNumber;
    placed->Image = mark.ImageIndex();
    placed->IsVisible = mark.Visible();
    placed->StoredLine = mark.Line();
    placed->Owner = Owner;
    Owner->AttachMarker(*placed);
    Items.push_back(std::move(placed));
    return *Items.back();
}

void TSynEditMarkList::Delete(int i)
{
    if (i < 0 || i >= Count()) throw EListError("List index out of bounds (" + IntToStr(i) + ")");
    Owner->DetachMarker(*Items[size_t(i)]);
    Items.erase(Items.begin() + i);
}

void TSynEditMarkList::Remove(const TSynEditMark *mark)
{
    for (int i = 0; i < Count(); ++i)
        if (Items[size_t(i)].get() == mark) return Delete(i);
}

void TSynEditMarkList::ClearLine(int line)
{
    for (int i = Count() - 1; i >= 0; --i)
        if (Items[size_t(i)]->Line() == line) Delete(i);
}

void TSynEditMarkList::Clear()
{
    for (auto &m : Items) Owner->DetachMarker(*m);
    Items.clear();
}

std::vector<int> TSynEditMarkList::MarksOnLine(int line) const
{
    std::vector<int> r;
    for (int i = 0; i < Count(); ++i)
        if (Items[size_t(i)]->Line() == line) r.push_back(i);
    return r;
}

void TSynMemo::SetBookmark(int number, int line, int column)
{
    ClearBookmark(number);
    TSynEditMark m;
    m.BookmarkNumber = number;
    m.StoredLine = std::max(1, line);
    m.Char = column;
    m.Image = number;
    m.InternalImage = true;
    Marks.Place(m);
}

void TSynMemo::ClearBookmark(int number)
{
    for (int i = Marks.Count() - 1; i >= 0; --i)
        if (Marks[i].BookmarkNumber == number) Marks.Delete(i);
}

bool TSynMemo::GetBookmark(int number, int &line, int &column) const
{
    for (int i = 0; i < Marks.Count(); ++i) {
        if (Marks[i].BookmarkNumber != number) continue;
        line = Marks[i].Line();
        column = Marks[i].Char;
        return true;
    }
    return false;
}

void TSynMemo::GotoBookmark(int number)
{
    int line = 0, column = 0;
    if (!GetBookmark(number, line, column)) return;
    SetCaretXY({column, line});
    ensureLineVisible(line - 1);
}

// ---------------------------------------------------------------------------------------------
// Lines

void TSynMemoLines::BeginUpdate()
{
    if (Depth++ > 0) return;
    TStringList list;
    list.SetText(Owner->Text());
    Buffer = std::make_unique<std::vector<AnsiString>>(list.begin(), list.end());
}

void TSynMemoLines::EndUpdate()
{
    if (Depth == 0 || --Depth > 0) return;
    AnsiString text;
    for (const AnsiString &line : *Buffer) text += line + CRLF;
    Buffer.reset();
    bool one = false;
    const AnsiString doc = ToDocument(text, one);
    Owner->SetDocument(doc, one, false);
}

int TSynMemoLines::Count() const
{
    if (Buffer) return int(Buffer->size());
    if (Owner->Length() == 0) return Owner->OneEmptyLine ? 1 : 0;
    return int(Owner->LineCountRaw());
}

static void CheckIndex(int i, int count)
{
    if (i < 0 || i >= count) throw EListError("List index out of bounds (" + IntToStr(i) + ")");
}

AnsiString TSynMemoLines::Strings(int i) const
{
    CheckIndex(i, Count());
    if (Buffer) return (*Buffer)[size_t(i)];
    return Owner->Range(Owner->LineStart(i), Owner->LineEnd(i));
}

void TSynMemoLines::SetString(int i, const AnsiString &s)
{
    CheckIndex(i, Count());
    if (Buffer) {
        (*Buffer)[size_t(i)] = s;
        return;
    }
    TSynMemo::NotifyGuard guard(Owner);
    Owner->Replace(Owner->LineStart(i), Owner->LineEnd(i), WithCrLf(s));
}

int TSynMemoLines::Add(const AnsiString &s)
{
    const int n = Count();
    Insert(n, s);
    return n;
}

void TSynMemoLines::Insert(int i, const AnsiString &s)
{
    const int n = Count();
    if (i < 0 || i > n) throw EListError("List index out of bounds (" + IntToStr(i) + ")");
    if (Buffer) {
        Buffer->insert(Buffer->begin() + i, s);
        return;
    }
    TSynMemo::NotifyGuard guard(Owner);
    const AnsiString bytes = WithCrLf(s);
    if (n == 0) {
        Owner->Replace(0, 0, bytes);
        if (bytes.empty()) Owner->OneEmptyLine = true;
    } else if (i == n) {
        const long end = Owner->Length();
        Owner->Replace(end, end, CRLF + bytes);
    } else {
        const long at = Owner->LineStart(i);
        Owner->Replace(at, at, bytes + CRLF);
    }
}

void TSynMemoLines::Delete(int i)
{
    const int n = Count();
    CheckIndex(i, n);
    if (Buffer) {
        Buffer->erase(Buffer->begin() + i);
        return;
    }
    TSynMemo::NotifyGuard guard(Owner);
    if (n == 1) {
        Owner->Replace(0, Owner->Length(), AnsiString());
        Owner->OneEmptyLine = false;
    } else if (i == n - 1) {
        Owner->Replace(Owner->LineEnd(i - 1), Owner->Length(), AnsiString());
    } else {
        Owner->Replace(Owner->LineStart(i), Owner->LineStart(i + 1), AnsiString());
    }
}

void TSynMemoLines::Clear()
{
    if (Buffer) return Buffer->clear();
    TSynMemo::NotifyGuard guard(Owner);
    Owner->Replace(0, Owner->Length(), AnsiString());
    Owner->OneEmptyLine = false;
}

AnsiString TSynMemoLines::Text() const
{
    if (!Buffer) return Owner->Text();
    AnsiString text;
    for (const AnsiString &line : *Buffer) text += line + CRLF;
    return text;
}

void TSynMemoLines::SetText(const AnsiString &text)
{
    if (!Buffer) return Owner->SetText(text);
    TStringList list;
    list.SetText(text);
    Buffer->assign(list.begin(), list.end());
}

AnsiString TSynMemoLines::Names(int i) const { return NameOf(Strings(i)); }

AnsiString TSynMemoLines::ValueFromIndex(int i) const
{
    const AnsiString line = Strings(i);
    const size_t eq = line.find('=');
    return eq == AnsiString::npos ? AnsiString() : line.substr(eq + 1);
}

namespace {

// Index of the first line of the text (split at CR LF, LF or a lone CR) that matches; -1 if none.
template <class Matches> int FindLine(std::string_view text, Matches matches)
{
    size_t start = 0;
    for (int index = 0;; ++index) {
        const size_t left = text.size() - start;
        const void *lf = std::memchr(text.data() + start, '\n', left);
        size_t stop = lf ? size_t(static_cast<const char *>(lf) - text.data()) : text.size();
        if (const void *cr = std::memchr(text.data() + start, '\r', stop - start))
            stop = size_t(static_cast<const char *>(cr) - text.data());
        if (matches(text.substr(start, stop - start))) return index;
        if (stop >= text.size()) return -1;
        start = stop + 1;
        if (text[stop] == '\r' && start < text.size() && text[start] == '\n') ++start;
    }
}

} // namespace

// Lookups go through the document's bytes in place: a copy of every line would cost more than
// the search.
int TSynMemoLines::FindLine(const std::function<bool(std::string_view)> &matches) const
{
    if (Buffer) {
        for (size_t i = 0; i < Buffer->size(); ++i)
            if (matches((*Buffer)[i])) return int(i);
        return -1;
    }
    if (Owner->Length() == 0) return Owner->OneEmptyLine && matches(std::string_view()) ? 0 : -1;
    return ::FindLine(Owner->TextView(), matches);
}

int TSynMemoLines::IndexOfName(const AnsiString &name) const
{
    return FindLine([&name](std::string_view line) {
        const size_t eq = line.find('=');
        return eq != std::string_view::npos && AnsiCompareText(line.substr(0, eq), name) == 0;
    });
}

AnsiString TSynMemoLines::Values(const AnsiString &name) const
{
    const int i = IndexOfName(name);
    return i < 0 ? AnsiString() : ValueFromIndex(i);
}

int TSynMemoLines::IndexOf(const AnsiString &s) const
{
    return FindLine([&s](std::string_view line) { return AnsiCompareText(line, s) == 0; });
}

void TSynMemoLines::AssignTo(TStringList &list) const { list.SetText(Text()); }
void TSynMemoLines::Assign(const TStringList &list) { SetText(list.Text()); }
void TSynMemoLines::LoadFromFile(const AnsiString &path) { Owner->LoadFromFile(path); }

// ---------------------------------------------------------------------------------------------
// Keyboard and mouse

void TSynMemo::keyPressEvent(QKeyEvent *e)
{
    NotifyGuard guard(this);
    int key = e->key();
    emit OnKeyDown(key, e->modifiers());
    if (key == 0) return e->accept();
    const Qt::KeyboardModifiers mods = e->modifiers();
    if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) {
        const bool back = e->key() == Qt::Key_Backtab || (mods & Qt::ShiftModifier);
        if (!TabKeyWanted || (mods & (Qt::ControlModifier | Qt::AltModifier))) {
            QWidget::focusNextPrevChild(!back);
        } else if (!back) {
            char c = '\t';
            emit OnKeyPress(c);
            if (c == '\t') InsertTab();
            else if (c) SetSelText(AnsiString(1, c));
        }
        return e->accept();
    }
    if (HandleHomeKey(e) || (Mode == smColumn && HandleColumnKey(e))) {
        PendingStatus = true;
        return e->accept();
    }
    if (RefusesKey(e)) return e->accept();
    const QString typed = e->text();
    if (typed.size() == 1 && typed[0].unicode() < 256) {
        char c = char(typed[0].unicode());
        emit OnKeyPress(c);
        if (c == 0) return e->accept();
        if (c != char(typed[0].unicode())) {
            const QChar changed = QChar(uchar(c));
            QKeyEvent other(QEvent::KeyPress, changed.toUpper().unicode(), Qt::NoModifier, QString(changed));
            return ProcessKey(&other);
        }
    }
    ProcessKey(e);
}

// The component would write "?" for every character that the 8-bit document cannot hold: text
// typed or pasted with such a character is refused and the user told which.
bool TSynMemo::RefusesKey(QKeyEvent *e)
{
    if (isReadOnly()) return false;
    const Qt::KeyboardModifiers mods =
        e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (const QsciCommand *command = standardCommands()->boundTo(e->key() | int(mods)))
        return command->command() == QsciCommand::Paste && !DocumentTextOfClipboard(this);
    return !e->text().isEmpty() && !DocumentTextOfInput(e->text(), "the typed text", this);
}

void TSynMemo::ProcessKey(QKeyEvent *e)
{
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    const bool trim = enter && (EditorOptions & eoTrimTrailingSpaces) && !isReadOnly();
    const long line = CaretY() - 1;
    if (trim) SendScintilla(SCI_BEGINUNDOACTION);
    QsciScintilla::keyPressEvent(e);
    if (trim) {
        TrimLineEnd(line);
        SendScintilla(SCI_ENDUNDOACTION);
    }
    EnforceSelectionMode();
    PendingStatus = true;
}

void TSynMemo::TrimLineEnd(long line)
{
    const long start = LineStart(line), end = LineEnd(line);
    long p = end;
    while (p > start) {
        const char c = char(SendScintilla(SCI_GETCHARAT, (unsigned long)(p - 1)));
        if (c != ' ' && c != '\t') break;
        --p;
    }
    if (p < end) Replace(p, end, AnsiString());
}

void TSynMemo::InsertTab()
{
    if (EditorOptions & eoTabsToSpaces) {
        const long pos = SelStart();
        const long sel = SendScintilla(SCI_GETMAINSELECTION);
        const long column = SendScintilla(SCI_GETCOLUMN, (unsigned long)pos) +
            (SelAvail() ? 0 : SendScintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE, (unsigned long)sel));
        SetSelText(AnsiString(size_t(Tabs - column % Tabs), ' '));
    } else {
        SetSelText("\t");
    }
}

bool TSynMemo::HandleHomeKey(QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers();
    if (e->key() != Qt::Key_Home || (mods & (Qt::ControlModifier | Qt::AltModifier))) return false;
    const bool smart = EditorOptions & eoEnhanceHomeKey;
    unsigned int msg = smart ? SCI_VCHOME : SCI_HOME;
    if (mods & Qt::ShiftModifier) {
        if (Mode == smColumn) msg = smart ? SCI_VCHOMERECTEXTEND : SCI_HOMERECTEXTEND;
        else msg = smart ? SCI_VCHOMEEXTEND : SCI_HOMEEXTEND;
    }
    SendScintilla(msg);
    EnforceSelectionMode();
    return true;
}

// Column mode: Shift with the caret keys extends a rectangle.
bool TSynMemo::HandleColumnKey(QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers();
    if (!(mods & Qt::ShiftModifier) || (mods & (Qt::ControlModifier | Qt::AltModifier))) return false;
    unsigned int msg = 0;
    switch (e->key()) {
    case Qt::Key_Left: msg = SCI_CHARLEFTRECTEXTEND; break;
    case Qt::Key_Right: msg = SCI_CHARRIGHTRECTEXTEND; break;
    case Qt::Key_Up: msg = SCI_LINEUPRECTEXTEND; break;
    case Qt::Key_Down: msg = SCI_LINEDOWNRECTEXTEND; break;
    case Qt::Key_End: msg = SCI_LINEENDRECTEXTEND; break;
    case Qt::Key_PageUp: msg = SCI_PAGEUPRECTEXTEND; break;
    case Qt::Key_PageDown: msg = SCI_PAGEDOWNRECTEXTEND; break;
    default: return false;
    }
    SendScintilla(msg);
    return true;
}

void TSynMemo::keyReleaseEvent(QKeyEvent *e)
{
    int key = e->key();
    emit OnKeyUp(key, e->modifiers());
    if (key == 0) return e->accept();
    QsciScintilla::keyReleaseEvent(e);
}

// The component (on this platform) drags a rectangle while Ctrl is held.
static QMouseEvent WithRectangleModifier(const QMouseEvent *e)
{
    return QMouseEvent(e->type(), e->position(), e->scenePosition(), e->globalPosition(), e->button(),
                       e->buttons(), e->modifiers() | Qt::ControlModifier);
}

QPoint TSynMemo::WidgetPoint(const QMouseEvent *e) const
{
    return e->position().toPoint() + viewport()->geometry().topLeft();
}

void TSynMemo::mousePressEvent(QMouseEvent *e)
{
    NotifyGuard guard(this);
    const QPoint w = WidgetPoint(e);
    emit OnMouseDown(e->button(), e->modifiers(), w.x(), w.y());
    if (e->position().x() < MarginsWidth()) {
        MouseInGutter = true;
        const long pos = SendScintilla(SCI_POSITIONFROMPOINT, (unsigned long)MarginsWidth(), long(e->position().y()));
        const int line = int(SendScintilla(SCI_LINEFROMPOSITION, (unsigned long)pos) + 1);
        setFocus(Qt::MouseFocusReason);
        emit OnGutterClick(e->button(), w.x(), w.y(), line);
        return e->accept();
    }
    MouseInGutter = false;
    // The middle button pastes the selection of this platform's desktop.
    if (e->button() == Qt::MiddleButton && !isReadOnly() && QGuiApplication::clipboard()->supportsSelection() &&
        !DocumentTextOfClipboard(this, QClipboard::Selection))
        return e->accept();
    if (Mode == smColumn && e->button() == Qt::LeftButton) {
        QMouseEvent rect = WithRectangleModifier(e);
        QsciScintilla::mousePressEvent(&rect);
    } else {
        QsciScintilla::mousePressEvent(e);
    }
    EnforceSelectionMode();
    PendingStatus = true;
}

void TSynMemo::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint w = WidgetPoint(e);
    emit OnMouseMove(e->modifiers(), w.x(), w.y());
    if (MouseInGutter) return e->accept();
    if (!(e->buttons() & Qt::LeftButton)) return QsciScintilla::mouseMoveEvent(e);
    NotifyGuard guard(this);
    if (Mode == smColumn) {
        QMouseEvent rect = WithRectangleModifier(e);
        QsciScintilla::mouseMoveEvent(&rect);
    } else {
        QsciScintilla::mouseMoveEvent(e);
    }
    EnforceSelectionMode();
    PendingStatus = true;
}

void TSynMemo::mouseReleaseEvent(QMouseEvent *e)
{
    NotifyGuard guard(this);
    const QPoint w = WidgetPoint(e);
    emit OnMouseUp(e->button(), e->modifiers(), w.x(), w.y());
    if (MouseInGutter) {
        MouseInGutter = false;
        return e->accept();
    }
    QsciScintilla::mouseReleaseEvent(e);
    EnforceSelectionMode();
    PendingStatus = true;
    if (e->button() == Qt::LeftButton) emit OnClick();
}

void TSynMemo::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->position().x() < MarginsWidth()) return e->accept();
    NotifyGuard guard(this);
    QsciScintilla::mouseDoubleClickEvent(e);
    PendingStatus = true;
    emit OnDblClick();
}

void TSynMemo::focusInEvent(QFocusEvent *e)
{
    QsciScintilla::focusInEvent(e);
    emit OnEnter();
}

void TSynMemo::focusOutEvent(QFocusEvent *e)
{
    QsciScintilla::focusOutEvent(e);
    emit OnExit();
}

void TSynMemo::inputMethodEvent(QInputMethodEvent *e)
{
    NotifyGuard guard(this);
    const QString committed = e->commitString();
    if (!isReadOnly() && !committed.isEmpty() && !DocumentTextOfInput(committed, "the typed text", this)) {
        QInputMethodEvent ended;   // ends the composition without its text
        QsciScintilla::inputMethodEvent(&ended);
        return e->accept();
    }
    QsciScintilla::inputMethodEvent(e);
}

void TSynMemo::dropEvent(QDropEvent *e)
{
    NotifyGuard guard(this);
    const QMimeData *data = e->mimeData();
    if (!isReadOnly() && data && data->hasText() && !DocumentTextOfInput(data->text(), "the dropped text", this)) {
        QDragLeaveEvent leave;   // takes the drop caret away
        QsciScintilla::dragLeaveEvent(&leave);
        // Refused, so that a source that moves its text keeps it.
        e->setDropAction(Qt::IgnoreAction);
        return e->ignore();
    }
    QsciScintilla::dropEvent(e);
}

// Tab reaches keyPressEvent only while the pane wants it; otherwise it moves the focus.
bool TSynMemo::focusNextPrevChild(bool next)
{
    if (TabKeyWanted) return false;
    return QWidget::focusNextPrevChild(next);
}

void TSynMemo::SetPopupMenu(QMenu *menu)
{
    Popup = menu;
    setContextMenuPolicy(menu ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
    disconnect(this, &QWidget::customContextMenuRequested, nullptr, nullptr);
    if (menu)
        connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint &p) {
            if (Popup) Popup->popup(mapToGlobal(p));
        });
}

// ---------------------------------------------------------------------------------------------
// Search and replace

namespace {

// The searched text, as bytes; letter case folds by the code page unless it counts.
struct Haystack
{
    std::string_view Text;
    AnsiString Pattern;          // upper-cased when letter case does not count
    bool MatchCase;
    bool WholeWord;

    bool Same(size_t at) const
    {
        if (MatchCase) return Text.compare(at, Pattern.size(), Pattern) == 0;
        for (size_t i = 0; i < Pattern.size(); ++i)
            if (AnsiUpperChar((unsigned char)Text[at + i]) != (unsigned char)Pattern[i]) return false;
        return true;
    }

    bool WordBounded(size_t at) const
    {
        if (!WholeWord) return true;
        const size_t end = at + Pattern.size();
        return (at == 0 || !IsWordChar((unsigned char)Text[at - 1])) &&
               (end >= Text.size() || !IsWordChar((unsigned char)Text[end]));
    }

    // Where each letter case of the pattern's first byte next occurs, from ScannedFrom on
    // (None: nowhere). Kept between calls, so that a letter case that is rare, or absent, costs
    // one scan of the text for all the hits, not one per hit.
    static constexpr size_t None = size_t(-1);
    struct NextByte
    {
        unsigned char Byte = 0;
        size_t ScannedFrom = None;
        size_t At = None;
    };
    mutable NextByte NextFirst, NextOther;

    size_t NextOf(NextByte &next, size_t from) const
    {
        if (next.ScannedFrom != None && next.ScannedFrom <= from && (next.At == None || next.At >= from)) return next.At;
        const void *p = std::memchr(Text.data() + from, next.Byte, Text.size() - from);
        next.ScannedFrom = from;
        next.At = p ? size_t(static_cast<const char *>(p) - Text.data()) : None;
        return next.At;
    }

    // First hit starting at from or later that ends by to; -1 when none. The first byte is
    // looked for with memchr (in both letter cases), the rest compared in place: no copy of
    // the text, however big.
    long Forward(long from, long to) const
    {
        const size_t n = Pattern.size();
        if (from < 0 || to - from < long(n)) return -1;
        NextFirst.Byte = (unsigned char)Pattern[0];
        NextOther.Byte = MatchCase ? NextFirst.Byte : AnsiLowerChar(NextFirst.Byte);
        const bool twoCases = NextOther.Byte != NextFirst.Byte;
        const size_t last = size_t(to) - n;   // the last place a hit may start
        for (size_t at = size_t(from); at <= last; ++at) {
            at = std::min(NextOf(NextFirst, at), twoCases ? NextOf(NextOther, at) : None);
            if (at == None || at > last) return -1;
            if (Same(at) && WordBounded(at)) return long(at);
        }
        return -1;
    }

    // Last hit ending by to that starts at from or later; -1 when none.
    long Backward(long from, long to) const
    {
        const size_t n = Pattern.size();
        if (from < 0 || to - from < long(n)) return -1;
        for (long at = to - long(n); at >= from; --at)
            if (Same(size_t(at)) && WordBounded(size_t(at))) return at;
        return -1;
    }
};

} // namespace

int TSynMemo::SearchReplace(const AnsiString &search, const AnsiString &replace, TSynSearchOptions options,
                            int *hitsFound)
{
    if (hitsFound) *hitsFound = 0;
    if (search.empty()) return 0;
    NotifyGuard guard(this);
    // Hits are looked for in the document's own buffer; a copy is taken only before the first
    // question, since a prompted replacement changes the buffer while the search goes on in the
    // text as it was.
    const long docLength = Length();
    AnsiString copy;
    const bool matchCase = options & ssoMatchCase;
    Haystack hay{std::string_view(static_cast<const char *>(reinterpret_cast<void *>(SendScintilla(SCI_GETCHARACTERPOINTER))),
                                  size_t(docLength)),
                 matchCase ? search : AnsiUpperCase(search), matchCase, (options & ssoWholeWord) != 0, {}, {}};
    const auto keepText = [&] {
        if (!copy.empty() || docLength == 0) return;
        copy.assign(hay.Text);
        hay.Text = copy;
    };
    const bool backwards = options & ssoBackwards;
    const bool replacing = options & (ssoReplace | ssoReplaceAll);
    bool all = options & ssoReplaceAll;
    bool prompt = options & ssoPrompt;
    const AnsiString replacement = WithCrLf(replace);
    const long len = long(search.size());

    // Inside a selection the whole selection is searched, wherever the caret stands; else from
    // the selection on (from caret) or the whole text.
    long scopeStart = 0, scopeEnd = docLength;
    long from = backwards ? SelStart() : SelEnd();
    if ((options & ssoSelectedOnly) && SelAvail()) {
        scopeStart = SelStart();
        scopeEnd = SelEnd();
        from = backwards ? scopeEnd : scopeStart;
    } else if (options & ssoEntireScope)
        from = backwards ? scopeEnd : scopeStart;
    from = std::clamp(from, scopeStart, scopeEnd);

    // Hits are found in the text as it was; delta maps them to the document as it is now.
    int count = 0;
    long delta = 0;
    long lastEnd = -1;
    SendScintilla(SCI_BEGINUNDOACTION);
    while (true) {
        const long hit = backwards ? hay.Backward(scopeStart, from) : hay.Forward(from, scopeEnd);
        if (hit < 0) break;
        if (hitsFound) ++*hitsFound;
        const long at = hit + delta;
        if (!replacing) {
            if (backwards) SendScintilla(SCI_SETSEL, (unsigned long)(at + len), at);
            else SendScintilla(SCI_SETSEL, (unsigned long)at, at + len);
            count = 1;
            break;
        }
        if (!prompt) {
            // Every change costs the component time in proportion to its place in the text, so
            // the unasked replacements go in as one change; and without the component's own
            // notifications, which copy and convert the whole removed and inserted text.
            std::vector<long> hits{hit};
            while (all) {
                const long next = backwards ? hay.Backward(scopeStart, hits.back()) : hay.Forward(hits.back() + len, scopeEnd);
                if (next < 0) break;
                hits.push_back(next);
            }
            if (backwards) std::reverse(hits.begin(), hits.end());
            const long spanEnd = hits.back() + len;
            AnsiString block;
            block.reserve(size_t(spanEnd - hits.front()) + hits.size() * replacement.size());
            for (size_t i = 0; i < hits.size(); ++i) {
                if (i > 0) block.append(hay.Text.substr(size_t(hits[i - 1] + len), size_t(hits[i] - hits[i - 1] - len)));
                block += replacement;
            }
            const long first = hits.front() + delta;
            // After answered replacements the step holds more than the span: it goes in as
            // the component tells of it, so that undo and redo count the step once. So does it
            // for a screen reader, which learns of the change only through those notifications.
            if (count == 0 && !QAccessible::isActive()) ReplaceRangesAsIs({{first, spanEnd + delta, block}});
            else Replace(first, spanEnd + delta, block);
            count += int(hits.size());
            if (hitsFound) *hitsFound += int(hits.size()) - 1;
            lastEnd = backwards ? first + long(replacement.size()) : first + long(block.size());
            break;
        }
        keepText();
        TSynReplaceAction action = raReplace;
        // The hit is selected for the question without scrolling to it: a handler that asks
        // scrolls it into view, one that answers unasked (as for a hit equal to its
        // replacement) costs no scrolling, however many hits there are.
        SendScintilla(SCI_SETANCHOR, (unsigned long)at);
        SendScintilla(SCI_SETCURRENTPOS, (unsigned long)(at + len));
        const TBufferCoord p = CoordOf(at, 0);
        emit OnReplaceText(AnsiString(hay.Text.substr(size_t(hit), size_t(len))), replace, p.Line, p.Char, action);
        if (action == raCancel) break;
        if (action == raReplaceAll) {
            prompt = false;
            all = true;
            from = backwards ? hit + len : hit;   // this hit and the rest in one go
            if (hitsFound) --*hitsFound;          // it is met again there
            continue;
        }
        if (action == raReplace) {
            Replace(at, at + len, replacement);
            ++count;
            lastEnd = at + long(replacement.size());
            if (!backwards) delta += long(replacement.size()) - len;
        }
        from = backwards ? hit : hit + len;
        if (!all) break;
    }
    SendScintilla(SCI_ENDUNDOACTION);
    if (lastEnd >= 0) SendScintilla(SCI_GOTOPOS, (unsigned long)lastEnd);
    SendScintilla(SCI_SCROLLCARET);
    PendingStatus = true;
    return count;
}
