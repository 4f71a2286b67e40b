// Writing documents: the one writer every save goes through, with its status texts, progress bar
// and messages; and the table reader step of opening.
#include "common/Utils.h"
#include "platform/Files.h"
#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "platform/TRegistry.h"
#include "platform/StatusBar.h"
#include "platform/TStringGrid.h"
#include "shell/DocumentFiles.h"
#include "shell/DocumentIcons.h"
#include "shell/HeaderTags.h"
#include "shell/Main.h"
#include "shell/OperationStatusScope.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QFileInfo>
#include <QTabBar>

#include <algorithm>
#include <functional>
#include <array>
#include <memory>

// ---------------------------------------------------------------------------------------------
// Status texts and the progress bar of long operations

void TMainForm::ShowOperationStatus(const AnsiString &text)
{
    StatusBar1->Panels[1].SetText(text);
    StatusBar1->repaint();
}

void TMainForm::BeginOperationProgress(long long max)
{
    EndOperationProgress();
    OperationProgressBar = StatusBar1->CreateProgressBar(0);
    OperationProgressBar->setGeometry(0, 2, 150, std::max(StatusBar1->height() - 2, 1));
    OperationProgressBar->SetMin(0);
    OperationProgressBar->SetMax(int(std::min<long long>(max, 0x7FFFFFFF)));
    OperationProgressBar->SetPosition(0);
    OperationProgress = 0;
    OperationProgressMax = std::max(OperationProgressBar->Max(), 1);
    OperationProgressShown = 0;
    OperationProgressMoved.start();
}

// The bar is repainted at once on every change, so it is moved only when the change would show,
// and forward no more often than the eye follows: a table of a million cells steps a million
// times, and a script reports hundreds of thousands of line ends within a few milliseconds.
void TMainForm::SetOperationProgress(long long position)
{
    OperationProgress = position;
    if (!OperationProgressBar) return;
    const long long max = OperationProgressMax;
    const long long shown = OperationProgressShown;
    const bool ahead = position < max && position >= shown;
    if (ahead && ((position - shown) * 200 < max || OperationProgressMoved.elapsed() < 40)) return;
    OperationProgressShown = std::min(position, max);
    OperationProgressBar->SetPosition(int(OperationProgressShown));
    OperationProgressMoved.restart();
}

void TMainForm::StepOperationProgress() { SetOperationProgress(OperationProgress + 1); }

void TMainForm::EndOperationProgress()
{
    if (!OperationProgressBar) return;
    OperationProgressBar->SetPosition(0);
    delete OperationProgressBar;
    OperationProgressBar = nullptr;
}

FileProgress TMainForm::OperationProgressHooks()
{
    FileProgress hooks;
    // A table reports every row: the texts are repainted a few times a second, not per row.
    auto sinceRepaint = std::make_shared<QElapsedTimer>();
    sinceRepaint->start();
    hooks.Status = [this, sinceRepaint](const AnsiString &text) {
        StatusBar1->Panels[1].SetText(text);
        if (sinceRepaint->elapsed() < 40) return;
        StatusBar1->repaint();
        sinceRepaint->restart();
    };
    hooks.Step = [this] { StepOperationProgress(); };
    hooks.Position = [this](long long position) { SetOperationProgress(position); };
    return hooks;
}

// ---------------------------------------------------------------------------------------------
// The writer

bool TMainForm::SaveDocumentToFile(const AnsiString &kind, const AnsiString &path, TSynMemo *pane)
{
    if (path.empty() || !pane) {
        StatusBar1->Panels[0].SetWidth(width());
        return false;
    }
    BeginSaving();
    TOperationStatusScope restoreStatus(this, width());
    if (kind != KAS_Document) return FinishSaving(kind, path, PlainTextToFileBytes(pane->Text()), false);
    // Converted straight from the pane's buffer into the file, a part at a time: a copy of a big
    // script in fresh memory first would cost more than the conversion itself.
    BeginOperationProgress(ScriptSaveProgressMax(size_t(pane->GetTextLen())));
    const FileProgress hooks = OperationProgressHooks();
    const std::array<std::string_view, 2> pieces = pane->TextPieces();
    return FinishSaving(kind, path, [&pieces, &hooks](const FileContentSink &sink) {
        ProduceScriptFileBytes(pieces, sink, &hooks);
    }, true);
}

bool TMainForm::SaveDocumentToFile(const AnsiString &kind, const AnsiString &path, TStringGrid *pane)
{
    if (path.empty() || !pane) {
        StatusBar1->Panels[0].SetWidth(width());
        return false;
    }
    BeginSaving();
    TOperationStatusScope restoreStatus(this, width());
    BeginOperationProgress(TableSaveProgressMax(pane->RowCount(), pane->ColCount()));
    const FileProgress hooks = OperationProgressHooks();
    const AnsiString bytes = TableToFileBytes(pane->CellsRowMajor(), pane->ColCount(), pane->RowCount(), &hooks);
    return FinishSaving(kind, path, bytes, true);
}

void TMainForm::BeginSaving()
{
    StatusBar1->Panels[0].SetWidth(150);
    ShowOperationStatus("Saving document...");
}

bool TMainForm::FinishSaving(const AnsiString &kind, const AnsiString &path, std::string_view bytes, bool converted)
{
    return FinishSaving(kind, path, [bytes](const FileContentSink &sink) { sink(bytes); }, converted);
}

// Writes the bytes as they are made (where the folder allows, a failed write leaves the old file
// as it was) and reports the outcome; true when the whole file was written.
bool TMainForm::FinishSaving(const AnsiString &kind, const AnsiString &path, const FileContentProducer &content,
                             bool converted)
{
    // The status comes once the bytes are made, as when they are made before the write; the
    // disk's part of the work, the sync, follows it.
    const FileWriteResult result = WriteFileAtomically(path, [&](const FileContentSink &sink) {
        content(sink);
        if (converted) ShowOperationStatus("Saving data in file ...");
    });
    if (!result.Opened)
        MessageBox(ApplicationWindow(), WithReason(SaveOpenErrorMessage(path), result.ErrorText), "Quillet",
                   MB_OK | MB_ICONSTOP);
    else if (!result.Ok())
        MessageBox(ApplicationWindow(),
                   WithReason(SaveWriteErrorMessage(kind, result.ToWrite, result.Written), result.ErrorText),
                   FromQ(windowTitle()), MB_OK | MB_ICONEXCLAMATION);

    if (converted) {
        StepOperationProgress();
        if (kind == KAS_Document)
            if (TForm_Editor *active = ActiveEditor())
                active->StatusBar1->Panels[11].SetText("Script date: " + active->Memo1->Lines.Values(ScriptDateTag));
        EndOperationProgress();
    }
    if (result.Ok()) ReopenListUpdate(path);
    StatusBar1->Panels[0].SetWidth(width());
    return result.Ok();
}

// ---------------------------------------------------------------------------------------------
// The table reader step of opening

bool TMainForm::ReadTableDocument(TForm_Editor *opened, const AnsiString &kind, const AnsiString &path)
{
    // The messages let events run, and the user may close the window then.
    const QPointer<TForm_Editor> window = opened;
    const FileProgress hooks = OperationProgressHooks();
    TableReadResult read = ReadTableFile(path, kind, &hooks);
    window->FileNotRead = read.Status == TableReadStatus::CannotOpen || read.Status == TableReadStatus::ReadFailed;
    if (read.Status == TableReadStatus::CannotOpen)
        MessageBox(ApplicationWindow(), WithReason(TableOpenErrorMessage(path), read.ErrorText), "Quillet",
                   MB_OK | MB_ICONSTOP);
    else if (read.Status == TableReadStatus::ReadFailed)
        MessageBox(ApplicationWindow(), WithReason(TableReadErrorMessage(path), read.ErrorText), "Quillet",
                   MB_OK | MB_ICONSTOP);
    if (!window) return false;
    TableData &table = read.Table;
    window->StringGrid1->Assign(table.ColCount, std::max(table.RowCount, 1), std::move(table.Cells));
    // What the table could not keep would be gone from the file at the next save: the user is told
    // once, and the document counts as changed.
    if (read.Loss.Any()) {
        MessageBox(ApplicationWindow(), TableLossMessage(path, kind, read.Loss), "Quillet", MB_OK | MB_ICONWARNING);
        if (!window) return false;
        window->SetModified(true);
        window->SetModifiedHint("Document was changed");
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// The save commands

namespace {

// The save dialog's set-up for a document: filter, the extensions that count as present
// (upper-cased) and the one appended for each filter index.
struct SaveFilter
{
    AnsiString Filter;
    std::vector<AnsiString> Accepted;
    std::vector<AnsiString> Appended;
    int Index = 1;
};

SaveFilter SaveFilterFor(const TForm_Editor *window, bool allowTxtTable)
{
    if (window->StringGridPanel->isHidden())
        return {"KAS scripts (*.kas)|*.kas|Texts (*.txt)|*.txt|Scripts and texts (*.kas; *.txt)|*.kas;*.txt",
                {".TXT", ".KAS"}, {".kas", ".txt", ".txt"}, window->DocumentKind == TXT_Document ? 2 : 1};
    const AnsiString &kind = window->DocumentKind;
    if (kind == KAO_Document) return {"KAO documents (*.kao)|*.kao", {".KAO"}, {".kao"}, 1};
    if (kind == KAT_Document) return {"KAT documents (*.kat)|*.kat", {".KAT"}, {".kat"}, 1};
    if (allowTxtTable && AnsiUpperCase(ExtractFileExt(window->Caption())) == ".TXT")
        return {"Texts (*.txt)|*.txt|CMD documents (*.cmd)|*.cmd", {".TXT", ".CMD"}, {".txt", ".cmd"}, 1};
    return {"CMD documents (*.cmd)|*.cmd", {".CMD"}, {".cmd"}, 1};
}

// A name whose extension is none of the accepted ones gets the extension of the filter index.
AnsiString WithAcceptedExt(const AnsiString &name, const SaveFilter &filter, int index)
{
    const AnsiString ext = AnsiUpperCase(ExtractFileExt(name));
    if (std::find(filter.Accepted.begin(), filter.Accepted.end(), ext) != filter.Accepted.end()) return name;
    index = std::clamp(index, 1, int(filter.Appended.size()));
    return name + filter.Appended[size_t(index - 1)];
}

// Named: a file exists under the caption and the caption has a folder part. A file that could
// not be read when it was opened does not count: writing the window would replace it by nothing.
bool IsNamed(const TForm_Editor *window)
{
    const AnsiString caption = window->Caption();
    return !window->FileNotRead && FileExistsWithFolder(caption);
}

// The program's own header tags and whether each is written.
struct SaveTags
{
    bool Date = true;
    bool PoweredBy = true;
    bool Warning = true;
    AnsiString WarningText = DefaultWarning1Text;
};

SaveTags ReadSaveTags(bool withDate)
{
    SaveTags tags;
    TRegistry reg;
    if (withDate && reg.OpenKey(SettingsKey, false)) {
        tags.Date = ReadBoolOr(reg, "EditorWtiteDateTag", true);
        reg.CloseKey();
    }
    if (reg.OpenKey(ProductKey, false)) {
        tags.PoweredBy = ReadBoolOr(reg, "WritePoweredBy", true);
        tags.Warning = ReadBoolOr(reg, "WriteWarning1", true);
        tags.WarningText = ReadStringOr(reg, "Warning1Text", tags.WarningText);
        reg.CloseKey();
    } else {
        tags.WarningText.clear();
    }
    return tags;
}

AnsiString PoweredByText()
{
    return "Quillet v. " + GetFileVersionText(FromQPath(QCoreApplication::applicationFilePath()));
}

} // namespace

void TMainForm::WriteSaveTags(TForm_Editor *window, bool withDate)
{
    const SaveTags tags = ReadSaveTags(withDate);
    // Each tag is a few line edits; the tags are looked for, and the outline is rebuilt, in one
    // pass each over the whole script.
    std::vector<HeaderTagSetting> set;
    if (withDate && tags.Date) set.push_back({ScriptDateTag, TodayText()});
    if (tags.PoweredBy) set.push_back({PoweredByTag, PoweredByText()});
    if (tags.Warning) set.push_back({Warning1Tag, tags.WarningText});
    if (SetHeaderTagLines(set, window->Memo1)) ShowHeaderTagsChanged(window->Memo1);
}

// Writes the window's document under the path with the kind; after a whole write the document
// counts as saved (marker hidden, and for text the undo history gone). A failed write keeps both.
bool TMainForm::WriteDocument(TForm_Editor *editor, const AnsiString &kind, const AnsiString &path)
{
    // A message about the write lets events run: the user may close the window meanwhile.
    const QPointer<TForm_Editor> window = editor;
    const bool table = !window->StringGridPanel->isHidden();
    const bool ok = table ? SaveDocumentToFile(kind, path, window->StringGrid1)
                          : SaveDocumentToFile(kind, path, window->Memo1);
    if (!ok || !window) return false;
    window->FileNotRead = false;   // the window's own document is in the file now
    window->SetModified(false);
    window->SetModifiedHint("");
    if (!table) window->Memo1->ClearUndo();
    return true;
}

void TMainForm::ApplyTextKindLook(TForm_Editor *window)
{
    if (window->DocumentKind == TXT_Document) {
        window->setWindowIcon(DocumentIcon(1));
        window->SetHighlighterDown(EditorHighlightTXT);
    } else if (window->DocumentKind == KAS_Document) {
        window->setWindowIcon(DocumentIcon(0));
        window->SetHighlighterDown(EditorHighlightKAS);
    }
}

void TMainForm::AfterSave(TForm_Editor *window)
{
    const AnsiString caption = window->Caption();
    if (window->Tag >= 0 && window->Tag < TabSet1->count()) TabSet1->setTabText(window->Tag, ToQPath(ExtractFileName(caption)));
    TabSet1->setToolTip(ToQPath(caption) + " (Ctrl+Tab)");
    if (IsNamed(window)) LastWorkDir = FolderOfFile(caption);
}

// Runs the save dialog for the window; true and name set when the user confirmed.
bool TMainForm::AskSaveName(TForm_Editor *window, bool saveAs, AnsiString &name)
{
    const SaveFilter filter = SaveFilterFor(window, saveAs);
    // A document with a folder of its own is saved there unless the user goes elsewhere.
    const AnsiString caption = window->Caption();
    const bool ownFolder = !ExtractFilePath(caption).empty() && QFileInfo(ToQPath(FolderOfFile(caption))).isDir();
    SaveDialog1.InitialDir = ownFolder ? FolderOfFile(caption) : LastWorkDir;
    SaveDialog1.Filter = filter.Filter;
    SaveDialog1.FilterIndex = filter.Index;
    SaveDialog1.Options = ofOverwritePrompt | ofEnableSizing;
    // With one extension for every filter the dialog can complete a bare name itself, and its own
    // overwrite prompt then names the file that will be written.
    const bool oneExtension = std::adjacent_find(filter.Appended.begin(), filter.Appended.end(),
                                                 std::not_equal_to<>()) == filter.Appended.end();
    SaveDialog1.DefaultExt = oneExtension ? filter.Appended.front().substr(1) : AnsiString();
    const AnsiString proposed = ExtractFileName(caption);
    SaveDialog1.FileName = saveAs ? WithAcceptedExt(proposed, filter, filter.Index) : proposed;
    if (!SaveDialog1.Execute()) return false;
    name = WithAcceptedExt(SaveDialog1.FileName, filter, SaveDialog1.FilterIndex);
    // The dialog asked about the name as typed; an extension added since names another file.
    if (name != SaveDialog1.FileName && QFileInfo::exists(ToQPath(name)) &&
        MessageBox(ApplicationWindow(), "File \"" + PathInMessage(name) + "\" already exists. Do you want to replace it?", "Quillet",
                   MB_YESNO | MB_ICONWARNING) != IDYES)
        return false;
    return true;
}

// The kind a text document takes from the extension it is saved under.
static AnsiString TextKindOf(const AnsiString &name, const AnsiString &current)
{
    const AnsiString ext = AnsiUpperCase(ExtractFileExt(name));
    if (ext == ".KAS") return KAS_Document;
    if (ext == ".TXT") return TXT_Document;
    return current;
}

// Asks for a name and writes the window's document under it; a text document takes its kind from
// the name. Save As (not Save All) also sets a script's powered-by and warning tags. The window
// takes the name, the kind and its look only when the file was written: after a failed write it
// is as it was, the tags set for the write taken back out of the text.
bool TMainForm::SaveUnderChosenName(TForm_Editor *editor, bool saveAs)
{
    // The dialog and the messages let events run: the user may close the window meanwhile.
    const QPointer<TForm_Editor> window = editor;
    AnsiString name;
    const bool table = !window->StringGridPanel->isHidden();
    const bool chosen = AskSaveName(window, saveAs, name);
    if (!window) return false;
    if (!chosen) {
        if (!table && window->DocumentKind == KAS_Document) ApplyTextKindLook(window);
        return false;
    }
    const AnsiString oldKind = window->DocumentKind;
    const bool wasModified = window->IsModified();
    const AnsiString oldHint = window->ModifiedHint();
    bool tagged = false;
    if (!table) {
        window->DocumentKind = TextKindOf(name, oldKind);
        if (saveAs && window->DocumentKind == KAS_Document) tagged = WriteSaveTagsAsOneStep(window);
    }
    const bool written = WriteDocument(window, window->DocumentKind, name);
    if (!window) return false;
    if (!written) {
        window->DocumentKind = oldKind;
        if (tagged) {
            window->Memo1->Undo();
            RefreshScriptOutline(window);
            window->SetModified(wasModified);
            window->SetModifiedHint(oldHint);
        }
        return false;
    }
    window->SetCaption(name);
    if (!table) ApplyTextKindLook(window);
    return true;
}

// The tags as one undo step; true when they changed the text.
bool TMainForm::WriteSaveTagsAsOneStep(TForm_Editor *window)
{
    const int steps = window->Memo1->UndoCount();
    window->Memo1->BeginUndoBlock();
    WriteSaveTags(window, false);
    window->Memo1->EndUndoBlock();
    return window->Memo1->UndoCount() > steps;
}

bool TMainForm::SaveDocumentAs(TForm_Editor *editor)
{
    const QPointer<TForm_Editor> window = editor;
    if (!window) return false;
    const bool written = SaveUnderChosenName(window, true);
    if (window) AfterSave(window);
    return written;
}

bool TMainForm::FileSaveAs1Execute() { return SaveDocumentAs(ActiveEditor()); }

bool TMainForm::FileSave1Execute()
{
    TForm_Editor *window = ActiveEditor();
    if (!window) return false;
    if (window->StringGridPanel->isHidden() && window->DocumentKind == KAS_Document) WriteSaveTags(window, true);
    if (!IsNamed(window)) return SaveDocumentAs(window);
    return WriteDocument(window, window->DocumentKind, window->Caption());
}

bool TMainForm::FileSaveAll1Execute()
{
    bool all = true;
    for (int i = MDIChildCount() - 1; i >= 0; --i) {
        // A dialog or a message lets events run: the user may close the window meanwhile.
        const QPointer<TForm_Editor> window = qobject_cast<TForm_Editor *>(MDIChildren(i));
        if (!window) continue;
        all = SaveOneOfAll(window) && all;
        if (window) AfterSave(window);
    }
    return all;
}

bool TMainForm::SaveOneOfAll(TForm_Editor *window)
{
    if (!IsNamed(window)) return SaveUnderChosenName(window, false);
    if (window->StringGridPanel->isHidden() && window->DocumentKind == KAS_Document) WriteSaveTags(window, false);
    return WriteDocument(window, window->DocumentKind, window->Caption());
}

void TMainForm::FileSave1Update() { FileSave1->SetEnabled(MDIChildCount() > 0); }
void TMainForm::FileSaveAs1Update() { FileSaveAs1->SetEnabled(MDIChildCount() > 0); }
void TMainForm::FileSaveAll1Update() { FileSaveAll1->SetEnabled(MDIChildCount() > 0); }
