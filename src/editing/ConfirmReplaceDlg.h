// The question asked for each hit of a prompted replace, placed beside the hit.
#pragma once

#include "platform/Text.h"

#include <QDialog>

class QLabel;
class QPushButton;

class TConfirmReplaceDialog : public QDialog
{
    Q_OBJECT
public:
    // Modal results of the buttons besides Cancel (mrCancel).
    static constexpr int ResultReplace = 6;
    static constexpr int ResultSkip = 7;
    static constexpr int ResultReplaceAll = 10;

    explicit TConfirmReplaceDialog(QWidget *owner);

    QLabel *Image1 = nullptr;           // the question icon
    QLabel *lblConfirmation = nullptr;
    QPushButton *btnReplace = nullptr;
    QPushButton *btnSkip = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *btnReplaceAll = nullptr;

    // Sets the question for the found text and moves the dialog beside the hit: area is the
    // document window's client area, (x, lineTop) the hit's top left and lineBottom the bottom of
    // its line, all in screen coordinates.
    void PlaceNearText(const QRect &area, int x, int lineTop, int lineBottom, const AnsiString &foundText);

private:
    void FormCreate();
};
