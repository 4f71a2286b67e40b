// The indexation settings dialog: edits the lists that KATtify numbers texts by, stores them in
// the registry and loads them back.
#pragma once

#include "platform/Text.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QStackedWidget;
class QTabBar;
class QToolButton;
class TStringGrid;
class TToolBar;
class TToolButton;

class TKATGenSetsForm : public QDialog
{
    Q_OBJECT
public:
    explicit TKATGenSetsForm(QWidget *owner = nullptr);

    QTabBar *TabControl1 = nullptr;
    QStackedWidget *Pages = nullptr;
    TStringGrid *StringGrid1 = nullptr;   // the six string types: Enabled, Prefix, Postfix
    TStringGrid *StringGrid2 = nullptr;   // Script number, Postfix increment, Unknown types as
    QListWidget *CheckListBox1 = nullptr; // the four options
    QLabel *SchemeLabel = nullptr;
    QComboBox *ComboBox1 = nullptr;       // "TRUE" / "FALSE"
    QComboBox *ComboBox2 = nullptr;       // "M" / "Q" / "S" / "-"
    QWidget *UpDownPanel = nullptr;       // Edit1 with its up-down buttons
    QLineEdit *Edit1 = nullptr;
    QToolButton *UpButton = nullptr, *DownButton = nullptr;
    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton1 = nullptr, *ToolButton2 = nullptr, *ToolButton3 = nullptr, *ToolButton4 = nullptr,
                *ToolButton5 = nullptr;

    // The up-down's position and range.
    int UpDownPosition() const { return Position; }
    void SetUpDownRange(int min, int max);
    void SetUpDownPosition(int position);

    void FormCreate();
    void FormResize();
    void TabControl1Change();
    void StringGrid1SelectCell(int col, int row);
    void StringGrid2SelectCell(int col, int row);
    void ComboBox1Change();
    void ComboBox2Change();
    void Edit1Change();
    void ToolButton1Click();   // Apply
    void ToolButton2Click();   // Close
    void ToolButton3Click();   // Save settings
    void ToolButton4Click();   // Load settings
    void ToolButton5Click();   // Help
    void CheckListBox1Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void CreateComponents();
    void HideEditors();
    void PlaceEditor(QWidget *editor, TStringGrid *grid, int col, int row);
    void PlaceUpDown(TStringGrid *grid, int col, int row, int min, int max);
    TStringGrid *CurrentGrid() const;

    int Position = 0, Min = 0, Max = 9;
    bool Placing = false;   // editors are being filled from a cell
};
