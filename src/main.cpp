// Program entry: the splash, the running-copy marker, the main window, the message loop.
#include "platform/ActionList.h"
#include "platform/Application.h"
#include "platform/Memory.h"
#include "platform/SingleInstance.h"
#include "platform/TRegistry.h"
#include "platform/WriteRecovery.h"
#include "shell/Main.h"
#include "shell/Splashwin.h"

#include <exception>

int main(int argc, char **argv)
{
    KeepFreedMemoryForReuse();   // when refused, only speed differs: nothing to tell the user
    TQtApplication app(argc, argv);
    Application->Initialize(argc, argv);   // the command line, as the class library has it from the start
    TAction::OnUnhandledException = [](const std::exception &e) { Application->ShowException(e); };
    // Before anything is read: the settings file may be one of the files whose save was cut short.
    CompleteInterruptedWritesAndTell();
    SplashForm = new TSplashForm;
    // Held for the life of the process; the system drops it when the process ends in any way.
    static TNamedSemaphore semaphore(SemaphoreName, RegistryFilePath());
    InstanceSemaphore = &semaphore;
    SplashForm->ShowForCopy(semaphore.AlreadyExisted());
    try {
        Application->SetTitle("Quillet");
        auto *mainForm = new TMainForm;
        SplashForm->close();
        delete SplashForm;
        SplashForm = nullptr;
        Application->Run(mainForm);
        delete mainForm;
    } catch (const std::exception &e) {
        Application->ShowException(e);
    }
    return 0;
}
