#include "platform/StatusBar.h"

#include <QLabel>
#include <QResizeEvent>
#include <algorithm>

TStatusPanel::TStatusPanel(TStatusBar *bar, int width) : FBar(bar), FLabel(new QLabel(bar)), FWidth(width)
{
    FLabel->setTextFormat(Qt::PlainText);
    FLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    FLabel->setIndent(2);
    // Panels lie below everything else that is placed on the bar (markers, buttons, progress bars).
    FLabel->lower();
    FLabel->show();
}

void TStatusPanel::SetText(const AnsiString &text)
{
    FText = text;
    FLabel->setText(ToQ(text));
}

void TStatusPanel::SetWidth(int width)
{
    FWidth = std::max(width, 0);
    FBar->Relayout();
}

TStatusPanel &TStatusPanels::Add(int width)
{
    FItems.push_back(std::unique_ptr<TStatusPanel>(new TStatusPanel(FBar, std::max(width, 0))));
    FBar->Relayout();
    return *FItems.back();
}

TProgressBar::TProgressBar(QWidget *parent) : QProgressBar(parent)
{
    setTextVisible(false);
    setRange(0, 100);
    setValue(0);
}

void TProgressBar::SetMin(int min)
{
    const int position = Position();
    setMinimum(min);
    SetPosition(position);
}

void TProgressBar::SetMax(int max)
{
    const int position = Position();
    setMaximum(max);
    SetPosition(position);
}

void TProgressBar::SetPosition(int position)
{
    setValue(std::clamp(position, minimum(), maximum()));
}

TStatusBar::TStatusBar(QWidget *parent) : QStatusBar(parent), Panels(this)
{
    setSizeGripEnabled(false);
    setMinimumHeight(std::max(19, fontMetrics().height() + 6));
}

// The labels are children of the bar and go with it; the panel objects only point at them.
TStatusBar::~TStatusBar() = default;

QRect TStatusBar::PanelRect(int i) const
{
    const int count = Panels.Count();
    if (i < 0 || i >= count)
        return {};
    int left = 0;
    for (int k = 0; k < i; ++k)
        left += Panels[k].Width();
    const int clientWidth = width();
    const int right = i == count - 1 ? clientWidth : std::min(left + Panels[i].Width(), clientWidth);
    const int x = std::min(left, clientWidth);
    return QRect(x, 0, std::max(right - x, 0), height());
}

TProgressBar *TStatusBar::CreateProgressBar(int panel)
{
    auto *bar = new TProgressBar(this);
    bar->FOverPanel = panel;
    bar->setGeometry(PanelRect(panel).adjusted(1, 1, -1, -1));
    bar->raise();
    bar->show();
    return bar;
}

void TStatusBar::resizeEvent(QResizeEvent *event)
{
    QStatusBar::resizeEvent(event);
    Relayout();
}

void TStatusBar::Relayout()
{
    for (int i = 0; i < Panels.Count(); ++i)
        Panels[i].FLabel->setGeometry(PanelRect(i));
    for (TProgressBar *bar : findChildren<TProgressBar *>(Qt::FindDirectChildrenOnly))
        if (bar->FOverPanel >= 0)
            bar->setGeometry(PanelRect(bar->FOverPanel).adjusted(1, 1, -1, -1));
}
