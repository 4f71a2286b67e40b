// The text pane: an 8-bit editor on QScintilla whose document always uses CR LF line breaks, so
// that every position counts a line break as two characters.
#pragma once

#include "platform/Colors.h"
#include "platform/Text.h"

#include <Qsci/qsciscintilla.h>
#include <array>
#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <functional>
#include <map>
#include <string_view>
#include <memory>
#include <vector>

class TSynCustomHighlighter;
class TSynMemo;
class TStringList;
class QMenu;

// 1-based character column and line.
struct TBufferCoord
{
    int Char = 1;
    int Line = 1;
    friend bool operator==(const TBufferCoord &, const TBufferCoord &) = default;
};

enum TSynSelectionMode { smNormal, smColumn, smLine };

// Editor option bits.
enum TSynEditorOption : unsigned {
    eoAutoIndent = 1u << 0,
    eoDragDropEditing = 1u << 1,
    eoEnhanceHomeKey = 1u << 2,      // Home goes to the first non-blank, then to column 1
    eoKeepCaretX = 1u << 3,          // vertical moves keep the caret column
    eoScrollPastEol = 1u << 4,       // the caret may stand beyond the end of a line
    eoShowScrollHint = 1u << 5,
    eoScrollHintFollows = 1u << 6,
    eoTabsToSpaces = 1u << 7,        // the Tab key inserts blanks up to the next tab stop
    eoTrimTrailingSpaces = 1u << 8,  // a line broken with Enter loses its trailing blanks
    eoAutoSizeMaxScrollWidth = 1u << 9,
    eoGroupUndo = 1u << 10,
};
using TSynEditorOptions = unsigned;

// Search option bits, as the search commands pass them.
enum TSynSearchOption : unsigned {
    ssoMatchCase = 1,
    ssoWholeWord = 2,
    ssoBackwards = 4,
    ssoEntireScope = 8,
    ssoSelectedOnly = 16,
    ssoReplace = 32,
    ssoReplaceAll = 64,
    ssoPrompt = 128,
};
using TSynSearchOptions = unsigned;

// The answer to a replace question; fixed underlying type so that windows can declare it ahead.
enum TSynReplaceAction : int { raCancel, raSkip, raReplace, raReplaceAll };

// The document as a list of lines. Every access reads or changes only the lines concerned.
// Each change of the document costs time in proportion to its place in the text (the
// component's accessibility support counts the characters before it), so a loop that changes
// many lines of a big text runs between BeginUpdate and EndUpdate: the lines are then kept in a
// list and go back into the pane as one change (one undo step). Meanwhile only Lines is used.
class TSynMemoLines
{
public:
    explicit TSynMemoLines(TSynMemo *owner) : Owner(owner) {}
    void BeginUpdate();
    void EndUpdate();

    int Count() const;
    AnsiString Strings(int i) const;              // raises EListError out of range
    AnsiString operator[](int i) const { return Strings(i); }
    void SetString(int i, const AnsiString &s);
    int Add(const AnsiString &s);
    void Insert(int i, const AnsiString &s);      // i = Count() appends
    void Delete(int i);
    void Clear();
    AnsiString Text() const;                      // every line followed by CR LF
    void SetText(const AnsiString &text);         // split at CR LF, LF or a lone CR

    // Name = text before the first "=", compared without letter case (first match wins).
    AnsiString Names(int i) const;
    AnsiString ValueFromIndex(int i) const;
    int IndexOfName(const AnsiString &name) const;
    AnsiString Values(const AnsiString &name) const;
    int IndexOf(const AnsiString &s) const;       // whole line, without letter case
    // Index of the first line that matches, -1 when none; the lines are looked at in place, in
    // order, without copies (a line is valid only during its call).
    int FindLine(const std::function<bool(std::string_view)> &matches) const;

    void AssignTo(TStringList &list) const;
    void Assign(const TStringList &list);         // one undo step
    void LoadFromFile(const AnsiString &path);

private:
    TSynMemo *Owner;
    int Depth = 0;
    std::unique_ptr<std::vector<AnsiString>> Buffer;   // the lines while updating
};

// A mark in the gutter. Line follows the edits once the mark is placed.
class TSynEditMark
{
public:
    int Line() const;
    void SetLine(int line);
    int ImageIndex() const { return Image; }
    void SetImageIndex(int index);
    bool Visible() const { return IsVisible; }
    void SetVisible(bool on);
    int Char = 1;
    bool InternalImage = false;
    int BookmarkNumber = -1;    // -1: not a numbered bookmark
    bool IsBookmark() const { return BookmarkNumber >= 0; }

private:
    friend class TSynEditMarkList;
    friend class TSynMemo;
    void Reattach();
    TSynMemo *Owner = nullptr;
    int Handle = -1;            // Scintilla marker handle while placed
    int StoredLine = 1;
    int Image = 0;
    bool IsVisible = true;
};

class TSynEditMarkList
{
public:
    explicit TSynEditMarkList(TSynMemo *owner) : Owner(owner) {}
    int Count() const { return int(Items.size()); }
    TSynEditMark &operator[](int i) { return *Items.at(size_t(i)); }
    const TSynEditMark &operator[](int i) const { return *Items.at(size_t(i)); }
    // Adds a copy of the mark (its Line, Char, picture and number) to the gutter.
    TSynEditMark &Place(const TSynEditMark &mark);
    void Delete(int i);
    void Remove(const TSynEditMark *mark);
    void ClearLine(int line);                    // removes every mark of the line
    void Clear();
    std::vector<int> MarksOnLine(int line) const; // indexes, in list order

private:
    friend class TSynMemo;
    TSynMemo *Owner;
    std::vector<std::unique_ptr<TSynEditMark>> Items;
};

// The gutter: a 16-pixel mark area, then the line numbers.
class TSynGutter
{
public:
    explicit TSynGutter(TSynMemo *owner) : Owner(owner) {}
    bool Visible() const { return IsVisible; }
    void SetVisible(bool on);
    int Width() const;                      // pixels, both areas
    void SetWidth(int width);
    bool ShowLineNumbers() const { return Numbers; }
    void SetShowLineNumbers(bool on);
    static constexpr int MarkAreaWidth = 16;

private:
    friend class TSynMemo;
    void Apply();
    TSynMemo *Owner;
    bool IsVisible = true;
    bool Numbers = false;
    int RequestedWidth = 30;
};

class TSynMemo : public QsciScintilla
{
    Q_OBJECT

public:
    explicit TSynMemo(QWidget *parent = nullptr);
    ~TSynMemo() override;

    TSynMemoLines Lines{this};
    TSynEditMarkList Marks{this};
    TSynGutter Gutter{this};

    // Whole text: every line followed by CR LF (empty for an empty memo).
    AnsiString Text() const;
    void SetText(const AnsiString &text);       // one undo step
    int GetTextLen() const;                     // length of Text() without building it
    // Reads the file, splitting at CR LF, LF or a lone CR; clears undo and Modified.
    // Raises EFOpenError when the file cannot be read.
    void LoadFromFile(const AnsiString &path);
    // Takes a text as a freshly loaded document (split as LoadFromFile splits a file): the caret
    // at the start, not modified, nothing to undo, and nothing of the previous text kept, not
    // even in the undo history. For big texts: one pass, no change notifications per line.
    void LoadText(std::string_view text);
    // The document's bytes as they stand (line breaks CR LF, no final one), without a copy.
    // Valid until the next change of the text.
    std::string_view TextView() const;
    // Text() without a copy: the document's bytes and the line break after them (for an empty
    // memo as Text() has it). Valid until the next change of the text.
    std::array<std::string_view, 2> TextPieces() const;

    // One replacement of ReplaceRanges: the bytes from Start up to End (0-based positions in the
    // document, CR LF counted as two) become Bytes (line breaks made CR LF).
    struct TReplacement
    {
        long Start = 0;
        long End = 0;
        std::string_view Bytes;
    };
    // Many replacements as one edit (one undo step), at the cost of the bytes they touch: ranges
    // in ascending order, not overlapping, positions in the document as it stands before the first
    // of them. The pane's notifications tell of one change from the first start to the last end.
    void ReplaceRanges(const std::vector<TReplacement> &ranges);

    // Selection by 0-based positions of the document text.
    int SelStart() const;
    int SelEnd() const;
    int SelLength() const { return SelEnd() - SelStart(); }
    void SetSelStart(int pos);                  // collapses the selection at pos
    void SetSelEnd(int pos);                    // from SelStart to pos, caret at pos
    void SetSelLength(int length);
    AnsiString SelText() const;                 // a rectangle's rows joined by CR LF
    void SetSelText(const AnsiString &text);
    bool SelAvail() const { return SelStart() != SelEnd(); }
    void SelectAll();

    // Caret, 1-based. A column beyond the line end stands in virtual space (eoScrollPastEol).
    int CaretX() const;
    int CaretY() const;
    TBufferCoord CaretXY() const { return {CaretX(), CaretY()}; }
    void SetCaretX(int x) { SetCaretXY({x, CaretY()}); }
    void SetCaretY(int y) { SetCaretXY({CaretX(), y}); }
    void SetCaretXY(TBufferCoord p);            // collapses the selection at the caret

    int TopLine() const;
    void SetTopLine(int line);
    int LinesInWindow() const;

    // The selected block in text order; in column mode its two corners.
    TBufferCoord BlockBegin() const;
    TBufferCoord BlockEnd() const;
    void SetBlockBegin(TBufferCoord p);         // collapses the selection at p
    void SetBlockEnd(TBufferCoord p);           // from BlockBegin to p, caret at p

    TSynSelectionMode SelectionMode() const { return Mode; }
    void SetSelectionMode(TSynSelectionMode mode);

    bool InsertMode() const;
    void SetInsertMode(bool insert);
    int TabWidth() const { return Tabs; }
    void SetTabWidth(int width);
    bool WantTabs() const { return TabKeyWanted; }
    void SetWantTabs(bool on) { TabKeyWanted = on; }
    TSynEditorOptions Options() const { return EditorOptions; }
    void SetOptions(TSynEditorOptions options);
    bool ReadOnly() const { return isReadOnly(); }
    void SetReadOnly(bool on) { setReadOnly(on); }

    int RightEdge() const { return EdgeColumn; }
    void SetRightEdge(int column);              // 0 hides the edge line
    TColor RightEdgeColor() const { return EdgeColour; }
    void SetRightEdgeColor(TColor c);
    TColor Color() const { return Background; }
    void SetColor(TColor c);
    TColor SelectedBackground() const { return SelBack; }
    TColor SelectedForeground() const { return SelFore; }
    void SetSelectedColor(TColor background, TColor foreground);

    // Every style uses this font; a name without a fixed-pitch face falls back to the system's
    // fixed font, since column selection is measured in pixels.
    QFont Font() const { return PaneFont; }
    void SetFont(const QFont &font);
    AnsiString FontName() const { return FromQ(PaneFont.family()); }
    void SetFontName(const AnsiString &name);
    int FontSize() const { return PaneFont.pointSize(); }
    void SetFontSize(int size);

    bool Modified() const { return IsModified; }
    void SetModified(bool on);
    bool CanUndo() const;
    bool CanRedo() const;
    void Undo();
    void Redo();
    int UndoCount() const { return UndoSteps; }
    int RedoCount() const { return RedoSteps; }
    void ClearUndo();
    void BeginUndoBlock();
    void EndUndoBlock();
    // Unbinds the pane's own undo and redo keys, for a pane whose window runs its Undo and Redo
    // commands on those keys: the key and the menu then take the same path.
    void DropOwnUndoKeys();

    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();                  // one undo step

    // Top-left pixel of the character cell (column, line), in this widget's coordinates.
    QPoint RowColumnToPixels(TBufferCoord p) const;
    TBufferCoord PixelsToRowColumn(QPoint p) const;
    int LineHeight() const;

    // Bookmarks: numbered marks, one per number.
    void SetBookmark(int number, int line, int column);
    void ClearBookmark(int number);
    bool GetBookmark(int number, int &line, int &column) const;
    void GotoBookmark(int number);
    // Picture of a mark's image index in the gutter (default: a bookmark symbol).
    void SetMarkImage(int imageIndex, const QPixmap &picture);

    // Search, and replace with the option bits; returns the number of hits (find: 1 or 0) or of
    // replacements. ssoPrompt asks OnReplaceText for every hit until it answers raReplaceAll;
    // the hit is then selected but not yet scrolled into view.
    // hitsFound, when given, receives the number of hits met, replaced or not. The replacements
    // are one undo step; hits are looked for in the text as it was, so a replacement is never
    // searched again. An empty search text finds nothing.
    int SearchReplace(const AnsiString &search, const AnsiString &replace, TSynSearchOptions options,
                      int *hitsFound = nullptr);

    // The pop-up menu shown on a right click instead of the component's own.
    void SetPopupMenu(QMenu *menu);

    void SetHighlighter(TSynCustomHighlighter *highlighter);
    TSynCustomHighlighter *Highlighter() const { return SynHighlighter; }

signals:
    void OnDestroying();                        // at the start of the pane's destruction
    // The whole text was replaced as a fresh document (LoadText) without a notice per change:
    // whatever is kept about the text's lines is to be made again.
    void OnTextLoaded();
    void OnChange();                            // after every change of the text
    void OnStatusChange();                      // caret, selection, insert mode
    // Before the pane handles the key; setting key to 0 swallows it.
    void OnKeyDown(int &key, Qt::KeyboardModifiers shift);
    void OnKeyUp(int &key, Qt::KeyboardModifiers shift);
    void OnKeyPress(char &key);                 // a typed character; 0 swallows it
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void OnClick();
    void OnDblClick();
    void OnEnter();
    void OnExit();
    // A click in the gutter on the 1-based line; x and y in this widget's coordinates.
    void OnGutterClick(Qt::MouseButton button, int x, int y, int line);
    void OnReplaceText(const AnsiString &found, const AnsiString &replace, int line, int column,
                       TSynReplaceAction &action);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void dropEvent(QDropEvent *e) override;
    bool focusNextPrevChild(bool next) override;

private:
    friend class TSynMemoLines;
    friend class TSynEditMark;
    friend class TSynEditMarkList;
    friend class TSynGutter;
    // Notifications wait until the operation that caused them is complete: a handler that
    // edits the text inside Scintilla's own notification would be refused silently.
    class NotifyGuard
    {
    public:
        explicit NotifyGuard(TSynMemo *m) : Memo(m) { ++Memo->GuardDepth; }
        ~NotifyGuard();
    private:
        TSynMemo *Memo;
    };

    // Read-only keeps the user from editing; the program's own changes still go through.
    class WritableAnyway
    {
    public:
        explicit WritableAnyway(TSynMemo *m) : Memo(m), WasReadOnly(m->isReadOnly())
        {
            if (WasReadOnly) Memo->SendScintilla(SCI_SETREADONLY, 0UL);
        }
        ~WritableAnyway()
        {
            if (WasReadOnly) Memo->SendScintilla(SCI_SETREADONLY, 1UL);
        }
    private:
        TSynMemo *Memo;
        bool WasReadOnly;
    };

    // Document access by byte positions.
    long Length() const;
    long LineCountRaw() const;
    long LineStart(long line) const;
    long LineEnd(long line) const;
    AnsiString Range(long start, long end) const;
    void Replace(long start, long end, const AnsiString &bytes);
    void SetDocument(const AnsiString &normalized, bool oneEmptyLine, bool newText = true);
    void ReplaceAllBy(const AnsiString &normalized);
    long PositionOf(TBufferCoord p, long *virtualSpace, bool rectangle = false) const;
    void Select(TBufferCoord anchor, TBufferCoord caret);
    TBufferCoord CoordOf(long pos, long virtualSpace) const;
    TBufferCoord AnchorCoord() const;
    void KeepOneEmptyLine(bool on) { OneEmptyLine = on; }

    // What ReplaceRanges changed, by the token that marks its undo step at both ends: the span
    // from Start up to OldEnd (OldLines line breaks) became the span up to NewEnd (NewLines).
    struct TReplacedSpan
    {
        long Start = 0, OldEnd = 0, NewEnd = 0;
        long OldLines = 0, NewLines = 0;
    };
    void ReplaceRangesAsIs(const std::vector<TReplacement> &ranges);
    void NotifySpanReplaced(long start, long removedEnd, long removedLines, long insertedEnd, long insertedLines,
                            int performed);
    void ReplaySpan(int position, int type, int token);
    std::map<int, TReplacedSpan> ReplacedSpans;
    int ReplayingSpan = 0;        // the token of the step being undone or redone
    long ReplayEventMask = 0;     // the component's event mask to restore after it
    bool WatchingReplays = false;

    void HandleModified(int position, int type, const char *text, int length, int linesAdded,
                        int line, int foldNow, int foldPrev, int token, int annotationLines);
    void FlushNotifications();
    void ScheduleFlush();
    void EnforceSelectionMode();
    bool HandleColumnKey(QKeyEvent *e);
    bool HandleHomeKey(QKeyEvent *e);
    bool RefusesKey(QKeyEvent *e);
    void ProcessKey(QKeyEvent *e);
    void InsertTab();
    void TrimLineEnd(long line);
    void ApplyFont();
    void ApplyColors();
    void ApplyEditorOptions();
    void ConfigureKeys();
    int MarkerFor(const TSynEditMark &mark);
    void AttachMarker(TSynEditMark &mark);
    void DetachMarker(TSynEditMark &mark);
    int MarginsWidth() const;
    QPoint WidgetPoint(const QMouseEvent *e) const;

    TSynSelectionMode Mode = smNormal;
    bool TabKeyWanted = true;
    int Tabs = 8;
    TSynEditorOptions EditorOptions = 0;
    int EdgeColumn = 80;
    TColor EdgeColour = clSilver;
    TColor Background = clWindow;
    TColor SelBack = clHighlight;
    TColor SelFore = clHighlightText;
    QFont PaneFont;
    bool IsModified = false;
    bool OneEmptyLine = false;   // an empty document holding one empty line ("\r\n")
    bool CountUndo = true;
    int UndoSteps = 0;
    int RedoSteps = 0;
    int GuardDepth = 0;
    bool PendingChange = false;
    bool PendingStatus = false;
    bool FlushScheduled = false;
    bool MouseInGutter = false;
    TSynCustomHighlighter *SynHighlighter = nullptr;
    std::map<int, int> MarkerOfImage;        // image index -> Scintilla marker number
    std::map<int, QPixmap> ImageOfMark;
    QPointer<QMenu> Popup;
};
