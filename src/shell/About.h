// The about box: the program's name and version, a link to the makers' web site, the credits and a
// report of the environment (completion table, game files, forms and components).
#pragma once

#include "platform/Text.h"

#include <QDialog>

class QLabel;
class QMenu;
class QAction;
class QPlainTextEdit;
class TStringList;
class TToolBar;
class TToolButton;

class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *owner = nullptr);

    QLabel *ProgramIcon = nullptr;
    QLabel *Label6 = nullptr;   // "Quillet"
    QLabel *Label5 = nullptr;   // "v. " + version
    QLabel *Label3 = nullptr;   // "KAS v. 2.80 compatible"
    QLabel *Label1 = nullptr;   // "Details:"
    QLabel *Label2 = nullptr;   // "\"Velmora\" team web site:"
    QLabel *Label4 = nullptr;   // the web site's address, a link
    QPlainTextEdit *Memo1 = nullptr;   // credits, then the environment report
    QMenu *PopupMenu1 = nullptr;       // Label4's: "Copy link"
    QMenu *PopupMenu2 = nullptr;       // Memo1's: "Copy"
    QMenu *ContactsMenu = nullptr;
    QAction *MailtoVelmora1 = nullptr, *MailtoQUILauthor1 = nullptr, *NewQuilletversion1 = nullptr,
            *LoadKAShelp1 = nullptr;
    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton1 = nullptr;   // "Contacts..."
    TToolButton *ToolButton2 = nullptr;   // "Ok"

    void FormCreate();
    void ToolButton2Click();
    void Copylink1Click();
    void Copy1Click();
    void MailtoVelmora1Click();
    void MailtoQUILauthor1Click();
    void NewQuilletversion1Click();
    void LoadKAShelp1Click();
    void Label4Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int MemoWidthForLongestLine() const;
};

// The addresses the about box and the author window open.
namespace QuilletLinks {
inline constexpr const char *VelmoraSite = "https://velmora.quillet.example/";
inline constexpr const char *VelmoraMail = "mailto:team@velmora.quillet.example";
inline constexpr const char *AuthorMail = "mailto:author@quillet.example";
inline constexpr const char *Downloads = "https://quillet.example/download/";
inline constexpr const char *KasHelp = "https://velmora.quillet.example/kas_help/";
inline constexpr const char *AuthorMessenger = "https://chat.quillet.example/author";
}

// The fixed credits text (before the environment report).
AnsiString AboutCreditsText();

struct AboutEnvironment
{
    AnsiString SclVersion;        // "KASVersion" of the completion table
    AnsiString GameExeVersion;    // "unknown" when the file is missing
    AnsiString GameLibVersion;
    int Forms = 0;
    int Components = 0;
    AnsiString EditorVersion;     // the editor component's version
};
// The game files' versions from the game folder ("unknown" for a missing file), the completion
// table's version, and the counts of the application's windows and their parts.
AboutEnvironment GatherAboutEnvironment(const AnsiString &gameFolder, const TStringList *sclTable);
// The report appended to the credits: each value in a column after its label.
AnsiString AboutEnvironmentReport(const AboutEnvironment &env);
