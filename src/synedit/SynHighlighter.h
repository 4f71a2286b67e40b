// The editor component's highlighter base: named attributes (colours and font style) stored in the
// registry, and a line-by-line token interface that a pane pulls tokens from until the line end.
// One highlighter may serve many panes; each pane gets its own QScintilla lexer from CreateLexer.
#pragma once

#include "platform/Colors.h"
#include "platform/TRegistry.h"
#include "platform/Text.h"

#include <QObject>
#include <bitset>
#include <functional>
#include <memory>
#include <vector>

class QsciLexer;

// Font style bits as stored in the registry value "Style".
enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;   // a set of TFontStyle bits
constexpr TFontStyles fsAllStyles = fsBold | fsItalic | fsUnderline | fsStrikeOut;

// Word characters (word selection, word-wise caret movement): one bit per byte value.
using TSynIdentChars = std::bitset<256>;

class TSynHighlighterAttributes
{
public:
    // Colours start as clNone (the editor's own colours show) and the style as normal.
    explicit TSynHighlighterAttributes(const AnsiString &name);
    TSynHighlighterAttributes(const TSynHighlighterAttributes &) = delete;
    TSynHighlighterAttributes &operator=(const TSynHighlighterAttributes &) = delete;

    // The name is also the attribute's registry subkey.
    const AnsiString &Name() const { return fName; }
    TColor Foreground() const { return fForeground; }
    TColor Background() const { return fBackground; }
    TFontStyles Style() const { return fStyle; }
    void SetForeground(TColor color);
    void SetBackground(TColor color);
    void SetStyle(TFontStyles style);
    // Colours and style of another attribute (the name stays).
    void Assign(const TSynHighlighterAttributes &source);

    // reg's current key is the attribute's own subkey. Loading applies each of "Background",
    // "Foreground" and "Style" that exists and holds an integer.
    void LoadFromRegistry(TRegistry &reg);
    void SaveToRegistry(TRegistry &reg) const;

    // Called after every change of colour or style.
    std::function<void()> OnChange;

    // Position in the owning highlighter's attribute list (-1 until added).
    int Index() const { return fIndex; }

private:
    friend class TSynCustomHighlighter;
    void Changed();

    AnsiString fName;
    TColor fForeground = clNone;
    TColor fBackground = clNone;
    TFontStyles fStyle = 0;
    int fIndex = -1;
};

// Indices of the standard attributes that GetDefaultAttribute answers for.
constexpr int SYN_ATTR_COMMENT = 0, SYN_ATTR_IDENTIFIER = 1, SYN_ATTR_KEYWORD = 2,
              SYN_ATTR_STRING = 3, SYN_ATTR_WHITESPACE = 4, SYN_ATTR_SYMBOL = 5;

class TSynCustomHighlighter : public QObject
{
    Q_OBJECT

public:
    explicit TSynCustomHighlighter(QObject *owner = nullptr);
    ~TSynCustomHighlighter() override;

    // Attributes in the order they were added: the order of loading and saving.
    int AttrCount() const { return int(fAttributes.size()); }
    TSynHighlighterAttributes *Attribute(int index) const;
    TSynHighlighterAttributes *AttributeByName(const AnsiString &name) const;
    virtual TSynHighlighterAttributes *GetDefaultAttribute(int index) const = 0;

    // Copies the colours and styles of every attribute of source that has an attribute of the
    // same name here; one change notification at the end.
    void Assign(const TSynCustomHighlighter &source);

    // Registry storage: under rootKey\key one subkey per attribute, named by the attribute, with
    // the integers "Background", "Foreground" and "Style". Loading opens the key read-only and
    // stops at the first attribute whose subkey is missing (it and the rest keep their values);
    // false when the key does not exist. Saving creates what is missing and writes every value;
    // false when the key cannot be created, and a failed write raises ERegistryException.
    bool LoadFromRegistry(HKEY rootKey, const AnsiString &key);
    bool SaveToRegistry(HKEY rootKey, const AnsiString &key) const;

    // A disabled highlighter leaves the panes plain.
    bool Enabled() const { return fEnabled; }
    void SetEnabled(bool enabled);

    AnsiString DefaultFilter() const { return fDefaultFilter; }
    void SetDefaultFilter(const AnsiString &filter) { fDefaultFilter = filter; }
    virtual TSynIdentChars GetIdentChars() const;
    virtual AnsiString LanguageName() const = 0;

    // Groups many attribute changes into one notification.
    void BeginUpdate();
    void EndUpdate();

    // The token interface. The line is a NUL-terminated 8-bit text without its line break; the
    // pointer form keeps the caller's buffer (it must stay valid while the line is scanned), the
    // string form keeps a copy.
    virtual void SetLine(const char *line, int lineNumber) = 0;
    void SetLine(const AnsiString &line, int lineNumber);
    virtual void Next() = 0;
    virtual bool GetEol() const = 0;
    virtual AnsiString GetToken() const = 0;
    virtual void GetTokenEx(const char *&tokenStart, int &tokenLength) const = 0;
    virtual int GetTokenPos() const = 0;
    virtual int GetTokenKind() const = 0;
    virtual TSynHighlighterAttributes *GetTokenAttribute() const = 0;
    // The scanner state carried from one line to the next; the base keeps none.
    virtual int GetRange() const { return 0; }
    virtual void SetRange(int range) {}
    virtual void ResetRange() {}

    // A new QScintilla lexer, owned by parent, that styles its editor's text with this
    // highlighter's tokens and attributes (see TSynLexerAdapter).
    QsciLexer *CreateLexer(QObject *parent);

signals:
    // An attribute or the enabled switch changed: attached panes repaint.
    void HighlightChanged();

protected:
    void AddAttribute(TSynHighlighterAttributes *attribute);   // takes ownership
    // Installs handler as the change handler of every attribute added so far.
    void SetAttributesOnChange(const std::function<void()> &handler);
    // The usual change handler: notifies the attached panes (once per update group).
    void DefHighlightChange();

private:
    std::vector<std::unique_ptr<TSynHighlighterAttributes>> fAttributes;
    bool fEnabled = true;
    AnsiString fDefaultFilter;
    AnsiString fLineCopy;
    int fUpdateCount = 0;
    bool fChangedInUpdate = false;
};

// The highlighter classes known to the program, by language name.
using TSynHighlighterFactory = std::function<TSynCustomHighlighter *(QObject *owner)>;
struct TSynHighlighterClass
{
    AnsiString LanguageName;
    TSynHighlighterFactory Create;
};
void RegisterPlaceableHighlighter(const AnsiString &languageName, TSynHighlighterFactory factory);
const std::vector<TSynHighlighterClass> &GetPlaceableHighlighters();
