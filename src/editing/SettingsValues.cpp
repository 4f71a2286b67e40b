#include "editing/SettingsValues.h"

#include "common/Utils.h"
#include "platform/TRegistry.h"

const std::vector<NamedColor> &ColorListEntries()
{
    static const std::vector<NamedColor> entries = {
        {"Aqua", clAqua}, {"Black", clBlack}, {"Blue", clBlue}, {"Fuchsia", clFuchsia},
        {"Gray", clGray}, {"Green", clGreen}, {"Lime", clLime}, {"Maroon", clMaroon},
        {"Navy", clNavy}, {"Olive", clOlive}, {"Purple", clPurple}, {"Red", clRed},
        {"Silver", clSilver}, {"Teal", clTeal}, {"White", clWhite}, {"Yellow", clYellow},
        {"None", clNone}, {"Default", clDefault},
        {"Background", clBackground}, {"ActiveCaption", clActiveCaption},
        {"InactiveCaption", clInactiveCaption}, {"Menu", clMenu}, {"Window", clWindow},
        {"WindowFrame", clWindowFrame}, {"MenuText", clMenuText}, {"WindowText", clWindowText},
        {"CaptionText", clCaptionText}, {"ActiveBorder", clActiveBorder},
        {"InactiveBorder", clInactiveBorder}, {"AppWorkSpace", clAppWorkSpace},
        {"Highlight", clHighlight}, {"HighlightText", clHighlightText}, {"BtnFace", clBtnFace},
        {"BtnShadow", clBtnShadow}, {"GrayText", clGrayText}, {"BtnText", clBtnText},
        {"InactiveCaptionText", clInactiveCaptionText}, {"BtnHighlight", clBtnHighlight},
        {"3DDkShadow", cl3DDkShadow}, {"3DLight", cl3DLight}, {"InfoText", clInfoText},
        {"InfoBk", clInfoBk},
    };
    return entries;
}

TColor ColorIndexToColor(int index)
{
    if (index < 0 || index >= ColorListCount) return clBlack;
    return ColorListEntries()[size_t(index)].Color;
}

int ColorToColorIndex(TColor color)
{
    const auto &entries = ColorListEntries();
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].Color == color) return int(i);
    return ColorIndexBackground;
}

const std::vector<HighlighterElement> &HighlighterElements()
{
    using K = TElementKind;
    const TColor ed = EditorBackgroundDefault;
    static const std::vector<HighlighterElement> elements = {
        {"Magic Word", K::Attribute, "Key_Magic", clMaroon, ed},
        {"Macro", K::Attribute, "Macro", clNavy, ed},
        // Strings have no default background of their own; the editor's suits them as the others.
        {"Strings", K::Attribute, "String", clNavy, ed},
        {"KeySymbols", K::Attribute, "Symbol", clBlack, ed},
        {"Comments", K::Attribute, "Remark", clGreen, ed},
        {"QUIL tags", K::Attribute, "Comment", clSilver, ed},
        {"Text", K::Attribute, "Identifier", clBlack, ed},
        {"Whitespace", K::Whitespace, nullptr, clNone, clWindow},
        {"Selection", K::Selection, nullptr, clHighlightText, clHighlight},
        {"RightEdge", K::RightEdge, nullptr, clGray, clNone},
        {"QUIL warnings", K::Attribute, "QUIL Warning", clSilver, clSilver},
        {"QUIL declarations", K::Attribute, "QUIL Declaration", clSilver, clSilver},
        {"Triggers", K::Attribute, "Key_Trigger", clMaroon, ed},
        {"Post-Triggers", K::Attribute, "Key_PostTrigger", clMaroon, ed},
        {"Receivers", K::Attribute, "Key_Receiver", clMaroon, ed},
        {"Instruction", K::Attribute, "Key_Instruction", clMaroon, ed},
    };
    return elements;
}

TColor PickedColor(const HighlighterElement &element, bool background, int index, TColor editorBackground)
{
    if (index == ColorIndexNone)
        return background && element.Kind == TElementKind::Whitespace ? clWindow : editorBackground;
    if (index == ColorIndexDefault) {
        const TColor def = background ? element.DefaultBackground : element.DefaultForeground;
        return background && def == EditorBackgroundDefault ? editorBackground : def;
    }
    return ColorIndexToColor(index);
}

const std::vector<SettingItem> &ServiceItems()
{
    static const std::vector<SettingItem> items = {
        {"To open last document at starting of Quillet", "OpenLastFile", false},
        {"To create a backup copy of document at opening", "NeedBackup", false},
        {"To open \"QUIL_Loading.LOG\" file at starting of Quillet", "OpenLoadingLogAtStarting", false},
        {"To allow only 1 copy of Quillet at a time", "AllowOnlyOneCopy", true},
        {"To arrange Text Resource Manager window on the right", "TRMRightArrange", false},
        {"To remember width of columns for tabular documents", "RememberColWidth", true},
        {"To remember fixed columns and fixed rows for tabular documents", "RememberFixColsRows", true},
        {"All text documents to open as the table (CMD format)", "OpenTXTAsCMD", false},
        {"Automatically Autosize all columns when opening CMD table", "AutoAutosizeAllCollsForCMDTab", false},
        {"Automatically Autosize all columns when opening KAT table", "AutoAutosizeAllCollsForKATTab", false},
        {"Automatically Autosize all columns when opening KAO table", "AutoAutosizeAllCollsForKAOTab", false},
    };
    return items;
}

const std::vector<AssociationItem> &AssociationItems()
{
    static const std::vector<AssociationItem> items = {
        {"Associate with *.kas files", "AssotiateWith_KAS", ".KAS", "KAS Script", 1},
        {"Associate with *.txt files", "AssotiateWith_TXT", ".TXT", "Text document", 2},
        {"Associate with *.cmd files", "AssotiateWith_CMD", ".CMD", "CMD Document", 4},
        {"Associate with *.kao files", "AssotiateWith_KAO", ".KAO", "KAO Document", 5},
        {"Associate with *.kat files", "AssotiateWith_KAT", ".KAT", "KAT Document", 6},
    };
    return items;
}

int TabItemOfWidth(int width) { return width >= 2 && width <= 10 ? width : 1; }

void ReadCheckSettings(TRegistry &reg, DialogSettings &settings)
{
    for (size_t i = 0; i < settings.Associations.size(); ++i)
        settings.Associations[i] = ReadBoolOr(reg, AssociationItems()[i].ValueName, false);
    for (size_t i = 0; i < settings.Service.size(); ++i)
        settings.Service[i] = ReadBoolOr(reg, ServiceItems()[i].ValueName, ServiceItems()[i].Default);
}

void WriteDialogSettings(TRegistry &reg, const DialogSettings &s)
{
    reg.BeginUpdate();
    for (size_t i = 0; i < s.Associations.size(); ++i) reg.WriteBool(AssociationItems()[i].ValueName, s.Associations[i]);
    for (size_t i = 0; i < s.Service.size(); ++i) reg.WriteBool(ServiceItems()[i].ValueName, s.Service[i]);
    reg.WriteString("EditorFontName", s.EditorFontName);
    reg.WriteInteger("EditorFontSize", s.EditorFontSize);
    reg.WriteInteger("EditorColor", s.EditorColor);
    reg.WriteInteger("EditorSelectedColourBackground", s.EditorSelectedColourBackground);
    reg.WriteInteger("EditorSelectedColourForeground", s.EditorSelectedColourForeground);
    reg.WriteInteger("EditorRightEdgeColor", s.EditorRightEdgeColor);
    reg.WriteBool("EditorGutterVisible", s.EditorGutterVisible);
    reg.WriteInteger("EditorRightEdge", s.EditorRightEdge);
    reg.WriteInteger("EditorTabWidth", s.EditorTabWidth);
    reg.WriteBool("EditorHighlightTXT", s.EditorHighlightTXT);
    reg.WriteBool("EditorHighlightKAS", s.EditorHighlightKAS);
    reg.WriteBool("EditorWtiteDateTag", s.EditorWtiteDateTag);
    reg.WriteInteger("SCL_Delay", s.SCL_Delay);
    reg.EndUpdate();
}

void ReadAdditionalSettings(TRegistry &reg, AdditionalSettings &settings)
{
    settings.WritePoweredBy = ReadBoolOr(reg, "WritePoweredBy", settings.WritePoweredBy);
    settings.WriteWarning1 = ReadBoolOr(reg, "WriteWarning1", settings.WriteWarning1);
    settings.Warning1Text = ReadStringOr(reg, "Warning1Text", DefaultWarning1Text);
}

void WriteAdditionalSettings(TRegistry &reg, const AdditionalSettings &settings)
{
    reg.BeginUpdate();
    reg.WriteBool("WritePoweredBy", settings.WritePoweredBy);
    reg.WriteBool("WriteWarning1", settings.WriteWarning1);
    reg.WriteString("Warning1Text", settings.Warning1Text);
    reg.EndUpdate();
}

namespace {

// The open command of the text type names this program.
bool TextTypeOpensWith(const AnsiString &programPath)
{
    TRegistry reg;
    reg.RootKey = HKEY_CLASSES_ROOT;
    if (!reg.OpenKey("\\Text document\\shell\\open\\command", false)) return false;
    const AnsiString command = ReadStringOr(reg, "", "");
    return !command.empty() && command.find(programPath) != AnsiString::npos;
}

} // namespace

void ApplyAssociation(const AssociationItem &item, bool checked, const AnsiString &programPath)
{
    if (checked)
        RegisterFileType(item.Extension, item.TypeName, item.TypeName, programPath, item.IconIndex, programPath);
    else if (AnsiString(item.Extension) != ".TXT" || TextTypeOpensWith(programPath))
        UnregisterFileType(item.Extension, item.TypeName);
}
