// The settings dialog without its window: the colour list, the highlighter elements it edits,
// the service and association items, and the mapping of every value to the settings key.
#pragma once

#include "common/Utils.h"
#include "platform/Colors.h"
#include "platform/Text.h"

#include <array>
#include <vector>

class TRegistry;

// The 42 entries of the colour lists: 16 named colours, "None", "Default", 24 system colours.
struct NamedColor
{
    const char *Name;
    TColor Color;
};
const std::vector<NamedColor> &ColorListEntries();
constexpr int ColorListCount = 42;
constexpr int ColorIndexNone = 16, ColorIndexDefault = 17, ColorIndexBackground = 18;
// An index outside the list gives black; a colour not in the list gives "Background".
TColor ColorIndexToColor(int index);
int ColorToColorIndex(TColor color);

// What an element of the highlighter list edits.
enum class TElementKind { Attribute, Whitespace, Selection, RightEdge };
// A "Default" pick that stands for the example pane's background.
constexpr TColor EditorBackgroundDefault = clNone;
struct HighlighterElement
{
    const char *Name;            // the list's text
    TElementKind Kind;
    const char *Attribute;       // the highlighter attribute it edits (Kind Attribute)
    TColor DefaultForeground;    // what "Default" gives
    TColor DefaultBackground;    // EditorBackgroundDefault: the example's background
};
const std::vector<HighlighterElement> &HighlighterElements();   // 16, in list order
// The colour a pick stands for: "None" is the example's background (the system window colour
// for the whitespace background), "Default" the element's default.
TColor PickedColor(const HighlighterElement &element, bool background, int index, TColor editorBackground);

// A check item stored as a boolean of the settings key.
struct SettingItem
{
    const char *Caption;
    const char *ValueName;
    bool Default;
};
const std::vector<SettingItem> &ServiceItems();       // the "Misc" list, 11 items
struct AssociationItem
{
    const char *Caption;
    const char *ValueName;
    const char *Extension;
    const char *TypeName;
    int IconIndex;
};
const std::vector<AssociationItem> &AssociationItems();   // 5 items

// The tab-width menu item (1 "Tabs OFF", 2 ... 10) that shows a stored width.
int TabItemOfWidth(int width);

// Everything the dialog stores in the settings key.
struct DialogSettings
{
    std::array<bool, 5> Associations{};
    std::array<bool, 11> Service{};
    AnsiString EditorFontName;
    int EditorFontSize = 10;
    TColor EditorColor = clWindow;
    TColor EditorSelectedColourBackground = clActiveCaption;
    TColor EditorSelectedColourForeground = clCaptionText;
    TColor EditorRightEdgeColor = clSilver;
    bool EditorGutterVisible = true;
    int EditorRightEdge = 80;
    int EditorTabWidth = 1;
    bool EditorHighlightTXT = true;
    bool EditorHighlightKAS = true;
    bool EditorWtiteDateTag = true;
    int SCL_Delay = 0;
};
// The association and service items as stored (defaults where a value is missing); the key must be
// open.
void ReadCheckSettings(TRegistry &reg, DialogSettings &settings);
// Writes every value in the dialog's order; the key must be open for writing.
void WriteDialogSettings(TRegistry &reg, const DialogSettings &settings);

// The three additional settings of the product key.
struct AdditionalSettings
{
    bool WritePoweredBy = false;
    bool WriteWarning1 = false;
    AnsiString Warning1Text;
};
void ReadAdditionalSettings(TRegistry &reg, AdditionalSettings &settings);
void WriteAdditionalSettings(TRegistry &reg, const AdditionalSettings &settings);

// Registers a checked association, removes an unchecked one. The text type is shared with other
// programs: it is removed only while its open command names this program.
void ApplyAssociation(const AssociationItem &item, bool checked, const AnsiString &programPath);
