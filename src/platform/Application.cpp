#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

TApplication TheApplication;

QWidget *TargetWindow()
{
    if (QWidget *w = ApplicationWindow()) return w;
    return QApplication::activeWindow();
}

} // namespace

TApplication *const Application = &TheApplication;

int ParamCount() { return Application->ParamCount(); }
AnsiString ParamStr(int i) { return Application->ParamStr(i); }

void TApplication::Initialize(int argc, char **argv)
{
    Args.assign(argv, argv + argc);
    FromTest = false;
}

void TApplication::SetCommandLine(const std::vector<AnsiString> &argv)
{
    Args = argv;
    FromTest = !argv.empty();
}

int TApplication::ParamCount() const
{
    if (Args.empty()) {
        // Not initialised: Qt's own copy of the command line.
        const qsizetype n = QCoreApplication::instance() ? QCoreApplication::arguments().size() : 0;
        return n > 0 ? int(n - 1) : 0;
    }
    return int(Args.size()) - 1;
}

AnsiString TApplication::ParamStr(int i) const
{
    if (i < 0 || i > ParamCount()) return AnsiString();
    if (i == 0) {
        // The real program file, wherever the start found it.
        if (!FromTest && QCoreApplication::instance())
            return FromQPath(QCoreApplication::applicationFilePath());
        return Args.empty() ? AnsiString() : AbsolutePath(Args[0]);
    }
    if (Args.empty()) return FromQPath(QCoreApplication::arguments().at(i));
    return Args[size_t(i)];
}

AnsiString TApplication::Title() const
{
    if (TitleSet) return StoredTitle;
    const AnsiString name = ExtractFileName(ExeName());
    const AnsiString ext = ExtractFileExt(name);
    return name.substr(0, name.size() - ext.size());
}

void TApplication::SetTitle(const AnsiString &title)
{
    StoredTitle = title;
    TitleSet = true;
}

void TApplication::ProcessMessages()
{
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::Terminate()
{
    IsTerminated = true;
    // exit, not quit: the loop ends without asking the windows to close, as the class library does.
    // Only a running loop is told: exit also makes every later modal loop end at once until the
    // main loop starts.
    if (Running) QCoreApplication::exit(0);
}

int TApplication::Run(QWidget *mainForm)
{
    if (IsTerminated) return 0;
    if (mainForm) mainForm->show();
    Running = true;
    QApplication::exec();
    Running = false;
    return 0;
}

void TApplication::Minimize()
{
    if (QWidget *w = TargetWindow()) w->showMinimized();
}

void TApplication::Restore()
{
    QWidget *w = TargetWindow();
    if (!w || !w->isMinimized()) return;
    w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    w->show();
}

bool TApplication::IsMinimized() const
{
    const QWidget *w = TargetWindow();
    return w && w->isMinimized();
}

void TApplication::BringToFront(QWidget *window)
{
    if (!window) return;
    if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void TApplication::ShowException(const std::exception &e)
{
    AnsiString message = e.what();
    if (!message.empty() && (unsigned char)message.back() > '.') message += '.';
    MessageBox(ApplicationWindow(), message, Title(), MB_OK | MB_ICONSTOP);
}

bool TQtApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        Application->ShowException(e);
    }
    return false;
}

int ScreenWidth()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size().width() : 1024;
}
