// New documents, favourites, companions, refresh, go to, print, help, undo and about.
#include "shell/DocumentCommands.h"

#include "common/Utils.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/FileDialogs.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/TRegistry.h"
#include "platform/ToolBar.h"
#include "shell/DocumentFiles.h"
#include "shell/HeaderTags.h"
#include "shell/I_win.h"
#include "shell/Main.h"
#include "shell/NewDocWin.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStyle>

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// Window-free pieces

AnsiString CompanionPath(const AnsiString &path, const AnsiString &extension)
{
    return path.substr(0, path.size() >= 4 ? path.size() - 4 : 0) + extension;
}

AnsiString ReadFavouritesText()
{
    TRegistry reg;
    if (!reg.OpenKey(SettingsKey, true)) return {};
    return ReadStringOr(reg, FavouritesValueName, "");
}

void WriteFavouritesText(const AnsiString &text)
{
    TRegistry reg;
    if (reg.OpenKey(SettingsKey, true)) reg.WriteString(FavouritesValueName, text);
}

void AddToFavourites(const AnsiString &path, const AnsiString &kind)
{
    TStringList stored;
    stored.SetText(ReadFavouritesText());
    std::vector<AnsiString> lines(stored.begin(), stored.end());
    const AnsiString line = path + "\t" + kind;
    // Sorted without regard to case; but file names differing only in case are different files
    // here, so only an exactly equal line counts as already there.
    const auto before = [](const AnsiString &a, const AnsiString &b) {
        const int c = AnsiCompareText(a, b);
        return c != 0 ? c < 0 : a < b;
    };
    std::stable_sort(lines.begin(), lines.end(), before);
    if (std::find(lines.begin(), lines.end(), line) != lines.end()) return;
    lines.insert(std::upper_bound(lines.begin(), lines.end(), line, before), line);
    AnsiString text;
    for (const AnsiString &l : lines) text += l + "\r\n";
    WriteFavouritesText(text);
}

Favourite SplitFavourite(const AnsiString &line)
{
    const size_t tab = line.find('\t');
    if (tab == AnsiString::npos) return {line, ""};
    return {line.substr(0, tab), line.substr(tab + 1, 12)};
}

AnsiString FavouriteOpeningKind(const Favourite &favourite)
{
    if (IsTextKind(favourite.Kind) || IsTableKind(favourite.Kind)) return favourite.Kind;
    return DocumentKindFromFileName(favourite.Path, false);
}

AnsiString FavouriteDisplayName(const AnsiString &path) { return ExtractFileName(path); }

void ShowContextHelp(int context)
{
    if (MainForm && !WinHelp(MainForm->QUILHelpPath, HELP_CONTEXT, context))
        MainForm->ShowHelpFileMissing(MainForm->QUILHelpPath);
}

namespace {
// The game folder's text while no game is known.
const AnsiString UnknownGameFolder = "none";
} // namespace

bool BelowUnknownGameFolder(const AnsiString &path, const AnsiString &gameFolder)
{
    return gameFolder == UnknownGameFolder && path.rfind(UnknownGameFolder + "/", 0) == 0;
}

AnsiString HelpNotShownText(const AnsiString &path, const AnsiString &gameFolder, bool fileExists)
{
    if (BelowUnknownGameFolder(path, gameFolder))
        return "File \"" + PathInMessage(path.substr(UnknownGameFolder.size() + 1)) +
               "\" not found: no game folder is set.";
    if (fileExists) return "File \"" + PathInMessage(path) + "\" could not be opened: no program is set to show it.";
    return "File \"" + PathInMessage(path) + "\" not found.";
}

bool RunDialogKey(int key, const std::function<void()> &enter, const std::function<void()> &escape,
                  const std::function<void()> &help)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: enter(); return true;
    case Qt::Key_Escape: escape(); return true;
    case Qt::Key_F1: help(); return true;
    default: return false;
    }
}

TToolBar *DialogToolBar(QWidget *parent)
{
    auto *bar = new TToolBar(parent);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setIconSize(QSize(16, 16));
    return bar;
}

TToolButton *DialogButton(TToolBar *bar, const AnsiString &caption, const AnsiString &hint, int standardIcon)
{
    TToolButton *button = bar->AddButton(caption);
    button->SetHint(hint);
    button->setIcon(QApplication::style()->standardIcon(QStyle::StandardPixmap(standardIcon)));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
}

// ---------------------------------------------------------------------------------------------
// Binding

void TMainForm::ConnectDocumentActions()
{
    BindAction(NewDoc, &TMainForm::NewDocExecute);
    BindAction(FFLAction1, &TMainForm::FFLAction1Execute, &TMainForm::FFLAction1Update);
    BindAction(OpenKASAction1, &TMainForm::OpenKASAction1Execute, &TMainForm::OpenKASAction1Update);
    BindAction(OpenKAOAction1, &TMainForm::OpenKAOAction1Execute, &TMainForm::OpenKAOAction1Update);
    BindAction(OpenKATAction1, &TMainForm::OpenKATAction1Execute, &TMainForm::OpenKATAction1Update);
    BindAction(OpenTXTAction1, &TMainForm::OpenTXTAction1Execute, &TMainForm::OpenTXTAction1Update);
    BindAction(RefreshDocAction1, &TMainForm::RefreshDocAction1Execute, &TMainForm::RefreshDocAction1Update);
    BindAction(ReOpenAsTableAction1, &TMainForm::ReOpenAsTableAction1Execute, &TMainForm::ReOpenAsTableAction1Update);
    BindAction(GoToAction1, &TMainForm::GoToAction1Execute, &TMainForm::GoToAction1Update);
    BindAction(PrintAction1, &TMainForm::PrintAction1Execute, &TMainForm::PrintAction1Update);
    BindAction(KASHelp1, &TMainForm::KASHelp1Execute);
    BindAction(QUILHelp1, &TMainForm::QUILHelp1Execute);
    BindAction(KASHTMLAction1, &TMainForm::KASHTMLAction1Execute);
    BindAction(SetpathtoKASHelp1, &TMainForm::SetpathtoKASHelp1Click);
    BindAction(SetpathtoKASHelpHTML1, &TMainForm::SetpathtoKASHelpHTML1Click);
    BindAction(SetpathtoQuillethelp1, &TMainForm::SetpathtoQuillethelp1Click);
    BindAction(Undo_Action1, &TMainForm::Undo_Action1Execute, &TMainForm::Undo_Action1Update);
    BindAction(Redo_Action1, &TMainForm::Redo_Action1Execute, &TMainForm::Redo_Action1Update);
    BindAction(EditDelete1, &TMainForm::EditDelete1Execute, &TMainForm::EditDelete1Update);
    BindAction(I_Action1, &TMainForm::I_Action1Execute);
    // Created disabled, and nothing enables it: no checker is called yet.
    BindAction(CheckSyntax, &TMainForm::CheckSyntaxExecute, &TMainForm::CheckSyntaxUpdate);
}

// ---------------------------------------------------------------------------------------------
// New document and favourites

void TMainForm::NewDocExecute()
{
    TNewDocForm form(this);
    ShowModal(&form);
}

void TMainForm::FFLAction1Update()
{
    TForm_Editor *w = ActiveEditor();
    FFLAction1->SetEnabled(w && FileExists(w->Caption()));
}

void TMainForm::FFLAction1Execute()
{
    if (TForm_Editor *w = ActiveEditor()) AddToFavourites(w->Caption(), w->DocumentKind);
}

// ---------------------------------------------------------------------------------------------
// Companion documents

void TMainForm::UpdateCompanionAction(TAction *action, const AnsiString &kind)
{
    TForm_Editor *w = ActiveEditor();
    action->SetEnabled(w && w->DocumentKind != kind && FileExists(w->Caption()));
}

void TMainForm::OpenCompanion(const AnsiString &extension, const AnsiString &kind)
{
    TForm_Editor *w = ActiveEditor();
    if (!w || !FileExists(w->Caption())) return;
    const AnsiString companion = CompanionPath(w->Caption(), extension);
    if (TForm_Editor *other = FindDocumentWindow(companion, TWindowSearch::NewestFirst)) {
        MdiArea->setActiveSubWindow(other);
        return;
    }
    if (FileExists(companion)) {
        OpenDocument(companion, kind);
        return;
    }
    if (MessageBox(ApplicationWindow(),
                   "The file \"" + companion + "\" does not exist, you want to create this file?", "Quillet",
                   MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    if (TForm_Editor *created = OpenDocument(companion, kind)) created->SetChangedBeyondUndo();
}

void TMainForm::OpenKASAction1Execute() { OpenCompanion(".kas", KAS_Document); }
void TMainForm::OpenKAOAction1Execute() { OpenCompanion(".kao", KAO_Document); }
void TMainForm::OpenKATAction1Execute() { OpenCompanion(".kat", KAT_Document); }
void TMainForm::OpenTXTAction1Execute() { OpenCompanion(".txt", TXT_Document); }
void TMainForm::OpenKASAction1Update() { UpdateCompanionAction(OpenKASAction1, KAS_Document); }
void TMainForm::OpenKAOAction1Update() { UpdateCompanionAction(OpenKAOAction1, KAO_Document); }
void TMainForm::OpenKATAction1Update() { UpdateCompanionAction(OpenKATAction1, KAT_Document); }
void TMainForm::OpenTXTAction1Update() { UpdateCompanionAction(OpenTXTAction1, TXT_Document); }

// ---------------------------------------------------------------------------------------------
// Reopen document, reopen as table

static void ShowNotSavedYet(const AnsiString &caption)
{
    MessageBox(ApplicationWindow(),
               "File \"" + caption + "\" not found.\n\rIt is previouse necessary to save this document.", "Quillet",
               MB_OK | MB_ICONWARNING);
}

// The file is read into a new window only when it can be read: the old window goes with it.
static bool FileReadableOrSay(const AnsiString &path)
{
    QFile file(ToQPath(path));
    if (file.open(QIODevice::ReadOnly)) return true;
    MessageBox(ApplicationWindow(), WithReason(TableReadErrorMessage(path), FromQ(file.errorString())), "Quillet",
               MB_OK | MB_ICONSTOP);
    return false;
}

// Reading the file again throws the window's changes away: only with the user's consent.
static bool MayDropChanges(TForm_Editor *window)
{
    if (!window->IsModified()) return true;
    return MessageBox(ApplicationWindow(),
                      "Document \"" + window->Caption() +
                          "\" was changed.\r\nReopen it from the file and lose the changes?",
                      "Quillet", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void TMainForm::RefreshDocAction1Update() { RefreshDocAction1->SetEnabled(MDIChildCount() > 0); }

void TMainForm::RefreshDocAction1Execute()
{
    // Events run during the questions and while the file is read: the user may close the window.
    const QPointer<TForm_Editor> w = ActiveEditor();
    if (!w) return;
    const AnsiString path = w->Caption();
    if (!FileExistsWithFolder(path)) {
        ShowNotSavedYet(path);   // the text and its changed state stay as they are
        return;
    }
    if (!MayDropChanges(w) || !w) return;
    if (w->Memo1->isHidden()) {
        if (!FileReadableOrSay(path) || !w) return;
        w->SetModified(false);
        const AnsiString kind = w->DocumentKind;   // a copy: the window may go while the file is read
        OpenDocument(path, kind);
        if (w) w->close();
        return;
    }
    ReloadTextPane(w);
}

void TMainForm::ReloadTextPane(TForm_Editor *w)
{
    TSynMemo *pane = w->Memo1;
    const TBufferCoord caret = pane->CaretXY();
    const int top = pane->TopLine();
    AnsiString bytes, error;
    if (!ReadFileBytes(w->Caption(), bytes, error)) {
        MessageBox(ApplicationWindow(), WithReason(TableReadErrorMessage(w->Caption()), error), "Quillet",
                   MB_OK | MB_ICONSTOP);
        return;
    }
    // Legacy tag names are renamed on the file's bytes, so the text goes into the pane once.
    const bool converted = w->DocumentKind == KAS_Document && ConvertAutoTagsInPlace(bytes);
    pane->LoadText(bytes);
    pane->SetCaretXY(caret);
    pane->SetTopLine(top);
    pane->ClearUndo();
    w->FileNotRead = false;
    if (converted)
        w->SetChangedBeyondUndo();
    else
        w->SetModified(false);
}

void TMainForm::ReOpenAsTableAction1Update() { ReOpenAsTableAction1->SetEnabled(MDIChildCount() > 0); }

void TMainForm::ReOpenAsTableAction1Execute()
{
    // Events run during the questions and while the file is read: the user may close the window.
    const QPointer<TForm_Editor> w = ActiveEditor();
    if (!w) return;
    if (w->DocumentKind != TXT_Document) {
        MessageBox(ApplicationWindow(), "This operation is accessible only to text documents.", "Quillet",
                   MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (!FileExistsWithFolder(w->Caption())) {
        ShowNotSavedYet(w->Caption());
        return;
    }
    // The table shows what is on disk once the changed text is dealt with: saved (perhaps under
    // another name), or dropped. Cancel leaves the text window as it is and opens nothing.
    if (!w->OfferToSave() || !w) return;
    const AnsiString path = w->Caption();
    if (!FileReadableOrSay(path) || !w) return;
    w->SetModified(false);   // answered: closing asks no more
    OpenDocument(path, CMD_Document);
    if (w) w->close();
}

// ---------------------------------------------------------------------------------------------
// Author window

void TMainForm::I_Action1Execute()
{
    TI_Form form(this);
    ShowModal(&form);
}
