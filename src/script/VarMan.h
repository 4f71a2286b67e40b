// The Analyzer: the items that the open scripts declare in their usage tags, one page per kind,
// with the items each document shares with the others.
#pragma once

#include "platform/Text.h"
#include "script/ScriptAnalysis.h"

#include <QDialog>
#include <QElapsedTimer>

class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TMainForm;
class TStatusBar;
class TToolBar;
class TToolButton;

class TVarManForm : public QDialog
{
    Q_OBJECT
public:
    // Analyses the main window's open documents at once.
    explicit TVarManForm(QWidget *owner = nullptr);

    QTabWidget *PageControl1 = nullptr;
    // TabSheet1 .. TabSheet6 and ListView1 .. ListView6, one per kind in the kinds' order.
    QWidget *TabSheets[AnalyzerKindCount] = {};
    QTreeWidget *ListViews[AnalyzerKindCount] = {};
    TStatusBar *StatusBar1 = nullptr;
    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton1 = nullptr;    // Ok
    TToolButton *ToolButton2 = nullptr;    // Copy
    TToolButton *ToolButton15 = nullptr;   // Help

    // Column indexes of a list.
    enum { colId, colDocument, colItems, colIntersection };

    void FormCreate();
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton15Click();
    bool FormKeyDown(int key);
    void ListView1SelectItem(QTreeWidget *list, QTreeWidgetItem *item);
    void ListView1ColumnClick(QTreeWidget *list, int column);
    // TabSheet1Enter .. TabSheet6Enter.
    void TabSheetEnter(int page);
    void TabSheet6ContextPopup();

    // The text the Copy button puts on the clipboard.
    AnsiString CopyText() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QTreeWidget *CreateList(int kind);
    void Analyze(TMainForm *mainForm);
    void AnalyzeDocument(TMainForm *mainForm, class TForm_Editor *window);
    void FindKindIntersections(TMainForm *mainForm, int kind);
    void ShowStatus(TMainForm *mainForm, const AnsiString &text);

    QElapsedTimer SinceStatusRepaint;
};
