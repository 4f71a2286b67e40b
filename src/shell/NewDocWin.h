// The new-document dialog: a new unnamed document of one of the five kinds, the KAO and KAT
// companion tables of the active script, and the favourites list.
#pragma once

#include "platform/TStringList.h"
#include "platform/Text.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class TMainForm;
class TToolBar;
class TToolButton;

class TNewDocForm : public QDialog
{
    Q_OBJECT
public:
    explicit TNewDocForm(TMainForm *owner);
    ~TNewDocForm() override;

    QTabWidget *PageControl1 = nullptr;   // pages "New document" and "Favourites"
    QListWidget *ListView1 = nullptr;     // the kinds, then the companion entries
    QLabel *Label1 = nullptr;             // description of the selected entry
    QListWidget *ListBox1 = nullptr;      // one row per favourite
    QLabel *Label3 = nullptr;             // "Details:"
    QLabel *Label4 = nullptr;             // the focused favourite's stored line
    TToolBar *ToolBar1 = nullptr;
    TToolButton *ToolButton1 = nullptr;   // Select
    TToolButton *ToolButton2 = nullptr;   // Close
    TToolButton *ToolButton3 = nullptr;   // Help
    TToolButton *ToolButton5 = nullptr;   // delete a favourite
    TStringList Favourites;               // row i of ListBox1 is line i

    void FormCreate();
    void FormShow();
    void ListView1SelectItem();
    void PageControl1Change();
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();
    void ToolButton5Click();
    void ListBox1Click();

    // Entry positions of ListView1 and what each one creates.
    static constexpr int StandardEntryCount = 5;
    enum TCompanion { cmNone, cmKAO, cmKAT };
    TCompanion CompanionOfEntry(int row) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FitToEntries();
    void AddCompanionEntry(TCompanion companion);
    bool CompanionStillOffered(TCompanion companion) const;
    void CreateCompanion(TCompanion companion);
    void OpenSelectedFavourites();
    void FillFavourites();
    TMainForm *Main;
};

// Writes the seed of a new companion table; messages for a file that cannot be created or fully
// written. The file is opened as a document afterwards in any case.
void WriteCompanionSeed(const AnsiString &path, const AnsiString &seed, int sourceLine, const AnsiString &caption);
