// The progress bar of a long operation goes and the main status bar's first panel is widened back
// however the operation ends, also when a step throws.
#pragma once

#include "platform/StatusBar.h"
#include "shell/Main.h"

class TOperationStatusScope
{
public:
    TOperationStatusScope(TMainForm *form, int restoredPanelWidth) : Form(form), Width(restoredPanelWidth) {}
    ~TOperationStatusScope()
    {
        Form->EndOperationProgress();
        Form->StatusBar1->Panels[0].SetWidth(Width);
    }
    TOperationStatusScope(const TOperationStatusScope &) = delete;
    TOperationStatusScope &operator=(const TOperationStatusScope &) = delete;

private:
    TMainForm *Form;
    int Width;
};
