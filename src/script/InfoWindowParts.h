// What the document information windows and the analyzer build alike: a scroll box of rows, the
// layout of a main part over the tool bar, and the screen height they are kept within.
#pragma once

#include <QLabel>

class QScrollArea;
class QVBoxLayout;
class QWidget;
class TToolBar;

// The primary screen's height without task bars; 768 when there is no screen.
int AvailableScreenHeight();

// A frameless scroll box in the window that scrolls up and down only; rows go into the returned
// column, which has no margins and no spacing. The box itself takes no keyboard focus: Tab goes
// from row to row.
QVBoxLayout *CreateRowScrollBox(QWidget *window, QScrollArea *&box);

// The window's layout without margins: the main part taking all the height, the tool bar under it.
// Parts added later go below the tool bar.
QVBoxLayout *StackOverToolBar(QWidget *window, QWidget *main, TToolBar *bar);

// A one-line value that is shown whole where it fits; a longer one is cut in the middle with an
// ellipsis and shows whole as its hint. It never widens its window.
class TElidedLabel : public QLabel
{
public:
    explicit TElidedLabel(QWidget *parent = nullptr) : QLabel(parent) {}

    void SetWholeText(const QString &text);
    QString WholeText() const { return Whole; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void ShowFitting();
    QString Whole;
};
