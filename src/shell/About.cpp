#include "shell/About.h"

#include "common/Utils.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/TStringList.h"
#include "platform/ToolBar.h"
#include "shell/DocumentCommands.h"
#include "shell/Main.h"

#include <Qsci/qsciglobal.h>
#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextDocument>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int FirstWidth = 400, FirstHeight = 300;

} // namespace

// Addresses stand on lines of their own, so that the box stays narrow.
AnsiString AboutCreditsText()
{
    return " Credits\r\n"
           " -------\r\n"
           " Quillet is written by the Quillet author for the\r\n"
           " \"Velmora\" team and the KAS script writers of Tarrowmere.\r\n"
           " Thanks to everyone who tested the editor on their\r\n"
           " scripts and sent in their wishes and bug reports.\r\n"
           "\r\n"
           " Technical details\r\n"
           " -----------------\r\n"
           " Written in C++20, built with GCC, CMake and Ninja:\r\n"
           "   https://gcc.gnu.org/\r\n"
           "   https://cmake.org/\r\n"
           "   https://ninja-build.org/\r\n"
           " Windows, dialogs and printing: Qt " QT_VERSION_STR "\r\n"
           "   https://www.qt.io/\r\n"
           " Text panes: QScintilla " QSCINTILLA_VERSION_STR ", built on Scintilla\r\n"
           "   https://www.riverbankcomputing.com/software/qscintilla/\r\n"
           "   https://www.scintilla.org/\r\n"
           " Tests: GoogleTest\r\n"
           "   https://github.com/google/googletest\r\n"
           " Benchmarks: Google Benchmark\r\n"
           "   https://github.com/google/benchmark\r\n"
           " Fonts: DejaVu\r\n"
           "   https://dejavu-fonts.github.io/\r\n"
           " Packages: Debian\r\n"
           "   https://www.debian.org/\r\n";
}

// Every top-level widget counts one; a main window or dialog is a form, and each widget and action
// it holds counts one more.
static void CountForms(int &forms, int &components)
{
    forms = components = 0;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        ++components;
        if (!qobject_cast<QMainWindow *>(top) && !qobject_cast<QDialog *>(top)) continue;
        ++forms;
        components += int(top->findChildren<QWidget *>().size() + top->findChildren<QAction *>().size());
    }
}

static AnsiString GameFileVersion(const AnsiString &gameFolder, const char *file)
{
    const AnsiString path = gameFolder + "/" + file;
    return FileExists(path) ? GetFileVersionText(path) : AnsiString("unknown");
}

AboutEnvironment GatherAboutEnvironment(const AnsiString &gameFolder, const TStringList *sclTable)
{
    AboutEnvironment env;
    env.GameExeVersion = GameFileVersion(gameFolder, "trqal.exe");
    env.SclVersion = sclTable ? sclTable->Values("KASVersion") : AnsiString();
    env.GameLibVersion = GameFileVersion(gameFolder, "jotlib1.dll");
    CountForms(env.Forms, env.Components);
    env.EditorVersion = AnsiString("QScintilla ") + QSCINTILLA_VERSION_STR;
    return env;
}

AnsiString AboutEnvironmentReport(const AboutEnvironment &env)
{
    return "\r\n \"Code Completion\" KAS version:   " + env.SclVersion +
           "\r\n\r\n Tarrowmere versions:\r\n    trqal.exe     " + env.GameExeVersion + "," +
           "\r\n    jotlib1.dll   " + env.GameLibVersion + "\r\n" +
           "\r\n Current forms count:         " + IntToStr(env.Forms) +
           "\r\n Current components count:    " + IntToStr(env.Components) +
           "\r\n\r\n SynEdit version:             " + env.EditorVersion;
}

TAboutBox::TAboutBox(QWidget *owner) : QDialog(owner)
{
    setObjectName("AboutBox");
    setWindowTitle("About");

    ProgramIcon = new QLabel(this);
    ProgramIcon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    ProgramIcon->setFixedSize(52, 52);
    Label6 = new QLabel("Quillet", this);
    QFont big = Label6->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    Label6->setFont(big);
    Label5 = new QLabel(this);
    Label3 = new QLabel("KAS v. 2.80 compatible", this);
    Label1 = new QLabel("Details:", this);
    Label2 = new QLabel("\"Velmora\" team web site:", this);
    Label4 = new QLabel(QuilletLinks::VelmoraSite, this);
    Label4->setToolTip("Go to \"Velmora\" team web site");
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->setStyleSheet("color: #1a55b0; text-decoration: underline;");
    Label4->installEventFilter(this);
    Label4->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->addAction("Copy link", this, [this] { Copylink1Click(); });
    connect(Label4, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { PopupMenu1->popup(Label4->mapToGlobal(p)); });

    Memo1 = new QPlainTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setToolTip("Credits");
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The report's values stand in a column.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(std::max(7, fixed.pointSize() - 1));
    Memo1->setFont(fixed);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu2 = new QMenu(this);
    PopupMenu2->addAction("Copy", this, [this] { Copy1Click(); });
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { PopupMenu2->popup(Memo1->mapToGlobal(p)); });

    ToolBar1 = DialogToolBar(this);
    ContactsMenu = new QMenu(this);
    MailtoVelmora1 = ContactsMenu->addAction("Mail to \"Velmora\" team", this, [this] { MailtoVelmora1Click(); });
    MailtoQUILauthor1 = ContactsMenu->addAction("Mail to Quillet author", this, [this] { MailtoQUILauthor1Click(); });
    NewQuilletversion1 = ContactsMenu->addAction("Load new Quillet", this, [this] { NewQuilletversion1Click(); });
    LoadKAShelp1 = ContactsMenu->addAction("Load KAS help", this, [this] { LoadKAShelp1Click(); });
    LoadKAShelp1->setVisible(false);
    ToolButton1 = DialogButton(ToolBar1, "Contacts...", "Contacts", QStyle::SP_MessageBoxInformation);
    ToolButton1->setMenu(ContactsMenu);
    ToolButton1->setPopupMode(QToolButton::InstantPopup);
    ToolButton2 = DialogButton(ToolBar1, "Ok", "Close window (Esc)", QStyle::SP_DialogOkButton);
    ToolButton2->OnClick = [this] { ToolButton2Click(); };

    auto *titles = new QVBoxLayout;
    titles->setSpacing(0);
    titles->addWidget(Label6);
    titles->addWidget(Label5);
    titles->addWidget(Label3);
    auto *top = new QHBoxLayout;
    top->addWidget(ProgramIcon, 0, Qt::AlignTop);
    top->addLayout(titles, 1);
    auto *site = new QHBoxLayout;
    site->addWidget(Label2);
    site->addWidget(Label4, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addLayout(site);
    layout->addWidget(Label1);
    layout->addWidget(Memo1, 1);
    layout->addWidget(ToolBar1);
    FormCreate();
}

void TAboutBox::FormCreate()
{
    Label5->setText("v. " + ToQ(GetFileVersionText(ParamStr(0))));
    const AnsiString gameFolder = MainForm ? MainForm->GameFolder : AnsiString("none");
    const TStringList *scl = MainForm ? MainForm->SclTable : nullptr;
    const QString text = ToQ(AboutCreditsText() + AboutEnvironmentReport(GatherAboutEnvironment(gameFolder, scl)));
    Memo1->setPlainText(QString(text).replace("\r\n", "\n"));
    const QMargins around = layout()->contentsMargins();
    setFixedSize(std::max(FirstWidth, around.left() + MemoWidthForLongestLine() + around.right()), FirstHeight);
}

// The memo shows its longest line whole: its text never needs side-scrolling.
int TAboutBox::MemoWidthForLongestLine() const
{
    int widest = 0;
    for (const QString &line : Memo1->toPlainText().split('\n'))
        widest = std::max(widest, Memo1->fontMetrics().horizontalAdvance(line));
    const int caret = 2;   // a line as wide as the view still scrolls for the caret behind it
    const int margins = 2 * int(std::ceil(Memo1->document()->documentMargin())) + 2 * Memo1->frameWidth();
    return widest + margins + Memo1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Memo1) + caret;
}

void TAboutBox::ToolButton2Click() { accept(); }

void TAboutBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        ToolButton2Click();
    else if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        QDialog::keyPressEvent(event);
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label4 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Label4Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::Copylink1Click() { QGuiApplication::clipboard()->setText(Label4->text()); }

void TAboutBox::Copy1Click() { QGuiApplication::clipboard()->setText(Memo1->toPlainText()); }

void TAboutBox::MailtoVelmora1Click() { ShellOpen(QuilletLinks::VelmoraMail); }

void TAboutBox::MailtoQUILauthor1Click() { ShellOpen(QuilletLinks::AuthorMail); }

void TAboutBox::NewQuilletversion1Click() { ShellOpen(QuilletLinks::Downloads); }

void TAboutBox::LoadKAShelp1Click() { ShellOpen(QuilletLinks::KasHelp); }

void TAboutBox::Label4Click() { ShellOpen(FromQ(Label4->text())); }
