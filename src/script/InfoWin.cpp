#include "script/InfoWin.h"

#include "platform/Shell.h"
#include "platform/TStringGrid.h"
#include "platform/ToolBar.h"
#include "script/DocumentInfo.h"
#include "script/InfoWindowParts.h"
#include "shell/DocumentCommands.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int ValueRowHeight = 21;
constexpr int MemoRowHeight = 64;
constexpr int CaptionWidth = 170;

// The single tags of rows 2 to 8 and the list tags of rows 9 to 14.
constexpr InfoTag RowTags[] = {ScriptNameInfo, AuthorInfo,     VersionInfo,    DateInfo,  KASVersionInfo,
                               LanguageInfo,   PoweredByInfo,  VariablesInfo,  FunctionsInfo, MacroNamesInfo,
                               TimersInfo,     FlagsInfo,      AdditionalFilesInfo};

} // namespace

TInfoScriptForm::TInfoScriptForm(QWidget *owner) : QDialog(owner)
{
    setObjectName("InfoScriptForm");
    setWindowTitle("About document");

    QVBoxLayout *rows = CreateRowScrollBox(this, ScrollBox1);
    CreateRow(rowFileName, " File name:", false, rows);
    for (int row = rowScriptName; row <= rowAdditionalFiles; ++row)
        CreateRow(row, RowTags[row - rowScriptName].Caption, RowTags[row - rowScriptName].IsList, rows);
    CreateRow(rowSymbols, " Symbols:", false, rows);
    CreateRow(rowLines, " Lines:", false, rows);
    CreateRow(rowDocumentType, " Document type:", false, rows);
    CreateRow(rowColumns, " Columns:", false, rows);
    rows->addStretch(1);

    ToolBar1 = new TToolBar(this);
    ToolBar1->SetShowCaptions(true);
    ToolButton1 = ToolBar1->AddButton("Ok", "Close window (Esc)", [this] { ToolButton1Click(); });
    ToolButton2 = ToolBar1->AddButton("Copy", "Copy information to clipboard", [this] { ToolButton2Click(); });
    ToolButton3 = ToolBar1->AddButton("Help", "Get help about this window (F1)", [this] { ToolButton3Click(); });

    StackOverToolBar(this, ScrollBox1, ToolBar1);
    FormCreate();
}

void TInfoScriptForm::CreateRow(int row, const char *caption, bool memo, QVBoxLayout *layout)
{
    TInfoRow &r = Rows[row];
    r.Panel = new QFrame;
    r.Panel->setFrameShape(QFrame::StyledPanel);
    r.Panel->setFixedHeight(memo ? MemoRowHeight : ValueRowHeight);
    auto *line = new QHBoxLayout(r.Panel);
    line->setContentsMargins(0, 0, 2, 0);
    line->setSpacing(4);
    r.Caption = new QLabel(ToQ(caption), r.Panel);
    r.Caption->setFixedWidth(CaptionWidth);
    QFont bold = r.Caption->font();
    bold.setBold(true);
    r.Caption->setFont(bold);
    line->addWidget(r.Caption, 0, memo ? Qt::AlignTop : Qt::AlignVCenter);
    if (memo) {
        r.Memo = new QPlainTextEdit(r.Panel);
        r.Memo->setReadOnly(true);
        r.Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        line->addWidget(r.Memo, 1);
    } else {
        r.Value = new TElidedLabel(r.Panel);
        r.Value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        line->addWidget(r.Value, 1);
    }
    layout->addWidget(r.Panel);
}

void TInfoScriptForm::FormCreate() { resize(400, height()); }

AnsiString TInfoScriptForm::RowCaption(int row) const { return FromQ(Rows[row].Caption->text()); }

AnsiString TInfoScriptForm::RowValue(int row) const
{
    const TInfoRow &r = Rows[row];
    return FromQ(r.Memo ? r.Memo->toPlainText() : r.Value->WholeText());
}

void TInfoScriptForm::SetRowValue(int row, const AnsiString &value)
{
    TInfoRow &r = Rows[row];
    if (r.Memo) r.Memo->setPlainText(ToQ(value));
    else r.Value->SetWholeText(ToQ(value));
}

bool TInfoScriptForm::RowShown(int row) const { return !Rows[row].Panel->isHidden(); }

void TInfoScriptForm::ShowRow(int row, bool on) { Rows[row].Panel->setVisible(on); }

void TInfoScriptForm::ShowDocument(TForm_Editor *window)
{
    SetRowValue(rowFileName, window->Caption());
    SetRowValue(rowDocumentType, window->DocumentKind.empty() ? AnsiString("?") : window->DocumentKind);
    const bool textPane = !window->Memo1->isHidden();
    if (textPane) {
        TStringList lines;
        window->Memo1->Lines.AssignTo(lines);
        for (int row = rowScriptName; row <= rowAdditionalFiles; ++row) {
            const InfoTag &tag = RowTags[row - rowScriptName];
            const AnsiString value = lines.Values(tag.Tag);
            SetRowValue(row, value.empty() && !tag.IsList ? AnsiString("?") : value);
        }
        SetRowValue(rowSymbols, IntToStr(window->Memo1->GetTextLen()));
        SetRowValue(rowLines, IntToStr(lines.Count()));
    } else {
        SetRowValue(rowLines, IntToStr(window->StringGrid1->RowCount()));
        SetRowValue(rowColumns, IntToStr(window->StringGrid1->ColCount()));
    }
    for (int row = 0; row < RowCount; ++row) {
        const bool everyPane = row == rowFileName || row == rowLines || row == rowDocumentType;
        const bool shown = everyPane || (row == rowColumns ? !textPane : textPane);
        ShowRow(row, shown);
        if (!Rows[row].Memo) SetRowValue(row, RowValue(row) + " ");
    }
    FitHeightToRows();
}

void TInfoScriptForm::FitHeightToRows()
{
    int height = ToolBar1->sizeHint().height();
    for (const TInfoRow &r : Rows)
        if (!r.Panel->isHidden()) height += r.Panel->maximumHeight();
    resize(width(), std::min(height, AvailableScreenHeight()));
}

AnsiString TInfoScriptForm::CopyText() const
{
    static constexpr int Order[] = {rowScriptName, rowVersion,    rowDate,         rowAuthor,  rowKASVersion,
                                    rowLanguage,   rowPoweredBy,  rowVariables,    rowFunctions, rowMacroNames,
                                    rowDocumentType, rowSymbols,  rowLines,        rowColumns, rowTimers,
                                    rowFlags,      rowAdditionalFiles};
    AnsiString text = RowCaption(rowFileName) + " " + RowValue(rowFileName);
    for (const int row : Order)
        if (RowShown(row)) text += "\r\n" + RowCaption(row) + " " + RowValue(row);
    return text;
}

void TInfoScriptForm::ToolButton1Click() { close(); }

void TInfoScriptForm::ToolButton2Click() { QGuiApplication::clipboard()->setText(ToQ(CopyText())); }

void TInfoScriptForm::ToolButton3Click()
{
    ShowContextHelp(110);
}

bool TInfoScriptForm::FormKeyDown(int key)
{
    if (key == Qt::Key_Escape) {
        close();
        return true;
    }
    if (key == Qt::Key_F1) {
        ToolButton3Click();
        return true;
    }
    return false;
}

void TInfoScriptForm::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier && FormKeyDown(event->key())) return;
    QDialog::keyPressEvent(event);
}
