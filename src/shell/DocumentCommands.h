// Pieces of the document commands that need no window: companion paths, the favourites list and
// the dialogs' tool bars and help.
#pragma once

#include "platform/TStringList.h"
#include "platform/Text.h"

#include <functional>

class TToolBar;
class TToolButton;
class QWidget;

// The path less its last four characters (whatever the extension's length) plus the extension.
AnsiString CompanionPath(const AnsiString &path, const AnsiString &extension);

// ---- Favourites: lines "path TAB kind", kept sorted (without regard to case) and unique ----
inline constexpr const char *FavouritesValueName = "FavouritesFileList";
// The stored list; empty when the value is missing.
AnsiString ReadFavouritesText();
void WriteFavouritesText(const AnsiString &text);
// Adds the document to the stored list (a line already there is not added twice).
void AddToFavourites(const AnsiString &path, const AnsiString &kind);

struct Favourite
{
    AnsiString Path;
    AnsiString Kind;   // at most 12 characters of what follows the TAB; empty without a TAB
};
Favourite SplitFavourite(const AnsiString &line);
// The kind a favourite opens with: its own when it is one of the five, else by the upper-cased
// extension of the path (".LOG" opens as a text); empty when neither names a kind.
AnsiString FavouriteOpeningKind(const Favourite &favourite);
// The name shown for a favourite: the file name without its folder.
AnsiString FavouriteDisplayName(const AnsiString &path);

// The help of a dialog: the program's help file at the dialog's context number. When it shows
// nothing the user is told why (TMainForm::ShowHelpFileMissing), as for every help command.
void ShowContextHelp(int context);
// True for a path below the game folder while no game folder is known ("none"): there is no such
// file to look for.
bool BelowUnknownGameFolder(const AnsiString &path, const AnsiString &gameFolder);
// What a help command that showed nothing tells the user: the file is missing ("File ... not
// found."), lies below a game folder that is not set, or is there but could not be opened.
AnsiString HelpNotShownText(const AnsiString &path, const AnsiString &gameFolder, bool fileExists);

// A dialog's keys: Enter (either key) runs enter, Esc escape and F1 help; false for any other key.
bool RunDialogKey(int key, const std::function<void()> &enter, const std::function<void()> &escape,
                  const std::function<void()> &help);

// A dialog's tool bar: buttons with their captions beside their pictures.
TToolBar *DialogToolBar(QWidget *parent);
TToolButton *DialogButton(TToolBar *bar, const AnsiString &caption, const AnsiString &hint, int standardIcon);
