// What the document information windows and the analyzer build alike: a scroll box of rows, the
// layout of a main part over the tool bar, and the screen height they are kept within.
#pragma once

class QScrollArea;
class QVBoxLayout;
class QWidget;
class TToolBar;

// The primary screen's height without task bars; 768 when there is no screen.
int AvailableScreenHeight();

// A frameless scroll box in the window that scrolls up and down only; rows go into the returned
// column, which has no margins and no spacing.
QVBoxLayout *CreateRowScrollBox(QWidget *window, QScrollArea *&box);

// The window's layout without margins: the main part taking all the height, the tool bar under it.
// Parts added later go below the tool bar.
QVBoxLayout *StackOverToolBar(QWidget *window, QWidget *main, TToolBar *bar);
