// The window of one open document: a text pane for scripts and texts, a table pane for the three
// table kinds, each with its own status bar.
#pragma once

#include "platform/TStringList.h"
#include "platform/Text.h"

#include <QMdiSubWindow>

class QLabel;
class QMenu;
class QAction;
class QActionGroup;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QSplitter;
class QToolButton;
class QWidget;
class TStatusBar;
class TStringGrid;
class TSynMemo;
class TToolBar;
class TToolButton;

class TForm_Editor : public QMdiSubWindow
{
    Q_OBJECT
public:
    // Lays itself out by the main window's OpeningKind.
    explicit TForm_Editor(QWidget *owner = nullptr);
    ~TForm_Editor() override;

    int Tag = 0;                 // window number = index of its tab
    AnsiString DocumentKind;     // "KAS_Document" ... ; empty until the opener sets it

    AnsiString Caption() const;  // the document's full path (or a new document's made-up name)
    void SetCaption(const AnsiString &caption);

    // ---- Components used by other parts of the program ----
    TSynMemo *Memo1 = nullptr;          // text pane
    QWidget *StringGridPanel = nullptr; // table pane: StringGrid1, Splitter1, Memo2
    TStringGrid *StringGrid1 = nullptr;
    QSplitter *Splitter1 = nullptr;
    TSynMemo *Memo2 = nullptr;          // cell editor under the grid
    TStatusBar *StatusBar1 = nullptr;   // text pane's status bar (12 panels)
    TStatusBar *StatusBar2 = nullptr;   // table pane's status bar (11 panels)
    TToolBar *ToolBar1 = nullptr;       // table tools
    TToolBar *ToolBar2 = nullptr;       // tag bar
    QComboBox *ComboBox1 = nullptr;     // tag bar: outline
    QComboBox *ComboBox2 = nullptr;     // tag bar: declarations
    QLabel *ModifiedMarker = nullptr;   // shown exactly while the document has unsaved changes
    QToolButton *HighlighterButton = nullptr, *SelectionModeButton = nullptr, *EditModeButton = nullptr,
                *TabWidthButton = nullptr, *GridPropertiesButton = nullptr;
    // Table tool buttons the opener shows and hides by kind.
    TToolButton *ToolButton5 = nullptr, *ToolButton6 = nullptr, *ToolButton7 = nullptr,
                *ToolButton10 = nullptr, *ToolButton17 = nullptr, *ToolButton18 = nullptr,
                *ToolButton19 = nullptr;
    QLineEdit *Edit1 = nullptr;         // width of the current column
    QMenu *PopupMenu1 = nullptr;        // bookmarks
    QMenu *PopupMenu3 = nullptr;        // grid options
    QAction *Addingofnewline1 = nullptr;
    QMenu *PopupMenu5 = nullptr, *PopupMenu6 = nullptr, *PopupMenu7 = nullptr;
    TStringList *OutlineLines = nullptr;
    TStringList *DeclarationLines = nullptr;

    // The modified state is the marker's visibility (independent of whether the window is shown).
    bool IsModified() const;
    void SetModified(bool modified);
};

// "0" put before the text while it is shorter than the width.
AnsiString PadLeftWithZeros(const AnsiString &text, int width);
