#include "Exerciser.h"

#include "ExerciseLog.h"
#include "platform/ActionList.h"
#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "platform/Files.h"
#include "platform/StatusBar.h"
#include "platform/TStringGrid.h"
#include "platform/ToolBar.h"
#include "shell/DocumentFiles.h"
#include "shell/HeaderTags.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynCompletionProposal.h"
#include "synedit/SynMemo.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSplitterHandle>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <Qsci/qsciscintilla.h>

#include <algorithm>
#include <functional>

namespace {

// ---- What is typed and pressed ----

// Pieces of scripts and tables as a user types them.
const char *const TypedFragments[] = {
    "!?FU1;", "!!VRv1:S5;", "!#VRz1:S^Hello^;", "!!IF&1:M^x^;", "!!EN:;", "; note", "QUIL_ScriptName=Ex",
    "_DECLARATION_Function2=Shuts", "JOTE", "v1", "z2", "^abc^", "123", " ", "x", "\xC4\xD6\xE9", "a b\tc",
};

struct KeyChord
{
    const char *Name;
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers;
};

constexpr Qt::KeyboardModifiers None = Qt::NoModifier;
constexpr Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers Shift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers Alt = Qt::AltModifier;

const KeyChord KeyChords[] = {
    {"Return", Qt::Key_Return, None}, {"Tab", Qt::Key_Tab, None}, {"Shift+Tab", Qt::Key_Backtab, Shift},
    {"Esc", Qt::Key_Escape, None}, {"Left", Qt::Key_Left, None}, {"Right", Qt::Key_Right, None},
    {"Up", Qt::Key_Up, None}, {"Down", Qt::Key_Down, None}, {"Home", Qt::Key_Home, None}, {"End", Qt::Key_End, None},
    {"PgUp", Qt::Key_PageUp, None}, {"PgDn", Qt::Key_PageDown, None}, {"BackSpace", Qt::Key_Backspace, None},
    {"Delete", Qt::Key_Delete, None}, {"Insert", Qt::Key_Insert, None}, {"F2", Qt::Key_F2, None},
    {"F3", Qt::Key_F3, None}, {"Ctrl+Z", Qt::Key_Z, Ctrl}, {"Ctrl+Y", Qt::Key_Y, Ctrl}, {"Ctrl+A", Qt::Key_A, Ctrl},
    {"Ctrl+C", Qt::Key_C, Ctrl}, {"Ctrl+V", Qt::Key_V, Ctrl}, {"Ctrl+X", Qt::Key_X, Ctrl}, {"Ctrl+S", Qt::Key_S, Ctrl},
    {"Ctrl+Space", Qt::Key_Space, Ctrl}, {"Ctrl+Home", Qt::Key_Home, Ctrl}, {"Ctrl+End", Qt::Key_End, Ctrl},
    {"Shift+Right", Qt::Key_Right, Shift}, {"Shift+Down", Qt::Key_Down, Shift}, {"Shift+End", Qt::Key_End, Shift},
    {"Ctrl+Alt+Z", Qt::Key_Z, Ctrl | Alt}, {"Ctrl+Alt+Down", Qt::Key_Down, Ctrl | Alt},
    {"Ctrl+Alt+Up", Qt::Key_Up, Ctrl | Alt}, {"Ctrl+Alt+Left", Qt::Key_Left, Ctrl | Alt},
    {"Ctrl+Alt+Right", Qt::Key_Right, Ctrl | Alt}, {"Shift+Alt+Up", Qt::Key_Up, Shift | Alt},
    {"Shift+Alt+Down", Qt::Key_Down, Shift | Alt}, {"Shift+Ctrl+F", Qt::Key_F, Shift | Ctrl},
    {"Shift+Ctrl+T", Qt::Key_T, Shift | Ctrl}, {"Shift+Ctrl+D", Qt::Key_D, Shift | Ctrl},
    {"Ctrl+Shift+N", Qt::Key_N, Ctrl | Shift}, {"Ctrl+Shift+C", Qt::Key_C, Ctrl | Shift},
    {"Ctrl+Shift+L", Qt::Key_L, Ctrl | Shift}, {"Ctrl+E", Qt::Key_E, Ctrl}, {"Ctrl+Alt+D", Qt::Key_D, Ctrl | Alt},
    {"Shift+F1", Qt::Key_F1, Shift}, {"Ctrl+Tab", Qt::Key_Tab, Ctrl},
};

// One character typed; QTest knows only the keys of ASCII characters, the others go with their text.
void TypeCharacter(QWidget *target, char c)
{
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x80) return QTest::keyClick(target, c);
    const QChar character(byte);
    QTest::sendKeyEvent(QTest::Click, target, Qt::Key(character.toUpper().unicode()), QString(character), None);
}

// ---- Describing what a step acts on ----

std::string Text(const QString &s, size_t max = 60)
{
    std::string t = s.toStdString();
    for (char &c : t)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    if (t.size() > max) t = t.substr(0, max) + "...";
    return t;
}

std::string Text(const AnsiString &s, size_t max = 60) { return Text(ToQ(s), max); }

std::string Describe(const QObject *object)
{
    if (!object) return "nothing";
    std::string s = object->metaObject()->className();
    if (!object->objectName().isEmpty()) s += " '" + object->objectName().toStdString() + "'";
    const auto *widget = qobject_cast<const QWidget *>(object);
    if (!widget) return s;
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget); button && !button->text().isEmpty())
        s += " \"" + Text(button->text(), 30) + "\"";
    for (const QWidget *p = widget; p; p = p->parentWidget()) {
        if (const auto *editor = qobject_cast<const TForm_Editor *>(p)) {
            if (editor != widget) s += " in [" + Text(ExtractFileName(editor->Caption())) + "]";
            return s;
        }
        if (p->isWindow() && p != widget) return s + " in <" + p->metaObject()->className() + ">";
    }
    return s;
}

bool UnderFolder(const std::string &path, const AnsiString &folder)
{
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

std::string UpperExtension(const std::string &path) { return AnsiUpperCase(ExtractFileExt(path)); }

// A widget a user can see and reach in this window (not one of another window lying inside it).
bool Reachable(const QWidget *w, const QWidget *top)
{
    return w->isVisible() && w->isEnabled() && w->window() == top;
}

bool InMenuBar(const QWidget *w)
{
    for (const QWidget *p = w; p; p = p->parentWidget())
        if (qobject_cast<const QMenuBar *>(p)) return true;
    return false;
}

// A tool button whose menu Qt would show with a nested event loop on a press.
bool PressOpensMenu(const QToolButton *button)
{
    return button->menu() && button->popupMode() != QToolButton::DelayedPopup;
}

// The view area of a scrolled widget (lists, the grid, text panes): it takes the clicks.
bool IsScrollAreaViewport(const QWidget *w)
{
    const auto *area = qobject_cast<const QAbstractScrollArea *>(w->parentWidget());
    return area && area->viewport() == w;
}

// A context menu here opens with popup(), never a nested loop of its own.
bool ContextMenuIsSafe(const QWidget *w)
{
    if (IsScrollAreaViewport(w))
        return qobject_cast<const QsciScintilla *>(w->parentWidget()) || qobject_cast<const QAbstractItemView *>(w->parentWidget());
    if (qobject_cast<const QTabBar *>(w)) return true;
    const auto *edit = qobject_cast<const QLineEdit *>(w);
    return edit && !qobject_cast<const QAbstractSpinBox *>(w->parentWidget()) && !qobject_cast<const QComboBox *>(w->parentWidget());
}

bool Clickable(const QWidget *w)
{
    if (InMenuBar(w) || qobject_cast<const QComboBox *>(w)) return false;
    if (const auto *tool = qobject_cast<const QToolButton *>(w)) return !PressOpensMenu(tool) || tool->popupMode() == QToolButton::MenuButtonPopup;
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QTabBar *>(w) || qobject_cast<const QLineEdit *>(w) ||
           qobject_cast<const QAbstractSpinBox *>(w) || qobject_cast<const QScrollBar *>(w) ||
           qobject_cast<const QSplitterHandle *>(w) || IsScrollAreaViewport(w) || w->inherits("TUpDown") ||
           w->objectName() == "BannerImage";
}

std::vector<QWidget *> Widgets(QWidget *top, const std::function<bool(const QWidget *)> &wanted)
{
    std::vector<QWidget *> found;
    for (QWidget *w : top->findChildren<QWidget *>())
        if (Reachable(w, top) && wanted(w)) found.push_back(w);
    return found;
}

int ResultOfDialog(int result)
{
    if (result == QDialog::Accepted) return mrOk;
    if (result == QDialog::Rejected) return mrCancel;
    return result;
}

const char *ButtonName(int id)
{
    switch (id) {
    case IDYES: return "Yes";
    case IDNO: return "No";
    case IDCANCEL: return "Cancel";
    default: return "OK";
    }
}

std::vector<int> ButtonsOfBox(unsigned flags)
{
    switch (flags & MB_BUTTONMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    default: return {IDOK};
    }
}

// Dialogs whose work is to write files beside the documents (text resources, de-KATtify, the
// converter): what they may change, by extension.
bool ToolMayChange(const std::set<std::string> &dialogs, const std::string &path)
{
    const std::string ext = UpperExtension(path);
    const bool textResources = dialogs.count("TTxtResMan") || dialogs.count("TREKATForm");
    if (textResources && (ext == ".KAT" || ext == ".KAS")) return true;
    return dialogs.count("TForm_ReConvertKAS") && ext == ".KAS";
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Set-up

struct TExerciser::SavedResponders
{
    MessageBoxResponder Boxes;
    ModalResponder Dialogs;
    FileDialogResponder Files;
};

TExerciser::TExerciser(TMainForm *form, const TExercisePlaces &places, uint64_t seed)
    : Form(form), Places(places), State(seed), Checker(std::make_unique<TSynMemo>()), Previous(std::make_unique<SavedResponders>())
{
    Previous->Boxes = CurrentMessageBoxResponder();
    Previous->Dialogs = CurrentModalResponder();
    Previous->Files = CurrentFileDialogResponder();
    InstallResponders();
    ObserveSaveCommands();
    RootFiles = ScanFiles(Places.Root);
    for (const AnsiString &place : Places.Untouchable) UntouchableFiles.emplace_back(place, ReadFiles(place));
}

TExerciser::~TExerciser()
{
    SetMessageBoxResponder(Previous->Boxes);
    SetModalResponder(Previous->Dialogs);
    SetFileDialogResponder(Previous->Files);
    SetSelectDirectoryResponder(nullptr);
}

void TExerciser::InstallResponders()
{
    SetMessageBoxResponder([this](const MessageBoxCall &call) { return AnswerMessageBox(call); });
    SetModalResponder([this](QDialog *dialog) { return AnswerDialog(dialog); });
    SetFileDialogResponder([this](TFileDialog &dialog) { return AnswerFileDialog(dialog); });
    SetSelectDirectoryResponder([this](const SelectDirectoryCall &, AnsiString &dir) { return AnswerFolderDialog(dir); });
}

// The save commands run by the user (menu, tool bar, keys, user tools) say which documents the
// step may write. The command has run when its signal reaches this connection, which ends with
// the exerciser.
void TExerciser::ObserveSaveCommands()
{
    auto savedAll = [this] {
        for (TForm_Editor *w : Editors()) {
            Writes.Paths.insert(w->Caption());
            Writes.SavedWindows.insert(WindowId(w));
        }
    };
    QObject::connect(Form->FileSave1, &QAction::triggered, &Receiver, [this] {
        if (TForm_Editor *w = ActiveEditor()) {
            Writes.Paths.insert(w->Caption());
            Writes.SavedWindows.insert(WindowId(w));
        }
    });
    QObject::connect(Form->FileSaveAll1, &QAction::triggered, &Receiver, savedAll);
    // User tools (the menu's items without an action of the list) may save documents first.
    QObject::connect(Form->Toolls1, &QMenu::triggered, &Receiver, [savedAll](QAction *item) {
        if (!dynamic_cast<TAction *>(item)) savedAll();
    });
}

// ---------------------------------------------------------------------------------------------
// Random choices (splitmix64: the same seed gives the same run everywhere)

uint64_t TExerciser::Next()
{
    uint64_t z = (State += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int TExerciser::Below(int n) { return n <= 1 ? 0 : int(Next() % uint64_t(n)); }

// ---------------------------------------------------------------------------------------------
// The run

std::string TExerciser::Run(int steps)
{
    Settle();
    if (std::string failed = CheckAfterStep(); !failed.empty()) return "before the first step: " + failed;
    while (Taken < steps && !FormGone()) {
        Writes = {};
        TakeStep();
        Settle();
        TExerciseLog::Instance().EndStep();
        ++Taken;
        if (std::string failed = CheckAfterStep(); !failed.empty()) return failed;
    }
    return {};
}

void TExerciser::Begin(const std::string &text)
{
    TExerciseLog::Instance().BeginStep(++StepIndex, text);
}

void TExerciser::Note(const std::string &text) { TExerciseLog::Instance().Note(text); }

void TExerciser::TakeStep()
{
    if (QWidget *popup = QApplication::activePopupWidget()) return AnswerOpenPopup(popup);
    struct Choice
    {
        int Weight;
        std::function<void()> Take;
    };
    const std::vector<Choice> choices = {
        {320, [this] { PressKeys(Form); }},  {160, [this] { ClickWidget(Form); }}, {80, [this] { ClickToolButton(); }},
        {160, [this] { TriggerAction(); }},  {100, [this] { OpenPopup(Form); }},   {37, [this] { PaintWindow(Form); }},
        {60, [this] { SwitchWindow(); }},    {35, [this] { CloseWindow(); }},      {45, [this] { OpenDocument(); }},
        {3, [this] { ExitProgram(); }},      {10, [this] { ResizeWindow(); }},
    };
    int total = 0;
    for (const Choice &c : choices) total += c.Weight;
    int pick = Below(total);
    for (const Choice &c : choices) {
        if (pick < c.Weight) return c.Take();
        pick -= c.Weight;
    }
}

// Whatever was popped up is answered: a menu item chosen by keys, or Esc.
void TExerciser::AnswerOpenPopup(QWidget *popup)
{
    Begin("answer the open popup " + Describe(popup));
    popup->grab();
    auto *list = qobject_cast<QAbstractItemView *>(popup);
    if (!qobject_cast<QMenu *>(popup) && !list) list = popup->findChild<QAbstractItemView *>();
    const int moves = Below(6);
    for (int i = 0; i < moves; ++i) {
        QWidget *target = list ? list : QApplication::activePopupWidget();
        if (!target) return;
        QTest::keyClick(target, !list && Chance(15) ? Qt::Key_Right : Qt::Key_Down);
    }
    QWidget *target = list ? static_cast<QWidget *>(list) : QApplication::activePopupWidget();
    if (!target) return;
    const bool escape = Chance(30);
    Note(escape ? "Esc" : "Return after " + std::to_string(moves) + " moves");
    QTest::keyClick(target, escape ? Qt::Key_Escape : Qt::Key_Return);
    // A popup that takes neither key is closed as a click elsewhere closes it.
    if (QWidget *still = QApplication::activePopupWidget(); still == popup && Chance(30)) popup->close();
}

void TExerciser::TriggerAction()
{
    std::vector<QAction *> actions;
    auto add = [&](QAction *a) {
        if (a && !a->isSeparator() && !a->menu() && a->isEnabled() && a->isVisible() && a != Form->FileExit1 &&
            std::find(actions.begin(), actions.end(), a) == actions.end())
            actions.push_back(a);
    };
    for (int i = 0; i < Form->ActionList1->Count(); ++i) add((*Form->ActionList1)[i]);
    std::function<void(QMenu *)> addMenu = [&](QMenu *menu) {
        if (!menu) return;
        for (QAction *a : menu->actions()) {
            if (a->menu()) addMenu(a->menu());
            else add(a);
        }
    };
    for (QAction *a : Form->MainMenu1->actions()) addMenu(a->menu());
    for (QMenu *menu : {Form->PopupMenu2, Form->PopupMenu4, Form->TabSetPopupMenu}) addMenu(menu);
    if (actions.empty()) return PressKeys(Form);
    QAction *action = PickFrom(actions);
    Begin("action " + Describe(action) + " \"" + Text(action->text(), 40) + "\"");
    action->trigger();
}

void TExerciser::ClickToolButton()
{
    std::vector<QWidget *> bars = {Form->ToolBar3, Form->ToolBar4};
    if (TForm_Editor *w = ActiveEditor())
        for (QWidget *bar : std::initializer_list<QWidget *>{w->ToolBar1, w->ToolBar2, w->StatusBar1, w->StatusBar2}) bars.push_back(bar);
    std::vector<QToolButton *> buttons;
    for (QWidget *bar : bars)
        for (QToolButton *b : bar->findChildren<QToolButton *>())
            if (Reachable(b, Form) && Clickable(b)) buttons.push_back(b);
    if (buttons.empty()) return ClickWidget(Form);
    QToolButton *button = PickFrom(buttons);
    Begin("click the tool button " + Describe(button));
    QTest::mouseClick(button, Qt::LeftButton, None, ClickPoint(button));
}

// Anywhere on the widget but the arrow of a menu button: a press there opens the menu modally.
QPoint TExerciser::ClickPoint(const QWidget *w)
{
    const auto *tool = qobject_cast<const QToolButton *>(w);
    const bool arrow = tool && tool->menu() && tool->popupMode() == QToolButton::MenuButtonPopup;
    // One choice per statement: the order in which a call's arguments are worked out is the compiler's.
    const int x = Below(std::max(w->width() - (arrow ? 16 : 0), 1));
    const int y = Below(std::max(w->height(), 1));
    return QPoint(x, y);
}

QWidget *TExerciser::KeyTarget(QWidget *top) const
{
    QWidget *focus = top->focusWidget();
    // Space on a button with a menu opens the menu modally, as a press does: its window takes the key.
    const auto *tool = qobject_cast<const QToolButton *>(focus);
    if (focus && focus->isVisible() && focus->window() == top && !(tool && tool->menu())) return focus;
    if (top == Form.data())
        if (TForm_Editor *w = ActiveEditor())
            return w->Memo1->isVisible() ? static_cast<QWidget *>(w->Memo1) : static_cast<QWidget *>(w->StringGrid1);
    return top;
}

void TExerciser::PressKeys(QWidget *top)
{
    QPointer<QWidget> target = KeyTarget(top);
    if (!target) return;
    if (Chance(35)) {
        const char *fragment = TypedFragments[Below(int(std::size(TypedFragments)))];
        Begin("type \"" + Text(AnsiString(fragment)) + "\" into " + Describe(target));
        for (const char *c = fragment; *c && target; ++c) TypeCharacter(target, *c);
        return;
    }
    const KeyChord &chord = KeyChords[Below(int(std::size(KeyChords)))];
    Begin(std::string("key ") + chord.Name + " to " + Describe(target));
    QTest::keyClick(target, chord.Key, chord.Modifiers);
    // Window switching by Ctrl+Tab ends when Ctrl is let go.
    if (target && chord.Key == Qt::Key_Tab && chord.Modifiers == Ctrl) QTest::keyRelease(target, Qt::Key_Control, None);
}

void TExerciser::ClickWidget(QWidget *top)
{
    const std::vector<QWidget *> widgets = Widgets(top, Clickable);
    if (widgets.empty()) return PressKeys(top);
    QWidget *w = PickFrom(widgets);
    const QPoint at = ClickPoint(w);
    const int how = Below(20);
    if (how == 0 && ContextMenuIsSafe(w)) {
        Begin("context menu of " + Describe(w));
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
        QCoreApplication::sendEvent(w, &event);
    } else if (how <= 2) {
        Begin("double-click " + Describe(w));
        QTest::mouseDClick(w, Qt::LeftButton, None, at);
    } else {
        // Now and then with Shift, Ctrl or Alt held: ranges, added cells, column selection.
        static const std::pair<const char *, Qt::KeyboardModifiers> held[] = {{"", None}, {"Shift+", Shift}, {"Ctrl+", Ctrl}, {"Alt+", Alt}};
        const auto &[name, modifiers] = held[how < 17 ? 0 : how - 16];
        Begin(std::string(name) + "click " + Describe(w));
        QTest::mouseClick(w, Qt::LeftButton, modifiers, at);
    }
}

void TExerciser::ResizeWindow()
{
    const int width = 500 + Below(700);
    const int height = 350 + Below(500);
    Begin("resize the main window to " + std::to_string(width) + "x" + std::to_string(height));
    Form->resize(width, height);
}

void TExerciser::OpenPopup(QWidget *top)
{
    const std::vector<QWidget *> combos = Widgets(top, [](const QWidget *w) { return qobject_cast<const QComboBox *>(w) != nullptr; });
    const std::vector<QWidget *> lists = Widgets(top, [](const QWidget *w) { return qobject_cast<const QAbstractItemView *>(w) != nullptr; });
    const std::vector<QWidget *> menuButtons = Widgets(top, [](const QWidget *w) {
        const auto *b = qobject_cast<const QToolButton *>(w);
        return b && b->menu();
    });
    std::vector<QWidget *> completion;
    if (top == Form.data())
        for (TSynCompletionProposal *p : {Form->SynCompletionProposal1, Form->SynCompletionProposal2})
            if (p->Active() && p->Form()) completion.push_back(p->Form());
    std::vector<const std::vector<QWidget *> *> kinds;
    for (const std::vector<QWidget *> *kind : std::initializer_list<const std::vector<QWidget *> *>{&combos, &lists, &menuButtons, &completion})
        if (!kind->empty()) kinds.push_back(kind);
    if (kinds.empty()) return PaintWindow(top);
    const std::vector<QWidget *> &kind = *kinds[size_t(Below(int(kinds.size())))];
    QWidget *w = PickFrom(kind);

    if (&kind == &combos) {
        auto *combo = static_cast<QComboBox *>(w);
        Begin("open the list of " + Describe(combo) + " (" + std::to_string(combo->count()) + " items)");
        QTest::mouseClick(combo, Qt::LeftButton, None, QPoint(std::max(combo->width() - 6, 0), combo->height() / 2));
        if (!combo->view()->isVisible()) QTest::keyClick(combo, Qt::Key_Down, Alt);
        if (QWidget *popup = QApplication::activePopupWidget()) {
            popup->grab();
            const int moves = Below(combo->count() + 1);
            for (int i = 0; i < moves && combo->view()->isVisible(); ++i) QTest::keyClick(combo->view(), Qt::Key_Down);
            if (combo->view()->isVisible()) QTest::keyClick(combo->view(), Chance(30) ? Qt::Key_Escape : Qt::Key_Return);
        }
    } else if (&kind == &menuButtons) {
        auto *button = static_cast<QToolButton *>(w);
        Begin("open the menu of " + Describe(button));
        button->menu()->popup(button->mapToGlobal(QPoint(0, button->height())));
        if (QWidget *popup = QApplication::activePopupWidget()) AnswerOpenPopup(popup);
    } else {
        Begin("paint the list " + Describe(w));
        w->grab();
    }
}

void TExerciser::PaintWindow(QWidget *top)
{
    Begin("paint the window " + Describe(top));
    top->grab();
}

void TExerciser::SwitchWindow()
{
    QTabBar *tabs = Form->TabSet1;
    if (tabs->count() == 0) return OpenDocument();
    if (Chance(60)) {
        const int tab = Below(tabs->count());
        Begin("click tab " + std::to_string(tab) + " \"" + Text(tabs->tabText(tab)) + "\"");
        QTest::mouseClick(tabs, Qt::LeftButton, None, tabs->tabRect(tab).center());
    } else {
        QPointer<QWidget> target = KeyTarget(Form);
        Begin("key Ctrl+Tab to " + Describe(target));
        QTest::keyClick(target, Qt::Key_Tab, Ctrl);
        if (target) QTest::keyRelease(target, Qt::Key_Control, None);
    }
}

void TExerciser::CloseWindow()
{
    const std::vector<TForm_Editor *> editors = Editors();
    if (editors.empty()) return OpenDocument();
    TForm_Editor *w = PickFrom(editors);
    Begin("close the window [" + Text(ExtractFileName(w->Caption())) + "]" + (w->IsModified() ? " (changed)" : ""));
    w->close();
}

void TExerciser::OpenDocument()
{
    std::vector<QAction *> reopen;
    for (QAction *a : Form->Reopen1->actions())
        if (a->isEnabled() && !a->isSeparator()) reopen.push_back(a);
    const int how = Below(10);
    QAction *action = how < 6 ? Form->FileOpen1 : how < 8 || reopen.empty() ? Form->NewDoc : PickFrom(reopen);
    Begin("open a document: " + Describe(action) + " \"" + Text(action->text(), 40) + "\"");
    Form->ActionList1->UpdateActions();
    action->trigger();
}

void TExerciser::ExitProgram()
{
    Begin("exit the program");
    Form->FileExit1->trigger();
}

// ---------------------------------------------------------------------------------------------
// Modal windows

// The dialog is shown and used for a few steps inside an event loop of its own, as exec would
// run it, then closed by one of its buttons, Esc, Return or its close box.
int TExerciser::AnswerDialog(QDialog *dialog)
{
    const std::string className = dialog->metaObject()->className();
    Writes.DialogClasses.insert(className);
    Note("dialog " + className + " \"" + Text(dialog->windowTitle(), 40) + "\"");
    if (DialogDepth >= 3) {
        Note("  cancelled (nested too deep)");
        return mrCancel;
    }
    ++DialogDepth;
    QPointer<QWidget> previousActive = QApplication::activeWindow();
    QPointer<QDialog> guard(dialog);
    int result = -1;
    const QMetaObject::Connection finished = QObject::connect(dialog, &QDialog::finished, dialog, [&result](int r) { result = r; });
    dialog->show();
    dialog->activateWindow();

    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        const int steps = Below(9);
        for (int i = 0; i < steps && guard && guard->isVisible(); ++i) {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                AnswerOpenPopup(popup);
            } else {
                const int what = Below(100);
                if (what < 40) PressKeys(guard);
                else if (what < 80) ClickWidget(guard);
                else if (what < 95) OpenPopup(guard);
                else PaintWindow(guard);
            }
            QCoreApplication::processEvents();
        }
        if (guard && guard->isVisible()) FinishDialog(guard);
        loop.quit();
    });
    loop.exec();

    --DialogDepth;
    QObject::disconnect(finished);   // a dialog kept by its window may be shown again later
    if (guard) {
        guard->hide();
        if (result < 0) result = guard->result();
    }
    if (previousActive) previousActive->activateWindow();
    Note("  " + className + " answered " + std::to_string(ResultOfDialog(std::max(result, 0))));
    return ResultOfDialog(std::max(result, 0));
}

void TExerciser::FinishDialog(QDialog *dialog)
{
    QPointer<QDialog> guard(dialog);
    for (int attempt = 0; attempt < 4 && guard && guard->isVisible(); ++attempt) {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            AnswerOpenPopup(popup);
            continue;
        }
        const std::vector<QWidget *> buttons = Widgets(guard, [](const QWidget *w) {
            return qobject_cast<const QAbstractButton *>(w) && Clickable(w);
        });
        const int how = Below(4);
        if (how < 2 && !buttons.empty()) {
            QWidget *b = PickFrom(buttons);
            Begin("finish the dialog: click " + Describe(b));
            QTest::mouseClick(b, Qt::LeftButton, None, ClickPoint(b));
        } else {
            QPointer<QWidget> target = KeyTarget(guard);
            Begin(std::string("finish the dialog: ") + (how == 2 ? "Return" : "Esc") + " to " + Describe(target));
            QTest::keyClick(target, how == 2 ? Qt::Key_Return : Qt::Key_Escape);
        }
        QCoreApplication::processEvents();
    }
    if (guard && guard->isVisible()) {
        Begin("finish the dialog: its close box");
        guard->close();
    }
    if (guard && guard->isVisible()) {
        Note("  the dialog refuses to close; hidden");
        guard->hide();
    }
}

int TExerciser::AnswerMessageBox(const MessageBoxCall &call)
{
    const std::vector<int> buttons = ButtonsOfBox(call.Flags);
    const int answer = PickFrom(buttons);
    if (call.Text.rfind("Exception message:", 0) == 0 && Writes.ExceptionText.empty()) Writes.ExceptionText = call.Text;
    Note("box \"" + Text(call.Caption, 30) + "\": " + Text(call.Text, 90) + " -> " + ButtonName(answer));
    return answer;
}

bool TExerciser::AnswerFileDialog(TFileDialog &dialog)
{
    const std::string kind = dialog.Kind() == TFileDialog::fdSave ? "save" : "open";
    const std::vector<AnsiString> files = DocumentFiles();
    if (Chance(15) || (dialog.Kind() == TFileDialog::fdOpen && files.empty())) {
        Note(kind + " dialog \"" + Text(dialog.Title, 30) + "\" cancelled");
        return false;
    }
    const int filters = std::max(int(ParseFileFilter(dialog.Filter).size()), 1);
    dialog.FilterIndex = 1 + Below(filters);
    AnsiString path;
    if (dialog.Kind() == TFileDialog::fdOpen) {
        path = PickFrom(files);
        if ((dialog.Options & ofAllowMultiSelect) && Chance(40)) {
            dialog.Files.Clear();
            dialog.Files.Add(path);
            for (int i = Below(3); i > 0; --i) dialog.Files.Add(PickFrom(files));
        }
    } else if (Chance(35) && !files.empty()) {
        path = PickFrom(files);
    } else {
        static const char *const extensions[] = {".kas", ".txt", ".cmd", ".kao", ".kat", ".log", ".abc", ""};
        const AnsiString folder = PickFrom(DocumentFolders());
        path = folder + "/saved" + std::to_string(++SavedNameCounter) + extensions[Below(int(std::size(extensions)))];
    }
    if (dialog.Kind() == TFileDialog::fdSave) Writes.ChosenNames.push_back(path);
    dialog.FileName = path;
    Note(kind + " dialog \"" + Text(dialog.Title, 30) + "\" -> " + Text(path.substr(Places.Root.size()), 80) +
         " (filter " + std::to_string(dialog.FilterIndex) + ")");
    return true;
}

bool TExerciser::AnswerFolderDialog(AnsiString &dir)
{
    if (Chance(15)) {
        Note("folder dialog cancelled");
        return false;
    }
    dir = PickFrom(DocumentFolders());
    Note("folder dialog -> " + Text(dir.substr(Places.Root.size())));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Settling

void TExerciser::Settle()
{
    if (!Form) return;
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The completion popups open after their delay: always waited for, so a run does not depend on
    // how fast the machine is.
    QElapsedTimer waited;
    waited.start();
    while (Form && (Form->SynCompletionProposal1->TimerPending() || Form->SynCompletionProposal2->TimerPending()) &&
           waited.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    for (int i = 0; i < 2; ++i) QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (Form) TAction::RunGuarded([this] { Form->ActionList1->UpdateActions(); });
}

// ---------------------------------------------------------------------------------------------
// Checks

std::string TExerciser::CheckAfterStep()
{
    if (!Writes.ExceptionText.empty()) return "an exception reached the user: " + Text(Writes.ExceptionText, 300);
    const char *settings = std::getenv("QUILLET_REGISTRY");
    if (!settings || Places.SettingsFile != settings) return "the settings file is no longer the test's own";
    for (auto check : {&TExerciser::CheckUntouchable, &TExerciser::CheckTabs})
        if (std::string failed = (this->*check)(); !failed.empty()) return failed;
    for (auto check : {&TExerciser::CheckWrites, &TExerciser::CheckDocuments})
        if (std::string failed = (this->*check)(); !failed.empty()) return failed;
    return {};
}

std::string TExerciser::CheckUntouchable() const
{
    for (const auto &[place, before] : UntouchableFiles) {
        const FileContents now = ReadFiles(place);
        if (now == before) continue;
        for (const auto &[path, bytes] : now)
            if (!before.count(path) || before.at(path) != bytes) return "a file outside the test's folder was written: " + path;
        return "a file outside the test's folder was removed below " + place;
    }
    return {};
}

bool TExerciser::WriteAllowed(const std::string &path) const
{
    if (Writes.Paths.count(path)) return true;
    for (const std::string &name : Writes.ChosenNames)
        if (path == name || (path.size() > name.size() && path.compare(0, name.size(), name) == 0 && path[name.size()] == '.'))
            return true;
    return ToolMayChange(Writes.DialogClasses, path);
}

std::string TExerciser::CheckWrites()
{
    FileTree now = ScanFiles(Places.Root);
    const FileChanges changes = Compare(RootFiles, now);
    RootFiles = std::move(now);
    auto settingsFile = [this](const std::string &path) { return path.compare(0, Places.SettingsFile.size(), Places.SettingsFile) == 0; };
    // The fast-insert lists live in the program folder and are edited in the settings dialog.
    auto insertList = [this](const std::string &path) {
        return UnderFolder(path, Places.ProgramFolder) && UpperExtension(path) == ".IL" && Writes.DialogClasses.count("TSettings_Form");
    };
    for (const std::string &path : changes.Added)
        if (!settingsFile(path) && !UnderFolder(path, Places.Documents) && !insertList(path))
            return "a file was made outside the documents' folders: " + path.substr(Places.Root.size());
    for (const auto *list : {&changes.Changed, &changes.Removed})
        for (const std::string &path : *list) {
            if (settingsFile(path) || insertList(path)) continue;
            const char *what = list == &changes.Changed ? "written" : "removed";
            if (!UnderFolder(path, Places.Documents))
                return std::string("a file outside the documents' folders was ") + what + ": " + path.substr(Places.Root.size());
            if (!WriteAllowed(path))
                return std::string("the file ") + path.substr(Places.Root.size()) + " was " + what + " though no save of it ran";
        }
    return {};
}

std::string TExerciser::CheckTabs() const
{
    if (FormGone()) return {};
    const QTabBar *tabs = Form->TabSet1;
    const int count = Form->MDIChildCount();
    if (tabs->count() != count)
        return std::to_string(count) + " document windows, but " + std::to_string(tabs->count()) + " tabs";
    for (int i = 0; i < count; ++i) {
        const auto *w = qobject_cast<const TForm_Editor *>(Form->MDIChildren(i));
        if (!w) continue;
        if (w->Tag != i) return "window " + std::to_string(i) + " [" + Text(ExtractFileName(w->Caption())) + "] has the number " + std::to_string(w->Tag);
        if (FromQPath(tabs->tabText(i)) != ExtractFileName(w->Caption()))
            return "tab " + std::to_string(i) + " reads \"" + Text(tabs->tabText(i)) + "\", its window is [" + Text(w->Caption()) + "]";
    }
    if (count == 0 && !tabs->isHidden()) return "the tab bar shows, with no document window open";
    if (count > 0 && tabs->isHidden()) return "the tab bar is hidden, with document windows open";
    return {};
}

int TExerciser::WindowId(TForm_Editor *window)
{
    QVariant id = window->property("exerciseWindowId");
    if (!id.isValid()) {
        id = NextWindowId++;
        window->setProperty("exerciseWindowId", id);
    }
    return id.toInt();
}

AnsiString TExerciser::TextAsOpened(const AnsiString &kind, AnsiString bytes)
{
    if (kind == KAS_Document) ConvertAutoTagsInPlace(bytes);
    RemoveBlanksBeforeLineEndsInPlace(bytes);
    Checker->LoadText(bytes);
    return Checker->Text();
}

bool TExerciser::MatchesFile(TForm_Editor *window, const AnsiString &bytes)
{
    const AnsiString &kind = window->DocumentKind;
    if (window->StringGridPanel->isHidden()) {
        const AnsiString mine = TextDocumentToFileBytes(kind, window->Memo1->Text());
        return mine == bytes || mine == TextDocumentToFileBytes(kind, TextAsOpened(kind, bytes));
    }
    const std::optional<TableData> table = TableFromFileBytes(bytes, kind);
    if (!table) return true;   // too large to hold; nothing to compare
    const TStringGrid *grid = window->StringGrid1;
    if (grid->ColCount() != table->ColCount || grid->RowCount() != table->RowCount) return false;
    for (int r = 0; r < table->RowCount; ++r)
        for (int c = 0; c < table->ColCount; ++c)
            if (grid->Cells(c, r) != table->Cell(c, r)) return false;
    return true;
}

std::string TExerciser::CheckDocuments()
{
    if (FormGone()) return {};
    const std::vector<TForm_Editor *> editors = Editors();
    std::map<int, bool> matches;
    std::map<int, AnsiString> bytesOf;
    for (TForm_Editor *w : editors) {
        const AnsiString path = w->Caption();
        if (w->FileNotRead || !FileExists(path)) continue;
        AnsiString bytes, error;
        if (!ReadFileBytes(path, bytes, error)) continue;
        matches[WindowId(w)] = MatchesFile(w, bytes);
    }
    for (TForm_Editor *w : editors) {
        const int id = WindowId(w);
        const auto match = matches.find(id);
        if (match == matches.end()) {
            Sync.erase(id);
            continue;
        }
        const AnsiString path = w->Caption();
        const FileStamp stamp = StampOf(path);
        const auto known = Sync.find(id);
        const bool first = known == Sync.end() || known->second.Path != path;
        if (match->second || (w->IsModified() && first)) {
            Sync[id] = {path, stamp, false};
            continue;
        }
        if (w->IsModified()) continue;
        // The marker is hidden, yet saving would change the file.
        const bool anotherMatches = std::any_of(editors.begin(), editors.end(), [&](TForm_Editor *v) {
            return v != w && v->Caption() == path && matches.count(WindowId(v)) && matches[WindowId(v)];
        });
        const std::string name = "[" + Text(path.substr(Places.Root.size())) + "]";
        if (anotherMatches) {
            Sync[id] = {path, stamp, true};
            continue;
        }
        if (Writes.SavedWindows.count(id))
            return w->StringGridPanel->isHidden() ? "the saved text of " + name + " reads back other than its pane holds"
                                                  : "the saved table " + name + " reads back other than its grid holds";
        if (first) return "window " + name + " opened unlike its file, with the changed marker hidden";
        if (!(stamp == known->second.Stamp)) {
            known->second = {path, stamp, true};
            continue;
        }
        if (known->second.Stale) continue;
        return "window " + name + " differs from its file, yet the changed marker is hidden";
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Helpers

std::vector<TForm_Editor *> TExerciser::Editors() const
{
    std::vector<TForm_Editor *> editors;
    if (!Form) return editors;
    for (int i = 0; i < Form->MDIChildCount(); ++i)
        if (auto *w = qobject_cast<TForm_Editor *>(Form->MDIChildren(i))) editors.push_back(w);
    return editors;
}

TForm_Editor *TExerciser::ActiveEditor() const { return Form ? qobject_cast<TForm_Editor *>(Form->ActiveMDIChild()) : nullptr; }

std::vector<AnsiString> TExerciser::DocumentFiles() const
{
    std::vector<AnsiString> files;
    for (const auto &[path, stamp] : ScanFiles(Places.Documents)) files.push_back(path);
    return files;
}

std::vector<AnsiString> TExerciser::DocumentFolders() const
{
    std::vector<AnsiString> folders{Places.Documents};
    QDirIterator it(ToQPath(Places.Documents), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) folders.push_back(FromQPath(it.next()));
    std::sort(folders.begin() + 1, folders.end());
    return folders;
}

bool TExerciser::FormGone() const { return !Form || Form->isHidden(); }

