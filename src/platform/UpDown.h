// The class library's up-down spinner: two arrow buttons beside an edit field (its associate).
// The position is the associate's number while that is a whole number (the maximum for a larger
// one), else the last position; the arrows step it by the increment within the range and write it
// to the field.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

class TUpDown : public QWidget
{
public:
    TUpDown(QLineEdit *associate, int min, int max, QWidget *parent = nullptr);

    int Min() const { return FMin; }
    int Max() const { return FMax; }
    int Position() const;
    void SetPosition(int position);   // clamped to the range; written to the associate
    int Increment() const { return FIncrement; }
    void SetIncrement(int increment) { FIncrement = increment; }
    QLineEdit *Associate() const { return FAssociate; }

    void Click(bool up);              // as a click on an arrow

private:
    QLineEdit *FAssociate;
    QToolButton *UpButton, *DownButton;
    int FMin, FMax;
    int FIncrement = 1;
    mutable int FPosition;
};
