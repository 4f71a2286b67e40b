// The author window: a picture and three buttons that open the author's mail, the author's page of
// a messaging service and the makers' web site.
#pragma once

#include <QDialog>

class QLabel;
class TToolBar;
class TToolButton;

inline constexpr const char *QuilletAuthorName = "Quillet author";

class TI_Form : public QDialog
{
    Q_OBJECT
public:
    explicit TI_Form(QWidget *owner = nullptr);

    QLabel *Image1 = nullptr;             // 258 x 252; a click closes the window
    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton1 = nullptr;   // "Mail to \"Quillet\" author"
    TToolButton *ToolButton2 = nullptr;   // the author's messaging page
    TToolButton *ToolButton3 = nullptr;   // "Velmora team in WWW"

    void Image1Click();
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
