// Moving texts of a script into its KAT table and back: the indexation settings, the index scheme,
// the references put into the script, the KAT rows, and the reverse operation. Plain functions
// over texts; the windows call them.
#pragma once

#include "platform/TStringList.h"
#include "platform/Text.h"

#include <array>
#include <functional>
#include <string_view>
#include <unordered_set>
#include <vector>

// ---- Indexation settings (shared by the manager window, its settings dialog and KATtify) ----

// Six lists, one per string type, in the order of TypeTitle: [0] Enabled ("TRUE" enables),
// [1] Prefix, [2] Postfix (the number from which the type's texts are counted).
extern std::array<TStringList, 6> TypeIndexSettings;
// [0] Script number, [1] Postfix increment, [2] Unknown types as ("M", "Q", "S" or "-").
extern TStringList CommonIndexSettings;
// Kept for the whole run, all on at start.
enum KatOption { KatWriteScriptVersion, KatWriteStringType, KatMakeBackups, KatOpenOldDoc };
extern std::array<bool, 4> KatOptionFlags;
// Their registry values, in KatOption order.
extern const std::array<const char *, 4> KatOptionValueNames;

// Puts the defaults into the seven lists: each type "TRUE", "1", "0"; common scriptNumber, "1", "S".
void ResetIndexSettings(const AnsiString &scriptNumber);

// The script number a document's caption gives: characters 7 and 8 of an upper-cased file name
// that contains "SCRIPT" and is longer than 8 characters, when both are digits; else "0".
AnsiString ScriptNumberOf(const AnsiString &caption);

// ---- String types ----

constexpr int StringTypeCount = 6;
// 0 .. 5 for ("!" or "#") and ("M", "Q" or "S"); -1 for any other pair.
int StringTypeOf(char kind, char letter);
AnsiString TypeTitle(int type);      // "!!, M" ... "!#, S"
AnsiString TypeText(int type);       // "!!M" ... "!#S", the comment column's text
AnsiString ReferenceForm(int type);  // "1/z", "/z" or "z"

// ---- KAT table cells ----

// "Text resource for \"<file name>\" document".
AnsiString KatHeaderText(const AnsiString &scriptPath);
// Row 0 already is the header of this script.
bool IsKatHeaderOf(const AnsiString &cell0, const AnsiString &cell1, const AnsiString &scriptPath);
// CR LF pairs become the in-cell line break 0x1D, and back.
AnsiString TextToCell(const AnsiString &text);
AnsiString CellToText(const AnsiString &cell);
// The comment column of a new row: the type text (or the cell's old content when the type is not
// written), then "Script version = " and the version when it is known and written.
AnsiString KatComment(const AnsiString &oldCell, int type, bool writeType, const AnsiString &version,
                      bool writeVersion);
// The script version a script's header gives: the value of the first line named
// "QUIL_ScriptVersion" (names compared without letter case), else of "AUTO_ScriptVersion".
AnsiString ScriptVersionIn(std::string_view script);
// Today in the system's short date format.
AnsiString TodayShortDate();

// ---- Changes of a script ----

// The bytes from Start up to End (0-based positions in the script as it was) become Text.
struct ScriptEdit
{
    size_t Start = 0;
    size_t End = 0;
    AnsiString Text;
};

// The script with the edits made (in ascending order, not overlapping).
AnsiString EditedScript(std::string_view script, const std::vector<ScriptEdit> &edits);

// ---- KATtify ----

struct KatItem
{
    char Kind = '!';
    char Letter = '-';
    int Start = 0;        // 1-based first character after the opening caret
    int End = 0;          // 1-based position of the closing caret
    AnsiString Text;      // as edited in the manager; may hold CR LF
    bool Checked = true;
};

struct KatRow
{
    AnsiString Index;
    AnsiString Cell;      // the text with 0x1D for its line breaks
    int Type = 0;
};

// Why a checked text of an enabled type stayed in the script.
enum KatStayReason {
    KatStayNotAsScanned,     // its carets are not where the search found them, or it never closed
    KatStayWouldNotReadBack, // a digit after it, or what stands before it, would make its reference read otherwise
    KatStayCellCannotKeep,   // a byte that a table cell loses in a save and a read
    KatStayNoFreeIndex,      // every number its type could still count to is taken
    KatStayReasonCount
};

struct KattifyResult
{
    std::vector<ScriptEdit> Edits;   // every moved text, carets included, becomes its reference
    std::vector<KatRow> Rows;        // in script order
    std::array<int, KatStayReasonCount> Stayed{};   // texts left in the script, by reason
};

// The numbers a run must not give as indexes, because De-KATtify would then read something else as
// their reference or give their rows back wrongly: the indexes the target table's rows hold
// (restored "#" rows too) and every number that follows "z" or "%Z" in the script, in a moved text
// or in a text of the table.
class KatTakenIndexes
{
  public:
    void AddRow(std::string_view indexCell, std::string_view text);
    // Every run of digits after "z" or after "%Z" (what the restore reads as an index).
    void AddReferencesIn(std::string_view text);
    void Add(std::string_view index);
    bool Holds(const AnsiString &index) const { return Numbers.count(index) > 0; }
    void Reserve(size_t more) { Numbers.reserve(Numbers.size() + more); }

  private:
    std::unordered_set<AnsiString> Numbers;   // only numbers without a leading zero: no index has one
};

// The greatest number a type counts to: the settings hold numbers of at most 18 digits.
inline constexpr long long MaxKatNumber = 999'999'999'999'999'999LL;

// A cell keeps the text through a save and a read: no TAB, no CR or LF but in CR LF pairs (which
// become the cell's line break), no other byte below 0x15 and no 0x1D (the line break itself,
// which would come back as CR LF).
bool CellCanKeep(std::string_view text);

// The run's message when checked texts stayed in the script: how many, and why; empty when none.
AnsiString KatStayedMessage(const std::array<int, KatStayReasonCount> &stayed);

// The index of a text: Prefix + script number + postfix padded to three digits, without leading
// zeros. A one-character script number is widened to two in CommonIndexSettings.
AnsiString ComposeIndex(const AnsiString &prefix, TStringList &common, long long postfix);

// Moves the checked items of a known, enabled type out of the script (its whole text, CR LF line
// breaks, positions as the scanner gave them) and numbers them; afterwards every type's Postfix
// is one past the last number it used in this run ("1" when it used none). A number whose index
// is taken (by the table, the references the script and the moved texts hold, or an earlier text
// of the run) is passed over as if a row had been written for it. An item is left in place, and
// counted in Stayed, when its carets are no longer where the scan found them, when it never
// closed, when a digit follows its closing caret (the reference would run into that digit), when
// what stands before it would make its reference read as another form (an M text not right after
// "M", a Q text right after "M1", an S text right after "/"), when a table cell cannot keep it, or
// when its type has no free number left: De-KATtify could not give it back as it was. Postfix
// and increment must be decimal numbers: EConvertError otherwise, and then the settings are as
// they were. progress runs once per item.
KattifyResult Kattify(std::string_view script, const std::vector<KatItem> &items,
                      std::array<TStringList, 6> &types, TStringList &common, KatTakenIndexes taken = {},
                      const std::function<void(int done)> &progress = {});

// ---- Write back edited texts ----

// Puts every checked item's text in place of the script's text at its positions when they
// differ; the items' positions follow the changes. Returns the changes of the script. The
// positions count the script followed by finalBreak (a pane's text ends with a line break its
// document does not hold); the changes stay within the script.
std::vector<ScriptEdit> WriteBackTexts(std::string_view script, std::vector<KatItem> &items,
                                       std::string_view finalBreak = {});

// ---- De-KATtify ----

// A row takes part when its index cell is all digits.
bool IsKatIndex(const AnsiString &cell);

// First pass: for each numbered row in order, the first "%Z" + its index (a whole index, not
// followed by a digit) in every other row's text is replaced by its text. Returns per row
// whether it was the source of an expansion.
std::vector<bool> ExpandKatReferences(const std::vector<AnsiString> &indexes, std::vector<AnsiString> &texts);

struct RestoreResult
{
    std::vector<ScriptEdit> Edits;   // every reference becomes its text between carets
    std::vector<bool> Restored;      // per row: at least one of its references was replaced
};

// Second pass: every reference "M1/z", "/z" or "z" + a whole index of a numbered row (the longest
// form at each place) becomes "M^", "^" or "^", the row's text (line breaks CR LF) and "^". One
// pass from left to right: the texts put in are not searched again, so every run ends. With
// several rows of one index the first counts.
RestoreResult RestoreKatReferences(std::string_view script, const std::vector<AnsiString> &indexes,
                                   const std::vector<AnsiString> &texts,
                                   const std::function<void(size_t done, size_t total)> &progress = {});

// The indexes that more than one numbered row holds, each once, in the order of numbers.
std::vector<AnsiString> RepeatedKatIndexes(const std::vector<AnsiString> &indexes);
// De-KATtify's question before it changes anything when the table repeats indexes.
AnsiString RepeatedKatIndexesQuestion(const std::vector<AnsiString> &repeated);

// ---- The list of texts on the clipboard ----

// The texts in order, joined by CR LF and the separator line (or CR LF alone), nothing after the
// last.
AnsiString JoinMessageList(const std::vector<AnsiString> &texts, bool separate, const AnsiString &separator);
// Splits the pasted text into messages at separator lines and gives them to the texts in order;
// texts beyond the last message keep theirs. Empty lines at the start of a message are dropped.
void PasteMessageList(const AnsiString &pasted, const AnsiString &separator, std::vector<AnsiString> &texts);
