// The main window's header-tag operations on document windows: thin wrappers that apply the line
// logic of the header tags to a text pane and the outline lists of its window.
#include "shell/HeaderTags.h"
#include "shell/Main.h"
#include "shell/_EditorWin.h"
#include "synedit/SynMemo.h"

#include <QComboBox>

namespace {

void ApplyToPane(TSynMemo *pane, const std::vector<LineEdit> &edits)
{
    for (const LineEdit &edit : edits) {
        switch (edit.Op) {
        case LineEdit::Insert: pane->Lines.Insert(edit.Index, edit.Text); break;
        case LineEdit::Replace: pane->Lines.SetString(edit.Index, edit.Text); break;
        case LineEdit::Delete: pane->Lines.Delete(edit.Index); break;
        case LineEdit::Append: pane->Lines.Add(edit.Text); break;
        }
    }
}

// What setting the tags needs to know of the pane's text, found in one pass in place (no copy of
// the text).
std::vector<HeaderTagFacts> FactsOfPane(const TSynMemo *pane, std::span<const HeaderTagSetting> tags)
{
    HeaderTagFactsFinder finder(tags);
    pane->Lines.FindLine([&finder](std::string_view line) { return finder.Take(line); });
    return finder.Facts(pane->Lines.Count());
}

TBufferCoord MovedWithEdits(TBufferCoord p, const std::vector<LineEdit> &edits)
{
    const TextPlace place = PlaceAfterEdits({p.Line - 1, p.Char - 1}, edits);
    return {place.Column + 1, place.Line + 1};
}

// Applies the edits and puts the caret, the selection and the view back on the text they were
// on: the pane's own shifting of the caret (text inserted at the caret goes after it) would
// otherwise leave the caret inside a new tag line.
void ApplyKeepingCaret(TSynMemo *pane, const std::vector<LineEdit> &edits)
{
    if (edits.empty()) return;
    const TBufferCoord caret = pane->CaretXY();
    const TBufferCoord anchor = caret == pane->BlockBegin() ? pane->BlockEnd() : pane->BlockBegin();
    const int top = pane->TopLine();
    ApplyToPane(pane, edits);
    if (anchor == caret) {
        pane->SetCaretXY(MovedWithEdits(caret, edits));
    } else {
        pane->SetBlockBegin(MovedWithEdits(anchor, edits));
        pane->SetBlockEnd(MovedWithEdits(caret, edits));
    }
    pane->SetTopLine(MovedWithEdits({1, top}, edits).Line);
}

void FillCombo(QComboBox *box, const TStringList &items)
{
    QStringList texts;
    texts.reserve(items.Count());
    for (const AnsiString &item : items) texts << ToQ(item);
    box->addItems(texts);
}

} // namespace

TForm_Editor *TMainForm::ActiveEditor() const { return qobject_cast<TForm_Editor *>(ActiveMDIChild()); }

// The tag goes into the given pane; the outline and the marker are those of the pane's own window
// (the active one for every caller but Save All, which tags each window it saves).
void TMainForm::SetScriptHeaderTag(const AnsiString &name, const AnsiString &value, TSynMemo *pane)
{
    const HeaderTagSetting tag{name, value};
    if (SetHeaderTagLines(std::span(&tag, 1), pane)) ShowHeaderTagsChanged(pane);
}

// Each tag is set on the text the tags before it left. Their edits only move the lines the later
// tags look for, unless they touch those lines: then a later tag's facts are found again.
bool TMainForm::SetHeaderTagLines(std::span<const HeaderTagSetting> tags, TSynMemo *pane)
{
    if (MDIChildCount() == 0 || !pane || tags.empty()) return false;
    std::vector<HeaderTagFacts> facts = FactsOfPane(pane, tags);
    for (size_t t = 0; t < tags.size(); ++t) {
        const HeaderTagChange change = PlanScriptHeaderTag(facts[t], tags[t].Name, tags[t].Value, pane->CaretY());
        ApplyKeepingCaret(pane, change.Edits);
        for (size_t later = t + 1; later < tags.size(); ++later)
            if (!MoveFactsWithEdits(facts[later], tags[later].Name, change.Edits))
                facts[later] = FactsOfPane(pane, tags.subspan(later, 1)).front();
    }
    return true;
}

void TMainForm::ShowHeaderTagsChanged(TSynMemo *pane)
{
    TForm_Editor *window = EditorOf(pane);
    if (!window) window = ActiveEditor();
    if (!window) return;
    RefreshScriptOutline(window);
    window->SetModified(true);
}

AnsiString TMainForm::ConvertAutoTags(const AnsiString &text) { return ::ConvertAutoTags(text); }

void TMainForm::RefreshScriptOutline()
{
    if (MDIChildCount() == 0) return;
    if (TForm_Editor *window = ActiveEditor()) RefreshScriptOutline(window);
}

// Only lines that begin like a tag, a warning or a declaration can be in the outline: they are
// picked from the pane's text in place, so a big script is not copied line by line.
static TStringList OutlineCandidateLines(const TSynMemo *pane)
{
    TStringList candidates;
    pane->Lines.FindLine([&candidates](std::string_view line) {
        if (!line.empty() && (line[0] == 'Q' || line[0] == '_') && line.find('=') != std::string_view::npos &&
            (line.starts_with("QUIL_") || line.starts_with("_WARNING_") || line.starts_with("_DECLARATION_")))
            candidates.Add(AnsiString(line));
        return false;
    });
    return candidates;
}

void TMainForm::RefreshScriptOutline(TForm_Editor *window)
{
    const ScriptOutline outline = BuildScriptOutline(OutlineCandidateLines(window->Memo1));
    window->OutlineLines->Assign(outline.OutlineLines);
    window->DeclarationLines->Assign(outline.DeclarationLines);
    window->ComboBox1->clear();
    window->ComboBox2->clear();
    FillCombo(window->ComboBox1, outline.OutlineItems);
    FillCombo(window->ComboBox2, outline.DeclarationItems);
    // Refilled lists show no choice (a list box would pick its first item, a section caption).
    window->ComboBox1->setCurrentIndex(-1);
    window->ComboBox2->setCurrentIndex(-1);
}
