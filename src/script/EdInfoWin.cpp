#include "script/EdInfoWin.h"

#include "common/Utils.h"
#include "platform/FieldText.h"
#include "platform/Shell.h"
#include "platform/StatusBar.h"
#include "platform/ToolBar.h"
#include "script/DocumentInfo.h"
#include "script/InfoWindowParts.h"
#include "shell/DocumentCommands.h"
#include "shell/DocumentFiles.h"
#include "shell/HeaderTags.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int CaptionHeight = 16;
constexpr int FieldPanelHeight = 21;
constexpr int FieldLeft = 2;

AnsiString ListHint(bool ranges)
{
    return AnsiString("Items separated by \";\"") + (ranges ? "; ranges first-last are allowed (v1-5)" : "") +
           ". Compare them over all open scripts with the Analyzer (Ctrl+Alt+V)";
}

} // namespace

TVersionForm::TVersionForm(QWidget *owner) : QDialog(owner)
{
    setObjectName("VersionForm");
    setWindowTitle("Edit document information");

    QVBoxLayout *fields = CreateRowScrollBox(this, ScrollBox1);
    EditName = CreateField("EditName", ScriptNameInfo.Caption, "", fields);
    EditAuthor = CreateField("EditAuthor", AuthorInfo.Caption, "", fields);
    EditVersion = CreateField("EditVersion", VersionInfo.Caption, "", fields);
    EditDate = CreateField("EditDate", DateInfo.Caption, "", fields);
    EditKASVer = CreateField("EditKASVer", KASVersionInfo.Caption, "", fields);
    EditLang = CreateField("EditLang", LanguageInfo.Caption, "", fields);
    EditUsVar = CreateField("EditUsVar", VariablesInfo.Caption, ListHint(true), fields);
    EditUsFunc = CreateField("EditUsFunc", FunctionsInfo.Caption, ListHint(true), fields);
    EditUsMacro = CreateField("EditUsMacro", MacroNamesInfo.Caption, ListHint(false), fields);
    EditUsTimer = CreateField("EditUsTimer", TimersInfo.Caption, ListHint(true), fields);
    EditUsFlags = CreateField("EditUsFlags", FlagsInfo.Caption, ListHint(true), fields);
    EditAddFiles = CreateField("EditAddFiles", AdditionalFilesInfo.Caption, ListHint(false), fields);
    fields->addStretch(1);

    ToolBar1 = new TToolBar(this);
    ToolBar1->SetShowCaptions(true);
    ToolButton1 = ToolBar1->AddButton("Save && Close", "Save changes and close window (Enter)",
                                      [this] { ToolButton1Click(); });
    ToolButton2 = ToolBar1->AddButton("Close", "Close window without changes (Esc)", [this] { ToolButton2Click(); });
    ToolButton3 = ToolBar1->AddButton("Help", "Get help about this dialogue", [this] { ToolButton3Click(); });

    StackOverToolBar(this, ScrollBox1, ToolBar1);
    FormCreate();
    EditName->setFocus();   // typing starts in the first field
}

QLineEdit *TVersionForm::CreateField(const char *name, const char *caption, const AnsiString &hint,
                                     QVBoxLayout *layout)
{
    auto *label = new QLabel(ToQ(caption));
    label->setFixedHeight(CaptionHeight);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    layout->addWidget(label);
    auto *panel = new QWidget;
    panel->setFixedHeight(FieldPanelHeight);
    // The field keeps its left edge and follows the scroll box's width with the same margin right.
    auto *line = new QHBoxLayout(panel);
    line->setContentsMargins(FieldLeft, 0, FieldLeft, 0);
    auto *field = new QLineEdit(panel);
    field->setObjectName(name);
    // Names the field in a message about its text.
    QString accessibleName = label->text().trimmed();
    if (accessibleName.endsWith(':')) accessibleName.chop(1);
    field->setAccessibleName(accessibleName);
    if (!hint.empty()) field->setToolTip(ToQ(hint));
    line->addWidget(field);
    layout->addWidget(panel);
    return field;
}

void TVersionForm::FormCreate()
{
    const int rows = 12 * (CaptionHeight + FieldPanelHeight);
    setFixedSize(380, std::min(rows + ToolBar1->sizeHint().height() + 2, AvailableScreenHeight()));
}

void TVersionForm::ShowDocument(TForm_Editor *window)
{
    TStringList lines;
    window->Memo1->Lines.AssignTo(lines);
    const auto tagOr = [&lines](const InfoTag &tag, const AnsiString &proposal) {
        const AnsiString value = lines.Values(tag.Tag);
        return value.empty() ? proposal : value;
    };
    // The proposal comes from the file name, which is file-system text.
    const AnsiString scriptName = lines.Values(ScriptNameInfo.Tag);
    EditName->setText(scriptName.empty() ? ToQPath(ProposedScriptName(window->Caption())) : ToQ(scriptName));
    EditVersion->setText(ToQ(tagOr(VersionInfo, ProposedScriptVersion)));
    EditDate->setText(ToQ(TodayText()));
    EditAuthor->setText(ToQ(tagOr(AuthorInfo, ProposedAuthor())));
    EditKASVer->setText(ToQ(tagOr(KASVersionInfo, ProposedKASVersion)));
    EditLang->setText(ToQ(tagOr(LanguageInfo, ProposedLanguage())));
    EditUsVar->setText(ToQ(lines.Values(VariablesInfo.Tag)));
    EditUsFunc->setText(ToQ(lines.Values(FunctionsInfo.Tag)));
    EditUsMacro->setText(ToQ(lines.Values(MacroNamesInfo.Tag)));
    EditUsTimer->setText(ToQ(lines.Values(TimersInfo.Tag)));
    EditUsFlags->setText(ToQ(lines.Values(FlagsInfo.Tag)));
    EditAddFiles->setText(ToQ(lines.Values(AdditionalFilesInfo.Tag)));
}

// A rewritten tag is taken out and inserted anew below the "JOTE" line.
void TVersionForm::WriteField(TForm_Editor *window, QLineEdit *field, const char *tag, bool isList)
{
    if (field->text().isEmpty()) return;
    TSynMemo *pane = window->Memo1;
    const int line = pane->Lines.IndexOfName(tag);
    if (line >= 0) pane->Lines.Delete(line);
    if (isList) field->setText(ToQ(NormalizeTagList(FromQ(field->text()))));
    MainForm->SetScriptHeaderTag(tag, FromQ(field->text()), pane);
}

void TVersionForm::ToolButton1Click()
{
    // Nothing is written unless every field can go into the script.
    for (QLineEdit *field : findChildren<QLineEdit *>())
        if (!DocumentTextOf(field, FromQ(field->accessibleName()))) return;
    TForm_Editor *window = MainForm ? MainForm->ActiveEditor() : nullptr;
    if (window) {
        WriteField(window, EditUsMacro, MacroNamesInfo.Tag, true);
        WriteField(window, EditUsFunc, FunctionsInfo.Tag, true);
        WriteField(window, EditUsTimer, TimersInfo.Tag, true);
        WriteField(window, EditUsFlags, FlagsInfo.Tag, true);
        WriteField(window, EditAddFiles, AdditionalFilesInfo.Tag, true);
        WriteField(window, EditUsVar, VariablesInfo.Tag, true);
        WriteField(window, EditLang, LanguageInfo.Tag, false);
        WriteField(window, EditKASVer, KASVersionInfo.Tag, false);
        WriteField(window, EditDate, DateInfo.Tag, false);
        WriteField(window, EditVersion, VersionInfo.Tag, false);
        WriteField(window, EditAuthor, AuthorInfo.Tag, false);
        WriteField(window, EditName, ScriptNameInfo.Tag, false);
        if (window->DocumentKind == KAS_Document)
            window->StatusBar1->Panels[11].SetText("Script date: " + window->Memo1->Lines.Values(ScriptDateTag));
        const WarningSetting warning = ReadWarningSetting();
        if (warning.Write) MainForm->SetScriptHeaderTag(Warning1Tag, warning.Text, window->Memo1);
    }
    accept();
}

void TVersionForm::ToolButton2Click() { reject(); }

void TVersionForm::ToolButton3Click()
{
    ShowContextHelp(118);
}

bool TVersionForm::FormKeyDown(int key)
{
    return RunDialogKey(
        key, [this] { ToolButton1Click(); }, [this] { ToolButton2Click(); }, [this] { ToolButton3Click(); });
}

void TVersionForm::keyPressEvent(QKeyEvent *event)
{
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && FormKeyDown(event->key())) return;
    QDialog::keyPressEvent(event);
}
