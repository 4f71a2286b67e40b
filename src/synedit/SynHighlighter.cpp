#include "synedit/SynHighlighter.h"

#include "platform/Exception.h"
#include "synedit/SynLexerAdapter.h"

namespace {

const char *const kBackground = "Background";
const char *const kForeground = "Foreground";
const char *const kStyle = "Style";

// A damaged value (another type) keeps the attribute's current setting rather than stopping
// the program at start-up.
bool ReadIntegerIfPresent(TRegistry &reg, const char *name, int &value)
{
    if (!reg.ValueExists(name)) return false;
    try {
        value = reg.ReadInteger(name);
        return true;
    } catch (const ERegistryException &) {
        return false;
    }
}

AnsiString AbsoluteKey(const AnsiString &key)
{
    return !key.empty() && key[0] == '\\' ? key : "\\" + key;
}

std::vector<TSynHighlighterClass> &PlaceableHighlighters()
{
    static std::vector<TSynHighlighterClass> list;
    return list;
}

} // namespace

// ---- TSynHighlighterAttributes ----

TSynHighlighterAttributes::TSynHighlighterAttributes(const AnsiString &name) : fName(name) {}

void TSynHighlighterAttributes::Changed()
{
    if (OnChange) OnChange();
}

void TSynHighlighterAttributes::SetForeground(TColor color)
{
    if (fForeground == color) return;
    fForeground = color;
    Changed();
}

void TSynHighlighterAttributes::SetBackground(TColor color)
{
    if (fBackground == color) return;
    fBackground = color;
    Changed();
}

void TSynHighlighterAttributes::SetStyle(TFontStyles style)
{
    style &= fsAllStyles;
    if (fStyle == style) return;
    fStyle = style;
    Changed();
}

void TSynHighlighterAttributes::Assign(const TSynHighlighterAttributes &source)
{
    if (fForeground == source.fForeground && fBackground == source.fBackground &&
        fStyle == source.fStyle)
        return;
    fForeground = source.fForeground;
    fBackground = source.fBackground;
    fStyle = source.fStyle;
    Changed();
}

void TSynHighlighterAttributes::LoadFromRegistry(TRegistry &reg)
{
    int value = 0;
    if (ReadIntegerIfPresent(reg, kBackground, value)) SetBackground(TColor(value));
    if (ReadIntegerIfPresent(reg, kForeground, value)) SetForeground(TColor(value));
    if (ReadIntegerIfPresent(reg, kStyle, value)) SetStyle(TFontStyles(value));
}

void TSynHighlighterAttributes::SaveToRegistry(TRegistry &reg) const
{
    reg.WriteInteger(kBackground, int(fBackground));
    reg.WriteInteger(kForeground, int(fForeground));
    reg.WriteInteger(kStyle, int(fStyle));
}

// ---- TSynCustomHighlighter ----

TSynCustomHighlighter::TSynCustomHighlighter(QObject *owner) : QObject(owner) {}

TSynCustomHighlighter::~TSynCustomHighlighter() = default;

TSynHighlighterAttributes *TSynCustomHighlighter::Attribute(int index) const
{
    return index >= 0 && index < AttrCount() ? fAttributes[size_t(index)].get() : nullptr;
}

TSynHighlighterAttributes *TSynCustomHighlighter::AttributeByName(const AnsiString &name) const
{
    for (const auto &a : fAttributes)
        if (a->Name() == name) return a.get();
    return nullptr;
}

void TSynCustomHighlighter::AddAttribute(TSynHighlighterAttributes *attribute)
{
    attribute->fIndex = AttrCount();
    fAttributes.emplace_back(attribute);
}

void TSynCustomHighlighter::SetAttributesOnChange(const std::function<void()> &handler)
{
    for (const auto &a : fAttributes) a->OnChange = handler;
}

void TSynCustomHighlighter::DefHighlightChange()
{
    if (fUpdateCount > 0) {
        fChangedInUpdate = true;
        return;
    }
    emit HighlightChanged();
}

void TSynCustomHighlighter::BeginUpdate()
{
    ++fUpdateCount;
}

void TSynCustomHighlighter::EndUpdate()
{
    if (fUpdateCount == 0 || --fUpdateCount > 0) return;
    if (fChangedInUpdate) {
        fChangedInUpdate = false;
        emit HighlightChanged();
    }
}

void TSynCustomHighlighter::SetEnabled(bool enabled)
{
    if (fEnabled == enabled) return;
    fEnabled = enabled;
    DefHighlightChange();
}

TSynIdentChars TSynCustomHighlighter::GetIdentChars() const
{
    TSynIdentChars chars;
    for (int c = '0'; c <= '9'; ++c) chars.set(size_t(c));
    for (int c = 'A'; c <= 'Z'; ++c) chars.set(size_t(c));
    for (int c = 'a'; c <= 'z'; ++c) chars.set(size_t(c));
    chars.set('_');
    return chars;
}

void TSynCustomHighlighter::SetLine(const AnsiString &line, int lineNumber)
{
    fLineCopy.assign(line);   // reuses the buffer: no allocation for lines that fit
    SetLine(fLineCopy.c_str(), lineNumber);
}

void TSynCustomHighlighter::Assign(const TSynCustomHighlighter &source)
{
    if (&source == this) return;
    BeginUpdate();
    for (const auto &a : fAttributes)
        if (const TSynHighlighterAttributes *s = source.AttributeByName(a->Name())) a->Assign(*s);
    EndUpdate();
}

bool TSynCustomHighlighter::LoadFromRegistry(HKEY rootKey, const AnsiString &key)
{
    TRegistry reg;
    reg.RootKey = rootKey;
    const AnsiString base = AbsoluteKey(key);
    if (!reg.OpenKeyReadOnly(base)) return false;
    BeginUpdate();
    for (const auto &a : fAttributes) {
        if (!reg.OpenKeyReadOnly(base + "\\" + a->Name())) break;
        a->LoadFromRegistry(reg);
    }
    reg.CloseKey();
    EndUpdate();
    return true;
}

bool TSynCustomHighlighter::SaveToRegistry(HKEY rootKey, const AnsiString &key) const
{
    TRegistry reg;
    reg.RootKey = rootKey;
    const AnsiString base = AbsoluteKey(key);
    if (!reg.OpenKey(base, true)) return false;
    reg.BeginUpdate();   // all attributes in one write of the settings file
    for (const auto &a : fAttributes) {
        if (!reg.OpenKey(base + "\\" + a->Name(), true)) return false;
        a->SaveToRegistry(reg);
    }
    reg.EndUpdate();
    reg.CloseKey();
    return true;
}

QsciLexer *TSynCustomHighlighter::CreateLexer(QObject *parent)
{
    return new TSynLexerAdapter(this, parent);
}

// ---- placeable highlighters ----

void RegisterPlaceableHighlighter(const AnsiString &languageName, TSynHighlighterFactory factory)
{
    for (const TSynHighlighterClass &c : PlaceableHighlighters())
        if (c.LanguageName == languageName) return;
    PlaceableHighlighters().push_back({languageName, std::move(factory)});
}

const std::vector<TSynHighlighterClass> &GetPlaceableHighlighters()
{
    return PlaceableHighlighters();
}
