// A status bar of panels with given pixel widths (the last panel takes the rest of the bar), and a
// progress bar that long operations lay over a panel.
#pragma once

#include "platform/Text.h"

#include <QProgressBar>
#include <QStatusBar>
#include <memory>
#include <vector>

class QLabel;
class TStatusBar;

class TStatusPanel
{
public:
    AnsiString Text() const { return FText; }
    void SetText(const AnsiString &text);
    int Width() const { return FWidth; }
    // Takes effect at once: the panels to the right and anything lying over a panel move with it.
    void SetWidth(int width);

private:
    friend class TStatusPanels;
    friend class TStatusBar;
    TStatusPanel(TStatusBar *bar, int width);

    TStatusBar *FBar;
    QLabel *FLabel;
    AnsiString FText;
    int FWidth;
};

class TStatusPanels
{
public:
    TStatusPanel &Add(int width = 50);
    int Count() const { return int(FItems.size()); }
    TStatusPanel &operator[](int i) { return *FItems.at(size_t(i)); }
    const TStatusPanel &operator[](int i) const { return *FItems.at(size_t(i)); }

private:
    friend class TStatusBar;
    explicit TStatusPanels(TStatusBar *bar) : FBar(bar) {}

    TStatusBar *FBar;
    std::vector<std::unique_ptr<TStatusPanel>> FItems;
};

class TProgressBar : public QProgressBar
{
public:
    explicit TProgressBar(QWidget *parent = nullptr);

    int Min() const { return minimum(); }
    void SetMin(int min);
    int Max() const { return maximum(); }
    void SetMax(int max);
    // Kept within Min .. Max; the bar is repainted at once, also inside a long operation.
    int Position() const { return qMax(value(), minimum()); }
    void SetPosition(int position);

private:
    friend class TStatusBar;
    int FOverPanel = -1;
};

class TStatusBar : public QStatusBar
{
public:
    explicit TStatusBar(QWidget *parent = nullptr);
    ~TStatusBar() override;

    TStatusPanels Panels;

    // Where panel i lies in the bar's client area (zero width when it lies beyond the right edge).
    QRect PanelRect(int i) const;
    // A progress bar lying over the panel and following it, until the caller deletes it.
    TProgressBar *CreateProgressBar(int panel = 0);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class TStatusPanel;
    friend class TStatusPanels;
    void Relayout();
};
