// The splash window: the first window of every run; it shows the start-up steps of the first copy.
#pragma once

#include <QPixmap>
#include <QWidget>

class QLabel;

class TSplashForm : public QWidget
{
    Q_OBJECT
public:
    explicit TSplashForm(QWidget *owner = nullptr);

    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;   // the current start-up step
    QLabel *Label2 = nullptr;   // "Release: " and the program's version
    // 0 in the first copy of the program, 1 when another copy already runs.
    int Tag = 0;

    // Tag 1 and hidden when another copy already runs; otherwise Tag 0, shown and painted at once.
    void ShowForCopy(bool anotherCopyRuns);
    // Puts a start-up step into Label1 and paints it at once.
    void ShowStep(const QString &text);

    void FormCreate();

    // The splash picture (300 x 250), drawn rather than loaded so that no file can be missing.
    static QPixmap SplashPicture();
};

// The splash window of this run (created first by the program entry); none in tests.
extern TSplashForm *SplashForm;
