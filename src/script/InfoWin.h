// "About document": a read-only summary of the active document, its header tags and its size.
#pragma once

#include "platform/Text.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QScrollArea;
class QVBoxLayout;
class TElidedLabel;
class TForm_Editor;
class TToolBar;
class TToolButton;

class TInfoScriptForm : public QDialog
{
    Q_OBJECT
public:
    explicit TInfoScriptForm(QWidget *owner = nullptr);

    // The rows from top to bottom.
    enum TRow {
        rowFileName, rowScriptName, rowAuthor, rowVersion, rowDate, rowKASVersion, rowLanguage, rowPoweredBy,
        rowVariables, rowFunctions, rowMacroNames, rowTimers, rowFlags, rowAdditionalFiles,
        rowSymbols, rowLines, rowDocumentType, rowColumns, RowCount
    };
    // A panel with a caption and either a one-line value or a read-only memo (lists).
    struct TInfoRow
    {
        QFrame *Panel = nullptr;
        QLabel *Caption = nullptr;
        TElidedLabel *Value = nullptr;   // shown whole or elided, the whole text as its hint
        QPlainTextEdit *Memo = nullptr;
    };
    TInfoRow Rows[RowCount];

    QScrollArea *ScrollBox1 = nullptr;
    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton1 = nullptr;   // Ok
    TToolButton *ToolButton2 = nullptr;   // Copy
    TToolButton *ToolButton3 = nullptr;   // Help

    AnsiString RowCaption(int row) const;
    AnsiString RowValue(int row) const;
    bool RowShown(int row) const;

    // Fills the rows from the document window and fits the height to the rows shown.
    void ShowDocument(TForm_Editor *window);
    // The text the Copy button puts on the clipboard.
    AnsiString CopyText() const;

    void FormCreate();
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();
    // True when the key was handled.
    bool FormKeyDown(int key);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void CreateRow(int row, const char *caption, bool memo, QVBoxLayout *layout);
    void SetRowValue(int row, const AnsiString &value);
    void ShowRow(int row, bool on);
    void FitHeightToRows();
};
